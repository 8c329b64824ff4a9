// A widget that shows a chart model and reports the point clicked.
#pragma once

#include "analyser/UChart.h"

#include <QWidget>

namespace analyser {

class TChartView : public QWidget {
    Q_OBJECT
public:
    explicit TChartView(QWidget* parent = nullptr);

    [[nodiscard]] TChart& Chart() { return FChart; }
    [[nodiscard]] const TChart& Chart() const { return FChart; }

signals:
    // A click on a drawn point: the series (index in the chart) and the point index.
    void ClickSeries(int series, int point);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TChart FChart;
};

} // namespace analyser
