#include "export/UExportDataForm.h"

#include "export/UExportListing.h"

#include "listing/UColumnsForm.h"
#include "listing/UProgramProfile.h"
#include "model/UConvertHelp.h"
#include "model/UPlainText.h"
#include "model/UProgressForm.h"
#include "platform/PQtRegistry.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace exportdata {

namespace {

const char* const kKey = "Export";
const char* const kTypeTexts[5] = {"Microsoft Excel File (.xls)", "Lotus 123 File (.wk1)",
                                   "Comma separated value (.csv)", "Tab separated value (.txt)",
                                   "Fixed column size (.txt)"};

QString FromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

TExportOptions LoadExportOptions(platform::TRegistry& store) {
    TExportOptions o;
    if (!store.OpenKey(kKey, false)) return o;
    const auto type = store.ReadInteger("Type");
    if (!type.Ok()) return o;
    if (type.value >= kTypeExcel && type.value <= kTypeFixed) o.Type = type.value;
    bool* const flags[5] = {&o.TitleLines, &o.ColumnHeaders, &o.Totals, &o.QuoteAll, &o.EmptyQuoted};
    const char* const names[5] = {"Title", "Headers", "Totals", "Quote", "Empty"};
    for (int i = 0; i < 5; ++i) {
        const auto b = store.ReadBool(names[i]);
        if (!b.Ok()) return o;
        *flags[i] = b.value;
    }
    const auto size = store.ReadInteger("Size");
    if (!size.Ok()) return o;
    o.SizeUnit = size.value >= kUnitKB && size.value <= kUnitGB ? size.value : kUnitBytes;
    return o;
}

void SaveExportOptions(platform::TRegistry& store, const TExportOptions& o) {
    store.OpenKey(kKey, true);
    store.WriteInteger("Type", o.Type);
    store.WriteBool("Title", o.TitleLines);
    store.WriteBool("Headers", o.ColumnHeaders);
    store.WriteBool("Totals", o.Totals);
    store.WriteBool("Quote", o.QuoteAll);
    store.WriteBool("Empty", o.EmptyQuoted);
    store.WriteInteger("Size", o.SizeUnit >= kUnitKB && o.SizeUnit <= kUnitGB ? o.SizeUnit : kUnitBytes);
    store.Flush();
}

QString ExportFilter(int type) {
    switch (type) {
    case kTypeLotus:
        return "Lotus 123 files (*.wk*)";
    case kTypeCsv:
        return "Comma separated value (*.csv)";
    case kTypeTab:
        return "Tab separated value (*.txt)";
    // File names are case-sensitive here: the pattern is the lower-case one the files get.
    case kTypeFixed:
        return "Fixed column size (*.txt)";
    default:
        return "Microsoft Excel files (*.xls)";
    }
}

QString ExportExtension(int type) {
    switch (type) {
    case kTypeLotus:
        return "wk1";
    case kTypeCsv:
        return "csv";
    case kTypeTab:
    case kTypeFixed:
        return "txt";
    default:
        return "xls";
    }
}

TExportDataForm::TExportDataForm(QWidget* owner) : QDialog(owner) {
    setWindowTitle("Export Data");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    PageControl1 = new QTabWidget(this);
    TabSheet1 = new QWidget;
    TabSheet2 = new QWidget;
    PageControl1->addTab(TabSheet1, "Export");
    PageControl1->addTab(TabSheet2, "Options");

    auto* page = new QVBoxLayout(TabSheet1);
    auto* heading = new QLabel("Export Data");
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPixelSize(19);
    heading->setFont(headingFont);
    page->addWidget(heading);
    for (const char* line : {"This tool let you save the current list view data in a file.",
                             "Just select the type of file to be generated and the desired options.",
                             "The data will be exported in the same order they appear in the list view."}) {
        auto* text = new QLabel(line);
        text->setWordWrap(true);
        page->addWidget(text);
    }

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel("Name:"), 0, Qt::AlignTop);
    auto* names = new QVBoxLayout;
    // The listed folder's path.
    Label9 = model::NewPlainLabel();
    Label10 = model::NewPlainLabel();
    QFont bold = Label9->font();
    bold.setBold(true);
    Label9->setFont(bold);
    Label10->setFont(bold);
    Label10->setWordWrap(true);
    names->addWidget(Label9);
    names->addWidget(Label10);
    nameRow->addLayout(names, 1);
    page->addLayout(nameRow);

    auto* typeRow = new QHBoxLayout;
    auto* typeLabel = new QLabel("E&xport as:");
    ComboBox1 = new QComboBox;
    for (const char* text : kTypeTexts)
        ComboBox1->addItem(text);
    typeLabel->setBuddy(ComboBox1);
    typeRow->addWidget(typeLabel);
    typeRow->addWidget(ComboBox1, 1);
    page->addLayout(typeRow);

    auto* groups = new QHBoxLayout;
    auto* includes = new QGroupBox(" Includes ");
    auto* includesLayout = new QVBoxLayout(includes);
    CheckBox1 = new QCheckBox("Include &title lines");
    CheckBox2 = new QCheckBox("Include co&lumn headers");
    CheckBox3 = new QCheckBox("Include t&otals (if available)");
    for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3})
        includesLayout->addWidget(box);
    includesLayout->addStretch();
    auto* units = new QGroupBox(" Export file size in ");
    auto* unitsLayout = new QVBoxLayout(units);
    RadioButton1 = new QRadioButton("&bytes (B)");
    RadioButton2 = new QRadioButton("&kilobytes (KB)");
    RadioButton3 = new QRadioButton("&megabytes (MB)");
    RadioButton4 = new QRadioButton("gigabytes (GB)");
    for (QRadioButton* radio : {RadioButton1, RadioButton2, RadioButton3, RadioButton4})
        unitsLayout->addWidget(radio);
    groups->addWidget(includes, 3);
    groups->addWidget(units, 2);
    page->addLayout(groups);
    page->addStretch();

    auto* options = new QVBoxLayout(TabSheet2);
    auto* csv = new QGroupBox(" CSV Settings ");
    auto* csvLayout = new QVBoxLayout(csv);
    CheckBox4 = new QCheckBox("Quote all data (i.e. \"data\")");
    CheckBox5 = new QCheckBox("Export empty value as \"\"");
    csvLayout->addWidget(CheckBox4);
    csvLayout->addWidget(CheckBox5);
    options->addWidget(csv);
    options->addStretch();

    Button1 = new QPushButton("&Export...");
    Button2 = new QPushButton("&Cancel");
    Button3 = new QPushButton("&Help");
    Button1->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {Button1, Button2, Button3})
        buttons->addWidget(b);

    auto* main = new QVBoxLayout(this);
    main->addWidget(PageControl1);
    main->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &TExportDataForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, [this] { done(kResultClosed); });
    connect(Button3, &QPushButton::clicked, this, [] { model::ShowHelp(kExportHelpContext); });

    SetOptions(TExportOptions());
    resize(std::max(385, sizeHint().width()), std::max(366, sizeHint().height()));
}

TExportDataForm::~TExportDataForm() = default;

int TExportDataForm::Execute(int kind, std::vector<const model::TItem*> rows,
                             const listing::TColumnGroup& group, const std::string& listTitle,
                             const std::string& listSubject, bool totalsAvailable) {
    return Execute(kind, std::make_unique<TItemListing>(std::move(rows), group), listTitle, listSubject,
                   totalsAvailable);
}

int TExportDataForm::Execute(int kind, std::vector<const analyser::TAnalyserBaseData*> rows,
                             const listing::TColumnGroup& group, const std::string& listTitle,
                             const std::string& listSubject, bool totalsAvailable) {
    return Execute(kind, std::make_unique<TAnalyserListing>(std::move(rows), group), listTitle, listSubject,
                   totalsAvailable);
}

int TExportDataForm::Execute(int kind, std::unique_ptr<TExportListing> rows, const std::string& listTitle,
                             const std::string& listSubject, bool totalsAvailable) {
    Prepare(kind, std::move(rows), listTitle, listSubject, totalsAvailable);
    LoadSettings();
    PageControl1->setCurrentWidget(TabSheet1);
    const int result = exec();
    SaveSettings();
    return result == QDialog::Rejected ? kResultClosed : result;
}

void TExportDataForm::Prepare(int kind, std::unique_ptr<TExportListing> rows, const std::string& listTitle,
                              const std::string& listSubject, bool totalsAvailable) {
    FKind = kind;
    FRows = std::move(rows);
    FListTitle = listTitle;
    FListSubject = listSubject;
    FTotalsAvailable = totalsAvailable;
    CheckBox3->setEnabled(totalsAvailable);
    Label9->setText(FromUtf8(listTitle + " of"));
    Label10->setText(FromUtf8(listSubject));
}

void TExportDataForm::LoadSettings() {
    platform::TRegistry store(listing::CurrentProfile().settingsName);
    SetOptions(LoadExportOptions(store));
}

void TExportDataForm::SaveSettings() {
    platform::TRegistry store(listing::CurrentProfile().settingsName);
    SaveExportOptions(store, Options()); // the totals box counts even while it is disabled
}

TExportOptions TExportDataForm::Options() const {
    TExportOptions o;
    o.Type = ComboBox1->currentIndex();
    o.TitleLines = CheckBox1->isChecked();
    o.ColumnHeaders = CheckBox2->isChecked();
    o.Totals = CheckBox3->isChecked();
    o.QuoteAll = CheckBox4->isChecked();
    o.EmptyQuoted = CheckBox5->isChecked();
    o.SizeUnit = RadioButton2->isChecked()   ? kUnitKB
                 : RadioButton3->isChecked() ? kUnitMB
                 : RadioButton4->isChecked() ? kUnitGB
                                             : kUnitBytes;
    return o;
}

void TExportDataForm::SetOptions(const TExportOptions& o) {
    ComboBox1->setCurrentIndex(o.Type >= kTypeExcel && o.Type <= kTypeFixed ? o.Type : kTypeExcel);
    CheckBox1->setChecked(o.TitleLines);
    CheckBox2->setChecked(o.ColumnHeaders);
    CheckBox3->setChecked(o.Totals);
    CheckBox4->setChecked(o.QuoteAll);
    CheckBox5->setChecked(o.EmptyQuoted);
    QRadioButton* const radios[4] = {RadioButton1, RadioButton2, RadioButton3, RadioButton4};
    const int unit = o.SizeUnit >= kUnitKB && o.SizeUnit <= kUnitGB ? o.SizeUnit : kUnitBytes;
    radios[unit - 1]->setChecked(true);
}

TExportJob TExportDataForm::Job() const {
    TExportJob job;
    job.Kind = FKind;
    job.ListTitle = FListTitle;
    job.ListSubject = FListSubject;
    job.TotalsAvailable = FTotalsAvailable;
    job.FileName = FileName;
    job.Options = Options();
    return job;
}

void TExportDataForm::SetControlsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{ComboBox1, Button1, Button2, Button3, CheckBox1,
                                                      CheckBox2, RadioButton1, RadioButton2, RadioButton3,
                                                      RadioButton4, PageControl1})
        w->setEnabled(enabled);
    CheckBox3->setEnabled(enabled && FTotalsAvailable);
}

void TExportDataForm::Button1Click() {
    if (!FRows) return;
    const int type = ComboBox1->currentIndex();
    {
        // A worksheet the list outgrows is refused before a file name is even asked for.
        TNoProgress none;
        TDataExporter check(*FRows, Job(), none, {});
        if (const auto refusal = check.RowLimitRefusal()) {
            ShowMessage(*refusal);
            return;
        }
    }
    const QString chosen = AskFileName(type);
    if (chosen.isEmpty()) return;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    SetControlsEnabled(false);
    repaint();
    FileName = chosen.toStdString();
    int result = kResultClosed;
    if (!QFileInfo::exists(chosen) || AskOverwrite(chosen)) {
        TManagerProgress progress;
        TDataExporter exporter(*FRows, Job(), progress, [this](const TExportMessage& m) { ShowMessage(m); });
        result = RunInProgressWindow(exporter);
    }
    SetControlsEnabled(true);
    QApplication::restoreOverrideCursor();
    if (result == kResultDone) done(kResultDone);
}

QString TExportDataForm::AskFileName(int type) {
    QFileDialog dialog(this, "Save As");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(ExportFilter(type));
    dialog.setDefaultSuffix(ExportExtension(type));
    // The overwrite question is the dialog's own, with its own caption.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

bool TExportDataForm::AskOverwrite(const QString& fileName) {
    return model::ShowMessageBox(this, QMessageBox::Warning, "File exists", "Overwrite " + fileName + " ?",
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

void TExportDataForm::ShowMessage(const TExportMessage& m) {
    const QMessageBox::Icon icon = m.Icon == TMessageIcon::Error         ? QMessageBox::Critical
                                   : m.Icon == TMessageIcon::Exclamation ? QMessageBox::Warning
                                                                         : QMessageBox::Information;
    model::ShowMessageBox(this, icon, FromUtf8(m.Caption), FromUtf8(m.Text));
}

int TExportDataForm::RunInProgressWindow(TDataExporter& exporter) {
    model::TProgressForm form(this);
    form.SetCaptions("Exporting...",
                     FromUtf8("Exporting data to " + model::ShortenPath(FileName, 55) + "..."),
                     "Please wait...");
    model::ProgressManager().SetForm(&form);
    int result = form.Execute([&](model::TProgressForm&) { exporter.Run(); });
    if (model::ProgressManager().Cancelled()) result = kResultDone;
    model::ProgressManager().SetForm(nullptr);
    return result;
}

} // namespace exportdata
