#include "analyser/UAnalyserSettings.h"

#include "listing/UColumn.h"
#include "platform/PQtRegistry.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace analyser;
using platform::TRegistry;

namespace {

constexpr int kScreenW = 1280, kScreenH = 1024;

struct TStoreFixture : ::testing::Test {
    QTemporaryDir dir;
    std::string File() const { return (dir.path() + "/s.conf").toStdString(); }
    TRegistry Store() const { return TRegistry::AtFile(File()); }
    listing::TColumnGroup group{nullptr, -1, {54, 57, 58, 59, 60}, "&Extension"};
    TColumnGroups Groups() {
        TColumnGroups g{};
        g[5] = &group;
        return g;
    }
    TAnalyserSettings Load(int extCount = 3) {
        TAnalyserSettings s = DefaultAnalyserSettings(kScreenW, kScreenH);
        TRegistry store = Store();
        LoadAnalyserSettings(store, s, Groups(), 6, extCount, 1, kScreenW, kScreenH);
        return s;
    }
};

} // namespace

TEST_F(TStoreFixture, NoKeyGivesTheCentredDefaults) {
    const TAnalyserSettings s = Load();
    EXPECT_EQ(s.Left, (kScreenW - 592) / 2);
    EXPECT_EQ(s.Top, (kScreenH - 467) / 2);
    EXPECT_EQ(s.Colors, TChartColors{});
    EXPECT_EQ(s.Colors.Data[12], 0x804000u);
    EXPECT_EQ(s.DateType, 2);
    EXPECT_EQ(s.View3D[0], 1);
    EXPECT_EQ(s.View3D[1], 0);
    EXPECT_EQ(s.Legend[8], 1);
    // Centring truncates toward zero, also for a screen smaller than the window.
    EXPECT_EQ(DefaultAnalyserSettings(591, 466).Left, 0);
    EXPECT_EQ(DefaultAnalyserSettings(589, 400).Top, -33);
}

TEST_F(TStoreFixture, WrittenSettingsReadBack) {
    TAnalyserSettings s = DefaultAnalyserSettings(kScreenW, kScreenH);
    s.Colors.Data[3] = 0x123456;
    s.Colors.Background = 0xABCDEF;
    s.Colors.Title = 0x010203;
    s.Colors.BackgroundGradient = false;
    s.ShowPercent = false;
    s.TypeShowOther = false;
    s.DateType = 4;
    s.ExtReport = 2;
    s.Legend[3] = 0;
    s.View3D[6] = 1;
    s.Width = 700;
    s.Height = 500;
    s.Left = 33;
    s.Top = 44;
    group.SetVisibleCount(3);
    {
        TRegistry store = Store();
        ASSERT_TRUE(SaveAnalyserSettings(store, s, Groups()));
        ASSERT_TRUE(store.OpenKey(kAnalyserKey, false));
        EXPECT_EQ(store.DataSize("Data Color"), 56);
        EXPECT_EQ(store.DataSize("Legend"), 9);
    }
    group.SetVisibleCount(5);
    const TAnalyserSettings back = Load();
    EXPECT_EQ(back.Colors, s.Colors);
    EXPECT_FALSE(back.ShowPercent);
    EXPECT_FALSE(back.TypeShowOther);
    EXPECT_EQ(back.DateType, 4);
    EXPECT_EQ(back.ExtReport, 2);
    EXPECT_EQ(back.Legend, s.Legend);
    EXPECT_EQ(back.View3D, s.View3D);
    EXPECT_EQ(back.Width, 700);
    EXPECT_EQ(back.Left, 33);
    EXPECT_EQ(back.Top, 44);
    EXPECT_EQ(group.VisibleCount, 3);
}

TEST_F(TStoreFixture, AComboIndexBeyondItsItemsIsIgnored) {
    {
        TRegistry store = Store();
        SaveAnalyserSettings(store, DefaultAnalyserSettings(kScreenW, kScreenH), Groups());
        store.OpenKey(kAnalyserKey, false);
        store.WriteInteger("Extension Report", 5);
        store.WriteInteger("Date Type", 6);
    }
    const TAnalyserSettings s = Load(3);
    EXPECT_EQ(s.ExtReport, 0);
    EXPECT_EQ(s.DateType, 2);
}

TEST_F(TStoreFixture, GeometryIsKeptOnTheScreen) {
    const struct {
        int left, top, width, height;
        int wantLeft, wantTop, wantWidth, wantHeight;
    } cases[] = {
        {-40, 10, 600, 400, 0, 10, 600, 400},
        {10, -5, 2000, 400, 0, 0, kScreenW, 400},
        {1200, 900, 600, 400, kScreenW - 600, kScreenH - 400, 600, 400},
        {0, 0, 600, 5000, 0, 0, 600, kScreenH},
    };
    for (const auto& c : cases) {
        {
            TRegistry store = Store();
            TAnalyserSettings s = DefaultAnalyserSettings(kScreenW, kScreenH);
            s.Left = c.left;
            s.Top = c.top;
            s.Width = c.width;
            s.Height = c.height;
            SaveAnalyserSettings(store, s, Groups());
        }
        const TAnalyserSettings s = Load();
        EXPECT_EQ(s.Left, c.wantLeft) << c.left;
        EXPECT_EQ(s.Top, c.wantTop) << c.top;
        EXPECT_EQ(s.Width, c.wantWidth);
        EXPECT_EQ(s.Height, c.wantHeight);
    }
}

TEST_F(TStoreFixture, ABadValueEndsTheReadingThereAndShortLayoutsAreIgnored) {
    {
        TRegistry store = Store();
        store.OpenKey(kAnalyserKey, true);
        store.WriteInteger("Background Color", 0x111111);
        store.WriteString("Title Color", "blue"); // wrong type: the reading ends here
        store.WriteInteger("Background Gradient", 0);
        store.WriteInteger("Width", 800);
        store.WriteBinary("Columns 5", {1, 2, 3, 4});
    }
    const TAnalyserSettings s = Load();
    EXPECT_EQ(s.Colors.Background, 0x111111u);
    EXPECT_EQ(s.Colors.Title, 0xFF0000u);
    EXPECT_TRUE(s.Colors.BackgroundGradient);
    EXPECT_EQ(s.Width, 592);
    EXPECT_EQ(group.VisibleCount, 5);

    {
        TRegistry store = Store();
        store.OpenKey(kAnalyserKey, true);
        store.WriteString("Title Color", "");
        store.DeleteValue("Title Color");
        store.WriteInteger("Title Color", 0x222222);
        store.WriteInteger("Data Gradient", 1);
        // The boxes' block stops at its first bad value; the report indexes still read.
        store.WriteInteger("Show %", 0);
        store.WriteString("Date Show Other", "x");
        store.WriteInteger("Extension Report", 1);
        store.WriteBinary("Legend", platform::TBytes(10, 0)); // larger than its place
        store.WriteInteger("Width", 800);
    }
    const TAnalyserSettings t = Load();
    EXPECT_FALSE(t.Colors.BackgroundGradient);
    EXPECT_FALSE(t.ShowPercent);
    EXPECT_TRUE(t.DateShowOther);
    EXPECT_EQ(t.ExtReport, 1);
    EXPECT_EQ(t.Legend[0], 1);
    EXPECT_EQ(t.Width, 592);
}

TEST_F(TStoreFixture, ReportsAreNumberedFromZeroAndRewrittenWhole) {
    {
        TRegistry store = Store();
        SaveAnalyserReports(store, {"a\1", "b\1", "c\1"}, {"t\1"});
        SaveAnalyserReports(store, {"x\1"}, {"t\1", "u\1"});
    }
    std::vector<std::string> ext, type;
    TRegistry store = Store();
    LoadAnalyserReports(store, ext, type);
    EXPECT_EQ(ext, std::vector<std::string>{"x\1"});
    EXPECT_EQ(type, (std::vector<std::string>{"t\1", "u\1"}));
    store.OpenKey(kAnalyserReportKey, false);
    store.DeleteValue("Ext0");
    store.WriteInteger("Ext0", 3); // of another type: the loading ends
    LoadAnalyserReports(store, ext, type);
    EXPECT_TRUE(ext.empty());
    EXPECT_TRUE(type.empty());
}
