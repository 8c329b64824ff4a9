// The viewer window's plain decisions: which view an item opens, which commands are on, the
// status-bar texts, the export title and the settings with their clamps. No widgets here, so that
// every rule is tested without a window.
#pragma once

#include "mainwindow/UMainSettings.h"
#include "viewer/UViewerFiles.h"

#include <array>
#include <cstdint>
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

// ---- status bar ----

struct TViewerStatus {
    std::string name;   // panel 0
    std::string totals; // panel 1
};

// The subject is the tree selection with the tree focused, the one selected row with the list
// focused, the whole selection for two or more rows.
[[nodiscard]] TViewerStatus ViewerStatus(const TViewerInput& in);

// ---- other texts ----

// Export Data's title for the tree selection.
[[nodiscard]] std::string ExportTitle(const TItem* item, const TItem* root);
// What the save choice names as the current selection.
[[nodiscard]] std::string SelectionCaption(const TViewerInput& in);
// The items a selection save marks: every selected row with the list focused (one or more),
// else the tree selection.
[[nodiscard]] std::vector<TItem*> SelectionToSave(const TViewerInput& in);

// ---- settings ----

inline constexpr int kViewerDesignWidth = 660;
inline constexpr int kViewerDesignHeight = 440;

struct TViewerSettings : mainwindow::TFrameSettings {
    TViewerSettings() : TFrameSettings{kViewerDesignWidth, kViewerDesignHeight} {}
    bool showTips = true;
};

// The window centred on a screen of that size at its designed size.
[[nodiscard]] TViewerSettings DefaultViewerSettings(int screenWidth, int screenHeight);
// Left and top at least 0, at least 400 x 200, at most the screen, far edges on the screen.
void ClampViewerWindow(TViewerSettings& s, int screenWidth, int screenHeight);

// The value names, in the order they are read and written.
inline constexpr std::array<const char*, 3> kColumnValues = {"Columns 0", "Columns 1", "Columns 2"};

} // namespace viewer
