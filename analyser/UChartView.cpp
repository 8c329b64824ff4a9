#include "analyser/UChartView.h"

#include "analyser/UChartRender.h"

#include <QMouseEvent>
#include <QPainter>

namespace analyser {

TChartView::TChartView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(120, 80);
}

void TChartView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font());
    RenderChart(FChart, &p, rect());
}

void TChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    const TChartHit hit = ChartHitTest(FChart, rect(), event->position());
    if (hit.Series >= 0) emit ClickSeries(hit.Series, hit.Point);
}

} // namespace analyser
