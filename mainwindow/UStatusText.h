// The two status-bar panels of the main window for a selection: panel 0 names it, panel 1 gives
// its totals. Plain text, so that every class's wording is testable without a window.
#pragma once

#include <string>
#include <vector>

namespace model {
class TFolderItem;
class TItem;
} // namespace model

namespace mainwindow {

struct TStatusTexts {
    std::string name;   // panel 0
    std::string totals; // panel 1
};

// One item (nullptr: nothing selected).
[[nodiscard]] TStatusTexts StatusTexts(const model::TItem* item);
// Several selected list rows in display order; nullptr entries (the "Unexplored" row) are not counted.
[[nodiscard]] TStatusTexts StatusTexts(const std::vector<const model::TItem*>& rows);
// Panel 1 of a folder: "Unexplored" when neither it nor anything below it is explored, else its
// totals, every number marked "** " when only what it holds is explored.
[[nodiscard]] std::string FolderTotals(const model::TFolderItem& folder);

} // namespace mainwindow
