// Handing files to the desktop: open with the default application, and opening an exploration
// file in the viewer.
#pragma once

#include <string>

namespace mainwindow {

// Opens path with the desktop's default application; false when the desktop refused.
bool OpenWithShell(const std::string& path);

// Opens an exploration file: with the desktop's default application for its type when one is
// registered, else with the TXViewer program beside the running one. False when neither could
// be started.
bool OpenExplorationFile(const std::string& path);

// The viewer beside the running program (its folder, or ../viewer/ in a build tree); empty when
// there is none.
[[nodiscard]] std::string ViewerBesideProgram();

} // namespace mainwindow
