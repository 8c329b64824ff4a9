// The export engine without a window: text layouts, quoting, numbers, worksheet layout, limits,
// cancel and failure.
#include "export/UExportData.h"

#include "ExportFixture.h"
#include "ExportTestUtil.h"
#include "WorksheetReader.h"

#include "model/UConvertHelp.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace exportdata;
using namespace exporttest;

namespace {

// Counts steps; cancels at the given step (0: never).
class TTestProgress : public TExportProgress {
public:
    explicit TTestProgress(int cancelAt = 0) : FCancelAt(cancelAt) {}
    void SetMax(std::int64_t max) override { Maxes.push_back(max); }
    void Step() override { ++Steps; }
    bool Cancelled() override { return FCancelAt > 0 && Steps >= FCancelAt; }
    void SetResult(int result) override { Result = result; }
    std::vector<std::int64_t> Maxes;
    int Steps = 0;
    int Result = 0;

private:
    int FCancelAt;
};

struct TRunResult {
    int Result = 0;
    std::vector<TExportMessage> Messages;
    std::string Bytes;
    bool Exists = false;
};

TExportJob Job(int type, const std::string& file) {
    TExportJob job;
    job.Options.Type = type;
    job.FileName = file;
    job.ListTitle = "Files";
    job.ListSubject = "/data/";
    job.DateTimeText = "10/12/2026 09:41:00";
    return job;
}

TRunResult Export(const TExportListing& listing, const TExportJob& job, TExportProgress& progress) {
    TRunResult out;
    TDataExporter exporter(listing, job, progress,
                           [&](const TExportMessage& m) { out.Messages.push_back(m); });
    out.Result = exporter.Run();
    out.Exists = std::filesystem::exists(job.FileName);
    if (out.Exists) out.Bytes = ReadFile(job.FileName);
    return out;
}

TRunResult Export(const TExportListing& listing, const TExportJob& job) {
    TNoProgress none;
    return Export(listing, job, none);
}

// One-column-per-value listing of four columns of a larger group, a few rows.
TTableListing SmallListing() {
    TTableListing l;
    l.Columns = {{0, "Name", 0, kKindText},
                 {1, "Size", 1, kKindSize},
                 {9, "Files", 1, kKindCount},
                 {2, "Type", 0, kKindText}};
    l.Rows = {{{{"a"}, {"2 KB", 1536}, {"3", 3}, {"Text"}}}};
    return l;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    EXPECT_EQ(at, text.size()) << "the text does not end with CR LF";
    return lines;
}

} // namespace

TEST(ExportData, CsvQuoting) {
    struct {
        const char* value;
        bool quoteAll, emptyQuoted;
        const char* expected;
    } cases[] = {
        {"plain", false, false, "plain"},
        {"plain", true, false, "\"plain\""},
        {"a,b", false, false, "\"a,b\""},
        {"say \"hi\"", false, false, "\"say \"\"hi\"\"\""},
        {"\"", true, true, "\"\"\"\""},
        {"two\nlines", false, false, "\"two\nlines\""},
        {"cr\rhere", false, false, "\"cr\rhere\""},
        {"", false, false, ""},
        {"", true, false, ""},
        {"", false, true, "\"\""},
        {"tab\there", false, false, "tab\there"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(TDataExporter::QuoteCsv(c.value, c.quoteAll, c.emptyQuoted), c.expected);
    }
}

TEST(ExportData, Padding) {
    struct {
        const char* text;
        int width, code;
        const char* expected;
    } cases[] = {
        {"12345", 10, 2, "     12345"},
        {"ab", 6, 1, "  ab  "},
        {"abc", 6, 1, " abc  "},
        {"abc", 6, 0, "abc   "},
        {"abcdef", 3, 2, "abcdef"},
        {"caf\xC3\xA9", 6, 2, "  caf\xC3\xA9"},
        {"", 2, 0, "  "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TDataExporter::Pad(c.text, c.width, c.code), c.expected);
    }
}

TEST(ExportData, CsvTitleLinesArePaddedToTheColumns) {
    TTempDir dir;
    const TTableListing listing = SmallListing();
    TExportJob job = Job(kTypeCsv, dir.File("a.csv"));
    auto lines = Lines(Export(listing, job).Bytes);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "10/12/2026 09:41:00,,,");
    EXPECT_EQ(lines[1], "Files of,,,");
    EXPECT_EQ(lines[2], "/data/,,,");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "Name,Size (B),Files,Type");
    EXPECT_EQ(lines[5], "a,1536,3,Text");
    job.Options.EmptyQuoted = true;
    job.Options.QuoteAll = true;
    lines = Lines(Export(listing, job).Bytes);
    EXPECT_EQ(lines[0], "\"10/12/2026 09:41:00\",\"\",\"\",\"\"");
    EXPECT_EQ(lines[4], "\"Name\",\"Size (B)\",\"Files\",\"Type\"");
}

TEST(ExportData, SizeUnitsInText) {
    TTableListing l;
    l.Columns = {{0, "Name", 0, kKindText}, {1, "Size", 1, kKindSize}};
    l.Rows = {
        {{{"a"}, {"", 1536}}}, {{{"b"}, {"", 1234567890}}}, {{{"c"}, {"", 100}}}, {{{"d"}, {"Unexplored"}}}};
    struct {
        int type, unit;
        std::vector<std::string> values;
    } cases[] = {
        {kTypeCsv, kUnitBytes, {"1536", "1234567890", "100", ""}},
        {kTypeCsv, kUnitKB, {"2", "1205633", "0.10", ""}},
        {kTypeTab, kUnitMB, {"0.01", "1178", "0.01", ""}},
        {kTypeTab, kUnitGB, {"0.01", "2", "0.01", ""}},
        // Fixed columns show sizes as the list does: grouped, in the unit, rounded up.
        {kTypeFixed, kUnitBytes, {"        1,536", "1,234,567,890", "          100", "             "}},
        {kTypeFixed, kUnitKB, {"        2 KB", "1,205,633 KB", "     0.10 KB", "            "}},
        {kTypeFixed, kUnitMB, {" 0.01 MB", "1,178 MB", " 0.01 MB", "        "}},
        {kTypeFixed, kUnitGB, {"0.01 GB", "   2 GB", "0.01 GB", "       "}},
    };
    TTempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type * 10 + c.unit);
        TExportJob job = Job(c.type, dir.File("s"));
        job.Options.TitleLines = job.Options.ColumnHeaders = false;
        job.Options.SizeUnit = c.unit;
        const auto lines = Lines(Export(l, job).Bytes);
        ASSERT_EQ(lines.size(), 4u);
        const std::string sep = c.type == kTypeCsv ? "," : c.type == kTypeTab ? "\t" : " ";
        for (size_t i = 0; i < 4; ++i) {
            // Fixed columns pad the names to the width of "Name".
            const std::string name =
                std::string(1, static_cast<char>('a' + i)) + (c.type == kTypeFixed ? "   " : "");
            EXPECT_EQ(lines[i], name + sep + c.values[i]);
        }
    }
}

TEST(ExportData, FixedColumnsHeaderAndUnderline) {
    TTableListing l;
    l.Columns = {{0, "Name", 0, kKindText}, {1, "Size", 1, kKindSize}, {16, "Extension", 2, kKindText}};
    l.Rows = {{{{"x"}, {"", 123456789012}, {".c"}}}};
    TTempDir dir;
    TExportJob job = Job(kTypeFixed, dir.File("f.txt"));
    job.Options.TitleLines = false;
    const auto lines = Lines(Export(l, job).Bytes);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Name            Size Extension");
    EXPECT_EQ(lines[1], "==== =============== =========");
    EXPECT_EQ(lines[2], "x    123,456,789,012    .c    ");
}

// Sizes and counts: grouped with the locale's separators in fixed columns, as on screen; plain
// digits with "." in comma- and tab-separated files, whatever the locale.
TEST(ExportData, FixedColumnsGroupNumbersSeparatedFilesDoNot) {
    TTableListing l;
    l.Columns = {{0, "Name", 0, kKindText}, {1, "Size", 1, kKindSize}, {9, "Files", 1, kKindCount}};
    l.Rows = {{{{"a"}, {"", 6899444 * std::int64_t{1024}}, {"", 5213}}},
              {{{"b"}, {"", 1000}, {"", 999}}},
              {{{"c"}, {"", 512}, {"", 1234567}}}};
    struct {
        model::TFormatSettings format;
        int type, unit;
        std::vector<std::string> lines;
    } cases[] = {
        {{",", "."},
         kTypeFixed,
         kUnitKB,
         {"a    6,899,444 KB     5,213", "b         0.98 KB       999", "c         0.50 KB 1,234,567"}},
        {{",", "."},
         kTypeFixed,
         kUnitBytes,
         {"a    7,065,030,656     5,213", "b            1,000       999", "c              512 1,234,567"}},
        {{".", ","},
         kTypeFixed,
         kUnitKB,
         {"a    6.899.444 KB     5.213", "b         0,98 KB       999", "c         0,50 KB 1.234.567"}},
        {{".", ","}, kTypeCsv, kUnitKB, {"a,6899444,5213", "b,0.98,999", "c,0.50,1234567"}},
        {{".", ","}, kTypeTab, kUnitBytes, {"a\t7065030656\t5213", "b\t1000\t999", "c\t512\t1234567"}},
        {{",", "."}, kTypeCsv, kUnitMB, {"a,6738,5213", "b,0.01,999", "c,0.01,1234567"}},
    };
    const model::TFormatSettings saved = model::FormatSettings();
    TTempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format.thousandsSeparator + std::to_string(c.type * 10 + c.unit));
        model::SetFormatSettings(c.format);
        TExportJob job = Job(c.type, dir.File("g"));
        job.Options.TitleLines = job.Options.ColumnHeaders = false;
        job.Options.SizeUnit = c.unit;
        EXPECT_EQ(Lines(Export(l, job).Bytes), c.lines);
    }
    model::SetFormatSettings(saved);
}

TEST(ExportData, FixedColumnsShowLineBreaksAndTabsAsQuestionMarks) {
    TTableListing l;
    l.Columns = {{0, "Name", 0, kKindText}};
    l.Rows = {{{{"a\tb\r\nc"}}}};
    TTempDir dir;
    TExportJob job = Job(kTypeFixed, dir.File("f.txt"));
    job.Options.TitleLines = job.Options.ColumnHeaders = false;
    EXPECT_EQ(Export(l, job).Bytes, "a?b??c\r\n");
    job.Options.Type = kTypeTab;
    EXPECT_EQ(Export(l, job).Bytes, "\"a\tb\r\nc\"\r\n");
    l.Rows = {{{{"say \"hi\""}}}};
    EXPECT_EQ(Export(l, job).Bytes, "say \"hi\"\r\n"); // a quote alone needs no quoting there
}

TEST(ExportData, SeparatorAndTotalRows) {
    const TTableListing l = FixtureListing();
    TTempDir dir;
    struct {
        int type;
        bool totals;
        int dashLines, totalLines;
    } cases[] = {{kTypeFixed, true, 1, 1},
                 {kTypeFixed, false, 0, 0},
                 {kTypeCsv, true, 0, 1},
                 {kTypeCsv, false, 0, 0},
                 {kTypeTab, true, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type * 10 + c.totals);
        TExportJob job = Job(c.type, dir.File("t"));
        job.TotalsAvailable = true;
        job.Options.Totals = c.totals;
        job.Options.TitleLines = false;
        int dashes = 0, totals = 0;
        for (const std::string& line : Lines(Export(l, job).Bytes)) {
            dashes += line.rfind("----", 0) == 0;
            totals += line.rfind("TOTAL", 0) == 0;
        }
        EXPECT_EQ(dashes, c.dashLines);
        EXPECT_EQ(totals, c.totalLines);
    }
}

TEST(ExportData, PartialMarkerOnlyInTheMainList) {
    TTableListing l;
    l.Columns = {{0, "Name", 0, kKindText}};
    l.Rows = {{{{"half"}}, TRowClass::Normal, true}};
    TTempDir dir;
    for (const int kind : {kListMain, kListAnalyser, kListFileLister}) {
        for (const int type : {kTypeExcel, kTypeLotus, kTypeCsv, kTypeTab, kTypeFixed}) {
            SCOPED_TRACE(kind * 10 + type);
            TExportJob job = Job(type, dir.File("p"));
            job.Kind = kind;
            job.Options.TitleLines = job.Options.ColumnHeaders = false;
            const std::string bytes = Export(l, job).Bytes;
            const bool marked = bytes.find("half **") != std::string::npos;
            EXPECT_EQ(marked, kind == kListMain);
        }
    }
}

TEST(ExportData, WorksheetLayout) {
    const TTableListing l = SmallListing();
    TTempDir dir;
    struct {
        bool title, headers;
        int headerRow, firstDataRow;
    } cases[] = {{true, true, 5, 7}, {false, true, 1, 3}, {false, false, 0, 1}, {true, false, 0, 5}};
    for (const int type : {kTypeExcel, kTypeLotus}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(type * 100 + c.title * 10 + c.headers);
            TExportJob job = Job(type, dir.File("w"));
            job.Options.TitleLines = c.title;
            job.Options.ColumnHeaders = c.headers;
            job.Options.SizeUnit = kUnitKB;
            const TRunResult r = Export(l, job);
            ASSERT_EQ(r.Result, 1);
            const TSheet sheet = type == kTypeExcel ? ReadExcelSheet(r.Bytes) : ReadLotusSheet(r.Bytes);
            EXPECT_EQ(sheet.size(), (c.title ? 3u : 0u) + (c.headers ? 4u : 0u) + 4u);
            if (c.title) {
                EXPECT_EQ(sheet.at({1, 1}).Text, "10/12/2026 09:41:00");
                EXPECT_EQ(sheet.at({2, 1}).Text, "Files of");
                EXPECT_EQ(sheet.at({3, 1}).Text, "/data/");
            }
            if (c.headers) {
                EXPECT_EQ(sheet.at({c.headerRow, 2}).Text, "Size (KB)");
                EXPECT_EQ(sheet.at({c.headerRow, 3}).Text, "Files");
            }
            const int d = c.firstDataRow;
            EXPECT_EQ(sheet.at({d, 1}).Text, "a");
            ASSERT_TRUE(sheet.at({d, 2}).IsNumber);
            EXPECT_EQ(sheet.at({d, 2}).Number, 1.5); // 1536 bytes in kilobytes, not rounded
            EXPECT_EQ(sheet.at({d, 3}).Number, 3.0);
            EXPECT_EQ(sheet.at({d, 4}).Text, "Text");
        }
    }
}

TEST(ExportData, LocaleDoesNotChangeSeparatedFiles) {
    const TTableListing l = FixtureListing();
    TTempDir dir;
    const model::TFormatSettings saved = model::FormatSettings();
    for (const int type : {kTypeCsv, kTypeTab}) {
        SCOPED_TRACE(type);
        TExportJob job = Job(type, dir.File("l"));
        job.TotalsAvailable = true;
        job.Options.SizeUnit = kUnitMB;
        model::SetFormatSettings({",", "."});
        const std::string english = Export(l, job).Bytes;
        model::SetFormatSettings({".", ","});
        const std::string german = Export(l, job).Bytes;
        model::SetFormatSettings(saved);
        EXPECT_EQ(english, german);
        EXPECT_NE(english.find("99.9"), std::string::npos);
    }
    // Fixed columns show sizes as the list does in each locale; percentages keep their digits.
    TExportJob job = Job(kTypeFixed, dir.File("l"));
    job.TotalsAvailable = true;
    job.Options.SizeUnit = kUnitMB;
    model::SetFormatSettings({",", "."});
    const std::string english = Export(l, job).Bytes;
    model::SetFormatSettings({".", ","});
    const std::string german = Export(l, job).Bytes;
    model::SetFormatSettings(saved);
    EXPECT_NE(english.find("1,025 MB"), std::string::npos) << english;
    EXPECT_NE(english.find(" 0.01 MB"), std::string::npos) << english;
    EXPECT_NE(german.find("1.025 MB"), std::string::npos) << german;
    EXPECT_NE(german.find(" 0,01 MB"), std::string::npos) << german;
    EXPECT_NE(german.find("99.9"), std::string::npos) << german;
}

TEST(ExportData, EmptyListingWritesTitleAndHeadersOnly) {
    TTableListing l = SmallListing();
    l.Rows.clear();
    TTempDir dir;
    const std::map<int, std::vector<std::string>> expected = {
        {kTypeCsv, {"10/12/2026 09:41:00,,,", "Files of,,,", "/data/,,,", "", "Name,Size (B),Files,Type"}},
        {kTypeTab, {"10/12/2026 09:41:00", "Files of", "/data/", "", "Name\tSize (B)\tFiles\tType"}},
        {kTypeFixed,
         {"10/12/2026 09:41:00", "Files of", "/data/", "", "Name Size Files Type", "==== ==== ===== ===="}},
    };
    for (const auto& [type, lines] : expected) {
        SCOPED_TRACE(type);
        const TRunResult r = Export(l, Job(type, dir.File("e")));
        EXPECT_EQ(r.Result, 1);
        EXPECT_EQ(Lines(r.Bytes), lines);
    }
    for (const int type : {kTypeExcel, kTypeLotus}) {
        const TRunResult r = Export(l, Job(type, dir.File("e")));
        EXPECT_EQ((type == kTypeExcel ? ReadExcelSheet(r.Bytes) : ReadLotusSheet(r.Bytes)).size(), 7u);
    }
}

TEST(ExportData, WorksheetRowLimitsAreRefusedBeforeAnyFile) {
    TTableListing l;
    l.Columns = {{0, "Name", 0, kKindText}};
    TTempDir dir;
    struct {
        int type, limit;
    } cases[] = {{kTypeExcel, 16384}, {kTypeLotus, 8192}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        const std::string path = dir.File("big");
        WriteFile(path, "old");
        TExportJob job = Job(c.type, path);
        job.Options.TitleLines = false; // headers (2 rows) + data rows
        l.Rows.assign(static_cast<size_t>(c.limit - 1), TRow{{{"x"}}});
        TRunResult r = Export(l, job);
        ASSERT_EQ(r.Messages.size(), 1u);
        EXPECT_NE(r.Messages[0].Text, "File generated succesfully !");
        EXPECT_EQ(r.Result, 2);
        EXPECT_EQ(r.Bytes, "old");
        EXPECT_NE(r.Messages[0].Text.find(c.type == kTypeExcel ? "16,384" : "8,192"), std::string::npos);
        EXPECT_NE(r.Messages[0].Text.find("text"), std::string::npos);
        EXPECT_EQ(dir.Entries().size(), 1u);

        l.Rows.pop_back(); // exactly the limit: header row, empty row, limit - 2 data rows
        r = Export(l, job);
        EXPECT_EQ(r.Result, 1);
        const TSheet sheet = c.type == kTypeExcel ? ReadExcelSheet(r.Bytes) : ReadLotusSheet(r.Bytes);
        EXPECT_EQ(sheet.rbegin()->first.first, c.limit);
        // Text has no such limit.
        job.Options.Type = kTypeCsv;
        l.Rows.resize(static_cast<size_t>(c.limit + 10), TRow{{{"x"}}});
        EXPECT_EQ(Export(l, job).Result, 1);
    }
}

TEST(ExportData, CancelKeepsTheOldFile) {
    const TTableListing l = FixtureListing();
    TTempDir dir;
    const std::string path = dir.File("old");
    // Cancel at the first and at the last step, for every type; step 3 falls in the fixed layout's
    // measuring pass.
    for (const int type : {kTypeExcel, kTypeLotus, kTypeCsv, kTypeTab, kTypeFixed}) {
        for (const int at : {1, 3, l.RowCount()}) {
            SCOPED_TRACE(type * 100 + at);
            WriteFile(path, "old");
            TTestProgress progress(at);
            const TRunResult r = Export(l, Job(type, path), progress);
            EXPECT_EQ(r.Result, 2);
            EXPECT_EQ(progress.Result, 2);
            ASSERT_EQ(r.Messages.size(), 1u);
            EXPECT_EQ(r.Messages[0].Text, "Operation cancelled.");
            EXPECT_EQ(r.Messages[0].Caption, "Cancel");
            EXPECT_EQ(r.Bytes, "old");
            EXPECT_EQ(dir.Entries().size(), 1u);
        }
    }
}

TEST(ExportData, ProgressSpansTheRows) {
    const TTableListing l = FixtureListing();
    TTempDir dir;
    TTestProgress fixed, csv;
    EXPECT_EQ(Export(l, Job(kTypeFixed, dir.File("f")), fixed).Result, 1);
    EXPECT_EQ(fixed.Maxes, std::vector<std::int64_t>{2 * l.RowCount() - 1});
    EXPECT_EQ(fixed.Steps, 2 * l.RowCount());
    EXPECT_EQ(fixed.Result, 1);
    EXPECT_EQ(Export(l, Job(kTypeCsv, dir.File("c")), csv).Result, 1);
    EXPECT_EQ(csv.Steps, l.RowCount());
}

TEST(ExportData, CreateFailureNamesTheFile) {
    const TTableListing l = SmallListing();
    TTempDir dir;
    for (const int type : {kTypeExcel, kTypeCsv}) {
        const std::string path = dir.File("no/such/folder.x");
        const TRunResult r = Export(l, Job(type, path));
        EXPECT_EQ(r.Result, 2);
        ASSERT_EQ(r.Messages.size(), 1u);
        EXPECT_EQ(r.Messages[0].Text, "Error 2: Unable to create the file !\n\rFilename: " + path);
        EXPECT_EQ(r.Messages[0].Caption, "Error");
        EXPECT_EQ(r.Messages[0].Icon, TMessageIcon::Error);
    }
}

TEST(ExportData, WriteFailureKeepsTheOldFile) {
    // A listing too big for the file size limit set below: the system refuses the writes.
    TTableListing l;
    l.Columns = {{0, "Name", 0, kKindText}};
    l.Rows.assign(3000, TRow{{{std::string(100, 'n')}}});
    TTempDir dir;
    const std::string path = dir.File("old");
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    for (const int type : {kTypeExcel, kTypeLotus, kTypeCsv, kTypeTab, kTypeFixed}) {
        SCOPED_TRACE(type);
        WriteFile(path, "old");
        rlimit small = saved;
        small.rlim_cur = 64 * 1024;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const TRunResult r = Export(l, Job(type, path));
        setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_EQ(r.Result, 2);
        ASSERT_EQ(r.Messages.size(), 1u);
        EXPECT_EQ(r.Messages[0].Text, "Unable to generate file due to a file error !");
        EXPECT_EQ(r.Bytes, "old");
        EXPECT_EQ(dir.Entries().size(), 1u);
    }
    std::signal(SIGXFSZ, previous);
}

TEST(ExportData, TextFilesAreUtf8AndWorksheetsWindows1252) {
    TTableListing l;
    l.Columns = {{0, "Name", 0, kKindText}};
    // A name read from a file written on Windows (Windows-1252 bytes), and one in UTF-8.
    l.Rows = {{{{"\xE9t\xE9"}}}, {{{"\xE2\x82\xAC \xE4\xB8\xAD"}}}};
    TTempDir dir;
    TExportJob job = Job(kTypeCsv, dir.File("u"));
    job.Options.TitleLines = job.Options.ColumnHeaders = false;
    EXPECT_EQ(Export(l, job).Bytes, "\xC3\xA9t\xC3\xA9\r\n\xE2\x82\xAC \xE4\xB8\xAD\r\n");
    job.Options.Type = kTypeExcel;
    const TSheet sheet = ReadExcelSheet(Export(l, job).Bytes);
    EXPECT_EQ(sheet.at({1, 1}).Text, "\xE9t\xE9");
    EXPECT_EQ(sheet.at({2, 1}).Text, "\x80 ?");
}
