// The main window's menus, tool bar and popups, the view toggles, and how the command state of a
// selection lands on them.
#include "mainwindow/UMainForm.h"

#include "listing/KPLListView.h"
#include "listing/UColumnsForm.h"
#include "mainwindow/UViewMode.h"
#include "platform/PQtToolIcon.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>

namespace mainwindow {

using namespace model;

namespace {

QAction* Item(QMenu* menu, const char* name, const char* caption, const QKeySequence& shortcut = {}) {
    auto* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    return action;
}

void Enable(QAction* action, bool on) {
    action->setEnabled(on);
}

} // namespace

void TMainForm::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    RefreshExplore1 = Item(file, "RefreshExplore1", "&Refresh", QKeySequence("Ctrl+R"));
    file->addSeparator();
    ManualExploration1 = Item(file, "ManualExploration1", "&Manual Exploration...", QKeySequence("Ctrl+M"));
    AddPreferredExploration1 =
        Item(file, "AddPreferredExploration1", "&New Preferred Exploration...", QKeySequence("Ctrl+N"));
    file->addSeparator();
    Load1 = Item(file, "Load1", "&Load Exploration...", QKeySequence("Ctrl+L"));
    Saveas1 = Item(file, "Saveas1", "&Save Exploration...", QKeySequence("Ctrl+S"));
    file->addSeparator();
    Open3 = Item(file, "Open3", "&Open", QKeySequence("Ctrl+O"));
    OpeninWindowsExplorer1 =
        Item(file, "OpeninWindowsExplorer1", "Open in &File Manager", QKeySequence("Ctrl+W"));
    ExportData1 = Item(file, "ExportData1", "Ex&port Data...", QKeySequence("Ctrl+E"));
    Delete1 = Item(file, "Delete1", "&Delete", QKeySequence(Qt::Key_Delete));
    file->addSeparator();
    Exit1 = Item(file, "Exit1", "E&xit", QKeySequence("Ctrl+X"));

    QMenu* edit = menuBar()->addMenu("&Edit");
    CopyFileName2 = Item(edit, "CopyFileName2", "&Copy File Name", QKeySequence("Ctrl+C"));
    CopyFolderName2 = Item(edit, "CopyFolderName2", "Co&py Folder Name");
    CopyCompletePath2 = Item(edit, "CopyCompletePath2", "Cop&y Complete Path");

    QMenu* go = menuBar()->addMenu("&Go");
    Up1 = Item(go, "Up1", "&Up One Level");
    Collapse1 = Item(go, "Collapse1", "&Collapse All");

    QMenu* view = menuBar()->addMenu("&View");
    TreeView2 = Item(view, "TreeView2", "T&ree View");
    ToolBar2 = Item(view, "ToolBar2", "Tool&bar");
    MapDriveDisconnectbutton1 = Item(view, "MapDriveDisconnectbutton1", "Map Drive/Disconnect button");
    ButtonLabel1 = Item(view, "ButtonLabel1", "B&utton Label");
    Path1 = Item(view, "Path1", "&Path");
    StatusBar1 = Item(view, "StatusBar1", "&Status Bar");
    for (QAction* toggle :
         {TreeView2, ToolBar2, MapDriveDisconnectbutton1, ButtonLabel1, Path1, StatusBar1}) {
        toggle->setCheckable(true);
        toggle->setChecked(toggle != MapDriveDisconnectbutton1);
        connect(toggle, &QAction::triggered, this, &TMainForm::ToggleView);
    }
    view->addSeparator();
    CustomizeColumns1 = Item(view, "CustomizeColumns1", "&Customize Columns...");

    QMenu* tools = menuBar()->addMenu("&Tools");
    FileLister1 = Item(tools, "FileLister1", "File &Lister...", QKeySequence("Ctrl+F"));
    Analyser1 = Item(tools, "Analyser1", "&Analyser (chart)...", QKeySequence("Ctrl+A"));
    N100biggestfiles1 = Item(tools, "N100biggestfiles1", "&Top 100 biggest files...", QKeySequence("Ctrl+T"));
    tools->addSeparator();
    MapDrive1 = Item(tools, "MapDrive1", "&Map Drive...");
    Disconnect1 = Item(tools, "Disconnect1", "&Disconnect...");
    tools->addSeparator();
    Options1 = Item(tools, "Options1", "&Options...");

    QMenu* help = menuBar()->addMenu("&Help");
    Contents1 = Item(help, "Contents1", "&Contents");
    Tipoftheday1 = Item(help, "Tipoftheday1", "&Tip of the Day...");
    help->addSeparator();
    TessalundrixWebSite1 = Item(help, "TessalundrixWebSite1", "Tessalundrix &Web Site");
    OnlineHelp1 = Item(help, "OnlineHelp1", "&Online Help");
    OnlineSupport1 = Item(help, "OnlineSupport1", "Online &Support");
    help->addSeparator();
    About1 = Item(help, "About1", "A&bout...");

    connect(RefreshExplore1, &QAction::triggered, this, &TMainForm::RefreshExplore1Click);
    connect(Load1, &QAction::triggered, this, &TMainForm::Load1Click);
    connect(Saveas1, &QAction::triggered, this, &TMainForm::Saveas1Click);
    connect(Open3, &QAction::triggered, this, &TMainForm::Open1Click);
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
    connect(Up1, &QAction::triggered, this, &TMainForm::UpToolButtonClick);
    connect(Collapse1, &QAction::triggered, this, &TMainForm::Collapse1Click);
    connect(CustomizeColumns1, &QAction::triggered, this, &TMainForm::Columns1Click);
    connect(ManualExploration1, &QAction::triggered, this, &TMainForm::ManualExploration1Click);
    connect(AddPreferredExploration1, &QAction::triggered, this, &TMainForm::AddPreferredExploration1Click);
    connect(OpeninWindowsExplorer1, &QAction::triggered, this, &TMainForm::ExpToolButtonClick);
    connect(ExportData1, &QAction::triggered, this, &TMainForm::ExportData1Click);
    connect(Delete1, &QAction::triggered, this, &TMainForm::Delete1Click);
    connect(CopyFileName2, &QAction::triggered, this, &TMainForm::CopyFilename1Click);
    connect(CopyFolderName2, &QAction::triggered, this, &TMainForm::CopyFoldername1Click);
    connect(CopyCompletePath2, &QAction::triggered, this, &TMainForm::CopyCompletePath1Click);
    connect(FileLister1, &QAction::triggered, this, &TMainForm::FileToolButtonClick);
    connect(Analyser1, &QAction::triggered, this, &TMainForm::Analyser1Click);
    connect(N100biggestfiles1, &QAction::triggered, this, &TMainForm::N100biggestfiles1Click);
    connect(MapDrive1, &QAction::triggered, this, &TMainForm::MapToolButtonClick);
    connect(Disconnect1, &QAction::triggered, this, &TMainForm::DisconnectToolButtonClick);
    connect(Options1, &QAction::triggered, this, &TMainForm::Options1Click);
    connect(Tipoftheday1, &QAction::triggered, this, &TMainForm::Tipoftheday1Click);
    connect(Contents1, &QAction::triggered, this, &TMainForm::Contents1Click);
    connect(TessalundrixWebSite1, &QAction::triggered, this, &TMainForm::TessalundrixWebSite1Click);
    connect(OnlineHelp1, &QAction::triggered, this, &TMainForm::OnlineHelp1Click);
    connect(OnlineSupport1, &QAction::triggered, this, &TMainForm::OnlineSupport1Click);
    connect(About1, &QAction::triggered, this, &TMainForm::About1Click);
    connect(MapDriveDisconnectbutton1, &QAction::triggered, this, &TMainForm::MapDriveDisconnectbutton1Click);
}

void TMainForm::CreateToolBar() {
    // Theme icons where the desktop has them, the style's own otherwise, all of the bar's size.
    auto button = [this](const char* name, const char* caption, const char* hint, const char* icon,
                         QStyle::StandardPixmap fallback) {
        QAction* action =
            ToolBar1->addAction(platform::ToolIcon(icon, fallback, *style(), ToolBar1->iconSize()), caption);
        action->setObjectName(name);
        action->setToolTip(hint);
        return action;
    };
    UpToolButton = button("UpToolButton", "Up", "Go Up One Level", "go-up", QStyle::SP_ArrowUp);
    RefreshToolButton = button("RefreshToolButton", "Refresh", "Explore or Refresh", "view-refresh",
                               QStyle::SP_BrowserReload);
    ManualToolButton =
        button("ManualToolButton", "Manual", "Manually enter a drive/folder/network path to explore",
               "folder-new", QStyle::SP_FileDialogNewFolder);
    DeleteToolButton = button("DeleteToolButton", "Delete", "Delete from disk or Remove from list",
                              "edit-delete", QStyle::SP_TrashIcon);
    MapToolButton = button("MapToolButton", "Map Drive", "Mount a network share", "network-server",
                           QStyle::SP_DriveNetIcon);
    DisconnectToolButton = button("DisconnectToolButton", "Disconnect", "Unmount a network share",
                                  "network-offline", QStyle::SP_DialogCloseButton);
    ExpToolButton = button("ExpToolButton", "File Mgr", "Open current folder/drive in the File Manager",
                           "system-file-manager", QStyle::SP_DirIcon);
    FileToolButton = button("FileToolButton", "File Lister", "List all files of current folder/drive",
                            "view-list-details", QStyle::SP_FileDialogDetailedView);
    AnaToolButton = button("AnaToolButton", "Analyser", "Analyse the current folder/drive",
                           "x-office-spreadsheet", QStyle::SP_FileDialogInfoView);
    MapToolButton->setVisible(false);
    DisconnectToolButton->setVisible(false);
    connect(UpToolButton, &QAction::triggered, this, &TMainForm::UpToolButtonClick);
    connect(ManualToolButton, &QAction::triggered, this, &TMainForm::ManualExploration1Click);
    connect(DeleteToolButton, &QAction::triggered, this, &TMainForm::Delete1Click);
    connect(MapToolButton, &QAction::triggered, this, &TMainForm::MapToolButtonClick);
    connect(DisconnectToolButton, &QAction::triggered, this, &TMainForm::DisconnectToolButtonClick);
    connect(ExpToolButton, &QAction::triggered, this, &TMainForm::ExpToolButtonClick);
    connect(FileToolButton, &QAction::triggered, this, &TMainForm::FileToolButtonClick);
    connect(AnaToolButton, &QAction::triggered, this, &TMainForm::Analyser1Click);
    connect(RefreshToolButton, &QAction::triggered, this, [this] {
        if (RefreshExplore1->isEnabled()) RefreshExplore1Click();
    });
}

void TMainForm::CreatePopups() {
    PopupMenuFile = new QMenu(this);
    PopupMenuFile->setObjectName("PopupMenuFile");
    Open2 = Item(PopupMenuFile, "Open2", "&Open");
    OpeninWindowsExplorer3 = Item(PopupMenuFile, "OpeninWindowsExplorer3", "Open folder in &File Manager");
    PopupMenuFile->addSeparator();
    CopyFilename1 = Item(PopupMenuFile, "CopyFilename1", "&Copy File Name");
    CopyFoldername1 = Item(PopupMenuFile, "CopyFoldername1", "Co&py Folder Name");
    CopyCompletePath1 = Item(PopupMenuFile, "CopyCompletePath1", "Cop&y Complete Path");
    PopupMenuFile->addSeparator();
    Saveas3 = Item(PopupMenuFile, "Saveas3", "&Save Exploration...");
    PopupMenuFile->addSeparator();
    Delete2 = Item(PopupMenuFile, "Delete2", "&Delete");
    PopupMenuFile->addSeparator();
    Refresh3 = Item(PopupMenuFile, "Refresh3", "&Refresh");
    PopupMenuFile->setDefaultAction(Open2);

    PopupMenuFolder = new QMenu(this);
    PopupMenuFolder->setObjectName("PopupMenuFolder");
    Open1 = Item(PopupMenuFolder, "Open1", "&Open");
    FileLister2 = Item(PopupMenuFolder, "FileLister2", "File &Lister");
    Analyser2 = Item(PopupMenuFolder, "Analyser2", "&Analyser (chart)");
    OpeninWindowsExplorer2 = Item(PopupMenuFolder, "OpeninWindowsExplorer2", "Open in &File Manager");
    PopupMenuFolder->addSeparator();
    AddPref1 = Item(PopupMenuFolder, "AddPref1", "Add to My Preferred Explorations");
    PopupMenuFolder->addSeparator();
    CopyFileName3 = Item(PopupMenuFolder, "CopyFileName3", "&Copy Name");
    CopyCompletePath3 = Item(PopupMenuFolder, "CopyCompletePath3", "Cop&y Complete Path");
    PopupMenuFolder->addSeparator();
    SaveAs2 = Item(PopupMenuFolder, "SaveAs2", "&Save Exploration...");
    PopupMenuFolder->addSeparator();
    Delete3 = Item(PopupMenuFolder, "Delete3", "&Delete");
    PopupMenuFolder->addSeparator();
    Refresh1 = Item(PopupMenuFolder, "Refresh1", "&Refresh");
    PopupMenuFolder->setDefaultAction(Open1);

    ManualPopup = new QMenu(this);
    ManualPopup->setObjectName("ManualPopup");
    New1 = Item(ManualPopup, "New1", "&New Manual Exploration");
    ManualPopup->addSeparator();
    Open4 = Item(ManualPopup, "Open4", "&Open");
    FileLister4 = Item(ManualPopup, "FileLister4", "File &Lister");
    Analyser4 = Item(ManualPopup, "Analyser4", "&Analyser (chart)");
    ManualPopup->addSeparator();
    Save4 = Item(ManualPopup, "Save4", "&Save Exploration...");
    ManualPopup->setDefaultAction(Open4);

    PopupMenuPref = new QMenu(this);
    PopupMenuPref->setObjectName("PopupMenuPref");
    Open5 = Item(PopupMenuPref, "Open5", "&Open");
    FileLister5 = Item(PopupMenuPref, "FileLister5", "File &Lister");
    Analyser5 = Item(PopupMenuPref, "Analyser5", "&Analyser (chart)");
    OpeninWindowsExplorer5 = Item(PopupMenuPref, "OpeninWindowsExplorer5", "Open in &File Manager");
    PopupMenuPref->addSeparator();
    Auto1 = Item(PopupMenuPref, "Auto1", "Auto-Explore on Startup");
    Auto1->setCheckable(true);
    PopupMenuPref->addSeparator();
    CopyFileName5 = Item(PopupMenuPref, "CopyFileName5", "&Copy Name");
    CopyCompletePath5 = Item(PopupMenuPref, "CopyCompletePath5", "Cop&y Complete Path");
    PopupMenuPref->addSeparator();
    SaveAs5 = Item(PopupMenuPref, "SaveAs5", "&Save Exploration...");
    PopupMenuPref->addSeparator();
    Delete5 = Item(PopupMenuPref, "Delete5", "&Delete");
    PopupMenuPref->addSeparator();
    Refresh5 = Item(PopupMenuPref, "Refresh5", "&Refresh");
    PopupMenuPref->setDefaultAction(Open5);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    SortAscending1 = Item(PopupMenu1, "SortAscending1", "Sort &Ascending");
    SortDescending1 = Item(PopupMenu1, "SortDescending1", "Sort &Descending");
    SortAscending1->setCheckable(true);
    SortDescending1->setCheckable(true);
    PopupMenu1->addSeparator();
    Columns1 = Item(PopupMenu1, "Columns1", "&Columns...");

    connect(Open2, &QAction::triggered, this, &TMainForm::ListViewDblClick);
    for (QAction* open : {Open1, Open4, Open5})
        connect(open, &QAction::triggered, this, &TMainForm::Open1Click);
    for (QAction* refresh : {Refresh1, Refresh3, Refresh5})
        connect(refresh, &QAction::triggered, this, &TMainForm::RefreshExplore1Click);
    for (QAction* save : {SaveAs2, Saveas3, Save4, SaveAs5})
        connect(save, &QAction::triggered, this, &TMainForm::SaveAs2Click);
    connect(SortAscending1, &QAction::triggered, this, &TMainForm::SortAscending1Click);
    connect(Columns1, &QAction::triggered, this, &TMainForm::Columns1Click);
    connect(SortDescending1, &QAction::triggered, this, &TMainForm::SortDescending1Click);
    for (QAction* a : {OpeninWindowsExplorer2, OpeninWindowsExplorer3, OpeninWindowsExplorer5})
        connect(a, &QAction::triggered, this, &TMainForm::ExpToolButtonClick);
    for (QAction* a : {CopyFilename1, CopyFileName3, CopyFileName5})
        connect(a, &QAction::triggered, this, &TMainForm::CopyFilename1Click);
    connect(CopyFoldername1, &QAction::triggered, this, &TMainForm::CopyFoldername1Click);
    for (QAction* a : {CopyCompletePath1, CopyCompletePath3, CopyCompletePath5})
        connect(a, &QAction::triggered, this, &TMainForm::CopyCompletePath1Click);
    for (QAction* a : {Delete2, Delete3, Delete5})
        connect(a, &QAction::triggered, this, &TMainForm::Delete1Click);
    for (QAction* a : {FileLister2, FileLister4, FileLister5})
        connect(a, &QAction::triggered, this, &TMainForm::FileToolButtonClick);
    for (QAction* a : {Analyser2, Analyser4, Analyser5})
        connect(a, &QAction::triggered, this, &TMainForm::Analyser1Click);
    connect(AddPref1, &QAction::triggered, this, &TMainForm::AddPref1Click);
    connect(New1, &QAction::triggered, this, &TMainForm::New1Click);
    connect(Auto1, &QAction::triggered, this, &TMainForm::Auto1Click);
}

void TMainForm::UpdateCommands(bool popupOnly) {
    FCommands = mainwindow::UpdateCommands(CommandInput());
    ApplyCommandState(FCommands, popupOnly);
}

void TMainForm::ApplyCommandState(const TCommandState& s, bool popupOnly) {
    const QString refresh = QString::fromStdString(s.RefreshCaption());
    const QString open = QString::fromStdString(s.openCaption);
    const QString del = QString::fromStdString(s.DeleteCaption());
    if (!popupOnly) {
        RefreshExplore1->setText(refresh);
        Enable(RefreshExplore1, s.exploreOn);
        Delete1->setText(del);
        DeleteToolButton->setText(QString::fromStdString(s.DeleteButtonCaption()));
        Enable(Delete1, s.deleteOn);
        Open3->setText(open);
        Enable(Open3, s.openOn);
        Enable(OpeninWindowsExplorer1, s.explorerOn);
        Enable(ExpToolButton, s.explorerOn);
        Enable(Up1, s.upOn);
        Enable(UpToolButton, s.upOn);
        for (QAction* a : {FileLister1, Analyser1, N100biggestfiles1, FileToolButton, AnaToolButton})
            Enable(a, s.fileListerOn);
        Enable(CopyFileName2, s.copyNameOn);
        Enable(CopyFolderName2, s.CopyFolderNameOn());
        Enable(CopyCompletePath2, s.copyPathOn);
        CopyFileName2->setText(QString::fromStdString(s.CopyNameCaption()));
        RefreshToolButton->setText(QString::fromStdString(s.RefreshButtonCaption()));
        Enable(RefreshToolButton, s.exploreOn);
        Enable(DeleteToolButton, s.deleteOn);
    }
    for (QAction* a : {FileLister2, FileLister4, FileLister5, Analyser2, Analyser4, Analyser5})
        Enable(a, s.fileListerOn);
    for (QAction* a : {OpeninWindowsExplorer2, OpeninWindowsExplorer3, OpeninWindowsExplorer5})
        Enable(a, s.explorerOn);
    for (QAction* a : {Open1, Open2, Open4, Open5}) {
        Enable(a, s.openOn);
        a->setText(open);
    }
    for (QAction* a : {Delete2, Delete3, Delete5}) {
        Enable(a, s.deleteOn);
        a->setText(del);
    }
    for (QAction* a : {CopyFilename1, CopyFileName3, CopyFileName5, CopyFoldername1})
        Enable(a, s.copyNameOn);
    for (QAction* a : {CopyCompletePath1, CopyCompletePath3, CopyCompletePath5})
        Enable(a, s.copyPathOn);
    Enable(AddPref1, s.addPreferredOn);
    for (QAction* a : {SaveAs2, Saveas3, Save4, SaveAs5})
        Enable(a, s.saveOn);
    for (QAction* a : {Refresh1, Refresh3, Refresh5}) {
        Enable(a, s.exploreOn);
        a->setText(refresh);
    }
    New1->setText(QString::fromStdString(s.NewCaption()));
    if (s.preferred) Auto1->setChecked(s.autoExplore);
}

void TMainForm::ToggleView() {
    ApplyView();
}

void TMainForm::Columns1Click() {
    const TFocusReturn focusBack(*this);
    StoreColumnLayout();
    listing::TColumnsForm form(this);
    const int page = FViewMode == kModeRoot ? kGroupNormal : FViewMode < 0 ? 0 : FViewMode;
    const int result = form.Execute(page, {FGroups[0].get(), FGroups[1].get(), FGroups[2].get()});
    if (result != QDialog::Accepted) return;
    if (!FGroups[0]->Modified && !FGroups[1]->Modified && !FGroups[2]->Modified) return;
    const std::vector<TItem*> selected = SelectedRows();
    const QModelIndex currentIndex = ListView->currentIndex();
    const TItem* current = currentIndex.isValid() && currentIndex.row() < int(FShownItems.size())
                               ? FShownItems[currentIndex.row()]
                               : nullptr;
    ListView->setUpdatesEnabled(false);
    ApplyColumnGroup();
    SelectListItems(selected, current);
    ListView->setUpdatesEnabled(true);
    ListView->viewport()->update();
    for (auto& group : FGroups)
        group->ClearModified();
}

QMenu* TMainForm::PopupFor(const TItem* item) const {
    if (dynamic_cast<const TPreferredItem*>(item) || dynamic_cast<const TPreferredDriveItem*>(item))
        return PopupMenuPref;
    if (dynamic_cast<const TManualRootItem*>(item)) return ManualPopup;
    if (item && item->IsFolder()) return PopupMenuFolder;
    return PopupMenuFile;
}

void TMainForm::TreeViewContextPopup(QTreeWidgetItem* node, const QPoint& globalPos, QAction* choose) {
    TFolderItem* item = ItemOfNode(node);
    if (!item) return;
    // The popup's state is that of the clicked node, whatever is selected.
    TCommandInput in = CommandInput();
    in.focus = TFocus::Tree;
    in.treeSelected = true;
    in.treeItem = item;
    in.treeExpanded = node->isExpanded();
    FCommands = mainwindow::UpdateCommands(in);
    ApplyCommandState(FCommands, true);
    StatusPanel0->setText(QString());
    QMenu* menu = PopupFor(item);
    FPopupNode = node;
    if (choose) {
        if (choose->isEnabled()) choose->trigger();
    } else {
        menu->exec(globalPos);
    }
    // A dismissed popup leaves no target behind, and the commands follow the selection again.
    FPopupNode = nullptr;
    if (FRootItem) {
        UpdateCommands(false);
        UpdateStatusBar();
    }
}

void TMainForm::ListViewContextPopup(const QPoint& pos) {
    const QModelIndex index = ListView->indexAt(pos);
    if (!index.isValid() || index.row() >= int(FShownItems.size())) return;
    ListView->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ListView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    const TItem* item = FShownItems[index.row()];
    UpdateCommands(true);
    QMenu* menu = SelectedRows().size() >= 2 || !item ? PopupMenuFile : PopupFor(item);
    menu->exec(ListView->viewport()->mapToGlobal(pos));
}

void TMainForm::ListViewColumnRightClick(int column, const QPoint& pos) {
    if (column >= 0) {
        FPopupColumn = column;
        const bool sorted = ListView->SortColumn() == column;
        SortAscending1->setChecked(sorted && ListView->SortColumnUp());
        SortDescending1->setChecked(sorted && !ListView->SortColumnUp());
        SortAscending1->setEnabled(true);
        SortDescending1->setEnabled(true);
    } else {
        SortAscending1->setChecked(false);
        SortDescending1->setChecked(false);
        SortAscending1->setEnabled(false);
        SortDescending1->setEnabled(false);
    }
    PopupMenu1->exec(ListView->mapToGlobal(pos));
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TreeView || watched == TreeView->viewport()) {
        switch (event->type()) {
        case QEvent::KeyPress:
            FPopupNode = nullptr;
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter) {
                Open1Click();
                return true;
            }
            break;
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) FPopupNode = nullptr;
            break;
        case QEvent::FocusOut:
            // The popup's own menu takes the focus while it is open; that keeps its target.
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) FPopupNode = nullptr;
            break;
        case QEvent::FocusIn:
            if (FRootItem) {
                UpdateCommands(false);
                UpdateStatusBar();
            }
            break;
        default:
            break;
        }
    } else if (watched == ListView) {
        if (event->type() == QEvent::KeyPress) {
            auto* keyEvent = static_cast<QKeyEvent*>(event);
            const int key = keyEvent->key();
            const QString text = keyEvent->text();
            if (!text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace() &&
                !(keyEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
                ListViewTypeAhead(text);
                return true;
            }
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                Open1Click();
                return true;
            }
            if (key == Qt::Key_Backspace || key == Qt::Key_Left) {
                UpToolButtonClick();
                return true;
            }
            if (key == Qt::Key_Right) {
                const QModelIndex current = ListView->currentIndex();
                if (current.isValid() && current.row() < int(FShownItems.size()) &&
                    FShownItems[current.row()] && FShownItems[current.row()]->IsFolder()) {
                    Open1Click();
                    return true;
                }
            }
        } else if (event->type() == QEvent::FocusIn && FRootItem) {
            UpdateCommands(false);
            UpdateStatusBar();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace mainwindow
