// The main window's views: tree nodes from folder items, the list rows of the selected folder in
// its view mode, sorting, the status and path bars, and dropping what the tree is about to free.
#include "mainwindow/UMainForm.h"

#include "listing/KPLListView.h"
#include "listing/UColumn.h"
#include "listing/USortCompare.h"
#include "listing/UTreeNodes.h"
#include "mainwindow/UQtShellOpen.h"
#include "mainwindow/UStatusText.h"
#include "mainwindow/UViewMode.h"
#include "model/UShellUtil.h"
#include "platform/PIconRegistry.h"

#include <QApplication>
#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <unordered_set>

namespace mainwindow {

using namespace model;

namespace {

constexpr int kItemRole = Qt::UserRole + 1;

// Shows the hourglass for the life of the object.
struct TBusyCursor {
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
};

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

TFolderItem* TMainForm::ItemOfNode(const QTreeWidgetItem* node) const {
    if (!node) return nullptr;
    return reinterpret_cast<TFolderItem*>(node->data(0, kItemRole).value<quintptr>());
}

QTreeWidgetItem* TMainForm::NodeOf(const TFolderItem* item) const {
    auto it = FNodes.find(item);
    return it == FNodes.end() ? nullptr : it->second;
}

QTreeWidgetItem* TMainForm::NewNode(TFolderItem* item, QTreeWidgetItem* parent) {
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TreeView);
    node->setText(0, listing::DisplayText(item->NameString()));
    node->setData(0, kItemRole, QVariant::fromValue(reinterpret_cast<quintptr>(item)));
    FNodes[item] = node;
    UpdateNodeImages(node);
    return node;
}

void TMainForm::AddChildNodes(TFolderItem* item, QTreeWidgetItem* node) {
    // With a stack of our own: an explored tree may be any number of levels deep.
    std::vector<std::pair<TFolderItem*, QTreeWidgetItem*>> todo{{item, node}};
    while (!todo.empty()) {
        auto [folder, folderNode] = todo.back();
        todo.pop_back();
        for (TItem* child : folder->Children()) {
            if (!child->IsFolder()) continue;
            auto* sub = static_cast<TFolderItem*>(child);
            todo.emplace_back(sub, NewNode(sub, folderNode));
        }
        // An expand button for a folder whose subfolders are not known yet.
        if (folder->ChildCount() == 0 && !folder->Listed()) new QTreeWidgetItem(folderNode);
    }
}

void TMainForm::UpdateNodeImages(QTreeWidgetItem* node) {
    TFolderItem* item = ItemOfNode(node);
    if (!item) return;
    if (item->IconIndex() == -1 || item->OpenIconIndex() == -1) item->ResolveIcon();
    const bool cut = (item->Attributes() & kAttrHidden) != 0;
    node->setIcon(0, NodeIcon(item->IconIndex(), item->OpenIconIndex(), cut, item->StateIndex()));
    node->setForeground(0, cut ? TreeView->palette().brush(QPalette::Disabled, QPalette::Text)
                               : TreeView->palette().brush(QPalette::Active, QPalette::Text));
}

void TMainForm::DeleteNodeChildren(QTreeWidgetItem* node) {
    while (node->childCount() > 0)
        DeleteNode(node->child(node->childCount() - 1));
}

void TMainForm::DeleteNode(QTreeWidgetItem* node) {
    // Every node of the branch is forgotten first, then the branch goes at once (any depth).
    std::vector<QTreeWidgetItem*> todo{node};
    while (!todo.empty()) {
        QTreeWidgetItem* n = todo.back();
        todo.pop_back();
        if (TFolderItem* item = ItemOfNode(n)) {
            auto it = FNodes.find(item);
            if (it != FNodes.end() && it->second == n) FNodes.erase(it);
        }
        if (n == FLastNode) FLastNode = nullptr;
        if (n == FPopupNode) FPopupNode = nullptr;
        if (n == FExploreNode) FExploreNode = nullptr;
        if (n == FRootNode) FRootNode = nullptr;
        for (int i = 0; i < n->childCount(); ++i)
            todo.push_back(n->child(i));
    }
    const bool blocked = TreeView->blockSignals(true);
    listing::DestroyTreeNode(node);
    TreeView->blockSignals(blocked);
}

TFolderItem* TMainForm::SelectedTreeItem() const {
    return ItemOfNode(TreeView->currentItem());
}

QTreeWidgetItem* TMainForm::FindChildNode(const TItem* item) const {
    QTreeWidgetItem* selected = TreeView->currentItem();
    if (!selected) return nullptr;
    for (int i = selected->childCount() - 1; i >= 0; --i)
        if (ItemOfNode(selected->child(i)) == item) return selected->child(i);
    return nullptr;
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

int TMainForm::FindListItem(const TItem* item) const {
    for (int i = int(FShownItems.size()) - 1; i >= 0; --i)
        if (FShownItems[i] == item) return i;
    return -1;
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

// ---- refreshing the list ----

void TMainForm::RefreshViews() {
    ListView->setUpdatesEnabled(false);
    QTreeWidgetItem* node = TreeView->currentItem();
    if (TFolderItem* item = ItemOfNode(node)) {
        UpdateCommands(false);
        if (auto* computer = dynamic_cast<TComputerRootItem*>(item)) {
            ShowDriveList(computer);
        } else {
            if (!item->Listed()) {
                item->Expand(false, true);
                TreeView->setUpdatesEnabled(false);
                DeleteNodeChildren(node);
                AddChildNodes(item, node);
                TreeView->setUpdatesEnabled(true);
            }
            ShowFolderList(item);
        }
        UpdatePathBar(item);
    } else {
        FShownItems.clear();
    }
    SetListRows();
    SortList();
    ListView->setUpdatesEnabled(true);
    if (Focus() == TFocus::List) SelectTopRowWhenNone();
    UpdateCommands(false);
    UpdateStatusBar();
}

void TMainForm::SelectListItems(const std::vector<TItem*>& items, const TItem* current) {
    const std::unordered_set<const TItem*> wanted(items.begin(), items.end());
    QItemSelection selection;
    int currentRow = -1;
    for (int row = 0; row < int(FShownItems.size()); ++row) {
        if (FShownItems[row] == current && current) currentRow = row;
        if (!wanted.count(FShownItems[row])) continue;
        const QModelIndex index = ListView->model()->index(row, 0);
        selection.select(index, index);
    }
    QItemSelectionModel* model = ListView->selectionModel();
    model->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (currentRow >= 0)
        model->setCurrentIndex(ListView->model()->index(currentRow, 0), QItemSelectionModel::NoUpdate);
}

void TMainForm::SelectTopRowWhenNone() {
    if (FShownItems.empty() || ListView->selectionModel()->hasSelection()) return;
    const QModelIndex top = ListView->indexAt(QPoint(0, 0));
    const QModelIndex row = top.isValid() ? top : ListView->model()->index(0, 0);
    ListView->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
}

void TMainForm::SetListRows() {
    ListView->ListModel()->SetRowCount(int(FShownItems.size()));
}

void TMainForm::ClearListRows() {
    FShownItems.clear();
    ListView->ListModel()->SetRowCount(0);
}

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

void TMainForm::ChangeMode(int mode) {
    if (mode == FViewMode) return;
    StoreColumnLayout();
    if (FViewMode == kModeRoot)
        FRootSortCode = FSortCode;
    else if (listing::TColumnGroup* old = GroupOfViewMode())
        old->SortCode = FSortCode;
    FViewMode = mode;
    FSortCode = mode == kModeRoot ? FRootSortCode : GroupOfViewMode()->SortCode;
    ApplyColumnGroup();
}

listing::TColumnGroup* TMainForm::GroupOfViewMode() const {
    const int g = GroupOfMode(FViewMode);
    return g < 0 ? nullptr : FGroups[g].get();
}

void TMainForm::ShowDriveList(TComputerRootItem* computer) {
    FShownItems.clear();
    ChangeMode(kModeDrive);
    for (TItem* drive : computer->Children()) {
        FShownItems.push_back(drive);
        if (drive->TypeIndex() == -1) drive->ResolveType();
    }
}

void TMainForm::ShowFolderList(TFolderItem* item) {
    FShownItems.clear();
    ChangeMode(ViewModeFor(item));
    FPreferredMarks = Is<TPreferredRootItem>(item);
    if (HasPlaceholderRow(item)) FShownItems.push_back(nullptr);
    const bool resolve = ResolvesChildTypes(item);
    FShownItems.reserve(FShownItems.size() + item->ChildCount());
    for (TItem* child : item->Children()) {
        FShownItems.push_back(child);
        if (resolve && child->TypeIndex() == -1) child->ResolveType();
    }
}

void TMainForm::ApplyColumnGroup() {
    TBusyCursor busy;
    listing::TColumnGroup* group = GroupOfViewMode();
    if (!group) return;
    // The group shows the list's own code while it is applied; the code it settles on is the list's.
    const int own = group->SortCode;
    group->SortCode = FSortCode;
    FSortCode = group->ApplyToListView();
    group->SortCode = own;
    SetListRows();
    SortList();
}

void TMainForm::StoreColumnLayout() {
    if (listing::TColumnGroup* group = GroupOfViewMode()) group->ReadBackFromListView();
}

void TMainForm::SortList() {
    if (FViewMode != kModeNone && !FShownItems.empty()) {
        TBusyCursor busy;
        if (const listing::TItemComparator* compare =
                listing::SelectExplorerComparator(FViewMode, FSortCode)) {
            // The "Unexplored" row stays first.
            const std::size_t first = FShownItems.front() == nullptr ? 1 : 0;
            listing::SortItems(FShownItems.data() + first, FShownItems.size() - first, *compare);
        }
    }
    // Rows are asked for when painted: a new order needs only a repaint.
    if (ListView->ListModel()->RowCount() == int(FShownItems.size()))
        ListView->viewport()->update();
    else
        SetListRows();
}

void TMainForm::ListViewColumnClick(int column) {
    TBusyCursor busy;
    const int id = ListView->ColumnTag(column);
    if (id < 0) return;
    FSortCode = listing::SortCodeAfterClick(FSortCode, id);
    SortList();
    ListView->SetSortColumn(column);
    ListView->SetSortColumnUp(FSortCode % 2 == 0);
    ListView->clearSelection();
}

void TMainForm::SortAscending1Click() {
    const int id = ListView->ColumnTag(FPopupColumn);
    if (id < 0 || FSortCode == 2 * id) return;
    TBusyCursor busy;
    FSortCode = 2 * id;
    SortList();
    ListView->SetSortColumn(FPopupColumn);
    ListView->SetSortColumnUp(true);
    ListView->clearSelection();
}

void TMainForm::SortDescending1Click() {
    const int id = ListView->ColumnTag(FPopupColumn);
    if (id < 0 || FSortCode == 2 * id + 1) return;
    TBusyCursor busy;
    FSortCode = 2 * id + 1;
    SortList();
    ListView->SetSortColumn(FPopupColumn);
    ListView->SetSortColumnUp(false);
    ListView->clearSelection();
}

// ---- bars ----

std::vector<TItem*> TMainForm::SelectedRows() const {
    std::vector<TItem*> rows;
    for (int row : ListView->SelectedRowIndexes())
        if (row < int(FShownItems.size())) rows.push_back(FShownItems[row]);
    return rows;
}

TFocus TMainForm::Focus() const {
    const QWidget* focus = QApplication::focusWidget();
    if (!focus || focus->window() != this) focus = focusWidget();
    if (focus && (focus == ListView || ListView->isAncestorOf(focus))) return TFocus::List;
    if (focus && (focus == TreeView || TreeView->isAncestorOf(focus))) return TFocus::Tree;
    return TFocus::None;
}

void TMainForm::GiveFocusBack(TFocus view) {
    QWidget* target = view == TFocus::List   ? static_cast<QWidget*>(ListView)
                      : view == TFocus::Tree ? static_cast<QWidget*>(TreeView)
                                             : nullptr;
    if (!target || !isVisible()) return;
    // The window takes the activation back from its closed dialogs, but never from another program
    // the user went to meanwhile.
    if (QGuiApplication::applicationState() == Qt::ApplicationActive) activateWindow();
    target->setFocus(Qt::OtherFocusReason);
    if (!FRootItem) return;
    if (view == TFocus::List) SelectTopRowWhenNone();
    UpdateCommands(false);
    UpdateStatusBar();
}

void TMainForm::UpdateStatusBar() {
    TStatusTexts texts;
    const TFocus focus = Focus();
    if (focus == TFocus::List) {
        const std::vector<TItem*> rows = SelectedRows();
        if (rows.size() >= 2)
            texts = StatusTexts(std::vector<const TItem*>(rows.begin(), rows.end()));
        else
            texts = StatusTexts(rows.empty() ? nullptr : rows.front());
    } else if (focus == TFocus::Tree) {
        texts = StatusTexts(SelectedTreeItem());
    }
    StatusPanel0->setText(listing::DisplayText(texts.name));
    StatusPanel1->setText(listing::DisplayText(texts.totals));
}

void TMainForm::UpdatePathBar(TFolderItem* item) {
    PathEdit->setText(listing::DisplayText(item->GetPath()));
    QPixmap image(16, 16);
    image.fill(Qt::white);
    const QIcon icon = platform::IconRegistry().Icon(item->OpenIconIndex() != -1 ? item->OpenIconIndex()
                                                                                 : item->IconIndex());
    if (!icon.isNull()) {
        QPainter painter(&image);
        painter.drawPixmap(0, 0, icon.pixmap(16, 16));
    }
    Image1->setPixmap(image);
}

// ---- navigation ----

void TMainForm::TreeViewChange() {
    QTreeWidgetItem* node = TreeView->currentItem();
    if (!node || node == FLastNode) return;
    TBusyCursor busy;
    ListView->clearSelection();
    ListView->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    RefreshViews();
    FLastNode = node;
}

void TMainForm::TreeViewExpanding(QTreeWidgetItem* node) {
    TFolderItem* item = ItemOfNode(node);
    if (!item) return;
    TBusyCursor busy;
    if (!item->ChildrenListed()) {
        if (item->Listed())
            item->ExpandChildren();
        else
            item->Expand(false, true);
        TreeView->setUpdatesEnabled(false);
        DeleteNodeChildren(node);
        AddChildNodes(item, node);
        TreeView->setUpdatesEnabled(true);
    }
    for (int i = 0; i < node->childCount(); ++i)
        UpdateNodeImages(node->child(i));
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

void TMainForm::ListViewDblClick() {
    const QModelIndex current = ListView->currentIndex();
    if (!current.isValid() || current.row() >= int(FShownItems.size())) return;
    TItem* item = FShownItems[current.row()];
    if (!item) {
        // The "Unexplored" row: explore the folder it stands in.
        RefreshExplore1Click();
        return;
    }
    if (item->IsFolder()) {
        QTreeWidgetItem* selected = TreeView->currentItem();
        if (selected && !selected->isExpanded()) selected->setExpanded(true);
        if (QTreeWidgetItem* node = FindChildNode(item)) {
            ListView->clearSelection();
            TreeView->setCurrentItem(node);
        }
        return;
    }
    OpenWithShell(item->GetPath());
}

void TMainForm::ReExploreNode(QTreeWidgetItem* node) {
    TFolderItem* item = ItemOfNode(node);
    if (!item) return;
    TBusyCursor busy;
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

void TMainForm::ListViewSelectionChanged() {
    UpdateCommands(false);
    UpdateStatusBar();
}

TCommandInput TMainForm::CommandInput() const {
    TCommandInput in;
    in.focus = Focus();
    const QModelIndex current = ListView->currentIndex();
    const std::vector<TItem*> rows = SelectedRows();
    if (!rows.empty()) {
        in.listSelected = true;
        // The first selected row in display order is the subject.
        in.listItem = rows.front();
        in.listPlaceholder = rows.front() == nullptr;
        in.listSelection.assign(rows.begin(), rows.end());
    }
    (void)current;
    if (QTreeWidgetItem* node = TreeView->currentItem()) {
        in.treeSelected = true;
        in.treeItem = ItemOfNode(node);
        in.treeExpanded = node->isExpanded();
    }
    in.isMountPoint = [this](const TItem* item) { return IsMountPoint(item); };
    return in;
}

bool TMainForm::IsMountPoint(const TItem* item) const {
    std::string path = item->GetPath();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return std::find(FMountPoints.begin(), FMountPoints.end(), path) != FMountPoints.end();
}

} // namespace mainwindow
