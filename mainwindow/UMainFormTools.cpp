// The main window's commands on items: delete to the trash and removal from the exploration lists,
// manual and preferred explorations, network shares, and the explorer's own options.
#include "mainwindow/UMainForm.h"

#include "export/UFileListerForm.h"
#include "export/UTrashLater.h"
#include "listing/KPLListView.h"
#include "listing/UColumn.h"
#include "mainwindow/UManualScanForm.h"
#include "mainwindow/UOptionsForm.h"
#include "mainwindow/UQtProgramRunner.h"
#include "model/UIconManager.h"
#include "model/ULongOperation.h"
#include "model/UPlainText.h"
#include "model/UShellUtil.h"
#include "model/UWatchedItems.h"
#include "platform/PConsole.h"
#include "platform/PMounts.h"
#include "platform/PQtDesktopOpen.h"
#include "platform/PQtPost.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
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

    // The moves run on a worker (each file checked first, within the time limit of free space): the
    // window goes on, and the tree follows when they have answered, for what is still in it.
    std::vector<TItem*> watched = targets;
    watched.push_back(SelectedTreeItem()); // the folder explored again after a failure
    auto items = std::make_shared<TWatchedItems>(std::move(watched));
    const QPointer<TMainForm> self(this);
    auto answered = [self, items, paths, fromTree](const exportdata::TTrashAnswer& answer) {
        // Not in the middle of an exploration or a save: after it.
        model::AfterLongOperation([self, items, paths, fromTree, answer] {
            if (!self) return;
            TMainForm& w = *self;
            const std::size_t count = paths.size();
            std::vector<TItem*> gone;
            std::string failures;
            for (std::size_t i = 0; i < count; ++i) {
                if (i < answer.moved.size() && answer.moved[i]) {
                    if (TItem* item = items->Items()[i]) gone.push_back(item);
                } else {
                    failures += "\n\r" + paths[i] + ": " + (i < answer.errors.size() ? answer.errors[i] : "");
                }
            }
            auto* folder = static_cast<TFolderItem*>(items->Items()[count]);
            if (!failures.empty()) {
                // What is left on disk is not known for sure: the folder is explored again.
                TItem* target = items->Items().front();
                if (count == 1 && target && target->IsFolder()) {
                    if (QTreeWidgetItem* node = w.NodeOf(static_cast<TFolderItem*>(target)))
                        w.ReExploreNode(node);
                } else if (count > 1 && folder) {
                    if (QTreeWidgetItem* node = w.NodeOf(folder)) w.ReExploreNode(node);
                }
            } else {
                for (TItem* item : gone) {
                    TFolderItem* parent = item->Parent();
                    if (!parent) continue;
                    if (fromTree && w.NodeOf(parent)) w.SelectNode(w.NodeOf(parent));
                    parent->RemoveChild(item);
                    delete item;
                }
                w.RefreshViews();
            }
            if (!failures.empty())
                w.ShowMessage("Some items could not be moved to the trash:" + failures, "Error",
                              QMessageBox::Critical);
        });
    };
    platform::TellWithin<exportdata::TTrashAnswer>(exportdata::StartTrashMoves(paths, FTrash), -1, {}, this,
                                                   answered);
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
    // The toggle has flipped its mark: the two buttons follow it.
    ApplyView();
}

// ---- options ----

void TMainForm::OfferOptions(TOptionsForm& form) const {
    TIconManager& icons = IconManager();
    form.SetGeneralOptions(ShowTips(), FAskSave);
    form.SetIconModes(icons.RealIconsLocal, icons.RealIconsRemovable, icons.RealIconsNetwork);
}

void TMainForm::TakeOptions(const TOptionsForm& form) {
    TIconManager& icons = IconManager();
    FAskSave = form.GetAskSave();
    icons.RealIconsLocal = form.GetLocalRealIcon();
    icons.RealIconsRemovable = form.GetRemovableRealIcon();
    icons.RealIconsNetwork = form.GetNetworkRealIcon();
    FRowIcons.clear(); // rows take their icons again in the new modes
}

} // namespace mainwindow
