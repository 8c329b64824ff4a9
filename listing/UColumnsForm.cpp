#include "listing/UColumnsForm.h"

#include "listing/KPLListView.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include <algorithm>

namespace listing {

namespace {

// Sets a flag for a scope: the form ignores its own widget signals while it fills them.
class TUpdating {
public:
    explicit TUpdating(bool& flag) : FFlag(flag), FOld(flag) { FFlag = true; }
    ~TUpdating() { FFlag = FOld; }

private:
    bool& FFlag;
    bool FOld;
};

} // namespace

TColumnsForm::TColumnsForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Columns"));
    setFixedSize(385, 391);
    setObjectName(QStringLiteral("ColumnsForm"));
    FPages = new QTabWidget(this);
    FPages->setGeometry(5, 5, 372, 348);
    FHelp = new QPushButton(QStringLiteral("&Help"), this);
    FHelp->setGeometry(5, 360, 75, 25);
    FOK = new QPushButton(QStringLiteral("O&K"), this);
    FOK->setGeometry(221, 360, 75, 25);
    FOK->setDefault(true);
    FCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    FCancel->setGeometry(301, 360, 75, 25);
    connect(FOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(FCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(FHelp, &QPushButton::clicked, this, [] { model::ShowHelp(kColumnsHelpContext); });
}

TColumnsForm::~TColumnsForm() {
    FUpdating = true; // no handler runs while the widgets go
    for (auto& tab : FTabs) {
        tab->list->disconnect(this);
        tab->spin->disconnect(this);
    }
}

void TColumnsForm::BuildTab(TColumnGroup& group) {
    TUpdating updating(FUpdating);
    auto tab = std::make_unique<TTab>();
    TTab* t = tab.get();
    t->page = new QWidget;
    auto* top = new QLabel(
        QStringLiteral("Check the columns that you would like visible in this view. Use the Move Up "
                       "and Move Down buttons to reorder the columns however you like."),
        t->page);
    top->setWordWrap(true);
    top->setGeometry(8, 8, 345, 49);
    top->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    t->list = new QListWidget(t->page);
    t->list->setGeometry(8, 64, 249, 217);
    t->list->setSelectionMode(QAbstractItemView::SingleSelection);
    t->list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto button = [t](const char* caption, int y) {
        auto* b = new QPushButton(QString::fromUtf8(caption), t->page);
        b->setGeometry(272, y, 75, 25);
        return b;
    };
    t->moveUp = button("Move &Up", 64);
    t->moveDown = button("Move &Down", 96);
    t->show = button("&Show", 128);
    t->hide = button("H&ide", 160);
    t->reset = button("&Reset", 192);
    // The width line flows from its first label, whose width depends on the font.
    auto* before = new QLabel(QStringLiteral("The selected column should be"), t->page);
    const int beforeWidth = before->sizeHint().width();
    before->setGeometry(8, 290, beforeWidth, 21);
    t->spin = new QSpinBox(t->page);
    t->spin->setGeometry(std::max(162, 8 + beforeWidth + 4), 290, 52, 21);
    t->spin->setRange(0, 999);
    auto* after = new QLabel(QStringLiteral("pixels wide."), t->page);
    after->setGeometry(t->spin->geometry().right() + 6, 290, after->sizeHint().width(), 21);

    connect(t->moveUp, &QPushButton::clicked, this, &TColumnsForm::MoveUpClick);
    connect(t->moveDown, &QPushButton::clicked, this, &TColumnsForm::MoveDownClick);
    connect(t->show, &QPushButton::clicked, this, &TColumnsForm::ShowClick);
    connect(t->hide, &QPushButton::clicked, this, &TColumnsForm::HideClick);
    connect(t->reset, &QPushButton::clicked, this, &TColumnsForm::ResetClick);
    connect(t->spin, &QSpinBox::valueChanged, this, &TColumnsForm::SpinChange);
    connect(t->list, &QListWidget::itemChanged, this, [this, t](QListWidgetItem* item) {
        ListViewChange(*t, t->list->row(item), item->checkState() == Qt::Checked);
    });
    connect(t->list, &QListWidget::currentRowChanged, this,
            [this, t](int row) { ListViewSelectItem(*t, row); });

    t->editor = std::make_unique<TColumnsEditor>(group);
    FPages->addTab(t->page, DisplayText(group.Caption));
    FTabs.push_back(std::move(tab));
}

bool TColumnsForm::Prepare(int activePage, const std::vector<TColumnGroup*>& groups) {
    if (groups.empty()) return false;
    TUpdating updating(FUpdating);
    for (TColumnGroup* g : groups) {
        g->ClearModified();
        g->ResetEditWidths();
        BuildTab(*g);
    }
    for (auto& tab : FTabs) {
        FillList(*tab);
        for (QWidget* w : {static_cast<QWidget*>(tab->moveUp), static_cast<QWidget*>(tab->moveDown),
                           static_cast<QWidget*>(tab->show), static_cast<QWidget*>(tab->hide),
                           static_cast<QWidget*>(tab->spin)})
            w->setEnabled(false);
    }
    FPages->setCurrentIndex(activePage >= 0 && activePage < TabCount() ? activePage : 0);
    return true;
}

int TColumnsForm::Execute(int activePage, const std::vector<TColumnGroup*>& groups) {
    if (!Prepare(activePage, groups)) return QDialog::Rejected;
    const int result = exec();
    if (result == QDialog::Accepted) ApplyAll();
    return result;
}

void TColumnsForm::ApplyAll() {
    for (auto& tab : FTabs)
        tab->editor->Apply();
}

TColumnsForm::TTab* TColumnsForm::ActiveTab() {
    const int i = FPages->currentIndex();
    return i >= 0 && i < TabCount() ? FTabs[static_cast<std::size_t>(i)].get() : nullptr;
}

void TColumnsForm::FillList(TTab& tab) {
    TUpdating updating(FUpdating);
    tab.list->clear();
    for (const TColumnsEditor::TEntry& e : tab.editor->Entries()) {
        auto* item = new QListWidgetItem(DisplayText(e.name));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setData(Qt::UserRole, e.id);
        item->setCheckState(e.checked ? Qt::Checked : Qt::Unchecked);
        tab.list->addItem(item);
    }
    tab.list->setCurrentRow(tab.editor->Selected());
    if (tab.editor->Selected() >= 0) tab.list->scrollToItem(tab.list->item(tab.editor->Selected()));
}

void TColumnsForm::UpdateButtons(TTab& tab) {
    TUpdating updating(FUpdating);
    const TColumnsEditor::TButtons b = tab.editor->Buttons();
    tab.moveUp->setEnabled(b.moveUp);
    tab.moveDown->setEnabled(b.moveDown);
    tab.show->setEnabled(b.show);
    tab.hide->setEnabled(b.hide);
    tab.spin->setEnabled(b.width);
    tab.spin->setValue(b.widthValue);
}

void TColumnsForm::ListViewSelectItem(TTab& tab, int row) {
    if (FUpdating) return;
    tab.editor->Select(row);
    UpdateButtons(tab);
}

void TColumnsForm::ListViewChange(TTab& tab, int row, bool checked) {
    if (FUpdating) return;
    tab.editor->SetChecked(row, checked);
    // The naming column may have been checked again; Show and Hide follow the new state.
    FillList(tab);
    UpdateButtons(tab);
}

void TColumnsForm::MoveUpClick() {
    if (TTab* t = ActiveTab()) {
        t->editor->MoveUp();
        FillList(*t);
        UpdateButtons(*t);
    }
}

void TColumnsForm::MoveDownClick() {
    if (TTab* t = ActiveTab()) {
        t->editor->MoveDown();
        FillList(*t);
        UpdateButtons(*t);
    }
}

void TColumnsForm::ShowClick() {
    if (TTab* t = ActiveTab()) {
        t->editor->Show();
        FillList(*t);
        t->list->setFocus();
        UpdateButtons(*t);
    }
}

void TColumnsForm::HideClick() {
    if (TTab* t = ActiveTab()) {
        t->editor->Hide();
        FillList(*t);
        t->list->setFocus();
        UpdateButtons(*t);
    }
}

void TColumnsForm::ResetClick() {
    if (TTab* t = ActiveTab()) {
        t->editor->Reset();
        FillList(*t);
        UpdateButtons(*t);
    }
}

void TColumnsForm::SpinChange(int value) {
    if (FUpdating) return;
    if (TTab* t = ActiveTab()) t->editor->SetWidth(value);
}

} // namespace listing
