// Benchmark of txscan beside du -sb, ncdu -0 -o and gdu -n -p -o on one tree, in one run: wall
// time, CPU time and peak RSS of each tool, and txscan's ratios to them. Targets: txscan's wall
// time at most 1.15 times du -sb's, its peak RSS under 16 MB.
//
//   bench_txscan [--use DIR] [--files N] [--tree DIR] [--out DIR] [--runs R] [--seed S]
//
// With --use, DIR is taken as it is (never generated, never removed): the realistic tree is two
// hard-linked copies of /usr, which bench/make_usr_tree.sh builds:
//   bench/make_usr_tree.sh /tmp/usrcopy && build/release/bench/bench_txscan --use /tmp/usrcopy
// Without it a tree is generated once from the seed (default 1,000,000 files under
// /tmp/txscan-bench-tree): folders of 1 to 40 files and up to 6 subfolders, names of 4 to 20
// letters with common extensions, sparse files of log-uniform sizes up to 4 GiB; a tree already
// there with the same marker is reused. Every tool runs once to warm the caches, then R times
// (default 5) in turn; the figures are the medians of wall and CPU time (the CPU time shows what
// the cores must give: on a busy machine txscan's compression cannot spread over them) and the
// maximum of peak RSS (wait4's ru_maxrss of each run). The same comparison with public tools:
//   /usr/bin/time -v build/release/scanner/txscan /o /tmp/u.txf /s /tmp/usrcopy
//   /usr/bin/time -v du -sb /tmp/usrcopy
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
    std::string use; // an existing tree, taken as it is
    long files = 1000000;
    std::string tree = "/tmp/txscan-bench-tree";
    std::string out = "/tmp/txscan-bench-out";
    int runs = 5;
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
    double cpu = 0;    // user + system seconds
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
    m.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
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
        if (k == "--use")
            o.use = v;
        else if (k == "--files")
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
                         "usage: bench_txscan [--use DIR] [--files N] [--tree DIR] [--out DIR] [--runs R] "
                         "[--seed S]\n");
            return 2;
        }
    }
    if (!o.use.empty()) {
        struct stat st {};
        if (stat(o.use.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) Die("--use " + o.use);
        o.tree = o.use;
        std::printf("tree: %s (used as it is)\n", o.tree.c_str());
    } else {
        // The tree is made in a child process: a child's peak RSS starts from the parent's size at
        // the fork, so the parent must stay small for the figures to be the tools' own.
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
    }
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

    auto median = [](std::vector<Measure> v, double Measure::*field) {
        std::sort(v.begin(), v.end(),
                  [field](const Measure& a, const Measure& b) { return a.*field < b.*field; });
        return v[v.size() / 2].*field;
    };
    auto peak = [](const std::vector<Measure>& v) {
        long m = 0;
        for (const Measure& x : v)
            m = std::max(m, x.maxRssKb);
        return m;
    };
    std::printf("\n%-14s %10s %10s %12s %14s %7s\n", "tool", "wall s", "cpu s", "peak RSS MB", "output bytes",
                "status");
    for (const Tool& t : tools) {
        struct stat st {};
        const long long size = !t.output.empty() && stat(t.output.c_str(), &st) == 0 ? st.st_size : -1;
        std::printf("%-14s %10.3f %10.3f %12.1f %14lld %7d\n", t.label.c_str(),
                    median(t.runs, &Measure::wall), median(t.runs, &Measure::cpu), peak(t.runs) / 1024.0,
                    size, t.runs.back().status);
    }
    // Ratios run by run (each txscan run beside the du run after it), so that a drift of the
    // machine's speed during the benchmark does not count.
    std::vector<Measure> duRatios;
    for (std::size_t r = 0; r < tools[0].runs.size(); ++r) {
        Measure m;
        m.wall = tools[0].runs[r].wall / tools[1].runs[r].wall;
        m.cpu = tools[0].runs[r].cpu / tools[1].runs[r].cpu;
        duRatios.push_back(m);
    }
    const double txWall = median(tools[0].runs, &Measure::wall);
    const long txRss = peak(tools[0].runs);
    std::printf("\ntxscan ratios (txscan / other; medians):\n");
    std::printf("  %-14s wall %.2f  cpu %.2f  peak RSS %.2f  (run by run)\n", tools[1].label.c_str(),
                median(duRatios, &Measure::wall), median(duRatios, &Measure::cpu),
                static_cast<double>(txRss) / static_cast<double>(std::max(1L, peak(tools[1].runs))));
    for (std::size_t i = 2; i < tools.size(); ++i)
        std::printf("  %-14s wall %.2f  cpu %.2f  peak RSS %.2f\n", tools[i].label.c_str(),
                    txWall / median(tools[i].runs, &Measure::wall),
                    median(tools[0].runs, &Measure::cpu) / median(tools[i].runs, &Measure::cpu),
                    static_cast<double>(txRss) / static_cast<double>(std::max(1L, peak(tools[i].runs))));
    std::printf("targets: wall <= 1.15 x du -sb: %s (%.2f); peak RSS < 16 MB: %s (%.1f MB)\n",
                median(duRatios, &Measure::wall) <= 1.15 ? "met" : "NOT met",
                median(duRatios, &Measure::wall), txRss < 16 * 1024 ? "met" : "NOT met", txRss / 1024.0);
    return 0;
}
