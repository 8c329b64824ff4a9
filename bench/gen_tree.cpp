// Makes a reproducible test tree for the benchmarks: files spread at random over a random tree of
// folders, with random (sparse) sizes, all from one seed. Usage:
//   gen_tree ROOT [FILES=1000000] [FOLDERS=100000] [SEED=1]
// ROOT must not exist. The same arguments always give the same names, shape and sizes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s ROOT [FILES] [FOLDERS] [SEED]\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    const long files = argc > 2 ? std::atol(argv[2]) : 1000000;
    const long folders = argc > 3 ? std::atol(argv[3]) : 100000;
    const unsigned long seed = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 1;
    if (folders < 1 || files < 0) return 2;
    const auto start = std::chrono::steady_clock::now();

    std::mt19937_64 rng(seed);
    // Folder 0 is ROOT; each further folder hangs below a random earlier one, biased towards the
    // recent ones so that the tree gets some depth (about 10 to 30 levels).
    std::vector<std::string> paths(static_cast<size_t>(folders));
    paths[0] = root;
    if (mkdir(root.c_str(), 0755) != 0) {
        std::perror(root.c_str());
        return 1;
    }
    for (long i = 1; i < folders; ++i) {
        const long window = std::min<long>(i, 64);
        const long parent = (rng() % 4 == 0)
                                ? static_cast<long>(rng() % static_cast<unsigned long>(i))
                                : i - 1 - static_cast<long>(rng() % static_cast<unsigned long>(window));
        char name[32];
        std::snprintf(name, sizeof name, "d%06ld", i);
        paths[static_cast<size_t>(i)] = paths[static_cast<size_t>(parent)] + "/" + name;
        if (mkdir(paths[static_cast<size_t>(i)].c_str(), 0755) != 0) {
            std::perror(paths[static_cast<size_t>(i)].c_str());
            return 1;
        }
    }
    std::vector<long> perFolder(static_cast<size_t>(folders), 0);
    for (long f = 0; f < files; ++f)
        ++perFolder[rng() % static_cast<unsigned long>(folders)];

    static const char* const kExtensions[] = {
        ".txt", ".jpg", ".png", ".c",    ".h",    ".cpp", ".o",  ".so", ".pdf",    ".doc", ".mp3", ".zip",
        ".gz",  ".log", ".xml", ".json", ".html", ".js",  ".py", "",    ".tar.gz", ".dat", ".bin", ".md"};
    constexpr size_t kExtensionCount = sizeof kExtensions / sizeof kExtensions[0];
    std::uniform_real_distribution<double> logSize(0.0, std::log(64.0 * 1024 * 1024));
    long made = 0;
    long long bytes = 0;
    for (long d = 0; d < folders; ++d) {
        const int dir = open(paths[static_cast<size_t>(d)].c_str(), O_RDONLY | O_DIRECTORY);
        if (dir < 0) {
            std::perror(paths[static_cast<size_t>(d)].c_str());
            return 1;
        }
        for (long k = 0; k < perFolder[static_cast<size_t>(d)]; ++k) {
            char name[64];
            std::snprintf(name, sizeof name, "f%07ld%s", made, kExtensions[rng() % kExtensionCount]);
            const long long size = rng() % 10 == 0 ? 0 : static_cast<long long>(std::exp(logSize(rng)));
            const int fd = openat(dir, name, O_WRONLY | O_CREAT | O_EXCL, 0644);
            if (fd < 0 || (size > 0 && ftruncate(fd, size) != 0)) {
                std::perror(name);
                return 1;
            }
            close(fd);
            ++made;
            bytes += size;
        }
        close(dir);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %ld files (%lld bytes) in %ld folders, seed %lu, made in %.1f s\n", root.c_str(), made,
                bytes, folders, seed, seconds);
    return 0;
}
