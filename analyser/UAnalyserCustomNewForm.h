// The "New Report" dialog: asks for the name of a new custom report.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace analyser {

class TAnalyserCustomNewForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxNameLength = 13;

    explicit TAnalyserCustomNewForm(QWidget* parent = nullptr);

    // The name as typed (UTF-8).
    [[nodiscard]] std::string GetReportName() const;
    // Closes with 2, as "&Cancel" does.
    void reject() override;

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* OkButton;
    QPushButton* CancelButton;

private:
    void Edit1Change();
};

} // namespace analyser
