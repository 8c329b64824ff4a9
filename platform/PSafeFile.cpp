#include "platform/PSafeFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return; // the rename has happened; a folder we cannot open just is not synced
    ::fsync(fd);
    ::close(fd);
}
} // namespace

TSafeFile::TSafeFile(const std::string& target) : FTarget(target) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(target.c_str(), resolved)) FTarget = resolved;
    }
    if (::stat(FTarget.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) Fail("replace", FTarget, EINVAL);
        FMode = st.st_mode & 07777;
    } else {
        FMode = 0666 & ~CurrentUmask();
    }
    const size_t slash = FTarget.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : FTarget.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? FTarget : FTarget.substr(slash + 1);
    if (name.empty()) Fail("create", FTarget, EISDIR);
    std::string pattern = (slash == std::string::npos ? std::string() : folder) + "." + name + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) Fail("create", pattern, errno);
    FTempPath = pattern;
    FStream = std::make_unique<TFileStream>(fd, FTempPath);
}

TSafeFile::~TSafeFile() {
    if (!FCommitted) Discard();
}

void TSafeFile::Discard() noexcept {
    FStream.reset(); // closes, errors do not matter: the file goes
    if (!FTempPath.empty()) ::unlink(FTempPath.c_str());
    FTempPath.clear();
}

void TSafeFile::Commit() {
    if (FCommitted) return;
    if (!FStream) Fail("commit", FTarget, EBADF);
    try {
        FStream->Sync();
        FStream->Close();
        if (::chmod(FTempPath.c_str(), FMode) < 0) Fail("chmod", FTempPath, errno);
        if (::rename(FTempPath.c_str(), FTarget.c_str()) < 0) Fail("rename", FTarget, errno);
    } catch (...) {
        Discard();
        throw;
    }
    FCommitted = true;
    FStream.reset();
    FTempPath.clear();
    const size_t slash = FTarget.rfind('/');
    SyncFolder(slash == std::string::npos ? "." : FTarget.substr(0, slash + 1));
}

} // namespace platform
