// The main window's menus, tool bar and popups, the view toggles, and how the command state of a
// selection lands on them.
#include "mainwindow/UMainForm.h"

#include "listing/KPLListView.h"
#include "listing/UColumnsForm.h"
#include "mainwindow/UViewMode.h"
#include "platform/PQtToolIcon.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QTreeWidget>

namespace mainwindow {

using namespace model;

namespace {

void Enable(QAction* action, bool on) {
    action->setEnabled(on);
}

} // namespace

void TMainForm::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    RefreshExplore1 = AddMenuItem(file, "RefreshExplore1", "&Refresh", QKeySequence("Ctrl+R"));
    file->addSeparator();
    ManualExploration1 =
        AddMenuItem(file, "ManualExploration1", "&Manual Exploration...", QKeySequence("Ctrl+M"));
    AddPreferredExploration1 = AddMenuItem(file, "AddPreferredExploration1", "&New Preferred Exploration...",
                                           QKeySequence("Ctrl+N"));
    file->addSeparator();
    Load1 = AddMenuItem(file, "Load1", "&Load Exploration...", QKeySequence("Ctrl+L"));
    Saveas1 = AddMenuItem(file, "Saveas1", "&Save Exploration...", QKeySequence("Ctrl+S"));
    file->addSeparator();
    Open3 = AddMenuItem(file, "Open3", "&Open", QKeySequence("Ctrl+O"));
    AddCommandItem(file, TFrameCommand::OpenInFileManager);
    AddCommandItem(file, TFrameCommand::ExportData);
    Delete1 = AddMenuItem(file, "Delete1", "&Delete", QKeySequence(Qt::Key_Delete));
    file->addSeparator();
    AddCommandItem(file, TFrameCommand::Exit);

    AddEditAndGoMenus();

    QMenu* view = menuBar()->addMenu("&View");
    MapDriveDisconnectbutton1 = new QAction("Map Drive/Disconnect button", view);
    MapDriveDisconnectbutton1->setObjectName("MapDriveDisconnectbutton1");
    MapDriveDisconnectbutton1->setCheckable(true);
    AddViewMenu(view, MapDriveDisconnectbutton1);

    AddToolsMenu([this](QMenu* tools) {
        MapDrive1 = AddMenuItem(tools, "MapDrive1", "&Map Drive...");
        Disconnect1 = AddMenuItem(tools, "Disconnect1", "&Disconnect...");
    });

    AddHelpMenu();

    connect(RefreshExplore1, &QAction::triggered, this, &TMainForm::RefreshExplore1Click);
    connect(Load1, &QAction::triggered, this, &TMainForm::Load1Click);
    connect(Saveas1, &QAction::triggered, this, &TMainForm::Saveas1Click);
    connect(Open3, &QAction::triggered, this, &TMainForm::Open1Click);
    connect(ManualExploration1, &QAction::triggered, this, &TMainForm::ManualExploration1Click);
    connect(AddPreferredExploration1, &QAction::triggered, this, &TMainForm::AddPreferredExploration1Click);
    connect(Delete1, &QAction::triggered, this, &TMainForm::Delete1Click);
    connect(MapDrive1, &QAction::triggered, this, &TMainForm::MapToolButtonClick);
    connect(Disconnect1, &QAction::triggered, this, &TMainForm::DisconnectToolButtonClick);
    connect(MapDriveDisconnectbutton1, &QAction::triggered, this, &TMainForm::MapDriveDisconnectbutton1Click);
}

void TMainForm::CreateToolBar() {
    AddUpButton();
    RefreshToolButton = AddToolButton("RefreshToolButton", "Refresh", "Explore or Refresh", "view-refresh",
                                      QStyle::SP_BrowserReload);
    ManualToolButton =
        AddToolButton("ManualToolButton", "Manual", "Manually enter a drive/folder/network path to explore",
                      "folder-new", QStyle::SP_FileDialogNewFolder);
    DeleteToolButton = AddToolButton("DeleteToolButton", "Delete", "Delete from disk or Remove from list",
                                     "edit-delete", QStyle::SP_TrashIcon);
    MapToolButton = AddToolButton("MapToolButton", "Map Drive", "Mount a network share", "network-server",
                                  QStyle::SP_DriveNetIcon);
    DisconnectToolButton = AddToolButton("DisconnectToolButton", "Disconnect", "Unmount a network share",
                                         "network-offline", QStyle::SP_DialogCloseButton);
    AddFolderButtons();
    MapToolButton->setVisible(false);
    DisconnectToolButton->setVisible(false);
    connect(ManualToolButton, &QAction::triggered, this, &TMainForm::ManualExploration1Click);
    connect(DeleteToolButton, &QAction::triggered, this, &TMainForm::Delete1Click);
    connect(MapToolButton, &QAction::triggered, this, &TMainForm::MapToolButtonClick);
    connect(DisconnectToolButton, &QAction::triggered, this, &TMainForm::DisconnectToolButtonClick);
    connect(RefreshToolButton, &QAction::triggered, this, [this] {
        if (RefreshExplore1->isEnabled()) RefreshExplore1Click();
    });
}

void TMainForm::CreatePopups() {
    PopupMenuFile = new QMenu(this);
    PopupMenuFile->setObjectName("PopupMenuFile");
    Open2 = AddMenuItem(PopupMenuFile, "Open2", "&Open");
    OpeninWindowsExplorer3 = AddPopupItem(PopupMenuFile, "OpeninWindowsExplorer3",
                                          "Open folder in &File Manager", TFrameCommand::OpenInFileManager);
    PopupMenuFile->addSeparator();
    CopyFilename1 = AddPopupItem(PopupMenuFile, "CopyFilename1", "&Copy File Name", TFrameCommand::CopyName);
    CopyFoldername1 =
        AddPopupItem(PopupMenuFile, "CopyFoldername1", "Co&py Folder Name", TFrameCommand::CopyFolderName);
    CopyCompletePath1 =
        AddPopupItem(PopupMenuFile, "CopyCompletePath1", "Cop&y Complete Path", TFrameCommand::CopyPath);
    PopupMenuFile->addSeparator();
    Saveas3 = AddMenuItem(PopupMenuFile, "Saveas3", "&Save Exploration...");
    PopupMenuFile->addSeparator();
    Delete2 = AddMenuItem(PopupMenuFile, "Delete2", "&Delete");
    PopupMenuFile->addSeparator();
    Refresh3 = AddMenuItem(PopupMenuFile, "Refresh3", "&Refresh");
    PopupMenuFile->setDefaultAction(Open2);

    PopupMenuFolder = new QMenu(this);
    PopupMenuFolder->setObjectName("PopupMenuFolder");
    Open1 = AddMenuItem(PopupMenuFolder, "Open1", "&Open");
    FileLister2 = AddPopupItem(PopupMenuFolder, "FileLister2", "File &Lister", TFrameCommand::FileLister);
    Analyser2 = AddPopupItem(PopupMenuFolder, "Analyser2", "&Analyser (chart)", TFrameCommand::Analyser);
    OpeninWindowsExplorer2 = AddPopupItem(PopupMenuFolder, "OpeninWindowsExplorer2", "Open in &File Manager",
                                          TFrameCommand::OpenInFileManager);
    PopupMenuFolder->addSeparator();
    AddPref1 = AddMenuItem(PopupMenuFolder, "AddPref1", "Add to My Preferred Explorations");
    PopupMenuFolder->addSeparator();
    CopyFileName3 = AddPopupItem(PopupMenuFolder, "CopyFileName3", "&Copy Name", TFrameCommand::CopyName);
    CopyCompletePath3 =
        AddPopupItem(PopupMenuFolder, "CopyCompletePath3", "Cop&y Complete Path", TFrameCommand::CopyPath);
    PopupMenuFolder->addSeparator();
    SaveAs2 = AddMenuItem(PopupMenuFolder, "SaveAs2", "&Save Exploration...");
    PopupMenuFolder->addSeparator();
    Delete3 = AddMenuItem(PopupMenuFolder, "Delete3", "&Delete");
    PopupMenuFolder->addSeparator();
    Refresh1 = AddMenuItem(PopupMenuFolder, "Refresh1", "&Refresh");
    PopupMenuFolder->setDefaultAction(Open1);

    ManualPopup = new QMenu(this);
    ManualPopup->setObjectName("ManualPopup");
    New1 = AddMenuItem(ManualPopup, "New1", "&New Manual Exploration");
    ManualPopup->addSeparator();
    Open4 = AddMenuItem(ManualPopup, "Open4", "&Open");
    FileLister4 = AddPopupItem(ManualPopup, "FileLister4", "File &Lister", TFrameCommand::FileLister);
    Analyser4 = AddPopupItem(ManualPopup, "Analyser4", "&Analyser (chart)", TFrameCommand::Analyser);
    ManualPopup->addSeparator();
    Save4 = AddMenuItem(ManualPopup, "Save4", "&Save Exploration...");
    ManualPopup->setDefaultAction(Open4);

    PopupMenuPref = new QMenu(this);
    PopupMenuPref->setObjectName("PopupMenuPref");
    Open5 = AddMenuItem(PopupMenuPref, "Open5", "&Open");
    FileLister5 = AddPopupItem(PopupMenuPref, "FileLister5", "File &Lister", TFrameCommand::FileLister);
    Analyser5 = AddPopupItem(PopupMenuPref, "Analyser5", "&Analyser (chart)", TFrameCommand::Analyser);
    OpeninWindowsExplorer5 = AddPopupItem(PopupMenuPref, "OpeninWindowsExplorer5", "Open in &File Manager",
                                          TFrameCommand::OpenInFileManager);
    PopupMenuPref->addSeparator();
    Auto1 = AddMenuItem(PopupMenuPref, "Auto1", "Auto-Explore on Startup");
    Auto1->setCheckable(true);
    PopupMenuPref->addSeparator();
    CopyFileName5 = AddPopupItem(PopupMenuPref, "CopyFileName5", "&Copy Name", TFrameCommand::CopyName);
    CopyCompletePath5 =
        AddPopupItem(PopupMenuPref, "CopyCompletePath5", "Cop&y Complete Path", TFrameCommand::CopyPath);
    PopupMenuPref->addSeparator();
    SaveAs5 = AddMenuItem(PopupMenuPref, "SaveAs5", "&Save Exploration...");
    PopupMenuPref->addSeparator();
    Delete5 = AddMenuItem(PopupMenuPref, "Delete5", "&Delete");
    PopupMenuPref->addSeparator();
    Refresh5 = AddMenuItem(PopupMenuPref, "Refresh5", "&Refresh");
    PopupMenuPref->setDefaultAction(Open5);

    connect(Open2, &QAction::triggered, this, &TMainForm::ListViewDblClick);
    for (QAction* open : {Open1, Open4, Open5})
        connect(open, &QAction::triggered, this, &TMainForm::Open1Click);
    for (QAction* refresh : {Refresh1, Refresh3, Refresh5})
        connect(refresh, &QAction::triggered, this, &TMainForm::RefreshExplore1Click);
    for (QAction* save : {SaveAs2, Saveas3, Save4, SaveAs5})
        connect(save, &QAction::triggered, this, &TMainForm::SaveAs2Click);
    for (QAction* a : {Delete2, Delete3, Delete5})
        connect(a, &QAction::triggered, this, &TMainForm::Delete1Click);
    connect(AddPref1, &QAction::triggered, this, &TMainForm::AddPref1Click);
    connect(New1, &QAction::triggered, this, &TMainForm::New1Click);
    connect(Auto1, &QAction::triggered, this, &TMainForm::Auto1Click);
}

TFrameCommandState TMainForm::UpdateOwnCommands(bool popupOnly) {
    FCommands = mainwindow::UpdateCommands(CommandInput());
    ApplyCommandState(FCommands, popupOnly);
    const TCommandState& s = FCommands;
    return {.listSubject = s.fromList,
            .up = s.upOn,
            .copyName = s.copyNameOn,
            .copyPath = s.copyPathOn,
            .folderTools = s.fileListerOn,
            .openInFileManager = s.explorerOn};
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
        RefreshToolButton->setText(QString::fromStdString(s.RefreshButtonCaption()));
        Enable(RefreshToolButton, s.exploreOn);
        Enable(DeleteToolButton, s.deleteOn);
    }
    for (QAction* a : {Open1, Open2, Open4, Open5}) {
        Enable(a, s.openOn);
        a->setText(open);
    }
    for (QAction* a : {Delete2, Delete3, Delete5}) {
        Enable(a, s.deleteOn);
        a->setText(del);
    }
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

QMenu* TMainForm::PopupFor(const TItem* item) const {
    if (dynamic_cast<const TPreferredItem*>(item) || dynamic_cast<const TPreferredDriveItem*>(item))
        return PopupMenuPref;
    if (dynamic_cast<const TManualRootItem*>(item)) return ManualPopup;
    if (item && item->IsFolder()) return PopupMenuFolder;
    return PopupMenuFile;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (TMainFrameForm::eventFilter(watched, event)) return true;
    if (event->type() != QEvent::KeyPress) return false;
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    const int key = keyEvent->key();
    if (watched == TreeView || watched == TreeView->viewport()) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Open1Click();
            return true;
        }
    } else if (watched == ListView) {
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
        if (key == Qt::Key_Right) {
            const QModelIndex current = ListView->currentIndex();
            if (current.isValid() && current.row() < int(FShownItems.size()) && FShownItems[current.row()] &&
                FShownItems[current.row()]->IsFolder()) {
                Open1Click();
                return true;
            }
        }
    }
    return false;
}

} // namespace mainwindow
