// The main window's views: tree nodes from folder items, the list rows of the selected folder in
// its view mode, the export's subject, and dropping what the tree is about to free.
#include "mainwindow/UMainForm.h"

#include "listing/KPLListView.h"
#include "listing/UColumn.h"
#include "listing/USortCompare.h"
#include "listing/UTreeNodes.h"
#include "mainwindow/UViewMode.h"
#include "model/UBusyCursor.h"
#include "model/UShellUtil.h"
#include "platform/PIconRegistry.h"

#include <QApplication>
#include <QDateTime>
#include <QPainter>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <unordered_set>

namespace mainwindow {

using namespace model;

namespace {

// An icon as the views draw it: ghosted for a hidden item (the cut look), and with the auto-explore
// mark of a preferred item (state 1 on: a green dot, 2 off: a red one).
QPixmap ItemPixmap(int index, bool cut, int state) {
    QPixmap pixmap =
        platform::IconRegistry().Icon(index).pixmap(16, 16, cut ? QIcon::Disabled : QIcon::Normal);
    if (pixmap.isNull()) {
        pixmap = QPixmap(16, 16);
        pixmap.fill(Qt::transparent);
    }
    if (state == 1 || state == 2) {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(state == 1 ? QColor(0, 150, 0) : QColor(210, 0, 0));
        painter.setPen(Qt::white);
        painter.drawEllipse(QRectF(8.5, 8.5, 7, 7));
    }
    return pixmap;
}

QIcon NodeIcon(int normal, int open, bool cut, int state) {
    QIcon icon;
    icon.addPixmap(ItemPixmap(normal, cut, state), QIcon::Normal, QIcon::Off);
    icon.addPixmap(ItemPixmap(open, cut, state), QIcon::Selected, QIcon::Off);
    return icon;
}

template <typename T> bool Is(const TItem* item) {
    return dynamic_cast<const T*>(item) != nullptr;
}

} // namespace

// ---- tree nodes ----

void TMainForm::SetNodeIcon(QTreeWidgetItem* node, const TFolderItem* item, bool cut) {
    node->setIcon(0, NodeIcon(item->IconIndex(), item->OpenIconIndex(), cut, item->StateIndex()));
}

void TMainForm::ForgetNode(QTreeWidgetItem* node) {
    if (node == FExploreNode) FExploreNode = nullptr;
    TMainFrameForm::ForgetNode(node);
}

void TMainForm::ListNodeChildren(QTreeWidgetItem* node, TFolderItem* item) {
    if (item->ChildrenListed()) return;
    if (item->Listed())
        item->ExpandChildren();
    else
        item->Expand(false, true);
    TreeView->setUpdatesEnabled(false);
    DeleteNodeChildren(node);
    AddChildNodes(item, node);
    TreeView->setUpdatesEnabled(true);
}

int TMainForm::FindRowByName(const std::string& text, int start) const {
    const int count = int(FShownItems.size());
    const std::string wanted = UpperAscii(text);
    auto matches = [&](int row) {
        const TItem* item = FShownItems[row];
        if (!item) return false;
        const std::string_view name = item->Name();
        return name.size() >= wanted.size() && UpperAscii(name.substr(0, wanted.size())) == wanted;
    };
    if (start < 0 || start >= count) start = 0;
    for (int row = start; row < count; ++row)
        if (matches(row)) return row;
    for (int row = 0; row < start; ++row)
        if (matches(row)) return row;
    return -1;
}

void TMainForm::ListViewTypeAhead(const QString& typed) {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const bool continuing = now - FSearchTime <= QApplication::keyboardInputInterval();
    FSearchTime = now;
    FSearchText = continuing ? FSearchText + typed : typed;
    const int current = ListView->currentIndex().isValid() ? ListView->currentIndex().row() : -1;
    // A new search starts after the focused row, a continued one at it.
    const int row = FindRowByName(FSearchText.toStdString(), continuing ? current : current + 1);
    if (row < 0) return;
    const QModelIndex index = ListView->model()->index(row, 0);
    ListView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
    ListView->scrollTo(index);
}

void TMainForm::ItemsAboutToBeRemoved(TFolderItem* folder, TItem* child) {
    // The list first: any row inside what goes takes the whole listing with it.
    const TItem* gone = child ? child : folder;
    bool dropRows = false;
    for (const TItem* row : FShownItems)
        if (row && row->IsAncestor(gone) && (child || row != folder)) {
            dropRows = true;
            break;
        }
    if (dropRows) {
        ClearListRows();
    }
    // Then the nodes.
    const QTreeWidgetItem* current = TreeView->currentItem();
    bool currentGone = false;
    if (child) {
        if (child->IsFolder())
            if (QTreeWidgetItem* node = NodeOf(static_cast<TFolderItem*>(child))) {
                for (const QTreeWidgetItem* n = current; n; n = n->parent())
                    if (n == node) currentGone = true;
                DeleteNode(node);
            }
    } else if (QTreeWidgetItem* node = NodeOf(folder)) {
        for (const QTreeWidgetItem* n = current; n && n != node; n = n->parent())
            if (n->parent() == node) currentGone = true;
        DeleteNodeChildren(node);
    }
    // The views catch up once the operation that removes items is done.
    if ((dropRows || currentGone) && !FRefreshPosted) {
        FRefreshPosted = true;
        QTimer::singleShot(0, this, [this] {
            FRefreshPosted = false;
            if (FRootItem) RefreshViews();
        });
    }
}

// ---- the list ----

QVariant TMainForm::RowIcon(int row) const {
    if (row < 0 || row >= int(FShownItems.size())) return {};
    TItem* item = FShownItems[row];
    if (!item) {
        // The placeholder shows the program's own icon, as the root does.
        const int program = GetProgramIcon() != -1 ? GetProgramIcon()
                            : FRootItem            ? FRootItem->IconIndex()
                                                   : -1;
        return platform::IconRegistry().Icon(program);
    }
    // Icons are resolved when a row is first painted, never while Export Data reads the rows.
    if (item->IconIndex() == -1 && !FExporting) item->ResolveIcon();
    const bool cut = (item->Attributes() & kAttrHidden) != 0;
    const int state =
        FPreferredMarks && item->IsFolder() ? static_cast<TFolderItem*>(item)->StateIndex() : -1;
    if (!cut && state < 1) return platform::IconRegistry().Icon(item->IconIndex());
    const long long key = (long long)item->IconIndex() * 8 + (cut ? 4 : 0) + (state > 0 ? state : 0);
    auto it = FRowIcons.find(key);
    if (it != FRowIcons.end()) return it->second;
    const QPixmap pixmap = ItemPixmap(item->IconIndex(), cut, state);
    return FRowIcons.emplace(key, QIcon(pixmap)).first->second;
}

int TMainForm::GroupOfView(int view) const {
    return GroupOfMode(view);
}

int* TMainForm::KeptSortCode(int view) {
    return view == kModeRoot ? &FRootSortCode : TMainFrameForm::KeptSortCode(view);
}

int TMainForm::ColumnsPage() const {
    return FViewMode == kModeRoot ? kGroupNormal : TMainFrameForm::ColumnsPage();
}

void TMainForm::ShowListOf(TFolderItem* item) {
    if (auto* computer = dynamic_cast<TComputerRootItem*>(item)) {
        ShowDriveList(computer);
        return;
    }
    if (!item->Listed()) {
        item->Expand(false, true);
        QTreeWidgetItem* node = TreeView->currentItem();
        TreeView->setUpdatesEnabled(false);
        DeleteNodeChildren(node);
        AddChildNodes(item, node);
        TreeView->setUpdatesEnabled(true);
    }
    ShowFolderList(item);
}

void TMainForm::ShowDriveList(TComputerRootItem* computer) {
    FShownItems.clear();
    ChangeView(kModeDrive);
    for (TItem* drive : computer->Children()) {
        FShownItems.push_back(drive);
        if (drive->TypeIndex() == -1) drive->ResolveType();
    }
}

void TMainForm::ShowFolderList(TFolderItem* item) {
    FShownItems.clear();
    ChangeView(ViewModeFor(item));
    FPreferredMarks = Is<TPreferredRootItem>(item);
    if (WaitsForListing(item)) return; // no rows until its listing comes
    if (HasPlaceholderRow(item)) FShownItems.push_back(nullptr);
    const bool resolve = ResolvesChildTypes(item);
    FShownItems.reserve(FShownItems.size() + item->ChildCount());
    for (TItem* child : item->Children()) {
        FShownItems.push_back(child);
        if (resolve && child->TypeIndex() == -1) child->ResolveType();
    }
}

// ---- navigation ----

void TMainForm::TreeViewChange() {
    QTreeWidgetItem* node = TreeView->currentItem();
    if (!node || node == FLastNode) return;
    model::TBusyCursor busy;
    ListView->clearSelection();
    ListView->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    RefreshViews();
    FLastNode = node;
}

void TMainForm::OpenTreeNode(bool expand) {
    QTreeWidgetItem* node = TreeView->currentItem();
    if (!node) return;
    if (!expand) {
        node->setExpanded(false);
    } else {
        TFolderItem* item = ItemOfNode(node);
        if (!item) return;
        if (item->Listed()) {
            node->setExpanded(true);
        } else {
            item->Expand(false, true);
            TreeView->setUpdatesEnabled(false);
            DeleteNodeChildren(node);
            AddChildNodes(item, node);
            TreeView->setUpdatesEnabled(true);
            node->setExpanded(true);
            RefreshViews();
        }
    }
    UpdateCommands(false);
    UpdateStatusBar();
}

void TMainForm::OpenPlaceholderRow() {
    // The "Unexplored" row: explore the folder it stands in.
    RefreshExplore1Click();
}

void TMainForm::OpenFileRow(TItem* file) {
    OpenWithDesktop(file->GetPath());
}

void TMainForm::ReExploreNode(QTreeWidgetItem* node) {
    TFolderItem* item = ItemOfNode(node);
    if (!item) return;
    model::TBusyCursor busy;
    ClearListRows();
    DeleteNodeChildren(node);
    const bool explored = item->Explore();
    // A cancel leaves the folder cleared; its node shows that.
    if (QTreeWidgetItem* again = NodeOf(item)) {
        TreeView->setUpdatesEnabled(false);
        DeleteNodeChildren(again);
        if (explored) AddChildNodes(item, again);
        TreeView->setUpdatesEnabled(true);
    }
    RefreshViews();
    FModified = true;
}

TCommandInput TMainForm::CommandInput() const {
    TCommandInput in;
    in.focus = CommandFocus();
    const std::vector<TItem*> rows = SelectedRows();
    if (!rows.empty()) {
        in.listSelected = true;
        // The first selected row in display order is the subject.
        in.listItem = rows.front();
        in.listPlaceholder = rows.front() == nullptr;
        in.listSelection.assign(rows.begin(), rows.end());
    }
    if (QTreeWidgetItem* node = CommandNode()) {
        in.treeSelected = true;
        in.treeItem = ItemOfNode(node);
        in.treeExpanded = node->isExpanded();
    }
    in.isMountPoint = [this](const TItem* item) { return IsMountPoint(item); };
    return in;
}

std::string TMainForm::ExportSubject(const TFolderItem* item) const {
    return ExportSubjectText(item, item == FRootItem.get());
}

bool TMainForm::IsMountPoint(const TItem* item) const {
    std::string path = item->GetPath();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return std::find(FMountPoints.begin(), FMountPoints.end(), path) != FMountPoints.end();
}

} // namespace mainwindow
