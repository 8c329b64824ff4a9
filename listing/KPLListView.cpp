#include "listing/KPLListView.h"

#include <cmath>

#include "model/UDisplayText.h"
#include "model/UItem.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionHeader>

#include <algorithm>

namespace listing {

QString DisplayText(const std::string& bytes) {
    if (model::IsValidUtf8(bytes))
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return QString::fromStdString(model::DisplayUtf8(bytes));
}

QString DisplayLines(const std::string& text, std::string_view separator) {
    QString out;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t end = separator.empty() ? std::string::npos : text.find(separator, pos);
        out += DisplayText(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        if (end == std::string::npos) return out;
        out += '\n';
        pos = end + separator.size();
    }
}

// ---- model ----

void TKPLListModel::SetColumns(std::vector<TListColumn> columns) {
    beginResetModel();
    FColumns = std::move(columns);
    endResetModel();
}

void TKPLListModel::SetRowCount(int count) {
    beginResetModel();
    FRowCount = std::max(0, count);
    endResetModel();
}

void TKPLListModel::RefreshRows() {
    if (FRowCount > 0 && !FColumns.empty())
        emit dataChanged(index(0, 0), index(FRowCount - 1, static_cast<int>(FColumns.size()) - 1));
}

TKPLListModel::TCellFunc TKPLListModel::ItemCells(const std::vector<model::TItem*>* rows) {
    return [rows](int row, int tag) -> std::string {
        if (!rows || row < 0 || row >= static_cast<int>(rows->size())) return {};
        return ColumnCatalogue().GetCellText(tag, (*rows)[static_cast<std::size_t>(row)]);
    };
}

TKPLListModel::TCellFunc TKPLListModel::AnalyserCells(const std::vector<analyser::TAnalyserBaseData*>* rows) {
    return [rows](int row, int tag) -> std::string {
        if (!rows || row < 0 || row >= static_cast<int>(rows->size())) return {};
        return ColumnCatalogue().GetCellText(tag, (*rows)[static_cast<std::size_t>(row)]);
    };
}

int TKPLListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FRowCount;
}

int TKPLListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FColumns.size());
}

QVariant TKPLListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= FRowCount || index.column() >= static_cast<int>(FColumns.size()))
        return {};
    const TListColumn& c = FColumns[static_cast<std::size_t>(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        return FCell ? DisplayText(FCell(index.row(), c.tag)) : QString();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(
            Qt::Alignment((c.alignment == kAlignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    case Qt::DecorationRole:
        return index.column() == 0 && FIcon ? FIcon(index.row()) : QVariant();
    case Qt::ForegroundRole:
        if (FDim && FDim(index.row())) return QPalette().color(QPalette::Disabled, QPalette::Text);
        return {};
    default:
        return {};
    }
}

QVariant TKPLListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(FColumns.size()))
        return {};
    const TListColumn& c = FColumns[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole) return c.caption;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(
            Qt::Alignment((c.alignment == kAlignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    return {};
}

// ---- header ----

TKPLHeader::TKPLHeader(TKPLListView* view) : QHeaderView(Qt::Horizontal, view), FView(view) {
    setSectionsClickable(true);
    setSectionsMovable(true);
    setHighlightSections(false);
    setStretchLastSection(false);
    setSortIndicatorShown(false);
    setMinimumSectionSize(0);
    setMaximumSectionSize(800);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

void TKPLHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    ++const_cast<TKPLHeader*>(this)->paintCount;
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = logicalIndex;
    opt.text.clear();
    opt.icon = QIcon();
    opt.sortIndicator = QStyleOptionHeader::None;
    const bool pressed = (QApplication::mouseButtons() & Qt::LeftButton) &&
                         logicalIndexAt(mapFromGlobal(QCursor::pos())) == logicalIndex && underMouse();
    if (pressed) opt.state |= QStyle::State_Sunken;
    style()->drawControl(QStyle::CE_HeaderSection, &opt, painter, this);
    FView->DrawHeaderSection(*painter, logicalIndex, pressed, rect);
}

// ---- view ----

TKPLListView::TKPLListView(QWidget* parent) : QTreeView(parent) {
    FModel = new TKPLListModel(this);
    FHeader = new TKPLHeader(this);
    setHeader(FHeader);
    setModel(FModel);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false); // the owners sort their rows; this also made the header unclickable
    FHeader->setSectionsClickable(true);
    FHeader->setSortIndicatorShown(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // The stored widths fit digits 6 pixels wide; wider fonts widen every column alike. A scale of
    // at least 1 keeps a width read back equal to the width given.
    FWidthScale = std::max(1.0, fontMetrics().horizontalAdvance(QStringLiteral("0123456789")) / 60.0);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    CreateSortBitmaps();

    connect(FHeader, &QHeaderView::sectionClicked, this, [this](int logical) { emit ColumnClick(logical); });
    connect(FHeader, &QHeaderView::customContextMenuRequested, this, [this](const QPoint& pos) {
        // logicalIndexAt gives the section under the point whatever the drag order; -1 past the last.
        emit ColumnRightClick(FHeader->logicalIndexAt(pos), FHeader->mapTo(this, pos));
    });
    connect(FHeader, &QHeaderView::sectionMoved, this, [this](int, int, int) {
        if (FPinning) return;
        PinFirstColumn();
        emit ColumnDragged();
    });
}

void TKPLListView::BeginColumnUpdate() {
    if (!FUpdating) FPending = FModel->Columns();
    FUpdating = true;
}

void TKPLListView::EndColumnUpdate() {
    if (!FUpdating) return;
    FUpdating = false;
    CommitColumns();
}

void TKPLListView::CommitColumns() {
    FPinning = true;
    FModel->SetColumns(FPending);
    // A new set of columns starts in creation order.
    for (int i = 0; i < FHeader->count(); ++i) {
        const int at = FHeader->visualIndex(i);
        if (at != i) FHeader->moveSection(at, i);
    }
    for (int i = 0; i < static_cast<int>(FPending.size()); ++i) {
        FHeader->setSectionResizeMode(i, QHeaderView::Interactive);
        const int width = std::clamp(FPending[static_cast<std::size_t>(i)].width, 0, 800);
        FHeader->resizeSection(i, static_cast<int>(std::lround(width * FWidthScale)));
    }
    FPinning = false;
    FHeader->viewport()->update();
}

void TKPLListView::ClearColumns() {
    FPending.clear();
    if (!FUpdating) CommitColumns();
}

void TKPLListView::AddColumn(const std::string& caption, int width, int alignment, int tag) {
    if (!FUpdating) FPending = FModel->Columns();
    FPending.push_back({DisplayText(caption), width, alignment, tag});
    if (!FUpdating) CommitColumns();
}

int TKPLListView::ColumnCount() const {
    return static_cast<int>(FModel->Columns().size());
}

int TKPLListView::ColumnTag(int index) const {
    const auto& c = FModel->Columns();
    return index >= 0 && index < static_cast<int>(c.size()) ? c[static_cast<std::size_t>(index)].tag : -1;
}

int TKPLListView::ColumnTagAt(int position) const {
    return ColumnTag(ColumnAtDisplayPosition(position));
}

std::vector<int> TKPLListView::SelectedRowIndexes() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TKPLListView::ColumnWidthAt(int position) const {
    const int logical = ColumnAtDisplayPosition(position);
    return logical < 0 ? -1 : static_cast<int>(std::lround(FHeader->sectionSize(logical) / FWidthScale));
}

void TKPLListView::SetSortColumn(int index) {
    if (index == FSortColumn) return;
    FSortColumn = index;
    FHeader->viewport()->update();
}

void TKPLListView::SetSortColumnUp(bool up) {
    if (up == FSortColumnUp) return;
    FSortColumnUp = up;
    FHeader->viewport()->update();
}

int TKPLListView::DisplayPositionOf(int index) const {
    if (index < 0 || index >= ColumnCount()) return -1;
    return FHeader->visualIndex(index);
}

int TKPLListView::ColumnAtDisplayPosition(int position) const {
    if (position < 0 || position >= ColumnCount()) return -1;
    return FHeader->logicalIndex(position);
}

bool TKPLListView::SetColumnOrder(const std::vector<int>& order) {
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < static_cast<int>(sorted.size()); ++i)
        if (sorted[static_cast<std::size_t>(i)] != i) return false;
    if (static_cast<int>(order.size()) != ColumnCount()) return false;
    FPinning = true;
    for (int p = 0; p < static_cast<int>(order.size()); ++p)
        FHeader->moveSection(FHeader->visualIndex(order[static_cast<std::size_t>(p)]), p);
    FPinning = false;
    FHeader->viewport()->update();
    return true;
}

void TKPLListView::PinFirstColumn() {
    if (ColumnCount() == 0 || FHeader->visualIndex(0) == 0) return;
    FPinning = true;
    FHeader->moveSection(FHeader->visualIndex(0), 0);
    FPinning = false;
}

void TKPLListView::CreateSortBitmaps() {
    const int th = QFontMetrics(font()).height();
    int s = th - 6;
    if (s <= 0) {
        FUpBitmap = FDownBitmap = QPixmap();
        return;
    }
    if (s % 2) ++s;
    const int m = s / 2;
    // Two-tone edges as in a raised 3D triangle. The "highlight" edge takes the dark tone and the
    // shadow edge the darkest, and the face is transparent, so the arrow reads on the flat, light
    // header sections of today's styles as well as on grey ones.
    const QPalette pal = palette();
    const QColor face = Qt::transparent, light = pal.color(QPalette::Dark),
                 shadow = pal.color(QPalette::Shadow);
    FDownBitmap = QPixmap(s, s);
    FDownBitmap.fill(face);
    {
        QPainter p(&FDownBitmap);
        p.setPen(light);
        p.drawLine(m, s - 1, s - 1, 1);
        p.setPen(shadow);
        p.drawLine(s - 2, 1, 0, 1);
        p.drawLine(0, 1, m - 1, s - 1);
    }
    FUpBitmap = QPixmap(s, s);
    FUpBitmap.fill(face);
    {
        QPainter p(&FUpBitmap);
        p.setPen(shadow);
        p.drawLine(0, s - 1, m - 1, 0);
        p.setPen(light);
        p.drawLine(m, 0, s - 1, s - 1);
        p.drawLine(s - 1, s - 1, 0, s - 1);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.setPen(face);
        p.drawPoint(m, 0);
    }
}

void TKPLListView::DrawHeaderSection(QPainter& painter, int logicalIndex, bool pressed, QRect r) const {
    r.adjust(2, 2, -2, -2);
    if (logicalIndex < 0 || logicalIndex >= ColumnCount()) return;
    const TListColumn& c = FModel->Columns()[static_cast<std::size_t>(logicalIndex)];
    if (pressed) r.adjust(1, 1, 0, 0);
    const bool right = c.alignment == kAlignRight;
    QRect t = r;
    if (right)
        t.setRight(t.right() - 4);
    else
        t.setLeft(t.left() + 4);
    const Qt::Alignment flags = (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    painter.save();
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::ButtonText));
    const QFontMetrics fm(font());
    if (logicalIndex != FSortColumn) {
        if (pressed) t.translate(1, 1);
        painter.drawText(t, static_cast<int>(flags | Qt::TextSingleLine),
                         fm.elidedText(c.caption, Qt::ElideRight, std::max(0, t.width())));
        painter.restore();
        return;
    }
    const QPixmap& b = FSortColumnUp ? FUpBitmap : FDownBitmap;
    if (right)
        t.setLeft(t.left() + b.width() + 8);
    else
        t.setRight(t.right() - b.width() - 8);
    const QString text = fm.elidedText(c.caption, Qt::ElideRight, std::max(0, t.width()));
    const int w = fm.horizontalAdvance(text);
    if (right)
        t.setLeft(t.right() - w + 1);
    else
        t.setRight(t.left() + w - 1);
    t.setLeft(std::max(t.left(), r.left()));
    t.setRight(std::min(t.right(), r.right()));
    if (pressed) t.translate(1, 1);
    painter.drawText(t, static_cast<int>(flags | Qt::TextSingleLine), text);
    if (!b.isNull()) {
        const int y = r.top() + (r.height() - b.height()) / 2;
        if (right) {
            const int x = t.left() - b.width() - 8;
            if (x >= r.left()) painter.drawPixmap(x, y, b);
        } else {
            const int x = t.right() + 1 + 8;
            if (x + b.width() <= r.right() + 1) painter.drawPixmap(x, y, b);
        }
    }
    painter.restore();
}

} // namespace listing
