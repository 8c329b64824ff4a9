// txhangfs: the server of the tests' hanging file system (see THangFs.h). It serves a fixed tree
// read from a file, answers every call at once unless a rule tells it to hold calls of a kind on a
// path, and answers the held ones when told to release them. One thread: requests from /dev/fuse
// and commands from the control socket are served in turn, so a held request costs nothing but
// its place in a list.
//
// txhangfs FOLDER NAME CONTROLFD: FOLDER holds "tree" (the tree) and "mnt" (the mount point).
// Control commands, one a line, each answered by one line:
//   block MASK PATH   hold calls of the kinds in MASK on PATH ("" = any path)   -> ok
//   unblock           hold no more calls (the held ones stay held)             -> ok
//   release           unblock, then answer every held call                      -> ok
//   held              how many calls are held                                  -> N
//   heldby            the threads whose calls were ever held, by thread id     -> TID ... | none
//   calls MASK        how many calls of those kinds arrived since the start     -> N
//   quit              release, unmount, end                                     -> ok
// The end of the control socket (the test process gone) is a quit that also removes FOLDER.
// Only the process that started the server (the test) and the programs it starts are served by
// the rules and counted: other processes on the machine that look at every mount, such as another
// test's drive listing beside this one, are answered at once and counted nowhere, so a test's
// counts are of its own calls and no other program waits for its holds.
#define FUSE_USE_VERSION 34
#include <fuse_lowlevel.h>
#include <linux/fuse.h>

#include <csignal>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// The kinds of call, as bits of a mask; the same numbers as THangFs::TCall.
enum : unsigned {
    kLookup = 1u << 0,
    kGetattr = 1u << 1,
    kOpendir = 1u << 2,
    kReaddir = 1u << 3,
    kStatfs = 1u << 4,
    kOpen = 1u << 5,
    kRead = 1u << 6,

};

constexpr time_t kModified = 1577880000; // 2020-01-01 12:00 UTC: every entry has the same dates

constexpr int kKinds = 7;

struct TNode {
    std::string path; // "/" for the root, else "/a/b"
    fuse_ino_t parent = FUSE_ROOT_ID;
    bool folder = true;
    std::uint64_t size = 0;
    std::map<std::string, fuse_ino_t> children;
};

struct TRule {
    unsigned mask;
    std::string path; // "" = any path
};

struct TServer {
    std::vector<TNode> nodes; // index = inode number; 0 unused, 1 the root
    std::vector<TRule> rules;
    std::vector<std::function<void()>> held;
    std::set<pid_t> heldBy; // the callers' thread ids, as the kernel gives them
    std::array<long, kKinds> calls{};
    pid_t owner = 0; // the test process, which started the server
    int control = -1;
    bool ready = false;
    std::string lastLog;
    std::FILE* trace = nullptr; // every call, one a line, when TX_HANGFS_TRACE names a file
};

constexpr const char* kKindNames[kKinds] = {"lookup", "getattr", "opendir", "readdir",
                                            "statfs", "open",    "read"};

TServer server;

void Log(enum fuse_log_level, const char* fmt, va_list ap) {
    char text[512];
    std::vsnprintf(text, sizeof text, fmt, ap);
    server.lastLog = text;
    while (!server.lastLog.empty() && server.lastLog.back() == '\n')
        server.lastLog.pop_back();
    std::fprintf(stderr, "%s\n", server.lastLog.c_str());
}

void Say(const std::string& line) {
    const std::string text = line + "\n";
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(server.control, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return; // the fixture is gone; its end is seen by the loop
        done += static_cast<std::size_t>(n);
    }
}

fuse_ino_t AddNode(const std::string& path, bool folder, std::uint64_t size) {
    fuse_ino_t at = FUSE_ROOT_ID;
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        const std::string name = path.substr(start, slash - start);
        start = slash + 1;
        if (name.empty()) continue;
        const bool last = slash == path.size();
        auto it = server.nodes[at].children.find(name);
        if (it == server.nodes[at].children.end()) {
            TNode node;
            node.path = (at == FUSE_ROOT_ID ? "" : server.nodes[at].path) + "/" + name;
            node.parent = at;
            node.folder = last ? folder : true;
            node.size = last ? size : 0;
            server.nodes.push_back(std::move(node));
            it = server.nodes[at].children.emplace(name, server.nodes.size() - 1).first;
        }
        at = it->second;
    }
    return at;
}

// "d PATH" and "f SIZE PATH" lines; parents are made as they are needed.
bool ReadTree(const std::string& file) {
    server.nodes.resize(2);
    server.nodes[FUSE_ROOT_ID].path = "/";
    std::ifstream in(file);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() > 2 && line[0] == 'd' && line[1] == ' ') {
            AddNode(line.substr(2), true, 0);
        } else if (line.size() > 2 && line[0] == 'f' && line[1] == ' ') {
            char* end = nullptr;
            const unsigned long long size = std::strtoull(line.c_str() + 2, &end, 10);
            if (!end || *end != ' ') return false;
            AddNode(end + 1, false, size);
        } else if (!line.empty()) {
            return false;
        }
    }
    return true;
}

std::string ChildPath(fuse_ino_t parent, const char* name) {
    if (parent >= server.nodes.size()) return {};
    return (parent == FUSE_ROOT_ID ? "" : server.nodes[parent].path) + "/" + name;
}

std::string PathOf(fuse_ino_t ino) {
    return ino < server.nodes.size() ? server.nodes[ino].path : std::string();
}

int KindIndex(unsigned kind) {
    int i = 0;
    while (kind > 1) {
        kind >>= 1;
        ++i;
    }
    return i;
}

// A number field ("Tgid:", "PPid:") of /proc/ID/status; 0 when it cannot be read.
pid_t StatusField(pid_t id, const char* field) {
    std::ifstream in("/proc/" + std::to_string(id) + "/status");
    const std::size_t length = std::strlen(field);
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, length, field) == 0) return static_cast<pid_t>(std::atol(line.c_str() + length));
    return 0;
}

// Whether the thread tid belongs to the owner or to a program it started (at any depth). A caller
// the kernel does not name, or one gone before it could be looked up, is taken as the owner's, so
// that a test never loses a call of its own.
bool FromOwner(pid_t tid) {
    if (tid <= 0) return true;
    pid_t pid = StatusField(tid, "Tgid:");
    for (int depth = 0; depth < 64; ++depth) {
        if (pid == 0 || pid == server.owner) return true;
        if (pid == 1) return false;
        pid = StatusField(pid, "PPid:");
    }
    return false;
}

// Counts the call and tells whether a rule holds it; a held call is answered by answer later.
// Calls of other processes than the owner's are neither counted nor held.
bool Hold(fuse_req_t req, unsigned kind, const std::string& path, std::function<void()> answer) {
    if (!FromOwner(fuse_req_ctx(req)->pid)) return false;
    ++server.calls[static_cast<std::size_t>(KindIndex(kind))];
    if (server.trace) std::fprintf(server.trace, "%s %s\n", kKindNames[KindIndex(kind)], path.c_str());
    const bool hold = std::any_of(server.rules.begin(), server.rules.end(), [&](const TRule& r) {
        return (r.mask & kind) != 0 && (r.path.empty() || r.path == path);
    });
    if (!hold) return false;
    server.held.push_back(std::move(answer));
    server.heldBy.insert(fuse_req_ctx(req)->pid);
    return true;
}

struct stat AttrOf(fuse_ino_t ino) {
    const TNode& n = server.nodes[ino];
    struct stat st {};
    st.st_ino = ino;
    st.st_mode = n.folder ? (S_IFDIR | 0755) : (S_IFREG | 0644);
    st.st_nlink = n.folder ? 2 : 1;
    st.st_uid = ::getuid();
    st.st_gid = ::getgid();
    st.st_size = static_cast<off_t>(n.size);
    st.st_blocks = static_cast<blkcnt_t>((n.size + 511) / 512);
    st.st_blksize = 4096;
    st.st_atime = st.st_mtime = st.st_ctime = kModified;
    return st;
}

// ---- the calls ----

void DoLookup(fuse_req_t req, fuse_ino_t parent, const std::string& name) {
    if (parent >= server.nodes.size() || !server.nodes[parent].folder) {
        fuse_reply_err(req, parent >= server.nodes.size() ? ENOENT : ENOTDIR);
        return;
    }
    const auto& children = server.nodes[parent].children;
    const auto it = children.find(name);
    if (it == children.end()) {
        fuse_reply_err(req, ENOENT); // no negative entry: the next lookup asks again
        return;
    }
    fuse_entry_param e{};
    e.ino = it->second;
    e.attr = AttrOf(it->second);
    e.attr_timeout = 0;
    e.entry_timeout = 0;
    fuse_reply_entry(req, &e);
}

void OnLookup(fuse_req_t req, fuse_ino_t parent, const char* name) {
    std::string n = name;
    if (!Hold(req, kLookup, ChildPath(parent, name), [=] { DoLookup(req, parent, n); })) DoLookup(req, parent, n);
}

void DoGetattr(fuse_req_t req, fuse_ino_t ino) {
    if (ino >= server.nodes.size()) {
        fuse_reply_err(req, ENOENT);
        return;
    }
    const struct stat st = AttrOf(ino);
    fuse_reply_attr(req, &st, 0);
}

void OnGetattr(fuse_req_t req, fuse_ino_t ino, fuse_file_info*) {
    if (!Hold(req, kGetattr, PathOf(ino), [=] { DoGetattr(req, ino); })) DoGetattr(req, ino);
}

void DoOpen(fuse_req_t req, fuse_ino_t ino, bool folder, fuse_file_info fi) {
    if (ino >= server.nodes.size()) {
        fuse_reply_err(req, ENOENT);
        return;
    }
    if (server.nodes[ino].folder != folder) {
        fuse_reply_err(req, folder ? ENOTDIR : EISDIR);
        return;
    }
    if (!folder && (fi.flags & O_ACCMODE) != O_RDONLY) {
        fuse_reply_err(req, EROFS);
        return;
    }
    fi.fh = 0;
    fi.direct_io = 1; // every read reaches the server
    fi.keep_cache = 0;
    fuse_reply_open(req, &fi);
}

void OnOpendir(fuse_req_t req, fuse_ino_t ino, fuse_file_info* fi) {
    const fuse_file_info copy = *fi;
    if (!Hold(req, kOpendir, PathOf(ino), [=] { DoOpen(req, ino, true, copy); })) DoOpen(req, ino, true, copy);
}

void OnOpen(fuse_req_t req, fuse_ino_t ino, fuse_file_info* fi) {
    const fuse_file_info copy = *fi;
    if (!Hold(req, kOpen, PathOf(ino), [=] { DoOpen(req, ino, false, copy); })) DoOpen(req, ino, false, copy);
}

// Entries at offsets 0 ("."), 1 (".."), then the children in name order; each entry's offset is
// that of the next one.
void DoReaddir(fuse_req_t req, fuse_ino_t ino, size_t size, off_t offset) {
    if (ino >= server.nodes.size() || !server.nodes[ino].folder) {
        fuse_reply_err(req, ENOTDIR);
        return;
    }
    const TNode& dir = server.nodes[ino];
    std::vector<std::pair<std::string, fuse_ino_t>> entries{{".", ino}, {"..", dir.parent}};
    for (const auto& [name, child] : dir.children)
        entries.emplace_back(name, child);
    std::vector<char> buffer(size);
    size_t used = 0;
    for (auto i = static_cast<std::size_t>(std::max<off_t>(offset, 0)); i < entries.size(); ++i) {
        struct stat st {};
        st.st_ino = entries[i].second;
        st.st_mode = server.nodes[entries[i].second].folder ? S_IFDIR : S_IFREG;
        const size_t need = fuse_add_direntry(req, buffer.data() + used, size - used,
                                              entries[i].first.c_str(), &st, static_cast<off_t>(i + 1));
        if (need > size - used) break;
        used += need;
    }
    fuse_reply_buf(req, buffer.data(), used);
}

void OnReaddir(fuse_req_t req, fuse_ino_t ino, size_t size, off_t offset, fuse_file_info*) {
    if (!Hold(req, kReaddir, PathOf(ino), [=] { DoReaddir(req, ino, size, offset); }))
        DoReaddir(req, ino, size, offset);
}

// Files read as zeros.
void DoRead(fuse_req_t req, fuse_ino_t ino, size_t size, off_t offset) {
    if (ino >= server.nodes.size() || server.nodes[ino].folder) {
        fuse_reply_err(req, EISDIR);
        return;
    }
    const auto fileSize = static_cast<off_t>(server.nodes[ino].size);
    const size_t n = offset >= fileSize ? 0 : static_cast<size_t>(std::min<off_t>(fileSize - offset, size));
    std::vector<char> zeros(n);
    fuse_reply_buf(req, zeros.data(), n);
}

void OnRead(fuse_req_t req, fuse_ino_t ino, size_t size, off_t offset, fuse_file_info*) {
    if (!Hold(req, kRead, PathOf(ino), [=] { DoRead(req, ino, size, offset); })) DoRead(req, ino, size, offset);
}

void DoStatfs(fuse_req_t req) {
    struct statvfs v {};
    v.f_bsize = v.f_frsize = 4096;
    v.f_blocks = 262144; // 1 GiB, a quarter free
    v.f_bfree = v.f_bavail = 65536;
    v.f_files = 100000;
    v.f_ffree = v.f_favail = 100000 - server.nodes.size();
    v.f_namemax = 255;
    fuse_reply_statfs(req, &v);
}

void OnStatfs(fuse_req_t req, fuse_ino_t ino) {
    if (!Hold(req, kStatfs, PathOf(ino), [=] { DoStatfs(req); })) DoStatfs(req);
}

void OnRelease(fuse_req_t req, fuse_ino_t, fuse_file_info*) {
    fuse_reply_err(req, 0);
}

void OnInit(void*, fuse_conn_info* conn) {
    // Plain readdir, so that listing a folder and looking at its entries are separate calls.
    conn->want &= ~(FUSE_CAP_READDIRPLUS | FUSE_CAP_READDIRPLUS_AUTO | FUSE_CAP_AUTO_INVAL_DATA);
    server.ready = true;
}

// Lookups and listings of one folder must not wait for each other in the kernel, so that a held
// call holds only its caller. libfuse 3.14 does not pass parallel directory operations on to the
// kernel even when asked, so the device is read and written through these two, which add the
// flag to the answer of the kernel's INIT where the kernel offered it.
std::uint64_t initUnique = 0;
bool initParallel = false;

ssize_t ReadDevice(int fd, void* buf, size_t size, void*) {
    const ssize_t n = ::read(fd, buf, size);
    if (n >= static_cast<ssize_t>(sizeof(fuse_in_header) + sizeof(fuse_init_in))) {
        const auto* in = static_cast<const fuse_in_header*>(buf);
        if (in->opcode == FUSE_INIT) {
            const auto* init = reinterpret_cast<const fuse_init_in*>(in + 1);
            initUnique = in->unique;
            initParallel = (init->flags & FUSE_PARALLEL_DIROPS) != 0;
        }
    }
    return n;
}

ssize_t WriteDevice(int fd, iovec* iov, int count, void*) {
    if (initUnique != 0 && count >= 2 && iov[0].iov_len >= sizeof(fuse_out_header)) {
        const auto* out = static_cast<const fuse_out_header*>(iov[0].iov_base);
        if (out->unique == initUnique && out->error == 0 && iov[1].iov_len >= 16) {
            initUnique = 0;
            // flags follow major, minor and max_readahead in every version of fuse_init_out
            if (initParallel) static_cast<std::uint32_t*>(iov[1].iov_base)[3] |= FUSE_PARALLEL_DIROPS;
        }
    }
    return ::writev(fd, iov, count);
}

void ReleaseAll() {
    server.rules.clear();
    // An answer may not add to the list (answers never hold), but take it whole to be safe.
    std::vector<std::function<void()>> held;
    held.swap(server.held);
    for (auto& answer : held)
        answer();
}

// Serves one command line; false on quit.
bool Command(const std::string& line) {
    const std::size_t space = line.find(' ');
    const std::string word = line.substr(0, space);
    const std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
    if (word == "block") {
        char* end = nullptr;
        const unsigned long mask = std::strtoul(rest.c_str(), &end, 10);
        std::string path = end && *end == ' ' ? std::string(end + 1) : std::string();
        server.rules.push_back({static_cast<unsigned>(mask), path});
        Say("ok");
    } else if (word == "unblock") {
        server.rules.clear();
        Say("ok");
    } else if (word == "release") {
        ReleaseAll();
        Say("ok");
    } else if (word == "held") {
        Say(std::to_string(server.held.size()));
    } else if (word == "heldby") {
        std::string tids;
        for (pid_t tid : server.heldBy)
            tids += (tids.empty() ? "" : " ") + std::to_string(tid);
        Say(tids.empty() ? "none" : tids);
    } else if (word == "calls") {
        const unsigned long mask = std::strtoul(rest.c_str(), nullptr, 10);
        long n = 0;
        for (int i = 0; i < kKinds; ++i)
            if (mask & (1u << i)) n += server.calls[static_cast<std::size_t>(i)];
        Say(std::to_string(n));
    } else if (word == "quit") {
        return false;
    } else {
        Say("error unknown command " + word);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: txhangfs FOLDER NAME CONTROLFD\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::string name = argv[2];
    server.control = std::atoi(argv[3]);
    server.owner = ::getppid();
    const std::string mountPoint = folder + "/mnt";
    std::signal(SIGPIPE, SIG_IGN); // a fixture that went away is seen as the end of the socket
    // A test process that dies with a thread stuck in a held call keeps its descriptors (and so
    // the control socket) open until that call is answered: the end of the thread that started
    // the server (SIGTERM, as its death signal) is taken as the end of the fixture too, and so is
    // a plain SIGTERM or SIGINT.
    sigset_t ending;
    sigemptyset(&ending);
    sigaddset(&ending, SIGTERM);
    sigaddset(&ending, SIGINT);
    sigaddset(&ending, SIGHUP);
    sigprocmask(SIG_BLOCK, &ending, nullptr);
    const int signals = ::signalfd(-1, &ending, SFD_CLOEXEC);
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    fuse_set_log_func(Log);
    if (const char* trace = std::getenv("TX_HANGFS_TRACE"); trace && *trace) {
        server.trace = std::fopen(trace, "a");
        if (server.trace) std::setvbuf(server.trace, nullptr, _IOLBF, 0);
    }
    if (!ReadTree(folder + "/tree")) {
        Say("fail cannot read the tree " + folder + "/tree");
        return 1;
    }

    const std::string fsname = "-ofsname=" + name + ",subtype=" + name;
    const char* args[] = {"txhangfs", fsname.c_str(), nullptr};
    fuse_args fargs = FUSE_ARGS_INIT(2, const_cast<char**>(args));
    fuse_lowlevel_ops ops{};
    ops.init = OnInit;
    ops.lookup = OnLookup;
    ops.getattr = OnGetattr;
    ops.opendir = OnOpendir;
    ops.readdir = OnReaddir;
    ops.releasedir = OnRelease;
    ops.open = OnOpen;
    ops.read = OnRead;
    ops.release = OnRelease;
    ops.statfs = OnStatfs;
    fuse_session* se = fuse_session_new(&fargs, &ops, sizeof ops, nullptr);
    fuse_opt_free_args(&fargs);
    if (!se) {
        Say("fail " + (server.lastLog.empty() ? std::string("cannot start a FUSE session") : server.lastLog));
        return 1;
    }
    if (fuse_session_mount(se, mountPoint.c_str()) != 0) {
        Say("fail " + (server.lastLog.empty() ? "cannot mount " + mountPoint : server.lastLog));
        fuse_session_destroy(se);
        return 1;
    }

    const fuse_custom_io io{WriteDevice, ReadDevice, nullptr, nullptr};
    if (fuse_session_custom_io(se, &io, fuse_session_fd(se)) != 0) {
        Say("fail cannot take over the FUSE device");
        fuse_session_unmount(se);
        fuse_session_destroy(se);
        return 1;
    }

    fuse_buf buf{};
    std::string input;
    bool quit = false, orphaned = false, mounted = true;
    while (!quit) {
        pollfd fds[3] = {{server.control, POLLIN, 0},
                         {mounted ? fuse_session_fd(se) : -1, POLLIN, 0},
                         {signals, POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[2].revents & POLLIN) {
            quit = orphaned = true;
            break;
        }
        if (fds[1].revents & (POLLIN | POLLERR | POLLHUP)) {
            const int n = fuse_session_receive_buf(se, &buf);
            if (n > 0) {
                fuse_session_process_buf(se, &buf);
                if (server.ready) {
                    server.ready = false;
                    Say("ready");
                }
            } else if (n != -EINTR && n != -EAGAIN && n != -ENOENT) {
                mounted = false; // unmounted from outside or aborted: only commands are left
            }
        }
        if (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) {
            char chunk[256];
            const ssize_t n = ::read(server.control, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                quit = orphaned = true;
                break;
            }
            input.append(chunk, static_cast<std::size_t>(n));
            std::size_t eol;
            while (!quit && (eol = input.find('\n')) != std::string::npos) {
                const std::string line = input.substr(0, eol);
                input.erase(0, eol + 1);
                quit = !Command(line);
            }
        }
    }
    ReleaseAll();
    fuse_session_unmount(se);
    fuse_session_destroy(se);
    std::free(buf.mem);
    if (server.trace) std::fclose(server.trace);
    if (signals >= 0) ::close(signals);
    if (orphaned) {
        // Nobody is left to clean up: leave no folder behind.
        ::rmdir(mountPoint.c_str());
        std::remove((folder + "/tree").c_str());
        std::remove((folder + "/log").c_str());
        ::rmdir(folder.c_str());
    } else {
        Say("ok");
    }
    return 0;
}
