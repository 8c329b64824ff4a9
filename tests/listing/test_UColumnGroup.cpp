#include "listing/UColumn.h"
#include "listing/UProgramProfile.h"

#include "FakeListColumns.h"

#include <gtest/gtest.h>

using namespace listing;
using namespace listing_test;

namespace {

TColumnGroup MakeGroup(const TColumnGroupDef& def, TListColumns* view = nullptr) {
    TColumnGroup g(view, def.visible, def.ids, def.caption);
    g.SortCode = def.sortCode;
    return g;
}

const TColumnGroupDef& MainDef(int view) {
    return ExplorerProfile().mainGroups[view];
}

using Ints = std::vector<std::int32_t>;

} // namespace

TEST(ColumnGroup, CreationClampsTheVisibleCountAndSkipsUnknownIds) {
    for (int visible : {99, -1}) {
        TColumnGroup g(nullptr, visible, {0, 1, 9, 10}, "x");
        EXPECT_EQ(g.VisibleCount, 4);
        EXPECT_EQ(g.DefaultVisibleCount, 4);
    }
    TColumnGroup g(nullptr, 2, {0, 30, 1}, "x");
    EXPECT_EQ(g.Order, (Ints{0, -1, 1}));
    EXPECT_EQ(g.Widths.size(), 2u);
    EXPECT_EQ(g.ColumnAt(1), nullptr);
    EXPECT_EQ(g.WidthAt(1), -1);
    EXPECT_EQ(g.SortCode, -1);
    EXPECT_FALSE(g.Modified);
}

TEST(ColumnGroup, LayoutCodecGoldenBytes) {
    TColumnGroup g = MakeGroup(MainDef(2));
    g.SetWidth(1, 300);
    const std::vector<std::uint8_t> golden = {
        4, 0, 0, 0, 4,   0, 0, 0,                             // count, visible
        0, 0, 0, 0, 150, 0, 0, 0, 1,  0, 0, 0, 0x2c, 1, 0, 0, // Name 150, Size 300
        9, 0, 0, 0, 75,  0, 0, 0, 10, 0, 0, 0, 75,   0, 0, 0, // Files 75, Folders 75
    };
    EXPECT_EQ(LayoutToBytes(g.SaveToArray()), golden);
    EXPECT_EQ(LayoutFromBytes(golden), g.SaveToArray());
    EXPECT_EQ(LayoutToBytes({-1}), (std::vector<std::uint8_t>{0xff, 0xff, 0xff, 0xff}));
    EXPECT_TRUE(LayoutFromBytes({1, 2, 3, 4, 5, 6, 7}).empty());           // 7 bytes: nothing
    EXPECT_EQ(LayoutFromBytes({1, 0, 0, 0, 2, 0, 0, 0, 9}), (Ints{1, 2})); // partial int dropped
}

TEST(ColumnGroup, StoredLayoutRoundTripsThroughAnotherGroup) {
    TColumnGroup a = MakeGroup(MainDef(0));
    a.SetColumnAt(1, 16);
    a.SetColumnAt(11, 1);
    a.SetVisibleCount(3);
    a.SetWidth(16, 222);
    TColumnGroup b = MakeGroup(MainDef(0));
    ASSERT_TRUE(b.LoadFromArray(a.SaveToArray()));
    EXPECT_EQ(b.Order, a.Order);
    EXPECT_EQ(b.VisibleCount, 3);
    EXPECT_EQ(b.GetWidth(16), 222);
}

TEST(ColumnGroup, RefusedLayoutsKeepTheDefaults) {
    const TColumnGroup pristine = MakeGroup(MainDef(1));
    const Ints good = pristine.SaveToArray(); // 10 columns: 22 integers
    auto with = [&](int index, int value) {
        Ints v = good;
        v[index] = value;
        return v;
    };
    struct Case {
        const char* what;
        Ints values;
    };
    const Case refused[] = {
        {"empty", {}},
        {"one short", Ints(good.begin(), good.end() - 1)},
        {"count differs", with(0, 9)},
        {"visible 0", with(1, 0)},
        {"visible above count", with(1, 11)},
        {"visible negative", with(1, -5)},
        {"first id not first",
         [&] {
             Ints v = good;
             std::swap(v[2], v[4]);
             return v;
         }()},
        {"duplicated id", with(4, 9)},
        {"foreign id", with(4, 3)},
        {"unknown id", with(6, 40)},
        {"4-column layout", MakeGroup(MainDef(2)).SaveToArray()},
    };
    for (const Case& c : refused) {
        TColumnGroup g = MakeGroup(MainDef(1));
        EXPECT_FALSE(g.LoadFromArray(c.values)) << c.what;
        EXPECT_EQ(g.Order, pristine.Order) << c.what;
        EXPECT_EQ(g.VisibleCount, pristine.VisibleCount) << c.what;
        EXPECT_FALSE(g.Modified) << c.what;
    }
    // A 36-byte value (9 integers) for a 4-column group is refused too.
    TColumnGroup four = MakeGroup(MainDef(2));
    EXPECT_FALSE(four.LoadFromArray(LayoutFromBytes(std::vector<std::uint8_t>(36, 0))));
    // Accepted: a reordering with visible 1; a width out of range is not taken.
    Ints v = good;
    std::swap(v[4], v[6]);
    v[1] = 1;
    v[5] = 5000;
    TColumnGroup g = MakeGroup(MainDef(1));
    ASSERT_TRUE(g.LoadFromArray(v));
    EXPECT_EQ(g.ColumnIdAt(1), 9);
    EXPECT_EQ(g.ColumnIdAt(2), 11);
    EXPECT_EQ(g.VisibleCount, 1);
    EXPECT_EQ(g.GetWidth(9), 75);
}

TEST(ColumnGroup, MutatorsSetModifiedOnlyOnChange) {
    TColumnGroup g = MakeGroup(FileListerGroupDef());
    g.SetVisibleCount(6);
    g.SetWidth(0, 150);
    g.SetColumnAt(3, 2);
    g.SetColumnAt(99, 1);
    g.SetColumnAt(2, 45); // no such catalogue id
    EXPECT_FALSE(g.Modified);
    g.SetWidth(0, 151);
    EXPECT_TRUE(g.Modified);
    g.ClearModified();
    g.SetEditWidth(0, 10);
    EXPECT_FALSE(g.Modified);
    EXPECT_EQ(g.GetEditWidth(0), 10);
    g.ApplyEditWidths();
    EXPECT_EQ(g.GetWidth(0), 10);
    EXPECT_TRUE(g.Modified);
    g.DefaultEditWidths();
    EXPECT_EQ(g.GetEditWidth(0), 150);
    g.ResetEditWidths();
    EXPECT_EQ(g.GetEditWidth(0), 10);
}

TEST(ColumnGroup, ShowColumnSwapsIntoTheFirstHiddenPlace) {
    TColumnGroup g = MakeGroup(FileListerGroupDef());
    ASSERT_EQ(g.VisibleCount, 6);
    g.ShowColumn(16);
    EXPECT_EQ(g.ColumnIdAt(6), 16);
    EXPECT_EQ(g.ColumnIdAt(9), 4);
    EXPECT_EQ(g.VisibleCount, 7);
    EXPECT_FALSE(g.Modified);
    g.ShowColumn(16); // already visible
    g.ShowColumn(55); // not in the group
    EXPECT_EQ(g.VisibleCount, 7);
}

TEST(ColumnGroup, ApplyMarksTheSortedColumn) {
    TFakeListColumns view;
    TColumnGroup g = MakeGroup(MainDef(0), &view);
    EXPECT_EQ(g.ApplyToListView(), 3);
    EXPECT_EQ(view.Tags(), (std::vector<int>{0, 1, 9, 10, 2, 3, 6}));
    EXPECT_EQ(view.sortColumn, 1);
    EXPECT_FALSE(view.sortUp);
    EXPECT_EQ(view.columns[1].alignment, kAlignRight);
    EXPECT_EQ(view.columns[1].caption, "Size");
}

TEST(ColumnGroup, HiddenOrNegativeSortCodeSettlesOnTheFirstColumn) {
    struct Case {
        int code;
        int settled;
        int column;
        bool up;
    };
    const Case cases[] = {
        {33, 0, 0, true}, {-1, 0, 0, true}, {-7, 0, 0, true}, {13, 13, 6, false}, {0, 0, 0, true}};
    for (const Case& c : cases) {
        TFakeListColumns view;
        TColumnGroup g = MakeGroup(MainDef(0), &view); // Extension (16) is hidden
        g.SortCode = c.code;
        EXPECT_EQ(g.ApplyToListView(), c.settled) << c.code;
        EXPECT_EQ(g.SortCode, c.settled) << c.code;
        EXPECT_EQ(view.sortColumn, c.column) << c.code;
        EXPECT_EQ(view.sortUp, c.up) << c.code;
    }
    // An analyser group starts at -1 and settles on its naming column.
    TFakeListColumns view;
    TColumnGroup a = MakeGroup(AnalyserGroupDefs()[2], &view);
    EXPECT_EQ(a.ApplyToListView(), 102);
}

TEST(ColumnGroup, ReadBackAfterDragKeepsNameFirst) {
    TFakeListColumns view;
    TColumnGroup g = MakeGroup(MainDef(0), &view);
    (void)g.ApplyToListView();
    view.Drag(4, 0); // "Type" to the front: the view puts "Name" back
    view.columns[3].width = 99;
    g.ReadBackFromListView();
    EXPECT_EQ(g.ColumnIdAt(0), 0);
    EXPECT_EQ((Ints(g.Order.begin(), g.Order.begin() + 7)), (Ints{0, 2, 1, 9, 10, 3, 6}));
    EXPECT_EQ((Ints(g.Order.begin() + 7, g.Order.end())), (Ints{4, 5, 8, 7, 16, 19, 20, 21}));
    EXPECT_EQ(g.GetWidth(10), 99);
    EXPECT_TRUE(g.Modified);
}

TEST(ColumnGroup, EveryGroupOfBothProgramsStartsWithItsNamingColumn) {
    std::vector<TColumnGroupDef> all = ExplorerProfile().mainGroups;
    for (const auto& d : ViewerProfile().mainGroups)
        all.push_back(d);
    all.push_back(FileListerGroupDef());
    for (const auto& d : AnalyserGroupDefs())
        all.push_back(d);
    EXPECT_EQ(all.size(), 16u);
    for (const auto& d : all) {
        TColumnGroup g = MakeGroup(d);
        EXPECT_TRUE(g.ColumnIdAt(0) == 0 || (g.ColumnIdAt(0) >= 50 && g.ColumnIdAt(0) <= 56)) << d.caption;
        EXPECT_EQ(static_cast<std::size_t>(g.ColumnCount), g.Widths.size()) << d.caption; // every id known
        EXPECT_EQ(g.VisibleCount, d.visible) << d.caption;
    }
    EXPECT_EQ(AnalyserGroupDefs()[3].ids.size(), 13u);
    EXPECT_EQ(AnalyserGroupDefs()[8].caption, "C&us. Type");
}
