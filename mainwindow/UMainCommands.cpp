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

} // namespace mainwindow
