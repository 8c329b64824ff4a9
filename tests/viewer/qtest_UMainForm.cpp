// The viewer's main window, offscreen: a file named on the command line is loaded into
// "All Files", a damaged one shows its message, loaded files close with their windows, selected
// items are saved and load back, the list sorts both ways, the settings survive a restart, the
// association goes into the user's data home once, the tip of the day shows at start under
// "ShowTips", Options changes the lists' units, the Help menu opens the viewer's help, and the
// commands it shares with the explorer behave as there: Up climbs one level, copy takes every
// selected row, a dismissed popup leaves no target, Export Data names the listing and its subject.
#include "../mainwindow/ModalHelper.h"
#include "TxfFixture.h"
#include "tests/PlainText.h"

#include "export/UExportDataForm.h"
#include "export/UFileListerForm.h"
#include "listing/KPLListView.h"
#include "listing/UColumn.h"
#include "listing/UColumnsForm.h"
#include "listing/UProgramProfile.h"
#include "mainwindow/UAboutForm.h"
#include "mainwindow/UHelpForm.h"
#include "mainwindow/UOptionsForm.h"
#include "mainwindow/UTipsForm.h"
#include "mainwindow/UTipsList.h"
#include "model/UIconManager.h"
#include "model/URecordCodec.h"
#include "model/UTypeList.h"
#include "platform/PQtProgram.h"
#include "platform/PQtRegistry.h"
#include "platform/PQtShell.h"
#include "viewer/UFileAssociation.h"
#include "viewer/UMainForm.h"
#include "../platform/FakeDesktopOpener.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
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
    int FStartupTips = 0;

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
        hooks.startupTip = [this] { ++FStartupTips; };
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

    // The drive "C:" of the first loaded file, and one of its folders.
    model::TFolderItem* Drive() const { return static_cast<model::TFolderItem*>(File(0)->Child(0)); }
    model::TFolderItem* Folder(const char* name) const {
        return dynamic_cast<model::TFolderItem*>(Drive()->FindChild(name));
    }

    // Selects the rows of the named children of folder, with the list focused.
    void SelectRows(model::TFolderItem* folder, const QStringList& names) {
        SelectInTree(folder);
        FForm->ListView->setFocus();
        FForm->ListView->clearSelection();
        for (const QString& name : names) {
            const int row = FForm->FindListItem(folder->FindChild(name.toStdString()));
            QVERIFY2(row >= 0, qPrintable(name));
            FForm->ListView->selectionModel()->select(FForm->ListView->model()->index(row, 0),
                                                      QItemSelectionModel::Select |
                                                          QItemSelectionModel::Rows);
        }
        QCOMPARE(FForm->Focus(), TFocus::List);
    }

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
        FStartupTips = 0;
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

    void foldersReadTheSameTypeAsInTheExplorer() {
        // A folder on disk as the explorer lists it, with real icons and with the default ones,
        // and a folder loaded from a file: one type name.
        QTemporaryDir disk;
        QVERIFY(QDir(disk.path()).mkpath("a") && QDir(disk.path()).mkpath("b"));
        model::TManualItem top(disk.path().toStdString() + "/", model::kKindFixed, nullptr);
        auto* a = new model::TFolderItem("a", &top);
        top.AddChild(a);
        auto* b = new model::TFolderItem("b", &top);
        top.AddChild(b);
        model::TIconManager& icons = model::IconManager();
        const bool real = icons.RealIconsLocal;
        icons.RealIconsLocal = true;
        a->ResolveIcon();
        icons.RealIconsLocal = false;
        b->ResolveIcon();
        icons.RealIconsLocal = real;
        viewer::TFolderItem loaded("c", nullptr);
        loaded.ResolveIcon();
        const std::string name = model::TypeList().TypeName(a->TypeIndex());
        QVERIFY(!name.empty());
        QCOMPARE(model::TypeList().TypeName(b->TypeIndex()), name);
        QCOMPARE(model::TypeList().TypeName(loaded.TypeIndex()), name);
    }

    void toolButtonIconsAreOfOneSize() {
        Start();
        const QSize size = FForm->ToolBar1->iconSize();
        for (QAction* action : FForm->ToolBar1->actions()) {
            if (action->isSeparator()) continue;
            const QImage image = action->icon().pixmap(size).toImage();
            QVERIFY2(image.size() == size, qPrintable(action->text()));
            QRect drawn;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qAlpha(image.pixel(x, y)) > 0) drawn |= QRect(x, y, 1, 1);
            QVERIFY2(std::max(drawn.width(), drawn.height()) >= size.width() * 3 / 4,
                     qPrintable(action->text()));
        }
    }

    void fileArgumentIsLoadedIntoAllFiles() {
        Start({QString::fromStdString(FGood)});
        QVERIFY(FMessages.empty());
        QCOMPARE(FStartupTips, 0); // the file is loaded instead
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
        QVERIFY(txtest::SaveScreenshot(*FForm, "txviewer-root"));
        SelectInTree(file);
        QCOMPARE(FForm->CurrentView(), int(kViewFile));
        // A loaded file shows the program's own icon, as its desktop entry does.
        auto image16 = [](const QIcon& icon) {
            return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        };
        QCOMPARE(image16(FForm->NodeOf(file)->icon(0)), image16(platform::ProgramWindowIcon()));
        QCOMPARE(FForm->StatusPanel0->text(), QString("TX File good.txf"));
        QVERIFY(listing::CurrentProfile().isFileRoot && listing::CurrentProfile().isFileRoot(file));
        QVERIFY(txtest::SaveScreenshot(*FForm, "txviewer-file"));
        SelectInTree(static_cast<model::TFolderItem*>(file->Child(0)));
        QCOMPARE(FForm->CurrentView(), int(kViewFolder));
        QVERIFY(txtest::SaveScreenshot(*FForm, "txviewer-main"));
    }

    void theFileManagerIsCalledByItsName() {
        Start({QString::fromStdString(FGood)});
        QCOMPARE(FForm->OpeninWindowsExplorer1->text(), QString("Open in &File Manager"));
        QCOMPARE(FForm->OpeninWindowsExplorer2->text(), QString("Open in &File Manager"));
        QCOMPARE(FForm->OpeninWindowsExplorer3->text(), QString("Open folder in &File Manager"));
        // A drive of a file written on Windows is nowhere on this computer.
        auto* drive = dynamic_cast<model::TFolderItem*>(File(0)->Child(0));
        QVERIFY(drive);
        SelectInTree(drive);
        FForm->ExpToolButtonClick();
        QTRY_COMPARE(FMessages, std::vector<std::string>{
                                    "Error: Unable to open this folder in File Manager because\n\rthis "
                                    "folder does not exist or cannot be accessed from this computer."});
    }

    // A folder of this computer goes to the desktop's opener; when the desktop gives up (no file
    // manager, xdg-open failing) the viewer says so, as the explorer does.
    void openInTheFileManagerReportsTheDesktopsAnswer() {
        const std::string here = FFiles.File("here");
        QVERIFY(QDir().mkpath(QString::fromStdString(here)));
        // (Built without raw strings around the path: moc cannot read those.)
        const std::string desc = "{\"body\":[{\"t\":\"root\",\"name\":\"r\",\"children\":[{\"t\":\"path\","
                                 "\"name\":\"here\",\"path\":\"" +
                                 here +
                                 "\",\"explored\":1,\"children\":["
                                 "{\"t\":\"file\",\"name\":\"a.txt\",\"size\":5}]}]}]}";
        const std::string file = txftest::Generate(FFiles, desc, "here.txf");
        QVERIFY(!file.empty());
        TFakeOpener opener;
        platform::SetDesktopOpener(&opener);
        Start({QString::fromStdString(file)});
        auto* folder = dynamic_cast<model::TFolderItem*>(File(0)->Child(0));
        QVERIFY(folder);
        SelectInTree(folder);
        FForm->ExpToolButtonClick();
        QTRY_COMPARE(opener.paths.size(), std::size_t(1));
        QTRY_COMPARE(opener.answered, 1);
        QVERIFY(FMessages.empty());
        // The folder is there: the desktop has nothing to open folders with.
        opener.opened = false;
        FForm->ExpToolButtonClick();
        QTRY_COMPARE(FMessages.size(), std::size_t(1));
        QCOMPARE(FMessages.front(),
                 std::string("Error: Unable to open this folder in File Manager because\n\r"
                             "no application is set to open folders."));
        platform::SetDesktopOpener(nullptr);
    }

    // After the loading window and the columns dialog, the view the command came from has the
    // keyboard again and the status bar shows its totals.
    void statusBarFollowsTheViewAfterLoadingAndColumns() {
        Start({QString::fromStdString(FGood)});
        QCOMPARE(FForm->StatusPanel0->text(), QString("All Files"));
        QVERIFY2(FForm->StatusPanel1->text().startsWith("Total:"), qPrintable(FForm->StatusPanel1->text()));
        QTRY_COMPARE(QApplication::focusWidget(), FForm->TreeView);

        auto* drive = dynamic_cast<model::TFolderItem*>(File(0)->Child(0));
        SelectInTree(drive);
        FForm->ListView->setFocus();
        const int row = int(std::find_if(FForm->ShownItems().begin(), FForm->ShownItems().end(),
                                         [](const TItem* i) { return i->Name() == "z.txt"; }) -
                            FForm->ShownItems().begin());
        FForm->ListView->selectionModel()->setCurrentIndex(FForm->ListView->model()->index(row, 0),
                                                           QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
        QCOMPARE(FForm->StatusPanel0->text(), QString("File z.txt"));
        WhenColumnsAskedHideOne();
        const int columns = FForm->ListView->ColumnCount();
        FForm->Columns1Click();
        QCOMPARE(FForm->ListView->ColumnCount(), columns - 1);
        QCOMPARE(FForm->StatusPanel0->text(), QString("File z.txt"));
        QCOMPARE(FForm->StatusPanel1->text(), QString("Total:   300 bytes"));
        QTRY_COMPARE(QApplication::focusWidget(), FForm->ListView);
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

    // A file and a folder in it whose names look like markup: the status bar shows them as they stand.
    void namesThatLookLikeMarkupShowAsTheyStand() {
        const std::string file = FFiles.File(std::string(txtest::kMarkupFolder) + ".txf");
        const std::string folder =
            std::string("/data/") + txtest::kMarkupFolder + "/" + txtest::kMarkupInner + "/";
        {
            model::TExplorationFileWriter w(file, model::txf::kWriterScanner);
            model::TRecordWriter& out = w.Records();
            out.WriteRootHead("Root", 1);
            out.WriteFolderBody(true, {});
            out.WritePathHead(folder, folder);
            out.WriteFolderBody(true, {});
            out.WriteFile(txtest::kEntityName, 7, {});
            out.WriteEnd();
            out.WriteEnd();
            w.Commit();
        }
        Start({QString::fromStdString(file)});
        QVERIFY(FMessages.empty());
        SelectInTree(File(0));
        QVERIFY2(FForm->StatusPanel0->text().contains(txtest::kMarkupFolder),
                 qPrintable(FForm->StatusPanel0->text()));
        QVERIFY(txtest::ShowsPlain(*FForm->StatusPanel0));
        auto* top = dynamic_cast<model::TFolderItem*>(File(0)->Child(0));
        QVERIFY(top);
        SelectInTree(top);
        QVERIFY2(FForm->StatusPanel0->text().contains(QString::fromStdString(folder)),
                 qPrintable(FForm->StatusPanel0->text()));
        QVERIFY(txtest::ShowsPlain(*FForm->StatusPanel0));
    }

    void twoArgumentsLoadNothing() {
        Start({QString::fromStdString(FGood), QString::fromStdString(FGood)});
        QCOMPARE(FForm->RootItem()->ChildCount(), 0);
        QCOMPARE(FStartupTips, 1); // nothing loaded: the tip of the day, as without arguments
    }

    void tipAtStartFollowsShowTips() {
        Start();
        QCOMPARE(FStartupTips, 1); // "ShowTips" is on by default
        FForm.reset();
        // A file to load takes the place of the tip.
        Start({QString::fromStdString(FGood)});
        QCOMPARE(FStartupTips, 1);
        // Stored off, no tip.
        FForm->close();
        FForm.reset();
        {
            platform::TRegistry reg(platform::kViewerSettings);
            QVERIFY(reg.OpenKey("", false));
            reg.WriteBool("ShowTips", false);
            QVERIFY(reg.Flush());
        }
        Start();
        QCOMPARE(FStartupTips, 1);
    }

    void tipOfTheDayKeepsTheViewersOwnPlace() {
        Start();
        QString shown;
        WhenModal<mainwindow::TTipsForm>([&shown](mainwindow::TTipsForm* w) {
            shown = w->TipLabel->text();
            w->Button1->click(); // "&Next Tip"
            w->ShowCheckBox->setChecked(false);
            w->Button2->click();
        });
        FForm->Tipoftheday1->trigger();
        QCOMPARE(shown, QString::fromUtf8(mainwindow::TipText(1).data()).replace("\n\r", "\n"));
        QVERIFY(!FForm->ShowTips());
        // Tip 2 was shown last: tip 3 comes next, in the viewer's settings and nowhere else.
        platform::TRegistry viewer(platform::kViewerSettings);
        QVERIFY(viewer.OpenKey("", false));
        QCOMPARE(viewer.ReadInteger("TipPos").value, 3);
        platform::TRegistry explorer(platform::kExplorerSettings);
        QVERIFY(!explorer.OpenKey("", false));
        // Unticked, it is not shown at the next start.
        FForm->close();
        FForm.reset();
        FStartupTips = 0;
        Start();
        QCOMPARE(FStartupTips, 0);
    }

    void optionsChangeTheListsUnits() {
        Start({QString::fromStdString(FGood)});
        SelectInTree(static_cast<model::TFolderItem*>(File(0)->Child(0)));
        int size = -1;
        for (int c = 0; c < FForm->ListView->ColumnCount(); ++c)
            if (FForm->ListView->ColumnTag(c) == 1) size = c;
        QVERIFY(size >= 0);
        const int row = RowNames(*FForm).indexOf("A.bin");
        QVERIFY(row >= 0);
        auto cell = [&] { return FForm->ListView->model()->index(row, size).data().toString(); };
        QCOMPARE(cell(), QString("69 KB")); // 70,000 bytes, rounded up

        // Cancel changes nothing.
        WhenModal<mainwindow::TOptionsForm>([](mainwindow::TOptionsForm* w) {
            w->ListUnit[0]->setChecked(true);
            w->Button2->click();
        });
        FForm->Options1->trigger();
        QCOMPARE(cell(), QString("69 KB"));

        bool viewerForm = false;
        WhenModal<mainwindow::TOptionsForm>([&viewerForm](mainwindow::TOptionsForm* w) {
            // The viewer's form: no save question, no icon page.
            viewerForm = w->SaveCheckBox->isHidden() && w->PageControl1->indexOf(w->TabSheet3) < 0 &&
                         w->TipsCheckBox->isChecked();
            w->ListUnit[0]->setChecked(true);
            w->TipsCheckBox->setChecked(false);
            w->Button1->click();
        });
        FForm->Options1->trigger();
        QVERIFY(viewerForm);
        QCOMPARE(cell(), QString("70,000"));
        QVERIFY(!FForm->ShowTips());
        listing::ColumnCatalogue().SizeUnit = listing::kUnitKB;
    }

    void helpMenuIsWholeAndAboutNamesTheViewer() {
        Start();
        for (QAction* a :
             {FForm->Options1, FForm->Contents1, FForm->Tipoftheday1, FForm->TessalundrixWebSite1,
              FForm->OnlineHelp1, FForm->OnlineSupport1, FForm->About1})
            QVERIFY2(a->isEnabled(), qPrintable(a->text()));
        const QString pages = FDir.path() + "/help";
        QVERIFY(QDir().mkpath(pages));
        QFile contents(pages + "/TXViewer.htm");
        QVERIFY(contents.open(QIODevice::WriteOnly));
        contents.write("<html><body>The viewer</body></html>");
        contents.close();
        mainwindow::THelpForm::SetHelpFolder(pages);
        FForm->Contents1->trigger();
        QVERIFY(mainwindow::THelpForm::Existing());
        QCOMPARE(mainwindow::THelpForm::Existing()->CurrentPage(), QString("TXViewer.htm"));
        delete mainwindow::THelpForm::Existing();

        QString about;
        WhenModal<mainwindow::TAboutForm>([&about](mainwindow::TAboutForm* w) {
            about = w->NameLabel->text();
            w->OKButton->click();
        });
        FForm->About1->trigger();
        QVERIFY(about.contains("Tessalundrix Viewer"));
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
        FForm->FileToolButtonClick();
        SelectInTree(static_cast<model::TFolderItem*>(second->Child(0)));
        FForm->FileToolButtonClick();
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

    void upOneLevelClimbsOneLevel() {
        Start({QString::fromStdString(FGood)});
        for (QAction* up : {FForm->Up1, FForm->UpToolButton}) {
            SelectInTree(Folder("beta"));
            QVERIFY(up->isEnabled());
            up->trigger();
            QCOMPARE(FForm->SelectedTreeItem(), Drive());
        }
    }

    void copyTakesEverySelectedRowAndNothingWithoutFocus() {
        Start({QString::fromStdString(FGood)});
        SelectRows(Drive(), {"z.txt", "A.bin"});
        QVERIFY(FForm->CopyFileName2->isEnabled());
        FForm->CopyFileName2->trigger();
        // In display order, each name followed by a line break.
        const bool zFirst = FForm->FindListItem(Drive()->FindChild("z.txt")) <
                            FForm->FindListItem(Drive()->FindChild("A.bin"));
        QCOMPARE(QApplication::clipboard()->text(), QString(zFirst ? "z.txt\nA.bin\n" : "A.bin\nz.txt\n"));
        SelectRows(Drive(), {"z.txt"});
        FForm->CopyCompletePath2->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QString("C:\\z.txt"));

        // Neither view has the keyboard: the command has no subject.
        QApplication::clipboard()->setText("untouched");
        FForm->PathEdit->setFocus();
        QCOMPARE(FForm->Focus(), TFocus::None);
        QVERIFY(FForm->CopyFileName2->isEnabled());
        FForm->CopyFileName2->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QString("untouched"));
    }

    void aDismissedTreePopupLeavesNoTarget() {
        Start({QString::fromStdString(FGood)});
        FForm->AskAndLoadFile();
        TFileRootItem* first = File(0);
        TFileRootItem* second = File(1);
        SelectInTree(first);
        QAction nothing;
        nothing.setEnabled(false); // a disabled choice: the menu closes with nothing chosen
        FForm->TreeViewContextPopup(FForm->NodeOf(second), {}, &nothing);
        QVERIFY(!FForm->PopupNode());
        // "&Close" (Ctrl+Q) closes the selected file, not the one right-clicked before.
        FForm->TreeView->setFocus();
        QVERIFY(FForm->Close1->isEnabled());
        FForm->Close1->trigger();
        QCOMPARE(FForm->RootItem()->ChildCount(), 1);
        QCOMPARE(File(0), second);
    }

    // Export Data names what is exported ("File listing") and of what, as in the explorer, and
    // offers no totals: the main list has none.
    void exportDataNamesTheListingAndItsSubject() {
        Start({QString::fromStdString(FGood)});
        struct TCase {
            model::TFolderItem* item;
            QString subject;
        } cases[] = {
            {FForm->RootItem(), "All Files"},
            {File(0), QString::fromStdString(FGood)},
            {Drive(), "C:\\"},
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
        FForm->TreeView2->setChecked(false);
        FForm->TreeView2->triggered();
        FForm->resize(700, 500);
        FForm->Group(kViewFolder)->SetVisibleCount(4); // the folder view is not shown: kept as set
        FForm->close();
        FForm.reset();

        Start();
        QVERIFY(!FForm->TreeView2->isChecked());
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
