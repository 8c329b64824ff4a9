// What the Customize Columns dialog edits for one column group: the check list (order and
// visibility), the selection, the buttons' states and the edited widths. The dialog only mirrors
// it, so the whole behaviour is testable without a window.
#pragma once

#include "listing/UColumn.h"

#include <string>
#include <vector>

namespace listing {

class TColumnsEditor {
public:
    struct TEntry {
        int id;
        std::string name; // the catalogue's long name
        bool checked;
    };
    struct TButtons {
        bool moveUp = false, moveDown = false, show = false, hide = false;
        bool width = false; // the width field is usable
        int widthValue = 0;
    };

    // Fills the list from the group's current layout. The group is not owned and must outlive
    // the editor; it changes only in Apply.
    explicit TColumnsEditor(TColumnGroup& group);

    [[nodiscard]] const std::vector<TEntry>& Entries() const { return FEntries; }
    [[nodiscard]] TColumnGroup& Group() const { return *FGroup; }
    [[nodiscard]] int Selected() const { return FSelected; }
    void Select(int index); // -1 or outside: no selection
    // The states of Move Up, Move Down, Show, Hide and the width field for the selection. The
    // dialog asks after every change, check changes included.
    [[nodiscard]] TButtons Buttons() const;

    void MoveUp();
    void MoveDown();
    void Show();
    void Hide();
    // A check box was clicked: the entry becomes the selection; the first entry (the naming
    // column) cannot be unchecked.
    void SetChecked(int index, bool checked);
    // The group's defaults (order, visible count, catalogue widths); no selection afterwards.
    void Reset();
    // The width field: the selected column's edited width.
    void SetWidth(int width);

    // OK: checked ids first, in list order, then the unchecked ones; the edited widths.
    void Apply();

private:
    void Fill(bool defaults);
    TColumnGroup* FGroup;
    std::vector<TEntry> FEntries;
    int FSelected = -1;
};

} // namespace listing
