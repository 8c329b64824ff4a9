// The save-choice dialog: all explored (or loaded) items, or only the selected ones.
#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace mainwindow {

class TSaveForm : public QDialog {
    Q_OBJECT
public:
    explicit TSaveForm(QWidget* owner = nullptr);

    // mode 1: the viewer's wording ("Save", "All Loaded Items"); any other: the explorer's.
    // preselect checks "Currently Selected Item(s):"; selection is what that names. Returns the
    // modal result (QDialog::Accepted for "&Save As").
    int Execute(int mode, bool preselect, const QString& selection);
    [[nodiscard]] bool SaveSelectedOnly() const;

    QGroupBox* GroupBox1;
    QLabel* Label1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
};

} // namespace mainwindow
