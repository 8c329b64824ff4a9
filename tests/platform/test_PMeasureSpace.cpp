// Free space of file systems that stop answering: the time limit holds for any kind, one thread
// per mount however often it is asked, and the threads end once the file system answers.
#include "platform/PMounts.h"
#include "tests/support/THangFs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

using namespace platform;
using txtest::THangFs;

namespace {

using TClock = std::chrono::steady_clock;

const std::vector<THangFs::TEntry> kTree = {THangFs::File("/a.txt", 10)};
constexpr std::int64_t kFree = 256ll << 20, kTotal = 1ll << 30; // what the fixture reports
// What a loaded machine's scheduling may add to a wait (seen up to 300 ms under ASan beside a
// build). The server holds a blocked call until Release, so a measure that waited for it would
// take seconds more; every bound below is a limit plus this, and limits are chosen so that the
// wrong behaviour (waiting for another call's limit, one limit per mount) still exceeds it.
constexpr long long kLateMs = 1500;

long long MillisecondsSince(TClock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - start).count();
}

// The measuring threads left behind end once their file system answers.
bool ThreadsEnd(int timeoutMs = 5000) {
    const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    while (MeasuringThreads() > 0 && TClock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return MeasuringThreads() == 0;
}

} // namespace

TEST(MeasureSpace, AHungFileSystemOfAnyKindGivesMinusOneWithinTheLimit) {
    THangFs fs(kTree);
    TX_REQUIRE_HANGFS(fs);
    ASSERT_TRUE(ThreadsEnd()) << "no measure of another test is running";
    const TSpace answered = MeasureSpace(fs.MountPoint() + "/", 1000);
    EXPECT_EQ(answered.free, kFree);
    EXPECT_EQ(answered.total, kTotal);
    // Its thread is gone once it has answered: the count below is of the hung measure alone.
    ASSERT_TRUE(ThreadsEnd());

    ASSERT_TRUE(fs.Block(THangFs::kStatfs));
    const auto start = TClock::now();
    const TSpace hung = MeasureSpace(fs.MountPoint() + "/", 200);
    const long long took = MillisecondsSince(start);
    EXPECT_EQ(hung.free, -1);
    EXPECT_EQ(hung.total, -1);
    EXPECT_GE(took, 190);
    EXPECT_LT(took, 200 + kLateMs);
    EXPECT_TRUE(fs.WaitHeld(1));
    EXPECT_EQ(MeasuringThreads(), 1) << "the measure is left behind, still waiting";

    // A normal file system is measured meanwhile.
    const TSpace root = MeasureSpace("/", 1000);
    EXPECT_GT(root.total, 0);
    EXPECT_GE(root.free, 0);

    ASSERT_TRUE(fs.Release());
    EXPECT_TRUE(ThreadsEnd());
    const TSpace again = MeasureSpace(fs.MountPoint(), 1000);
    EXPECT_EQ(again.free, kFree);
    EXPECT_EQ(again.total, kTotal);
}

TEST(MeasureSpace, OneThreadPerMountHoweverOftenItIsAsked) {
    THangFs fs(kTree);
    TX_REQUIRE_HANGFS(fs);
    ASSERT_TRUE(ThreadsEnd()) << "no measure of another test is running";
    ASSERT_TRUE(fs.Block(THangFs::kStatfs));

    // While the first measure is young, a second one waits for it within its own limit...
    auto first = std::async(std::launch::async, [&] { return MeasureSpace(fs.MountPoint(), 3000); });
    ASSERT_TRUE(fs.WaitHeld(1));
    auto start = TClock::now();
    EXPECT_EQ(MeasureSpace(fs.MountPoint() + "/", 100).free, -1);
    long long took = MillisecondsSince(start);
    EXPECT_GE(took, 90);
    EXPECT_LT(took, 100 + kLateMs) << "not the first one's 3000 ms";
    EXPECT_EQ(first.get().free, -1);
    // ...and once it has outlived a limit, the next ones give -1 at once.
    for (int i = 0; i < 20; ++i) {
        start = TClock::now();
        EXPECT_EQ(MeasureSpace(fs.MountPoint(), 2000).total, -1);
        EXPECT_LT(MillisecondsSince(start), kLateMs) << "not after its 2000 ms";
    }
    EXPECT_EQ(MeasuringThreads(), 1);
    EXPECT_EQ(fs.Held(), 1) << "one statfs reached the server";

    ASSERT_TRUE(fs.Release());
    EXPECT_TRUE(ThreadsEnd());
}

TEST(MeasureSpace, AWaitingMeasureGetsTheFiguresOfTheRunningOne) {
    THangFs fs(kTree);
    TX_REQUIRE_HANGFS(fs);
    ASSERT_TRUE(ThreadsEnd()) << "no measure of another test is running";
    ASSERT_TRUE(fs.Block(THangFs::kStatfs));
    auto first = std::async(std::launch::async, [&] { return MeasureSpace(fs.MountPoint(), 3000); });
    ASSERT_TRUE(fs.WaitHeld(1));
    auto second = std::async(std::launch::async, [&] { return MeasureSpace(fs.MountPoint(), 3000); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(fs.Release());
    const TSpace a = first.get(), b = second.get();
    EXPECT_EQ(a.free, kFree);
    EXPECT_EQ(b.free, kFree);
    EXPECT_EQ(b.total, kTotal);
    EXPECT_EQ(fs.Calls(THangFs::kStatfs), 1) << "the second measure started no call of its own";
    EXPECT_TRUE(ThreadsEnd());
}

TEST(MeasureSpace, SeveralHungMountsCostOneLimitInAll) {
    THangFs one(kTree), two(kTree);
    TX_REQUIRE_HANGFS(one);
    TX_REQUIRE_HANGFS(two);
    ASSERT_TRUE(one.Block(THangFs::kStatfs));
    ASSERT_TRUE(two.Block(THangFs::kStatfs));
    const auto start = TClock::now();
    const std::vector<TSpace> spaces = MeasureSpaces({one.MountPoint(), "/", two.MountPoint()}, 2000);
    const long long took = MillisecondsSince(start);
    ASSERT_EQ(spaces.size(), 3u);
    EXPECT_EQ(spaces[0].free, -1);
    EXPECT_GT(spaces[1].total, 0) << "the answering one has its figures";
    EXPECT_EQ(spaces[2].free, -1);
    EXPECT_GE(took, 1990);
    EXPECT_LT(took, 2000 + kLateMs) << "one limit, not one per hung mount";
    ASSERT_TRUE(one.Release());
    ASSERT_TRUE(two.Release());
    EXPECT_TRUE(ThreadsEnd());
}

TEST(TouchFolder, AHungFolderGivesFalseWithinTheLimitAndOneThread) {
    THangFs fs(kTree);
    TX_REQUIRE_HANGFS(fs);
    EXPECT_TRUE(TouchFolder(fs.MountPoint(), 1000));
    ASSERT_TRUE(fs.Block(THangFs::kOpendir));
    for (int i = 0; i < 5; ++i) {
        const auto start = TClock::now();
        EXPECT_FALSE(TouchFolder(fs.MountPoint(), 150));
        EXPECT_LT(MillisecondsSince(start), 150 + kLateMs);
    }
    EXPECT_EQ(fs.Held(), 1) << "later touches joined the one running";
    ASSERT_TRUE(fs.Release());
}

// Back-to-back touches: each one that comes after the last has answered makes a call of its own,
// never taking the answer of one that asked before it.
TEST(TouchFolder, EachTouchAfterAnAnswerAsksAgain) {
    THangFs fs(kTree);
    TX_REQUIRE_HANGFS(fs);
    const long before = fs.Calls(THangFs::kOpendir);
    constexpr int kTouches = 300;
    for (int i = 0; i < kTouches; ++i)
        ASSERT_TRUE(TouchFolder(fs.MountPoint(), 2000)) << "touch " << i;
    EXPECT_EQ(fs.Calls(THangFs::kOpendir) - before, kTouches);
}
