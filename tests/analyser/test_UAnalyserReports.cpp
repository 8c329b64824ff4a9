#include "analyser/UAnalyserReports.h"

#include "analyser/UAnalyserCustomReport.h"
#include "model/UItem.h"
#include "model/UProgressManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace analyser;
using model::TFileItem;
using model::TFolderItem;

namespace {

// A hand-built tree below "/data/".
struct TTree {
    std::unique_ptr<model::TTopItem> top = std::make_unique<model::TTopItem>("/data/", nullptr);
    TTree() { top->SetExplored(true); }
    TFolderItem* Folder(TFolderItem* parent, const std::string& name) {
        auto* f = model::NewItem<TFolderItem>(name, parent);
        parent->AddChild(f);
        f->SetExplored(true);
        return f;
    }
    TFileItem* File(TFolderItem* parent, const std::string& name, std::int64_t size) {
        auto* f = model::NewItem<TFileItem>(name, parent);
        parent->AddChild(f);
        f->SetSize(size);
        return f;
    }
    void Done() { top->ComputeTotals(); }
};

// Cancels at the given SetPosition call (0: from the start).
class TCancelView : public model::TProgressView {
public:
    explicit TCancelView(int at) : FAt(at) {}
    void SetGaugeMax(int) override {}
    void SetPosition(int) override { ++Positions; }
    void Pump() override {}
    [[nodiscard]] bool Cancelled() const override { return Positions >= FAt; }
    void SetResult(int) override {}
    int Positions = 0;

private:
    int FAt;
};

std::string D(std::initializer_list<const char*> tokens) {
    std::string s;
    for (const char* t : tokens)
        (s += t) += kDefinitionEnd;
    return s;
}

std::vector<std::string> Labels(const TChartSeries& s) {
    std::vector<std::string> out;
    for (int i = 0; i < s.Count(); ++i)
        out.push_back(s.Point(i).Label);
    return out;
}

TChartStyle Files() {
    return TChartStyle{};
}
TChartStyle Space(int unit) {
    TChartStyle s;
    s.Files = false;
    s.Unit = unit;
    return s;
}

} // namespace

TEST(AnalyserReports, OneWalkFeedsEveryGroupingAndTheFolderReport) {
    TTree t;
    t.File(t.top.get(), "a.txt", 100);
    t.File(t.top.get(), "b.TXT", 200);
    t.File(t.top.get(), "c.jpg", 5000);
    TFolderItem* docs = t.Folder(t.top.get(), "docs");
    t.File(docs, "d.doc", 10);
    TFolderItem* deep = t.Folder(docs, "deep");
    t.File(deep, "e.doc", 20);
    t.File(deep, "f", 30);
    t.Folder(t.top.get(), "empty");
    t.Done();

    TAnalyserReports r;
    r.SetExtReports({});
    r.SetTypeReports({});
    model::TProgressManager progress;
    ASSERT_TRUE(r.Generate(*t.top, progress));
    EXPECT_EQ(progress.Position(), 6);
    EXPECT_EQ(r.SizeGroup->Total()->GetCount1(), 6);
    EXPECT_EQ(r.SizeGroup->Total()->GetSize1(), 5360);
    for (auto& g : r.DateGroups)
        EXPECT_EQ(g->Total()->GetCount2(), 6);
    EXPECT_EQ(r.ExtGroup->RowCount(), 4); // .TXT, .JPG, .DOC, none
    EXPECT_EQ(r.ExtGroup->FindRow(r.ExtGroup->FindKeyOfName(".TXT"))->GetCount1(), 2);
    // The default extension report lists .JPG, .EXE, .DLL, .MP3, .DOC.
    EXPECT_EQ(r.ExtReports.front()->GetRow(0)->GetCount1(), 1);
    EXPECT_EQ(r.ExtReports.front()->GetRow(4)->GetCount1(), 2);

    // Folders: one row per subfolder with its whole subtree, then "Current Folder".
    ASSERT_EQ(r.FoldGroup->RowCount(), 3);
    EXPECT_EQ(r.FoldGroup->GetRow(0)->Name(), "docs");
    EXPECT_EQ(r.FoldGroup->GetRow(0)->GetCount1(), 3);
    EXPECT_EQ(r.FoldGroup->GetRow(0)->GetSize1(), 60);
    EXPECT_EQ(r.FoldGroup->GetRow(1)->GetCount1(), 0);
    const TAnalyserData* current = r.FoldGroup->FindRow(r.FoldGroup->CurrentFolderKey());
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->Name(), "Current Folder");
    EXPECT_EQ(current->GetCount1(), 3);
    EXPECT_EQ(current->GetSize1(), 5300);

    // A second generation starts from zero.
    ASSERT_TRUE(r.Generate(*docs, progress));
    EXPECT_EQ(r.SizeGroup->Total()->GetCount1(), 3);
    EXPECT_EQ(r.FoldGroup->RowCount(), 2);
}

TEST(AnalyserReports, FolderWithoutFilesKeepsFixedRowsAndItsFolderRows) {
    TTree t;
    TFolderItem* a = t.Folder(t.top.get(), "a");
    t.File(a, "x.bin", 7);
    t.Folder(t.top.get(), "b");
    t.Done();
    TAnalyserReports r;
    r.SetExtReports({});
    r.SetTypeReports({});
    model::TProgressManager progress;
    ASSERT_TRUE(r.Generate(*t.Folder(t.top.get(), "nothing"), progress));
    TRowList rows;
    FillRowList(rows, r.ExtGroup.get(), SheetHasTotals(kSheetExt));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(IsSeparatorRow(rows[0]));
    EXPECT_TRUE(IsTotalRow(rows[1]));
    FillRowList(rows, r.SizeGroup.get(), true);
    EXPECT_EQ(rows.size(), 15u);
    FillRowList(rows, r.ExtReports.front().get(), SheetHasTotals(kSheetCusExt));
    EXPECT_EQ(rows.size(), 5u); // the five listed extensions, no separator or TOTAL
    ASSERT_EQ(r.FoldGroup->RowCount(), 1);
    EXPECT_EQ(r.FoldGroup->GetRow(0)->GetCount1(), 0);

    // All files below subfolders: "Current Folder" has none.
    ASSERT_TRUE(r.Generate(*t.top, progress));
    EXPECT_EQ(r.FoldGroup->FindRow(r.FoldGroup->CurrentFolderKey())->GetCount1(), 0);
    EXPECT_EQ(r.FoldGroup->FindRow(r.FoldGroup->CurrentFolderKey())->GetSize1(), 0);
    EXPECT_EQ(r.FoldGroup->GetRow(0)->GetSize1(), 7);
}

TEST(AnalyserReports, CancelStopsTheWalkAndBuildsNoFolderReport) {
    TTree t;
    for (int i = 0; i < 6; ++i)
        t.File(t.top.get(), "f" + std::to_string(i) + ".txt", 1);
    t.Done();
    for (int at : {0, 3}) {
        TAnalyserReports r;
        r.SetExtReports({});
        r.SetTypeReports({});
        TCancelView view(at);
        model::TProgressManager progress;
        progress.SetForm(&view);
        EXPECT_FALSE(r.Generate(*t.top, progress));
        const auto counted = r.SizeGroup->Total()->GetCount1();
        if (at == 0)
            EXPECT_EQ(counted, 0);
        else
            EXPECT_TRUE(counted > 0 && counted < 6) << counted;
        EXPECT_EQ(r.FoldGroup->RowCount(), 0);
        progress.SetForm(nullptr);
    }
}

TEST(AnalyserReports, StoredReportsReplaceTheDefaultsAndBadOnesAreSkipped) {
    TAnalyserReports r;
    r.SetExtReports({D({"Pics", ".JPG", ".PNG"}), "no end byte", D({"Code", ".CPP"})});
    ASSERT_EQ(r.ExtReports.size(), 2u);
    EXPECT_EQ(r.ExtReports[1]->ReportName(), "Code");
    EXPECT_EQ(r.ExtDefinitions()[0], D({"Pics", ".JPG", ".PNG"}));
    r.SetTypeReports({"junk"});
    ASSERT_EQ(r.TypeReports.size(), 1u);
    EXPECT_EQ(r.TypeReports[0]->Definition(), DefaultReportDefinition(kTypeReport));
    EXPECT_EQ(r.GroupOfSheet(kSheetCusExt, 0, 1, 0), r.ExtReports[1].get());
    EXPECT_EQ(r.GroupOfSheet(kSheetCusExt, 0, 2, 0), nullptr);
    EXPECT_EQ(r.GroupOfSheet(kSheetDate, 9, 0, 0), r.DateGroups[0].get());
    EXPECT_EQ(r.GroupOfSheet(kSheetDate, 4, 0, 0), r.DateGroups[4].get());
}

namespace {
// An extension group with n extensions, extension i holding n - i files of 1 MB + 512 KB each.
struct TExtFixture {
    TTree t;
    TAnalyserReports r;
    TRowList rows;
    explicit TExtFixture(int n) {
        for (int i = 0; i < n; ++i)
            for (int k = 0; k < n - i; ++k)
                t.File(t.top.get(), "f" + std::to_string(k) + ".E" + std::to_string(i), 1572864);
        t.Done();
        r.SetExtReports({});
        r.SetTypeReports({});
        model::TProgressManager progress;
        r.Generate(*t.top, progress);
        FillRowList(rows, r.ExtGroup.get(), true);
    }
};
} // namespace

TEST(AnalyserCharts, TopTenWithAllOthersOnlyBeyondTenRows) {
    const struct {
        int extensions;
        bool showOthers;
        int points;
        double others;
    } cases[] = {{10, true, 10, -1}, {11, true, 11, 1}, {12, true, 11, 2 + 1}, {50, false, 10, -1}};
    for (const auto& c : cases) {
        TExtFixture f(c.extensions);
        TChart chart;
        DesignChart(chart, kSheetExt);
        const TRowList before = f.rows;
        DrawTopChart(chart, f.rows, c.showOthers, 2 * 54, Files());
        const TChartSeries& s = *chart.Series(0);
        ASSERT_EQ(s.Count(), c.points) << c.extensions;
        if (c.others >= 0) {
            EXPECT_EQ(s.Point(0).Label, "All others");
            EXPECT_EQ(s.Point(0).Value, c.others);
            EXPECT_EQ(s.Point(0).Color, TChartColors{}.Data[13]);
        }
        // The largest comes last, in colour 0; the table keeps its own order.
        EXPECT_EQ(s.Point(s.Count() - 1).Label, ".E0");
        EXPECT_EQ(s.Point(s.Count() - 1).Color, TChartColors{}.Data[0]);
        EXPECT_EQ(s.Point(s.Count() - 1).Value, c.extensions);
        TRowList sortedByName = before;
        SortRowsByCode(sortedByName, 2 * 54);
        EXPECT_EQ(f.rows, sortedByName);
        EXPECT_EQ(chart.BottomAxisTitle, "Number of files");
    }
}

TEST(AnalyserCharts, SpaceIsScaledByTheUnitWithIntegerDivision) {
    TExtFixture f(1);
    TChart chart;
    DesignChart(chart, kSheetExt);
    DrawTopChart(chart, f.rows, true, 0, Space(2));
    ASSERT_EQ(chart.Series(0)->Count(), 1);
    EXPECT_EQ(chart.Series(0)->Point(0).Value, 1);
    EXPECT_EQ(chart.BottomAxisTitle, "Space used (MB)");
    DrawTopChart(chart, f.rows, true, 0, Space(1));
    EXPECT_EQ(chart.Series(0)->Point(0).Value, 1536);
    EXPECT_EQ(chart.BottomAxisTitle, "Space used (KB)");
    EXPECT_EQ(ValueTitle(false, 7), "Space used (B)");
    EXPECT_EQ(ScaledSize(3LL * 1024 * 1024 * 1024 + 5, 3), 3);
    EXPECT_EQ(ScaledSize(1023, 1), 0);
    EXPECT_EQ(ScaledSize(77, 0), 77);
}

TEST(AnalyserCharts, RangeChartRunsFromTheLastRowToTheFirstInGroupColours) {
    TTree t;
    t.File(t.top.get(), "small", 10);
    t.Done();
    TAnalyserReports r;
    model::TProgressManager progress;
    r.Generate(*t.top, progress);
    TChart chart;
    DesignChart(chart, kSheetSize);
    DrawRangeChart(chart, *r.SizeGroup, Files());
    const TChartSeries& s = *chart.Series(0);
    ASSERT_EQ(s.Count(), 13);
    EXPECT_EQ(s.Point(12).Label, r.SizeGroup->GetRow(0)->Name());
    EXPECT_EQ(s.Point(12).Value, 1);
    EXPECT_EQ(s.Point(12).Color, TChartColors{}.Data[0]);
    EXPECT_EQ(s.Point(0).Color, TChartColors{}.Data[12]);
    EXPECT_TRUE(chart.LegendReversed);
}

TEST(AnalyserCharts, DateChartHidesTheOtherRowAndTimeChartRunsForward) {
    TTree t;
    t.File(t.top.get(), "x", 1);
    t.Done();
    TAnalyserReports r;
    r.SetReferenceTime(45000.5);
    model::TProgressManager progress;
    r.Generate(*t.top, progress);
    const TAnalyserDataGroup& months = *r.DateGroups[2];
    TChart chart;
    DesignChart(chart, kSheetDate);
    DrawDateChart(chart, months, true, Files());
    ASSERT_EQ(chart.SeriesCount(), 3);
    EXPECT_EQ(chart.Series(1)->Title, "Last Write Date");
    EXPECT_EQ(chart.Series(0)->Count(), months.RowCount());
    EXPECT_EQ(chart.Series(0)->Point(0).Label, months.GetRow(months.RowCount() - 1)->Name());
    DrawDateChart(chart, months, false, Files());
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(chart.Series(k)->Count(), months.RowCount() - 1);
        EXPECT_EQ(chart.Series(k)->Color, TChartColors{}.Data[static_cast<size_t>(k)]);
    }
    TChart time;
    DesignChart(time, kSheetTime);
    DrawTimeChart(time, *r.TimeGroup, Space(1));
    EXPECT_EQ(time.Series(0)->Count(), 24);
    EXPECT_EQ(time.Series(0)->Point(0).Label, "0h");
    EXPECT_EQ(time.BottomAxisTitle, "Time of day");
    EXPECT_EQ(time.LeftAxisTitle, "Space used (KB)");
    EXPECT_FALSE(time.LegendReversed);
}

TEST(AnalyserCharts, CustomReportDrawsEveryItemAlsoEmptyOnes) {
    TTree t;
    t.File(t.top.get(), "a.JPG", 1);
    t.Done();
    TAnalyserReports r;
    r.SetExtReports({D({"Four", ".JPG", ".PNG", ".GIF", ".BMP"})});
    model::TProgressManager progress;
    r.Generate(*t.top, progress);
    TRowList rows;
    FillRowList(rows, r.ExtReports[0].get(), false);
    TChart chart;
    DesignChart(chart, kSheetCusExt);
    DrawCustomChart(chart, rows, 0, Files());
    ASSERT_EQ(chart.Series(0)->Count(), 4);
    EXPECT_EQ(chart.Series(0)->Point(3).Label, ".JPG");
}

TEST(AnalyserCharts, PieLabelsAreCutAndPrefixedWithTheirShare) {
    EXPECT_EQ(PieLabel("abcdefghijklmn", true, false, 1, 2), "abcdefghijklm...");
    EXPECT_EQ(PieLabel("abcdefghijklm", true, false, 1, 2), "abcdefghijklm");
    EXPECT_EQ(PieLabel("abcdefghijklmn", true, true, 1, 3), "(33%) abcdefghijklm...");
    EXPECT_EQ(PieLabel("All others with a long name", false, true, 0, 0), "(0%) All others with a long name");
    // Names are cut by the characters shown, never inside one: 14 Japanese characters of 3 bytes.
    const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x95\xE3\x82\xA9"
                                 "\xE3\x83\xAB\xE3\x83\x80\xE3\x81\xAE\xE5\x90\x8D\xE5\x89\x8D"
                                 "\xE3\x81\xA7\xE3\x81\x99\xE3\x80\x82\xE3\x80\x82";
    EXPECT_EQ(PieLabel(japanese, true, true, 1, 1), "(100%) " + japanese.substr(0, 39) + "...");
    // A name written on Windows shows as Windows-1252, in the label too.
    EXPECT_EQ(PieLabel("gro\xDF", true, false, 1, 1), "gro\xC3\x9F");
    EXPECT_EQ(PieLabel("Gr\xF6\xDF"
                       "enverteilung!!",
                       true, false, 1, 1),
              "Gr\xC3\xB6\xC3\x9F"
              "enverteil...");

    TTree t;
    t.File(t.top.get(), "zero", 0);
    t.Folder(t.top.get(), "a folder of a long name");
    t.Done();
    TAnalyserReports r;
    model::TProgressManager progress;
    r.Generate(*t.top, progress);
    TRowList rows;
    FillRowList(rows, r.FoldGroup.get(), true);
    TChart chart;
    DesignChart(chart, kSheetFolders);
    DrawFolderPie(chart, rows, *r.FoldGroup, true, 2 * 56, Space(1));
    const auto labels = Labels(*chart.Series(0));
    ASSERT_EQ(labels.size(), 2u);
    for (const auto& l : labels)
        EXPECT_EQ(l.rfind("(0%) ", 0), 0u) << l;
    EXPECT_EQ(chart.Foot, std::vector<std::string>{"Space used (KB)"});
    EXPECT_TRUE(chart.View3D);
}

TEST(AnalyserCharts, PiePointsMapBackToTheirFolderRows) {
    TTree t;
    for (int i = 0; i < 12; ++i) {
        TFolderItem* f = t.Folder(t.top.get(), "d" + std::to_string(i));
        for (int k = 0; k <= i; ++k)
            t.File(f, "x" + std::to_string(k), 1);
    }
    t.Done();
    TAnalyserReports r;
    model::TProgressManager progress;
    r.Generate(*t.top, progress);
    TRowList rows;
    FillRowList(rows, r.FoldGroup.get(), true);
    TChart chart;
    DesignChart(chart, kSheetFolders);
    DrawFolderPie(chart, rows, *r.FoldGroup, false, 2 * 56, Files());
    const TChartSeries& s = *chart.Series(0);
    ASSERT_EQ(s.Count(), 11);
    EXPECT_EQ(s.Point(0).Label, "All others");
    EXPECT_EQ(s.Point(0).Value, 3); // d1 (2 files) + d0 (1) + "Current Folder" (0)
    SortRowsAsChart(rows, true);
    for (int p = 1; p < s.Count(); ++p) {
        const TAnalyserData* row = RowOfChartPoint(rows, s.Count(), p);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->Name(), s.Point(p).Label);
    }
    EXPECT_EQ(RowOfChartPoint(rows, s.Count(), -1), nullptr);
    EXPECT_EQ(RowOfChartPoint(rows, 100, 0), nullptr);
}

TEST(AnalyserTables, HeaderClicksSortUpThenDownThenUp) {
    int code = -1;
    std::vector<int> seen;
    for (int i = 0; i < 3; ++i)
        seen.push_back(code = NextSortCode(code, 58));
    EXPECT_EQ(seen, (std::vector<int>{116, 117, 116}));
    EXPECT_EQ(NextSortCode(117, 57), 114);
}

TEST(AnalyserTables, IncrementalSearchIsAPrefixWithoutCaseAndWraps) {
    TAnalyserExtGroup g;
    for (const char* name : {"abc", "xyz", "ABD", "q", "Ab"})
        g.AddRow(g.RowCount(), name);
    TRowList rows;
    FillRowList(rows, &g, true);
    EXPECT_EQ(FindRowByPrefix(rows, "ab", 0, false), 0);
    EXPECT_EQ(FindRowByPrefix(rows, "ab", 1, false), 2);
    EXPECT_EQ(FindRowByPrefix(rows, "AB", 5, false), -1);
    EXPECT_EQ(FindRowByPrefix(rows, "AB", 5, true), 0);
    EXPECT_EQ(FindRowByPrefix(rows, "zz", 2, true), -1);
    EXPECT_EQ(FindRowByPrefix(rows, "tot", 0, false), 6); // the TOTAL row counts as well
}

TEST(AnalyserTables, ShownPathsAndThePartialMark) {
    const std::string forty(40, 'p');
    EXPECT_EQ(ShownPath(forty), forty);
    const std::string longer = "/" + std::string(20, 'a') + "/" + std::string(20, 'b') + "/";
    EXPECT_LE(ShownPath(longer).size(), 40u);
    EXPECT_NE(ShownPath(longer), longer);

    TTree t;
    TFolderItem* sub = t.Folder(t.top.get(), "s");
    EXPECT_EQ(PartialSuffix(*t.top), "");
    t.top->SetExplored(false);
    EXPECT_EQ(PartialSuffix(*t.top), " **");
    sub->SetExplored(false);
    EXPECT_EQ(PartialSuffix(*t.top), "");
}

TEST(AnalyserTables, ListerModeFollowsTheVisibleDateColumns) {
    const struct {
        std::vector<int> ids;
        int mode;
    } cases[] = {{{57, 65, 69}, 8}, {{58, 66}, 5}, {{59, 70}, 6}, {{67, 71}, 7}, {{61}, 2},
                 {{72}, 4},         {{68}, 3},     {{}, 3},       {{50, 53}, 3}};
    for (const auto& c : cases)
        EXPECT_EQ(ListerModeOfColumns(c.ids), c.mode);
    EXPECT_EQ(ListerModeOfSeriesTitle("Last Write Date"), 3);
    EXPECT_EQ(ListerModeOfSeriesTitle("Last Access Time"), 4);
    EXPECT_EQ(ListerModeOfSeriesTitle("Creation Date"), 2);
    EXPECT_EQ(ListerModeOfSeriesTitle(""), 2);
}
