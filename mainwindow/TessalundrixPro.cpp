// The desktop explorer: global services first, then the main window; closing it ends the program.
#include "listing/UColumn.h"
#include "listing/UProgramProfile.h"
#include "mainwindow/UHelpForm.h"
#include "mainwindow/UMainForm.h"
#include "model/UConvertHelp.h"
#include "model/UIconManager.h"
#include "model/UScanProgressForm.h"
#include "platform/PQtProgram.h"
#include "platform/PQtShell.h"

#include <QApplication>

#include <clocale>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Numbers are grouped as the user's locale groups them; parsing stays in the C locale.
    std::setlocale(LC_ALL, "");
    model::InitFormatSettings();
    std::setlocale(LC_NUMERIC, "C");
    platform::InitProgram("TessalundrixPro", "tessalundrixpro");

    platform::InstallQtShell();
    model::IconManager().Init();
    listing::SetCurrentProfile(listing::ExplorerProfile());
    (void)listing::ColumnCatalogue();
    mainwindow::InstallHelp();

    mainwindow::TMainForm form;
    // Explorations show their window over the main window.
    model::TScanProgressForm::Install(&form);
    form.ShowMainWindow();
    const int result = app.exec();
    delete mainwindow::THelpForm::Existing(); // a help window left open goes before the application
    return result;
}
