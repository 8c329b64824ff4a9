// The analyser's reports without a window: the twelve fixed groupings and the custom reports, the
// one walk that feeds them all, the folder report, the row lists behind the tables, and what the
// nine charts show (points, order, labels, colours, values, axis texts).
//
// Sheets (tabs) are numbered 0 Folders, 1 Size, 2 Date, 3 Time, 4 Attributes, 5 Extension,
// 6 Type, 7 Custom Ext., 8 Custom Type everywhere.
#pragma once

#include "analyser/UAnalyserCompare.h"
#include "analyser/UAnalyserData.h"
#include "analyser/UChart.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace model {
class TFolderItem;
class TProgressManager;
} // namespace model

namespace analyser {

inline constexpr int kSheetCount = 9;
enum TSheet : int {
    kSheetFolders = 0,
    kSheetSize = 1,
    kSheetDate = 2,
    kSheetTime = 3,
    kSheetAttr = 4,
    kSheetExt = 5,
    kSheetType = 6,
    kSheetCusExt = 7,
    kSheetCusType = 8
};

// A table's rows: references to rows of a group (not owned), valid until the group's Reset.
using TRowList = std::vector<TAnalyserBaseData*>;

// Chart colours and switches, with the analyser's defaults.
struct TChartColors {
    std::array<TChartColor, 14> Data{0xFF8080, 0x8080FF, 0x80FF80, 0x80FFFF, 0xFF80FF, 0xFFFF80, 0xFFFFFF,
                                     0xFF0000, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF00FF, 0x804000, 0x808080};
    TChartColor Background = 0xC0C0C0;
    TChartColor Title = 0xFF0000;
    bool BackgroundGradient = true;
    bool DataGradient = true;

    bool operator==(const TChartColors&) const = default;
};
// Index of the "All others" colour.
inline constexpr int kOthersColor = 13;

// The groupings of one analyser window and the walk that fills them.
class TAnalyserReports {
public:
    TAnalyserReports(); // the twelve fixed groups, no custom reports
    TAnalyserReports(const TAnalyserReports&) = delete;
    TAnalyserReports& operator=(const TAnalyserReports&) = delete;

    std::unique_ptr<TAnalyserSizeGroup> SizeGroup;
    std::unique_ptr<TAnalyserAttrGroup> AttrGroup;
    std::unique_ptr<TAnalyserExtGroup> ExtGroup;
    std::unique_ptr<TAnalyserTimeGroup> TimeGroup;
    std::unique_ptr<TAnalyserTypeGroup> TypeGroup;
    std::unique_ptr<TAnalyserFoldGroup> FoldGroup;
    std::array<std::unique_ptr<TAnalyserDateTimeGroup>, 6> DateGroups; // days .. progressive
    std::vector<std::unique_ptr<TAnalyserCusExtGroup>> ExtReports;
    std::vector<std::unique_ptr<TAnalyserCusTypeGroup>> TypeReports;

    // Replaces the custom reports by those of the definitions (refused ones are skipped); a list
    // left empty gets the built-in default report of its kind.
    void SetExtReports(const std::vector<std::string>& definitions);
    void SetTypeReports(const std::vector<std::string>& definitions);
    [[nodiscard]] std::vector<std::string> ExtDefinitions() const;
    [[nodiscard]] std::vector<std::string> TypeDefinitions() const;

    // The moment the date and time groupings measure ages from.
    void SetReferenceTime(TDateTime now);
    // Reset of every grouping: fixed ones, then custom extension and type reports last to first.
    void ResetGroups();
    // Every file below folder, recursively in child order, into every file grouping and custom
    // report; one progress step per file. False when the progress window was cancelled (the
    // groups then hold a part of the files). Folders are not counted here.
    bool AddFolderFiles(const model::TFolderItem& folder, model::TProgressManager& progress);
    // The Folders report of folder's direct children and its "Current Folder" row.
    void BuildFolderReport(const model::TFolderItem& folder);
    // The whole analysis: maximum = folder's file count, ResetGroups, the walk, then (when not
    // cancelled) the folder report. False when cancelled.
    bool Generate(const model::TFolderItem& folder, model::TProgressManager& progress);

    // The group a sheet shows: the date grouping of dateIndex (0..5, others 0) on sheet 2, the
    // custom report of the index on sheets 7 and 8 (null outside the list).
    [[nodiscard]] TAnalyserDataGroup* GroupOfSheet(int sheet, int dateIndex, int extIndex,
                                                   int typeIndex) const;
};

// Sheets whose table ends with the separator and TOTAL (all but Attributes and the custom ones).
[[nodiscard]] bool SheetHasTotals(int sheet);
// The rows of group in group order, then separator and TOTAL when withTotals; null group: empty.
void FillRowList(TRowList& rows, const TAnalyserDataGroup* group, bool withTotals);
// Sorts rows by a table's sort code (column id x 2, + 1 descending).
void SortRowsByCode(TRowList& rows, int sortCode);
// The sort code after a click on the column of id tag: ascending first, descending when that
// column is already sorted ascending.
[[nodiscard]] int NextSortCode(int currentCode, int tag);
// The entry to answer an incremental search: the first row from start on (to the end) whose name
// begins with text, ASCII letters compared without case; with wrap, rows 0 .. start - 1 next.
// -1 when none.
[[nodiscard]] int FindRowByPrefix(const TRowList& rows, const std::string& text, int start, bool wrap);

// " **" for a folder that is partly explored (not explored itself, explored content below).
[[nodiscard]] std::string PartialSuffix(const model::TFolderItem& folder);
// The path for chart titles: whole up to 40 characters, shortened to 40 beyond.
[[nodiscard]] std::string ShownPath(const std::string& path);

// Values of "Space used": bytes / 1024^unit (1 KB, 2 MB, 3 GB; bytes for any other unit).
[[nodiscard]] double ScaledSize(std::int64_t bytes, int unit);
// "(KB)", "(MB)", "(GB)", else "(B)".
[[nodiscard]] std::string UnitText(int unit);
// "Number of files", or "Space used " + the unit text.
[[nodiscard]] std::string ValueTitle(bool files, int unit);

// What every chart drawing needs besides its rows.
struct TChartStyle {
    bool Files = true; // "Number of files" checked, else "Space used"
    int Unit = 1;      // the analyser space unit
    TChartColors Colors;
};

// The series of a sheet's chart as designed (titles, kinds, the pie's marks and 3D, legends
// listed from the last point except on Time, "Time of day" on Time's bottom axis).
void DesignChart(TChart& chart, int sheet);
// Background, gradient and title colours, and the bar style of every series.
void ApplyChartColors(TChart& chart, const TChartColors& colors);

// The nine charts. Each clears its series and fills them; top-10 and pie charts sort rows as
// they draw and restore the order of sortCode afterwards.
void DrawRangeChart(TChart& chart, const TAnalyserDataGroup& group, const TChartStyle& style);
void DrawTopChart(TChart& chart, TRowList& rows, bool showOthers, int sortCode, const TChartStyle& style);
void DrawCustomChart(TChart& chart, TRowList& rows, int sortCode, const TChartStyle& style);
// Date (three horizontal series, last row only with showOther) and time (three vertical series,
// rows 0 to 23, the value title on the left axis).
void DrawDateChart(TChart& chart, const TAnalyserDataGroup& group, bool showOther, const TChartStyle& style);
void DrawTimeChart(TChart& chart, const TAnalyserDataGroup& group, const TChartStyle& style);
void DrawFolderPie(TChart& chart, TRowList& rows, const TAnalyserDataGroup& group, bool showPercent,
                   int sortCode, const TChartStyle& style);
// A pie label: the name cut to 13 characters + "..." beyond 13, with "(p%) " before it when
// showPercent (p of value in total, "(0%) " when total is 0).
[[nodiscard]] std::string PieLabel(const std::string& name, bool cut, bool showPercent, double value,
                                   double total);

// The rows in the order the top-10 charts and the pie draw them: count (files) or size of kind 1
// descending, separator and TOTAL last.
void SortRowsAsChart(TRowList& rows, bool files);
// The row-list entry behind point pointIndex of a chart drawn from rows sorted as SortRowsAsChart
// (points run from the last entry drawn to the first); null when none or not an ordinary row.
[[nodiscard]] TAnalyserData* RowOfChartPoint(const TRowList& rows, int pointCount, int pointIndex);

// Series of the range, date and time charts in their chart: the File Lister mode of a click on
// them (3 last write, 4 last access, 2 otherwise).
[[nodiscard]] int ListerModeOfSeriesTitle(const std::string& title);
// The File Lister mode of a table row, from the column ids shown at positions 1 onward.
[[nodiscard]] int ListerModeOfColumns(const std::vector<int>& visibleIds);

} // namespace analyser
