// The list view under offscreen Qt: columns from a group, the sort arrow, the pinned first column,
// clicks and right clicks after drags, and the owner-data model.
#include "listing/KPLListView.h"
#include "listing/UProgramProfile.h"
#include "listing/USortCompare.h"

#include "ListingFixture.h"
#include "tests/Screenshot.h"
#include "analyser/UAnalyserData.h"

#include <QAbstractItemModelTester>
#include <QApplication>

#include <cmath>
#include <QContextMenuEvent>
#include <QSignalSpy>
#include <QTest>

using namespace listing;

namespace {

TColumnGroup MakeGroup(TListColumns* view, int main) {
    const TColumnGroupDef& d = ExplorerProfile().mainGroups[static_cast<std::size_t>(main)];
    TColumnGroup g(view, d.visible, d.ids, d.caption);
    g.SortCode = d.sortCode;
    return g;
}

std::vector<int> Tags(const TKPLListView& v) {
    std::vector<int> t;
    for (int p = 0; p < v.ColumnCount(); ++p)
        t.push_back(v.ColumnTagAt(p));
    return t;
}

QPoint SectionCentre(const TKPLListView& v, int logical) {
    const QHeaderView* h = v.Header();
    return {h->sectionViewportPosition(logical) + h->sectionSize(logical) / 2, h->height() / 2};
}

} // namespace

class TestKPLListView : public QObject {
    Q_OBJECT
private slots:
    void appliesGroupAndMarksSortColumn();
    void dragKeepsFirstColumnPinned();
    void readBackAfterDrag();
    void clicksReportTheColumnShown();
    void rightClickBeyondLastColumnReportsNone();
    void modelServesOwnerRows();
    void arrowBitmapsFollowFontHeight();
    void unchangedSortColumnDoesNotRepaint();
    void screenshot();
};

void TestKPLListView::appliesGroupAndMarksSortColumn() {
    TKPLListView v;
    QAbstractItemModelTester tester(v.ListModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    TColumnGroup g = MakeGroup(&v, 0);
    QCOMPARE(g.ApplyToListView(), 3);
    QCOMPARE(Tags(v), (std::vector<int>{0, 1, 9, 10, 2, 3, 6}));
    QCOMPARE(v.SortColumn(), 1);
    QVERIFY(!v.SortColumnUp());
    QCOMPARE(v.ColumnWidthAt(0), 150);
    QCOMPARE(v.ListModel()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Size"));
    // Hidden sorted column: the group settles on Name ascending.
    g.SortCode = 33;
    QCOMPARE(g.ApplyToListView(), 0);
    QCOMPARE(v.SortColumn(), 0);
    QVERIFY(v.SortColumnUp());
}

void TestKPLListView::dragKeepsFirstColumnPinned() {
    TKPLListView v;
    QAbstractItemModelTester tester(v.ListModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    TColumnGroup g = MakeGroup(&v, 0);
    (void)g.ApplyToListView();
    QSignalSpy dragged(&v, &TKPLListView::ColumnDragged);
    v.Header()->moveSection(1, 0); // "Size" in front of "Name"
    QCOMPARE(Tags(v), (std::vector<int>{0, 1, 9, 10, 2, 3, 6}));
    QCOMPARE(dragged.count(), 1);
    v.Header()->moveSection(3, 1); // "Folders" to the second place
    QCOMPARE(Tags(v), (std::vector<int>{0, 10, 1, 9, 2, 3, 6}));
    v.Header()->moveSection(0, 2); // "Name" to the third place: back first, others as they were
    QCOMPARE(Tags(v), (std::vector<int>{0, 10, 1, 9, 2, 3, 6}));
    QCOMPARE(v.DisplayPositionOf(1), 2);
    QCOMPARE(v.ColumnAtDisplayPosition(1), 3);
    QCOMPARE(v.ColumnAtDisplayPosition(7), -1);
    QVERIFY(!v.SetColumnOrder({0, 1}));
    QVERIFY(v.SetColumnOrder({0, 1, 2, 3, 4, 5, 6}));
    QCOMPARE(Tags(v), (std::vector<int>{0, 1, 9, 10, 2, 3, 6}));
}

void TestKPLListView::readBackAfterDrag() {
    TKPLListView v;
    QAbstractItemModelTester tester(v.ListModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    TColumnGroup g = MakeGroup(&v, 0);
    (void)g.ApplyToListView();
    v.Header()->moveSection(4, 0); // "Type" to the front
    v.Header()->resizeSection(3, static_cast<int>(std::lround(120 * v.WidthScale()))); // 120 in layout units
    g.ReadBackFromListView();
    QCOMPARE(g.ColumnIdAt(0), 0);
    QCOMPARE(g.ColumnIdAt(1), 2);
    QCOMPARE(g.ColumnIdAt(2), 1);
    QCOMPARE(g.GetWidth(10), 120);
    // Applying again rebuilds in the stored order, creation order = display order.
    (void)g.ApplyToListView();
    QCOMPARE(Tags(v), (std::vector<int>{0, 2, 1, 9, 10, 3, 6}));
    QCOMPARE(v.ColumnAtDisplayPosition(1), 1);
    QCOMPARE(v.ColumnWidthAt(0), g.GetWidth(0)); // widths given come back unchanged on a wider font
}

void TestKPLListView::clicksReportTheColumnShown() {
    TKPLListView v;
    QAbstractItemModelTester tester(v.ListModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    v.resize(900, 300);
    TColumnGroup g = MakeGroup(&v, 0);
    (void)g.ApplyToListView();
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    v.Header()->moveSection(4, 1); // "Type" to the second place
    QSignalSpy clicks(&v, &TKPLListView::ColumnClick);
    const QPoint at = SectionCentre(v, v.ColumnAtDisplayPosition(1));
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, v.Header()->viewport()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(v.Header()->viewport(), &e);
    }
    QCOMPARE(clicks.count(), 1);
    const int column = clicks.at(0).at(0).toInt();
    QCOMPARE(v.ColumnTag(column), 2);
    // The owner's click rule: Type ascending, arrow on the clicked section.
    const int code = SortCodeAfterClick(g.SortCode, v.ColumnTag(column));
    QCOMPARE(code, 4);
}

void TestKPLListView::rightClickBeyondLastColumnReportsNone() {
    TKPLListView v;
    QAbstractItemModelTester tester(v.ListModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    v.resize(1200, 300);
    TColumnGroup g = MakeGroup(&v, 2); // 4 narrow columns, empty header space on the right
    (void)g.ApplyToListView();
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    v.Header()->moveSection(3, 1);
    QSignalSpy right(&v, &TKPLListView::ColumnRightClick);
    auto rightClick = [&](QPoint p) {
        QContextMenuEvent e(QContextMenuEvent::Mouse, p, v.Header()->viewport()->mapToGlobal(p));
        QCoreApplication::sendEvent(v.Header()->viewport(), &e);
    };
    rightClick({1100, v.Header()->height() / 2});
    rightClick(SectionCentre(v, v.ColumnAtDisplayPosition(1)));
    QCOMPARE(right.count(), 2);
    QCOMPARE(right.at(0).at(0).toInt(), -1);
    QCOMPARE(v.ColumnTag(right.at(1).at(0).toInt()), 10); // "Folders", shown second after the drag
}

void TestKPLListView::modelServesOwnerRows() {
    listing_test::TTree t;
    std::vector<model::TItem*> rows = {t.a, t.readme, t.explored};
    TKPLListView v;
    QAbstractItemModelTester tester(v.ListModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    TColumnGroup g = MakeGroup(&v, 2);
    (void)g.ApplyToListView();
    v.ListModel()->SetCellText(TKPLListModel::ItemCells(&rows));
    v.ListModel()->SetDimmed(
        [&rows](int r) { return rows[static_cast<std::size_t>(r)]->NameString() == "readme"; });
    v.ListModel()->SetRowCount(static_cast<int>(rows.size()));
    TKPLListModel* m = v.ListModel();
    QCOMPARE(m->rowCount(), 3);
    QCOMPARE(m->data(m->index(0, 0), Qt::DisplayRole).toString(), QString("a.txt"));
    QCOMPARE(m->data(m->index(2, 2), Qt::DisplayRole).toString(), QString("2"));
    QVERIFY(m->data(m->index(1, 0), Qt::ForegroundRole).isValid());
    QVERIFY(!m->data(m->index(0, 0), Qt::ForegroundRole).isValid());
    const auto align = m->data(m->index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>();
    QVERIFY(align & Qt::AlignRight);
    SortItems(rows, *SelectExplorerComparator(2, 3));
    m->RefreshRows();
    QCOMPARE(m->data(m->index(0, 0), Qt::DisplayRole).toString(), QString("docs"));
    rows.pop_back();
    m->SetRowCount(2);
    QCOMPARE(m->rowCount(), 2);
    // An analyser table: rows, separator and TOTAL.
    analyser::TAnalyserDataGroup group("Extension", "File Extensions");
    group.AddRow(0, ".txt")->AddFiles(1, 2, 2048);
    std::vector<analyser::TAnalyserBaseData*> table = {group.GetRow(0), group.Separator(), group.Total()};
    TColumnGroup ext(&v, 5, {54, 57, 58, 59, 60}, "&Extension");
    QCOMPARE(ext.ApplyToListView(), 108);
    m->SetCellText(TKPLListModel::AnalyserCells(&table));
    m->SetRowCount(3);
    QCOMPARE(m->data(m->index(0, 3), Qt::DisplayRole).toString(), QString("2 KB"));
    QCOMPARE(m->data(m->index(1, 0), Qt::DisplayRole).toString(), QString(20, '-'));
    QCOMPARE(m->data(m->index(2, 0), Qt::DisplayRole).toString(), QString("TOTAL (1 extension)"));
    // Names that are not UTF-8 read as Windows-1252.
    QCOMPARE(DisplayText("caf\xe9 \x80"), QString::fromUtf8("café €"));
    QCOMPARE(DisplayText("caf\xc3\xa9"), QString::fromUtf8("café"));
    QCOMPARE(DisplayText("\xc3"), QString::fromUtf8("Ã"));
    // Each line of a text reads on its own, whatever its neighbours are.
    QCOMPARE(DisplayLines("caf\xc3\xa9\ncaf\xe9\n", "\n"), QString::fromUtf8("café\ncafé\n"));
    QCOMPARE(DisplayLines("a\n\rb\n\r\xe9", "\n\r"), QString::fromUtf8("a\nb\né"));
    QCOMPARE(DisplayLines("one line", "\n"), QString("one line"));
}

void TestKPLListView::arrowBitmapsFollowFontHeight() {
    for (int px : {4, 10, 13, 16, 20}) {
        TKPLListView v;
        QAbstractItemModelTester tester(v.ListModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QFont f = v.font();
        f.setPixelSize(px);
        v.setFont(f);
        v.CreateSortBitmaps();
        const int h = QFontMetrics(f).height();
        int s = h - 6;
        if (s <= 0) {
            QVERIFY(v.UpBitmap().isNull());
            continue;
        }
        if (s % 2) ++s;
        QCOMPARE(v.UpBitmap().width(), s);
        QCOMPARE(v.DownBitmap().height(), s);
    }
}

void TestKPLListView::unchangedSortColumnDoesNotRepaint() {
    TKPLListView v;
    QAbstractItemModelTester tester(v.ListModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    TColumnGroup g = MakeGroup(&v, 2);
    (void)g.ApplyToListView();
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    QCoreApplication::processEvents();
    const int before = v.Header()->paintCount;
    v.SetSortColumn(v.SortColumn());
    v.SetSortColumnUp(v.SortColumnUp());
    QCoreApplication::processEvents();
    QCOMPARE(v.Header()->paintCount, before);
    v.SetSortColumn(0);
    QTRY_VERIFY(v.Header()->paintCount > before);
}

void TestKPLListView::screenshot() {
    listing_test::TTree t;
    std::vector<model::TItem*> rows = {t.explored, t.partial, t.unexplored, t.a, t.readme};
    TKPLListView v;
    QAbstractItemModelTester tester(v.ListModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    v.resize(640, 200);
    TColumnGroup g = MakeGroup(&v, 0);
    (void)g.ApplyToListView();
    v.ListModel()->SetCellText(TKPLListModel::ItemCells(&rows));
    v.ListModel()->SetRowCount(static_cast<int>(rows.size()));
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    QVERIFY(txtest::SaveScreenshot(v, "listview"));
    g.SortCode = 0;
    (void)g.ApplyToListView();
    QCoreApplication::processEvents();
    QVERIFY(txtest::SaveScreenshot(v, "listview_name"));
}

QTEST_MAIN(TestKPLListView)
#include "qtest_KPLListView.moc"
