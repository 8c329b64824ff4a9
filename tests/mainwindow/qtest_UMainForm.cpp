// The main window, offscreen: start-up, exploring a temporary folder, sorting, right-click
// commands, saving and closing, and the settings it leaves for the next start.
#include "listing/KPLListView.h"
#include "listing/UColumn.h"
#include "listing/UProgramProfile.h"
#include "mainwindow/UMainForm.h"
#include "FirstDrive.h"
#include "model/UIconManager.h"
#include "platform/PQtProgram.h"
#include "platform/PQtRegistry.h"
#include "platform/PQtShell.h"
#include "viewer/UItem.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include <memory>

using namespace mainwindow;
using namespace model;

namespace {

void WriteFile(const QString& path, int bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(bytes, 'x'));
}

// The names of the rows shown, "Unexplored" for the placeholder.
QStringList RowNames(const TMainForm& form) {
    QStringList names;
    for (const TItem* item : form.ShownItems())
        names << (item ? QString::fromStdString(item->NameString()) : QString("Unexplored"));
    return names;
}

// An icon as a 16 x 16 image, to compare pictures.
QImage Image16(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The part of an icon's picture at size that is drawn (not transparent).
QRect DrawnPart(const QIcon& icon, QSize size) {
    const QImage image = icon.pixmap(size).toImage();
    QRect drawn;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0) drawn |= QRect(x, y, 1, 1);
    return drawn;
}

void CollectNames(const TItem* item, QStringList& out) {
    out << QString::fromStdString(item->NameString());
    if (item->IsFolder())
        for (const TItem* child : static_cast<const TFolderItem*>(item)->Children())
            CollectNames(child, out);
}

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString FData;     // the explored folder, with a trailing "/"
    std::string FConf; // the settings file
    std::unique_ptr<TMainForm> FForm;
    std::vector<std::string> FMessages;

    // Starts a window on the settings file and waits for its start-up work.
    void Start() {
        FForm = std::make_unique<TMainForm>();
        FForm->SetSettingsFile(FConf);
        TMainForm::TDialogHooks hooks;
        hooks.message = [this](const std::string& text, const std::string& caption) {
            FMessages.push_back(caption + ": " + text);
        };
        hooks.startupTip = [] {};
        FForm->SetDialogHooks(hooks);
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

    TFolderItem* Sub(const char* name) const {
        TFolderItem* data = Preferred();
        return data ? dynamic_cast<TFolderItem*>(data->FindChild(name)) : nullptr;
    }

    // Selects the node of item with the tree focused.
    void SelectInTree(TFolderItem* item) {
        // A modal progress window may have taken the activation.
        FForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(FForm.get()));
        FForm->TreeView->setFocus();
        QTreeWidgetItem* node = FForm->NodeOf(item);
        QVERIFY(node);
        FForm->TreeView->setCurrentItem(node);
        QCOMPARE(FForm->Focus(), TFocus::Tree);
    }

    int ColumnOf(int id) const {
        for (int c = 0; c < FForm->ListView->ColumnCount(); ++c)
            if (FForm->ListView->ColumnTag(c) == id) return c;
        return -1;
    }

private slots:
    void initTestCase() {
        platform::InstallQtShell();
        IconManager().Init();
        listing::SetCurrentProfile(listing::ExplorerProfile());
        QVERIFY(FDir.isValid());
        FData = FDir.path() + "/data/";
        QVERIFY(QDir().mkpath(FData + "sub1"));
        QVERIFY(QDir().mkpath(FData + "sub2"));
        WriteFile(FData + "a.txt", 100);
        WriteFile(FData + "b.bin", 3000);
        WriteFile(FData + "z.log", 20);
        WriteFile(FData + "sub1/c.txt", 50);
        WriteFile(FData + "sub2/d.txt", 7);
        FConf = (FDir.path() + "/TessalundrixPro3.1.conf").toStdString();
        // The folder is a preferred exploration explored at start.
        platform::TRegistry reg = platform::TRegistry::AtFile(FConf);
        reg.OpenKey("Preferred", true);
        reg.WriteString("Pref0", "1" + FData.toStdString());
        QVERIFY(reg.Flush());
    }

    void startupBuildsTheFourContainers() {
        Start();
        TRootItem* root = FForm->RootItem();
        QVERIFY(root);
        QCOMPARE(root->Name(), std::string_view("My Tessalundrix"));
        QCOMPARE(root->ChildCount(), 4);
        QVERIFY(dynamic_cast<TComputerRootItem*>(root->Child(0)));
        QVERIFY(dynamic_cast<TNetworkRootItem*>(root->Child(1)));
        QVERIFY(dynamic_cast<TPreferredRootItem*>(root->Child(2)));
        QVERIFY(dynamic_cast<TManualRootItem*>(root->Child(3)));
        // The root list, in root-list order, under the Normal View columns.
        QCOMPARE(FForm->ViewMode(), 3);
        QCOMPARE(FForm->ShownItems().size(), std::size_t(4));
        QCOMPARE(FForm->ListView->ColumnCount(), 4);
        QCOMPARE(FForm->TreeView->topLevelItemCount(), 1);
        QCOMPARE(FForm->TreeView->topLevelItem(0)->childCount(), 4);
        QCOMPARE(FForm->windowTitle(), QString("Tessalundrix Pro"));
        // The root and its path-bar image show the program's own icon (the windows take it from
        // InitProgram).
        const QImage program = Image16(platform::ProgramWindowIcon());
        QCOMPARE(Image16(FForm->TreeView->topLevelItem(0)->icon(0)), program);
        QImage pathBar(16, 16, QImage::Format_ARGB32_Premultiplied);
        pathBar.fill(Qt::white);
        QPainter(&pathBar).drawImage(0, 0, program);
        QCOMPARE(FForm->Image1->pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 pathBar);
        // The preferred folder was explored at start, and that is nothing unsaved.
        QVERIFY(Preferred());
        QVERIFY(Preferred()->IsExplored());
        QVERIFY(!FForm->Modified());
        // My Computer shows the Drive View.
        SelectInTree(root->ComputerRoot());
        QCOMPARE(FForm->ViewMode(), 1);
    }

    void toolButtonIconsAreOfOneSize() {
        // "File Mgr" and "Map Drive" fell back on icons drawn only at 16 pixels.
        const QSize size = FForm->ToolBar1->iconSize();
        for (QAction* action : FForm->ToolBar1->actions()) {
            if (action->isSeparator()) continue;
            const QSize pixmap = action->icon().pixmap(size).size();
            QVERIFY2(pixmap == size, qPrintable(action->text()));
            const QRect drawn = DrawnPart(action->icon(), size);
            QVERIFY2(std::max(drawn.width(), drawn.height()) >= size.width() * 3 / 4,
                     qPrintable(action->text()));
        }
    }

    // Below its top item a folder's node shows the folder icons whatever its path: one that is gone
    // since exploring, or one too long to ask the file system about, once showed a file's icon.
    void foldersBelowATopItemShowTheFolderIcons() {
        const bool was = IconManager().RealIconsLocal;
        IconManager().RealIconsLocal = true;
        TManualItem top(FData.toStdString() + "gone/", kKindFixed, nullptr);
        std::vector<TFolderItem*> folders;
        TFolderItem* folder = &top;
        for (int level = 0; level < 600; ++level) { // some 6,000 bytes of path
            auto* sub = new TFolderItem("level" + std::to_string(level), folder);
            folder->AddChild(sub);
            folders.push_back(sub);
            folder = sub;
        }
        for (TFolderItem* f : {folders.front(), folders.back()}) {
            f->ResolveIcon();
            QCOMPARE(f->IconIndex(), IconManager().FolderIcon);
            QCOMPARE(f->OpenIconIndex(), IconManager().OpenFolderIcon);
            QCOMPARE(f->TypeIndex(), IconManager().FolderType());
        }
        IconManager().RealIconsLocal = was;
    }

    void exploredFolderShowsItsSizes() {
        SelectInTree(Preferred());
        QCOMPARE(FForm->ViewMode(), 0);
        QCOMPARE(FForm->ShownItems().size(), std::size_t(5));
        QCOMPARE(FForm->PathEdit->text(), FData);
        const int size = ColumnOf(1);
        QVERIFY(size >= 0);
        const int row = FForm->FindListItem(Preferred()->FindChild("b.bin"));
        QVERIFY(row >= 0);
        auto* model = FForm->ListView->model();
        QCOMPARE(model->data(model->index(row, 0)).toString(), QString("b.bin"));
        QCOMPARE(model->data(model->index(row, size)).toString(), QString("3 KB"));
        QCOMPARE(FForm->StatusPanel0->text(), QString("Folder ") + FData);
        QVERIFY(FForm->StatusPanel1->text().startsWith("Total:   5 files    2 folders    3,177 bytes"));
    }

    void headerClicksSortBothWays() {
        SelectInTree(Preferred());
        const int size = ColumnOf(1);
        FForm->ListViewColumnClick(size);
        QCOMPARE(FForm->SortCode(), 2);
        // Folders by their totals among the files.
        QCOMPARE(RowNames(*FForm), QStringList({"sub2", "z.log", "sub1", "a.txt", "b.bin"}));
        FForm->ListViewColumnClick(size);
        QCOMPARE(FForm->SortCode(), 3);
        QCOMPARE(RowNames(*FForm), QStringList({"b.bin", "a.txt", "sub1", "z.log", "sub2"}));
        QVERIFY(!FForm->ListView->SortColumnUp());
        const int name = ColumnOf(0);
        FForm->ListViewColumnClick(name);
        QCOMPARE(FForm->SortCode(), 0);
        QCOMPARE(RowNames(*FForm), QStringList({"sub1", "sub2", "a.txt", "b.bin", "z.log"}));
    }

    void theUnexploredRowOfADriveIsNeverANameMatch() {
        // The "Unexplored" row of an unexplored drive is never a match, whatever its caption.
        TFolderItem* drive = FirstDrive(FForm->RootItem()->ComputerRoot());
        if (!drive) QSKIP(kNoDriveReason);
        SelectInTree(drive);
        // Listed on a worker: its rows come when the listing does.
        QTRY_VERIFY(!FForm->ShownItems().empty() && FForm->ShownItems().front() == nullptr);
        // The "Unexplored" row shows the program's own icon, as the root does.
        const QVariant unexplored = FForm->ListView->model()->index(0, 0).data(Qt::DecorationRole);
        QCOMPARE(Image16(unexplored.value<QIcon>()), Image16(platform::ProgramWindowIcon()));
        QVERIFY(FForm->FindRowByName("Unex", 0) != 0);
    }

    void typingInTheListFindsNames() {
        // Names match ignoring case.
        SelectInTree(Sub("sub2"));
        QCOMPARE(FForm->FindRowByName("D.T", 0), FForm->FindListItem(Sub("sub2")->FindChild("d.txt")));
        SelectInTree(Preferred());
        FForm->ListView->setFocus();
        QTest::keyClicks(FForm->ListView, "b.");
        const QModelIndex current = FForm->ListView->currentIndex();
        QVERIFY(current.isValid());
        QCOMPARE(FForm->ShownItems()[current.row()]->Name(), std::string_view("b.bin"));
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClicks(FForm->ListView, "S");
        QCOMPARE(FForm->ShownItems()[FForm->ListView->currentIndex().row()]->Name(),
                 std::string_view("sub1"));
    }

    void aModeKeepsItsSortCodeAcrossOtherModes() {
        SelectInTree(Preferred());
        const int size = ColumnOf(1);
        FForm->ListViewColumnClick(size);
        FForm->ListViewColumnClick(size);
        QCOMPARE(FForm->SortCode(), 3);
        SelectInTree(FForm->RootItem()->ComputerRoot());
        QCOMPARE(FForm->SortCode(), 0); // the Drive View's own
        SelectInTree(Preferred());
        QCOMPARE(FForm->SortCode(), 3);
        QCOMPARE(RowNames(*FForm).front(), QString("b.bin"));
        FForm->ListViewColumnClick(ColumnOf(0));
    }

    void exploreWithSeveralFolderRowsExploresEach() {
        SelectInTree(Preferred());
        WriteFile(FData + "sub1/multi1.txt", 1);
        WriteFile(FData + "sub2/multi2.txt", 1);
        FForm->ListView->setFocus();
        QItemSelectionModel* selection = FForm->ListView->selectionModel();
        for (TFolderItem* sub : {Sub("sub1"), Sub("sub2")}) {
            const int row = FForm->FindListItem(sub);
            QVERIFY(row >= 0);
            selection->select(FForm->ListView->model()->index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        QCOMPARE(FForm->Focus(), TFocus::List);
        FForm->RefreshExplore1Click();
        QVERIFY(Sub("sub1")->FindChild("multi1.txt"));
        QVERIFY(Sub("sub2")->FindChild("multi2.txt"));
        QCOMPARE(FForm->SelectedTreeItem(), Preferred());
        QFile::remove(FData + "sub1/multi1.txt");
        QFile::remove(FData + "sub2/multi2.txt");
    }

    void rightClickCommandActsOnTheClickedNode() {
        WriteFile(FData + "sub1/new1.txt", 1);
        WriteFile(FData + "sub2/new2.txt", 2);
        SelectInTree(Sub("sub1"));
        QTreeWidgetItem* sub2 = FForm->NodeOf(Sub("sub2"));
        QVERIFY(sub2);
        // The popup's state is that of the clicked node: a folder, so the folder popup.
        QCOMPARE(FForm->PopupFor(Sub("sub2")), FForm->PopupMenuFolder);
        FForm->TreeViewContextPopup(sub2, QPoint(), FForm->Refresh1);
        QVERIFY(!FForm->PopupNode());
        QCOMPARE(FForm->SelectedTreeItem(), Sub("sub2"));
        QVERIFY(Sub("sub2")->FindChild("new2.txt"));
        QVERIFY(!Sub("sub1")->FindChild("new1.txt"));
        QVERIFY(FForm->Modified());

        // A popup dismissed without a command leaves no target: the next command takes the selection.
        QAction nothing;
        nothing.setEnabled(false); // a disabled choice: nothing is chosen
        FForm->TreeViewContextPopup(FForm->NodeOf(Sub("sub1")), QPoint(), &nothing);
        QVERIFY(!FForm->PopupNode());
        FForm->TreeView->setFocus();
        FForm->RefreshExplore1Click();
        QCOMPARE(FForm->SelectedTreeItem(), Sub("sub2"));
        QVERIFY(!Sub("sub1")->FindChild("new1.txt"));
    }

    void upOneLevelClimbsOneLevel() {
        for (QAction* up : {FForm->Up1, FForm->UpToolButton}) {
            SelectInTree(Sub("sub1"));
            QVERIFY(up->isEnabled());
            up->trigger();
            QCOMPARE(FForm->SelectedTreeItem(), Preferred());
        }
    }

    void popupStateIsThatOfTheClickedNode() {
        // With the root selected, Refresh is off; on the preferred item's popup it is on.
        SelectInTree(FForm->RootItem());
        QVERIFY(!FForm->RefreshExplore1->isEnabled());
        WriteFile(FData + "new3.txt", 3);
        QCOMPARE(FForm->PopupFor(Preferred()), FForm->PopupMenuPref);
        FForm->TreeViewContextPopup(FForm->NodeOf(Preferred()), QPoint(), FForm->Refresh5);
        QVERIFY(Preferred()->FindChild("new3.txt"));
        QCOMPARE(FForm->SelectedTreeItem(), Preferred());
        QCOMPARE(FForm->Delete5->text(), QString("R&emove from My Preferred Explorations"));
        QVERIFY(!FForm->PopupNode());
    }

    void refreshDropsRowsBeforeItemsGo() {
        SelectInTree(Sub("sub2"));
        QVERIFY(!FForm->ShownItems().empty());
        FForm->RefreshExplore1Click();
        // Every row is an item of the new tree.
        for (const TItem* row : FForm->ShownItems())
            QVERIFY(!row || row->Parent() == Sub("sub2"));
        QVERIFY(Sub("sub2")->FindChild("d.txt"));
    }

    void removedItemsLeaveNoRowsOrNodesBehind() {
        // Folders taken out of the tree and freed, as a delete does: once while the parent is
        // listed, once while the folder itself is selected and listed.
        QVERIFY(QDir().mkpath(FData + "gone1"));
        QVERIFY(QDir().mkpath(FData + "gone2"));
        WriteFile(FData + "gone2/inner.txt", 4);
        SelectInTree(Preferred());
        FForm->RefreshExplore1Click();
        TFolderItem* gone1 = Sub("gone1");
        TFolderItem* gone2 = Sub("gone2");
        QVERIFY(gone1 && gone2);
        QVERIFY(FForm->FindListItem(gone1) >= 0);
        Preferred()->RemoveChild(gone1);
        QCOMPARE(FForm->FindListItem(gone1), -1);
        QVERIFY(!FForm->NodeOf(gone1));
        delete gone1;
        QTest::qWait(20);
        FForm->ListView->viewport()->repaint();
        QVERIFY(!FForm->ShownItems().empty());

        SelectInTree(gone2);
        QCOMPARE(FForm->ShownItems().size(), std::size_t(1));
        Preferred()->RemoveChild(gone2);
        QVERIFY(FForm->ShownItems().empty());
        QVERIFY(!FForm->NodeOf(gone2));
        delete gone2;
        // The views catch up on the node that is selected now and paint without the freed items.
        QTest::qWait(20);
        FForm->ListView->viewport()->repaint();
        QVERIFY(FForm->SelectedTreeItem());
        for (const TItem* row : FForm->ShownItems())
            QVERIFY(row != gone1 && row != gone2);
        QDir(FData + "gone1").removeRecursively();
        QDir(FData + "gone2").removeRecursively();
        SelectInTree(Preferred());
        FForm->RefreshExplore1Click();
    }

    void cancelledOrFailedSaveKeepsTheUnsavedFlag() {
        QVERIFY(FForm->Modified());
        TMainForm::TDialogHooks hooks;
        std::string target;
        hooks.message = [this](const std::string& text, const std::string& caption) {
            FMessages.push_back(caption + ": " + text);
        };
        hooks.saveChoice = [](bool, const std::string&, bool& selectedOnly) {
            selectedOnly = false;
            return true;
        };
        hooks.saveFileName = [&target] { return target; };
        hooks.closeAnswer = [] { return TCloseAnswer::Yes; };
        FForm->SetDialogHooks(hooks);

        target.clear(); // the file dialog cancelled
        QCOMPARE(FForm->RunSaveForm(false), TSaveCommandOutcome::Cancelled);
        QVERIFY(FForm->Modified());
        QCOMPARE(FForm->RootItem()->GetMarkedFileCount(), 0);

        // Yes at the close question, then a cancelled save: the window stays.
        QVERIFY(!FForm->close());
        QVERIFY(FForm->isVisible());

        target = (FDir.path() + "/missing/folder/out.txf").toStdString();
        FMessages.clear();
        QCOMPARE(FForm->RunSaveForm(false), TSaveCommandOutcome::Failed);
        QVERIFY(FForm->Modified());
        QCOMPARE(FMessages.size(), std::size_t(1));
        QVERIFY(FMessages[0].rfind("Error: ", 0) == 0);
        QVERIFY(!FForm->close());
        QCOMPARE(FForm->RootItem()->GetMarkedFileCount(), 0);
    }

    void savingAnUnexploredSelectionSaysThereIsNothing() {
        TFolderItem* drive = FirstDrive(FForm->RootItem()->ComputerRoot());
        if (!drive) QSKIP(kNoDriveReason);
        SelectInTree(drive);
        TMainForm::TDialogHooks hooks;
        bool fileAsked = false;
        hooks.saveChoice = [](bool, const std::string&, bool& selectedOnly) {
            selectedOnly = true;
            return true;
        };
        hooks.saveFileName = [&fileAsked] {
            fileAsked = true;
            return std::string();
        };
        hooks.message = [this](const std::string& text, const std::string& caption) {
            FMessages.push_back(caption + ": " + text);
        };
        FForm->SetDialogHooks(hooks);
        FMessages.clear();
        QCOMPARE(FForm->RunSaveForm(true), TSaveCommandOutcome::NothingToSave);
        QVERIFY(!fileAsked);
        QCOMPARE(FMessages,
                 std::vector<std::string>{"Nothing to save: Nothing to save (you need to explore first)"});
    }

    void savedSelectedFolderLeavesTheFlagAndAFile() {
        SelectInTree(Sub("sub1"));
        TMainForm::TDialogHooks hooks;
        const std::string target = (FDir.path() + "/sub1.txf").toStdString();
        hooks.saveChoice = [](bool preselect, const std::string& selection, bool& selectedOnly) {
            selectedOnly = true;
            return !selection.empty();
        };
        hooks.saveFileName = [target] { return target; };
        FForm->SetDialogHooks(hooks);
        QCOMPARE(FForm->RunSaveForm(true), TSaveCommandOutcome::SavedSelected);
        QVERIFY(FForm->Modified()); // a part saved is not everything saved
        // The viewer's reader loads what was written: the folder's files and nothing beside it.
        viewer::TFileRootItem loaded(target, nullptr);
        QCOMPARE(loaded.LoadFromFile(), 0);
        QStringList names;
        CollectNames(&loaded, names);
        QVERIFY2(names.contains("c.txt"), qPrintable(names.join(",")));
        QVERIFY(!names.contains("a.txt"));
        QVERIFY(!names.contains("d.txt"));
        QCOMPARE(FForm->RootItem()->GetMarkedFileCount(), 0);
    }

    void closingAfterAFullSaveStoresTheSettings() {
        TMainForm::TDialogHooks hooks;
        const std::string target = (FDir.path() + "/all.txf").toStdString();
        hooks.saveChoice = [](bool, const std::string&, bool& selectedOnly) {
            selectedOnly = false;
            return true;
        };
        hooks.saveFileName = [target] { return target; };
        int asked = 0;
        hooks.closeAnswer = [&asked] {
            ++asked;
            return TCloseAnswer::Yes;
        };
        FForm->SetDialogHooks(hooks);
        FForm->StatusBar1->trigger(); // the status bar off, to be found so at the next start
        QVERIFY(!FForm->statusBar()->isVisible());
        FForm->resize(700, 450);
        QVERIFY(FForm->close());
        QCOMPARE(asked, 1);
        QVERIFY(QFile::exists(QString::fromStdString(target)));
        QVERIFY(!FForm->Modified());

        platform::TRegistry reg = platform::TRegistry::AtFile(FConf);
        QVERIFY(reg.OpenKey("", false));
        QCOMPARE(reg.ReadInteger("Width").value, 700);
        QCOMPARE(reg.ReadInteger("ShowStatusBar").value, 0);
        QVERIFY(reg.ReadBinary("Columns 0").Ok());
        // The size units of the Options dialog last for one run.
        for (const char* unit : {"SizeUnit", "SpaceUnit", "AnalyserSpaceUnit"})
            QVERIFY2(!reg.ValueExists(unit), unit);
        QVERIFY(reg.OpenKey("Preferred", false));
        QCOMPARE(reg.ReadString("Pref0").value, "1" + FData.toStdString());
        FForm.reset();
    }

    void theNextStartFindsTheWindowAsLeft() {
        {
            // Units left by an earlier version, and units changed in the last run: neither is kept.
            platform::TRegistry reg = platform::TRegistry::AtFile(FConf);
            reg.OpenKey("", true);
            reg.WriteInteger("SizeUnit", 3);
            reg.WriteInteger("SpaceUnit", 0);
            reg.WriteInteger("AnalyserSpaceUnit", 2);
            QVERIFY(reg.Flush());
        }
        // A new run's catalogue holds the defaults; the stored values must not replace them.
        listing::ColumnCatalogue().SizeUnit = listing::kUnitKB;
        listing::ColumnCatalogue().SpaceUnit = listing::kUnitGB;
        listing::ColumnCatalogue().AnalyserSpaceUnit = listing::kUnitKB;
        Start();
        QCOMPARE(listing::ColumnCatalogue().SizeUnit, listing::kUnitKB);
        QCOMPARE(listing::ColumnCatalogue().SpaceUnit, listing::kUnitGB);
        QCOMPARE(listing::ColumnCatalogue().AnalyserSpaceUnit, listing::kUnitKB);
        QCOMPARE(FForm->width(), 700);
        QVERIFY(!FForm->StatusBar1->isChecked());
        QVERIFY(!FForm->statusBar()->isVisible());
        QVERIFY(Preferred());
        // Nothing explored by a command yet: closing asks nothing.
        TMainForm::TDialogHooks hooks;
        hooks.closeAnswer = [] {
            qFatal("asked");
            return TCloseAnswer::Cancel;
        };
        FForm->SetDialogHooks(hooks);
        QVERIFY(FForm->close());
        FForm.reset();
    }

    void aMissingValueStillClampsTheWindow() {
        {
            platform::TRegistry reg = platform::TRegistry::AtFile(FConf);
            reg.OpenKey("", true);
            reg.WriteInteger("Width", 100000);
            reg.WriteInteger("Left", -500);
            reg.DeleteValue("Top");
            QVERIFY(reg.Flush());
        }
        Start();
        const QRect area = FForm->screen()->availableGeometry();
        QVERIFY(FForm->width() <= area.width());
        QVERIFY(FForm->x() >= area.x());
        // Reading stopped at "Top": the toggles after it are the defaults, and applied.
        QVERIFY(FForm->StatusBar1->isChecked());
        QVERIFY(FForm->statusBar()->isVisible());
        FForm->close();
        FForm.reset();
    }
};

QTEST_MAIN(TestMainForm)
#include "qtest_UMainForm.moc"
