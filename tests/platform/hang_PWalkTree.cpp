// Walks of a file system whose server stops answering: the visitor's thread is never held, a stop
// comes back at once whatever call holds the walk's threads, the threads left behind end by
// themselves once the server answers, and a mount point inside a walk is never asked anything.
#include "platform/PEnumerate.h"
#include "platform/PFileCalls.h"
#include "platform/PMounts.h"
#include "platform/PWalkCore.h"
#include "platform/PWorkerThread.h"

#include "tests/FixtureTree.h"
#include "tests/support/THangFs.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>

using namespace platform;
using txtest::THangFs;
using Clock = std::chrono::steady_clock;

namespace {

std::vector<THangFs::TEntry> Tree() {
    std::vector<THangFs::TEntry> tree;
    for (int i = 0; i < 20; ++i) {
        const std::string folder = "/f" + std::to_string(i);
        for (int j = 0; j < 10; ++j)
            tree.push_back(THangFs::File(folder + "/x" + std::to_string(j) + ".dat", 100 + j));
        tree.push_back(THangFs::File(folder + "/sub/leaf.txt", 7));
    }
    tree.push_back(THangFs::File("/top.txt", 3));
    return tree;
}

// Stops at the first wait once the file system holds a call; counts what it was told.
struct TStopWhenHeld : TWalkVisitor {
    explicit TStopWhenHeld(THangFs& f) : fs(f) {}
    bool FolderBegin(const std::string&) override { return ++open, true; }
    void File(const TEntry&) override { ++files; }
    void Folder(const TEntry&) override {}
    void FolderEnd(bool) override { --open; }
    bool Waiting() override {
        ++waits;
        if (fs.Held() < 1) return true;
        stoppedAt = Clock::now();
        return false;
    }
    THangFs& fs;
    int open = 0, files = 0, waits = 0;
    Clock::time_point stoppedAt{};
};

struct THeld {
    unsigned calls;
    const char* path;
    const char* what;
};

void PrintTo(const THeld& held, std::ostream* out) {
    *out << held.what;
}

// The descriptors open on a path below prefix ("" for all), one line each.
std::string DescriptorsInto(const std::string& prefix) {
    std::string out;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (const dirent* e = readdir(d)) {
            char target[4096];
            const std::string link = std::string("/proc/self/fd/") + e->d_name;
            const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
            if (n <= 0) continue;
            target[n] = 0;
            if (std::string(target).rfind(prefix, 0) == 0) out += std::string(e->d_name) + " " + target + "\n";
        }
        closedir(d);
    }
    return out;
}

class HeldWalk : public ::testing::TestWithParam<std::tuple<THeld, unsigned>> {};

} // namespace

TEST_P(HeldWalk, AStopComesBackAtOnceAndTheThreadsEndWhenTheServerAnswers) {
    const auto [held, threads] = GetParam();
    THangFs fs(Tree());
    TX_REQUIRE_HANGFS(fs);
    ASSERT_TRUE(WaitForWorkerThreads(0, std::chrono::seconds(20)));
    const int before = txtest::OpenDescriptors();
    ASSERT_TRUE(fs.Block(held.calls, held.path));
    {
        TStopWhenHeld visitor(fs);
        EXPECT_EQ(WalkTree(fs.MountPoint(), visitor, threads), TWalkResult::Stopped) << held.what;
        // The walk could not return before the Release below had it waited for the server; the
        // bound says it returns promptly, with room for a loaded machine's scheduling.
        const auto back = Clock::now() - visitor.stoppedAt;
        EXPECT_LT(back, std::chrono::milliseconds(500)) << held.what;
        EXPECT_EQ(visitor.open, 0) << held.what;
        EXPECT_GE(visitor.waits, 1) << held.what;
        // The visitor goes now: nothing left behind may touch it.
    }
    EXPECT_GE(LiveWorkerThreads(), 1u) << held.what << ": the stop waited for the held call";
    EXPECT_TRUE(fs.Release());
    EXPECT_TRUE(WaitForWorkerThreads(0, std::chrono::seconds(20))) << held.what;
    // What the walk opened is closed; the sanitizers' runtime may open descriptors of its own
    // meanwhile, so the count alone only says where to look.
    EXPECT_EQ(DescriptorsInto(fs.MountPoint()), "") << held.what;
    if (txtest::OpenDescriptors() != before)
        std::printf("%s: %d descriptors before, now:\n%s", held.what, before, DescriptorsInto("").c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Calls, HeldWalk,
    ::testing::Combine(::testing::Values(THeld{THangFs::kStat, "/f3/x4.dat", "a reader's statx"},
                                         THeld{THangFs::kReaddir, "/f5/sub", "a reader's listing"},
                                         THeld{THangFs::kOpendir, "/", "opening the start"},
                                         THeld{THangFs::kStatfs, "", "the start's file system"},
                                         THeld{THangFs::kReaddir, "/", "listing the start"}),
                       ::testing::Values(1u, 8u)),
    [](const ::testing::TestParamInfo<std::tuple<THeld, unsigned>>& info) {
        std::string name;
        for (const char* c = std::get<0>(info.param).what; *c; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
        return name + "_" + std::to_string(std::get<1>(info.param)) + "threads";
    });

TEST(HeldWalk, AMountPointInsideIsNeverAsked) {
    THangFs fs(Tree());
    TX_REQUIRE_HANGFS(fs);
    const std::string parent = fs.MountPoint().substr(0, fs.MountPoint().rfind('/') + 1);
    const std::string name = fs.MountPoint().substr(parent.size());
    ASSERT_TRUE(fs.Block(THangFs::kAll));
    const long calls = fs.Calls(THangFs::kAll);
    for (unsigned threads : {1u, 8u}) {
        struct TFind : TWalkVisitor {
            std::string mountName;
            bool found = false, inside = false;
            int depth = 0;
            Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
            bool FolderBegin(const std::string&) override { return ++depth, true; }
            void File(const TEntry&) override { inside = inside || depth > 1; }
            void Folder(const TEntry& e) override {
                if (depth == 1 && e.name == mountName) found = e.isFolder && (e.attributes & kFileDirectory);
            }
            void FolderEnd(bool) override { --depth; }
            bool Waiting() override { return Clock::now() < deadline; } // never held for ever
        } visitor;
        visitor.mountName = name;
        EXPECT_EQ(WalkTree(parent, visitor, threads), TWalkResult::Completed) << threads;
        EXPECT_TRUE(visitor.found) << threads;
        bool listed = false;
        EXPECT_TRUE(ReadFolder(parent, false, [&](const TEntry& e) { listed = listed || e.name == name; }));
        EXPECT_TRUE(listed);
    }
    EXPECT_EQ(fs.Calls(THangFs::kAll), calls) << "the mounted file system was asked";
    EXPECT_EQ(fs.Held(), 0);
}

namespace {

// Counts the files and the longest time the visitor's thread went without a call.
struct TTimedVisitor : TWalkVisitor {
    int files = 0;
    Clock::time_point last = Clock::now();
    Clock::duration longest{};
    void Called() {
        const auto now = Clock::now();
        longest = std::max(longest, now - last);
        last = now;
    }
    void File(const TEntry&) override { ++files, Called(); }
    void Folder(const TEntry&) override { Called(); }
    void FolderEnd(bool) override { Called(); }
    bool Waiting() override { return Called(), true; }
};

long long Ms(Clock::duration d) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}

int Lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(HeldWalk, AStartWhoseStatfsDoesNotAnswerIsWalkedWithinTheTimeLimit) {
    THangFs fs(Tree());
    TX_REQUIRE_HANGFS(fs);
    ASSERT_TRUE(fs.Block(THangFs::kStatfs));
    for (unsigned threads : {8u, 1u}) {
        TTimedVisitor visitor;
        const auto start = Clock::now();
        EXPECT_EQ(WalkTree(fs.MountPoint(), visitor, threads), TWalkResult::Completed) << threads;
        const auto took = Clock::now() - start;
        EXPECT_EQ(visitor.files, 20 * 11 + 1) << threads << ": walked as a file system of unknown kind";
        // Called about every 40 ms while nothing comes: never held for the statfs's time limit (a
        // loaded machine may let it wait some scheduling slices).
        EXPECT_LT(Ms(visitor.longest), kSpaceTimeLimitMs / 4)
            << threads << ": the visitor's thread waited " << Ms(visitor.longest);
        // The first walk waits one limit for the statfs (the next ones' start, below).
        if (threads == 8) {
            EXPECT_GE(Ms(took), kSpaceTimeLimitMs - 50);
        }
        std::printf("statfs held, %u threads: walked in %lld ms\n", threads, Ms(took));
    }
    // A start opened once the statfs has been held for the limit goes on at once. Timed alone: a
    // whole walk's time is mostly the machine's (a second with sanitizers on a loaded machine), and
    // a start that waited again would take the whole limit.
    const auto start = Clock::now();
    const walk::TStart opened = walk::OpenStart(fs.MountPoint() + "/");
    const auto took = Clock::now() - start;
    EXPECT_GE(opened.fd, 0) << "opened as a file system of unknown kind";
    EXPECT_LT(Ms(took), kSpaceTimeLimitMs / 2);
    std::printf("statfs held: a start opened in %lld ms\n", Ms(took));
    if (opened.fd >= 0) close(opened.fd);
    EXPECT_EQ(FileCallThreads(TCallKind::Statfs), 1) << "one thread waits for the statfs, for both walks";
    EXPECT_TRUE(fs.Release());
    EXPECT_TRUE(WaitForWorkerThreads(0, std::chrono::seconds(20)));
}

class TwentyStops : public ::testing::TestWithParam<unsigned> {};

TEST_P(TwentyStops, OnAHungFolderLeaveTheThreadAndDescriptorsOfOneWalk) {
    const unsigned walkThreads = GetParam();
    THangFs fs(Tree());
    TX_REQUIRE_HANGFS(fs);
    ASSERT_TRUE(WaitForWorkerThreads(0, std::chrono::seconds(20)));
    ASSERT_TRUE(fs.Block(THangFs::kReaddir, "/f5/sub"));
    unsigned threadsAfterOne = 0;
    int descriptorsAfterOne = 0;
    for (int i = 0; i < 20; ++i) {
        TStopWhenHeld visitor(fs);
        EXPECT_EQ(WalkTree(fs.MountPoint(), visitor, walkThreads), TWalkResult::Stopped) << i;
        // A walk that waited for the server would not return before the Release below; this says
        // it returns promptly. Its free threads have to be scheduled to end: beside a full build
        // with ASan that took up to 284 ms, against a few ms on a quiet machine.
        EXPECT_LT(Clock::now() - visitor.stoppedAt, std::chrono::milliseconds(500)) << i;
        EXPECT_EQ(visitor.open, 0) << i;
        if (i > 0) continue;
        // What the first walk leaves once its free threads have ended: the one the server holds.
        ASSERT_TRUE(WaitForWorkerThreads(1, std::chrono::seconds(20)));
        threadsAfterOne = LiveWorkerThreads();
        descriptorsAfterOne = Lines(DescriptorsInto(fs.MountPoint()));
    }
    ASSERT_TRUE(WaitForWorkerThreads(1, std::chrono::seconds(20)));
    const unsigned threads = LiveWorkerThreads();
    const int descriptors = Lines(DescriptorsInto(fs.MountPoint()));
    std::printf("%u walk threads: after 1 stopped walk %u threads, %d descriptors on the file system; "
                "after 20: %u, %d\n",
                walkThreads, threadsAfterOne, descriptorsAfterOne, threads, descriptors);
    EXPECT_EQ(threads, 1u) << "one thread waits for the server, whatever the number of stops";
    EXPECT_EQ(descriptors, descriptorsAfterOne) << DescriptorsInto(fs.MountPoint());
    EXPECT_EQ(fs.Held(), 1) << "the later walks asked nothing";
    EXPECT_TRUE(fs.Release());
    EXPECT_TRUE(WaitForWorkerThreads(0, std::chrono::seconds(20)));
    EXPECT_EQ(DescriptorsInto(fs.MountPoint()), "");
    // Once the server answers, a walk of the folder goes again.
    TTimedVisitor visitor;
    EXPECT_EQ(WalkTree(fs.MountPoint(), visitor, walkThreads), TWalkResult::Completed);
    EXPECT_EQ(visitor.files, 20 * 11 + 1);
}

INSTANTIATE_TEST_SUITE_P(HeldWalk, TwentyStops, ::testing::Values(8u, 1u),
                         [](const ::testing::TestParamInfo<unsigned>& info) {
                             return std::to_string(info.param) + "threads";
                         });
