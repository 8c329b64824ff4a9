// The viewer window's plain decisions: which view an item opens, which commands are on, the
// status-bar texts of an item, the export's subject and what a save of the selection takes. No
// widgets here, so that every rule is tested without a window.
#pragma once

#include "mainwindow/UStatusText.h"
#include "viewer/UViewerFiles.h"

#include <string>
#include <vector>

namespace viewer {

// The viewer's three list views.
enum : int { kViewNone = -1, kViewFolder = 0, kViewRoot = 1, kViewFile = 2 };

// The view that shows the children of item: the root, a loaded file, or any other folder.
[[nodiscard]] int ViewOfItem(const TItem* item, const TItem* root);

// ---- command state ----

struct TViewerInput {
    TFocus focus = TFocus::None;
    std::vector<TItem*> selectedRows; // list rows in display order
    TItem* treeSelection = nullptr;
    const TItem* root = nullptr;
};

struct TViewerCommands {
    bool close = false;
    bool openInExplorer = false;
    bool copy = false;
    bool listerAnalyser = false;
    bool up = false;
    bool exportData = true;
    bool save = true;
    bool listSubject = false; // the first copy item reads "&Copy File Name" (else "&Copy Name")
};

[[nodiscard]] TViewerCommands ViewerCommands(const TViewerInput& in);

// ---- texts ----

// The status-bar texts of one item (nullptr: none): a loaded file is a "TX File" and a drive has no
// free space to tell; the rest as in the explorer.
[[nodiscard]] mainwindow::TStatusTexts ViewerStatusTexts(const TItem* item);

// Export Data's subject for the tree selection: "All Files" for the root, a loaded file's path,
// else as in the explorer.
[[nodiscard]] std::string ViewerExportSubject(const TItem* item, const TItem* root);
// What the save choice names as the current selection.
[[nodiscard]] std::string SelectionCaption(const TViewerInput& in);
// The items a selection save marks: every selected row with the list focused (one or more),
// else the tree selection.
[[nodiscard]] std::vector<TItem*> SelectionToSave(const TViewerInput& in);

// The window's designed size.
inline constexpr int kViewerDesignWidth = 660;
inline constexpr int kViewerDesignHeight = 440;

} // namespace viewer
