// The viewer: global services, the file association, then the main window; closing it ends the
// program.
#include "listing/UColumn.h"
#include "listing/UProgramProfile.h"
#include "mainwindow/UHelpForm.h"
#include "model/UConvertHelp.h"
#include "model/UIconManager.h"
#include "platform/PQtProgram.h"
#include "platform/PQtShell.h"
#include "viewer/UFileAssociation.h"
#include "viewer/UMainForm.h"

#include <QApplication>

#include <clocale>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Numbers are grouped as the user's locale groups them; parsing stays in the C locale.
    std::setlocale(LC_ALL, "");
    model::InitFormatSettings();
    std::setlocale(LC_NUMERIC, "C");
    platform::InitProgram("TXViewer", "txviewer");

    viewer::RegisterFileAssociation(QApplication::applicationFilePath().toStdString(),
                                    viewer::UserAssociationPlaces(), viewer::SystemToolRunner());

    platform::InstallQtShell();
    model::IconManager().Init();
    viewer::InstallViewerProfile();
    (void)listing::ColumnCatalogue();
    mainwindow::InstallHelp();

    viewer::TMainForm form;
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    form.SetArguments(arguments);
    form.ShowMainWindow();
    const int result = app.exec();
    delete mainwindow::THelpForm::Existing(); // a help window left open goes before the application
    return result;
}
