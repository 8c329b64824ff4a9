// The Analyser window: nine reports of the files below one folder (Folders, Size, Date, Time,
// Attributes, Extension, Type, Custom Ext., Custom Type), each a chart page and a table page.
// The reports and what the charts show are computed without a window (UAnalyserReports.h); this
// class holds the controls, fills them, keeps the settings (UAnalyserSettings.h) and leads to the
// colour, export, columns and custom report dialogs and the drill-down into subfolders.
#pragma once

#include "analyser/UAnalyserReports.h"
#include "analyser/UAnalyserSettings.h"
#include "model/UHelpContext.h"
#include "platform/PQtRegistry.h"

#include <QDialog>
#include <array>
#include <memory>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QAction;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabWidget;

namespace model {
class TFolderItem;
class TItem;
} // namespace model
namespace listing {
class TColumnGroup;
class TKPLListView;
} // namespace listing

namespace analyser {

class TChartView;

// The controls and data of one tab (none owned here: the window owns them).
struct TAnalyserSheet {
    TChartView* Chart = nullptr;
    listing::TKPLListView* ListView = nullptr;
    listing::TColumnGroup* ColumnGroup = nullptr;
    TAnalyserDataGroup* DataGroup = nullptr;
    QWidget* Panel = nullptr;
    QCheckBox* View3DBox = nullptr;
    QCheckBox* LegendBox = nullptr;
    QRadioButton* FilesRadio = nullptr;
    QRadioButton* SpaceRadio = nullptr;
    bool DrawnAsFiles = true;
    TRowList* Rows = nullptr;
    QStackedWidget* Notebook = nullptr; // page 0 "ChartPage", page 1 "DataPage"
    QLabel* Heading = nullptr;
    QPushButton* CusButton = nullptr;
};

class TAnalyserForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = model::kHelpAnalyser;

    // program: the settings store ("TessalundrixPro3.1" or "TXViewer3.1").
    explicit TAnalyserForm(QWidget* owner = nullptr, const char* program = platform::kExplorerSettings);
    ~TAnalyserForm() override;

    // Opens on folder (not owned; root is passed on to the File Lister). 2 when the generation
    // was cancelled (nothing shown); a modal window gives its modal result, a modeless one is
    // shown and gives 1.
    int ShowAnalyser(model::TFolderItem* folder, model::TItem* root, bool modeless);
    // Caption, titles, settings on the first open, the generation; false when cancelled.
    bool OpenFolder(model::TFolderItem* folder, model::TItem* root, bool first);
    // The analysis under the progress window; false when cancelled (a visible window closes).
    bool GenerateReports();

    void FillRows(int sheet);
    void FillAllRows();
    void SortRows(int sheet);
    void SaveColumnWidths();

    // Charts.
    void SetChartTitles();
    void ApplyColors();
    void FlagsToBoxes();
    void BoxesToFlags();
    void DrawAllCharts();
    void DrawSheetChart(int sheet);
    void DrawSizeChart() { DrawSheetChart(kSheetSize); }
    void DrawDateChart() { DrawSheetChart(kSheetDate); }
    void DrawTimeChart() { DrawSheetChart(kSheetTime); }
    void DrawAttrChart() { DrawSheetChart(kSheetAttr); }
    void DrawExtChart() { DrawSheetChart(kSheetExt); }
    void DrawTypeChart() { DrawSheetChart(kSheetType); }
    void DrawCusExtChart() { DrawSheetChart(kSheetCusExt); }
    void DrawCusTypeChart() { DrawSheetChart(kSheetCusType); }
    void DrawFolderPie() { DrawSheetChart(kSheetFolders); }

    // Settings.
    void SetDefaults();
    void LoadSettings();
    void SaveSettings();
    void LoadReports();
    void SaveReports();
    void FillExtCombos();
    void FillTypeCombos();

    // Handlers.
    void ListViewColumnClick(int sheet, int column);
    void ListViewColumnRightClick(int sheet, int column, QPoint pos);
    void SortAscending1Click();
    void SortDescending1Click();
    void CusButtonClick();
    void ChartRadioClick();
    void SizeRadioFileClick();
    void SizeLegendBoxClick();
    void Size3DBoxClick();
    void CheckBox1Click();
    void CheckBox6Click();
    void DateOtherBoxClick(QObject* sender);
    void PourCheckBoxClick();
    void DateComboBoxChange(QComboBox* sender);
    void ExtComboChange(QComboBox* sender);
    void TypeComboChange(QComboBox* sender);
    void CusExtLabelClick(int kind);
    void ColorButtonClick();
    // A point of the Size, Date, Time or Attributes chart: the File Lister on its bucket.
    void Chart1ClickSeries(int sheet, int series, int point);
    // A bar of the Extension, Type or custom charts ("All others": the files of none of the ten).
    void Chart5ClickSeries(int sheet, int series, int point);
    void Chart7ClickSeries(int series, int point);
    // A double click on a row of the eight lists other than Folders.
    void ListViewDblClick(int sheet);
    void FoldListViewDblClick();
    void UpImageClick();
    void ExportButtonClick();
    void HelpButtonClick();

    // State.
    [[nodiscard]] model::TFolderItem* Folder() const { return FFolder; }
    [[nodiscard]] TAnalyserReports& Reports() { return FReports; }
    [[nodiscard]] TAnalyserSheet& Sheet(int i) { return FSheets[static_cast<size_t>(i)]; }
    [[nodiscard]] const TRowList& RowList(int i) const { return FRowLists[static_cast<size_t>(i)]; }
    [[nodiscard]] listing::TColumnGroup& ColumnGroup(int i) { return *FColumnGroups[static_cast<size_t>(i)]; }
    [[nodiscard]] const TChartColors& ChartColors() const { return FSettings.Colors; }
    void SetChartColors(const TChartColors& c) { FSettings.Colors = c; }
    [[nodiscard]] bool Modeless() const { return FModeless; }

    // Controls, by their form names.
    QTabWidget* PageControl1;
    QPushButton* ColorButton;
    QGroupBox* GroupBox1;
    QRadioButton* DataRadio;
    QRadioButton* ChartRadio;
    QPushButton* ExportButton;
    QPushButton* HelpButton;
    QPushButton* CloseButton;
    QMenu* PopupMenu1;
    QAction* SortAscending1;
    QAction* SortDescending1;
    QAction* Customize1;
    QPushButton* UpImage; // "Up One Folder", chart page
    QPushButton* Image1;  // "Up One Folder", table page
    QCheckBox* PourCheckBox;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QCheckBox* CheckBox6;
    QCheckBox* CheckBox7;
    QCheckBox* CheckBox8;
    QCheckBox* DateOtherBox;
    QCheckBox* ExtOtherBox;
    QCheckBox* TypeOtherBox;
    QComboBox* DateComboBox;
    QComboBox* DateComboBox2;
    QComboBox* ExtCombo1;
    QComboBox* ExtCombo2;
    QComboBox* TypeCombo1;
    QComboBox* TypeCombo2;
    QPushButton* CusExtLabel;
    QPushButton* CusTypeLabel;
    QPushButton* ExtCustButton;
    QPushButton* TypeCustButton;

signals:
    // "&Help" and the help buttons of the dialogs opened from here, after each asked the program's
    // help for its page (model::ShowHelp).
    void HelpRequested(int context);

public slots:
    void done(int result) override; // closing saves the settings

private:
    void BuildSheet(int sheet);
    QWidget* BuildChartPanel(int sheet, QWidget* parent);
    QWidget* BuildDataPage(int sheet, QWidget* parent);
    [[nodiscard]] int SheetOfList(const QObject* listView) const;
    [[nodiscard]] TChartStyle Style(int sheet) const;
    void ApplyBoxFonts();
    void DrillInto(model::TFolderItem* folder);
    void Reopen(model::TFolderItem* folder);
    void ClearRowLists();
    // The File Lister on the current folder; regenerates when it deleted files.
    void OpenFileLister(int sheet, int mode, std::vector<std::int32_t> keys);

    std::string FProgram;
    model::TFolderItem* FFolder = nullptr;
    model::TItem* FRoot = nullptr;
    TDateTime FReferenceTime = 0;
    bool FModeless = false;
    TAnalyserReports FReports;
    TAnalyserSettings FSettings;
    std::array<TAnalyserSheet, kSheetCount> FSheets;
    std::array<std::unique_ptr<listing::TColumnGroup>, kSheetCount> FColumnGroups;
    std::array<TRowList, kSheetCount> FRowLists;
    int FPopupColumn = -1;
    int FPopupSheet = -1;
    bool FDateComboBusy = false;
    bool FExtComboBusy = false;
    bool FTypeComboBusy = false;
    bool FBoxesBusy = false;
};

} // namespace analyser
