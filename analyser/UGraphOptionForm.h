// "Analyser options": the chart colours (fourteen data colours, background, title) and the two
// gradient switches. The analyser window fills it, runs it and reads it back on "O&K".
#pragma once

#include "analyser/UAnalyserReports.h"

#include <QDialog>
#include <array>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace analyser {

class TGraphOptionForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;

    explicit TGraphOptionForm(QWidget* parent = nullptr);

    // Colour of data panel i (1-14); 0 outside. Setting outside 1-14 is ignored.
    [[nodiscard]] TChartColor GetDataColor(int i) const;
    void SetDataColor(int i, TChartColor color);
    [[nodiscard]] TChartColor GetBackColor() const { return FBack; }
    void SetBackColor(TChartColor color);
    [[nodiscard]] TChartColor GetTitleColor() const { return FTitle; }
    void SetTitleColor(TChartColor color);
    [[nodiscard]] bool GetGradient1() const;
    void SetGradient1(bool on);
    [[nodiscard]] bool GetGradient2() const;
    void SetGradient2(bool on);

    // All of it at once.
    void SetColors(const TChartColors& colors);
    [[nodiscard]] TChartColors Colors() const;

    // "&Reset": the default table, both gradients on; the dialog stays open.
    void Button3Click();
    // A click on a colour panel: the colour chooser, preset with its colour.
    void PanelClick(QPushButton* panel);

    QGroupBox* GroupBox1;
    QLabel* Label3;
    QPushButton* BackPanel;
    QPushButton* TitlePanel;
    QCheckBox* Gradient1;
    std::array<QPushButton*, 14> Data{};
    QCheckBox* Gradient2;
    QPushButton* Button3;
    QPushButton* Button1;
    QPushButton* Button2;

protected:
    // The system colour chooser; nothing when it was cancelled.
    virtual std::optional<QColor> ChooseColor(const QColor& initial);

private:
    void Paint(QPushButton* panel, TChartColor color);
    TChartColor& ColorOf(QPushButton* panel);

    std::array<TChartColor, 14> FData{};
    TChartColor FBack = 0;
    TChartColor FTitle = 0;
};

} // namespace analyser
