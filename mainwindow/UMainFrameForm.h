// The main-window frame that the explorer's and the viewer's windows are built on: the tool bar and
// path bar above, the item tree and the owner-data list in a splitter, the two-panel status bar;
// the view toggles, the Help menu and the list header's menu; every command both programs have
// (copy, up, collapse, the File Lister, Top 100 and the Analyser, Export Data, the file manager,
// options, exit), made, connected and run here once; the popups of the views and their node;
// the settings both programs store; tree nodes from folder items, the list rows of the tree
// selection in a view with its column group and sort code, the status and path bars, the keyboard
// given back after dialogs, and rows, folders and files opened from the views. Each program's
// window derives from it, adds its own menus and commands and answers the hooks below; where the
// programs differ and no hook is needed, the difference is a field of TFrameDesign.
//
// Ownership: the program's window owns the item tree; nodes and rows hold plain pointers to items,
// and the window drops them (ClearViews) before it frees the tree.
#pragma once

#include "mainwindow/UFocusReturn.h"
#include "mainwindow/UMainCommands.h"
#include "mainwindow/UMainSettings.h"
#include "mainwindow/UStatusText.h"

#include <QMainWindow>
#include <QStyle>
#include <QVariant>

#include <array>
#include <cstdint>
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
class TItemComparator;
class TKPLListView;
struct TProgramProfile;
} // namespace listing
namespace model {
class TFolderItem;
class TItem;
class TRootItem;
} // namespace model
namespace platform {
class TRegistry;
}

namespace mainwindow {

class TOptionsForm;
class TFileAnswers;

// What sets one program's frame apart when it is made.
struct TFrameDesign {
    const char* caption = "";
    int width = 0, height = 0;
    int treeWidth = 0, listWidth = 0; // the splitter's first sizes
    // The column groups of the views, the comparator of a view and sort code, and the settings
    // store (its settingsName).
    const listing::TProgramProfile* profile = nullptr;
    // A folder row opened from the list gives the keyboard to the tree with its node.
    bool openedRowFocusesTree = false;
    // The tree is whole when it is shown (read from a file): no folder waits to be listed, so none
    // gets an expand button before its subfolders are known.
    bool wholeTree = false;
    // The File Lister and the Analyser open beside the window and stay open (owned by it); else
    // they are modal, and the views follow what they deleted when they close.
    bool modelessToolWindows = false;
    // The kind of Options dialog (TOptionsForm::Execute).
    int optionsKind = 0;
    // A right-click on a list row adds it to the selection; else a row that is not selected
    // becomes the selection.
    bool rightClickAddsRow = false;
    // With neither view focused the status bar still names the selection (two or more rows, else
    // the tree's); else it is empty then.
    bool statusWithoutFocus = false;
};

// The commands both programs have. The frame makes their items, connects each once to the one
// handler of its command and enables it from TFrameCommandState; a program puts the items it
// places itself (File menu, popups) in with AddCommandItem and AddPopupItem.
enum class TFrameCommand {
    CopyName,          // CopyFilename1Click
    CopyFolderName,    // CopyFoldername1Click
    CopyPath,          // CopyCompletePath1Click
    Up,                // UpToolButtonClick
    Collapse,          // Collapse1Click
    FileLister,        // FileToolButtonClick
    Top100,            // N100biggestfiles1Click
    Analyser,          // Analyser1Click
    OpenInFileManager, // ExpToolButtonClick
    ExportData,        // ExportData1Click
    Options,           // Options1Click
    Exit,              // closes the window
};
inline constexpr int kFrameCommands = int(TFrameCommand::Exit) + 1;

// Which of the frame's commands are on for the subject, as the program computes it.
struct TFrameCommandState {
    // The subject is a list row: the Edit menu's first item reads "&Copy File Name" and its
    // "Co&py Folder Name" is offered (else "&Copy Name", and no folder name).
    bool listSubject = false;
    bool up = false;
    bool copyName = false; // also the popups' "Co&py Folder Name"
    bool copyPath = false;
    bool folderTools = false; // File Lister, Analyser, Top 100
    bool openInFileManager = false;
    bool exportData = true;
};

class TMainFrameForm : public QMainWindow {
    Q_OBJECT
public:
    ~TMainFrameForm() override;

    // Centres the window, loads the settings and shows it; the start-up work follows 100 ms later.
    void ShowMainWindow();
    // The settings store's file; empty: the program's own (tests give a temporary one).
    void SetSettingsFile(const std::string& fileName) { FSettingsFile = fileName; }

    // ---- state ----
    [[nodiscard]] int SortCode() const { return FSortCode; }
    [[nodiscard]] const std::vector<model::TItem*>& ShownItems() const { return FShownItems; }
    [[nodiscard]] bool StartupDone() const { return FStartupDone; }
    [[nodiscard]] QTreeWidgetItem* NodeOf(const model::TFolderItem* item) const;
    [[nodiscard]] model::TFolderItem* ItemOfNode(const QTreeWidgetItem* node) const;
    [[nodiscard]] QTreeWidgetItem* PopupNode() const { return FPopupNode; }
    [[nodiscard]] listing::TColumnGroup* Group(int index) const { return FGroups[index].get(); }
    // The list rows that are selected, in display order (nullptr for a placeholder row).
    [[nodiscard]] std::vector<model::TItem*> SelectedRows() const;
    [[nodiscard]] model::TFolderItem* SelectedTreeItem() const;
    // The child node of the tree selection that holds item.
    [[nodiscard]] QTreeWidgetItem* FindChildNode(const model::TItem* item) const;
    // The list row of an item, or -1.
    [[nodiscard]] int FindListItem(const model::TItem* item) const;
    // The view that has the keyboard. While a dialog, a progress window or a menu over this window
    // holds it, and until the window is active again after they closed, the view that had it here
    // counts: it gets it back.
    [[nodiscard]] TFocus Focus() const;
    // Gives the keyboard back to view (and the window the activation) once a command's dialogs and
    // progress windows have closed, then shows that view's commands and totals.
    void GiveFocusBack(TFocus view);
    // Held by a command that opens dialogs or progress windows (see TFocusReturn).
    using TFocusReturn = mainwindow::TFocusReturn<TMainFrameForm>;
    // The File Lister and Analyser windows open beside the window (modeless tool windows only).
    [[nodiscard]] std::vector<QWidget*> ToolWindows() const;

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

    // The items of the commands both programs have. The frame makes the Edit, Go, View, Tools and
    // Help menus and the tool buttons; a program's File menu gets the last three through
    // AddCommandItem.
    QAction *CopyFileName2 = nullptr, *CopyFolderName2 = nullptr, *CopyCompletePath2 = nullptr;
    QAction *Up1 = nullptr, *Collapse1 = nullptr;
    QAction *FileLister1 = nullptr, *Analyser1 = nullptr, *N100biggestfiles1 = nullptr, *Options1 = nullptr;
    QAction *TreeView2 = nullptr, *ToolBar2 = nullptr, *ButtonLabel1 = nullptr, *Path1 = nullptr,
            *StatusBar1 = nullptr, *CustomizeColumns1 = nullptr;
    QAction *Contents1 = nullptr, *Tipoftheday1 = nullptr, *TessalundrixWebSite1 = nullptr,
            *OnlineHelp1 = nullptr, *OnlineSupport1 = nullptr, *About1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction *SortAscending1 = nullptr, *SortDescending1 = nullptr, *Columns1 = nullptr;
    QAction *UpToolButton = nullptr, *ExpToolButton = nullptr, *FileToolButton = nullptr,
            *AnaToolButton = nullptr;
    QAction *OpeninWindowsExplorer1 = nullptr, *ExportData1 = nullptr, *Exit1 = nullptr;

    // ---- views ----
    // Lists the tree selection again in its view, sorts it, updates path bar, commands and status bar.
    void RefreshViews();
    void SortList();
    void ApplyColumnGroup();
    void StoreColumnLayout();
    void AddChildNodes(model::TFolderItem* item, QTreeWidgetItem* node);
    // Captions and enabled states of every command for the subject; with popupOnly only the
    // popups' items.
    void UpdateCommands(bool popupOnly);
    // Panel 0 names the subject, panel 1 gives its totals.
    void UpdateStatusBar();

    // ---- the commands both programs have ----
    void CopyFilename1Click();
    void CopyFoldername1Click();
    void CopyCompletePath1Click();
    void UpToolButtonClick();
    void Collapse1Click();
    void FileToolButtonClick();
    void N100biggestfiles1Click();
    void Analyser1Click();
    void ExpToolButtonClick();
    void ExportData1Click();
    void Options1Click();
    // ---- the frame's other commands ----
    void ListViewColumnClick(int column);
    void SortAscending1Click();
    void SortDescending1Click();
    void Columns1Click();
    // Opens the list's current row: a folder row selects its node, another goes to the hooks.
    void ListViewDblClick();
    void Contents1Click();
    void TessalundrixWebSite1Click();
    void OnlineHelp1Click();
    void OnlineSupport1Click();
    void About1Click();
    void Tipoftheday1Click();
    [[nodiscard]] bool ShowTips() const { return FShowTips; }

    // ---- popups ----
    // The popup of an item's node or row; nullptr stands for two or more rows and for a row that
    // holds no item.
    [[nodiscard]] virtual QMenu* PopupFor(const model::TItem* item) const = 0;
    // The popup of a right-click on list row (after the click selected it).
    [[nodiscard]] QMenu* ListPopupFor(int row) const;
    // Shows the popup of a right-click on node at the global point, the commands and the status
    // bar showing the node as the subject meanwhile. The command chosen there acts on the node;
    // once the popup has closed, chosen or not, no node is left as the target. Tests give the
    // action to choose instead of showing the menu.
    void TreeViewContextPopup(QTreeWidgetItem* node, const QPoint& globalPos, QAction* choose = nullptr);

protected:
    explicit TMainFrameForm(const TFrameDesign& design, QWidget* parent = nullptr);

    // ---- hooks of the program ----
    // A program must answer (pure): FrameRoot, BuildRootTree, StartUp, ShowListOf, GroupOfView,
    // SetNodeIcon, UpdateOwnCommands, and PopupFor (public, with the popups above).
    // These have safe defaults; a program answers them only where it differs:
    //   NewSettings, TakeSettings,       the frame's values alone are stored (TFrameSettings at
    //   GiveSettings                     the designed size)
    //   OfferOptions, TakeOptions        the Options dialog's shared options alone
    //   ItemStatusTexts                  the explorer's texts of an item (StatusTexts)
    //   ExportSubject                    the folder's path, " **" when only partly explored
    //   KeptSortCode                     a view keeps its sort code in its column group
    //   ColumnsPage                      the current view's page
    //   PathBarText                      the folder's path
    //   DecorateNewNode                  as UpdateNodeImages
    //   ListNodeChildren                 lists nothing (a tree that is whole)
    //   ForgetNode, ApplyView            the frame's part; an override calls it
    //   RowIcon                          the item's icon, resolved when first painted
    //   OpenPlaceholderRow, OpenFileRow  do nothing
    //   SelectNode                       makes the node the tree's current one
    // Where the programs differ without a hook, the difference is a field of TFrameDesign.

    // The root of the item tree (nullptr before the start-up work built it).
    [[nodiscard]] virtual model::TRootItem* FrameRoot() const = 0;
    // The start-up work, 100 ms after the window is first shown: builds the item tree and its
    // nodes; then the rest of the start (the hourglass shows until it ends); true when the tip of
    // the day is due then.
    virtual void BuildRootTree() = 0;
    virtual bool StartUp() = 0;
    // Fills the shown items with what item lists, in its view (ChangeView).
    virtual void ShowListOf(model::TFolderItem* item) = 0;
    // The column group a view shows; -1 for none.
    [[nodiscard]] virtual int GroupOfView(int view) const = 0;
    // Sets a node's icon for its item (cut: the item is hidden).
    virtual void SetNodeIcon(QTreeWidgetItem* node, const model::TFolderItem* item, bool cut) = 0;
    // Computes the command state of the subject (CommandFocus, CommandNode, the selected rows),
    // shows the program's own commands in it (only its popups' with popupOnly) and gives the state
    // of the frame's commands.
    virtual TFrameCommandState UpdateOwnCommands(bool popupOnly) = 0;

    // Settings, read when the window is first shown and written when it closes (SaveSettings): a
    // record of the program's kind at the designed size (the frame's: TFrameSettings); the
    // program's own values are taken from it after reading and put into it before writing.
    [[nodiscard]] virtual std::unique_ptr<TFrameSettings> NewSettings() const;
    virtual void TakeSettings(const TFrameSettings& s) { (void)s; }
    virtual void GiveSettings(TFrameSettings& s) const { (void)s; }
    // The Options dialog: the program's own options put in before it runs, taken back on OK.
    virtual void OfferOptions(TOptionsForm& form) const { (void)form; }
    virtual void TakeOptions(const TOptionsForm& form) { (void)form; }
    // The status texts of one item (nullptr: nothing).
    [[nodiscard]] virtual TStatusTexts ItemStatusTexts(const model::TItem* item) const;
    // Export Data's subject for the tree selection.
    [[nodiscard]] virtual std::string ExportSubject(const model::TFolderItem* item) const;
    // Where a view keeps its sort code while another is shown; nullptr for none.
    [[nodiscard]] virtual int* KeptSortCode(int view);
    // The Customize Columns page of the current view.
    [[nodiscard]] virtual int ColumnsPage() const;
    // What the path bar shows for a folder.
    [[nodiscard]] virtual std::string PathBarText(const model::TFolderItem* item) const;
    // A new node's look; the frame's: that of UpdateNodeImages.
    virtual void DecorateNewNode(QTreeWidgetItem* node, model::TFolderItem* item);
    // Before a node's children are shown: lists what they need (the frame lists nothing).
    virtual void ListNodeChildren(QTreeWidgetItem* node, model::TFolderItem* item);
    // A node of the tree goes; the frame forgets it (override to forget more, then call this).
    virtual void ForgetNode(QTreeWidgetItem* node);
    // A list row's icon (the frame's: the item's icon, resolved when first painted unless exporting).
    [[nodiscard]] virtual QVariant RowIcon(int row) const;
    // A list row that holds no item, and one that holds a file, was opened.
    virtual void OpenPlaceholderRow() {}
    virtual void OpenFileRow(model::TItem* file) { (void)file; }
    // Makes node the tree selection.
    virtual void SelectNode(QTreeWidgetItem* node);
    // Shows the parts of the window that the View toggles show.
    virtual void ApplyView();

    // ---- the frame's parts for the program ----
    static QAction* AddMenuItem(QMenu* menu, const char* name, const char* caption,
                                const QKeySequence& shortcut = {});
    QAction* AddToolButton(const char* name, const char* caption, const char* hint, const char* icon,
                           QStyle::StandardPixmap fallback);
    // The item of a command in a menu of the menu bar, with the command's name, caption and
    // shortcut (the File menu's "Open in &File Manager", "Ex&port Data..." and "E&xit").
    QAction* AddCommandItem(QMenu* menu, TFrameCommand command);
    // An item of a command in a popup, named and captioned as that popup has it.
    QAction* AddPopupItem(QMenu* popup, const char* name, const char* caption, TFrameCommand command);
    // The tool bar's "Up" (first) and its three buttons on the selected folder (last).
    void AddUpButton();
    void AddFolderButtons();
    // The Edit menu's three copy items and the Go menu.
    void AddEditAndGoMenus();
    // The View menu's toggles with "&Customize Columns..." after them; extra (may be nullptr) goes
    // after "Tool&bar".
    void AddViewMenu(QMenu* view, QAction* extra);
    // The Tools menu: its three windows on a folder, a separator, what own adds (then another
    // separator) and "&Options...".
    void AddToolsMenu(const std::function<void(QMenu*)>& own = {});
    void AddHelpMenu();
    // Settings (see NewSettings): read, clamped onto the screen and applied; written.
    void LoadSettings();
    void SaveSettings();
    [[nodiscard]] platform::TRegistry OpenSettingsStore() const;
    [[nodiscard]] const std::string& SettingsFile() const { return FSettingsFile; }
    [[nodiscard]] QRect ScreenArea() const;

    // What the commands act on: while a tree popup is open its node, with the tree as the view
    // that has the keyboard; else the tree selection and Focus().
    [[nodiscard]] QTreeWidgetItem* CommandNode() const;
    [[nodiscard]] TFocus CommandFocus() const;
    // The folder the File Lister and the Analyser are opened on: the tree selection with the tree
    // focused; with the list focused the selected folder row (a file row: none), with no row the
    // tree selection; nothing without focus.
    [[nodiscard]] model::TFolderItem* FolderSubject() const;
    // The list row of item alone selected and focused, when it has one.
    void ReselectRow(const model::TItem* item);

    void ClearListRows();
    void ClearViews();
    void SetListRows();
    // With the list focused: its top row selected when none is, so the status bar names a row.
    void SelectTopRowWhenNone();
    // Selects the rows that show items (the list rebuilt under other columns keeps its selection).
    void SelectListItems(const std::vector<model::TItem*>& items, const model::TItem* current);
    // Switches the list to view: the old view keeps its layout and sort code, the new one's apply.
    void ChangeView(int view);
    QTreeWidgetItem* NewNode(model::TFolderItem* item, QTreeWidgetItem* parent);
    void DeleteNode(QTreeWidgetItem* node);
    void DeleteNodeChildren(QTreeWidgetItem* node);
    // Resolves a node's icons, dims a hidden item's and sets the node's icon.
    void UpdateNodeImages(QTreeWidgetItem* node);
    void TreeViewExpanding(QTreeWidgetItem* node);
    void ListViewColumnRightClick(int column, const QPoint& pos);
    // The right-click on a list row: selects it and shows its popup.
    void ListViewContextPopup(const QPoint& pos);
    // The node a right-click chose becomes the tree selection for the command that runs now.
    void ApplyPopupNode();
    void UpdatePathBar(model::TFolderItem* item);
    // Shows the folder in the file manager, the file with its application; a failure is said.
    void ShowInFileManager(const std::string& path);
    void OpenWithDesktop(const std::string& path);
    // The exploration file a save writes: the hook's answer where the tests set one, else the save
    // dialog's; "" when cancelled.
    [[nodiscard]] std::string AskSaveFileName(const std::function<std::string()>& hook);
    // Runs work under the progress window of loading or saving ("Loading", "Saving") fileName, the
    // progress manager's maximum set to max first (unless negative); false when the window closed
    // before the work ran. A save first asks the target's folder (SaveTargetAnswers); one that
    // cannot be written to is said as a failed save, and the work does not run.
    bool RunWithFileProgress(const char* verb, const std::string& fileName, std::int64_t max,
                             const std::function<void()>& work);
    // A message box (Ok), or the program's message hook where the tests set one.
    void ShowMessage(const std::string& text, const std::string& caption, int icon);
    void SetMessageHook(std::function<void(const std::string&, const std::string&, int)> hook) {
        FMessageHook = std::move(hook);
    }
    // In place of the tip of the day at start-up, where the tests set one.
    void SetStartupTipHook(std::function<void()> hook) { FStartupTipHook = std::move(hook); }
    // The save choice (kind 0 the explorer's, 1 the viewer's): the hook's answer where the tests set
    // one, else the Save dialog's; false when cancelled, else selectedOnly is set.
    using TSaveChoiceHook =
        std::function<bool(bool preselect, const std::string& selection, bool& selectedOnly)>;
    bool AskSaveChoice(const TSaveChoiceHook& hook, int kind, bool preselect, const std::string& selection,
                       bool& selectedOnly);
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // ---- answers of the file system (UMainFrameFormAnswers.cpp) ----
    // From now on folders are listed and items' own icons looked up on workers (the explorer, whose
    // tree comes from the disk); the views show what comes as it comes.
    void AnswerFileCallsLater();
    // item waits for its listing (and shows no rows meanwhile).
    [[nodiscard]] bool WaitsForListing(const model::TFolderItem* item) const;

    std::vector<model::TItem*> FShownItems;
    std::array<std::unique_ptr<listing::TColumnGroup>, 3> FGroups;
    std::unordered_map<const model::TFolderItem*, QTreeWidgetItem*> FNodes;
    QTreeWidgetItem* FRootNode = nullptr;
    QTreeWidgetItem* FLastNode = nullptr;
    QTreeWidgetItem* FPopupNode = nullptr;
    int FViewMode = -1;
    int FSortCode = 0;
    int FPopupColumn = -1;
    bool FExporting = false;
    bool FStartupDone = false;
    bool FShowTips = true;

private:
    friend class TFileAnswers;
    void CreateWidgets();
    void CreateHeaderMenu();
    void ShowTimerTimer();
    // The one connection of a command's item, and where UpdateCommands finds it.
    void Wire(QAction* item, TFrameCommand command, bool inPopup);
    void RunCommand(TFrameCommand command);
    void ApplyFrameCommands(const TFrameCommandState& s, bool popupOnly);
    void CopyCommand(TCopyKind kind);
    void RunFileLister(int mode);
    // A folder listed on a worker has its subfolders: its node shows them, and the list when it
    // shows that folder.
    void ShowListedFolder(model::TFolderItem* folder);
    // An item took its own icon: its row, node and the path bar show it.
    void ShowArrivedIcon(model::TItem* item);

    TFrameDesign FDesign;
    std::string FSettingsFile;
    std::array<std::vector<QAction*>, kFrameCommands> FMenuItems, FPopupItems;
    std::function<void(const std::string&, const std::string&, int)> FMessageHook;
    std::function<void()> FStartupTipHook;
    std::unique_ptr<TFileAnswers> FFileAnswers;
};

} // namespace mainwindow
