// The File Lister's listing on hand-built trees: modes, expected counts, captions, the top 100,
// stop, sorting, texts, find, deletion to a stand-in trash and removals announced by the tree.
#include "export/UFileLister.h"

#include "analyser/UAnalyserData.h"
#include "model/UConvertHelp.h"
#include "tests/FixtureTree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <sys/stat.h>

using namespace exportdata;
using model::NewItem;
using model::TFileItem;
using model::TFolderItem;
using model::TItem;
using model::TRootItem;

namespace {

TFileItem* AddFile(TFolderItem* parent, const std::string& name, std::int64_t size,
                   std::uint32_t attributes = 0) {
    auto* f = NewItem<TFileItem>(name, parent);
    parent->AddChild(f);
    f->SetSize(size);
    f->SetAttributes(attributes);
    f->SetTypeIndex(0); // no type look-ups in these tests
    return f;
}

TFolderItem* AddFolder(TFolderItem* parent, const std::string& name, bool explored = true) {
    auto* f = NewItem<TFolderItem>(name, parent);
    parent->AddChild(f);
    f->SetExplored(explored);
    return f;
}

std::vector<std::string> Names(const TFileLister& lister) {
    std::vector<std::string> out;
    for (const TItem* item : lister.Listing())
        out.push_back(item->NameString());
    return out;
}

// A grouping whose kinds read letters of the name: kind k classifies "x<k1><k2><k3>..." by the
// digit at position k (a file "a120" is in bucket 1 by kind 1, 2 by kind 2, 0 by kind 3).
class TDigitGroup : public analyser::TAnalyserDataGroup {
public:
    TDigitGroup() : TAnalyserDataGroup("Digits", "Digit Distribution") {
        for (int k = 0; k < 10; ++k)
            AddRow(k, "digit " + std::to_string(k));
        const char* captions[] = {"One", "Two", "Three", "One or two", "One or three", "Two or three", "Any"};
        for (int i = 0; i < 7; ++i)
            SetRestrictionCaption(i, captions[i]);
        SetRestrictionColumn(0, 4);
        SetRestrictionColumn(1, 3);
        SetRestrictionColumn(2, 5);
    }
    int GetIndex(int kind, const TItem& file) override {
        const std::string_view name = file.Name();
        if (kind < 1 || kind > 3 || name.size() <= static_cast<std::size_t>(kind)) return -1;
        const char c = name[static_cast<std::size_t>(kind)];
        return c >= '0' && c <= '9' ? c - '0' : -1;
    }
};

using TClock = model::TPacer::TClock;

// A clock that moves by step at each reading. With a step of the longer pacing interval every
// message check and every count comes due, as the walk's points stand without pacing.
void UseSteppingClock(TFileLister& lister, TClock::duration step = kListerStatusInterval) {
    auto now = std::make_shared<TClock::time_point>();
    lister.Clock = [now, step] { return *now += step; };
}

// A walk whose files take this long each: its points (every 30 files) are closer than the
// pacing intervals.
constexpr auto kFileTime = std::chrono::duration_cast<std::chrono::nanoseconds>(kListerCheckInterval) / 100;
static_assert(kListerPumpEvery * kFileTime < kListerCheckInterval);
void UseFileClock(TFileLister& lister) {
    lister.Clock = [&lister] { return TClock::time_point{} + lister.VisitedCount() * kFileTime; };
}

struct TTree {
    TRootItem root{"My Tessalundrix"};
    TFolderItem* top = nullptr;
    TTree() {
        top = new model::TManualItem("/top", model::kKindFixed, &root);
        root.AddChild(top);
        top->SetExplored(true);
    }
};

// Files f0, f1, ... of sizes 0, 1, ... straight in the top folder.
void AddFlatFiles(TTree& t, int count) {
    for (int i = 0; i < count; ++i)
        AddFile(t.top, "f" + std::to_string(i), i);
    t.root.ComputeTotals();
}

} // namespace

TEST(FileLister, AllFilesOfTwentyNineShowNoIntermediateCount) {
    TTree t;
    TFolderItem* sub = AddFolder(t.top, "sub");
    std::int64_t total = 0;
    for (int i = 0; i < 29; ++i) {
        AddFile(i < 10 ? t.top : sub, "f" + std::to_string(i), 1000 + i);
        total += 1000 + i;
    }
    t.root.ComputeTotals();

    TFileLister lister;
    std::vector<std::string> progress;
    int pumps = 0;
    lister.ProgressChanged = [&] { progress.push_back(lister.ProgressText()); };
    lister.ProcessMessages = [&] { ++pumps; };
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerAll, nullptr, {}));
    lister.Build();

    EXPECT_EQ(progress, std::vector<std::string>{"0/29"});
    EXPECT_EQ(pumps, 0);
    EXPECT_EQ(lister.ListedCount(), 29);
    EXPECT_EQ(lister.TotalSize(), total);
    EXPECT_FALSE(lister.Busy());
    EXPECT_EQ(lister.IdleStatus(), "Total:  29 files    " + model::FormatBytes(total) + " bytes");
    EXPECT_EQ(lister.Listing().front()->NameString(), "f28"); // size descending by default
}

TEST(FileLister, PumpsEveryThirtyVisitedAndShowsEveryThirtyListed) {
    TTree t;
    for (int i = 0; i < 95; ++i)
        AddFile(t.top, "a" + std::to_string(i % 10) + "00" + std::to_string(i), 10);
    t.root.ComputeTotals();
    TDigitGroup group;
    group.AddToRow(1, 3, 10); // the analyser's count: not what the walk finds

    TFileLister lister;
    UseSteppingClock(lister);
    std::vector<std::int64_t> visitedAtPump;
    std::vector<std::string> progress;
    lister.ProcessMessages = [&] { visitedAtPump.push_back(lister.VisitedCount()); };
    lister.ProgressChanged = [&] { progress.push_back(lister.ProgressText()); };
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerAll, nullptr, {}));
    lister.Build();
    EXPECT_EQ(visitedAtPump, (std::vector<std::int64_t>{30, 60, 90}));
    EXPECT_EQ(progress, (std::vector<std::string>{"0/95", "30/95", "60/95", "90/95"}));

    // A bucket lists fewer files, but the walk still pumps by the files it visits.
    visitedAtPump.clear();
    progress.clear();
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerKind1, &group, {3}));
    lister.Build();
    EXPECT_EQ(visitedAtPump, (std::vector<std::int64_t>{30, 60, 90}));
    EXPECT_EQ(progress, std::vector<std::string>{"0/1"});
    EXPECT_EQ(lister.ListedCount(), 10); // a3... files: every tenth
}

TEST(FileLister, ModesListTheirKindsAndExpectTheirCounts) {
    TTree t;
    // Names: letter, then the bucket by kind 1, 2, 3.
    for (const char* name : {"a111", "b122", "c212", "d221", "e333", "f113", "g999"})
        AddFile(t.top, name, 5);
    t.root.ComputeTotals();
    TDigitGroup group;
    for (const TItem* item : t.top->Children())
        group.AddItem(*item);

    struct TCase {
        int mode;
        std::vector<std::string> listed; // by name, ascending
        std::int64_t expected;
        std::string suffix;
    };
    const std::vector<TCase> cases = {
        {kListerKind1, {"a111", "b122", "f113"}, 3, " (One: digit 1)"},
        {kListerKind2, {"a111", "c212", "f113"}, 3, " (Two: digit 1)"},
        {kListerKind3, {"a111", "d221"}, 2, " (Three: digit 1)"},
        {kListerKind12, {"a111", "b122", "c212", "f113"}, 6, " (One or two: digit 1)"},
        {kListerKind13, {"a111", "b122", "d221", "f113"}, 5, " (One or three: digit 1)"},
        {kListerKind23, {"a111", "c212", "d221", "f113"}, 5, " (Two or three: digit 1)"},
        {kListerKind123, {"a111", "b122", "c212", "d221", "f113"}, 8, " (Any: digit 1)"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.mode);
        TFileLister lister;
        ASSERT_TRUE(lister.Setup(t.top, &t.root, c.mode, &group, {1}));
        EXPECT_EQ(lister.RestrictionSuffix(), c.suffix);
        lister.SortCode = 0;
        lister.Build();
        EXPECT_EQ(Names(lister), c.listed);            // a file matching two kinds is listed once...
        EXPECT_EQ(lister.ExpectedCount(), c.expected); // ...and expected once per kind
        EXPECT_EQ(lister.Caption(), "File Lister - /top/" + c.suffix);
        EXPECT_EQ(lister.ExportTitle(), "File Lister" + c.suffix + " listing");
    }
}

TEST(FileLister, RestrictionColumnsFollowTheKinds) {
    TTree t;
    TDigitGroup group;
    std::vector<std::int32_t> ten(10, -1);
    const std::vector<std::pair<int, std::vector<int>>> cases = {
        {kListerKind1, {4}},         {kListerKind2, {3}},     {kListerKind3, {5}},
        {kListerKind12, {4, 3}},     {kListerKind13, {4, 5}}, {kListerKind23, {3, 5}},
        {kListerKind123, {4, 3, 5}}, {kListerAllOthers, {4}},
    };
    for (const auto& [mode, ids] : cases) {
        TFileLister lister;
        ASSERT_TRUE(
            lister.Setup(t.top, &t.root, mode, &group, mode == kListerAllOthers ? ten : std::vector<int>{0}));
        EXPECT_EQ(lister.RestrictionColumns(), ids) << mode;
    }
    TFileLister all;
    ASSERT_TRUE(all.Setup(t.top, &t.root, kListerAll, nullptr, {}));
    EXPECT_TRUE(all.RestrictionColumns().empty());
}

TEST(FileLister, AllOthersSkipsUnusedKeysInFilterAndCount) {
    TTree t;
    for (const char* name : {"a1", "b1", "c2", "d3", "e4", "f5", "g"})
        AddFile(t.top, name, 1);
    t.root.ComputeTotals();
    TDigitGroup group;
    for (const TItem* item : t.top->Children())
        group.AddItem(*item);

    TFileLister lister;
    // Keys 1 and 2 excluded; -1 stands for no row; 42 has no row and counts 0.
    ASSERT_TRUE(
        lister.Setup(t.top, &t.root, kListerAllOthers, &group, {1, -1, 2, 42, -1, -1, -1, -1, -1, -1}));
    EXPECT_EQ(lister.StoredExpected(), 7 - 2 - 1);
    EXPECT_EQ(lister.RestrictionSuffix(), " (One: All others)");
    lister.SortCode = 0;
    lister.Build();
    EXPECT_EQ(Names(lister), (std::vector<std::string>{"d3", "e4", "f5", "g"}));
}

TEST(FileLister, RequirementsOfTheBucketModes) {
    TTree t;
    TDigitGroup group;
    const std::vector<std::int32_t> ten(10, 1);
    TFileLister lister;
    EXPECT_FALSE(lister.Setup(t.top, &t.root, kListerKind1, nullptr, {1}));
    EXPECT_FALSE(lister.Setup(t.top, &t.root, kListerKind2, &group, {}));
    EXPECT_FALSE(lister.Setup(t.top, &t.root, kListerKind123, &group, {1, 2}));
    EXPECT_FALSE(lister.Setup(t.top, &t.root, kListerKind1, &group, {77})); // no such row
    EXPECT_FALSE(lister.Setup(t.top, &t.root, kListerAllOthers, &group, {1}));
    EXPECT_FALSE(lister.Setup(t.top, &t.root, kListerAllOthers, nullptr, ten));
    EXPECT_TRUE(lister.Setup(t.top, &t.root, kListerAllOthers, &group, ten));
    // Modes without buckets take no group and ignore keys; an unknown mode lists nothing.
    EXPECT_TRUE(lister.Setup(t.top, &t.root, kListerBiggest, nullptr, {1, 2, 3}));
    AddFile(t.top, "x", 1);
    t.root.ComputeTotals();
    ASSERT_TRUE(lister.Setup(t.top, &t.root, 55, nullptr, {}));
    lister.Build();
    EXPECT_EQ(lister.ListedCount(), 0);
    EXPECT_EQ(lister.ExpectedCount(), 1);
}

TEST(FileLister, CaptionMarksAPartialFolder) {
    TTree t;
    TFolderItem* partial = AddFolder(t.top, "part", false);
    AddFolder(partial, "deep", true);
    TDigitGroup group;
    TFileLister lister;
    ASSERT_TRUE(lister.Setup(partial, &t.root, kListerAll, nullptr, {}));
    EXPECT_EQ(lister.Caption(), "File Lister - /top/part/ **  ");
    EXPECT_EQ(lister.ExportSubject(), "/top/part/ **");
    ASSERT_TRUE(lister.Setup(partial, &t.root, kListerKind2, &group, {4}));
    EXPECT_EQ(lister.Caption(), "File Lister - /top/part/ **   (Two: digit 4)");
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerAll, nullptr, {}));
    EXPECT_EQ(lister.Caption(), "File Lister - /top/");
    EXPECT_EQ(lister.ExportSubject(), "/top/");
}

TEST(FileLister, TopHundredKeepsTheFirstOfEqualSizes) {
    TTree t;
    TFolderItem* a = AddFolder(t.top, "a");
    TFolderItem* b = AddFolder(t.top, "b");
    // 90 files above the cut, then ten at the 100th size spread over two folders, then filler.
    for (int i = 0; i < 90; ++i)
        AddFile(a, "big" + std::to_string(i), 10000 + i);
    // Names against the walk order, so that the sort's name tie-break cannot pick them.
    for (int i = 0; i < 6; ++i)
        AddFile(a, "z-tie" + std::to_string(i), 500);
    for (int i = 6; i < 10; ++i)
        AddFile(b, "a-tie" + std::to_string(i), 500);
    for (int i = 0; i < 140; ++i)
        AddFile(b, "small" + std::to_string(i), 10 + i);
    AddFile(b, "late-tie", 500);   // equal to entry 100 when met: dropped
    AddFile(b, "huge", 1LL << 40); // larger than entry 1
    AddFile(b, "late-tie2", 500);  // the cut now stands at 500 again: dropped
    t.root.ComputeTotals();

    TFileLister lister;
    int pumps = 0;
    lister.ProcessMessages = [&] { ++pumps; };
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerBiggest, nullptr, {}));
    lister.Build();
    EXPECT_EQ(pumps, 0);
    EXPECT_EQ(lister.ExpectedCount(), 100);
    ASSERT_EQ(lister.ListedCount(), 100);
    const std::vector<std::string> names = Names(lister);
    EXPECT_EQ(names.front(), "huge");
    EXPECT_EQ(names[1], "big89");
    // With "huge" in, the ten ties share the last nine places: the nine met first stay.
    const std::set<std::string> tail(names.end() - 9, names.end());
    EXPECT_EQ(tail, (std::set<std::string>{"z-tie0", "z-tie1", "z-tie2", "z-tie3", "z-tie4", "z-tie5",
                                           "a-tie6", "a-tie7", "a-tie8"}));
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).count("late-tie"), 0u);
}

TEST(FileLister, TopHundredOfFortyListsAllForty) {
    TTree t;
    for (int i = 0; i < 40; ++i)
        AddFile(t.top, "f" + std::to_string(i), -i); // negative sizes compare signed
    t.root.ComputeTotals();
    TFileLister lister;
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerBiggest, nullptr, {}));
    lister.Build();
    EXPECT_EQ(lister.ExpectedCount(), 40);
    EXPECT_EQ(lister.ListedCount(), 40);
    EXPECT_EQ(lister.Listing().front()->NameString(), "f0");
    EXPECT_EQ(lister.Listing().back()->NameString(), "f39");
}

TEST(FileLister, StopEndsEachLevelAtItsNextThirty) {
    TTree t;
    TFolderItem* first = AddFolder(t.top, "first");
    for (int i = 0; i < 40; ++i)
        AddFile(first, "a" + std::to_string(i), 1);
    for (int i = 0; i < 20; ++i)
        AddFile(t.top, "b" + std::to_string(i), 1); // visited 31-50: listed
    TFolderItem* later = AddFolder(t.top, "later"); // returns on entry
    for (int i = 0; i < 10; ++i)
        AddFile(later, "c" + std::to_string(i), 1);
    for (int i = 0; i < 15; ++i)
        AddFile(t.top, "d" + std::to_string(i), 1); // visited 51-60: 10 listed
    t.root.ComputeTotals();

    TFileLister lister;
    UseSteppingClock(lister);
    lister.ProcessMessages = [&] { lister.RequestStop(); };
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerAll, nullptr, {}));
    lister.Build();
    EXPECT_TRUE(lister.StopRequested());
    EXPECT_EQ(lister.ListedCount(), 30 + 20 + 10);
    EXPECT_EQ(lister.IdleStatus(), "Total:  60 files    60 bytes (stopped)");
    // A new build starts afresh.
    lister.ProcessMessages = nullptr;
    lister.Build();
    EXPECT_FALSE(lister.StopRequested());
    EXPECT_EQ(lister.ListedCount(), 85);
}

// Each time in times (from the start of the walk) comes at the first of the walk's points, spacing
// apart, that is an interval after the one before: never sooner, and no point that was due passed by.
void ExpectPaced(const std::vector<TClock::duration>& times, TClock::duration interval,
                 TClock::duration spacing, TClock::duration lastPoint) {
    TClock::duration last{};
    for (TClock::duration t : times) {
        EXPECT_GE(t - last, interval);
        EXPECT_LT(t - spacing - last, interval);
        last = t;
    }
    EXPECT_LT(lastPoint - last, interval);
}

// Files enough for a few counts of the walk on the file clock.
constexpr int kPacedFiles = static_cast<int>(4 * kListerStatusInterval / kFileTime) + 1000;

TEST(FileLister, ChecksAndCountsComeAtMostOncePerInterval) {
    TTree t;
    AddFlatFiles(t, kPacedFiles);
    TFileLister lister;
    UseFileClock(lister);
    auto sinceStart = [&] { return lister.Clock() - TClock::time_point{}; };
    std::vector<TClock::duration> pumps, counts;
    std::string shown;
    lister.ProcessMessages = [&] { pumps.push_back(sinceStart()); };
    lister.ProgressChanged = [&] {
        if (lister.ListedCount() > 0) counts.push_back(sinceStart());
        shown = lister.ProgressText();
    };
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerAll, nullptr, {}));
    lister.Build();
    EXPECT_EQ(lister.ListedCount(), kPacedFiles);
    // The count of the walk's last point is up when the walk ends, whether it came due or not.
    const int lastListed = kPacedFiles - kPacedFiles % kListerPumpEvery;
    EXPECT_EQ(shown, std::to_string(lastListed) + "/" + std::to_string(kPacedFiles));
    ASSERT_FALSE(counts.empty());
    if (counts.back() == kPacedFiles * kFileTime) counts.pop_back(); // shown after the walk

    // Unpaced, each would come at every point (every 30 files).
    const TClock::duration spacing = kListerPumpEvery * kFileTime;
    const TClock::duration lastPoint = (kPacedFiles - kPacedFiles % kListerPumpEvery) * kFileTime;
    EXPECT_GT(pumps.size(), 100u);
    ExpectPaced(pumps, kListerCheckInterval, spacing, lastPoint);
    // A count is taken as its file is added, one file before that file is visited.
    EXPECT_GE(counts.size(), 4u);
    ExpectPaced(counts, kListerStatusInterval, spacing, lastPoint - kFileTime);
}

TEST(FileLister, ACountLeftOutAtTheLastPointIsShownWhenTheWalkEnds) {
    TTree t;
    AddFlatFiles(t, 95);
    TFileLister lister;
    lister.Clock = [] { return TClock::time_point{}; }; // no count ever comes due
    std::vector<std::string> progress;
    lister.ProgressChanged = [&] { progress.push_back(lister.ProgressText()); };
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerAll, nullptr, {}));
    lister.Build();
    EXPECT_EQ(progress, (std::vector<std::string>{"0/95", "90/95"}));
}

TEST(FileLister, StopIsSeenAtTheNextPointWhetherOrNotItPumps) {
    TTree t;
    AddFlatFiles(t, kPacedFiles);
    for (const bool fromPump : {true, false}) {
        // From a pump: Stop pressed during the second one. Not from a pump: set while a count is
        // shown whose next point does not pump; that point ends the walk.
        SCOPED_TRACE(fromPump ? "stop at a pump" : "stop between pumps");
        TFileLister lister;
        UseFileClock(lister);
        int pumps = 0, pumpsAtStop = -1;
        TClock::time_point lastPump{};
        std::int64_t listedAtStop = -1;
        auto stop = [&] {
            lister.RequestStop();
            listedAtStop = lister.ListedCount();
            pumpsAtStop = pumps;
        };
        lister.ProcessMessages = [&] {
            lastPump = lister.Clock();
            if (++pumps == 2 && fromPump) stop();
        };
        lister.ProgressChanged = [&] {
            // The next point is this file's, once it is counted as visited.
            const TClock::time_point next = lister.Clock() + kFileTime;
            if (!fromPump && lister.ListedCount() > 0 && listedAtStop < 0 &&
                next - lastPump < kListerCheckInterval)
                stop();
        };
        ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerAll, nullptr, {}));
        lister.Build();
        EXPECT_TRUE(lister.StopRequested());
        ASSERT_GT(listedAtStop, 0);
        EXPECT_EQ(lister.ListedCount(), listedAtStop);
        EXPECT_EQ(lister.VisitedCount(), listedAtStop);
        EXPECT_EQ(pumps, pumpsAtStop); // no pump after the stop
    }
}

TEST(FileLister, SelectionSumChecksAtMostOncePerInterval) {
    TTree t;
    AddFlatFiles(t, 1000);
    TFileLister lister;
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerAll, nullptr, {}));
    lister.Build();
    // A tenth of the interval per reading: the start, then one at each of the 100 points (rows
    // 990, 980, ... 0).
    UseSteppingClock(lister,
                     std::chrono::duration_cast<std::chrono::microseconds>(kListerCheckInterval) / 10);
    TFileLister::TSelectionSum sum;
    int pumps = 0;
    auto all = [](int) { return true; };
    ASSERT_TRUE(lister.SumSelection(
        all,
        [&] {
            ++pumps;
            return false;
        },
        sum));
    EXPECT_EQ(pumps, 10); // at every tenth point
    EXPECT_EQ(sum.count, 1000);
    EXPECT_EQ(sum.bytes, 999 * 1000 / 2);
    // A click seen at a pump abandons the run there.
    pumps = 0;
    EXPECT_FALSE(lister.SumSelection(
        all,
        [&] {
            ++pumps;
            return true;
        },
        sum));
    EXPECT_EQ(pumps, 1);
}

TEST(FileLister, ColumnClicksFlipTheDirection) {
    TTree t;
    AddFile(t.top, "b", 1)->SetModified(100);
    AddFile(t.top, "C", 3)->SetModified(300);
    AddFile(t.top, "a", 2)->SetModified(200);
    t.root.ComputeTotals();
    TFileLister lister;
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerAll, nullptr, {}));
    lister.SortCode = 0;
    lister.Build();
    EXPECT_EQ(Names(lister), (std::vector<std::string>{"a", "b", "C"}));
    EXPECT_EQ(lister.ClickColumn(1), 2);
    EXPECT_EQ(Names(lister), (std::vector<std::string>{"b", "a", "C"}));
    EXPECT_EQ(lister.ClickColumn(1), 3);
    EXPECT_EQ(Names(lister), (std::vector<std::string>{"C", "a", "b"}));
    EXPECT_EQ(lister.ClickColumn(1), 2);
    // "Modified (real)" sorts by the file's own date, as the listing layer's comparators do.
    EXPECT_EQ(lister.ClickColumn(19), 38);
    EXPECT_EQ(Names(lister), (std::vector<std::string>{"b", "a", "C"}));
    EXPECT_EQ(lister.ClickColumn(19), 39);
    EXPECT_EQ(Names(lister), (std::vector<std::string>{"C", "a", "b"}));
    // A code no column has: names ascending.
    lister.SortCode = 200;
    lister.Sort();
    EXPECT_EQ(Names(lister), (std::vector<std::string>{"a", "b", "C"}));
}

TEST(FileLister, CopyTextsListSelectedRowsFromTheLast) {
    TTree t;
    TFolderItem* sub = AddFolder(t.top, "sub");
    for (int i = 0; i < 7; ++i)
        AddFile(i < 4 ? t.top : sub, "n" + std::to_string(i), 1);
    t.root.ComputeTotals();
    TFileLister lister;
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerAll, nullptr, {}));
    lister.SortCode = 0;
    lister.Build();
    EXPECT_EQ(lister.CopyText({2, 5}, TCopyWhat::FileName), "\n\rn5\n\rn2");
    EXPECT_EQ(lister.CopyText({2, 5}, TCopyWhat::FolderName), "\n\r/top/sub/\n\r/top/");
    EXPECT_EQ(lister.CopyText({5}, TCopyWhat::CompletePath), "/top/sub/n5");
    EXPECT_EQ(lister.CopyText({}, TCopyWhat::FileName), "");
}

TEST(FileLister, FindByPrefixWrapsAround) {
    TTree t;
    const std::vector<std::string> names = {"abc", "x", "AB", "y", "zz",     "q", "r", "s",
                                            "t",   "u", "v",  "w", "aB.txt", "a", "ab"};
    std::int64_t size = 0;
    for (const std::string& n : names)
        AddFile(t.top, n, ++size);
    t.root.ComputeTotals();
    TFileLister lister;
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerAll, nullptr, {}));
    lister.SortCode = 2; // sizes ascending: the order of the names above
    lister.Build();
    ASSERT_EQ(Names(lister), names);
    EXPECT_EQ(lister.Find("ab", 10, true), 12);
    EXPECT_EQ(lister.Find("AB", 13, true), 14);
    EXPECT_EQ(lister.Find("ab", 15, true), 0);
    EXPECT_EQ(lister.Find("zz", 5, true), 4);
    EXPECT_EQ(lister.Find("zz", 5, false), -1);
    EXPECT_EQ(lister.Find("abcd", 0, true), -1);
}

TEST(FileLister, GaugeFillsByListedOverExpected) {
    TTree t;
    for (int i = 0; i < 3; ++i)
        AddFile(t.top, "f" + std::to_string(i), 1);
    t.root.ComputeTotals();
    TFileLister lister;
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerAll, nullptr, {}));
    lister.Build();
    EXPECT_EQ(lister.GaugeRight(1, 49), 49);
    AddFile(t.top, "f9", 1);
    t.root.ComputeTotals();
    AddFile(t.top, "f10", 1); // not counted in the folder: 5 listed of 4
    lister.Build();
    EXPECT_EQ(lister.ListedCount(), 5);
    EXPECT_EQ(lister.GaugeRight(1, 49), 49); // never past the bar
    TFolderItem* empty = AddFolder(t.top, "empty");
    ASSERT_TRUE(lister.Setup(empty, &t.root, kListerAll, nullptr, {}));
    lister.Build();
    EXPECT_EQ(lister.GaugeRight(1, 49), 1);
}

TEST(FileLister, GaugeRoundsToNearest) {
    TTree t;
    for (const char* name : {"n0", "m0", "k0", "xx"})
        AddFile(t.top, name, 1); // bucket 0 by kind 1: three
    t.root.ComputeTotals();
    TDigitGroup group;
    group.AddCountToRow(1, 0, 8, 8); // the analyser counted 8: 3 of 8
    TFileLister lister;
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerKind1, &group, {0}));
    lister.Build();
    EXPECT_EQ(lister.ListedCount(), 3);
    EXPECT_EQ(lister.GaugeRight(0, 100), 38); // 37.5 rounds up
    EXPECT_EQ(lister.GaugeRight(10, 13), 11); // 1.125
}

TEST(FileLister, SelectionSumAbandonsWhenRestarted) {
    TTree t;
    AddFlatFiles(t, 25);
    TFileLister lister;
    UseSteppingClock(lister);
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerAll, nullptr, {}));
    lister.Build();
    TFileLister::TSelectionSum sum;
    int pumps = 0;
    auto even = [](int row) { return row % 2 == 0; };
    ASSERT_TRUE(lister.SumSelection(
        even,
        [&] {
            ++pumps;
            return false;
        },
        sum));
    EXPECT_EQ(pumps, 3); // rows 20, 10, 0
    EXPECT_EQ(sum.count, 13);
    std::int64_t bytes = 0;
    for (int r = 0; r < 25; r += 2)
        bytes += lister.Row(r)->GetSize();
    EXPECT_EQ(sum.bytes, bytes);
    EXPECT_FALSE(lister.SumSelection(
        even, [&] { return true; }, sum));
    EXPECT_EQ(TFileLister::SelectionSumStatus(1234567, 1000),
              "Total:  1,234,567 bytes    1,000 files selected");
    EXPECT_EQ(TFileLister::CalculatingStatus(2), "Total:  Calculating...    2 files selected");
}

namespace {

// Stands in for the desktop's trash: moves files into a folder of its own, refuses chosen names.
class TFolderTrash : public TFileTrash {
public:
    explicit TFolderTrash(std::string folder) : FFolder(std::move(folder)) {}
    std::set<std::string> refuse;
    std::vector<std::string> asked;
    bool MoveToTrash(const std::string& path, std::string& error) override {
        asked.push_back(path);
        const std::string name = path.substr(path.rfind('/') + 1);
        if (refuse.count(name)) {
            error = "no trash on this file system";
            return false;
        }
        if (std::rename(path.c_str(), (FFolder + name).c_str()) != 0) {
            error = "rename failed";
            return false;
        }
        return true;
    }

private:
    std::string FFolder;
};

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// A real folder with files, and the items that stand for it under a manual exploration.
struct TDiskTree {
    txtest::TTempDir dir;
    txtest::TTempDir trashDir;
    TRootItem root{"My Tessalundrix"};
    model::TManualItem* top = nullptr;
    TFolderItem* sub = nullptr;
    TDiskTree() {
        top = new model::TManualItem(dir.Path(), model::kKindFixed, &root);
        root.AddChild(top);
        top->SetExplored(true);
        dir.Folder("sub");
        sub = AddFolder(top, "sub");
        for (int i = 0; i < 6; ++i) {
            const std::string name = "a" + std::to_string(i % 3) + "file" + std::to_string(i);
            dir.File((i < 3 ? "" : "sub/") + name, 100 * (i + 1));
            AddFile(i < 3 ? top : static_cast<TFolderItem*>(sub), name, 100 * (i + 1));
        }
        root.ComputeTotals();
    }
};

} // namespace

TEST(FileLister, DeleteMovesToTheTrashAndKeepsTheBooks) {
    TDiskTree d;
    TFolderTrash trash(d.trashDir.Path());
    TDigitGroup group;
    for (TItem* item : d.top->Children())
        if (!item->IsFolder()) group.AddItem(*item);
    for (TItem* item : d.sub->Children())
        group.AddItem(*item);

    TFileLister lister;
    ASSERT_TRUE(lister.Setup(d.top, &d.root, kListerAll, nullptr, {}));
    lister.Build();
    ASSERT_EQ(lister.ListedCount(), 6);
    EXPECT_EQ(lister.TotalSize(), 2100);

    // Two rows; one of them refused.
    TItem* big = lister.Row(0);  // a2file5, 600 bytes, in sub
    TItem* next = lister.Row(1); // a1file4, 500
    trash.refuse.insert("a1file4");
    const TDeleteOutcome out = lister.Delete({next, big}, trash);
    EXPECT_EQ(out.deleted, 1);
    ASSERT_EQ(out.failures.size(), 1u);
    EXPECT_EQ(out.failures[0].path, d.dir.Path() + "sub/a1file4");
    EXPECT_EQ(out.failures[0].reason, "no trash on this file system");
    EXPECT_TRUE(lister.FilesDeleted());
    EXPECT_EQ(lister.ListedCount(), 5);
    EXPECT_EQ(lister.TotalSize(), 1500);
    EXPECT_EQ(lister.Row(0), next);
    EXPECT_FALSE(Exists(d.dir.Path() + "sub/a2file5"));
    EXPECT_TRUE(Exists(d.trashDir.Path() + "a2file5"));
    EXPECT_TRUE(Exists(d.dir.Path() + "sub/a1file4"));
    // The tree lost the file and its totals follow.
    EXPECT_EQ(d.sub->ChildCount(), 2);
    EXPECT_EQ(d.top->GetFileCount(), 5);
    EXPECT_EQ(d.top->GetSize(), 1500);
    // In mode 0 a rebuild takes the expected count from the folder again.
    lister.Build();
    EXPECT_EQ(lister.ExpectedCount(), 5);

    // A bucket mode counts the deleted file off its stored expectation.
    TFileLister bucket;
    ASSERT_TRUE(bucket.Setup(d.top, &d.root, kListerKind1, &group, {0}));
    EXPECT_EQ(bucket.StoredExpected(), 2); // a0file0, a0file3
    bucket.Build();
    ASSERT_EQ(bucket.ListedCount(), 2);
    EXPECT_EQ(bucket.Delete({bucket.Row(1)}, trash).deleted, 1);
    EXPECT_EQ(bucket.StoredExpected(), 1);
    bucket.Build();
    EXPECT_EQ(bucket.ExpectedCount(), 1);
    EXPECT_EQ(bucket.ListedCount(), 1);
    // The other lister dropped the row that left the tree.
    EXPECT_EQ(lister.ListedCount(), 4);
}

TEST(FileLister, RefusedDeleteChangesNothing) {
    TDiskTree d;
    TFolderTrash trash(d.trashDir.Path());
    TFileLister lister;
    ASSERT_TRUE(lister.Setup(d.top, &d.root, kListerAll, nullptr, {}));
    lister.Build();
    TItem* row = lister.Row(3);
    trash.refuse.insert(row->NameString());
    const TDeleteOutcome out = lister.Delete({row}, trash);
    EXPECT_EQ(out.deleted, 0);
    EXPECT_EQ(out.failures.size(), 1u);
    EXPECT_FALSE(lister.FilesDeleted());
    EXPECT_EQ(lister.ListedCount(), 6);
    EXPECT_EQ(lister.Row(3), row);
    EXPECT_EQ(d.root.GetFileCount(), 6);
}

TEST(FileLister, RowsLeaveWithTheirItems) {
    TTree t;
    TFolderItem* a = AddFolder(t.top, "a");
    TFolderItem* b = AddFolder(t.top, "b");
    for (int i = 0; i < 4; ++i)
        AddFile(a, "a" + std::to_string(i), 10);
    for (int i = 0; i < 3; ++i)
        AddFile(b, "b" + std::to_string(i), 1);
    TFolderItem* outside = AddFolder(&t.root, "outside");
    AddFile(outside, "o", 1);
    t.root.ComputeTotals();

    TFileLister lister;
    int dropped = 0;
    lister.RowsDropped = [&] { ++dropped; };
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerAll, nullptr, {}));
    lister.Build();
    ASSERT_EQ(lister.ListedCount(), 7);

    outside->Clear(); // elsewhere: nothing to drop
    EXPECT_EQ(dropped, 0);
    a->Clear(); // every child of a
    EXPECT_EQ(dropped, 1);
    EXPECT_EQ(lister.ListedCount(), 3);
    EXPECT_EQ(lister.TotalSize(), 3);
    TItem* one = b->Child(0);
    b->RemoveChild(one);
    delete one;
    EXPECT_EQ(lister.ListedCount(), 2);
    // The folder itself goes: the listing empties and the folder is forgotten.
    t.root.Clear();
    EXPECT_EQ(lister.Folder(), nullptr);
    EXPECT_EQ(lister.ListedCount(), 0);
    EXPECT_TRUE(lister.Listing().empty());
    EXPECT_EQ(lister.Caption(), "File Lister - ");
}

TEST(FileLister, TreeChangedDuringTheWalkUnwindsIt) {
    TTree t;
    TFolderItem* a = AddFolder(t.top, "a");
    TFolderItem* inner = AddFolder(a, "inner");
    for (int i = 0; i < 40; ++i)
        AddFile(inner, "i" + std::to_string(i), 1);
    for (int i = 0; i < 40; ++i)
        AddFile(a, "a" + std::to_string(i), 1);
    for (int i = 0; i < 5; ++i)
        AddFile(t.top, "t" + std::to_string(i), 1);
    t.root.ComputeTotals();

    TFileLister lister;
    UseSteppingClock(lister);
    // At the first pump (inside "inner") the whole of "a" is freed, as a refresh elsewhere would.
    lister.ProcessMessages = [&] {
        lister.ProcessMessages = nullptr;
        t.top->Clear();
    };
    ASSERT_TRUE(lister.Setup(t.top, &t.root, kListerAll, nullptr, {}));
    lister.Build(); // under ASan: no use of a freed folder
    EXPECT_EQ(lister.ListedCount(), 0);
    EXPECT_TRUE(lister.StopRequested());
    EXPECT_FALSE(lister.Busy());
}
