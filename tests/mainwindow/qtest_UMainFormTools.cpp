// The main window's item commands offscreen, under a temporary configuration and data home: copy
// texts on the clipboard, delete into the trash only on Yes, removal from the manual list, a manual
// exploration of a temporary folder, the tool windows on their subject, the options round trip,
// the Help menu, and the network commands through a runner that mounts nothing.
#include "../platform/FakeDesktopOpener.h"
#include "FirstDrive.h"
#include "ModalHelper.h"
#include "analyser/UAnalyserForm.h"
#include "export/UExportDataForm.h"
#include "export/UFileListerForm.h"
#include "listing/KPLListView.h"
#include "listing/UColumn.h"
#include "listing/UColumnsForm.h"
#include "listing/UProgramProfile.h"
#include "mainwindow/UAboutForm.h"
#include "mainwindow/UHelpForm.h"
#include "mainwindow/UMainForm.h"
#include "mainwindow/UManualScanForm.h"
#include "mainwindow/UOptionsForm.h"
#include "mainwindow/UTipsForm.h"
#include "model/UIconManager.h"
#include "platform/PQtRegistry.h"
#include "platform/PQtShell.h"
#include "tests/AnyNameTempDir.h"
#include "tests/PlainText.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <fcntl.h>
#include <unistd.h>

#include <memory>

using namespace mainwindow;
using namespace model;

namespace {

void WriteFile(const QString& path, int bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(bytes, 'x'));
}

class TFakeRunner : public TProgramRunner {
public:
    bool hasGio = true;
    int exitCode = 0;
    std::vector<std::vector<std::string>> runs;
    bool Has(const std::string& program) override { return program != "gio" || hasGio; }
    int Run(const std::vector<std::string>& argv, std::string& errors) override {
        runs.push_back(argv);
        if (exitCode != 0) errors = "refused";
        return exitCode;
    }
};

} // namespace

class TestMainFormTools : public QObject {
    Q_OBJECT

    QTemporaryDir FConfig;
    txtest::TAnyNameTempDir FDataHome, FDir; // they hold a name that is not UTF-8
    QString FData; // the preferred folder explored at start, with a trailing "/"
    std::unique_ptr<TMainForm> FForm;
    std::vector<std::string> FMessages;
    TFakeRunner FRunner;
    int FStartupTips = 0;

    // The dialogs answered by the test; messages collected in FMessages, or shown for real.
    TMainForm::TDialogHooks Hooks(bool realMessages = false) {
        TMainForm::TDialogHooks hooks;
        if (!realMessages)
            hooks.message = [this](const std::string& text, const std::string& caption) {
                FMessages.push_back(caption + ": " + text);
            };
        hooks.closeAnswer = [] { return TCloseAnswer::No; };
        hooks.startupTip = [this] { ++FStartupTips; };
        return hooks;
    }

    void Start() {
        FForm = std::make_unique<TMainForm>();
        FForm->SetDialogHooks(Hooks());
        FForm->SetProgramRunner(&FRunner);
        FForm->ShowMainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
        QTRY_VERIFY(FForm->StartupDone());
        FForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(FForm.get()));
    }

    TFolderItem* Preferred() const {
        TPreferredRootItem* pref = FForm->RootItem()->PreferredRoot();
        return pref && pref->ChildCount() > 0 ? static_cast<TFolderItem*>(pref->Child(0)) : nullptr;
    }

    void SelectInTree(TFolderItem* item) {
        FForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(FForm.get()));
        FForm->TreeView->setFocus();
        QTreeWidgetItem* node = FForm->NodeOf(item);
        QVERIFY(node);
        FForm->TreeView->setCurrentItem(node);
        QCOMPARE(FForm->Focus(), TFocus::Tree);
    }

    // Selects the rows of the named children of the preferred folder, with the list focused.
    void SelectRows(const QStringList& names) {
        SelectInTree(Preferred());
        FForm->ListView->setFocus();
        FForm->ListView->clearSelection();
        for (const QString& name : names) {
            const int row = FForm->FindListItem(Preferred()->FindChild(name.toStdString()));
            QVERIFY2(row >= 0, qPrintable(name));
            FForm->ListView->selectionModel()->select(FForm->ListView->model()->index(row, 0),
                                                      QItemSelectionModel::Select |
                                                          QItemSelectionModel::Rows);
            if (name == names.front())
                FForm->ListView->selectionModel()->setCurrentIndex(FForm->ListView->model()->index(row, 0),
                                                                   QItemSelectionModel::NoUpdate);
        }
        QCOMPARE(FForm->Focus(), TFocus::List);
    }

    void Refresh() {
        SelectInTree(Preferred());
        FForm->RefreshExplore1Click();
    }

    QString Trashed(const QString& name) const { return FDataHome.path() + "/Trash/files/" + name; }

private slots:
    void initTestCase() {
        qputenv("XDG_CONFIG_HOME", FConfig.path().toUtf8());
        qputenv("XDG_DATA_HOME", FDataHome.path().toUtf8());
        platform::InstallQtShell();
        IconManager().Init();
        listing::SetCurrentProfile(listing::ExplorerProfile());
        FData = FDir.path() + "/data/";
        QVERIFY(QDir().mkpath(FData + "sub"));
        QVERIFY(QDir().mkpath(FDir.path() + "/manual/inner"));
        WriteFile(FData + "a.txt", 100);
        WriteFile(FData + "b.bin", 3000);
        WriteFile(FData + "sub/c.txt", 50);
        WriteFile(FDir.path() + "/manual/inner/m.txt", 9);
        platform::TRegistry reg(platform::kExplorerSettings);
        reg.OpenKey("Preferred", true);
        reg.WriteString("Pref0", "1" + FData.toStdString());
        QVERIFY(reg.Flush());
        Start();
        QVERIFY(Preferred() && Preferred()->IsExplored());
        QCOMPARE(FStartupTips, 1); // ShowTips is on by default
    }

    void commandsOfBuiltWindowsAreEnabled() {
        SelectInTree(Preferred());
        for (QAction* a :
             {FForm->FileLister1, FForm->Analyser1, FForm->N100biggestfiles1, FForm->CopyFileName2,
              FForm->CopyCompletePath2, FForm->OpeninWindowsExplorer1, FForm->ExportData1,
              FForm->ManualExploration1, FForm->AddPreferredExploration1, FForm->MapDrive1,
              FForm->Disconnect1, FForm->Options1, FForm->Tipoftheday1, FForm->Delete1})
            QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
        // A preferred exploration is removed from its list, not deleted.
        QCOMPARE(FForm->Delete1->text(), QString("R&emove from My Preferred Explorations"));
        // The Help menu has nothing disabled.
        for (QAction* a : {FForm->Contents1, FForm->Tipoftheday1, FForm->TessalundrixWebSite1,
                           FForm->OnlineHelp1, FForm->OnlineSupport1, FForm->About1})
            QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
        QVERIFY(txtest::SaveScreenshot(*FForm, "main"));
        for (QMenu* menu : FForm->menuBar()->findChildren<QMenu*>()) {
            if (menu->title().isEmpty()) continue;
            menu->adjustSize();
            Shot(menu, "menu_" + menu->title().remove('&'));
        }
    }

    void copyTextsGoToTheClipboard() {
        SelectRows({"a.txt", "b.bin"});
        FForm->CopyFilename1Click();
        // In display order, each name followed by a line break.
        const bool aFirst = FForm->FindListItem(Preferred()->FindChild("a.txt")) <
                            FForm->FindListItem(Preferred()->FindChild("b.bin"));
        QCOMPARE(QApplication::clipboard()->text(), QString(aFirst ? "a.txt\nb.bin\n" : "b.bin\na.txt\n"));
        SelectRows({"b.bin"});
        FForm->CopyFilename1Click();
        QCOMPARE(QApplication::clipboard()->text(), QString("b.bin"));
        FForm->CopyFoldername1Click();
        QCOMPARE(QApplication::clipboard()->text(), FData);
        SelectRows({"sub"});
        FForm->CopyCompletePath1Click();
        QCOMPARE(QApplication::clipboard()->text(), FData + "sub/");
        SelectInTree(Preferred());
        FForm->CopyCompletePath1Click();
        QCOMPARE(QApplication::clipboard()->text(), FData);
        // Neither view has the keyboard: the command has no subject.
        QApplication::clipboard()->setText("untouched");
        FForm->PathEdit->setFocus();
        QCOMPARE(FForm->Focus(), TFocus::None);
        FForm->CopyFilename1Click();
        QCOMPARE(QApplication::clipboard()->text(), QString("untouched"));
    }

    void openInTheFileManagerTakesTheTreeSelection() {
        TFakeOpener opener;
        platform::SetDesktopOpener(&opener);
        SelectRows({"a.txt"});
        QVERIFY(FForm->OpeninWindowsExplorer3->isEnabled());
        FMessages.clear();
        FForm->ExpToolButtonClick();
        // For a file row the file's folder opens (once a worker has found it there).
        QTRY_COMPARE(opener.paths, std::vector<std::string>{FData.toStdString()});
        QTRY_COMPARE(opener.answered, 1);
        QVERIFY(FMessages.empty());
        FForm->ListViewDblClick(); // a file row is opened by the desktop
        QTRY_COMPARE(opener.paths.back(), (FData + "a.txt").toStdString());
        QTRY_COMPARE(opener.answered, 2);
        QVERIFY(FMessages.empty());

        // No application for the file's type: said when the desktop gives up, for each way of opening.
        const std::string noApplication =
            "Error: Unable to open this file because\n\rno application is set to open it or it cannot "
            "be accessed from this computer.";
        opener.opened = false;
        FForm->ListViewDblClick();
        QTRY_COMPARE(FMessages, std::vector<std::string>{noApplication});
        FMessages.clear();
        FForm->ListView->setFocus();
        QTest::keyClick(FForm->ListView, Qt::Key_Return);
        QTRY_COMPARE(FMessages, std::vector<std::string>{noApplication});
        FMessages.clear();
        FForm->Open3->trigger();
        QTRY_COMPARE(FMessages, std::vector<std::string>{noApplication});
        FMessages.clear();

        // A folder that is there and no file manager, or one that fails: said when the desktop gives up.
        FForm->ExpToolButtonClick();
        QTRY_COMPARE(FMessages.size(), std::size_t(1));
        QCOMPARE(FMessages.front(),
                 std::string("Error: Unable to open this folder in File Manager because\n\r"
                             "no application is set to open folders."));
        const std::string failed =
            "Error: Unable to open this folder in File Manager because\n\rthis folder does "
            "not exist or cannot be accessed from this computer.";
        // A folder that is gone is not handed to the desktop at all.
        QVERIFY(QDir().mkpath(FData + "brief"));
        Refresh();
        auto* brief = dynamic_cast<TFolderItem*>(Preferred()->FindChild("brief"));
        QVERIFY(brief);
        FForm->NodeOf(Preferred())->setExpanded(true);
        SelectInTree(brief);
        QVERIFY(QDir(FData).rmdir("brief"));
        FMessages.clear();
        FForm->ExpToolButtonClick();
        QTRY_COMPARE(FMessages, std::vector<std::string>{failed});
        QCOMPARE(opener.paths.size(), std::size_t(6));
        platform::SetDesktopOpener(nullptr);
        FMessages.clear();
        Refresh();
    }

    void aNameThatIsNoUtf8GoesToTheTrashShownAsTheListShowsIt() {
        // A folder named in UTF-8 holding a file named in Windows-1252 ("caf\xE9.txt").
        const QString folder = FData + QString::fromUtf8("spaces and \xC3\xBCn\xC3\xAF"
                                                         "code");
        QVERIFY(QDir().mkpath(folder));
        const std::string bad = folder.toStdString() + "/caf\xE9.txt";
        const int fd = ::open(bad.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
        Refresh();
        auto* sub = dynamic_cast<TFolderItem*>(Preferred()->FindChild("spaces and \xC3\xBCn\xC3\xAF"
                                                                      "code"));
        QVERIFY(sub);
        FForm->NodeOf(Preferred())->setExpanded(true);
        SelectInTree(sub);
        FForm->ListView->setFocus();
        const QModelIndex row = FForm->ListView->model()->index(0, 0);
        QCOMPARE(row.data().toString(), QString::fromUtf8("caf\xC3\xA9.txt"));
        FForm->ListView->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect |
                                                                    QItemSelectionModel::Rows);
        QCOMPARE(FForm->Focus(), TFocus::List);
        QString question;
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            question = box->text();
            Shot(box, "confirm_delete_names");
            box->button(QMessageBox::Yes)->click();
        });
        FMessages.clear();
        FForm->Delete1Click();
        // Each name as the list shows it: the folder's UTF-8 and the file's Windows-1252.
        QVERIFY2(question.contains(folder + QString::fromUtf8("/caf\xC3\xA9.txt")), qPrintable(question));
        QTRY_VERIFY(!sub->FindChild("caf\xE9.txt")); // the move answers later
        QVERIFY(FMessages.empty());
        QVERIFY(::access(bad.c_str(), F_OK) != 0);
        QVERIFY(::access((FDataHome.path().toStdString() + "/Trash/files/caf\xE9.txt").c_str(), F_OK) == 0);
        QVERIFY(!sub->FindChild("caf\xE9.txt"));
    }

    void deleteMovesToTheTrashOnlyOnYes() {
        WriteFile(FData + "gone.txt", 5);
        Refresh();
        for (QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Cancel}) {
            SelectRows({"gone.txt"});
            QVERIFY(FForm->Delete1->isEnabled());
            QCOMPARE(FForm->Delete1->text(), QString("&Delete"));
            bool asked = false;
            WhenModal<QMessageBox>([&](QMessageBox* box) {
                asked = true;
                QCOMPARE(box->windowTitle(), QString("Confirm Delete"));
                QCOMPARE(box->icon(), QMessageBox::Warning);
                QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
                QVERIFY(box->text().contains(FData + "gone.txt"));
                box->button(answer)->click();
            });
            FForm->Delete1Click();
            QVERIFY(asked);
            QVERIFY(QFile::exists(FData + "gone.txt"));
            QVERIFY(Preferred()->FindChild("gone.txt"));
        }
        SelectRows({"gone.txt"});
        WhenModal<QMessageBox>([](QMessageBox* box) {
            Shot(box, "confirm_delete");
            box->button(QMessageBox::Yes)->click();
        });
        FForm->Delete1Click();
        QTRY_VERIFY(!Preferred()->FindChild("gone.txt")); // the move answers later
        QVERIFY(!QFile::exists(FData + "gone.txt"));
        QVERIFY(QFile::exists(Trashed("gone.txt")));
        QCOMPARE(FForm->FindListItem(nullptr), -1);
        QVERIFY(FMessages.empty());
    }

    void aFileThatCannotGoToTheTrashIsReportedAndStaysListed() {
        WriteFile(FData + "vanished.txt", 4);
        Refresh();
        QVERIFY(QFile::remove(FData + "vanished.txt")); // gone behind the program's back
        SelectRows({"vanished.txt"});
        WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        FMessages.clear();
        FForm->Delete1Click();
        QTRY_COMPARE(FMessages.size(), std::size_t(1));
        QVERIFY(FMessages.front().starts_with("Error: Some items could not be moved to the trash:"));
        QVERIFY(FMessages.front().find("vanished.txt") != std::string::npos);
        QVERIFY(Preferred()->FindChild("vanished.txt"));
        FMessages.clear();
        Refresh();
        QVERIFY(!Preferred()->FindChild("vanished.txt"));
    }

    void deletingAFolderFromTheTreeTrashesItAndItsNode() {
        QVERIFY(QDir().mkpath(FData + "old/deep"));
        WriteFile(FData + "old/deep/x.txt", 3);
        Refresh();
        auto* old = dynamic_cast<TFolderItem*>(Preferred()->FindChild("old"));
        QVERIFY(old);
        FForm->NodeOf(Preferred())->setExpanded(true);
        SelectInTree(old);
        QVERIFY(FForm->Delete1->isEnabled());
        WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        FForm->Delete1Click();
        QTRY_VERIFY(!Preferred()->FindChild("old")); // the move answers later
        QVERIFY(!QFileInfo::exists(FData + "old"));
        QVERIFY(QFileInfo(Trashed("old")).isDir());
        QCOMPARE(FForm->SelectedTreeItem(), Preferred());
    }

    void aDriveIsNeverOfferedForDelete() {
        TComputerRootItem* computer = FForm->RootItem()->ComputerRoot();
        TFolderItem* drive = FirstDrive(computer);
        if (!drive) QSKIP(kNoDriveReason);
        FForm->NodeOf(computer)->setExpanded(true);
        SelectInTree(drive);
        QVERIFY(!FForm->Delete1->isEnabled());
        bool asked = false;
        WhenModal<QMessageBox>(
            [&](QMessageBox* box) {
                asked = true;
                box->button(QMessageBox::Cancel)->click();
            },
            20);
        FForm->Delete1Click();
        QTest::qWait(300);
        QVERIFY(!asked);
    }

    void manualExplorationOfAFolderAndItsRemoval() {
        const QString path = FDir.path() + "/manual";
        WhenModal<TManualScanForm>([&](TManualScanForm* w) {
            w->PathEdit->setText(path);
            w->Button1->click();
        });
        FForm->ManualExploration1Click();
        TManualRootItem* manual = FForm->RootItem()->ManualRoot();
        QCOMPARE(manual->ChildCount(), 1);
        auto* item = dynamic_cast<TManualItem*>(manual->Child(0));
        QVERIFY(item);
        QVERIFY(item->IsExplored());
        QCOMPARE(QString::fromStdString(item->GetPath()), path + "/");
        QVERIFY(manual->IsExplored());
        QCOMPARE(FForm->SelectedTreeItem(), item);
        auto* inner = dynamic_cast<TFolderItem*>(item->FindChild("inner"));
        QVERIFY(inner && inner->FindChild("m.txt"));

        // Remove: out of the list, nothing touched on disk, no question.
        SelectInTree(item);
        QCOMPARE(FForm->Delete1->text(), QString("R&emove from My Manual Explorations"));
        FForm->Delete1Click();
        QCOMPARE(manual->ChildCount(), 0);
        QVERIFY(QFile::exists(path + "/inner/m.txt"));
        QCOMPARE(FForm->SelectedTreeItem(), manual);
    }

    void cancelledManualDialogAddsNothing() {
        WhenModal<TManualScanForm>([](TManualScanForm* w) { w->Button2->click(); });
        FForm->ManualExploration1Click();
        QCOMPARE(FForm->RootItem()->ManualRoot()->ChildCount(), 0);
    }

    void addToPreferredTakesTheFolderUnexplored() {
        Refresh();
        FForm->NodeOf(Preferred())->setExpanded(true);
        auto* sub = dynamic_cast<TFolderItem*>(Preferred()->FindChild("sub"));
        QVERIFY(sub);
        SelectInTree(sub);
        QVERIFY(FForm->AddPref1->isEnabled());
        FForm->AddPref1Click();
        TPreferredRootItem* pref = FForm->RootItem()->PreferredRoot();
        QCOMPARE(pref->ChildCount(), 2);
        auto* added = dynamic_cast<TPreferredItem*>(pref->Child(1));
        QVERIFY(added);
        QCOMPARE(QString::fromStdString(added->GetPath()), FData + "sub/");
        QVERIFY(!added->IsExplored());
        QVERIFY(!added->ExploreAtStart());
        // Removing it leaves the first one.
        SelectInTree(added);
        FForm->Delete1Click();
        QCOMPARE(pref->ChildCount(), 1);
    }

    void autoExploreTogglesFromThePreferredPopup() {
        QTreeWidgetItem* node = FForm->NodeOf(Preferred());
        auto* pref = dynamic_cast<TPreferredItem*>(Preferred());
        QVERIFY(pref && pref->ExploreAtStart());
        SelectInTree(FForm->RootItem());
        // The mark at the icon's lower right corner: green when on, red when off.
        auto mark = [node] { return node->icon(0).pixmap(16, 16).toImage().pixelColor(12, 12); };
        QVERIFY2(mark().green() > 100 && mark().red() < 80, qPrintable(mark().name()));
        FForm->TreeViewContextPopup(node, QPoint(), FForm->Auto1);
        QVERIFY(!pref->ExploreAtStart());
        QCOMPARE(FForm->SelectedTreeItem(), Preferred()); // the popup's node became the selection
        QVERIFY2(mark().red() > 150 && mark().green() < 80 && mark().blue() < 80, qPrintable(mark().name()));
        FForm->TreeViewContextPopup(node, QPoint(), FForm->Auto1);
        QVERIFY(pref->ExploreAtStart());
        QVERIFY2(mark().green() > 100 && mark().red() < 80, qPrintable(mark().name()));
        FForm->PopupMenuPref->adjustSize();
        Shot(FForm->PopupMenuPref, "popup_pref");
    }

    void newFromTheContainersPopupAsksForItsKind() {
        for (TManualRootItem* container : {static_cast<TManualRootItem*>(FForm->RootItem()->PreferredRoot()),
                                           FForm->RootItem()->ManualRoot()}) {
            QString title;
            WhenModal<TManualScanForm>([&](TManualScanForm* w) {
                title = w->windowTitle();
                w->Button2->click();
            });
            FForm->TreeViewContextPopup(FForm->NodeOf(container), QPoint(), FForm->New1);
            QCOMPARE(title,
                     QString(container == FForm->RootItem()->ManualRoot() ? "Manual Exploration"
                                                                          : "New Preferred Exploration"));
        }
    }

    void toolWindowsOpenOnTheSubject() {
        SelectInTree(Preferred());
        bool lister = false, analyserShown = false, exported = false;
        WhenModal<exportdata::TFileListerForm>([&](exportdata::TFileListerForm* w) {
            lister = true;
            QVERIFY(w->Lister().Folder() == Preferred());
            Shot(w, "file_lister");
            w->reject();
        });
        FForm->FileToolButtonClick();
        QVERIFY(lister);
        WhenModal<analyser::TAnalyserForm>([&](analyser::TAnalyserForm* w) {
            analyserShown = true;
            w->reject();
        });
        SelectInTree(Preferred());
        FForm->Analyser1Click();
        QVERIFY(analyserShown);
        SelectInTree(Preferred());
        WhenModal<exportdata::TExportDataForm>([&](exportdata::TExportDataForm* w) {
            exported = true;
            w->reject();
        });
        FForm->ExportData1Click();
        QVERIFY(exported);
    }

    // Export Data names what is exported ("File listing") and of what, and offers no totals: the
    // main list has none.
    void exportDataNamesTheListingAndItsSubject() {
        struct TCase {
            TFolderItem* item;
            QString subject;
        } cases[] = {
            {FForm->RootItem(), "My Computer"},
            {Preferred(), FData},
        };
        for (const TCase& c : cases) {
            SelectInTree(c.item);
            QVERIFY(FForm->ExportData1->isEnabled());
            const TExportNames names = ExportNamesOf(FForm->ExportData1);
            QVERIFY(names.shown);
            QCOMPARE(names.title, QString("File listing of"));
            QCOMPARE(names.subject, c.subject);
            QVERIFY(!names.totals);
        }
    }

    void filesDeletedInTheFileListerLeaveTheMainViews() {
        WriteFile(FData + "listed.txt", 11);
        Refresh();
        QVERIFY(FForm->FindListItem(Preferred()->FindChild("listed.txt")) >= 0);
        const std::int64_t before = Preferred()->GetSize();
        SelectInTree(Preferred());
        WhenModal<exportdata::TFileListerForm>([](exportdata::TFileListerForm* w) {
            // The listing is built once the window runs.
            QTRY_VERIFY(w->Lister().RowCount() > 0 && !w->Lister().Busy());
            for (int i = 0; i < w->Lister().RowCount(); ++i)
                if (w->Lister().Row(i)->Name() == "listed.txt")
                    w->ListView->setCurrentIndex(w->ListView->model()->index(i, 0));
            WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
            w->DeleteClick();
            w->reject();
        });
        FForm->FileToolButtonClick();
        // The move answers after the window closed: the tree follows all the same.
        QTRY_VERIFY(!Preferred()->FindChild("listed.txt"));
        QVERIFY(!QFile::exists(FData + "listed.txt"));
        QCOMPARE(Preferred()->GetSize(), before - 11);
        for (const TItem* row : FForm->ShownItems())
            QVERIFY(!row || row->Name() != "listed.txt");
    }

    void optionsApplyOnOkOnlyAndAllButTheUnitsLastToTheNextRun() {
        listing::TColumnList& columns = listing::ColumnCatalogue();
        QCOMPARE(columns.SizeUnit, 1);
        WhenModal<TOptionsForm>([](TOptionsForm* w) {
            w->ListUnit[2]->setChecked(true);
            w->Button2->click();
        });
        FForm->Options1Click();
        QCOMPARE(columns.SizeUnit, 1);

        WhenModal<TOptionsForm>([](TOptionsForm* w) {
            w->ListUnit[2]->setChecked(true);
            w->DriveUnit[0]->setChecked(true);
            w->SaveCheckBox->setChecked(false);
            w->RadioButton8->setChecked(false);
            w->RadioButton7->setChecked(true); // real icons on removable drives
            w->Button1->click();
        });
        FForm->Options1Click();
        QCOMPARE(columns.SizeUnit, 2);
        QCOMPARE(columns.SpaceUnit, 0);
        QVERIFY(!FForm->AskSave());
        QVERIFY(IconManager().RealIconsRemovable);

        // The options are written at shut-down and read at the next start; the size units are not:
        // a new run (its catalogue made anew) starts with the defaults.
        FForm->close();
        FForm.reset();
        columns.SizeUnit = listing::kUnitKB;
        columns.SpaceUnit = listing::kUnitGB;
        IconManager().RealIconsRemovable = false;
        Start();
        QCOMPARE(columns.SizeUnit, 1);
        QCOMPARE(columns.SpaceUnit, 3);
        QVERIFY(!FForm->AskSave());
        QVERIFY(IconManager().RealIconsRemovable);
    }

    // After a command's progress window or dialog, the view it came from has the keyboard again
    // and the status bar shows that view's totals.
    void statusBarShowsTheTotalsAfterAnExploration() {
        SelectInTree(Preferred());
        const QString folder = "Folder " + FData;
        QCOMPARE(FForm->StatusPanel0->text(), folder);
        FForm->RefreshExplore1Click();
        QCOMPARE(FForm->StatusPanel0->text(), folder);
        QVERIFY(FForm->StatusPanel1->text().startsWith("Total:   3 files"));
        QTRY_COMPARE(QApplication::focusWidget(), FForm->TreeView);
    }

    void statusBarShowsTheRowAfterCustomizeColumns() {
        SelectRows({"a.txt"});
        QCOMPARE(FForm->StatusPanel0->text(), QString("File a.txt"));
        // A column hidden: the list is built again under the new columns.
        WhenColumnsAskedHideOne();
        const int columns = FForm->ListView->ColumnCount();
        FForm->Columns1Click();
        QCOMPARE(FForm->ListView->ColumnCount(), columns - 1);
        QCOMPARE(FForm->SelectedRows(), std::vector<TItem*>{Preferred()->FindChild("a.txt")});
        QCOMPARE(FForm->StatusPanel0->text(), QString("File a.txt"));
        QCOMPARE(FForm->StatusPanel1->text(), QString("Total:   100 bytes"));
        QTRY_COMPARE(QApplication::focusWidget(), FForm->ListView);
        // The column back, for the cases after this one.
        WhenModal<listing::TColumnsForm>([](listing::TColumnsForm* w) {
            listing::TColumnsForm::TTab& tab = w->Tab(w->PageControl()->currentIndex());
            tab.reset->click();
            w->OKButton()->click();
        });
        FForm->Columns1Click();
        QCOMPARE(FForm->ListView->ColumnCount(), columns);
    }

    // A column moved in Customize Columns keeps its width: one set in the dialog, one dragged in
    // the list, and one of a column dragged to another place first.
    void aMovedColumnKeepsItsWidth_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("width set in the dialog") << 0;
        QTest::newRow("width dragged in the list") << 1;
        QTest::newRow("column dragged, then widened") << 2;
    }
    void aMovedColumnKeepsItsWidth() {
        QFETCH(int, how);
        SelectRows({"a.txt"});
        listing::TKPLListView* view = FForm->ListView;
        constexpr int kType = 2; // the catalogue's "Type"
        auto positionOf = [view](int tag) {
            for (int i = 0; i < view->ColumnCount(); ++i)
                if (view->ColumnTagAt(i) == tag) return i;
            return -1;
        };
        auto widthOf = [&](int tag) { return view->ColumnWidthAt(positionOf(tag)); };
        const int before = widthOf(kType);
        QVERIFY(before > 0);
        if (how == 2) view->header()->moveSection(positionOf(kType), positionOf(kType) - 1);
        if (how >= 1)
            view->header()->resizeSection(view->ColumnAtDisplayPosition(positionOf(kType)), 2 * before);
        const int wanted = how == 0 ? before + 40 : widthOf(kType);
        QVERIFY(wanted != before);
        const int at = positionOf(kType);
        WhenModal<listing::TColumnsForm>([&](listing::TColumnsForm* w) {
            listing::TColumnsForm::TTab& tab = w->Tab(w->PageControl()->currentIndex());
            tab.list->setCurrentRow(at);
            QCOMPARE(tab.list->currentItem()->text(), QString("Type"));
            if (how == 0) tab.spin->setValue(wanted);
            QCOMPARE(tab.spin->value(), wanted);
            tab.moveUp->click();
            QCOMPARE(tab.spin->value(), wanted);
            w->OKButton()->click();
        });
        FForm->Columns1Click();
        QCOMPARE(positionOf(kType), at - 1);
        QCOMPARE(widthOf(kType), wanted);
        // The layout as it was, for the cases after this one.
        WhenModal<listing::TColumnsForm>([](listing::TColumnsForm* w) {
            w->Tab(w->PageControl()->currentIndex()).reset->click();
            w->OKButton()->click();
        });
        FForm->Columns1Click();
        QCOMPARE(widthOf(kType), before);
    }

    void statusBarShowsTheRootAfterTheTipAtStart() {
        // A second window whose start-up shows the real tip after exploring the preferred folder.
        TMainForm form;
        TMainForm::TDialogHooks hooks;
        hooks.message = [this](const std::string& text, const std::string& caption) {
            FMessages.push_back(caption + ": " + text);
        };
        form.SetDialogHooks(hooks);
        bool tipShown = false;
        WhenModal<TTipsForm>([&tipShown](TTipsForm* w) {
            tipShown = true;
            w->Button2->click();
        });
        form.ShowMainWindow();
        QTRY_VERIFY(form.StartupDone());
        QTRY_VERIFY(tipShown);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(form.StatusPanel0->text(), QString("My Tessalundrix"));
        QVERIFY2(form.StatusPanel1->text().startsWith("Total:   "), qPrintable(form.StatusPanel1->text()));
        QTRY_COMPARE(QApplication::focusWidget(), form.TreeView);
        form.hide();
        FForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(FForm.get()));
    }

    void tipOfTheDayTakesTheShowTipsChoice() {
        WhenModal<TTipsForm>([](TTipsForm* w) {
            w->ShowCheckBox->setChecked(false);
            w->Button2->click();
        });
        FForm->Tipoftheday1Click();
        QVERIFY(!FForm->ShowTips());
        // Unticked, the next start shows no tip.
        FForm->close();
        FForm.reset();
        FStartupTips = 0;
        Start();
        QCOMPARE(FStartupTips, 0);
    }

    void helpMenuOpensTheHelpTheWebPagesAndTheAboutBox() {
        // Pages of the test's own in place of the shipped ones.
        const QString pages = FDir.path() + "/help";
        QVERIFY(QDir().mkpath(pages));
        for (const char* name : {"TessalundrixPro.htm", "faq.htm", "support.htm"}) {
            QFile page(pages + "/" + name);
            QVERIFY(page.open(QIODevice::WriteOnly));
            page.write(QByteArray("<html><body>") + name + "</body></html>");
        }
        THelpForm::SetHelpFolder(pages);
        FForm->Contents1->trigger();
        QVERIFY(THelpForm::Existing() && THelpForm::Existing()->isVisible());
        QCOMPARE(THelpForm::Existing()->CurrentPage(), QString("TessalundrixPro.htm"));
        delete THelpForm::Existing();

        // The web pages are the installed pages, in the desktop's browser when one takes them.
        struct TBrowser : platform::TQtShell {
            bool takes = true;
            QStringList pages;
            bool OpenInBrowser(const std::string& page) override {
                pages << QString::fromStdString(page);
                return takes;
            }
        } browser;
        platform::SetShell(&browser);
        FForm->TessalundrixWebSite1->trigger();
        FForm->OnlineHelp1->trigger();
        FForm->OnlineSupport1->trigger();
        QCOMPARE(browser.pages,
                 QStringList({pages + "/TessalundrixPro.htm", pages + "/faq.htm", pages + "/support.htm"}));
        QVERIFY(!THelpForm::Existing());
        // Without a browser they show in the help window.
        browser.takes = false;
        FForm->OnlineSupport1->trigger();
        QVERIFY(THelpForm::Existing());
        QCOMPARE(THelpForm::Existing()->CurrentPage(), QString("support.htm"));
        platform::InstallQtShell();
        delete THelpForm::Existing();

        QString about;
        WhenModal<TAboutForm>([&about](TAboutForm* w) {
            about = w->NameLabel->text();
            w->OKButton->click();
        });
        FForm->About1->trigger();
        QVERIFY(about.contains("Tessalundrix Pro"));
        QVERIFY(about.contains("Version 3.1"));
    }

    void mapDriveSaysWhenGioIsMissing() {
        FRunner.hasGio = false;
        FMessages.clear();
        FForm->MapToolButtonClick();
        QCOMPARE(FMessages.size(), std::size_t(1));
        QVERIFY(FMessages.front().find("gio") != std::string::npos);
        QVERIFY(FRunner.runs.empty());
        FRunner.hasGio = true;
    }

    void mapDriveMountsTheAddressThroughGio() {
        FMessages.clear();
        WhenModal<QInputDialog>([](QInputDialog* d) { d->reject(); });
        FForm->MapToolButtonClick();
        QVERIFY(FRunner.runs.empty()); // cancelled: nothing runs
        WhenModal<QInputDialog>([](QInputDialog* d) {
            Shot(d, "map_drive");
            d->setTextValue("smb://server/share");
            d->accept();
        });
        FForm->MapToolButtonClick();
        QCOMPARE(FRunner.runs.size(), std::size_t(1));
        QCOMPARE(FRunner.runs.front(), (std::vector<std::string>{"gio", "mount", "smb://server/share"}));
        QVERIFY(FForm->Modified()); // the drives were listed again
        QVERIFY(FMessages.empty());

        FRunner.exitCode = 2;
        WhenModal<QInputDialog>([](QInputDialog* d) {
            d->setTextValue("sftp://host/path");
            d->accept();
        });
        FForm->MapToolButtonClick();
        QCOMPARE(FMessages.size(), std::size_t(1));
        QVERIFY(FMessages.front().starts_with("Error: Unable to mount sftp://host/path"));
        FRunner.exitCode = 0;
        FRunner.runs.clear();
    }

    void disconnectUnmountsTheChosenShare() {
        platform::TNetworkShare a, b;
        a.uncPath = "//srv/one";
        a.mountPoint = "/mnt/one";
        b.uncPath = "//srv/two";
        b.mountPoint = "/run/user/1000/gvfs/smb-share:server=srv,share=two";
        std::vector<platform::TNetworkShare> shares;
        TMainForm::TDialogHooks hooks;
        hooks.message = [this](const std::string& text, const std::string& caption) {
            FMessages.push_back(caption + ": " + text);
        };
        hooks.networkShares = [&] { return shares; };
        FForm->SetDialogHooks(hooks);

        FMessages.clear();
        FForm->DisconnectToolButtonClick();
        QCOMPARE(FMessages, (std::vector<std::string>{"Disconnect: No network share is mounted."}));

        shares = {a, b};
        for (bool gio : {true, false}) {
            FRunner.hasGio = gio;
            FRunner.runs.clear();
            QStringList offered;
            WhenModal<QInputDialog>([&](QInputDialog* d) {
                offered = d->comboBoxItems();
                if (gio) Shot(d, "disconnect");
                d->setTextValue(offered.value(1));
                d->accept();
            });
            FForm->DisconnectToolButtonClick();
            QCOMPARE(offered.size(), 2);
            QVERIFY(offered[0].startsWith("//srv/one"));
            QCOMPARE(FRunner.runs.size(), std::size_t(1));
            QCOMPARE(FRunner.runs.front(), DisconnectCommand(b.mountPoint, gio));
        }
        FRunner.hasGio = true;
        FRunner.runs.clear();
    }

    void mapDriveButtonsFollowTheirToggle() {
        QVERIFY(!FForm->MapToolButton->isVisible());
        FForm->MapDriveDisconnectbutton1->trigger();
        QVERIFY(FForm->MapToolButton->isVisible());
        QVERIFY(FForm->DisconnectToolButton->isVisible());
        FForm->MapDriveDisconnectbutton1->trigger();
        QVERIFY(!FForm->MapToolButton->isVisible());
    }

    // A folder "<b>bold<" holding "b>": its paths read ".../<b>bold</b>/...", which Qt takes for a
    // tag. The status bar, Confirm Delete and a message naming the file show them as they stand.
    void namesThatLookLikeMarkupShowAsTheyStand() {
        const QString outerPath = FData + txtest::kMarkupFolder;
        const QString inner = outerPath + "/" + txtest::kMarkupInner;
        QVERIFY(QDir().mkpath(inner));
        struct TCleanUp {
            QString path;
            ~TCleanUp() { QDir(path).removeRecursively(); }
        } cleanUp{outerPath};
        WriteFile(inner + "/inside.txt", 7);
        WriteFile(inner + "/" + txtest::kEntityName, 8);
        Refresh();
        auto* outer = dynamic_cast<TFolderItem*>(Preferred()->FindChild(txtest::kMarkupFolder));
        QVERIFY(outer);
        FForm->NodeOf(Preferred())->setExpanded(true);
        SelectInTree(outer);
        QVERIFY(FForm->StatusPanel0->text().contains(txtest::kMarkupFolder));
        QVERIFY(txtest::ShowsPlain(*FForm->StatusPanel0));
        auto* folder = dynamic_cast<TFolderItem*>(outer->FindChild(txtest::kMarkupInner));
        QVERIFY(folder);
        FForm->NodeOf(outer)->setExpanded(true);
        SelectInTree(folder);
        QVERIFY(FForm->StatusPanel0->text().contains(txtest::kMarkupInner));
        QVERIFY(txtest::ShowsPlain(*FForm->StatusPanel0));

        FForm->ListView->setFocus();
        const int row = FForm->FindListItem(folder->FindChild("inside.txt"));
        QVERIFY(row >= 0);
        FForm->ListView->selectionModel()->setCurrentIndex(FForm->ListView->model()->index(row, 0),
                                                           QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
        QString question;
        bool plain = false;
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            question = box->text();
            plain = txtest::ShowsPlain(*box);
            Shot(box, "confirm_delete_markup");
            box->button(QMessageBox::No)->click();
        });
        FForm->Delete1Click();
        QCOMPARE(question, "Are you sure you want to move \"" + inner + "/inside.txt\" to the trash?");
        QVERIFY(plain);
        QVERIFY(QFile::exists(inner + "/inside.txt"));

        // A trash that refuses: the message names the file.
        struct TRefusingTrash : exportdata::TFileTrash {
            bool MoveToTrash(const std::string&, std::string& error) override {
                error = "refused";
                return false;
            }
        } refusing;
        FForm->SetTrash(&refusing);
        FForm->SetDialogHooks(Hooks(true));
        QString message;
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            if (box->windowTitle() == "Confirm Delete") {
                box->button(QMessageBox::Yes)->click();
                WhenModal<QMessageBox>([&](QMessageBox* error) {
                    message = error->text();
                    plain = txtest::ShowsPlain(*error);
                    Shot(error, "delete_failed_markup");
                    error->button(QMessageBox::Ok)->click();
                });
            }
        });
        plain = false;
        FForm->Delete1Click();
        QTRY_VERIFY(!message.isEmpty()); // the move answers on a worker, the error box after it
        FForm->SetDialogHooks(Hooks());
        FForm->SetTrash(nullptr);
        QCOMPARE(message, "Some items could not be moved to the trash:\n" + inner + "/inside.txt: refused");
        QVERIFY(plain);
    }

    void cleanupTestCase() {
        if (FForm) FForm->close();
        FForm.reset();
    }
};

QTEST_MAIN(TestMainFormTools)
#include "qtest_UMainFormTools.moc"
