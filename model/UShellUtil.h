// The shell routines the model uses, on the platform's shell (type names from the MIME database,
// icons from the icon theme). Without a desktop they give no icon (-1) and no type name.
#pragma once

#include <string>

namespace model {

// Icon of the object at path, its type name in typeName (empty when none). The computer's and the
// network container's names give their special icons and leave typeName alone.
int GetShellIcon(const std::string& path, bool open, std::string& typeName);
// Icon and type name of a file known only by its extension (upper case, no dot); no file is touched.
int GetExtensionIcon(const std::string& extension, bool open, std::string& typeName);
int GetProgramIcon();
int GetComputerIcon();
int GetNetworkIcon();
// "My Computer" unless the shell names it; remembered for GetShellIcon.
std::string GetMyComputerName();
// The display name of a drive by its mount point; empty when the shell gives none.
std::string GetDriveDisplayName(const std::string& mountPoint);
// The type name of a MIME type ("text/plain"), as files of that type are named; empty when the
// shell gives none.
std::string GetMimeTypeName(const std::string& mimeType);
// path names an existing folder (a link to a folder does not count).
bool DirectoryExists(const std::string& path);

inline constexpr const char* kNetworkNeighborhood = "Network Neighborhood";

} // namespace model
