// The viewer's main window, offscreen: a file named on the command line is loaded into
// "All Files", a damaged one shows its message, loaded files close with their windows, selected
// items are saved and load back, the list sorts both ways, the settings survive a restart, and the
// association goes into the user's data home once.
#include "TxfFixture.h"

#include "export/UFileListerForm.h"
#include "listing/KPLListView.h"
#include "listing/UColumn.h"
#include "listing/UProgramProfile.h"
#include "model/UIconManager.h"
#include "model/URecordCodec.h"
#include "platform/PQtRegistry.h"
#include "platform/PQtShell.h"
#include "viewer/UFileAssociation.h"
#include "viewer/UMainForm.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace viewer;

namespace {

const char* kTree = R"({"body":[{"t":"root","name":"r","dates":[46000.5,46000.5,46000.5],"children":[
  {"t":"drive","name":"C:","letter":"C","free":1000,"total":5000,"explored":1,"children":[
    {"t":"folder","name":"beta","explored":1,"children":[{"t":"file","name":"in-beta.txt","size":40}]},
    {"t":"folder","name":"Alpha","explored":1,"children":[{"t":"file","name":"a.txt","size":5}]},
    {"t":"file","name":"z.txt","size":300},
    {"t":"file","name":"A.bin","size":70000}]}]}]})";

QStringList RowNames(const TMainForm& form) {
    QStringList names;
    for (const TItem* item : form.ShownItems())
        names << QString::fromStdString(item->NameString());
    return names;
}

} // namespace

class TestViewerMainForm : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    txftest::TTempDir FFiles;
    std::string FGood, FBad;
    std::unique_ptr<TMainForm> FForm;
    std::vector<std::string> FMessages;
    std::string FSaveName;
    bool FSelectedOnly = true;

    void Start(const QStringList& arguments = {}) {
        FForm = std::make_unique<TMainForm>();
        FForm->SetArguments(arguments);
        TMainForm::TDialogHooks hooks;
        hooks.message = [this](const std::string& text, const std::string& caption, int) {
            FMessages.push_back(caption + ": " + text);
        };
        hooks.saveFileName = [this] { return FSaveName; };
        hooks.saveChoice = [this](bool, const std::string&, bool& selectedOnly) {
            selectedOnly = FSelectedOnly;
            return true;
        };
        hooks.openFileName = [this] { return FGood; };
        FForm->SetDialogHooks(hooks);
        FForm->ShowMainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
        QTRY_VERIFY(FForm->StartupDone());
        FForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(FForm.get()));
    }

    void SelectInTree(model::TFolderItem* item) {
        FForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(FForm.get()));
        FForm->TreeView->setFocus();
        QTreeWidgetItem* node = FForm->NodeOf(item);
        QVERIFY(node);
        FForm->TreeView->setCurrentItem(node);
        QCOMPARE(FForm->Focus(), TFocus::Tree);
    }

    TFileRootItem* File(int i) const { return dynamic_cast<TFileRootItem*>(FForm->RootItem()->Child(i)); }

private slots:
    void initTestCase() {
        QVERIFY(FDir.isValid());
        platform::InstallQtShell();
        model::IconManager().Init();
        viewer::InstallViewerProfile();
        (void)listing::ColumnCatalogue();
        FGood = txftest::Generate(FFiles, kTree, "good.txf");
        QVERIFY(!FGood.empty());
        FBad = txftest::Generate(FFiles, R"({"crc":12345,"body":[{"t":"root","children":[]}]})", "bad.txf");
        QVERIFY(!FBad.empty());
    }

    void init() {
        FMessages.clear();
        // Every case starts without stored settings.
        qputenv("XDG_CONFIG_HOME", (FDir.path() + "/config").toUtf8());
        QDir(FDir.path() + "/config").removeRecursively();
    }

    void cleanup() { FForm.reset(); }

    void firstStartIsCentredAtTheDesignedSize() {
        Start();
        QCOMPARE(FForm->windowTitle(), QString("Tessalundrix Viewer"));
        QCOMPARE(FForm->size(), QSize(660, 440));
        QCOMPARE(FForm->RootItem()->ChildCount(), 0);
        QCOMPARE(FForm->CurrentView(), int(kViewRoot));
        QCOMPARE(FForm->Group(kViewFolder)->SortCode, 3);
        QCOMPARE(FForm->StatusPanel0->text(), QString("All Files"));
        QVERIFY(!FForm->FileLister1->isEnabled());
        QVERIFY2(!FForm->Analyser1->isEnabled(), "nothing loaded yet");
    }

    void fileArgumentIsLoadedIntoAllFiles() {
        Start({QString::fromStdString(FGood)});
        QVERIFY(FMessages.empty());
        QCOMPARE(FForm->RootItem()->ChildCount(), 1);
        TFileRootItem* file = File(0);
        QVERIFY(file);
        QCOMPARE(file->FilePath(), FGood);
        QVERIFY(FForm->NodeOf(file));
        QCOMPARE(FForm->TreeView->currentItem(), FForm->NodeOf(FForm->RootItem()));
        QCOMPARE(RowNames(*FForm), QStringList{"good.txf"});
        QCOMPARE(FForm->RootItem()->GetFileCount(), 4);
        QVERIFY(FForm->FileLister1->isEnabled());
        QVERIFY(FForm->Analyser1->isEnabled());

        // Screenshots of the three views, for a look.
        FForm->grab().save(QDir::tempPath() + "/txviewer-root.png");
        SelectInTree(file);
        QCOMPARE(FForm->CurrentView(), int(kViewFile));
        QCOMPARE(FForm->StatusPanel0->text(), QString("TX File good.txf"));
        QVERIFY(listing::CurrentProfile().isFileRoot && listing::CurrentProfile().isFileRoot(file));
        FForm->grab().save(QDir::tempPath() + "/txviewer-file.png");
        SelectInTree(static_cast<model::TFolderItem*>(file->Child(0)));
        QCOMPARE(FForm->CurrentView(), int(kViewFolder));
        FForm->grab().save(QDir::tempPath() + "/txviewer-main.png");
    }

    void aDeepFileLoadsShowsSavesAndCloses() {
        // Far deeper than a stack holds frames of a recursive walk: loading, the tree nodes,
        // totals, the list, saving and closing must all do without.
        const std::string deep = FFiles.File("deep.txf");
        {
            model::TExplorationFileWriter w(deep, model::txf::kWriterScanner);
            model::TRecordWriter& out = w.Records();
            out.WriteRootHead("Root", 1);
            out.WriteFolderBody(true, {});
            out.WritePathHead("p", "/p");
            out.WriteFolderBody(true, {});
            constexpr int kDepth = 100000;
            for (int i = 0; i < kDepth; ++i) {
                out.WriteFolderHead("d");
                out.WriteFolderBody(true, {});
            }
            out.WriteFile("leaf", 7, {});
            for (int i = 0; i < kDepth + 2; ++i)
                out.WriteEnd();
            w.Commit();
        }
        Start({QString::fromStdString(deep)});
        QVERIFY(FMessages.empty());
        QCOMPARE(FForm->RootItem()->ChildCount(), 1);
        QCOMPARE(FForm->RootItem()->GetSize(), std::int64_t(7));
        QCOMPARE(FForm->RootItem()->GetFolderCount(), std::int64_t(100000));
        SelectInTree(File(0));
        FSaveName = FFiles.File("deep-again.txf");
        FSelectedOnly = false;
        FForm->SaveAllfilesin1files1Click();
        QVERIFY(FMessages.empty());
        FForm->CloseFiles({File(0)});
        QCOMPARE(FForm->RootItem()->ChildCount(), 0);
        FForm->LoadFileWithProgress(FSaveName);
        QCOMPARE(FForm->RootItem()->ChildCount(), 1);
        QCOMPARE(FForm->RootItem()->GetFolderCount(), std::int64_t(100000));
        FForm.reset(); // the window goes with the deep tree still loaded
    }

    void twoArgumentsLoadNothing() {
        Start({QString::fromStdString(FGood), QString::fromStdString(FGood)});
        QCOMPARE(FForm->RootItem()->ChildCount(), 0);
    }

    void damagedFileShowsItsMessage() {
        Start({QString::fromStdString(FBad)});
        QCOMPARE(FForm->RootItem()->ChildCount(), 0);
        QCOMPARE(FMessages.size(), std::size_t(1));
        QCOMPARE(FMessages.front(), "Error: " + LoadErrorMessage(kLoadBadCrc));
    }

    void closeTakesTheFileAndItsWindows() {
        Start({QString::fromStdString(FGood)});
        FForm->AskAndLoadFile(); // the same file twice: two items
        QCOMPARE(FForm->RootItem()->ChildCount(), 2);
        TFileRootItem* first = File(0);
        TFileRootItem* second = File(1);
        // A File Lister on the first file's drive goes with it; one on the second stays.
        SelectInTree(static_cast<model::TFolderItem*>(first->Child(0)));
        FForm->FileToolButtonClick(0);
        SelectInTree(static_cast<model::TFolderItem*>(second->Child(0)));
        FForm->FileToolButtonClick(0);
        // An analyser on "All Files" goes with either file.
        SelectInTree(FForm->RootItem());
        FForm->Analyser1Click();
        QCOMPARE(FForm->ToolWindows().size(), std::size_t(3));

        // "&Close" on a folder inside a loaded file does nothing.
        SelectInTree(static_cast<model::TFolderItem*>(first->Child(0)));
        QVERIFY(!FForm->Close1->isEnabled());
        FForm->Close1Click();
        QCOMPARE(FForm->RootItem()->ChildCount(), 2);

        SelectInTree(first);
        QVERIFY(FForm->Close1->isEnabled());
        FForm->Close1Click();
        QCOMPARE(FForm->RootItem()->ChildCount(), 1);
        QCOMPARE(File(0), second);
        QCOMPARE(FForm->ToolWindows().size(), std::size_t(1));
        QCOMPARE(FForm->TreeView->currentItem(), FForm->NodeOf(FForm->RootItem()));
        QCOMPARE(FForm->RootItem()->GetFileCount(), 4);
    }

    void savedSelectionLoadsBack() {
        Start({QString::fromStdString(FGood)});
        model::TFolderItem* drive = static_cast<model::TFolderItem*>(File(0)->Child(0));
        model::TFolderItem* alpha = static_cast<model::TFolderItem*>(drive->FindChild("Alpha"));
        QVERIFY(alpha);
        SelectInTree(alpha);
        FSaveName = FFiles.File("alpha.txf");
        FSelectedOnly = true;
        FForm->Save1Click();
        QVERIFY2(FMessages.empty(), FMessages.empty() ? "" : FMessages.front().c_str());
        QCOMPARE(FForm->RootItem()->GetMarkedFileCount(), 0);

        FForm->LoadFileWithProgress(FSaveName);
        QCOMPARE(FForm->RootItem()->ChildCount(), 2);
        TFileRootItem* saved = File(1);
        QCOMPARE(saved->ChildCount(), 1);
        const auto* top = dynamic_cast<const TFolderRootItem*>(saved->Child(0));
        QVERIFY(top);
        QCOMPARE(top->Path(), std::string("C:\\Alpha\\"));
        QCOMPARE(saved->GetFileCount(), 1);

        // All loaded items: one file holding the top items of both.
        FSaveName = FFiles.File("all.txf");
        FSelectedOnly = false;
        FForm->SaveAllfilesin1files1Click();
        FForm->LoadFileWithProgress(FSaveName);
        QCOMPARE(FForm->RootItem()->ChildCount(), 3);
        QCOMPARE(File(2)->ChildCount(), 2);
        QCOMPARE(File(2)->GetFileCount(), 5);
    }

    void popupsActOnTheirNode() {
        Start({QString::fromStdString(FGood)});
        FForm->AskAndLoadFile();
        TFileRootItem* first = File(0);
        // The list of "All Files": a right click on a file row with two rows selected gives the
        // file menu, on one loaded file the folder menu.
        SelectInTree(FForm->RootItem());
        FForm->ListView->setFocus();
        FForm->ListView->selectAll();
        QCOMPARE(FForm->ListPopupFor(0), FForm->PopupMenuFile);
        FForm->ListView->selectionModel()->setCurrentIndex(FForm->ListView->model()->index(0, 0),
                                                           QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
        QCOMPARE(FForm->ListPopupFor(0), FForm->PopupMenuFolder);
        // Both rows selected in the list close together.
        FForm->ListView->selectAll();
        QCOMPARE(FForm->Focus(), TFocus::List);
        FForm->Close1Click();
        QCOMPARE(FForm->RootItem()->ChildCount(), 0);

        // "Cl&ose" from the tree popup of a file node closes that file, whatever was selected.
        FForm->LoadFileWithProgress(FGood);
        FForm->LoadFileWithProgress(FGood);
        first = File(0);
        TFileRootItem* second = File(1);
        SelectInTree(FForm->RootItem());
        FForm->TreeViewContextPopup(FForm->NodeOf(first), {}, FForm->Close2);
        QCOMPARE(FForm->RootItem()->ChildCount(), 1);
        QCOMPARE(File(0), second);

        // "&Save Exploration..." from the popup of a drive saves that drive only.
        FSaveName = FFiles.File("drive.txf");
        FSelectedOnly = true;
        SelectInTree(FForm->RootItem());
        FForm->TreeViewContextPopup(FForm->NodeOf(static_cast<model::TFolderItem*>(second->Child(0))), {},
                                    FForm->Save2);
        QVERIFY(FMessages.empty());
        FForm->LoadFileWithProgress(FSaveName);
        QCOMPARE(File(1)->ChildCount(), 1);
        QCOMPARE(File(1)->Child(0)->NameString(), std::string("C:"));
        QCOMPARE(File(1)->GetFileCount(), 4);
    }

    void backspaceInTheListGoesUp() {
        Start({QString::fromStdString(FGood)});
        SelectInTree(static_cast<model::TFolderItem*>(File(0)->Child(0)));
        FForm->ListView->setFocus();
        QTest::keyClick(FForm->ListView, Qt::Key_Backspace);
        QCOMPARE(FForm->TreeView->currentItem(), FForm->NodeOf(File(0)));
        QCOMPARE(FForm->CurrentView(), int(kViewFile));
    }

    void nothingToSaveWithoutFiles() {
        Start();
        FSelectedOnly = false;
        FSaveName = FFiles.File("never.txf");
        FForm->SaveAllfilesin1files1Click();
        QCOMPARE(FMessages.size(), std::size_t(1));
        QCOMPARE(FMessages.front(), std::string("Nothing to save: Nothing to save (you need to load first)"));
        QVERIFY(!QFile::exists(QString::fromStdString(FSaveName)));
    }

    void headerSortsBothWays() {
        Start({QString::fromStdString(FGood)});
        SelectInTree(static_cast<model::TFolderItem*>(File(0)->Child(0)));
        int name = -1;
        for (int c = 0; c < FForm->ListView->ColumnCount(); ++c)
            if (FForm->ListView->ColumnTag(c) == 0) name = c;
        QVERIFY(name >= 0);
        FForm->ListViewColumnClick(name);
        QCOMPARE(FForm->SortCode(), 0);
        QCOMPARE(RowNames(*FForm), (QStringList{"Alpha", "beta", "A.bin", "z.txt"}));
        FForm->ListViewColumnClick(name);
        QCOMPARE(FForm->SortCode(), 1);
        // Folders stay before files; only the names turn round.
        QCOMPARE(RowNames(*FForm), (QStringList{"beta", "Alpha", "z.txt", "A.bin"}));
        QVERIFY(!FForm->ListView->SortColumnUp());
    }

    void settingsSurviveARestart() {
        Start();
        FForm->TreeView1->setChecked(false);
        FForm->TreeView1->triggered();
        FForm->resize(700, 500);
        FForm->Group(kViewFolder)->SetVisibleCount(4); // the folder view is not shown: kept as set
        FForm->close();
        FForm.reset();

        Start();
        QVERIFY(!FForm->TreeView1->isChecked());
        QVERIFY(!FForm->Panel4->isVisible());
        QCOMPARE(FForm->size(), QSize(700, 500));
        QCOMPARE(FForm->Group(kViewFolder)->VisibleCount, 4);
        FForm.reset();

        // Bounds off the screen and too small come back on it.
        {
            platform::TRegistry reg(platform::kViewerSettings);
            QVERIFY(reg.OpenKey("", true));
            reg.WriteInteger("Width", 100);
            reg.WriteInteger("Height", 50);
            reg.WriteInteger("Top", -20);
            reg.WriteInteger("Left", -20);
            QVERIFY(reg.Flush());
        }
        Start();
        QCOMPARE(FForm->size(), QSize(400, 200));
    }

    void associationGoesIntoTheDataHomeOnce() {
        qputenv("XDG_DATA_HOME", (FDir.path() + "/data").toUtf8());
        const TAssociationPlaces places = UserAssociationPlaces();
        QCOMPARE(QString::fromStdString(places.dataHome), FDir.path() + "/data");
        QCOMPARE(QString::fromStdString(places.configHome), FDir.path() + "/config");
        int runs = 0;
        auto run = [&](const std::string&, const std::vector<std::string>&) { return ++runs > 0; };
        const TAssociationResult first = RegisterFileAssociation("/opt/TXViewer", places, run);
        QCOMPARE(first.written.size(), std::size_t(5));
        QVERIFY(QFile::exists(FDir.path() + "/data/mime/packages/tessalundrix.xml"));
        QVERIFY(QFile::exists(FDir.path() + "/config/mimeapps.list"));
        QCOMPARE(runs, 2);
        const TAssociationResult second = RegisterFileAssociation("/opt/TXViewer", places, run);
        QVERIFY(second.written.empty());
        QCOMPARE(runs, 2);
    }
};

QTEST_MAIN(TestViewerMainForm)
#include "qtest_UMainForm.moc"
