#include "mainwindow/UMainCommands.h"

#include "model/UItem.h"

namespace mainwindow {

using namespace model;

bool MayClose(TCloseAnswer answer, TSaveCommandOutcome outcome) {
    switch (answer) {
    case TCloseAnswer::NotAsked:
    case TCloseAnswer::No:
        return true;
    case TCloseAnswer::Cancel:
        return false;
    case TCloseAnswer::Yes:
        return IsSaved(outcome) || outcome == TSaveCommandOutcome::NothingToSave;
    }
    return false;
}

std::string SelectionCaption(TFocus focus, const std::vector<const TItem*>& listSelection,
                             const TItem* treeItem) {
    if (focus == TFocus::List) {
        if (listSelection.size() > 1) return std::to_string(listSelection.size()) + " items selected";
        if (listSelection.size() == 1 && listSelection.front()) return listSelection.front()->GetPath();
        return {};
    }
    if (focus == TFocus::Tree && treeItem) return treeItem->GetPath();
    return {};
}

void MarkSelection(TRootItem& root, TFocus focus, const std::vector<TItem*>& listSelection, TItem* treeItem) {
    root.ClearMark();
    if (focus == TFocus::List) {
        for (TItem* item : listSelection)
            if (item) item->SetMarked(true);
    } else if (focus == TFocus::Tree && treeItem) {
        treeItem->SetMarked(true);
    }
}

bool HasExplorationExtension(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos) return false;
    return UpperAscii(fileName.substr(dot)) == ".TXF";
}

std::string CopyItemText(const TItem& item, TCopyKind kind) {
    switch (kind) {
    case TCopyKind::FileName:
        return item.NameString();
    case TCopyKind::FolderName:
        return item.Parent() ? item.Parent()->GetPath() : std::string();
    case TCopyKind::CompletePath:
        return item.GetPath();
    }
    return {};
}

std::string CopyText(const std::vector<const TItem*>& items, bool several, TCopyKind kind) {
    std::string text;
    if (!several) {
        if (!items.empty() && items.front()) text = CopyItemText(*items.front(), kind);
        return text;
    }
    for (const TItem* item : items)
        if (item) text += CopyItemText(*item, kind) + "\n";
    return text;
}

std::string ExportSubjectText(const TItem* item, bool isRoot) {
    if (isRoot) return "My Computer";
    if (!item) return {};
    std::string text = item->GetPath();
    if (item->IsFolder()) {
        auto* folder = static_cast<const TFolderItem*>(item);
        if (!folder->IsExplored() && folder->HasExploredContent()) text += " **";
    }
    return text;
}

bool AcceptsPreferredPath(std::string_view path) {
    return !path.empty() && path[0] == '/' && !(path.size() >= 2 && path[1] == '/');
}

std::vector<std::string> TrashPaths(const std::vector<const TItem*>& items) {
    std::vector<std::string> paths;
    for (const TItem* item : items) {
        if (!item) continue;
        std::string path = item->GetPath();
        if (item->IsFolder() && path.size() > 1 && path.back() == '/') path.pop_back();
        paths.push_back(std::move(path));
    }
    return paths;
}

} // namespace mainwindow
