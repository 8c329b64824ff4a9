#include "analyser/UAnalyserReports.h"
#include "analyser/UChartExport.h"
#include "analyser/UChartRender.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

// Texts in failure messages as text.
void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

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

namespace {

// A chart as the Analyser designs the sheet's, with a point per label (values falling from the
// first), titled as the Analyser titles it.
void AnalyserChart(TChart& chart, int sheet, const std::vector<std::string>& labels, bool legend,
                   bool depth) {
    DesignChart(chart, sheet);
    chart.Title = {"File Type Distribution of", "/home/someone/Projects/.../photographs/"};
    chart.BottomAxisTitle = sheet == kSheetTime ? "Time of day" : "Number of files";
    if (sheet == kSheetTime) chart.LeftAxisTitle = "Number of files";
    if (sheet == kSheetFolders) chart.Foot = {"Number of files"};
    chart.LegendVisible = legend;
    chart.View3D = depth;
    for (int k = 0; k < chart.SeriesCount(); ++k)
        for (size_t i = 0; i < labels.size(); ++i)
            chart.Series(k)->Add(static_cast<double>(1000 * (labels.size() - i) + 100 * k), labels[i],
                                 static_cast<TChartColor>(0x102030 * (i + 1)));
}

// Pie marks as the Folders pie writes them: ten names, cut at 13 characters, then "All others".
std::vector<std::string> PieMarks(const std::vector<std::string>& names) {
    std::vector<std::string> marks;
    const double shares[] = {31, 18, 12, 9, 7, 6, 5, 4, 3, 2, 3};
    for (size_t i = 0; i < names.size(); ++i)
        marks.push_back(PieLabel(names[i], names[i] != "All others", true, shares[i % 11], 100));
    return marks;
}

} // namespace

TEST(ChartLabels, AtTheAnalysersSizeEveryLabelStandsWhole) {
    App();
    // The smallest chart of the Analyser at its default size (the Date tab's, below two rows of
    // boxes).
    const QRect r(0, 0, 576, 343);
    const std::vector<std::string> folders =
        PieMarks({"documentation-archive", "photographs-from-holidays", "python3-pip", "source-code",
                  "virtual-machine-images", "Downloads", "configuration-backups", "music collection",
                  "lost+found", "old-projects-to-delete", "All others"});
    const std::vector<std::string> types = {"translated messages (machine-readable)",
                                            "OpenDocument presentation template",
                                            "reStructuredText document",
                                            "Pascal source code",
                                            "Adobe PageMaker document",
                                            "Gzip archive",
                                            "PNG image",
                                            "C++ source code",
                                            "shell script",
                                            "JSON document",
                                            "All others"};
    const std::vector<std::string> months = {
        "0 to 1 month",    "1 to 2 months",   "2 to 3 months", "3 to 4 months", "4 to 5 months",
        "5 to 6 months",   "6 to 7 months",   "7 to 8 months", "8 to 9 months", "9 to 10 months",
        "10 to 11 months", "11 to 12 months", "other"};
    const std::vector<std::string> hours = {"0h", "1h", "2h", "3h"};
    const struct {
        const char* what;
        int sheet;
        const std::vector<std::string>& labels;
    } cases[] = {
        {"folders pie", kSheetFolders, folders},
        {"types", kSheetType, types},
        {"months", kSheetDate, months},
        {"hours", kSheetTime, hours},
    };
    for (const auto& c : cases)
        for (bool legend : {true, false})
            for (bool depth : {true, false}) {
                TChart chart;
                AnalyserChart(chart, c.sheet, c.labels, legend, depth);
                const auto labels = ChartLabels(chart, r);
                // Each label once on the plot; the legend names the three series, or every point.
                const size_t inLegend = !legend                                          ? 0
                                        : c.sheet == kSheetDate || c.sheet == kSheetTime ? 3
                                                                                         : c.labels.size();
                EXPECT_EQ(labels.size(), c.labels.size() + inLegend) << c.what;
                for (const TChartLabel& l : labels) {
                    EXPECT_EQ(l.Shown, l.Whole) << c.what << " legend " << legend << " 3D " << depth;
                    EXPECT_TRUE(QRectF(r).contains(l.Box)) << c.what << " " << l.Whole.toStdString();
                }
            }
}

TEST(ChartLabels, WhereTheyCannotStandWholeTheyAreCutToTheChart) {
    App();
    const QRect r(0, 0, 260, 200);
    const std::vector<std::string> folders =
        PieMarks({"documentation-archive", "photographs-from-holidays", "source-code-repositories"});
    for (int sheet : {kSheetFolders, kSheetType}) {
        TChart chart;
        AnalyserChart(chart, sheet, folders, true, true);
        const auto labels = ChartLabels(chart, r);
        ASSERT_FALSE(labels.empty());
        bool cut = false;
        for (const TChartLabel& l : labels) {
            cut = cut || l.Shown != l.Whole;
            EXPECT_GE(l.Box.left(), r.left()) << sheet;
            EXPECT_LE(l.Box.right(), r.right()) << sheet;
        }
        EXPECT_TRUE(cut) << sheet;
        // The plot keeps its room: the pie or the bars are still drawn.
        const auto shapes = RenderChart(chart, nullptr, r);
        EXPECT_EQ(shapes.size(), folders.size()) << sheet;
        for (const TChartShape& shape : shapes)
            EXPECT_GE(shape.Outline.boundingRect().width(), sheet == kSheetFolders ? 2.0 : 1.0) << sheet;
    }
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
