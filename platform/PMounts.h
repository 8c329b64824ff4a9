// The mount table read as the system's drives: which file systems are mounted, their kind,
// and which mount a path lies on. Parsing is separate from reading so that it is testable on text.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Drive kinds, as stored in items: 0 unknown, 1 fixed, 2 removable, 3 remote.
enum : std::uint8_t { kDriveUnknown = 0, kDriveFixed = 1, kDriveRemovable = 2, kDriveRemote = 3 };

struct TMountEntry {
    std::string mountPoint; // unescaped, no trailing "/" except for "/" itself
    std::string root;       // the root of the mount within its file system
    std::string fsType;     // "ext4", "nfs4", "fuse.sshfs", ...
    std::string source;     // "/dev/sda1", "server:/export", "//server/share"
    unsigned major = 0, minor = 0;
    std::uint8_t kind = kDriveUnknown;
};

// True for the kernel and pseudo file systems that are never drives.
[[nodiscard]] bool IsPseudoFileSystem(std::string_view fsType);
// True for the network file systems (drive kind 3).
[[nodiscard]] bool IsRemoteFileSystem(std::string_view fsType);

// Tells whether the block device major:minor is removable; the default reads /sys.
using TRemovableProbe = std::function<bool(unsigned major, unsigned minor)>;
[[nodiscard]] bool BlockDeviceIsRemovable(unsigned major, unsigned minor);

// Parses mountinfo text: pseudo file systems and the system's own mounts (below /proc, /sys, /dev
// and /run, except removable media under /run/media and network shares) dropped, a second mount
// of the same file system and root listed once, kinds classified. Entries keep the table's order.
[[nodiscard]] std::vector<TMountEntry>
ParseMountInfo(std::string_view text, const TRemovableProbe& removable = BlockDeviceIsRemovable);

// Every line of the table, pseudo file systems included, unfiltered (for "is this a mount point?").
[[nodiscard]] std::vector<TMountEntry> ParseMountInfoAll(std::string_view text);

// The drives mounted now (reads /proc/self/mountinfo).
[[nodiscard]] std::vector<TMountEntry> ReadMounts();

// The entry whose mount point is the longest prefix of path (an absolute path), or nullptr.
[[nodiscard]] const TMountEntry* FindMountOf(const std::vector<TMountEntry>& mounts, std::string_view path);

// The drive kind of the mount that path lies on; 0 when unknown.
[[nodiscard]] std::uint8_t DriveKindOfPath(std::string_view path);

// Free and total bytes of the file system at path (statvfs); -1 each when it cannot be measured,
// or when it does not answer within the time limit (milliseconds), whatever its kind: any file
// system can hang (a FUSE server, a disk that stopped answering), and the caller may be the GUI.
//
// The measure is a statfs call of the path's mount (PFileCalls.h): one thread per mount at a time,
// a second request while one runs waits for that one within its own limit (and gets its figures
// when it measures the same path), or gives -1 at once when that one has already run for longer
// than the limit. A thread left behind by a hung file system owns what it uses and ends by itself
// when its call returns.
struct TSpace {
    std::int64_t free = -1, total = -1;
};
constexpr int kSpaceTimeLimitMs = 2000;
[[nodiscard]] TSpace MeasureSpace(const std::string& path, int timeLimitMs = kSpaceTimeLimitMs);
// MeasureSpace of every path at once, with one time limit for all: n hung file systems cost one
// limit, not n. The figures in the order of paths.
[[nodiscard]] std::vector<TSpace> MeasureSpaces(const std::vector<std::string>& paths,
                                                int timeLimitMs = kSpaceTimeLimitMs);
// The measure of MeasureSpace as a call to wait for or be told by (PFileCalls.h); nullptr when
// the mount's statfs has been held for timeLimitMs already.
template <class T> class TFileCall;
[[nodiscard]] std::shared_ptr<TFileCall<TSpace>> StartSpaceMeasure(const std::string& path,
                                                                   int timeLimitMs = kSpaceTimeLimitMs);
// How many measuring threads are running now (left behind ones included); for tests.
[[nodiscard]] int MeasuringThreads();

// Reads one entry of the folder at path so that a network share wakes up before it is listed,
// with the time limit and the one-thread-per-mount rule of MeasureSpace. False when it cannot be
// read in time.
bool TouchFolder(const std::string& path, int timeLimitMs = kSpaceTimeLimitMs);

// A mounted network share: "//server/share" is its network path, read at its mount point.
struct TNetworkShare {
    std::string server;
    std::string share;   // may hold "/" ("export/data" of an NFS export)
    std::string uncPath; // "//" + server + "/" + share
    std::string mountPoint;
};

// The share that a remote mount stands for, from its source ("//srv/data", "srv:/export",
// "user@host:/path", "https://host/dav"); false for a mount that is no share of its own (the
// gvfs fuse mount, whose folders are the shares).
bool ShareOfMount(const TMountEntry& mount, TNetworkShare& out);
// The share of a gvfs mount folder ("smb-share:server=srv,share=data" below
// /run/user/UID/gvfs), mounted at mountPoint; false when the name names no server.
bool ShareOfGvfsName(std::string_view name, const std::string& mountPoint, TNetworkShare& out);

// The mounted share that a network path "//server/share[/folder...]" lies in: the share whose network
// path is the longest prefix of it by whole components, compared without regard to ASCII case (as
// the servers compare them). rest gets the folders below the share ("" or "a/b", no outer "/").
// nullptr when no mounted share holds the path. path has no repeated "/" after its leading two.
[[nodiscard]] const TNetworkShare* FindShareOfNetworkPath(const std::vector<TNetworkShare>& shares,
                                                          std::string_view path, std::string* rest = nullptr);

// Gives the names of the folders in a folder (empty when it cannot be read, or not within the time
// limit of MeasureSpace).
using TFolderNames = std::function<std::vector<std::string>(const std::string& path)>;
[[nodiscard]] std::vector<std::string> FolderNames(const std::string& path);

// Every network share mounted now, in mount-table order: the remote mounts, and in place of each
// gvfs fuse mount the shares in its folders.
[[nodiscard]] std::vector<TNetworkShare> NetworkShares(const std::vector<TMountEntry>& mounts,
                                                       const TFolderNames& folderNames = FolderNames);

} // namespace platform
