// Loads an exploration file of 1,000,000 files into the viewer's items beside the time zlib alone
// needs to inflate the same stored body: the load inflates and checks on one thread while the
// records are decoded and the items built on another, so it should cost at most 1.5 times the
// pure inflate. Also shown, for where the time goes: the decoding and building alone, from the
// records already inflated in memory (the load cannot be faster than this).
//
//   bench_load [folder for the file, default /tmp] [runs, default 5]
//
// The file is written first by a child process (so that its memory does not count). Each run
// times the inflate alone, then the load, then the decoding from memory, in turn; the figures are
// medians, and the ratio is the median of each run's load / inflate.
#include "model/URecordCodec.h"
#include "viewer/UItem.h"
#include "viewer/ULoadProgress.h"

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

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
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

// zlib alone: read the stored body in 64 KiB blocks and inflate it into a 64 KiB buffer; the
// records are kept when into is given (outside the timing's purpose: the copy is cheap).
double InflateSeconds(const std::string& name, std::uint64_t& inflated, std::string* into = nullptr) {
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
            const std::size_t n = out.size() - s.avail_out;
            inflated += n;
            if (into) into->append(reinterpret_cast<const char*>(out.data()), n);
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
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
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

    std::vector<double> inflates, loads, decodes, totals, ratios;
    std::uint64_t inflated = 0;
    std::int64_t fileCount = 0;
    long loadRss = 0;
    for (int run = 0; run < runs; ++run) {
        inflates.push_back(InflateSeconds(name, inflated));
        {
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
            totals.push_back(Seconds(loaded, Clock::now()));
            loads.push_back(Seconds(start, loaded));
            ratios.push_back(loads.back() / inflates.back());
            fileCount = root.FileCount();
            if (run == 0) loadRss = PeakRssKiB();
        }
        {
            std::string records;
            InflateSeconds(name, inflated, &records);
            viewer::TRootItem root;
            auto* file = new viewer::TFileRootItem(name, &root);
            root.AddChild(file);
            viewer::TLoadProgress progress;
            const auto start = Clock::now();
            model::TMemorySource source(records.data(), records.size());
            model::TRecordReader in(source);
            in.SetProgress(&progress);
            file->LoadFromStream(in, 0, model::txf::kFormatVersion);
            decodes.push_back(Seconds(start, Clock::now()));
        }
    }
    std::printf("files loaded:              %lld\n", static_cast<long long>(fileCount));
    std::printf("record bytes:              %llu\n", static_cast<unsigned long long>(inflated));
    std::printf("medians of %d runs:\n", runs);
    std::printf("  zlib inflate alone:      %.3f s\n", Median(inflates));
    std::printf("  load (LoadFromFile):     %.3f s  (checksum, inflate, records, items, sorting)\n",
                Median(loads));
    std::printf("  decode and build only:   %.3f s  (the same records from memory, one thread)\n",
                Median(decodes));
    std::printf("  totals (UpdateTotals):   %.3f s\n", Median(totals));
    std::printf("ratio load / inflate:      %.2f  (median of the runs' ratios; target <= 1.5)\n",
                Median(ratios));
    std::printf("peak RSS after one load:   %.1f MB (%.0f bytes per file)\n", loadRss / 1024.0,
                loadRss * 1024.0 / static_cast<double>(std::max<std::int64_t>(fileCount, 1)));
    std::remove(name.c_str());
    return 0;
}
