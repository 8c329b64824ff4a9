// The viewer's Options: the desktop explorer's dialog, here on the viewer's settings (no save
// question, no icon modes).
#include "viewer/UMainForm.h"

#include "listing/UColumn.h"
#include "mainwindow/UOptionsForm.h"

namespace viewer {

namespace {
// The options dialog without "Ask for save on Exit" and without the "&Icons" page.
constexpr int kViewerOptions = 1;
} // namespace

void TMainForm::Options1Click() {
    mainwindow::TOptionsForm form(this);
    listing::TColumnList& columns = listing::ColumnCatalogue();
    form.SetGeneralOptions(FShowTips, false);
    form.SetSizeUnits(columns.SizeUnit, columns.AnalyserSpaceUnit, columns.SpaceUnit);
    if (form.Execute(kViewerOptions) != QDialog::Accepted) return;
    FShowTips = form.GetShowTips();
    columns.SizeUnit = form.GetListSizeUnit();
    columns.AnalyserSpaceUnit = form.GetAnalyserSizeUnit();
    columns.SpaceUnit = form.GetDriveSizeUnit();
    RefreshViews();
    // Open File Lister and analyser tables read their cells again when painted.
    for (QWidget* window : ToolWindows())
        window->update();
}

} // namespace viewer
