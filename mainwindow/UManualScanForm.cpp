#include "mainwindow/UManualScanForm.h"

#include "mainwindow/UMainSettings.h"
#include "mainwindow/UManualPath.h"
#include "model/UHelpContext.h"
#include "model/UPlainText.h"
#include "platform/PMounts.h"
#include "platform/PQtPost.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace mainwindow {

TManualScanForm::TManualScanForm(QWidget* owner) : QDialog(owner) {
    setObjectName("ManualScanForm");
    setWindowTitle("Manual Exploration");
    GroupBox1 = new QGroupBox(this);
    Label1 = new QLabel(GroupBox1);
    // Examples of what a path is here: a mount point, a network share, a folder.
    Label2 = new QLabel("Example: /", GroupBox1);
    Label3 = new QLabel("Example: //NetComputer1/share", GroupBox1);
    Label4 = new QLabel("Example: /home/TEST/BACKUP/", GroupBox1);
    for (QLabel* example : {Label2, Label3, Label4})
        example->setEnabled(false);
    PathEdit = new QLineEdit(GroupBox1);
    PathEdit->setObjectName("PathEdit");
    AutoCheckBox = new QCheckBox("Auto-Explore on Startup", GroupBox1);
    AutoCheckBox->setChecked(true);

    auto* group = new QGridLayout(GroupBox1);
    group->setHorizontalSpacing(16);
    group->addWidget(Label1, 0, 0, 1, 3);
    group->addWidget(Label2, 1, 0);
    group->addWidget(Label3, 1, 1);
    group->addWidget(Label4, 1, 2);
    group->addWidget(PathEdit, 2, 0, 1, 3);
    group->addWidget(AutoCheckBox, 3, 0, 1, 3);

    Button1 = new QPushButton("E&xplore", this);
    Button1->setDefault(true);
    Button2 = new QPushButton("&Cancel", this);
    Button3 = new QPushButton("&Help", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);

    auto* top = new QVBoxLayout(this);
    top->addWidget(GroupBox1);
    top->addLayout(buttons);
    resize(468, 167);

    connect(Button1, &QPushButton::clicked, this, &TManualScanForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, [] { model::ShowHelp(model::kHelpManual); });
}

int TManualScanForm::Execute(bool forPreferred) {
    if (forPreferred) {
        setWindowTitle("New Preferred Exploration");
        Label1->setText("Enter the mount point, network path or folder path to add:");
        Button1->setText("&Add");
    } else {
        setWindowTitle("Manual Exploration");
        Label1->setText("Enter the mount point, network path or folder path to explore:");
        Button1->setText("E&xplore");
    }
    AutoCheckBox->setVisible(forPreferred);
    PathEdit->clear();
    PathEdit->setFocus(Qt::OtherFocusReason);
    return exec();
}

std::string TManualScanForm::GetPath() const {
    return CompleteManualPath(PathEdit->text().toStdString());
}

std::string TManualScanForm::GetPathText() const {
    return PathEdit->text().toStdString();
}

bool TManualScanForm::GetAutoExplore() const {
    return AutoCheckBox->isChecked();
}

bool TManualScanForm::IsDriveRoot() const {
    std::vector<std::string> mountPoints;
    for (const platform::TMountEntry& m : platform::ReadMounts())
        mountPoints.push_back(m.mountPoint);
    return mainwindow::IsDriveRoot(GetPathText(), mountPoints);
}

void TManualScanForm::Button1Click() {
    if (FChecking) return; // the check of the last click answers first
    FChecking = true;
    setCursor(Qt::WaitCursor);
    // Made on a worker, so that the dialog answers while a file system does not; one that does not
    // answer in time has no such path.
    const std::string typed = GetPath();
    const auto call = platform::StartFileCall<TManualPathCheck>(
        platform::TCallKind::Check, platform::CallLane(typed), "manual " + typed,
        [typed] { return CheckManualPath(typed); }, platform::kSpaceTimeLimitMs);
    platform::TellWithin<TManualPathCheck>(call, platform::kSpaceTimeLimitMs, TManualPathCheck{}, this,
                                           [this](const TManualPathCheck& check) { PathChecked(check); });
}

void TManualScanForm::PathChecked(const TManualPathCheck& check) {
    FChecking = false;
    unsetCursor();
    const std::string& path = check.path;
    if (check.valid) {
        PathEdit->setText(QString::fromStdString(path));
        accept();
        return;
    }
    if (FMessage) {
        FMessage(kInvalidPathMessage, kInvalidPathCaption);
    } else {
        model::ShowMessageBox(this, QMessageBox::Critical, kInvalidPathCaption,
                              QString::fromUtf8(kInvalidPathMessage));
    }
    PathEdit->setFocus(Qt::OtherFocusReason);
}

} // namespace mainwindow
