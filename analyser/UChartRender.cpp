#include "analyser/UChartRender.h"

#include "analyser/UPieLabels.h"
#include "model/UConvertHelp.h"
#include "model/UDisplayText.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace analyser {

QColor ToQColor(TChartColor c) {
    return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c));
}
TChartColor FromQColor(const QColor& c) {
    return MakeColor(c.red(), c.green(), c.blue());
}

namespace {

constexpr double kDepth = 12; // 3D depth in pixels
constexpr double kMargin = 8;
constexpr double kLegendBox = 10; // colour box of a legend entry
// The least a plot keeps beside its labels: the bars' length, the pie's radius. Labels are cut
// only where even this much is not left.
constexpr double kMinPlotWidth = 160;
constexpr double kMinPieRadius = 60;

// Labels hold names as the file system gave them: shown as the lists show them.
QString Text(const std::string& s) {
    if (model::IsValidUtf8(s)) return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
    return QString::fromStdString(model::DisplayUtf8(s));
}

// A value step of 1, 2 or 5 times a power of ten that cuts max into about five ticks.
double NiceStep(double max) {
    if (max <= 0) return 1;
    const double raw = max / 5;
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (raw <= m * p) return std::max(m * p, 1e-9);
    return 10 * p;
}

struct TLegendEntry {
    QString text;
    QColor color;
};

struct TSlice {
    double start, span;
};

// Where a pie and its marks go in an area.
struct TPieLayout {
    QPointF centre;
    double rx = 0, ry = 0, depth = 0;
    std::vector<QString> texts;  // the marks as drawn
    std::vector<QString> labels; // the whole labels they show
    std::vector<TPieLabelPlace> places;
    bool whole = true; // every mark shows its whole label
};

class TRenderer {
public:
    TRenderer(const TChart& chart, QPainter* p, const QRect& rect, std::vector<TChartLabel>* labels = nullptr)
        : C(chart), P(p), R(rect), FLabels(labels) {
        FFont = p ? p->font() : QGuiApplication::font();
        FBold = FFont;
        FBold.setBold(true);
    }

    std::vector<TChartShape> Run() {
        DrawBackground();
        QRectF area = QRectF(R).adjusted(kMargin, kMargin, -kMargin, -kMargin);
        area.setTop(DrawTextLines(C.Title, area, true));
        area.setBottom(DrawTextLines(C.Foot, area, false));
        if (C.LegendVisible) area = DrawLegend(area);
        if (!Active().empty()) {
            if (Active().front()->Kind == TSeriesKind::Pie)
                DrawPie(area, Active().front());
            else
                DrawBars(area, Active().front()->Kind == TSeriesKind::HorizBar);
        }
        return std::move(FShapes);
    }

private:
    const std::vector<const TChartSeries*>& Active() {
        if (!FActiveDone) {
            for (int i = 0; i < C.SeriesCount(); ++i)
                if (C.Series(i)->Active) FActive.push_back(C.Series(i));
            FActiveDone = true;
        }
        return FActive;
    }

    void DrawBackground() {
        if (!P) return;
        if (C.GradientVisible) {
            QLinearGradient g(R.topLeft(), R.bottomLeft());
            g.setColorAt(0, Qt::white);
            g.setColorAt(1, ToQColor(C.GradientEndColor));
            P->fillRect(R, g);
        } else {
            P->fillRect(R, ToQColor(C.Color));
        }
    }

    // Title lines from the top (top = true) or foot lines from the bottom; the edge left over.
    double DrawTextLines(const std::vector<std::string>& lines, const QRectF& area, bool top) {
        const QFontMetricsF fm(FBold);
        double y = top ? area.top() : area.bottom();
        const int n = static_cast<int>(lines.size());
        for (int k = 0; k < n; ++k) {
            const std::string& line = lines[static_cast<size_t>(top ? k : n - 1 - k)];
            const QRectF box(area.left(), top ? y : y - fm.height(), area.width(), fm.height());
            if (P) {
                P->setFont(FBold);
                P->setPen(top ? ToQColor(C.TitleColor) : QColor(Qt::black));
                P->drawText(box, Qt::AlignHCenter | Qt::AlignVCenter, Text(line));
            }
            y += top ? fm.height() : -fm.height();
        }
        return n ? (top ? y + 4 : y - 4) : y;
    }

    std::vector<TLegendEntry> LegendEntries() {
        std::vector<TLegendEntry> out;
        if (C.SeriesCount() > 1 ||
            (C.FirstSeries() && C.FirstSeries()->Count() == 0 && C.SeriesCount() > 1)) {
            for (const TChartSeries* s : Active())
                out.push_back({Text(s->Title), ToQColor(s->Color)});
            return out;
        }
        if (Active().empty()) return out;
        const TChartSeries* s = Active().front();
        for (int i = 0; i < s->Count(); ++i)
            out.push_back({Text(s->Point(i).Label), ToQColor(s->PointColor(i))});
        if (C.LegendReversed) std::reverse(out.begin(), out.end());
        return out;
    }

    // The legend beside the plot, at the right, while the plot keeps the room its labels need
    // there; else below the plot, in as many columns as the width holds. The plot's area is left.
    QRectF DrawLegend(const QRectF& area) {
        const auto entries = LegendEntries();
        if (entries.empty()) return area;
        const QFontMetricsF fm(FFont);
        double textWidth = 0;
        for (const auto& e : entries)
            textWidth = std::max(textWidth, fm.horizontalAdvance(e.text));
        const double line = std::max(fm.height(), kLegendBox + 2);
        const double entryWidth = textWidth + kLegendBox + 16;
        const int n = static_cast<int>(entries.size());
        const int columns = std::clamp(static_cast<int>(area.width() / entryWidth), 1, n);
        const int rows = (n + columns - 1) / columns;
        const double belowHeight = line * rows + 8;
        QRectF beside = area;
        beside.setRight(area.right() - std::min(entryWidth, area.width() / 2) - kMargin);
        QRectF below = area;
        below.setBottom(area.bottom() - belowHeight - kMargin);
        const bool besideWhole = entryWidth <= area.width() / 2 && PlotFits(beside);
        const bool goBelow = !besideWhole && belowHeight <= area.height() / 2 && PlotFits(below);
        QRectF box;
        if (goBelow) {
            const double w = std::min(entryWidth * columns, area.width());
            box = QRectF(area.center().x() - w / 2, area.bottom() - belowHeight, w, belowHeight);
        } else {
            const double w = std::min(entryWidth, area.width() / 2);
            const double h = std::min(line * static_cast<double>(n) + 8, area.height());
            box = QRectF(area.right() - w, area.top() + std::max(0.0, (area.height() - h) / 2), w, h);
        }
        const int perRow = goBelow ? columns : 1;
        const double cellWidth = box.width() / perRow;
        if (P) {
            P->setFont(FFont);
            P->setPen(QColor(Qt::black));
            P->setBrush(QColor(Qt::white));
            P->drawRect(box);
        }
        for (int i = 0; i < n; ++i) {
            // Row by row: across, then down.
            const double x = box.left() + cellWidth * (i % perRow);
            const double y = box.top() + 4 + line * (i / perRow);
            if (y + line > box.bottom() + 0.5) break;
            const QRectF t(x + kLegendBox + 10, y, cellWidth - kLegendBox - 12, line);
            const QString shown =
                fm.elidedText(entries[static_cast<size_t>(i)].text, Qt::ElideRight, t.width());
            Label(shown, entries[static_cast<size_t>(i)].text, t);
            if (!P) continue;
            P->setBrush(entries[static_cast<size_t>(i)].color);
            P->drawRect(QRectF(x + 4, y + (line - kLegendBox) / 2, kLegendBox, kLegendBox));
            P->drawText(t, Qt::AlignLeft | Qt::AlignVCenter, shown);
        }
        return goBelow ? below : beside;
    }

    // Whether the plot, drawn in area, shows its labels whole and keeps its least size.
    bool PlotFits(const QRectF& area) {
        if (Active().empty()) return true;
        const TChartSeries* s = Active().front();
        if (s->Kind == TSeriesKind::Pie) {
            const TPieLayout pie = LayOutPie(area, s, Slices(s));
            return pie.whole && pie.rx >= kMinPieRadius;
        }
        if (s->Kind == TSeriesKind::Bar) return area.width() >= kMinPlotWidth;
        double whole = 0;
        return CategorySpace(area, &whole) >= whole;
    }

    // Room for the category names beside horizontal bars: what the widest needs, as far as the
    // bars keep their least length, and never less than a third of the area. wholeOut: the need.
    double CategorySpace(const QRectF& area, double* wholeOut = nullptr) {
        const QFontMetricsF fm(FFont);
        double whole = 0;
        const TChartSeries* names = Active().front();
        for (int i = 0; i < names->Count(); ++i)
            whole = std::max(whole, fm.horizontalAdvance(Text(names->Point(i).Label)));
        whole += 6;
        if (wholeOut) *wholeOut = whole;
        double beside = kMinPlotWidth + (C.View3D ? kDepth : 0) +
                        fm.horizontalAdvance(Text(FormatChartValue(TopValue()))) / 2;
        if (!C.LeftAxisTitle.empty()) beside += fm.height() + 2;
        return std::min(whole, std::max(area.width() / 3, area.width() - beside));
    }

    // The value axis: its tick step and its end, a whole number of steps above every value.
    double TopValue(double* stepOut = nullptr) {
        double max = 0;
        for (const TChartSeries* s : Active())
            for (int i = 0; i < s->Count(); ++i)
                max = std::max(max, s->Point(i).Value);
        const double step = NiceStep(max);
        if (stepOut) *stepOut = step;
        return std::max(step, std::ceil(max / step) * step);
    }

    void Label(const QString& shown, const QString& whole, const QRectF& box) {
        if (FLabels) FLabels->push_back({shown, whole, box});
    }

    QBrush Face(const QColor& c, const QRectF& bar, bool horizontal, bool gradient) const {
        if (!gradient) return c;
        QLinearGradient g(horizontal ? bar.topLeft() : bar.topLeft(),
                          horizontal ? bar.bottomLeft() : bar.topRight());
        g.setColorAt(0, c.lighter(150));
        g.setColorAt(1, c.darker(120));
        return g;
    }

    void Shape(int series, int point, const QPolygonF& outline) {
        FShapes.push_back({series, point, outline});
    }

    void DrawBars(QRectF area, bool horizontal) {
        const auto& series = Active();
        int categories = 0;
        for (const TChartSeries* s : series)
            categories = std::max(categories, s->Count());
        double step = 1;
        const double top = TopValue(&step);
        const QFontMetricsF fm(FFont);
        const double depth = C.View3D ? kDepth : 0;

        // Label space: category names beside (horizontal) or below (vertical) the plot.
        const TChartSeries* names = series.front();
        const double catSpace = horizontal ? CategorySpace(area) : fm.height() + 4;
        const double valueSpace =
            horizontal ? fm.height() + 4 : fm.horizontalAdvance(Text(FormatChartValue(top))) + 6;
        const std::string& valueTitle = horizontal ? C.BottomAxisTitle : C.LeftAxisTitle;
        const std::string& catTitle = horizontal ? C.LeftAxisTitle : C.BottomAxisTitle;

        QRectF plot = area;
        if (horizontal) {
            plot.setLeft(area.left() + catSpace + (catTitle.empty() ? 0 : fm.height() + 2));
            plot.setBottom(area.bottom() - valueSpace - (valueTitle.empty() ? 0 : fm.height() + 2));
        } else {
            plot.setLeft(area.left() + valueSpace + (valueTitle.empty() ? 0 : fm.height() + 2));
            plot.setBottom(area.bottom() - catSpace - (catTitle.empty() ? 0 : fm.height() + 2));
        }
        plot.setTop(plot.top() + depth);
        plot.setRight(plot.right() - depth - fm.horizontalAdvance(Text(FormatChartValue(top))) / 2);
        if (plot.width() < 10 || plot.height() < 10) return;

        auto valuePos = [&](double v) {
            const double f = std::clamp(v / top, 0.0, 1.0);
            return horizontal ? plot.left() + f * plot.width() : plot.bottom() - f * plot.height();
        };

        if (P) {
            // Walls, grid and value ticks.
            P->setPen(QColor(Qt::black));
            P->setBrush(QColor(255, 255, 255, 60));
            P->drawRect(plot);
            if (depth > 0) {
                P->drawLine(plot.topLeft(), plot.topLeft() + QPointF(depth, -depth));
                P->drawLine(plot.topRight(), plot.topRight() + QPointF(depth, -depth));
                P->drawLine(plot.bottomRight(), plot.bottomRight() + QPointF(depth, -depth));
                P->drawLine(plot.topLeft() + QPointF(depth, -depth),
                            plot.topRight() + QPointF(depth, -depth));
                P->drawLine(plot.topRight() + QPointF(depth, -depth),
                            plot.bottomRight() + QPointF(depth, -depth));
            }
            P->setFont(FFont);
            for (double v = 0; v <= top + step / 2; v += step) {
                const double x = valuePos(v);
                const QString t = Text(FormatChartValue(v));
                P->setPen(QPen(QColor(128, 128, 128), 0, Qt::DotLine));
                if (horizontal)
                    P->drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
                else
                    P->drawLine(QPointF(plot.left(), x), QPointF(plot.right(), x));
                P->setPen(QColor(Qt::black));
                if (horizontal)
                    P->drawText(QRectF(x - 40, plot.bottom() + 2, 80, fm.height()), Qt::AlignCenter, t);
                else
                    P->drawText(
                        QRectF(area.left(), x - fm.height() / 2, plot.left() - area.left() - 4, fm.height()),
                        Qt::AlignRight | Qt::AlignVCenter, t);
            }
            // Axis titles.
            P->setFont(FBold);
            if (!C.BottomAxisTitle.empty())
                P->drawText(QRectF(plot.left(), area.bottom() - fm.height(), plot.width(), fm.height()),
                            Qt::AlignCenter, Text(C.BottomAxisTitle));
            if (!C.LeftAxisTitle.empty()) {
                P->save();
                P->translate(area.left(), plot.center().y());
                P->rotate(-90);
                P->drawText(QRectF(-plot.height() / 2, 0, plot.height(), fm.height()), Qt::AlignCenter,
                            Text(C.LeftAxisTitle));
                P->restore();
            }
            P->setFont(FFont);
        }
        if (categories == 0) return;

        const double band = (horizontal ? plot.height() : plot.width()) / categories;
        const double barSpan = band * 0.7 / static_cast<double>(series.size());
        for (int i = 0; i < categories; ++i) {
            // Point 0 sits at the bottom (horizontal) or the left (vertical).
            const double bandStart = horizontal ? plot.bottom() - (i + 1) * band : plot.left() + i * band;
            if (P || FLabels) {
                const QString label = Text(names->Count() > i ? names->Point(i).Label : std::string());
                if (P) P->setPen(QColor(Qt::black));
                if (horizontal) {
                    const QRectF box(plot.left() - catSpace, bandStart, catSpace - 4, band);
                    const QString shown = fm.elidedText(label, Qt::ElideRight, box.width());
                    Label(shown, label, box);
                    if (P) P->drawText(box, Qt::AlignRight | Qt::AlignVCenter, shown);
                } else {
                    // Labels that do not fit their band are drawn on every other band, centred
                    // over the two.
                    const int every = fm.horizontalAdvance(label) + 4 > band ? 2 : 1;
                    const QRectF box(bandStart + band / 2 - band * every / 2.0, plot.bottom() + 2,
                                     band * every, fm.height());
                    if (i % every == 0) {
                        Label(label, label, box);
                        if (P) P->drawText(box, Qt::AlignCenter, label);
                    }
                }
            }
            for (size_t k = 0; k < series.size(); ++k) {
                const TChartSeries* s = series[k];
                if (i >= s->Count()) continue;
                const double lo = bandStart + band * 0.15 + barSpan * static_cast<double>(k);
                const double end = valuePos(s->Point(i).Value);
                QRectF bar = horizontal ? QRectF(QPointF(plot.left(), lo), QPointF(end, lo + barSpan))
                                        : QRectF(QPointF(lo, end), QPointF(lo + barSpan, plot.bottom()));
                bar = bar.normalized();
                const QColor c = ToQColor(s->PointColor(i));
                QPolygonF outline(bar);
                if (depth > 0) {
                    const QPointF d(depth, -depth);
                    const QPolygonF topFace(
                        {bar.topLeft(), bar.topLeft() + d, bar.topRight() + d, bar.topRight()});
                    const QPolygonF side(
                        {bar.topRight(), bar.topRight() + d, bar.bottomRight() + d, bar.bottomRight()});
                    if (P) {
                        P->setPen(QColor(Qt::black));
                        P->setBrush(c.lighter(115));
                        P->drawPolygon(topFace);
                        P->setBrush(c.darker(140));
                        P->drawPolygon(side);
                    }
                    outline = QPolygonF({bar.bottomLeft(), bar.topLeft(), bar.topLeft() + d,
                                         bar.topRight() + d, bar.bottomRight() + d, bar.bottomRight()});
                }
                if (P) {
                    P->setPen(QColor(Qt::black));
                    P->setBrush(Face(c, bar, horizontal, s->GradientBars));
                    P->drawRect(bar);
                }
                Shape(C.IndexOfSeries(s), i, outline);
            }
        }
    }

    std::vector<TSlice> Slices(const TChartSeries* s) const {
        double total = 0;
        for (int i = 0; i < s->Count(); ++i)
            total += std::max(0.0, s->Point(i).Value);
        std::vector<TSlice> slices;
        double angle = 0;
        for (int i = 0; i < s->Count(); ++i) {
            const double span = total > 0 ? 360.0 * std::max(0.0, s->Point(i).Value) / total : 0;
            slices.push_back({angle, span});
            angle += span;
        }
        return slices;
    }

    // The pie as large as the area leaves it once its marks stand whole beside it, on the side of
    // their slices; only where that leaves less than the least radius are the marks cut.
    TPieLayout LayOutPie(const QRectF& area, const TChartSeries* s, const std::vector<TSlice>& slices) {
        const QFontMetricsF fm(FFont);
        TPieLayout out;
        out.depth = C.View3D ? kDepth * 1.5 : 0;
        const double squash = C.View3D ? 0.6 : 1.0;
        const double tallest = (area.height() - out.depth - 2 * fm.height()) / (2 * squash) - 4;
        const TPieBox room{area.left(), area.top(), area.width(), area.height()};
        auto finish = [&](double rx, double leftNeed, double rightNeed) {
            out.rx = std::max(10.0, rx);
            out.ry = out.rx * squash;
            const double lo = area.left() + leftNeed + out.rx, hi = area.right() - rightNeed - out.rx;
            out.centre = QPointF(lo < hi ? std::clamp(area.center().x(), lo, hi) : lo,
                                 area.center().y() - out.depth / 2);
        };
        if (!s->ShowMarks) {
            finish(std::min(area.width() / 2 - 8, tallest), 8, 8);
            return out;
        }
        std::vector<TPieLabelSize> sizes;
        std::vector<QString> whole;
        for (int i = 0; i < s->Count(); ++i) {
            const TSlice& sl = slices[static_cast<size_t>(i)];
            whole.push_back(Text(s->Point(i).Label));
            sizes.push_back({sl.start + sl.span / 2, fm.horizontalAdvance(whole.back()) + 6, fm.height()});
        }
        // Which marks stand on which side depends on their angles and the room's height alone.
        const TPieShape probe{{area.center().x(), area.center().y()}, 1, squash, out.depth, room};
        double leftWidth = 0, rightWidth = 0;
        for (const TPieLabelPlace& p : LayoutPieLabels(probe, sizes)) {
            double& side = p.box.left >= probe.centre.x ? rightWidth : leftWidth;
            side = std::max(side, p.box.width);
        }
        auto need = [](double width) { return width > 0 ? width + kPieLabelColumn : 8.0; };
        const double wide = (area.width() - need(leftWidth) - need(rightWidth)) / 2;
        out.texts = whole;
        // A short chart leaves the pie less than its least radius anyway: then whole marks need
        // no more width than that.
        if (wide >= std::min(kMinPieRadius, std::max(tallest, 10.0))) {
            finish(std::min(wide, tallest), need(leftWidth), need(rightWidth));
        } else {
            // Too narrow for whole marks: the pie keeps its least radius and the marks what is left.
            out.whole = false;
            const double rx = std::max(10.0, std::min(kMinPieRadius, tallest));
            const double markWidth = std::max(0.0, area.width() / 2 - rx - kPieLabelColumn - 6);
            for (size_t i = 0; i < whole.size(); ++i) {
                out.texts[i] = fm.elidedText(whole[i], Qt::ElideRight, markWidth);
                sizes[i].width = fm.horizontalAdvance(out.texts[i]) + 6;
            }
            finish(rx, markWidth + 6 + kPieLabelColumn, markWidth + 6 + kPieLabelColumn);
        }
        const TPieShape shape{{out.centre.x(), out.centre.y()}, out.rx, out.ry, out.depth, room};
        out.labels = std::move(whole);
        out.places = LayoutPieLabels(shape, sizes);
        return out;
    }

    void DrawPie(QRectF area, const TChartSeries* s) {
        const std::vector<TSlice> slices = Slices(s);
        const TPieLayout pie = LayOutPie(area, s, slices);
        const QPointF centre = pie.centre;
        const double rx = pie.rx, ry = pie.ry, depth = pie.depth;
        const QRectF ellipse(centre.x() - rx, centre.y() - ry, 2 * rx, 2 * ry);
        double total = 0;
        for (const TSlice& sl : slices)
            total += sl.span;
        if (total <= 0) {
            if (P) {
                P->setPen(QColor(Qt::black));
                P->setBrush(Qt::NoBrush);
                P->drawEllipse(ellipse);
            }
            return;
        }
        auto slicePolygon = [&](const QRectF& e, const TSlice& sl) {
            QPainterPath path(e.center());
            path.arcTo(e, sl.start, sl.span);
            path.closeSubpath();
            return path;
        };
        if (P && depth > 0) {
            // The rim: the lower half of every slice, pushed down by the depth, darker.
            for (int i = 0; i < s->Count(); ++i) {
                if (slices[static_cast<size_t>(i)].span <= 0) continue;
                P->setPen(QColor(Qt::black));
                P->setBrush(ToQColor(s->PointColor(i)).darker(140));
                for (double off = depth; off > 0; off -= 2)
                    P->drawPath(slicePolygon(ellipse.translated(0, off), slices[static_cast<size_t>(i)]));
            }
        }
        for (int i = 0; i < s->Count(); ++i) {
            const TSlice& sl = slices[static_cast<size_t>(i)];
            if (sl.span <= 0) continue;
            const QPainterPath path = slicePolygon(ellipse, sl);
            if (P) {
                P->setPen(QColor(Qt::black));
                P->setBrush(ToQColor(s->PointColor(i)));
                P->drawPath(path);
            }
            Shape(C.IndexOfSeries(s), i, path.toFillPolygon());
        }
        for (size_t i = 0; i < pie.places.size(); ++i) {
            const TPieLabelPlace& p = pie.places[i];
            const QRectF box(p.box.left, p.box.top, p.box.width, p.box.height);
            Label(pie.texts[i], pie.labels[i], box);
            if (P) {
                P->setFont(FFont);
                const QPointF end(p.elbow.x < centre.x() ? box.right() : box.left(), p.elbow.y);
                P->setPen(QColor(Qt::black));
                P->setBrush(Qt::NoBrush);
                P->drawPolyline(
                    QPolygonF({QPointF(p.anchor.x, p.anchor.y), QPointF(p.elbow.x, p.elbow.y), end}));
                P->setBrush(QColor(255, 255, 225));
                P->drawRect(box);
                P->drawText(box, Qt::AlignCenter, pie.texts[i]);
            }
        }
    }

    const TChart& C;
    QPainter* P;
    QRect R;
    QFont FFont, FBold;
    std::vector<const TChartSeries*> FActive;
    bool FActiveDone = false;
    std::vector<TChartShape> FShapes;
    std::vector<TChartLabel>* FLabels;
};

} // namespace

std::vector<TChartShape> RenderChart(const TChart& chart, QPainter* painter, const QRect& rect) {
    if (painter) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
    }
    auto shapes = TRenderer(chart, painter, rect).Run();
    if (painter) painter->restore();
    return shapes;
}

std::vector<TChartLabel> ChartLabels(const TChart& chart, const QRect& rect) {
    std::vector<TChartLabel> labels;
    TRenderer(chart, nullptr, rect, &labels).Run();
    return labels;
}

TChartHit ChartHitTest(const TChart& chart, const QRect& rect, QPointF pos) {
    const auto shapes = RenderChart(chart, nullptr, rect);
    for (auto it = shapes.rbegin(); it != shapes.rend(); ++it)
        if (it->Outline.containsPoint(pos, Qt::OddEvenFill)) return {it->Series, it->Point};
    return {};
}

} // namespace analyser
