// My Computer's free space when drives stop answering: a refresh costs one time limit in all.
#include "model/UItem.h"
#include "platform/PMounts.h"
#include "tests/support/THangFs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace model;
using txtest::THangFs;

namespace {

using TClock = std::chrono::steady_clock;

const std::vector<THangFs::TEntry> kTree = {THangFs::File("/a.txt", 10)};

// The mount table lines of the two fixtures, as the computer reads them.
std::vector<platform::TMountEntry> MountsOf(const THangFs& one, const THangFs& two) {
    const std::string text = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                             "2 1 0:" +
                             std::to_string(one.Connection()) + " / " + one.MountPoint() +
                             " rw - fuse.txhang txhang rw\n"
                             "3 1 0:" +
                             std::to_string(two.Connection()) + " / " + two.MountPoint() +
                             " rw - fuse.txhang txhang rw\n";
    return platform::ParseMountInfo(text, [](unsigned, unsigned) { return false; });
}

TDriveItem* DriveAt(TComputerRootItem* computer, const std::string& mountPoint) {
    const int index = computer->FindDrive(mountPoint);
    return index < 0 ? nullptr : static_cast<TDriveItem*>(computer->Child(index));
}

} // namespace

TEST(MyComputer, TwoHungDrivesCostOneTimeLimitAndGetTheirFiguresOnceTheyAnswer) {
    THangFs one(kTree), two(kTree);
    TX_REQUIRE_HANGFS(one);
    TX_REQUIRE_HANGFS(two);
    TRootItem root("My Tessalundrix");
    TComputerRootItem* computer = root.EnsureComputerRoot();
    const std::vector<platform::TMountEntry> mounts = MountsOf(one, two);
    computer->UpdateDrives(mounts); // the drives come (measured from the next refresh on)
    TDriveItem* first = DriveAt(computer, one.MountPoint());
    TDriveItem* second = DriveAt(computer, two.MountPoint());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    // A measure that has just returned still gives its figures: the ones of this refresh go first.
    for (int i = 0; i < 2500 && platform::MeasuringThreads() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_EQ(platform::MeasuringThreads(), 0);

    ASSERT_TRUE(one.Block(THangFs::kStatfs));
    ASSERT_TRUE(two.Block(THangFs::kStatfs));
    const auto start = TClock::now();
    computer->UpdateDrives(mounts);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - start).count();
    EXPECT_GE(took, platform::kSpaceTimeLimitMs - 50);
    EXPECT_LT(took, platform::kSpaceTimeLimitMs + 1000) << "one limit, not one per hung drive";
    EXPECT_EQ(first->Free(), -1);
    EXPECT_EQ(first->Total(), -1);
    EXPECT_EQ(second->Free(), -1);
    // Where the real "/" is no mount point (a chroot), the fixture table's "/" is the only one.
    TDriveItem* answering = DriveAt(computer, "/");
    ASSERT_NE(answering, nullptr);
    EXPECT_GT(answering->Total(), 0) << "the answering drive is measured";

    ASSERT_TRUE(one.Release());
    ASSERT_TRUE(two.Release());
    for (int i = 0; i < 2500 && platform::MeasuringThreads() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(platform::MeasuringThreads(), 0) << "the threads left behind end once answered";
    computer->UpdateDrives(mounts);
    EXPECT_EQ(first->Free(), 256ll << 20);
    EXPECT_EQ(first->Total(), 1ll << 30);
    EXPECT_EQ(second->Total(), 1ll << 30);
}
