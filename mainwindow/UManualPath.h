// The path check of the manual and preferred exploration dialog, apart from the window: how the
// typed text is completed, when it names a whole drive (a mount point), and whether it can be
// explored.
#pragma once

#include "platform/PMounts.h"

#include <string>
#include <string_view>
#include <vector>

namespace mainwindow {

// The text as the dialog takes it: a lone "/" is the root; any other single character names
// nothing here (drive letters do not exist) and gives the empty path; longer texts stay as typed.
[[nodiscard]] std::string CompleteManualPath(std::string_view text);

// A network path "//server/share" stands for the mount point of that share when it is mounted
// (case and a trailing "/" ignored); any other text is returned unchanged.
[[nodiscard]] std::string ResolveManualPath(std::string_view text,
                                            const std::vector<platform::TNetworkShare>& shares);

// True when the path is absolute and names a folder that exists and can be opened for listing; an
// empty folder is accepted.
[[nodiscard]] bool ValidateManualPath(std::string_view path);

// The dialog's whole check of a typed path: ResolveManualPath on the network shares mounted now,
// then ValidateManualPath of what that gives. It asks the file system: the dialog makes it on a
// worker (TManualScanForm::Button1Click).
struct TManualPathCheck {
    std::string path;
    bool valid = false;
};
[[nodiscard]] TManualPathCheck CheckManualPath(const std::string& typed);

inline constexpr const char* kInvalidPathMessage =
    "Unable to find this path!\n\r\n\rPlease be sure that this path exists and contains files and/or "
    "folders.";
inline constexpr const char* kInvalidPathCaption = "Invalid Path";

} // namespace mainwindow
