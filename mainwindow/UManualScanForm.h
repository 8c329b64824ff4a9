// The path dialog of a manual exploration and of a new preferred exploration.
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace mainwindow {

struct TManualPathCheck;

class TManualScanForm : public QDialog {
    Q_OBJECT
public:
    explicit TManualScanForm(QWidget* owner = nullptr);

    // The preferred form asks for a path to add and offers Auto-Explore; the other one for a path
    // to explore. Returns the modal result (QDialog::Accepted for "E&xplore" / "&Add").
    int Execute(bool forPreferred);

    // The typed path as the check takes it (a lone "/" kept, another lone character dropped).
    [[nodiscard]] std::string GetPath() const;
    [[nodiscard]] std::string GetPathText() const;
    [[nodiscard]] bool GetAutoExplore() const;
    // The path names a whole drive: a mount point.
    [[nodiscard]] bool IsDriveRoot() const;

    // "E&xplore" / "&Add": checks the path (on a worker: the dialog goes on answering); a valid one
    // is stored back completed and closes the dialog, an invalid one is reported and the dialog
    // stays.
    void Button1Click();

    // In place of the message box (tests).
    void SetMessageHook(std::function<void(const std::string& text, const std::string& caption)> hook) {
        FMessage = std::move(hook);
    }

    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLineEdit* PathEdit;
    QCheckBox* AutoCheckBox;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;

private:
    // The answer of the check that "E&xplore" / "&Add" started.
    void PathChecked(const TManualPathCheck& check);

    std::function<void(const std::string&, const std::string&)> FMessage;
    bool FChecking = false;
};

} // namespace mainwindow
