// The main window's commands on items and the tool windows: copy, open in the file manager, delete
// to the trash and removal from the exploration lists, File Lister, Top 100, Analyser and Export
// Data, manual and preferred explorations, network shares, options and the tip of the day.
#include "mainwindow/UMainForm.h"

#include "analyser/UAnalyserForm.h"
#include "export/UExportDataForm.h"
#include "export/UFileListerForm.h"
#include "listing/KPLListView.h"
#include "listing/UColumn.h"
#include "mainwindow/UManualScanForm.h"
#include "mainwindow/UOptionsForm.h"
#include "mainwindow/UQtProgramRunner.h"
#include "mainwindow/UQtShellOpen.h"
#include "mainwindow/UTipsForm.h"
#include "model/UIconManager.h"
#include "model/UPlainText.h"
#include "model/UShellUtil.h"
#include "platform/PConsole.h"
#include "platform/PMounts.h"
#include "platform/PQtDesktopOpen.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QToolBar>
#include <QTreeWidget>

namespace mainwindow {

using namespace model;

namespace {

template <typename T> bool Is(const TItem* item) {
    return dynamic_cast<const T*>(item) != nullptr;
}

bool IsExploration(const TItem* item) {
    return Is<TManualItem>(item) || Is<TManualDriveItem>(item);
}

bool IsPreferred(const TItem* item) {
    return Is<TPreferredItem>(item) || Is<TPreferredDriveItem>(item);
}

std::string WithoutSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

void TMainForm::SetProgramRunner(TProgramRunner* runner) {
    FRunner = runner;
}

void TMainForm::SetTrash(exportdata::TFileTrash* trash) {
    FTrash = trash;
}

// ---- copy ----

void TMainForm::CopyFilename1Click() {
    CopyCommand(TCopyKind::FileName);
}
void TMainForm::CopyFoldername1Click() {
    CopyCommand(TCopyKind::FolderName);
}
void TMainForm::CopyCompletePath1Click() {
    CopyCommand(TCopyKind::CompletePath);
}

void TMainForm::CopyCommand(TCopyKind kind) {
    ApplyPopupNode();
    std::string text;
    switch (Focus()) {
    case TFocus::List: {
        const std::vector<TItem*> rows = SelectedRows();
        if (rows.empty()) return;
        text = CopyText(std::vector<const TItem*>(rows.begin(), rows.end()), rows.size() > 1, kind);
        break;
    }
    case TFocus::Tree:
        if (const TFolderItem* item = SelectedTreeItem()) text = CopyItemText(*item, kind);
        break;
    case TFocus::None:
        return;
    }
    if (text.empty()) return;
    // Names are bytes; the clipboard takes them as the views show them.
    QString shown;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t end = text.find('\n', pos);
        shown +=
            listing::DisplayText(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        if (end == std::string::npos) break;
        shown += '\n';
        pos = end + 1;
    }
    QApplication::clipboard()->setText(shown);
}

// ---- open in the file manager ----

void TMainForm::ExpToolButtonClick() {
    ApplyPopupNode();
    if (const TFolderItem* item = SelectedTreeItem()) ShowInFileManager(item->GetPath());
}

// ---- delete and remove ----

void TMainForm::Delete1Click() {
    ApplyPopupNode();
    FCommands = mainwindow::UpdateCommands(CommandInput());
    if (FCommands.remove)
        RemoveSelectedExplorations();
    else
        DeleteFromDisk();
}

bool TMainForm::AskYesNoCancel(const std::string& text, const std::string& caption) {
    return model::ShowMessageBox(
               this, QMessageBox::Warning, QString::fromStdString(caption), listing::DisplayText(text),
               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No) == QMessageBox::Yes;
}

void TMainForm::DeleteFromDisk() {
    std::vector<TItem*> targets;
    bool fromTree = false;
    switch (Focus()) {
    case TFocus::Tree:
        if (TFolderItem* item = SelectedTreeItem()) targets.push_back(item);
        fromTree = true;
        break;
    case TFocus::List:
        for (TItem* row : SelectedRows())
            if (row) targets.push_back(row);
        break;
    case TFocus::None:
        break;
    }
    if (targets.empty()) return;
    // A whole drive, share or container, or the file system mounted at a folder, never goes.
    for (const TItem* item : targets)
        if (Is<TTopItem>(item) || (item->IsFolder() && IsMountPoint(item))) return;

    const std::vector<std::string> paths =
        TrashPaths(std::vector<const TItem*>(targets.begin(), targets.end()));
    const std::string question = targets.size() == 1
                                     ? "Are you sure you want to move \"" + paths.front() + "\" to the trash?"
                                     : "Are you sure you want to move these " +
                                           std::to_string(targets.size()) + " items to the trash?";
    if (!AskYesNoCancel(question, "Confirm Delete")) return;

    if (!FTrash) {
        FDesktopTrash = std::make_unique<exportdata::TDesktopTrash>();
        FTrash = FDesktopTrash.get();
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::vector<TItem*> gone;
    std::string failures;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        std::string error;
        if (FTrash->MoveToTrash(paths[i], error))
            gone.push_back(targets[i]);
        else
            failures += "\n\r" + paths[i] + ": " + error;
    }
    QTreeWidgetItem* folderNode = TreeView->currentItem();
    if (!failures.empty()) {
        // What is left on disk is not known for sure: the folder is explored again.
        if (targets.size() == 1 && targets.front()->IsFolder()) {
            QTreeWidgetItem* node = fromTree ? folderNode : FindChildNode(targets.front());
            if (node) ReExploreNode(node);
        } else if (targets.size() > 1 && folderNode) {
            ReExploreNode(folderNode);
        }
    } else {
        for (TItem* item : gone) {
            TFolderItem* parent = item->Parent();
            if (!parent) continue;
            if (fromTree && NodeOf(parent)) SelectNode(NodeOf(parent));
            parent->RemoveChild(item);
            delete item;
        }
        RefreshViews();
    }
    QApplication::restoreOverrideCursor();
    if (!failures.empty())
        ShowMessage("Some items could not be moved to the trash:" + failures, "Error", QMessageBox::Critical);
}

void TMainForm::RemoveSelectedExplorations() {
    std::vector<TItem*> items;
    switch (Focus()) {
    case TFocus::Tree:
        if (TFolderItem* item = SelectedTreeItem(); IsExploration(item)) items.push_back(item);
        break;
    case TFocus::List: {
        const std::vector<TItem*> rows = SelectedRows();
        for (auto it = rows.rbegin(); it != rows.rend(); ++it)
            if (IsExploration(*it)) items.push_back(*it);
        break;
    }
    case TFocus::None:
        break;
    }
    if (items.empty()) return;
    bool preferred = false;
    for (const TItem* item : items)
        preferred = preferred || IsPreferred(item);
    RemoveExplorations(items, preferred);
}

void TMainForm::RemoveExplorations(const std::vector<TItem*>& items, bool preferred) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ClearListRows();
    TManualRootItem* container = preferred ? FRootItem->PreferredRoot() : FRootItem->ManualRoot();
    for (TItem* item : items) {
        if (!IsExploration(item) || !item->Parent()) continue;
        // Taking it out drops its node and rows first.
        item->Parent()->RemoveChild(item);
        delete item;
    }
    if (preferred) UpdatePreferredRootState();
    if (QTreeWidgetItem* node = container ? NodeOf(container) : nullptr) {
        SelectNode(node);
        node->setExpanded(true);
    }
    RefreshViews();
    QApplication::restoreOverrideCursor();
}

// ---- the tool windows ----

TFolderItem* TMainForm::FolderSubject() {
    switch (Focus()) {
    case TFocus::Tree:
        return SelectedTreeItem();
    case TFocus::List: {
        const std::vector<TItem*> rows = SelectedRows();
        if (rows.empty()) return SelectedTreeItem();
        TItem* row = rows.front();
        return row && row->IsFolder() ? static_cast<TFolderItem*>(row) : nullptr;
    }
    case TFocus::None:
        break;
    }
    return nullptr;
}

void TMainForm::ReselectRow(const TItem* item) {
    const int row = FindListItem(item);
    if (row < 0) return;
    ListView->clearSelection();
    const QModelIndex index = ListView->model()->index(row, 0);
    ListView->selectionModel()->setCurrentIndex(index,
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void TMainForm::FileToolButtonClick() {
    RunFileLister(exportdata::kListerAll);
}

void TMainForm::N100biggestfiles1Click() {
    RunFileLister(exportdata::kListerBiggest);
}

void TMainForm::RunFileLister(int mode) {
    ApplyPopupNode();
    TFolderItem* subject = FolderSubject();
    if (!subject) return;
    {
        exportdata::TFileListerForm form(this);
        if (form.Execute(subject, FRootItem.get(), mode, nullptr, {}, false) == -1) {
            // Files went to the trash there: totals and rows follow.
            RefreshViews();
            ReselectRow(subject);
        }
    }
    unsetCursor();
}

void TMainForm::Analyser1Click() {
    ApplyPopupNode();
    TFolderItem* subject = FolderSubject();
    if (!subject) return;
    {
        analyser::TAnalyserForm form(this);
        (void)form.ShowAnalyser(subject, FRootItem.get(), false);
    }
    // Its File Lister may have deleted files.
    RefreshViews();
    ReselectRow(subject);
    unsetCursor();
}

void TMainForm::ExportData1Click() {
    ApplyPopupNode();
    TFolderItem* item = SelectedTreeItem();
    if (!item) return;
    const std::string subject = ExportSubjectText(item, TreeView->currentItem() == FRootNode);
    StoreColumnLayout();
    std::vector<const TItem*> rows;
    for (const TItem* row : FShownItems)
        if (row) rows.push_back(row); // the "Unexplored" row holds nothing to export
    FExporting = true;
    {
        exportdata::TExportDataForm form(this);
        form.Execute(0, std::move(rows), *GroupOfViewMode(), "File listing", subject, false);
    }
    FExporting = false;
}

// ---- manual and preferred explorations ----

void TMainForm::ManualExploration1Click() {
    NewManualExploration();
}

void TMainForm::AddPreferredExploration1Click() {
    NewPreferredExploration();
}

void TMainForm::New1Click() {
    ApplyPopupNode();
    if (Is<TPreferredRootItem>(FolderSubject()))
        AddPreferredExploration1Click();
    else
        ManualExploration1Click();
}

void TMainForm::AddPref1Click() {
    AddToPreferred();
}

void TMainForm::NewManualExploration() {
    if (!FRootItem) return;
    const TFocusReturn focusBack(*this);
    TManualScanForm form(this);
    if (form.Execute(false) != QDialog::Accepted || form.GetPathText().empty()) return;
    TManualRootItem* container =
        FRootItem->ManualRoot() ? FRootItem->ManualRoot() : FRootItem->EnsureManualRoot();
    const std::string path = form.GetPathText();
    TFolderItem* item;
    if (form.IsDriveRoot()) {
        const std::string mount = WithoutSlash(path);
        auto* drive = new TManualDriveItem(mount, platform::DriveKindOfPath(mount), container);
        if (const std::string name = GetDriveDisplayName(mount); !name.empty()) drive->SetDisplayName(name);
        item = drive;
    } else {
        item = new TManualItem(path, container);
    }
    item->Explore();
    if (!item->IsExplored()) {
        delete item; // cancelled: nothing is added
        return;
    }
    container->AddChild(item);
    container->SetExplored(true);
    FRootItem->UpdateTotals();
    AddExplorationNode(container, item);
}

void TMainForm::NewPreferredExploration() {
    if (!FRootItem) return;
    const TFocusReturn focusBack(*this);
    TManualScanForm form(this);
    if (form.Execute(true) != QDialog::Accepted || form.GetPathText().empty()) return;
    TPreferredRootItem* container =
        FRootItem->PreferredRoot() ? FRootItem->PreferredRoot() : FRootItem->EnsurePreferredRoot();
    const std::string path = form.GetPathText();
    TFolderItem* item;
    if (form.IsDriveRoot()) {
        const std::string mount = WithoutSlash(path);
        auto* drive = new TPreferredDriveItem(mount, platform::DriveKindOfPath(mount), container);
        if (const std::string name = GetDriveDisplayName(mount); !name.empty()) drive->SetDisplayName(name);
        drive->SetExploreAtStart(form.GetAutoExplore());
        item = drive;
    } else {
        auto* folder = new TPreferredItem(path, container);
        folder->SetExploreAtStart(form.GetAutoExplore());
        item = folder;
    }
    item->Explore();
    if (!item->IsExplored()) {
        delete item;
        return;
    }
    container->AddChild(item);
    FRootItem->UpdateTotals();
    AddExplorationNode(container, item);
    UpdatePreferredRootState();
}

void TMainForm::AddToPreferred() {
    ApplyPopupNode();
    if (!FRootItem) return;
    TFolderItem* subject = FolderSubject();
    if (!subject) return;
    const std::string path = subject->GetPath();
    if (!AcceptsPreferredPath(path)) return;
    TPreferredRootItem* container =
        FRootItem->PreferredRoot() ? FRootItem->PreferredRoot() : FRootItem->EnsurePreferredRoot();
    TFolderItem* item;
    if (IsMountPoint(subject) || Is<TDriveItem>(subject)) {
        const std::string mount = WithoutSlash(path);
        auto* drive = new TPreferredDriveItem(mount, platform::DriveKindOfPath(mount), container);
        if (const std::string name = GetDriveDisplayName(mount); !name.empty()) drive->SetDisplayName(name);
        item = drive;
    } else {
        item = new TPreferredItem(path, container);
    }
    container->AddChild(item);
    FRootItem->UpdateTotals();
    AddExplorationNode(container, item);
}

void TMainForm::AddExplorationNode(TManualRootItem* container, TFolderItem* item) {
    if (!FRootNode) return;
    FRootNode->setExpanded(true);
    QTreeWidgetItem* containerNode = NodeOf(container);
    if (!containerNode) return;
    TreeView->setUpdatesEnabled(false);
    QTreeWidgetItem* node = NewNode(item, containerNode);
    UpdateNodeImages(node);
    AddChildNodes(item, node);
    TreeView->setUpdatesEnabled(true);
    containerNode->setExpanded(true);
    node->setExpanded(true);
    TreeView->setCurrentItem(node);
    RefreshViews();
}

void TMainForm::Auto1Click() {
    // The menu has flipped its mark already; read before the selection change recomputes it.
    const bool on = Auto1->isChecked();
    ApplyPopupNode();
    TFolderItem* subject = FolderSubject();
    if (!subject || !IsPreferred(subject)) return;
    if (auto* p = dynamic_cast<TPreferredItem*>(subject)) p->SetExploreAtStart(on);
    if (auto* d = dynamic_cast<TPreferredDriveItem*>(subject)) d->SetExploreAtStart(on);
    if (QTreeWidgetItem* node = NodeOf(subject)) UpdateNodeImages(node);
    RefreshViews();
}

// ---- network shares ----

void TMainForm::ReExploreComputer() {
    if (!FRootItem) return;
    FMountPoints.clear();
    for (const platform::TMountEntry& m : platform::ReadMounts())
        FMountPoints.push_back(m.mountPoint);
    if (TComputerRootItem* computer = FRootItem->ComputerRoot())
        if (QTreeWidgetItem* node = NodeOf(computer)) ReExploreNode(node);
    if (TNetworkRootItem* network = FRootItem->NetworkRoot())
        if (QTreeWidgetItem* node = NodeOf(network)) ReExploreNode(node);
}

void TMainForm::MapToolButtonClick() {
    const TFocusReturn focusBack(*this);
    if (!FRunner) {
        FDesktopRunner = std::make_unique<TQtProgramRunner>();
        FRunner = FDesktopRunner.get();
    }
    if (!FRunner->Has("gio")) {
        ShowMessage(kNoGioMessage, "Map Drive", QMessageBox::Critical);
        return;
    }
    bool ok = false;
    const QString address =
        QInputDialog::getText(this, "Map Drive",
                              "Share address (smb://server/share, sftp://host/path, ...):", QLineEdit::Normal,
                              QString(), &ok)
            .trimmed();
    if (!ok || address.isEmpty()) return;
    if (!IsShareAddress(address.toStdString())) {
        ShowMessage("\"" + address.toStdString() + "\" is no share address.", "Error", QMessageBox::Critical);
        return;
    }
    std::string errors;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int code = FRunner->Run(MapDriveCommand(address.toStdString()), errors);
    QApplication::restoreOverrideCursor();
    if (code != 0) {
        ShowMessage("Unable to mount " + address.toStdString() + (errors.empty() ? "" : ":\n\r" + errors),
                    "Error", QMessageBox::Critical);
        return;
    }
    ReExploreComputer();
}

void TMainForm::DisconnectToolButtonClick() {
    const TFocusReturn focusBack(*this);
    if (!FRunner) {
        FDesktopRunner = std::make_unique<TQtProgramRunner>();
        FRunner = FDesktopRunner.get();
    }
    const std::vector<platform::TNetworkShare> shares =
        FHooks.networkShares ? FHooks.networkShares() : platform::NetworkShares(platform::ReadMounts());
    if (shares.empty()) {
        ShowMessage("No network share is mounted.", "Disconnect", QMessageBox::Information);
        return;
    }
    QStringList captions;
    for (const platform::TNetworkShare& share : shares)
        captions << listing::DisplayText(ShareCaption(share));
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(this, "Disconnect", "Network share to disconnect:", captions, 0, false, &ok);
    const int index = int(captions.indexOf(chosen));
    if (!ok || index < 0) return;
    std::string errors;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int code = FRunner->Run(DisconnectCommand(shares[index].mountPoint, FRunner->Has("gio")), errors);
    QApplication::restoreOverrideCursor();
    if (code != 0) {
        ShowMessage("Unable to disconnect " + shares[index].uncPath +
                        (errors.empty() ? "" : ":\n\r" + errors),
                    "Error", QMessageBox::Critical);
        return;
    }
    ReExploreComputer();
}

void TMainForm::MapDriveDisconnectbutton1Click() {
    const bool on = MapDriveDisconnectbutton1->isChecked();
    MapToolButton->setVisible(on);
    DisconnectToolButton->setVisible(on);
}

// ---- options ----

void TMainForm::Options1Click() {
    const TFocusReturn focusBack(*this);
    TOptionsForm form(this);
    listing::TColumnList& columns = listing::ColumnCatalogue();
    TIconManager& icons = IconManager();
    form.SetGeneralOptions(FShowTips, FAskSave);
    form.SetSizeUnits(columns.SizeUnit, columns.AnalyserSpaceUnit, columns.SpaceUnit);
    form.SetIconModes(icons.RealIconsLocal, icons.RealIconsRemovable, icons.RealIconsNetwork);
    if (form.Execute(0) != QDialog::Accepted) return;
    FShowTips = form.GetShowTips();
    FAskSave = form.GetAskSave();
    columns.SizeUnit = form.GetListSizeUnit();
    columns.AnalyserSpaceUnit = form.GetAnalyserSizeUnit();
    columns.SpaceUnit = form.GetDriveSizeUnit();
    icons.RealIconsLocal = form.GetLocalRealIcon();
    icons.RealIconsRemovable = form.GetRemovableRealIcon();
    icons.RealIconsNetwork = form.GetNetworkRealIcon();
    FRowIcons.clear(); // rows take their icons again in the new modes
    RefreshViews();
}

} // namespace mainwindow
