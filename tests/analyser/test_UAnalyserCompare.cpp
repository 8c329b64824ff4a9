#include "analyser/UAnalyserCompare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace analyser;

namespace {

// Four rows whose every measure gives a different order.
struct TFixture {
    TAnalyserDataGroup group{"c", "t"};
    TFixture() {
        const char* names[4] = {"b", "D", "a", "c"};
        const int count1[4] = {3, 1, 4, 2}, size1[4] = {10, 40, 20, 30};
        const int count2[4] = {2, 4, 3, 1}, size2[4] = {8, 5, 7, 6};
        const int count3[4] = {1, 3, 2, 4}, size3[4] = {20, 10, 40, 30};
        for (int k = 0; k < 4; ++k) {
            TAnalyserData* row = group.AddRow(k, names[k]);
            row->AddFiles(1, count1[k], size1[k]);
            row->AddFiles(2, count2[k], size2[k]);
            row->AddFiles(3, count3[k], size3[k]);
        }
    }
    // Special rows first and ordinary rows backwards, so that the sort has work to do.
    std::vector<TAnalyserBaseData*> Rows() {
        std::vector<TAnalyserBaseData*> rows{group.Total(), group.Separator()};
        for (int i = group.RowCount() - 1; i >= 0; --i)
            rows.push_back(group.GetRow(i));
        return rows;
    }
};

std::vector<int> Keys(const std::vector<TAnalyserBaseData*>& rows) {
    std::vector<int> keys;
    for (auto* r : rows)
        keys.push_back(r->Key());
    return keys;
}

} // namespace

TEST(AnalyserCompare, EveryCodeBothWaysKeepsSeparatorThenTotalLast) {
    // Ascending key orders of the four rows per measure.
    const std::vector<int> byKey{0, 1, 2, 3}, byName{2, 0, 3, 1}, c1{1, 3, 0, 2}, s1{0, 2, 3, 1},
        c2{3, 0, 2, 1}, s2{1, 3, 2, 0}, c3{0, 2, 1, 3}, s3{1, 0, 3, 2};
    const struct {
        int firstId, lastId;
        const std::vector<int>* order;
    } columns[] = {{50, 53, &byKey}, {54, 56, &byName}, {57, 58, &c1}, {59, 60, &s1}, {61, 62, &c1},
                   {63, 64, &s1},    {65, 66, &c2},     {67, 68, &s2}, {69, 70, &c3}, {71, 72, &s3}};
    TFixture f;
    for (const auto& col : columns)
        for (int id = col.firstId; id <= col.lastId; ++id)
            for (int descending = 0; descending <= 1; ++descending) {
                auto rows = f.Rows();
                SortAnalyserRows(rows, AnalyserCompareOfSortCode(id * 2 + descending));
                std::vector<int> want = *col.order;
                if (descending) std::reverse(want.begin(), want.end());
                want.push_back(kSeparatorKey);
                want.push_back(kTotalKey);
                EXPECT_EQ(Keys(rows), want) << "column " << id << (descending ? " desc" : " asc");
            }
    for (int code : {-1, 0, 1, 98, 99, 146, 147, 1000}) {
        auto rows = f.Rows();
        SortAnalyserRows(rows, AnalyserCompareOfSortCode(code));
        EXPECT_EQ(Keys(rows), (std::vector<int>{0, 1, 2, 3, kSeparatorKey, kTotalKey})) << code;
    }
}

TEST(AnalyserCompare, EqualValuesFallBackToKeyAscending) {
    TAnalyserDataGroup g("c", "t");
    for (int k = 0; k < 3; ++k)
        g.AddRow(k, "x")->AddFiles(1, 5, 5);
    g.AddRow(3, "y")->AddFiles(1, 9, 1);
    const TAnalyserCompare compares[] = {CompareAnalyserByCount1,     CompareAnalyserByCount1Desc,
                                         CompareAnalyserBySize1,      CompareAnalyserBySize1Desc,
                                         CompareAnalyserByCount2Desc, CompareAnalyserBySize3Desc};
    for (TAnalyserCompare compare : compares) {
        EXPECT_LT(compare(g.GetRow(0), g.GetRow(2)), 0);
        EXPECT_GT(compare(g.GetRow(2), g.GetRow(1)), 0);
    }
    std::vector<TAnalyserBaseData*> rows{g.GetRow(2), g.GetRow(3), g.GetRow(1), g.GetRow(0)};
    SortAnalyserRows(rows, CompareAnalyserByCount1Desc);
    EXPECT_EQ(Keys(rows), (std::vector<int>{3, 0, 1, 2}));
    SortAnalyserRows(rows, CompareAnalyserByCount1);
    EXPECT_EQ(Keys(rows), (std::vector<int>{0, 1, 2, 3}));
}

TEST(AnalyserCompare, NamesIgnoreAsciiCaseAndPrefixesComeFirst) {
    TAnalyserDataGroup g("c", "t");
    auto* lower = g.AddRow(0, ".jpg");
    auto* upper = g.AddRow(1, ".JPG");
    auto* longer = g.AddRow(2, ".JPGX");
    auto* high = g.AddRow(3, ".\xe9");
    EXPECT_EQ(CompareAnalyserByName(lower, upper), 0);
    EXPECT_EQ(CompareAnalyserByNameDesc(lower, upper), 0);
    EXPECT_LT(CompareAnalyserByName(upper, longer), 0);
    EXPECT_GT(CompareAnalyserByNameDesc(upper, longer), 0);
    EXPECT_GT(CompareAnalyserByName(high, longer), 0); // bytes compare unsigned
}

TEST(AnalyserCompare, SpecialRows) {
    TAnalyserDataGroup g("c", "t");
    auto* row = g.AddRow(0, "r");
    const TAnalyserBaseData* sep = g.Separator();
    const TAnalyserBaseData* total = g.Total();
    TAnalyserDataGroup other("c", "t");
    const struct {
        const TAnalyserBaseData *a, *b;
        int result;
    } cases[] = {{nullptr, row, -1}, {row, nullptr, 1}, {sep, total, -1}, {sep, other.Separator(), 0},
                 {sep, row, 1},      {total, sep, 1},   {row, sep, -1},   {total, other.Total(), 0},
                 {total, row, 1},    {row, total, -1},  {row, row, -2}};
    for (const auto& c : cases)
        EXPECT_EQ(CompareAnalyserSpecialRows(c.a, c.b), c.result);
}
