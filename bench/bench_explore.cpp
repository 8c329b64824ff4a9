// Explores a tree into the item tree without a window and sets it against `du -sb` of the same
// tree in the same run. Usage: bench_explore ROOT [RUNS=3]
// Prints wall and CPU time, peak RSS, and the ratio of the exploring time to du's (best of RUNS;
// each is run once first so that both read a warm cache).
//
// Deep chains: bench_explore --make-chain DIR DEPTH makes DIR/c, a chain of DEPTH folders with a
// file at the bottom (by descriptors: its paths pass PATH_MAX); --remove-chain DIR DEPTH removes it
// again (rm -rf takes minutes on one); --explore-only ROOT [THREADS] explores once, its folders read
// on THREADS threads (default: as many as the walk takes here) (for an outside timer, beside
// du -sb ROOT); --chain DEPTH [RUNS] makes one in a temporary folder,
// compares as above, times the explorer's save of the explored chain, and removes it.
// --cancel ROOT MS walks ROOT, says stop MS milliseconds after the start (as a Cancel click does,
// whether entries arrive or not) and prints how long the walk then took to return;
// --cancel-held reader|start MS does the same on a file system of the tests whose server holds a
// reader's statx, or the opening of the start.
#include "model/UItem.h"
#include "model/UItemAlloc.h"
#include "platform/PEnumerate.h"
#include "platform/PWorkerThread.h"
#ifdef TX_BENCH_HANGFS
#include "tests/support/THangFs.h"
#endif

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs du -sb on root; gives its wall time and the bytes it reports.
double RunDu(const std::string& root, long long& bytes) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) std::exit(1);
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], 1);
        close(pipeFds[0]);
        execlp("du", "du", "-sb", root.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    char buf[256] = {};
    const ssize_t n = read(pipeFds[0], buf, sizeof buf - 1);
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    bytes = n > 0 ? std::atoll(buf) : -1;
    return seconds;
}

int OpenIn(int dir, const char* name) {
    return openat(dir, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

void MakeChain(const std::string& dir, int depth) {
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || mkdirat(fd, "c", 0755) != 0) std::exit(1);
    int next = OpenIn(fd, "c");
    close(fd);
    fd = next;
    for (int i = 0; i < depth; ++i) {
        if (fd < 0 || mkdirat(fd, "d", 0755) != 0) std::exit(1);
        next = OpenIn(fd, "d");
        close(fd);
        fd = next;
    }
    const int f = openat(fd, "leaf", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (f < 0 || write(f, "leaf", 4) != 4) std::exit(1);
    close(f);
    close(fd);
}

void RemoveChain(const std::string& dir, int depth) {
    int fd = open((dir + "/c").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int down = 0;
    for (; down < depth && fd >= 0; ++down) {
        const int next = OpenIn(fd, "d");
        if (next < 0) break;
        close(fd);
        fd = next;
    }
    if (fd >= 0) unlinkat(fd, "leaf", 0);
    for (int i = 0; i < down && fd >= 0; ++i) {
        const int up = OpenIn(fd, "..");
        close(fd);
        fd = up;
        if (fd >= 0) unlinkat(fd, "d", AT_REMOVEDIR);
    }
    if (fd >= 0) close(fd);
    rmdir((dir + "/c").c_str());
}

// The chain mode: exploring against du, then the explorer's save of what it explored.
int Chain(int depth, int runs) {
    char pattern[] = "/tmp/tx-chain-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::string dir = pattern;
    MakeChain(dir, depth);
    const std::string root = dir + "/c";
    long long duBytes = 0;
    RunDu(root, duBytes);
    double duBest = 1e9, exploreBest = 1e9, saveBest = 1e9;
    model::TRootItem tree("r");
    auto* item = new model::TManualItem(root, model::kKindFixed, tree.EnsureManualRoot());
    tree.ManualRoot()->AddChild(item);
    for (int i = 0; i < runs + 1; ++i) {
        const double du = RunDu(root, duBytes);
        const auto start = Clock::now();
        if (!item->Explore()) return 1;
        const double explore = std::chrono::duration<double>(Clock::now() - start).count();
        item->SetMarked(true);
        const auto saveStart = Clock::now();
        if (tree.SaveToFile(dir + "/chain.txf").result != model::TSaveResult::Saved) return 1;
        const double save = std::chrono::duration<double>(Clock::now() - saveStart).count();
        tree.ClearMark();
        if (i == 0) continue; // warm-up
        duBest = std::min(duBest, du);
        exploreBest = std::min(exploreBest, explore);
        saveBest = std::min(saveBest, save);
    }
    std::printf("chain of %d folders: explored %lld folders, %lld bytes\n", depth,
                static_cast<long long>(item->GetFolderCount()), static_cast<long long>(item->GetSize()));
    std::printf("explore: wall %.3f s; du -sb: wall %.3f s; ratio explore/du: %.2f (target <= 2)\n",
                exploreBest, duBest, exploreBest / duBest);
    std::printf("explorer's save of it: wall %.3f s (target < 0.5 s)\n", saveBest);
    unlink((dir + "/chain.txf").c_str());
    RemoveChain(dir, depth);
    rmdir(dir.c_str());
    return 0;
}

} // namespace

// Stops a walk ms milliseconds after its start, from a clock of its own (as a Cancel click comes,
// whether entries arrive or not), and times how long the walk then takes to return: from the stop
// given, and from the moment the walk's visitor first saw it (at its next entry, or its next wait).
int Cancel(const std::string& root, int ms) {
    struct TStopper : platform::TWalkVisitor {
        std::atomic<bool> stop{false};
        Clock::time_point seenAt{};
        bool seen = false;
        std::uint64_t files = 0;
        bool Go() {
            if (!seen && stop.load()) seen = true, seenAt = Clock::now();
            return !seen;
        }
        bool FolderBegin(const std::string&) override { return Go(); }
        void File(const platform::TEntry&) override { ++files; }
        void Folder(const platform::TEntry&) override {}
        void FolderEnd(bool) override {}
        bool AfterEntry(std::uint64_t) override { return Go(); }
        bool Waiting() override { return Go(); }
    } stopper;
    Clock::time_point givenAt{};
    std::thread clock([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        givenAt = Clock::now();
        stopper.stop = true;
    });
    const platform::TWalkResult result = platform::WalkTree(root, stopper);
    const auto returned = Clock::now();
    clock.join();
    if (result != platform::TWalkResult::Stopped) {
        std::printf("the walk ended before %d ms (%llu files)\n", ms, static_cast<unsigned long long>(stopper.files));
        return 1;
    }
    const auto millis = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    std::printf("stopped after %llu files; the walk returned %.1f ms after the stop was given, %.1f ms after "
                "its visitor saw it; %u walk threads still running\n",
                static_cast<unsigned long long>(stopper.files), millis(returned - givenAt),
                millis(returned - stopper.seenAt), platform::LiveWorkerThreads());
    return 0;
}

#ifdef TX_BENCH_HANGFS
// The same on a file system whose server holds a call: a reader's statx, or the opening of the start.
int CancelHeld(const std::string& what, int ms) {
    std::vector<txtest::THangFs::TEntry> tree;
    for (int i = 0; i < 50; ++i)
        for (int j = 0; j < 20; ++j)
            tree.push_back(txtest::THangFs::File("/d" + std::to_string(i) + "/f" + std::to_string(j), j));
    txtest::THangFs fs(tree);
    if (!fs.Mounted()) {
        std::printf("no hanging file system here: %s\n", fs.SkipReason().c_str());
        return 1;
    }
    const bool start = what == "start";
    fs.Block(start ? unsigned{txtest::THangFs::kOpendir} : unsigned{txtest::THangFs::kStat},
             start ? "/" : "/d7/f3");
    const int result = Cancel(fs.MountPoint(), ms);
    std::printf("held calls at the end: %d\n", fs.Held());
    fs.Release();
    platform::WaitForWorkerThreads(0, std::chrono::seconds(10));
    return result;
}
#endif

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "--make-chain") {
        MakeChain(argv[2], std::atoi(argv[3]));
        return 0;
    }
    if (argc >= 4 && std::string(argv[1]) == "--remove-chain") {
        RemoveChain(argv[2], std::atoi(argv[3]));
        return 0;
    }
    if (argc >= 3 && std::string(argv[1]) == "--explore-only") { // one exploration, for an outside timer
        if (argc >= 4) platform::SetWalkThreads(static_cast<unsigned>(std::max(1, std::atoi(argv[3]))));
        model::TManualItem item(argv[2], model::kKindFixed, nullptr);
        return item.Explore() ? 0 : 1;
    }
    if (argc >= 4 && std::string(argv[1]) == "--cancel") return Cancel(argv[2], std::atoi(argv[3]));
#ifdef TX_BENCH_HANGFS
    if (argc >= 4 && std::string(argv[1]) == "--cancel-held") return CancelHeld(argv[2], std::atoi(argv[3]));
#endif
    if (argc >= 3 && std::string(argv[1]) == "--chain")
        return Chain(std::max(1, std::atoi(argv[2])), argc > 3 ? std::max(1, std::atoi(argv[3])) : 3);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s ROOT [RUNS]\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    long long duBytes = 0;
    RunDu(root, duBytes); // warm the cache
    double duBest = 1e9;
    for (int i = 0; i < runs; ++i)
        duBest = std::min(duBest, RunDu(root, duBytes));

    model::TManualItem item(root, model::kKindFixed, nullptr);
    double wallBest = 1e9, cpuBest = 1e9, wallFirst = 0;
    for (int i = 0; i < runs + 1; ++i) { // the first run warms the cache for us too
        const double cpu0 = CpuSeconds(RUSAGE_SELF);
        const auto start = Clock::now();
        if (!item.Explore()) return 1;
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        const double cpu = CpuSeconds(RUSAGE_SELF) - cpu0;
        if (i == 0)
            wallFirst = wall;
        else
            wallBest = std::min(wallBest, wall), cpuBest = std::min(cpuBest, cpu);
    }
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    std::printf("tree: %s\n", root.c_str());
    std::printf("explored: %lld files, %lld folders, %lld bytes (du -sb: %lld bytes, folders included)\n",
                static_cast<long long>(item.GetFileCount()), static_cast<long long>(item.GetFolderCount()),
                static_cast<long long>(item.GetSize()), duBytes);
    std::printf("explore: wall %.3f s (first run %.3f s), cpu %.3f s\n", wallBest, wallFirst, cpuBest);
    std::printf("du -sb:  wall %.3f s\n", duBest);
    std::printf("ratio explore/du: %.2f (target <= 1.3)\n", wallBest / duBest);
    std::printf("peak RSS: %.1f MB (target <= 150 MB); item pools: %.1f MB\n", u.ru_maxrss / 1024.0,
                static_cast<double>(model::PoolReservedBytes()) / (1024.0 * 1024.0));
    return 0;
}
