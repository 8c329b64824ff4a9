// The tip-of-the-day dialog; remembers in the settings which tip comes next.
#pragma once

#include <QDialog>

#include <string>

class QCheckBox;
class QLabel;
class QPushButton;

namespace mainwindow {

class TTipsForm : public QDialog {
    Q_OBJECT
public:
    // settingsFile: the settings store's file; empty: the store of the program in force
    // (listing::CurrentProfile()).
    explicit TTipsForm(QWidget* owner = nullptr, std::string settingsFile = {});

    // Shows the stored tip centred on the main window's bounds, modally; the tip after the last one
    // shown is stored for next time.
    void Execute(bool showAtStart, int left, int top, int width, int height);
    [[nodiscard]] bool GetShowTips() const;
    [[nodiscard]] int TipPos() const { return FTipPos; }

    void LoadTipPos();
    void SaveTipPos();
    void Button1Click(); // "&Next Tip"
    void Button2Click(); // "&Close"

    QLabel* TipLabel;
    QCheckBox* ShowCheckBox;
    QPushButton* Button1;
    QPushButton* Button2;

private:
    void ShowTip();
    std::string FSettingsFile;
    int FTipPos = 1;
};

} // namespace mainwindow
