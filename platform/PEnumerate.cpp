#include "platform/PEnumerate.h"

#include "platform/PFileCalls.h"
#include "platform/PMounts.h"
#include "platform/PWalkCore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <unordered_set>
#include <vector>

namespace platform {

// ---- dates ----

namespace {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

bool OffsetAt(std::int64_t seconds, std::int32_t& offset) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) return false;
    offset = static_cast<std::int32_t>(local.tm_gmtoff);
    return true;
}

// Day counts (since 1899-12-30) of 0001-01-01 and 10000-01-01: the years a date may show.
constexpr double kFirstDay = -693593.0;
constexpr double kEndDay = 2958466.0;

} // namespace

TDateTime TLocalDateCache::FromUnix(std::int64_t seconds, std::uint32_t nanoseconds) {
    // Far outside the years a date can show: let the exact routine say no.
    if (seconds < -70000000000LL || seconds > 260000000000LL) return DateTimeFromUnix(seconds, nanoseconds);
    const std::int64_t day = FloorDiv(seconds, 86400);
    Slot& slot = FSlots[static_cast<std::uint64_t>(day) % kSlots];
    if (slot.day != day) {
        std::int32_t first = 0, last = 0;
        slot.day = day;
        slot.uniform = OffsetAt(day * 86400, first) && OffsetAt(day * 86400 + 86399, last) && first == last;
        slot.offset = first;
    }
    if (!slot.uniform) return DateTimeFromUnix(seconds, nanoseconds);
    const std::int64_t local = seconds + slot.offset;
    const std::int64_t localDay = FloorDiv(local, 86400);
    const std::int64_t secondOfDay = local - localDay * 86400;
    const double days = static_cast<double>(localDay) + kUnixEpochDays;
    if (days < kFirstDay || days >= kEndDay) return 0;
    // The same arithmetic as EncodeDateTime, so that both give the same double.
    const double fraction =
        (static_cast<double>(secondOfDay) * 1000.0 + static_cast<double>(nanoseconds / 1000000u)) /
        86400000.0;
    return days >= 0 ? days + fraction : days - fraction;
}

// ---- attributes ----

std::uint32_t AttributesOf(std::string_view name, std::uint32_t mode, bool compressed) {
    std::uint32_t a = 0;
    if (S_ISDIR(mode)) a |= kFileDirectory;
    if ((mode & S_IWUSR) == 0) a |= kFileReadOnly;
    if (!name.empty() && name[0] == '.') a |= kFileHidden;
    if (S_ISCHR(mode) || S_ISBLK(mode) || S_ISFIFO(mode) || S_ISSOCK(mode)) a |= kFileSystem;
    if (compressed) a |= kFileCompressed;
    if (S_ISREG(mode) && a == 0) a = kFileNormal;
    return a;
}

namespace walk {

namespace {

constexpr unsigned kStatxMask =
    STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME;
constexpr int kStatxFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;

} // namespace

// Pseudo file systems a walk never reads, by their statfs magic.
bool IsPseudoMagic(long type) {
    static constexpr unsigned long kMagic[] = {
        0x9fa0,     /* proc */ 0x62656572,       /* sysfs */ 0x1cd1,        /* devpts */
        0x64626720, /* debugfs */ 0x74726163,    /* tracefs */ 0x73636673,  /* securityfs */
        0x27e0eb,   /* cgroup */ 0x63677270,     /* cgroup2 */ 0x6165676c,  /* pstore */
        0xcafe4a11, /* bpf */ 0x62656570,        /* configfs */ 0x65735543, /* fusectl */
        0x958458f6, /* hugetlbfs */ 0x0187,      /* autofs */ 0x42494e4d,   /* binfmt_misc */
        0xde5e81e4, /* efivarfs */ 0x6e736673,   /* nsfs */ 0x19800202,     /* mqueue */
        0x67596969, /* rpc_pipefs */ 0x73717368,                            /* squashfs */
    };
    const auto t = static_cast<unsigned long>(static_cast<unsigned int>(type));
    return std::find(std::begin(kMagic), std::end(kMagic), t) != std::end(kMagic);
}

void StatEntry(int dirFd, const char* name, TLocalDateCache& dates, TRawEntry& raw) {
    struct statx sx {};
    if (statx(dirFd, name, kStatxFlags, kStatxMask, &sx) != 0) {
        raw.kind = TRawEntry::Gone; // vanished since it was listed
        return;
    }
    const std::uint32_t mode = sx.stx_mode;
    const bool compressed =
        (sx.stx_attributes_mask & STATX_ATTR_COMPRESSED) && (sx.stx_attributes & STATX_ATTR_COMPRESSED);
    TEntry& e = raw.entry;
    e = TEntry{};
    e.name = name;
    e.isFolder = S_ISDIR(mode);
    e.isLink = S_ISLNK(mode);
    e.isSpecial = S_ISCHR(mode) || S_ISBLK(mode) || S_ISFIFO(mode) || S_ISSOCK(mode);
    e.size = (S_ISREG(mode) || e.isLink) ? static_cast<std::int64_t>(sx.stx_size) : 0;
    if (sx.stx_mask & STATX_BTIME) e.created = dates.FromUnix(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec);
    e.accessed = dates.FromUnix(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
    e.modified = dates.FromUnix(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    e.attributes = AttributesOf(e.name, mode, compressed);
    raw.kind = e.isFolder ? TRawEntry::Folder : TRawEntry::File;
    raw.devMajor = sx.stx_dev_major;
    raw.devMinor = sx.stx_dev_minor;
    raw.inode = sx.stx_ino;
    raw.mountRoot =
        (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
}

namespace {

// File systems whose calls wait for a server: a network one, or a FUSE one (its server is a program).
bool MayHang(std::string_view fsType) {
    return IsRemoteFileSystem(fsType) || fsType == "fuse" || fsType == "fuseblk" || fsType.rfind("fuse.", 0) == 0;
}

} // namespace

std::unique_ptr<TMountNode> MountTreeOf(std::string_view mountinfo, std::string_view start) {
    std::string prefix(start);
    if (prefix.empty() || prefix.back() != '/') prefix += '/';
    std::unique_ptr<TMountNode> root;
    for (const TMountEntry& m : ParseMountInfoAll(mountinfo)) {
        if (m.mountPoint.size() <= prefix.size() || m.mountPoint.compare(0, prefix.size(), prefix) != 0) continue;
        if (!root) root = std::make_unique<TMountNode>();
        TMountNode* node = root.get();
        std::string_view rest = std::string_view(m.mountPoint).substr(prefix.size());
        while (!rest.empty()) {
            const std::size_t slash = rest.find('/');
            const std::string_view part = rest.substr(0, slash);
            rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
            if (part.empty()) continue;
            auto it = node->children.find(part);
            if (it == node->children.end())
                it = node->children.emplace(std::string(part), std::make_unique<TMountNode>()).first;
            node = it->second.get();
        }
        if (node == root.get()) continue;
        node->mountPoint = true;
        // Mounted over again: the file system on top is the one an entry would reach.
        node->mayHang = MayHang(m.fsType);
    }
    return root;
}

std::unique_ptr<TMountNode> ReadMountTree(int fd, const std::string& path) {
    // The folder's own path as the kernel knows it, else as its name resolves.
    char resolved[PATH_MAX + 1];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = readlink(link.c_str(), resolved, PATH_MAX);
    if (n > 0 && resolved[0] == '/') {
        resolved[n] = 0;
    } else if (!realpath(path.c_str(), resolved)) {
        return nullptr;
    }
    std::ifstream in("/proc/self/mountinfo");
    std::ostringstream text;
    text << in.rdbuf();
    return MountTreeOf(text.str(), resolved);
}

void ReadEntry(int dirFd, const char* name, unsigned char type, std::uint64_t inode,
               const TMountNode* folderMounts, TLocalDateCache& dates, TRawEntry& raw) {
    const TMountNode* node = folderMounts ? folderMounts->Child(name) : nullptr;
    if (!node || !node->mountPoint || (type != DT_DIR && type != DT_UNKNOWN && !node->mayHang)) {
        StatEntry(dirFd, name, dates, raw);
        raw.mounts = raw.kind == TRawEntry::Folder ? node : nullptr;
        if (node && node->mountPoint) raw.mountRoot = true;
        return;
    }
    // The empty folder a mount point shows as, or a file mounted from a file system that may hang:
    // nothing of it is asked, so it has no dates.
    const bool folder = type == DT_DIR || type == DT_UNKNOWN;
    TEntry& e = raw.entry;
    e = TEntry{};
    e.name = name;
    e.isFolder = folder;
    e.attributes = AttributesOf(e.name, folder ? S_IFDIR | 0755 : S_IFREG | 0644, false);
    raw.kind = folder ? TRawEntry::Folder : TRawEntry::File;
    raw.mountRoot = true;
    raw.devMajor = raw.devMinor = 0;
    raw.inode = inode;
    raw.mounts = nullptr;
}

namespace {

// What the start's statfs said: answered (in time), and then whether it worked and the type.
struct TStartFs {
    bool answered = false;
    bool ok = false;
    long type = 0;
};

// The start's statfs, within the time limit of free space: a file system whose server answers
// everything but statfs is walked as one of unknown kind (never a pseudo one). The call owns a
// descriptor of its own for the folder, closed when the call goes, so that a walk that has gone
// on (or ended) leaves nothing the call uses.
TStartFs StartFileSystem(int fd, const std::string& path) {
    const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return {true, false, 0};
    const std::shared_ptr<int> owned(new int(copy), [](const int* d) {
        close(*d);
        delete d;
    });
    auto ask = [owned] {
        struct statfs sf {};
        const bool ok = fstatfs(*owned, &sf) == 0;
        return TStartFs{true, ok, ok ? static_cast<long>(sf.f_type) : 0};
    };
    return CallWithin<TStartFs>(TCallKind::Statfs, path, "type " + path, ask, kSpaceTimeLimitMs, TStartFs{});
}

} // namespace

TStart OpenStart(const std::string& path) {
    TStart start;
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return start;
    struct statx sx {};
    if (statx(fd, "", AT_EMPTY_PATH, STATX_INO, &sx) != 0) {
        close(fd);
        return start;
    }
    const TStartFs fs = StartFileSystem(fd, path);
    if (fs.answered && (!fs.ok || IsPseudoMagic(fs.type))) {
        close(fd);
        return start;
    }
    start.fd = fd;
    start.device = {sx.stx_dev_major, sx.stx_dev_minor};
    start.inode = sx.stx_ino;
    return start;
}

// The next entry of the folder; false at its end.
bool TWalker::Read(Level& level, TRawEntry& raw) {
    if (level.buffered) {
        if (level.next >= level.entries.size()) return false;
        raw = std::move(level.entries[level.next++]);
        raw.entry.name = raw.name;
        return true;
    }
    const dirent* d = readdir(level.dir);
    if (!d) return false;
    if (IsDotName(d->d_name)) {
        raw.kind = TRawEntry::Dot;
        return true;
    }
    Fill(level, level.fd, d, raw);
    return true;
}

void TWalker::CloseLevel(Level& level) {
    if (level.dir)
        closedir(level.dir); // closes fd too
    else if (level.fd >= 0)
        close(level.fd);
    level.dir = nullptr;
    level.fd = -1;
}

// Opens the folder FPath names (its last component is the new folder) as a new level, relative to
// the deepest level (one component: the cost of a level does not grow with the depth).
bool TWalker::OpenChild(std::uint64_t inode, const TMountNode* mounts) {
    Level& base = FLevels.back();
    if (base.fd < 0) return false; // its descriptor could not be taken back: it enters nothing more
    // No trailing "/": with one, the last component would be followed if it had become a link.
    const std::string name = FPath.substr(base.pathLength, FPath.size() - 1 - base.pathLength);
    const int fd = openat(base.fd, name.c_str(), kOpenFlags);
    if (fd < 0) return false;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return false;
    }
    Level level;
    level.fd = fd;
    level.dir = dir;
    level.pathLength = FPath.size();
    level.inode = inode;
    level.mounts = mounts;
    if (FLevels.size() >= static_cast<std::size_t>(kOpenLevels)) {
        // Deep down: the folder is read whole, and the level above gives its descriptor back (it
        // has read its entries already); it takes one again through ".." when this one is done.
        // So at most kOpenLevels + 1 folders are open, whatever the depth.
        level.buffered = true;
        for (const dirent* d; (d = readdir(dir));) {
            TRawEntry raw;
            if (IsDotName(d->d_name))
                raw.kind = TRawEntry::Dot;
            else
                Fill(level, fd, d, raw);
            if (raw.kind != TRawEntry::Dot && raw.kind != TRawEntry::Gone) raw.name = raw.entry.name;
            level.entries.push_back(std::move(raw));
        }
        if (base.buffered) CloseLevel(base);
    }
    FAncestors.insert(inode);
    FLevels.push_back(std::move(level));
    return true;
}

void TWalker::PopLevel() {
    Level& done = FLevels.back();
    if (FLevels.size() >= 2) {
        Level& parent = FLevels[FLevels.size() - 2];
        if (parent.fd < 0 && done.fd >= 0) {
            // The parent again, only if ".." still is the folder it was (nothing moved meanwhile).
            const int fd =
                openat(done.fd, "..", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
            struct statx sx {};
            if (fd >= 0 && statx(fd, "", AT_EMPTY_PATH, STATX_INO, &sx) == 0 && sx.stx_ino == parent.inode &&
                TDevice{sx.stx_dev_major, sx.stx_dev_minor} == FDevice)
                parent.fd = fd;
            else if (fd >= 0)
                close(fd);
        }
    }
    CloseLevel(done);
    FAncestors.erase(done.inode);
    FLevels.pop_back();
}

TWalkResult TWalker::Stop() {
    while (!FLevels.empty()) {
        CloseLevel(FLevels.back());
        FAncestors.erase(FLevels.back().inode);
        FLevels.pop_back();
        FVisitor.FolderEnd(true);
    }
    return TWalkResult::Stopped;
}

TWalkResult TWalker::RunFrom(int fd, const std::string& path, TDevice device, std::uint64_t inode,
                             const std::unordered_set<std::uint64_t>& ancestors, const TMountNode* mounts) {
    FPath = path;
    FDevice = device;
    FAncestors = ancestors;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        FVisitor.FolderEnd(false);
        return TWalkResult::Completed;
    }
    Level root;
    root.fd = fd;
    root.dir = dir;
    root.pathLength = FPath.size();
    root.inode = inode;
    root.mounts = mounts;
    FAncestors.insert(root.inode);
    FLevels.push_back(std::move(root));
    return Loop();
}

TWalkResult TWalker::Loop() {
    TRawEntry raw;
    while (true) {
        if (!Read(FLevels.back(), raw)) {
            PopLevel();
            if (FLevels.empty()) {
                FVisitor.FolderEnd(false);
                return TWalkResult::Completed;
            }
            if (!FolderDone(FVisitor, FPath, FLevels.back().pathLength, FLevels.back().count)) return Stop();
            continue;
        }
        const TStep step = VisitEntry(FVisitor, raw.kind, raw.entry, FPath, FLevels.back().count);
        if (step == TStep::Stop) return Stop();
        if (step == TStep::Next) continue;
        const bool enter = TDevice{raw.devMajor, raw.devMinor} == FDevice && !raw.mountRoot &&
                           FAncestors.count(raw.inode) == 0; // not an ancestor again
        if ((!enter || !OpenChild(raw.inode, raw.mounts)) &&
            !FolderDone(FVisitor, FPath, FLevels.back().pathLength, FLevels.back().count))
            return Stop();
    }
}

} // namespace walk

bool ReadFolder(const std::string& path, bool foldersOnly, const std::function<void(const TEntry&)>& entry) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return false;
    }
    TLocalDateCache dates;
    walk::TRawEntry raw;
    // A mount point in it is listed without asking its file system, as a walk lists it.
    const std::unique_ptr<walk::TMountNode> mounts = walk::ReadMountTree(fd, path);
    for (const dirent* d; (d = readdir(dir));) {
        if (walk::IsDotName(d->d_name)) continue;
        if (foldersOnly && d->d_type != DT_DIR && d->d_type != DT_UNKNOWN) continue;
        walk::ReadEntry(fd, d->d_name, d->d_type, d->d_ino, mounts.get(), dates, raw);
        if (raw.kind == walk::TRawEntry::Gone || (foldersOnly && raw.kind != walk::TRawEntry::Folder))
            continue;
        entry(raw.entry);
    }
    closedir(dir);
    return true;
}

} // namespace platform
