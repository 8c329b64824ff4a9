#include "analyser/UAnalyserReports.h"

#include "analyser/UAnalyserCustomReport.h"
#include "model/UConvertHelp.h"
#include "model/UDisplayText.h"
#include "model/UItem.h"
#include "model/UProgressManager.h"

#include <algorithm>
#include <cstdio>

namespace analyser {

TAnalyserReports::TAnalyserReports()
    : SizeGroup(std::make_unique<TAnalyserSizeGroup>()), AttrGroup(std::make_unique<TAnalyserAttrGroup>()),
      ExtGroup(std::make_unique<TAnalyserExtGroup>()), TimeGroup(std::make_unique<TAnalyserTimeGroup>()),
      TypeGroup(std::make_unique<TAnalyserTypeGroup>()), FoldGroup(std::make_unique<TAnalyserFoldGroup>()) {
    DateGroups[0] = std::make_unique<TAnalyserDate0Group>();
    DateGroups[1] = std::make_unique<TAnalyserDate1Group>();
    DateGroups[2] = std::make_unique<TAnalyserDate2Group>();
    DateGroups[3] = std::make_unique<TAnalyserDate3Group>();
    DateGroups[4] = std::make_unique<TAnalyserDate4Group>();
    DateGroups[5] = std::make_unique<TAnalyserDate5Group>();
}

namespace {

bool UsableDefinition(const std::string& definition) {
    std::string name;
    std::vector<std::string> items;
    return ParseReportDefinition(definition, name, items);
}

template <class TGroup>
void SetReports(std::vector<std::unique_ptr<TGroup>>& list, const std::vector<std::string>& definitions,
                int kind) {
    // Freed last to first, as they were made first to last.
    while (!list.empty())
        list.pop_back();
    for (const auto& d : definitions)
        if (UsableDefinition(d)) list.push_back(std::make_unique<TGroup>(d));
    if (list.empty()) list.push_back(std::make_unique<TGroup>(DefaultReportDefinition(kind)));
}

template <class TGroup>
std::vector<std::string> Definitions(const std::vector<std::unique_ptr<TGroup>>& list) {
    std::vector<std::string> out;
    for (const auto& g : list)
        out.push_back(g->Definition());
    return out;
}

} // namespace

void TAnalyserReports::SetExtReports(const std::vector<std::string>& definitions) {
    SetReports(ExtReports, definitions, kExtensionReport);
}
void TAnalyserReports::SetTypeReports(const std::vector<std::string>& definitions) {
    SetReports(TypeReports, definitions, kTypeReport);
}
std::vector<std::string> TAnalyserReports::ExtDefinitions() const {
    return Definitions(ExtReports);
}
std::vector<std::string> TAnalyserReports::TypeDefinitions() const {
    return Definitions(TypeReports);
}

void TAnalyserReports::SetReferenceTime(TDateTime now) {
    TimeGroup->SetReferenceDate(now);
    for (auto& g : DateGroups)
        g->SetReferenceDate(now);
}

void TAnalyserReports::ResetGroups() {
    SizeGroup->Reset();
    AttrGroup->Reset();
    ExtGroup->Reset();
    TimeGroup->Reset();
    TypeGroup->Reset();
    FoldGroup->Reset();
    for (auto& g : DateGroups)
        g->Reset();
    for (auto it = ExtReports.rbegin(); it != ExtReports.rend(); ++it)
        (*it)->Reset();
    for (auto it = TypeReports.rbegin(); it != TypeReports.rend(); ++it)
        (*it)->Reset();
}

bool TAnalyserReports::AddFolderFiles(const model::TFolderItem& top, model::TProgressManager& progress) {
    if (progress.Cancelled()) return false;
    // Depth first in child order, with a stack of our own (a tree may be any number of levels deep).
    std::vector<std::pair<const model::TFolderItem*, int>> stack{{&top, 0}};
    while (!stack.empty()) {
        auto& [folder, next] = stack.back();
        if (next >= folder->ChildCount()) {
            stack.pop_back();
            continue;
        }
        model::TItem* child = folder->Child(next++);
        if (child->IsFolder()) {
            if (progress.Cancelled()) return false;
            stack.emplace_back(static_cast<const model::TFolderItem*>(child), 0);
            continue;
        }
        const auto* file = dynamic_cast<const model::TFileItem*>(child);
        if (!file) continue;
        progress.Step();
        if (progress.Cancelled()) return false;
        // Every grouping at once, the hidden date groupings and reports too, so that switching
        // what is shown needs no new walk.
        SizeGroup->AddItem(*file);
        AttrGroup->AddItem(*file);
        ExtGroup->AddItem(*file);
        TimeGroup->AddItem(*file);
        TypeGroup->AddItem(*file);
        for (auto& g : DateGroups)
            g->AddItem(*file);
        for (auto it = ExtReports.rbegin(); it != ExtReports.rend(); ++it)
            (*it)->AddItem(*file);
        for (auto it = TypeReports.rbegin(); it != TypeReports.rend(); ++it)
            (*it)->AddItem(*file);
    }
    return true;
}

void TAnalyserReports::BuildFolderReport(const model::TFolderItem& folder) {
    std::int64_t count = 0;
    std::int64_t size = 0;
    const int n = folder.ChildCount();
    for (int i = 0; i < n; ++i) {
        const model::TItem* child = folder.Child(i);
        if (child->IsFolder()) {
            FoldGroup->AddFolder(child->Name(), child->GetFileCount(), child->GetSize());
        } else {
            ++count;
            size += child->GetSize();
        }
    }
    FoldGroup->AddCurrentFolder(count, size);
}

bool TAnalyserReports::Generate(const model::TFolderItem& folder, model::TProgressManager& progress) {
    progress.SetMax(folder.FileCount());
    ResetGroups();
    if (!AddFolderFiles(folder, progress)) return false;
    BuildFolderReport(folder);
    return true;
}

TAnalyserDataGroup* TAnalyserReports::GroupOfSheet(int sheet, int dateIndex, int extIndex,
                                                   int typeIndex) const {
    switch (sheet) {
    case kSheetFolders:
        return FoldGroup.get();
    case kSheetSize:
        return SizeGroup.get();
    case kSheetDate:
        return DateGroups[dateIndex >= 1 && dateIndex <= 5 ? dateIndex : 0].get();
    case kSheetTime:
        return TimeGroup.get();
    case kSheetAttr:
        return AttrGroup.get();
    case kSheetExt:
        return ExtGroup.get();
    case kSheetType:
        return TypeGroup.get();
    case kSheetCusExt:
        return extIndex >= 0 && extIndex < static_cast<int>(ExtReports.size()) ? ExtReports[extIndex].get()
                                                                               : nullptr;
    case kSheetCusType:
        return typeIndex >= 0 && typeIndex < static_cast<int>(TypeReports.size())
                   ? TypeReports[typeIndex].get()
                   : nullptr;
    default:
        return nullptr;
    }
}

bool SheetHasTotals(int sheet) {
    return sheet != kSheetAttr && sheet != kSheetCusExt && sheet != kSheetCusType;
}

void FillRowList(TRowList& rows, const TAnalyserDataGroup* group, bool withTotals) {
    rows.clear();
    if (!group) return;
    rows.reserve(static_cast<size_t>(group->RowCount()) + 2);
    for (int i = 0; i < group->RowCount(); ++i)
        rows.push_back(group->GetRow(i));
    if (withTotals) {
        rows.push_back(group->Separator());
        rows.push_back(group->Total());
    }
}

void SortRowsByCode(TRowList& rows, int sortCode) {
    SortAnalyserRows(rows, AnalyserCompareOfSortCode(sortCode));
}

int NextSortCode(int currentCode, int tag) {
    const int code = tag * 2;
    return code == currentCode ? code + 1 : code;
}

namespace {
char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWithNoCase(const std::string& name, const std::string& prefix) {
    if (name.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Upper(name[i]) != Upper(prefix[i])) return false;
    return true;
}
} // namespace

int FindRowByPrefix(const TRowList& rows, const std::string& text, int start, bool wrap) {
    const int n = static_cast<int>(rows.size());
    if (start < 0) start = 0;
    for (int i = start; i < n; ++i)
        if (StartsWithNoCase(rows[static_cast<size_t>(i)]->Name(), text)) return i;
    if (wrap && start > 0)
        for (int i = 0; i < start && i < n; ++i)
            if (StartsWithNoCase(rows[static_cast<size_t>(i)]->Name(), text)) return i;
    return -1;
}

std::string PartialSuffix(const model::TFolderItem& folder) {
    return !folder.IsExplored() && folder.HasExploredContent() ? " **" : "";
}

std::string ShownPath(const std::string& path) {
    return path.size() <= 40 ? path : model::ShortenPath(path, 40);
}

double ScaledSize(std::int64_t bytes, int unit) {
    switch (unit) {
    case 1:
        return static_cast<double>(bytes / 1024);
    case 2:
        return static_cast<double>(bytes / (1024 * 1024));
    case 3:
        return static_cast<double>(bytes / (1024LL * 1024 * 1024));
    default:
        return static_cast<double>(bytes);
    }
}

std::string UnitText(int unit) {
    switch (unit) {
    case 1:
        return "(KB)";
    case 2:
        return "(MB)";
    case 3:
        return "(GB)";
    default:
        return "(B)";
    }
}

std::string ValueTitle(bool files, int unit) {
    return files ? "Number of files" : "Space used " + UnitText(unit);
}

namespace {

bool IsOrdinary(const TAnalyserBaseData* row) {
    return row && !IsTotalRow(row) && !IsSeparatorRow(row);
}

double ValueOf(const TAnalyserData& row, int kind, const TChartStyle& style) {
    return style.Files ? static_cast<double>(row.GetCount(kind)) : ScaledSize(row.GetSize(kind), style.Unit);
}

TChartColor DataColor(const TChartStyle& style, int i) {
    return i >= 0 && i < 14 ? style.Colors.Data[static_cast<size_t>(i)] : kChartDefaultColor;
}

TChartSeries& ClearedSeries(TChart& chart, int i, TSeriesKind kind) {
    while (chart.SeriesCount() <= i)
        chart.AddSeries(kind, "", kChartDefaultColor);
    TChartSeries& s = *chart.Series(i);
    s.Clear();
    return s;
}

// The sum, over the entries from the 11th ordinary row to the last, of the value drawn; the
// count is summed in 64 bits, the size scaled once at the end.
double OthersValue(const TRowList& rows, const TChartStyle& style) {
    std::int64_t sum = 0;
    const size_t n = rows.size();
    for (size_t i = 10; i + 2 < n; ++i) {
        const auto* row = dynamic_cast<const TAnalyserData*>(rows[i]);
        if (!row || !IsOrdinary(row)) continue;
        sum += style.Files ? row->GetCount1() : row->GetSize1();
    }
    return style.Files ? static_cast<double>(sum) : ScaledSize(sum, style.Unit);
}

void AddTopRows(TChartSeries& series, const TRowList& rows, int ordinaryCount, const TChartStyle& style) {
    for (int i = 9; i >= 0; --i) {
        if (i >= ordinaryCount) continue;
        auto* row = dynamic_cast<TAnalyserData*>(rows[static_cast<size_t>(i)]);
        if (!row || !IsOrdinary(row)) continue;
        series.Add(ValueOf(*row, 1, style), row->Name(), DataColor(style, i));
    }
}

} // namespace

void DesignChart(TChart& chart, int sheet) {
    switch (sheet) {
    case kSheetFolders: {
        auto* s = chart.AddSeries(TSeriesKind::Pie, "", kChartDefaultColor);
        s->ShowMarks = true;
        chart.View3D = true;
        break;
    }
    case kSheetDate:
        chart.AddSeries(TSeriesKind::HorizBar, "Creation Date", 0);
        chart.AddSeries(TSeriesKind::HorizBar, "Last Write Date", 0);
        chart.AddSeries(TSeriesKind::HorizBar, "Last Access Date", 0);
        break;
    case kSheetTime:
        chart.AddSeries(TSeriesKind::Bar, "Creation Time", 0);
        chart.AddSeries(TSeriesKind::Bar, "Last Write Time", 0);
        chart.AddSeries(TSeriesKind::Bar, "Last Access Time", 0)->FormatValues = false;
        chart.BottomAxisTitle = "Time of day";
        break;
    default:
        chart.AddSeries(TSeriesKind::HorizBar, "", kChartDefaultColor);
        break;
    }
    chart.LegendReversed = sheet != kSheetTime;
}

void ApplyChartColors(TChart& chart, const TChartColors& colors) {
    chart.Color = colors.Background;
    chart.TitleColor = colors.Title;
    chart.GradientVisible = colors.BackgroundGradient;
    chart.GradientEndColor = colors.Background;
    for (int i = 0; i < chart.SeriesCount(); ++i)
        chart.Series(i)->GradientBars = colors.DataGradient;
}

void DrawRangeChart(TChart& chart, const TAnalyserDataGroup& group, const TChartStyle& style) {
    TChartSeries& s = ClearedSeries(chart, 0, TSeriesKind::HorizBar);
    for (int i = group.RowCount() - 1; i >= 0; --i) {
        const TAnalyserData& row = *group.GetRow(i);
        s.Add(ValueOf(row, 1, style), row.Name(), DataColor(style, i));
    }
    chart.BottomAxisTitle = ValueTitle(style.Files, style.Unit);
}

void DrawTopChart(TChart& chart, TRowList& rows, bool showOthers, int sortCode, const TChartStyle& style) {
    TChartSeries& s = ClearedSeries(chart, 0, TSeriesKind::HorizBar);
    const int n = static_cast<int>(rows.size());
    SortRowsAsChart(rows, style.Files);
    if (n - 2 > 10 && showOthers)
        s.Add(OthersValue(rows, style), "All others", DataColor(style, kOthersColor));
    AddTopRows(s, rows, n - 2, style);
    SortRowsByCode(rows, sortCode);
    chart.BottomAxisTitle = ValueTitle(style.Files, style.Unit);
}

void DrawCustomChart(TChart& chart, TRowList& rows, int sortCode, const TChartStyle& style) {
    TChartSeries& s = ClearedSeries(chart, 0, TSeriesKind::HorizBar);
    SortRowsAsChart(rows, style.Files);
    AddTopRows(s, rows, static_cast<int>(rows.size()), style);
    SortRowsByCode(rows, sortCode);
    chart.BottomAxisTitle = ValueTitle(style.Files, style.Unit);
}

namespace {
void DrawKindSeries(TChart& chart, const TAnalyserDataGroup& group, int first, int last, int step,
                    TSeriesKind kind, const TChartStyle& style) {
    for (int k = 0; k < 3; ++k) {
        TChartSeries& s = ClearedSeries(chart, k, kind);
        s.Color = style.Colors.Data[static_cast<size_t>(k)];
    }
    for (int j = first; step > 0 ? j <= last : j >= last; j += step) {
        if (j < 0 || j >= group.RowCount()) continue;
        const TAnalyserData& row = *group.GetRow(j);
        for (int k = 0; k < 3; ++k)
            chart.Series(k)->Add(ValueOf(row, k + 1, style), row.Name());
    }
}
} // namespace

void DrawDateChart(TChart& chart, const TAnalyserDataGroup& group, bool showOther, const TChartStyle& style) {
    const int r = group.RowCount();
    DrawKindSeries(chart, group, showOther ? r - 1 : r - 2, 0, -1, TSeriesKind::HorizBar, style);
    chart.BottomAxisTitle = ValueTitle(style.Files, style.Unit);
}

void DrawTimeChart(TChart& chart, const TAnalyserDataGroup& group, const TChartStyle& style) {
    DrawKindSeries(chart, group, 0, 23, 1, TSeriesKind::Bar, style);
    chart.LeftAxisTitle = ValueTitle(style.Files, style.Unit);
    chart.BottomAxisTitle = "Time of day";
}

std::string PieLabel(const std::string& name, bool cut, bool showPercent, double value, double total) {
    std::string label = cut ? model::ShortenName(name, 13) : model::DisplayUtf8(name);
    if (!showPercent) return label;
    if (total == 0) return "(0%) " + label;
    char buf[64];
    std::snprintf(buf, sizeof buf, "(%.0f%%) ", value * 100.0 / total);
    return buf + label;
}

void DrawFolderPie(TChart& chart, TRowList& rows, const TAnalyserDataGroup& group, bool showPercent,
                   int sortCode, const TChartStyle& style) {
    const TAnalyserTotalData& total = *group.Total();
    const double t = static_cast<double>(style.Files ? total.GetCount1() : total.GetSize1());
    TChartSeries& s = ClearedSeries(chart, 0, TSeriesKind::Pie);
    SortRowsAsChart(rows, style.Files);
    const int n = static_cast<int>(rows.size());
    auto raw = [&](const TAnalyserData& row) {
        return static_cast<double>(style.Files ? row.GetCount1() : row.GetSize1());
    };
    if (n - 2 > 10) {
        std::int64_t sum = 0;
        for (int i = 10; i < n - 2; ++i)
            if (auto* row = dynamic_cast<TAnalyserData*>(rows[static_cast<size_t>(i)]);
                row && IsOrdinary(row))
                sum += style.Files ? row->GetCount1() : row->GetSize1();
        const double value = style.Files ? static_cast<double>(sum) : ScaledSize(sum, style.Unit);
        s.Add(value, PieLabel("All others", false, showPercent, static_cast<double>(sum), t),
              DataColor(style, kOthersColor));
    }
    for (int i = 9; i >= 0; --i) {
        if (i >= n - 2) continue;
        auto* row = dynamic_cast<TAnalyserData*>(rows[static_cast<size_t>(i)]);
        if (!row || !IsOrdinary(row)) continue;
        s.Add(ValueOf(*row, 1, style), PieLabel(row->Name(), true, showPercent, raw(*row), t),
              DataColor(style, i));
    }
    SortRowsByCode(rows, sortCode);
    const std::string title = ValueTitle(style.Files, style.Unit);
    chart.BottomAxisTitle = title;
    chart.Foot = {title};
}

void SortRowsAsChart(TRowList& rows, bool files) {
    SortAnalyserRows(rows, files ? CompareAnalyserByCount1Desc : CompareAnalyserBySize1Desc);
}

TAnalyserData* RowOfChartPoint(const TRowList& rows, int pointCount, int pointIndex) {
    const int entry = pointCount - pointIndex - 1;
    if (pointIndex < 0 || entry < 0 || entry >= static_cast<int>(rows.size())) return nullptr;
    TAnalyserBaseData* row = rows[static_cast<size_t>(entry)];
    return IsOrdinary(row) ? dynamic_cast<TAnalyserData*>(row) : nullptr;
}

int ListerModeOfSeriesTitle(const std::string& title) {
    if (title == "Last Write Date" || title == "Last Write Time") return 3;
    if (title == "Last Access Date" || title == "Last Access Time") return 4;
    return 2;
}

int ListerModeOfColumns(const std::vector<int>& visibleIds) {
    bool c = false, w = false, a = false;
    for (int id : visibleIds) {
        c = c || (id >= 57 && id <= 64);
        w = w || (id >= 65 && id <= 68);
        a = a || (id >= 69 && id <= 72);
    }
    if (c && w && a) return 8;
    if (c && w) return 5;
    if (c && a) return 6;
    if (w && a) return 7;
    if (c) return 2;
    if (a) return 4;
    return 3;
}

} // namespace analyser
