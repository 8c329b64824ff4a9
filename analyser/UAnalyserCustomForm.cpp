#include "analyser/UAnalyserCustomForm.h"

#include "analyser/UAnalyserCustomNewForm.h"
#include "model/UPlainText.h"
#include "model/UTypeList.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace analyser {

namespace {

// Names are byte strings: shown as UTF-8 when they are, else as Windows-1252 (names from Windows).
QString DisplayText(const std::string& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError()) return text;
    static const char16_t high[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                      0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    text.clear();
    for (unsigned char c : bytes)
        text += QChar(c >= 0x80 && c < 0xA0 ? high[c - 0x80] : char16_t(c));
    return text;
}

QByteArray Bytes(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

std::string ItemBytes(const QTreeWidgetItem* item) {
    const QByteArray b = item->data(0, Qt::UserRole).toByteArray();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

QTreeWidgetItem* NewItem(const std::string& bytes) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, DisplayText(bytes));
    item->setData(0, Qt::UserRole, Bytes(bytes));
    return item;
}

QTreeWidget* NewList(QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setColumnCount(1);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->header()->setSectionsMovable(false);
    list->header()->setStretchLastSection(true);
    // The selection stays visible while another control has the focus.
    QPalette p = list->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               p.color(QPalette::Active, QPalette::HighlightedText));
    list->setPalette(p);
    return list;
}

QPushButton* NewButton(const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setAutoDefault(false); // Enter in the manual entry adds it; it never closes the dialog
    return b;
}

const char* const kFullText =
    "The Custom Report List is FULL.\n\rYou can add a maximum of 10 items into the Custom "
    "Report List.\n\rRemove an item from the list if you want to proceed.";

} // namespace

TAnalyserCustomForm::TAnalyserCustomForm(QWidget* parent) : QDialog(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle("Customize Extension Report");

    PageControl = new QTabWidget(this);
    auto* page = new QWidget;
    PageControl->addTab(page, "Customize");

    Label3 = new QLabel("Which report do you want to customize?", page);
    ReportBox = new QComboBox(page);
    ReportBox->setEditable(false);
    ReportBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ReportBox->setMinimumContentsLength(13);
    Button1 = NewButton("Create a new report", page);
    Button2 = NewButton("Delete this report", page);
    Label4 = new QLabel("Add up to 10 items into the Custom Report List.", page);
    Label1 = new QLabel("Available list:", page);
    SourceListView = NewList(page);
    Add1Button = NewButton("&Add ->", page);
    RemoveButton = NewButton("&Remove", page);
    CusTitleLabel = new QLabel(page);
    CusListView = NewList(page);
    Label2 = new QLabel("Manual entry:", page);
    ManualEdit = new QLineEdit(page);
    Label2->setBuddy(ManualEdit);
    Add2Button = NewButton("A&dd ->", page);
    Button3 = NewButton("&Help", this);
    OkButton = NewButton("O&K", this);
    CancelButton = NewButton("&Cancel", this);

    auto* reportRow = new QHBoxLayout;
    reportRow->addWidget(ReportBox, 1);
    reportRow->addWidget(Button1);
    reportRow->addWidget(Button2);

    auto* middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(Add1Button);
    middle->addWidget(RemoveButton);
    middle->addStretch();

    auto* lists = new QGridLayout;
    lists->addWidget(Label1, 0, 0);
    lists->addWidget(SourceListView, 1, 0);
    lists->addLayout(middle, 1, 1);
    lists->addWidget(CusTitleLabel, 0, 2);
    lists->addWidget(CusListView, 1, 2);
    lists->addWidget(Label2, 2, 0);
    lists->addWidget(ManualEdit, 3, 0);
    lists->addWidget(Add2Button, 3, 1); // under "&Add ->": both add to the list on the right
    lists->setColumnStretch(0, 1);
    lists->setColumnStretch(2, 1);

    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(Label3);
    pageLayout->addLayout(reportRow);
    pageLayout->addSpacing(8);
    pageLayout->addWidget(Label4);
    pageLayout->addLayout(lists, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Button3);
    bottom->addStretch();
    bottom->addWidget(OkButton);
    bottom->addWidget(CancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl, 1);
    layout->addLayout(bottom);
    setFixedSize(473, 496);

    connect(ReportBox, &QComboBox::activated, this, &TAnalyserCustomForm::ReportBoxChange);
    connect(Button1, &QPushButton::clicked, this, &TAnalyserCustomForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TAnalyserCustomForm::Button2Click);
    connect(Add1Button, &QPushButton::clicked, this, &TAnalyserCustomForm::Add1ButtonClick);
    connect(Add2Button, &QPushButton::clicked, this, &TAnalyserCustomForm::Add2ButtonClick);
    connect(RemoveButton, &QPushButton::clicked, this, &TAnalyserCustomForm::RemoveButtonClick);
    connect(OkButton, &QPushButton::clicked, this, &TAnalyserCustomForm::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, [this] { done(kResultCancel); });
    connect(Button3, &QPushButton::clicked, this, &TAnalyserCustomForm::Button3Click);

    FillAvailableList(FKind);
    UpdateCountLabel();
}

TAnalyserCustomForm::~TAnalyserCustomForm() {
    ClearReports();
}

void TAnalyserCustomForm::ClearReports() {
    FReports.ClearReports();
    FCurrentIndex = -1;
}

void TAnalyserCustomForm::AddReportFromString(const std::string& definition) {
    if (FReports.AddReportFromString(definition)) RefreshReportBox();
}

std::string TAnalyserCustomForm::BoxName(int index) const {
    if (index < 0 || index >= ReportBox->count()) return {};
    const QByteArray b = ReportBox->itemData(index).toByteArray();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

void TAnalyserCustomForm::RefreshReportBox() {
    const std::string remembered = BoxName(ReportBox->currentIndex());
    ReportBox->clear();
    for (int i = 0; i < FReports.ReportCount(); ++i) {
        const std::string& name = FReports.Report(i)->Name;
        ReportBox->addItem(DisplayText(name), Bytes(name));
        if (i == 0 || name == remembered) ReportBox->setCurrentIndex(i);
    }
}

void TAnalyserCustomForm::SelectReport(int i) {
    if (ReportBox->count() != FReports.ReportCount()) RefreshReportBox();
    if (i < 0 || i >= ReportBox->count()) return;
    StoreCurrent();
    ReportBox->setCurrentIndex(i);
    LoadCurrentIntoList();
    // By name, so that the index always names the report the box shows.
    FCurrentIndex = FReports.IndexOfReport(BoxName(i));
}

bool TAnalyserCustomForm::SelectReportByName(const std::string& name) {
    if (ReportBox->count() != FReports.ReportCount()) RefreshReportBox();
    const int i = ReportBox->findData(Bytes(name));
    if (i < 0) return false;
    SelectReport(i);
    return true;
}

std::string TAnalyserCustomForm::CurrentReportName() const {
    return FCurrentIndex >= 0 && FCurrentIndex < FReports.ReportCount() ? FReports.Report(FCurrentIndex)->Name
                                                                        : std::string();
}

void TAnalyserCustomForm::StoreCurrent() {
    if (FCurrentIndex < 0 || FCurrentIndex >= FReports.ReportCount()) return;
    std::vector<std::string> items;
    for (int i = 0; i < CusListView->topLevelItemCount() && i < kMaxReportItems; ++i)
        items.push_back(ItemBytes(CusListView->topLevelItem(i)));
    FReports.Report(FCurrentIndex)->Items = std::move(items);
}

void TAnalyserCustomForm::LoadCurrentIntoList() {
    TAnalyserCustomReport* report = FReports.FindReport(BoxName(ReportBox->currentIndex()));
    if (report == nullptr) return;
    CusListView->clear();
    for (size_t i = 0; i < report->Items.size() && i < static_cast<size_t>(kMaxReportItems); ++i)
        CusListView->addTopLevelItem(NewItem(report->Items[i]));
    UpdateCountLabel();
}

void TAnalyserCustomForm::LoadDefaults() {
    FReports.LoadDefaults(FKind);
    RefreshReportBox();
}

void TAnalyserCustomForm::FillAvailableList(int kind) {
    SourceListView->clear();
    QList<QTreeWidgetItem*> items;
    for (const std::string& text : AvailableReportItems(kind, model::TypeList()))
        items.append(NewItem(text));
    SourceListView->addTopLevelItems(items);
}

void TAnalyserCustomForm::UpdateCountLabel() {
    const int n = CusListView->topLevelItemCount();
    CusTitleLabel->setText(QString("Custom Report List:   (%1 %2)").arg(n).arg(n < 2 ? "item" : "items"));
}

bool TAnalyserCustomForm::CheckNotFull() {
    if (CusListView->topLevelItemCount() < kMaxReportItems) return true;
    ShowMessage(kFullText, "Maximum reached");
    return false;
}

bool TAnalyserCustomForm::CheckNotDuplicate(const std::string& text) {
    for (int i = 0; i < CusListView->topLevelItemCount(); ++i)
        if (ItemBytes(CusListView->topLevelItem(i)) == text) {
            ShowMessage("This item is already in the list", "Duplicate");
            return false;
        }
    return true;
}

void TAnalyserCustomForm::PrepareExecute(int kind) {
    FKind = kind == kTypeReport ? kTypeReport : kExtensionReport;
    const bool types = FKind == kTypeReport;
    setWindowTitle(types ? "Customize Type Report" : "Customize Extension Report");
    SourceListView->setHeaderLabels({types ? "Type" : "Extension"});
    CusListView->setHeaderLabels({types ? "Type" : "Extension"});
    FillAvailableList(FKind);
    if (FReports.ReportCount() == 0) LoadDefaults();
    RefreshReportBox();
    // Without a selection from the caller the list would show nothing and edits would be lost.
    if (FCurrentIndex < 0 || FCurrentIndex >= FReports.ReportCount()) SelectReport(ReportBox->currentIndex());
    UpdateCountLabel();
}

int TAnalyserCustomForm::Execute(int kind) {
    PrepareExecute(kind);
    return exec();
}

void TAnalyserCustomForm::reject() {
    done(kResultCancel);
}

void TAnalyserCustomForm::ReportBoxChange(int index) {
    if (index >= 0) SelectReport(index);
}

void TAnalyserCustomForm::Button1Click() {
    std::string name;
    if (!AskNewReportName(name)) return;
    if (!IsValidReportText(name)) {
        ShowMessage("A report name must not be empty or hold control characters.", "Invalid name");
        return;
    }
    if (FReports.FindReport(name) != nullptr) {
        ShowMessage("This report name already exists. Please try again with another name.", "Already exists");
        return;
    }
    StoreCurrent();
    FReports.AppendReport(name);
    RefreshReportBox();
    ReportBox->setCurrentIndex(-1);
    SelectReport(FReports.ReportCount() - 1);
}

void TAnalyserCustomForm::Button2Click() {
    const std::string name = BoxName(ReportBox->currentIndex());
    const int index = ReportBox->currentIndex() >= 0 ? FReports.IndexOfReport(name) : -1;
    if (index < 0) return;
    const QString question = "Are you sure that you want to delete\n\r\"" + DisplayText(name) + "\" report?";
    if (ShowMessage(question, "Confirm Delete", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) !=
        QMessageBox::Yes)
        return;
    FReports.DeleteReport(index);
    if (FReports.ReportCount() > 0)
        RefreshReportBox();
    else
        LoadDefaults();
    ReportBox->setCurrentIndex(-1);
    FCurrentIndex = -1;
    SelectReport(0);
}

void TAnalyserCustomForm::AppendCustomItem(const std::string& item) {
    CusListView->addTopLevelItem(NewItem(item));
    UpdateCountLabel();
}

void TAnalyserCustomForm::Add1ButtonClick() {
    QTreeWidgetItem* selected = SourceListView->currentItem();
    if (selected == nullptr || !selected->isSelected()) return;
    const std::string item = ItemBytes(selected);
    if (HasControlCharacters(item)) {
        ShowMessage("An item must not hold control characters.", "Invalid item");
        return;
    }
    if (CheckNotFull() && CheckNotDuplicate(item)) {
        AppendCustomItem(item);
        SourceListView->setFocus();
    }
}

void TAnalyserCustomForm::Add2ButtonClick() {
    const std::string text = ManualEdit->text().toStdString();
    if (!IsBlankText(text)) {
        if (HasControlCharacters(text)) {
            ShowMessage("An item must not hold control characters.", "Invalid item");
        } else {
            const std::string item = NormaliseManualEntry(FKind, text);
            if (CheckNotFull() && CheckNotDuplicate(item)) {
                AppendCustomItem(item);
                ManualEdit->clear();
            }
        }
    }
    ManualEdit->setFocus();
}

void TAnalyserCustomForm::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && focusWidget() == ManualEdit)
        Add2ButtonClick();
    QDialog::keyPressEvent(event);
}

void TAnalyserCustomForm::RemoveButtonClick() {
    QTreeWidgetItem* selected = CusListView->currentItem();
    if (selected == nullptr || !selected->isSelected()) return;
    const int index = CusListView->indexOfTopLevelItem(selected);
    const int count = CusListView->topLevelItemCount();
    QTreeWidgetItem* noted = nullptr;
    if (index + 1 < count)
        noted = CusListView->topLevelItem(index + 1);
    else if (count >= 2)
        noted = CusListView->topLevelItem(index - 1);
    delete CusListView->takeTopLevelItem(index);
    if (noted != nullptr) {
        CusListView->setCurrentItem(noted);
        noted->setSelected(true);
    } else {
        CusListView->clearSelection();
        CusListView->setCurrentItem(nullptr);
    }
    CusListView->setFocus();
    UpdateCountLabel();
}

void TAnalyserCustomForm::OkButtonClick() {
    StoreCurrent();
    done(kResultOk);
}

void TAnalyserCustomForm::Button3Click() {
    model::ShowHelp(kHelpContext);
    emit HelpRequested(kHelpContext);
}

QMessageBox::StandardButton TAnalyserCustomForm::ShowMessage(const QString& text, const QString& caption,
                                                             QMessageBox::StandardButtons buttons) {
    return model::ShowMessageBox(this, QMessageBox::Warning, caption, text, buttons);
}

bool TAnalyserCustomForm::AskNewReportName(std::string& name) {
    TAnalyserCustomNewForm form(this);
    if (form.exec() != 1) return false;
    name = form.GetReportName();
    return true;
}

} // namespace analyser
