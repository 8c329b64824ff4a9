// The About box of both programs: the program's icon, name and version, what it does, OK.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace mainwindow {

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    // Texts of the program in force (listing::CurrentProfile()).
    explicit TAboutForm(QWidget* owner = nullptr);

    QLabel* ProgramIcon;
    QLabel* NameLabel;    // name and version
    QLabel* PurposeLabel; // what the program does
    QPushButton* OKButton;
};

// The version every program shows ("3.1").
[[nodiscard]] QString ProgramVersion();

} // namespace mainwindow
