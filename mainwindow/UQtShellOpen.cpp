#include "mainwindow/UQtShellOpen.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace mainwindow {

namespace {
// The desktop file that opens the exploration type, asked of xdg-mime; empty when none is set.
QString DefaultApplicationForType(const QString& file) {
    // By its name alone: the file's content is no business of the window's thread.
    const QString mime = QMimeDatabase().mimeTypeForFile(file, QMimeDatabase::MatchExtension).name();
    if (mime != "application/x-tessalundrix") return {};
    const QString xdgMime = QStandardPaths::findExecutable("xdg-mime");
    if (xdgMime.isEmpty()) return {};
    QProcess query;
    query.start(xdgMime, {"query", "default", mime});
    if (!query.waitForFinished(3000)) return {};
    return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
}
} // namespace

std::string ViewerBesideProgram() {
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {dir + "/TXViewer", dir + "/../viewer/TXViewer"}) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isExecutable()) return info.canonicalFilePath().toStdString();
    }
    return {};
}

bool OpenExplorationFile(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (!DefaultApplicationForType(file).isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
        return true;
    const std::string viewer = ViewerBesideProgram();
    return !viewer.empty() && QProcess::startDetached(QString::fromStdString(viewer), {file});
}

} // namespace mainwindow
