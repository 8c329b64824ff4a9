// What the two walks of a tree share: reading one entry of an open folder, the rules of what is
// entered, the mount points known from the mount table, and the one-thread walker that also
// finishes the deep parts of a parallel walk. Internal to the platform layer.
#pragma once

#include "platform/PEnumerate.h"

#include <dirent.h>
#include <fcntl.h>

#include <atomic>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace platform::walk {

inline constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;

[[nodiscard]] bool IsPseudoMagic(long type);

inline bool IsDotName(const char* n) {
    return n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0));
}

// The folders on the way from a walk's start to the mount points below it, as the mount table
// gives them: an entry that is a mount point is known without a call into its file system, so that
// a share whose server has stopped answering never holds a walk of a folder above it. Most folders
// lie on no such way: their node is nullptr and costs nothing.
struct TMountNode {
    bool mountPoint = false; // a file system is mounted here: never entered
    bool mayHang = false;    // that file system is a network or FUSE one
    std::map<std::string, std::unique_ptr<TMountNode>, std::less<>> children;

    // The node of the entry name of this folder, or nullptr when no mount point lies at or below it.
    [[nodiscard]] const TMountNode* Child(std::string_view name) const {
        const auto it = children.find(name);
        return it == children.end() ? nullptr : it->second.get();
    }
};

// The mount points strictly below start (an absolute path without "." or ".." components, as
// realpath gives it) in mountinfo text; nullptr when there are none.
[[nodiscard]] std::unique_ptr<TMountNode> MountTreeOf(std::string_view mountinfo, std::string_view start);
// The same for the mount table of now and the folder open on fd, which path names.
[[nodiscard]] std::unique_ptr<TMountNode> ReadMountTree(int fd, const std::string& path);

// One entry as read, kept whole when a folder is read into memory.
struct TRawEntry {
    enum Kind : std::uint8_t { Dot, File, Folder, Gone } kind = Gone;
    bool mountRoot = false;
    std::uint32_t devMajor = 0, devMinor = 0;
    std::uint64_t inode = 0;
    const TMountNode* mounts = nullptr; // of a folder on the way to mount points
    TEntry entry; // entry.name points into name below (or into the dirent)
    std::string name;
};

// One statx of name in the open folder dirFd, converted (kind Gone when it vanished since it was
// listed).
void StatEntry(int dirFd, const char* name, TLocalDateCache& dates, TRawEntry& raw);

// One listed entry of the open folder dirFd (not "." nor ".."): type is the listing's d_type,
// inode its d_ino, folderMounts the folder's mount node. A mount point named by the mount table is
// a folder that is not entered, made without a call into the file system mounted there (a file
// mounted over a file is asked only when its file system cannot hang); anything else gets its statx.
void ReadEntry(int dirFd, const char* name, unsigned char type, std::uint64_t inode,
               const TMountNode* folderMounts, TLocalDateCache& dates, TRawEntry& raw);

// The device a walk stays on.
struct TDevice {
    std::uint32_t major = 0, minor = 0;
    bool operator==(const TDevice&) const = default;
};

// The start folder opened for a walk: its descriptor (-1 when it cannot be read: missing, not a
// folder, or on a pseudo file system), device and inode.
struct TStart {
    int fd = -1;
    TDevice device;
    std::uint64_t inode = 0;
};
[[nodiscard]] TStart OpenStart(const std::string& path);

// The start of a walk: path given its trailing "/", its FolderBegin, its folder opened into start.
// False when the walk is over already (stopped, or the folder unreadable: its FolderEnd is called
// and result set).
inline bool StartWalk(TWalkVisitor& visitor, std::string& path, TStart& start, TWalkResult& result) {
    if (path.empty() || path.back() != '/') path += '/';
    if (!visitor.FolderBegin(path)) {
        visitor.FolderEnd(true);
        result = TWalkResult::Stopped;
        return false;
    }
    start = OpenStart(path);
    if (start.fd >= 0) return true;
    visitor.FolderEnd(false);
    result = TWalkResult::Completed;
    return false;
}

// What a walk does next after one entry of the folder it is in.
enum class TStep { Next, Enter, Stop };

// The calls for one entry of a folder whose AfterEntry count is count. Files and entries that are
// not there any more are done with here; a folder gets its Folder and FolderBegin calls and its
// name on path, and Enter asks the walk to go into it (or to call FolderDone when it does not).
// Stop: the visitor said so (a folder refused has had its FolderEnd).
inline TStep VisitEntry(TWalkVisitor& visitor, TRawEntry::Kind kind, const TEntry& entry, std::string& path,
                        std::uint64_t& count) {
    switch (kind) {
    case TRawEntry::Dot:
    case TRawEntry::Gone:
        break;
    case TRawEntry::File:
        visitor.File(entry);
        break;
    case TRawEntry::Folder:
        visitor.Folder(entry);
        path.append(entry.name);
        path += '/';
        if (!visitor.FolderBegin(path)) {
            visitor.FolderEnd(true);
            return TStep::Stop;
        }
        return TStep::Enter;
    }
    return visitor.AfterEntry(++count) ? TStep::Next : TStep::Stop;
}

// A subfolder is done (or was not entered): its end, and its count as one entry of its parent,
// whose path ends at parentLength. False: the visitor said stop.
inline bool FolderDone(TWalkVisitor& visitor, std::string& path, std::size_t parentLength,
                       std::uint64_t& parentCount) {
    visitor.FolderEnd(false);
    path.resize(parentLength);
    return visitor.AfterEntry(++parentCount);
}

// The one-thread walk: depth-first, one folder open per level (up to kOpenLevels, then read whole).
class TWalker {
public:
    explicit TWalker(TWalkVisitor& visitor)
        : FVisitor(visitor), FDates(std::make_unique<TLocalDateCache>()) {}
    // Walks the folder open on fd (taken over) as the start of a walk whose FolderBegin was already
    // called for path, with ancestors as the inodes of the folders above it (the loop guard) and
    // mounts as its mount node; ends with its FolderEnd.
    TWalkResult RunFrom(int fd, const std::string& path, TDevice device, std::uint64_t inode,
                        const std::unordered_set<std::uint64_t>& ancestors, const TMountNode* mounts);

private:
    struct Level {
        int fd = -1;
        DIR* dir = nullptr;
        std::size_t pathLength = 0; // length of FPath up to and including this folder's "/"
        std::uint64_t count = 0;
        std::uint64_t inode = 0;
        bool buffered = false;
        const TMountNode* mounts = nullptr;
        std::vector<TRawEntry> entries;
        std::size_t next = 0;
    };

    bool Read(Level& level, TRawEntry& raw);
    void Fill(const Level& level, int dirFd, const dirent* d, TRawEntry& raw) {
        ReadEntry(dirFd, d->d_name, d->d_type, d->d_ino, level.mounts, *FDates, raw);
    }
    bool OpenChild(std::uint64_t inode, const TMountNode* mounts);
    void CloseLevel(Level& level);
    // The deepest level is done: its parent takes back a descriptor (through "..") when it gave
    // its own away, then the level goes.
    void PopLevel();
    TWalkResult Stop();
    TWalkResult Loop();

    TWalkVisitor& FVisitor;
    std::unique_ptr<TLocalDateCache> FDates;
    std::vector<Level> FLevels;
    std::unordered_set<std::uint64_t> FAncestors; // inodes of the open levels: one look-up per folder
    std::string FPath;
    TDevice FDevice;
};

// The walk on the calling thread (the visitor is called on it). threads > 1: that many reader
// threads read folders ahead of it; 1: this thread reads them all. idle, when given, is called
// whenever the walk is about to wait for a reader: what the visitor holds can be handed on then.
// stopped, when given, is set from outside when the walk is stopped: readers with nothing to do
// then end at once, also while a file system holds the calling thread itself.
TWalkResult WalkHere(const std::string& path, TWalkVisitor& visitor, unsigned threads,
                     const std::function<void()>& idle = {},
                     std::shared_ptr<const std::atomic<bool>> stopped = {});

// The parallel walk of WalkHere (threads > 1), the start opened and the mount tree read (taken
// over). A stop whose readers a file system holds returns at once and leaves the walk to them.
TWalkResult ParallelWalk(TWalkVisitor& visitor, unsigned threads, std::string& path, const TStart& start,
                         std::unique_ptr<TMountNode> mounts, const std::function<void()>& idle,
                         std::shared_ptr<const std::atomic<bool>> stopped);

// The walk gate (PWalkTree.cpp): a walk left behind on a mount by a stop (its thread, or its
// readers, still held by the file system) counts there until it has ended, and a new walk of that
// mount waits, asking nothing, while one does.
void WalkLeftBehind(const std::string& lane);
void WalkLeftEnded(const std::string& lane);

} // namespace platform::walk
