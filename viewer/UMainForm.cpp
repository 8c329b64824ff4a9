// The viewer's main window: creation, start-up and settings, and how the frame's tree and list show
// the loaded files.
#include "viewer/UMainForm.h"
#include "viewer/UMainFormParts.h"

#include "listing/KPLListView.h"
#include "listing/UProgramProfile.h"
#include "mainwindow/UOptionsForm.h"
#include "model/UShellUtil.h"
#include "platform/PIconRegistry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTreeWidget>

namespace viewer {

using namespace formparts;

void InstallViewerProfile() {
    listing::TProgramProfile profile = listing::ViewerProfile();
    profile.isFileRoot = [](const model::TItem* item) { return IsFileRootItem(item); };
    listing::SetCurrentProfile(profile);
}

// ---- creation and destruction ----

TMainForm::TMainForm(QWidget* parent)
    : TMainFrameForm({.caption = "Tessalundrix Viewer",
                      .width = kViewerDesignWidth,
                      .height = kViewerDesignHeight,
                      .treeWidth = 200,
                      .listWidth = 460,
                      .profile = &listing::ViewerProfile(),
                      .openedRowFocusesTree = true,
                      .wholeTree = true,
                      .modelessToolWindows = true,
                      .optionsKind = mainwindow::kOptionsViewer,
                      .statusWithoutFocus = true},
                     parent) {
    CreateMenus();
    CreatePopups();
    ListView->SetSortColumn(-1);
    ListView->SetSortColumnUp(true);

    connect(TreeView, &QTreeWidget::currentItemChanged, this, [this] { RefreshViews(); });
    connect(TreeView, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* node) {
        ApplyPopupNode();
        if (node == FRootNode) node->setExpanded(true);
        // Other nodes keep the state the double click left (the click itself toggled nothing).
    });
}

TMainForm::~TMainForm() {
    // The windows that show items first, then the views, then the tree.
    for (QWidget* w : ToolWindows())
        delete w;
    ClearViews();
    FRootItem.reset();
}

void TMainForm::SetDialogHooks(TDialogHooks hooks) {
    FHooks = std::move(hooks);
    SetMessageHook(FHooks.message);
    SetStartupTipHook(FHooks.startupTip);
}

model::TRootItem* TMainForm::FrameRoot() const {
    return FRootItem.get();
}

// ---- start-up and shut-down ----

bool TMainForm::StartUp() {
    QApplication::restoreOverrideCursor();
    // Exactly one argument is a file to load; there are no switches.
    if (FArguments.size() != 1) return FShowTips;
    LoadFileWithProgress(FArguments.front().toStdString());
    GiveFocusBack(TFocus::Tree);
    return false;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    SaveSettings();
    for (QWidget* w : ToolWindows())
        w->close();
    event->accept();
}

// ---- tree ----

void TMainForm::DecorateNewNode(QTreeWidgetItem* node, model::TFolderItem* item) {
    // Icons are resolved when the node is first shown (TreeViewExpanding).
    if (item->IconIndex() != -1) node->setIcon(0, platform::IconRegistry().Icon(item->IconIndex()));
}

void TMainForm::SetNodeIcon(QTreeWidgetItem* node, const model::TFolderItem* item, bool) {
    if (node->icon(0).isNull()) node->setIcon(0, platform::IconRegistry().Icon(item->IconIndex()));
}

void TMainForm::BuildRootTree() {
    ClearViews();
    TreeView->blockSignals(true);
    FRootItem = std::make_unique<TRootItem>();
    FRootItem->SetIconIndex(model::GetComputerIcon());
    FRootItem->SetOpenIconIndex(FRootItem->IconIndex());
    FRootNode = NewNode(FRootItem.get(), nullptr);
    AddChildNodes(FRootItem.get(), FRootNode);
    FRootNode->setExpanded(true);
    TreeView->setCurrentItem(FRootNode);
    TreeView->blockSignals(false);
    RefreshViews();
}

void TMainForm::SelectNode(QTreeWidgetItem* node) {
    if (TreeView->currentItem() == node)
        RefreshViews();
    else
        TreeView->setCurrentItem(node);
}

// ---- list ----

TViewerInput TMainForm::Input() const {
    return {CommandFocus(), SelectedRows(), ItemOfNode(CommandNode()), FRootItem.get()};
}

int TMainForm::GroupOfView(int view) const {
    return view;
}

std::string TMainForm::PathBarText(const model::TFolderItem* item) const {
    return item == FRootItem.get() ? std::string() : item->GetPath();
}

void TMainForm::ShowListOf(model::TFolderItem* folder) {
    const int view = ViewOfItem(folder, FRootItem.get());
    ClearListRows();
    ChangeView(view);
    for (TItem* child : folder->Children()) {
        if (view != kViewRoot && child->IsFolder() && child->TypeIndex() == -1) child->ResolveType();
        FShownItems.push_back(child);
    }
}

} // namespace viewer
