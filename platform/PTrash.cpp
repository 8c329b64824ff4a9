#include "platform/PTrash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace platform {

namespace {

std::string Errno(int code) {
    return std::strerror(code);
}

std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return path.substr(0, slash);
}

// Makes a folder of the trash (0700) unless it exists; true when a real folder is there now.
bool MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Makes each missing folder of path, the last ones 0700.
bool MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The mount point of the file system that holds path: the last folder upwards on the same device.
std::string TopDirOf(const std::string& path, dev_t device) {
    std::string top = ParentOf(path);
    for (;;) {
        if (top == "/") return top;
        const std::string up = ParentOf(top);
        struct stat st {};
        if (stat(up.c_str(), &st) != 0 || st.st_dev != device) return top;
        top = up;
    }
}

// A trash folder of a top directory that can take a file of device; empty with error when none.
std::string TopDirTrash(const std::string& topdir, dev_t device, std::string& error) {
    const std::string base = topdir == "/" ? "" : topdir;
    const std::string uid = std::to_string(getuid());
    // $topdir/.Trash is the administrator's: used only when it is a real folder with the sticky bit.
    struct stat st {};
    if (lstat((base + "/.Trash").c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const std::string own = base + "/.Trash/" + uid;
        struct stat mine {};
        if (MakeFolder(own) && lstat(own.c_str(), &mine) == 0 && mine.st_uid == getuid() &&
            mine.st_dev == device)
            return own;
    }
    const std::string own = base + "/.Trash-" + uid;
    if (!MakeFolder(own)) {
        error = "this file system has no trash (" + own + ": " + Errno(errno) + ")";
        return {};
    }
    if (lstat(own.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
        st.st_dev != device) {
        error = "this file system has no trash (" + own + " is not the user's own folder)";
        return {};
    }
    return own;
}

std::string DeletionDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[32] = {};
    if (localtime_r(&now, &local)) std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::string TrashInfoPath(std::string_view path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
            c == '.' || c == '_' || c == '~' || c == '/') {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string HomeTrashFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return std::string(data) + "/Trash";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/share/Trash";
    return {};
}

bool MoveToTrash(const std::string& pathIn, std::string& error) {
    std::string path = pathIn;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.empty() || path[0] != '/' || path == "/") {
        error = "the path is not a file or folder that can be moved";
        return false;
    }
    struct stat file {};
    if (lstat(path.c_str(), &file) != 0) {
        error = errno == ENOENT ? "the file no longer exists" : Errno(errno);
        return false;
    }

    struct stat parent {};
    if (stat(ParentOf(path).c_str(), &parent) != 0 || parent.st_dev != file.st_dev) {
        error = "a mounted file system cannot be moved to the trash";
        return false;
    }

    // The trash of the file's own file system, so that the move is a rename.
    std::string trash, topdir;
    const std::string home = HomeTrashFolder();
    struct stat homeStat {};
    if (!home.empty() && MakeFolders(home) && stat(home.c_str(), &homeStat) == 0 &&
        homeStat.st_dev == file.st_dev) {
        trash = home;
    } else {
        topdir = TopDirOf(path, file.st_dev);
        trash = TopDirTrash(topdir, file.st_dev, error);
        if (trash.empty()) return false;
    }
    const std::string files = trash + "/files", info = trash + "/info";
    if (!MakeFolder(files) || !MakeFolder(info)) {
        error = "the trash cannot be used (" + trash + ": " + Errno(errno) + ")";
        return false;
    }

    // Path: absolute in the home trash, relative to the top directory elsewhere.
    std::string stored = path;
    if (!topdir.empty() && topdir != "/")
        stored = path.substr(topdir.size() + 1);
    else if (!topdir.empty())
        stored = path.substr(1);
    const std::string content =
        "[Trash Info]\nPath=" + TrashInfoPath(stored) + "\nDeletionDate=" + DeletionDate() + "\n";

    const std::string name = path.substr(path.rfind('/') + 1);
    for (int n = 1; n < 100000; ++n) {
        const std::string entry = n == 1 ? name : name + "." + std::to_string(n);
        const std::string infoFile = info + "/" + entry + ".trashinfo";
        const int fd = open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue; // taken by another file of the trash
            error = "the trash cannot be used (" + infoFile + ": " + Errno(errno) + ")";
            return false;
        }
        const bool written = WriteAll(fd, content);
        const int writeError = errno;
        if (close(fd) != 0 || !written) {
            unlink(infoFile.c_str());
            error =
                "the trash cannot be used (" + infoFile + ": " + Errno(written ? errno : writeError) + ")";
            return false;
        }
        // The info file is ours; a file of that name left without one takes the next number.
        const std::string target = files + "/" + entry;
        struct stat taken {};
        if (lstat(target.c_str(), &taken) == 0) {
            unlink(infoFile.c_str());
            continue;
        }
        if (rename(path.c_str(), target.c_str()) != 0) {
            const int renameError = errno;
            unlink(infoFile.c_str());
            error = renameError == ENOENT ? "the file no longer exists" : Errno(renameError);
            return false;
        }
        return true;
    }
    error = "the trash holds too many files of this name";
    return false;
}

} // namespace platform
