// The main-window frame: its widgets and toggles, the commands both programs have, settings, tree
// nodes, list rows in their views, sorting, the header menu and the popups, the status and path
// bars, the keyboard, and what the desktop is asked to open.
#include "mainwindow/UMainFrameForm.h"

#include "analyser/UAnalyserForm.h"
#include "export/UExportDataForm.h"
#include "export/UFileLister.h"
#include "export/UFileListerForm.h"
#include "listing/KPLListView.h"
#include "listing/UColumn.h"
#include "listing/UColumnsForm.h"
#include "listing/UProgramProfile.h"
#include "listing/USortCompare.h"
#include "listing/UTreeNodes.h"
#include "mainwindow/UAboutForm.h"
#include "mainwindow/UFileAnswers.h"
#include "mainwindow/UHelpForm.h"
#include "mainwindow/UOptionsForm.h"
#include "mainwindow/UQtSettingsKey.h"
#include "mainwindow/USaveForm.h"
#include "mainwindow/UTipsForm.h"
#include "model/UBusyCursor.h"
#include "model/UConvertHelp.h"
#include "model/UHelpContext.h"
#include "model/UItem.h"
#include "model/UPlainText.h"
#include "model/UProgressForm.h"
#include "model/UProgressManager.h"
#include "platform/PIconRegistry.h"
#include "platform/PQtDesktopOpen.h"
#include "platform/PQtToolIcon.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
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
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <unordered_set>

namespace mainwindow {

using model::TFolderItem;
using model::TItem;

namespace {
// The item a tree node stands for is kept under this role.
constexpr int kItemRole = Qt::UserRole + 1;
} // namespace

// ---- creation ----

TMainFrameForm::TMainFrameForm(const TFrameDesign& design, QWidget* parent)
    : QMainWindow(parent), FDesign(design) {
    setWindowTitle(design.caption);
    setObjectName("MainForm");
    resize(design.width, design.height);
    CreateWidgets();
    CreateHeaderMenu();
    for (int g = 0; g < 3; ++g) {
        const listing::TColumnGroupDef& d = design.profile->mainGroups[g];
        FGroups[g] = std::make_unique<listing::TColumnGroup>(ListView, d.visible, d.ids, d.caption);
        FGroups[g]->SortCode = d.sortCode;
    }
    ShowTimer = new QTimer(this);
    ShowTimer->setSingleShot(true);
    ShowTimer->setInterval(100);
    connect(ShowTimer, &QTimer::timeout, this, &TMainFrameForm::ShowTimerTimer);
}

TMainFrameForm::~TMainFrameForm() {
    // The program's part is gone: the views' widgets, deleted after this, reach no hook of it.
    ListView->selectionModel()->disconnect(this);
}

void TMainFrameForm::CreateWidgets() {
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
        const TItem* item = FShownItems[row];
        if (!item) return tag == ListView->ColumnTagAt(0) ? "Unexplored" : "";
        return listing::ColumnCatalogue().GetCellText(tag, item);
    });
    rows->SetIcon([this](int row) { return RowIcon(row); });
    rows->SetDimmed([this](int row) {
        return row >= 0 && row < int(FShownItems.size()) && FShownItems[row] &&
               (FShownItems[row]->Attributes() & model::kAttrHidden) != 0;
    });
    ListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView->setContextMenuPolicy(Qt::CustomContextMenu);
    Splitter1->addWidget(ListView);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({FDesign.treeWidth, FDesign.listWidth});
    layout->addWidget(Splitter1, 1);
    setCentralWidget(central);

    // The status bar names the selected item.
    StatusPanel0 = model::NewPlainLabel(this);
    StatusPanel0->setMinimumWidth(150);
    StatusPanel1 = model::NewPlainLabel(this);
    statusBar()->addWidget(StatusPanel0);
    statusBar()->addWidget(StatusPanel1, 1);

    connect(TreeView, &QTreeWidget::itemExpanded, this, &TMainFrameForm::TreeViewExpanding);
    connect(ListView, &QAbstractItemView::doubleClicked, this, [this] { ListViewDblClick(); });
    connect(ListView, &listing::TKPLListView::ColumnClick, this, &TMainFrameForm::ListViewColumnClick);
    connect(ListView, &listing::TKPLListView::ColumnRightClick, this,
            [this](int column, QPoint pos) { ListViewColumnRightClick(column, pos); });
    connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        UpdateCommands(false);
        UpdateStatusBar();
    });
    connect(TreeView, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (QTreeWidgetItem* node = TreeView->itemAt(pos))
            TreeViewContextPopup(node, TreeView->viewport()->mapToGlobal(pos));
    });
    connect(ListView, &QWidget::customContextMenuRequested, this, &TMainFrameForm::ListViewContextPopup);
    TreeView->installEventFilter(this);
    TreeView->viewport()->installEventFilter(this);
    ListView->installEventFilter(this);
}

void TMainFrameForm::CreateHeaderMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    SortAscending1 = PopupMenu1->addAction("Sort &Ascending");
    SortAscending1->setObjectName("SortAscending1");
    SortDescending1 = PopupMenu1->addAction("Sort &Descending");
    SortDescending1->setObjectName("SortDescending1");
    SortAscending1->setCheckable(true);
    SortDescending1->setCheckable(true);
    PopupMenu1->addSeparator();
    Columns1 = PopupMenu1->addAction("&Columns...");
    Columns1->setObjectName("Columns1");
    connect(SortAscending1, &QAction::triggered, this, &TMainFrameForm::SortAscending1Click);
    connect(SortDescending1, &QAction::triggered, this, &TMainFrameForm::SortDescending1Click);
    connect(Columns1, &QAction::triggered, this, &TMainFrameForm::Columns1Click);
}

QAction* TMainFrameForm::AddToolButton(const char* name, const char* caption, const char* hint,
                                       const char* icon, QStyle::StandardPixmap fallback) {
    // Theme icons where the desktop has them, the style's own otherwise, all of the bar's size.
    QAction* action =
        ToolBar1->addAction(platform::ToolIcon(icon, fallback, *style(), ToolBar1->iconSize()), caption);
    action->setObjectName(name);
    action->setToolTip(hint);
    return action;
}

QAction* TMainFrameForm::AddMenuItem(QMenu* menu, const char* name, const char* caption,
                                     const QKeySequence& shortcut) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    return action;
}

namespace {

// The main items of the commands: the menu bar's (and its field), caption and shortcut.
struct TCommandItem {
    const char* name;
    const char* caption;
    const char* shortcut;
};

constexpr std::array<TCommandItem, kFrameCommands> kCommandItems = {{
    {"CopyFileName2", "&Copy File Name", "Ctrl+C"},
    {"CopyFolderName2", "Co&py Folder Name", ""},
    {"CopyCompletePath2", "Cop&y Complete Path", ""},
    {"Up1", "&Up One Level", ""},
    {"Collapse1", "&Collapse All", ""},
    {"FileLister1", "File &Lister...", "Ctrl+F"},
    {"N100biggestfiles1", "&Top 100 biggest files...", "Ctrl+T"},
    {"Analyser1", "&Analyser (chart)...", "Ctrl+A"},
    {"OpeninWindowsExplorer1", "Open in &File Manager", "Ctrl+W"},
    {"ExportData1", "Ex&port Data...", "Ctrl+E"},
    {"Options1", "&Options...", ""},
    {"Exit1", "E&xit", "Ctrl+X"},
}};

} // namespace

void TMainFrameForm::Wire(QAction* item, TFrameCommand command, bool inPopup) {
    connect(item, &QAction::triggered, this, [this, command] { RunCommand(command); });
    (inPopup ? FPopupItems : FMenuItems)[int(command)].push_back(item);
}

void TMainFrameForm::RunCommand(TFrameCommand command) {
    switch (command) {
    case TFrameCommand::CopyName:
        CopyFilename1Click();
        break;
    case TFrameCommand::CopyFolderName:
        CopyFoldername1Click();
        break;
    case TFrameCommand::CopyPath:
        CopyCompletePath1Click();
        break;
    case TFrameCommand::Up:
        UpToolButtonClick();
        break;
    case TFrameCommand::Collapse:
        Collapse1Click();
        break;
    case TFrameCommand::FileLister:
        FileToolButtonClick();
        break;
    case TFrameCommand::Top100:
        N100biggestfiles1Click();
        break;
    case TFrameCommand::Analyser:
        Analyser1Click();
        break;
    case TFrameCommand::OpenInFileManager:
        ExpToolButtonClick();
        break;
    case TFrameCommand::ExportData:
        ExportData1Click();
        break;
    case TFrameCommand::Options:
        Options1Click();
        break;
    case TFrameCommand::Exit:
        close();
        break;
    }
}

QAction* TMainFrameForm::AddCommandItem(QMenu* menu, TFrameCommand command) {
    const TCommandItem& def = kCommandItems[int(command)];
    QAction* item = AddMenuItem(menu, def.name, def.caption, QKeySequence(def.shortcut));
    QAction** field[kFrameCommands] = {&CopyFileName2, &CopyFolderName2, &CopyCompletePath2, &Up1,
                                       &Collapse1,     &FileLister1,     &N100biggestfiles1, &Analyser1,
                                       &OpeninWindowsExplorer1, &ExportData1, &Options1, &Exit1};
    *field[int(command)] = item;
    Wire(item, command, false);
    return item;
}

QAction* TMainFrameForm::AddPopupItem(QMenu* popup, const char* name, const char* caption,
                                      TFrameCommand command) {
    QAction* item = AddMenuItem(popup, name, caption);
    Wire(item, command, true);
    return item;
}

void TMainFrameForm::AddUpButton() {
    UpToolButton = AddToolButton("UpToolButton", "Up", "Go Up One Level", "go-up", QStyle::SP_ArrowUp);
    Wire(UpToolButton, TFrameCommand::Up, false);
}

void TMainFrameForm::AddFolderButtons() {
    ExpToolButton =
        AddToolButton("ExpToolButton", "File Mgr", "Open current folder/drive in the File Manager",
                      "system-file-manager", QStyle::SP_DirIcon);
    FileToolButton = AddToolButton("FileToolButton", "File Lister", "List all files of current folder/drive",
                                   "view-list-details", QStyle::SP_FileDialogDetailedView);
    AnaToolButton = AddToolButton("AnaToolButton", "Analyser", "Analyse the current folder/drive",
                                  "x-office-spreadsheet", QStyle::SP_FileDialogInfoView);
    Wire(ExpToolButton, TFrameCommand::OpenInFileManager, false);
    Wire(FileToolButton, TFrameCommand::FileLister, false);
    Wire(AnaToolButton, TFrameCommand::Analyser, false);
}

void TMainFrameForm::AddEditAndGoMenus() {
    QMenu* edit = menuBar()->addMenu("&Edit");
    for (TFrameCommand c : {TFrameCommand::CopyName, TFrameCommand::CopyFolderName, TFrameCommand::CopyPath})
        AddCommandItem(edit, c);
    QMenu* go = menuBar()->addMenu("&Go");
    AddCommandItem(go, TFrameCommand::Up);
    AddCommandItem(go, TFrameCommand::Collapse);
}

void TMainFrameForm::AddToolsMenu(const std::function<void(QMenu*)>& own) {
    QMenu* tools = menuBar()->addMenu("&Tools");
    for (TFrameCommand c : {TFrameCommand::FileLister, TFrameCommand::Analyser, TFrameCommand::Top100})
        AddCommandItem(tools, c);
    tools->addSeparator();
    if (own) {
        own(tools);
        tools->addSeparator();
    }
    AddCommandItem(tools, TFrameCommand::Options);
}

void TMainFrameForm::AddViewMenu(QMenu* view, QAction* extra) {
    TreeView2 = AddMenuItem(view, "TreeView2", "T&ree View");
    ToolBar2 = AddMenuItem(view, "ToolBar2", "Tool&bar");
    if (extra) view->addAction(extra);
    ButtonLabel1 = AddMenuItem(view, "ButtonLabel1", "B&utton Label");
    Path1 = AddMenuItem(view, "Path1", "&Path");
    StatusBar1 = AddMenuItem(view, "StatusBar1", "&Status Bar");
    for (QAction* toggle : {TreeView2, ToolBar2, ButtonLabel1, Path1, StatusBar1}) {
        toggle->setCheckable(true);
        toggle->setChecked(true);
        connect(toggle, &QAction::triggered, this, [this] { ApplyView(); });
    }
    view->addSeparator();
    CustomizeColumns1 = AddMenuItem(view, "CustomizeColumns1", "&Customize Columns...");
    connect(CustomizeColumns1, &QAction::triggered, this, &TMainFrameForm::Columns1Click);
}

void TMainFrameForm::AddHelpMenu() {
    QMenu* help = menuBar()->addMenu("&Help");
    Contents1 = AddMenuItem(help, "Contents1", "&Contents");
    Tipoftheday1 = AddMenuItem(help, "Tipoftheday1", "&Tip of the Day...");
    help->addSeparator();
    TessalundrixWebSite1 = AddMenuItem(help, "TessalundrixWebSite1", "Tessalundrix &Web Site");
    OnlineHelp1 = AddMenuItem(help, "OnlineHelp1", "&Online Help");
    OnlineSupport1 = AddMenuItem(help, "OnlineSupport1", "Online &Support");
    help->addSeparator();
    About1 = AddMenuItem(help, "About1", "A&bout...");
    connect(Contents1, &QAction::triggered, this, &TMainFrameForm::Contents1Click);
    connect(Tipoftheday1, &QAction::triggered, this, &TMainFrameForm::Tipoftheday1Click);
    connect(TessalundrixWebSite1, &QAction::triggered, this, &TMainFrameForm::TessalundrixWebSite1Click);
    connect(OnlineHelp1, &QAction::triggered, this, &TMainFrameForm::OnlineHelp1Click);
    connect(OnlineSupport1, &QAction::triggered, this, &TMainFrameForm::OnlineSupport1Click);
    connect(About1, &QAction::triggered, this, &TMainFrameForm::About1Click);
}

// ---- showing, settings ----

QRect TMainFrameForm::ScreenArea() const {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void TMainFrameForm::ShowMainWindow() {
    const QRect area = ScreenArea();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    LoadSettings();
    show();
}

void TMainFrameForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!FStartupDone && !ShowTimer->isActive() && !FrameRoot()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ShowTimer->start();
    }
}

void TMainFrameForm::ShowTimerTimer() {
    ShowTimer->stop();
    BuildRootTree();
    // The tree takes the keyboard, so that the commands and the status bar follow its selection,
    // and has it again after the progress windows of the start-up work.
    TreeView->setFocus(Qt::OtherFocusReason);
    const bool tip = StartUp();
    FStartupDone = true;
    if (!tip) return;
    if (FStartupTipHook)
        FStartupTipHook();
    else
        // After the start-up work has returned, so the tip's modal loop does not run inside it.
        QTimer::singleShot(0, this, &TMainFrameForm::Tipoftheday1Click);
}

void TMainFrameForm::ApplyView() {
    const bool toolbar = ToolBar2->isChecked(), path = Path1->isChecked();
    ToolBar1->setToolButtonStyle(ButtonLabel1->isChecked() ? Qt::ToolButtonTextUnderIcon
                                                           : Qt::ToolButtonIconOnly);
    Panel6->setVisible(path);
    ToolBar1->setVisible(toolbar);
    Panel1->setVisible(toolbar || path);
    Panel4->setVisible(TreeView2->isChecked());
    ButtonLabel1->setEnabled(toolbar);
    statusBar()->setVisible(StatusBar1->isChecked());
}

std::unique_ptr<TFrameSettings> TMainFrameForm::NewSettings() const {
    return std::make_unique<TFrameSettings>(FDesign.width, FDesign.height);
}

platform::TRegistry TMainFrameForm::OpenSettingsStore() const {
    return FSettingsFile.empty() ? platform::TRegistry(FDesign.profile->settingsName)
                                 : platform::TRegistry::AtFile(FSettingsFile);
}

void TMainFrameForm::LoadSettings() {
    const QRect area = ScreenArea();
    const std::unique_ptr<TFrameSettings> s = NewSettings();
    CentreWindow(*s, area.width(), area.height());
    {
        platform::TRegistry store = OpenSettingsStore();
        if (store.OpenKey("", false)) {
            TRegistrySettingsKey key(store);
            ReadSettings(key, *s);
        }
    }
    for (int g = 0; g < 3; ++g)
        if (!s->columns[g].empty()) FGroups[g]->LoadFromArray(s->columns[g]);
    FShowTips = s->showTips;
    TakeSettings(*s);
    // A stored value that stopped the reading leaves the rest at their defaults, but the window is
    // always put on the screen and the views always follow their toggles.
    ClampWindow(*s, area.width(), area.height());
    TreeView2->setChecked(s->showTreeView);
    ToolBar2->setChecked(s->showToolbar);
    ButtonLabel1->setChecked(s->showButtonLabel);
    Path1->setChecked(s->showPath);
    StatusBar1->setChecked(s->showStatusBar);
    ApplyView();
    resize(s->width, s->height);
    move(area.x() + s->left, area.y() + s->top);
}

void TMainFrameForm::SaveSettings() {
    platform::TRegistry store = OpenSettingsStore();
    if (!store.OpenKey("", true)) return;
    StoreColumnLayout();
    const QRect area = ScreenArea();
    const std::unique_ptr<TFrameSettings> s = NewSettings();
    for (int g = 0; g < 3; ++g)
        s->columns[g] = FGroups[g]->SaveToArray();
    s->width = width();
    s->height = height();
    s->top = y() - area.y();
    s->left = x() - area.x();
    s->showTreeView = TreeView2->isChecked();
    s->showToolbar = ToolBar2->isChecked();
    s->showButtonLabel = ButtonLabel1->isChecked();
    s->showPath = Path1->isChecked();
    s->showStatusBar = StatusBar1->isChecked();
    s->showTips = FShowTips;
    GiveSettings(*s);
    TRegistrySettingsKey key(store);
    WriteSettings(key, *s);
    store.Flush(); // a failed write is silent: the program ends normally
}

// ---- tree nodes ----

TFolderItem* TMainFrameForm::ItemOfNode(const QTreeWidgetItem* node) const {
    if (!node) return nullptr;
    return reinterpret_cast<TFolderItem*>(node->data(0, kItemRole).value<quintptr>());
}

QTreeWidgetItem* TMainFrameForm::NodeOf(const TFolderItem* item) const {
    const auto it = FNodes.find(item);
    return it == FNodes.end() ? nullptr : it->second;
}

TFolderItem* TMainFrameForm::SelectedTreeItem() const {
    return ItemOfNode(TreeView->currentItem());
}

QTreeWidgetItem* TMainFrameForm::FindChildNode(const TItem* item) const {
    QTreeWidgetItem* selected = TreeView->currentItem();
    if (!selected) return nullptr;
    for (int i = selected->childCount() - 1; i >= 0; --i)
        if (ItemOfNode(selected->child(i)) == item) return selected->child(i);
    return nullptr;
}

QTreeWidgetItem* TMainFrameForm::NewNode(TFolderItem* item, QTreeWidgetItem* parent) {
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TreeView);
    node->setText(0, listing::DisplayText(item->NameString()));
    node->setData(0, kItemRole, QVariant::fromValue(reinterpret_cast<quintptr>(item)));
    FNodes[item] = node;
    DecorateNewNode(node, item);
    return node;
}

void TMainFrameForm::DecorateNewNode(QTreeWidgetItem* node, TFolderItem*) {
    UpdateNodeImages(node);
}

void TMainFrameForm::AddChildNodes(TFolderItem* item, QTreeWidgetItem* node) {
    // With a stack of our own: an explored or loaded tree may be any number of levels deep.
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
        if (!FDesign.wholeTree && folder->ChildCount() == 0 && !folder->Listed())
            new QTreeWidgetItem(folderNode);
    }
}

void TMainFrameForm::UpdateNodeImages(QTreeWidgetItem* node) {
    TFolderItem* item = ItemOfNode(node);
    if (!item) return;
    if (item->IconIndex() == -1 || item->OpenIconIndex() == -1) item->ResolveIcon();
    const bool cut = (item->Attributes() & model::kAttrHidden) != 0;
    node->setForeground(0, cut ? TreeView->palette().brush(QPalette::Disabled, QPalette::Text)
                               : TreeView->palette().brush(QPalette::Active, QPalette::Text));
    SetNodeIcon(node, item, cut);
}

void TMainFrameForm::DeleteNodeChildren(QTreeWidgetItem* node) {
    while (node->childCount() > 0)
        DeleteNode(node->child(node->childCount() - 1));
}

void TMainFrameForm::ForgetNode(QTreeWidgetItem* node) {
    if (TFolderItem* item = ItemOfNode(node)) {
        const auto it = FNodes.find(item);
        if (it != FNodes.end() && it->second == node) FNodes.erase(it);
    }
    if (node == FLastNode) FLastNode = nullptr;
    if (node == FPopupNode) FPopupNode = nullptr;
    if (node == FRootNode) FRootNode = nullptr;
}

void TMainFrameForm::DeleteNode(QTreeWidgetItem* node) {
    // Every node of the branch is forgotten first, then the branch goes at once (any depth).
    std::vector<QTreeWidgetItem*> todo{node};
    while (!todo.empty()) {
        QTreeWidgetItem* n = todo.back();
        todo.pop_back();
        ForgetNode(n);
        for (int i = 0; i < n->childCount(); ++i)
            todo.push_back(n->child(i));
    }
    const bool blocked = TreeView->blockSignals(true);
    listing::DestroyTreeNode(node);
    TreeView->blockSignals(blocked);
}

void TMainFrameForm::ListNodeChildren(QTreeWidgetItem*, TFolderItem*) {}

void TMainFrameForm::TreeViewExpanding(QTreeWidgetItem* node) {
    TFolderItem* item = ItemOfNode(node);
    if (!item) return;
    model::TBusyCursor busy;
    ListNodeChildren(node, item);
    for (int i = 0; i < node->childCount(); ++i)
        UpdateNodeImages(node->child(i));
}

void TMainFrameForm::SelectNode(QTreeWidgetItem* node) {
    if (node && TreeView->currentItem() != node) TreeView->setCurrentItem(node);
}

void TMainFrameForm::ApplyPopupNode() {
    if (!FPopupNode) return;
    QTreeWidgetItem* node = FPopupNode;
    FPopupNode = nullptr;
    TreeView->setFocus(Qt::OtherFocusReason);
    SelectNode(node);
}

void TMainFrameForm::ClearViews() {
    ClearListRows();
    TreeView->blockSignals(true);
    listing::ClearTree(TreeView);
    FNodes.clear();
    FRootNode = FLastNode = FPopupNode = nullptr;
    TreeView->blockSignals(false);
}

// ---- list rows ----

void TMainFrameForm::SetListRows() {
    ListView->ListModel()->SetRowCount(int(FShownItems.size()));
}

void TMainFrameForm::ClearListRows() {
    FShownItems.clear();
    ListView->ListModel()->SetRowCount(0);
}

QVariant TMainFrameForm::RowIcon(int row) const {
    if (row < 0 || row >= int(FShownItems.size()) || !FShownItems[row]) return {};
    TItem* item = FShownItems[row];
    // Icons are resolved when a row is first painted, never while Export Data reads the rows.
    if (item->IconIndex() == -1 && !FExporting) item->ResolveIcon();
    return platform::IconRegistry().Icon(item->IconIndex());
}

std::vector<TItem*> TMainFrameForm::SelectedRows() const {
    std::vector<TItem*> rows;
    for (int row : ListView->SelectedRowIndexes())
        if (row < int(FShownItems.size())) rows.push_back(FShownItems[row]);
    return rows;
}

int TMainFrameForm::FindListItem(const TItem* item) const {
    for (int i = int(FShownItems.size()) - 1; i >= 0; --i)
        if (FShownItems[i] == item) return i;
    return -1;
}

void TMainFrameForm::SelectListItems(const std::vector<TItem*>& items, const TItem* current) {
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

void TMainFrameForm::SelectTopRowWhenNone() {
    if (FShownItems.empty() || ListView->selectionModel()->hasSelection()) return;
    const QModelIndex top = ListView->indexAt(QPoint(0, 0));
    const QModelIndex row = top.isValid() ? top : ListView->model()->index(0, 0);
    ListView->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
}

void TMainFrameForm::RefreshViews() {
    ListView->setUpdatesEnabled(false);
    if (TFolderItem* item = SelectedTreeItem()) {
        UpdateCommands(false);
        ShowListOf(item);
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

// ---- views, columns and sorting ----

int* TMainFrameForm::KeptSortCode(int view) {
    const int g = GroupOfView(view);
    return g < 0 ? nullptr : &FGroups[g]->SortCode;
}

void TMainFrameForm::ChangeView(int view) {
    if (view == FViewMode) return;
    StoreColumnLayout();
    if (int* kept = KeptSortCode(FViewMode)) *kept = FSortCode;
    FViewMode = view;
    if (const int* kept = KeptSortCode(view)) FSortCode = *kept;
    ApplyColumnGroup();
}

void TMainFrameForm::ApplyColumnGroup() {
    model::TBusyCursor busy;
    const int g = GroupOfView(FViewMode);
    if (g < 0) return;
    listing::TColumnGroup* group = FGroups[g].get();
    // The group shows the list's own code while it is applied; the code it settles on is the list's.
    const int own = group->SortCode;
    group->SortCode = FSortCode;
    FSortCode = group->ApplyToListView();
    group->SortCode = own;
    SetListRows();
    SortList();
}

void TMainFrameForm::StoreColumnLayout() {
    if (const int g = GroupOfView(FViewMode); g >= 0) FGroups[g]->ReadBackFromListView();
}

void TMainFrameForm::SortList() {
    if (FViewMode != -1 && !FShownItems.empty()) {
        model::TBusyCursor busy;
        if (const listing::TItemComparator* compare =
                FDesign.profile->selectMainComparator(FViewMode, FSortCode)) {
            // A placeholder row stays first.
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

void TMainFrameForm::ListViewColumnClick(int column) {
    model::TBusyCursor busy;
    const int id = ListView->ColumnTag(column);
    if (id < 0) return;
    FSortCode = listing::SortCodeAfterClick(FSortCode, id);
    SortList();
    ListView->SetSortColumn(column);
    ListView->SetSortColumnUp(FSortCode % 2 == 0);
    ListView->clearSelection();
}

void TMainFrameForm::ListViewColumnRightClick(int column, const QPoint& pos) {
    const bool onColumn = column >= 0;
    if (onColumn) FPopupColumn = column;
    const bool sorted = onColumn && ListView->SortColumn() == column;
    SortAscending1->setChecked(sorted && ListView->SortColumnUp());
    SortDescending1->setChecked(sorted && !ListView->SortColumnUp());
    SortAscending1->setEnabled(onColumn);
    SortDescending1->setEnabled(onColumn);
    PopupMenu1->exec(ListView->mapToGlobal(pos));
}

void TMainFrameForm::SortAscending1Click() {
    const int id = ListView->ColumnTag(FPopupColumn);
    if (id < 0 || FSortCode == 2 * id) return;
    model::TBusyCursor busy;
    FSortCode = 2 * id;
    SortList();
    ListView->SetSortColumn(FPopupColumn);
    ListView->SetSortColumnUp(true);
    ListView->clearSelection();
}

void TMainFrameForm::SortDescending1Click() {
    const int id = ListView->ColumnTag(FPopupColumn);
    if (id < 0 || FSortCode == 2 * id + 1) return;
    model::TBusyCursor busy;
    FSortCode = 2 * id + 1;
    SortList();
    ListView->SetSortColumn(FPopupColumn);
    ListView->SetSortColumnUp(false);
    ListView->clearSelection();
}

int TMainFrameForm::ColumnsPage() const {
    return FViewMode < 0 ? 0 : FViewMode;
}

void TMainFrameForm::Columns1Click() {
    const TFocusReturn focusBack(*this);
    StoreColumnLayout();
    listing::TColumnsForm form(this);
    if (form.Execute(ColumnsPage(), {FGroups[0].get(), FGroups[1].get(), FGroups[2].get()}) !=
        QDialog::Accepted)
        return;
    if (!FGroups[0]->Modified && !FGroups[1]->Modified && !FGroups[2]->Modified) return;
    const std::vector<TItem*> selected = SelectedRows();
    const QModelIndex currentIndex = ListView->currentIndex();
    const TItem* current = currentIndex.isValid() && currentIndex.row() < int(FShownItems.size())
                               ? FShownItems[currentIndex.row()]
                               : nullptr;
    ListView->setUpdatesEnabled(false);
    ApplyColumnGroup();
    SelectListItems(selected, current);
    ListView->setUpdatesEnabled(true);
    ListView->viewport()->update();
    for (auto& group : FGroups)
        group->ClearModified();
}

// ---- bars and the keyboard ----

std::string TMainFrameForm::PathBarText(const TFolderItem* item) const {
    return item->GetPath();
}

void TMainFrameForm::UpdatePathBar(TFolderItem* item) {
    PathEdit->setText(listing::DisplayText(PathBarText(item)));
    QPixmap image(16, 16);
    image.fill(Qt::white);
    if (item->IconIndex() == -1) item->ResolveIcon();
    const QIcon icon = platform::IconRegistry().Icon(item->OpenIconIndex() != -1 ? item->OpenIconIndex()
                                                                                 : item->IconIndex());
    if (!icon.isNull()) {
        QPainter painter(&image);
        painter.drawPixmap(0, 0, icon.pixmap(16, 16));
    }
    Image1->setPixmap(image);
}

TFocus TMainFrameForm::Focus() const {
    const QWidget* focus = QApplication::focusWidget();
    if (!focus || focus->window() != this) focus = focusWidget();
    if (focus && (focus == ListView || ListView->isAncestorOf(focus))) return TFocus::List;
    if (focus && (focus == TreeView || TreeView->isAncestorOf(focus))) return TFocus::Tree;
    return TFocus::None;
}

void TMainFrameForm::GiveFocusBack(TFocus view) {
    QWidget* target = view == TFocus::List   ? static_cast<QWidget*>(ListView)
                      : view == TFocus::Tree ? static_cast<QWidget*>(TreeView)
                                             : nullptr;
    if (!target || !isVisible()) return;
    // The window takes the activation back from its closed dialogs, but never from another program
    // the user went to meanwhile.
    if (QGuiApplication::applicationState() == Qt::ApplicationActive) activateWindow();
    target->setFocus(Qt::OtherFocusReason);
    if (!FrameRoot()) return;
    if (view == TFocus::List) SelectTopRowWhenNone();
    UpdateCommands(false);
    UpdateStatusBar();
}

bool TMainFrameForm::eventFilter(QObject* watched, QEvent* event) {
    // A key or the left button pressed in the tree, or the tree losing the keyboard (other than to
    // the popup's own menu), leaves no popup node behind.
    if (watched == TreeView || watched == TreeView->viewport()) {
        if (event->type() == QEvent::KeyPress ||
            (event->type() == QEvent::MouseButtonPress &&
             static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) ||
            (event->type() == QEvent::FocusOut &&
             static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason))
            FPopupNode = nullptr;
    }
    if ((watched == TreeView || watched == ListView) && event->type() == QEvent::FocusIn && FrameRoot()) {
        UpdateCommands(false);
        UpdateStatusBar();
    } else if (watched == ListView && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Backspace || key == Qt::Key_Left) {
            UpToolButtonClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- opening ----

void TMainFrameForm::UpToolButtonClick() {
    QTreeWidgetItem* node = TreeView->currentItem();
    if (node && node->parent()) SelectNode(node->parent());
}

void TMainFrameForm::Collapse1Click() {
    if (!FRootNode) return;
    TreeView->collapseAll();
    FRootNode->setExpanded(true);
    SelectNode(FRootNode);
    RefreshViews();
}

void TMainFrameForm::ListViewDblClick() {
    const QModelIndex current = ListView->currentIndex();
    if (!current.isValid() || current.row() >= int(FShownItems.size())) return;
    TItem* item = FShownItems[current.row()];
    if (!item) {
        OpenPlaceholderRow();
        return;
    }
    if (!item->IsFolder()) {
        OpenFileRow(item);
        return;
    }
    QTreeWidgetItem* selected = TreeView->currentItem();
    if (!selected) return;
    if (!selected->isExpanded()) selected->setExpanded(true);
    if (QTreeWidgetItem* node = FindChildNode(item)) {
        ListView->clearSelection();
        if (FDesign.openedRowFocusesTree) TreeView->setFocus(Qt::OtherFocusReason);
        SelectNode(node);
    }
}

void TMainFrameForm::ShowInFileManager(const std::string& path) {
    // The desktop tells only later whether a file manager took the folder; the window goes on. A
    // folder of a file written elsewhere ("C:\\Data\\") is no folder here and fails at once.
    const QPointer<TMainFrameForm> self(this);
    platform::OpenFolder(path, this, [self](platform::TOpenOutcome outcome) {
        if (outcome != platform::TOpenOutcome::Opened && self)
            self->ShowMessage(exportdata::FileManagerFailure(outcome == platform::TOpenOutcome::Missing),
                              "Error", QMessageBox::Critical);
    });
}

void TMainFrameForm::OpenWithDesktop(const std::string& path) {
    const QPointer<TMainFrameForm> self(this);
    platform::OpenFile(path, this, [self](platform::TOpenOutcome outcome) {
        if (outcome != platform::TOpenOutcome::Opened && self)
            self->ShowMessage(exportdata::kNoFileApplication, "Error", QMessageBox::Critical);
    });
}

bool TMainFrameForm::AskSaveChoice(const TSaveChoiceHook& hook, int kind, bool preselect,
                                   const std::string& selection, bool& selectedOnly) {
    if (hook) return hook(preselect, selection, selectedOnly);
    TSaveForm form(this);
    if (form.Execute(kind, preselect, QString::fromStdString(selection)) != QDialog::Accepted) return false;
    selectedOnly = form.SaveSelectedOnly();
    return true;
}

std::string TMainFrameForm::AskSaveFileName(const std::function<std::string()>& hook) {
    if (hook) return hook();
    QFileDialog dialog(this, "Save Explored information");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({"Tessalundrix file (*.txf)", "All Files (*)"});
    dialog.setDefaultSuffix("txf");
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        return dialog.selectedFiles().front().toStdString();
    return {};
}

bool TMainFrameForm::RunWithFileProgress(const char* verb, const std::string& fileName, std::int64_t max,
                                         const std::function<void()>& work) {
    model::TProgressForm progress(this);
    progress.SetCaptions(QString(verb) + " file...",
                         QString::fromStdString(verb + (" file " + model::ShortenPath(fileName, 55)) + "..."),
                         "Please wait...");
    model::ProgressManager().SetForm(&progress);
    if (max >= 0) model::ProgressManager().SetMax(max);
    bool ran = false, targetFailed = false;
    progress.Execute([&](model::TProgressForm& window) {
        // A save asks the target's folder first, on a worker: one that does not answer cannot be
        // written to, and the window goes on meanwhile.
        if (std::string_view(verb) == "Saving" && !SaveTargetAnswers(fileName, window)) {
            targetFailed = !window.Cancelled();
            return;
        }
        work();
        ran = true;
    });
    model::ProgressManager().SetForm(nullptr);
    if (targetFailed) ShowMessage("An error as occured while saving.", "Error", QMessageBox::Critical);
    return ran;
}

void TMainFrameForm::ShowMessage(const std::string& text, const std::string& caption, int icon) {
    if (FMessageHook) {
        FMessageHook(text, caption, icon);
        return;
    }
    // The view that had the keyboard has it again after the box, which may come when the desktop
    // answers, long after the command.
    const TFocusReturn focusBack(*this);
    // Names in message texts show as the list shows them.
    model::ShowMessageBox(this, static_cast<QMessageBox::Icon>(icon), QString::fromStdString(caption),
                          listing::DisplayText(text));
}

// ---- command state and the status bar ----

QTreeWidgetItem* TMainFrameForm::CommandNode() const {
    return FPopupNode ? FPopupNode : TreeView->currentItem();
}

TFocus TMainFrameForm::CommandFocus() const {
    return FPopupNode ? TFocus::Tree : Focus();
}

void TMainFrameForm::UpdateCommands(bool popupOnly) {
    ApplyFrameCommands(UpdateOwnCommands(popupOnly), popupOnly);
}

void TMainFrameForm::ApplyFrameCommands(const TFrameCommandState& s, bool popupOnly) {
    auto enable = [&](TFrameCommand command, bool inMenus, bool inPopups) {
        if (!popupOnly)
            for (QAction* item : FMenuItems[int(command)])
                item->setEnabled(inMenus);
        for (QAction* item : FPopupItems[int(command)])
            item->setEnabled(inPopups);
    };
    enable(TFrameCommand::Up, s.up, s.up);
    enable(TFrameCommand::CopyName, s.copyName, s.copyName);
    // A popup's folder name item is on a row's popup only.
    enable(TFrameCommand::CopyFolderName, s.copyName && s.listSubject, s.copyName);
    enable(TFrameCommand::CopyPath, s.copyPath, s.copyPath);
    for (TFrameCommand c : {TFrameCommand::FileLister, TFrameCommand::Analyser, TFrameCommand::Top100})
        enable(c, s.folderTools, s.folderTools);
    enable(TFrameCommand::OpenInFileManager, s.openInFileManager, s.openInFileManager);
    enable(TFrameCommand::ExportData, s.exportData, s.exportData);
    if (!popupOnly) CopyFileName2->setText(s.listSubject ? "&Copy File Name" : "&Copy Name");
}

TStatusTexts TMainFrameForm::ItemStatusTexts(const TItem* item) const {
    return StatusTexts(item);
}

void TMainFrameForm::UpdateStatusBar() {
    TStatusTexts texts;
    const TFocus focus = CommandFocus();
    const std::vector<TItem*> rows = SelectedRows();
    const bool several = rows.size() >= 2;
    if (focus == TFocus::List || (focus == TFocus::None && FDesign.statusWithoutFocus && several))
        texts = several ? StatusTexts(std::vector<const TItem*>(rows.begin(), rows.end()))
                        : ItemStatusTexts(rows.empty() ? nullptr : rows.front());
    else if (focus == TFocus::Tree || FDesign.statusWithoutFocus)
        texts = ItemStatusTexts(ItemOfNode(CommandNode()));
    StatusPanel0->setText(listing::DisplayText(texts.name));
    StatusPanel1->setText(listing::DisplayText(texts.totals));
}

// ---- popups ----

QMenu* TMainFrameForm::ListPopupFor(int row) const {
    if (row < 0 || row >= int(FShownItems.size())) return nullptr;
    return SelectedRows().size() >= 2 ? PopupFor(nullptr) : PopupFor(FShownItems[row]);
}

void TMainFrameForm::TreeViewContextPopup(QTreeWidgetItem* node, const QPoint& globalPos, QAction* choose) {
    if (!ItemOfNode(node)) return;
    QMenu* menu = PopupFor(ItemOfNode(node));
    // While the popup is open, its node is what the commands and the status bar show.
    FPopupNode = node;
    UpdateCommands(true);
    UpdateStatusBar();
    if (choose) {
        if (choose->isEnabled()) choose->trigger();
    } else {
        menu->exec(globalPos);
    }
    // A dismissed popup leaves no target behind, and the commands follow the selection again.
    FPopupNode = nullptr;
    if (FrameRoot()) {
        UpdateCommands(false);
        UpdateStatusBar();
    }
}

void TMainFrameForm::ListViewContextPopup(const QPoint& pos) {
    const QModelIndex index = ListView->indexAt(pos);
    if (!index.isValid() || index.row() >= int(FShownItems.size())) return;
    QItemSelectionModel* selection = ListView->selectionModel();
    if (FDesign.rightClickAddsRow) {
        selection->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    } else if (!selection->isRowSelected(index.row(), {})) {
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    QMenu* menu = ListPopupFor(index.row());
    if (!menu) return;
    UpdateCommands(true);
    menu->exec(ListView->viewport()->mapToGlobal(pos));
}

// ---- the commands both programs have ----

void TMainFrameForm::CopyFilename1Click() {
    CopyCommand(TCopyKind::FileName);
}
void TMainFrameForm::CopyFoldername1Click() {
    CopyCommand(TCopyKind::FolderName);
}
void TMainFrameForm::CopyCompletePath1Click() {
    CopyCommand(TCopyKind::CompletePath);
}

void TMainFrameForm::CopyCommand(TCopyKind kind) {
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
    QApplication::clipboard()->setText(listing::DisplayLines(text, "\n"));
}

void TMainFrameForm::ExpToolButtonClick() {
    ApplyPopupNode();
    if (const TFolderItem* item = SelectedTreeItem()) ShowInFileManager(item->GetPath());
}

TFolderItem* TMainFrameForm::FolderSubject() const {
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

void TMainFrameForm::ReselectRow(const TItem* item) {
    const int row = FindListItem(item);
    if (row < 0) return;
    ListView->clearSelection();
    const QModelIndex index = ListView->model()->index(row, 0);
    ListView->selectionModel()->setCurrentIndex(index,
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

std::vector<QWidget*> TMainFrameForm::ToolWindows() const {
    std::vector<QWidget*> windows;
    for (QObject* child : children()) {
        if (auto* w = qobject_cast<exportdata::TFileListerForm*>(child)) windows.push_back(w);
        if (auto* w = qobject_cast<analyser::TAnalyserForm*>(child)) windows.push_back(w);
    }
    return windows;
}

void TMainFrameForm::FileToolButtonClick() {
    RunFileLister(exportdata::kListerAll);
}

void TMainFrameForm::N100biggestfiles1Click() {
    RunFileLister(exportdata::kListerBiggest);
}

void TMainFrameForm::RunFileLister(int mode) {
    ApplyPopupNode();
    TFolderItem* subject = FolderSubject();
    model::TRootItem* root = FrameRoot();
    if (!subject || !root) return;
    if (FDesign.modelessToolWindows) {
        // It stays beside the window, which closes it with the items it shows.
        auto* lister = new exportdata::TFileListerForm(this);
        lister->setAttribute(Qt::WA_DeleteOnClose);
        lister->Execute(subject, root, mode, nullptr, {}, true);
        return;
    }
    {
        exportdata::TFileListerForm form(this);
        if (form.Execute(subject, root, mode, nullptr, {}, false) == -1) {
            // Files went to the trash there: totals and rows follow.
            RefreshViews();
            ReselectRow(subject);
        }
    }
    unsetCursor();
}

void TMainFrameForm::Analyser1Click() {
    ApplyPopupNode();
    TFolderItem* subject = FolderSubject();
    model::TRootItem* root = FrameRoot();
    if (!subject || !root) return;
    const char* settings = FDesign.profile->settingsName.c_str();
    if (FDesign.modelessToolWindows) {
        auto* form = new analyser::TAnalyserForm(this, settings);
        form->setAttribute(Qt::WA_DeleteOnClose);
        const QPointer<analyser::TAnalyserForm> guard(form);
        // A cancelled generation shows nothing; the window may have closed itself already.
        if (form->ShowAnalyser(subject, root, true) == 2 && guard) delete form;
        return;
    }
    {
        analyser::TAnalyserForm form(this, settings);
        (void)form.ShowAnalyser(subject, root, false);
    }
    // Its File Lister may have deleted files.
    RefreshViews();
    ReselectRow(subject);
    unsetCursor();
}

std::string TMainFrameForm::ExportSubject(const TFolderItem* item) const {
    return ExportSubjectText(item, false);
}

void TMainFrameForm::ExportData1Click() {
    ApplyPopupNode();
    TFolderItem* item = SelectedTreeItem();
    const int g = GroupOfView(FViewMode);
    if (!item || g < 0) return;
    const std::string subject = ExportSubject(item);
    StoreColumnLayout();
    std::vector<const TItem*> rows;
    for (const TItem* row : FShownItems)
        if (row) rows.push_back(row); // a placeholder row holds nothing to export
    FExporting = true;
    {
        exportdata::TExportDataForm form(this);
        // The main list has no totals.
        form.Execute(exportdata::kListMain, std::move(rows), *FGroups[g], "File listing", subject, false);
    }
    FExporting = false;
}

void TMainFrameForm::Options1Click() {
    const TFocusReturn focusBack(*this);
    TOptionsForm form(this);
    listing::TColumnList& columns = listing::ColumnCatalogue();
    form.SetGeneralOptions(FShowTips, false);
    form.SetSizeUnits(columns.SizeUnit, columns.AnalyserSpaceUnit, columns.SpaceUnit);
    OfferOptions(form);
    if (form.Execute(FDesign.optionsKind) != QDialog::Accepted) return;
    FShowTips = form.GetShowTips();
    columns.SizeUnit = form.GetListSizeUnit();
    columns.AnalyserSpaceUnit = form.GetAnalyserSizeUnit();
    columns.SpaceUnit = form.GetDriveSizeUnit();
    TakeOptions(form);
    RefreshViews();
    // Open File Lister and analyser tables read their cells again when painted.
    for (QWidget* window : ToolWindows())
        window->update();
}

// ---- the Help menu ----

void TMainFrameForm::Contents1Click() {
    THelpForm::Instance().ShowContents();
}

// The maker's web site is the documentation installed with the program.
void TMainFrameForm::TessalundrixWebSite1Click() {
    OpenHelpPageInBrowser(THelpForm::ContentsPage());
}

void TMainFrameForm::OnlineHelp1Click() {
    OpenHelpPageInBrowser(model::kHelpFaqPage);
}

void TMainFrameForm::OnlineSupport1Click() {
    OpenHelpPageInBrowser(model::kHelpSupportPage);
}

void TMainFrameForm::About1Click() {
    TAboutForm about(this);
    about.exec();
}

void TMainFrameForm::Tipoftheday1Click() {
    const TFocusReturn focusBack(*this);
    TTipsForm form(this, FSettingsFile);
    const QRect bounds = frameGeometry();
    form.Execute(FShowTips, bounds.x(), bounds.y(), bounds.width(), bounds.height());
    FShowTips = form.GetShowTips();
}

} // namespace mainwindow
