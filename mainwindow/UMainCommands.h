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

// What the copy commands put on the clipboard for one item.
enum class TCopyKind { FileName, FolderName, CompletePath };
[[nodiscard]] std::string CopyItemText(const model::TItem& item, TCopyKind kind);

// The clipboard text of the copy commands: one item's text alone; with several (list rows in display
// order, rows without item skipped) each text followed by a plain line break, the last one too.
// Empty when nothing carries an item.
[[nodiscard]] std::string CopyText(const std::vector<const model::TItem*>& items, bool several,
                                   TCopyKind kind);

// The subject line of the main list's export: "My Computer" for the root, else the folder's path,
// marked " **" when the folder holds explored content without being explored itself.
[[nodiscard]] std::string ExportSubjectText(const model::TItem* item, bool isRoot);

// Only local absolute paths become preferred explorations; a server ("//server/") cannot be
// explored by itself.
[[nodiscard]] bool AcceptsPreferredPath(std::string_view path);

// The paths handed to the trash for a delete: every item's path, a folder's without its trailing
// "/" (the root "/" itself stays as it is).
[[nodiscard]] std::vector<std::string> TrashPaths(const std::vector<const model::TItem*>& items);

} // namespace mainwindow
