#include "mainwindow/USaveForm.h"

#include "model/UHelpContext.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace mainwindow {

TSaveForm::TSaveForm(QWidget* owner) : QDialog(owner) {
    setWindowTitle("Save Exploration");
    setObjectName("SaveForm");
    GroupBox1 = new QGroupBox("Save Exploration", this);
    Label1 = new QLabel("What do you want to save?", GroupBox1);
    RadioButton1 = new QRadioButton("All Explored Items", GroupBox1);
    RadioButton2 = new QRadioButton("Currently Selected Item(s):", GroupBox1);
    RadioButton1->setChecked(true);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setReadOnly(true);

    auto* group = new QVBoxLayout(GroupBox1);
    group->addWidget(Label1);
    group->addWidget(RadioButton1);
    auto* selected = new QHBoxLayout;
    selected->addWidget(RadioButton2);
    selected->addWidget(Edit1, 1);
    group->addLayout(selected);

    Button1 = new QPushButton("&Save As", this);
    Button1->setDefault(true);
    Button2 = new QPushButton("&Cancel", this);
    Button3 = new QPushButton("&Help", this);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    buttons->addStretch();

    auto* top = new QHBoxLayout(this);
    top->addWidget(GroupBox1, 1);
    top->addLayout(buttons);
    resize(459, 184);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, [] { model::ShowHelp(model::kHelpSave); });
}

int TSaveForm::Execute(int mode, bool preselect, const QString& selection) {
    if (mode == 1) {
        setWindowTitle("Save");
        GroupBox1->setTitle("Save");
        RadioButton1->setText("All Loaded Items");
    }
    (preselect ? RadioButton2 : RadioButton1)->setChecked(true);
    Edit1->setText(selection);
    Edit1->setCursorPosition(0); // a long path shows its beginning
    return exec();
}

bool TSaveForm::SaveSelectedOnly() const {
    return !RadioButton1->isChecked();
}

} // namespace mainwindow
