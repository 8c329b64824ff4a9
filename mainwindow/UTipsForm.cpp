#include "mainwindow/UTipsForm.h"

#include "listing/UProgramProfile.h"
#include "mainwindow/UTipsList.h"
#include "platform/PQtRegistry.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace mainwindow {

namespace {
// Each program keeps its own place in the tips.
platform::TRegistry OpenTipStore(const std::string& file) {
    return file.empty() ? platform::TRegistry(listing::CurrentProfile().settingsName)
                        : platform::TRegistry::AtFile(file);
}
} // namespace

TTipsForm::TTipsForm(QWidget* owner, std::string settingsFile)
    : QDialog(owner), FSettingsFile(std::move(settingsFile)) {
    setObjectName("TipsForm");
    setWindowTitle("Tessalundrix Tip of the Day");

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(white);

    auto* bulb = new QLabel(panel);
    bulb->setPixmap(
        QIcon::fromTheme("dialog-information", style()->standardIcon(QStyle::SP_MessageBoxInformation))
            .pixmap(32, 32));
    auto* header = new QLabel("Did you know...", panel);
    QFont font("Arial");
    font.setPixelSize(24);
    font.setBold(true);
    header->setFont(font);
    auto* rule = new QFrame(panel);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setLineWidth(2);
    TipLabel = new QLabel(panel);
    TipLabel->setWordWrap(true);
    TipLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    TipLabel->setMinimumSize(321, 121);

    auto* headRow = new QHBoxLayout;
    headRow->addWidget(bulb);
    headRow->addWidget(header, 1);
    auto* panelColumn = new QVBoxLayout(panel);
    panelColumn->addLayout(headRow);
    panelColumn->addWidget(rule);
    panelColumn->addWidget(TipLabel, 1);

    ShowCheckBox = new QCheckBox("Show Tips at Startup", this);
    ShowCheckBox->setChecked(true);
    Button1 = new QPushButton("&Next Tip", this);
    Button2 = new QPushButton("&Close", this);
    Button2->setDefault(true);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ShowCheckBox);
    bottom->addStretch();
    bottom->addWidget(Button1);
    bottom->addWidget(Button2);

    auto* top = new QVBoxLayout(this);
    top->addWidget(panel, 1);
    top->addLayout(bottom);
    resize(358, 250);

    connect(Button1, &QPushButton::clicked, this, &TTipsForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TTipsForm::Button2Click);
}

void TTipsForm::Execute(bool showAtStart, int left, int top, int width, int height) {
    FTipPos = 1;
    ShowCheckBox->setChecked(showAtStart);
    LoadTipPos();
    FTipPos = ValidTipPos(FTipPos);
    ShowTip();
    const QSize size = this->size();
    move(CentredOn(left, width, size.width()), CentredOn(top, height, size.height()));
    exec();
    FTipPos = NextTipPos(FTipPos);
    SaveTipPos();
}

bool TTipsForm::GetShowTips() const {
    return ShowCheckBox->isChecked();
}

void TTipsForm::LoadTipPos() {
    platform::TRegistry reg = OpenTipStore(FSettingsFile);
    if (!reg.OpenKey("", false)) return;
    // A missing or mistyped value keeps what there is.
    const auto value = reg.ReadInteger(kTipPosValue);
    if (value.Ok()) FTipPos = value.value;
}

void TTipsForm::SaveTipPos() {
    platform::TRegistry reg = OpenTipStore(FSettingsFile);
    if (!reg.OpenKey("", true)) return;
    reg.WriteInteger(kTipPosValue, FTipPos);
    reg.Flush();
}

void TTipsForm::Button1Click() {
    FTipPos = NextTipPos(FTipPos);
    ShowTip();
}

void TTipsForm::Button2Click() {
    accept();
}

void TTipsForm::ShowTip() {
    QString text = QString::fromUtf8(TipText(FTipPos).data(), int(TipText(FTipPos).size()));
    text.replace("\n\r", "\n");
    TipLabel->setText(text);
}

} // namespace mainwindow
