// Saves an explored tree of 1,000,000 files and sets the time of the whole save beside the time
// zlib alone needs on one thread at level 9 for the same record bytes. The save compresses on
// every core (at most 8), so it should cost at most 0.4 times the one-thread compression.
//
//   bench_save [folder for the file, default /tmp] [runs, default 5]
//
// Each run times the save, then zlib alone, in turn; the figures are medians, and the ratio is
// the median of each run's save / zlib. On a busy machine the cores are not free and the ratio
// rises toward what one core gives; the load average is printed beside the figures.
#include "model/UItem.h"
#include "model/UParallelZlib.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace model;
using Clock = std::chrono::steady_clock;

namespace {
double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

void BuildTree(TRootItem& root, int folders, int filesPerFolder) {
    std::mt19937_64 rng(42);
    const char* extensions[] = {".txt", ".jpg", ".cpp", ".h", ".o", ".pdf", ".mp3", "", ".tar.gz", ".json"};
    TComputerRootItem* computer = root.EnsureComputerRoot();
    auto* drive = new TDriveItem("/bench", kKindFixed, computer);
    computer->AddChild(drive);
    drive->SetExplored(true);
    for (int i = 0; i < folders; ++i) {
        auto* folder = new TFolderItem("project-" + std::to_string(i), drive);
        drive->AddChild(folder);
        folder->SetExplored(true);
        folder->SetCreated(40000 + i * 0.37);
        folder->SetModified(44000 + i * 0.51);
        folder->SetAttributes(0x10);
        for (int j = 0; j < filesPerFolder; ++j) {
            const std::uint64_t r = rng();
            auto* file = new TFileItem(
                "file_" + std::to_string(j) + "_" + std::to_string(r % 9973) + extensions[r % 10], folder);
            // Sizes of every width, skewed to small files as real trees are.
            const int shift = static_cast<int>((r >> 8) % 34);
            file->SetSize(static_cast<std::int64_t>((r >> 20) & ((1ULL << shift) - 1)));
            const double base = 38000 + static_cast<double>((r >> 30) % 8000000) / 1000.0;
            file->SetCreated(base);
            file->SetAccessed(base + static_cast<double>((r >> 40) % 1000) / 7.0);
            file->SetModified(base + static_cast<double>((r >> 50) % 1000) / 13.0);
            file->SetAttributes((r >> 60) & 1 ? 0x20 : 0x80);
            folder->AddChild(file);
        }
        folder->ShrinkChildren();
    }
    root.ComputeTotals();
}

std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<unsigned char> Inflate(const std::string& z) {
    std::vector<unsigned char> out;
    std::vector<unsigned char> chunk(1 << 20);
    z_stream s{};
    inflateInit(&s);
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(z.data()));
    s.avail_in = static_cast<uInt>(z.size());
    int rc;
    do {
        s.next_out = chunk.data();
        s.avail_out = static_cast<uInt>(chunk.size());
        rc = inflate(&s, Z_NO_FLUSH);
        out.insert(out.end(), chunk.data(), chunk.data() + (chunk.size() - s.avail_out));
    } while (rc == Z_OK);
    inflateEnd(&s);
    if (rc != Z_STREAM_END) {
        std::fprintf(stderr, "the saved body does not inflate\n");
        std::exit(1);
    }
    return out;
}

// Level-9 deflate of bytes held in memory, output thrown away: the floor any save can reach.
double CompressOnly(const std::vector<unsigned char>& records, std::size_t* compressedSize) {
    std::vector<unsigned char> out(65536);
    const auto t0 = Clock::now();
    z_stream s{};
    deflateInit(&s, 9);
    s.next_in = const_cast<Bytef*>(records.data());
    s.avail_in = static_cast<uInt>(records.size());
    std::size_t total = 0;
    int rc;
    do {
        s.next_out = out.data();
        s.avail_out = static_cast<uInt>(out.size());
        rc = deflate(&s, Z_FINISH);
        total += out.size() - s.avail_out;
    } while (rc == Z_OK || rc == Z_BUF_ERROR);
    deflateEnd(&s);
    const auto t1 = Clock::now();
    *compressedSize = total;
    return Seconds(t0, t1);
}
} // namespace

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string file = folder + "/bench_save.txf";

    const auto b0 = Clock::now();
    TRootItem root("My Tessalundrix");
    BuildTree(root, 1000, 1000);
    root.SetMarked(true);
    const auto b1 = Clock::now();
    std::printf("tree: %lld files built in %.2f s\n", static_cast<long long>(root.GetMarkedFileCount()),
                Seconds(b0, b1));
    std::printf("load average before: %s; compressor threads: %u\n", LoadAverage().c_str(), DeflateThreads());

    std::vector<double> saves, zlibs, ratios;
    std::string saved;
    std::vector<unsigned char> records;
    std::size_t compressed = 0;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        const TSaveOutcome outcome = root.SaveToFile(file);
        const auto t1 = Clock::now();
        if (outcome.result != TSaveResult::Saved) {
            std::fprintf(stderr, "save failed: %s\n", outcome.detail.c_str());
            return 1;
        }
        saves.push_back(Seconds(t0, t1));
        if (i == 0) {
            saved = ReadFile(file);
            records = Inflate(saved.substr(128));
        }
        zlibs.push_back(CompressOnly(records, &compressed));
        ratios.push_back(saves.back() / zlibs.back());
    }
    std::remove(file.c_str());

    std::printf("record bytes: %zu, file: %zu bytes (zlib alone in one stream: %zu + 128)\n", records.size(),
                saved.size(), compressed);
    std::printf("medians of %d runs:\n", runs);
    std::printf("  save (whole SaveToFile):           %.3f s\n", Median(saves));
    std::printf("  zlib level 9 alone, one thread:    %.3f s\n", Median(zlibs));
    std::printf("ratio save / zlib: %.3f (median of the runs' ratios; target <= 0.4)\n", Median(ratios));
    std::printf("load average after: %s\n", LoadAverage().c_str());
    return 0;
}
