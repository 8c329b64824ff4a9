// The desktop explorer: global services first, then the main window; closing it ends the program.
#include "listing/UColumn.h"
#include "listing/UProgramProfile.h"
#include "mainwindow/UMainForm.h"
#include "model/UConvertHelp.h"
#include "model/UIconManager.h"
#include "model/UScanProgressForm.h"
#include "platform/PQtShell.h"

#include <QApplication>

#include <clocale>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    model::InitFormatSettings();
    QApplication::setApplicationName("TessalundrixPro");
    QApplication::setApplicationDisplayName("Tessalundrix Pro");

    platform::InstallQtShell();
    model::IconManager().Init();
    model::TScanProgressForm::Install();
    listing::SetCurrentProfile(listing::ExplorerProfile());
    (void)listing::ColumnCatalogue();

    mainwindow::TMainForm form;
    form.ShowMainWindow();
    return app.exec();
}
