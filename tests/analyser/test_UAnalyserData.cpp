#include "analyser/UAnalyserData.h"

#include "model/UTypeList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace analyser;
using model::TFileItem;

namespace {

std::unique_ptr<TFileItem> File(const std::string& name, std::int64_t size = 0,
                                std::uint32_t attributes = 0) {
    auto f = std::make_unique<TFileItem>(name, nullptr);
    f->SetSize(size);
    f->SetAttributes(attributes);
    return f;
}

std::string D(std::initializer_list<const char*> tokens) {
    std::string s;
    for (const char* t : tokens)
        (s += t) += kDefinitionEnd;
    return s;
}

// Counts TOTAL recomputations.
class TCountingGroup : public TAnalyserDataGroup {
public:
    TCountingGroup() : TAnalyserDataGroup("c", "t") {}
    void RecalcTotals() override {
        ++Recalcs;
        TAnalyserDataGroup::RecalcTotals();
    }
    int Recalcs = 0;
};

} // namespace

TEST(AnalyserRows, CountersByKindAndBadKindsIgnored) {
    TAnalyserData row(nullptr, "r", 0);
    row.AddFile(1, 10);
    row.AddFiles(2, 3, 30);
    row.AddFile(3, 5);
    row.AddFile(0, 99);
    row.AddFiles(4, 9, 99);
    EXPECT_EQ(row.GetCount1(), 1);
    EXPECT_EQ(row.GetSize1(), 10);
    EXPECT_EQ(row.GetCount2(), 3);
    EXPECT_EQ(row.GetSize2(), 30);
    EXPECT_EQ(row.GetCount3(), 1);
    EXPECT_EQ(row.GetSize3(), 5);
    EXPECT_EQ(row.GetSizePercent1(), 0.0); // no group
    row.Clear();
    EXPECT_EQ(row.GetCount2(), 0);
    EXPECT_EQ(row.GetSize3(), 0);
}

TEST(AnalyserRows, SpecialRowsOfAGroup) {
    TAnalyserDataGroup g("Cap", "Tit");
    EXPECT_EQ(g.Total()->Name(), "TOTAL");
    EXPECT_EQ(g.Total()->Key(), -1);
    EXPECT_EQ(g.Total()->Group(), &g);
    EXPECT_EQ(g.Separator()->Name(), "-----");
    EXPECT_EQ(g.Separator()->Key(), -2);
    EXPECT_EQ(g.Separator()->Group(), &g);
    EXPECT_TRUE(IsTotalRow(g.Total()));
    EXPECT_FALSE(IsSeparatorRow(g.Total()));
    EXPECT_TRUE(IsSeparatorRow(g.Separator()));
    EXPECT_EQ(g.RowCount(), 0);
    for (int i = -1; i <= 7; ++i)
        EXPECT_EQ(g.GetRestrictionCaption(i), "");
    for (int i = -1; i <= 3; ++i)
        EXPECT_EQ(g.GetRestrictionColumn(i), -1);
    g.SetRestrictionCaption(7, "x");
    g.SetRestrictionColumn(3, 5);
    EXPECT_EQ(g.GetRestrictionCaption(7), "");
    EXPECT_EQ(g.GetRestrictionColumn(3), -1);
}

TEST(AnalyserRows, EmptyGroupHasZeroTotalsAndPercentages) {
    TAnalyserSizeGroup g;
    EXPECT_EQ(g.Total()->GetCount1(), 0);
    EXPECT_EQ(g.Total()->GetSize1(), 0);
    EXPECT_EQ(g.Total()->GetSizePercent1(), 0.0);
    EXPECT_EQ(g.Total()->GetCountPercent1(), 0.0);
    EXPECT_EQ(g.GetRow(0)->GetCountPercent1(), 0.0);
}

TEST(AnalyserRows, TotalIsLazyAndPercentagesAreOfIt) {
    TCountingGroup g;
    g.AddToRow(1, 0, 300);
    g.AddToRow(1, 1, 100);
    g.AddToRow(1, 1, 0);
    EXPECT_EQ(g.Recalcs, 0);
    EXPECT_EQ(g.Total()->GetCount1(), 3);
    EXPECT_EQ(g.Total()->GetSize1(), 400);
    EXPECT_EQ(g.Recalcs, 1); // read twice, recomputed once
    EXPECT_DOUBLE_EQ(g.GetRow(0)->GetSizePercent1(), 75.0);
    EXPECT_DOUBLE_EQ(g.GetRow(1)->GetCountPercent1(), 200.0 / 3.0);
    EXPECT_DOUBLE_EQ(g.Total()->GetSizePercent1(), 100.0);
    EXPECT_DOUBLE_EQ(g.Total()->GetCountPercent1(), 100.0);
    EXPECT_EQ(g.Total()->GetCountPercent2(), 0.0);
    EXPECT_EQ(g.Recalcs, 1);
    g.AddToRow(1, 0, 100); // dirty again
    EXPECT_EQ(g.Total()->GetSize1(), 500);
    EXPECT_EQ(g.Recalcs, 2);
}

TEST(AnalyserRows, HugeSizesGiveSoundPercentages) {
    TAnalyserDataGroup g("c", "t");
    const std::int64_t big = std::numeric_limits<std::int64_t>::max() / 4; // x 100 would overflow 64 bits
    g.AddToRow(1, 0, big);
    g.AddToRow(1, 1, big);
    EXPECT_NEAR(g.GetRow(0)->GetSizePercent1(), 50.0, 1e-9);
    g.AddCountToRow(2, 0, std::int64_t(3) << 40, 0); // counts beyond 32 bits
    g.AddCountToRow(2, 1, std::int64_t(1) << 40, 0);
    EXPECT_EQ(g.Total()->GetCount2(), std::int64_t(4) << 40);
    EXPECT_NEAR(g.GetRow(0)->GetCountPercent2(), 75.0, 1e-9);
}

TEST(AnalyserRows, AddToRowFindsOrCreatesByKey) {
    TAnalyserDataGroup g("c", "t");
    g.AddRow(5, "five");
    g.AddToRow(1, 5, 1); // not at index 5: found by search
    EXPECT_EQ(g.RowCount(), 1);
    g.AddToRow(2, 7, 1);
    ASSERT_EQ(g.RowCount(), 2);
    EXPECT_EQ(g.GetRow(1)->Name(), "7");
    EXPECT_EQ(g.FindRow(7), g.GetRow(1));
    EXPECT_EQ(g.FindRow(8), nullptr);
    g.Reset();
    EXPECT_EQ(g.RowCount(), 2); // fixed rows stay
    EXPECT_EQ(g.GetRow(0)->GetCount1(), 0);
    EXPECT_EQ(g.Total()->GetCount2(), 0);
}

TEST(AnalyserSize, BoundsAreStrict) {
    const struct {
        std::int64_t size;
        int key;
    } cases[] = {{-1, 0},        {0, 0},         {1023, 0},
                 {1024, 1},      {16383, 1},     {16384, 2},
                 {32767, 2},     {32768, 3},     {65535, 3},
                 {65536, 4},     {131071, 4},    {131072, 5},
                 {262143, 5},    {262144, 6},    {524287, 6},
                 {524288, 7},    {1048575, 7},   {1048576, 8},
                 {2097151, 8},   {2097152, 9},   {4194303, 9},
                 {4194304, 10},  {8388607, 10},  {8388608, 11},
                 {16777215, 11}, {16777216, 12}, {std::numeric_limits<std::int64_t>::max(), 12}};
    TAnalyserSizeGroup g;
    ASSERT_EQ(g.RowCount(), 13);
    EXPECT_EQ(g.GetRow(0)->Name(), "less 1K");
    EXPECT_EQ(g.GetRow(1)->Name(), "1K - 16K");
    EXPECT_EQ(g.GetRow(12)->Name(), "more 16M");
    for (const auto& c : cases) {
        auto f = File("f", c.size);
        EXPECT_EQ(g.GetIndex(1, *f), c.key) << c.size;
        EXPECT_EQ(g.GetIndex(2, *f), -1);
        EXPECT_TRUE(g.Matches(1, c.key, *f));
    }
    auto f = File("f", 2000);
    g.AddItem(*f);
    EXPECT_EQ(g.GetRow(1)->GetCount1(), 1);
    EXPECT_EQ(g.GetRow(1)->GetCount2(), 0);
    EXPECT_EQ(g.Total()->GetSize1(), 2000);
    EXPECT_EQ(g.GetRestrictionCaption(0), "File Size Restriction");
    EXPECT_EQ(g.GetRestrictionColumn(0), 1);
}

TEST(AnalyserAttr, EveryBitOnceInTotal) {
    TAnalyserAttrGroup g;
    ASSERT_EQ(g.RowCount(), 8);
    auto ra = File("a", 10, model::kAttrReadOnly | model::kAttrArchive);
    auto none = File("b", 5, 0);
    auto dir = File("c", 7, model::kAttrDirectory); // not one of the eight bits
    g.AddItem(*ra);
    g.AddItem(*none);
    g.AddItem(*dir);
    EXPECT_EQ(g.GetRow(0)->Name(), "ARCHIVE");
    EXPECT_EQ(g.GetRow(0)->GetCount1(), 1);
    EXPECT_EQ(g.GetRow(5)->Name(), "READONLY");
    EXPECT_EQ(g.GetRow(5)->GetSize1(), 10);
    for (int k : {1, 2, 3, 4, 6, 7})
        EXPECT_EQ(g.GetRow(k)->GetCount1(), 0) << k;
    EXPECT_EQ(g.Total()->GetCount1(), 3);
    EXPECT_EQ(g.Total()->GetSize1(), 22);
    EXPECT_TRUE(g.Matches(1, 0, *ra));
    EXPECT_TRUE(g.Matches(1, 5, *ra));
    EXPECT_FALSE(g.Matches(1, 2, *ra));
    EXPECT_FALSE(g.Matches(2, 0, *ra));
    EXPECT_FALSE(g.Matches(1, 8, *ra));
    EXPECT_FALSE(g.Matches(1, -1, *ra));
    g.Reset();
    EXPECT_EQ(g.Total()->GetCount1(), 0);
    EXPECT_EQ(g.RowCount(), 8);
}

TEST(AnalyserExt, ExtensionRows) {
    const struct {
        const char* name;
        const char* ext;
    } cases[] = {{"a.tar.gz", ".GZ"},
                 {"name.", "."},
                 {"README", "none"},
                 {".bashrc", ".BASHRC"},
                 {"x.JpG", ".JPG"},
                 {"x.jpg", ".JPG"},
                 {"photo.\xc3\xa9t\xc3\xa9", ".\xc3\xa9T\xc3\xa9"},
                 {"a.b\xff", ".B\xff"}};
    TAnalyserExtGroup g;
    EXPECT_EQ(g.GetRestrictionCaption(0), "File Extension Restriction");
    EXPECT_EQ(g.GetRestrictionColumn(0), 16);
    for (const auto& c : cases) {
        auto f = File(c.name, 1);
        g.AddItem(*f);
        const int key = g.FindKeyOfName(c.ext);
        ASSERT_GE(key, 0) << c.name;
        EXPECT_EQ(g.GetRow(key)->Name(), c.ext);
        EXPECT_TRUE(g.Matches(1, key, *f));
    }
    EXPECT_EQ(g.RowCount(), 7); // x.JpG and x.jpg share .JPG
    EXPECT_EQ(g.GetRow(g.FindKeyOfName(".JPG"))->GetCount1(), 2);
    for (int i = 0; i < g.RowCount(); ++i)
        EXPECT_EQ(g.GetRow(i)->Key(), i);
    g.Reset();
    EXPECT_EQ(g.RowCount(), 0);
}

TEST(AnalyserExt, MatchesNeverAddsRows) {
    TAnalyserExtGroup ext;
    TAnalyserTypeGroup type;
    auto known = File("a.txt");
    auto unseen = File("b.zzq");
    ext.AddItem(*known);
    type.AddItem(*known);
    EXPECT_TRUE(ext.Matches(1, 0, *known));
    EXPECT_TRUE(type.Matches(1, 0, *known));
    EXPECT_FALSE(ext.Matches(1, 0, *unseen));
    EXPECT_FALSE(ext.Matches(1, 1, *unseen));
    EXPECT_FALSE(type.Matches(1, 1, *unseen));
    EXPECT_FALSE(ext.Matches(2, 0, *known));
    EXPECT_EQ(ext.RowCount(), 1);
    EXPECT_EQ(type.RowCount(), 1);
}

TEST(AnalyserType, FileWithoutExtensionIsFile) {
    TAnalyserTypeGroup g;
    auto readme = File("README", 4);
    auto txt = File("notes.txt", 6);
    g.AddItem(*readme);
    g.AddItem(*txt);
    ASSERT_EQ(g.RowCount(), 2);
    EXPECT_EQ(g.GetRow(0)->Name(), "File");
    EXPECT_EQ(g.GetRow(1)->Name(), model::TypeList().TypeNameOfExtension(".TXT"));
    EXPECT_EQ(g.GetRestrictionColumn(0), 2);
}

TEST(AnalyserFold, CurrentFolderIsApartFromASubfolderOfThatName) {
    TAnalyserFoldGroup g;
    g.AddFolder("docs", 3, 300);
    g.AddFolder("Current Folder", 2, 20);
    g.AddCurrentFolder(0, 0);
    g.AddFolder("docs", 1, 1); // the same name shares its row
    ASSERT_EQ(g.RowCount(), 3);
    EXPECT_EQ(g.CurrentFolderKey(), 2);
    EXPECT_EQ(g.GetRow(2)->Name(), "Current Folder");
    EXPECT_EQ(g.GetRow(2)->GetCount1(), 0);
    EXPECT_EQ(g.GetRow(1)->GetCount1(), 2);
    EXPECT_EQ(g.GetRow(0)->GetCount1(), 4);
    EXPECT_EQ(g.Total()->GetCount1(), 6);
    EXPECT_EQ(g.Total()->GetSize1(), 321);
    auto f = File("x", 9);
    g.AddItem(*f); // files are not classified
    EXPECT_EQ(g.Total()->GetCount1(), 6);
    g.Reset();
    EXPECT_EQ(g.RowCount(), 0);
    EXPECT_EQ(g.CurrentFolderKey(), -1);
}

TEST(AnalyserCustom, DefinitionGivesRows) {
    const struct {
        std::string definition;
        const char* name;
        std::vector<std::string> rows;
    } cases[] = {
        {D({"Mine", ".A", ".B"}), "Mine", {".A", ".B"}},
        {D({"Mine", ".A"}) + ".TAIL", "Mine", {".A"}},
        {D({"", ".A"}), "", {".A"}},
        {"no end byte", "", {}},
        {"", "", {}},
        {D({"T", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}),
         "T",
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        {D({"E", "", ".X"}), "E", {"", ".X"}},
    };
    for (const auto& c : cases) {
        TAnalyserCusExtGroup g(c.definition);
        EXPECT_EQ(g.ReportName(), c.name);
        EXPECT_EQ(g.Definition(), c.definition);
        ASSERT_EQ(g.RowCount(), static_cast<int>(c.rows.size())) << c.definition;
        for (int i = 0; i < g.RowCount(); ++i) {
            EXPECT_EQ(g.GetRow(i)->Name(), c.rows[static_cast<size_t>(i)]);
            EXPECT_EQ(g.GetRow(i)->Key(), i);
        }
    }
}

TEST(AnalyserCustom, TotalCountsEveryFile) {
    TAnalyserCusExtGroup g(D({"R", ".JPG", "jpg"}));
    auto a = File("a.jpg", 10);
    auto b = File("b.png", 30);
    g.AddItem(*a);
    g.AddItem(*b);
    EXPECT_EQ(g.GetRow(0)->GetCount1(), 1);
    EXPECT_EQ(g.GetRow(1)->GetCount1(), 0); // "jpg" never matches a file
    EXPECT_EQ(g.Total()->GetCount1(), 2);
    EXPECT_DOUBLE_EQ(g.GetRow(0)->GetSizePercent1(), 25.0);
    EXPECT_TRUE(g.Matches(1, 0, *a));
    EXPECT_FALSE(g.Matches(1, 0, *b));
    EXPECT_EQ(g.RowCount(), 2);

    TAnalyserCusTypeGroup t(D({"T", "File"}));
    auto readme = File("README", 1);
    t.AddItem(*readme);
    t.AddItem(*b);
    EXPECT_EQ(t.GetRow(0)->GetCount1(), 1);
    EXPECT_EQ(t.Total()->GetCount1(), 2);
    EXPECT_EQ(t.Caption(), "Type");
    EXPECT_EQ(t.Title(), "File Type Distribution");
}
