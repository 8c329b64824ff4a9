// Loads an exploration file of 1,000,000 files into the viewer's items and sets the load time and
// peak RSS beside the time zlib alone needs to inflate the same stored body: the load should cost
// at most 3 times the pure inflate. The file is written first by a child process (so that its
// memory does not count). Usage: bench_load [folder for the file, default /tmp] [runs, default 3].
#include "model/URecordCodec.h"
#include "viewer/UItem.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {
constexpr int kFolders = 100;
constexpr int kSubfolders = 100;
constexpr int kFilesPerFolder = 100; // 100 x 100 x 100 = 1,000,000 files

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// Root, one Linux drive, 100 folders of 100 folders of 100 files; sizes of every width.
void WriteFile(const std::string& name) {
    std::mt19937_64 rng(42);
    const char* extensions[] = {".txt", ".jpg", ".cpp", ".h", ".o", ".pdf", ".mp3", "", ".tar.gz", ".json"};
    model::TExplorationFileWriter file(name, model::txf::kWriterViewer);
    model::TRecordWriter& out = file.Records();
    const std::int64_t files = std::int64_t{kFolders} * kSubfolders * kFilesPerFolder;
    out.WriteRootHead("All Files", files);
    out.WriteFolderBody(false, {45000, 0, 0, 0});
    out.WriteDriveHead("/bench", '/', 1000, 1'000'000'000'000);
    out.WriteFolderBody(true, {45000, 0, 0, 0});
    for (int i = 0; i < kFolders; ++i) {
        out.WriteFolderHead("project-" + std::to_string(i));
        out.WriteFolderBody(true, {40000 + i * 0.37, 0, 44000 + i * 0.51, 0x10});
        for (int k = 0; k < kSubfolders; ++k) {
            out.WriteFolderHead("module-" + std::to_string(k));
            out.WriteFolderBody(true, {40000 + k * 0.37, 0, 44000 + k * 0.51, 0x10});
            for (int j = 0; j < kFilesPerFolder; ++j) {
                const std::uint64_t r = rng();
                const int shift = static_cast<int>((r >> 8) % 34);
                const double base = 38000 + static_cast<double>((r >> 30) % 8000000) / 1000.0;
                out.WriteFile(
                    "file_" + std::to_string(j) + "_" + std::to_string(r % 9973) + extensions[r % 10],
                    static_cast<std::int64_t>((r >> 20) & ((1ULL << shift) - 1)),
                    {base, base + static_cast<double>((r >> 40) % 1000) / 7.0,
                     base + static_cast<double>((r >> 50) % 1000) / 13.0, (r >> 60) & 1 ? 0x20u : 0x80u});
            }
            out.WriteEnd();
        }
        out.WriteEnd();
    }
    out.WriteEnd();
    out.WriteEnd();
    file.Commit();
}

// zlib alone: read the stored body in 64 KiB blocks and inflate it into a 64 KiB buffer.
double InflateSeconds(const std::string& name, std::uint64_t& inflated) {
    const auto start = Clock::now();
    FILE* f = std::fopen(name.c_str(), "rb");
    std::fseek(f, 128, SEEK_SET);
    std::vector<unsigned char> in(65536), out(65536);
    z_stream s{};
    inflateInit(&s);
    inflated = 0;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        s.avail_in = static_cast<uInt>(std::fread(in.data(), 1, in.size(), f));
        if (s.avail_in == 0) break;
        s.next_in = in.data();
        while (s.avail_in > 0 && rc != Z_STREAM_END) {
            s.next_out = out.data();
            s.avail_out = static_cast<uInt>(out.size());
            rc = inflate(&s, Z_NO_FLUSH);
            inflated += out.size() - s.avail_out;
            if (rc != Z_OK && rc != Z_STREAM_END) break;
        }
        if (rc != Z_OK && rc != Z_STREAM_END) break;
    }
    inflateEnd(&s);
    std::fclose(f);
    return Seconds(start, Clock::now());
}

long PeakRssKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}
} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::string name = folder + "/bench_load.txf";

    const auto writeStart = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        try {
            WriteFile(name);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "writing failed: %s\n", e.what());
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
    std::ifstream probe(name, std::ios::binary | std::ios::ate);
    std::printf("file: %s, %lld bytes, written in %.2f s\n", name.c_str(),
                static_cast<long long>(probe.tellg()), Seconds(writeStart, Clock::now()));

    double bestInflate = 1e9, bestLoad = 1e9, bestTotals = 1e9;
    std::uint64_t inflated = 0;
    std::int64_t fileCount = 0;
    for (int run = 0; run < runs; ++run) {
        bestInflate = std::min(bestInflate, InflateSeconds(name, inflated));

        viewer::TRootItem root;
        auto* file = new viewer::TFileRootItem(name, &root);
        const auto start = Clock::now();
        const std::int32_t code = file->LoadFromFile();
        const auto loaded = Clock::now();
        if (code != 0) {
            std::fprintf(stderr, "load failed: %d\n", code);
            delete file;
            return 1;
        }
        root.AddChild(file);
        root.UpdateTotals();
        const auto totals = Clock::now();
        bestLoad = std::min(bestLoad, Seconds(start, loaded));
        bestTotals = std::min(bestTotals, Seconds(loaded, totals));
        fileCount = root.FileCount();
    }
    std::printf("files loaded:            %lld\n", static_cast<long long>(fileCount));
    std::printf("record bytes:            %llu\n", static_cast<unsigned long long>(inflated));
    std::printf("zlib inflate alone:      %.3f s\n", bestInflate);
    std::printf("load (LoadFromFile):     %.3f s  (checksum, inflate, records, items, sorting)\n", bestLoad);
    std::printf("ratio load / inflate:    %.2f  (target <= 3)\n", bestLoad / bestInflate);
    std::printf("totals (UpdateTotals):   %.3f s\n", bestTotals);
    std::printf("peak RSS:                %.1f MB (%.0f bytes per file)\n", PeakRssKiB() / 1024.0,
                PeakRssKiB() * 1024.0 / static_cast<double>(std::max<std::int64_t>(fileCount, 1)));
    std::remove(name.c_str());
    return 0;
}
