// What the desktop knows each program by: its name and the icon of its windows. Both programs
// call InitProgram first thing after creating the application object.
#pragma once

#include <QString>

namespace platform {

// name: the program's name ("TessalundrixPro", "TXViewer"); desktopFile: the base name of the
// desktop entry installed for it, if any ("txviewer"), by which a desktop finds the program's icon.
// Window titles stay exactly the captions the windows give: Qt would append an application
// display name to every title ("Success — Tessalundrix Pro"), so none is set.
void InitProgram(const QString& name, const QString& desktopFile = {});

} // namespace platform
