#include "analyser/UGraphOptionForm.h"

#include "analyser/UChartRender.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace analyser {

TGraphOptionForm::TGraphOptionForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Analyser options");
    setFixedSize(436, 274);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);

    GroupBox1 = new QGroupBox(" Chart Colors ", this);
    GroupBox1->setGeometry(8, 4, 420, 226);
    Label3 = new QLabel("Click on a color box to change the color.", GroupBox1);
    QFont bold = Label3->font();
    bold.setBold(true);
    Label3->setFont(bold);
    Label3->setGeometry(12, 20, 396, 18);

    auto panel = [&](const QString& text, int x, int y, int w) {
        auto* b = new QPushButton(text, GroupBox1);
        b->setGeometry(x, y, w, 28);
        b->setFlat(true);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, b] { PanelClick(b); });
        return b;
    };
    BackPanel = panel("Background", 12, 46, 190);
    TitlePanel = panel("Title", 218, 46, 190);
    Gradient1 = new QCheckBox("Gradient effect", GroupBox1);
    Gradient1->setGeometry(12, 78, 200, 20);
    for (int i = 0; i < 14; ++i) {
        const int row = i / 7, col = i % 7;
        Data[static_cast<size_t>(i)] =
            panel(QString("Data %1").arg(i + 1), 12 + col * 57, 110 + row * 36, 53);
    }
    Gradient2 = new QCheckBox("Gradient effect", GroupBox1);
    Gradient2->setGeometry(12, 190, 200, 20);

    Button3 = new QPushButton("&Reset", this);
    Button3->setGeometry(8, 240, 75, 25);
    Button3->setAutoDefault(false);
    Button1 = new QPushButton("O&K", this);
    Button1->setGeometry(272, 240, 75, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton("Cancel", this);
    Button2->setGeometry(353, 240, 75, 25);
    Button2->setAutoDefault(false);
    connect(Button3, &QPushButton::clicked, this, &TGraphOptionForm::Button3Click);
    connect(Button1, &QPushButton::clicked, this, [this] { done(kResultOk); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(kResultCancel); });

    SetColors(TChartColors{});
}

void TGraphOptionForm::Paint(QPushButton* panel, TChartColor color) {
    const QColor c = ToQColor(color);
    const int luma = (299 * c.red() + 587 * c.green() + 114 * c.blue()) / 1000;
    const QColor text = luma < 128 ? Qt::white : Qt::black;
    panel->setStyleSheet(
        QString("QPushButton { background-color: %1; color: %2; border: 1px solid #606060; }")
            .arg(c.name(), text.name()));
}

TChartColor& TGraphOptionForm::ColorOf(QPushButton* panel) {
    if (panel == BackPanel) return FBack;
    if (panel == TitlePanel) return FTitle;
    for (size_t i = 0; i < Data.size(); ++i)
        if (Data[i] == panel) return FData[i];
    return FBack;
}

TChartColor TGraphOptionForm::GetDataColor(int i) const {
    return i >= 1 && i <= 14 ? FData[static_cast<size_t>(i - 1)] : 0;
}
void TGraphOptionForm::SetDataColor(int i, TChartColor color) {
    if (i < 1 || i > 14) return;
    FData[static_cast<size_t>(i - 1)] = color;
    Paint(Data[static_cast<size_t>(i - 1)], color);
}
void TGraphOptionForm::SetBackColor(TChartColor color) {
    FBack = color;
    Paint(BackPanel, color);
}
void TGraphOptionForm::SetTitleColor(TChartColor color) {
    FTitle = color;
    Paint(TitlePanel, color);
}
bool TGraphOptionForm::GetGradient1() const {
    return Gradient1->isChecked();
}
void TGraphOptionForm::SetGradient1(bool on) {
    Gradient1->setChecked(on);
}
bool TGraphOptionForm::GetGradient2() const {
    return Gradient2->isChecked();
}
void TGraphOptionForm::SetGradient2(bool on) {
    Gradient2->setChecked(on);
}

void TGraphOptionForm::SetColors(const TChartColors& colors) {
    for (int i = 1; i <= 14; ++i)
        SetDataColor(i, colors.Data[static_cast<size_t>(i - 1)]);
    SetBackColor(colors.Background);
    SetTitleColor(colors.Title);
    SetGradient1(colors.BackgroundGradient);
    SetGradient2(colors.DataGradient);
}

TChartColors TGraphOptionForm::Colors() const {
    TChartColors c;
    for (int i = 1; i <= 14; ++i)
        c.Data[static_cast<size_t>(i - 1)] = GetDataColor(i);
    c.Background = FBack;
    c.Title = FTitle;
    c.BackgroundGradient = GetGradient1();
    c.DataGradient = GetGradient2();
    return c;
}

void TGraphOptionForm::Button3Click() {
    SetColors(TChartColors{});
}

void TGraphOptionForm::PanelClick(QPushButton* panel) {
    TChartColor& slot = ColorOf(panel);
    if (const auto chosen = ChooseColor(ToQColor(slot))) {
        slot = FromQColor(*chosen);
        Paint(panel, slot);
    }
}

std::optional<QColor> TGraphOptionForm::ChooseColor(const QColor& initial) {
    const QColor c = QColorDialog::getColor(initial, this);
    if (!c.isValid()) return std::nullopt;
    return c;
}

} // namespace analyser
