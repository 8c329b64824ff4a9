// The viewer's item classes: per-class answers, paths of Windows and Linux files, totals, order.
#include "viewer/UItem.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

using namespace viewer;

namespace {

TDriveItem* AddDrive(model::TFolderItem* parent, std::string_view name, char letter) {
    auto* d = new TDriveItem(name, parent);
    d->SetLetter(letter);
    if (letter == '/') d->SetMountPoint(std::string(name));
    parent->AddChild(d);
    return d;
}

template <typename T> T* Add(model::TFolderItem* parent, T* item) {
    parent->AddChild(item);
    return item;
}

} // namespace

TEST(ViewerItems, DriveKeepsStoredSpaceAndUsedMayBeNegative) {
    TRootItem root;
    auto* file = Add(&root, new TFileRootItem("/tmp/x.txf", &root));
    TDriveItem* d = AddDrive(file, "C:", 'C');
    d->SetSpace(500, 100); // free above total: a damaged or odd file
    Add(d, new TFileItem("a", d))->SetSize(7);
    root.ComputeTotals(); // must not measure a real disk
    EXPECT_EQ(d->FreeSpace(), 500);
    EXPECT_EQ(d->TotalSpace(), 100);
    EXPECT_EQ(d->UsedSpace(), -400);
    EXPECT_EQ(d->GetSize(), 7);

    TDriveItem unread("D:", nullptr);
    EXPECT_EQ(unread.UsedSpace(), 0); // never -1: a stored drive counts as measured
    EXPECT_EQ(unread.Letter(), ' ');
    EXPECT_EQ(unread.Name(), "D:");
}

TEST(ViewerItems, PathsKeepTheSeparatorOfTheirTopItem) {
    TRootItem root;
    auto* file = Add(&root, new TFileRootItem("/home/me/scan.txf", &root));
    TDriveItem* c = AddDrive(file, "System (C:)", 'C');
    auto* data = Add(c, new TFolderItem("Data", c));
    auto* a = Add(data, new TFileItem("a.txt", data));
    auto* unc = Add(file, new TFolderRootItem("", file));
    unc->SetPath("\\\\srv\\share");
    auto* sub = Add(unc, new TFolderItem("x", unc));
    TDriveItem* home = AddDrive(file, "/home", '/');
    auto* docs = Add(home, new TFolderItem("docs", home));
    auto* linuxRoot = Add(file, new TFolderRootItem("", file));
    linuxRoot->SetPath("/data/a");
    auto* b = Add(linuxRoot, new TFileItem("b", linuxRoot));

    EXPECT_EQ(file->GetPath(), "/home/me/scan.txf");
    EXPECT_EQ(file->Name(), "scan.txf");
    EXPECT_EQ(c->GetPath(), "C:\\");
    EXPECT_EQ(data->GetPath(), "C:\\Data\\");
    EXPECT_EQ(a->GetPath(), "C:\\Data\\a.txt");
    EXPECT_EQ(unc->GetPath(), "\\\\srv\\share\\");
    EXPECT_EQ(unc->Name(), "\\\\srv\\share\\");
    EXPECT_EQ(sub->GetPath(), "\\\\srv\\share\\x\\");
    EXPECT_EQ(home->GetPath(), "/home/");
    EXPECT_EQ(docs->GetPath(), "/home/docs/");
    EXPECT_EQ(b->GetPath(), "/data/a/b");
}

TEST(ViewerItems, FolderRootPathGetsOneTrailingSeparator) {
    const struct {
        const char* stored;
        const char* path;
    } cases[] = {
        {"C:\\Data", "C:\\Data\\"}, {"C:\\Data\\", "C:\\Data\\"},    {"", "\\"}, {"/", "/"},
        {"/home/me", "/home/me/"},  {"//srv/share", "//srv/share/"},
    };
    for (const auto& c : cases) {
        TFolderRootItem f("ignored", nullptr);
        f.SetPath(c.stored);
        EXPECT_EQ(f.Path(), c.path) << c.stored;
        EXPECT_EQ(f.Name(), c.path) << c.stored;
    }
}

TEST(ViewerItems, ExploredStateAndFolderDates) {
    TRootItem root;
    EXPECT_TRUE(root.IsExplored());
    auto* file = Add(&root, new TFileRootItem("/x.txf", &root));
    EXPECT_TRUE(file->IsExplored());
    auto* top = Add(file, new TFolderRootItem("", file));
    top->SetPath("C:\\a");
    auto* outer = Add(top, new TFolderItem("outer", top)); // stored flag 0
    outer->SetModified(10);
    auto* inner = Add(outer, new TFolderItem("inner", outer));
    inner->SetExplored(true);
    Add(inner, new TFileItem("f", inner))->SetModified(20);
    Add(outer, new TFileItem("g", outer))->SetModified(0); // a child's 0 never wins

    EXPECT_FALSE(outer->IsExplored());
    EXPECT_TRUE(outer->HasExploredContent());
    EXPECT_EQ(outer->GetModified(), 20);

    auto* bare = Add(top, new TFolderItem("bare", top));
    bare->SetModified(5);
    Add(bare, new TFileItem("h", bare))->SetModified(30);
    EXPECT_EQ(bare->GetModified(), 5); // not explored, nothing explored inside: its own date

    root.ComputeTotals();
    EXPECT_EQ(top->FolderCount(), 2); // "outer" and "inner"; "bare" holds nothing explored
    EXPECT_EQ(top->FileCount(), 3);
    EXPECT_EQ(FindTopItem(inner), top);
    EXPECT_EQ(FindTopItem(file), nullptr);
}

TEST(ViewerItems, TotalsOfHugeStoredSizesWrapWithoutUndefinedBehaviour) {
    TRootItem root;
    auto* file = Add(&root, new TFileRootItem("/x.txf", &root));
    auto* f = Add(file, new TFolderRootItem("", file));
    f->SetExplored(true);
    Add(f, new TFileItem("a", f))->SetSize(std::numeric_limits<std::int64_t>::max());
    Add(f, new TFileItem("b", f))->SetSize(std::numeric_limits<std::int64_t>::max());
    Add(f, new TFileItem("c", f))->SetSize(std::numeric_limits<std::int64_t>::min());
    TDriveItem* d = AddDrive(file, "Z:", 'Z');
    d->SetSpace(std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
    root.ComputeTotals();
    EXPECT_EQ(f->GetSize(), std::numeric_limits<std::int64_t>::max() - 1);
    EXPECT_EQ(d->UsedSpace(), -1);
}

TEST(ViewerItems, MessagesForEveryResultCode) {
    const struct {
        std::int32_t code;
        const char* reason;
    } cases[] = {
        {0, ""},
        {-1, "Unable to open the file"},
        {-2, "Invalid Tessalundrix file"},
        {-3, "Invalid file version"},
        {-4, "This file is corrupted"},
        {-5, ""},
        {-6, "Unsupported version"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoadErrorReason(c.code), c.reason) << c.code;
        const std::string want =
            *c.reason ? std::string("An error as occurred and the file could not be loaded.\n\r\n\rError: ") +
                            c.reason
                      : "";
        EXPECT_EQ(LoadErrorMessage(c.code), want);
    }
}

// ---- order ----

TEST(ViewerOrder, DrivesThenFolderItemsThenFilesByName) {
    TRootItem root;
    auto* file = Add(&root, new TFileRootItem("/x.txf", &root));
    auto* f1 = Add(file, new TFileItem("a.txt", file));
    auto* folder = Add(file, new TFolderItem("zeta", file));
    auto* froot = Add(file, new TFolderRootItem("", file));
    froot->SetPath("C:\\beta");
    TDriveItem* dz = AddDrive(file, "Aaa", 'Z');
    TDriveItem* dc = AddDrive(file, "Zzz", 'c'); // letters compare upper-cased, names ignored
    file->SortChildren(viewer::CompareItems);
    const std::vector<const TItem*> want = {dc, dz, froot, folder, f1};
    ASSERT_EQ(file->ChildCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(file->Child(i), want[static_cast<size_t>(i)]) << i;

    file->SortChildren(CompareByNameDrivesFirstDesc);
    const std::vector<const TItem*> desc = {dz, dc, folder, froot, f1};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(file->Child(i), desc[static_cast<size_t>(i)]) << i;
}

TEST(ViewerOrder, LinuxDrivesOrderByMountPoint) {
    TRootItem root;
    TDriveItem* b = AddDrive(&root, "/home", '/');
    TDriveItem* a = AddDrive(&root, "/", '/');
    EXPECT_LT(viewer::CompareItems(a, b), 0);
    EXPECT_GT(viewer::CompareItems(b, a), 0);
    EXPECT_GT(CompareByNameDrivesFirstDesc(a, b), 0);
}

// Every comparator is a strict weak order: irreflexive, asymmetric, transitive, with transitive
// equivalence, over a set that holds missing items, drives, folders, files and equal names.
TEST(ViewerOrder, ComparatorsAreStrictWeakOrders) {
    TRootItem root;
    std::vector<const TItem*> items = {nullptr, nullptr};
    items.push_back(AddDrive(&root, "C:", 'C'));
    items.push_back(AddDrive(&root, "c:", 'c'));
    items.push_back(AddDrive(&root, "/", '/'));
    items.push_back(AddDrive(&root, "/home", '/'));
    for (const char* n : {"a", "A", "b", "B", "a"})
        items.push_back(Add(&root, new TFolderItem(n, &root)));
    for (const char* n : {"a", "A", "b", ""})
        items.push_back(Add(&root, new TFileItem(n, &root)));
    auto* fr = Add(&root, new TFolderRootItem("", &root));
    fr->SetPath("/a");
    items.push_back(fr);

    for (int (*cmp)(const TItem*, const TItem*) : {&viewer::CompareItems, &CompareByNameDrivesFirstDesc}) {
        const auto less = [cmp](const TItem* x, const TItem* y) { return cmp(x, y) < 0; };
        const auto equiv = [&](const TItem* x, const TItem* y) { return !less(x, y) && !less(y, x); };
        for (const TItem* x : items) {
            EXPECT_FALSE(less(x, x));
            for (const TItem* y : items) {
                EXPECT_EQ(cmp(x, y) < 0, cmp(y, x) > 0);
                EXPECT_FALSE(less(x, y) && less(y, x));
                for (const TItem* z : items) {
                    EXPECT_TRUE(!(less(x, y) && less(y, z)) || less(x, z));
                    EXPECT_TRUE(!(equiv(x, y) && equiv(y, z)) || equiv(x, z));
                }
            }
        }
        EXPECT_EQ(cmp(nullptr, nullptr), 0);
        EXPECT_LT(cmp(nullptr, items[2]), 0);
        EXPECT_GT(cmp(items[2], nullptr), 0);
    }
}

// The sort key agrees with the order wherever it tells two items apart, and sorting with it gives
// the order that sorting without it gives, from every start.
TEST(ViewerOrder, SortKeyIsACoarseFormOfTheOrder) {
    TRootItem root;
    auto* file = Add(&root, new TFileRootItem("/x.txf", &root));
    std::vector<const TItem*> items;
    items.push_back(AddDrive(file, "C:", 'C'));
    items.push_back(AddDrive(file, "Aaa", 'c'));
    items.push_back(AddDrive(file, "/", '/'));
    items.push_back(AddDrive(file, "/home/user/longer", '/'));
    items.push_back(AddDrive(file, "/home/user/long", '/'));
    const std::string withNul("ab\0c", 4), shortNul("ab\0", 3);
    for (const std::string& n : std::vector<std::string>{"a", "A", "b", "abcdefg", "ABCDEFGH", "abcdefgh",
                                                         "abcdefgi", "abcdefg~", "", "\xE9t\xE9", "_", "ab",
                                                         withNul, shortNul, "file_10.txt", "FILE_1_.txt"}) {
        items.push_back(Add(file, new TFolderItem(n, file)));
        items.push_back(Add(file, new TFileItem(n, file)));
    }
    auto* fr = Add(file, new TFolderRootItem("", file));
    fr->SetPath("/abcdefgz");
    items.push_back(fr);

    for (const TItem* x : items)
        for (const TItem* y : items) {
            if (viewer::SortKey(x) < viewer::SortKey(y)) {
                EXPECT_LT(viewer::CompareItems(x, y), 0) << x->Name() << " / " << y->Name();
            }
        }

    std::vector<const TItem*> want;
    file->SortChildren(viewer::CompareItems);
    for (int i = 0; i < file->ChildCount(); ++i)
        want.push_back(file->Child(i));
    for (int start = 0; start < 3; ++start) {
        file->SortChildren(CompareByNameDrivesFirstDesc); // another starting order each time
        if (start == 1) file->SortChildren(viewer::CompareItems);
        file->SortChildren(viewer::CompareItems, viewer::SortKey);
        for (int i = 0; i < file->ChildCount(); ++i)
            EXPECT_EQ(file->Child(i), want[static_cast<size_t>(i)]) << "start " << start << ", row " << i;
    }
}
