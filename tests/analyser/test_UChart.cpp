#include "analyser/UChart.h"

#include <gtest/gtest.h>

using namespace analyser;

TEST(ChartValue, FormatsWithThousandsAndUpToThreeDecimals) {
    const struct {
        double value;
        const char* text;
    } cases[] = {{0, "0"},
                 {1, "1"},
                 {999, "999"},
                 {1000, "1,000"},
                 {1234567, "1,234,567"},
                 {1.5, "1.5"},
                 {2.125, "2.125"},
                 {2.0004, "2"},
                 {0.9996, "1"},
                 {-1234.25, "-1,234.25"},
                 {-0.0001, "0"},
                 {1e15, "1,000,000,000,000,000"}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatChartValue(c.value), c.text) << c.value;
}

TEST(ChartSeries, DefaultColouredPointsTakeTheSeriesColour) {
    TChart chart;
    TChartSeries* s = chart.AddSeries(TSeriesKind::HorizBar, "Creation Date", 0x0000FF);
    s->Add(3, "a");
    s->Add(4, "b", 0x00FF00);
    ASSERT_EQ(s->Count(), 2);
    EXPECT_EQ(s->PointColor(0), 0x0000FFu);
    EXPECT_EQ(s->PointColor(1), 0x00FF00u);
    s->Color = 0x123456;
    EXPECT_EQ(s->PointColor(0), 0x123456u); // follows later changes of the series colour
    EXPECT_EQ(chart.IndexOfSeries(s), 0);
    EXPECT_EQ(chart.IndexOfSeries(nullptr), -1);
    s->Clear();
    EXPECT_EQ(s->Count(), 0);
}

TEST(ChartSeries, UnformattedSeriesWriteThePlainNumber) {
    TChartSeries s(TSeriesKind::Bar, "Last Access Time", 0);
    s.FormatValues = false;
    EXPECT_EQ(s.ValueText(12345.5), "12345.5");
    s.FormatValues = true;
    EXPECT_EQ(s.ValueText(12345.5), "12,345.5");
}

TEST(ChartColor, ChannelsOfBlueGreenRed) {
    EXPECT_EQ(ColorRed(0x804000), 0);
    EXPECT_EQ(ColorGreen(0x804000), 0x40);
    EXPECT_EQ(ColorBlue(0x804000), 0x80);
    EXPECT_EQ(MakeColor(0x12, 0x34, 0x56), 0x563412u);
}
