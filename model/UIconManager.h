// Default icons and the three switches that choose real per-item icons or per-type ones.
#pragma once

#include <cstdint>

namespace model {

class TIconManager {
public:
    // Asks the shell for the default icons, the folder type row (the shell's name for a folder,
    // "Folder" when it has none) and the "Drive" one. Call once the shell is installed; before
    // that every icon is -1 and both type rows are made on first use.
    void Init();

    int FolderIcon = -1;
    int OpenFolderIcon = -1;
    int DriveIcon = -1;
    int FolderTypeIndex = -1;
    int DriveTypeIndex = -1;
    bool RealIconsLocal = true;
    bool RealIconsRemovable = false;
    bool RealIconsNetwork = false;

    // Whether items of this drive kind ask the shell for their own icon.
    [[nodiscard]] bool UseRealIcons(std::uint8_t driveKind) const;
    // The type rows, made on first use when Init has not run.
    int FolderType();
    int DriveType();
};

TIconManager& IconManager();

} // namespace model
