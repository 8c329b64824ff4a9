#include "analyser/UAnalyserCustomNewForm.h"

#include "analyser/UAnalyserCustomReport.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace analyser {

TAnalyserCustomNewForm::TAnalyserCustomNewForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle("New Report");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Label1 = new QLabel("New Report Name:", this);
    Edit1 = new QLineEdit(this);
    Edit1->setMaxLength(kMaxNameLength);
    Label1->setBuddy(Edit1);
    OkButton = new QPushButton("O&K", this);
    OkButton->setDefault(true);
    CancelButton = new QPushButton("&Cancel", this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    setFixedSize(260, sizeHint().height());

    connect(OkButton, &QPushButton::clicked, this, [this] { done(1); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { done(2); });
    connect(Edit1, &QLineEdit::textChanged, this, &TAnalyserCustomNewForm::Edit1Change);
    Edit1Change();
    Edit1->setFocus();
}

std::string TAnalyserCustomNewForm::GetReportName() const {
    return Edit1->text().toStdString();
}

void TAnalyserCustomNewForm::reject() {
    done(2);
}

// A blank name, or one with control characters, could not be told apart or stored.
void TAnalyserCustomNewForm::Edit1Change() {
    OkButton->setEnabled(IsValidReportText(GetReportName()));
}

} // namespace analyser
