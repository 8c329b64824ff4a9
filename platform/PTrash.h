// The freedesktop trash, on the file system's byte names: any name the file system holds can be
// trashed, and file managers list and restore it.
//
// A file goes to the trash of its own file system, by a rename that never copies:
//   - the home trash $XDG_DATA_HOME/Trash (default ~/.local/share/Trash) for a file on the file
//     system that holds it, its Path written absolute;
//   - else $topdir/.Trash/$uid when the administrator made $topdir/.Trash (a real folder with the
//     sticky bit), else $topdir/.Trash-$uid, made when missing; $topdir is the mount point, and
//     Path is written relative to it so that removable media keep their trash when mounted elsewhere.
// The info file info/NAME.trashinfo is created first, exclusively, so that two programs never take
// one name; then the file is renamed to files/NAME. Nothing is ever deleted: a file that no trash
// can take stays where it is and the caller is told why.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Moves the file, link or folder at path (absolute; a trailing "/" is ignored) to the trash. True
// when it is there now; otherwise error says why and nothing was moved.
bool MoveToTrash(const std::string& path, std::string& error);

// The Path value of a .trashinfo file: every byte but the unreserved characters of a URI
// ("A-Z a-z 0-9 - . _ ~") and "/" written as "%" and two upper-case hex digits.
[[nodiscard]] std::string TrashInfoPath(std::string_view path);

// The home trash folder: $XDG_DATA_HOME/Trash, or $HOME/.local/share/Trash when XDG_DATA_HOME is
// unset, empty or relative. Empty when neither gives an absolute folder.
[[nodiscard]] std::string HomeTrashFolder();

} // namespace platform
