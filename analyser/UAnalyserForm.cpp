#include "analyser/UAnalyserForm.h"

#include "analyser/UAnalyserCustomForm.h"
#include "analyser/UChartRender.h"
#include "analyser/UChartView.h"
#include "analyser/UExportChartForm.h"
#include "analyser/UGraphOptionForm.h"
#include "export/UExportDataForm.h"
#include "export/UFileListerForm.h"
#include "listing/KPLListView.h"
#include "listing/UColumn.h"
#include "listing/UColumnsForm.h"
#include "model/UItem.h"
#include "model/UPlainText.h"
#include "model/UProgressForm.h"
#include "platform/PDates.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

namespace analyser {

namespace {

struct TSheetDesign {
    const char* tab;
    const char* columnCaption;
    std::vector<int> ids;
};

const std::array<TSheetDesign, kSheetCount>& Designs() {
    static const std::array<TSheetDesign, kSheetCount> designs{{
        {"&Folders", "&Folders", {56, 57, 58, 59, 60}},
        {"&Size", "&Size", {50, 57, 58, 59, 60}},
        {"&Date", "&Date", {51, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71, 72}},
        {"&Time", "&Time", {52, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71, 72}},
        {"Attri&butes", "&Attributes", {53, 57, 58, 59, 60}},
        {"&Extension", "&Extension", {54, 57, 58, 59, 60}},
        {"T&ype", "T&ype", {55, 57, 58, 59, 60}},
        {"Custom Ext.", "&Cus. Ext.", {54, 57, 58, 59, 60}},
        {"Custom Type", "C&us. Type", {55, 57, 58, 59, 60}},
    }};
    return designs;
}

QString Q(const std::string& s) {
    return listing::DisplayText(s);
}

QSize ScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().size() : QSize(1024, 768);
}

// A push button drawn as a link: the "Customize" and "Up One Folder" labels.
QPushButton* LinkButton(const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setFlat(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setAutoDefault(false);
    b->setStyleSheet(
        "QPushButton { color: #0000C0; text-decoration: underline; border: none; padding: 2px; }");
    return b;
}

// A report list whose typed search finds rows by the start of their name, without case, from
// the row after the current one (the current one while the typed text grows), wrapping to the top.
class TAnalyserListView : public listing::TKPLListView {
public:
    TAnalyserListView(QWidget* parent, const TRowList* rows) : listing::TKPLListView(parent), FRows(rows) {}

    void keyboardSearch(const QString& search) override {
        const bool continuing = FTyped.isValid() && FTyped.elapsed() <= QApplication::keyboardInputInterval();
        FTyped.start();
        FText = continuing ? FText + search : search;
        const int current = currentIndex().isValid() ? currentIndex().row() : -1;
        const int start = continuing && current >= 0 ? current : current + 1;
        const int found = FindRowByPrefix(*FRows, FText.toStdString(), start, true);
        if (found >= 0) {
            const QModelIndex index = model()->index(found, 0);
            setCurrentIndex(index);
            scrollTo(index);
        }
    }

private:
    const TRowList* FRows;
    QString FText;
    QElapsedTimer FTyped;
};

} // namespace

TAnalyserForm::TAnalyserForm(QWidget* owner, const char* program) : QDialog(owner), FProgram(program) {
    setWindowTitle("Analyser");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    resize(kAnalyserWidth, kAnalyserHeight);
    setMinimumSize(kAnalyserWidth, kAnalyserMinHeight);

    // Controls shared by the tabs' panels, made before the sheets that place them.
    PageControl1 = new QTabWidget(this);
    // Nine tabs fit the design width only with narrow tab padding.
    PageControl1->setStyleSheet(
        "QTabBar::tab { padding: 3px 5px; border: 1px solid #a0a0a0; border-bottom: none; "
        "background: #e4e4e4; margin-right: 1px; } QTabBar::tab:selected { background: #ffffff; }");
    UpImage = LinkButton("Up One Folder", this);
    Image1 = LinkButton("Up One Folder", this);
    PourCheckBox = new QCheckBox("Show %", this);
    CheckBox1 = new QCheckBox("Creation", this);
    CheckBox2 = new QCheckBox("Last Write", this);
    CheckBox3 = new QCheckBox("Last Access", this);
    CheckBox6 = new QCheckBox("Creation", this);
    CheckBox7 = new QCheckBox("Last Write", this);
    CheckBox8 = new QCheckBox("Last Access", this);
    for (QCheckBox* b : {CheckBox1, CheckBox2, CheckBox3, CheckBox6, CheckBox7, CheckBox8})
        b->setChecked(true);
    DateOtherBox = new QCheckBox("Show other", this);
    ExtOtherBox = new QCheckBox("Show All others", this);
    TypeOtherBox = new QCheckBox("Show All others", this);
    DateComboBox = new QComboBox(this);
    DateComboBox2 = new QComboBox(this);
    for (QComboBox* c : {DateComboBox, DateComboBox2})
        c->addItems({"Days", "Weeks", "Months", "6 Months", "Years", "Progressive"});
    ExtCombo1 = new QComboBox(this);
    ExtCombo2 = new QComboBox(this);
    TypeCombo1 = new QComboBox(this);
    TypeCombo2 = new QComboBox(this);
    for (QComboBox* c : {ExtCombo1, ExtCombo2, TypeCombo1, TypeCombo2})
        c->setMinimumContentsLength(12);
    CusExtLabel = LinkButton("Customize", this);
    CusTypeLabel = LinkButton("Customize", this);
    ExtCustButton = new QPushButton("Customize...", this);
    TypeCustButton = new QPushButton("Customize...", this);

    // Reports: stored ones, else the built-in defaults.
    LoadReports();
    FillExtCombos();
    FillTypeCombos();

    for (int i = 0; i < kSheetCount; ++i)
        BuildSheet(i);

    ColorButton = new QPushButton("C&olors", this);
    GroupBox1 = new QGroupBox(this);
    DataRadio = new QRadioButton("D&ata", GroupBox1);
    ChartRadio = new QRadioButton("Cha&rt", GroupBox1);
    ChartRadio->setChecked(true);
    auto* radios = new QHBoxLayout(GroupBox1);
    radios->setContentsMargins(8, 2, 8, 2);
    radios->addWidget(DataRadio);
    radios->addWidget(ChartRadio);
    ExportButton = new QPushButton("E&xport Chart ...", this);
    HelpButton = new QPushButton("&Help", this);
    CloseButton = new QPushButton("&Close", this);
    for (QPushButton* b : {ColorButton, ExportButton, HelpButton, CloseButton})
        b->setAutoDefault(false);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ColorButton);
    bottom->addWidget(GroupBox1);
    bottom->addStretch(1);
    bottom->addWidget(ExportButton);
    bottom->addWidget(HelpButton);
    bottom->addWidget(CloseButton);
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(6, 6, 6, 6);
    main->addWidget(PageControl1, 1);
    main->addLayout(bottom);

    PopupMenu1 = new QMenu(this);
    SortAscending1 = PopupMenu1->addAction("Sort &Ascending");
    SortDescending1 = PopupMenu1->addAction("Sort &Descending");
    SortAscending1->setCheckable(true);
    SortDescending1->setCheckable(true);
    PopupMenu1->addSeparator();
    Customize1 = PopupMenu1->addAction("&Columns ...");

    connect(ColorButton, &QPushButton::clicked, this, &TAnalyserForm::ColorButtonClick);
    connect(ChartRadio, &QRadioButton::toggled, this, &TAnalyserForm::ChartRadioClick);
    connect(ExportButton, &QPushButton::clicked, this, &TAnalyserForm::ExportButtonClick);
    connect(HelpButton, &QPushButton::clicked, this, &TAnalyserForm::HelpButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
    connect(SortAscending1, &QAction::triggered, this, &TAnalyserForm::SortAscending1Click);
    connect(SortDescending1, &QAction::triggered, this, &TAnalyserForm::SortDescending1Click);
    connect(Customize1, &QAction::triggered, this, &TAnalyserForm::CusButtonClick);
    connect(UpImage, &QPushButton::clicked, this, &TAnalyserForm::UpImageClick);
    connect(Image1, &QPushButton::clicked, this, &TAnalyserForm::UpImageClick);
    connect(PourCheckBox, &QCheckBox::toggled, this, &TAnalyserForm::PourCheckBoxClick);
    for (QCheckBox* b : {CheckBox1, CheckBox2, CheckBox3})
        connect(b, &QCheckBox::toggled, this, &TAnalyserForm::CheckBox1Click);
    for (QCheckBox* b : {CheckBox6, CheckBox7, CheckBox8})
        connect(b, &QCheckBox::toggled, this, &TAnalyserForm::CheckBox6Click);
    for (QCheckBox* b : {DateOtherBox, ExtOtherBox, TypeOtherBox})
        connect(b, &QCheckBox::toggled, this, [this, b] { DateOtherBoxClick(b); });
    for (QComboBox* c : {DateComboBox, DateComboBox2})
        connect(c, &QComboBox::currentIndexChanged, this, [this, c] { DateComboBoxChange(c); });
    for (QComboBox* c : {ExtCombo1, ExtCombo2})
        connect(c, &QComboBox::currentIndexChanged, this, [this, c] { ExtComboChange(c); });
    for (QComboBox* c : {TypeCombo1, TypeCombo2})
        connect(c, &QComboBox::currentIndexChanged, this, [this, c] { TypeComboChange(c); });
    connect(CusExtLabel, &QPushButton::clicked, this, [this] { CusExtLabelClick(kExtensionReport); });
    connect(ExtCustButton, &QPushButton::clicked, this, [this] { CusExtLabelClick(kExtensionReport); });
    connect(CusTypeLabel, &QPushButton::clicked, this, [this] { CusExtLabelClick(kTypeReport); });
    connect(TypeCustButton, &QPushButton::clicked, this, [this] { CusExtLabelClick(kTypeReport); });

    FSettings = DefaultAnalyserSettings(ScreenSize().width(), ScreenSize().height());
    ChartRadioClick();
    ApplyColors();
    FlagsToBoxes();
    ExtOtherBox->setChecked(true);
    TypeOtherBox->setChecked(true);
    DateOtherBox->setChecked(true);
    PourCheckBox->setChecked(true);
    DateComboBox->setCurrentIndex(2);
}

TAnalyserForm::~TAnalyserForm() {
    // The list views ask for rows until they go; the rows go with the reports after this.
    for (auto& s : FSheets)
        if (s.ListView) s.ListView->ListModel()->SetRowCount(0);
}

void TAnalyserForm::BuildSheet(int i) {
    const TSheetDesign& d = Designs()[static_cast<size_t>(i)];
    TAnalyserSheet& s = FSheets[static_cast<size_t>(i)];
    auto* tab = new QWidget;
    PageControl1->addTab(tab, d.tab);
    s.Notebook = new QStackedWidget(tab);
    auto* tabLayout = new QVBoxLayout(tab);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    tabLayout->addWidget(s.Notebook);

    auto* chartPage = new QWidget;
    chartPage->setObjectName("ChartPage");
    auto* chartLayout = new QVBoxLayout(chartPage);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chartLayout->setSpacing(0);
    s.Panel = BuildChartPanel(i, chartPage);
    s.Chart = new TChartView(chartPage);
    chartLayout->addWidget(s.Panel);
    chartLayout->addWidget(s.Chart, 1);
    s.Notebook->addWidget(chartPage);
    s.Notebook->addWidget(BuildDataPage(i, s.Notebook));

    DesignChart(s.Chart->Chart(), i);
    FColumnGroups[static_cast<size_t>(i)] =
        std::make_unique<listing::TColumnGroup>(s.ListView, -1, d.ids, d.columnCaption);
    s.ColumnGroup = FColumnGroups[static_cast<size_t>(i)].get();
    s.Rows = &FRowLists[static_cast<size_t>(i)];
    s.DataGroup = FReports.GroupOfSheet(i, 2, 0, 0);
    s.DrawnAsFiles = s.FilesRadio->isChecked();
    s.Heading->setText(i == kSheetFolders ? QString("Folders")
                       : s.DataGroup      ? Q(s.DataGroup->Title())
                                          : QString());

    s.ListView->ListModel()->SetCellText([this, i](int row, int tag) -> std::string {
        const TRowList& rows = FRowLists[static_cast<size_t>(i)];
        if (row < 0 || row >= static_cast<int>(rows.size())) return {};
        return listing::ColumnCatalogue().GetCellText(tag, rows[static_cast<size_t>(row)]);
    });
    connect(s.ListView, &listing::TKPLListView::ColumnClick, this,
            [this, i](int column) { ListViewColumnClick(i, column); });
    connect(s.ListView, &listing::TKPLListView::ColumnRightClick, this,
            [this, i](int column, QPoint pos) { ListViewColumnRightClick(i, column, pos); });
    connect(s.FilesRadio, &QRadioButton::toggled, this, &TAnalyserForm::SizeRadioFileClick);
    connect(s.LegendBox, &QCheckBox::toggled, this, &TAnalyserForm::SizeLegendBoxClick);
    connect(s.View3DBox, &QCheckBox::toggled, this, &TAnalyserForm::Size3DBoxClick);
    connect(s.CusButton, &QPushButton::clicked, this, &TAnalyserForm::CusButtonClick);
    if (i == kSheetFolders) {
        connect(s.Chart, &TChartView::ClickSeries, this, &TAnalyserForm::Chart7ClickSeries);
        connect(s.ListView, &QAbstractItemView::doubleClicked, this, &TAnalyserForm::FoldListViewDblClick);
    } else {
        const bool top = i >= kSheetExt;
        connect(s.Chart, &TChartView::ClickSeries, this, [this, i, top](int series, int point) {
            if (top)
                Chart5ClickSeries(i, series, point);
            else
                Chart1ClickSeries(i, series, point);
        });
        connect(s.ListView, &QAbstractItemView::doubleClicked, this, [this, i] { ListViewDblClick(i); });
    }
}

QWidget* TAnalyserForm::BuildChartPanel(int i, QWidget* parent) {
    TAnalyserSheet& s = FSheets[static_cast<size_t>(i)];
    auto* panel = new QWidget(parent);
    panel->setAutoFillBackground(true);
    auto* rows = new QVBoxLayout(panel);
    rows->setContentsMargins(6, 3, 6, 3);
    rows->setSpacing(2);
    auto* top = new QHBoxLayout;
    rows->addLayout(top);
    s.LegendBox = new QCheckBox("Legend", panel);
    s.View3DBox = new QCheckBox("3D", panel);
    s.FilesRadio = new QRadioButton("Number of files", panel);
    s.SpaceRadio = new QRadioButton("Space used", panel);
    s.FilesRadio->setChecked(true);
    top->addWidget(s.LegendBox);
    top->addWidget(s.View3DBox);
    top->addWidget(s.FilesRadio);
    top->addWidget(s.SpaceRadio);
    top->addStretch(1);
    auto second = [&](std::initializer_list<QWidget*> widgets) {
        auto* row = new QHBoxLayout;
        for (QWidget* w : widgets) {
            w->setParent(panel);
            row->addWidget(w);
        }
        row->addStretch(1);
        rows->addLayout(row);
    };
    switch (i) {
    case kSheetFolders:
        PourCheckBox->setParent(panel);
        UpImage->setParent(panel);
        top->insertWidget(4, PourCheckBox);
        top->addWidget(UpImage);
        break;
    case kSheetDate:
        DateComboBox->setParent(panel);
        top->addWidget(DateComboBox);
        second({CheckBox1, CheckBox2, CheckBox3, DateOtherBox});
        break;
    case kSheetTime:
        second({CheckBox6, CheckBox7, CheckBox8});
        break;
    case kSheetExt:
        ExtOtherBox->setParent(panel);
        top->addWidget(ExtOtherBox);
        break;
    case kSheetType:
        TypeOtherBox->setParent(panel);
        top->addWidget(TypeOtherBox);
        break;
    case kSheetCusExt:
        ExtCombo1->setParent(panel);
        CusExtLabel->setParent(panel);
        top->addWidget(ExtCombo1);
        top->addWidget(CusExtLabel);
        break;
    case kSheetCusType:
        TypeCombo1->setParent(panel);
        CusTypeLabel->setParent(panel);
        top->addWidget(TypeCombo1);
        top->addWidget(CusTypeLabel);
        break;
    default:
        break;
    }
    return panel;
}

QWidget* TAnalyserForm::BuildDataPage(int i, QWidget* parent) {
    TAnalyserSheet& s = FSheets[static_cast<size_t>(i)];
    auto* page = new QWidget(parent);
    page->setObjectName("DataPage");
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* head = new QHBoxLayout;
    s.Heading = model::NewPlainLabel(page); // a custom report's title is the user's
    QFont bold = s.Heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    s.Heading->setFont(bold);
    head->addWidget(s.Heading);
    head->addStretch(1);
    auto add = [&](QWidget* w) {
        w->setParent(page);
        head->addWidget(w);
    };
    if (i == kSheetFolders) add(Image1);
    if (i == kSheetDate) add(DateComboBox2);
    if (i == kSheetCusExt) {
        add(ExtCombo2);
        add(ExtCustButton);
    }
    if (i == kSheetCusType) {
        add(TypeCombo2);
        add(TypeCustButton);
    }
    s.CusButton = new QPushButton("Columns...", page);
    s.CusButton->setAutoDefault(false);
    head->addWidget(s.CusButton);
    layout->addLayout(head);
    s.ListView = new TAnalyserListView(page, &FRowLists[static_cast<size_t>(i)]);
    s.ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    s.ListView->setSelectionMode(QAbstractItemView::SingleSelection);
    s.ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(s.ListView, 1);
    return page;
}

int TAnalyserForm::SheetOfList(const QObject* listView) const {
    for (int i = 0; i < kSheetCount; ++i)
        if (FSheets[static_cast<size_t>(i)].ListView == listView) return i;
    return -1;
}

int TAnalyserForm::ShowAnalyser(model::TFolderItem* folder, model::TItem* root, bool modeless) {
    FModeless = modeless;
    setWindowFlag(Qt::WindowMinimizeButtonHint, modeless);
    setModal(!modeless);
    if (!OpenFolder(folder, root, true)) return 2;
    if (modeless) {
        show();
        return 1;
    }
    return exec();
}

bool TAnalyserForm::OpenFolder(model::TFolderItem* folder, model::TItem* root, bool first) {
    FFolder = folder;
    FRoot = root;
    FDateComboBusy = FExtComboBusy = FTypeComboBusy = false;
    FReferenceTime = platform::Now();
    FReports.SetReferenceTime(FReferenceTime);
    model::SetPlainWindowTitle(*this, "Analyser - " + Q(folder->GetPath() + PartialSuffix(*folder)));
    SetChartTitles();
    if (first) LoadSettings();
    const bool done = GenerateReports();
    if (first) PageControl1->setCurrentIndex(kSheetFolders);
    return done;
}

void TAnalyserForm::ClearRowLists() {
    for (int i = 0; i < kSheetCount; ++i) {
        FRowLists[static_cast<size_t>(i)].clear();
        FSheets[static_cast<size_t>(i)].ListView->ListModel()->SetRowCount(0);
    }
}

bool TAnalyserForm::GenerateReports() {
    if (!FFolder) return false;
    model::TProgressForm progress(this);
    progress.SetCaptions("Generating reports...", "Generating reports...", "Please wait...");
    model::ProgressManager().SetForm(&progress);
    bool completed = false;
    progress.Execute([&](model::TProgressForm& form) {
        completed = FReports.Generate(*FFolder, model::ProgressManager());
        if (completed) {
            FillAllRows();
            DrawAllCharts();
            form.SetResult(model::TProgressForm::kResultDone);
        }
    });
    const bool cancelled = !completed || progress.Cancelled();
    model::ProgressManager().SetForm(nullptr);
    if (cancelled) {
        // The walk reset the groups, which frees the rows of the extension, type and folder
        // reports: no table may keep pointing at them.
        ClearRowLists();
        if (isVisible()) done(QDialog::Rejected);
    }
    return !cancelled;
}

void TAnalyserForm::FillRows(int sheet) {
    if (sheet < 0 || sheet >= kSheetCount) return;
    TAnalyserSheet& s = FSheets[static_cast<size_t>(sheet)];
    s.ListView->setUpdatesEnabled(false);
    s.ListView->setEnabled(false);
    s.ColumnGroup->SortCode = s.ColumnGroup->ApplyToListView();
    FillRowList(*s.Rows, s.DataGroup, SheetHasTotals(sheet));
    s.ListView->ListModel()->SetRowCount(static_cast<int>(s.Rows->size()));
    SortRows(sheet);
    s.ListView->setEnabled(true);
    s.ListView->setUpdatesEnabled(true);
}

void TAnalyserForm::FillAllRows() {
    for (int i = 0; i < kSheetCount; ++i)
        FillRows(i);
}

void TAnalyserForm::SortRows(int sheet) {
    TAnalyserSheet& s = FSheets[static_cast<size_t>(sheet)];
    SortRowsByCode(*s.Rows, s.ColumnGroup->SortCode);
    s.ListView->ListModel()->RefreshRows();
}

void TAnalyserForm::SaveColumnWidths() {
    for (auto& g : FColumnGroups)
        g->ReadBackFromListView();
}

void TAnalyserForm::ListViewColumnClick(int sheet, int column) {
    TAnalyserSheet& s = FSheets[static_cast<size_t>(sheet)];
    const int tag = s.ListView->ColumnTag(column);
    if (tag < 0) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int code = NextSortCode(s.ColumnGroup->SortCode, tag);
    s.ColumnGroup->SortCode = code;
    SortRows(sheet);
    s.ListView->SetSortColumn(column);
    s.ListView->SetSortColumnUp(code % 2 == 0);
    s.ListView->clearSelection();
    QApplication::restoreOverrideCursor();
}

void TAnalyserForm::ListViewColumnRightClick(int sheet, int column, QPoint pos) {
    TAnalyserSheet& s = FSheets[static_cast<size_t>(sheet)];
    FPopupColumn = column;
    FPopupSheet = column >= 0 ? sheet : -1;
    const bool sorted = column >= 0 && s.ListView->SortColumn() == column;
    SortAscending1->setChecked(sorted && s.ListView->SortColumnUp());
    SortDescending1->setChecked(sorted && !s.ListView->SortColumnUp());
    SortAscending1->setEnabled(column >= 0);
    SortDescending1->setEnabled(column >= 0);
    PopupMenu1->popup(s.ListView->mapToGlobal(pos));
}

namespace {
void SortByPopup(TAnalyserForm& form, int sheet, int column, bool descending) {
    if (sheet < 0 || column < 0) return;
    TAnalyserSheet& s = form.Sheet(sheet);
    const int tag = s.ListView->ColumnTag(column);
    const int code = tag * 2 + (descending ? 1 : 0);
    if (tag < 0 || s.ColumnGroup->SortCode == code) return;
    s.ColumnGroup->SortCode = code;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    form.SortRows(sheet);
    s.ListView->SetSortColumn(column);
    s.ListView->SetSortColumnUp(!descending);
    QApplication::restoreOverrideCursor();
}
} // namespace

void TAnalyserForm::SortAscending1Click() {
    SortByPopup(*this, FPopupSheet, FPopupColumn, false);
}
void TAnalyserForm::SortDescending1Click() {
    SortByPopup(*this, FPopupSheet, FPopupColumn, true);
}

void TAnalyserForm::CusButtonClick() {
    SaveColumnWidths();
    std::vector<listing::TColumnGroup*> groups;
    for (auto& g : FColumnGroups)
        groups.push_back(g.get());
    listing::TColumnsForm dialog(this);
    if (dialog.Execute(PageControl1->currentIndex(), groups) != QDialog::Accepted) return;
    for (int i = 0; i < kSheetCount; ++i) {
        if (!FColumnGroups[static_cast<size_t>(i)]->Modified) continue;
        FillRows(i);
        FColumnGroups[static_cast<size_t>(i)]->ClearModified();
    }
}

void TAnalyserForm::ChartRadioClick() {
    const bool chart = ChartRadio->isChecked();
    for (auto& s : FSheets)
        s.Notebook->setCurrentIndex(chart ? 0 : 1);
    ExportButton->setText(chart ? "E&xport Chart ..." : "E&xport Data ...");
}

// ---- charts ----

TChartStyle TAnalyserForm::Style(int sheet) const {
    TChartStyle style;
    style.Files = FSheets[static_cast<size_t>(sheet)].FilesRadio->isChecked();
    style.Unit = listing::ColumnCatalogue().AnalyserSpaceUnit;
    style.Colors = FSettings.Colors;
    return style;
}

void TAnalyserForm::SetChartTitles() {
    const std::string line =
        FFolder ? ShownPath(FFolder->GetPath()) + PartialSuffix(*FFolder) : std::string();
    for (auto& s : FSheets) {
        TChart& chart = s.Chart->Chart();
        chart.Title.clear();
        if (s.DataGroup)
            chart.Title.push_back(s.DataGroup->Title() + " of");
        else
            chart.Title.push_back(" of");
        chart.Title.push_back(line);
        s.Chart->update();
    }
}

void TAnalyserForm::DrawSheetChart(int sheet) {
    TAnalyserSheet& s = FSheets[static_cast<size_t>(sheet)];
    TChart& chart = s.Chart->Chart();
    const TChartStyle style = Style(sheet);
    switch (sheet) {
    case kSheetFolders:
        analyser::DrawFolderPie(chart, *s.Rows, *FReports.FoldGroup, PourCheckBox->isChecked(),
                                s.ColumnGroup->SortCode, style);
        break;
    case kSheetSize:
    case kSheetAttr:
        if (s.DataGroup) analyser::DrawRangeChart(chart, *s.DataGroup, style);
        break;
    case kSheetDate:
        ApplyBoxFonts();
        if (s.DataGroup) analyser::DrawDateChart(chart, *s.DataGroup, DateOtherBox->isChecked(), style);
        break;
    case kSheetTime:
        ApplyBoxFonts();
        if (s.DataGroup) analyser::DrawTimeChart(chart, *s.DataGroup, style);
        break;
    case kSheetExt:
        DrawTopChart(chart, *s.Rows, ExtOtherBox->isChecked(), s.ColumnGroup->SortCode, style);
        break;
    case kSheetType:
        DrawTopChart(chart, *s.Rows, TypeOtherBox->isChecked(), s.ColumnGroup->SortCode, style);
        break;
    case kSheetCusExt:
    case kSheetCusType:
        DrawCustomChart(chart, *s.Rows, s.ColumnGroup->SortCode, style);
        break;
    default:
        return;
    }
    s.ListView->ListModel()->RefreshRows();
    ApplyChartColors(chart, FSettings.Colors);
    s.DrawnAsFiles = s.FilesRadio->isChecked();
    s.Chart->update();
}

void TAnalyserForm::DrawAllCharts() {
    for (int sheet : {kSheetSize, kSheetDate, kSheetTime, kSheetAttr, kSheetExt, kSheetType, kSheetCusExt,
                      kSheetCusType, kSheetFolders})
        DrawSheetChart(sheet);
}

void TAnalyserForm::ApplyBoxFonts() {
    const std::array<QCheckBox*, 6> boxes{CheckBox1, CheckBox2, CheckBox3, CheckBox6, CheckBox7, CheckBox8};
    for (size_t i = 0; i < boxes.size(); ++i) {
        QPalette p = boxes[i]->palette();
        p.setColor(QPalette::WindowText, ToQColor(FSettings.Colors.Data[i % 3]).darker(130));
        boxes[i]->setPalette(p);
    }
}

void TAnalyserForm::ApplyColors() {
    for (auto& s : FSheets) {
        QPalette p = s.Panel->palette();
        p.setColor(QPalette::Window, ToQColor(FSettings.Colors.Background));
        s.Panel->setPalette(p);
        ApplyChartColors(s.Chart->Chart(), FSettings.Colors);
        s.Chart->update();
    }
    ApplyBoxFonts();
}

void TAnalyserForm::FlagsToBoxes() {
    FBoxesBusy = true;
    for (int i = 0; i < kSheetCount; ++i) {
        FSheets[static_cast<size_t>(i)].View3DBox->setChecked(FSettings.View3D[static_cast<size_t>(i)] != 0);
        FSheets[static_cast<size_t>(i)].LegendBox->setChecked(FSettings.Legend[static_cast<size_t>(i)] != 0);
    }
    FBoxesBusy = false;
    Size3DBoxClick();
    SizeLegendBoxClick();
}

void TAnalyserForm::BoxesToFlags() {
    for (int i = 0; i < kSheetCount; ++i) {
        FSettings.View3D[static_cast<size_t>(i)] =
            FSheets[static_cast<size_t>(i)].View3DBox->isChecked() ? 1 : 0;
        FSettings.Legend[static_cast<size_t>(i)] =
            FSheets[static_cast<size_t>(i)].LegendBox->isChecked() ? 1 : 0;
    }
}

void TAnalyserForm::SizeRadioFileClick() {
    for (int sheet : {kSheetFolders, kSheetSize, kSheetDate, kSheetTime, kSheetAttr, kSheetExt, kSheetType,
                      kSheetCusExt, kSheetCusType}) {
        const TAnalyserSheet& s = FSheets[static_cast<size_t>(sheet)];
        if (s.FilesRadio->isChecked() != s.DrawnAsFiles) DrawSheetChart(sheet);
    }
}

void TAnalyserForm::SizeLegendBoxClick() {
    if (FBoxesBusy) return;
    for (auto& s : FSheets) {
        s.Chart->Chart().LegendVisible = s.LegendBox->isChecked();
        s.Chart->update();
    }
}

void TAnalyserForm::Size3DBoxClick() {
    if (FBoxesBusy) return;
    for (auto& s : FSheets) {
        s.Chart->Chart().View3D = s.View3DBox->isChecked();
        s.Chart->update();
    }
}

void TAnalyserForm::CheckBox1Click() {
    TChart& chart = FSheets[kSheetDate].Chart->Chart();
    const std::array<QCheckBox*, 3> boxes{CheckBox1, CheckBox2, CheckBox3};
    for (int k = 0; k < 3 && k < chart.SeriesCount(); ++k)
        chart.Series(k)->Active = boxes[static_cast<size_t>(k)]->isChecked();
    FSheets[kSheetDate].Chart->update();
}

void TAnalyserForm::CheckBox6Click() {
    TChart& chart = FSheets[kSheetTime].Chart->Chart();
    const std::array<QCheckBox*, 3> boxes{CheckBox6, CheckBox7, CheckBox8};
    for (int k = 0; k < 3 && k < chart.SeriesCount(); ++k)
        chart.Series(k)->Active = boxes[static_cast<size_t>(k)]->isChecked();
    FSheets[kSheetTime].Chart->update();
}

void TAnalyserForm::DateOtherBoxClick(QObject* sender) {
    if (sender == DateOtherBox)
        DrawDateChart();
    else if (sender == ExtOtherBox)
        DrawExtChart();
    else if (sender == TypeOtherBox)
        DrawTypeChart();
}

void TAnalyserForm::PourCheckBoxClick() {
    DrawFolderPie();
}

// ---- combos and custom reports ----

void TAnalyserForm::FillExtCombos() {
    const QSignalBlocker b1(ExtCombo1), b2(ExtCombo2);
    ExtCombo1->clear();
    ExtCombo2->clear();
    for (const auto& r : FReports.ExtReports) {
        ExtCombo1->addItem(Q(r->ReportName()));
        ExtCombo2->addItem(Q(r->ReportName()));
    }
}

void TAnalyserForm::FillTypeCombos() {
    const QSignalBlocker b1(TypeCombo1), b2(TypeCombo2);
    TypeCombo1->clear();
    TypeCombo2->clear();
    for (const auto& r : FReports.TypeReports) {
        TypeCombo1->addItem(Q(r->ReportName()));
        TypeCombo2->addItem(Q(r->ReportName()));
    }
}

void TAnalyserForm::DateComboBoxChange(QComboBox* sender) {
    if (FDateComboBusy) return;
    FDateComboBusy = true;
    const int index = sender->currentIndex();
    (sender == DateComboBox ? DateComboBox2 : DateComboBox)->setCurrentIndex(index);
    TAnalyserSheet& s = FSheets[kSheetDate];
    s.DataGroup = FReports.GroupOfSheet(kSheetDate, index, 0, 0);
    s.Heading->setText(Q(s.DataGroup->Title()));
    FillRows(kSheetDate);
    DrawDateChart();
    FDateComboBusy = false;
}

void TAnalyserForm::ExtComboChange(QComboBox* sender) {
    if (FExtComboBusy) return;
    FExtComboBusy = true;
    const int index = sender->currentIndex();
    (sender == ExtCombo1 ? ExtCombo2 : ExtCombo1)->setCurrentIndex(index);
    if (index >= 0 && index < static_cast<int>(FReports.ExtReports.size())) {
        FSheets[kSheetCusExt].DataGroup = FReports.ExtReports[static_cast<size_t>(index)].get();
        FillRows(kSheetCusExt);
        DrawCusExtChart();
    }
    FExtComboBusy = false;
}

void TAnalyserForm::TypeComboChange(QComboBox* sender) {
    if (FTypeComboBusy) return;
    FTypeComboBusy = true;
    const int index = sender->currentIndex();
    (sender == TypeCombo1 ? TypeCombo2 : TypeCombo1)->setCurrentIndex(index);
    if (index >= 0 && index < static_cast<int>(FReports.TypeReports.size())) {
        FSheets[kSheetCusType].DataGroup = FReports.TypeReports[static_cast<size_t>(index)].get();
        FillRows(kSheetCusType);
        DrawCusTypeChart();
    }
    FTypeComboBusy = false;
}

void TAnalyserForm::CusExtLabelClick(int kind) {
    const bool type = kind == kTypeReport;
    bool changed = false;
    {
        TAnalyserCustomForm editor(this);
        connect(&editor, &TAnalyserCustomForm::HelpRequested, this, &TAnalyserForm::HelpRequested);
        editor.ClearReports();
        for (const auto& d : type ? FReports.TypeDefinitions() : FReports.ExtDefinitions())
            editor.AddReportFromString(d);
        editor.SelectReport((type ? TypeCombo1 : ExtCombo1)->currentIndex());
        if (editor.Execute(kind) == TAnalyserCustomForm::kResultOk) {
            std::vector<std::string> defs;
            for (int i = 0; i < editor.ReportCount(); ++i)
                defs.push_back(editor.GetReportString(i));
            const int sheet = type ? kSheetCusType : kSheetCusExt;
            // The old report groups go: their table must not point at their rows any more.
            FRowLists[static_cast<size_t>(sheet)].clear();
            FSheets[static_cast<size_t>(sheet)].ListView->ListModel()->SetRowCount(0);
            if (type)
                FReports.SetTypeReports(defs);
            else
                FReports.SetExtReports(defs);
            FSheets[static_cast<size_t>(sheet)].DataGroup = FReports.GroupOfSheet(sheet, 0, 0, 0);
            QComboBox* first = type ? TypeCombo1 : ExtCombo1;
            QComboBox* second = type ? TypeCombo2 : ExtCombo2;
            if (type)
                FillTypeCombos();
            else
                FillExtCombos();
            {
                const QSignalBlocker b1(first), b2(second);
                const int index = std::max(0, editor.CurrentIndex());
                first->setCurrentIndex(index);
                second->setCurrentIndex(index);
            }
            if (type)
                TypeComboChange(first);
            else
                ExtComboChange(first);
            changed = true;
        }
    }
    if (changed) Reopen(FFolder);
}

// ---- settings ----

void TAnalyserForm::SetDefaults() {
    const QSize screen = ScreenSize();
    FSettings = DefaultAnalyserSettings(screen.width(), screen.height());
    setGeometry(FSettings.Left, FSettings.Top, FSettings.Width, FSettings.Height);
    ApplyColors();
    PourCheckBox->setChecked(true);
    DateOtherBox->setChecked(true);
    ExtOtherBox->setChecked(true);
    TypeOtherBox->setChecked(true);
    FlagsToBoxes();
    DateComboBox->setCurrentIndex(2);
    DateComboBoxChange(DateComboBox);
    ExtCombo1->setCurrentIndex(0);
    ExtComboChange(ExtCombo1);
    TypeCombo1->setCurrentIndex(0);
    TypeComboChange(TypeCombo1);
}

void TAnalyserForm::LoadSettings() {
    SetDefaults();
    platform::TRegistry store(FProgram);
    TColumnGroups groups{};
    for (int i = 0; i < kSheetCount; ++i)
        groups[static_cast<size_t>(i)] = FColumnGroups[static_cast<size_t>(i)].get();
    const QSize screen = ScreenSize();
    LoadAnalyserSettings(store, FSettings, groups, DateComboBox->count(), ExtCombo1->count(),
                         TypeCombo1->count(), screen.width(), screen.height());
    PourCheckBox->setChecked(FSettings.ShowPercent);
    DateOtherBox->setChecked(FSettings.DateShowOther);
    ExtOtherBox->setChecked(FSettings.ExtShowOther);
    TypeOtherBox->setChecked(FSettings.TypeShowOther);
    DateComboBox->setCurrentIndex(FSettings.DateType);
    DateComboBoxChange(DateComboBox);
    ExtCombo1->setCurrentIndex(FSettings.ExtReport);
    ExtComboChange(ExtCombo1);
    TypeCombo1->setCurrentIndex(FSettings.TypeReport);
    TypeComboChange(TypeCombo1);
    setGeometry(FSettings.Left, FSettings.Top, FSettings.Width, FSettings.Height);
    FlagsToBoxes();
    ApplyColors();
}

void TAnalyserForm::SaveSettings() {
    BoxesToFlags();
    SaveColumnWidths();
    FSettings.ShowPercent = PourCheckBox->isChecked();
    FSettings.DateShowOther = DateOtherBox->isChecked();
    FSettings.ExtShowOther = ExtOtherBox->isChecked();
    FSettings.TypeShowOther = TypeOtherBox->isChecked();
    FSettings.DateType = DateComboBox->currentIndex();
    FSettings.ExtReport = ExtCombo1->currentIndex();
    FSettings.TypeReport = TypeCombo1->currentIndex();
    FSettings.Width = width();
    FSettings.Height = height();
    FSettings.Top = geometry().top();
    FSettings.Left = geometry().left();
    TColumnGroups groups{};
    for (int i = 0; i < kSheetCount; ++i)
        groups[static_cast<size_t>(i)] = FColumnGroups[static_cast<size_t>(i)].get();
    platform::TRegistry store(FProgram);
    SaveAnalyserSettings(store, FSettings, groups);
    SaveAnalyserReports(store, FReports.ExtDefinitions(), FReports.TypeDefinitions());
}

void TAnalyserForm::LoadReports() {
    platform::TRegistry store(FProgram);
    std::vector<std::string> ext, type;
    LoadAnalyserReports(store, ext, type);
    FReports.SetExtReports(ext);
    FReports.SetTypeReports(type);
}

void TAnalyserForm::SaveReports() {
    platform::TRegistry store(FProgram);
    SaveAnalyserReports(store, FReports.ExtDefinitions(), FReports.TypeDefinitions());
}

void TAnalyserForm::done(int result) {
    SaveSettings();
    QDialog::done(result);
}

void TAnalyserForm::ColorButtonClick() {
    TGraphOptionForm dialog(this);
    dialog.SetColors(FSettings.Colors);
    if (dialog.exec() != TGraphOptionForm::kResultOk) return;
    FSettings.Colors = dialog.Colors();
    ApplyColors();
    DrawAllCharts();
}

// ---- drill-down ----

void TAnalyserForm::Reopen(model::TFolderItem* folder) {
    // The window stays up while it regenerates: hiding a modal dialog would end its modal run.
    // A cancelled generation closes it.
    if (folder) OpenFolder(folder, FRoot, false);
}

void TAnalyserForm::DrillInto(model::TFolderItem* folder) {
    if (folder && (folder->IsExplored() || folder->HasExploredContent())) Reopen(folder);
}

namespace {
model::TFolderItem* SubfolderOfRow(const model::TFolderItem* folder, const TAnalyserData* row,
                                   const TAnalyserFoldGroup& group) {
    if (!folder || !row || row->Name().empty() || row->Key() == group.CurrentFolderKey()) return nullptr;
    model::TItem* child = folder->FindChild(row->Name());
    return child && child->IsFolder() ? static_cast<model::TFolderItem*>(child) : nullptr;
}
} // namespace

void TAnalyserForm::Chart7ClickSeries(int, int point) {
    TAnalyserSheet& s = FSheets[kSheetFolders];
    const TChartSeries* series = s.Chart->Chart().FirstSeries();
    if (!series) return;
    const int count = series->Count();
    SortRowsAsChart(*s.Rows, s.DrawnAsFiles);
    TAnalyserData* row = RowOfChartPoint(*s.Rows, count, point);
    SortRows(kSheetFolders);
    if (count >= 11 && point == 0) return; // "All others"
    DrillInto(SubfolderOfRow(FFolder, row, *FReports.FoldGroup));
}

void TAnalyserForm::FoldListViewDblClick() {
    TAnalyserSheet& s = FSheets[kSheetFolders];
    const int index = s.ListView->currentIndex().row();
    if (index < 0 || index >= static_cast<int>(s.Rows->size())) return;
    TAnalyserBaseData* base = (*s.Rows)[static_cast<size_t>(index)];
    if (IsTotalRow(base) || IsSeparatorRow(base)) return;
    DrillInto(SubfolderOfRow(FFolder, dynamic_cast<TAnalyserData*>(base), *FReports.FoldGroup));
}

void TAnalyserForm::UpImageClick() {
    if (FFolder && FFolder->Parent()) Reopen(FFolder->Parent());
}

// ---- File Lister ----

void TAnalyserForm::OpenFileLister(int sheet, int mode, std::vector<std::int32_t> keys) {
    TAnalyserDataGroup* group = FSheets[static_cast<size_t>(sheet)].DataGroup;
    if (!FFolder || !group) return;
    auto* root = dynamic_cast<model::TRootItem*>(FRoot);
    QWidget* owner = parentWidget();
    int result = 0;
    if (FModeless) {
        // A modeless analyser leaves its File Lister open; it goes when it is closed.
        auto* lister = new exportdata::TFileListerForm(owner);
        lister->setAttribute(Qt::WA_DeleteOnClose);
        result = lister->Execute(FFolder, root, mode, group, std::move(keys), true);
    } else {
        exportdata::TFileListerForm lister(owner ? owner : this);
        result = lister.Execute(FFolder, root, mode, group, std::move(keys), false);
    }
    if (result == -1) GenerateReports();
}

void TAnalyserForm::Chart1ClickSeries(int sheet, int series, int point) {
    TAnalyserSheet& s = FSheets[static_cast<size_t>(sheet)];
    const TChart& chart = s.Chart->Chart();
    if (!s.DataGroup || series < 0 || series >= chart.SeriesCount()) return;
    const int count = chart.Series(series)->Count();
    // The Time chart runs from the first row; the others from the last.
    const int row = sheet == kSheetTime ? point : count - point - 1;
    if (row < 0 || row >= s.DataGroup->RowCount()) return;
    OpenFileLister(sheet, ListerModeOfSeriesTitle(chart.Series(series)->Title),
                   {s.DataGroup->GetRow(row)->Key()});
}

void TAnalyserForm::Chart5ClickSeries(int sheet, int series, int point) {
    TAnalyserSheet& s = FSheets[static_cast<size_t>(sheet)];
    const TChart& chart = s.Chart->Chart();
    if (series < 0 || series >= chart.SeriesCount()) return;
    const int count = chart.Series(series)->Count();
    SortRowsAsChart(*s.Rows, s.DrawnAsFiles);
    int mode = -1;
    std::vector<std::int32_t> keys;
    if (count > 10 && point == 0) {
        for (size_t i = 0; i < 10 && i < s.Rows->size(); ++i) {
            const TAnalyserBaseData* row = (*s.Rows)[i];
            keys.push_back(IsTotalRow(row) || IsSeparatorRow(row) ? -1 : row->Key());
        }
        mode = 9;
    } else if (const TAnalyserData* row = RowOfChartPoint(*s.Rows, count, point)) {
        keys.push_back(row->Key());
        mode = 2;
    }
    SortRows(sheet);
    if (mode >= 0) OpenFileLister(sheet, mode, std::move(keys));
}

void TAnalyserForm::ListViewDblClick(int sheet) {
    TAnalyserSheet& s = FSheets[static_cast<size_t>(sheet)];
    const int index = s.ListView->currentIndex().row();
    if (index < 0 || index >= static_cast<int>(s.Rows->size())) return;
    const TAnalyserBaseData* row = (*s.Rows)[static_cast<size_t>(index)];
    if (IsTotalRow(row) || IsSeparatorRow(row)) return;
    std::vector<int> shown;
    for (int p = 1; p < s.ListView->ColumnCount(); ++p)
        shown.push_back(s.ListView->ColumnTagAt(p));
    OpenFileLister(sheet, ListerModeOfColumns(shown), {row->Key()});
}

// ---- export and help ----

void TAnalyserForm::ExportButtonClick() {
    const int sheet = PageControl1->currentIndex();
    if (sheet < 0 || sheet >= kSheetCount) return;
    TAnalyserSheet& s = FSheets[static_cast<size_t>(sheet)];
    if (DataRadio->isChecked()) {
        SaveColumnWidths();
        std::vector<const TAnalyserBaseData*> rows(s.Rows->begin(), s.Rows->end());
        const std::string subject = FFolder ? FFolder->GetPath() + PartialSuffix(*FFolder) : std::string();
        exportdata::TExportDataForm dialog(this);
        dialog.Execute(1, std::move(rows), *s.ColumnGroup, s.DataGroup ? s.DataGroup->Title() : std::string(),
                       subject, sheet != kSheetAttr);
        return;
    }
    TExportChartForm dialog(this);
    connect(&dialog, &TExportChartForm::HelpRequested, this, &TAnalyserForm::HelpRequested);
    dialog.Execute(s.Chart->Chart(), s.Chart->size());
}

void TAnalyserForm::HelpButtonClick() {
    model::ShowHelp(kHelpContext);
    emit HelpRequested(kHelpContext);
}

} // namespace analyser
