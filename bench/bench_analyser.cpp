// Groups a million made-up files into every analyser report, as one analysis of a large folder
// does, and sorts the extension rows; prints the time of each step.
#include "analyser/UAnalyserCompare.h"
#include "analyser/UAnalyserData.h"
#include "platform/PDates.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace analyser;

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 1000000;
    model::TFolderItem folder("bench", nullptr);
    std::uint64_t seed = 88172645463325252ull;
    auto next = [&seed] {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        return seed;
    };
    const double now = platform::EncodeDateTime(2024, 3, 15, 10);
    for (int i = 0; i < n; ++i) {
        auto* f =
            new model::TFileItem("file" + std::to_string(i) + ".e" + std::to_string(next() % 300), &folder);
        f->SetSize(static_cast<std::int64_t>(next() % (1u << 26)));
        f->SetAttributes(static_cast<std::uint32_t>(next() & 0x1FFF));
        f->SetCreated(now - static_cast<double>(next() % 4000000) / 1000.0);
        f->SetModified(now - static_cast<double>(next() % 400000) / 1000.0);
        f->SetAccessed(now - static_cast<double>(next() % 40000) / 1000.0);
        folder.AddChild(f);
    }

    const char* const names[] = {"size",        "attributes", "extension", "type",       "custom extension",
                                 "time of day", "days",       "months",    "progressive"};
    std::vector<std::unique_ptr<TAnalyserDataGroup>> groups;
    groups.push_back(std::make_unique<TAnalyserSizeGroup>());
    groups.push_back(std::make_unique<TAnalyserAttrGroup>());
    groups.push_back(std::make_unique<TAnalyserExtGroup>());
    groups.push_back(std::make_unique<TAnalyserTypeGroup>());
    groups.push_back(std::make_unique<TAnalyserCusExtGroup>("R\x01.E1\x01.E2\x01.E3\x01"));
    groups.push_back(std::make_unique<TAnalyserTimeGroup>());
    groups.push_back(std::make_unique<TAnalyserDate0Group>());
    groups.push_back(std::make_unique<TAnalyserDate2Group>());
    groups.push_back(std::make_unique<TAnalyserDate5Group>());
    for (auto& g : groups)
        if (auto* d = dynamic_cast<TAnalyserDateTimeGroup*>(g.get())) d->SetReferenceDate(now);

    using clock = std::chrono::steady_clock;
    for (size_t i = 0; i < groups.size(); ++i) {
        TAnalyserDataGroup* g = groups[i].get();
        const auto start = clock::now();
        for (const model::TItem* item : folder.Children())
            g->AddItem(*item);
        const std::int64_t total = g->Total()->GetCount1();
        const double ms = std::chrono::duration<double, std::milli>(clock::now() - start).count();
        std::printf("%-18s %8.1f ms  (%d rows, TOTAL %lld)\n", names[i], ms, g->RowCount(),
                    static_cast<long long>(total));
    }
    auto* ext = groups[2].get();
    std::vector<TAnalyserBaseData*> rows;
    for (int i = 0; i < ext->RowCount(); ++i)
        rows.push_back(ext->GetRow(i));
    rows.push_back(ext->Separator());
    rows.push_back(ext->Total());
    const auto start = clock::now();
    for (int r = 0; r < 1000; ++r)
        SortAnalyserRows(rows, AnalyserCompareOfSortCode(r % 2 ? 115 : 108));
    std::printf("sort %zu rows x 1000 %8.1f ms\n", rows.size(),
                std::chrono::duration<double, std::milli>(clock::now() - start).count());
    return 0;
}
