// Explores a tree into the item tree without a window and sets it against `du -sb` of the same
// tree in the same run. Usage: bench_explore ROOT [RUNS=3]
// Prints wall and CPU time, peak RSS, and the ratio of the exploring time to du's (best of RUNS;
// each is run once first so that both read a warm cache).
#include "model/UItem.h"
#include "model/UItemAlloc.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

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

} // namespace

int main(int argc, char** argv) {
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
