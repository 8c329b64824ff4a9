// The Analyser window offscreen: generation on a hand-built tree, the tabs, sorting by a header
// click, drill-down and back up, the colours kept in the settings, and the two chart dialogs.
#include "analyser/UAnalyserForm.h"
#include "analyser/UChartRender.h"
#include "analyser/UChartView.h"
#include "analyser/UExportChartForm.h"
#include "analyser/UGraphOptionForm.h"
#include "export/UFileListerForm.h"
#include "listing/KPLListView.h"
#include "model/UItem.h"
#include "tests/PlainText.h"
#include "tests/Screenshot.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

using namespace analyser;

namespace {

struct TTree {
    std::unique_ptr<model::TTopItem> top = std::make_unique<model::TTopItem>("/data/", nullptr);
    model::TFolderItem* docs = nullptr;
    TTree() {
        top->SetExplored(true);
        docs = Folder(top.get(), "docs");
        model::TFolderItem* music = Folder(top.get(), "music with a long name");
        Folder(docs, "old");
        const char* exts[] = {"txt", "jpg", "exe", "dll", "mp3", "doc",
                              "cpp", "h",   "png", "gif", "zip", "pdf"};
        for (int i = 0; i < 12; ++i)
            for (int k = 0; k <= i; ++k)
                File(i % 3 == 0   ? top.get()
                     : i % 3 == 1 ? docs
                                  : music,
                     "f" + std::to_string(i) + "_" + std::to_string(k) + "." + exts[i],
                     1000LL * (k + 1) * (i + 1), 44000.0 + i * 37 + k * 0.04);
        top->ComputeTotals();
    }
    model::TFolderItem* Folder(model::TFolderItem* parent, const std::string& name) {
        auto* f = model::NewItem<model::TFolderItem>(name, parent);
        parent->AddChild(f);
        f->SetExplored(true);
        return f;
    }
    void File(model::TFolderItem* parent, const std::string& name, std::int64_t size, double date) {
        auto* f = model::NewItem<model::TFileItem>(name, parent);
        parent->AddChild(f);
        f->SetSize(size);
        f->SetCreated(date);
        f->SetModified(date + 1.3);
        f->SetAccessed(date + 20.7);
    }
};

// The export dialog with the file question and the message boxes answered by the test.
class TScriptedExport : public TExportChartForm {
public:
    QString fileName;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    QStringList messages;

protected:
    QString AskFileName(const QString&, const QString&) override { return fileName; }
    QMessageBox::StandardButton ShowMessage(QMessageBox::Icon, const QString& caption, const QString& text,
                                            QMessageBox::StandardButtons) override {
        messages << caption + ": " + text;
        return answer;
    }
};

void Shot(QWidget& w, const QString& name) {
    txtest::SaveScreenshot(w, name);
}

} // namespace

class TestAnalyserForm : public QObject {
    Q_OBJECT
    QTemporaryDir FConfig;

private slots:
    void initTestCase() {
        QVERIFY(FConfig.isValid());
        qputenv("XDG_CONFIG_HOME", FConfig.path().toLocal8Bit());
    }

    void generatesEveryTabOnATree() {
        TTree t;
        TAnalyserForm form;
        QVERIFY(form.OpenFolder(t.top.get(), t.top.get(), true));
        QCOMPARE(form.windowTitle(), QString("Analyser - /data/"));
        QCOMPARE(form.PageControl1->count(), 9);
        QCOMPARE(form.PageControl1->tabText(6), QString("T&ype"));
        QCOMPARE(form.PageControl1->currentIndex(), 0);
        // Folders: three subfolder rows... two here, "Current Folder", separator, TOTAL.
        QCOMPARE(form.RowList(kSheetFolders).size(), size_t(5));
        QCOMPARE(form.RowList(kSheetSize).size(), size_t(15));
        QCOMPARE(form.RowList(kSheetExt).size(), size_t(14));
        QCOMPARE(form.RowList(kSheetAttr).size(), size_t(8));
        QCOMPARE(form.RowList(kSheetCusExt).size(), size_t(5));
        QCOMPARE(form.Sheet(kSheetExt).ListView->model()->rowCount(), 14);
        const TChart& ext = form.Sheet(kSheetExt).Chart->Chart();
        QCOMPARE(ext.Series(0)->Count(), 11);
        QCOMPARE(QString::fromStdString(ext.Series(0)->Point(0).Label), QString("All others"));
        QCOMPARE(QString::fromStdString(ext.Title[0]), QString("File Extension Distribution of"));
        QCOMPARE(QString::fromStdString(ext.Title[1]), QString("/data/"));

        form.resize(640, 500);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (int i = 0; i < 9; ++i) {
            form.PageControl1->setCurrentIndex(i);
            QCOMPARE(form.Sheet(i).Notebook->currentIndex(), 0);
            Shot(form, QString("analyser_chart_%1").arg(i));
        }
        form.DataRadio->setChecked(true);
        QCOMPARE(form.ExportButton->text(), QString("E&xport Data ..."));
        for (int i = 0; i < 9; ++i) {
            form.PageControl1->setCurrentIndex(i);
            QCOMPARE(form.Sheet(i).Notebook->currentIndex(), 1);
            Shot(form, QString("analyser_data_%1").arg(i));
        }
        // The date grouping follows either combo, and the two stay together.
        form.DateComboBox2->setCurrentIndex(4);
        QCOMPARE(form.DateComboBox->currentIndex(), 4);
        QCOMPARE(form.Sheet(kSheetDate).DataGroup, form.Reports().DateGroups[4].get());
        form.done(0);
    }

    void chartLabelsStandWholeAtTheDefaultSize() {
        TTree t;
        // Ten folders and more, their names cut at 13 characters on the pie.
        const char* names[] = {
            "documentation-archive",  "photographs-from-holidays", "virtual-machine-images",
            "configuration-backups",  "old-projects-to-delete",    "source-code-repositories",
            "downloads-from-browser", "build-artifacts-release",   "music-collection-flac"};
        int files = 0;
        for (const char* name : names) {
            model::TFolderItem* folder = t.Folder(t.top.get(), name);
            ++files;
            for (int k = 0; k < files; ++k)
                t.File(folder, "x" + std::to_string(k) + ".txt", 100, 44000.0);
        }
        t.top->ComputeTotals();
        TAnalyserForm form;
        QVERIFY(form.OpenFolder(t.top.get(), t.top.get(), true));
        form.resize(kAnalyserWidth, kAnalyserHeight); // an earlier case kept another size
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (int i = 0; i < 9; ++i) {
            form.PageControl1->setCurrentIndex(i);
            QApplication::processEvents();
            const TChartView* view = form.Sheet(i).Chart;
            const auto labels = ChartLabels(view->Chart(), view->rect());
            QVERIFY(!labels.empty());
            for (const TChartLabel& l : labels)
                QVERIFY2(l.Shown == l.Whole,
                         qPrintable(QString("tab %1: %2 shown as %3").arg(i).arg(l.Whole, l.Shown)));
        }
        form.done(0);
    }

    void headerClickSortsUpThenDown() {
        TTree t;
        TAnalyserForm form;
        QVERIFY(form.OpenFolder(t.top.get(), t.top.get(), true));
        form.DataRadio->setChecked(true);
        form.PageControl1->setCurrentIndex(kSheetExt);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        listing::TKPLListView* view = form.Sheet(kSheetExt).ListView;
        QHeaderView* header = view->header();
        // Column 1 (display position 1) is "Number of files" (57).
        const int section = view->ColumnAtDisplayPosition(1);
        QCOMPARE(view->ColumnTag(section), 57);
        const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                        header->height() / 2);
        auto firstCount = [&] { return view->model()->index(0, section).data().toString(); };
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(form.ColumnGroup(kSheetExt).SortCode, 114);
        const TRowList& rows = form.RowList(kSheetExt);
        QCOMPARE(QString::fromStdString(rows.front()->Name()), QString(".TXT")); // 1 file
        QCOMPARE(firstCount(), QString("1"));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(form.ColumnGroup(kSheetExt).SortCode, 115);
        QCOMPARE(QString::fromStdString(rows.front()->Name()), QString(".PDF")); // 12 files
        QVERIFY(!view->SortColumnUp());
        QVERIFY(IsTotalRow(rows.back()));
        QVERIFY(IsSeparatorRow(rows[rows.size() - 2]));
        // "Sort Ascending" from the popup on the same column.
        form.ListViewColumnRightClick(kSheetExt, section, at);
        QVERIFY(form.SortDescending1->isChecked());
        form.PopupMenu1->hide();
        form.SortAscending1Click();
        QCOMPARE(form.ColumnGroup(kSheetExt).SortCode, 114);
        form.done(0);
    }

    void typingFindsARowByTheStartOfItsName() {
        TTree t;
        TAnalyserForm form;
        QVERIFY(form.OpenFolder(t.top.get(), t.top.get(), true));
        form.DataRadio->setChecked(true);
        form.PageControl1->setCurrentIndex(kSheetExt);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        listing::TKPLListView* view = form.Sheet(kSheetExt).ListView;
        view->setFocus();
        const TRowList& rows = form.RowList(kSheetExt);
        auto currentName = [&] {
            return QString::fromStdString(rows[static_cast<size_t>(view->currentIndex().row())]->Name());
        };
        view->keyboardSearch(".p");
        QVERIFY(currentName().startsWith(".P"));
        view->keyboardSearch("n");
        QCOMPARE(currentName(), QString(".PNG"));
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        // A new search starts after the current row and wraps to the top.
        view->keyboardSearch(".p");
        QVERIFY(currentName().startsWith(".P"));
        QCOMPARE(currentName(), QString(".PDF")); // the other .P row, before or after .PNG
        form.done(0);
    }

    void drillsDownAndUp() {
        TTree t;
        TAnalyserForm form;
        QVERIFY(form.OpenFolder(t.top.get(), t.top.get(), true));
        // The pie: the slice of "docs".
        const TChart& pie = form.Sheet(kSheetFolders).Chart->Chart();
        int slice = -1;
        for (int i = 0; i < pie.Series(0)->Count(); ++i)
            if (QString::fromStdString(pie.Series(0)->Point(i).Label).endsWith("docs")) slice = i;
        QVERIFY(slice >= 0);
        form.Chart7ClickSeries(0, slice);
        QCOMPARE(form.Folder(), t.docs);
        QCOMPARE(form.windowTitle(), QString("Analyser - /data/docs/"));
        QCOMPARE(form.RowList(kSheetFolders).size(), size_t(4)); // "old", "Current Folder", separator, TOTAL
        // "Current Folder" is no subfolder.
        listing::TKPLListView* view = form.Sheet(kSheetFolders).ListView;
        const TRowList& rows = form.RowList(kSheetFolders);
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i]->Name() == "Current Folder")
                view->setCurrentIndex(view->model()->index(static_cast<int>(i), 0));
        form.FoldListViewDblClick();
        QCOMPARE(form.Folder(), t.docs);
        form.UpImage->click();
        QCOMPARE(form.Folder(), t.top.get());
        form.done(0);
    }

    void coloursAndBoxesAreKeptAcrossWindows() {
        TTree t;
        TChartColors colours;
        colours.Data[0] = 0x00AA00;
        colours.Background = 0x334455;
        colours.DataGradient = false;
        {
            TAnalyserForm form;
            QVERIFY(form.OpenFolder(t.top.get(), t.top.get(), true));
            form.SetChartColors(colours);
            form.Sheet(kSheetSize).LegendBox->setChecked(false);
            form.Sheet(kSheetSize).View3DBox->setChecked(true);
            form.PourCheckBox->setChecked(false);
            form.done(0);
        }
        TAnalyserForm again;
        QVERIFY(again.OpenFolder(t.top.get(), t.top.get(), true));
        QCOMPARE(again.ChartColors(), colours);
        QVERIFY(!again.Sheet(kSheetSize).LegendBox->isChecked());
        QVERIFY(!again.Sheet(kSheetSize).Chart->Chart().LegendVisible);
        QVERIFY(again.Sheet(kSheetSize).Chart->Chart().View3D);
        QVERIFY(!again.PourCheckBox->isChecked());
        QVERIFY(!again.Sheet(kSheetSize).Chart->Chart().Series(0)->GradientBars);
        QCOMPARE(again.Sheet(kSheetSize).Chart->Chart().Color, TChartColor(0x334455));
        QVERIFY(QFile::exists(FConfig.path() + "/Ombrelith/TessalundrixPro3.1.conf"));
        again.done(0);
    }

    void colourDialogResetsAndReadsBack() {
        TGraphOptionForm dialog;
        QCOMPARE(dialog.windowTitle(), QString("Analyser options"));
        TChartColors c;
        c.Data[5] = 0x010101;
        c.Title = 0x020202;
        c.BackgroundGradient = false;
        dialog.SetColors(c);
        QCOMPARE(dialog.Colors(), c);
        QCOMPARE(dialog.GetDataColor(0), TChartColor(0));
        QCOMPARE(dialog.GetDataColor(15), TChartColor(0));
        dialog.SetDataColor(15, 0x123456);
        QCOMPARE(dialog.GetDataColor(6), TChartColor(0x010101));
        dialog.Button3->click();
        QCOMPARE(dialog.Colors(), TChartColors{});
        QVERIFY(dialog.GetGradient1() && dialog.GetGradient2());
        Shot(dialog, "graph_options");
    }

    // The analysed folder "<b>bold<" holding "b>[*]": the title and the export dialog's "Name:"
    // show its path as it stands (a tag, and the title bar's modified mark).
    void namesThatLookLikeMarkupShowAsTheyStand() {
        const std::string path =
            std::string("/data/") + txtest::kMarkupFolder + "/" + txtest::kMarkupInner + "[*]/";
        model::TTopItem top(path, nullptr);
        top.SetExplored(true);
        auto* f = model::NewItem<model::TFileItem>(txtest::kEntityName, &top);
        top.AddChild(f);
        f->SetSize(10);
        top.ComputeTotals();
        TAnalyserForm form;
        QVERIFY(form.OpenFolder(&top, &top, true));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowHandle()->title(), "Analyser - " + QString::fromStdString(path));
        form.done(0);

        TChart chart;
        DesignChart(chart, kSheetSize);
        chart.Title = {"File Size Distribution of", path};
        TScriptedExport dialog;
        dialog.Prepare(chart, QSize(300, 200));
        QCOMPARE(dialog.Label10->text(), QString::fromStdString(path));
        QVERIFY(txtest::ShowsPlain(*dialog.Label9) && txtest::ShowsPlain(*dialog.Label10));
    }

    void exportDialogWritesAndAsksBeforeOverwriting() {
        QTemporaryDir dir;
        TChart chart;
        DesignChart(chart, kSheetSize);
        chart.Title = {"File Size Distribution of", "/data/"};
        chart.Series(0)->Add(3, "x", 0xFF8080);
        TScriptedExport dialog;
        dialog.Prepare(chart, QSize(300, 200));
        QCOMPARE(dialog.Label9->text(), QString("File Size Distribution of"));
        QCOMPARE(dialog.Label10->text(), QString("/data/"));
        QCOMPARE(dialog.ComboBox1->count(), 6);
        Shot(dialog, "export_chart");

        const QString target = dir.path() + "/chart.bmp";
        dialog.fileName = target;
        dialog.ComboBox1->setCurrentIndex(0);
        dialog.Button1->click();
        QCOMPARE(dialog.result(), int(TExportChartForm::kResultDone));
        QCOMPARE(dialog.messages.last(), QString("Success: File generated succesfully !"));
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(2), QByteArray("BM"));
        f.close();

        // An existing file and "No": nothing written, the dialog stays usable.
        const QString emf = dir.path() + "/chart.emf";
        QFile old(emf);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        dialog.Prepare(chart, QSize(300, 200));
        dialog.fileName = emf;
        dialog.answer = QMessageBox::No;
        dialog.ComboBox1->setCurrentIndex(1);
        dialog.Button1->click();
        QCOMPARE(dialog.messages.last(), "File exists: Overwrite " + emf + " ?");
        QVERIFY(dialog.Button1->isEnabled() && dialog.ComboBox1->isEnabled());
        QCOMPARE(dialog.result(), int(TExportChartForm::kResultCancel));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        old.close();
        dialog.answer = QMessageBox::Yes;
        dialog.Button1->click();
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.read(4), QByteArray("\x01\x00\x00\x00", 4));

        // A file in a folder that does not exist fails and says so.
        dialog.Prepare(chart, QSize(300, 200));
        dialog.fileName = dir.path() + "/missing/chart.wmf";
        dialog.ComboBox1->setCurrentIndex(2);
        dialog.Button1->click();
        QCOMPARE(dialog.messages.last(), QString("Error: Unable to generate file due to a file error !"));
        QVERIFY(dialog.Button1->isEnabled());

        QSignalSpy help(&dialog, &TExportChartForm::HelpRequested);
        dialog.Button3->click();
        QCOMPARE(help.size(), 1);
        QCOMPARE(help.front().front().toInt(), 1011);
    }

    void chartBarsOpenTheFileListerOnTheirFiles() {
        TTree t;
        TAnalyserForm form;
        QCOMPARE(form.ShowAnalyser(t.top.get(), nullptr, true), 1);
        QVERIFY(form.isVisible());
        const TChart& ext = form.Sheet(kSheetExt).Chart->Chart();
        const int count = ext.Series(0)->Count();
        const auto before = form.RowList(kSheetExt);
        form.Chart5ClickSeries(kSheetExt, 0, count - 1); // the largest: .PDF
        QCOMPARE(form.RowList(kSheetExt), before);       // the table keeps its order
        exportdata::TFileListerForm* lister = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* l = qobject_cast<exportdata::TFileListerForm*>(w); l && l->isVisible()) lister = l;
        QVERIFY(lister);
        QVERIFY(lister->Modeless());
        auto* list = lister->findChild<listing::TKPLListView*>();
        QVERIFY(list);
        QTRY_COMPARE_WITH_TIMEOUT(list->model()->rowCount(), 12, 5000); // the twelve .pdf files
        Shot(*lister, "file_lister_from_chart");
        lister->close();
        form.done(0);
    }

    void helpButtonAsksForTheAnalyserPage() {
        TAnalyserForm form;
        QSignalSpy help(&form, &TAnalyserForm::HelpRequested);
        form.HelpButton->click();
        QCOMPARE(help.size(), 1);
        QCOMPARE(help.front().front().toInt(), 1009);
    }
};

QTEST_MAIN(TestAnalyserForm)
#include "qtest_UAnalyserForm.moc"
