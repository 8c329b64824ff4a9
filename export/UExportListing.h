// The listing layer seen by the export: a list's rows in display order and its column group, read
// through the column catalogue, so that what is exported is what the list shows. And the program's
// progress manager seen as the export's progress.
#pragma once

#include "export/UExportData.h"

#include "listing/UColumn.h"

#include <vector>

namespace model {
class TItem;
}
namespace analyser {
class TAnalyserBaseData;
}

namespace exportdata {

// Items are ordinary rows; a folder not explored itself but holding explored content is partial.
TRowClass RowClassOf(const model::TItem* item);
bool IsPartial(const model::TItem* item);
// Analyser rows: the separator and the TOTAL; never partial.
TRowClass RowClassOf(const analyser::TAnalyserBaseData* row);
bool IsPartial(const analyser::TAnalyserBaseData* row);

// Row is model::TItem (main list, File Lister) or analyser::TAnalyserBaseData (analyser tables).
// Nothing is owned: rows, group and catalogue must outlive the listing.
template <class Row> class TCatalogueListing : public TExportListing {
public:
    TCatalogueListing(std::vector<const Row*> rows, const listing::TColumnGroup& group,
                      const listing::TColumnList& catalogue = listing::ColumnCatalogue())
        : FRows(std::move(rows)), FGroup(group), FCatalogue(catalogue) {}

    int RowCount() const override { return static_cast<int>(FRows.size()); }
    // The group's first VisibleCount columns, in display order.
    int ColumnCount() const override { return FGroup.VisibleCount; }
    TExportColumn Column(int column) const override {
        TExportColumn c;
        c.ID = FGroup.ColumnIdAt(column);
        if (const listing::TColumnItem* item = FGroup.ColumnAt(column)) {
            c.Caption = item->Caption;
            c.Alignment = item->Alignment;
            c.Kind = item->Kind;
        }
        return c;
    }
    std::string CellText(int column, int row) const override {
        return FCatalogue.GetCellText(FGroup.ColumnIdAt(column), At(row));
    }
    bool IsInt64Cell(int column, int row) const override {
        return FCatalogue.IsInt64Cell(FGroup.ColumnIdAt(column), At(row));
    }
    std::int64_t Int64Value(int column, int row) const override {
        return FCatalogue.GetInt64Value(FGroup.ColumnIdAt(column), At(row));
    }
    bool IsFloatCell(int column, int row) const override {
        return FCatalogue.IsFloatCell(FGroup.ColumnIdAt(column), At(row));
    }
    double FloatValue(int column, int row) const override {
        return FCatalogue.GetFloatValue(FGroup.ColumnIdAt(column), At(row));
    }
    TRowClass RowClass(int row) const override { return RowClassOf(At(row)); }
    bool IsPartialFolder(int row) const override { return IsPartial(At(row)); }

private:
    const Row* At(int row) const { return FRows[static_cast<std::size_t>(row)]; }
    std::vector<const Row*> FRows;
    const listing::TColumnGroup& FGroup;
    const listing::TColumnList& FCatalogue;
};

using TItemListing = TCatalogueListing<model::TItem>;
using TAnalyserListing = TCatalogueListing<analyser::TAnalyserBaseData>;

// The export's steps and cancel flag through the program's ProgressManager (and the window
// attached to it).
class TManagerProgress : public TExportProgress {
public:
    void SetMax(std::int64_t max) override;
    void Step() override;
    bool Cancelled() override;
    void SetResult(int result) override;
};

} // namespace exportdata
