#include "platform/PFileStream.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

TFileStream::TFileStream(const std::string& path, TMode mode) : FPath(path) {
    // Reading opens without blocking: a fifo (or a device) would otherwise hold the open until a
    // writer comes, for ever. Only a regular file is read; the flag goes again once that is known.
    const int flags = mode == TMode::Read ? O_RDONLY | O_NONBLOCK | O_NOCTTY : O_WRONLY | O_CREAT | O_TRUNC;
    do
        FFd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    while (FFd < 0 && errno == EINTR);
    if (FFd < 0) Fail("open", errno);
    if (mode != TMode::Read) return;
    struct stat st {};
    int code = 0;
    if (::fstat(FFd, &st) < 0)
        code = errno;
    else if (!S_ISREG(st.st_mode))
        code = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    else if (::fcntl(FFd, F_SETFL, O_RDONLY) < 0)
        code = errno;
    if (code != 0) {
        ::close(FFd);
        FFd = -1;
        if (code == EINVAL) throw TFileError("open " + FPath + ": not a regular file", code);
        Fail("open", code);
    }
}

TFileStream::TFileStream(int fd, std::string path) : FFd(fd), FPath(std::move(path)) {}

TFileStream::~TFileStream() {
    if (FFd >= 0) ::close(FFd);
}

void TFileStream::Fail(const char* operation, int code) const {
    throw TFileError(std::string(operation) + " " + FPath + ": " + std::strerror(code), code);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    auto* p = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(FFd, p + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail("read", errno);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void TFileStream::Write(const void* buffer, std::size_t count) {
    auto* p = static_cast<const char*>(buffer);
    while (count > 0) {
        const ssize_t n = ::write(FFd, p, count);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail("write", errno);
        }
        if (n == 0) Fail("write", ENOSPC);
        p += n;
        count -= static_cast<std::size_t>(n);
    }
}

void TFileStream::Seek(std::int64_t position) {
    if (::lseek(FFd, static_cast<off_t>(position), SEEK_SET) < 0) Fail("seek", errno);
}

std::int64_t TFileStream::Position() const {
    const off_t p = ::lseek(FFd, 0, SEEK_CUR);
    if (p < 0) Fail("seek", errno);
    return p;
}

std::int64_t TFileStream::Size() const {
    const off_t here = ::lseek(FFd, 0, SEEK_CUR);
    const off_t end = ::lseek(FFd, 0, SEEK_END);
    if (here < 0 || end < 0 || ::lseek(FFd, here, SEEK_SET) < 0) Fail("seek", errno);
    return end;
}

void TFileStream::Sync() {
    if (::fsync(FFd) < 0 && errno != EINVAL && errno != EROFS) Fail("sync", errno);
}

void TFileStream::Close() {
    if (FFd < 0) return;
    const int fd = FFd;
    FFd = -1;
    // Linux releases the descriptor even when close reports an error; the error still counts.
    if (::close(fd) < 0 && errno != EINTR) Fail("close", errno);
}

} // namespace platform
