#include "listing/UColumn.h"
#include "listing/UProgramProfile.h"

#include "ListingFixture.h"
#include "tests/FixtureTree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace listing;
using namespace listing_test;

namespace {

class CellText : public ::testing::Test {
protected:
    void SetUp() override {
        SetDateTimeFormats("%Y-%m-%d", "%H:%M:%S");
        auto& c = ColumnCatalogue();
        c.SizeUnit = kUnitKB;
        c.SpaceUnit = kUnitGB;
        c.AnalyserSpaceUnit = kUnitKB;
        SetCurrentProfile(ExplorerProfile());
    }
    void TearDown() override { SetDateTimeFormats("%x", "%X"); }
    TTree t;
    std::string Text(int id, const model::TItem* item) { return ColumnCatalogue().GetCellText(id, item); }
};

} // namespace

TEST(Catalogue, HoldsFortyFiveColumnsFoundByIdOnly) {
    const TColumnList& c = ColumnCatalogue();
    EXPECT_EQ(c.Count(), 45);
    EXPECT_EQ(c.FindColumn(30), nullptr);
    EXPECT_EQ(c.FindColumn(-1), nullptr);
    EXPECT_EQ(c.FindColumn(22), nullptr);
    ASSERT_NE(c.FindColumn(57), nullptr);
    EXPECT_EQ(c.FindColumn(57)->Name, "Number of files");
    EXPECT_EQ(c.FindColumn(17)->Caption, "% Used Space");
    EXPECT_EQ(c.FindColumn(6)->Alignment, kAlignRight);
    EXPECT_EQ(c.FindColumn(72)->Kind, kKindPercent);
    EXPECT_EQ(c.FindColumn(8)->Width, 250);
}

TEST_F(CellText, ExplorationStatesTable) {
    struct Case {
        int id;
        const model::TItem* item;
        const char* text;
    };
    const Case cases[] = {
        {1, t.a, "0.98 KB"},
        {1, t.explored, "4 KB"},
        {1, t.partial, "0.00 KB **"},
        {1, t.unexplored, "Unexplored"},
        {1, t.manual, ""},
        {11, t.manual, "Unexplored"},
        {9, t.a, ""},
        {10, t.a, ""},
        {9, t.explored, "2"},
        {9, t.partial, "0 **"},
        {10, t.partial, "1 **"},
        {9, t.unexplored, "Unexplored"},
        {10, t.unexplored, "Unexplored"},
        {9, t.manual, ""},
        {10, t.manual, ""},
        {11, t.unexplored, "Unexplored"},
        {11, t.explored, "0.01 GB"},
        {11, t.partial, "0.00 GB **"},
        {16, t.a, ".txt"},
        {16, t.readme, "none"},
        {16, t.explored, ""},
        {0, t.readme, "readme"},
        {8, t.a, "/data/docs/a.txt"},
        {7, t.a, "/data/docs/"},
        {8, t.explored, "/data/docs/"},
        {12, t.unlisted, "Unexplored"},
        {13, t.unlisted, "Unexplored"},
        {14, t.unlisted, "Unexplored"},
        {17, t.unlisted, "Unexplored"},
        {18, t.unlisted, "Unexplored"},
        {12, t.drive, "60.0 GB"},
        {13, t.drive, "100 GB"},
        {14, t.drive, "40.0 GB"},
        {17, t.drive, "60.0 %"},
        {18, t.drive, "40.0 %"},
        {12, t.a, ""},
        {30, t.a, ""},
        {49, t.drive, ""},
        {57, t.a, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(c.id, c.item), c.text) << "id " << c.id << " " << c.item->Name();
    EXPECT_EQ(Text(0, nullptr), "");
}

TEST_F(CellText, UnitsOfTheSizeColumns) {
    struct Case {
        int unit;
        const char* size;  // id 1 of a 3,000,000 byte file
        const char* space; // id 11
    };
    auto* big = TTree::File("big.bin", t.explored, 3000000);
    const Case cases[] = {
        {kUnitBytes, "3,000,000", "3,000,000"}, {kUnitKB, "2,930 KB", "2,930 KB"}, {kUnitMB, "3 MB", "3 MB"},
        {kUnitGB, "0.01 GB", "0.01 GB"},        {7, "2,930 KB", "0.01 GB"}, // unknown codes: KB for Size, GB
                                                                            // for the space columns
    };
    for (const Case& c : cases) {
        ColumnCatalogue().SizeUnit = c.unit;
        ColumnCatalogue().SpaceUnit = c.unit;
        EXPECT_EQ(Text(1, big), c.size) << c.unit;
        EXPECT_EQ(Text(11, big), c.space) << c.unit;
    }
}

TEST_F(CellText, DatesAndTheirBlankRules) {
    const double day = platform::EncodeDateTime(2024, 3, 5);
    const double noon = platform::EncodeDateTime(2024, 3, 5, 12, 30, 15);
    t.a->SetModified(noon);
    t.a->SetAccessed(day);
    t.a->SetCreated(29221.0);
    EXPECT_EQ(Text(3, t.a), "2024-03-05 12:30:15");
    EXPECT_EQ(Text(5, t.a), "2024-03-05"); // midnight: no time
    EXPECT_EQ(Text(19, t.a), "2024-03-05 12:30:15");
    EXPECT_EQ(Text(21, t.a), "2024-03-05");
    EXPECT_EQ(Text(4, t.a), ""); // 1 January 1980 means no date
    EXPECT_EQ(Text(20, t.a), "");
    EXPECT_EQ(Text(15, t.a), "1980-01-01");
    t.a->SetCreated(0);
    EXPECT_EQ(Text(4, t.a), "");
    EXPECT_EQ(Text(20, t.a), "");
    EXPECT_EQ(Text(15, t.a), "1899-12-30");
    // Folder dates follow the latest child.
    EXPECT_EQ(Text(3, t.explored), "2024-03-05 12:30:15");
    // Values that are no date show blank.
    for (double bad :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), -1e9, 1e9}) {
        t.a->SetModified(bad);
        EXPECT_EQ(Text(19, t.a), "") << bad;
        EXPECT_EQ(FormatDateTime(bad), "") << bad;
    }
}

TEST_F(CellText, AFileStampedAtTheEpochShowsItsDate) {
    txtest::TZone zone("Europe/Berlin");
    txtest::TTempDir dir;
    dir.File("epoch.txt", 1);
    dir.Stamp("epoch.txt", 0);
    model::TManualItem item(dir.Path(), model::kKindFixed, nullptr);
    ASSERT_TRUE(item.Explore());
    ASSERT_EQ(item.ChildCount(), 1);
    const model::TItem* file = item.Child(0);
    for (int id : {3, 5, 19, 21}) // Modified and Accessed, calculated and real
        EXPECT_EQ(Text(id, file), "1970-01-01 01:00:00") << id;
    EXPECT_EQ(Text(3, &item), "1970-01-01 01:00:00"); // a folder's date follows its latest file
    // Created is the birth time where the file system keeps one, and blank where it does not.
    struct statx sx {};
    ASSERT_EQ(statx(AT_FDCWD, (dir.Path() + "epoch.txt").c_str(), 0, STATX_BTIME, &sx), 0);
    if (sx.stx_mask & STATX_BTIME)
        EXPECT_EQ(Text(20, file).substr(0, 2), "20");
    else
        EXPECT_EQ(Text(20, file), "");
}

TEST_F(CellText, CLocaleDateByDefault) {
    SetDateTimeFormats("%x", "%X");
    EXPECT_EQ(FormatDateTime(platform::EncodeDateTime(2024, 3, 5, 7, 8, 9)), "03/05/24 07:08:09");
}

TEST_F(CellText, AttributesInFixedOrder) {
    t.a->SetAttributes(model::kAttrArchive | model::kAttrReadOnly | model::kAttrSystem | model::kAttrHidden |
                       model::kAttrNormal);
    EXPECT_EQ(Text(6, t.a), "RHSA");
    t.a->SetAttributes(model::kAttrArchive);
    EXPECT_EQ(Text(6, t.a), "A");
}

TEST_F(CellText, ZeroTotalSpaceShowsZeroPercentAsText) {
    t.drive->SetSpace(0, 0);
    EXPECT_EQ(Text(17, t.drive), "0.0 %");
    EXPECT_EQ(Text(18, t.drive), "0.0 %");
    EXPECT_FALSE(ColumnCatalogue().IsFloatCell(17, t.drive));
    EXPECT_EQ(ColumnCatalogue().GetFloatValue(17, t.drive), 0.0);
}

TEST_F(CellText, PercentOfHugeDrivesDoesNotOverflow) {
    const std::int64_t total = std::numeric_limits<std::int64_t>::max() - 10;
    t.drive->SetSpace(total / 4, total);
    EXPECT_EQ(Text(17, t.drive), "75.0 %");
    EXPECT_NEAR(ColumnCatalogue().GetFloatValue(18, t.drive), 25.0, 1e-9);
}

TEST_F(CellText, ExportValues) {
    const TColumnList& c = ColumnCatalogue();
    EXPECT_EQ(c.GetInt64Value(1, t.a), 1000);
    EXPECT_TRUE(c.IsInt64Cell(1, t.a));
    EXPECT_EQ(c.GetInt64Value(1, t.partial), 0); // partial: the number, not -1
    EXPECT_TRUE(c.IsInt64Cell(1, t.partial));
    EXPECT_EQ(c.GetInt64Value(11, t.unexplored), -1);
    EXPECT_FALSE(c.IsInt64Cell(11, t.unexplored));
    EXPECT_EQ(c.GetInt64Value(9, t.explored), 2);
    EXPECT_FALSE(c.IsInt64Cell(9, t.a));
    EXPECT_EQ(c.GetInt64Value(9, t.a), -1);
    EXPECT_EQ(c.GetInt64Value(13, t.drive), 100LL << 30);
    EXPECT_TRUE(c.IsInt64Cell(12, t.drive));
    EXPECT_EQ(c.GetInt64Value(12, t.unlisted), -1);
    EXPECT_FALSE(c.IsInt64Cell(12, t.unlisted));
    EXPECT_EQ(c.GetFloatValue(17, t.unlisted), 0.0);
    EXPECT_FALSE(c.IsFloatCell(17, t.unlisted));
    EXPECT_DOUBLE_EQ(c.GetFloatValue(17, t.drive), 60.0);
    EXPECT_TRUE(c.IsFloatCell(18, t.drive));
    for (int id = 22; id < 50; ++id) {
        EXPECT_EQ(c.GetInt64Value(id, t.a), -1);
        EXPECT_FALSE(c.IsInt64Cell(id, t.drive));
        EXPECT_FALSE(c.IsFloatCell(id, t.drive));
        EXPECT_EQ(c.GetFloatValue(id, t.drive), 0.0);
    }
}

TEST_F(CellText, ViewerProfileCountsDrivesAsListedAndBlanksFileRootRows) {
    TProgramProfile p = ViewerProfile();
    // A stand-in for the viewer's file root: the explored folder.
    static const model::TItem* fileRoot = nullptr;
    fileRoot = t.explored;
    p.isFileRoot = [](const model::TItem* item) { return item == fileRoot; };
    SetCurrentProfile(p);
    t.a->SetModified(platform::EncodeDateTime(2024, 1, 2));
    t.a->SetAttributes(model::kAttrReadOnly);
    EXPECT_EQ(Text(3, t.a), "");
    EXPECT_EQ(Text(6, t.a), "");
    EXPECT_EQ(Text(7, t.a), "");
    EXPECT_EQ(Text(19, t.a), "2024-01-02");        // the real dates have no file-root rule
    EXPECT_EQ(Text(7, t.explored), "/data/docs/"); // a file root: its own path up to the last separator
    // A drive read from a file: its space is what was stored, and it is never "Unexplored".
    struct TStoredDrive : model::TDriveItem {
        using TDriveItem::TDriveItem;
        std::int64_t FreeSpace() const override { return Free(); }
        std::int64_t TotalSpace() const override { return Total(); }
        std::int64_t UsedSpace() const override { return Total() - Free(); }
    };
    auto* stored = new TStoredDrive('C', t.computer);
    t.computer->AddChild(stored);
    stored->SetSpace(1LL << 30, 4LL << 30);
    EXPECT_EQ(Text(12, stored), "3.00 GB");
    EXPECT_EQ(Text(17, stored), "75.0 %");
    SetCurrentProfile(ExplorerProfile());
    EXPECT_EQ(Text(12, stored), "Unexplored");
}
