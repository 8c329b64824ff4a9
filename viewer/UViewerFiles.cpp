// The viewer's loading, closing and saving decisions (see the header).
#include "viewer/UViewerFiles.h"

#include <memory>

namespace viewer {

TLoadOutcome LoadFileInto(TRootItem& root, const std::string& fileName, TLoadProgress* progress) {
    TLoadOutcome outcome;
    auto item = std::make_unique<TFileRootItem>(fileName, &root);
    outcome.code = item->LoadFromFile(progress);
    if (outcome.code != kLoadOk) {
        outcome.message = LoadErrorMessage(outcome.code);
        return outcome; // the item goes with whatever was read into it
    }
    outcome.file = item.release();
    root.AddChild(outcome.file);
    root.UpdateTotals();
    return outcome;
}

std::vector<TFileRootItem*> FilesToClose(TFocus focus, const std::vector<TItem*>& selectedRows,
                                         TItem* treeSelection) {
    std::vector<TFileRootItem*> files;
    if (focus == TFocus::List) {
        for (auto it = selectedRows.rbegin(); it != selectedRows.rend(); ++it)
            if (auto* f = dynamic_cast<TFileRootItem*>(*it)) files.push_back(f);
    } else if (focus == TFocus::Tree) {
        if (auto* f = dynamic_cast<TFileRootItem*>(treeSelection)) files.push_back(f);
    }
    return files;
}

bool WindowGoesWithFile(const TItem* shown, const TFileRootItem* file) {
    if (!shown || !file) return false;
    for (const TItem* i = shown; i; i = i->Parent())
        if (i == file) return true;
    return shown->IsFolder() && static_cast<const model::TFolderItem*>(shown)->ContainsItem(file);
}

void CloseFile(TRootItem& root, TFileRootItem* file) {
    if (!file || file->Parent() != &root) return;
    root.RemoveChild(file);
    delete file;
}

void MarkForSave(TRootItem& root, const std::vector<TItem*>& items) {
    root.ClearMark();
    for (TItem* item : items)
        if (item) item->SetMarked(true);
}

model::TSaveOutcome SaveMarked(TRootItem& root, const std::string& fileName, model::TProgressSink* progress) {
    model::TSaveOutcome outcome = root.SaveToFile(fileName, progress);
    root.ClearMark(); // the next save starts from no marks
    return outcome;
}

} // namespace viewer
