#include "platform/PEnumerate.h"

#include "tests/ChildProcess.h"
#include "tests/FixtureTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <vector>

using namespace platform;
using txtest::OpenDescriptors;
using txtest::TTempDir;
using txtest::TZone;

namespace {

// Records a walk as "relative path" lines: folders end with "/".
class TRecorder : public TWalkVisitor {
public:
    bool FolderBegin(const std::string& path) override {
        if (FStart.empty()) FStart = path;
        FMaxFds = std::max(FMaxFds, OpenDescriptors());
        ++FBegins;
        return true;
    }
    void File(const TEntry& e) override {
        FEntries[FCurrent + std::string(e.name)] = e;
        FNames.insert(FCurrent + std::string(e.name));
    }
    void Folder(const TEntry& e) override {
        FNames.insert(FCurrent + std::string(e.name) + "/");
        FEntries[FCurrent + std::string(e.name) + "/"] = e;
        FCurrent += std::string(e.name) + "/";
    }
    void FolderEnd(bool) override {
        ++FEnds;
        if (FCurrent.empty()) return;
        FCurrent.pop_back();
        FCurrent.erase(FCurrent.rfind('/') == std::string::npos ? 0 : FCurrent.rfind('/') + 1);
    }

    std::string FStart, FCurrent;
    std::set<std::string> FNames;
    std::map<std::string, TEntry> FEntries;
    int FBegins = 0, FEnds = 0, FMaxFds = 0;
};

} // namespace

TEST(LocalDateCache, GivesWhatLocaltimeGives) {
    // Zones with summer time, a half-hour shift, a southern summer and none at all.
    for (const char* zone :
         {"Europe/Berlin", "America/New_York", "Australia/Lord_Howe", "Asia/Kolkata", "UTC"}) {
        TZone tz(zone);
        TLocalDateCache cache;
        std::mt19937_64 rng(42);
        std::uniform_int_distribution<std::int64_t> any(-2208988800LL * 2, 4102444800LL); // ~1830 .. 2100
        for (int i = 0; i < 20000; ++i) {
            const std::int64_t s = any(rng);
            const std::uint32_t ns = static_cast<std::uint32_t>(rng() % 1000000000u);
            ASSERT_EQ(cache.FromUnix(s, ns), DateTimeFromUnix(s, ns)) << zone << " " << s;
        }
        // Every second around the 2024 spring and autumn transitions of Europe and the US.
        for (std::int64_t centre : {1711846800LL, 1729990800LL, 1710054000LL, 1730613600LL})
            for (std::int64_t s = centre - 7200; s <= centre + 7200; s += 1)
                ASSERT_EQ(cache.FromUnix(s, 0), DateTimeFromUnix(s, 0)) << zone << " " << s;
    }
}

TEST(LocalDateCache, TheEpochIsADateAndTheYearsBeyond9999AreNone) {
    for (const char* zone : {"UTC", "Europe/Berlin", "America/New_York"}) {
        TZone tz(zone);
        TLocalDateCache cache;
        EXPECT_NE(cache.FromUnix(0, 0), 0.0) << zone;
        EXPECT_EQ(cache.FromUnix(0, 0), DateTimeFromUnix(0, 0)) << zone;
        EXPECT_EQ(cache.FromUnix(400000000000LL, 0), 0.0) << zone; // beyond year 9999
    }
}

TEST(WalkTree, AStampAtTheEpochIsADate) {
    TZone tz("Europe/Berlin");
    TTempDir t;
    t.Folder("lost+found");
    t.File("lost+found/epoch", 1);
    t.Stamp("lost+found/epoch", 0);
    t.Stamp("lost+found", 0);
    TRecorder r;
    ASSERT_EQ(WalkTree(t.Path(), r), TWalkResult::Completed);
    const double oneAm = EncodeDateTime(1970, 1, 1, 1); // midnight UTC in Berlin
    for (const char* name : {"lost+found/epoch", "lost+found/"}) {
        ASSERT_TRUE(r.FEntries.count(name)) << name;
        EXPECT_EQ(r.FEntries[name].modified, oneAm) << name;
        EXPECT_EQ(r.FEntries[name].accessed, oneAm) << name;
    }
}

TEST(Attributes, WindowsBitsFromTheMode) {
    struct Case {
        const char* name;
        std::uint32_t mode;
        bool compressed;
        std::uint32_t want;
    };
    const Case cases[] = {
        {"plain.txt", S_IFREG | 0644, false, kFileNormal},
        {"ro.txt", S_IFREG | 0444, false, kFileReadOnly},
        {".hidden", S_IFREG | 0644, false, kFileHidden},
        {"dir", S_IFDIR | 0755, false, kFileDirectory},
        {".rodir", S_IFDIR | 0555, false, kFileDirectory | kFileReadOnly | kFileHidden},
        {"fifo", S_IFIFO | 0644, false, kFileSystem},
        {"dev", S_IFCHR | 0644, false, kFileSystem},
        {"sock", S_IFSOCK | 0755, false, kFileSystem},
        {"link", S_IFLNK | 0777, false, 0},
        {"packed", S_IFREG | 0644, true, kFileCompressed},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AttributesOf(c.name, c.mode, c.compressed), c.want) << c.name;
}

TEST(WalkTree, FollowsNoLinkAndOpensNoSpecialFile) {
    TTempDir t;
    txtest::MakeFixtureTree(t);
    TRecorder r;
    EXPECT_EQ(WalkTree(t.Path(), r), TWalkResult::Completed);
    EXPECT_EQ(r.FBegins, r.FEnds);
    // The links are files of their own size, the loop link included; nothing below them.
    ASSERT_TRUE(r.FEntries.count("links/loop"));
    EXPECT_TRUE(r.FEntries["links/loop"].isLink);
    EXPECT_FALSE(r.FEntries["links/loop"].isFolder);
    EXPECT_EQ(r.FEntries["links/tofile"].size, 13); // "../sizes/s255"
    for (const std::string& n : r.FNames)
        EXPECT_EQ(n.find("links/loop/"), std::string::npos) << n;
    ASSERT_TRUE(r.FEntries.count("special/fifo"));
    EXPECT_TRUE(r.FEntries["special/fifo"].isSpecial);
    EXPECT_EQ(r.FEntries["special/fifo"].size, 0);
    EXPECT_EQ(r.FEntries["special/fifo"].attributes, kFileSystem);
    EXPECT_EQ(r.FEntries["sizes/s4294967301"].size, 4294967301LL);
    EXPECT_TRUE(r.FEntries.count("names/bad\xff\xfe.bin"));
    EXPECT_TRUE(r.FEntries.count("names/a") && r.FEntries.count("names/A"));
    // Everything find sees, the walk sees.
    const auto found = txtest::FindTree(t.Path());
    EXPECT_EQ(found.size(), r.FNames.size());
    for (const auto& [name, f] : found)
        EXPECT_TRUE(r.FNames.count(f.type == 'd' ? name + "/" : name)) << name;
}

TEST(WalkTree, StartThatCannotBeOpenedIsEmpty) {
    TRecorder r;
    EXPECT_EQ(WalkTree("/nonexistent/tx-test/", r), TWalkResult::Completed);
    EXPECT_EQ(r.FBegins, 1);
    EXPECT_EQ(r.FEnds, 1);
    EXPECT_TRUE(r.FNames.empty());
}

TEST(WalkTree, PseudoFileSystemIsNeverRead) {
    TRecorder r;
    WalkTree("/proc/", r);
    EXPECT_TRUE(r.FNames.empty());
}

TEST(WalkTree, DeepTreeKeepsFewFoldersOpen) {
    // Deeper than kOpenLevels, with names long enough that the whole path passes PATH_MAX.
    TTempDir t;
    const std::string name(200, 'n');
    int fd = ::open(t.Path().c_str(), O_RDONLY | O_DIRECTORY);
    const int depth = 300;
    for (int i = 0; i < depth; ++i) {
        ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0);
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        ASSERT_GE(fd, 0);
    }
    ::close(::openat(fd, "bottom", O_WRONLY | O_CREAT, 0644));
    ::close(fd);

    const int before = OpenDescriptors();
    TRecorder r;
    EXPECT_EQ(WalkTree(t.Path(), r), TWalkResult::Completed);
    EXPECT_EQ(r.FBegins, depth + 1);
    EXPECT_EQ(r.FEnds, depth + 1);
    std::string bottom;
    for (int i = 0; i < depth; ++i)
        bottom += name + "/";
    EXPECT_TRUE(r.FNames.count(bottom + "bottom"));
    EXPECT_LE(r.FMaxFds - before, kOpenLevels + kParallelLevels + 40) << r.FMaxFds - before;
    EXPECT_EQ(OpenDescriptors(), before);
    // rm -rf cannot remove what is deeper than PATH_MAX by path either: it works by descriptors.
}

TEST(WalkTree, StopsWhenTheVisitorSaysSo) {
    TTempDir t;
    txtest::MakeFixtureTree(t);
    struct TStopper : TRecorder {
        int files = 0;
        void File(const TEntry& e) override { ++files; }
        bool AfterEntry(std::uint64_t) override { return files < 3; }
    } s;
    EXPECT_EQ(WalkTree(t.Path(), s), TWalkResult::Stopped);
    EXPECT_EQ(s.files, 3);
    EXPECT_EQ(s.FBegins, s.FEnds);
}

namespace {

// The mount on top at path (no trailing "/") propagates mounts to other namespaces.
bool MountIsShared(const std::string& path) {
    std::ifstream info("/proc/self/mountinfo");
    bool shared = false;
    for (std::string line; std::getline(info, line);) {
        std::istringstream fields(line);
        std::string id, parent, device, root, point, options, optional;
        fields >> id >> parent >> device >> root >> point >> options;
        if (point != path) continue;
        shared = false; // a later line at the same point is mounted over the earlier ones
        while (fields >> optional && optional != "-")
            shared = shared || optional.rfind("shared:", 0) == 0;
    }
    return shared;
}

// Makes the mounts of this (new) mount namespace that hold folder private, so that nothing mounted
// below it shows in any other namespace. "" when done, else why not.
std::string MakeFolderPrivate(const std::string& folder) {
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0) return {};
    // "/" is no mount point (a chroot, some containers): the folder becomes one of its own, a bind
    // onto itself. Had the bind shown outside as well, it goes again at once.
    const std::string at = folder.substr(0, folder.size() - 1);
    if (mount(at.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) != 0)
        return "cannot bind the test's folder onto itself: " + std::string(std::strerror(errno));
    if (MountIsShared(at)) {
        umount2(at.c_str(), 0);
        return "the test's folder is on a shared mount and \"/\" is no mount point to make private: a "
               "mount below the folder would show outside this mount namespace";
    }
    if (mount(nullptr, at.c_str(), nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return "cannot make the test's folder private: " + std::string(std::strerror(errno));
    return {};
}

} // namespace

TEST(WalkTree, AMountPointInsideIsAnEmptyFolder) {
    // In a mount namespace of its own, so that nothing outside the test sees the mounts, and they go
    // with it.
    TTempDir t;
    t.Folder("inner");
    t.File("inner/outside.txt", 3);
    char real[PATH_MAX];
    ASSERT_TRUE(::realpath(t.Path().c_str(), real));
    const std::string folder = std::string(real) + "/";
    const txtest::TChildResult child = txtest::RunInChild([&](const txtest::TSkip& skip) {
        if (unshare(CLONE_NEWNS) != 0) skip("no mount namespace here: " + std::string(std::strerror(errno)));
        if (const std::string why = MakeFolderPrivate(folder); !why.empty()) skip(why);
        if (mount("none", (folder + "inner").c_str(), "tmpfs", 0, nullptr) != 0)
            skip("cannot mount a tmpfs: " + std::string(std::strerror(errno)));
        ::close(::open((folder + "inner/onmount.txt").c_str(), O_WRONLY | O_CREAT, 0644));
        // The tree bound into itself: the same device and inodes again, at a mount root.
        ::mkdir((folder + "again").c_str(), 0755);
        if (mount(folder.c_str(), (folder + "again").c_str(), nullptr, MS_BIND, nullptr) != 0) return 2;
        TRecorder r;
        WalkTree(folder, r);
        const bool ok = r.FNames.count("inner/") && !r.FNames.count("inner/onmount.txt") &&
                        r.FNames.count("again/") && r.FNames.size() == 2;
        TRecorder inside;
        WalkTree(folder + "inner", inside); // the mount itself is a drive of its own
        return ok && inside.FNames.count("onmount.txt") ? 0 : 1;
    });
    if (child.Skipped()) GTEST_SKIP() << child.skipReason;
    EXPECT_EQ(child.status, 0);
}

TEST(ReadFolder, FoldersOnlyListsNoFile) {
    TTempDir t;
    txtest::MakeFixtureTree(t);
    std::set<std::string> names;
    EXPECT_TRUE(ReadFolder(t.Path(), true, [&](const TEntry& e) { names.insert(std::string(e.name)); }));
    EXPECT_EQ(names,
              (std::set<std::string>{".dotfolder", "deep", "empty", "links", "names", "sizes", "special"}));
    EXPECT_FALSE(ReadFolder("/nonexistent/tx-test/", false, [](const TEntry&) {}));
}

TEST(WalkTree, ChainOfAnyDepthComesBackUpAndKeepsFewFoldersOpen) {
    // 3,000 levels (a path beyond PATH_MAX), each with a file and, after the chain's folder, a leaf folder
    // that the walk can only enter once it has come back up from the whole chain below.
    TTempDir t;
    constexpr int kDepth = 3000;
    txtest::MakeChain(t, kDepth, "d");
    struct TCounter : TWalkVisitor {
        bool FolderBegin(const std::string& path) override {
            if (++begins % 97 == 0) maxFds = std::max(maxFds, OpenDescriptors());
            return true;
        }
        void File(const TEntry& e) override {
            if (e.name == "f" && depth == chainDepth) ++f; // one per chain level, at its own depth
            if (e.name == "g" && depth == chainDepth + 1 && inZ) ++g;
        }
        void Folder(const TEntry& e) override {
            ++depth;
            if (e.name == "d" && !inZ) chainDepth = depth;
            inZ = e.name == "z";
        }
        void FolderEnd(bool) override {
            ++ends;
            if (inZ)
                inZ = false;
            else if (chainDepth == depth)
                --chainDepth;
            --depth;
        }
        int begins = 0, ends = 0, maxFds = 0, depth = 0, chainDepth = 0, f = 0, g = 0;
        bool inZ = false;
    } counter;
    const int before = OpenDescriptors();
    EXPECT_EQ(WalkTree(t.Path(), counter), TWalkResult::Completed);
    EXPECT_EQ(counter.begins, 2 * kDepth + 1);
    EXPECT_EQ(counter.ends, 2 * kDepth + 1);
    EXPECT_EQ(counter.f, kDepth);
    EXPECT_EQ(counter.g, kDepth);
    EXPECT_LE(counter.maxFds - before, kOpenLevels + kParallelLevels + 40) << counter.maxFds - before;
    EXPECT_EQ(OpenDescriptors(), before);
    txtest::RemoveChain(t, kDepth, "d");
}
