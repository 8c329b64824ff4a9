// Sorts 1,000,000 file rows with every comparator, ascending and descending, from the same
// shuffled order each time, and prints the time of each sort. Target: under 1 s per sort.
#include "listing/USortCompare.h"
#include "model/UItem.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace model;

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int perFolder = 1000;
    std::mt19937_64 rng(42);
    const char* extensions[] = {".txt", ".jpg", ".cpp", ".h", "", ".tar.gz", ".PDF", ".mp3", ".log", ".o"};

    TRootItem root("My Tessalundrix");
    auto* computer = root.EnsureComputerRoot();
    auto* drive = new TDriveItem("/data", kKindFixed, computer);
    computer->AddChild(drive);
    drive->SetListed(true);
    std::vector<TItem*> rows;
    rows.reserve(static_cast<std::size_t>(files));
    TFolderItem* folder = nullptr;
    for (int i = 0; i < files; ++i) {
        if (i % perFolder == 0) {
            auto* group = new TFolderItem("group" + std::to_string(i / (perFolder * 50)), drive);
            if (i % (perFolder * 50) == 0)
                drive->AddChild(group);
            else
                delete group;
            TFolderItem* parent = static_cast<TFolderItem*>(drive->Child(drive->ChildCount() - 1));
            folder = new TFolderItem("Folder_" + std::to_string(rng() % 100000), parent);
            parent->AddChild(folder);
            folder->SetExplored(true);
        }
        const std::string name = (rng() % 2 ? "IMG_" : "document-") + std::to_string(rng() % 10000000) +
                                 extensions[rng() % std::size(extensions)];
        auto* f = new TFileItem(name, folder);
        folder->AddChild(f);
        f->SetSize(static_cast<std::int64_t>(rng() % (1ULL << 32)));
        f->SetModified(30000.0 + static_cast<double>(rng() % 20000000) / 1000.0);
        f->SetCreated(30000.0 + static_cast<double>(rng() % 20000000) / 1000.0);
        f->SetAccessed(30000.0 + static_cast<double>(rng() % 20000000) / 1000.0);
        f->SetAttributes(static_cast<std::uint32_t>(rng() % 64));
        rows.push_back(f);
    }
    std::shuffle(rows.begin(), rows.end(), rng);
    std::printf("%d file rows in %d folders\n", files, files / perFolder);
    std::printf("%-28s %5s %10s\n", "comparator", "dir", "seconds");

    double worst = 0;
    const char* worstName = "";
    for (const listing::TItemComparator* c : listing::AllComparators()) {
        std::vector<TItem*> work = rows;
        const auto t0 = std::chrono::steady_clock::now();
        listing::SortItems(work, *c);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::printf("%-28s %5s %10.3f\n", c->Name, c->Descending ? "desc" : "asc", s);
        std::fflush(stdout);
        if (s > worst) {
            worst = s;
            worstName = c->Name;
        }
    }
    std::printf("slowest: %s %.3f s\n", worstName, worst);
    return 0;
}
