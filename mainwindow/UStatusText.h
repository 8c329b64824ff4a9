// The two status-bar panels of the main window for a selection: panel 0 names it, panel 1 gives
// its totals. Plain text, so that every class's wording is testable without a window.
#pragma once

#include <string>
#include <vector>

namespace model {
class TItem;
}

namespace mainwindow {

struct TStatusTexts {
    std::string name;   // panel 0
    std::string totals; // panel 1
};

// One item (nullptr: nothing selected).
[[nodiscard]] TStatusTexts StatusTexts(const model::TItem* item);
// Several selected list rows in display order; nullptr entries (the "Unexplored" row) are not counted.
[[nodiscard]] TStatusTexts StatusTexts(const std::vector<const model::TItem*>& rows);

} // namespace mainwindow
