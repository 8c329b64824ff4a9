// The viewer's Options, its tip of the day and its Help menu: the desktop explorer's dialogs, here on
// the viewer's settings (its own tip position, no save question, no icon modes).
#include "viewer/UMainForm.h"

#include "listing/UColumn.h"
#include "mainwindow/UAboutForm.h"
#include "mainwindow/UHelpForm.h"
#include "mainwindow/UOptionsForm.h"
#include "mainwindow/UTipsForm.h"
#include "model/UHelpContext.h"

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

void TMainForm::Tipoftheday1Click() {
    mainwindow::TTipsForm form(this);
    const QRect bounds = frameGeometry();
    form.Execute(FShowTips, bounds.x(), bounds.y(), bounds.width(), bounds.height());
    FShowTips = form.GetShowTips();
}

void TMainForm::Contents1Click() {
    mainwindow::THelpForm::Instance().ShowContents();
}

// The maker's web site is the documentation installed with the program.
void TMainForm::TessalundrixWebSite1Click() {
    mainwindow::OpenHelpPageInBrowser(mainwindow::THelpForm::ContentsPage());
}

void TMainForm::OnlineHelp1Click() {
    mainwindow::OpenHelpPageInBrowser(model::kHelpFaqPage);
}

void TMainForm::OnlineSupport1Click() {
    mainwindow::OpenHelpPageInBrowser(model::kHelpSupportPage);
}

void TMainForm::About1Click() {
    mainwindow::TAboutForm about(this);
    about.exec();
}

} // namespace viewer
