// One analyser window's work on a large tree without the window: the generation that feeds every
// grouping (1,000,000 files in 1,000 folders by default), the nine row lists and charts, then one
// chart drawn to a picture and written as EMF and WMF. Prints the time of each step.
#include "analyser/UAnalyserReports.h"
#include "analyser/UChartExport.h"
#include "model/UItem.h"
#include "model/UProgressManager.h"

#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using namespace analyser;
using TClock = std::chrono::steady_clock;

namespace {
double Ms(TClock::time_point since) {
    return std::chrono::duration<double, std::milli>(TClock::now() - since).count();
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int folders = 1000;
    model::TTopItem top("/bench/", nullptr);
    top.SetExplored(true);
    std::uint64_t seed = 88172645463325252ull;
    auto next = [&seed] {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        return seed;
    };
    auto t0 = TClock::now();
    std::vector<model::TFolderItem*> dirs;
    for (int d = 0; d < folders; ++d) {
        auto* f = model::NewItem<model::TFolderItem>("dir" + std::to_string(d), &top);
        top.AddChild(f);
        f->SetExplored(true);
        dirs.push_back(f);
    }
    const double now = 46000.5;
    for (int i = 0; i < n; ++i) {
        model::TFolderItem* parent = dirs[next() % folders];
        auto* f = model::NewItem<model::TFileItem>(
            "file" + std::to_string(i) + ".e" + std::to_string(next() % 300), parent);
        f->SetSize(static_cast<std::int64_t>(next() % (1u << 26)));
        f->SetCreated(now - static_cast<double>(next() % 4000000) / 1000.0);
        f->SetModified(now - static_cast<double>(next() % 400000) / 1000.0);
        f->SetAccessed(now - static_cast<double>(next() % 40000) / 1000.0);
        parent->AddChild(f);
    }
    top.ComputeTotals();
    std::printf("tree of %d files in %d folders: %.0f ms\n", n, folders, Ms(t0));

    TAnalyserReports reports;
    reports.SetExtReports({});
    reports.SetTypeReports({});
    reports.SetReferenceTime(now);
    model::TProgressManager progress;
    t0 = TClock::now();
    reports.Generate(top, progress);
    std::printf("generation (12 groupings + 2 custom reports + folder report): %.0f ms\n", Ms(t0));

    t0 = TClock::now();
    std::array<TRowList, kSheetCount> rows;
    std::array<std::unique_ptr<TChart>, kSheetCount> charts;
    TChartStyle style;
    for (int s = 0; s < kSheetCount; ++s) {
        TAnalyserDataGroup* g = reports.GroupOfSheet(s, 2, 0, 0);
        FillRowList(rows[s], g, SheetHasTotals(s));
        SortRowsByCode(rows[s], 2 * 57 + 1);
        charts[s] = std::make_unique<TChart>();
        DesignChart(*charts[s], s);
    }
    DrawFolderPie(*charts[0], rows[0], *reports.FoldGroup, true, 115, style);
    DrawRangeChart(*charts[1], *reports.SizeGroup, style);
    DrawDateChart(*charts[2], *reports.DateGroups[2], true, style);
    DrawTimeChart(*charts[3], *reports.TimeGroup, style);
    DrawRangeChart(*charts[4], *reports.AttrGroup, style);
    DrawTopChart(*charts[5], rows[5], true, 115, style);
    DrawTopChart(*charts[6], rows[6], true, 115, style);
    DrawCustomChart(*charts[7], rows[7], 115, style);
    DrawCustomChart(*charts[8], rows[8], 115, style);
    std::printf(
        "nine row lists sorted and nine charts filled: %.1f ms (%zu extension rows, %zu folder rows)\n",
        Ms(t0), rows[5].size(), rows[0].size());

    const QSize size(800, 600);
    for (int s : {0, 3, 5}) {
        t0 = TClock::now();
        const QImage image = ChartImage(*charts[s], size);
        const double tImage = Ms(t0);
        t0 = TClock::now();
        const QByteArray emf = ChartMetafile(*charts[s], size, TMetafileKind::Emf);
        const double tEmf = Ms(t0);
        t0 = TClock::now();
        const QByteArray wmf = ChartMetafile(*charts[s], size, TMetafileKind::Wmf);
        const double tWmf = Ms(t0);
        std::printf(
            "chart %d at 800x600: picture %.1f ms, EMF %.1f ms (%lld bytes), WMF %.1f ms (%lld bytes)\n", s,
            tImage, tEmf, static_cast<long long>(emf.size()), tWmf, static_cast<long long>(wmf.size()));
    }
    return 0;
}
