#include "listing/UColumn.h"
#include "listing/UProgramProfile.h"
#include "listing/USortCompare.h"

#include "ListingFixture.h"

#include <gtest/gtest.h>

#include <limits>

using namespace listing;
using namespace listing_test;

namespace {

std::vector<std::string> Names(const std::vector<model::TItem*>& rows) {
    std::vector<std::string> n;
    for (const model::TItem* r : rows)
        n.push_back(r ? r->NameString() : "<nil>");
    return n;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(SortCode, ClickSequence) {
    int code = 3;                       // Size, descending
    code = SortCodeAfterClick(code, 1); // click Size
    EXPECT_EQ(code, 2);
    code = SortCodeAfterClick(code, 1); // again
    EXPECT_EQ(code, 3);
    code = SortCodeAfterClick(code, 0); // click Name
    EXPECT_EQ(code, 0);
    EXPECT_EQ(SortCodeAfterClick(-1, 0), 0);
    EXPECT_EQ(SortCodeAfterClick(0, 0), 1);
    EXPECT_EQ(SortCodeAfterClick(1, 0), 0);
}

TEST(SortCode, SelectorTables) {
    struct Case {
        int view;
        int code;
        const char* name; // nullptr: sorts nothing
        bool descending;
    };
    const Case explorer[] = {
        {0, 0, "CompareByName", false},
        {0, 3, "CompareBySize", true},
        {0, 33, "CompareByExtension", true},
        {0, 38, "CompareByModifiedReal", false},
        {0, 41, "CompareByCreatedReal", true},
        {0, 43, "CompareByAccessedReal", true},
        {0, 22, "CompareByName", false},
        {0, -1, "CompareByName", false},
        {0, 99, "CompareByName", false},
        {1, 1, "CompareDriveByLetter", true},
        {1, 29, "CompareDriveByFree", true},
        {1, 37, "CompareDriveByFreePercent", true},
        {1, 6, "CompareDriveByLetter", false},
        {2, 5, "CompareByName", false},
        {2, 19, "CompareByFiles", true},
        {3, 1, "CompareTopByOrder", true},
        {3, 2, "CompareTopBySize", false},
        {3, 4, "CompareTopByOrder", false},
        {4, 0, nullptr, false},
        {-1, 0, nullptr, false},
    };
    for (const Case& c : explorer) {
        const TItemComparator* cmp = SelectExplorerComparator(c.view, c.code);
        if (!c.name) {
            EXPECT_EQ(cmp, nullptr);
            continue;
        }
        ASSERT_NE(cmp, nullptr) << c.view << "/" << c.code;
        EXPECT_STREQ(cmp->Name, c.name) << c.view << "/" << c.code;
        EXPECT_EQ(cmp->Descending, c.descending) << c.view << "/" << c.code;
    }
    const Case viewer[] = {
        {0, 0, "CompareByNameDrivesFirst", false},
        {0, 1, "CompareByNameDrivesFirst", true},
        {0, 3, "CompareBySize", true},
        {1, 0, "CompareByName", false},
        {1, 1, "CompareByNameDrivesFirst", true},
        {1, 31, "CompareByCreated", true},
        {1, 4, "CompareByName", false},
        {2, 1, "CompareByName", true},
        {2, 25, "CompareDriveByUsedOnDrive", true},
        {2, 34, "CompareDriveByUsedPercent", false},
        {2, 14, "CompareByName", false},
        {3, 0, nullptr, false},
    };
    for (const Case& c : viewer) {
        const TItemComparator* cmp = SelectViewerComparator(c.view, c.code);
        if (!c.name) {
            EXPECT_EQ(cmp, nullptr);
            continue;
        }
        ASSERT_NE(cmp, nullptr) << c.view << "/" << c.code;
        EXPECT_STREQ(cmp->Name, c.name) << c.view << "/" << c.code;
        EXPECT_EQ(cmp->Descending, c.descending) << c.view << "/" << c.code;
    }
    EXPECT_STREQ(SelectFileListerComparator(17)->Name, "FLCompareByPath");
    EXPECT_STREQ(SelectFileListerComparator(19)->Name, "FLCompareByName"); // no Files column
    EXPECT_FALSE(SelectFileListerComparator(19)->Descending);
    EXPECT_STREQ(SelectFileListerComparator(39)->Name, "FLCompareByModifiedReal");
    EXPECT_EQ(ExplorerProfile().selectMainComparator, &SelectExplorerComparator);
    EXPECT_EQ(ViewerProfile().selectMainComparator, &SelectViewerComparator);
}

// Every comparator is a strict weak order on a set mixing every kind of row.
TEST(Comparators, AreStrictWeakOrders) {
    TTree t;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    t.a->SetModified(nan);
    t.a->SetCreated(nan);
    t.a->SetAccessed(nan);
    auto* b1 = TTree::File("b", t.explored, 1000);
    auto* b2 = TTree::File("B", t.explored, 1000);
    b2->SetModified(nan);
    b1->SetModified(45000.5);
    auto* hidden = TTree::File(".hidden", t.explored, 0);
    hidden->SetAttributes(model::kAttrHidden | model::kAttrArchive);
    auto* unexplored2 = TTree::Folder("None", t.drive, false);
    auto* letter = new model::TDriveItem('C', t.computer);
    t.computer->AddChild(letter);
    t.root.ComputeTotals();
    t.drive->SetSpace(40LL << 30, 100LL << 30);
    std::vector<model::TItem*> rows = {nullptr, nullptr,    t.a,       t.readme, b1,           b2,
                                       hidden,  t.explored, t.partial, t.deep,   t.unexplored, unexplored2,
                                       t.drive, t.unlisted, letter,    t.manual, t.computer,   &t.root};
    for (const TItemComparator* cmp : AllComparators()) {
        for (model::TItem* x : rows) {
            EXPECT_EQ((*cmp)(x, x), 0) << cmp->Name << " reflexive " << (x ? x->Name() : "nil");
            for (model::TItem* y : rows) {
                const int xy = (*cmp)(x, y), yx = (*cmp)(y, x);
                EXPECT_EQ(xy<0, yx> 0) << cmp->Name << " antisymmetric";
                EXPECT_EQ(xy == 0, yx == 0) << cmp->Name << " antisymmetric";
                for (model::TItem* z : rows) {
                    const int yz = (*cmp)(y, z), xz = (*cmp)(x, z);
                    if (xy < 0 && yz < 0) {
                        EXPECT_LT(xz, 0) << cmp->Name << " transitive";
                    }
                    if (xy == 0 && yz == 0) {
                        EXPECT_EQ(xz, 0) << cmp->Name << " equivalence";
                    }
                }
            }
        }
    }
    EXPECT_EQ(AllComparators().size(), 86u);
}

class SortOrder : public ::testing::Test {
protected:
    void SetUp() override { SetCurrentProfile(ExplorerProfile()); }
    Strings Sorted(std::vector<model::TItem*> rows, const TItemComparator* cmp) {
        SortItems(rows, *cmp);
        return Names(rows);
    }
    TTree t;
};

TEST_F(SortOrder, ItemFamilyTable) {
    auto* zebra = TTree::File("zebra.bin", t.drive, 500);
    auto* apple = TTree::File("Apple.txt", t.drive, 1000);
    auto* none2 = TTree::Folder("aaa", t.drive, false);
    t.root.ComputeTotals();
    zebra->SetModified(20);
    apple->SetModified(10);
    zebra->SetCreated(5);
    apple->SetCreated(7);
    std::vector<model::TItem*> rows = {zebra, t.unexplored, apple, t.explored, nullptr, none2, t.partial};
    struct Case {
        int code;
        Strings order;
    };
    const Case cases[] = {
        {0, {"<nil>", "aaa", "docs", "none", "part", "Apple.txt", "zebra.bin"}},
        {1, {"<nil>", "part", "none", "docs", "aaa", "zebra.bin", "Apple.txt"}},
        // Size: unexplored folders after everything else, by name, in both directions.
        {2, {"<nil>", "part", "zebra.bin", "Apple.txt", "docs", "aaa", "none"}},
        {3, {"<nil>", "docs", "Apple.txt", "zebra.bin", "part", "aaa", "none"}},
        // Files: folders with a count, then files, then unexplored folders.
        {18, {"<nil>", "part", "docs", "Apple.txt", "zebra.bin", "aaa", "none"}},
        {19, {"<nil>", "docs", "part", "Apple.txt", "zebra.bin", "aaa", "none"}},
        // Extension: folders first both ways, ".bin" < ".txt" < "none".
        {32, {"<nil>", "aaa", "docs", "none", "part", "zebra.bin", "Apple.txt"}},
        {33, {"<nil>", "aaa", "docs", "none", "part", "Apple.txt", "zebra.bin"}},
        // The real dates sort by the item's own dates.
        {38, {"<nil>", "aaa", "docs", "none", "part", "Apple.txt", "zebra.bin"}},
        {39, {"<nil>", "zebra.bin", "Apple.txt", "aaa", "docs", "none", "part"}},
        {40, {"<nil>", "aaa", "docs", "none", "part", "zebra.bin", "Apple.txt"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Sorted(rows, SelectExplorerComparator(0, c.code)), c.order) << c.code;
}

TEST_F(SortOrder, FileListerTable) {
    auto* readme2 = TTree::File("README", t.deep, 3000);
    std::vector<model::TItem*> rows = {t.readme, t.a, readme2, t.explored};
    t.a->SetAttributes(model::kAttrReadOnly);
    struct Case {
        int code;
        Strings order;
    };
    const Case cases[] = {
        {0, {"a.txt", "readme", "README", "docs"}},  // files before folders ascending, names equal keep order
        {1, {"docs", "readme", "README", "a.txt"}},  // folders first descending
        {3, {"docs", "readme", "README", "a.txt"}},  // equal sizes by name ascending
        {14, {"docs", "a.txt", "readme", "README"}}, // /data/ < /data/docs/ < /data/part/deep/
        {32, {"a.txt", "docs", "readme", "README"}}, // ".txt" < "none"
        {12, {"docs", "readme", "README", "a.txt"}}, // "" < "R"
    };
    for (const Case& c : cases)
        EXPECT_EQ(Sorted(rows, SelectFileListerComparator(c.code)), c.order) << c.code;
}

TEST_F(SortOrder, DriveFamilyPutsUnknownSpaceLast) {
    auto* other = new model::TDriveItem("/srv", model::kKindFixed, t.computer);
    t.computer->AddChild(other);
    other->SetListed(true);
    other->SetExplored(true);
    other->SetSpace(80LL << 30, 100LL << 30);
    std::vector<model::TItem*> rows = {t.unlisted, t.drive, other, t.manual};
    EXPECT_EQ(Sorted(rows, SelectExplorerComparator(1, 28)),
              (Strings{"/data", "/srv", "/media/usb", "My Manual Explorations"}));
    EXPECT_EQ(Sorted(rows, SelectExplorerComparator(1, 29)),
              (Strings{"/srv", "/data", "/media/usb", "My Manual Explorations"}));
    EXPECT_EQ(Sorted(rows, SelectExplorerComparator(1, 34)),
              (Strings{"/srv", "/data", "/media/usb", "My Manual Explorations"}));
    EXPECT_EQ(Sorted(rows, SelectExplorerComparator(1, 0)),
              (Strings{"/data", "/media/usb", "/srv", "My Manual Explorations"}));
    // Used space: the rows without a value last both ways, by letter ("/" before the sort key "~").
    for (int code : {22, 23}) {
        const Strings s = Sorted(rows, SelectExplorerComparator(1, code));
        EXPECT_EQ(Strings(s.begin() + 2, s.end()), (Strings{"/media/usb", "My Manual Explorations"})) << code;
    }
}

TEST_F(SortOrder, TopItemsBySortKey) {
    auto* pref = t.root.EnsurePreferredRoot();
    std::vector<model::TItem*> rows = {t.manual, pref, t.computer, nullptr};
    const Strings asc = Sorted(rows, SelectExplorerComparator(3, 0));
    const Strings desc = Sorted(rows, SelectExplorerComparator(3, 1));
    EXPECT_EQ(asc.front(), "<nil>");
    EXPECT_EQ(desc.front(), "<nil>");
    EXPECT_EQ(Strings(asc.begin() + 1, asc.end()), Strings(desc.rbegin(), desc.rend() - 1));
}

TEST_F(SortOrder, ViewerNameOrderKeepsDrivesFirst) {
    auto* letter = new model::TDriveItem('D', t.computer);
    t.computer->AddChild(letter);
    auto* letterC = new model::TDriveItem('C', t.computer);
    t.computer->AddChild(letterC);
    letterC->SetName("zzz");
    std::vector<model::TItem*> rows = {t.a, t.explored, letter, t.partial, letterC};
    EXPECT_EQ(Sorted(rows, SelectViewerComparator(0, 0)), (Strings{"zzz", "D:", "docs", "part", "a.txt"}));
    EXPECT_EQ(Sorted(rows, SelectViewerComparator(0, 1)), (Strings{"D:", "zzz", "part", "docs", "a.txt"}));
}

TEST_F(SortOrder, SortIsStable) {
    std::vector<model::TItem*> rows;
    std::vector<model::TFileItem*> files;
    for (int i = 0; i < 50; ++i)
        files.push_back(TTree::File(i % 2 ? "x" : "X", t.explored, 7));
    for (auto* f : files)
        rows.push_back(f);
    SortItems(rows, *SelectFileListerComparator(2));
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(rows[i], files[i]);
}

// The whole-list sort (packed keys) orders exactly as the single comparisons do.
TEST(Comparators, SortAgreesWithSingleComparisons) {
    TTree t;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<model::TItem*> rows = {nullptr, t.a,        t.readme, t.explored, t.partial, t.unexplored,
                                       t.drive, t.unlisted, t.manual, t.computer, nullptr};
    const char* names[] = {"abcdefghijklmnopq",
                           "ABCDEFGHIJKLMNOP",
                           "abcdefghijklmnopqr",
                           "abcdefgh",
                           "ABCDEFGHI",
                           "abcdefgh.tx",
                           "abcdefgh.TXT",
                           "b",
                           "B",
                           "a.b.c",
                           "",
                           "zz"};
    int n = 0;
    for (const char* name : names) {
        auto* f = TTree::File(name, n % 2 ? t.explored : t.deep, n % 3 * 10);
        f->SetModified(n % 4 == 0 ? nan : (n % 4 == 1 ? -0.0 : 0.0 + n));
        f->SetCreated(n % 5 == 0 ? nan : 40000.0 + n % 3);
        f->SetAttributes(static_cast<std::uint32_t>(n * 7) & 0x27);
        rows.push_back(f);
        ++n;
    }
    auto* longFolder = TTree::Folder("abcdefghijklmnopqz", t.drive, true);
    rows.push_back(longFolder);
    for (const TItemComparator* cmp : AllComparators()) {
        std::vector<model::TItem*> fast = rows, slow = rows;
        SortItems(fast, *cmp);
        std::stable_sort(slow.begin(), slow.end(),
                         [cmp](const model::TItem* x, const model::TItem* y) { return (*cmp)(x, y) < 0; });
        EXPECT_EQ(Names(fast), Names(slow)) << cmp->Name << (cmp->Descending ? " desc" : " asc");
    }
}
