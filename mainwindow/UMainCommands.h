// The parts of the main window's commands that need no window: what the save dialog names as the
// selection, which items a save of the selection marks, the load dialog's extension test, and
// whether the window may close after the save question.
#pragma once

#include "mainwindow/UCommandState.h"

#include <string>
#include <string_view>
#include <vector>

namespace model {
class TItem;
class TRootItem;
} // namespace model

namespace mainwindow {

// What one save command came to.
enum class TSaveCommandOutcome {
    SavedAll,      // the whole tree was written: nothing unsaved is left
    SavedSelected, // only the selection was written
    NothingToSave, // nothing explored: no file was offered
    Cancelled,     // a dialog was cancelled, or the progress window
    Failed,        // writing failed: an error was shown
};

[[nodiscard]] inline bool IsSaved(TSaveCommandOutcome o) {
    return o == TSaveCommandOutcome::SavedAll || o == TSaveCommandOutcome::SavedSelected;
}

// The answers to "Some or all explorations have not been saved."
enum class TCloseAnswer { NotAsked, Yes, No, Cancel };

// Yes closes only when the save it led to wrote something or there was nothing to save; a cancelled
// or failed save keeps the window (and the unsaved work) open.
[[nodiscard]] bool MayClose(TCloseAnswer answer, TSaveCommandOutcome outcome);

// The save dialog's text for the selection: "N items selected", one item's path, or empty.
[[nodiscard]] std::string SelectionCaption(TFocus focus,
                                           const std::vector<const model::TItem*>& listSelection,
                                           const model::TItem* treeItem);

// Marks what "Currently Selected Item(s):" saves, after clearing every old mark below root: the
// selected rows' items with the list focused (rows without item skipped), else the tree item.
void MarkSelection(model::TRootItem& root, TFocus focus, const std::vector<model::TItem*>& listSelection,
                   model::TItem* treeItem);

// The load dialog takes only names ending in ".txf" (any case).
[[nodiscard]] bool HasExplorationExtension(std::string_view fileName);

} // namespace mainwindow
