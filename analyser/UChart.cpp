#include "analyser/UChart.h"

#include <cmath>
#include <cstdio>

namespace analyser {

void TChartSeries::Add(double value, std::string label, TChartColor color) {
    FPoints.push_back(TChartPoint{std::move(label), value, color});
}

TChartColor TChartSeries::PointColor(int i) const {
    const TChartColor c = Point(i).Color;
    return c == kChartDefaultColor ? Color : c;
}

std::string TChartSeries::ValueText(double value) const {
    if (FormatValues) return FormatChartValue(value);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

TChartSeries* TChart::AddSeries(TSeriesKind kind, std::string title, TChartColor color) {
    FSeries.push_back(std::make_unique<TChartSeries>(kind, std::move(title), color));
    return FSeries.back().get();
}

int TChart::IndexOfSeries(const TChartSeries* series) const {
    for (size_t i = 0; i < FSeries.size(); ++i)
        if (FSeries[i].get() == series) return static_cast<int>(i);
    return -1;
}

std::string FormatChartValue(double value) {
    if (!std::isfinite(value)) return "0";
    const bool negative = value < 0;
    // Rounded to thousandths first, so that 0.9996 carries into the integer part.
    const double scaled = std::round(std::fabs(value) * 1000.0);
    double whole = std::floor(scaled / 1000.0);
    int frac = static_cast<int>(scaled - whole * 1000.0);
    if (frac >= 1000) {
        whole += 1;
        frac -= 1000;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0f", whole);
    std::string digits = buf;
    std::string out;
    const int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += ',';
        out += digits[static_cast<size_t>(i)];
    }
    if (frac > 0) {
        std::snprintf(buf, sizeof buf, "%03d", frac);
        std::string f = buf;
        while (!f.empty() && f.back() == '0')
            f.pop_back();
        out += '.' + f;
    }
    if (negative && (whole > 0 || frac > 0)) out.insert(out.begin(), '-');
    return out;
}

} // namespace analyser
