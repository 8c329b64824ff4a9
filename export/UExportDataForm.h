// The Export Data dialog: the user picks one of the five file types and a few options, is asked
// for the file name, and the export engine (UExportData.h) writes the file inside the progress
// window. The options are kept in the settings store under the "Export" key.
#pragma once

#include "export/UExportData.h"
#include "model/UHelpContext.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace platform {
class TRegistry;
}
namespace model {
class TItem;
}
namespace analyser {
class TAnalyserBaseData;
}
namespace listing {
class TColumnGroup;
}

namespace exportdata {

// The options as the store keeps them: defaults first, then "Type", "Title", "Headers", "Totals",
// "Quote", "Empty", "Size" in that order, the reading stopping at the first missing or bad value.
// A missing "Export" key leaves the defaults.
[[nodiscard]] TExportOptions LoadExportOptions(platform::TRegistry& store);
void SaveExportOptions(platform::TRegistry& store, const TExportOptions& options);

// The save dialog's filter and default extension of a file type.
[[nodiscard]] QString ExportFilter(int type);
[[nodiscard]] QString ExportExtension(int type);

// The help page of the dialog, shown through the program's help handler.
inline constexpr int kExportHelpContext = model::kHelpExport;

class TExportDataForm : public QDialog {
    Q_OBJECT
public:
    explicit TExportDataForm(QWidget* owner = nullptr);
    ~TExportDataForm() override;

    // Modal results.
    static constexpr int kResultDone = 1;   // an export completed or was cancelled
    static constexpr int kResultClosed = 2; // "&Cancel" or the close box

    // Shows the dialog for a list (rows in display order, not owned; the group's visible columns
    // are exported) and gives the modal result. Options are loaded first and saved afterwards.
    int Execute(int kind, std::vector<const model::TItem*> rows, const listing::TColumnGroup& group,
                const std::string& listTitle, const std::string& listSubject, bool totalsAvailable);
    int Execute(int kind, std::vector<const analyser::TAnalyserBaseData*> rows,
                const listing::TColumnGroup& group, const std::string& listTitle,
                const std::string& listSubject, bool totalsAvailable);
    int Execute(int kind, std::unique_ptr<TExportListing> rows, const std::string& listTitle,
                const std::string& listSubject, bool totalsAvailable);

    // The steps of Execute around the modal run, for callers that drive the dialog themselves.
    void Prepare(int kind, std::unique_ptr<TExportListing> rows, const std::string& listTitle,
                 const std::string& listSubject, bool totalsAvailable);
    void LoadSettings();
    void SaveSettings();
    [[nodiscard]] TExportOptions Options() const;
    void SetOptions(const TExportOptions& options);

    // "&Export...": asks for the file, the overwrite question, runs the export in the progress
    // window; closes the dialog with kResultDone after a completed or cancelled export.
    void Button1Click();

    // Controls, by their form names.
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QLabel* Label9;
    QLabel* Label10;
    QComboBox* ComboBox1;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QCheckBox* CheckBox4;
    QCheckBox* CheckBox5;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
    QRadioButton* RadioButton4;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;

    std::string FileName;

protected:
    // The user's interaction, apart so that tests can stand in for it.
    // The chosen file name, or empty when the save dialog was cancelled.
    virtual QString AskFileName(int type);
    // True only on Yes.
    virtual bool AskOverwrite(const QString& fileName);
    virtual void ShowMessage(const TExportMessage& message);
    // Runs the export in the progress window; the window's result (1 when cancelled).
    virtual int RunInProgressWindow(TDataExporter& exporter);

private:
    void SetControlsEnabled(bool enabled);
    [[nodiscard]] TExportJob Job() const;

    std::unique_ptr<TExportListing> FRows;
    std::string FListTitle, FListSubject;
    bool FTotalsAvailable = false;
    int FKind = kListMain;
};

} // namespace exportdata
