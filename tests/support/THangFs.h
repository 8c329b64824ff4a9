// A FUSE file system for tests whose server stops answering chosen calls until the test releases
// them: the way to make statx, openat, getdents or statfs hang as they do on a server that stopped
// answering, and to end the hang at will.
//
//   txtest::THangFs fs({THangFs::File("/a/one.txt", 100), THangFs::Folder("/a/b")});
//   TX_REQUIRE_HANGFS(fs);                  // GTEST_SKIP() with the reason where it cannot mount
//   fs.Block(THangFs::kStat, "/a");         // lookups and getattrs of /a are held from now on
//   std::thread t([&] { stat(fs.Path("/a").c_str(), &st); });
//   ASSERT_TRUE(fs.WaitHeld(1));            // the stat is now waiting in the kernel
//   fs.Release();                           // answered: the stat returns
//
// The server is a process of its own (txhangfs, started by the constructor), so that threads of
// the test process, or a child such as txscan, stuck in its calls are always served by another
// process. Every call reaches the server: entries and attributes are never cached (timeouts 0,
// no negative entries, direct reads, plain readdir). The type in the mount table is
// "fuse.txhang" (FsType()); free space is 1 GiB of which 256 MiB are free; files read as zeros.
// Rules, counts and the trace are of the test process's calls and its children's (txscan) alone:
// any other process that reaches the mount, such as another test listing every drive beside this
// one, is answered at once and counted nowhere.
//
// Not thread-safe as a whole: construct and destroy it on one thread that outlives it (the test's
// own; the server takes the end of that thread as the end of the test process, answers whatever
// it holds, unmounts and removes its folder, so that a test process killed while one of its
// threads waits in a held call can still die). The control calls (Block, Unblock, WaitHeld, Held,
// Calls, Release) may be made from any thread: they are serialised. No call waits longer than its
// timeout; a server that does not answer a control command within kControlTimeoutMs is killed
// (which ends every held call with an error) and counts as dead.
//
// TX_HANGFS_SKIP=1 in the environment makes every fixture skip; TX_HANGFS_TRACE=FILE makes the
// server append every call it gets ("lookup /a/b") to FILE.
#pragma once

#include "platform/PMounts.h"

#include <sys/types.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace txtest {

class THangFs {
public:
    // Kinds of call, as bits. kStat is what statx, fstatat and the path walk of openat cause.
    enum TCall : unsigned {
        kLookup = 1u << 0,  // a name looked up in its folder (every component of every path)
        kGetattr = 1u << 1, // the attributes of an entry (statx, fstat)
        kOpendir = 1u << 2,
        kReaddir = 1u << 3, // getdents
        kStatfs = 1u << 4,  // statfs, statvfs, fstatfs
        kOpen = 1u << 5,    // a file opened
        kRead = 1u << 6,    // a file read
        kStat = kLookup | kGetattr,
        kAll = 0x7fu,
    };

    // One entry of the tree served; paths start with "/" (the root of the mount) and parent
    // folders are made as needed.
    struct TEntry {
        std::string path;
        bool folder = true;
        std::uint64_t size = 0;
    };
    static TEntry Folder(std::string path) { return {std::move(path), true, 0}; }
    static TEntry File(std::string path, std::uint64_t size) { return {std::move(path), false, size}; }

    struct TOptions {
        std::string device = "/dev/fuse"; // checked before mounting: a missing one is a skip
        std::string name = "txhang";      // fs type "fuse." + name and source name
        int startTimeoutMs = 10000;       // for the server to mount and answer the kernel's INIT
    };

    static constexpr int kControlTimeoutMs = 5000;

    // Makes a folder under the temporary folder, starts the server and waits until the file
    // system is mounted there (at most startTimeoutMs). On any failure, or when TX_HANGFS_SKIP is
    // set in the environment, nothing is left behind and Mounted() is false with SkipReason() set.
    explicit THangFs(const std::vector<TEntry>& tree, const TOptions& options);
    explicit THangFs(const std::vector<TEntry>& tree) : THangFs(tree, TOptions{}) {}
    // Releases every held call, unmounts (lazily, so an open descriptor does not stop it), ends
    // the server (killed when it does not end within kControlTimeoutMs) and removes the folder.
    // A server that died is first cut off (its connection aborted) so that no caller stays hung.
    ~THangFs();
    THangFs(const THangFs&) = delete;
    THangFs& operator=(const THangFs&) = delete;

    [[nodiscard]] bool Mounted() const { return FMounted; }
    [[nodiscard]] const std::string& SkipReason() const { return FSkipReason; }
    // The mount point (no trailing "/"), and a path inside it ("/a/b" -> MountPoint() + "/a/b").
    [[nodiscard]] const std::string& MountPoint() const { return FMountPoint; }
    [[nodiscard]] std::string Path(std::string_view inside) const;
    [[nodiscard]] std::string FsType() const { return "fuse." + FName; }
    // The kernel's number of the connection (its folder under /sys/fs/fuse/connections).
    [[nodiscard]] unsigned Connection() const { return FConnection; }

    // From now on, calls of the kinds in calls (TCall bits) on path ("/" the root, "/a/b" an
    // entry; "" any path) are held unanswered. A lookup's path is that of the name looked up.
    // Adds to the rules already given. False when the server did not take it.
    bool Block(unsigned calls, const std::string& path = {});
    // Holds no further calls; those held stay held until Release.
    bool Unblock();
    // Unblock, and every held call is answered (as it would have been at once).
    bool Release();
    // Calls held now; -1 when the server does not answer.
    [[nodiscard]] int Held();
    // Waits (polling every 2 ms) until at least count calls are held; false after timeoutMs.
    [[nodiscard]] bool WaitHeld(int count = 1, int timeoutMs = 5000);
    // Whether a call of the thread tid (a thread id, as gettid gives it) was ever held: 1 yes,
    // 0 no, -1 when the server does not answer.
    [[nodiscard]] int WasHeld(pid_t tid);
    // Calls of the kinds in calls that reached the server since it started, held or not; -1 when
    // the server does not answer.
    [[nodiscard]] long Calls(unsigned calls);

    // The line of the mount table (the whole of it, /proc/self/mountinfo) for mountPoint, if any.
    [[nodiscard]] static std::optional<platform::TMountEntry> MountEntryOf(const std::string& mountPoint);

    // The server process is still running.
    [[nodiscard]] bool ServerAlive();
    // Kills the server at once (SIGKILL): what a crashed server does; for the fixture's own tests.
    void KillServer();

private:
    // Makes the folder, starts the server and waits for the mount; "" or why it failed.
    std::string Start(const std::string& server, const std::vector<TEntry>& tree, const TOptions& options);
    std::string Ask(const std::string& command);
    std::string ReadLine(int timeoutMs); // "" after timeoutMs or at the end of the socket
    void Fail(std::string reason);
    void End(); // everything after the release: unmount, end the server, remove the folder
    void StopServer();
    bool StillMounted() const;
    void AbortConnection() const;
    void Unmount() const;
    void RemoveFolder() const;

    std::string FName;
    std::string FFolder;     // the temporary folder: mnt/, tree, log
    std::string FMountPoint; // FFolder + "/mnt"
    std::string FSkipReason;
    unsigned FConnection = 0;
    pid_t FServer = -1;
    int FControl = -1;
    bool FMounted = false;
    bool FServerDead = false;
    std::string FInput; // what the server said past the last line read
    std::mutex FLock;   // one command and its answer at a time
};

} // namespace txtest

// At the start of a GoogleTest case: skips it, with the reason, where the file system is not there.
#define TX_REQUIRE_HANGFS(fs)                                                                                \
    do {                                                                                                     \
        if (!(fs).Mounted()) GTEST_SKIP() << "no hanging file system: " << (fs).SkipReason();                \
    } while (false)
