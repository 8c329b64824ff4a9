// The five file types of one fixture listing, byte for byte against the golden files, and read back
// by independent readers (Python's csv module, xlrd, gnumeric's ssconvert) against the listing.
#include "export/UExportData.h"
#include "export/UExportText.h"

#include "ExportFixture.h"
#include "ExportTestUtil.h"

#include "model/UConvertHelp.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <fstream>

using namespace exportdata;
using namespace exporttest;

namespace {

struct TGolden {
    int type;
    const char* file;
};
const TGolden kGoldens[] = {{kTypeExcel, "fixture.xls"},
                            {kTypeLotus, "fixture.wk1"},
                            {kTypeCsv, "fixture.csv"},
                            {kTypeTab, "fixture-tab.txt"},
                            {kTypeFixed, "fixture-fixed.txt"}};

std::string GoldenPath(const char* file) {
    return std::string(TX_EXPORT_TEST_DIR) + "/golden/" + file;
}

TExportJob FixtureJob(int type, const std::string& file) {
    TExportJob job;
    job.Kind = kListMain;
    job.ListTitle = "Folder Content";
    job.ListSubject = "/home/user/data/ **";
    job.TotalsAvailable = true;
    job.FileName = file;
    job.DateTimeText = "10/12/2026 09:41:00";
    job.Options.Type = type;
    job.Options.SizeUnit = kUnitKB;
    return job;
}

std::string Export(const TExportListing& listing, const TExportJob& job) {
    TNoProgress none;
    TDataExporter exporter(listing, job, none, {});
    EXPECT_EQ(exporter.Run(), 1);
    return ReadFile(job.FileName);
}

// JSON string of UTF-8 text.
std::string Number(double d) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", d);
    return buf;
}

std::string Json(const std::string& s) {
    std::string out = "\"";
    for (const char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\')
            out += '\\', out += ch;
        else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else
            out += ch;
    }
    return out + "\"";
}

} // namespace

TEST(ExportGolden, FiveTypesByteForByte) {
    const TTableListing listing = FixtureListing();
    TTempDir dir;
    const bool update = std::getenv("TX_UPDATE_GOLDEN") != nullptr;
    for (const TGolden& g : kGoldens) {
        SCOPED_TRACE(g.file);
        const std::string bytes = Export(listing, FixtureJob(g.type, dir.File(g.file)));
        if (update) WriteFile(GoldenPath(g.file), bytes);
        EXPECT_EQ(bytes, ReadFile(GoldenPath(g.file)));
    }
}

// Comma- and tab-separated files are the same in any locale; fixed columns group as the list does.
TEST(ExportGolden, GermanLocaleGivesTheSameSeparatedFiles) {
    const char* const names[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE"};
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const model::TFormatSettings savedFormat = model::FormatSettings();
    bool found = false;
    for (const char* name : names)
        if (std::setlocale(LC_ALL, name)) {
            found = true;
            break;
        }
    if (!found) GTEST_SKIP() << "no de_DE locale on this machine (scripts/install-deps.sh generates it)";
    model::InitFormatSettings();
    const bool german = model::FormatSettings().decimalSeparator == ",";
    const TTableListing listing = FixtureListing();
    TTempDir dir;
    std::vector<std::string> results;
    for (const TGolden& g : kGoldens)
        if (g.type >= kTypeCsv) results.push_back(Export(listing, FixtureJob(g.type, dir.File(g.file))));
    std::setlocale(LC_ALL, saved.c_str());
    model::SetFormatSettings(savedFormat);
    EXPECT_TRUE(german) << "the de_DE locale should use a decimal comma";
    const bool update = std::getenv("TX_UPDATE_GOLDEN") != nullptr;
    size_t i = 0;
    for (const TGolden& g : kGoldens) {
        if (g.type == kTypeFixed) {
            if (update) WriteFile(GoldenPath("fixture-fixed-de.txt"), results[i]);
            EXPECT_EQ(results[i++], ReadFile(GoldenPath("fixture-fixed-de.txt"))) << g.file;
        } else if (g.type >= kTypeCsv) {
            EXPECT_EQ(results[i++], ReadFile(GoldenPath(g.file))) << g.file;
        }
    }
}

TEST(ExportGolden, IndependentReadersSeeTheListing) {
    if (std::system((std::string("'") + TX_PYTHON + "' -c 'import xlrd' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "python3-xlrd is missing (scripts/install-deps.sh installs it)";
    if (std::system("command -v ssconvert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "gnumeric's ssconvert is missing (scripts/install-deps.sh installs it)";
    const TTableListing listing = FixtureListing();
    TTempDir dir;
    for (const TGolden& g : kGoldens)
        Export(listing, FixtureJob(g.type, dir.File(g.file)));

    // What the readers should find: the worksheet layout of the listing (title rows 1-3, headers
    // row 5, data from row 7 with the separator row left empty), texts as the listing gives them,
    // sizes in kilobytes as numbers.
    std::ofstream expect(dir.File("expected.json"));
    expect << "{\"title\": [" << Json("10/12/2026 09:41:00") << ", " << Json("Folder Content of") << ", "
           << Json("/home/user/data/ **") << "],\n \"columns\": [";
    for (int c = 0; c < listing.ColumnCount(); ++c) {
        const TExportColumn col = listing.Column(c);
        expect << (c ? ", " : "")
               << "{\"caption\": " << Json(col.Caption + (col.Kind == kKindSize ? " (KB)" : ""))
               << ", \"kind\": " << col.Kind << ", \"right\": " << (col.Alignment == 1 ? "true" : "false")
               << "}";
    }
    expect << "],\n \"rows\": [";
    for (int r = 0; r < listing.RowCount(); ++r) {
        expect << (r ? ",\n  " : "")
               << "{\"separator\": " << (listing.RowClass(r) == TRowClass::Separator ? "true" : "false")
               << ", \"cells\": [";
        for (int c = 0; c < listing.ColumnCount(); ++c) {
            const TExportColumn col = listing.Column(c);
            expect << (c ? ", " : "");
            std::string text = listing.CellText(c, r);
            if (c == 0 && listing.IsPartialFolder(r)) text += " **";
            if (c > 0 && col.Kind == kKindSize)
                expect << (listing.IsInt64Cell(c, r)
                               ? Number(static_cast<double>(listing.Int64Value(c, r)) / 1024.0)
                               : "null");
            else if (c > 0 && col.Kind == kKindCount)
                expect << (listing.IsInt64Cell(c, r) ? std::to_string(listing.Int64Value(c, r)) : "null");
            else if (c > 0 && col.Kind == kKindPercent)
                expect << (listing.IsFloatCell(c, r) ? Number(listing.FloatValue(c, r)) : "null");
            else
                expect << Json(text);
        }
        expect << "]}";
    }
    expect << "]}\n";
    expect.close();
    const std::string command = "'" + std::string(TX_PYTHON) + "' " + std::string(TX_EXPORT_TEST_DIR) + "/check_export.py " +
                                dir.Path().string() + " > " + dir.File("check.log") + " 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_EQ(status, 0) << ReadFile(dir.File("check.log"));
}
