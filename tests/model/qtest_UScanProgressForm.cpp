#include "model/UItem.h"
#include "model/UScanProgressForm.h"

#include "tests/FixtureTree.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <thread>

using namespace model;

namespace {

// The exploring window with a test's hand on it: presses Cancel (through the event queue, as a
// user's click arrives) at the chosen pump, and can save what it shows.
class TTestScanForm : public TScanProgressForm {
public:
    int CancelAtPump = 0;
    int CancelHow = 0; // 0 the Cancel button, 1 the close box, 2 Escape
    int Pumps = 0;
    QString ShotPath;
    QStringList Captions;
    void Pump() override {
        if (++Pumps == CancelAtPump) {
            // Through the event queue, as a user's click or key arrives.
            if (CancelHow == 0) QTimer::singleShot(0, CancelButton, &QPushButton::click);
            if (CancelHow == 1) QTimer::singleShot(0, this, [this] { close(); });
            if (CancelHow == 2)
                QTimer::singleShot(0, this, [this] { QTest::keyClick(this, Qt::Key_Escape); });
        }
        TScanProgressForm::Pump();
        if (!ShotPath.isEmpty() && Running() && FilesFound() > 3000) {
            ShowLabels(); // what the next refresh would show
            grab().save(ShotPath);
            ShotPath.clear();
        }
    }

protected:
    void ShowCaption(const std::string& caption) override {
        TScanProgressForm::ShowCaption(caption);
        Captions << windowTitle();
    }
};

} // namespace

class TScanProgressFormTest : public QObject {
    Q_OBJECT
    TTestScanForm* FLast = nullptr;
    int FCancelAt = 0;
    int FCancelHow = 0;
    QString FShot;

    void InstallTestForm() {
        SetScanProgressFactory([this]() -> std::unique_ptr<TScanProgress> {
            auto form = std::make_unique<TTestScanForm>();
            form->CancelAtPump = FCancelAt;
            form->CancelHow = FCancelHow;
            form->ShotPath = FShot;
            FLast = form.get();
            return form;
        });
    }

private slots:
    void cleanup() {
        SetScanProgressFactory(nullptr);
        FCancelAt = 0;
        FCancelHow = 0;
        FShot.clear();
    }

    void exploresARealFolder() {
        txtest::TTempDir t;
        txtest::MakeFixtureTree(t);
        for (int i = 0; i < 3000; ++i)
            t.File("sizes/n" + std::to_string(i), i); // long enough to show
        FShot = qEnvironmentVariable("TX_SCREENSHOT_DIR");
        if (!FShot.isEmpty()) FShot += "/exploring.png";
        InstallTestForm();
        TManualItem item(t.Path(), kKindFixed, nullptr);
        QVERIFY(item.Explore());
        QVERIFY(ScanProgressForm == nullptr);
        std::int64_t bytes = 0, files = 0;
        for (const auto& [name, f] : txtest::FindTree(t.Path()))
            if (f.type != 'd') ++files, bytes += f.size;
        QCOMPARE(item.GetFileCount(), files);
        QCOMPARE(item.GetSize(), bytes);
        QVERIFY(item.Explored());
    }

    void captionsOfAnExploration() {
        txtest::TTempDir t;
        t.File("x", 1);
        QStringList captions;
        SetScanProgressFactory([&captions]() -> std::unique_ptr<TScanProgress> {
            struct TKeep : TTestScanForm {
                QStringList* out;
                explicit TKeep(QStringList* o) : out(o) {}
                ~TKeep() override { *out = Captions; }
            };
            return std::make_unique<TKeep>(&captions);
        });
        TManualItem item(t.Path(), kKindFixed, nullptr);
        QVERIFY(item.Explore());
        QCOMPARE(captions.value(0), QString("Exploring "));
        QCOMPARE(captions.value(1), QString("Exploring %1 ...").arg(QString::fromStdString(t.Path())));
    }

    void cancelStopsTheExploration_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel button") << 0;
        QTest::newRow("close box") << 1;
        QTest::newRow("escape") << 2;
    }
    void cancelStopsTheExploration() {
        QFETCH(int, how);
        txtest::TTempDir t;
        txtest::MakeFixtureTree(t);
        FCancelAt = 2;
        FCancelHow = how;
        InstallTestForm();
        TManualItem item(t.Path(), kKindFixed, nullptr);
        QVERIFY(!item.Explore());
        QCOMPARE(item.ChildCount(), 0);
        QCOMPARE(item.GetSize(), std::int64_t{0});
        QVERIFY(!item.Explored());
    }

    void closingBeforeTheStartIsACancel_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("close box") << false;
        QTest::newRow("escape") << true;
    }
    void closingBeforeTheStartIsACancel() {
        QFETCH(bool, escape);
        txtest::TTempDir t;
        t.File("x", 1);
        InstallTestForm();
        // Before the window's 100 ms timer runs the work.
        QTimer::singleShot(20, [escape] {
            auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(w);
            if (escape)
                QTest::keyClick(w, Qt::Key_Escape);
            else
                w->close();
        });
        TManualItem item(t.Path(), kKindFixed, nullptr);
        QVERIFY(!item.Explore());
        QCOMPARE(item.ChildCount(), 0);
        QVERIFY(!item.Explored());
    }

    void theFolderLineShowsThePathsEnd_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("end");
        QTest::newRow("short") << "/home/me/docs/"
                               << "/home/me/docs/";
        QTest::newRow("100 characters")
            << "/home/someone/Projects/Photography/2023 Holidays in the Mountains/Raw Exports/Day 04 - Walk/"
            << "/Day 04 - Walk/";
        QTest::newRow("wide letters")
            << "/usr/share/doc/texlive-latex-extra/latex/WWWWWWWWWWWWWW/MMMMMMMMMMMMMMMMMMMM/final/"
            << "/.../final/";
        QTest::newRow("a last name wider than the line") << "/data/" + QString(80, 'W') + "-end/"
                                                         << "WWWWW-end/";
        QTest::newRow("a last name of more than 100 characters") << "/data/" + QString(150, 'x') + "-end/"
                                                                 << "xxxxx-end/";
        QTest::newRow("a name that looks like markup") << "/srv/<b>bold</b>/"
                                                       << "/srv/<b>bold</b>/";
    }
    void theFolderLineShowsThePathsEnd() {
        QFETCH(QString, path);
        QFETCH(QString, end);
        TTestScanForm form;
        QString shown;
        form.Execute("/", [&] {
            std::this_thread::sleep_for(2 * TScanProgress::kRefreshInterval); // the labels are due
            form.SetFolderPath(path.toStdString());
            shown = form.FolderLabel->text();
        });
        QVERIFY2(shown.endsWith(end), qPrintable(shown));
        const QFontMetrics metrics(form.FolderLabel->font());
        QVERIFY2(metrics.horizontalAdvance(shown) <= form.FolderLabel->contentsRect().width(),
                 qPrintable(shown));
        QCOMPARE(form.FolderLabel->textFormat(), Qt::PlainText);
        if (path.size() <= 100 && metrics.horizontalAdvance(path) <= form.FolderLabel->width())
            QCOMPARE(shown, path);
        else
            QVERIFY2(shown.contains("..."), qPrintable(shown));
    }

    void theTitleShowsTheNameAsItStands() {
        // "[*]" in a title is the place of the modified mark, which the title bar leaves out.
        TTestScanForm form;
        QString title;
        form.Execute("/data/draft[*]/", [&] { title = form.windowHandle()->title(); });
        QCOMPARE(title, QString("Exploring /data/draft[*]/ ..."));
    }

    void displayNames() {
        QCOMPARE(DisplayName("caf\xc3\xa9"), QString::fromUtf8("caf\xc3\xa9"));
        QCOMPARE(DisplayName("caf\xe9 \x80"), QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac"));
    }
};

QTEST_MAIN(TScanProgressFormTest)
#include "qtest_UScanProgressForm.moc"
