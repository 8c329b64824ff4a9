// The viewer's main window: the tree of loaded files on the left, the owner-data list of the
// selected item on the right, path bar and tool bar above, status bar below. It explores nothing:
// files are loaded, closed and combined into new files (UViewerFiles.h holds those decisions,
// UViewerState.h the command state, status texts and settings rules).
//
// Ownership: the window owns the root "All Files" and so every loaded file. Tree nodes and list
// rows hold plain pointers; a file's rows, nodes and File Lister and analyser windows go before
// the file does.
#pragma once

#include "mainwindow/UFocusReturn.h"
#include "viewer/UItem.h"
#include "viewer/UViewerState.h"

#include <QMainWindow>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QSplitter;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace listing {
class TColumnGroup;
class TKPLListView;
} // namespace listing

namespace viewer {

// Makes the viewer's listing profile current: its column groups and comparators, and its loaded
// files as the items whose rows show no dates and attributes. Call once at start.
void InstallViewerProfile();

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr); // FormCreate
    ~TMainForm() override;                         // FormDestroy

    // The program's arguments after its name: exactly one is a file to load at start.
    void SetArguments(QStringList arguments) { FArguments = std::move(arguments); }
    // Centres the window, loads the settings and shows it; the start-up work follows 100 ms later.
    void ShowMainWindow();

    // Dialogs the tests answer in place of the modal ones. Unset hooks show the real dialogs.
    struct TDialogHooks {
        std::function<void(const std::string& text, const std::string& caption, int icon)> message;
        std::function<std::string()> openFileName; // "" = cancelled
        std::function<std::string()> saveFileName; // "" = cancelled
        // false = cancelled; sets selectedOnly.
        std::function<bool(bool preselect, const std::string& selection, bool& selectedOnly)> saveChoice;
        // In place of the tip of the day at start-up.
        std::function<void()> startupTip;
    };
    void SetDialogHooks(TDialogHooks hooks) { FHooks = std::move(hooks); }

    // ---- state ----
    [[nodiscard]] TRootItem* RootItem() const { return FRootItem.get(); }
    [[nodiscard]] int CurrentView() const { return FCurrentView; }
    [[nodiscard]] int SortCode() const { return FSortCode; }
    [[nodiscard]] const std::vector<TItem*>& ShownItems() const { return FShownItems; }
    [[nodiscard]] bool StartupDone() const { return FStartupDone; }
    [[nodiscard]] QTreeWidgetItem* NodeOf(const model::TFolderItem* item) const;
    [[nodiscard]] model::TFolderItem* ItemOfNode(const QTreeWidgetItem* node) const;
    [[nodiscard]] listing::TColumnGroup* Group(int view) const { return FGroups[view].get(); }
    [[nodiscard]] std::vector<TItem*> SelectedRows() const;
    // The view that has the keyboard. While a dialog, a progress window or a menu over this window
    // holds it, and until the window is active again after they closed, the view that had it here
    // counts: it gets it back.
    [[nodiscard]] TFocus Focus() const;
    // Gives the keyboard back to view (and the window the activation) once a command's dialogs and
    // progress windows have closed, then shows that view's commands and totals.
    void GiveFocusBack(TFocus view);
    // Held by a command that opens dialogs or progress windows (see TFocusReturn).
    using TFocusReturn = mainwindow::TFocusReturn<TMainForm>;
    [[nodiscard]] const TViewerCommands& Commands() const { return FCommands; }
    // The File Lister and analyser windows the window keeps open.
    [[nodiscard]] std::vector<QWidget*> ToolWindows() const;

    // ---- widgets, by their form names ----
    QTreeWidget* TreeView = nullptr;
    listing::TKPLListView* ListView = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QWidget* Panel1 = nullptr;
    QWidget* Panel4 = nullptr;
    QWidget* Panel6 = nullptr;
    QLabel* Image1 = nullptr;
    QLineEdit* PathEdit = nullptr;
    QSplitter* Splitter1 = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QTimer* ShowTimer = nullptr;

    QAction *Load1, *Close1, *OpeninWindowsExplorer1, *Saveas1, *ExportData1, *Exit1;
    QAction *CopyFileName1, *CopyFolderName1, *CopyCompletePath1;
    QAction *Up1, *Collapse1;
    QAction *TreeView1, *ToolBar2, *ButtonLabel1, *Path1, *StatusBar1, *CustomizeColumns1;
    QAction *FileLister1, *Analyser1, *N100biggestfiles1, *Options1;
    QAction *Contents1, *Tipoftheday1, *TessalundrixWebSite1, *OnlineHelp1, *OnlineSupport1, *About1;
    QAction *UpToolButton, *ToolButton5, *ToolButton1, *ExpToolButton, *FileToolButton, *AnaToolButton;
    QMenu *PopupMenuFile, *PopupMenuFolder, *PopupMenu1;
    QAction *FileLister2, *Analyser2, *OpeninWindowsExplorer2, *CopyName2, *CopyCompletePath2, *Save2,
        *Close2;
    QAction *OpenFolder3, *CopyFileName3, *CopyFolderName3, *CopyCompletePath3, *Save3, *Close3;
    QAction *SortAscending1, *SortDescending1, *Columns1;

    // ---- views ----
    void RefreshViews();
    void SortList();
    void ApplyColumnGroup();
    void StoreColumnLayout();
    void UpdateMenus(bool popupMode);
    void UpdateStatusBar();
    void SelectNode(QTreeWidgetItem* node);

    // ---- commands ----
    void AskAndLoadFile();
    void LoadFileWithProgress(const std::string& fileName);
    void Close1Click();
    void CloseFiles(const std::vector<TFileRootItem*>& files);
    void SaveAllfilesin1files1Click();
    void Save1Click();
    void RunSaveForm(bool preselect);
    void SaveExploration();
    void ListViewColumnClick(int column);
    void SortAscending1Click();
    void SortDescending1Click();
    void Columns1Click();
    void FileToolButtonClick(int mode);
    void Analyser1Click();
    void ExportData1Click();
    void ExpToolButtonClick();
    void UpToolButtonClick();
    void ListViewDblClick();
    // UMainFormHelp.cpp: Options, the tip of the day and the Help menu.
    void Options1Click();
    void Tipoftheday1Click();
    [[nodiscard]] bool ShowTips() const { return FShowTips; }
    void Contents1Click();
    void TessalundrixWebSite1Click();
    void OnlineHelp1Click();
    void OnlineSupport1Click();
    void About1Click();
    // The popup of a right-click on list row (after the click selected it): the file menu for two
    // or more selected rows or a row that is no folder item, else the folder menu.
    [[nodiscard]] QMenu* ListPopupFor(int row) const;
    // Shows the popup of a right-click on node (tests give the action to choose instead).
    void TreeViewContextPopup(QTreeWidgetItem* node, const QPoint& globalPos, QAction* choose = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateWidgets();
    void CreateMenus();
    void CreatePopups();
    void ShowTimerTimer();
    void BuildRootTree();
    void AddChildNodes(model::TFolderItem* folder, QTreeWidgetItem* node);
    QTreeWidgetItem* NewNode(model::TFolderItem* item, QTreeWidgetItem* parent);
    void DeleteNode(QTreeWidgetItem* node);
    void TreeViewExpanding(QTreeWidgetItem* node);
    void ShowList(int view, model::TFolderItem* folder);
    void UpdatePathBar(model::TFolderItem* item);
    void ClearListRows();
    // With the list focused: its top row selected when none is, so the status bar names a row.
    void SelectTopRowWhenNone();
    // Selects the rows that show items (the list rebuilt under other columns keeps its selection).
    void SelectListItems(const std::vector<TItem*>& items);
    void LoadSettings();
    void SaveSettings();
    void ApplyView();
    void ApplyPopupNode();
    void CloseWindowsOfItem(const TFileRootItem* file);
    void CopyText(int which);
    [[nodiscard]] TViewerInput Input() const;
    [[nodiscard]] model::TFolderItem* SelectedTreeItem() const;
    [[nodiscard]] model::TFolderItem* ToolSubject(bool anyRow) const;
    void ShowMessage(const std::string& text, const std::string& caption, int icon);

    std::unique_ptr<TRootItem> FRootItem;
    QTreeWidgetItem* FRootNode = nullptr;
    QTreeWidgetItem* FPopupNode = nullptr;
    int FSortCode = 0;
    bool FShowTips = true;
    bool FExporting = false;
    std::vector<TItem*> FShownItems;
    int FCurrentView = kViewNone;
    int FPopupColumn = -1;
    std::array<std::unique_ptr<listing::TColumnGroup>, 3> FGroups;
    std::unordered_map<const model::TFolderItem*, QTreeWidgetItem*> FNodes;
    TViewerCommands FCommands;
    TDialogHooks FHooks;
    QStringList FArguments;
    bool FStartupDone = false;
};

} // namespace viewer
