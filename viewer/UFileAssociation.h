// The exploration-file association of the current user: a MIME type for *.txf files (and their
// magic number), a desktop entry that opens them in this viewer, their icons, and the viewer as the
// type's default application when the user has none. Each file is written only when it differs
// from what is wanted, and the desktop's caches are rebuilt only when something was written.
// An installed viewer (a package, cmake --install) ships the same MIME package, desktop entry and
// icons in its own data folder: when the desktop reads that folder, nothing is written for the user.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace viewer {

inline constexpr const char* kMimeType = "application/x-tessalundrix";
inline constexpr const char* kDesktopFileName = "txviewer.desktop";
inline constexpr const char* kMimePackageName = "tessalundrix.xml";
inline constexpr const char* kProgramIconName = "txviewer";
inline constexpr const char* kMimeIconName = "application-x-tessalundrix";

struct TAssociationPlaces {
    std::string dataHome;              // $XDG_DATA_HOME, else ~/.local/share
    std::string configHome;            // $XDG_CONFIG_HOME, else ~/.config (the user's mimeapps.list)
    std::vector<std::string> dataDirs; // $XDG_DATA_DIRS, else /usr/local/share and /usr/share
};
// The current user's places from the environment.
[[nodiscard]] TAssociationPlaces UserAssociationPlaces();

// The data folder an installed viewer at programPath ships its files in (bin/../share).
[[nodiscard]] std::string InstalledDataDir(const std::string& programPath);
// The data folder (the data home or one of the data dirs) in which the desktop finds the MIME
// package and the desktop entry installed with the viewer at programPath; "" when there is none.
[[nodiscard]] std::string InstalledAssociationDir(const std::string& programPath,
                                                  const TAssociationPlaces& places);

// Runs a desktop tool (program name, arguments) when it is installed; false when it is not.
using TToolRunner = std::function<bool(const std::string& program, const std::vector<std::string>& args)>;
// The runner that starts the tools found on PATH, waiting for each.
[[nodiscard]] TToolRunner SystemToolRunner();

// The file contents wanted for a viewer at programPath.
[[nodiscard]] std::string MimePackageText();
[[nodiscard]] std::string DesktopEntryText(const std::string& programPath);
[[nodiscard]] std::string IconText();
// A desktop entry's Exec argument, quoted and escaped as desktop entries want.
[[nodiscard]] std::string QuoteExecArgument(const std::string& argument);
// mimeapps.list text with the viewer as the type's default added, or "" when the text names a
// default for the type already.
[[nodiscard]] std::string WithDefaultApplication(const std::string& mimeAppsText);

struct TAssociationResult {
    std::vector<std::string> written; // files (re)written, in order
    std::vector<std::string> failed;  // files that could not be written (skipped, as the rest went on)
    bool toolsRun = false;
};

// RegisterFileAssociation: writes each file that differs (each one on its own: a failure skips
// only that file), makes the viewer the default when none is set, then, when anything was
// written, rebuilds the MIME and desktop caches of the data home through run. Where the viewer's
// installed files give the association (InstalledAssociationDir), the user gets no files of their
// own; only those the user has already, which hide the installed ones, are kept current.
TAssociationResult RegisterFileAssociation(const std::string& programPath, const TAssociationPlaces& places,
                                           const TToolRunner& run);

} // namespace viewer
