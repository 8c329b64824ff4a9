// The chart model of the analyser: series of labelled points, titles, foot, axis titles and the
// legend, 3D and gradient switches. Plain data; UChartRender.h draws it, UChartMetafile.h and
// UChartExport.h write it out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace analyser {

// A colour as $00BBGGRR: red in the low byte, blue in the third.
using TChartColor = std::uint32_t;
// A point with this colour is drawn in its series' colour.
inline constexpr TChartColor kChartDefaultColor = 0x20000000;

[[nodiscard]] constexpr int ColorRed(TChartColor c) {
    return static_cast<int>(c & 0xFF);
}
[[nodiscard]] constexpr int ColorGreen(TChartColor c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
[[nodiscard]] constexpr int ColorBlue(TChartColor c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
[[nodiscard]] constexpr TChartColor MakeColor(int r, int g, int b) {
    return static_cast<TChartColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

enum class TSeriesKind { HorizBar, Bar, Pie };

struct TChartPoint {
    std::string Label;
    double Value = 0;
    TChartColor Color = kChartDefaultColor;
};

class TChartSeries {
public:
    TChartSeries(TSeriesKind kind, std::string title, TChartColor color)
        : Kind(kind), Title(std::move(title)), Color(color) {}

    TSeriesKind Kind;
    std::string Title;
    TChartColor Color;
    bool Active = true;
    bool GradientBars = true; // bars drawn with a gradient face, else plain rectangles
    bool ShowMarks = false;   // value labels beside the points (the pie's slice labels)
    bool FormatValues = true; // values as "#,##0.###"; off: as the shortest plain number

    void Clear() { FPoints.clear(); }
    // Appends a point; kChartDefaultColor makes it take the series colour.
    void Add(double value, std::string label, TChartColor color = kChartDefaultColor);
    [[nodiscard]] int Count() const { return static_cast<int>(FPoints.size()); }
    // 0 <= i < Count().
    [[nodiscard]] const TChartPoint& Point(int i) const { return FPoints.at(static_cast<size_t>(i)); }
    // The colour the point is drawn in.
    [[nodiscard]] TChartColor PointColor(int i) const;
    // The value as the series writes it in marks and the legend.
    [[nodiscard]] std::string ValueText(double value) const;

private:
    std::vector<TChartPoint> FPoints;
};

class TChart {
public:
    TChart() = default;
    TChart(const TChart&) = delete;
    TChart& operator=(const TChart&) = delete;

    std::vector<std::string> Title; // lines, top of the chart
    std::vector<std::string> Foot;  // lines, bottom of the chart
    std::string BottomAxisTitle;
    std::string LeftAxisTitle;
    bool LegendVisible = true;
    bool LegendReversed = false; // legend lists the points from the last to the first
    bool View3D = false;
    TChartColor Color = 0xC0C0C0; // background
    bool GradientVisible = false; // background runs from white to GradientEndColor
    TChartColor GradientEndColor = 0xC0C0C0;
    TChartColor TitleColor = 0xFF0000;

    // The chart owns its series; pointers stay valid while the chart lives.
    TChartSeries* AddSeries(TSeriesKind kind, std::string title, TChartColor color);
    [[nodiscard]] int SeriesCount() const { return static_cast<int>(FSeries.size()); }
    [[nodiscard]] TChartSeries* Series(int i) const { return FSeries.at(static_cast<size_t>(i)).get(); }
    // The first series, or null (the pie chart has one).
    [[nodiscard]] TChartSeries* FirstSeries() const {
        return FSeries.empty() ? nullptr : FSeries.front().get();
    }
    [[nodiscard]] int IndexOfSeries(const TChartSeries* series) const;

private:
    std::vector<std::unique_ptr<TChartSeries>> FSeries;
};

// A value as "#,##0.###": thousands separated by commas, up to three decimals, trailing zeros
// dropped ("1,234.5", "0", "-12").
[[nodiscard]] std::string FormatChartValue(double value);

} // namespace analyser
