// The custom report editor: the reports of one kind (extension or type), each a name and up to
// 10 items, edited on copies of the analyser window's definition strings.
//
// Use: ClearReports, AddReportFromString for each definition, SelectReportByName (or SelectReport),
// Execute (kind); on 1 read ReportCount and GetReportString, and CurrentReportName for the report
// to show. Nothing reaches the caller on 2 (cancelled).
#pragma once

#include "analyser/UAnalyserCustomReport.h"
#include "model/UHelpContext.h"

#include <QDialog>
#include <QMessageBox>

#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace analyser {

class TAnalyserCustomForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;
    static constexpr int kHelpContext = model::kHelpCustomReport;

    explicit TAnalyserCustomForm(QWidget* parent = nullptr);
    ~TAnalyserCustomForm() override;

    void ClearReports();
    // Adds or replaces the report of a definition; a definition without a usable name is ignored.
    void AddReportFromString(const std::string& definition);
    // Makes report i (box order) the one shown and edited; stores the edits of the previous one.
    void SelectReport(int i);
    // The same by name; false when there is no such report.
    bool SelectReportByName(const std::string& name);
    // Sets the kind, fills the lists and shows the dialog modally: kResultOk or kResultCancel.
    int Execute(int kind);
    // Everything Execute does before it shows the dialog.
    void PrepareExecute(int kind);

    [[nodiscard]] int ReportCount() const { return FReports.ReportCount(); }
    [[nodiscard]] std::string GetReportString(int i) const { return FReports.GetReportString(i); }
    [[nodiscard]] TAnalyserCustomReport* FindReport(const std::string& name) const {
        return FReports.FindReport(name);
    }
    // Name of the report last selected, empty when none.
    [[nodiscard]] std::string CurrentReportName() const;
    [[nodiscard]] int Kind() const { return FKind; }
    [[nodiscard]] int CurrentIndex() const { return FCurrentIndex; }

    void LoadDefaults();
    void RefreshReportBox();
    void StoreCurrent();
    void LoadCurrentIntoList();
    void FillAvailableList(int kind);
    void UpdateCountLabel();
    bool CheckNotFull();
    bool CheckNotDuplicate(const std::string& text);

    void reject() override; // closes with kResultCancel

    // Handlers.
    void ReportBoxChange(int index);
    void Button1Click();
    void Button2Click();
    void Add1ButtonClick();
    void Add2ButtonClick();
    void RemoveButtonClick();
    void OkButtonClick();
    void Button3Click();

    QTabWidget* PageControl;
    QLabel* Label3;
    QComboBox* ReportBox;
    QPushButton* Button1;
    QPushButton* Button2;
    QLabel* Label4;
    QLabel* Label1;
    QTreeWidget* SourceListView;
    QPushButton* Add1Button;
    QPushButton* RemoveButton;
    QLabel* CusTitleLabel;
    QTreeWidget* CusListView;
    QLabel* Label2;
    QLineEdit* ManualEdit;
    QPushButton* Add2Button;
    QPushButton* Button3;
    QPushButton* OkButton;
    QPushButton* CancelButton;

signals:
    // "&Help", after the program's help was asked for the page (model::ShowHelp).
    void HelpRequested(int context);

protected:
    // A warning message box ("\n\r" in text is a line break); the button pressed.
    virtual QMessageBox::StandardButton ShowMessage(const QString& text, const QString& caption,
                                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    // Runs the "New Report" dialog; false when it was cancelled.
    virtual bool AskNewReportName(std::string& name);
    // Enter in the manual entry adds it (FormKeyPress).
    void keyPressEvent(QKeyEvent* event) override;

private:
    [[nodiscard]] std::string BoxName(int index) const;
    void AppendCustomItem(const std::string& item);

    int FKind = kExtensionReport;
    TAnalyserCustomReportList FReports;
    int FCurrentIndex = -1;
};

} // namespace analyser
