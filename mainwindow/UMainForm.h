// The desktop explorer's main window: the frame (UMainFrameForm.h) with what the explorer adds:
// exploring, drives, preferred and manual explorations, delete, map and disconnect, open, save and
// load. Split by concern: UMainForm.cpp (life and settings), UMainFormMenus.cpp (menus, tool bar,
// popups, command state), UMainFormViews.cpp (the explorer's tree nodes, list rows and view modes,
// status texts), UMainFormCommands.cpp (explore, open, save, load), UMainFormTools.cpp (delete and
// remove, manual and preferred explorations, network shares, options).
//
// Ownership: the window owns the root item and so the whole tree; tree nodes and list rows hold
// plain pointers to items and are dropped when the tree announces a removal (TTreeListener).
#pragma once

#include "mainwindow/UCommandState.h"
#include "mainwindow/UMainCommands.h"
#include "mainwindow/UMainFrameForm.h"
#include "mainwindow/UMainSettings.h"
#include "mainwindow/UNetworkDrive.h"
#include "model/UItem.h"

#include <QIcon>

#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace exportdata {
class TFileTrash;
}

namespace mainwindow {

class TMainForm : public TMainFrameForm, public model::TTreeListener {
    Q_OBJECT
public:
    // FormCreate: the initial state, the widgets, the three column groups.
    explicit TMainForm(QWidget* parent = nullptr);
    // FormDestroy: nodes and rows go first, then the item tree.
    ~TMainForm() override;

    // ---- state (read by the tests and the other parts of the window) ----
    [[nodiscard]] model::TRootItem* RootItem() const { return FRootItem.get(); }
    [[nodiscard]] int ViewMode() const { return FViewMode; }
    [[nodiscard]] bool Modified() const { return FModified; }

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
    void SetDialogHooks(TDialogHooks hooks);

    // Menu items and tool buttons (actions), by their form names; the frame holds the rest.
    QAction *RefreshExplore1, *ManualExploration1, *AddPreferredExploration1, *Load1, *Saveas1, *Open3,
        *Delete1;
    QAction* MapDriveDisconnectbutton1;
    QAction *MapDrive1, *Disconnect1;
    QAction *RefreshToolButton, *ManualToolButton, *DeleteToolButton, *MapToolButton, *DisconnectToolButton;
    QMenu *PopupMenuFile, *PopupMenuFolder, *ManualPopup, *PopupMenuPref;
    QAction *Open2, *OpeninWindowsExplorer3, *CopyFilename1, *CopyFoldername1, *CopyCompletePath1, *Saveas3,
        *Delete2, *Refresh3;
    QAction *Open1, *FileLister2, *Analyser2, *OpeninWindowsExplorer2, *AddPref1, *CopyFileName3,
        *CopyCompletePath3, *SaveAs2, *Delete3, *Refresh1;
    QAction *New1, *Open4, *FileLister4, *Analyser4, *Save4;
    QAction *Open5, *FileLister5, *Analyser5, *OpeninWindowsExplorer5, *Auto1, *CopyFileName5,
        *CopyCompletePath5, *SaveAs5, *Delete5, *Refresh5;

    // ---- operations of the views ----
    void ReExploreNode(QTreeWidgetItem* node);
    void OpenTreeNode(bool expand);
    // Incremental find: the first row from start on (wrapping) whose name begins with text,
    // ASCII case ignored; the "Unexplored" row never matches. -1 when none.
    [[nodiscard]] int FindRowByName(const std::string& text, int start) const;
    // A typed character extends the search within the keyboard interval, else starts a new one.
    void ListViewTypeAhead(const QString& typed);

    // Runs the programs of Map Drive and Disconnect (not owned; the desktop's by default).
    void SetProgramRunner(TProgramRunner* runner);
    // The trash of Delete (not owned; the desktop's by default).
    void SetTrash(exportdata::TFileTrash* trash);

    // ---- commands ----
    void RefreshExplore1Click();
    // UMainFormTools.cpp: delete and remove, manual and preferred explorations, network shares.
    void Delete1Click();
    void ManualExploration1Click();
    void AddPreferredExploration1Click();
    void New1Click();
    void AddPref1Click();
    void Auto1Click();
    void MapToolButtonClick();
    void DisconnectToolButtonClick();
    void MapDriveDisconnectbutton1Click();
    [[nodiscard]] bool AskSave() const { return FAskSave; }
    void Open1Click();
    void Saveas1Click();
    void SaveAs2Click();
    void Load1Click();
    // Runs the save choice and the save; tells what came of it.
    TSaveCommandOutcome RunSaveForm(bool preselect);
    TSaveCommandOutcome SaveExploration();
    // The preferred popup for a preferred exploration, the manual one for the two containers of
    // explorations, the folder one for other folders, the file one for the rest.
    [[nodiscard]] QMenu* PopupFor(const model::TItem* item) const override;
    [[nodiscard]] const TCommandState& Commands() const { return FCommands; }

    // TTreeListener: rows and nodes of items that are about to go are dropped first.
    void ItemsAboutToBeRemoved(model::TFolderItem* folder, model::TItem* child) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The frame's hooks.
    [[nodiscard]] model::TRootItem* FrameRoot() const override;
    void BuildRootTree() override;
    bool StartUp() override;
    TFrameCommandState UpdateOwnCommands(bool popupOnly) override;
    [[nodiscard]] std::unique_ptr<TFrameSettings> NewSettings() const override;
    void TakeSettings(const TFrameSettings& s) override;
    void GiveSettings(TFrameSettings& s) const override;
    void OfferOptions(TOptionsForm& form) const override;
    void TakeOptions(const TOptionsForm& form) override;
    [[nodiscard]] std::string ExportSubject(const model::TFolderItem* item) const override;
    void ShowListOf(model::TFolderItem* item) override;
    [[nodiscard]] int GroupOfView(int view) const override;
    [[nodiscard]] int* KeptSortCode(int view) override;
    [[nodiscard]] int ColumnsPage() const override;
    void SetNodeIcon(QTreeWidgetItem* node, const model::TFolderItem* item, bool cut) override;
    void ListNodeChildren(QTreeWidgetItem* node, model::TFolderItem* item) override;
    void ForgetNode(QTreeWidgetItem* node) override;
    [[nodiscard]] QVariant RowIcon(int row) const override;
    void OpenPlaceholderRow() override;
    void OpenFileRow(model::TItem* file) override;
    void ApplyView() override;

private:
    // UMainForm.cpp
    void LoadPreferredExplorations();
    void SavePreferredExplorations();
    bool FormCloseQuery();
    void FormClose();
    // UMainFormMenus.cpp
    void CreateMenus();
    void CreateToolBar();
    void CreatePopups();
    void ApplyCommandState(const TCommandState& s, bool popupOnly);
    // UMainFormViews.cpp
    void ShowDriveList(model::TComputerRootItem* computer);
    void ShowFolderList(model::TFolderItem* item);
    void TreeViewChange();
    [[nodiscard]] TCommandInput CommandInput() const;
    [[nodiscard]] bool IsMountPoint(const model::TItem* item) const;
    // UMainFormTools.cpp
    void DeleteFromDisk();
    void RemoveSelectedExplorations();
    void RemoveExplorations(const std::vector<model::TItem*>& items, bool preferred);
    void NewManualExploration();
    void NewPreferredExploration();
    void AddToPreferred();
    void AddExplorationNode(model::TManualRootItem* container, model::TFolderItem* item);
    void ReExploreComputer();
    bool AskYesNoCancel(const std::string& text, const std::string& caption);
    // UMainFormCommands.cpp
    void UpdatePreferredRootState();
    void ExploreSelectedFolders();

    // Fields of the window, as their names say.
    bool FClosing = false;
    std::unique_ptr<model::TRootItem> FRootItem;
    int FRootSortCode = 0;
    std::vector<model::TItem*> FExploreList;
    QTreeWidgetItem* FExploreNode = nullptr;
    bool FAskSave = true;
    bool FModified = false;

    bool FPreferredMarks = false; // the list shows preferred rows with their auto-explore mark
    mutable std::unordered_map<long long, QIcon> FRowIcons;
    std::vector<std::string> FMountPoints;
    TCommandState FCommands;
    TDialogHooks FHooks;
    TProgramRunner* FRunner = nullptr;
    std::unique_ptr<TProgramRunner> FDesktopRunner;
    exportdata::TFileTrash* FTrash = nullptr; // nullptr: the desktop's
    bool FCloseAllowed = false;
    bool FRefreshPosted = false;
    QString FSearchText; // typed so far by the incremental find
    qint64 FSearchTime = 0;
};

} // namespace mainwindow
