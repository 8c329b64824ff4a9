// The export of a listing to a file, run without a window: comma-separated, tab-separated and
// fixed-column text, Excel and Lotus worksheets. The Export Data dialog fills a TExportJob and runs
// a TDataExporter inside its progress window; tests run it directly.
//
// What is exported is what the list shows: the visible columns in display order, the rows in list
// order, through TExportListing (which the listing layer implements over its column catalogue).
// Numbers in comma- and tab-separated files do not follow the locale ("." as decimal mark, no
// grouping), so that other programs read them; fixed-column files are read by people and show
// sizes and counts as the list does, with the locale's separators.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace exportdata {

// File types, as the dialog's combo box lists them and the settings store them.
enum : int { kTypeExcel = 0, kTypeLotus = 1, kTypeCsv = 2, kTypeTab = 3, kTypeFixed = 4 };
// Size units of byte-size columns, as the settings store them.
enum : int { kUnitBytes = 1, kUnitKB = 2, kUnitMB = 3, kUnitGB = 4 };
// Column kinds of the catalogue.
enum : int { kKindText = 0, kKindSize = 1, kKindPercent = 2, kKindDate = 3, kKindCount = 4 };
// Who asks for the export: only the main list marks partly explored folders.
enum : int { kListMain = 0, kListAnalyser = 1, kListFileLister = 2 };

struct TExportOptions {
    int Type = kTypeExcel;
    bool TitleLines = true;
    bool ColumnHeaders = true;
    bool Totals = true;       // TOTAL rows (and, in fixed columns, their separator line) when available
    bool QuoteAll = false;    // CSV: every non-empty value in double quotes
    bool EmptyQuoted = false; // CSV: an empty value as ""
    int SizeUnit = kUnitBytes;
};

// One visible column: its catalogue id, header text, alignment (0 left, 1 right, 2 centre) and kind.
struct TExportColumn {
    int ID = -1;
    std::string Caption;
    int Alignment = 0;
    int Kind = kKindText;
};

enum class TRowClass { Normal, Separator, Total };

// The rows and visible columns of a list, read through the listing's own cell functions.
// column is the display position among the visible columns; row the position in list order.
class TExportListing {
public:
    virtual ~TExportListing() = default;
    [[nodiscard]] virtual int RowCount() const = 0;
    [[nodiscard]] virtual int ColumnCount() const = 0;
    [[nodiscard]] virtual TExportColumn Column(int column) const = 0;
    [[nodiscard]] virtual std::string CellText(int column, int row) const = 0;
    [[nodiscard]] virtual bool IsInt64Cell(int column, int row) const = 0;
    [[nodiscard]] virtual std::int64_t Int64Value(int column, int row) const = 0;
    [[nodiscard]] virtual bool IsFloatCell(int column, int row) const = 0;
    [[nodiscard]] virtual double FloatValue(int column, int row) const = 0;
    // Analyser separator and TOTAL rows; Normal for everything else.
    [[nodiscard]] virtual TRowClass RowClass(int row) const = 0;
    // A folder that is not explored itself but holds explored content.
    [[nodiscard]] virtual bool IsPartialFolder(int row) const = 0;
};

// Steps and the cancel flag of the window the export runs in.
class TExportProgress {
public:
    virtual ~TExportProgress() = default;
    virtual void SetMax(std::int64_t max) = 0;
    virtual void Step() = 0;
    [[nodiscard]] virtual bool Cancelled() = 0;
    virtual void SetResult(int result) = 0;
};

// Runs with no window at all: never cancelled.
class TNoProgress : public TExportProgress {
public:
    void SetMax(std::int64_t) override {}
    void Step() override {}
    bool Cancelled() override { return false; }
    void SetResult(int) override {}
};

enum class TMessageIcon { Information, Exclamation, Error };
struct TExportMessage {
    std::string Text; // line breaks are "\n\r"
    std::string Caption;
    TMessageIcon Icon = TMessageIcon::Information;
};
using TMessageSink = std::function<void(const TExportMessage&)>;

struct TExportJob {
    int Kind = kListMain;
    std::string ListTitle;   // shown as ListTitle + " of"
    std::string ListSubject; // a path, possibly followed by " **"
    bool TotalsAvailable = false;
    std::string FileName;
    TExportOptions Options;
    std::string DateTimeText; // the first title line; the current date and time when empty
};

// Message texts and captions of the export.
inline constexpr const char* kMsgCancelled = "Operation cancelled.";
inline constexpr const char* kMsgSuccess = "File generated succesfully !";
inline constexpr const char* kMsgFileError = "Unable to generate file due to a file error !";

class TDataExporter {
public:
    // Nothing is owned; listing, progress and show must outlive Run.
    TDataExporter(const TExportListing& listing, TExportJob job, TExportProgress& progress,
                  TMessageSink show);

    // Writes the file of the job's type and shows its outcome. 1 when the file was written, 2 when
    // not (an error, a cancel, or a worksheet refused). An existing file is replaced only on success.
    int Run();

    // The refusal of a worksheet type whose rows the listing outgrows, or none. Checked by Run before
    // any file is made, and by the dialog before it asks for a file name.
    [[nodiscard]] std::optional<TExportMessage> RowLimitRefusal() const;
    // The worksheet rows the export uses (title, headers, data rows with their separator rows).
    [[nodiscard]] int WorksheetRowsNeeded() const;

    // Helpers of the cell values, exposed for tests.
    // Text padded to width characters: alignment code 1 centre, 2 right, other left; nothing cut.
    [[nodiscard]] static std::string Pad(const std::string& text, int width, int code);
    // The quoting of a CSV value.
    [[nodiscard]] static std::string QuoteCsv(const std::string& value, bool quoteAll, bool emptyQuoted);
    // The catalogue alignment (0 left, 1 right, 2 centre) as a padding and label code.
    [[nodiscard]] static int AlignmentCode(int alignment) {
        return alignment == 1 ? 2 : alignment == 2 ? 1 : 0;
    }

private:
    int RunText();
    int RunSpreadSheet();
    bool Exported(int row) const; // false for rows that never make a line or a worksheet row
    std::string FirstCell(int row) const;
    std::string TextValue(int column, int row) const; // the cell of a text file, before quoting
    std::string TextField(const std::string& value) const;
    std::string UnitSuffix(const TExportColumn& column) const;
    std::string TitleDate() const;
    void Show(const std::string& text, const char* caption, TMessageIcon icon) const;
    void ShowCreateError(int code) const;

    const TExportListing& FListing;
    TExportJob FJob;
    TExportProgress& FProgress;
    TMessageSink FShow;
    std::vector<TExportColumn> FColumns;
};

} // namespace exportdata
