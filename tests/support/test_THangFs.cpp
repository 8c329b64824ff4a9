#include "tests/support/THangFs.h"

#include "platform/PMounts.h"
#include "tests/ChildProcess.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <thread>

using txtest::THangFs;

namespace {

const std::vector<THangFs::TEntry> kTree = {THangFs::File("/a/one.txt", 1000),
                                            THangFs::File("/a/b/two.bin", 5000000),
                                            THangFs::Folder("/a/empty"), THangFs::File("/top.txt", 3)};

bool Listed(const std::string& mountPoint) {
    return THangFs::MountEntryOf(mountPoint).has_value();
}

// A call made on a thread of its own that may hang. Declared before the file system, it is
// destroyed after it: the file system's end answers the call, and only then is it joined.
class TCall {
public:
    TCall() = default;
    ~TCall() {
        if (FThread.joinable()) FThread.join();
    }
    TCall(const TCall&) = delete;
    TCall& operator=(const TCall&) = delete;

    void Start(std::function<int()> call) {
        FThread = std::thread([this, call = std::move(call)] {
            FResult = call();
            FDone = true;
        });
    }
    [[nodiscard]] bool Done() const { return FDone; }
    // Waits until the call returned; false after timeoutMs.
    bool WaitDone(int timeoutMs = 5000) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!FDone && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return FDone;
    }
    [[nodiscard]] int Result() const { return FResult; }

private:
    std::thread FThread;
    std::atomic<bool> FDone{false};
    std::atomic<int> FResult{-1};
};

int StatOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? 0 : errno;
}

int ListFolder(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (!dir) return errno;
    while (::readdir(dir)) {
    }
    ::closedir(dir);
    return 0;
}

int ReadFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    char buffer[512];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    return n < 0 ? errno : 0;
}

int SpaceOf(const std::string& path) {
    struct statvfs v {};
    return ::statvfs(path.c_str(), &v) == 0 ? 0 : errno;
}

} // namespace

TEST(HangFs, ServesTheTreeAsAFuseTypeWithFiguresAndNoCaching) {
    THangFs fs(kTree);
    TX_REQUIRE_HANGFS(fs);
    EXPECT_EQ(fs.FsType(), "fuse.txhang");
    const auto mount = THangFs::MountEntryOf(fs.MountPoint());
    ASSERT_TRUE(mount);
    EXPECT_EQ(mount->fsType, "fuse.txhang");
    EXPECT_EQ(mount->minor, fs.Connection());

    namespace stdfs = std::filesystem;
    std::set<std::string> names;
    for (const auto& e : stdfs::recursive_directory_iterator(fs.MountPoint()))
        names.insert(e.path().string().substr(fs.MountPoint().size()) + (e.is_directory() ? "/" : ""));
    EXPECT_EQ(names,
              (std::set<std::string>{"/a/", "/a/one.txt", "/a/b/", "/a/b/two.bin", "/a/empty/", "/top.txt"}));
    EXPECT_EQ(stdfs::file_size(fs.Path("/a/b/two.bin")), 5000000u);
    EXPECT_EQ(StatOf(fs.Path("/a/none")), ENOENT);
    EXPECT_EQ(ReadFile(fs.Path("/top.txt")), 0);
    struct statvfs v {};
    ASSERT_EQ(::statvfs(fs.MountPoint().c_str(), &v), 0);
    EXPECT_EQ(static_cast<long long>(v.f_bavail * v.f_frsize), 256ll << 20);
    EXPECT_EQ(static_cast<long long>(v.f_blocks * v.f_frsize), 1ll << 30);

    // Nothing is cached: a second stat of the same path reaches the server again.
    const long before = fs.Calls(THangFs::kLookup);
    EXPECT_EQ(StatOf(fs.Path("/a/one.txt")), 0);
    EXPECT_EQ(StatOf(fs.Path("/a/one.txt")), 0);
    EXPECT_GE(fs.Calls(THangFs::kLookup), before + 2);
    EXPECT_EQ(fs.Held(), 0);
}

TEST(HangFs, EachKindOfCallIsHeldUntilReleasedAndOnlyOnItsPath) {
    struct TCase {
        const char* what;
        unsigned calls;
        const char* blocked; // "" any path
        std::function<int(const THangFs&)> call;
        std::function<int(const THangFs&)> other; // a call the rule does not hold
    } cases[] = {
        {"stat", THangFs::kStat, "/a/one.txt", [](const THangFs& f) { return StatOf(f.Path("/a/one.txt")); },
         [](const THangFs& f) { return StatOf(f.Path("/top.txt")); }},
        {"lookup of a missing name", THangFs::kLookup, "/a/none",
         [](const THangFs& f) { return StatOf(f.Path("/a/none")) == ENOENT ? 0 : 1; },
         [](const THangFs& f) { return StatOf(f.Path("/a/one.txt")); }},
        {"getattr", THangFs::kGetattr, "/a", [](const THangFs& f) { return StatOf(f.Path("/a")); },
         [](const THangFs& f) { return StatOf(f.Path("/a/b")); }},
        {"opendir", THangFs::kOpendir, "/a/b", [](const THangFs& f) { return ListFolder(f.Path("/a/b")); },
         [](const THangFs& f) { return ListFolder(f.Path("/a")); }},
        {"readdir", THangFs::kReaddir, "/a", [](const THangFs& f) { return ListFolder(f.Path("/a")); },
         [](const THangFs& f) { return ListFolder(f.Path("/a/empty")); }},
        {"statfs", THangFs::kStatfs, "", [](const THangFs& f) { return SpaceOf(f.MountPoint()); },
         [](const THangFs& f) { return StatOf(f.Path("/a")); }},
        {"open", THangFs::kOpen, "/top.txt", [](const THangFs& f) { return ReadFile(f.Path("/top.txt")); },
         [](const THangFs& f) { return ReadFile(f.Path("/a/one.txt")); }},
        {"read", THangFs::kRead, "", [](const THangFs& f) { return ReadFile(f.Path("/top.txt")); },
         [](const THangFs& f) { return ListFolder(f.Path("/a")); }},
        {"everything", THangFs::kAll, "", [](const THangFs& f) { return StatOf(f.Path("/a")); }, nullptr},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TCall call;
        THangFs fs(kTree);
        TX_REQUIRE_HANGFS(fs);
        ASSERT_TRUE(fs.Block(c.calls, c.blocked));
        if (c.other) {
            EXPECT_EQ(c.other(fs), 0) << "a call the rule does not name is answered";
        }
        call.Start([&] { return c.call(fs); });
        ASSERT_TRUE(fs.WaitHeld(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(call.Done()) << "the call waits while it is held";
        EXPECT_GE(fs.Held(), 1);
        ASSERT_TRUE(fs.Release());
        ASSERT_TRUE(call.WaitDone());
        EXPECT_EQ(call.Result(), 0);
        EXPECT_EQ(fs.Held(), 0);
        EXPECT_EQ(c.call(fs), 0) << "released: no longer held";
    }
}

// Another program on the machine (here one the test did not start: an orphan) is answered at once
// whatever the rules, and counted nowhere; a program the test starts is held as the test is.
TEST(HangFs, OnlyTheTestAndWhatItStartsAreHeldAndCounted) {
    THangFs fs(kTree);
    TX_REQUIRE_HANGFS(fs);
    ASSERT_TRUE(fs.Block(THangFs::kStatfs));
    const long before = fs.Calls(THangFs::kStatfs);
    const std::string mountPoint = fs.MountPoint();

    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t middle = ::fork();
    ASSERT_GE(middle, 0);
    if (middle == 0) {
        const pid_t self = ::getpid();
        if (::fork() == 0) {
            // Once the middle process has ended this one is nobody's child of the test's.
            for (int i = 0; i < 5000 && ::getppid() == self; ++i)
                ::usleep(1000);
            struct statvfs v {};
            const long answer = ::statvfs(mountPoint.c_str(), &v) == 0 ? static_cast<long>(v.f_bfree) : -1;
            [[maybe_unused]] const ssize_t n = ::write(pipeEnds[1], &answer, sizeof answer);
        }
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(middle, &status, 0), middle);
    pollfd ready{pipeEnds[0], POLLIN, 0};
    long answer = 0;
    const bool answered = ::poll(&ready, 1, 5000) == 1 && ::read(pipeEnds[0], &answer, sizeof answer) == sizeof answer;
    ::close(pipeEnds[0]);
    EXPECT_TRUE(answered) << "the other program's statfs was held";
    EXPECT_EQ(answer, 65536) << "the fixture's free blocks";
    EXPECT_EQ(fs.Held(), 0);
    EXPECT_EQ(fs.Calls(THangFs::kStatfs), before) << "the other program's call is not counted";

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        struct statvfs v {};
        ::_exit(::statvfs(mountPoint.c_str(), &v) == 0 ? 0 : 1);
    }
    EXPECT_TRUE(fs.WaitHeld(1)) << "the test's own child is held";
    EXPECT_EQ(fs.Calls(THangFs::kStatfs), before + 1);
    EXPECT_TRUE(fs.Release());
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(HangFs, UnblockHoldsNoMoreButKeepsWhatIsHeld) {
    TCall first;
    THangFs fs(kTree);
    TX_REQUIRE_HANGFS(fs);
    ASSERT_TRUE(fs.Block(THangFs::kGetattr, "/a"));
    first.Start([&] { return StatOf(fs.Path("/a")); });
    ASSERT_TRUE(fs.WaitHeld(1));
    ASSERT_TRUE(fs.Unblock());
    EXPECT_EQ(StatOf(fs.Path("/a")), 0);
    EXPECT_FALSE(first.Done());
    EXPECT_EQ(fs.Held(), 1);
    EXPECT_TRUE(fs.Release());
    EXPECT_TRUE(first.WaitDone());
}

// The server tells whose calls it held: the thread that made the call, not the one that did not.
TEST(HangFs, KnowsTheThreadsWhoseCallsItHeld) {
    TCall first;
    THangFs fs(kTree);
    TX_REQUIRE_HANGFS(fs);
    EXPECT_EQ(fs.WasHeld(::gettid()), 0);
    ASSERT_TRUE(fs.Block(THangFs::kGetattr, "/a"));
    std::atomic<pid_t> caller{0};
    first.Start([&] {
        caller = ::gettid();
        return StatOf(fs.Path("/a"));
    });
    ASSERT_TRUE(fs.WaitHeld(1));
    EXPECT_EQ(fs.WasHeld(caller), 1);
    EXPECT_EQ(fs.WasHeld(::gettid()), 0);
    EXPECT_TRUE(fs.Release());
    EXPECT_TRUE(first.WaitDone());
    EXPECT_EQ(fs.WasHeld(caller), 1); // once held, for the whole life of the server
}

TEST(HangFs, WaitHeldGivesUpAfterItsTimeout) {
    THangFs fs(kTree);
    TX_REQUIRE_HANGFS(fs);
    ASSERT_TRUE(fs.Block(THangFs::kStatfs));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(fs.WaitHeld(1, 100));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(100));
    EXPECT_LT(waited, std::chrono::seconds(3));
}

// The end of the fixture while calls are held, and after its server died: the calls return, no
// mount and no folder are left.
TEST(HangFs, EndsCleanlyWithHeldCallsAndAfterTheServerDied) {
    for (const bool kill : {false, true}) {
        SCOPED_TRACE(kill ? "server killed" : "server running");
        TCall stat, list;
        std::string mountPoint, folder;
        {
            THangFs fs(kTree);
            TX_REQUIRE_HANGFS(fs);
            mountPoint = fs.MountPoint();
            folder = mountPoint.substr(0, mountPoint.rfind('/'));
            ASSERT_TRUE(fs.Block(THangFs::kStat, "/a/one.txt"));
            ASSERT_TRUE(fs.Block(THangFs::kReaddir));
            stat.Start([&] { return StatOf(fs.Path("/a/one.txt")); });
            list.Start([&] { return ListFolder(fs.Path("/a")); });
            ASSERT_TRUE(fs.WaitHeld(2));
            if (kill) {
                fs.KillServer();
                EXPECT_FALSE(fs.ServerAlive());
                // The kernel ends a connection whose server is gone: the calls fail at once.
                EXPECT_TRUE(stat.WaitDone());
                EXPECT_NE(stat.Result(), 0);
                EXPECT_EQ(fs.Held(), -1);
            }
        }
        EXPECT_TRUE(stat.WaitDone(1000));
        EXPECT_TRUE(list.WaitDone(1000));
        EXPECT_FALSE(Listed(mountPoint));
        EXPECT_FALSE(std::filesystem::exists(folder));
    }
}

// Where the FUSE control file system is not mounted, cutting off a dead server mounts it, and the
// fixture unmounts it again. In a mount namespace of its own, so that the control file system can
// be unmounted first without touching anything outside.
TEST(HangFs, UnmountsTheControlFileSystemItMounted) {
    const std::string connections = "/sys/fs/fuse/connections";
    const txtest::TChildResult child = txtest::RunInChild([&](const txtest::TSkip& skip) {
        if (::unshare(CLONE_NEWNS) != 0)
            skip("no mount namespace here: " + std::string(std::strerror(errno)));
        // "/", or where it is no mount point (a chroot) /sys, private: the unmount below stays here.
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 &&
            ::mount(nullptr, "/sys", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            skip("neither \"/\" nor /sys is a mount point to make private");
        while (Listed(connections))
            if (::umount2(connections.c_str(), 0) != 0) skip("cannot unmount " + connections);
        if (!std::filesystem::is_directory(connections)) skip("no " + connections + " (FUSE is not loaded)");
        {
            THangFs fs(kTree);
            if (!fs.Mounted()) skip("no hanging file system: " + fs.SkipReason());
            if (!fs.Block(THangFs::kStat, "/a")) return 2;
            fs.KillServer(); // its end cuts the connection off through the control file system
        }
        return Listed(connections) ? 1 : 0;
    });
    if (child.Skipped()) GTEST_SKIP() << child.skipReason;
    EXPECT_EQ(child.status, 0) << "1: the control file system stayed mounted";
}

// A test process killed while one of its threads waits in a held call: that thread cannot die
// until the call is answered, so the server answers it, unmounts and removes its folder itself.
TEST(HangFs, ATestProcessKilledWithAHeldCallDiesAndLeavesNothing) {
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipe[0]);
        auto* fs = new THangFs(kTree); // never destroyed: the process is killed
        std::string said = fs->Mounted() ? fs->MountPoint() : "skip " + fs->SkipReason();
        if (fs->Mounted() && fs->Block(THangFs::kStat, "/a")) {
            std::thread([fs] { StatOf(fs->Path("/a")); }).detach();
            if (!fs->WaitHeld(1)) said = "skip the stat was not held";
        }
        said += "\n";
        (void)!::write(pipe[1], said.data(), said.size());
        ::pause();
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string said;
    char c;
    while (::read(pipe[0], &c, 1) == 1 && c != '\n')
        said += c;
    ::close(pipe[0]);
    ::kill(child, SIGKILL);
    bool reaped = false;
    for (int i = 0; i < 2500 && !reaped; ++i) {
        reaped = ::waitpid(child, nullptr, WNOHANG) == child;
        if (!reaped) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (!reaped) {
        ADD_FAILURE() << "the killed test process did not end";
        return;
    }
    if (said.rfind("skip ", 0) == 0) GTEST_SKIP() << said.substr(5);
    ASSERT_FALSE(said.empty());
    bool gone = false;
    for (int i = 0; i < 2500 && !gone; ++i) {
        gone = !Listed(said) && !std::filesystem::exists(said.substr(0, said.rfind('/')));
        if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_TRUE(gone) << said << " is still there";
}

TEST(HangFs, SaysWhyWhereItCannotMountAndLeavesNothing) {
    // A temporary folder of its own, so that fixtures of tests run beside this one do not count.
    namespace stdfs = std::filesystem;
    std::string own = (stdfs::temp_directory_path() / "txhangtest.XXXXXX").string();
    ASSERT_NE(::mkdtemp(own.data()), nullptr);
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string saved = oldTmp ? oldTmp : "";
    ::setenv("TMPDIR", own.c_str(), 1);
    {
        THangFs::TOptions options;
        options.device = "/nonexistent/fuse";
        THangFs fs(kTree, options);
        EXPECT_FALSE(fs.Mounted());
        EXPECT_NE(fs.SkipReason().find("/nonexistent/fuse is missing"), std::string::npos) << fs.SkipReason();
        EXPECT_FALSE(fs.Block(THangFs::kAll));
        EXPECT_EQ(fs.Held(), -1);
        EXPECT_FALSE(fs.WaitHeld(1, 10));
    }
    {
        ::setenv("TX_HANGFS_SKIP", "1", 1);
        THangFs fs(kTree);
        ::unsetenv("TX_HANGFS_SKIP");
        EXPECT_FALSE(fs.Mounted());
        EXPECT_NE(fs.SkipReason().find("TX_HANGFS_SKIP"), std::string::npos) << fs.SkipReason();
    }
    {
        // A mount that works, in the same folder, leaves nothing there either.
        THangFs fs(kTree);
        if (fs.Mounted()) {
            EXPECT_EQ(fs.MountPoint().rfind(own, 0), 0u);
        }
    }
    if (oldTmp)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    EXPECT_TRUE(stdfs::is_empty(own)) << "a fixture leaves no folder behind";
    stdfs::remove_all(own);
}
