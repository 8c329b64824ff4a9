// The main window's Help menu: the help window's contents, the installed pages in the desktop's
// web browser, and the About box. The tip of the day is with the other tools (UMainFormTools.cpp).
#include "mainwindow/UMainForm.h"

#include "mainwindow/UAboutForm.h"
#include "mainwindow/UHelpForm.h"
#include "model/UHelpContext.h"

namespace mainwindow {

void TMainForm::Contents1Click() {
    THelpForm::Instance().ShowContents();
}

// The maker's web site is the documentation installed with the program.
void TMainForm::TessalundrixWebSite1Click() {
    OpenHelpPageInBrowser(THelpForm::ContentsPage());
}

void TMainForm::OnlineHelp1Click() {
    OpenHelpPageInBrowser(model::kHelpFaqPage);
}

void TMainForm::OnlineSupport1Click() {
    OpenHelpPageInBrowser(model::kHelpSupportPage);
}

void TMainForm::About1Click() {
    TAboutForm about(this);
    about.exec();
}

} // namespace mainwindow
