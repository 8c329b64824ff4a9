// The column catalogue (every list column by id, with its texts, width, alignment and kind), the
// cell texts and export values of items and analyser rows, and the column groups with their stored
// layouts. Plain C++: list views take part through the TListColumns interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/PDates.h"

namespace model {
class TItem;
class TFolderItem;
class TDriveItem;
} // namespace model

namespace analyser {
class TAnalyserBaseData;
} // namespace analyser

namespace listing {

// Column kinds, read by the data export (size, percent and count are written as numbers).
enum TColumnKind : std::int32_t {
    kKindText = 0,
    kKindSize = 1,
    kKindPercent = 2,
    kKindDate = 3,
    kKindCount = 4
};
enum TColumnAlign : std::uint8_t { kAlignLeft = 0, kAlignRight = 1 };
// Unit codes of the size columns.
enum TSizeUnit : std::int32_t { kUnitBytes = 0, kUnitKB = 1, kUnitMB = 2, kUnitGB = 3 };

struct TColumnItem {
    std::int32_t ID = 0;
    std::string Name;    // long name, shown in the Customize Columns dialog
    std::string Caption; // header text
    std::uint8_t Alignment = kAlignLeft;
    std::int32_t Width = 0; // default width in pixels
    std::int32_t Kind = kKindText;
};

// How far an item's values are known.
enum class TExploreState { Complete, Partial, Unexplored };
// A folder whose IsExplored is false is partial when it HasExploredContent, else unexplored; every
// other item is complete. Walks the folder's subtree when it is not explored.
[[nodiscard]] TExploreState ExploreState(const model::TItem* item);

// A day count as the locale's short date, a blank and its long time; the time is left out at
// exactly midnight; a value that is not finite or outside years 1..9999 gives "". The formats are
// the C library's (LC_TIME: "%x" and "%X") unless set otherwise.
[[nodiscard]] std::string FormatDateTime(platform::TDateTime value);
void SetDateTimeFormats(std::string dateFormat, std::string timeFormat);

// The attribute letters "R", "H", "S", "A" that are set, in that order.
[[nodiscard]] std::string AttributeLetters(std::uint32_t attributes);
// The extension of a name from its last dot on, or "none".
[[nodiscard]] std::string ExtensionText(const std::string& name);

// The catalogue: one object per program (ColumnCatalogue), shared by every list.
class TColumnList {
public:
    TColumnList(); // units at their defaults, the 45 entries filled
    TColumnList(const TColumnList&) = delete;
    TColumnList& operator=(const TColumnList&) = delete;

    [[nodiscard]] int Count() const { return static_cast<int>(FItems.size()); }
    [[nodiscard]] const TColumnItem* At(int index) const { return FItems[index].get(); }
    // The entry of an id, or nullptr (ids 22-49 and anything outside 0-72 have none).
    [[nodiscard]] const TColumnItem* FindColumn(int id) const;
    void AddColumn(int id, const std::string& name, const std::string& caption, std::uint8_t alignment,
                   std::int32_t kind, std::int32_t width);

    // Unit of "Size" (id 1), of the used and drive space columns (11-14), of the analyser's
    // "Space used" columns (59, 63, 67, 71). Set by the Options dialog; not stored.
    int SizeUnit = kUnitKB;
    int SpaceUnit = kUnitGB;
    int AnalyserSpaceUnit = kUnitKB;

    // Cell text of an item (empty where the column does not apply); nullptr gives "".
    [[nodiscard]] std::string GetCellText(int id, const model::TItem* item) const;
    [[nodiscard]] std::int64_t GetInt64Value(int id, const model::TItem* item) const;
    [[nodiscard]] double GetFloatValue(int id, const model::TItem* item) const;
    [[nodiscard]] bool IsInt64Cell(int id, const model::TItem* item) const;
    [[nodiscard]] bool IsFloatCell(int id, const model::TItem* item) const;

    // The same for analyser rows (TOTAL and separator rows included).
    [[nodiscard]] std::string GetCellText(int id, const analyser::TAnalyserBaseData* row) const;
    [[nodiscard]] std::int64_t GetInt64Value(int id, const analyser::TAnalyserBaseData* row) const;
    [[nodiscard]] double GetFloatValue(int id, const analyser::TAnalyserBaseData* row) const;
    [[nodiscard]] bool IsInt64Cell(int id, const analyser::TAnalyserBaseData* row) const;
    [[nodiscard]] bool IsFloatCell(int id, const analyser::TAnalyserBaseData* row) const;

    // A byte count in a unit code, as the size columns write it ("12 KB"); an unknown code
    // falls to fallback.
    [[nodiscard]] static std::string FormatInUnit(std::int64_t bytes, int unit, int fallback);

private:
    void FillCatalogue();
    std::vector<std::unique_ptr<TColumnItem>> FItems;
};

// The program's catalogue, made on first use.
TColumnList& ColumnCatalogue();

// A drive's space counts as known: the drive is listed (the viewer's stored drives always are)
// and both numbers were measured.
[[nodiscard]] bool DriveSpaceKnown(const model::TDriveItem* drive);
[[nodiscard]] bool DriveListed(const model::TDriveItem* drive);
// part * 100 / total in extended precision; 0 when total is 0 or less.
[[nodiscard]] double PercentOf(std::int64_t part, std::int64_t total);

// What a column group needs of a list view (the Qt list view implements it; tests use a fake).
// Positions are display positions; the list keeps its first column at position 0.
class TListColumns {
public:
    virtual ~TListColumns() = default;
    virtual void BeginColumnUpdate() = 0;
    virtual void EndColumnUpdate() = 0;
    virtual void ClearColumns() = 0;
    // Appends a column: no auto-size, width bounds 0 to 800, tag = catalogue id.
    virtual void AddColumn(const std::string& caption, int width, int alignment, int tag) = 0;
    [[nodiscard]] virtual int ColumnCount() const = 0;
    [[nodiscard]] virtual int ColumnTagAt(int position) const = 0;
    [[nodiscard]] virtual int ColumnWidthAt(int position) const = 0;
    // Index of the sorted column in creation order, -1 for none; the arrow direction.
    virtual void SetSortColumn(int index) = 0;
    [[nodiscard]] virtual int SortColumn() const = 0;
    virtual void SetSortColumnUp(bool up) = 0;
    [[nodiscard]] virtual bool SortColumnUp() const = 0;
};

struct TColumnSize {
    std::int32_t ID = 0;
    std::int32_t Width = 0;
};

// One view's column layout: which catalogue columns it offers, their order, how many are visible,
// their widths and the list's sort code.
class TColumnGroup {
public:
    // visibleCount < 0 or above the number of ids becomes that number; ids the catalogue lacks
    // stay in both orders as -1 and get no width.
    TColumnGroup(TListColumns* listView, int visibleCount, const std::vector<int>& ids, std::string caption);

    std::vector<std::int32_t> DefaultOrder;
    std::int32_t DefaultVisibleCount = 0;
    std::vector<std::int32_t> Order;
    std::vector<TColumnSize> Widths;
    std::vector<TColumnSize> EditWidths;
    std::int32_t VisibleCount = 0;
    std::int32_t ColumnCount = 0;
    std::string Caption;
    bool Modified = false;
    std::int32_t SortCode = -1;
    TListColumns* ListView = nullptr; // not owned

    void SetVisibleCount(int n);
    void SetColumnAt(int index, int id);
    [[nodiscard]] int ColumnIdAt(int index) const;
    [[nodiscard]] const TColumnItem* ColumnAt(int index) const;
    [[nodiscard]] int DefaultIdAt(int index) const;
    [[nodiscard]] const TColumnItem* DefaultColumnAt(int index) const;
    [[nodiscard]] bool IsVisible(int id) const;
    [[nodiscard]] int IndexOfId(int id) const;
    void ShowColumn(int id);
    [[nodiscard]] int GetWidth(int id) const;
    [[nodiscard]] int WidthAt(int index) const;
    void SetWidth(int id, int width);
    [[nodiscard]] int GetEditWidth(int id) const;
    void SetEditWidth(int id, int width);
    void ResetEditWidths();
    void DefaultEditWidths();
    void ApplyEditWidths();
    void ClearModified() { Modified = false; }

    // ColumnCount, VisibleCount, then (id, width) per position.
    [[nodiscard]] std::vector<std::int32_t> SaveToArray() const;
    // Takes a stored layout only when it has this group's column count, a visible count from 1 to
    // ColumnCount and a permutation of the group's own ids with its first id first; anything else
    // leaves the group as it was (false). Widths outside 0 to 800 are not taken.
    bool LoadFromArray(const std::vector<std::int32_t>& values);

    // Rebuilds the list view's columns and marks the sorted one. When no visible column matches
    // SortCode (the column is hidden, or the code is negative), the code settles on the first
    // column ascending. Returns the code now in force: the owner adopts it and sorts by it.
    int ApplyToListView();
    // Widths and order back from the list view (position 0 is never rewritten).
    void ReadBackFromListView();
};

// Stored layout as bytes: each integer little-endian int32.
[[nodiscard]] std::vector<std::uint8_t> LayoutToBytes(const std::vector<std::int32_t>& values);
// size div 4 integers (a trailing partial integer is dropped); nothing when 7 bytes or fewer.
[[nodiscard]] std::vector<std::int32_t> LayoutFromBytes(const std::vector<std::uint8_t>& bytes);

} // namespace listing
