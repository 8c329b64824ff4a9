#include "platform/PMounts.h"

#include <gtest/gtest.h>

#include <map>

using namespace platform;

namespace {

// A mount table as a desktop machine has it: pseudo file systems, a bind mount, a USB stick, a
// DVD, network shares of several kinds and the gvfs fuse mount.
const char* const kMountInfo = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                               "23 22 0:21 / /proc rw,nosuid shared:12 - proc proc rw\n"
                               "24 22 0:22 / /sys rw,nosuid shared:2 - sysfs sysfs rw\n"
                               "25 22 0:5 / /dev rw,nosuid shared:8 - devtmpfs udev rw\n"
                               "26 24 0:26 / /sys/fs/cgroup rw shared:4 - cgroup2 cgroup2 rw\n"
                               "27 22 8:2 / /home rw,relatime shared:29 - ext4 /dev/sda2 rw\n"
                               "28 22 8:2 /alice/data /srv/data rw,relatime shared:29 - ext4 /dev/sda2 rw\n"
                               "29 22 8:2 / /mnt/home-again rw,relatime shared:29 - ext4 /dev/sda2 rw\n"
                               "30 22 8:17 / /mnt/usb\\040stick rw,relatime - vfat /dev/sdb1 rw\n"
                               "31 22 11:0 / /mnt/dvd ro - iso9660 /dev/sr0 ro\n"
                               "32 22 8:33 / /media/alice/CARD rw - exfat /dev/sdc1 rw\n"
                               "33 22 0:50 / /net/nas rw - nfs4 nas.local:/export/home rw\n"
                               "34 22 0:51 / /mnt/share rw - cifs //fileserver/Public rw\n"
                               "35 22 0:52 / /mnt/www rw - fuse.sshfs alice@web.example:/var/www rw\n"
                               "36 22 0:53 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
                               "37 22 0:54 / /mnt/snap ro - squashfs /dev/loop0 ro\n"
                               "38 22 0:55 / /mnt/dav rw - davfs https://cloud.example/remote.php/dav rw\n";

std::map<std::string, TMountEntry> ByPoint(const std::vector<TMountEntry>& mounts) {
    std::map<std::string, TMountEntry> out;
    for (const auto& m : mounts)
        out[m.mountPoint] = m;
    return out;
}

} // namespace

TEST(MountTable, DrivesAndTheirKinds) {
    // The probe stands for /sys: the disk 8:16 (sdb) says it is removable.
    const auto mounts =
        ParseMountInfo(kMountInfo, [](unsigned major, unsigned minor) { return major == 8 && minor == 17; });
    const auto by = ByPoint(mounts);
    const std::map<std::string, std::uint8_t> want = {
        {"/", kDriveFixed},
        {"/home", kDriveFixed},
        {"/srv/data", kDriveFixed}, // another root of sda2: a drive of its own
        {"/mnt/usb stick", kDriveRemovable},
        {"/mnt/dvd", kDriveRemovable},
        {"/media/alice/CARD", kDriveRemovable},
        {"/net/nas", kDriveRemote},
        {"/mnt/share", kDriveRemote},
        {"/mnt/www", kDriveRemote},
        {"/run/user/1000/gvfs", kDriveRemote},
        {"/mnt/dav", kDriveRemote},
    };
    EXPECT_EQ(by.size(), want.size());
    for (const auto& [point, kind] : want) {
        ASSERT_TRUE(by.count(point)) << point;
        EXPECT_EQ(by.at(point).kind, kind) << point;
    }
    // Pseudo file systems and the second mount of /home are not drives.
    for (const char* gone : {"/proc", "/sys", "/dev", "/sys/fs/cgroup", "/mnt/snap", "/mnt/home-again"})
        EXPECT_FALSE(by.count(gone)) << gone;
    EXPECT_EQ(mounts.front().mountPoint, "/");
}

TEST(MountTable, TheSystemsOwnMountsAreNoDrives) {
    // What a desktop (and a container) mounts for itself beside the user's disks and shares.
    const char* const table = "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                              "23 22 0:23 / /run rw - tmpfs tmpfs rw\n"
                              "24 23 0:24 / /run/lock rw - tmpfs tmpfs rw\n"
                              "25 22 0:25 / /dev/shm rw - tmpfs tmpfs rw\n"
                              "26 22 0:26 / /sys/fs/cgroup rw - tmpfs tmpfs rw\n"
                              "27 23 0:27 / /run/user/1000 rw - tmpfs tmpfs rw\n"
                              "28 27 0:28 / /run/user/1000/doc rw - fuse.portal portal rw\n"
                              "29 27 0:29 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
                              "30 22 8:2 / /run/bound-home rw - ext4 /dev/sda2 rw\n"
                              "31 22 8:2 / /home rw - ext4 /dev/sda2 rw\n"
                              "32 22 8:3 / /boot rw - ext4 /dev/sda3 rw\n"
                              "33 22 8:17 / /run/media/alice/USB rw - vfat /dev/sdb1 rw\n"
                              "34 22 0:30 / /tmp rw - tmpfs tmpfs rw\n"
                              "35 22 0:31 / /mnt/share rw - cifs //fileserver/Public rw\n"
                              "36 23 0:32 / /run/sshfs rw - fuse.sshfs bob@host:/srv rw\n"
                              "37 22 0:33 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
                              "38 22 0:34 / /devices rw - ext4 /dev/sdc1 rw\n"
                              "39 22 0:35 / /runner rw - ext4 /dev/sdd1 rw\n";
    std::vector<std::string> points;
    for (const TMountEntry& m : ParseMountInfo(table, [](unsigned, unsigned) { return false; }))
        points.push_back(m.mountPoint);
    // A system mount of the same file system as /home (listed first) does not hide /home.
    EXPECT_EQ(points, (std::vector<std::string>{"/", "/run/user/1000/gvfs", "/home", "/boot",
                                                "/run/media/alice/USB", "/tmp", "/mnt/share", "/run/sshfs",
                                                "/media/cdrom", "/devices", "/runner"}));
}

TEST(MountTable, FindMountOfTakesTheLongestPrefix) {
    const auto mounts = ParseMountInfo(kMountInfo, [](unsigned, unsigned) { return false; });
    EXPECT_EQ(FindMountOf(mounts, "/home/alice/x")->mountPoint, "/home");
    EXPECT_EQ(FindMountOf(mounts, "/homework")->mountPoint, "/");
    EXPECT_EQ(FindMountOf(mounts, "/mnt/usb stick/a")->mountPoint, "/mnt/usb stick");
}

TEST(NetworkShares, OnePerMountNamedByServerAndShare) {
    const auto mounts = ParseMountInfo(kMountInfo, [](unsigned, unsigned) { return false; });
    const auto shares = NetworkShares(mounts, [](const std::string& path) {
        EXPECT_EQ(path, "/run/user/1000/gvfs");
        return std::vector<std::string>{"smb-share:domain=WG,server=nas2,share=pub%20lic,user=alice",
                                        "sftp:host=build.example,user=bob", "not-a-mount"};
    });
    struct Want {
        const char *server, *share, *unc, *mountPoint;
    };
    const Want want[] = {
        {"nas.local", "export/home", "//nas.local/export/home", "/net/nas"},
        {"fileserver", "Public", "//fileserver/Public", "/mnt/share"},
        {"web.example", "var/www", "//web.example/var/www", "/mnt/www"},
        {"nas2", "pub lic", "//nas2/pub lic",
         "/run/user/1000/gvfs/smb-share:domain=WG,server=nas2,share=pub%20lic,user=alice"},
        {"build.example", "sftp", "//build.example/sftp",
         "/run/user/1000/gvfs/sftp:host=build.example,user=bob"},
        {"cloud.example", "remote.php/dav", "//cloud.example/remote.php/dav", "/mnt/dav"},
    };
    ASSERT_EQ(shares.size(), std::size(want));
    for (size_t i = 0; i < shares.size(); ++i) {
        EXPECT_EQ(shares[i].server, want[i].server) << i;
        EXPECT_EQ(shares[i].share, want[i].share) << i;
        EXPECT_EQ(shares[i].uncPath, want[i].unc) << i;
        EXPECT_EQ(shares[i].mountPoint, want[i].mountPoint) << i;
    }
}

TEST(NetworkShares, SourcesWithoutAPathTakeTheMountName) {
    TMountEntry m;
    m.fsType = "nfs";
    m.source = "[fe80::1]:/";
    m.mountPoint = "/mnt/v6";
    TNetworkShare s;
    ASSERT_TRUE(ShareOfMount(m, s));
    EXPECT_EQ(s.server, "fe80::1");
    EXPECT_EQ(s.share, "v6");
    m.fsType = "ext4";
    EXPECT_FALSE(ShareOfMount(m, s));
}

TEST(MeasureSpace, AFolderThatIsNoMountGivesMinusOne) {
    const TSpace none = MeasureSpace("/nonexistent/tx-test/", 500);
    EXPECT_EQ(none.free, -1);
    EXPECT_EQ(none.total, -1);
    const TSpace root = MeasureSpace("/");
    EXPECT_GT(root.total, 0);
}
