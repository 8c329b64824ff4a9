// The File Lister window offscreen: it fills, sorts by a header click, stops at "&Stop", keeps its
// settings under a temporary XDG_CONFIG_HOME, deletes into the desktop trash under a temporary
// XDG_DATA_HOME only after a Yes, copies with plain line breaks; and a screenshot.
#include "export/UFileListerForm.h"

#include "analyser/UAnalyserData.h"
#include "export/UExportDataForm.h"

#include "../mainwindow/ModalHelper.h"
#include "../platform/FakeDesktopOpener.h"
#include "listing/KPLListView.h"
#include "listing/UColumn.h"
#include "listing/UColumnsForm.h"
#include "model/UItem.h"
#include "platform/PQtRegistry.h"
#include "platform/PQtShell.h"
#include "tests/AnyNameTempDir.h"
#include "tests/PlainText.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cmath>

#include <cstdio>
#include <memory>
#include <optional>

using namespace exportdata;
using model::TFileItem;
using model::TFolderItem;
using model::TItem;

namespace {

// The window with the user's answers given in advance.
class TScriptedLister : public TFileListerForm {
public:
    using TFileListerForm::TFileListerForm;
    bool Answer = true;
    QStringList Questions, Errors;
    QMenu* LastPopup = nullptr;

protected:
    bool ConfirmDelete(const QString& q) override {
        Questions << q;
        return Answer;
    }
    void ShowError(const QString& text) override { Errors << text; }
    void RunPopup(QMenu* menu, const QPoint&) override { LastPopup = menu; }
};

// Files on disk under a manual exploration, so that the trash and the file manager have paths.
struct TDiskTree {
    QTemporaryDir dir;
    model::TRootItem root{"My Tessalundrix"};
    model::TManualItem* top = nullptr;
    explicit TDiskTree(int files, int perFolder = 1000) {
        top = new model::TManualItem(dir.path().toStdString(), model::kKindFixed, &root);
        root.AddChild(top);
        top->SetExplored(true);
        TFolderItem* folder = top;
        for (int i = 0; i < files; ++i) {
            if (i % perFolder == 0 && i > 0) {
                const std::string name = "sub" + std::to_string(i / perFolder);
                QDir(dir.path()).mkdir(QString::fromStdString(name));
                folder = model::NewItem<TFolderItem>(name, top);
                top->AddChild(folder);
                folder->SetExplored(true);
            }
            const std::string rel = (folder == top ? "" : folder->NameString() + "/") + Name(i);
            QFile f(dir.path() + "/" + QString::fromStdString(rel));
            f.open(QIODevice::WriteOnly);
            f.write(QByteArray(i % 7 * 10, 'x'));
            auto* item = model::NewItem<TFileItem>(Name(i), folder);
            folder->AddChild(item);
            item->SetSize(i % 7 * 10 + i); // distinct sizes
            item->SetModified(45000 + i);
            if (i == 3) item->SetAttributes(model::kAttrHidden);
        }
        root.ComputeTotals();
    }
    static std::string Name(int i) {
        static const char* ext[] = {".txt", ".pdf", ".png", ".cpp", ".tar.gz", ".odt", ""};
        return "file" + std::to_string(i) + ext[i % 7];
    }
};

std::vector<std::string> ShownNames(const TFileListerForm& form) {
    std::vector<std::string> names;
    auto& f = const_cast<TFileListerForm&>(form);
    for (const TItem* item : f.Lister().Listing())
        names.push_back(item->NameString());
    return names;
}

// Runs the modal window: step is called once the listing is built, then the window closes.
int RunModal(TFileListerForm& form, TDiskTree& t, int mode, const std::function<void()>& step) {
    QTimer::singleShot(0, &form, [&] {
        QTRY_VERIFY_WITH_TIMEOUT(form.isVisible() && !form.Lister().Busy() && form.BottomPanel->height() == 0,
                                 5000);
        step();
        form.close();
    });
    return form.Execute(t.top, &t.root, mode, nullptr, {}, false);
}

} // namespace

class TestFileListerForm : public QObject {
    Q_OBJECT
private:
    QTemporaryDir FConfig;
    txtest::TAnyNameTempDir FData; // the trash gets a name that is not UTF-8

private slots:
    void initTestCase() {
        qputenv("XDG_CONFIG_HOME", FConfig.path().toUtf8());
        qputenv("XDG_DATA_HOME", FData.path().toUtf8());
        platform::InstallQtShell();
    }
    // Each case starts without stored settings (closing a window writes them).
    void init() {
        platform::TRegistry store(platform::kExplorerSettings);
        store.DeleteKey("FileLister");
    }

    void handsTheListingToExportAndPopsUpOnRows() {
        TDiskTree t(8);
        TFolderItem* partial = model::NewItem<TFolderItem>("part", t.top);
        t.top->AddChild(partial);
        t.top->SetExplored(false);
        partial->SetExplored(true);
        analyser::TAnalyserExtGroup group;
        for (const TItem* item : t.top->Children())
            if (!item->IsFolder()) group.AddItem(*item);
        const std::int32_t key = group.FindKeyOfName(".TXT");
        QVERIFY(key >= 0);
        TScriptedLister form;
        // Wrong number of keys: nothing shown.
        QCOMPARE(form.Execute(t.top, &t.root, kListerKind1, &group, {key, key}, true), 0);
        QVERIFY(!form.isVisible());
        form.Execute(t.top, &t.root, kListerKind1, &group, {key}, true);
        QTRY_VERIFY(!form.Lister().Busy() && form.BottomPanel->height() == 0);
        QCOMPARE(form.windowTitle(),
                 "File Lister - " + t.dir.path() + "/ **   (File Extension Restriction: .TXT)");
        QCOMPARE(form.Lister().ListedCount(), 2);  // file0.txt, file7.txt
        QVERIFY(form.ColumnGroup().IsVisible(16)); // Extension shown for the restriction
        QString title, subject;
        QTimer::singleShot(0, &form, [&] {
            auto* dialog = qobject_cast<TExportDataForm*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            title = dialog->Label9->text();
            subject = dialog->Label10->text();
            dialog->Button2->click();
        });
        form.Export1->trigger();
        QCOMPARE(title, QString("File Lister (File Extension Restriction: .TXT) listing of"));
        QCOMPARE(subject, t.dir.path() + "/ **");

        // A right click on a row selects it and opens the row popup; beside the rows nothing.
        const QRect r = form.ListView->visualRect(form.ListView->ListModel()->index(1, 0));
        emit form.ListView->customContextMenuRequested(r.center());
        QCOMPARE(form.LastPopup, form.PopupMenu1);
        QCOMPARE(form.ListView->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(form.ListView->selectionModel()->selectedRows().front().row(), 1);
        form.LastPopup = nullptr;
        emit form.ListView->customContextMenuRequested(QPoint(5, form.ListView->viewport()->height() - 5));
        QCOMPARE(form.LastPopup, nullptr);
        form.close();
    }

    void keysOfTheMenusReachTheirCommands() {
        TDiskTree t(5);
        TScriptedLister form;
        form.Answer = false;
        RunModal(form, t, kListerAll, [&] {
            auto* view = form.ListView;
            view->setFocus();
            view->setCurrentIndex(view->ListModel()->index(1, 0));
            QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
            QCOMPARE(QApplication::clipboard()->text(),
                     QString::fromStdString(form.Lister().Row(1)->GetPath()));
            QTest::keyClick(view, Qt::Key_H, Qt::ControlModifier);
            QCOMPARE(QApplication::clipboard()->text(),
                     QString::fromStdString(form.Lister().Row(1)->NameString()));
            QTest::keyClick(view, Qt::Key_Delete);
            QCOMPARE(form.Questions.size(), 1);
            TFakeOpener opener;
            const TOpenerInstalled installed(opener);
            QTest::keyClick(view, Qt::Key_Return);
            QTRY_COMPARE(opener.paths, std::vector<std::string>{form.Lister().Row(1)->GetPath()});
            QTRY_COMPARE(opener.answered, 1); // the answer goes to the opener while it is there
        });
    }

    void desktopTrashTakesAnyName() {
        txtest::TAnyNameTempDir dir;
        const std::string bad = dir.path().toStdString() + "/bad\xff\xfe.bin";
        FILE* f = std::fopen(bad.c_str(), "w");
        QVERIFY(f);
        std::fclose(f);
        TDesktopTrash trash;
        std::string error;
        QVERIFY2(trash.MoveToTrash(bad, error), error.c_str());
        QVERIFY(!std::fopen(bad.c_str(), "r"));
        FILE* trashed =
            std::fopen((FData.path().toStdString() + "/Trash/files/bad\xff\xfe.bin").c_str(), "r");
        QVERIFY(trashed);
        std::fclose(trashed);
        QVERIFY(!trash.MoveToTrash(dir.path().toStdString() + "/missing", error));
        QCOMPARE(error, std::string("the file no longer exists"));
    }

    void customizesItsColumns() {
        TDiskTree t(5);
        TScriptedLister form;
        form.Execute(t.top, &t.root, kListerAll, nullptr, {}, true);
        QTRY_VERIFY(!form.Lister().Busy() && form.BottomPanel->height() == 0);
        QCOMPARE(form.ListView->ColumnCount(), 6);
        QTimer::singleShot(0, &form, [&] {
            auto* dialog = qobject_cast<listing::TColumnsForm*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->TabCount(), 1);
            dialog->Tab(0).list->item(1)->setCheckState(Qt::Unchecked); // "In Folder"
            dialog->OKButton()->click();
        });
        form.CustomizeColumns1->trigger();
        QCOMPARE(form.ListView->ColumnCount(), 5);
        QCOMPARE(form.ListView->ColumnTag(1), 1); // Size moved up
        QVERIFY(!form.ColumnGroup().Modified);
        QCOMPARE(form.ListView->ListModel()->rowCount(), 5);
        form.close();
    }

    // A column moved in Customize Columns keeps its width, set in the dialog or dragged in the list,
    // and keeps it when the File Lister is opened again.
    void aMovedColumnKeepsItsWidth_data() {
        QTest::addColumn<bool>("dragged");
        QTest::newRow("width set in the dialog") << false;
        QTest::newRow("width dragged in the list") << true;
    }
    void aMovedColumnKeepsItsWidth() {
        QFETCH(bool, dragged);
        constexpr int kType = 2;
        auto positionOf = [](listing::TKPLListView* view, int tag) {
            for (int i = 0; i < view->ColumnCount(); ++i)
                if (view->ColumnTagAt(i) == tag) return i;
            return -1;
        };
        TDiskTree t(5);
        int wanted = 0, at = -1;
        {
            TScriptedLister form;
            form.Execute(t.top, &t.root, kListerAll, nullptr, {}, true);
            QTRY_VERIFY(!form.Lister().Busy());
            listing::TKPLListView* view = form.ListView;
            at = positionOf(view, kType);
            QVERIFY(at > 1);
            const int before = view->ColumnWidthAt(at);
            if (dragged) view->header()->resizeSection(view->ColumnAtDisplayPosition(at), 2 * before);
            wanted = dragged ? view->ColumnWidthAt(at) : before + 40;
            QVERIFY(wanted != before);
            QTimer::singleShot(0, &form, [&] {
                auto* dialog = qobject_cast<listing::TColumnsForm*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                listing::TColumnsForm::TTab& tab = dialog->Tab(0);
                tab.list->setCurrentRow(at);
                QCOMPARE(tab.list->currentItem()->text(), QString("Type"));
                if (!dragged) tab.spin->setValue(wanted);
                tab.moveUp->click();
                QCOMPARE(tab.spin->value(), wanted);
                dialog->OKButton()->click();
            });
            form.CustomizeColumns1->trigger();
            QCOMPARE(positionOf(view, kType), at - 1);
            QCOMPARE(view->ColumnWidthAt(at - 1), wanted);
            form.close();
        }
        TScriptedLister again;
        again.Execute(t.top, &t.root, kListerAll, nullptr, {}, true);
        QTRY_VERIFY(!again.Lister().Busy());
        QCOMPARE(positionOf(again.ListView, kType), at - 1);
        QCOMPARE(again.ListView->ColumnWidthAt(at - 1), wanted);
        // The layout as it was, for the cases after this one.
        QTimer::singleShot(0, &again, [] {
            auto* dialog = qobject_cast<listing::TColumnsForm*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->Tab(0).reset->click();
            dialog->OKButton()->click();
        });
        again.CustomizeColumns1->trigger();
        again.close();
    }

    void dropsRowsWhoseItemsLeaveTheTree() {
        TDiskTree t(30, 10); // 10 files at the top, then sub1 and sub2
        TScriptedLister form;
        form.Execute(t.top, &t.root, kListerAll, nullptr, {}, true);
        QTRY_VERIFY(!form.Lister().Busy() && form.BottomPanel->height() == 0);
        QCOMPARE(form.ListView->ListModel()->rowCount(), 30);
        auto* sub1 = static_cast<TFolderItem*>(t.top->FindChild("sub1"));
        QVERIFY(sub1);
        sub1->Clear(); // a refresh elsewhere frees its files
        QCOMPARE(form.ListView->ListModel()->rowCount(), 20);
        QVERIFY(form.StatusText().startsWith("Total:  20 files"));
        t.root.Clear(); // the listed folder itself goes
        QCOMPARE(form.ListView->ListModel()->rowCount(), 0);
        QCOMPARE(form.windowTitle(), QString("File Lister - "));
        form.close();
    }

    // Open goes through the desktop's checked open: a file that nothing opens, or one deleted since
    // it was explored, gives the message when the desktop has answered.
    void opensThroughTheCheckedOpen() {
        struct TCase {
            const char* name;
            bool deleted, desktopOpens, message;
        };
        const TCase cases[] = {
            {"opened", false, true, false},
            {"no application", false, false, true},
            {"deleted since explored", true, true, true},
        };
        for (const TCase& c : cases) {
            TDiskTree t(3);
            TScriptedLister form;
            TFakeOpener opener;
            opener.opened = c.desktopOpens;
            const TOpenerInstalled installed(opener);
            RunModal(form, t, kListerAll, [&] {
                auto* view = form.ListView;
                view->selectionModel()->setCurrentIndex(view->ListModel()->index(0, 0),
                                                        QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
                const std::string path = form.Lister().Row(0)->GetPath();
                if (c.deleted) QVERIFY(QFile::remove(QString::fromStdString(path)));
                form.Open1->trigger();
                // The path is checked on a worker and the fake answers after a turn of the event
                // loop: the message comes with the later of the two.
                if (c.message)
                    QTRY_VERIFY2(form.Errors.size() == 1, c.name);
                else
                    QTRY_COMPARE(opener.answered, 1);
                QCOMPARE(opener.answered, c.deleted ? 0 : 1);
                QCOMPARE(opener.paths, c.deleted ? std::vector<std::string>{} : std::vector<std::string>{path});
                QVERIFY2(form.Errors.size() == (c.message ? 1 : 0), c.name);
                if (c.message)
                    QCOMPARE(form.Errors.front(), QString("Unable to open this file because\nno application is set "
                                                          "to open it or it cannot be accessed from this computer."));
            });
        }
    }

    // The listed folder is "<b>bold<" holding "b>[*]": its paths read as a tag, and its title holds
    // the title bar's modified mark. The title, the status bar, Confirm Delete and the error after a
    // refused delete show them as they stand.
    void namesThatLookLikeMarkupShowAsTheyStand() {
        QTemporaryDir dir;
        const QString top = dir.path() + "/" + txtest::kMarkupFolder + "/" + txtest::kMarkupInner + "[*]";
        QVERIFY(QDir().mkpath(top));
        const std::string name = std::string("<i>") + txtest::kEntityName; // a tag and an entity
        QFile(top + "/" + QString::fromStdString(name)).open(QIODevice::WriteOnly);
        model::TRootItem root{"My Tessalundrix"};
        auto* manual = new model::TManualItem(top.toStdString(), model::kKindFixed, &root);
        root.AddChild(manual);
        manual->SetExplored(true);
        auto* file = model::NewItem<TFileItem>(name, manual);
        manual->AddChild(file);
        root.ComputeTotals();
        const QString path = top + "/" + QString::fromStdString(name);

        struct TRefusingTrash : TFileTrash {
            bool MoveToTrash(const std::string&, std::string& error) override {
                error = "refused";
                return false;
            }
        } refusing;
        TFileListerForm form; // the real Confirm Delete and error boxes
        form.SetTrash(&refusing);
        QStringList texts;
        bool plain = true;
        QTimer::singleShot(0, &form, [&] {
            QTRY_VERIFY_WITH_TIMEOUT(
                form.isVisible() && !form.Lister().Busy() && form.BottomPanel->height() == 0, 5000);
            QCOMPARE(form.windowHandle()->title(), "File Lister - " + top + "/");
            auto* view = form.ListView;
            view->setFocus();
            view->selectionModel()->setCurrentIndex(view->ListModel()->index(0, 0),
                                                    QItemSelectionModel::ClearAndSelect |
                                                        QItemSelectionModel::Rows);
            QTRY_VERIFY(form.StatusText().endsWith(path));
            QVERIFY(txtest::ShowsPlain(*form.StatusPanel0));
            WhenModal<QMessageBox>([&](QMessageBox* question) {
                texts << question->text();
                plain = plain && txtest::ShowsPlain(*question);
                question->button(QMessageBox::Yes)->click();
                WhenModal<QMessageBox>([&](QMessageBox* error) {
                    texts << error->text();
                    plain = plain && txtest::ShowsPlain(*error);
                    error->button(QMessageBox::Ok)->click();
                });
            });
            form.DeleteClick();
            QTRY_COMPARE(texts.size(), 2); // the move answers on a worker, the error box after it
            form.close();
        });
        form.Execute(manual, &root, kListerAll, nullptr, {}, false);
        QCOMPARE(texts, QStringList({"Are you sure you want to move \"" + QString::fromStdString(name) +
                                         "\" to the trash?",
                                     "Unable to move this file to the trash:\n" + path + " (refused)"}));
        QVERIFY(plain);
    }

    void screenshot() {
        TDiskTree t(40);
        TScriptedLister form;
        form.Execute(t.top, &t.root, kListerAll, nullptr, {}, true);
        QTRY_VERIFY(!form.Lister().Busy() && form.BottomPanel->height() == 0);
        form.ListView->selectionModel()->select(form.ListView->ListModel()->index(2, 0),
                                                QItemSelectionModel::ClearAndSelect |
                                                    QItemSelectionModel::Rows);
        QCoreApplication::processEvents();
        const QString out = qEnvironmentVariable("TX_SCREENSHOT_DIR");
        if (!out.isEmpty()) QVERIFY(form.grab().save(out + "/file_lister.png"));
        form.close();
    }

    void fillsAndShowsTheIdleLayout() {
        TDiskTree t(45);
        TScriptedLister form;
        QCOMPARE(form.Execute(t.top, &t.root, kListerAll, nullptr, {}, true), 0);
        QVERIFY(form.isVisible());
        QVERIFY(form.Lister().Busy() || form.BottomPanel->height() > 0); // the walk waits for its timer
        QTRY_VERIFY(!form.Lister().Busy() && form.BottomPanel->height() == 0);
        QCOMPARE(form.ListView->ListModel()->rowCount(), 45);
        QCOMPARE(form.windowTitle(), "File Lister - " + t.dir.path() + "/");
        QVERIFY(!form.StatusGauge->isVisible());
        QVERIFY(form.StatusText().startsWith("Total:  45 files    "));
        QVERIFY(form.File1->menuAction()->isVisible());
        // Default columns: Name, In Folder, Size, Type, Modified, Attributes; largest first.
        QCOMPARE(form.ListView->ColumnCount(), 6);
        QCOMPARE(form.ListView->ColumnTag(2), 1);
        const auto& rows = form.Lister().Listing();
        QVERIFY(std::is_sorted(rows.begin(), rows.end(),
                               [](const TItem* a, const TItem* b) { return a->GetSize() > b->GetSize(); }));
        QCOMPARE(form.ListView->ListModel()
                     ->data(form.ListView->ListModel()->index(0, 0), Qt::DisplayRole)
                     .toString(),
                 QString::fromStdString(rows.front()->NameString()));
        // Modeless: open and delete never act.
        form.ListView->selectionModel()->select(form.ListView->ListModel()->index(0, 0),
                                                QItemSelectionModel::ClearAndSelect |
                                                    QItemSelectionModel::Rows);
        QVERIFY(!form.Delete1->isEnabled());
        QVERIFY(!form.Open1->isEnabled());
        QVERIFY(form.Explore1->isEnabled());
        form.DeleteClick();
        QVERIFY(form.Questions.isEmpty());
        TFakeOpener opener;
        platform::SetDesktopOpener(&opener);
        form.ExploreClick();
        QTRY_COMPARE(opener.paths, std::vector<std::string>{t.dir.path().toStdString() + "/"});
        QTRY_COMPARE(opener.answered, 1);
        QVERIFY(form.Errors.isEmpty());
        // A folder that is there, and a desktop that cannot show it, is reported when it says so.
        opener.opened = false;
        form.ExploreClick();
        QTRY_COMPARE(form.Errors.size(), 1);
        QCOMPARE(form.Errors.front(), QString("Unable to open this folder in File Manager because\n"
                                              "no application is set to open folders."));
        platform::SetDesktopOpener(nullptr);
        form.close();
    }

    void sortsByAHeaderClick() {
        TDiskTree t(20);
        TScriptedLister form;
        form.Execute(t.top, &t.root, kListerAll, nullptr, {}, true);
        QTRY_VERIFY(!form.Lister().Busy() && form.BottomPanel->height() == 0);
        QHeaderView* header = form.ListView->header();
        auto click = [&](int column) {
            const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        };
        click(0); // Name: ascending
        QCOMPARE(form.ColumnGroup().SortCode, 0);
        QCOMPARE(form.ListView->SortColumn(), 0);
        QVERIFY(form.ListView->SortColumnUp());
        std::vector<std::string> names = ShownNames(form);
        QVERIFY(std::is_sorted(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
            return model::CompareTextUpper(a, b) < 0;
        }));
        click(0); // descending
        QCOMPARE(form.ColumnGroup().SortCode, 1);
        QVERIFY(!form.ListView->SortColumnUp());
        QCOMPARE(ShownNames(form).front(), names.back());
        click(2); // Size: ascending
        QCOMPARE(form.ColumnGroup().SortCode, 2);
        QCOMPARE(form.ListView->SortColumn(), 2);
        QCOMPARE(ShownNames(form).front(), TDiskTree::Name(0));
        // The header popup marks the sorted column and sorts the other way.
        form.HeaderPopup(2, QPoint(5, 5));
        QCOMPARE(form.LastPopup, form.PopupMenu2);
        QVERIFY(form.SortAscending1->isChecked());
        QVERIFY(!form.SortDescending1->isChecked());
        form.SortDescending1->trigger();
        QCOMPARE(form.ColumnGroup().SortCode, 3);
        QCOMPARE(ShownNames(form).back(), TDiskTree::Name(0));
        form.HeaderPopup(-1, QPoint(5, 5));
        QVERIFY(!form.SortAscending1->isEnabled());
        form.close();
    }

    void stopsAtTheStopButton() {
        TDiskTree t(400, 50);
        TScriptedLister form;
        // Every point comes due, as if each took a frame.
        auto now = std::make_shared<model::TPacer::TClock::time_point>();
        form.Lister().Clock = [now] { return *now += kListerStatusInterval; };
        int pumps = 0;
        form.Execute(t.top, &t.root, kListerAll, nullptr, {}, true);
        form.Lister().ProcessMessages = [&] {
            if (++pumps == 2) {
                QVERIFY(!form.ListView->isEnabled());
                QVERIFY(!form.File1->menuAction()->isVisible());
                QCOMPARE(form.StatusText(), QString("60/400")); // 60 listed at the second pump
                QVERIFY(form.Button1->isVisible());
                const QString out = qEnvironmentVariable("TX_SCREENSHOT_DIR");
                if (!out.isEmpty()) form.grab().save(out + "/file_lister_walk.png");
                form.Button1->click();
            }
            QCoreApplication::processEvents();
        };
        QTRY_VERIFY(!form.Lister().Busy() && form.BottomPanel->height() == 0);
        QVERIFY(form.Lister().StopRequested());
        QVERIFY(form.Lister().ListedCount() < 400);
        QVERIFY(form.StatusText().endsWith(" (stopped)"));
        form.close();
    }

    // On the real clock the window pumps and shows its count at most once per interval, however
    // many points the walk passes (30,000 files: 1,000 of each).
    void pacesItsWalkByTheClock() {
        model::TRootItem root{"My Tessalundrix"};
        auto* top = new model::TManualItem("/paced", model::kKindFixed, &root);
        root.AddChild(top);
        top->SetExplored(true);
        for (int d = 0; d < 30; ++d) {
            auto* folder = model::NewItem<TFolderItem>("d" + std::to_string(d), top);
            top->AddChild(folder);
            folder->SetExplored(true);
            for (int i = 0; i < 1000; ++i) {
                auto* file = model::NewItem<TFileItem>("f" + std::to_string(i) + ".txt", folder);
                folder->AddChild(file);
                file->SetSize(i);
            }
        }
        root.ComputeTotals();

        TScriptedLister form;
        int pumps = 0, counts = 0;
        // The real clock; its first reading starts the walk's pacing.
        std::optional<model::TPacer::TClock::time_point> start;
        TFileLister& lister = form.Lister();
        lister.Clock = [&start] {
            const auto now = model::TPacer::TClock::now();
            if (!start) start = now;
            return now;
        };
        form.Execute(top, &root, kListerAll, nullptr, {}, true);
        lister.ProcessMessages = [&, pump = lister.ProcessMessages] {
            ++pumps;
            pump();
        };
        lister.ProgressChanged = [&, show = lister.ProgressChanged] {
            ++counts;
            show();
        };
        QTRY_VERIFY(!lister.Busy() && form.BottomPanel->height() == 0);
        QVERIFY(start.has_value());
        const auto elapsed = model::TPacer::TClock::now() - *start; // the walk's time, and more
        QCOMPARE(lister.ListedCount(), 30000);
        QVERIFY2(pumps <= elapsed / kListerCheckInterval, qPrintable(QString::number(pumps)));
        // "0/30000" first, and the last point's count at the end.
        QVERIFY2(counts <= elapsed / kListerStatusInterval + 2, qPrintable(QString::number(counts)));
        form.close();
    }

    void keepsItsSettings() {
        {
            TDiskTree t(5);
            TScriptedLister form;
            form.Execute(t.top, &t.root, kListerAll, nullptr, {}, true);
            QTRY_VERIFY(!form.Lister().Busy() && form.BottomPanel->height() == 0);
            form.resize(500, 400);
            form.move(30, 40);
            // 222 in layout units, wider on screen by the view's font
            form.ListView->header()->resizeSection(
                0, static_cast<int>(std::lround(222 * form.ListView->WidthScale())));
            form.close();
        }
        platform::TRegistry store(platform::kExplorerSettings);
        QVERIFY(store.OpenKey("FileLister", false));
        QCOMPARE(store.ReadInteger("Width").value, 500);
        QCOMPARE(store.ReadInteger("Height").value, 400);
        QVERIFY(store.DataSize("Columns") > 7);
        {
            TDiskTree t(5);
            TScriptedLister form;
            form.Execute(t.top, &t.root, kListerAll, nullptr, {}, true);
            QCOMPARE(form.width(), 500);
            QCOMPARE(form.height(), 400);
            QCOMPARE(form.ColumnGroup().GetWidth(0), 222);
            QCOMPARE(form.ListView->header()->sectionSize(0),
                     static_cast<int>(std::lround(222 * form.ListView->WidthScale())));
            form.close();
        }
        // Out of the screen: clamped.
        {
            platform::TRegistry w(platform::kExplorerSettings);
            w.OpenKey("FileLister", true);
            w.WriteInteger("Width", 5000);
            w.WriteInteger("Left", -50);
        }
        TDiskTree t(5);
        TScriptedLister form;
        form.Execute(t.top, &t.root, kListerBiggest, nullptr, {}, true);
        const QRect screen = form.screen()->geometry();
        QCOMPARE(form.width(), screen.width());
        QCOMPARE(form.x(), 0);
        form.ListView->header()->resizeSection(0, 111);
        form.close(); // not the plain listing: the stored layout stays as it was
        platform::TRegistry r(platform::kExplorerSettings);
        r.OpenKey("FileLister", false);
        TScriptedLister again;
        again.LoadSettings();
        QCOMPARE(again.ColumnGroup().GetWidth(0), 222);
    }

    void deletesIntoTheTrashOnlyOnYes() {
        TDiskTree t(12);
        const QString trashFiles = FData.path() + "/Trash/files/";
        TScriptedLister form;
        form.Answer = false;
        const int result = RunModal(form, t, kListerAll, [&] {
            auto* view = form.ListView;
            view->setCurrentIndex(view->ListModel()->index(0, 0));
            const std::string first = ShownNames(form).front();
            form.DeleteClick(); // No
            QCOMPARE(form.Questions.size(), 1);
            QVERIFY(form.Questions[0].contains(QString::fromStdString(first)));
            QCOMPARE(form.Lister().ListedCount(), 12);
            QVERIFY(QFile::exists(t.dir.path() + "/" + QString::fromStdString(first)));

            form.Answer = true;
            view->selectionModel()->select(view->ListModel()->index(1, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
            const std::string second = ShownNames(form)[1];
            form.DeleteClick(); // two rows, Yes
            QCOMPARE(form.Questions.size(), 2);
            QVERIFY(form.Questions[1].contains("these 2 files"));
            QTRY_COMPARE(form.Lister().ListedCount(), 10); // the moves answer later
            QVERIFY2(form.Errors.isEmpty(), qPrintable(form.Errors.join("|")));
            QCOMPARE(view->ListModel()->rowCount(), 10);
            QVERIFY(!QFile::exists(t.dir.path() + "/" + QString::fromStdString(first)));
            QVERIFY(QFile::exists(trashFiles + QString::fromStdString(first)));
            QVERIFY(QFile::exists(trashFiles + QString::fromStdString(second)));
            QCOMPARE(t.root.GetFileCount(), 10);

            // A file gone from the disk behind our back: reported, still listed.
            const std::string third = ShownNames(form).front();
            QFile::remove(t.dir.path() + "/" + QString::fromStdString(third));
            view->setCurrentIndex(view->ListModel()->index(0, 0));
            form.DeleteClick();
            QTRY_COMPARE(form.Errors.size(), 1);
            QVERIFY(form.Errors[0].startsWith("Unable to move this file to the trash:\n"));
            QCOMPARE(form.Lister().ListedCount(), 10);
        });
        QCOMPARE(result, -1);
    }

    void copiesWithPlainLineBreaksAndOpens() {
        TDiskTree t(6);
        TScriptedLister form;
        const int result = RunModal(form, t, kListerAll, [&] {
            auto* view = form.ListView;
            form.ColumnGroup().SortCode = 0;
            form.ListViewColumnClick(0); // names descending: file5 ... file0
            const std::vector<std::string> names = ShownNames(form);
            for (int row : {1, 4})
                view->selectionModel()->select(view->ListModel()->index(row, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
            QVERIFY(form.StatusText().contains("Calculating..."));
            QTRY_COMPARE(form.StatusText(),
                         QString("Total:  %1 bytes    2 files selected")
                             .arg(form.Lister().Row(1)->GetSize() + form.Lister().Row(4)->GetSize()));
            form.CopyFileName1->trigger();
            QCOMPARE(QApplication::clipboard()->text(),
                     "\n" + QString::fromStdString(names[4]) + "\n" + QString::fromStdString(names[1]));
            QVERIFY(!form.Open1->isEnabled());

            view->selectionModel()->select(view->ListModel()->index(2, 0),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            form.CopyCompletePath1->trigger();
            QCOMPARE(QApplication::clipboard()->text(),
                     t.dir.path() + "/" + QString::fromStdString(names[2]));
            QVERIFY(form.StatusText().endsWith(t.dir.path() + "/" + QString::fromStdString(names[2])));

            // Typing letters finds by name.
            view->setFocus();
            QTest::keyClicks(view, "FILE3");
            QCOMPARE(
                view->currentIndex().row(),
                static_cast<int>(std::find(names.begin(), names.end(), TDiskTree::Name(3)) - names.begin()));
            // Esc never closes the window.
            QTest::keyClick(&form, Qt::Key_Escape);
            QVERIFY(form.isVisible());
            QVERIFY(!form.Lister().StopRequested());
        });
        QCOMPARE(result, 0);
    }
};

QTEST_MAIN(TestFileListerForm)
#include "qtest_UFileListerForm.moc"
