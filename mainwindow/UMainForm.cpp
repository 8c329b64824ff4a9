// The main window's life: creation, the deferred start-up, the close question, settings.
#include "mainwindow/UMainForm.h"

#include "export/UFileLister.h"

#include "listing/KPLListView.h"
#include "listing/UColumn.h"
#include "listing/UProgramProfile.h"
#include "listing/UTreeNodes.h"
#include "mainwindow/UQtSettingsKey.h"
#include "model/UIconManager.h"
#include "model/UShellUtil.h"
#include "platform/PIconRegistry.h"
#include "platform/PMounts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace mainwindow {

using namespace model;

namespace {

platform::TRegistry OpenStore(const std::string& file) {
    return file.empty() ? platform::TRegistry(platform::kExplorerSettings)
                        : platform::TRegistry::AtFile(file);
}

// The screen the window stands on, as the settings see it: origin and size.
QRect ScreenArea(const QWidget* w) {
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("Tessalundrix Pro");
    setObjectName("MainForm");
    resize(kDesignWidth, kDesignHeight);
    CreateWidgets();
    CreateMenus();
    CreateToolBar();
    CreatePopups();
    // The File/Folder, Drive and Normal View groups with their first sort codes.
    const auto& designs = listing::ExplorerProfile().mainGroups;
    for (int g = 0; g < 3; ++g) {
        const listing::TColumnGroupDef& d = designs[g];
        FGroups[g] = std::make_unique<listing::TColumnGroup>(ListView, d.visible, d.ids, d.caption);
        FGroups[g]->SortCode = d.sortCode;
    }
    ShowTimer = new QTimer(this);
    ShowTimer->setSingleShot(true);
    ShowTimer->setInterval(100);
    connect(ShowTimer, &QTimer::timeout, this, &TMainForm::ShowTimerTimer);
    AddTreeListener(this);
}

TMainForm::~TMainForm() {
    RemoveTreeListener(this);
    // Views first, so that nothing points into the tree while it is freed.
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
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setIconSize(QSize(24, 24));
    top->addWidget(ToolBar1);

    Panel6 = new QWidget(Panel1);
    auto* path = new QHBoxLayout(Panel6);
    path->setContentsMargins(4, 0, 4, 0);
    path->addWidget(new QLabel("Path:", Panel6));
    Image1 = new QLabel(Panel6);
    Image1->setFixedSize(16, 16);
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
        const TItem* item = FShownItems[row];
        if (!item) return tag == ListView->ColumnTagAt(0) ? "Unexplored" : "";
        return listing::ColumnCatalogue().GetCellText(tag, item);
    });
    rows->SetIcon([this](int row) { return RowIcon(row); });
    rows->SetDimmed([this](int row) {
        return row >= 0 && row < int(FShownItems.size()) && FShownItems[row] &&
               (FShownItems[row]->Attributes() & kAttrHidden) != 0;
    });
    ListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView->setContextMenuPolicy(Qt::CustomContextMenu);
    Splitter1->addWidget(ListView);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({220, 580});
    layout->addWidget(Splitter1, 1);
    setCentralWidget(central);

    StatusPanel0 = new QLabel(this);
    StatusPanel0->setMinimumWidth(150);
    StatusPanel1 = new QLabel(this);
    statusBar()->addWidget(StatusPanel0);
    statusBar()->addWidget(StatusPanel1, 1);

    connect(TreeView, &QTreeWidget::currentItemChanged, this, [this] { TreeViewChange(); });
    connect(TreeView, &QTreeWidget::itemExpanded, this, &TMainForm::TreeViewExpanding);
    connect(TreeView, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* node) {
        if (node == FRootNode)
            node->setExpanded(true);
        else {
            node->setExpanded(!node->isExpanded());
            OpenTreeNode(node->isExpanded());
        }
    });
    connect(TreeView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (QTreeWidgetItem* node = TreeView->itemAt(pos))
            TreeViewContextPopup(node, TreeView->viewport()->mapToGlobal(pos));
    });
    connect(ListView, &QAbstractItemView::doubleClicked, this, [this] { ListViewDblClick(); });
    connect(ListView, &QWidget::customContextMenuRequested, this, &TMainForm::ListViewContextPopup);
    connect(ListView, &listing::TKPLListView::ColumnClick, this, &TMainForm::ListViewColumnClick);
    connect(ListView, &listing::TKPLListView::ColumnRightClick, this,
            [this](int column, QPoint pos) { ListViewColumnRightClick(column, pos); });
    connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TMainForm::ListViewSelectionChanged);
    TreeView->installEventFilter(this);
    ListView->installEventFilter(this);
    TreeView->viewport()->installEventFilter(this);
}

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
    // The tree takes the keyboard, so that the commands and the status bar follow its selection,
    // and has it again after the auto-explore's progress window.
    TreeView->setFocus(Qt::OtherFocusReason);
    LoadPreferredExplorations();
    GiveFocusBack(TFocus::Tree);
    QApplication::restoreOverrideCursor();
    FStartupDone = true;
    if (FShowTips) {
        if (FHooks.startupTip)
            FHooks.startupTip();
        else
            // After the start-up work has returned, so the tip's modal loop does not run inside it.
            QTimer::singleShot(0, this, &TMainForm::Tipoftheday1Click);
    }
}

void TMainForm::BuildRootTree() {
    ClearListRows();
    TreeView->blockSignals(true);
    listing::ClearTree(TreeView);
    FNodes.clear();
    FRootNode = FLastNode = FPopupNode = FExploreNode = nullptr;
    TreeView->blockSignals(false);
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

void TMainForm::LoadSettings() {
    const QRect area = ScreenArea(this);
    TMainSettings s = DefaultMainSettings(area.width(), area.height());
    FShowTips = FAskSave = true;
    {
        platform::TRegistry reg = OpenStore(FSettingsFile);
        if (reg.OpenKey("", false)) {
            TRegistrySettingsKey key(reg);
            ReadMainSettings(key, s);
        }
    }
    for (int g = 0; g < 3; ++g)
        if (!s.columns[g].empty()) FGroups[g]->LoadFromArray(s.columns[g]);
    TreeView2->setChecked(s.showTreeView);
    ToolBar2->setChecked(s.showToolbar);
    MapDriveDisconnectbutton1->setChecked(s.showMap);
    ButtonLabel1->setChecked(s.showButtonLabel);
    Path1->setChecked(s.showPath);
    StatusBar1->setChecked(s.showStatusBar);
    FShowTips = s.showTips;
    FAskSave = s.askSave;
    IconManager().RealIconsLocal = s.useLocalRealIcon;
    IconManager().RealIconsRemovable = s.useRemovableRealIcon;
    IconManager().RealIconsNetwork = s.useNetworkRealIcon;
    // A stored value that stopped the reading leaves the rest at their defaults, but the window is
    // always put on the screen and the views always follow their toggles.
    ApplyView();
    ClampWindow(s, area.width(), area.height());
    resize(s.width, s.height);
    move(area.x() + s.left, area.y() + s.top);
}

void TMainForm::SaveSettings() {
    platform::TRegistry reg = OpenStore(FSettingsFile);
    if (!reg.OpenKey("", true)) return;
    StoreColumnLayout();
    const QRect area = ScreenArea(this);
    TMainSettings s;
    for (int g = 0; g < 3; ++g)
        s.columns[g] = FGroups[g]->SaveToArray();
    s.width = width();
    s.height = height();
    s.top = y() - area.y();
    s.left = x() - area.x();
    s.showTreeView = TreeView2->isChecked();
    s.showToolbar = ToolBar2->isChecked();
    s.showMap = MapDriveDisconnectbutton1->isChecked();
    s.showButtonLabel = ButtonLabel1->isChecked();
    s.showPath = Path1->isChecked();
    s.showStatusBar = StatusBar1->isChecked();
    s.showTips = FShowTips;
    s.askSave = FAskSave;
    s.useLocalRealIcon = IconManager().RealIconsLocal;
    s.useRemovableRealIcon = IconManager().RealIconsRemovable;
    s.useNetworkRealIcon = IconManager().RealIconsNetwork;
    TRegistrySettingsKey key(reg);
    WriteMainSettings(key, s);
    reg.Flush(); // a failed write is silent: the program ends normally
}

void TMainForm::ApplyView() {
    const bool toolbar = ToolBar2->isChecked(), path = Path1->isChecked();
    MapToolButton->setVisible(MapDriveDisconnectbutton1->isChecked());
    DisconnectToolButton->setVisible(MapDriveDisconnectbutton1->isChecked());
    ToolBar1->setToolButtonStyle(ButtonLabel1->isChecked() ? Qt::ToolButtonTextUnderIcon
                                                           : Qt::ToolButtonIconOnly);
    Panel6->setVisible(path);
    ToolBar1->setVisible(toolbar);
    Panel1->setVisible(toolbar || path);
    Panel4->setVisible(TreeView2->isChecked());
    MapDriveDisconnectbutton1->setEnabled(toolbar);
    ButtonLabel1->setEnabled(toolbar);
    statusBar()->setVisible(StatusBar1->isChecked());
}

void TMainForm::LoadPreferredExplorations() {
    TPreferredRootItem* pref = FRootItem ? FRootItem->PreferredRoot() : nullptr;
    if (!pref) return;
    std::vector<TPreferredEntry> entries;
    {
        platform::TRegistry reg = OpenStore(FSettingsFile);
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
    platform::TRegistry reg = OpenStore(FSettingsFile);
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
        const auto button = QMessageBox::warning(
            this, "Save",
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

void TMainForm::ShowMessage(const std::string& text, const std::string& caption, int icon) {
    if (FHooks.message) {
        FHooks.message(text, caption);
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

} // namespace mainwindow
