#include "mainwindow/UViewMode.h"

#include "model/UItem.h"

namespace mainwindow {

using namespace model;

namespace {
bool IsContainer(const TFolderItem* f) {
    return dynamic_cast<const TNetworkContainerItem*>(f) || dynamic_cast<const TRootItem*>(f) ||
           dynamic_cast<const TManualRootItem*>(f) || dynamic_cast<const TLoadedRootItem*>(f);
}
} // namespace

int ViewModeFor(const TFolderItem* folder) {
    if (!folder) return kModeNone;
    if (dynamic_cast<const TComputerRootItem*>(folder)) return kModeDrive;
    if (dynamic_cast<const TRootItem*>(folder)) return kModeRoot;
    if (dynamic_cast<const TNetworkContainerItem*>(folder) || dynamic_cast<const TManualRootItem*>(folder) ||
        dynamic_cast<const TLoadedRootItem*>(folder))
        return kModeNormal;
    return kModeFileFolder;
}

int GroupOfMode(int mode) {
    switch (mode) {
    case kModeFileFolder:
        return kGroupFileFolder;
    case kModeDrive:
        return kGroupDrive;
    case kModeNormal:
    case kModeRoot:
        return kGroupNormal;
    default:
        return -1;
    }
}

bool HasPlaceholderRow(const TFolderItem* folder) {
    return !folder->IsExplored() && !IsContainer(folder);
}

bool ResolvesChildTypes(const TFolderItem* folder) {
    return !IsContainer(folder);
}

} // namespace mainwindow
