// The Customize Columns dialog: one tab per column group, a check list of the group's columns
// with Move Up / Move Down / Show / Hide / Reset and the selected column's width. Changes reach
// the groups only on OK; the caller rebuilds its list when a group reports Modified.
#pragma once

#include "listing/UColumn.h"
#include "listing/UColumnsEditor.h"
#include "model/UHelpContext.h"

#include <QDialog>

#include <memory>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace listing {

// "&Help" asks the program's help for this context (model/UHelpContext.h).
inline constexpr int kColumnsHelpContext = model::kHelpColumns;

class TColumnsForm : public QDialog {
    Q_OBJECT
public:
    explicit TColumnsForm(QWidget* parent = nullptr);
    ~TColumnsForm() override;

    // Runs the dialog modally on the groups (not owned), on the given page when it exists, else
    // the first. No groups: Rejected at once, nothing shown. OK applies every tab to its group.
    int Execute(int activePage, const std::vector<TColumnGroup*>& groups);

    // Execute's steps apart (tests drive the dialog between them).
    bool Prepare(int activePage, const std::vector<TColumnGroup*>& groups);
    void ApplyAll();

    struct TTab {
        QWidget* page = nullptr;
        QListWidget* list = nullptr;
        QPushButton* moveUp = nullptr;
        QPushButton* moveDown = nullptr;
        QPushButton* show = nullptr;
        QPushButton* hide = nullptr;
        QPushButton* reset = nullptr;
        QSpinBox* spin = nullptr;
        std::unique_ptr<TColumnsEditor> editor;
    };
    [[nodiscard]] int TabCount() const { return static_cast<int>(FTabs.size()); }
    [[nodiscard]] TTab& Tab(int index) { return *FTabs[static_cast<std::size_t>(index)]; }
    [[nodiscard]] QTabWidget* PageControl() const { return FPages; }
    [[nodiscard]] QPushButton* OKButton() const { return FOK; }

private:
    void BuildTab(TColumnGroup& group);
    TTab* ActiveTab();
    void FillList(TTab& tab);
    void UpdateButtons(TTab& tab);
    void MoveUpClick();
    void MoveDownClick();
    void ShowClick();
    void HideClick();
    void ResetClick();
    void SpinChange(int value);
    void ListViewChange(TTab& tab, int row, bool checked);
    void ListViewSelectItem(TTab& tab, int row);

    QTabWidget* FPages;
    QPushButton* FOK;
    QPushButton* FCancel;
    QPushButton* FHelp;
    std::vector<std::unique_ptr<TTab>> FTabs;
    bool FUpdating = false;
};

} // namespace listing
