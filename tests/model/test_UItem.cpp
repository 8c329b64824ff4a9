// The item tree: ownership, per-class answers, totals, marks, folder dates and child order.
#include "model/UItem.h"
#include "model/UTypeList.h"
#include "platform/PMounts.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace model;

namespace {

// Counts destructions, so that ownership is observable without a leak checker.
int gDestroyed = 0;
struct CountedFile : TFileItem {
    using TFileItem::TFileItem;
    ~CountedFile() override { ++gDestroyed; }
};

TFileItem* AddFile(TFolderItem* folder, const char* name, std::int64_t size, TDateTime modified = 0) {
    auto* f = new TFileItem(name, folder);
    f->SetSize(size);
    f->SetModified(modified);
    folder->AddChild(f);
    return f;
}

TFolderItem* AddFolder(TFolderItem* parent, const char* name, bool explored = true) {
    auto* f = new TFolderItem(name, parent);
    f->SetExplored(explored);
    f->SetListed(explored);
    parent->AddChild(f);
    return f;
}

std::vector<std::string> Names(const TFolderItem& folder) {
    std::vector<std::string> out;
    for (const TItem* c : folder.Children())
        out.emplace_back(c->Name());
    return out;
}

} // namespace

TEST(ItemTree, DestroyingTheRootFreesEverySubtree) {
    gDestroyed = 0;
    {
        auto root = std::make_unique<TRootItem>("My Tessalundrix");
        auto* a = AddFolder(root.get(), "a");
        auto* b = AddFolder(a, "b");
        for (int i = 0; i < 10; ++i)
            b->AddChild(new CountedFile("f" + std::to_string(i), b));
        a->AddChild(new CountedFile("top", a));
    }
    EXPECT_EQ(gDestroyed, 11);
}

TEST(ItemTree, ClearDestroysChildrenAndResetsFlagsAndTotals) {
    gDestroyed = 0;
    TRootItem root("My Tessalundrix");
    auto* a = AddFolder(&root, "a");
    a->SetChildrenListed(true);
    a->AddChild(new CountedFile("x", a));
    static_cast<TFileItem*>(a->Child(0))->SetSize(7);
    root.ComputeTotals();
    ASSERT_EQ(root.GetSize(), 7);
    a->Clear();
    EXPECT_EQ(gDestroyed, 1);
    EXPECT_EQ(a->ChildCount(), 0);
    EXPECT_FALSE(a->Listed() || a->Explored() || a->ChildrenListed());
    EXPECT_EQ(root.GetSize(), 0); // Clear recomputes from the top
}

TEST(ItemTree, RemoveChildHandsOwnershipBackAndAnnouncesIt) {
    struct Listener : TTreeListener {
        std::vector<std::pair<TFolderItem*, TItem*>> seen;
        void ItemsAboutToBeRemoved(TFolderItem* f, TItem* c) override { seen.emplace_back(f, c); }
    } listener;
    AddTreeListener(&listener);
    TRootItem root("r");
    auto* a = AddFolder(&root, "a");
    TFileItem* f = AddFile(a, "f", 3);
    a->RemoveChild(f);
    std::unique_ptr<TItem> owned(f);
    EXPECT_EQ(f->Parent(), nullptr);
    EXPECT_EQ(a->ChildCount(), 0);
    AddFile(a, "g", 1);
    a->Clear();
    RemoveTreeListener(&listener);
    ASSERT_EQ(listener.seen.size(), 2u);
    EXPECT_EQ(listener.seen[0], std::make_pair(a, static_cast<TItem*>(f)));
    EXPECT_EQ(listener.seen[1], std::make_pair(a, static_cast<TItem*>(nullptr)));
}

TEST(ItemTree, Paths) {
    TRootItem root("My Tessalundrix");
    auto* computer = root.EnsureComputerRoot();
    auto* drive = new TDriveItem("/home", kKindFixed, computer);
    computer->AddChild(drive);
    auto* docs = AddFolder(drive, "docs");
    TFileItem* file = AddFile(docs, "a.txt", 1);
    auto* rootDrive = new TDriveItem("/", kKindFixed, computer);
    computer->AddChild(rootDrive);
    auto* etc = AddFolder(rootDrive, "etc");
    auto* manual = new TManualItem("/data", kKindFixed, root.EnsureManualRoot());
    root.ManualRoot()->AddChild(manual);
    auto* letter = new TDriveItem('C', computer);

    EXPECT_EQ(root.GetPath(), "My Tessalundrix");
    EXPECT_EQ(drive->GetPath(), "/home/");
    EXPECT_EQ(docs->GetPath(), "/home/docs/");
    EXPECT_EQ(file->GetPath(), "/home/docs/a.txt");
    EXPECT_EQ(rootDrive->GetPath(), "/");
    EXPECT_EQ(etc->GetPath(), "/etc/");
    EXPECT_EQ(manual->Name(), "/data/");
    EXPECT_EQ(manual->GetPath(), "/data/");
    EXPECT_EQ(TManualItem("/data/", kKindFixed, nullptr).Name(), "/data/");
    EXPECT_EQ(TManualItem("/", kKindFixed, nullptr).Name(), "/");
    EXPECT_EQ(letter->Name(), "C:");
    EXPECT_EQ(letter->GetPath(), "C:\\");
    EXPECT_EQ(TFileItem("lonely", nullptr).GetPath(), "lonely");
    EXPECT_EQ(TFolderItem("lonely", nullptr).GetPath(), "lonely/");
    delete letter;
}

TEST(ItemTree, DriveKinds) {
    TRootItem root("r");
    auto* computer = root.EnsureComputerRoot();
    auto* usb = new TDriveItem("/media/usb", kKindRemovable, computer);
    computer->AddChild(usb);
    auto* sub = AddFolder(usb, "sub");
    TFileItem* f = AddFile(sub, "f", 1);
    auto* net = root.EnsureNetworkRoot();
    auto* share = new TNetworkDriveItem("//srv/share", "/mnt/share", net);
    net->AddChild(share);
    auto* inShare = AddFolder(share, "x");

    EXPECT_EQ(f->GetDriveKind(), kKindRemovable);
    EXPECT_EQ(root.GetDriveKind(), kKindOther);
    EXPECT_EQ(computer->GetDriveKind(), kKindOther);
    EXPECT_EQ(inShare->GetDriveKind(), kKindRemote);
    EXPECT_EQ(TFileItem("x", nullptr).GetDriveKind(), kKindOther);
    EXPECT_EQ(TManualItem("//srv/share", nullptr).GetDriveKind(), kKindRemote);
    EXPECT_EQ(share->Name(), "share");
    EXPECT_EQ(share->GetPath(), "/mnt/share/");
    EXPECT_EQ(share->UncPath(), "//srv/share");
}

TEST(ItemTree, TotalsCountOnlyFoldersWithExploredContent) {
    TRootItem root("r");
    auto* computer = root.EnsureComputerRoot();
    auto* manual = root.EnsureManualRoot();
    auto* m = new TManualItem("/data", kKindFixed, manual);
    manual->AddChild(m);
    m->SetExplored(true);
    auto* a = AddFolder(m, "a");
    AddFile(a, "1", 100);
    AddFile(a, "2", 23);
    auto* empty = AddFolder(a, "empty");
    (void)empty;
    auto* listedOnly = AddFolder(m, "listed", false);
    (void)listedOnly;
    AddFile(m, "3", 4);
    (void)computer;
    root.ComputeTotals();

    EXPECT_EQ(a->GetSize(), 123);
    EXPECT_EQ(a->GetFileCount(), 2);
    EXPECT_EQ(a->GetFolderCount(), 1); // "empty" is explored
    EXPECT_EQ(m->GetSize(), 127);
    EXPECT_EQ(m->GetFileCount(), 3);
    EXPECT_EQ(m->GetFolderCount(), 2);      // a and empty; the listed-only folder counts nowhere
    EXPECT_EQ(manual->GetFolderCount(), 2); // top items never count as folders themselves
    EXPECT_EQ(root.GetSize(), 127);
    EXPECT_EQ(root.GetFolderCount(), 2);
}

TEST(ItemTree, SizesAreSixtyFourBit) {
    TRootItem root("r");
    auto* f = AddFolder(&root, "f");
    AddFile(f, "big", 5'000'000'000'000LL);
    AddFile(f, "bigger", 9'000'000'000'000'000LL);
    root.ComputeTotals();
    EXPECT_EQ(f->GetSize(), 9'005'000'000'000'000LL);
}

TEST(ItemTree, FolderDates) {
    struct Case {
        const char* what;
        bool explored;
        std::vector<TDateTime> childDates;
        TDateTime expected;
    };
    const std::vector<Case> cases = {
        {"explored, no children: own date", true, {}, 10},
        {"explored: latest child", true, {20, 40, 30}, 40},
        {"explored, children without dates: own date", true, {0, 0}, 10},
        {"negative child dates never win", true, {-5}, 10},
        {"not explored: own date", false, {50}, 10},
    };
    for (const Case& c : cases) {
        TFolderItem folder("f", nullptr);
        folder.SetExplored(c.explored);
        folder.SetModified(10);
        folder.SetAccessed(10);
        for (TDateTime d : c.childDates) {
            TFileItem* f = AddFile(&folder, "x", 0, d);
            f->SetAccessed(d);
        }
        EXPECT_EQ(folder.GetModified(), c.expected) << c.what;
        EXPECT_EQ(folder.GetAccessed(), c.expected) << c.what;
    }
}

TEST(ItemTree, FolderDatesFollowExploredContentBelowAListedFolder) {
    TFolderItem top("top", nullptr);
    top.SetModified(1);
    auto* sub = AddFolder(&top, "sub");
    AddFile(sub, "f", 0, 99);
    EXPECT_FALSE(top.IsExplored());
    EXPECT_TRUE(top.HasExploredContent());
    EXPECT_EQ(top.GetModified(), 99);
}

TEST(ItemTree, Marks) {
    TRootItem root("r");
    auto* a = AddFolder(&root, "a");
    auto* b = AddFolder(a, "b");
    TFileItem* f1 = AddFile(b, "1", 1);
    AddFile(b, "2", 1);
    TFileItem* lone = AddFile(a, "lone", 1);

    EXPECT_EQ(root.GetMarkedFileCount(), 0);
    EXPECT_FALSE(root.HasMarkedDescendant());
    b->SetMarked(true);
    EXPECT_TRUE(f1->IsMarked());
    EXPECT_FALSE(lone->IsMarked());
    EXPECT_TRUE(a->HasMarkedDescendant());
    EXPECT_EQ(root.GetMarkedFileCount(), 2);
    lone->SetMarked(true);
    EXPECT_EQ(root.GetMarkedFileCount(), 3);
    EXPECT_TRUE(lone->Marked());
    EXPECT_EQ(lone->Parent(), a); // the mark lives beside the parent pointer without disturbing it
    root.SetMarked(true);
    EXPECT_EQ(root.GetMarkedFileCount(), 3);
    root.ClearMark();
    EXPECT_EQ(root.GetMarkedFileCount(), 0);
    EXPECT_FALSE(b->Marked() || lone->Marked() || root.Marked());
}

TEST(ItemTree, FindChildIsExactAndPrefersTheLast) {
    TFolderItem f("f", nullptr);
    TFileItem* first = AddFile(&f, "Name", 1);
    TFileItem* second = AddFile(&f, "Name", 2);
    (void)first;
    EXPECT_EQ(f.FindChild("Name"), second);
    EXPECT_EQ(f.FindChild("name"), nullptr);
    EXPECT_EQ(f.FindChild("Nam"), nullptr);
}

TEST(ItemTree, ChildOrder) {
    TFolderItem f("f", nullptr);
    for (const char* n : {"b", "A", "a", "B.txt", "_x", "\xC3\xA9t\xC3\xA9", "ab", "Zeta"})
        AddFile(&f, n, 0);
    for (const char* n : {"zdir", "Adir"})
        AddFolder(&f, n);
    f.SortChildren();
    // Folders first; then upper-case names byte-wise ("_" 0x5F sorts after "Z" 0x5A, non-ASCII last);
    // "A" before "a" by their raw bytes.
    EXPECT_EQ(Names(f), (std::vector<std::string>{"Adir", "zdir", "A", "a", "ab", "b", "B.txt", "Zeta", "_x",
                                                  "\xC3\xA9t\xC3\xA9"}));
}

TEST(ItemTree, CompareItemsIsAStrictOrderOnCaseTwins) {
    TFileItem a("a", nullptr), A("A", nullptr);
    EXPECT_LT(CompareItems(&A, &a), 0);
    EXPECT_GT(CompareItems(&a, &A), 0);
    EXPECT_EQ(CompareItems(&a, &a), 0);
}

TEST(ItemTree, DriveSpace) {
    TDriveItem d("/x", kKindFixed, nullptr);
    d.SetSpace(40, 100);
    EXPECT_EQ(d.UsedSpace(), -1); // not listed
    EXPECT_EQ(d.FreeSpace(), -1);
    d.SetListed(true);
    EXPECT_EQ(d.UsedSpace(), 60);
    EXPECT_EQ(d.TotalSpace(), 100);
    d.SetSpace(-1, 100);
    EXPECT_EQ(d.UsedSpace(), -1); // free space could not be measured
    d.SetSpace(40, -1);
    EXPECT_EQ(d.UsedSpace(), -1);
}

TEST(ItemTree, DriveWithoutChildrenReportsNoSpace) {
    TDriveItem d("/", kKindFixed, nullptr);
    d.SetSpace(1, 2);
    d.ComputeTotals();
    EXPECT_EQ(d.Free(), 0);
    EXPECT_EQ(d.Total(), 0);
    AddFolder(&d, "x");
    d.ComputeTotals();
    EXPECT_GT(d.Total(), 0); // "/" can be measured here
}

TEST(ItemTree, RootContainersInOrder) {
    TRootItem root("My Tessalundrix");
    auto* c = root.EnsureComputerRoot();
    auto* n = root.EnsureNetworkRoot();
    auto* p = root.EnsurePreferredRoot();
    auto* m = root.EnsureManualRoot();
    EXPECT_EQ(root.EnsureComputerRoot(), c);
    EXPECT_EQ(root.EnsureManualRoot(), m);
    EXPECT_EQ(root.ChildCount(), 4);
    EXPECT_EQ(root.ManualRoot(), m); // the preferred container is a manual container too, but not this one
    EXPECT_EQ(root.PreferredRoot(), p);
    EXPECT_EQ(root.NetworkRoot(), n);
    EXPECT_EQ(c->Name(), "My Computer");
    EXPECT_EQ(n->Name(), "Network Neighborhood");
    EXPECT_EQ(p->Name(), "My Preferred Explorations");
    EXPECT_EQ(m->Name(), "My Manual Explorations");
    EXPECT_EQ(c->SortKey(), '{');
    EXPECT_EQ(n->SortKey(), '|');
    EXPECT_EQ(p->SortKey(), '}');
    EXPECT_EQ(m->SortKey(), '~');
    EXPECT_TRUE(m->Listed() && m->ChildrenListed());
    m->Clear();
    EXPECT_TRUE(m->Listed() && m->ChildrenListed());
    EXPECT_EQ(c->FindRoot(), &root);
}

TEST(ItemTree, FindDriveByMountPoint) {
    TComputerRootItem c(nullptr); // lists the mounted drives at once
    // A mount table of its own: "/" need not be a mount point here (a chroot).
    c.UpdateDrives(platform::ParseMountInfo("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                            "2 1 8:2 / /home rw - ext4 /dev/sda2 rw\n",
                                            [](unsigned, unsigned) { return false; }));
    const int mounted = c.ChildCount();
    EXPECT_EQ(mounted, 2);
    EXPECT_GE(c.FindDrive("/"), 0);
    c.AddChild(new TDriveItem("/no-such-a", kKindFixed, &c));
    c.AddChild(new TDriveItem("/no-such-b", kKindFixed, &c));
    c.AddChild(new TDriveItem("/no-such-a", kKindFixed, &c));
    EXPECT_EQ(c.FindDrive("/no-such-b"), mounted + 1);
    EXPECT_EQ(c.FindDrive("/no-such-a"), mounted + 2); // the last one
    EXPECT_EQ(c.FindDrive("/no-such-c"), -1);
}

TEST(ItemTree, PreferredItemsShowTheirStartFlag) {
    TPreferredItem p("/data", kKindFixed, nullptr);
    EXPECT_EQ(p.StateIndex(), 2);
    p.SetExploreAtStart(true);
    EXPECT_EQ(p.StateIndex(), 1);
    TPreferredDriveItem d("/", kKindFixed, nullptr);
    EXPECT_EQ(d.StateIndex(), 2);
    EXPECT_EQ(TFolderItem("x", nullptr).StateIndex(), -1);
}

TEST(ItemTree, NetworkContainerIsExploredWhenListedAndEveryShareIs) {
    TNetworkContainerItem server("srv", "//srv", nullptr);
    EXPECT_FALSE(server.IsExplored());
    server.SetListed(true);
    EXPECT_TRUE(server.IsExplored());
    auto* share = new TNetworkDriveItem("//srv/a", "/mnt/a", &server);
    server.AddChild(share);
    EXPECT_FALSE(server.IsExplored());
    share->SetExplored(true);
    EXPECT_TRUE(server.IsExplored());
    EXPECT_EQ(server.GetPath(), "//srv");
}

TEST(ItemTree, NamesKeepTheirBytes) {
    const std::string invalid = "bad\xFF\xFEname";
    const std::string longName(300, 'x');
    TFileItem a(invalid, nullptr), b(longName, nullptr), c("", nullptr);
    EXPECT_EQ(a.Name(), invalid);
    EXPECT_EQ(b.Name(), longName);
    EXPECT_EQ(c.Name(), "");
    b.SetName("short");
    EXPECT_EQ(b.Name(), "short");
}

TEST(ItemTree, ExtensionKeys) {
    const std::vector<std::pair<const char*, const char*>> cases = {{"a.txt", ".TXT"},
                                                                    {"a.tar.gz", ".GZ"},
                                                                    {"readme", "none"},
                                                                    {"name.", "."},
                                                                    {".bashrc", ".BASHRC"},
                                                                    {"x.JpG", ".JPG"},
                                                                    {"\xC3\xA9.\xC3\xA9", ".\xC3\xA9"}};
    for (auto [name, key] : cases)
        EXPECT_EQ(ExtensionKey(name), key) << name;
}

TEST(ItemTree, FileTypeResolvesByExtension) {
    TFileItem a("a.txt", nullptr), b("b.TXT", nullptr);
    a.ResolveType();
    b.ResolveType();
    EXPECT_EQ(a.TypeIndex(), b.TypeIndex());
    EXPECT_EQ(TypeList().Items(a.TypeIndex()).Key, ".TXT");
}

TEST(ItemNames, EveryWayOfMakingAnItemKeepsItsName) {
    const std::string lengths[] = {"",
                                   "a",
                                   std::string(12, 'n'),
                                   std::string(252, 'x'),
                                   std::string(253, 'y'),
                                   std::string(254, 'z'),
                                   std::string(300, 'w'),
                                   "bad\xFF\xFE"};
    TFolderItem parent("parent", nullptr); // on the stack: its name is kept aside
    for (const std::string& n : lengths) {
        auto* made = NewItem<TFileItem>(n, &parent);
        auto* plain = new TFolderItem(n, &parent);
        parent.AddChild(made);
        parent.AddChild(plain);
        EXPECT_EQ(made->Name(), n);
        EXPECT_EQ(plain->Name(), n);
        EXPECT_EQ(made->Parent(), &parent);
    }
    EXPECT_EQ(parent.Name(), "parent");
    parent.Clear(); // every kind of block goes back to where it came from (the sanitizer build checks)
}

TEST(ItemNames, RenamingInEveryMode) {
    TFolderItem parent("p", nullptr);
    auto* made = NewItem<TFileItem>("same", &parent);
    auto* plain = new TFileItem("old", &parent);
    parent.AddChild(made);
    parent.AddChild(plain);
    made->SetName("SAME"); // same length: in place
    EXPECT_EQ(made->Name(), "SAME");
    made->SetName("a longer name than before");
    EXPECT_EQ(made->Name(), "a longer name than before");
    made->SetName("x");
    EXPECT_EQ(made->Name(), "x");
    plain->SetName(std::string(400, 'q'));
    EXPECT_EQ(plain->Name(), std::string(400, 'q'));
    parent.SetName("renamed");
    EXPECT_EQ(parent.Name(), "renamed");
    parent.Clear();
}

TEST(ItemNames, BulkItemsStayCompact) {
    static_assert(sizeof(TFileItem) == 56);
    EXPECT_EQ(NamePrefixBytes(std::string(12, 'n')), 16u);
    EXPECT_EQ(NamePrefixBytes(""), 8u);
}

TEST(ItemTree, AChainOfAnyDepthCostsNoStack) {
    // Far deeper than a stack holds frames of a recursive walk: every walk of the tree, and its
    // destruction, must do without recursion.
    constexpr int kDepth = 300000;
    gDestroyed = 0;
    {
        TRootItem root("r");
        auto* computer = root.EnsureComputerRoot();
        auto* drive = new TDriveItem('C', computer);
        computer->AddChild(drive);
        TFolderItem* folder = drive;
        for (int i = 0; i < kDepth; ++i) {
            auto* sub = NewItem<TFolderItem>("d", folder);
            sub->SetExplored(true);
            folder->AddChild(sub);
            folder = sub;
        }
        auto* leaf = new CountedFile("leaf.txt", folder);
        leaf->SetSize(5);
        leaf->SetModified(40000);
        folder->AddChild(leaf);
        drive->SetExplored(true);

        root.UpdateTotals();
        EXPECT_EQ(drive->GetSize(), 5);
        EXPECT_EQ(drive->FolderCount(), kDepth);
        EXPECT_EQ(drive->GetModified(), 40000);
        const std::string path = leaf->GetPath();
        EXPECT_EQ(path.size(), 3 + 2 * static_cast<size_t>(kDepth) + 8);
        EXPECT_EQ(path.substr(0, 5), "C:\\d\\");
        EXPECT_EQ(folder->PathSeparator(), '\\');
        EXPECT_TRUE(drive->HasExploredContent());
        EXPECT_TRUE(drive->ContainsItem(leaf));
        EXPECT_FALSE(folder->ContainsItem(drive));
        EXPECT_FALSE(drive->HasMarkedDescendant());
        drive->SetMarked(true);
        EXPECT_TRUE(drive->HasMarkedDescendant());
        EXPECT_EQ(root.GetMarkedFileCount(), 1);
        root.ClearMark();
        EXPECT_EQ(root.GetMarkedFileCount(), 0);
        folder->SetMarked(true); // the deepest folder only: found from the top
        EXPECT_TRUE(drive->HasMarkedDescendant());
        root.ClearMark();
        // Clearing a deep branch, then building it again to leave with the root.
        static_cast<TFolderItem*>(drive->Child(0))->Clear();
        EXPECT_EQ(gDestroyed, 1);
        EXPECT_EQ(drive->GetSize(), 0);
        folder = drive;
        for (int i = 0; i < kDepth; ++i) {
            auto* sub = NewItem<TFolderItem>("e", folder);
            folder->AddChild(sub);
            folder = sub;
        }
        folder->AddChild(new CountedFile("again", folder));
    }
    EXPECT_EQ(gDestroyed, 2);
}
