// The viewer's main window: creation, start-up and settings, and how the frame's tree and list show
// the loaded files.
#include "viewer/UMainForm.h"
#include "viewer/UMainFormParts.h"

#include "listing/KPLListView.h"
#include "listing/UColumn.h"
#include "listing/UColumnStore.h"
#include "listing/UProgramProfile.h"
#include "model/UShellUtil.h"
#include "platform/PIconRegistry.h"
#include "platform/PQtRegistry.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

namespace viewer {

using namespace formparts;

void InstallViewerProfile() {
    listing::TProgramProfile profile = listing::ViewerProfile();
    profile.isFileRoot = [](const model::TItem* item) { return IsFileRootItem(item); };
    listing::SetCurrentProfile(profile);
}

// ---- creation and destruction ----

// The viewer's tree is read whole from files; a folder opened from the list takes the keyboard.
TMainForm::TMainForm(QWidget* parent)
    : TMainFrameForm({"Tessalundrix Viewer", kViewerDesignWidth, kViewerDesignHeight, 200, 460,
                      &listing::ViewerProfile(), true, true},
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
    connect(TreeView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (QTreeWidgetItem* node = TreeView->itemAt(pos))
            TreeViewContextPopup(node, TreeView->viewport()->mapToGlobal(pos));
    });
    connect(ListView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex index = ListView->indexAt(pos);
        if (!index.isValid()) return;
        // A right click on an unselected row makes it the selection.
        if (!ListView->selectionModel()->isRowSelected(index.row(), {}))
            ListView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                                   QItemSelectionModel::Rows);
        QMenu* menu = ListPopupFor(index.row());
        if (!menu) return;
        UpdateMenus(true);
        menu->popup(ListView->viewport()->mapToGlobal(pos));
    });
    connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        UpdateMenus(false);
        UpdateStatusBar();
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

model::TFolderItem* TMainForm::FrameRoot() const {
    return FRootItem.get();
}

// ---- start-up, settings, shut-down ----

bool TMainForm::StartUp() {
    QApplication::restoreOverrideCursor();
    // Exactly one argument is a file to load; there are no switches.
    if (FArguments.size() != 1) return FShowTips;
    LoadFileWithProgress(FArguments.front().toStdString());
    GiveFocusBack(TFocus::Tree);
    return false;
}

void TMainForm::LoadSettings() {
    const QRect area = ScreenArea();
    TViewerSettings s = DefaultViewerSettings(area.width(), area.height());
    {
        platform::TRegistry reg(platform::kViewerSettings);
        if (reg.OpenKey("", false)) {
            // A value that is missing or of another type stops the reading there.
            [&] {
                for (int g = 0; g < 3; ++g)
                    listing::LoadColumnLayout(reg, kColumnValues[g], *FGroups[g]);
                for (auto [name, field] : {std::pair{"Width", &s.width},
                                           {"Height", &s.height},
                                           {"Top", &s.top},
                                           {"Left", &s.left}}) {
                    const auto v = reg.ReadInteger(name);
                    if (!v.Ok()) return;
                    *field = v.value;
                }
                for (auto [name, field] : {std::pair{"ShowTreeView", &s.showTreeView},
                                           {"ShowToolbar", &s.showToolbar},
                                           {"ShowButtonLabel", &s.showButtonLabel},
                                           {"ShowPath", &s.showPath},
                                           {"ShowStatusBar", &s.showStatusBar},
                                           {"ShowTips", &s.showTips}}) {
                    const auto v = reg.ReadInteger(name);
                    if (!v.Ok()) return;
                    *field = v.value != 0;
                }
            }();
        }
    }
    FShowTips = s.showTips;
    ClampViewerWindow(s, area.width(), area.height());
    ApplyFrameSettings(s);
}

void TMainForm::SaveSettings() {
    platform::TRegistry reg(platform::kViewerSettings);
    if (!reg.OpenKey("", true)) return;
    StoreColumnLayout();
    for (int g = 0; g < 3; ++g)
        listing::StoreColumnLayout(reg, kColumnValues[g], *FGroups[g]);
    const mainwindow::TFrameSettings s = FrameSettings();
    reg.WriteInteger("Width", s.width);
    reg.WriteInteger("Height", s.height);
    reg.WriteInteger("Top", s.top);
    reg.WriteInteger("Left", s.left);
    reg.WriteBool("ShowTreeView", s.showTreeView);
    reg.WriteBool("ShowToolbar", s.showToolbar);
    reg.WriteBool("ShowButtonLabel", s.showButtonLabel);
    reg.WriteBool("ShowPath", s.showPath);
    reg.WriteBool("ShowStatusBar", s.showStatusBar);
    reg.WriteBool("ShowTips", FShowTips);
    reg.Flush(); // a failed write is silent: the program ends normally
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
    return {Focus(), SelectedRows(), SelectedTreeItem(), FRootItem.get()};
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
