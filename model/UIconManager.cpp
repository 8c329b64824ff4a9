#include "model/UIconManager.h"

#include "model/UShellUtil.h"
#include "model/UTypeList.h"
#include "platform/PShell.h"

#include <unistd.h>

#include <climits>
#include <string>

namespace model {

namespace {
std::string ProgramFolder() {
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "/";
    std::string path(buf, static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash + 1);
}
} // namespace

void TIconManager::Init() {
    std::string typeName;
    const std::string folder = ProgramFolder();
    FolderIcon = GetShellIcon(folder, false, typeName);
    // Folders read the type name the shell gives a folder wherever they come from: listed with
    // real icons, with the default ones, or loaded from a file.
    FolderTypeIndex = TypeList().IndexOfName(typeName.empty() ? std::string("Folder") : typeName);
    OpenFolderIcon = GetShellIcon(folder, true, typeName);
    DriveIcon = platform::Shell().DriveIcon(false, false);
    if (DriveIcon < 0) DriveIcon = GetShellIcon("/", false, typeName);
    DriveTypeIndex = TypeList().IndexOfName("Drive");
}

bool TIconManager::UseRealIcons(std::uint8_t driveKind) const {
    switch (driveKind) {
    case 1: return RealIconsLocal;
    case 2: return RealIconsRemovable;
    case 0:
    case 3: return RealIconsNetwork;
    default: return true;
    }
}

int TIconManager::FolderType() {
    if (FolderTypeIndex < 0) FolderTypeIndex = TypeList().IndexOfName("Folder");
    return FolderTypeIndex;
}

int TIconManager::DriveType() {
    if (DriveTypeIndex < 0) DriveTypeIndex = TypeList().IndexOfName("Drive");
    return DriveTypeIndex;
}

TIconManager& IconManager() {
    static TIconManager manager;
    return manager;
}

} // namespace model
