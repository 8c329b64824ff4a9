// Exports a File Lister-like list of 200,000 files (name, size, type, modified, folder) to each text
// type, and its first 16,000 rows to each worksheet, through the column catalogue; prints the time
// per type and the rows per second. Usage: bench_export [folder for the files, default /tmp].
#include "export/UExportData.h"
#include "export/UExportListing.h"

#include "model/UItem.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    model::TRootItem root("My Tessalundrix");
    model::TManualRootItem* manual = root.EnsureManualRoot();
    auto* top = new model::TFolderItem("bench", manual);
    manual->AddChild(top);
    top->SetExplored(true);
    const char* extensions[] = {".txt", ".jpg", ".cpp", ".h", ".o", ".pdf", ".mp3", "", ".tar.gz", ".json"};
    std::vector<const model::TItem*> rows;
    for (int d = 0; d < 200; ++d) {
        auto* sub = new model::TFolderItem("folder, " + std::to_string(d), top);
        top->AddChild(sub);
        sub->SetExplored(true);
        for (int i = 0; i < 1000; ++i) {
            auto* file = new model::TFileItem("file \"" + std::to_string(i) + "\"" + extensions[i % 10], sub);
            sub->AddChild(file);
            file->SetSize(static_cast<std::int64_t>(i) * 7919 + d);
            file->SetModified(44000 + i * 0.013);
            rows.push_back(file);
        }
    }
    root.ComputeTotals();
    listing::TColumnGroup group(nullptr, -1, {0, 1, 3, 7}, "Files");

    struct {
        int type;
        const char* name;
        std::size_t rows;
    } runs[] = {{exportdata::kTypeCsv, "csv", rows.size()},
                {exportdata::kTypeTab, "tab", rows.size()},
                {exportdata::kTypeFixed, "fixed", rows.size()},
                {exportdata::kTypeExcel, "xls", 16000},
                {exportdata::kTypeLotus, "wk1", 8000}};
    for (const auto& run : runs) {
        std::vector<const model::TItem*> part(rows.begin(), rows.begin() + static_cast<long>(run.rows));
        exportdata::TItemListing listing(part, group);
        exportdata::TExportJob job;
        job.Kind = exportdata::kListFileLister;
        job.ListTitle = "File Lister listing";
        job.ListSubject = "/bench/";
        job.FileName = folder + "/bench_export." + run.name;
        job.Options.Type = run.type;
        job.Options.SizeUnit = exportdata::kUnitKB;
        exportdata::TNoProgress progress;
        exportdata::TDataExporter exporter(listing, job, progress, {});
        const auto start = Clock::now();
        const int result = exporter.Run();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const auto bytes = std::filesystem::file_size(job.FileName);
        std::printf("%-5s %7zu rows  %8.3f s  %9.0f rows/s  %10ju bytes  result %d\n", run.name, run.rows,
                    seconds, static_cast<double>(run.rows) / seconds, static_cast<std::uintmax_t>(bytes),
                    result);
        std::filesystem::remove(job.FileName);
    }
}
