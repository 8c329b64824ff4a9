// The four list modes of the main window and what each shows: chosen by the class of the folder
// selected in the tree, each with its column group and the sort code it keeps.
#pragma once

namespace model {
class TFolderItem;
}

namespace mainwindow {

enum TViewMode : int {
    kModeNone = -1,
    kModeFileFolder = 0, // drives, folders, manual and preferred items, network shares
    kModeDrive = 1,      // My Computer
    kModeNormal = 2,     // network containers, the manual and preferred containers, loaded roots
    kModeRoot = 3,       // "My Tessalundrix"
};

// The column groups: 0 File/Folder View, 1 Drive View, 2 Normal View.
enum : int { kGroupFileFolder = 0, kGroupDrive = 1, kGroupNormal = 2 };

[[nodiscard]] int ViewModeFor(const model::TFolderItem* folder);
// The column group a mode shows (modes 2 and 3 share the Normal View group); -1 for no mode.
[[nodiscard]] int GroupOfMode(int mode);
// A listing of folder starts with the "Unexplored" row: the folder is not explored and is no container.
[[nodiscard]] bool HasPlaceholderRow(const model::TFolderItem* folder);
// The children's type names are resolved when listed (containers list top items whose types are fixed).
[[nodiscard]] bool ResolvesChildTypes(const model::TFolderItem* folder);

} // namespace mainwindow
