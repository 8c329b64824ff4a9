// Drives from mountinfo text: what counts as a drive, binds listed once, kinds.
#include "platform/PMounts.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {
const char* kMountInfo =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "23 22 0:21 / /proc rw,nosuid - proc proc rw\n"
    "24 22 0:22 / /sys rw - sysfs sysfs rw\n"
    "25 22 0:5 / /dev rw - devtmpfs udev rw\n"
    "26 22 0:23 / /run rw - tmpfs tmpfs rw\n"
    "27 22 8:2 / /home rw shared:2 - ext4 /dev/sda2 rw\n"
    "28 22 8:2 / /srv/home-bind rw - ext4 /dev/sda2 rw\n"
    "29 22 8:2 /me /srv/me rw - ext4 /dev/sda2 rw\n"
    "30 22 0:40 / /mnt/nfs rw - nfs4 srv:/export rw\n"
    "31 22 0:41 / /mnt/my\\040share rw - cifs //srv/share rw\n"
    "32 22 11:0 / /mnt/cd ro - iso9660 /dev/sr0 ro\n"
    "33 22 8:17 / /media/usb rw - vfat /dev/sdb1 rw\n"
    "34 22 8:33 / /mnt/stick rw - exfat /dev/sdc1 rw\n"
    "35 22 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro\n"
    "36 22 0:50 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
    "37 25 0:24 / /dev/pts rw - devpts devpts rw\n"
    "garbage line\n";
} // namespace

TEST(Mounts, DrivesAndKinds) {
    const auto mounts = ParseMountInfo(kMountInfo, [](unsigned major, unsigned minor) { return major == 8 && minor == 33; });
    std::vector<std::pair<std::string, int>> got;
    for (const auto& m : mounts) got.emplace_back(m.mountPoint, m.kind);
    const std::vector<std::pair<std::string, int>> expected = {
        {"/", kDriveFixed}, /* /run is the system's own */ {"/home", kDriveFixed},
        {"/srv/me", kDriveFixed},    {"/mnt/nfs", kDriveRemote},      {"/mnt/my share", kDriveRemote},
        {"/mnt/cd", kDriveRemovable}, {"/media/usb", kDriveRemovable}, {"/mnt/stick", kDriveRemovable},
        {"/run/user/1000/gvfs", kDriveRemote}};
    EXPECT_EQ(got, expected);
}

TEST(Mounts, ParsedFields) {
    const auto all = ParseMountInfoAll(kMountInfo);
    ASSERT_EQ(all.size(), 16u); // the garbage line is dropped
    EXPECT_EQ(all[0].fsType, "ext4");
    EXPECT_EQ(all[0].source, "/dev/sda1");
    EXPECT_EQ(all[0].major, 8u);
    EXPECT_EQ(all[0].minor, 1u);
    EXPECT_EQ(all[9].source, "//srv/share");
}

TEST(Mounts, MountOfAPath) {
    const auto mounts = ParseMountInfo(kMountInfo, [](unsigned, unsigned) { return false; });
    auto at = [&](const char* p) {
        const TMountEntry* m = FindMountOf(mounts, p);
        return m ? m->mountPoint : std::string("(none)");
    };
    EXPECT_EQ(at("/home/me/x"), "/home");
    EXPECT_EQ(at("/home"), "/home");
    EXPECT_EQ(at("/homework"), "/");
    EXPECT_EQ(at("/mnt/nfs/a"), "/mnt/nfs");
    EXPECT_EQ(at("/"), "/");
}

TEST(Mounts, LaterMountOverTheSamePointHidesTheEarlier) {
    const char* text = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                       "2 1 8:5 / /data rw - ext4 /dev/sda5 rw\n"
                       "3 1 0:60 / /data rw - nfs srv:/d rw\n";
    const auto mounts = ParseMountInfo(text, [](unsigned, unsigned) { return false; });
    ASSERT_EQ(mounts.size(), 2u);
    EXPECT_EQ(mounts[1].mountPoint, "/data");
    EXPECT_EQ(mounts[1].kind, kDriveRemote);
}

TEST(Mounts, PseudoAndRemoteNames) {
    for (const char* fs : {"proc", "sysfs", "cgroup2", "squashfs", "binfmt_misc"}) EXPECT_TRUE(IsPseudoFileSystem(fs)) << fs;
    for (const char* fs : {"ext4", "tmpfs", "btrfs", "nfs"}) EXPECT_FALSE(IsPseudoFileSystem(fs)) << fs;
    for (const char* fs : {"nfs", "cifs", "fuse.sshfs", "9p"}) EXPECT_TRUE(IsRemoteFileSystem(fs)) << fs;
}

TEST(Mounts, MeasuringTheRoot) {
    const TSpace s = MeasureSpace("/");
    EXPECT_GT(s.total, 0);
    EXPECT_GE(s.free, 0);
    const TSpace none = MeasureSpace("/no/such/path/here");
    EXPECT_EQ(none.free, -1);
    EXPECT_EQ(none.total, -1);
}
