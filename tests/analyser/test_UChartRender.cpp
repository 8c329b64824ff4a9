#include "analyser/UChartExport.h"
#include "analyser/UChartRender.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace analyser;

namespace {

QGuiApplication& App() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

void BarChart(TChart& chart, TSeriesKind kind) {
    TChartSeries* s = chart.AddSeries(kind, "", kChartDefaultColor);
    s->Add(10, "small", 0x0000FF);
    s->Add(40, "large", 0x00FF00);
    chart.Title = {"File Size Distribution of", "/data/"};
}

// The colour at the centre of a shape's bounds, as drawn.
QRgb CentreColour(const QImage& image, const TChartShape& shape) {
    const QPointF c = shape.Outline.boundingRect().center();
    return image.pixel(c.toPoint());
}

} // namespace

TEST(ChartRender, HitTestFindsTheBarDrawnThere) {
    App();
    for (auto kind : {TSeriesKind::HorizBar, TSeriesKind::Bar}) {
        for (bool depth : {false, true}) {
            TChart chart;
            BarChart(chart, kind);
            chart.View3D = depth;
            const QRect r(0, 0, 500, 300);
            const auto shapes = RenderChart(chart, nullptr, r);
            ASSERT_EQ(shapes.size(), 2u);
            const QRectF a = shapes[0].Outline.boundingRect(), b = shapes[1].Outline.boundingRect();
            // The bar of 40 is four times as long as the bar of 10 (3D adds the same depth to both).
            const double la = kind == TSeriesKind::HorizBar ? a.width() : a.height();
            const double lb = kind == TSeriesKind::HorizBar ? b.width() : b.height();
            const double extra = depth ? 12 : 0;
            EXPECT_NEAR((lb - extra) / (la - extra), 4.0, 0.05);
            for (int i = 0; i < 2; ++i) {
                const TChartHit hit =
                    ChartHitTest(chart, r, shapes[static_cast<size_t>(i)].Outline.boundingRect().center());
                EXPECT_EQ(hit.Series, 0);
                EXPECT_EQ(hit.Point, i);
            }
            EXPECT_EQ(ChartHitTest(chart, r, QPointF(1, 1)).Series, -1);
        }
    }
}

TEST(ChartRender, DrawnBarsAndSlicesHaveTheirPointColours) {
    App();
    TChart chart;
    BarChart(chart, TSeriesKind::HorizBar);
    chart.Series(0)->GradientBars = false;
    QImage image(500, 300, QImage::Format_RGB32);
    QPainter p(&image);
    const auto shapes = RenderChart(chart, &p, image.rect());
    p.end();
    EXPECT_EQ(CentreColour(image, shapes[0]), qRgb(255, 0, 0));
    EXPECT_EQ(CentreColour(image, shapes[1]), qRgb(0, 255, 0));

    TChart pie;
    TChartSeries* s = pie.AddSeries(TSeriesKind::Pie, "", kChartDefaultColor);
    s->ShowMarks = true;
    s->Add(1, "a", 0xFF0000);
    s->Add(3, "b", 0x00FFFF);
    pie.LegendVisible = false;
    const QRect r(0, 0, 400, 300);
    const auto slices = RenderChart(pie, nullptr, r);
    ASSERT_EQ(slices.size(), 2u);
    // The larger slice spans three times the area.
    auto area = [](const QPolygonF& poly) {
        double a = 0;
        for (int i = 0; i < poly.size(); ++i)
            a +=
                poly[i].x() * poly[(i + 1) % poly.size()].y() - poly[(i + 1) % poly.size()].x() * poly[i].y();
        return std::abs(a) / 2;
    };
    EXPECT_NEAR(area(slices[1].Outline) / area(slices[0].Outline), 3.0, 0.1);
}

TEST(ChartRender, InactiveSeriesAreNotDrawnNorHit) {
    App();
    TChart chart;
    for (int k = 0; k < 3; ++k) {
        TChartSeries* s = chart.AddSeries(TSeriesKind::Bar, "s" + std::to_string(k), 0x0000FF);
        for (int h = 0; h < 24; ++h)
            s->Add(h, std::to_string(h) + "h");
    }
    chart.Series(1)->Active = false;
    const auto shapes = RenderChart(chart, nullptr, QRect(0, 0, 600, 300));
    EXPECT_EQ(shapes.size(), 48u);
    for (const auto& s : shapes)
        EXPECT_NE(s.Series, 1);
}

TEST(ChartExport, BitmapBytesAreABmpOfTheSize) {
    App();
    TChart chart;
    BarChart(chart, TSeriesKind::HorizBar);
    const QByteArray bmp = ChartFileBytes(chart, QSize(320, 200), TChartFormat::Bitmap);
    ASSERT_GT(bmp.size(), 54);
    EXPECT_EQ(bmp.left(2), QByteArray("BM"));
    QImage back;
    ASSERT_TRUE(back.loadFromData(bmp, "BMP"));
    EXPECT_EQ(back.size(), QSize(320, 200));
}
