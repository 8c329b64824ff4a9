// The viewer's main window: menus, tool bar and popups, the command state and status texts of the
// loaded files, and the windows that close with a file.
#include "viewer/UMainForm.h"

#include "analyser/UAnalyserForm.h"
#include "export/UFileListerForm.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

namespace viewer {

using mainwindow::TFrameCommand;

void TMainForm::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    Load1 = AddMenuItem(file, "Load1", "&Load...", QKeySequence("Ctrl+L"));
    Close1 = AddMenuItem(file, "Close1", "&Close", QKeySequence("Ctrl+Q"));
    AddCommandItem(file, TFrameCommand::OpenInFileManager);
    Saveas1 = AddMenuItem(file, "Saveas1", "&Save As...", QKeySequence("Ctrl+S"));
    AddCommandItem(file, TFrameCommand::ExportData);
    file->addSeparator();
    AddCommandItem(file, TFrameCommand::Exit);
    AddEditAndGoMenus();
    AddViewMenu(menuBar()->addMenu("&View"), nullptr);
    AddToolsMenu();
    AddHelpMenu();

    AddUpButton();
    ToolBar1->addSeparator();
    ToolButton5 = AddToolButton("ToolButton5", "Load", "Load a Tessalundrix data file", "document-open",
                                QStyle::SP_DialogOpenButton);
    ToolButton1 = AddToolButton("ToolButton1", "Save", "Save loaded items in one file", "document-save",
                                QStyle::SP_DialogSaveButton);
    ToolBar1->addSeparator();
    AddFolderButtons();

    connect(Load1, &QAction::triggered, this, &TMainForm::AskAndLoadFile);
    connect(ToolButton5, &QAction::triggered, this, &TMainForm::AskAndLoadFile);
    connect(Close1, &QAction::triggered, this, &TMainForm::Close1Click);
    connect(Saveas1, &QAction::triggered, this, &TMainForm::SaveAllfilesin1files1Click);
    connect(ToolButton1, &QAction::triggered, this, &TMainForm::SaveAllfilesin1files1Click);
}

void TMainForm::CreatePopups() {
    PopupMenuFolder = new QMenu(this);
    PopupMenuFolder->setObjectName("PopupMenuFolder");
    FileLister2 = AddPopupItem(PopupMenuFolder, "FileLister2", "File &Lister", TFrameCommand::FileLister);
    Analyser2 = AddPopupItem(PopupMenuFolder, "Analyser2", "&Analyser (chart)", TFrameCommand::Analyser);
    OpeninWindowsExplorer2 = AddPopupItem(PopupMenuFolder, "OpeninWindowsExplorer2", "Open in &File Manager",
                                          TFrameCommand::OpenInFileManager);
    CopyFileName3 = AddPopupItem(PopupMenuFolder, "CopyFileName3", "&Copy Name", TFrameCommand::CopyName);
    CopyCompletePath3 =
        AddPopupItem(PopupMenuFolder, "CopyCompletePath3", "Cop&y Complete Path", TFrameCommand::CopyPath);
    Save2 = AddMenuItem(PopupMenuFolder, "Save2", "&Save Exploration...");
    Close2 = AddMenuItem(PopupMenuFolder, "Close2", "Cl&ose");
    PopupMenuFile = new QMenu(this);
    PopupMenuFile->setObjectName("PopupMenuFile");
    OpeninWindowsExplorer3 = AddPopupItem(PopupMenuFile, "OpeninWindowsExplorer3",
                                          "Open folder in &File Manager", TFrameCommand::OpenInFileManager);
    CopyFilename1 = AddPopupItem(PopupMenuFile, "CopyFilename1", "&Copy File Name", TFrameCommand::CopyName);
    CopyFoldername1 =
        AddPopupItem(PopupMenuFile, "CopyFoldername1", "Co&py Folder Name", TFrameCommand::CopyFolderName);
    CopyCompletePath1 =
        AddPopupItem(PopupMenuFile, "CopyCompletePath1", "Cop&y Complete Path", TFrameCommand::CopyPath);
    Save3 = AddMenuItem(PopupMenuFile, "Save3", "&Save Exploration...");
    Close3 = AddMenuItem(PopupMenuFile, "Close3", "Cl&ose");

    for (QAction* save : {Save2, Save3})
        connect(save, &QAction::triggered, this, &TMainForm::Save1Click);
    for (QAction* close : {Close2, Close3})
        connect(close, &QAction::triggered, this, &TMainForm::Close1Click);
}

QMenu* TMainForm::PopupFor(const TItem* item) const {
    return item && item->IsFolder() ? PopupMenuFolder : PopupMenuFile;
}

// ---- command state and status texts ----

mainwindow::TFrameCommandState TMainForm::UpdateOwnCommands(bool popupOnly) {
    FCommands = ViewerCommands(Input());
    const TViewerCommands& c = FCommands;
    if (!popupOnly) Close1->setEnabled(c.close);
    for (QAction* close : {Close2, Close3})
        close->setEnabled(c.close);
    for (QAction* save : {Save2, Save3})
        save->setEnabled(c.save);
    return {.listSubject = c.listSubject,
            .up = c.up,
            .copyName = c.copy,
            .copyPath = c.copy,
            .folderTools = c.listerAnalyser,
            .openInFileManager = c.openInExplorer,
            .exportData = c.exportData};
}

mainwindow::TStatusTexts TMainForm::ItemStatusTexts(const TItem* item) const {
    return ViewerStatusTexts(item);
}

std::string TMainForm::ExportSubject(const model::TFolderItem* item) const {
    return ViewerExportSubject(item, FRootItem.get());
}

// ---- windows that go with a file ----

void TMainForm::CloseWindowsOfItem(const TFileRootItem* file) {
    // Collected first: destroying a window changes the list of children.
    std::vector<QObject*> doomed;
    for (QObject* child : children()) {
        const TItem* shown = nullptr;
        if (auto* w = qobject_cast<exportdata::TFileListerForm*>(child))
            shown = w->Lister().Folder();
        else if (auto* w = qobject_cast<analyser::TAnalyserForm*>(child))
            shown = w->Folder();
        else
            continue;
        if (WindowGoesWithFile(shown, file)) doomed.push_back(child);
    }
    for (QObject* window : doomed)
        delete window;
}

} // namespace viewer
