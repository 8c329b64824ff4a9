#include "tests/support/THangFs.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace txtest {

namespace {

using TClock = std::chrono::steady_clock;

int MillisecondsLeft(TClock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - TClock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Reaps child within timeoutMs; true when it ended.
bool WaitForExit(pid_t child, int timeoutMs) {
    const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(child, &status, WNOHANG);
        if (r == child || (r < 0 && errno == ECHILD)) return true;
        if (MillisecondsLeft(deadline) == 0) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Runs a program and waits for it (at most timeoutMs, then it is killed); its exit status or -1.
int RunProgram(const std::vector<std::string>& args, int timeoutMs) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (MillisecondsLeft(deadline) == 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

THangFs::THangFs(const std::vector<TEntry>& tree, const TOptions& options) : FName(options.name) {
    if (const char* skip = std::getenv("TX_HANGFS_SKIP"); skip && *skip) {
        FSkipReason = "TX_HANGFS_SKIP is set";
        return;
    }
    struct stat device {};
    if (::stat(options.device.c_str(), &device) != 0 || !S_ISCHR(device.st_mode)) {
        FSkipReason = options.device + " is missing (the kernel has no FUSE here)";
        return;
    }
    const std::string server = TX_HANGFS_SERVER;
    if (server.empty()) {
        FSkipReason = "built without libfuse3";
        return;
    }
    if (::access(server.c_str(), X_OK) != 0) {
        FSkipReason = "no server program " + server;
        return;
    }

    if (std::string reason = Start(server, tree, options); !reason.empty())
        Fail(std::move(reason));
    else
        FMounted = true;
}

std::string THangFs::Start(const std::string& server, const std::vector<TEntry>& tree,
                           const TOptions& options) {
    std::string pattern = (std::filesystem::temp_directory_path() / "txhang.XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return "cannot make a temporary folder: " + std::string(std::strerror(errno));
    FFolder = pattern;
    FMountPoint = FFolder + "/mnt";
    if (::mkdir(FMountPoint.c_str(), 0755) != 0) return "cannot make " + FMountPoint;
    {
        std::ofstream out(FFolder + "/tree");
        for (const TEntry& e : tree) {
            if (e.folder)
                out << "d " << e.path << '\n';
            else
                out << "f " << e.size << ' ' << e.path << '\n';
        }
        if (!out) return "cannot write " + FFolder + "/tree";
    }

    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return "no socket pair";
    FControl = pair[0];
    // The child's end goes to its descriptor 3; taken above 3 first so that dup2 really copies it
    // (and so drops close-on-exec).
    const int childEnd = ::fcntl(pair[1], F_DUPFD_CLOEXEC, 10);
    ::close(pair[1]);
    if (childEnd < 0) return "no descriptor for the server";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const std::string log = FFolder + "/log";
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, childEnd, 3);
    const std::string args[] = {server, FFolder, FName, "3"};
    char* argv[] = {const_cast<char*>(args[0].c_str()), const_cast<char*>(args[1].c_str()),
                    const_cast<char*>(args[2].c_str()), const_cast<char*>(args[3].c_str()), nullptr};
    const int spawned = ::posix_spawn(&FServer, server.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(childEnd);
    if (spawned != 0) {
        FServer = -1;
        return "cannot start " + server + ": " + std::strerror(spawned);
    }

    const std::string answer = ReadLine(options.startTimeoutMs);
    if (answer != "ready") {
        std::string reason = answer.rfind("fail ", 0) == 0 ? answer.substr(5)
                             : answer.empty()              ? "the server did not mount in time"
                                                           : "the server said " + answer;
        std::string said = ReadText(log);
        while (!said.empty() && said.back() == '\n')
            said.pop_back();
        if (!said.empty() && said.find(reason) == std::string::npos) reason += " (" + said + ")";
        return reason;
    }
    // The kernel numbers the connection by the device of the mount ("0:N").
    const std::optional<platform::TMountEntry> mount = MountEntryOf(FMountPoint);
    if (!mount || mount->fsType != FsType())
        return "the mount table does not list " + FMountPoint + " as " + FsType();
    FConnection = mount->minor;
    return {};
}

THangFs::~THangFs() {
    if (FFolder.empty()) return;
    if (ServerAlive()) Release();
    End();
}

void THangFs::End() {
    if (!ServerAlive()) AbortConnection();
    if (StillMounted()) Unmount();
    StopServer();
    if (StillMounted()) {
        AbortConnection();
        Unmount();
    }
    if (FControl >= 0) ::close(FControl);
    FControl = -1;
    RemoveFolder();
    FFolder.clear();
}

std::string THangFs::Path(std::string_view inside) const {
    if (inside.empty() || inside == "/") return FMountPoint;
    return FMountPoint + (inside.front() == '/' ? "" : "/") + std::string(inside);
}

bool THangFs::Block(unsigned calls, const std::string& path) {
    return Ask("block " + std::to_string(calls) + " " + path) == "ok";
}

bool THangFs::Unblock() {
    return Ask("unblock") == "ok";
}

bool THangFs::Release() {
    return Ask("release") == "ok";
}

int THangFs::Held() {
    const std::string n = Ask("held");
    return n.empty() ? -1 : std::atoi(n.c_str());
}

int THangFs::WasHeld(pid_t tid) {
    const std::string answer = Ask("heldby");
    if (answer.empty()) return -1;
    std::istringstream tids(answer);
    for (std::string word; tids >> word;)
        if (word == std::to_string(tid)) return 1;
    return 0;
}

bool THangFs::WaitHeld(int count, int timeoutMs) {
    const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const int held = Held();
        if (held >= count) return true;
        if (held < 0 || MillisecondsLeft(deadline) == 0) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

long THangFs::Calls(unsigned calls) {
    const std::string n = Ask("calls " + std::to_string(calls));
    return n.empty() ? -1 : std::atol(n.c_str());
}

bool THangFs::ServerAlive() {
    if (FServer < 0 || FServerDead) return false;
    int status = 0;
    if (::waitpid(FServer, &status, WNOHANG) == FServer) FServerDead = true;
    return !FServerDead;
}

void THangFs::KillServer() {
    if (!ServerAlive()) return;
    ::kill(FServer, SIGKILL);
    ::waitpid(FServer, nullptr, 0);
    FServerDead = true;
}

std::string THangFs::ReadLine(int timeoutMs) {
    const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (const std::size_t eol = FInput.find('\n'); eol != std::string::npos) {
            std::string line = FInput.substr(0, eol);
            FInput.erase(0, eol + 1);
            return line;
        }
        pollfd p{FControl, POLLIN, 0};
        const int r = ::poll(&p, 1, MillisecondsLeft(deadline));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return {};
        char chunk[256];
        const ssize_t n = ::read(FControl, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return {};
        FInput.append(chunk, static_cast<std::size_t>(n));
    }
}

std::string THangFs::Ask(const std::string& command) {
    std::lock_guard<std::mutex> lock(FLock);
    if (FControl < 0 || !ServerAlive()) return {};
    const std::string line = command + "\n";
    if (::send(FControl, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size()))
        return {};
    std::string answer = ReadLine(kControlTimeoutMs);
    if (answer.empty()) {
        // A server that stopped answering its own commands would hang every caller: end it, which
        // also ends the connection and with it every held call.
        ::kill(FServer, SIGKILL);
        ::waitpid(FServer, nullptr, 0);
        FServerDead = true;
    }
    return answer;
}

void THangFs::Fail(std::string reason) {
    FSkipReason = std::move(reason);
    FMounted = false;
    End();
}

void THangFs::RemoveFolder() const {
    if (FFolder.empty()) return;
    // Never a recursive removal: should the mount still be there, its tree is not ours to remove.
    ::rmdir(FMountPoint.c_str());
    std::remove((FFolder + "/tree").c_str());
    std::remove((FFolder + "/log").c_str());
    ::rmdir(FFolder.c_str());
}

void THangFs::StopServer() {
    if (!ServerAlive()) return;
    // "quit" releases what is held and unmounts; a server that does not end in time is killed.
    {
        std::lock_guard<std::mutex> lock(FLock);
        const std::string quit = "quit\n";
        if (FControl >= 0) ::send(FControl, quit.data(), quit.size(), MSG_NOSIGNAL);
    }
    if (!WaitForExit(FServer, kControlTimeoutMs)) {
        ::kill(FServer, SIGKILL);
        ::waitpid(FServer, nullptr, 0);
    }
    FServerDead = true;
}

std::optional<platform::TMountEntry> THangFs::MountEntryOf(const std::string& mountPoint) {
    std::optional<platform::TMountEntry> found;
    for (platform::TMountEntry& m : platform::ParseMountInfoAll(ReadText("/proc/self/mountinfo")))
        if (m.mountPoint == mountPoint) found = std::move(m); // the last one is the one seen
    return found;
}

bool THangFs::StillMounted() const {
    return !FMountPoint.empty() && MountEntryOf(FMountPoint).has_value();
}

void THangFs::AbortConnection() const {
    if (FConnection == 0 || !StillMounted()) return;
    const std::string connections = "/sys/fs/fuse/connections";
    const std::string abort = connections + "/" + std::to_string(FConnection) + "/abort";
    // The control file system is not always mounted; root can mount it, and unmounts it again (a
    // mount left there would keep a chroot's /sys from being unmounted).
    const bool mounted = ::access(abort.c_str(), W_OK) != 0 && ::geteuid() == 0 &&
                         ::mount("fusectl", connections.c_str(), "fusectl", 0, nullptr) == 0;
    // A server that died closed its device, which ended the connection anyway: then there is no file.
    if (const int fd = ::open(abort.c_str(), O_WRONLY | O_CLOEXEC); fd >= 0) {
        (void)!::write(fd, "1", 1);
        ::close(fd);
    }
    if (mounted) ::umount2(connections.c_str(), MNT_DETACH);
}

void THangFs::Unmount() const {
    // Lazily: a descriptor still open inside, or a caller's current folder, does not keep it.
    if (::umount2(FMountPoint.c_str(), MNT_DETACH) == 0 || errno == EINVAL || errno == ENOENT) return;
    RunProgram({"fusermount3", "-u", "-z", "-q", FMountPoint}, kControlTimeoutMs);
}

} // namespace txtest
