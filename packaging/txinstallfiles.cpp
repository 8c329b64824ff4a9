// Build-time tool: writes the files the desktop reads for an installed Tessalundrix from the code the
// programs use themselves, so the installed icons and MIME type are the ones the viewer registers
// when it runs from a build tree. Usage: txinstallfiles OUTPUT_FOLDER PROGRAM_ICON_NAME...
#include "platform/PProgramIcon.h"
#include "platform/PQtProgram.h"
#include "viewer/UFileAssociation.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>
#include <QString>

#include <cstdio>
#include <string>

namespace {

bool Write(const QString& path, const std::string& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(text.data(), static_cast<qint64>(text.size()));
    return file.commit();
}

bool WriteIcon(const QString& hicolor, const QString& context, const QString& name) {
    if (!Write(hicolor + "/scalable/" + context + "/" + name + ".svg", platform::ProgramIconSvg()))
        return false;
    for (int size : platform::kProgramIconSizes) {
        const QString folder = hicolor + QString("/%1x%1/").arg(size) + context;
        if (!QDir().mkpath(folder) ||
            !platform::ProgramIconImage(size).save(folder + "/" + name + ".png", "PNG"))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: txinstallfiles OUTPUT_FOLDER PROGRAM_ICON_NAME...\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString hicolor = out + "/icons/hicolor";
    bool ok = Write(out + "/mime/" + viewer::kMimePackageName, viewer::MimePackageText());
    ok = WriteIcon(hicolor, "mimetypes", viewer::kMimeIconName) && ok;
    for (int i = 2; i < argc; ++i)
        ok = WriteIcon(hicolor, "apps", QString::fromLocal8Bit(argv[i])) && ok;
    if (!ok) std::fprintf(stderr, "txinstallfiles: could not write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
