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

class TRenderer {
public:
    TRenderer(const TChart& chart, QPainter* p, const QRect& rect) : C(chart), P(p), R(rect) {
        FFont = p ? p->font() : QGuiApplication::font();
        FBold = FFont;
        FBold.setBold(true);
    }

    std::vector<TChartShape> Run() {
        DrawBackground();
        QRectF area = QRectF(R).adjusted(kMargin, kMargin, -kMargin, -kMargin);
        area.setTop(DrawTextLines(C.Title, area, true));
        area.setBottom(DrawTextLines(C.Foot, area, false));
        if (C.LegendVisible) area.setRight(DrawLegend(area));
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

    // The legend at the right; the plot's right edge.
    double DrawLegend(const QRectF& area) {
        const auto entries = LegendEntries();
        if (entries.empty()) return area.right();
        const QFontMetricsF fm(FFont);
        double textWidth = 0;
        for (const auto& e : entries)
            textWidth = std::max(textWidth, fm.horizontalAdvance(e.text));
        const double line = std::max(fm.height(), kLegendBox + 2);
        const double w = std::min(textWidth + kLegendBox + 16, area.width() / 2);
        const double h = std::min(line * static_cast<double>(entries.size()) + 8, area.height());
        const QRectF box(area.right() - w, area.top() + std::max(0.0, (area.height() - h) / 2), w, h);
        if (P) {
            P->setFont(FFont);
            P->setPen(QColor(Qt::black));
            P->setBrush(QColor(Qt::white));
            P->drawRect(box);
            double y = box.top() + 4;
            for (const auto& e : entries) {
                if (y + line > box.bottom() + 0.5) break;
                P->setBrush(e.color);
                P->drawRect(QRectF(box.left() + 4, y + (line - kLegendBox) / 2, kLegendBox, kLegendBox));
                const QRectF t(box.left() + kLegendBox + 10, y, box.width() - kLegendBox - 12, line);
                P->drawText(t, Qt::AlignLeft | Qt::AlignVCenter,
                            fm.elidedText(e.text, Qt::ElideRight, t.width()));
                y += line;
            }
        }
        return box.left() - kMargin;
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
        double max = 0;
        for (const TChartSeries* s : series) {
            categories = std::max(categories, s->Count());
            for (int i = 0; i < s->Count(); ++i)
                max = std::max(max, s->Point(i).Value);
        }
        const double step = NiceStep(max);
        const double top = std::max(step, std::ceil(max / step) * step);
        const QFontMetricsF fm(FFont);
        const double depth = C.View3D ? kDepth : 0;

        // Label space: category names beside (horizontal) or below (vertical) the plot.
        double catSpace = 0;
        const TChartSeries* names = series.front();
        for (int i = 0; i < names->Count(); ++i)
            catSpace = std::max(catSpace, fm.horizontalAdvance(Text(names->Point(i).Label)));
        catSpace = horizontal ? std::min(catSpace + 6, area.width() / 3) : fm.height() + 4;
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
            if (P) {
                const QString label = Text(names->Count() > i ? names->Point(i).Label : std::string());
                P->setPen(QColor(Qt::black));
                if (horizontal)
                    P->drawText(QRectF(plot.left() - catSpace, bandStart, catSpace - 4, band),
                                Qt::AlignRight | Qt::AlignVCenter,
                                fm.elidedText(label, Qt::ElideRight, catSpace - 4));
                else {
                    // Labels that do not fit their band are drawn on every other band, centred
                    // over the two.
                    const int every = fm.horizontalAdvance(label) + 4 > band ? 2 : 1;
                    if (i % every == 0)
                        P->drawText(QRectF(bandStart + band / 2 - band * every / 2.0, plot.bottom() + 2,
                                           band * every, fm.height()),
                                    Qt::AlignCenter, label);
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

    void DrawPie(QRectF area, const TChartSeries* s) {
        double total = 0;
        for (int i = 0; i < s->Count(); ++i)
            total += std::max(0.0, s->Point(i).Value);
        const QFontMetricsF fm(FFont);
        double markWidth = 0;
        if (s->ShowMarks)
            for (int i = 0; i < s->Count(); ++i)
                markWidth = std::max(markWidth, fm.horizontalAdvance(Text(s->Point(i).Label)) + 8);
        markWidth = std::min(markWidth, area.width() / 4);
        const double depth = C.View3D ? kDepth * 1.5 : 0;
        const double squash = C.View3D ? 0.6 : 1.0;
        // The label columns beside the pie: the widest label (its box 6 wider than its text) and the gap.
        const double beside = markWidth > 0 ? markWidth + 6 + kPieLabelColumn : 8;
        const double rx =
            std::max(10.0, std::min(area.width() / 2 - beside,
                                    (area.height() - depth - 2 * fm.height()) / (2 * squash) - 4));
        const double ry = rx * squash;
        const QPointF centre(area.center().x(), area.center().y() - depth / 2);
        const QRectF ellipse(centre.x() - rx, centre.y() - ry, 2 * rx, 2 * ry);
        if (total <= 0) {
            if (P) {
                P->setPen(QColor(Qt::black));
                P->setBrush(Qt::NoBrush);
                P->drawEllipse(ellipse);
            }
            return;
        }
        struct TSlice {
            double start, span;
        };
        std::vector<TSlice> slices;
        double angle = 0;
        for (int i = 0; i < s->Count(); ++i) {
            const double span = 360.0 * std::max(0.0, s->Point(i).Value) / total;
            slices.push_back({angle, span});
            angle += span;
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
        if (P && s->ShowMarks) {
            P->setFont(FFont);
            std::vector<QString> texts;
            std::vector<TPieLabelSize> sizes;
            for (int i = 0; i < s->Count(); ++i) {
                const TSlice& sl = slices[static_cast<size_t>(i)];
                texts.push_back(fm.elidedText(Text(s->Point(i).Label), Qt::ElideRight, markWidth));
                sizes.push_back(
                    {sl.start + sl.span / 2, fm.horizontalAdvance(texts.back()) + 6, fm.height()});
            }
            const TPieShape shape{{centre.x(), centre.y()},
                                  rx,
                                  ry,
                                  depth,
                                  {area.left(), area.top(), area.width(), area.height()}};
            const std::vector<TPieLabelPlace> places = LayoutPieLabels(shape, sizes);
            for (size_t i = 0; i < places.size(); ++i) {
                const TPieLabelPlace& p = places[i];
                const QRectF box(p.box.left, p.box.top, p.box.width, p.box.height);
                const QPointF end(p.elbow.x < centre.x() ? box.right() : box.left(), p.elbow.y);
                P->setPen(QColor(Qt::black));
                P->setBrush(Qt::NoBrush);
                P->drawPolyline(
                    QPolygonF({QPointF(p.anchor.x, p.anchor.y), QPointF(p.elbow.x, p.elbow.y), end}));
                P->setBrush(QColor(255, 255, 225));
                P->drawRect(box);
                P->drawText(box, Qt::AlignCenter, texts[i]);
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

TChartHit ChartHitTest(const TChart& chart, const QRect& rect, QPointF pos) {
    const auto shapes = RenderChart(chart, nullptr, rect);
    for (auto it = shapes.rbegin(); it != shapes.rend(); ++it)
        if (it->Outline.containsPoint(pos, Qt::OddEvenFill)) return {it->Series, it->Point};
    return {};
}

} // namespace analyser
