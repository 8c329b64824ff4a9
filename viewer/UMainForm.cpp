// The viewer's main window: creation, start-up and settings, the tree and the list.
#include "viewer/UMainForm.h"
#include "viewer/UMainFormParts.h"

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
#include "listing/UTreeNodes.h"
#include "mainwindow/USaveForm.h"
#include "model/UBusyCursor.h"
#include "model/UConvertHelp.h"
#include "model/UProgressForm.h"
#include "model/UProgressManager.h"
#include "model/UShellUtil.h"
#include "platform/PIconRegistry.h"
#include "platform/PQtRegistry.h"
#include "viewer/ULoadProgress.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <unordered_set>

namespace viewer {

using namespace formparts;

void InstallViewerProfile() {
    listing::TProgramProfile profile = listing::ViewerProfile();
    profile.isFileRoot = [](const model::TItem* item) { return IsFileRootItem(item); };
    listing::SetCurrentProfile(profile);
}

// ---- creation and destruction ----

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("Tessalundrix Viewer");
    setObjectName("MainForm");
    resize(kViewerDesignWidth, kViewerDesignHeight);
    CreateWidgets();
    CreateMenus();
    CreatePopups();
    const auto& designs = listing::ViewerProfile().mainGroups;
    for (int g = 0; g < 3; ++g) {
        const listing::TColumnGroupDef& d = designs[g];
        FGroups[g] = std::make_unique<listing::TColumnGroup>(ListView, d.visible, d.ids, d.caption);
        FGroups[g]->SortCode = d.sortCode;
    }
    ListView->SetSortColumn(-1);
    ListView->SetSortColumnUp(true);
    ShowTimer = new QTimer(this);
    ShowTimer->setSingleShot(true);
    ShowTimer->setInterval(100);
    connect(ShowTimer, &QTimer::timeout, this, &TMainForm::ShowTimerTimer);
}

TMainForm::~TMainForm() {
    // The windows that show items first, then the views, then the tree.
    for (QWidget* w : ToolWindows())
        delete w;
    ClearListRows();
    TreeView->blockSignals(true);
    listing::ClearTree(TreeView);
    FNodes.clear();
    FRootItem.reset();
}

void TMainForm::CreateWidgets() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = new QWidget(central);
    auto* top = new QVBoxLayout(Panel1);
    top->setContentsMargins(2, 2, 2, 2);
    top->setSpacing(2);
    ToolBar1 = new QToolBar("Toolbar", Panel1);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setIconSize(QSize(24, 24));
    top->addWidget(ToolBar1);
    Panel6 = new QWidget(Panel1);
    auto* path = new QHBoxLayout(Panel6);
    path->setContentsMargins(4, 0, 4, 0);
    path->addWidget(new QLabel("Path:", Panel6));
    Image1 = new QLabel(Panel6);
    Image1->setFixedSize(16, 16);
    QPixmap white(16, 16);
    white.fill(Qt::white);
    Image1->setPixmap(white);
    path->addWidget(Image1);
    PathEdit = new QLineEdit(Panel6);
    PathEdit->setReadOnly(true);
    path->addWidget(PathEdit, 1);
    top->addWidget(Panel6);
    layout->addWidget(Panel1);

    Splitter1 = new QSplitter(Qt::Horizontal, central);
    Panel4 = new QWidget(Splitter1);
    auto* treeLayout = new QVBoxLayout(Panel4);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    TreeView = new QTreeWidget(Panel4);
    TreeView->setObjectName("TreeView");
    TreeView->setHeaderHidden(true);
    TreeView->setColumnCount(1);
    TreeView->setContextMenuPolicy(Qt::CustomContextMenu);
    TreeView->setExpandsOnDoubleClick(false);
    TreeView->setUniformRowHeights(true);
    treeLayout->addWidget(TreeView);
    Splitter1->addWidget(Panel4);

    ListView = new listing::TKPLListView(Splitter1);
    ListView->setObjectName("ListView");
    listing::TKPLListModel* rows = ListView->ListModel();
    rows->SetCellText([this](int row, int tag) -> std::string {
        if (row < 0 || row >= int(FShownItems.size())) return {};
        return listing::ColumnCatalogue().GetCellText(tag, FShownItems[row]);
    });
    rows->SetIcon([this](int row) -> QVariant {
        if (row < 0 || row >= int(FShownItems.size())) return {};
        TItem* item = FShownItems[row];
        // While Export Data reads the rows no icon is resolved.
        if (item->IconIndex() == -1 && !FExporting) item->ResolveIcon();
        return platform::IconRegistry().Icon(item->IconIndex());
    });
    rows->SetDimmed([this](int row) {
        return row >= 0 && row < int(FShownItems.size()) &&
               (FShownItems[row]->Attributes() & model::kAttrHidden);
    });
    ListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView->setContextMenuPolicy(Qt::CustomContextMenu);
    Splitter1->addWidget(ListView);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({200, 460});
    layout->addWidget(Splitter1, 1);
    setCentralWidget(central);

    StatusPanel0 = new QLabel(this);
    StatusPanel0->setMinimumWidth(150);
    StatusPanel1 = new QLabel(this);
    statusBar()->addWidget(StatusPanel0);
    statusBar()->addWidget(StatusPanel1, 1);

    connect(TreeView, &QTreeWidget::currentItemChanged, this, [this] { RefreshViews(); });
    connect(TreeView, &QTreeWidget::itemExpanded, this, &TMainForm::TreeViewExpanding);
    connect(TreeView, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* node) {
        ApplyPopupNode();
        if (node == FRootNode) node->setExpanded(true);
        // Other nodes keep the state the double click left (the click itself toggled nothing).
    });
    connect(TreeView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (QTreeWidgetItem* node = TreeView->itemAt(pos))
            TreeViewContextPopup(node, TreeView->viewport()->mapToGlobal(pos));
    });
    connect(ListView, &QAbstractItemView::doubleClicked, this, [this] { ListViewDblClick(); });
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
    connect(ListView, &listing::TKPLListView::ColumnClick, this, &TMainForm::ListViewColumnClick);
    connect(ListView, &listing::TKPLListView::ColumnRightClick, this, [this](int column, QPoint pos) {
        FPopupColumn = column;
        PopupMenu1->popup(pos);
    });
    connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        UpdateMenus(false);
        UpdateStatusBar();
    });
    TreeView->installEventFilter(this);
    ListView->installEventFilter(this);
}

// ---- start-up, settings, shut-down ----

void TMainForm::ShowMainWindow() {
    const QRect area = ScreenArea(this);
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    LoadSettings();
    show();
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!FStartupDone && !ShowTimer->isActive() && !FRootItem) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ShowTimer->start();
    }
}

void TMainForm::ShowTimerTimer() {
    ShowTimer->stop();
    BuildRootTree();
    TreeView->setFocus(Qt::OtherFocusReason);
    QApplication::restoreOverrideCursor();
    // Exactly one argument is a file to load; there are no switches.
    if (FArguments.size() == 1) {
        LoadFileWithProgress(FArguments.front().toStdString());
        GiveFocusBack(TFocus::Tree);
    } else if (FShowTips) {
        if (FHooks.startupTip)
            FHooks.startupTip();
        else
            // After the start-up work has returned, so the tip's modal loop does not run inside it.
            QTimer::singleShot(0, this, &TMainForm::Tipoftheday1Click);
    }
    FStartupDone = true;
}

void TMainForm::LoadSettings() {
    const QRect area = ScreenArea(this);
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
    TreeView1->setChecked(s.showTreeView);
    ToolBar2->setChecked(s.showToolbar);
    ButtonLabel1->setChecked(s.showButtonLabel);
    Path1->setChecked(s.showPath);
    StatusBar1->setChecked(s.showStatusBar);
    FShowTips = s.showTips;
    ApplyView();
    ClampViewerWindow(s, area.width(), area.height());
    resize(s.width, s.height);
    move(area.x() + s.left, area.y() + s.top);
}

void TMainForm::SaveSettings() {
    platform::TRegistry reg(platform::kViewerSettings);
    if (!reg.OpenKey("", true)) return;
    StoreColumnLayout();
    for (int g = 0; g < 3; ++g)
        listing::StoreColumnLayout(reg, kColumnValues[g], *FGroups[g]);
    const QRect area = ScreenArea(this);
    reg.WriteInteger("Width", width());
    reg.WriteInteger("Height", height());
    reg.WriteInteger("Top", y() - area.y());
    reg.WriteInteger("Left", x() - area.x());
    reg.WriteBool("ShowTreeView", TreeView1->isChecked());
    reg.WriteBool("ShowToolbar", ToolBar2->isChecked());
    reg.WriteBool("ShowButtonLabel", ButtonLabel1->isChecked());
    reg.WriteBool("ShowPath", Path1->isChecked());
    reg.WriteBool("ShowStatusBar", StatusBar1->isChecked());
    reg.WriteBool("ShowTips", FShowTips);
    reg.Flush(); // a failed write is silent: the program ends normally
}

void TMainForm::ApplyView() {
    const bool toolbar = ToolBar2->isChecked(), path = Path1->isChecked();
    ToolBar1->setToolButtonStyle(ButtonLabel1->isChecked() ? Qt::ToolButtonTextUnderIcon
                                                           : Qt::ToolButtonIconOnly);
    Panel6->setVisible(path);
    ToolBar1->setVisible(toolbar);
    Panel1->setVisible(toolbar || path);
    Panel4->setVisible(TreeView1->isChecked());
    ButtonLabel1->setEnabled(toolbar);
    statusBar()->setVisible(StatusBar1->isChecked());
}

void TMainForm::closeEvent(QCloseEvent* event) {
    SaveSettings();
    for (QWidget* w : ToolWindows())
        w->close();
    event->accept();
}

// ---- tree ----

QTreeWidgetItem* TMainForm::NodeOf(const model::TFolderItem* item) const {
    const auto it = FNodes.find(item);
    return it == FNodes.end() ? nullptr : it->second;
}

model::TFolderItem* TMainForm::ItemOfNode(const QTreeWidgetItem* node) const {
    if (!node) return nullptr;
    return reinterpret_cast<model::TFolderItem*>(node->data(0, kItemRole).value<quintptr>());
}

QTreeWidgetItem* TMainForm::NewNode(model::TFolderItem* item, QTreeWidgetItem* parent) {
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TreeView);
    node->setText(0, listing::DisplayText(item->NameString()));
    node->setData(0, kItemRole, QVariant::fromValue(reinterpret_cast<quintptr>(item)));
    if (item->IconIndex() != -1) node->setIcon(0, platform::IconRegistry().Icon(item->IconIndex()));
    FNodes[item] = node;
    return node;
}

void TMainForm::AddChildNodes(model::TFolderItem* folder, QTreeWidgetItem* node) {
    // Deep trees are walked with a stack of their own: a loaded file may nest thousands of levels.
    std::vector<std::pair<model::TFolderItem*, QTreeWidgetItem*>> todo{{folder, node}};
    while (!todo.empty()) {
        auto [f, n] = todo.back();
        todo.pop_back();
        for (TItem* child : f->Children())
            if (child->IsFolder()) {
                auto* sub = static_cast<model::TFolderItem*>(child);
                todo.emplace_back(sub, NewNode(sub, n));
            }
    }
}

void TMainForm::DeleteNode(QTreeWidgetItem* node) {
    std::vector<QTreeWidgetItem*> todo{node};
    while (!todo.empty()) {
        QTreeWidgetItem* n = todo.back();
        todo.pop_back();
        FNodes.erase(ItemOfNode(n));
        for (int i = 0; i < n->childCount(); ++i)
            todo.push_back(n->child(i));
    }
    listing::DestroyTreeNode(node);
}

void TMainForm::TreeViewExpanding(QTreeWidgetItem* node) {
    model::TBusyCursor busy;
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* child = node->child(i);
        model::TFolderItem* item = ItemOfNode(child);
        if (!item) continue;
        if (item->IconIndex() == -1 || item->OpenIconIndex() == -1) item->ResolveIcon();
        const bool cut = (item->Attributes() & model::kAttrHidden) != 0;
        child->setForeground(0, cut ? TreeView->palette().brush(QPalette::Disabled, QPalette::Text)
                                    : TreeView->palette().brush(QPalette::Active, QPalette::Text));
        if (child->icon(0).isNull()) child->setIcon(0, platform::IconRegistry().Icon(item->IconIndex()));
    }
}

void TMainForm::BuildRootTree() {
    ClearListRows();
    TreeView->blockSignals(true);
    listing::ClearTree(TreeView);
    FNodes.clear();
    FRootNode = FPopupNode = nullptr;
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

model::TFolderItem* TMainForm::SelectedTreeItem() const {
    return ItemOfNode(TreeView->currentItem());
}

void TMainForm::ApplyPopupNode() {
    if (!FPopupNode) return;
    QTreeWidgetItem* node = FPopupNode;
    FPopupNode = nullptr;
    TreeView->setFocus(Qt::OtherFocusReason);
    SelectNode(node);
}

// ---- list ----

void TMainForm::ClearListRows() {
    FShownItems.clear();
    ListView->ListModel()->SetRowCount(0);
}

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
    if (view == TFocus::List) SelectTopRowWhenNone();
    UpdateMenus(false);
    UpdateStatusBar();
}

void TMainForm::SelectListItems(const std::vector<TItem*>& items) {
    const std::unordered_set<const TItem*> wanted(items.begin(), items.end());
    QItemSelection selection;
    for (int row = 0; row < int(FShownItems.size()); ++row) {
        if (!wanted.count(FShownItems[row])) continue;
        const QModelIndex index = ListView->model()->index(row, 0);
        selection.select(index, index);
    }
    ListView->selectionModel()->select(selection,
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TMainForm::SelectTopRowWhenNone() {
    if (FShownItems.empty() || ListView->selectionModel()->hasSelection()) return;
    ListView->selectionModel()->setCurrentIndex(
        ListView->model()->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

TViewerInput TMainForm::Input() const {
    return {Focus(), SelectedRows(), SelectedTreeItem(), FRootItem.get()};
}

void TMainForm::RefreshViews() {
    ListView->setUpdatesEnabled(false);
    model::TFolderItem* item = SelectedTreeItem();
    if (item) {
        UpdateMenus(false);
        ShowList(ViewOfItem(item, FRootItem.get()), item);
        UpdatePathBar(item);
    } else {
        FShownItems.clear();
    }
    ListView->ListModel()->SetRowCount(int(FShownItems.size()));
    SortList();
    ListView->setUpdatesEnabled(true);
    if (Focus() == TFocus::List) SelectTopRowWhenNone();
    UpdateMenus(false);
    UpdateStatusBar();
}

void TMainForm::ShowList(int view, model::TFolderItem* folder) {
    ClearListRows();
    if (view != FCurrentView) {
        StoreColumnLayout();
        if (FCurrentView != kViewNone) FGroups[FCurrentView]->SortCode = FSortCode;
        FCurrentView = view;
        FSortCode = FGroups[view]->SortCode;
        ApplyColumnGroup();
    }
    for (TItem* child : folder->Children()) {
        if (view != kViewRoot && child->IsFolder() && child->TypeIndex() == -1) child->ResolveType();
        FShownItems.push_back(child);
    }
}

void TMainForm::ApplyColumnGroup() {
    model::TBusyCursor busy;
    listing::TColumnGroup* group = FGroups[FCurrentView == kViewNone ? kViewFolder : FCurrentView].get();
    FSortCode = group->ApplyToListView();
    SortList();
}

void TMainForm::StoreColumnLayout() {
    if (FCurrentView != kViewNone) FGroups[FCurrentView]->ReadBackFromListView();
}

void TMainForm::SortList() {
    if (FCurrentView != kViewNone && !FShownItems.empty()) {
        model::TBusyCursor busy;
        if (const listing::TItemComparator* compare =
                listing::SelectViewerComparator(FCurrentView, FSortCode))
            listing::SortItems(FShownItems, *compare);
    }
    if (ListView->ListModel()->RowCount() == int(FShownItems.size()))
        ListView->viewport()->update();
    else
        ListView->ListModel()->SetRowCount(int(FShownItems.size()));
}

void TMainForm::ListViewColumnClick(int column) {
    model::TBusyCursor busy;
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
    if (id < 0) return;
    FSortCode = 2 * id;
    SortList();
    ListView->SetSortColumn(FPopupColumn);
    ListView->SetSortColumnUp(true);
}

void TMainForm::SortDescending1Click() {
    const int id = ListView->ColumnTag(FPopupColumn);
    if (id < 0) return;
    FSortCode = 2 * id + 1;
    SortList();
    ListView->SetSortColumn(FPopupColumn);
    ListView->SetSortColumnUp(false);
}

void TMainForm::Columns1Click() {
    const TFocusReturn focusBack(*this);
    StoreColumnLayout();
    listing::TColumnsForm form(this);
    const int page = FCurrentView < 0 ? 0 : FCurrentView;
    if (form.Execute(page, {FGroups[0].get(), FGroups[1].get(), FGroups[2].get()}) != QDialog::Accepted)
        return;
    if (!FGroups[0]->Modified && !FGroups[1]->Modified && !FGroups[2]->Modified) return;
    const std::vector<TItem*> selected = SelectedRows();
    ListView->setUpdatesEnabled(false);
    ApplyColumnGroup();
    SelectListItems(selected);
    ListView->setUpdatesEnabled(true);
    ListView->viewport()->update();
    for (auto& group : FGroups)
        group->ClearModified();
}

void TMainForm::ListViewDblClick() {
    const QModelIndex current = ListView->currentIndex();
    if (!current.isValid() || current.row() >= int(FShownItems.size())) return;
    TItem* item = FShownItems[current.row()];
    if (!item->IsFolder()) return;
    QTreeWidgetItem* parent = TreeView->currentItem();
    if (!parent) return;
    parent->setExpanded(true);
    if (QTreeWidgetItem* node = NodeOf(static_cast<model::TFolderItem*>(item))) {
        ListView->clearSelection();
        TreeView->setFocus(Qt::OtherFocusReason);
        SelectNode(node);
    }
}

void TMainForm::ShowMessage(const std::string& text, const std::string& caption, int icon) {
    if (FHooks.message) {
        FHooks.message(text, caption, icon);
        return;
    }
    // Message texts break lines with LF CR; on screen that is one line break. Names in them show
    // as the list shows them.
    QString shown = listing::DisplayText(text);
    shown.replace("\n\r", "\n");
    QMessageBox box(static_cast<QMessageBox::Icon>(icon), QString::fromStdString(caption), shown,
                    QMessageBox::Ok, this);
    box.exec();
}

} // namespace viewer
