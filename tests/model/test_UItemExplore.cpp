#include "model/UBusyCursor.h"
#include "model/UItem.h"
#include "model/UScanProgress.h"
#include "model/UTypeList.h"
#include "platform/PEnumerate.h"
#include "platform/PMounts.h"

#include "tests/FixtureTree.h"

#include <gtest/gtest.h>

#include <map>

#include <sys/wait.h>
#include <unistd.h>

using namespace model;
using txtest::TTempDir;

namespace {

// A windowless exploring window that counts its pumps at the fixed points and cancels at the
// chosen one (0: never). Pumps while the walk's threads are slow (a busy machine) come on top.
class TCountingProgress : public TScanProgress {
public:
    explicit TCountingProgress(int cancelAt) : FCancelAt(cancelAt) {}
    void Pump() override {
        ++Pumps;
        if (FCancelAt > 0 && Pumps == FCancelAt) Cancel();
    }
    void PumpWhileWaiting() override { ++WaitingPumps; }
    int Pumps = 0;
    int WaitingPumps = 0;

private:
    int FCancelAt;
};

// Installs a factory for one test: windows are counted, and the last one is kept for a look.
class TWindows {
public:
    explicit TWindows(int cancelAt = 0) {
        SetScanProgressFactory([this, cancelAt] {
            auto w = std::make_unique<TCountingProgress>(cancelAt);
            Last = w.get();
            ++Made;
            return w;
        });
    }
    ~TWindows() { SetScanProgressFactory(nullptr); }
    int Made = 0;
    TCountingProgress* Last = nullptr; // valid while the exploration runs only
};

// Every item below folder, by its path relative to folder (folders end with "/").
void Collect(const TFolderItem* folder, const std::string& prefix, std::map<std::string, const TItem*>& out) {
    for (const TItem* child : folder->Children()) {
        const std::string name = prefix + std::string(child->Name());
        if (child->IsFolder()) {
            out[name + "/"] = child;
            Collect(static_cast<const TFolderItem*>(child), name + "/", out);
        } else {
            out[name] = child;
        }
    }
}

} // namespace

TEST(Explore, TotalsCountsAndDatesAgreeWithFind) {
    TTempDir t;
    txtest::MakeFixtureTree(t);
    TWindows windows;
    TManualItem item(t.Path(), kKindFixed, nullptr);
    ASSERT_TRUE(item.Explore());
    EXPECT_EQ(windows.Made, 1);
    EXPECT_TRUE(item.Explored());
    EXPECT_TRUE(item.Listed());
    EXPECT_TRUE(item.ChildrenListed());

    const auto found = txtest::FindTree(t.Path());
    std::int64_t bytes = 0, files = 0, folders = 0;
    for (const auto& [name, f] : found) {
        if (f.type == 'd')
            ++folders;
        else
            ++files, bytes += f.size;
    }
    EXPECT_EQ(item.GetSize(), bytes);
    EXPECT_EQ(item.GetFileCount(), files);
    EXPECT_EQ(item.GetFolderCount(), folders);

    std::map<std::string, const TItem*> items;
    Collect(&item, "", items);
    ASSERT_EQ(items.size(), found.size());
    for (const auto& [name, f] : found) {
        const auto it = items.find(f.type == 'd' ? name + "/" : name);
        ASSERT_NE(it, items.end()) << name;
        const TItem* i = it->second;
        EXPECT_EQ(i->Modified(), platform::DateTimeFromUnix(f.mtimeSeconds, f.mtimeMs * 1000000u)) << name;
        if (f.type != 'd') {
            EXPECT_EQ(i->GetSize(), f.size) << name;
        }
        EXPECT_EQ(i->IsFolder(), f.type == 'd') << name;
    }
    EXPECT_EQ(items["sizes/s4294967301"]->GetSize(), 4294967301LL);
    EXPECT_EQ(items["names/.hidden"]->Attributes() & kAttrHidden, kAttrHidden);
    EXPECT_EQ(items["special/fifo"]->Attributes(), kAttrSystem);
    EXPECT_EQ(items["empty/"]->Attributes() & kAttrDirectory, kAttrDirectory);
    EXPECT_NE(item.Created(), 0.0); // a manual exploration is dated when it runs
}

TEST(Explore, FoldersReadOnOneThreadOrEightMakeTheSameTree) {
    TTempDir t;
    txtest::MakeFixtureTree(t);
    for (int i = 0; i < 40; ++i)
        for (const char* sub : {"", "/x", "/x/y"}) {
            t.Folder("many" + std::to_string(i) + sub);
            t.File("many" + std::to_string(i) + sub + "/f" + std::to_string(i % 7) + ".txt", i);
        }
    struct TRestore {
        ~TRestore() { platform::SetWalkThreads(0); }
    } restore;
    {
        TManualItem warm(t.Path(), kKindFixed, nullptr); // a first read of a folder moves its access time
        ASSERT_TRUE(warm.Explore());
    }
    // Every item with what it holds, depth-first in the children's order.
    std::string trees[2];
    for (unsigned threads : {1u, 8u}) {
        platform::SetWalkThreads(threads);
        TManualItem item(t.Path(), kKindFixed, nullptr);
        ASSERT_TRUE(item.Explore());
        std::string& out = trees[threads == 8];
        std::vector<std::pair<const TItem*, int>> stack{{&item, 0}};
        while (!stack.empty()) {
            const auto [i, depth] = stack.back();
            stack.pop_back();
            char line[160];
            std::snprintf(line, sizeof line, " %lld %lld %u %.9f %.9f %d\n",
                          static_cast<long long>(i->GetSize()), static_cast<long long>(i->GetFileCount()),
                          i->Attributes(), i->Modified(), i->Accessed(), depth);
            out += i->NameString() + line;
            if (!i->IsFolder()) continue;
            const auto* folder = static_cast<const TFolderItem*>(i);
            for (int c = folder->ChildCount() - 1; c >= 0; --c)
                stack.emplace_back(folder->Child(c), depth + 1);
        }
    }
    EXPECT_GT(trees[0].size(), 3000u);
    EXPECT_TRUE(trees[0] == trees[1]);
}

TEST(Explore, ChildrenAreSortedFoldersFirstAndTyped) {
    TTempDir t;
    txtest::MakeFixtureTree(t);
    TManualItem item(t.Path(), kKindFixed, nullptr);
    ASSERT_TRUE(item.Explore());
    auto* names = static_cast<TFolderItem*>(item.FindChild("names"));
    ASSERT_NE(names, nullptr);
    std::vector<std::string> order;
    for (const TItem* c : names->Children())
        order.push_back(c->NameString());
    const std::vector<std::string> want = {
        ".hidden", "A", "a", "a.b.c.txt", "arch.tar.gz", "bad\xff\xfe.bin", "caf\xe9", "enddot.", "noext"};
    EXPECT_EQ(order, want);
    std::vector<std::string> top;
    for (const TItem* c : item.Children())
        top.push_back(c->NameString());
    EXPECT_EQ(
        top, (std::vector<std::string>{".dotfolder", "deep", "empty", "links", "names", "sizes", "special"}));
    EXPECT_EQ(names->FindChild("noext")->TypeIndex(), TypeList().IndexOfExtension("none"));
    EXPECT_EQ(names->FindChild("arch.tar.gz")->TypeIndex(), TypeList().IndexOfExtension(".GZ"));
    EXPECT_EQ(names->FindChild("enddot.")->TypeIndex(), TypeList().IndexOfExtension("."));
}

TEST(Explore, PumpsOncePerFolderAndEvery250Entries) {
    // "." and ".." count: 248 files make 250 entries, 247 make 249.
    for (const auto& [count, pumps] : {std::pair{247, 1}, std::pair{248, 2}, std::pair{498, 3}}) {
        TTempDir t;
        for (int i = 0; i < count; ++i)
            t.File("f" + std::to_string(i), 0);
        TWindows windows;
        TFolderItem folder(t.Path().substr(0, t.Path().size() - 1), nullptr);
        int seen = -1;
        SetScanProgressFactory([&seen] {
            struct TSeen : TCountingProgress {
                int* out;
                explicit TSeen(int* o) : TCountingProgress(0), out(o) {}
                ~TSeen() override { *out = Pumps; }
                // The labels' refresh, paced by time, pumps too; on a loaded machine it falls due
                // before the first folder. The clock stands still: only the fixed points count.
                TClock::time_point Now() const override { return {}; }
            };
            return std::make_unique<TSeen>(&seen);
        });
        ASSERT_TRUE(folder.Explore());
        EXPECT_EQ(seen, pumps) << count;
        EXPECT_EQ(folder.GetFileCount(), count);
    }
}

TEST(Explore, CancelLeavesTheItemEmptyAndStopsAtOnce) {
    TTempDir t;
    txtest::MakeFixtureTree(t);
    // Pump 1 is the start folder, then one per folder entered: cancel deep inside the tree. With a
    // slow walk the labels are due at every folder too, and a folder then pumps twice: the cancel
    // may come with either pump.
    for (const bool labelsDue : {false, true})
        for (int step : {1, 2, 3, 4, 6}) {
            int pumps = 0;
            SetScanProgressFactory([&pumps, step, labelsDue] {
                struct TStep : TCountingProgress {
                    int* out;
                    bool due;
                    mutable TClock::time_point clock{};
                    TStep(int s, int* o, bool d) : TCountingProgress(s), out(o), due(d) {}
                    ~TStep() override { *out = Pumps; }
                    TClock::time_point Now() const override {
                        return due ? clock += std::chrono::seconds(1) : TCountingProgress::Now();
                    }
                };
                return std::make_unique<TStep>(step, &pumps, labelsDue);
            });
            TManualItem item(t.Path(), kKindFixed, nullptr);
            EXPECT_FALSE(item.Explore()) << step;
            EXPECT_EQ(pumps, step) << "the walk went on after the cancel"
                                   << (labelsDue ? " (labels due)" : "");
            EXPECT_EQ(item.ChildCount(), 0);
            EXPECT_EQ(item.GetSize(), 0);
            EXPECT_EQ(item.GetFileCount(), 0);
            EXPECT_FALSE(item.Explored());
            EXPECT_FALSE(item.Listed());
            EXPECT_EQ(ScanProgressForm, nullptr);
        }
    SetScanProgressFactory(nullptr);
}

namespace {
// Explores a tree with a folder its user cannot read; 0 when that folder came out empty and the
// rest was read.
int ExploreWithUnreadableFolder() {
    TTempDir t;
    t.Folder("locked");
    t.File("locked/secret", 100);
    t.File("open", 5);
    ::chmod((t.Path() + "locked").c_str(), 0);
    TManualItem item(t.Path(), kKindFixed, nullptr);
    if (!item.Explore()) return 1;
    auto* locked = static_cast<TFolderItem*>(item.FindChild("locked"));
    if (!locked || locked->ChildCount() != 0 || item.GetSize() != 5 || !item.Explored()) return 2;
    // Unexplorable as a start folder too: empty, not an error.
    TManualItem start(t.Path() + "locked", kKindFixed, nullptr);
    return start.Explore() && start.ChildCount() == 0 ? 0 : 3;
}
} // namespace

TEST(Explore, UnreadableFolderIsEmpty) {
    if (geteuid() != 0) {
        EXPECT_EQ(ExploreWithUnreadableFolder(), 0);
        return;
    }
    // Root reads every folder: run it as nobody in a child process.
    const pid_t pid = fork();
    if (pid == 0) {
        if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0) _exit(77);
        _exit(ExploreWithUnreadableFolder());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot drop to an unprivileged user";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Expand, ListsSubfoldersOnlyAndForceReplacesContent) {
    TTempDir t;
    txtest::MakeFixtureTree(t);
    TManualItem item(t.Path(), kKindFixed, nullptr);
    std::vector<bool> cursor;
    SetBusyCursorHook([&cursor](bool busy) { cursor.push_back(busy); });
    item.Expand(false, true);
    SetBusyCursorHook(nullptr);
    EXPECT_EQ(cursor, (std::vector<bool>{true, false})); // one wait cursor for the nested expansions
    EXPECT_TRUE(item.Listed());
    EXPECT_TRUE(item.ChildrenListed());
    EXPECT_FALSE(item.Explored());
    EXPECT_EQ(item.ChildCount(), 7); // folders only
    auto* deep = static_cast<TFolderItem*>(item.FindChild("deep"));
    ASSERT_NE(deep, nullptr);
    EXPECT_TRUE(deep->Listed());
    EXPECT_EQ(deep->ChildCount(), 1);
    EXPECT_FALSE(static_cast<TFolderItem*>(deep->Child(0))->Listed());
    EXPECT_EQ(item.GetFolderCount(), 0); // listed folders count nowhere
    EXPECT_EQ(item.GetSize(), 0);

    ASSERT_TRUE(item.Explore());
    const std::int64_t size = item.GetSize();
    item.Expand(false, false); // explored: kept
    EXPECT_EQ(item.GetSize(), size);
    item.Expand(true, false); // forced: a bare listing again
    EXPECT_EQ(item.GetSize(), 0);
    EXPECT_EQ(item.ChildCount(), 7);
}

TEST(PreferredBatch, FlaggedItemsShareOneWindow) {
    TTempDir a, b, c;
    a.File("x", 10);
    b.File("y", 20);
    c.File("z", 30);
    TWindows windows;
    TRootItem root("My Tessalundrix");
    TPreferredRootItem* pref = root.EnsurePreferredRoot();
    auto* pa = new TPreferredItem(a.Path(), kKindFixed, pref);
    auto* pb = new TPreferredItem(b.Path(), kKindFixed, pref);
    auto* pc = new TPreferredItem(c.Path(), kKindFixed, pref);
    pref->AddChild(pa);
    pref->AddChild(pb);
    pref->AddChild(pc);
    pa->SetExploreAtStart(true);
    pc->SetExploreAtStart(true);
    EXPECT_TRUE(pref->Explore());
    EXPECT_EQ(windows.Made, 1);
    EXPECT_TRUE(pa->Explored());
    EXPECT_FALSE(pb->Explored());
    EXPECT_TRUE(pc->Explored());
    EXPECT_EQ(pref->GetSize(), 40);
    EXPECT_EQ(root.GetSize(), 40);
    EXPECT_FALSE(pref->Explored()); // not every child is explored: the flag stays as it was

    pb->SetExploreAtStart(true);
    EXPECT_TRUE(pref->Explore());
    EXPECT_TRUE(pref->Explored());
    EXPECT_EQ(pref->GetSize(), 60);
}

TEST(PreferredBatch, CancelClearsEveryPreferredItem) {
    TTempDir a, b;
    a.File("x", 10);
    b.Folder("sub");
    b.File("sub/y", 20);
    TRootItem root("My Tessalundrix");
    TPreferredRootItem* pref = root.EnsurePreferredRoot();
    auto* pa = new TPreferredItem(a.Path(), kKindFixed, pref);
    auto* pb = new TPreferredItem(b.Path(), kKindFixed, pref);
    pref->AddChild(pa);
    pref->AddChild(pb);
    pa->SetExploreAtStart(true);
    pb->SetExploreAtStart(true);
    TWindows windows(3); // pumps: a's folder, b's folder, b/sub
    EXPECT_FALSE(pref->Explore());
    EXPECT_EQ(windows.Made, 1);
    EXPECT_FALSE(pa->Explored()); // finished before the cancel, cleared all the same
    EXPECT_EQ(pa->ChildCount(), 0);
    EXPECT_FALSE(pb->Explored());
    EXPECT_EQ(root.GetSize(), 0);
    EXPECT_EQ(ScanProgressForm, nullptr);
}

TEST(MyComputer, DrivesFollowTheMountTable) {
    TRootItem root("My Tessalundrix");
    TComputerRootItem* computer = root.EnsureComputerRoot();
    EXPECT_TRUE(computer->Listed());
    EXPECT_FALSE(computer->Explored());
    const char* before = "1 0 8:1 / /tx-fixture-root rw - ext4 /dev/sda1 rw\n"
                         "2 1 0:21 / /tx-fixture-root/proc rw - proc proc rw\n"
                         "3 1 8:17 / /media/tx-stick rw - vfat /dev/sdb1 rw\n"
                         "4 1 0:40 / /tx-fixture-net rw - nfs4 srv:/x rw\n";
    computer->UpdateDrives(platform::ParseMountInfo(before, [](unsigned, unsigned) { return false; }));
    ASSERT_EQ(computer->ChildCount(), 3);
    std::map<std::string, int> kinds;
    for (const TItem* c : computer->Children())
        kinds[c->NameString()] = c->GetDriveKind();
    EXPECT_EQ(kinds, (std::map<std::string, int>{{"/tx-fixture-root", kKindFixed},
                                                 {"/media/tx-stick", kKindRemovable},
                                                 {"/tx-fixture-net", kKindRemote}}));
    auto* stick = static_cast<TDriveItem*>(computer->Child(computer->FindDrive("/media/tx-stick")));
    EXPECT_EQ(stick->GetPath(), "/media/tx-stick/");

    // The stick goes, a DVD comes; the rest stay the same items.
    TItem* rootDrive = computer->Child(computer->FindDrive("/tx-fixture-root"));
    const char* after = "1 0 8:1 / /tx-fixture-root rw - ext4 /dev/sda1 rw\n"
                        "4 1 0:40 / /tx-fixture-net rw - nfs4 srv:/x rw\n"
                        "5 1 11:0 / /tx-fixture-dvd ro - iso9660 /dev/sr0 ro\n";
    computer->UpdateDrives(platform::ParseMountInfo(after, [](unsigned, unsigned) { return false; }));
    EXPECT_EQ(computer->ChildCount(), 3);
    EXPECT_EQ(computer->FindDrive("/media/tx-stick"), -1);
    EXPECT_EQ(computer->Child(computer->FindDrive("/tx-fixture-root")), rootDrive);
    EXPECT_EQ(computer->Child(computer->FindDrive("/tx-fixture-dvd"))->GetDriveKind(), kKindRemovable);
}

TEST(MyComputer, ADriveExploresAndMeasuresItsSpace) {
    TTempDir t;
    t.File("f", 123);
    TRootItem root("My Tessalundrix");
    TComputerRootItem* computer = root.EnsureComputerRoot();
    auto* drive = new TManualDriveItem(t.Path().substr(0, t.Path().size() - 1), kKindFixed, computer);
    computer->AddChild(drive);
    EXPECT_EQ(drive->UsedSpace(), -1); // not listed yet
    ASSERT_TRUE(drive->Explore());
    EXPECT_EQ(drive->GetSize(), 123);
    EXPECT_GT(drive->TotalSpace(), 0);
    EXPECT_GE(drive->FreeSpace(), 0);
    EXPECT_NE(drive->Created(), 0.0);
    drive->Clear();
    EXPECT_EQ(drive->Free(), 0); // nothing explored: nothing measured
    EXPECT_EQ(drive->Total(), 0);
}

TEST(RootItem, ExploreBuildsTheFourContainersOnce) {
    TRootItem root("My Tessalundrix");
    EXPECT_TRUE(root.Explore());
    EXPECT_TRUE(root.Explore());
    ASSERT_EQ(root.ChildCount(), 4);
    EXPECT_NE(dynamic_cast<TComputerRootItem*>(root.Child(0)), nullptr);
    EXPECT_NE(dynamic_cast<TNetworkRootItem*>(root.Child(1)), nullptr);
    EXPECT_NE(dynamic_cast<TPreferredRootItem*>(root.Child(2)), nullptr);
    EXPECT_EQ(root.ManualRoot(), root.Child(3));
    EXPECT_TRUE(root.Listed());
    EXPECT_FALSE(root.Explored());
    // Containers of their own do nothing when expanded or explored.
    TManualRootItem* manual = root.ManualRoot();
    manual->Expand(true, true);
    EXPECT_TRUE(manual->Explore());
    EXPECT_TRUE(manual->Listed());
}

TEST(Network, AContainerPerServerAndAShareperMount) {
    std::vector<platform::TNetworkShare> shares;
    for (const auto& [server, share, point] :
         {std::tuple{"nas", "music", "/mnt/music"}, std::tuple{"nas", "films", "/mnt/films"},
          std::tuple{"web", "www", "/mnt/www"}}) {
        platform::TNetworkShare s;
        s.server = server;
        s.share = share;
        s.uncPath = std::string("//") + server + "/" + share;
        s.mountPoint = point;
        shares.push_back(s);
    }
    TRootItem root("My Tessalundrix");
    TNetworkRootItem* network = root.EnsureNetworkRoot();
    network->UpdateServers(shares);
    EXPECT_TRUE(network->Explored());
    ASSERT_EQ(network->ChildCount(), 2);
    auto* nas = static_cast<TNetworkContainerItem*>(network->Child(0));
    EXPECT_EQ(nas->NameString(), "nas");
    EXPECT_EQ(nas->GetPath(), "//nas");
    nas->UpdateShares(shares);
    ASSERT_EQ(nas->ChildCount(), 2);
    auto* music = static_cast<TNetworkDriveItem*>(nas->Child(0));
    EXPECT_EQ(music->NameString(), "music");
    EXPECT_EQ(music->UncPath(), "//nas/music");
    EXPECT_EQ(music->GetPath(), "/mnt/music/");
    EXPECT_EQ(music->GetDriveKind(), kKindRemote);
    EXPECT_FALSE(nas->Explored());
    EXPECT_FALSE(nas->IsExplored()); // its shares are not explored yet
}

TEST(Network, AShareExploresItsMountPoint) {
    TTempDir t;
    t.File("doc", 42);
    TNetworkDriveItem share("//srv/docs", t.Path(), nullptr);
    ASSERT_TRUE(share.Explore());
    EXPECT_EQ(share.GetSize(), 42);
    share.Expand(true, false);
    EXPECT_EQ(share.GetSize(), 0);
}

TEST(Explore, AChainDeeperThanPathMaxShowsAShortFolderEveryTime) {
    // The labels are due at every folder here (each look at the clock is a second later): the
    // shown folder is the path shortened to 100 characters, each time, however deep the walk is.
    struct TSeen {
        std::size_t longest = 0;
        int shown = 0;
    } seen;
    class TEveryTime : public TScanProgress {
    public:
        explicit TEveryTime(TSeen& seen) : FSeen(seen) {}

    protected:
        TClock::time_point Now() const override { return FNow += std::chrono::seconds(1); }
        void ShowLabels() override {
            FSeen.longest = std::max(FSeen.longest, CurrentFolder().size());
            ++FSeen.shown;
        }

    private:
        TSeen& FSeen;
        mutable TClock::time_point FNow{};
    };
    SetScanProgressFactory([&seen] { return std::make_unique<TEveryTime>(seen); });
    TTempDir t;
    constexpr int kDepth = 1500; // "dd/" a level: past PATH_MAX
    txtest::MakeChain(t, kDepth, "dd");
    TRootItem root("r");
    auto* manual = new TManualItem(t.Path(), kKindFixed, root.EnsureManualRoot());
    root.ManualRoot()->AddChild(manual);
    ASSERT_TRUE(manual->Explore());
    EXPECT_EQ(manual->FolderCount(), 2 * kDepth);
    EXPECT_EQ(manual->GetSize(), 3 * kDepth);
    EXPECT_GE(seen.shown, 2 * kDepth);
    EXPECT_LE(seen.longest, 100u); // ASCII names: a character is a byte
    SetScanProgressFactory(nullptr);
    txtest::RemoveChain(t, kDepth, "dd");
}
