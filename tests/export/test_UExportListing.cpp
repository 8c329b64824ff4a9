// The export of real lists: items and analyser rows read through the column catalogue and a
// column group, as the main window, the File Lister and the analyser hand them over.
#include "export/UExportListing.h"

#include "ExportTestUtil.h"

#include "analyser/UAnalyserData.h"
#include "model/UItem.h"
#include "model/UProgressManager.h"

#include "model/UConvertHelp.h"

#include <gtest/gtest.h>

#include <clocale>

using namespace exportdata;
using namespace exporttest;

namespace {

std::string Export(const TExportListing& listing, TExportJob job) {
    TManagerProgress progress;
    std::vector<TExportMessage> messages;
    TDataExporter exporter(listing, std::move(job), progress,
                           [&](const TExportMessage& m) { messages.push_back(m); });
    EXPECT_EQ(exporter.Run(), 1);
    EXPECT_EQ(messages.size(), 1u);
    return messages.empty() ? "" : messages[0].Caption;
}

TExportJob Job(int type, const std::string& file, int kind) {
    TExportJob job;
    job.Kind = kind;
    job.FileName = file;
    job.Options.Type = type;
    job.Options.TitleLines = false;
    return job;
}

struct TItems {
    model::TRootItem root{"My Tessalundrix"};
    model::TManualRootItem* manual = root.EnsureManualRoot();
    model::TFolderItem* top = nullptr;
    std::vector<const model::TItem*> rows;

    TItems() {
        top = new model::TFolderItem("top", manual);
        manual->AddChild(top);
        top->SetExplored(true);
        top->SetListed(true);
        auto* file = new model::TFileItem("a, b.txt", top);
        top->AddChild(file);
        file->SetSize(1536);
        auto* part = Folder("part", false);
        auto* deep = new model::TFolderItem("deep", part);
        part->AddChild(deep);
        deep->SetExplored(true);
        deep->SetListed(true);
        auto* inner = new model::TFileItem("x", deep);
        deep->AddChild(inner);
        inner->SetSize(100);
        Folder("none", false);
        root.ComputeTotals();
        for (int i = 0; i < top->Children().Count(); ++i)
            rows.push_back(top->Children().Get(i));
    }
    model::TFolderItem* Folder(const char* name, bool explored) {
        auto* f = new model::TFolderItem(name, top);
        top->AddChild(f);
        f->SetExplored(explored);
        f->SetListed(explored);
        return f;
    }
};

} // namespace

TEST(ExportListing, MainListThroughTheCatalogue) {
    TItems items;
    // Name, Size, Files visible; Type hidden.
    listing::TColumnGroup group(nullptr, 3, {0, 1, 9, 2}, "Files");
    TItemListing listing(items.rows, group);
    ASSERT_EQ(listing.ColumnCount(), 3);
    TTempDir dir;
    EXPECT_EQ(Export(listing, Job(kTypeCsv, dir.File("main.csv"), kListMain)), "Success");
    EXPECT_EQ(ReadFile(dir.File("main.csv")), "Name,Size (B),Files\r\n"
                                              "\"a, b.txt\",1536,\r\n"
                                              "part **,100,1\r\n"
                                              "none,,\r\n");
    // The File Lister never marks partial folders.
    EXPECT_EQ(Export(listing, Job(kTypeTab, dir.File("lister.txt"), kListFileLister)), "Success");
    EXPECT_EQ(ReadFile(dir.File("lister.txt")), "Name\tSize (B)\tFiles\r\n"
                                                "a, b.txt\t1536\t\r\n"
                                                "part\t100\t1\r\n"
                                                "none\t\t\r\n");
}

TEST(ExportListing, AnalyserTableWithSeparatorAndTotal) {
    analyser::TAnalyserDataGroup group{"Extension", "File Extensions"};
    analyser::TAnalyserData* txt = group.AddRow(0, ".TXT");
    analyser::TAnalyserData* c = group.AddRow(1, ".C");
    txt->AddFiles(1, 3, 3072);
    c->AddFiles(1, 1, 1024);
    std::vector<const analyser::TAnalyserBaseData*> rows = {txt, c, group.Separator(), group.Total()};
    listing::TColumnGroup columns(nullptr, -1, {54, 57, 58, 59, 60}, "Extensions");
    TAnalyserListing listing(rows, columns);
    EXPECT_EQ(listing.RowClass(2), TRowClass::Separator);
    EXPECT_EQ(listing.RowClass(3), TRowClass::Total);
    TTempDir dir;
    TExportJob job = Job(kTypeFixed, dir.File("a.txt"), kListAnalyser);
    job.TotalsAvailable = true;
    job.Options.SizeUnit = kUnitKB;
    EXPECT_EQ(Export(listing, job), "Success");
    EXPECT_EQ(ReadFile(dir.File("a.txt")), "Extension            Number of files     % Space used     %\r\n"
                                           "==================== =============== ===== ========== =====\r\n"
                                           ".TXT                               3  75.0       3 KB  75.0\r\n"
                                           ".C                                 1  25.0       1 KB  25.0\r\n"
                                           "-------------------- --------------- ----- ---------- -----\r\n"
                                           "TOTAL (2 extensions)               4 100.0       4 KB 100.0\r\n");
    job.Options.Type = kTypeCsv;
    job.Options.Totals = false;
    EXPECT_EQ(Export(listing, job), "Success");
    EXPECT_EQ(ReadFile(dir.File("a.txt")), "Extension,Number of files,%,Space used (KB),%\r\n"
                                           ".TXT,3,75.0,3,75.0\r\n"
                                           ".C,1,25.0,1,25.0\r\n");
}

TEST(ExportListing, ManagerProgressWithoutWindowNeverCancels) {
    TManagerProgress progress;
    progress.SetMax(3);
    progress.Step();
    EXPECT_FALSE(progress.Cancelled());
    EXPECT_EQ(model::ProgressManager().Position(), 1);
}

TEST(ExportListing, GermanLocaleKeepsTheNumbersOfAnAnalyserTable) {
    analyser::TAnalyserDataGroup group{"Extension", "File Extensions"};
    analyser::TAnalyserData* txt = group.AddRow(0, ".TXT");
    analyser::TAnalyserData* c = group.AddRow(1, ".C");
    txt->AddFiles(1, 2000, 3000000);
    c->AddFiles(1, 1000, 1000000);
    std::vector<const analyser::TAnalyserBaseData*> rows = {txt, c, group.Separator(), group.Total()};
    listing::TColumnGroup columns(nullptr, -1, {54, 57, 58, 59, 60}, "Extensions");
    TAnalyserListing listing(rows, columns);
    TTempDir dir;
    auto exportAll = [&] {
        std::string all;
        for (const int type : {kTypeCsv, kTypeTab}) {
            TExportJob job = Job(type, dir.File("t"), kListAnalyser);
            job.TotalsAvailable = true;
            job.Options.SizeUnit = kUnitMB;
            Export(listing, job);
            all += ReadFile(dir.File("t"));
        }
        return all;
    };
    auto exportFixed = [&] {
        TExportJob job = Job(kTypeFixed, dir.File("t"), kListAnalyser);
        job.TotalsAvailable = true;
        Export(listing, job);
        return ReadFile(dir.File("t"));
    };
    const std::string english = exportAll(), englishFixed = exportFixed();
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const model::TFormatSettings savedFormat = model::FormatSettings();
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8"))
        GTEST_SKIP() << "no de_DE locale on this machine (scripts/install-deps.sh generates it)";
    model::InitFormatSettings();
    // The list itself now shows German numbers...
    const std::string shown = listing.CellText(2, 0);
    const std::string german = exportAll(), germanFixed = exportFixed();
    std::setlocale(LC_ALL, saved.c_str());
    model::SetFormatSettings(savedFormat);
    EXPECT_EQ(shown, "66,7 %");
    // ...the separated files do not; fixed columns, read by people, group as the list does.
    EXPECT_EQ(german, english);
    EXPECT_NE(english.find(".TXT,2000,66.7,3,75.0"), std::string::npos) << english;
    EXPECT_NE(englishFixed.find("2,000"), std::string::npos) << englishFixed;
    EXPECT_NE(germanFixed.find("2.000"), std::string::npos) << germanFixed;
}
