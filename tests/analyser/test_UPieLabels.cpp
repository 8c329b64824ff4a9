// The pie's label layout: labels of many small slices, packed together on one side, stand apart,
// beside the pie, inside the chart when they fit, in the order of their slices; labels with room
// stay level with their slices.
#include "analyser/UPieLabels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

using namespace analyser;

namespace {

// A pie as the renderer lays it out in a 600 x 400 chart area.
TPieShape Pie(double depth) {
    TPieShape pie;
    pie.area = {8, 40, 600, 400};
    pie.centre = {308, 240 - depth / 2};
    pie.rx = 150;
    pie.ry = depth > 0 ? 90 : 150;
    pie.depth = depth;
    return pie;
}

// Labels of slices given as (start, span) in degrees, 16 pixels high, widths varying.
std::vector<TPieLabelSize> Labels(const std::vector<std::pair<double, double>>& slices) {
    std::vector<TPieLabelSize> out;
    for (size_t i = 0; i < slices.size(); ++i)
        out.push_back({slices[i].first + slices[i].second / 2, 60.0 + 7.0 * double(i % 5), 16});
    return out;
}

// One big slice, then n small ones of the same span after it.
std::vector<std::pair<double, double>> BigThenSmall(double big, int n, double start = 0) {
    std::vector<std::pair<double, double>> s{{start, big}};
    const double span = (360 - big) / n;
    for (int i = 0; i < n; ++i)
        s.emplace_back(start + big + i * span, span);
    return s;
}

void CheckApartAndBeside(const TPieShape& pie, const std::vector<TPieLabelSize>& labels,
                         const std::vector<TPieLabelPlace>& places, const std::string& name) {
    ASSERT_EQ(places.size(), labels.size()) << name;
    for (size_t i = 0; i < places.size(); ++i) {
        const TPieBox& b = places[i].box;
        EXPECT_DOUBLE_EQ(b.width, labels[i].width) << name;
        EXPECT_DOUBLE_EQ(b.height, labels[i].height) << name;
        // In a column clear of the pie.
        EXPECT_TRUE(b.left >= pie.centre.x + pie.rx || b.Right() <= pie.centre.x - pie.rx)
            << name << " " << i;
        // Inside the chart area.
        EXPECT_GE(b.top, pie.area.top - 1e-9) << name << " " << i;
        EXPECT_LE(b.Bottom(), pie.area.top + pie.area.height + 1e-9) << name << " " << i;
        // The leader starts on the rim of the label's own slice.
        const TPiePoint a = places[i].anchor;
        const double mid = labels[i].midAngle * M_PI / 180;
        const double down = std::sin(mid) < 0 ? pie.depth : 0;
        EXPECT_NEAR(a.x, pie.centre.x + pie.rx * std::cos(mid), 1e-6) << name;
        EXPECT_NEAR(a.y, pie.centre.y - pie.ry * std::sin(mid) + down, 1e-6) << name;
        // Its last stretch runs level into the label's side.
        EXPECT_DOUBLE_EQ(places[i].elbow.y, b.top + b.height / 2) << name;
        for (size_t j = i + 1; j < places.size(); ++j)
            EXPECT_FALSE(b.Overlaps(places[j].box)) << name << ": labels " << i << " and " << j;
    }
}

} // namespace

TEST(PieLabels, LabelsOfSmallSlicesNeverOverlap) {
    const struct {
        const char* name;
        std::vector<std::pair<double, double>> slices;
    } cases[] = {
        {"ten slices of 0.5% after a big one", BigThenSmall(342, 10)},
        {"twenty slices of 0.2% after a big one", BigThenSmall(352.8, 20)},
        {"small slices at the top", BigThenSmall(340, 10, 100)},    // small ones from 80 to 100 degrees
        {"small slices at the bottom", BigThenSmall(340, 10, 280)}, // from 260 to 280 degrees
        {"small slices on the left", BigThenSmall(345, 11, 15)},    // around 180 degrees
        {"eleven equal slices", BigThenSmall(360.0 / 11, 10)},
        {"a slice of nothing among others", {{0, 0}, {0, 180}, {180, 0}, {180, 180}, {360, 0}}},
    };
    for (double depth : {0.0, 18.0}) {
        const TPieShape pie = Pie(depth);
        for (const auto& c : cases) {
            const auto labels = Labels(c.slices);
            CheckApartAndBeside(pie, labels, LayoutPieLabels(pie, labels),
                                std::string(c.name) + (depth > 0 ? " (3D)" : ""));
        }
    }
}

TEST(PieLabels, LabelsKeepTheOrderOfTheirSlices) {
    // Down the right side the slices run clockwise: their labels follow top to bottom.
    const TPieShape pie = Pie(0);
    const auto labels = Labels(BigThenSmall(340, 12, 90)); // small ones from 70 down to -90 degrees
    const auto places = LayoutPieLabels(pie, labels);
    std::vector<std::pair<double, double>> right; // (mid angle, top) of the labels on the right
    for (size_t i = 0; i < places.size(); ++i)
        if (places[i].box.left >= pie.centre.x) right.emplace_back(labels[i].midAngle, places[i].box.top);
    ASSERT_GE(right.size(), 12u);
    std::sort(right.begin(), right.end(), [](auto a, auto b) { return a.first > b.first; });
    for (size_t i = 1; i < right.size(); ++i)
        EXPECT_LT(right[i - 1].second, right[i].second);
}

TEST(PieLabels, LabelsWithRoomStayLevelWithTheirSlices) {
    const TPieShape pie = Pie(0);
    const auto labels = Labels({{0, 90}, {90, 90}, {180, 90}, {270, 90}});
    const auto places = LayoutPieLabels(pie, labels);
    for (size_t i = 0; i < places.size(); ++i) {
        const double mid = labels[i].midAngle * M_PI / 180;
        EXPECT_NEAR(places[i].box.top + 8, pie.centre.y - (pie.ry + 10) * std::sin(mid), 1e-6);
        // On the side of its slice.
        EXPECT_EQ(places[i].box.left >= pie.centre.x, std::cos(mid) >= 0);
    }
}

TEST(PieLabels, MoreLabelsThanOneSideHoldsUseTheOther) {
    // 30 small slices on the right need 30 x 18 pixels, more than the 400 of the area.
    const TPieShape pie = Pie(0);
    const auto labels = Labels(BigThenSmall(180, 30, 90)); // small ones from -90 to 90 degrees
    const auto places = LayoutPieLabels(pie, labels);
    CheckApartAndBeside(pie, labels, places, "thirty on the right");
    const auto onLeft = std::count_if(places.begin(), places.end(),
                                      [&](const TPieLabelPlace& p) { return p.box.Right() <= pie.centre.x; });
    EXPECT_GE(onLeft, 9);
    // Still more than both sides hold: apart, overflowing the area evenly.
    const auto many = Labels(BigThenSmall(10, 60));
    const auto crowded = LayoutPieLabels(pie, many);
    for (size_t i = 0; i < crowded.size(); ++i)
        for (size_t j = i + 1; j < crowded.size(); ++j)
            EXPECT_FALSE(crowded[i].box.Overlaps(crowded[j].box)) << i << " " << j;
}
