#include "model/UShellUtil.h"

#include "platform/PShell.h"

#include <sys/stat.h>

namespace model {

namespace {
std::string gMyComputerName;
}

int GetShellIcon(const std::string& path, bool open, std::string& typeName) {
    if (!gMyComputerName.empty() && path == gMyComputerName) return GetComputerIcon();
    if (path == kNetworkNeighborhood) return GetNetworkIcon();
    return platform::Shell().PathIcon(path, open, typeName);
}

int GetExtensionIcon(const std::string& extension, bool open, std::string& typeName) {
    return platform::Shell().ExtensionIcon(extension, open, typeName);
}

int GetProgramIcon() { return platform::Shell().ProgramIcon(); }
int GetComputerIcon() { return platform::Shell().ComputerIcon(); }
int GetNetworkIcon() { return platform::Shell().NetworkIcon(); }

std::string GetMyComputerName() {
    std::string name = platform::Shell().ComputerName();
    if (name.empty()) name = "My Computer";
    gMyComputerName = name;
    return name;
}

std::string GetDriveDisplayName(const std::string& mountPoint) {
    return platform::Shell().DriveDisplayName(mountPoint);
}

std::string GetMimeTypeName(const std::string& mimeType) {
    return platform::Shell().MimeTypeName(mimeType);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace model
