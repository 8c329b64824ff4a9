// Benchmark of txscan beside du -sb, ncdu -0 -o and gdu -n -p -o on one generated tree, in one run:
// wall time and peak RSS of each tool, and txscan's ratios to them.
//
//   bench_txscan [--files N] [--tree DIR] [--out DIR] [--runs R] [--seed S]
//
// The tree (default 1,000,000 files under /tmp/txscan-bench-tree) is generated once from the seed:
// folders of 1 to 40 files and up to 6 subfolders, names of 4 to 20 letters with common
// extensions, sparse files of log-uniform sizes up to 4 GiB. A tree already there with the same
// marker is reused. Every tool runs once to warm the caches, then R times in turn; the figures
// are the medians of wall time and the maximum of peak RSS (wait4's ru_maxrss of each run).
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Options {
    long files = 1000000;
    std::string tree = "/tmp/txscan-bench-tree";
    std::string out = "/tmp/txscan-bench-out";
    int runs = 3;
    unsigned seed = 20261210;
};

std::string MarkerOf(const Options& o) {
    return "files=" + std::to_string(o.files) + " seed=" + std::to_string(o.seed) + "\n";
}

void Die(const std::string& what) {
    std::fprintf(stderr, "bench_txscan: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

// Generates the tree breadth-first until the number of files is reached.
void Generate(const Options& o) {
    const std::string marker = o.tree + "/.bench-marker";
    {
        std::ifstream in(marker);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (text == MarkerOf(o)) {
            std::printf("tree: %s (reused)\n", o.tree.c_str());
            return;
        }
    }
    if (std::system(("rm -rf '" + o.tree + "'").c_str()) != 0) Die("rm " + o.tree);
    if (mkdir(o.tree.c_str(), 0755) != 0) Die("mkdir " + o.tree);
    std::mt19937_64 rng(o.seed);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    static const char* const kExt[] = {".txt", ".jpg",  ".png", ".c",   ".h",     ".cpp",
                                       ".o",   ".so",   ".pdf", ".mp3", ".log",   ".json",
                                       ".xml", ".html", ".py",  "",     ".tar.gz"};
    auto name = [&](bool file) {
        std::string n;
        const int len = uniform(4, 20);
        for (int i = 0; i < len; ++i)
            n += static_cast<char>('a' + uniform(0, 25));
        if (file) n += kExt[uniform(0, static_cast<int>(std::size(kExt)) - 1)];
        return n;
    };
    const auto start = std::chrono::steady_clock::now();
    std::deque<std::pair<std::string, int>> folders{{o.tree, 0}};
    long made = 0, dirs = 1;
    while (made < o.files && !folders.empty()) {
        auto [folder, depth] = folders.front();
        folders.pop_front();
        const int files = uniform(1, 40);
        for (int i = 0; i < files && made < o.files; ++i) {
            const std::string path = folder + "/" + name(true) + std::to_string(i);
            const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0) Die("create " + path);
            const double exponent = std::uniform_real_distribution<double>(0, 32)(rng);
            if (ftruncate(fd, static_cast<off_t>(std::pow(2.0, exponent)) - 1) != 0) Die("truncate " + path);
            close(fd);
            ++made;
        }
        const int subfolders = depth < 12 ? uniform(folders.size() < 8 ? 2 : 0, 6) : 0;
        for (int i = 0; i < subfolders; ++i) {
            const std::string path = folder + "/" + name(false) + std::to_string(i);
            if (mkdir(path.c_str(), 0755) != 0) Die("mkdir " + path);
            folders.emplace_back(path, depth + 1);
            ++dirs;
        }
    }
    std::ofstream(marker) << MarkerOf(o);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("tree: %s generated: %ld files, %ld folders in %.1f s\n", o.tree.c_str(), made, dirs, s);
}

struct Measure {
    double wall = 0;   // seconds
    long maxRssKb = 0; // peak resident set of the child
    int status = 0;
};

// Runs argv with stdout and stderr to /dev/null; wall time and peak RSS from wait4.
Measure Run(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) Die("fork");
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) < 0) Die("wait4");
    Measure m;
    m.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.maxRssKb = usage.ru_maxrss;
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return m;
}

bool Installed(const std::string& program) {
    return std::system(("command -v " + program + " > /dev/null 2>&1").c_str()) == 0;
}

struct Tool {
    std::string label;
    std::vector<std::string> argv;
    std::string output; // file it writes, size reported
    std::vector<Measure> runs;
};

} // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string k = argv[i], v = argv[i + 1];
        if (k == "--files")
            o.files = std::atol(v.c_str());
        else if (k == "--tree")
            o.tree = v;
        else if (k == "--out")
            o.out = v;
        else if (k == "--runs")
            o.runs = std::max(1, std::atoi(v.c_str()));
        else if (k == "--seed")
            o.seed = static_cast<unsigned>(std::atol(v.c_str()));
        else {
            std::fprintf(stderr,
                         "usage: bench_txscan [--files N] [--tree DIR] [--out DIR] [--runs R] [--seed S]\n");
            return 2;
        }
    }
    // The tree is made in a child process: a child's peak RSS starts from the parent's size at the
    // fork, so the parent must stay small for the figures to be the tools' own.
    std::fflush(stdout);
    const pid_t generator = fork();
    if (generator == 0) {
        Generate(o);
        std::fflush(stdout);
        _exit(0);
    }
    int generated = 0;
    if (generator < 0 || waitpid(generator, &generated, 0) < 0 || !WIFEXITED(generated) ||
        WEXITSTATUS(generated) != 0)
        Die("generating the tree");
    mkdir(o.out.c_str(), 0755);

    std::vector<Tool> tools;
    tools.push_back(
        {"txscan", {TXSCAN_PATH, "/o", o.out + "/bench.txf", "/s", o.tree}, o.out + "/bench.txf", {}});
    tools.push_back({"du -sb", {"du", "-sb", o.tree}, "", {}});
    if (Installed("ncdu"))
        tools.push_back(
            {"ncdu -0 -o", {"ncdu", "-0", "-o", o.out + "/ncdu.json", o.tree}, o.out + "/ncdu.json", {}});
    else
        std::printf("ncdu: not installed (apt-get install ncdu)\n");
    if (Installed("gdu"))
        tools.push_back({"gdu -n -p -o",
                         {"gdu", "-n", "-p", "-o", o.out + "/gdu.json", o.tree},
                         o.out + "/gdu.json",
                         {}});
    else
        std::printf("gdu: not installed (apt-get install gdu)\n");

    for (Tool& t : tools)
        Run(t.argv); // warm the caches, and every tool's own start-up
    for (int r = 0; r < o.runs; ++r)
        for (Tool& t : tools)
            t.runs.push_back(Run(t.argv));

    auto median = [](std::vector<Measure> v) {
        std::sort(v.begin(), v.end(), [](const Measure& a, const Measure& b) { return a.wall < b.wall; });
        return v[v.size() / 2].wall;
    };
    auto peak = [](const std::vector<Measure>& v) {
        long m = 0;
        for (const Measure& x : v)
            m = std::max(m, x.maxRssKb);
        return m;
    };
    std::printf("\n%-14s %10s %12s %14s %7s\n", "tool", "wall s", "peak RSS MB", "output bytes", "status");
    for (const Tool& t : tools) {
        struct stat st {};
        const long long size = !t.output.empty() && stat(t.output.c_str(), &st) == 0 ? st.st_size : -1;
        std::printf("%-14s %10.3f %12.1f %14lld %7d\n", t.label.c_str(), median(t.runs),
                    peak(t.runs) / 1024.0, size, t.runs.back().status);
    }
    const double txWall = median(tools[0].runs);
    const long txRss = peak(tools[0].runs);
    std::printf("\ntxscan ratios (txscan / other):\n");
    for (std::size_t i = 1; i < tools.size(); ++i)
        std::printf("  %-14s wall %.2f  peak RSS %.2f\n", tools[i].label.c_str(),
                    txWall / median(tools[i].runs),
                    static_cast<double>(txRss) / static_cast<double>(std::max(1L, peak(tools[i].runs))));
    std::printf("targets: wall <= ncdu -o: %s; peak RSS < 16 MB: %s (%.1f MB)\n",
                tools.size() > 2 && tools[2].label == "ncdu -0 -o"
                    ? (txWall <= median(tools[2].runs) ? "met" : "NOT met")
                    : "ncdu missing",
                txRss < 16 * 1024 ? "met" : "NOT met", txRss / 1024.0);
    return 0;
}
