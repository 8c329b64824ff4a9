#include "platform/PSafeFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
[[noreturn]] void Fail(const std::string& what, const std::string& path, int code) {
    throw TFileError(what + " " + path + ": " + std::strerror(code), code);
}

unsigned CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return; // the file is in place; a folder we cannot open just is not synced
    ::fsync(fd);
    ::close(fd);
}

// A hidden name beside the target that no file has yet: ".<name>.XXXXXX".
std::string HiddenName(const std::string& folder, const std::string& name) {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static thread_local std::mt19937_64 random{std::random_device{}()};
    std::string candidate = folder + "." + name + ".";
    for (int i = 0; i < 6; ++i)
        candidate += kChars[random() % (sizeof kChars - 1)];
    return candidate;
}
} // namespace

std::string ResolveWriteTarget(const std::string& path) {
    std::string current = path;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current; // missing: created there
        if (hops == 40) Fail("follow the links of", path, ELOOP);
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n < 0) Fail("read the link", current, errno);
        link.resize(static_cast<std::size_t>(n));
        if (link.empty()) Fail("follow the link", current, ENOENT);
        if (link.front() == '/') {
            current = link;
        } else {
            const std::size_t slash = current.rfind('/');
            current = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + link;
        }
    }
}

TSafeFile::TSafeFile(const std::string& target, TTempKind kind, TClaim claim)
    : FTarget(claim == TClaim::Replace ? ResolveWriteTarget(target) : target) {
    struct stat st {};
    if (claim == TClaim::Replace && ::stat(FTarget.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) Fail("replace", FTarget, EINVAL);
        FMode = st.st_mode & 07777;
    } else {
        FMode = 0666 & ~CurrentUmask();
    }
    const size_t slash = FTarget.rfind('/');
    FFolder = slash == std::string::npos ? std::string() : FTarget.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? FTarget : FTarget.substr(slash + 1);
    if (name.empty()) Fail("create", FTarget, EISDIR);

    if (kind == TTempKind::Best) {
        const int fd =
            ::open(FFolder.empty() ? "." : FFolder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        // Linking it by its /proc name needs /proc; without it the named way serves.
        if (fd >= 0 && ::access(("/proc/self/fd/" + std::to_string(fd)).c_str(), F_OK) == 0) {
            FUnnamed = true;
            FStream = std::make_unique<TFileStream>(fd, FTarget);
            return;
        }
        if (fd >= 0) ::close(fd);
        // EOPNOTSUPP, EISDIR, EINVAL (no O_TMPFILE here): the named way. Any other failure (a
        // missing folder, no permission) the named way meets again and reports.
    }
    std::string pattern = FFolder + "." + name + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) Fail("create", pattern, errno);
    FTempPath = pattern;
    FStream = std::make_unique<TFileStream>(fd, FTempPath);
}

TSafeFile::~TSafeFile() {
    if (!FCommitted) Discard();
}

void TSafeFile::Discard() noexcept {
    FStream.reset(); // closes, errors do not matter: the file goes (an unnamed one with its descriptor)
    if (!FTempPath.empty()) ::unlink(FTempPath.c_str());
    FTempPath.clear();
}

std::string TSafeFile::SelfPath() const {
    return "/proc/self/fd/" + std::to_string(FStream->Descriptor());
}

void TSafeFile::Commit() {
    Finish([this] { PlaceOverTarget(); });
}

std::string TSafeFile::CommitAsNew(const std::function<std::string(int)>& nameOf) {
    Finish([&] { PlaceUnderNewName(nameOf); });
    return FTarget;
}

void TSafeFile::Finish(const std::function<void()>& place) {
    if (FCommitted) return;
    if (!FStream) Fail("commit", FTarget, EBADF);
    try {
        FStream->Sync();
        if (FUnnamed) {
            // fchmod on the open file: it has no name to chmod by yet.
            if (::fchmod(FStream->Descriptor(), FMode) < 0) Fail("chmod", FTarget, errno);
        } else {
            FStream->Close();
            if (::chmod(FTempPath.c_str(), FMode) < 0) Fail("chmod", FTempPath, errno);
        }
        place();
        FCommitted = true;
        // In place, and synced before: what a close could still report has reached the disk.
        if (FUnnamed) {
            try {
                FStream->Close();
            } catch (const TFileError&) {
            }
        }
    } catch (...) {
        if (!FCommitted) Discard();
        FStream.reset();
        throw;
    }
    FStream.reset();
    SyncFolder(FFolder);
}

void TSafeFile::PlaceOverTarget() {
    if (FUnnamed) {
        const std::string self = SelfPath();
        // No target yet: the file takes its name in one step (linkat never replaces a file).
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, FTarget.c_str(), AT_SYMLINK_FOLLOW) == 0) return;
        if (errno != EEXIST) Fail("link", FTarget, errno);
        // A target exists: a hidden name for the moment of the rename.
        for (int attempt = 0;; ++attempt) {
            FTempPath = HiddenName(FFolder, FTarget.substr(FFolder.size()));
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, FTempPath.c_str(), AT_SYMLINK_FOLLOW) == 0) break;
            const int code = errno;
            FTempPath.clear();
            if (code != EEXIST || attempt == 100) Fail("link", FTarget, code);
        }
    }
    if (::rename(FTempPath.c_str(), FTarget.c_str()) < 0) Fail("rename", FTarget, errno);
    FTempPath.clear();
}

void TSafeFile::PlaceUnderNewName(const std::function<std::string(int)>& nameOf) {
    for (int i = 0;; ++i) {
        const std::string name = nameOf(i);
        if (name.empty()) Fail("find a free name for", FTarget, EEXIST);
        const int code = LinkAsNew(name);
        if (code == 0) {
            FTarget = name;
            return;
        }
        if (code != EEXIST) Fail("create", name, code);
    }
}

int TSafeFile::LinkAsNew(const std::string& path) {
    if (FUnnamed)
        return ::linkat(AT_FDCWD, SelfPath().c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0
                                                                                                      : errno;
    if (::renameat2(AT_FDCWD, FTempPath.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
        FTempPath.clear();
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
    // A file system without that kind of rename: a second name, then the temporary one goes.
    if (::link(FTempPath.c_str(), path.c_str()) == 0) {
        ::unlink(FTempPath.c_str());
        FTempPath.clear();
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) return errno;
    // Nor hard links: the name is claimed by creating it exclusively and replaced at once, the
    // one way left; only a crash between these two calls can leave it empty.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, FMode);
    if (fd < 0) return errno;
    ::close(fd);
    if (::rename(FTempPath.c_str(), path.c_str()) < 0) {
        const int code = errno;
        ::unlink(path.c_str());
        return code == EEXIST ? EIO : code; // the name is ours: no reason to try the next one
    }
    FTempPath.clear();
    return 0;
}

} // namespace platform
