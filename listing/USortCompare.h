// Sort codes and the comparators of item lists: the File Lister's, the main window's folder, drive
// and top-item lists, and the viewer's drives-first name order.
//
// Sort code = 2 * column id, + 1 for descending; -1 = none chosen. Every comparator is a strict weak
// order: it derives one key per row (TSortKey) and compares keys, so a whole sort computes each
// row's key once (SortItems) and a single comparison (operator()) gives the same answer.
//
// Shared rules: texts compare upper-cased (ASCII letters), byte-wise as unsigned characters, a
// prefix first; sizes and counts as int64; dates as doubles with NaN one value below every date.
// Descending reverses only the primary comparison: missing rows (nullptr) first, folders before
// files in the main window, rows without a value (negative sentinels) after those with one, and
// the tie-break (names, drive letters or sort keys, ascending) stay as they are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace model {
class TItem;
}

namespace listing {

// The row key a comparator derives. Compared in this order: part (ascending), sub and the primary
// (in the comparator's direction), tie (ascending, upper-cased).
struct TSortKey {
    std::int32_t part = 0;
    std::int32_t sub = 0;
    std::int64_t number = 0;
    double real = 0;
    std::string text;      // upper-cased already
    std::string_view view; // a name, compared upper-cased
    std::string_view tie;  // compared upper-cased
};

enum class TSortFamily { FileLister, Item, Drive, Top, Viewer };
enum class TSortKeyKind {
    Name,
    Size,
    Type,
    Modified,
    Created,
    Accessed,
    Attributes,
    InFolder,
    Path,
    Files,
    Folders,
    Extension,
    ModifiedReal,
    CreatedReal,
    AccessedReal, // the item's own dates
    Letter,
    UsedSpace,
    UsedOnDrive,
    Total,
    Free,
    UsedPercent,
    FreePercent,    // drive list
    Order,          // top items by their sort key
    NameDrivesFirst // the viewer's name order: drives, folders, files
};

enum class TPrimaryType : std::uint8_t { Number, Real, Text, View, None };

class TItemComparator {
public:
    using TKeyFunc = void (*)(const model::TItem* row, bool descending, TSortKey& key);

    const char* Name; // "CompareBySize", ...
    TSortFamily Family;
    TSortKeyKind Key;
    bool Descending;
    TPrimaryType Primary;
    TKeyFunc MakeKey;

    // <0, 0, >0 when a sorts before, with or after b.
    [[nodiscard]] int operator()(const model::TItem* a, const model::TItem* b) const;
    [[nodiscard]] int CompareKeys(const TSortKey& a, const TSortKey& b) const;
};

// The comparator of a family and key in one direction; nullptr when the family has no such key.
[[nodiscard]] const TItemComparator* FindComparator(TSortFamily family, TSortKeyKind key, bool descending);
// Every comparator (for tests and benchmarks).
[[nodiscard]] const std::vector<const TItemComparator*>& AllComparators();

// The new sort code after a click on the column of id: the same column again flips the direction,
// another column starts ascending.
[[nodiscard]] int SortCodeAfterClick(int currentCode, int clickedId);

// Selectors: the comparator for a sort code. Codes a view does not offer fall to its default.
// The desktop explorer's main window: view 0 folder list, 1 drive list, 2 folder list (normal
// view), 3 top items; another view sorts nothing (nullptr).
[[nodiscard]] const TItemComparator* SelectExplorerComparator(int view, int sortCode);
// The viewer's main window: view 0 folder, 1 root (loaded files), 2 file (one file's top items).
[[nodiscard]] const TItemComparator* SelectViewerComparator(int view, int sortCode);
// The File Lister (both programs).
[[nodiscard]] const TItemComparator* SelectFileListerComparator(int sortCode);

// Sorts rows stably (equal rows keep their order), computing each row's key once. The keys are
// packed into integer records (texts by 16-byte chunks, few-valued texts by rank), so the order is
// exactly the comparator's. Costs one key and about 100 bytes per row while it runs.
void SortItems(std::vector<model::TItem*>& rows, const TItemComparator& comparator);
void SortItems(model::TItem** rows, std::size_t count, const TItemComparator& comparator);

} // namespace listing
