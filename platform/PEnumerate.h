// Reading folders from the file system: one folder's entries, or a whole tree walked depth-first,
// each entry converted once into the project's values (Windows attribute bits, local day-count
// dates). The walk builds nothing itself: callers (the item tree, the console scanner) get the
// entries through a small visitor and keep what they need.
//
// Rules of the walk: symbolic links are never followed (a link is a file of its own size);
// devices, fifos and sockets are files of size 0 and are never opened; the walk stays on the file
// system where it starts (a mount point met inside is an empty folder); a folder that is the same
// (device, inode) as one of its ancestors is not entered. One statx per entry, relative to the open
// folder. The walk is iterative (no recursion, any depth), opens each folder relative to its parent
// (one component, whatever the depth) and keeps a bounded number of folders open: below
// kOpenLevels levels a folder's entries are read into memory and its parent gives its descriptor
// back, to take one again through ".." (checked to be the same folder) when the child is done.
//
// Several threads read folders ahead of the visitor (a bounded window of them, nearest first in
// walk order), so that a cold disk or a network share has many requests in flight; the visitor
// still sees one depth-first walk. The caller's thread makes no file-system call: a file system
// that stops answering holds the walk's own threads, never the visitor's. Mount points are known
// from the mount table, so a share mounted inside the tree is never asked anything.
#pragma once

#include "platform/PDates.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Windows attribute bits as the entries carry them.
enum : std::uint32_t {
    kFileReadOnly = 0x1,
    kFileHidden = 0x2,
    kFileSystem = 0x4,
    kFileDirectory = 0x10,
    kFileNormal = 0x80,
    kFileCompressed = 0x800,
};

// Local day-count dates of Unix time stamps, the UTC offset looked up once per UTC day (and the
// system asked directly on the rare day that holds a time-zone transition). Gives exactly what
// DateTimeFromUnix gives. The time zone is the one in force when the cache first sees a day: make
// one per walk.
class TLocalDateCache {
public:
    [[nodiscard]] TDateTime FromUnix(std::int64_t seconds, std::uint32_t nanoseconds);

private:
    struct Slot {
        std::int64_t day = INT64_MIN; // UTC day number since 1970-01-01
        std::int32_t offset = 0;      // seconds east of UTC for the whole day
        bool uniform = false;         // false: a transition lies inside the day
    };
    static constexpr unsigned kSlots = 1024;
    Slot FSlots[kSlots];
};

struct TEntry {
    std::string_view name; // valid during the call only
    bool isFolder = false;
    bool isLink = false;
    bool isSpecial = false; // device, fifo or socket
    std::int64_t size = 0;  // apparent size; 0 for folders and special files
    TDateTime created = 0;  // birth time where the file system reports it, else 0
    TDateTime accessed = 0;
    TDateTime modified = 0;
    std::uint32_t attributes = 0;
};

// Attribute bits of an entry: mode is st_mode, compressed the statx compressed flag.
[[nodiscard]] std::uint32_t AttributesOf(std::string_view name, std::uint32_t mode, bool compressed);

// What a walk tells its caller. Every FolderBegin is matched by one FolderEnd.
class TWalkVisitor {
public:
    virtual ~TWalkVisitor() = default;
    // A folder is about to be read: the start folder, and each subfolder right after its Folder
    // call. path ends with "/". Returning false stops the walk before the folder is read.
    virtual bool FolderBegin(const std::string& path) { return true; }
    // A file, link or special file of the folder being read.
    virtual void File(const TEntry& entry) = 0;
    // A subfolder; FolderBegin, its entries and FolderEnd follow (no entries when it is not
    // entered: another file system, an ancestor again, or not readable).
    virtual void Folder(const TEntry& entry) = 0;
    // The folder's entries are done; stopped when the walk was stopped inside it.
    virtual void FolderEnd(bool stopped) = 0;
    // After each entry of a folder, "." and ".." included, with the number of entries counted in
    // that folder so far (1 after the first). Returning false stops the walk.
    virtual bool AfterEntry(std::uint64_t count) { return true; }
    // While the walk's threads have nothing new for the visitor (a folder still being read, a file
    // system that is slow or does not answer), about every 50 ms. Returning false stops the walk.
    virtual bool Waiting() { return true; }
};

enum class TWalkResult { Completed, Stopped };

// Walks the tree at path (a folder; a trailing "/" is optional). A start folder that cannot be
// opened, or that lies on a pseudo file system, is read as empty. The visitor is called on this
// thread only, in the order given above, whatever the number of threads that read the folders:
// the calls are the same as those of a walk on one thread. threads: the reader threads (1: the
// walk's one thread reads all; 0: WalkThreads, or what SetWalkThreads forces). A stop returns at
// once, whatever holds the walk's threads; one held by a file-system call is left to end alone,
// owning what it uses (LiveWorkerThreads counts it until then).
TWalkResult WalkTree(const std::string& path, TWalkVisitor& visitor);
TWalkResult WalkTree(const std::string& path, TWalkVisitor& visitor, unsigned threads);

// The threads that read folders for a walk of path: the processors (at most 8); 2 when the folder
// lies on a rotational disk, where more requests in flight only move the heads about.
[[nodiscard]] unsigned WalkThreads(const std::string& path);
[[nodiscard]] unsigned WalkThreadsFor(bool rotational, unsigned processors);
// Replaces WalkThreads for every walk (0 gives the default back): for tests and benchmarks.
void SetWalkThreads(unsigned threads);

// Below this many levels from its start (fewer when the process may open few descriptors) a walk
// reads folders on several threads; deeper, one thread walks on, so that the descriptors held stay
// bounded.
inline constexpr int kParallelLevels = 128;

// Below this many open levels a walk reads a folder whole before going deeper.
inline constexpr int kOpenLevels = 64;

// The entries of one folder, "." and ".." left out; foldersOnly skips files without asking for
// their details where the folder says what they are. False when the folder cannot be opened.
bool ReadFolder(const std::string& path, bool foldersOnly, const std::function<void(const TEntry&)>& entry);

} // namespace platform
