// Handing an exploration file to the desktop: it opens in the viewer.
#pragma once

#include <string>

namespace mainwindow {

// Opens an exploration file: with the desktop's default application for its type when one is
// registered, else with the TXViewer program beside the running one. False when neither could
// be started.
bool OpenExplorationFile(const std::string& path);

// The viewer beside the running program (its folder, or ../viewer/ in a build tree); empty when
// there is none.
[[nodiscard]] std::string ViewerBesideProgram();

} // namespace mainwindow
