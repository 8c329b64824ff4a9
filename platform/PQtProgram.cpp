#include "platform/PQtProgram.h"

#include <QGuiApplication>

namespace platform {

void InitProgram(const QString& name, const QString& desktopFile) {
    QGuiApplication::setApplicationName(name);
    if (!desktopFile.isEmpty()) QGuiApplication::setDesktopFileName(desktopFile);
}

} // namespace platform
