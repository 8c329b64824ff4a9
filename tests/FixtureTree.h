// A small folder tree made by a test in a temporary folder, removed again when the test ends,
// and what `find` says about it.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <stdexcept>
#include <string>

namespace txtest {

// The descriptors this process has open now, but the one on the mount table that the lanes of
// file-system calls keep from their first call on (platform/PFileCalls.h).
inline int OpenDescriptors() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (const dirent* e = readdir(d)) {
            char target[256];
            const ssize_t k =
                ::readlinkat(dirfd(d), e->d_name, target, sizeof target - 1);
            if (k > 0) {
                target[k] = 0;
                const std::string link = target;
                if (link.size() > 10 && link.compare(link.size() - 10, 10, "/mountinfo") == 0) continue;
            }
            ++n;
        }
        closedir(d);
    }
    return n;
}

// Sets TZ for one test and puts the old one back.
class TZone {
public:
    explicit TZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) FOld = old, FHad = true;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TZone() {
        if (FHad)
            ::setenv("TZ", FOld.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    TZone(const TZone&) = delete;
    TZone& operator=(const TZone&) = delete;

private:
    std::string FOld;
    bool FHad = false;
};

class TTempDir {
public:
    TTempDir() {
        char pattern[] = "/tmp/tx-test-XXXXXX";
        if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
        FPath = pattern;
    }
    ~TTempDir() {
        // Make every folder writable and readable again so that rm can remove it.
        Run("chmod -R u+rwx '" + FPath + "' 2>/dev/null; rm -rf '" + FPath + "'");
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    // The folder, with a trailing "/".
    [[nodiscard]] std::string Path() const { return FPath + "/"; }

    void Folder(const std::string& rel) const { ::mkdir((Path() + rel).c_str(), 0755); }
    // A file of size bytes; sizes above a few KB are sparse (only the length is set).
    void File(const std::string& rel, std::int64_t size) const {
        const int fd = ::open((Path() + rel).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) throw std::runtime_error("cannot create " + rel);
        if (size > 0 && size <= 4096) {
            std::string bytes(static_cast<size_t>(size), 'x');
            if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
                throw std::runtime_error("write failed");
        } else if (size > 0 && ::ftruncate(fd, size) != 0) {
            throw std::runtime_error("ftruncate failed");
        }
        ::close(fd);
    }
    void Link(const std::string& target, const std::string& rel) const {
        if (::symlink(target.c_str(), (Path() + rel).c_str()) != 0)
            throw std::runtime_error("symlink failed");
    }
    void Fifo(const std::string& rel) const { ::mkfifo((Path() + rel).c_str(), 0644); }
    // Sets the access and modification times of rel (a link itself, not its target).
    void Stamp(const std::string& rel, std::int64_t seconds) const {
        const timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
        if (::utimensat(AT_FDCWD, (Path() + rel).c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
            throw std::runtime_error("cannot set the times of " + rel);
    }
    static int Run(const std::string& command) { return std::system(command.c_str()); }

private:
    std::string FPath;
};

// A chain of depth folders named name below t, made by descriptors (the path passes PATH_MAX
// long before the bottom). Each level also holds a file "f" (1 byte) and, after the chain's own
// folder, a leaf folder "z" with a file "g" (2 bytes): a walk must come back up to enter it.
inline void MakeChain(const TTempDir& t, int depth, const std::string& name) {
    int fd = ::open(t.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open the temporary folder");
    auto file = [](int dir, const char* n, const char* bytes) {
        const int f = ::openat(dir, n, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (f < 0 || ::write(f, bytes, std::char_traits<char>::length(bytes)) < 0)
            throw std::runtime_error("cannot write a chain file");
        ::close(f);
    };
    for (int i = 0; i < depth; ++i) {
        file(fd, "f", "x");
        if (::mkdirat(fd, name.c_str(), 0755) != 0 || ::mkdirat(fd, "z", 0755) != 0)
            throw std::runtime_error("mkdirat failed");
        const int z = ::openat(fd, "z", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        file(z, "g", "yy");
        ::close(z);
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
        if (fd < 0) throw std::runtime_error("openat failed");
    }
    ::close(fd);
}

// Removes what MakeChain made, bottom up by descriptors (rm -rf takes minutes on such a chain).
inline void RemoveChain(const TTempDir& t, int depth, const std::string& name) {
    int fd = ::open(t.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < depth && fd >= 0; ++i) {
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
    }
    for (int i = 0; i < depth && fd >= 0; ++i) {
        const int up = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = up;
        if (fd < 0) break;
        const int z = ::openat(fd, "z", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (z >= 0) {
            ::unlinkat(z, "g", 0);
            ::close(z);
        }
        ::unlinkat(fd, "z", AT_REMOVEDIR);
        ::unlinkat(fd, "f", 0);
        ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
    }
    if (fd >= 0) ::close(fd);
}

// The tree the exploring tests share: every size class, odd names, links, a fifo, an empty folder.
inline void MakeFixtureTree(const TTempDir& t) {
    t.Folder("empty");
    t.Folder("sizes");
    for (std::int64_t size : {0LL, 255LL, 256LL, 65535LL, 65536LL, 16777216LL, 4294967301LL})
        t.File("sizes/s" + std::to_string(size), size);
    t.Folder("names");
    for (const char* name :
         {"noext", "a.b.c.txt", ".hidden", "enddot.", "a", "A", "arch.tar.gz", "bad\xff\xfe.bin", "caf\xe9"})
        t.File(std::string("names/") + name, 10);
    t.Folder("links");
    t.Link("../sizes/s255", "links/tofile");
    t.Link("..", "links/loop");
    t.Link("self", "links/self");
    t.Folder("special");
    t.Fifo("special/fifo");
    t.Folder("deep");
    t.Folder("deep/1");
    t.Folder("deep/1/2");
    t.Folder("deep/1/2/3");
    t.File("deep/1/2/3/leaf.dat", 1000);
    t.Folder(".dotfolder");
    t.File(".dotfolder/x", 7);
}

// One line of `find`: what the file system says about an entry, below the start folder.
struct TFound {
    char type = 0; // 'f', 'd', 'l', 'p', ...
    std::int64_t size = 0;
    std::int64_t mtimeSeconds = 0;
    std::uint32_t mtimeMs = 0;
};

// Runs find -P (links never followed) on path: relative name -> entry, the start left out.
inline std::map<std::string, TFound> FindTree(const std::string& path) {
    std::map<std::string, TFound> out;
    const std::string cmd = "find '" + path + "' -mindepth 1 -printf '%P\\t%y\\t%s\\t%T@\\n'";
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return out;
    std::string all;
    char buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        all.append(buf, n);
    ::pclose(p);
    size_t pos = 0;
    while (pos < all.size()) {
        size_t end = all.find('\n', pos);
        if (end == std::string::npos) end = all.size();
        const std::string line = all.substr(pos, end - pos);
        pos = end + 1;
        const size_t t1 = line.find('\t'), t2 = line.find('\t', t1 + 1), t3 = line.find('\t', t2 + 1);
        if (t3 == std::string::npos) continue;
        TFound f;
        f.type = line[t1 + 1];
        f.size = std::stoll(line.substr(t2 + 1, t3 - t2 - 1));
        const std::string stamp = line.substr(t3 + 1);
        const size_t dot = stamp.find('.');
        f.mtimeSeconds = std::stoll(stamp.substr(0, dot));
        if (dot != std::string::npos)
            f.mtimeMs = static_cast<std::uint32_t>(std::stoul((stamp.substr(dot + 1) + "000").substr(0, 3)));
        out[line.substr(0, t1)] = f;
    }
    return out;
}

} // namespace txtest
