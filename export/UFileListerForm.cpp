#include "export/UFileListerForm.h"

#include "export/UExportDataForm.h"
#include "export/UTrashLater.h"
#include "listing/KPLListView.h"
#include "listing/UColumn.h"
#include "listing/UColumnStore.h"
#include "listing/UColumnsForm.h"
#include "listing/UProgramProfile.h"
#include "model/ULongOperation.h"
#include "model/URealIcons.h"
#include "model/UWatchedItems.h"
#include "model/UPlainText.h"
#include "platform/PConsole.h"
#include "platform/PIconRegistry.h"
#include "platform/PQtDesktopOpen.h"
#include "platform/PQtPost.h"
#include "platform/PQtRegistry.h"
#include "platform/PTrash.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace exportdata {

using model::TItem;

namespace {

constexpr int kDefaultWidth = 648;
constexpr int kDefaultHeight = 526;
constexpr int kPanelHeight = 41;
constexpr int kMaxFailuresShown = 10;

// A message text of the system's own ("\n\r" between lines) as the screen shows it.
QString Shown(const std::string& text) {
    return listing::DisplayLines(text, "\n\r");
}

} // namespace

bool TDesktopTrash::MoveToTrash(const std::string& path, std::string& error) {
    return platform::MoveToTrash(path, error);
}

TListerGauge::TListerGauge(const TFileLister& lister, QWidget* parent) : QWidget(parent), FLister(lister) {
    setMinimumWidth(50);
}

void TListerGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect r = rect().adjusted(1, 1, -1, -1);
    r.setRight(FLister.GaugeRight(r.left(), r.right() + 1) - 1);
    if (r.width() > 0) p.fillRect(r, palette().color(QPalette::Highlight));
}

// Repaints the rows when an item takes its own icon (looked up on a worker).
class TRepaintOnIcon : public model::TIconListener {
public:
    explicit TRepaintOnIcon(QWidget* view) : FView(view) { model::AddIconListener(this); }
    ~TRepaintOnIcon() override { model::RemoveIconListener(this); }
    TRepaintOnIcon(const TRepaintOnIcon&) = delete;
    TRepaintOnIcon& operator=(const TRepaintOnIcon&) = delete;
    void IconArrived(TItem*) override { FView->update(); }

private:
    QWidget* FView;
};

// The list with the window's incremental find.
class TFileListerView : public listing::TKPLListView {
public:
    TFileListerView(TFileListerForm* form) : listing::TKPLListView(form), FForm(form) {}
    void keyboardSearch(const QString& search) override { FForm->FindAndSelect(search); }

private:
    TFileListerForm* FForm;
};

TFileListerForm::TFileListerForm(QWidget* owner, std::string settingsProgram)
    : QDialog(owner), FSettingsProgram(std::move(settingsProgram)) {
    if (FSettingsProgram.empty()) FSettingsProgram = listing::CurrentProfile().settingsName;
    setWindowTitle("File Lister");
    setSizeGripEnabled(false);
    resize(kDefaultWidth, kDefaultHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    MainMenu1 = new QMenuBar(this);
    layout->setMenuBar(MainMenu1);
    File1 = MainMenu1->addMenu("&File");
    Open1 = File1->addAction("&Open", QKeySequence("Ctrl+O"), this, &TFileListerForm::OpenClick);
    Explore1 = File1->addAction("Open folder in &File Manager", QKeySequence("Ctrl+W"), this,
                                &TFileListerForm::ExploreClick);
    File1->addSeparator();
    Delete1 = File1->addAction("&Delete", QKeySequence(Qt::Key_Delete), this, &TFileListerForm::DeleteClick);
    File1->addSeparator();
    Export1 =
        File1->addAction("&Export Data...", QKeySequence("Ctrl+E"), this, &TFileListerForm::ExportClick);
    File1->addSeparator();
    Close1 = File1->addAction("&Close", QKeySequence("Ctrl+Q"), this, &QWidget::close);
    Edit1 = MainMenu1->addMenu("&Edit");
    CopyFileName1 = Edit1->addAction("&Copy File Name", QKeySequence("Ctrl+H"), this,
                                     [this] { CopyClick(TCopyWhat::FileName); });
    CopyFolderName1 = Edit1->addAction("Co&py Folder Name", QKeySequence("Ctrl+G"), this,
                                       [this] { CopyClick(TCopyWhat::FolderName); });
    CopyCompletePath1 = Edit1->addAction("Cop&y Complete Path", QKeySequence("Ctrl+C"), this,
                                         [this] { CopyClick(TCopyWhat::CompletePath); });
    View1 = MainMenu1->addMenu("&View");
    CustomizeColumns1 = View1->addAction("&Customize Columns ...", QKeySequence("Ctrl+U"), this,
                                         &TFileListerForm::CustomizeColumnsClick);

    PopupMenu1 = new QMenu(this);
    Open2 = PopupMenu1->addAction("&Open", this, &TFileListerForm::OpenClick);
    PopupMenu1->setDefaultAction(Open2);
    Explore2 = PopupMenu1->addAction("Open folder in &File Manager", this, &TFileListerForm::ExploreClick);
    PopupMenu1->addSeparator();
    CopyFileName2 =
        PopupMenu1->addAction("&Copy File Name", this, [this] { CopyClick(TCopyWhat::FileName); });
    CopyFolderName2 =
        PopupMenu1->addAction("Co&py Folder Name", this, [this] { CopyClick(TCopyWhat::FolderName); });
    CopyCompletePath2 =
        PopupMenu1->addAction("Cop&y Complete Path", this, [this] { CopyClick(TCopyWhat::CompletePath); });
    PopupMenu1->addSeparator();
    Delete2 = PopupMenu1->addAction("&Delete", this, &TFileListerForm::DeleteClick);

    PopupMenu2 = new QMenu(this);
    SortAscending1 = PopupMenu2->addAction("Sort &Ascending", this, &TFileListerForm::SortAscendingClick);
    SortDescending1 = PopupMenu2->addAction("Sort &Descending", this, &TFileListerForm::SortDescendingClick);
    SortAscending1->setCheckable(true);
    SortDescending1->setCheckable(true);
    PopupMenu2->addSeparator();
    Columns1 = PopupMenu2->addAction("&Columns...", this, &TFileListerForm::CustomizeColumnsClick);

    ListView = new TFileListerView(this);
    ListView->setObjectName("ListView");
    ListView->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(ListView, 1);

    BottomPanel = new QWidget(this);
    BottomPanel->setFixedHeight(kPanelHeight);
    auto* panelLayout = new QHBoxLayout(BottomPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    Button1 = new QPushButton("&Stop", BottomPanel);
    Button1->setFixedSize(75, 25);
    Button1->setAutoDefault(false);
    panelLayout->addWidget(Button1, 0, Qt::AlignCenter);
    layout->addWidget(BottomPanel);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);
    StatusPanel0 = model::NewPlainLabel(StatusBar1); // the selected file's path
    StatusPanel0->setFixedWidth(125);
    StatusGauge = new TListerGauge(FLister, StatusBar1);
    StatusBar1->addWidget(StatusPanel0);
    StatusBar1->addWidget(StatusGauge, 1); // the last panel reaches the right edge
    layout->addWidget(StatusBar1);

    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(100);
    MultiTimer = new QTimer(this);
    MultiTimer->setSingleShot(true);
    MultiTimer->setInterval(100);

    const listing::TColumnGroupDef& def = listing::FileListerGroupDef();
    FColumnGroup = std::make_unique<listing::TColumnGroup>(ListView, def.visible, def.ids, def.caption);
    FColumnGroup->SortCode = def.sortCode;

    listing::TKPLListModel* model = ListView->ListModel();
    model->SetCellText([this](int row, int tag) -> std::string {
        return listing::ColumnCatalogue().GetCellText(tag, FLister.Row(row));
    });
    model->SetIcon([this](int row) -> QVariant {
        TItem* item = FLister.Row(row);
        if (!item) return {};
        // Icons are looked up as rows are shown, never while an export reads the rows.
        if (!FExporting && item->IconIndex() == -1) item->ResolveIcon();
        if (item->TypeIndex() == -1) item->ResolveType();
        const QIcon icon = platform::IconRegistry().Icon(item->IconIndex());
        return icon.isNull() ? QVariant() : QVariant(icon);
    });
    model->SetDimmed([this](int row) {
        const TItem* item = FLister.Row(row);
        return item && (item->Attributes() & model::kAttrHidden) != 0;
    });

    connect(Button1, &QPushButton::clicked, this, [this] { FLister.RequestStop(); });
    connect(Timer1, &QTimer::timeout, this, &TFileListerForm::BuildListing);
    connect(MultiTimer, &QTimer::timeout, this, &TFileListerForm::MultiTimerTimer);
    connect(ListView, &listing::TKPLListView::ColumnClick, this, &TFileListerForm::ListViewColumnClick);
    connect(ListView, &listing::TKPLListView::ColumnRightClick, this, &TFileListerForm::HeaderPopup);
    connect(ListView, &QWidget::customContextMenuRequested, this, &TFileListerForm::RowPopup);
    connect(ListView, &QAbstractItemView::activated, this, [this](const QModelIndex&) { OpenClick(); });
    connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { UpdateSelectionStatus(); });

    FLister.ProcessMessages = [] { QCoreApplication::processEvents(); };
    FLister.ProgressChanged = [this] {
        StatusPanel0->setText(QString::fromStdString(FLister.ProgressText()));
        StatusPanel0->repaint();
        StatusGauge->repaint();
    };
    FLister.RowsDropped = [this] { RowsDropped(); };
    FIconRepaint = std::make_unique<TRepaintOnIcon>(ListView->viewport());
    UpdateSelectionStatus();
}

TFileListerForm::~TFileListerForm() = default;

// ---- Execute and the build ----

int TFileListerForm::Execute(model::TFolderItem* folder, model::TRootItem* root, int mode,
                             analyser::TAnalyserDataGroup* group, std::vector<std::int32_t> rowKeys,
                             bool modeless) {
    // A walk still running (a modeless window asked again) would lose its footing: keep it.
    if (FLister.Busy()) {
        raise();
        return 0;
    }
    FModeless = modeless;
    setWindowFlag(Qt::WindowMinimizeButtonHint, modeless);
    LoadSettings();
    const bool ok = FLister.Setup(folder, root, mode, group, std::move(rowKeys));
    ListView->ListModel()->SetRowCount(0);
    for (int id : FLister.RestrictionColumns())
        FColumnGroup->ShowColumn(id);
    ApplyColumns();
    if (!ok) return 0;
    model::SetPlainWindowTitle(*this, Shown(FLister.Caption()));

    SetBuildLayout();
    if (modeless) {
        show();
        raise();
        Timer1->start();
        return 0;
    }
    Timer1->start();
    exec();
    return FLister.FilesDeleted() ? -1 : 0;
}

void TFileListerForm::SetBuildLayout() {
    FIdleLayout = false;
    BottomPanel->setFixedHeight(kPanelHeight);
    BottomPanel->show();
    StatusBar1->removeWidget(StatusPanel0);
    StatusPanel0->setFixedWidth(125);
    StatusBar1->insertWidget(0, StatusPanel0);
    StatusPanel0->show();
    StatusGauge->show();
}

void TFileListerForm::SetIdleLayout() {
    FIdleLayout = true;
    StatusGauge->hide();
    StatusBar1->removeWidget(StatusPanel0);
    StatusPanel0->setMinimumWidth(0);
    StatusPanel0->setMaximumWidth(QWIDGETSIZE_MAX);
    StatusBar1->insertWidget(0, StatusPanel0, 1);
    StatusPanel0->show();
    BottomPanel->setFixedHeight(0);
    BottomPanel->hide();
}

void TFileListerForm::SetMenusEnabled(bool enabled) {
    for (QMenu* menu : {File1, Edit1, View1}) {
        menu->menuAction()->setVisible(enabled);
        menu->menuAction()->setEnabled(enabled);
    }
}

void TFileListerForm::BuildListing() {
    Timer1->stop();
    if (FLister.Busy()) return;
    ListView->setFocus();
    ListView->setCursor(Qt::WaitCursor);
    SetMenusEnabled(false);
    ListView->setEnabled(false);
    ListView->ListModel()->SetRowCount(0);
    FLister.SortCode = FColumnGroup->SortCode;
    FLister.Build(); // sorts by the group's code at its end
    ListView->ListModel()->SetRowCount(FLister.RowCount());
    ListView->setEnabled(true);
    SetMenusEnabled(true);
    ListView->unsetCursor();
    SetIdleLayout();
    UpdateSelectionStatus();
}

void TFileListerForm::RowsDropped() {
    FSelectionCalcRestart = true;
    if (FLister.Busy()) return; // the list shows no rows while the walk runs
    ListView->ListModel()->SetRowCount(FLister.RowCount());
    if (!FLister.Folder()) model::SetPlainWindowTitle(*this, Shown(FLister.Caption()));
    UpdateSelectionStatus();
}

// ---- columns and order ----

void TFileListerForm::ApplyColumns() {
    ListView->setCursor(Qt::WaitCursor);
    FColumnGroup->SortCode = FColumnGroup->ApplyToListView();
    SortListing();
    ListView->unsetCursor();
}

void TFileListerForm::SortListing() {
    FLister.SortCode = FColumnGroup->SortCode;
    FLister.Sort();
    ListView->ListModel()->RefreshRows();
}

void TFileListerForm::ListViewColumnClick(int column) {
    if (FLister.Busy()) return;
    const int id = ListView->ColumnTag(column);
    if (id < 0) return;
    ListView->setCursor(Qt::WaitCursor);
    FLister.SortCode = FColumnGroup->SortCode;
    FColumnGroup->SortCode = FLister.ClickColumn(id);
    ListView->ListModel()->RefreshRows();
    ListView->SetSortColumn(column);
    ListView->SetSortColumnUp(FColumnGroup->SortCode % 2 == 0);
    ListView->clearSelection();
    ListView->unsetCursor();
}

void TFileListerForm::HeaderPopup(int column, const QPoint& pos) {
    FHeaderColumn = column;
    const bool sorted = column >= 0 && column == ListView->SortColumn();
    SortAscending1->setChecked(sorted && ListView->SortColumnUp());
    SortDescending1->setChecked(sorted && !ListView->SortColumnUp());
    SortAscending1->setEnabled(column >= 0);
    SortDescending1->setEnabled(column >= 0);
    RunPopup(PopupMenu2, ListView->mapToGlobal(pos));
}

void TFileListerForm::SortAscendingClick() {
    if (FLister.Busy() || FHeaderColumn < 0) return;
    const int code = ListView->ColumnTag(FHeaderColumn) * 2;
    if (code < 0 || code == FColumnGroup->SortCode) return;
    FColumnGroup->SortCode = code;
    SortListing();
    ListView->SetSortColumn(FHeaderColumn);
    ListView->SetSortColumnUp(true);
    ListView->clearSelection();
}

void TFileListerForm::SortDescendingClick() {
    if (FLister.Busy() || FHeaderColumn < 0) return;
    const int id = ListView->ColumnTag(FHeaderColumn);
    if (id < 0 || id * 2 + 1 == FColumnGroup->SortCode) return;
    FColumnGroup->SortCode = id * 2 + 1;
    SortListing();
    ListView->SetSortColumn(FHeaderColumn);
    ListView->SetSortColumnUp(false);
    ListView->clearSelection();
}

void TFileListerForm::CustomizeColumnsClick() {
    if (FLister.Busy()) return;
    FColumnGroup->ReadBackFromListView();
    listing::TColumnsForm dialog(this);
    if (dialog.Execute(0, {FColumnGroup.get()}) == QDialog::Accepted && FColumnGroup->Modified) {
        ListView->setUpdatesEnabled(false);
        ApplyColumns();
        ListView->setUpdatesEnabled(true);
        ListView->viewport()->update();
        FColumnGroup->ClearModified();
    }
}

// ---- rows, selection, status ----

std::vector<int> TFileListerForm::SelectedRows() const {
    return ListView->SelectedRowIndexes();
}

TItem* TFileListerForm::FirstSelectedItem() const {
    const std::vector<int> rows = SelectedRows();
    return rows.empty() ? nullptr : FLister.Row(rows.front());
}

void TFileListerForm::SetStatus(const std::string& text) {
    StatusPanel0->setText(listing::DisplayText(text));
}

QString TFileListerForm::StatusText() const {
    return StatusPanel0->text();
}

void TFileListerForm::UpdateSelectionStatus() {
    if (FLister.Busy()) return;
    const std::vector<int> rows = SelectedRows();
    const bool any = !rows.empty();
    Delete1->setEnabled(any);
    Delete2->setEnabled(any);
    Open1->setEnabled(any);
    Open2->setEnabled(any);
    Explore1->setEnabled(any);
    Explore2->setEnabled(any);
    if (rows.size() > 1) {
        FSelectionCalcRestart = true;
        SetStatus(TFileLister::CalculatingStatus(static_cast<std::int64_t>(rows.size())));
        Open1->setEnabled(false);
        Open2->setEnabled(false);
        Explore1->setEnabled(false);
        Explore2->setEnabled(false);
        MultiTimer->start();
    } else if (any) {
        if (const TItem* item = FLister.Row(rows.front())) SetStatus(TFileLister::SingleStatus(*item));
    } else {
        SetStatus(FLister.IdleStatus());
    }
    if (FModeless) {
        for (QAction* a : {Delete1, Delete2, Open1, Open2})
            a->setEnabled(false);
        if (rows.size() == 1 && !FLister.Row(rows.front())) {
            Explore1->setEnabled(false);
            Explore2->setEnabled(false);
        }
    }
}

void TFileListerForm::MultiTimerTimer() {
    MultiTimer->stop();
    FSelectionCalcRestart = false;
    QItemSelectionModel* selection = ListView->selectionModel();
    TFileLister::TSelectionSum sum;
    const bool done = FLister.SumSelection([selection](int row) { return selection->isRowSelected(row, {}); },
                                           [this] {
                                               QCoreApplication::processEvents();
                                               return FSelectionCalcRestart;
                                           },
                                           sum);
    if (done) SetStatus(TFileLister::SelectionSumStatus(sum.bytes, sum.count));
}

void TFileListerForm::RowPopup(const QPoint& pos) {
    if (FLister.Busy()) return;
    const QModelIndex index = ListView->indexAt(pos);
    if (!index.isValid()) return;
    ListView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
    const TItem* item = FLister.Row(index.row());
    if (item && !dynamic_cast<const model::TTopItem*>(item))
        RunPopup(PopupMenu1, ListView->viewport()->mapToGlobal(pos));
}

void TFileListerForm::RunPopup(QMenu* menu, const QPoint& globalPos) {
    menu->exec(globalPos);
}

void TFileListerForm::FindAndSelect(const QString& text) {
    if (FLister.Busy() || text.isEmpty()) return;
    // Letters typed in quick succession make one search, as the list views of the desktop do.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const bool continuing = now - FSearchTime <= QApplication::keyboardInputInterval();
    FSearchTime = now;
    FSearch = continuing ? FSearch + text : text;
    const int current = ListView->currentIndex().isValid() ? ListView->currentIndex().row() : 0;
    // A new search starts after the current row, so that one letter again steps to the next.
    const int start = continuing ? current : current + 1;
    const int row = FLister.Find(FSearch.toStdString(), start, true);
    if (row < 0) return;
    const QModelIndex index = ListView->ListModel()->index(row, 0);
    ListView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
    ListView->scrollTo(index);
}

// ---- commands ----

void TFileListerForm::OpenClick() {
    if (FLister.Busy() || FModeless) return;
    const TItem* item = FirstSelectedItem();
    if (!item || item->IsFolder()) return;
    // As with the folder below, the desktop tells only later whether an application took the file.
    const QPointer<TFileListerForm> self(this);
    platform::OpenFile(item->GetPath(), this, [self](platform::TOpenOutcome outcome) {
        if (outcome != platform::TOpenOutcome::Opened && self) self->ShowError(Shown(kNoFileApplication));
    });
}

void TFileListerForm::ExploreClick() {
    if (FLister.Busy()) return;
    const TItem* item = FirstSelectedItem();
    if (!item || !item->Parent()) return;
    // The desktop tells only later whether a file manager took the folder; the window goes on.
    const QPointer<TFileListerForm> self(this);
    auto told = [self](platform::TOpenOutcome outcome) {
        if (outcome != platform::TOpenOutcome::Opened && self)
            self->ShowError(Shown(FileManagerFailure(outcome == platform::TOpenOutcome::Missing)));
    };
    platform::OpenFolder(item->Parent()->GetPath(), this, told);
}

void TFileListerForm::DeleteClick() {
    if (FLister.Busy() || FModeless) return;
    const std::vector<int> rows = SelectedRows();
    std::vector<TItem*> targets;
    if (rows.size() > 1) {
        for (auto it = rows.rbegin(); it != rows.rend(); ++it)
            if (TItem* item = FLister.Row(*it)) targets.push_back(item);
    } else if (const QModelIndex focus = ListView->currentIndex(); focus.isValid()) {
        if (TItem* item = FLister.Row(focus.row())) targets.push_back(item);
    }
    if (targets.empty()) return;
    const QString question =
        targets.size() == 1
            ? "Are you sure you want to move \"" + listing::DisplayText(targets.front()->NameString()) +
                  "\" to the trash?"
            : QString("Are you sure you want to move these %1 files to the trash?").arg(targets.size());
    if (!ConfirmDelete(question)) return;

    // The moves run on a worker (each file checked first, within the time limit of free space): the
    // window goes on, and the listing follows when they have answered, for what is still there.
    std::vector<std::string> paths;
    for (const TItem* target : targets)
        paths.push_back(target->GetPath());
    auto items = std::make_shared<model::TWatchedItems>(targets);
    const bool several = rows.size() > 1;
    const QPointer<TFileListerForm> self(this);
    auto answered = [self, items, paths, several](const TTrashAnswer& answer) {
        // Not in the middle of an export: after it.
        model::AfterLongOperation([self, items, paths, several, answer] {
            if (self)
                self->TrashAnswered(items->Items(), paths, answer, several);
            else
                RemoveMovedItems(items->Items(), answer); // closed meanwhile: the tree follows all the same
        });
    };
    // Told even when this window has closed meanwhile (the application is the context).
    platform::TellWithin<TTrashAnswer>(StartTrashMoves(paths, FTrash == &FDesktopTrash ? nullptr : FTrash),
                                       -1, {}, QCoreApplication::instance(), answered);
}

void TFileListerForm::TrashAnswered(const std::vector<TItem*>& items, const std::vector<std::string>& paths,
                                    const TTrashAnswer& answer, bool several) {
    std::vector<TItem*> targets;
    for (TItem* item : items)
        if (item) targets.push_back(item); // the others left the tree meanwhile
    TAnsweredTrash trash(paths, answer);
    const TDeleteOutcome outcome = FLister.Delete(targets, trash);
    if (outcome.deleted > 0) {
        ListView->ListModel()->SetRowCount(FLister.RowCount());
        if (several) ListView->clearSelection();
        UpdateSelectionStatus();
    }
    if (!outcome.failures.empty()) {
        std::string text = outcome.failures.size() == 1 ? "Unable to move this file to the trash:"
                                                        : "Unable to move these files to the trash:";
        for (std::size_t i = 0; i < outcome.failures.size() && i < kMaxFailuresShown; ++i)
            text += "\n\r" + outcome.failures[i].path + " (" + outcome.failures[i].reason + ")";
        if (outcome.failures.size() > kMaxFailuresShown)
            text += "\n\r... and " + std::to_string(outcome.failures.size() - kMaxFailuresShown) + " more";
        ShowError(Shown(text));
    }
}

void TFileListerForm::ExportClick() {
    if (FLister.Busy()) return;
    FColumnGroup->ReadBackFromListView();
    std::vector<const TItem*> rows(FLister.Listing().begin(), FLister.Listing().end());
    FExporting = true;
    TExportDataForm dialog(this);
    dialog.Execute(kListFileLister, std::move(rows), *FColumnGroup, FLister.ExportTitle(),
                   FLister.ExportSubject(), false);
    FExporting = false;
}

void TFileListerForm::CopyClick(TCopyWhat what) {
    if (FLister.Busy()) return;
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return;
    QApplication::clipboard()->setText(Shown(FLister.CopyText(rows, what)));
}

// ---- the user's side ----

bool TFileListerForm::ConfirmDelete(const QString& question) {
    return model::ShowMessageBox(this, QMessageBox::Warning, "Confirm Delete", question,
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void TFileListerForm::ShowError(const QString& text) {
    model::ShowMessageBox(this, QMessageBox::Critical, "Error", text);
}

void TFileListerForm::closeEvent(QCloseEvent* event) {
    // A walk still running ends at its next pump; the window goes now.
    FLister.RequestStop();
    SaveSettings();
    QDialog::closeEvent(event);
}

void TFileListerForm::keyPressEvent(QKeyEvent* event) {
    // Esc is the Stop button's; it never closes the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (FLister.Busy()) FLister.RequestStop();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---- settings ----

void TFileListerForm::LoadSettings() {
    const QRect screenRect = screen() ? screen()->geometry() : QRect(0, 0, 1024, 768);
    const int sw = screenRect.width(), sh = screenRect.height();
    int left = (sw - width()) / 2, top = (sh - height()) / 2, w = width(), h = height();
    move(left, top);

    platform::TRegistry store(FSettingsProgram);
    if (!store.OpenKey("FileLister", false)) return;
    listing::LoadColumnLayout(store, "Columns", *FColumnGroup);
    const auto rw = store.ReadInteger("Width");
    if (!rw.Ok()) return;
    resize(w = rw.value, h);
    const auto rh = store.ReadInteger("Height");
    if (!rh.Ok()) return;
    resize(w, h = rh.value);
    const auto rt = store.ReadInteger("Top");
    if (!rt.Ok()) return;
    move(left, top = rt.value);
    const auto rl = store.ReadInteger("Left");
    if (!rl.Ok()) return;
    left = rl.value;
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (w > sw) w = sw;
    if (h > sh) h = sh;
    if (top > sh - h) top = sh - h;
    if (left > sw - w) left = sw - w;
    resize(w, h);
    move(left, top);
}

void TFileListerForm::SaveSettings() {
    platform::TRegistry store(FSettingsProgram);
    if (!store.OpenKey("FileLister", true)) return;
    FColumnGroup->ReadBackFromListView();
    // Only the plain listing keeps its layout: bucket listings add columns of their own.
    if (FLister.Mode() == kListerAll) listing::StoreColumnLayout(store, "Columns", *FColumnGroup);
    store.WriteInteger("Width", width());
    store.WriteInteger("Height", height());
    store.WriteInteger("Top", y());
    store.WriteInteger("Left", x());
    store.Flush();
}

} // namespace exportdata
