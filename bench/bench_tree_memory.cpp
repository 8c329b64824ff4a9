// Memory and sort time of the item tree: 1,000,000 file items in 100,000 folders, names of about
// 12 bytes. Prints peak RSS per file item and the time to sort every folder's children.
#include "model/UItem.h"
#include "model/UTypeList.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

long PeakRssKb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

long RssKb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const long files = argc > 1 ? std::stol(argv[1]) : 1'000'000;
    const long folders = argc > 2 ? std::stol(argv[2]) : 100'000;
    const char* extensions[] = {".txt", ".jpg", ".c", ".h", ".log", ".dat", ".png", ".mp3", "", ".tar.gz"};
    std::mt19937_64 rng(42);
    const long baseline = RssKb();

    auto* root = new model::TRootItem("My Tessalundrix");
    auto* top = new model::TManualItem("/bench", model::kKindFixed, root);
    root->AddChild(top);

    // A tree of 8 levels with 5 subfolders a folder (97,656 folders), built depth first as an
    // exploration builds it: each folder's files and subfolders at once, then its list trimmed.
    const int depth = 8, branching = 5;
    long folderCount = 0, fileCount = 0;
    char name[64];
    const auto build = [&](auto& self, model::TFolderItem* folder, int level) -> void {
        ++folderCount;
        const long here = files / 97'656 + (folderCount <= files % 97'656 ? 1 : 0);
        for (long i = 0; i < here && fileCount < files; ++i, ++fileCount) {
            const char* ext = extensions[rng() % 10];
            std::snprintf(name, sizeof name, "f%0*lx%s", ext[0] ? static_cast<int>(11 - std::strlen(ext)) : 11,
                          static_cast<unsigned long>(rng() % 0xFFFFFFFFFFULL), ext);
            auto* file = model::NewItem<model::TFileItem>(name, folder);
            file->SetSize(static_cast<std::int64_t>(rng() % 10'000'000));
            file->SetCreated(45000.25);
            file->SetAccessed(45001.25);
            file->SetModified(45000.75);
            file->SetAttributes(0x20);
            file->SetTypeIndex(model::TypeList().IndexOfExtension(model::ExtensionKey(name)));
            folder->AddChild(file);
        }
        std::vector<model::TFolderItem*> subs;
        if (level + 1 < depth)
            for (int b = 0; b < branching; ++b) {
                std::snprintf(name, sizeof name, "dir%07lx", static_cast<unsigned long>(rng() % 0xFFFFFFF));
                auto* sub = model::NewItem<model::TFolderItem>(name, folder);
                sub->SetExplored(true);
                sub->SetListed(true);
                sub->SetModified(45000.5);
                folder->AddChild(sub);
                subs.push_back(sub);
            }
        folder->ShrinkChildren();
        for (auto* sub : subs) self(self, sub, level + 1);
    };
    build(build, top, 0);
    (void)folders;

    const auto t0 = std::chrono::steady_clock::now();
    const auto sortAll = [&](auto& self, model::TFolderItem* folder) -> void {
        folder->SortChildren();
        for (model::TItem* c : folder->Children())
            if (c->IsFolder()) self(self, static_cast<model::TFolderItem*>(c));
    };
    sortAll(sortAll, top);
    const auto t1 = std::chrono::steady_clock::now();
    root->ComputeTotals();
    const auto t2 = std::chrono::steady_clock::now();

    const long peak = PeakRssKb();
    std::printf("file items            %ld\n", files);
    std::printf("folder items          %ld\n", folderCount);
    std::printf("sizeof(TFileItem)     %zu bytes\n", sizeof(model::TFileItem));
    std::printf("sizeof(TFolderItem)   %zu bytes\n", sizeof(model::TFolderItem));
    std::printf("peak RSS              %.1f MB\n", peak / 1024.0);
    std::printf("bytes per file item   %.1f (peak RSS / file items)\n", peak * 1024.0 / files);
    std::printf("  without the program %.1f ((peak RSS - RSS at start) / file items)\n",
                (peak - baseline) * 1024.0 / files);
    std::printf("pool memory           %.1f MB\n", model::PoolReservedBytes() / 1048576.0);
    std::printf("sort every folder     %.3f s\n", std::chrono::duration<double>(t1 - t0).count());
    std::printf("compute totals        %.3f s (total %lld bytes)\n", std::chrono::duration<double>(t2 - t1).count(),
                static_cast<long long>(root->GetSize()));
    delete root;
    return 0;
}
