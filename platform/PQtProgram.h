// What the desktop knows each program by: its name and the icon of its windows. Both programs
// call InitProgram first thing after creating the application object.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

namespace platform {

// name: the program's name ("TessalundrixPro", "TXViewer"); desktopFile: the base name of the
// desktop entry installed for it, if any ("txviewer"), by which a desktop finds the program's icon.
// Every window takes the program's icon. Window titles stay exactly the captions the windows give:
// Qt would append an application display name to every title ("Success — Tessalundrix Pro"), so
// none is set.
void InitProgram(const QString& name, const QString& desktopFile = {});

// The program's own icon (PProgramIcon.h) drawn at the sizes windows, trees and lists ask for.
// Needs a QGuiApplication.
[[nodiscard]] QIcon ProgramWindowIcon();

// The same icon drawn at size x size pixels (the windows' sizes, and the installed theme icons).
// Needs no application object.
[[nodiscard]] QImage ProgramIconImage(int size);

} // namespace platform
