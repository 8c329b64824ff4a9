// The File Lister's listing on a made-up tree of a million files in 1,000 folders: the plain
// walk with its sort by size, the top 100, a bucket and "All others" of the extension report, a
// re-sort by name, and taking 1,000 deleted files out of listing and tree (with a trash that only
// says yes). Prints the time of each step.
#include "analyser/UAnalyserData.h"
#include "export/UFileLister.h"

#include <chrono>
#include <cstdio>
#include <string>

using namespace exportdata;

namespace {

class TYesTrash : public TFileTrash {
public:
    bool MoveToTrash(const std::string&, std::string&) override { return true; }
};

template <class F> double Seconds(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 1000000;
    model::TRootItem root("My Tessalundrix");
    auto* top = new model::TManualItem("/bench", model::kKindFixed, &root);
    root.AddChild(top);
    top->SetExplored(true);
    std::uint64_t seed = 88172645463325252ull;
    auto next = [&seed] {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        return seed;
    };
    model::TFolderItem* folder = nullptr;
    for (int i = 0; i < n; ++i) {
        if (i % 1000 == 0) {
            folder = model::NewItem<model::TFolderItem>("folder" + std::to_string(i / 1000), top);
            top->AddChild(folder);
            folder->SetExplored(true);
        }
        auto* f = model::NewItem<model::TFileItem>(
            "file" + std::to_string(i) + ".e" + std::to_string(next() % 300), folder);
        f->SetSize(static_cast<std::int64_t>(next() % (1u << 26)));
        f->SetTypeIndex(0);
        folder->AddChild(f);
    }
    root.ComputeTotals();

    analyser::TAnalyserExtGroup group;
    for (const model::TItem* item : top->Children())
        for (const model::TItem* file : static_cast<const model::TFolderItem*>(item)->Children())
            group.AddItem(*file);
    std::vector<std::int32_t> ten;
    for (int k = 0; k < 10; ++k)
        ten.push_back(group.FindKeyOfName(".E" + std::to_string(k)));

    TFileLister lister;
    int pumps = 0;
    lister.ProcessMessages = [&pumps] { ++pumps; };
    auto run = [&](const char* what, int mode, std::vector<std::int32_t> keys) {
        lister.Setup(top, &root, mode, &group, std::move(keys));
        const double s = Seconds([&] { lister.Build(); });
        std::printf("%-34s %9lld files  %7.3f s\n", what, static_cast<long long>(lister.ListedCount()), s);
    };
    std::printf("%d files in %d folders\n", n, (n + 999) / 1000);
    run("all files, sorted by size", kListerAll, {});
    std::printf("  (%d message pumps)\n", pumps);
    lister.SortCode = 0;
    std::printf("%-34s %9d files  %7.3f s\n", "re-sort by name", lister.RowCount(),
                Seconds([&] { lister.Sort(); }));
    lister.SortCode = 3;
    run("the 100 biggest", kListerBiggest, {});
    run("one extension bucket", kListerKind1, {ten[0]});
    run("all others of ten extensions", kListerAllOthers, ten);

    run("all files again", kListerAll, {});
    std::vector<model::TItem*> targets;
    for (int i = 0; i < 1000 && i < lister.RowCount(); ++i)
        targets.push_back(lister.Row(i * (lister.RowCount() / 1000)));
    TYesTrash trash;
    int deleted = 0;
    const double s = Seconds([&] { deleted = lister.Delete(targets, trash).deleted; });
    std::printf("%-34s %9d files  %7.3f s (then %lld listed, %lld in the tree)\n", "delete bookkeeping",
                deleted, s, static_cast<long long>(lister.ListedCount()),
                static_cast<long long>(root.GetFileCount()));
    return 0;
}
