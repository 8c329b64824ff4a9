// The main window's life: creation, the deferred start-up, the close question, settings.
#include "mainwindow/UMainForm.h"

#include "export/UFileLister.h"

#include "listing/KPLListView.h"
#include "listing/UColumn.h"
#include "listing/UProgramProfile.h"
#include "listing/UTreeNodes.h"
#include "mainwindow/UOptionsForm.h"
#include "mainwindow/UQtSettingsKey.h"
#include "model/UIconManager.h"
#include "model/UPlainText.h"
#include "model/UShellUtil.h"
#include "platform/PIconRegistry.h"
#include "platform/PMounts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QTreeWidget>

namespace mainwindow {

using namespace model;

TMainForm::TMainForm(QWidget* parent)
    : TMainFrameForm({.caption = "Tessalundrix Pro",
                      .width = kDesignWidth,
                      .height = kDesignHeight,
                      .treeWidth = 220,
                      .listWidth = 580,
                      .profile = &listing::ExplorerProfile(),
                      .optionsKind = kOptionsExplorer,
                      .rightClickAddsRow = true},
                     parent) {
    CreateMenus();
    CreateToolBar();
    CreatePopups();
    connect(TreeView, &QTreeWidget::currentItemChanged, this, [this] { TreeViewChange(); });
    connect(TreeView, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* node) {
        if (node == FRootNode)
            node->setExpanded(true);
        else {
            node->setExpanded(!node->isExpanded());
            OpenTreeNode(node->isExpanded());
        }
    });
    AddTreeListener(this);
    // The tree comes from the disk: folders are listed and icons looked up on workers.
    AnswerFileCallsLater();
}

TMainForm::~TMainForm() {
    RemoveTreeListener(this);
    // Views first, so that nothing points into the tree while it is freed.
    ClearViews();
    FRootItem.reset();
}

void TMainForm::SetDialogHooks(TDialogHooks hooks) {
    FHooks = std::move(hooks);
    if (FHooks.message)
        SetMessageHook([this](const std::string& text, const std::string& caption, int) {
            FHooks.message(text, caption);
        });
    else
        SetMessageHook(nullptr);
    SetStartupTipHook(FHooks.startupTip);
}

model::TRootItem* TMainForm::FrameRoot() const {
    return FRootItem.get();
}

bool TMainForm::StartUp() {
    LoadPreferredExplorations();
    GiveFocusBack(TFocus::Tree);
    QApplication::restoreOverrideCursor();
    return FShowTips;
}

void TMainForm::BuildRootTree() {
    ClearViews();
    FExploreNode = nullptr;
    FRootItem.reset();

    FMountPoints.clear();
    for (const platform::TMountEntry& m : platform::ReadMounts())
        FMountPoints.push_back(m.mountPoint);

    FRootItem = std::make_unique<TRootItem>("My Tessalundrix");
    FRootItem->Explore();
    FRootItem->SetIconIndex(GetProgramIcon());
    FRootItem->SetOpenIconIndex(FRootItem->IconIndex());
    FRootNode = NewNode(FRootItem.get(), nullptr);
    TreeView->setUpdatesEnabled(false);
    AddChildNodes(FRootItem.get(), FRootNode);
    TreeView->setUpdatesEnabled(true);
    FRootNode->setExpanded(true);
    TreeView->setCurrentItem(FRootNode);
    RefreshViews();
}

std::unique_ptr<TFrameSettings> TMainForm::NewSettings() const {
    return std::make_unique<TMainSettings>();
}

void TMainForm::TakeSettings(const TFrameSettings& stored) {
    const auto& s = static_cast<const TMainSettings&>(stored);
    MapDriveDisconnectbutton1->setChecked(s.showMap);
    FAskSave = s.askSave;
    IconManager().RealIconsLocal = s.useLocalRealIcon;
    IconManager().RealIconsRemovable = s.useRemovableRealIcon;
    IconManager().RealIconsNetwork = s.useNetworkRealIcon;
}

void TMainForm::GiveSettings(TFrameSettings& stored) const {
    auto& s = static_cast<TMainSettings&>(stored);
    s.showMap = MapDriveDisconnectbutton1->isChecked();
    s.askSave = FAskSave;
    s.useLocalRealIcon = IconManager().RealIconsLocal;
    s.useRemovableRealIcon = IconManager().RealIconsRemovable;
    s.useNetworkRealIcon = IconManager().RealIconsNetwork;
}

void TMainForm::ApplyView() {
    TMainFrameForm::ApplyView();
    MapToolButton->setVisible(MapDriveDisconnectbutton1->isChecked());
    DisconnectToolButton->setVisible(MapDriveDisconnectbutton1->isChecked());
    MapDriveDisconnectbutton1->setEnabled(ToolBar2->isChecked());
}

void TMainForm::LoadPreferredExplorations() {
    TPreferredRootItem* pref = FRootItem ? FRootItem->PreferredRoot() : nullptr;
    if (!pref) return;
    std::vector<TPreferredEntry> entries;
    {
        platform::TRegistry reg = OpenSettingsStore();
        if (reg.OpenKey(kPreferredKey, false)) {
            TRegistrySettingsKey key(reg);
            entries = ReadPreferredEntries(key);
        }
    }
    if (QTreeWidgetItem* node = NodeOf(pref)) DeleteNodeChildren(node);
    BuildPreferredItems(*pref, entries, FMountPoints, GetDriveDisplayName);
    FRootItem->UpdateTotals();
    bool anyFlagged = false;
    for (const TItem* child : pref->Children()) {
        if (auto* p = dynamic_cast<const TPreferredItem*>(child); p && p->ExploreAtStart()) anyFlagged = true;
        if (auto* d = dynamic_cast<const TPreferredDriveItem*>(child); d && d->ExploreAtStart())
            anyFlagged = true;
    }
    if (anyFlagged) pref->Explore();
    if (pref->ChildCount() > 0) {
        FRootNode->setExpanded(true);
        if (QTreeWidgetItem* node = NodeOf(pref)) {
            DeleteNodeChildren(node);
            AddChildNodes(pref, node);
        }
    }
    UpdatePreferredRootState();
    RefreshViews();
}

void TMainForm::SavePreferredExplorations() {
    TPreferredRootItem* pref = FRootItem ? FRootItem->PreferredRoot() : nullptr;
    if (!pref) return;
    platform::TRegistry reg = OpenSettingsStore();
    reg.DeleteKey(kPreferredKey);
    if (!reg.OpenKey(kPreferredKey, true)) return;
    TRegistrySettingsKey key(reg);
    WritePreferredEntries(key, PreferredEntriesOf(*pref));
    reg.Flush();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!FCloseAllowed && !FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool TMainForm::FormCloseQuery() {
    if (!FAskSave || !FModified) return true;
    TCloseAnswer answer;
    if (FHooks.closeAnswer) {
        answer = FHooks.closeAnswer();
    } else {
        const auto button = model::ShowMessageBox(
            this, QMessageBox::Warning, "Save",
            "Some or all explorations have not been saved.\nDo you want to save them now?\n\n"
            "(Note: you can turn off this warning in Options)",
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        answer = button == QMessageBox::Yes  ? TCloseAnswer::Yes
                 : button == QMessageBox::No ? TCloseAnswer::No
                                             : TCloseAnswer::Cancel;
    }
    const TSaveCommandOutcome outcome =
        answer == TCloseAnswer::Yes ? RunSaveForm(false) : TSaveCommandOutcome::Cancelled;
    return MayClose(answer, outcome);
}

void TMainForm::FormClose() {
    FClosing = true;
    SaveSettings();
    SavePreferredExplorations();
}

} // namespace mainwindow
