// Saves loaded items the way the viewer does: two loaded files of 500,000 files each (read from
// files written first) are combined into one new file ("All Loaded Items"), then one folder of the
// first is saved on its own; the new file is loaded back. Prints each time and the sizes. The save
// is bound by zlib at level 9, the format's level; the walk itself is timed apart.
// Usage: bench_viewer_save [folder for the files, default /tmp].
#include "model/URecordCodec.h"
#include "viewer/UViewerFiles.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

using Clock = std::chrono::steady_clock;

namespace {
double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// Root, one drive, 50 folders of 100 folders of 100 files.
void WriteSource(const std::string& name, int seed) {
    std::mt19937_64 rng(seed);
    model::TExplorationFileWriter file(name, model::txf::kWriterScanner);
    model::TRecordWriter& out = file.Records();
    out.WriteRootHead("r", 500000);
    out.WriteFolderBody(true, {45000, 0, 0, 0});
    out.WriteDriveHead("/bench", '/', 1000, 1'000'000'000);
    out.WriteFolderBody(true, {45000, 0, 0, 0});
    for (int i = 0; i < 50; ++i) {
        out.WriteFolderHead("project-" + std::to_string(i));
        out.WriteFolderBody(true, {40000, 0, 44000, 0x10});
        for (int k = 0; k < 100; ++k) {
            out.WriteFolderHead("module-" + std::to_string(k));
            out.WriteFolderBody(true, {40000, 0, 44000, 0x10});
            for (int j = 0; j < 100; ++j) {
                const std::uint64_t r = rng();
                out.WriteFile("file_" + std::to_string(j) + ".dat", static_cast<std::int64_t>(r % 5'000'000),
                              {40000.0 + double(r % 1000), 0, 44000, 0x20});
            }
            out.WriteEnd();
        }
        out.WriteEnd();
    }
    out.WriteEnd();
    out.WriteEnd();
    file.Commit();
}
} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "/tmp";
    const std::string a = dir + "/bench_vs_a.txf", b = dir + "/bench_vs_b.txf",
                      all = dir + "/bench_vs_all.txf", one = dir + "/bench_vs_one.txf";
    WriteSource(a, 1);
    WriteSource(b, 2);
    viewer::TRootItem root;
    auto t0 = Clock::now();
    if (viewer::LoadFileInto(root, a, nullptr).code != 0 ||
        viewer::LoadFileInto(root, b, nullptr).code != 0) {
        std::fprintf(stderr, "load failed\n");
        return 1;
    }
    auto t1 = Clock::now();
    viewer::MarkForSave(root, {&root});
    const std::int64_t marked = root.GetMarkedFileCount();
    auto tc = Clock::now();
    {
        model::TRecordWriter counter; // the record walk alone, without zlib and the file
        root.SaveToStream(counter);
    }
    auto t2 = Clock::now();
    std::printf("marked files: %lld\n", static_cast<long long>(marked));
    std::printf("one record walk alone (nothing encoded or compressed): %.3f s\n", Seconds(tc, t2));
    if (viewer::SaveMarked(root, all, nullptr).result != model::TSaveResult::Saved) return 1;
    auto t3 = Clock::now();
    std::printf("save all loaded items: %.3f s, %.1f MB\n", Seconds(t2, t3),
                double(std::filesystem::file_size(all)) / 1e6);
    auto* drive = static_cast<model::TFolderItem*>(static_cast<model::TFolderItem*>(root.Child(0))->Child(0));
    viewer::MarkForSave(root, {drive->Child(0)});
    auto t4 = Clock::now();
    if (viewer::SaveMarked(root, one, nullptr).result != model::TSaveResult::Saved) return 1;
    auto t5 = Clock::now();
    viewer::TRootItem back;
    const viewer::TLoadOutcome o = viewer::LoadFileInto(back, all, nullptr);
    auto t6 = Clock::now();
    std::printf("load 2 x 500,000 files: %.3f s\n", Seconds(t0, t1));
    std::printf("save one folder (10,000 files): %.3f s\n", Seconds(t4, t5));
    std::printf("load the combined file back: %.3f s, code %d, %lld files\n", Seconds(t5, t6), o.code,
                static_cast<long long>(back.GetFileCount()));
    for (const std::string& f : {a, b, all, one})
        std::filesystem::remove(f);
    return 0;
}
