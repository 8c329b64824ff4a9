// The report list of every window: a view over a virtual (owner-data) table model whose header
// draws its own sort arrow, keeps the first column at the left edge when sections are dragged,
// and reports clicks and right clicks with the column shown in the section under the cursor.
#pragma once

#include "listing/UColumn.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QPixmap>
#include <QTreeView>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace model {
class TItem;
}
namespace analyser {
class TAnalyserBaseData;
}

namespace listing {

// A name as the file system gave it, for display: UTF-8 when valid, else Windows-1252; a text
// holding several names (a path, a message) is read name by name (model::DisplayUtf8).
[[nodiscard]] QString DisplayText(const std::string& bytes);
// Lines ended by separator, each read as DisplayText on its own (one line's bytes never decide how
// another reads), joined by '\n'.
[[nodiscard]] QString DisplayLines(const std::string& text, std::string_view separator);

struct TListColumn {
    QString caption;
    int width = 0;
    int alignment = kAlignLeft;
    int tag = -1; // catalogue id
};

// The rows are the owner's: the model holds only their count and asks the owner for each cell.
class TKPLListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using TCellFunc = std::function<std::string(int row, int tag)>;
    using TIconFunc = std::function<QVariant(int row)>; // decoration of the first column
    using TDimFunc = std::function<bool(int row)>;      // drawn dimmed (hidden files)

    explicit TKPLListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void SetColumns(std::vector<TListColumn> columns);
    [[nodiscard]] const std::vector<TListColumn>& Columns() const { return FColumns; }
    // The owner's list changed size or content: rows are asked again.
    void SetRowCount(int count);
    [[nodiscard]] int RowCount() const { return FRowCount; }
    void SetCellText(TCellFunc f) { FCell = std::move(f); }
    void SetIcon(TIconFunc f) { FIcon = std::move(f); }
    void SetDimmed(TDimFunc f) { FDim = std::move(f); }
    // Repaints every row (same count).
    void RefreshRows();

    // Cell texts of a list of items through the column catalogue; the vector is the owner's and
    // must outlive the model's use of it.
    static TCellFunc ItemCells(const std::vector<model::TItem*>* rows);
    // The same for analyser rows (ordinary rows, separator and TOTAL as the table lists them).
    static TCellFunc AnalyserCells(const std::vector<analyser::TAnalyserBaseData*>* rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<TListColumn> FColumns;
    int FRowCount = 0;
    TCellFunc FCell;
    TIconFunc FIcon;
    TDimFunc FDim;
};

class TKPLListView;

// The header: owner-drawn sections with the sort arrow beside the caption.
class TKPLHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit TKPLHeader(TKPLListView* view);
    int paintCount = 0; // sections painted so far (tests watch repaints)

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    TKPLListView* FView;
};

class TKPLListView : public QTreeView, public TListColumns {
    Q_OBJECT
public:
    explicit TKPLListView(QWidget* parent = nullptr);

    [[nodiscard]] TKPLListModel* ListModel() const { return FModel; }
    [[nodiscard]] TKPLHeader* Header() const { return FHeader; }

    // TListColumns: positions are display positions, SortColumn a creation index.
    void BeginColumnUpdate() override;
    void EndColumnUpdate() override;
    void ClearColumns() override;
    void AddColumn(const std::string& caption, int width, int alignment, int tag) override;
    [[nodiscard]] int ColumnCount() const override;
    [[nodiscard]] int ColumnTagAt(int position) const override;
    [[nodiscard]] int ColumnWidthAt(int position) const override;
    void SetSortColumn(int index) override;
    [[nodiscard]] int SortColumn() const override { return FSortColumn; }
    void SetSortColumnUp(bool up) override;
    [[nodiscard]] bool SortColumnUp() const override { return FSortColumnUp; }

    // The catalogue id of a column (creation index), -1 outside.
    [[nodiscard]] int ColumnTag(int index) const;
    // Display position of a column, -1 outside; the column at a display position, -1 outside.
    [[nodiscard]] int DisplayPositionOf(int index) const;
    [[nodiscard]] int ColumnAtDisplayPosition(int position) const;
    // The selected rows, in ascending order.
    [[nodiscard]] std::vector<int> SelectedRowIndexes() const;
    // Sets the display order (order[p] = column shown at position p); false when it is not a
    // permutation of the columns.
    bool SetColumnOrder(const std::vector<int>& order);
    // Puts the first-created column back at position 0, the others keeping their order.
    void PinFirstColumn();

    // Arrow pixmaps, s by s with s = text height - 6 made even (none when that is 0 or less).
    [[nodiscard]] const QPixmap& UpBitmap() const { return FUpBitmap; }
    [[nodiscard]] const QPixmap& DownBitmap() const { return FDownBitmap; }
    void CreateSortBitmaps();

    // The header section text and arrow, for the header's painting (r = the section rectangle).
    virtual void DrawHeaderSection(QPainter& painter, int logicalIndex, bool pressed, QRect r) const;

    // Column widths are kept (in layouts, groups and settings) in the pixels of the narrow font the
    // layouts were made for; on screen they are this many times wider, after this view's font.
    [[nodiscard]] double WidthScale() const { return FWidthScale; }

signals:
    // The column (creation index) whose section was clicked.
    void ColumnClick(int column);
    // Right click on the header: the column shown there, or -1 beyond the last section; pos in
    // the view's coordinates.
    void ColumnRightClick(int column, QPoint pos);
    // After the user dragged a section (the first column is already back in place).
    void ColumnDragged();

private:
    void CommitColumns();
    TKPLListModel* FModel;
    TKPLHeader* FHeader;
    std::vector<TListColumn> FPending;
    bool FUpdating = false;
    bool FPinning = false;
    int FSortColumn = -1;
    bool FSortColumnUp = true;
    QPixmap FUpBitmap;
    QPixmap FDownBitmap;
    double FWidthScale = 1.0;
};

} // namespace listing
