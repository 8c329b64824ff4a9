// The viewer window's plain decisions (see the header).
#include "viewer/UViewerState.h"

#include "mainwindow/UMainCommands.h"

#include <algorithm>

namespace viewer {

namespace {

bool IsDrive(const TItem* item) {
    return dynamic_cast<const model::TDriveItem*>(item) != nullptr;
}
bool IsFileRoot(const TItem* item) {
    return dynamic_cast<const TFileRootItem*>(item) != nullptr;
}
const model::TFolderItem* AsFolder(const TItem* item) {
    return item && item->IsFolder() ? static_cast<const model::TFolderItem*>(item) : nullptr;
}

} // namespace

int ViewOfItem(const TItem* item, const TItem* root) {
    if (!item || !item->IsFolder()) return kViewNone;
    if (item == root) return kViewRoot;
    if (IsFileRoot(item)) return kViewFile;
    return kViewFolder;
}

TViewerCommands ViewerCommands(const TViewerInput& in) {
    TViewerCommands c;
    const TItem* subject = nullptr;
    bool listSubject = false;
    if (in.focus == TFocus::List && !in.selectedRows.empty()) {
        subject = in.selectedRows.front();
        listSubject = true;
    } else if (in.focus == TFocus::Tree && in.treeSelection) {
        subject = in.treeSelection;
    } else if (!in.selectedRows.empty()) {
        subject = in.selectedRows.front();
        listSubject = true;
    } else {
        subject = in.treeSelection;
    }
    c.listSubject = listSubject;

    if (listSubject && in.selectedRows.size() > 1) {
        if (subject && subject != in.root) {
            c.up = true;
            if (IsFileRoot(subject)) {
                c.close = true;
            } else {
                c.copy = true;
                c.openInExplorer = !IsDrive(subject);
            }
        }
        c.save = std::all_of(in.selectedRows.begin(), in.selectedRows.end(),
                             [](const TItem* i) { return i && i->IsFolder(); });
        return c;
    }
    if (!subject) {
        c.save = false;
        return c;
    }
    if (subject == in.root) {
        const bool loaded = AsFolder(subject)->ChildCount() > 0;
        c.listerAnalyser = loaded;
        c.exportData = loaded;
        return c;
    }
    c.listerAnalyser = true;
    c.up = true;
    if (IsFileRoot(subject)) {
        c.close = true;
        return c;
    }
    c.copy = true;
    if (IsDrive(subject)) {
        c.up = in.focus == TFocus::Tree;
        c.openInExplorer = !listSubject;
    } else if (subject->IsFolder()) {
        c.openInExplorer = true;
    } else {
        c.listerAnalyser = false;
        c.save = false;
        c.openInExplorer = true;
    }
    return c;
}

mainwindow::TStatusTexts ViewerStatusTexts(const TItem* item) {
    if (const auto* file = dynamic_cast<const TFileRootItem*>(item))
        return {"TX File " + file->NameString(), mainwindow::FolderTotals(*file)};
    if (IsDrive(item))
        return {"Drive " + item->NameString(),
                mainwindow::FolderTotals(*static_cast<const model::TFolderItem*>(item))};
    return mainwindow::StatusTexts(item);
}

std::string ViewerExportSubject(const TItem* item, const TItem* root) {
    if (item == root) return "All Files";
    if (const auto* file = dynamic_cast<const TFileRootItem*>(item)) return file->FilePath();
    return mainwindow::ExportSubjectText(item, false);
}

std::vector<TItem*> SelectionToSave(const TViewerInput& in) {
    if (in.focus == TFocus::List && !in.selectedRows.empty()) return in.selectedRows;
    if (in.treeSelection) return {in.treeSelection};
    return {};
}

std::string SelectionCaption(const TViewerInput& in) {
    if (in.focus == TFocus::List) {
        if (in.selectedRows.size() > 1) return std::to_string(in.selectedRows.size()) + " items selected";
        if (in.selectedRows.size() == 1 && in.selectedRows.front()) return in.selectedRows.front()->GetPath();
        return {};
    }
    if (in.treeSelection) return in.treeSelection->GetPath();
    return {};
}

} // namespace viewer
