// The first drive of My Computer, for the window tests that select one. None is listed where no
// real file system is mounted in view (a build chroot or a container whose "/" is not a mount
// point); such a test is skipped with kNoDriveReason.
#pragma once

#include "model/UItem.h"

inline model::TFolderItem* FirstDrive(model::TComputerRootItem* computer) {
    return computer && computer->ChildCount() > 0 ? static_cast<model::TFolderItem*>(computer->Child(0)) : nullptr;
}

inline constexpr const char* kNoDriveReason =
    "My Computer lists no drive here: no file system is mounted in view (\"/\" is not a mount point)";
