#include "mainwindow/UQtProgramRunner.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>

namespace mainwindow {

bool TQtProgramRunner::Has(const std::string& program) {
    return !QStandardPaths::findExecutable(QString::fromStdString(program)).isEmpty();
}

int TQtProgramRunner::Run(const std::vector<std::string>& argv, std::string& errors) {
    if (argv.empty()) return -1;
    QStringList args;
    for (std::size_t i = 1; i < argv.size(); ++i)
        args << QString::fromStdString(argv[i]);
    QProcess process;
    process.start(QString::fromStdString(argv[0]), args);
    if (!process.waitForStarted()) {
        errors = process.errorString().toStdString();
        return -1;
    }
    process.closeWriteChannel(); // gio asks for passwords on its input: none is given here
    // Mounting a share may take a while; the window keeps painting meanwhile.
    while (!process.waitForFinished(100))
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    errors = process.readAllStandardError().toStdString();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace mainwindow
