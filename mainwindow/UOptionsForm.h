// The options dialog: general options, the size units of the lists and the icon modes. Type 0 is
// the explorer's; type 1 the viewer's (no save question, no icon page); type 2 has no network
// icon group.
#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace mainwindow {

// The kinds of the dialog (TOptionsForm::Execute).
enum : int { kOptionsExplorer = 0, kOptionsViewer = 1, kOptionsWithoutNetworkIcons = 2 };

class TOptionsForm : public QDialog {
    Q_OBJECT
public:
    explicit TOptionsForm(QWidget* owner = nullptr);

    int Execute(int type);

    void SetGeneralOptions(bool showTips, bool askSave);
    // Unit codes 0 B, 1 KB, 2 MB, 3 GB.
    void SetSizeUnits(int listUnit, int analyserUnit, int driveUnit);
    // true = real icons.
    void SetIconModes(bool local, bool removable, bool network);

    [[nodiscard]] bool GetShowTips() const;
    [[nodiscard]] bool GetAskSave() const;
    [[nodiscard]] int GetListSizeUnit() const;
    [[nodiscard]] int GetAnalyserSizeUnit() const;
    [[nodiscard]] int GetDriveSizeUnit() const;
    [[nodiscard]] bool GetLocalRealIcon() const;
    [[nodiscard]] bool GetRemovableRealIcon() const;
    [[nodiscard]] bool GetNetworkRealIcon() const;

    QTabWidget* PageControl1;
    QWidget* TabSheet2; // General
    QWidget* TabSheet1; // Size
    QWidget* TabSheet3; // Icons
    QCheckBox* TipsCheckBox;
    QCheckBox* SaveCheckBox;
    std::array<QRadioButton*, 4> ListUnit;       // RadioButton1 .. RadioButton4
    std::array<QRadioButton*, 4> AnalyserUnit;   // RadioButton9 .. RadioButton12
    std::array<QRadioButton*, 4> DriveUnit;      // RadioButton13 .. RadioButton16
    QRadioButton *RadioButton5, *RadioButton6;   // local: real, default
    QRadioButton *RadioButton7, *RadioButton8;   // removable
    QRadioButton *RadioButton17, *RadioButton18; // network
    QGroupBox* GroupBox7;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
};

} // namespace mainwindow
