// A decompression bomb against the reader's memory budget. Usage: bench_bomb FILES [BUDGET_MB]
// Writes, with the project's own writer, a file whose tiny zlib body holds FILES file records in
// one folder, then loads it (budget: BUDGET_MB, or by default half of MemAvailable as the viewer
// does) and prints the file's size, the result code, the time to the result and the peak RSS.
#include "model/URecordCodec.h"
#include "platform/PMemory.h"
#include "viewer/UItem.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILES [BUDGET_MB]\n", argv[0]);
        return 2;
    }
    const long long files = std::atoll(argv[1]);
    const std::uint64_t budget = argc > 2 ? std::strtoull(argv[2], nullptr, 10) << 20 : 0;
    const std::string path = "/tmp/tx-bomb-" + std::to_string(getpid()) + ".txf";
    {
        model::TExplorationFileWriter w(path, model::txf::kWriterScanner);
        model::TRecordWriter& out = w.Records();
        out.WriteRootHead("Root", 0);
        out.WriteFolderBody(true, {});
        out.WritePathHead("p", "/p");
        out.WriteFolderBody(true, {});
        for (long long i = 0; i < files; ++i)
            out.WriteFile("f", 1, {});
        out.WriteEnd();
        out.WriteEnd();
        w.Commit();
    }
    const auto available = platform::AvailableMemory();
    viewer::TRootItem root;
    auto* item = new viewer::TFileRootItem(path, &root);
    item->SetMemoryBudget(budget);
    const auto start = std::chrono::steady_clock::now();
    const std::int32_t code = item->LoadFromFile();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    delete item;
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    std::printf("bomb: %lld file records in %.1f KB\n", files,
                static_cast<double>(std::filesystem::file_size(path)) / 1024.0);
    std::printf("budget: %.0f MB (MemAvailable %.0f MB)\n",
                static_cast<double>(budget ? budget : (available ? *available / 2 : 0)) / 1048576.0,
                available ? static_cast<double>(*available) / 1048576.0 : -1.0);
    std::printf("result %d after %.3f s; peak RSS %.1f MB\n", code, seconds, u.ru_maxrss / 1024.0);
    std::filesystem::remove(path);
    return 0;
}
