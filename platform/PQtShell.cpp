#include "platform/PQtShell.h"

#include "platform/PIconRegistry.h"
#include "platform/PQtProgram.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QStyle>
#include <QUrl>

namespace platform {

namespace {

bool HaveGui() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

QIcon ThemeIcon(std::initializer_list<const char*> names) {
    for (const char* n : names) {
        QIcon icon = QIcon::fromTheme(QString::fromLatin1(n));
        if (!icon.isNull()) return icon;
    }
    return {};
}

QIcon ProviderIcon(QAbstractFileIconProvider::IconType type) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return {};
    static QFileIconProvider provider;
    return provider.icon(type);
}

// A name is stored as the file system's bytes; QString wants them decoded.
QString FromBytes(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

} // namespace

std::string TQtShell::TypeNameOf(const QMimeType& type) {
    if (!type.isValid() || type.isDefault()) return {};
    return type.comment().toStdString();
}

int TQtShell::MimeIcon(const QMimeType& type) {
    if (!HaveGui() || !type.isValid()) return -1;
    const QString key = QStringLiteral("mime:") + type.name();
    if (int i = IconRegistry().Find(key); i >= 0) return i;
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull()) icon = ProviderIcon(QAbstractFileIconProvider::File);
    return IconRegistry().Add(key, icon);
}

int TQtShell::FolderIcon(bool open) {
    if (!HaveGui()) return -1;
    const QString key = open ? QStringLiteral("folder-open") : QStringLiteral("folder");
    if (int i = IconRegistry().Find(key); i >= 0) return i;
    QIcon icon = open ? ThemeIcon({"folder-open", "folder"}) : ThemeIcon({"folder"});
    if (icon.isNull()) icon = ProviderIcon(QAbstractFileIconProvider::Folder);
    return IconRegistry().Add(key, icon);
}

std::string TQtShell::MimeTypeName(const std::string& mimeType) {
    return TypeNameOf(FDatabase.mimeTypeForName(QString::fromStdString(mimeType)));
}

int TQtShell::ExtensionIcon(const std::string& extension, bool open, std::string& typeName) {
    // Asked by name only: no file is touched.
    const QString probe = extension.empty() ? QStringLiteral("foo") : QStringLiteral("x.") + FromBytes(extension).toLower();
    const QMimeType type = FDatabase.mimeTypeForFile(probe, QMimeDatabase::MatchExtension);
    typeName = TypeNameOf(type);
    return MimeIcon(type);
}

std::string TQtShell::PathType(const std::string& path) const {
    // On a worker: a database of its own (the MIME database is thread-safe; the member is the GUI's).
    const QFileInfo info(FromBytes(path));
    if (info.isDir() && !info.isSymLink()) return "inode/directory";
    return QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchDefault).name().toStdString();
}

int TQtShell::PathTypeIcon(const std::string& type, bool open, std::string& typeName) {
    const QMimeType mime = FDatabase.mimeTypeForName(QString::fromStdString(type));
    typeName = TypeNameOf(mime);
    if (type == "inode/directory") return FolderIcon(open);
    return MimeIcon(mime);
}

int TQtShell::ComputerIcon() {
    if (!HaveGui()) return -1;
    return IconRegistry().Add(QStringLiteral("computer"),
                              [] { QIcon i = ThemeIcon({"computer", "user-desktop"});
                                   return i.isNull() ? ProviderIcon(QAbstractFileIconProvider::Computer) : i; }());
}

int TQtShell::NetworkIcon() {
    if (!HaveGui()) return -1;
    return IconRegistry().Add(QStringLiteral("network"),
                              [] { QIcon i = ThemeIcon({"network-workgroup", "network-server", "folder-remote"});
                                   return i.isNull() ? ProviderIcon(QAbstractFileIconProvider::Network) : i; }());
}

int TQtShell::ProgramIcon() {
    if (!HaveGui()) return -1;
    return IconRegistry().Add(QStringLiteral("program"), ProgramWindowIcon());
}

int TQtShell::DriveIcon(bool removable, bool remote) {
    if (!HaveGui()) return -1;
    const QString key = remote ? QStringLiteral("drive-remote")
                               : removable ? QStringLiteral("drive-removable") : QStringLiteral("drive");
    if (int i = IconRegistry().Find(key); i >= 0) return i;
    QIcon icon = remote      ? ThemeIcon({"folder-remote", "network-server", "drive-harddisk"})
                 : removable ? ThemeIcon({"drive-removable-media", "media-removable", "drive-harddisk"})
                             : ThemeIcon({"drive-harddisk"});
    if (icon.isNull()) icon = ProviderIcon(QAbstractFileIconProvider::Drive);
    return IconRegistry().Add(key, icon);
}

std::string TQtShell::ComputerName() { return {}; } // the model names it "My Computer"

std::string TQtShell::DriveDisplayName(const std::string& mountPoint) { return mountPoint; }

bool TQtShell::OpenInBrowser(const std::string& page) {
    if (!HaveGui()) return false;
    // xdg-open hands a page to the default application for HTML; where xdg-mime knows none, the
    // page would go nowhere although the launch succeeds.
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (!xdgMime.isEmpty()) {
        QProcess query;
        query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
        if (query.waitForFinished(3000) && query.exitStatus() == QProcess::NormalExit &&
            query.readAllStandardOutput().trimmed().isEmpty())
            return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(FromBytes(page)));
}

void InstallQtShell() {
    static TQtShell shell;
    SetShell(&shell);
}

} // namespace platform
