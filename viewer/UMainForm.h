// The viewer's main window: the frame (mainwindow/UMainFrameForm.h) showing the tree of loaded
// files, with what the viewer adds. It explores nothing: files are loaded, closed and combined into
// new files (UViewerFiles.h holds those decisions, UViewerState.h the command state, status texts
// and settings rules).
//
// Ownership: the window owns the root "All Files" and so every loaded file. Tree nodes and list
// rows hold plain pointers; a file's rows, nodes and File Lister and analyser windows go before
// the file does.
#pragma once

#include "mainwindow/UMainFrameForm.h"
#include "viewer/UItem.h"
#include "viewer/UViewerState.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace viewer {

// Makes the viewer's listing profile current: its column groups and comparators, and its loaded
// files as the items whose rows show no dates and attributes. Call once at start.
void InstallViewerProfile();

class TMainForm : public mainwindow::TMainFrameForm {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr); // FormCreate
    ~TMainForm() override;                         // FormDestroy

    // The program's arguments after its name: exactly one is a file to load at start.
    void SetArguments(QStringList arguments) { FArguments = std::move(arguments); }

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
    void SetDialogHooks(TDialogHooks hooks);

    // ---- state ----
    [[nodiscard]] TRootItem* RootItem() const { return FRootItem.get(); }
    [[nodiscard]] int CurrentView() const { return FViewMode; }
    [[nodiscard]] const TViewerCommands& Commands() const { return FCommands; }

    // ---- widgets, by their form names (the frame holds the rest) ----
    QAction *Load1, *Close1, *Saveas1;
    QAction *ToolButton5, *ToolButton1;
    QMenu *PopupMenuFile, *PopupMenuFolder;
    QAction *FileLister2, *Analyser2, *OpeninWindowsExplorer2, *CopyFileName3, *CopyCompletePath3, *Save2,
        *Close2;
    QAction *OpeninWindowsExplorer3, *CopyFilename1, *CopyFoldername1, *CopyCompletePath1, *Save3, *Close3;

    void SelectNode(QTreeWidgetItem* node) override;
    // The folder popup for a folder item, the file popup for the rest.
    [[nodiscard]] QMenu* PopupFor(const model::TItem* item) const override;

    // ---- commands ----
    void AskAndLoadFile();
    void LoadFileWithProgress(const std::string& fileName);
    void Close1Click();
    void CloseFiles(const std::vector<TFileRootItem*>& files);
    void SaveAllfilesin1files1Click();
    void Save1Click();
    void RunSaveForm(bool preselect);
    void SaveExploration();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The frame's hooks.
    [[nodiscard]] model::TRootItem* FrameRoot() const override;
    void BuildRootTree() override;
    bool StartUp() override;
    void ShowListOf(model::TFolderItem* item) override;
    [[nodiscard]] int GroupOfView(int view) const override;
    mainwindow::TFrameCommandState UpdateOwnCommands(bool popupOnly) override;
    [[nodiscard]] mainwindow::TStatusTexts ItemStatusTexts(const model::TItem* item) const override;
    [[nodiscard]] std::string ExportSubject(const model::TFolderItem* item) const override;
    [[nodiscard]] std::string PathBarText(const model::TFolderItem* item) const override;
    void DecorateNewNode(QTreeWidgetItem* node, model::TFolderItem* item) override;
    void SetNodeIcon(QTreeWidgetItem* node, const model::TFolderItem* item, bool cut) override;

private:
    void CreateMenus();
    void CreatePopups();
    void CloseWindowsOfItem(const TFileRootItem* file);
    [[nodiscard]] TViewerInput Input() const;

    std::unique_ptr<TRootItem> FRootItem;
    TViewerCommands FCommands;
    TDialogHooks FHooks;
    QStringList FArguments;
};

} // namespace viewer
