// The File Lister window: every file below one folder as a flat, sortable list (all files, the
// files of an analyser bucket, or the 100 biggest), with open, open the folder in the file
// manager, copy names, delete to the trash, columns and export. The listing itself is
// TFileLister's; this window only shows it and passes the user's commands on.
#pragma once

#include "export/UFileLister.h"

#include <QDialog>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QTimer;

namespace listing {
class TColumnGroup;
class TKPLListView;
} // namespace listing
namespace model {
class TIconListener;
}

namespace exportdata {

// The desktop's trash (platform::MoveToTrash, the freedesktop trash on byte names, so that a name
// in any encoding goes); never deletes for good.
class TDesktopTrash : public TFileTrash {
public:
    bool MoveToTrash(const std::string& path, std::string& error) override;
};

// The owner-drawn gauge of the status bar: the listed share of the expected files.
class TListerGauge : public QWidget {
    Q_OBJECT
public:
    TListerGauge(const TFileLister& lister, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const TFileLister& FLister;
};

struct TTrashAnswer;

class TFileListerForm : public QDialog {
    Q_OBJECT
public:
    // settingsProgram: the settings store ("" = the running program's, from its listing profile).
    explicit TFileListerForm(QWidget* owner = nullptr, std::string settingsProgram = {});
    ~TFileListerForm() override;

    // Lists the files of folder (not owned; root's totals are recomputed after deletions) in a
    // mode (kListerAll, kListerKind1 ... kListerAllOthers with group and keys, kListerBiggest).
    // Modal: returns -1 when files were deleted, else 0. Modeless: shows the window and returns 0.
    // Modes 2-9 without their group or keys: 0, nothing shown (settings and columns are loaded).
    int Execute(model::TFolderItem* folder, model::TRootItem* root, int mode,
                analyser::TAnalyserDataGroup* group, std::vector<std::int32_t> rowKeys, bool modeless);

    [[nodiscard]] TFileLister& Lister() { return FLister; }
    [[nodiscard]] listing::TColumnGroup& ColumnGroup() { return *FColumnGroup; }
    [[nodiscard]] bool Modeless() const { return FModeless; }
    // Trash for Delete (not owned); the desktop's by default.
    void SetTrash(TFileTrash* trash) { FTrash = trash ? trash : &FDesktopTrash; }

    // Commands, as the menus, popups and the list run them.
    void BuildListing();
    void OpenClick();
    void ExploreClick();
    void DeleteClick();
    void ExportClick();
    void CopyClick(TCopyWhat what);
    void CustomizeColumnsClick();
    void ListViewColumnClick(int column);
    void HeaderPopup(int column, const QPoint& pos);
    void SortAscendingClick();
    void SortDescendingClick();
    void UpdateSelectionStatus();
    void MultiTimerTimer();
    [[nodiscard]] QString StatusText() const;

    void LoadSettings();
    void SaveSettings();

    // Components, by their form names.
    listing::TKPLListView* ListView;
    QWidget* BottomPanel;
    QPushButton* Button1;
    QStatusBar* StatusBar1;
    QLabel* StatusPanel0;
    TListerGauge* StatusGauge;
    QTimer* Timer1;
    QTimer* MultiTimer;
    QMenuBar* MainMenu1;
    QMenu* File1;
    QMenu* Edit1;
    QMenu* View1;
    QAction* Open1;
    QAction* Explore1;
    QAction* Delete1;
    QAction* Export1;
    QAction* Close1;
    QAction* CopyFileName1;
    QAction* CopyFolderName1;
    QAction* CopyCompletePath1;
    QAction* CustomizeColumns1;
    QMenu* PopupMenu1;
    QAction* Open2;
    QAction* Explore2;
    QAction* CopyFileName2;
    QAction* CopyFolderName2;
    QAction* CopyCompletePath2;
    QAction* Delete2;
    QMenu* PopupMenu2;
    QAction* SortAscending1;
    QAction* SortDescending1;
    QAction* Columns1;

protected:
    // The user's side, apart so that tests can stand in for it.
    // The "Confirm Delete" question: true only on Yes.
    virtual bool ConfirmDelete(const QString& question);
    virtual void ShowError(const QString& text);
    // Runs the popup at a global position (tests skip the menu's own loop).
    virtual void RunPopup(QMenu* menu, const QPoint& globalPos);

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ApplyColumns();
    void SortListing();
    void SetMenusEnabled(bool enabled);
    void SetIdleLayout();
    void SetBuildLayout();
    void RowPopup(const QPoint& pos);
    void FindAndSelect(const QString& text);
    [[nodiscard]] std::vector<int> SelectedRows() const;
    [[nodiscard]] model::TItem* FirstSelectedItem() const;
    void SetStatus(const std::string& text);
    void RowsDropped();
    // The moves of a Delete have answered: the items still there that went leave the listing.
    void TrashAnswered(const std::vector<model::TItem*>& items, const std::vector<std::string>& paths,
                       const TTrashAnswer& answer, bool several);

    TFileLister FLister;
    std::unique_ptr<listing::TColumnGroup> FColumnGroup;
    std::string FSettingsProgram;
    TDesktopTrash FDesktopTrash;
    TFileTrash* FTrash = &FDesktopTrash;
    int FHeaderColumn = -1;
    bool FModeless = false;
    bool FSelectionCalcRestart = false;
    bool FExporting = false;
    bool FIdleLayout = false;
    QString FSearch;
    qint64 FSearchTime = 0;
    std::unique_ptr<model::TIconListener> FIconRepaint; // rows repaint as their own icons come
    friend class TFileListerView;
};

} // namespace exportdata
