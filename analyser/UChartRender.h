// Draws a chart model (UChart.h) with QPainter: background (plain or gradient), title and foot
// lines, legend, horizontal and vertical bars (side by side per series, gradient or plain faces,
// 3D depth), pies (marks, 3D depth), axes with value ticks and axis titles. The same layout gives
// the hit test, so a click finds exactly the shape that was drawn.
#pragma once

#include "analyser/UChart.h"

#include <QColor>
#include <QPolygonF>
#include <QRect>
#include <QString>
#include <vector>

class QPainter;

namespace analyser {

[[nodiscard]] QColor ToQColor(TChartColor c);
[[nodiscard]] TChartColor FromQColor(const QColor& c);

// A drawn point: its series index, point index and outline in the painter's coordinates.
struct TChartShape {
    int Series = -1;
    int Point = -1;
    QPolygonF Outline;
};

// Draws chart into rect (painter may be null: only the shapes are laid out) and gives the shape
// of every point drawn, in drawing order.
std::vector<TChartShape> RenderChart(const TChart& chart, QPainter* painter, const QRect& rect);

// A label as drawn (legend entry, category name, pie mark): its text, the whole label it
// shows, and its box.
struct TChartLabel {
    QString Shown;
    QString Whole;
    QRectF Box;
};
// The labels of chart drawn into rect, in drawing order; laid out only, nothing is drawn.
[[nodiscard]] std::vector<TChartLabel> ChartLabels(const TChart& chart, const QRect& rect);

struct TChartHit {
    int Series = -1; // -1: no point there
    int Point = -1;
};
// The point drawn at pos (the last drawn wins where shapes overlap).
[[nodiscard]] TChartHit ChartHitTest(const TChart& chart, const QRect& rect, QPointF pos);

} // namespace analyser
