// The viewer window's plain decisions (see the header).
#include "viewer/UViewerState.h"

#include "model/UConvertHelp.h"

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

std::string TotalsLine(std::int64_t files, std::int64_t folders, std::int64_t bytes, bool partial) {
    const std::string p = partial ? "** " : "";
    return "Total:   " + model::FormatBytes(files) + p + " files" + "    " + model::FormatBytes(folders) + p +
           " folders" + "    " + model::FormatBytes(bytes) + p + " bytes";
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

TViewerStatus ViewerStatus(const TViewerInput& in) {
    const TItem* subject = nullptr;
    if (in.focus == TFocus::Tree) {
        subject = in.treeSelection;
    } else if (in.focus == TFocus::List && in.selectedRows.size() < 2) {
        subject = in.selectedRows.empty() ? nullptr : in.selectedRows.front();
    } else if (in.selectedRows.size() >= 2) {
        std::int64_t files = 0, folders = 0, bytes = 0;
        bool partial = false, allBlank = true;
        for (const TItem* row : in.selectedRows) {
            if (!row) continue;
            files += row->GetFileCount();
            folders += row->GetFolderCount();
            bytes += row->GetSize();
            const model::TFolderItem* f = AsFolder(row);
            if (!f || f->IsExplored() || f->HasExploredContent()) allBlank = false;
            if (f && !f->IsExplored()) partial = true;
        }
        return {model::FormatBytes(static_cast<std::int64_t>(in.selectedRows.size())) + " objects",
                allBlank ? "Unexplored" : TotalsLine(files, folders, bytes, partial)};
    } else {
        subject = in.treeSelection;
    }
    if (!subject) return {};
    const model::TFolderItem* folder = AsFolder(subject);
    if (!folder)
        return {"File " + subject->NameString(),
                "Total:   " + model::FormatBytes(subject->GetSize()) + " bytes"};
    const std::string line = TotalsLine(folder->GetFileCount(), folder->GetFolderCount(), folder->GetSize(),
                                        !folder->IsExplored());
    if (subject == in.root)
        return {subject->NameString(),
                TotalsLine(folder->GetFileCount(), folder->GetFolderCount(), folder->GetSize(), false)};
    if (const auto* file = dynamic_cast<const TFileRootItem*>(subject))
        return {"TX File " + file->NameString(),
                TotalsLine(folder->GetFileCount(), folder->GetFolderCount(), folder->GetSize(), false)};
    const std::string name = (IsDrive(subject) ? "Drive " : "Folder ") + subject->NameString();
    if (!folder->IsExplored() && !folder->HasExploredContent()) return {name, "Unexplored"};
    return {name, line};
}

std::string ExportTitle(const TItem* item, const TItem* root) {
    if (!item) return {};
    if (item == root) return "All Files";
    if (const auto* file = dynamic_cast<const TFileRootItem*>(item)) return file->FilePath();
    std::string title = item->GetPath();
    const model::TFolderItem* f = AsFolder(item);
    if (f && !f->IsExplored() && f->HasExploredContent()) title += " **";
    return title;
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

TViewerSettings DefaultViewerSettings(int screenWidth, int screenHeight) {
    TViewerSettings s;
    s.left = (screenWidth - s.width) / 2;
    s.top = (screenHeight - s.height) / 2;
    return s;
}

void ClampViewerWindow(TViewerSettings& s, int screenWidth, int screenHeight) {
    s.left = std::max(s.left, 0);
    s.top = std::max(s.top, 0);
    s.width = std::min(std::max(s.width, 400), std::max(screenWidth, 400));
    s.height = std::min(std::max(s.height, 200), std::max(screenHeight, 200));
    if (s.left + s.width > screenWidth) s.left = std::max(0, screenWidth - s.width);
    if (s.top + s.height > screenHeight) s.top = std::max(0, screenHeight - s.height);
}

} // namespace viewer
