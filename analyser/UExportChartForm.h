// "Export Chart": saves the chart of the current analyser tab as a bitmap, enhanced metafile or
// Windows metafile file, or copies it to the clipboard in one of these forms.
#pragma once

#include "analyser/UChart.h"
#include "model/UHelpContext.h"

#include <QDialog>
#include <QMessageBox>
#include <QSize>

class QComboBox;
class QLabel;
class QPushButton;

namespace analyser {

class TExportChartForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResultDone = 1;
    static constexpr int kResultCancel = 2;
    static constexpr int kHelpContext = model::kHelpExport;

    explicit TExportChartForm(QWidget* parent = nullptr);

    // Shows the dialog for chart (not owned; drawn at size) and gives the modal result: 1 after
    // a successful export, 2 when cancelled.
    int Execute(const TChart& chart, QSize size);
    // Everything Execute does before the modal run.
    void Prepare(const TChart& chart, QSize size);
    void EnableControls(bool enabled);
    // The export of the chosen form; closes the dialog with 1 on success.
    void DoExport();

    QLabel* Label2;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label7;
    QLabel* Label9;
    QLabel* Label10;
    QLabel* Label3;
    QComboBox* ComboBox1;
    QPushButton* Button3;
    QPushButton* Button1;
    QPushButton* Button2;

signals:
    void HelpRequested(int context);

protected:
    // The save dialog ("Save As", the filter and default extension of the form); empty when
    // cancelled.
    virtual QString AskFileName(const QString& filter, const QString& extension);
    virtual QMessageBox::StandardButton ShowMessage(QMessageBox::Icon icon, const QString& caption,
                                                    const QString& text,
                                                    QMessageBox::StandardButtons buttons);

private:
    const TChart* FChart = nullptr;
    QSize FSize;
};

} // namespace analyser
