#include "listing/UColumn.h"

#include "analyser/UAnalyserData.h"

#include <gtest/gtest.h>

using namespace listing;
using namespace analyser;

namespace {

class AnalyserCells : public ::testing::Test {
protected:
    void SetUp() override {
        ColumnCatalogue().AnalyserSpaceUnit = kUnitKB;
        row = group.AddRow(0, "Small");
        other = group.AddRow(1, "Large");
        row->AddFiles(1, 3, 3072);
        row->AddFiles(2, 1, 1024);
        row->AddFiles(3, 2, 2048000);
        other->AddFiles(1, 1, 1024);
        group.SetDirty();
    }
    std::string Text(int id, const TAnalyserBaseData* r) { return ColumnCatalogue().GetCellText(id, r); }
    TAnalyserDataGroup group{"Extension", "File Extensions"};
    TAnalyserData* row = nullptr;
    TAnalyserData* other = nullptr;
};

} // namespace

TEST_F(AnalyserCells, OrdinaryAndTotalRowTexts) {
    struct Case {
        int id;
        const char* text;
    };
    const Case cases[] = {
        {50, "Small"}, {56, "Small"},   {57, "3"},    {58, "75.0 %"},  {59, "3 KB"},     {60, "75.0 %"},
        {61, "3"},     {62, "75.0 %"},  {63, "3 KB"}, {64, "75.0 %"},  {65, "1"},        {66, "100.0 %"},
        {67, "1 KB"},  {68, "100.0 %"}, {69, "2"},    {70, "100.0 %"}, {71, "2,000 KB"}, {72, "100.0 %"},
        {0, ""},       {21, ""},        {49, ""},     {73, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(c.id, row), c.text) << c.id;
    EXPECT_EQ(Text(57, group.Total()), "4");
    EXPECT_EQ(Text(59, group.Total()), "4 KB");
    ColumnCatalogue().AnalyserSpaceUnit = kUnitBytes;
    EXPECT_EQ(Text(59, group.Total()), "4,096");
    ColumnCatalogue().AnalyserSpaceUnit = 9; // unknown: KB
    EXPECT_EQ(Text(59, row), "3 KB");
}

TEST_F(AnalyserCells, TotalRowCountsExtensionsAndTypesOfItsGroup) {
    EXPECT_EQ(Text(54, group.Total()), "TOTAL (2 extensions)");
    EXPECT_EQ(Text(55, group.Total()), "TOTAL (2 types)");
    EXPECT_EQ(Text(53, group.Total()), "TOTAL");
    EXPECT_EQ(Text(54, row), "Small");
    TAnalyserDataGroup one{"Type", "Types"};
    one.AddRow(0, "Text");
    EXPECT_EQ(Text(54, one.Total()), "TOTAL (1 extension)");
    EXPECT_EQ(Text(55, one.Total()), "TOTAL (1 type)");
    TAnalyserDataGroup none{"Type", "Types"};
    EXPECT_EQ(Text(54, none.Total()), "TOTAL (0 extension)");
    for (int i = 0; i < 7; ++i)
        none.AddRow(i, "r");
    EXPECT_EQ(Text(54, none.Total()), "TOTAL (7 extensions)");
}

TEST_F(AnalyserCells, SeparatorRowDrawsHyphens) {
    const TAnalyserBaseData* sep = group.Separator();
    const std::string h20(20, '-'), h15(15, '-');
    for (int id = 50; id <= 57; ++id)
        EXPECT_EQ(Text(id, sep), h20) << id;
    EXPECT_EQ(Text(58, sep), h15);
    EXPECT_EQ(Text(59, sep), h20);
    EXPECT_EQ(Text(30, sep), h15);
    EXPECT_EQ(Text(31, sep), h20);
    EXPECT_EQ(ColumnCatalogue().GetInt64Value(57, sep), -1);
    EXPECT_FALSE(ColumnCatalogue().IsInt64Cell(57, sep));
    EXPECT_FALSE(ColumnCatalogue().IsFloatCell(58, sep));
    EXPECT_EQ(Text(57, static_cast<const TAnalyserBaseData*>(nullptr)), "");
}

TEST_F(AnalyserCells, ExportValues) {
    const TColumnList& c = ColumnCatalogue();
    struct Case {
        int id;
        std::int64_t value;
        bool isInt;
    };
    const Case cases[] = {{57, 3, true},   {61, 3, true},    {59, 3072, true}, {63, 3072, true},
                          {65, 1, true},   {67, 1024, true}, {69, 2, true},    {71, 2048000, true},
                          {58, -1, false}, {50, -1, false},  {30, -1, false},  {73, -1, false}};
    for (const Case& k : cases) {
        EXPECT_EQ(c.GetInt64Value(k.id, row), k.value) << k.id;
        EXPECT_EQ(c.IsInt64Cell(k.id, row), k.isInt) << k.id;
    }
    EXPECT_DOUBLE_EQ(c.GetFloatValue(58, row), 75.0);
    EXPECT_DOUBLE_EQ(c.GetFloatValue(72, row), 100.0);
    EXPECT_EQ(c.GetFloatValue(57, row), 0.0);
    EXPECT_TRUE(c.IsFloatCell(64, row));
    EXPECT_FALSE(c.IsFloatCell(57, row));
    EXPECT_FALSE(c.IsFloatCell(74, row));
    EXPECT_TRUE(c.IsInt64Cell(57, group.Total()));
}
