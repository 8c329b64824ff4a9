#include "mainwindow/UCommandState.h"

#include "model/UItem.h"

namespace mainwindow {

using namespace model;

std::string TCommandState::DeleteCaption() const {
    if (remove && preferred) return "R&emove from My Preferred Explorations";
    if (remove) return "R&emove from My Manual Explorations";
    return "&Delete";
}

namespace {

template <typename T> bool Is(const TItem* item) {
    return dynamic_cast<const T*>(item) != nullptr;
}

bool IsManualOrPreferred(const TItem* item) {
    return Is<TManualItem>(item) || Is<TManualDriveItem>(item);
}

// Deleting from disk would take away a whole drive, share or container, or the file system
// mounted at a folder: never offered for those.
bool NeverDeleted(const TItem* item, const TCommandInput& in) {
    if (Is<TTopItem>(item)) return true;
    return item->IsFolder() && in.isMountPoint && in.isMountPoint(item);
}

bool IsUncPath(const std::string& path) {
    return path.size() >= 2 && path[0] == '/' && path[1] == '/';
}

void SetPreferred(TCommandState& s, const TItem* item) {
    if (auto* p = dynamic_cast<const TPreferredItem*>(item)) {
        s.preferred = true;
        s.autoExplore = p->ExploreAtStart();
    } else if (auto* d = dynamic_cast<const TPreferredDriveItem*>(item)) {
        s.preferred = true;
        s.autoExplore = d->ExploreAtStart();
    } else if (Is<TPreferredRootItem>(item)) {
        s.preferred = true;
    }
}

void SingleItem(TCommandState& s, const TCommandInput& in) {
    const TItem* item = s.item;
    const bool tree = in.focus == TFocus::Tree;
    const bool notList = !s.fromList;
    if (!item) {
        if (s.placeholder) s.exploreOn = s.upOn = s.openOn = true;
        return;
    }
    auto allCopy = [&] { s.copyNameOn = s.copyPathOn = true; };
    if (Is<TRootItem>(item)) {
        s.fileListerOn = s.content;
        s.saveOn = true;
    } else if (Is<TComputerRootItem>(item)) {
        s.exploreOn = true;
        s.upOn = tree;
        s.fileListerOn = s.content;
        s.openOn = true;
        allCopy();
        s.saveOn = true;
    } else if (Is<TManualRootItem>(item) || Is<TLoadedRootItem>(item)) {
        s.upOn = tree;
        s.fileListerOn = s.content;
        s.openOn = true;
        s.saveOn = true;
    } else if (Is<TManualItem>(item) || Is<TManualDriveItem>(item)) {
        s.exploreOn = s.deleteOn = s.upOn = true;
        s.remove = true;
        s.fileListerOn = s.content;
        s.explorerOn = notList;
        s.openOn = true;
        allCopy();
        s.addPreferredOn = !Is<TPreferredItem>(item) && !Is<TPreferredDriveItem>(item);
        s.saveOn = true;
    } else if (Is<TNetworkRootItem>(item)) {
        s.exploreOn = true;
        s.upOn = tree;
        s.fileListerOn = s.content;
        s.openOn = true;
        allCopy();
        s.saveOn = true;
    } else if (Is<TNetworkContainerItem>(item)) {
        const TFolderItem* parent = item->Parent();
        const std::string path = s.fromList && parent ? parent->GetPath() : item->GetPath();
        const bool unc = IsUncPath(path);
        s.exploreOn = s.upOn = s.openOn = true;
        s.explorerOn = unc;
        allCopy();
        // A server is no folder on this machine: only its shares, at their mount points, can be
        // explored, so it is never offered as a preferred exploration.
        s.saveOn = true;
    } else if (Is<TDriveItem>(item)) {
        s.exploreOn = true;
        s.upOn = tree;
        s.fileListerOn = s.content;
        s.explorerOn = notList;
        s.openOn = true;
        allCopy();
        s.addPreferredOn = true;
        s.saveOn = true;
    } else if (item->IsFolder()) {
        s.exploreOn = s.upOn = s.explorerOn = s.openOn = true;
        s.deleteOn = s.explored && !NeverDeleted(item, in);
        s.fileListerOn = s.content;
        allCopy();
        s.addPreferredOn = true;
        s.saveOn = true;
    } else {
        s.exploreOn = s.deleteOn = s.upOn = s.explorerOn = s.openOn = true;
        allCopy();
    }
    SetPreferred(s, item);
}

bool IsContainer(const TItem* item) {
    return Is<TComputerRootItem>(item) || Is<TNetworkRootItem>(item) || Is<TManualRootItem>(item) ||
           Is<TLoadedRootItem>(item);
}

void SeveralRows(TCommandState& s, const TCommandInput& in) {
    const TItem* first = s.item;
    if (!first || Is<TRootItem>(first)) return;
    if (Is<TComputerRootItem>(first) || Is<TNetworkRootItem>(first)) {
        s.explored = true;
        s.exploreOn = s.copyNameOn = s.copyPathOn = true;
    } else if (Is<TManualRootItem>(first)) {
        s.explored = true;
        s.preferred = Is<TPreferredRootItem>(first);
    } else if (Is<TLoadedRootItem>(first)) {
        s.explored = true;
    } else if (IsManualOrPreferred(first)) {
        s.explored = true;
        s.copyNameOn = s.copyPathOn = s.deleteOn = s.exploreOn = true;
        s.remove = true;
        s.preferred = Is<TPreferredItem>(first) || Is<TPreferredDriveItem>(first);
    } else if (Is<TDriveItem>(first)) {
        s.exploreOn = s.copyNameOn = s.copyPathOn = true;
    } else {
        s.deleteOn = s.upOn = s.exploreOn = s.explorerOn = s.copyNameOn = s.copyPathOn = true;
    }
    s.saveOn = true;
    for (const TItem* row : in.listSelection) {
        if (!row) continue;
        if (row->IsFolder()) {
            if (!static_cast<const TFolderItem*>(row)->IsExplored()) {
                s.deleteOn = false;
                if (!IsContainer(row)) s.explored = false;
            }
            // Removing manual explorations from their list is no deletion.
            if (!s.remove && NeverDeleted(row, in)) s.deleteOn = false;
        } else {
            s.saveOn = false;
        }
        if (Is<TManualRootItem>(row)) s.exploreOn = s.copyNameOn = s.copyPathOn = false;
    }
}

} // namespace

TCommandState UpdateCommands(const TCommandInput& in) {
    TCommandState s;
    bool expanded = false;
    if (in.focus == TFocus::List && in.listSelected) {
        s.item = in.listItem;
        s.fromList = true;
        s.placeholder = in.listPlaceholder;
    } else if (in.focus == TFocus::Tree && in.treeSelected) {
        s.item = in.treeItem;
        expanded = in.treeExpanded;
    }
    if (!s.item && !s.placeholder) {
        if (in.listSelected) {
            s.item = in.listItem;
            s.fromList = true;
            s.placeholder = in.listPlaceholder;
            expanded = false;
        } else if (in.treeSelected) {
            s.item = in.treeItem;
            expanded = in.treeExpanded;
        }
    }

    if (expanded)
        s.openCaption = "C&ollapse";
    else if (s.fromList)
        s.openCaption = "&Open";
    else
        s.openCaption = "&Expand";
    if (!s.fromList && !expanded && s.item && s.item->IsFolder()) {
        auto* folder = static_cast<const TFolderItem*>(s.item);
        if (folder->ChildCount() == 0 && (!Is<TTopItem>(folder) || folder->Listed()))
            s.openCaption = "S&elect";
    }

    if (s.item && s.item->IsFolder()) {
        auto* folder = static_cast<const TFolderItem*>(s.item);
        s.explored = folder->IsExplored();
        s.content = folder->HasExploredContent();
        if (Is<TNetworkContainerItem>(folder)) s.explored = true;
    }
    if (!s.item && s.placeholder) {
        s.explored = false;
        s.openCaption = "Expl&ore";
    }

    if (s.fromList && in.listSelection.size() >= 2)
        SeveralRows(s, in);
    else
        SingleItem(s, in);
    return s;
}

} // namespace mainwindow
