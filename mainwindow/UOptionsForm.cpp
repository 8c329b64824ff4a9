#include "mainwindow/UOptionsForm.h"

#include "mainwindow/UOptionValues.h"
#include "model/UHelpContext.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace mainwindow {

namespace {

std::array<QRadioButton*, 4> UnitGroup(const char* title, QWidget* page, QVBoxLayout* into) {
    auto* box = new QGroupBox(title, page);
    auto* row = new QHBoxLayout(box);
    std::array<QRadioButton*, 4> buttons{};
    const char* captions[4] = {"bytes (B)", "kilobytes (KB)", "megabytes (MB)", "gigabytes (GB)"};
    for (int i = 0; i < 4; ++i) {
        buttons[i] = new QRadioButton(captions[i], box);
        row->addWidget(buttons[i]);
    }
    into->addWidget(box);
    return buttons;
}

int Checked(const std::array<QRadioButton*, 4>& group, int fallback) {
    for (int i = 0; i < 4; ++i)
        if (group[i]->isChecked()) return i;
    return fallback;
}

QGroupBox* IconGroup(const char* title, QWidget* page, QVBoxLayout* into, QRadioButton*& real,
                     QRadioButton*& plain) {
    auto* box = new QGroupBox(title, page);
    auto* column = new QVBoxLayout(box);
    real = new QRadioButton("Use Real Icons (slower)", box);
    plain = new QRadioButton("Use Default Icons (faster)", box);
    real->setChecked(true);
    column->addWidget(real);
    column->addWidget(plain);
    into->addWidget(box);
    return box;
}

} // namespace

TOptionsForm::TOptionsForm(QWidget* owner) : QDialog(owner) {
    setObjectName("OptionsForm");
    setWindowTitle("Options");
    PageControl1 = new QTabWidget(this);

    TabSheet2 = new QWidget;
    auto* general = new QVBoxLayout(TabSheet2);
    auto* generalBox = new QGroupBox(" General Options", TabSheet2);
    auto* generalColumn = new QVBoxLayout(generalBox);
    TipsCheckBox = new QCheckBox("Show Tip of the day on Startup", generalBox);
    SaveCheckBox = new QCheckBox("Ask for save on Exit", generalBox);
    generalColumn->addWidget(TipsCheckBox);
    generalColumn->addWidget(SaveCheckBox);
    general->addWidget(generalBox);
    general->addStretch();

    TabSheet1 = new QWidget;
    auto* size = new QVBoxLayout(TabSheet1);
    auto* sizeLabel =
        new QLabel("Select in which unit you want the size information to be displayed:", TabSheet1);
    sizeLabel->setWordWrap(true);
    size->addWidget(sizeLabel);
    ListUnit = UnitGroup(" Size In Listview ", TabSheet1, size);
    AnalyserUnit = UnitGroup(" Used Space In Analyser ", TabSheet1, size);
    DriveUnit = UnitGroup(" Drive Information ", TabSheet1, size);
    size->addStretch();
    ListUnit[1]->setChecked(true);
    AnalyserUnit[1]->setChecked(true);
    DriveUnit[3]->setChecked(true);

    TabSheet3 = new QWidget;
    auto* icons = new QVBoxLayout(TabSheet3);
    IconGroup("Items from Local Drive", TabSheet3, icons, RadioButton5, RadioButton6);
    IconGroup("Items from Removable Drive", TabSheet3, icons, RadioButton7, RadioButton8);
    GroupBox7 = IconGroup("Items from Network", TabSheet3, icons, RadioButton17, RadioButton18);
    icons->addStretch();

    PageControl1->addTab(TabSheet2, "&General");
    PageControl1->addTab(TabSheet1, "&Size");
    PageControl1->addTab(TabSheet3, "&Icons");

    Button1 = new QPushButton("O&K", this);
    Button1->setDefault(true);
    Button2 = new QPushButton("&Cancel", this);
    Button3 = new QPushButton("&Help", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);

    auto* top = new QVBoxLayout(this);
    top->addWidget(PageControl1, 1);
    top->addLayout(buttons);
    resize(411, 406);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, [] { model::ShowHelp(model::kHelpOptions); });
}

int TOptionsForm::Execute(int type) {
    SaveCheckBox->setVisible(type == 0);
    GroupBox7->setVisible(type != 2);
    if (type == 1) {
        const int icons = PageControl1->indexOf(TabSheet3);
        if (icons >= 0) PageControl1->removeTab(icons);
    }
    PageControl1->setCurrentWidget(TabSheet2);
    if (parentWidget()) {
        // Centred on the owner.
        const QRect area = parentWidget()->frameGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    return exec();
}

void TOptionsForm::SetGeneralOptions(bool showTips, bool askSave) {
    TipsCheckBox->setChecked(showTips);
    SaveCheckBox->setChecked(askSave);
}

void TOptionsForm::SetSizeUnits(int listUnit, int analyserUnit, int driveUnit) {
    ListUnit[ListUnitButton(listUnit)]->setChecked(true);
    AnalyserUnit[ListUnitButton(analyserUnit)]->setChecked(true);
    DriveUnit[DriveUnitButton(driveUnit)]->setChecked(true);
}

void TOptionsForm::SetIconModes(bool local, bool removable, bool network) {
    (local ? RadioButton5 : RadioButton6)->setChecked(true);
    (removable ? RadioButton7 : RadioButton8)->setChecked(true);
    (network ? RadioButton17 : RadioButton18)->setChecked(true);
}

bool TOptionsForm::GetShowTips() const {
    return TipsCheckBox->isChecked();
}
bool TOptionsForm::GetAskSave() const {
    return SaveCheckBox->isChecked();
}
int TOptionsForm::GetListSizeUnit() const {
    return Checked(ListUnit, 1);
}
int TOptionsForm::GetAnalyserSizeUnit() const {
    return Checked(AnalyserUnit, 1);
}
int TOptionsForm::GetDriveSizeUnit() const {
    return Checked(DriveUnit, 3);
}
bool TOptionsForm::GetLocalRealIcon() const {
    return RadioButton5->isChecked();
}
bool TOptionsForm::GetRemovableRealIcon() const {
    return RadioButton7->isChecked();
}
bool TOptionsForm::GetNetworkRealIcon() const {
    return RadioButton17->isChecked();
}

} // namespace mainwindow
