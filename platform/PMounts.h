// The mount table read as the system's drives: which file systems are mounted, their kind,
// and which mount a path lies on. Parsing is separate from reading so that it is testable on text.
#pragma once

#include <cstdint>
#include <functional>
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

// Parses mountinfo text: pseudo file systems dropped, a second mount of the same file system
// and root listed once, kinds classified. Entries keep the table's order.
[[nodiscard]] std::vector<TMountEntry> ParseMountInfo(std::string_view text,
                                                      const TRemovableProbe& removable = BlockDeviceIsRemovable);

// Every line of the table, pseudo file systems included, unfiltered (for "is this a mount point?").
[[nodiscard]] std::vector<TMountEntry> ParseMountInfoAll(std::string_view text);

// The drives mounted now (reads /proc/self/mountinfo).
[[nodiscard]] std::vector<TMountEntry> ReadMounts();

// The entry whose mount point is the longest prefix of path (an absolute path), or nullptr.
[[nodiscard]] const TMountEntry* FindMountOf(const std::vector<TMountEntry>& mounts, std::string_view path);

// The drive kind of the mount that path lies on; 0 when unknown.
[[nodiscard]] std::uint8_t DriveKindOfPath(std::string_view path);

// Free and total bytes of the file system at path (statvfs); -1 each when it cannot be measured.
// A remote file system is measured with a time limit (milliseconds) and gives -1 when it does not answer.
struct TSpace {
    std::int64_t free = -1, total = -1;
};
[[nodiscard]] TSpace MeasureSpace(const std::string& path, bool remote, int timeLimitMs = 2000);

} // namespace platform
