// The desktop explorer's main window: the item tree on the left, the owner-data list of the selected
// folder on the right, path bar above, status bar below. Split by concern: UMainForm.cpp (life and
// settings), UMainFormMenus.cpp (menus, tool bar, popups, command state), UMainFormViews.cpp (tree
// nodes, list rows, view modes, status and path bars), UMainFormCommands.cpp (explore, open, save,
// load).
//
// Ownership: the window owns the root item and so the whole tree; tree nodes and list rows hold
// plain pointers to items and are dropped when the tree announces a removal (TTreeListener).
#pragma once

#include "mainwindow/UCommandState.h"
#include "mainwindow/UFocusReturn.h"
#include "mainwindow/UMainCommands.h"
#include "mainwindow/UMainSettings.h"
#include "mainwindow/UNetworkDrive.h"
#include "model/UItem.h"

#include <QIcon>
#include <QMainWindow>
#include <QPointer>

#include <array>
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
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace exportdata {
class TFileTrash;
}
namespace listing {
class TColumnGroup;
class TKPLListView;
} // namespace listing

namespace mainwindow {

class TMainForm : public QMainWindow, public model::TTreeListener {
    Q_OBJECT
public:
    // FormCreate: the initial state, the widgets, the three column groups.
    explicit TMainForm(QWidget* parent = nullptr);
    // FormDestroy: nodes and rows go first, then the item tree.
    ~TMainForm() override;

    // Centres the window, loads the settings and shows it; the start-up work follows 100 ms later.
    void ShowMainWindow();
    // The settings store's file; empty: the program's own (tests give a temporary one).
    void SetSettingsFile(const std::string& fileName) { FSettingsFile = fileName; }

    // ---- state (read by the tests and the other parts of the window) ----
    [[nodiscard]] model::TRootItem* RootItem() const { return FRootItem.get(); }
    [[nodiscard]] int ViewMode() const { return FViewMode; }
    [[nodiscard]] int SortCode() const { return FSortCode; }
    [[nodiscard]] bool Modified() const { return FModified; }
    [[nodiscard]] const std::vector<model::TItem*>& ShownItems() const { return FShownItems; }
    [[nodiscard]] bool StartupDone() const { return FStartupDone; }
    [[nodiscard]] QTreeWidgetItem* NodeOf(const model::TFolderItem* item) const;
    [[nodiscard]] model::TFolderItem* ItemOfNode(const QTreeWidgetItem* node) const;
    [[nodiscard]] QTreeWidgetItem* PopupNode() const { return FPopupNode; }

    // Hooks for the tests: the file the save dialog gives (empty: cancelled), the answer to the close
    // question and the save choice, in place of the modal dialogs.
    struct TDialogHooks {
        std::function<std::string()> saveFileName;
        std::function<TCloseAnswer()> closeAnswer;
        // Returns false to cancel; sets selectedOnly.
        std::function<bool(bool preselect, const std::string& selection, bool& selectedOnly)> saveChoice;
        std::function<void(const std::string& text, const std::string& caption)> message;
        // In place of the tip of the day at start-up.
        std::function<void()> startupTip;
        // In place of the network shares mounted now, for Disconnect.
        std::function<std::vector<platform::TNetworkShare>()> networkShares;
    };
    void SetDialogHooks(TDialogHooks hooks) { FHooks = std::move(hooks); }

    // ---- widgets, by their form names ----
    QTreeWidget* TreeView = nullptr;
    listing::TKPLListView* ListView = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QWidget* Panel1 = nullptr; // the top panel: tool bar and path bar
    QWidget* Panel4 = nullptr; // the tree's panel
    QWidget* Panel6 = nullptr; // the path bar
    QLabel* Image1 = nullptr;
    QLineEdit* PathEdit = nullptr;
    QSplitter* Splitter1 = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QTimer* ShowTimer = nullptr;

    // Menu items and tool buttons (actions), by their form names.
    QAction *RefreshExplore1, *ManualExploration1, *AddPreferredExploration1, *Load1, *Saveas1, *Open3,
        *OpeninWindowsExplorer1, *ExportData1, *Delete1, *Exit1;
    QAction *CopyFileName2, *CopyFolderName2, *CopyCompletePath2;
    QAction *Up1, *Collapse1;
    QAction *TreeView2, *ToolBar2, *MapDriveDisconnectbutton1, *ButtonLabel1, *Path1, *StatusBar1,
        *CustomizeColumns1;
    QAction *FileLister1, *Analyser1, *N100biggestfiles1, *MapDrive1, *Disconnect1, *Options1;
    QAction *Contents1, *Tipoftheday1, *TessalundrixWebSite1, *OnlineHelp1, *OnlineSupport1, *About1;
    QAction *UpToolButton, *RefreshToolButton, *ManualToolButton, *DeleteToolButton, *MapToolButton,
        *DisconnectToolButton, *ExpToolButton, *FileToolButton, *AnaToolButton;
    QMenu *PopupMenuFile, *PopupMenuFolder, *ManualPopup, *PopupMenuPref, *PopupMenu1;
    QAction *Open2, *OpeninWindowsExplorer3, *CopyFilename1, *CopyFoldername1, *CopyCompletePath1, *Saveas3,
        *Delete2, *Refresh3;
    QAction *Open1, *FileLister2, *Analyser2, *OpeninWindowsExplorer2, *AddPref1, *CopyFileName3,
        *CopyCompletePath3, *SaveAs2, *Delete3, *Refresh1;
    QAction *New1, *Open4, *FileLister4, *Analyser4, *Save4;
    QAction *Open5, *FileLister5, *Analyser5, *OpeninWindowsExplorer5, *Auto1, *CopyFileName5,
        *CopyCompletePath5, *SaveAs5, *Delete5, *Refresh5;
    QAction *SortAscending1, *SortDescending1, *Columns1;

    // ---- operations of the views ----
    void RefreshViews();
    void ReExploreNode(QTreeWidgetItem* node);
    void AddChildNodes(model::TFolderItem* item, QTreeWidgetItem* node);
    void SortList();
    void UpdateStatusBar();
    void UpdateCommands(bool popupOnly);
    void OpenTreeNode(bool expand);
    void ApplyColumnGroup();
    void StoreColumnLayout();
    [[nodiscard]] listing::TColumnGroup* GroupOfViewMode() const;
    [[nodiscard]] listing::TColumnGroup* Group(int index) const { return FGroups[index].get(); }
    // The list rows that are selected, in display order (nullptr for the "Unexplored" row).
    [[nodiscard]] std::vector<model::TItem*> SelectedRows() const;
    // The view that has the keyboard. While a dialog, a progress window or a menu over this window
    // holds it, and until the window is active again after they closed, the view that had it here
    // counts: it gets it back.
    [[nodiscard]] TFocus Focus() const;
    // Gives the keyboard back to view (and the window the activation) once a command's dialogs and
    // progress windows have closed, then shows that view's commands and totals.
    void GiveFocusBack(TFocus view);
    // Held by a command that opens dialogs or progress windows (see TFocusReturn).
    using TFocusReturn = mainwindow::TFocusReturn<TMainForm>;
    [[nodiscard]] model::TFolderItem* SelectedTreeItem() const;
    [[nodiscard]] QTreeWidgetItem* FindChildNode(const model::TItem* item) const;
    // Incremental find: the first row from start on (wrapping) whose name begins with text,
    // ASCII case ignored; the "Unexplored" row never matches. -1 when none.
    [[nodiscard]] int FindRowByName(const std::string& text, int start) const;
    // A typed character extends the search within the keyboard interval, else starts a new one.
    void ListViewTypeAhead(const QString& typed);
    // The list row of an item, or -1.
    [[nodiscard]] int FindListItem(const model::TItem* item) const;

    // Runs the programs of Map Drive and Disconnect (not owned; the desktop's by default).
    void SetProgramRunner(TProgramRunner* runner);
    // The trash of Delete (not owned; the desktop's by default).
    void SetTrash(exportdata::TFileTrash* trash);

    // ---- commands ----
    void RefreshExplore1Click();
    // UMainFormTools.cpp: copy, open in the file manager, delete and remove, the tool windows,
    // manual and preferred explorations, network shares, options and tips.
    void CopyFilename1Click();
    void CopyFoldername1Click();
    void CopyCompletePath1Click();
    void ExpToolButtonClick();
    void Delete1Click();
    void FileToolButtonClick();
    void N100biggestfiles1Click();
    void Analyser1Click();
    void ExportData1Click();
    void ManualExploration1Click();
    void AddPreferredExploration1Click();
    void New1Click();
    void AddPref1Click();
    void Auto1Click();
    void MapToolButtonClick();
    void DisconnectToolButtonClick();
    void MapDriveDisconnectbutton1Click();
    void Options1Click();
    void Tipoftheday1Click();
    // UMainFormHelp.cpp: the Help menu.
    void Contents1Click();
    void TessalundrixWebSite1Click();
    void OnlineHelp1Click();
    void OnlineSupport1Click();
    void About1Click();
    [[nodiscard]] bool ShowTips() const { return FShowTips; }
    [[nodiscard]] bool AskSave() const { return FAskSave; }
    void Open1Click();
    void UpToolButtonClick();
    void Collapse1Click();
    void ListViewDblClick();
    void ListViewColumnClick(int column);
    void SortAscending1Click();
    void SortDescending1Click();
    void Columns1Click();
    void Saveas1Click();
    void SaveAs2Click();
    void Load1Click();
    // Runs the save choice and the save; tells what came of it.
    TSaveCommandOutcome RunSaveForm(bool preselect);
    TSaveCommandOutcome SaveExploration();
    // Shows the popup that a right-click on node opens, at the global point (tests call it with an
    // action to choose instead of showing the menu).
    void TreeViewContextPopup(QTreeWidgetItem* node, const QPoint& globalPos, QAction* choose = nullptr);
    [[nodiscard]] QMenu* PopupFor(const model::TItem* item) const;
    [[nodiscard]] const TCommandState& Commands() const { return FCommands; }

    // TTreeListener: rows and nodes of items that are about to go are dropped first.
    void ItemsAboutToBeRemoved(model::TFolderItem* folder, model::TItem* child) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // UMainForm.cpp
    void CreateWidgets();
    void ShowTimerTimer();
    void BuildRootTree();
    void LoadSettings();
    void SaveSettings();
    void ApplyView();
    void LoadPreferredExplorations();
    void SavePreferredExplorations();
    bool FormCloseQuery();
    void FormClose();
    void ShowMessage(const std::string& text, const std::string& caption, int icon);
    // UMainFormMenus.cpp
    void CreateMenus();
    void CreateToolBar();
    void CreatePopups();
    void ApplyCommandState(const TCommandState& s, bool popupOnly);
    void ToggleView();
    // UMainFormViews.cpp
    void ShowDriveList(model::TComputerRootItem* computer);
    void ShowFolderList(model::TFolderItem* item);
    void ChangeMode(int mode);
    void UpdatePathBar(model::TFolderItem* item);
    void UpdateNodeImages(QTreeWidgetItem* node);
    void DeleteNodeChildren(QTreeWidgetItem* node);
    void DeleteNode(QTreeWidgetItem* node);
    QTreeWidgetItem* NewNode(model::TFolderItem* item, QTreeWidgetItem* parent);
    void TreeViewChange();
    void TreeViewExpanding(QTreeWidgetItem* node);
    void ListViewSelectionChanged();
    void ListViewContextPopup(const QPoint& pos);
    void ListViewColumnRightClick(int column, const QPoint& pos);
    void SetListRows();
    // With the list focused: its top row selected when none is, so the status bar names a row.
    void SelectTopRowWhenNone();
    // Selects the rows that show items (the list rebuilt under other columns keeps its selection).
    void SelectListItems(const std::vector<model::TItem*>& items, const model::TItem* current);
    void ClearListRows();
    [[nodiscard]] QVariant RowIcon(int row) const;
    [[nodiscard]] TCommandInput CommandInput() const;
    [[nodiscard]] bool IsMountPoint(const model::TItem* item) const;
    // UMainFormTools.cpp
    void CopyCommand(TCopyKind kind);
    void DeleteFromDisk();
    void RemoveSelectedExplorations();
    void RemoveExplorations(const std::vector<model::TItem*>& items, bool preferred);
    void RunFileLister(int mode);
    [[nodiscard]] model::TFolderItem* FolderSubject();
    void ReselectRow(const model::TItem* item);
    void NewManualExploration();
    void NewPreferredExploration();
    void AddToPreferred();
    void AddExplorationNode(model::TManualRootItem* container, model::TFolderItem* item);
    void ReExploreComputer();
    bool AskYesNoCancel(const std::string& text, const std::string& caption);
    // UMainFormCommands.cpp
    void ApplyPopupNode();
    void SelectNode(QTreeWidgetItem* node);
    void UpdatePreferredRootState();
    void ExploreSelectedFolders();
    bool WriteExplorationFile(const std::string& fileName);

    // Fields of the window, as their names say.
    bool FClosing = false;
    std::unique_ptr<model::TRootItem> FRootItem;
    QTreeWidgetItem* FRootNode = nullptr;
    QTreeWidgetItem* FLastNode = nullptr;
    QTreeWidgetItem* FPopupNode = nullptr;
    int FPopupColumn = -1;
    std::vector<model::TItem*> FShownItems;
    int FViewMode = -1;
    int FSortCode = 0;
    int FRootSortCode = 0;
    std::array<std::unique_ptr<listing::TColumnGroup>, 3> FGroups;
    std::vector<model::TItem*> FExploreList;
    QTreeWidgetItem* FExploreNode = nullptr;
    bool FShowTips = true;
    bool FAskSave = true;
    bool FModified = false;
    bool FExporting = false;

    bool FPreferredMarks = false; // the list shows preferred rows with their auto-explore mark
    mutable std::unordered_map<long long, QIcon> FRowIcons;
    std::unordered_map<const model::TFolderItem*, QTreeWidgetItem*> FNodes;
    std::vector<std::string> FMountPoints;
    TCommandState FCommands;
    TDialogHooks FHooks;
    TProgramRunner* FRunner = nullptr;
    std::unique_ptr<TProgramRunner> FDesktopRunner;
    exportdata::TFileTrash* FTrash = nullptr;
    std::unique_ptr<exportdata::TFileTrash> FDesktopTrash;
    std::string FSettingsFile;
    bool FStartupDone = false;
    bool FCloseAllowed = false;
    bool FRefreshPosted = false;
    QString FSearchText; // typed so far by the incremental find
    qint64 FSearchTime = 0;
};

} // namespace mainwindow
