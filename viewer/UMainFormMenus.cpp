// The viewer's main window: menus, tool bar and popups, command state and status bar, and the
// commands that open other windows.
#include "viewer/UMainForm.h"

#include "analyser/UAnalyserForm.h"
#include "export/UExportDataForm.h"
#include "export/UFileLister.h"
#include "export/UFileListerForm.h"
#include "listing/KPLListView.h"
#include "listing/UColumn.h"
#include "listing/UColumnStore.h"
#include "listing/UColumnsForm.h"
#include "listing/UProgramProfile.h"
#include "listing/USortCompare.h"
#include "mainwindow/USaveForm.h"
#include "model/UBusyCursor.h"
#include "model/UConvertHelp.h"
#include "model/UProgressForm.h"
#include "model/UProgressManager.h"
#include "model/UShellUtil.h"
#include "platform/PIconRegistry.h"
#include "platform/PQtDesktopOpen.h"
#include "platform/PQtRegistry.h"
#include "platform/PQtToolIcon.h"
#include "viewer/ULoadProgress.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>

#include <algorithm>

namespace viewer {

void TMainForm::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    Load1 = AddMenuItem(file, "Load1", "&Load...", QKeySequence("Ctrl+L"));
    Close1 = AddMenuItem(file, "Close1", "&Close", QKeySequence("Ctrl+Q"));
    OpeninWindowsExplorer1 =
        AddMenuItem(file, "OpeninWindowsExplorer1", "Open in &File Manager", QKeySequence("Ctrl+W"));
    Saveas1 = AddMenuItem(file, "Saveas1", "&Save As...", QKeySequence("Ctrl+S"));
    ExportData1 = AddMenuItem(file, "ExportData1", "Ex&port Data...", QKeySequence("Ctrl+E"));
    file->addSeparator();
    Exit1 = AddMenuItem(file, "Exit1", "E&xit", QKeySequence("Ctrl+X"));
    AddEditAndGoMenus();
    AddViewMenu(menuBar()->addMenu("&View"), nullptr);
    Options1 = AddMenuItem(AddToolsMenu(), "Options1", "&Options...");
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
    connect(ExportData1, &QAction::triggered, this, &TMainForm::ExportData1Click);
    connect(Exit1, &QAction::triggered, this, &QWidget::close);
    connect(OpeninWindowsExplorer1, &QAction::triggered, this, &TMainForm::ExpToolButtonClick);
    connect(ExpToolButton, &QAction::triggered, this, &TMainForm::ExpToolButtonClick);
    connect(CopyFileName2, &QAction::triggered, this, [this] { CopyText(0); });
    connect(CopyFolderName2, &QAction::triggered, this, [this] { CopyText(1); });
    connect(CopyCompletePath2, &QAction::triggered, this, [this] { CopyText(2); });
    connect(Up1, &QAction::triggered, this, &TMainForm::UpToolButtonClick);
    connect(FileLister1, &QAction::triggered, this, [this] { FileToolButtonClick(exportdata::kListerAll); });
    connect(FileToolButton, &QAction::triggered, this,
            [this] { FileToolButtonClick(exportdata::kListerAll); });
    connect(N100biggestfiles1, &QAction::triggered, this,
            [this] { FileToolButtonClick(exportdata::kListerBiggest); });
    connect(Analyser1, &QAction::triggered, this, &TMainForm::Analyser1Click);
    connect(AnaToolButton, &QAction::triggered, this, &TMainForm::Analyser1Click);
    connect(Options1, &QAction::triggered, this, &TMainForm::Options1Click);
}

void TMainForm::CreatePopups() {
    PopupMenuFolder = new QMenu(this);
    FileLister2 = PopupMenuFolder->addAction("File &Lister");
    Analyser2 = PopupMenuFolder->addAction("&Analyser (chart)");
    OpeninWindowsExplorer2 = PopupMenuFolder->addAction("Open in &File Manager");
    CopyName2 = PopupMenuFolder->addAction("&Copy Name");
    CopyFolderPath2 = PopupMenuFolder->addAction("Cop&y Complete Path");
    Save2 = PopupMenuFolder->addAction("&Save Exploration...");
    Close2 = PopupMenuFolder->addAction("Cl&ose");
    PopupMenuFile = new QMenu(this);
    OpenFolder3 = PopupMenuFile->addAction("Open folder in &File Manager");
    CopyFileName3 = PopupMenuFile->addAction("&Copy File Name");
    CopyFolderName3 = PopupMenuFile->addAction("Co&py Folder Name");
    CopyCompletePath3 = PopupMenuFile->addAction("Cop&y Complete Path");
    Save3 = PopupMenuFile->addAction("&Save Exploration...");
    Close3 = PopupMenuFile->addAction("Cl&ose");

    connect(FileLister2, &QAction::triggered, this, [this] { FileToolButtonClick(exportdata::kListerAll); });
    connect(Analyser2, &QAction::triggered, this, &TMainForm::Analyser1Click);
    connect(OpeninWindowsExplorer2, &QAction::triggered, this, &TMainForm::ExpToolButtonClick);
    connect(OpenFolder3, &QAction::triggered, this, &TMainForm::ExpToolButtonClick);
    connect(CopyName2, &QAction::triggered, this, [this] { CopyText(0); });
    connect(CopyFolderPath2, &QAction::triggered, this, [this] { CopyText(2); });
    connect(CopyFileName3, &QAction::triggered, this, [this] { CopyText(0); });
    connect(CopyFolderName3, &QAction::triggered, this, [this] { CopyText(1); });
    connect(CopyCompletePath3, &QAction::triggered, this, [this] { CopyText(2); });
    connect(Save2, &QAction::triggered, this, &TMainForm::Save1Click);
    connect(Save3, &QAction::triggered, this, &TMainForm::Save1Click);
    connect(Close2, &QAction::triggered, this, &TMainForm::Close1Click);
    connect(Close3, &QAction::triggered, this, &TMainForm::Close1Click);
}

// ---- bars and command state ----

void TMainForm::UpdateMenus(bool popupMode) {
    FCommands = ViewerCommands(Input());
    const TViewerCommands& c = FCommands;
    if (!popupMode) {
        Up1->setEnabled(c.up);
        UpToolButton->setEnabled(c.up);
        for (QAction* a : {FileLister1, Analyser1, N100biggestfiles1, FileToolButton, AnaToolButton})
            a->setEnabled(c.listerAnalyser);
        OpeninWindowsExplorer1->setEnabled(c.openInExplorer);
        ExpToolButton->setEnabled(c.openInExplorer);
        ExportData1->setEnabled(c.exportData);
        Close1->setEnabled(c.close);
        CopyFileName2->setText(c.listSubject ? "&Copy File Name" : "&Copy Name");
        CopyFileName2->setEnabled(c.copy);
        CopyFolderName2->setEnabled(c.copy && c.listSubject);
        CopyCompletePath2->setEnabled(c.copy);
    }
    FileLister2->setEnabled(c.listerAnalyser);
    Analyser2->setEnabled(c.listerAnalyser);
    OpeninWindowsExplorer2->setEnabled(c.openInExplorer);
    OpenFolder3->setEnabled(c.openInExplorer);
    for (QAction* a : {CopyName2, CopyFolderPath2, CopyFileName3, CopyFolderName3, CopyCompletePath3})
        a->setEnabled(c.copy);
    Close2->setEnabled(c.close);
    Close3->setEnabled(c.close);
    Save2->setEnabled(c.save);
    Save3->setEnabled(c.save);
}

void TMainForm::UpdateStatusBar() {
    const TViewerStatus s = ViewerStatus(Input());
    StatusPanel0->setText(listing::DisplayText(s.name));
    StatusPanel1->setText(listing::DisplayText(s.totals));
}

void TMainForm::TreeViewContextPopup(QTreeWidgetItem* node, const QPoint& globalPos, QAction* choose) {
    model::TFolderItem* item = ItemOfNode(node);
    if (!item) return;
    FPopupNode = node;
    // The commands see the node as the subject while the menu is open.
    QTreeWidgetItem* was = TreeView->currentItem();
    TreeView->blockSignals(true);
    TreeView->setCurrentItem(node);
    TreeView->setFocus(Qt::OtherFocusReason);
    UpdateMenus(true);
    UpdateStatusBar();
    TreeView->setCurrentItem(was);
    TreeView->blockSignals(false);
    QMenu* menu = PopupMenuFolder; // every tree node holds a folder item
    if (choose) {
        if (choose->isEnabled()) choose->trigger();
    } else {
        menu->popup(globalPos);
    }
}

QMenu* TMainForm::ListPopupFor(int row) const {
    if (row < 0 || row >= int(FShownItems.size())) return nullptr;
    if (SelectedRows().size() >= 2 || !FShownItems[row]->IsFolder()) return PopupMenuFile;
    return PopupMenuFolder;
}

// ---- commands ----

void TMainForm::UpToolButtonClick() {
    ApplyPopupNode();
    QTreeWidgetItem* node = TreeView->currentItem();
    if (node && node->parent()) {
        TreeView->setFocus(Qt::OtherFocusReason);
        SelectNode(node->parent());
    }
}

void TMainForm::CopyText(int which) {
    ApplyPopupNode();
    TItem* item = nullptr;
    const std::vector<TItem*> rows = SelectedRows();
    if (Focus() == TFocus::List && !rows.empty())
        item = rows.front();
    else
        item = SelectedTreeItem();
    if (!item) return;
    std::string text;
    if (which == 0) {
        text = item->NameString();
    } else if (which == 1) {
        text = item->Parent() ? item->Parent()->GetPath() : std::string();
    } else {
        text = item->GetPath();
    }
    QApplication::clipboard()->setText(listing::DisplayText(text));
}

model::TFolderItem* TMainForm::ToolSubject(bool anyRow) const {
    const TFocus focus = Focus();
    if (focus == TFocus::Tree) return SelectedTreeItem();
    if (focus != TFocus::List) return nullptr;
    const std::vector<TItem*> rows = SelectedRows();
    if (rows.empty()) return SelectedTreeItem();
    TItem* row = rows.front();
    if (row->IsFolder()) return static_cast<model::TFolderItem*>(row);
    // The analyser takes a file row's folder; the File Lister does nothing on a file.
    return anyRow ? row->Parent() : nullptr;
}

void TMainForm::FileToolButtonClick(int mode) {
    ApplyPopupNode();
    model::TFolderItem* subject = ToolSubject(false);
    if (!subject || !FRootItem) return;
    auto* lister = new exportdata::TFileListerForm(this);
    lister->setAttribute(Qt::WA_DeleteOnClose);
    lister->Execute(subject, FRootItem.get(), mode, nullptr, {}, true);
}

void TMainForm::Analyser1Click() {
    ApplyPopupNode();
    model::TFolderItem* subject = ToolSubject(true);
    if (!subject || !FRootItem) return;
    auto* form = new analyser::TAnalyserForm(this, platform::kViewerSettings);
    form->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<analyser::TAnalyserForm> guard(form);
    // A cancelled generation shows nothing; the window may have closed itself already.
    if (form->ShowAnalyser(subject, FRootItem.get(), true) == 2 && guard) delete form;
}

std::vector<QWidget*> TMainForm::ToolWindows() const {
    std::vector<QWidget*> windows;
    for (QObject* child : children()) {
        if (auto* w = qobject_cast<exportdata::TFileListerForm*>(child)) windows.push_back(w);
        if (auto* w = qobject_cast<analyser::TAnalyserForm*>(child)) windows.push_back(w);
    }
    return windows;
}

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

void TMainForm::ExportData1Click() {
    ApplyPopupNode();
    model::TFolderItem* item = SelectedTreeItem();
    if (!item || FViewMode == kViewNone) return;
    const std::string title = ExportTitle(item, FRootItem.get());
    StoreColumnLayout();
    FExporting = true;
    exportdata::TExportDataForm form(this);
    form.Execute(0, std::vector<const model::TItem*>(FShownItems.begin(), FShownItems.end()),
                 *FGroups[FViewMode], title, "File listing", true);
    FExporting = false;
}

void TMainForm::ExpToolButtonClick() {
    ApplyPopupNode();
    if (const model::TFolderItem* item = SelectedTreeItem()) ShowInFileManager(item->GetPath());
}

} // namespace viewer
