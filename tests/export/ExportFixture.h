// A listing made by hand for the export tests: rows of cells with texts and optional values, the way
// the column catalogue would give them, without an item tree.
#pragma once

#include "export/UExportData.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace exporttest {

struct TCell {
    TCell(std::string text = {}, std::optional<std::int64_t> value = {}, std::optional<double> percent = {})
        : Text(std::move(text)), Int(value), Float(percent) {}
    std::string Text;
    std::optional<std::int64_t> Int;
    std::optional<double> Float;
};

struct TRow {
    std::vector<TCell> Cells;
    exportdata::TRowClass Class = exportdata::TRowClass::Normal;
    bool Partial = false;
};

class TTableListing : public exportdata::TExportListing {
public:
    std::vector<exportdata::TExportColumn> Columns;
    std::vector<TRow> Rows;

    int RowCount() const override { return static_cast<int>(Rows.size()); }
    int ColumnCount() const override { return static_cast<int>(Columns.size()); }
    exportdata::TExportColumn Column(int c) const override { return Columns[static_cast<size_t>(c)]; }
    std::string CellText(int c, int r) const override { return Cell(c, r).Text; }
    bool IsInt64Cell(int c, int r) const override { return Cell(c, r).Int.has_value(); }
    std::int64_t Int64Value(int c, int r) const override { return Cell(c, r).Int.value_or(-1); }
    bool IsFloatCell(int c, int r) const override { return Cell(c, r).Float.has_value(); }
    double FloatValue(int c, int r) const override { return Cell(c, r).Float.value_or(0); }
    exportdata::TRowClass RowClass(int r) const override { return Rows[static_cast<size_t>(r)].Class; }
    bool IsPartialFolder(int r) const override { return Rows[static_cast<size_t>(r)].Partial; }

private:
    const TCell& Cell(int c, int r) const {
        static const TCell empty;
        const auto& cells = Rows[static_cast<size_t>(r)].Cells;
        return static_cast<size_t>(c) < cells.size() ? cells[static_cast<size_t>(c)] : empty;
    }
};

// The fixture of the golden files: a comma, a quote, a newline, a tab and an accent in names, a
// partly explored and an unexplored folder, an analyser separator and TOTAL row, a percentage, a date.
inline TTableListing FixtureListing() {
    using exportdata::TRowClass;
    TTableListing l;
    l.Columns = {{0, "Name", 0, exportdata::kKindText},
                 {1, "Size", 1, exportdata::kKindSize},
                 {3, "Modified", 0, exportdata::kKindDate},
                 {9, "Files", 1, exportdata::kKindCount},
                 {17, "% Used Space", 1, exportdata::kKindPercent}};
    const std::string sep20(20, '-'), sep15(15, '-');
    l.Rows = {
        {{{"report, final.txt"}, {"2 KB", 1536}, {"10/12/2026 09:30:15"}, {}, {"12.5 %", {}, 12.5}}},
        {{{"say \"hi\".txt"}, {"0 KB", 0}, {"01/02/2025"}, {}, {"0.0 %", {}, 0.0}}},
        {{{"two\nlines.txt"},
          {"1,048,577 KB", 1073741825},
          {"31/12/1999 23:59:59"},
          {},
          {"99.9 %", {}, 99.94}}},
        {{{"caf\xC3\xA9\ttab"}, {"1 KB", 100}, {""}, {}, {}}},
        {{{"partial"}, {"4,883 KB **", 5000000}, {"05/06/2024 12:00:00"}, {"12 **", 12}, {}},
         TRowClass::Normal,
         true},
        {{{"unexplored"}, {"Unexplored"}, {""}, {"Unexplored"}, {}}},
        {{{sep20}, {sep20}, {sep20}, {sep20}, {sep15}}, TRowClass::Separator},
        {{{"TOTAL"}, {"1,053,461 KB", 1078743461}, {""}, {"12", 12}, {"100.0 %", {}, 100.0}},
         TRowClass::Total},
    };
    return l;
}

} // namespace exporttest
