#include "mainwindow/UStatusText.h"

#include "model/UConvertHelp.h"
#include "model/UItem.h"

namespace mainwindow {

using namespace model;

namespace {

template <typename T> bool Is(const TItem* item) {
    return dynamic_cast<const T*>(item) != nullptr;
}

// Neither explored nor holding explored content: there is nothing to count yet.
bool IsBlank(const TItem* item) {
    if (!item->IsFolder()) return false;
    auto* folder = static_cast<const TFolderItem*>(item);
    return !folder->IsExplored() && !folder->HasExploredContent();
}

std::string Totals(std::int64_t files, std::int64_t folders, std::int64_t size, const char* partial) {
    return "Total:   " + FormatBytes(files) + partial + " files" + "    " + FormatBytes(folders) + partial +
           " folders" + "    " + FormatBytes(size) + partial + " bytes";
}

} // namespace

std::string FolderTotals(const TFolderItem& folder) {
    if (IsBlank(&folder)) return "Unexplored";
    return Totals(folder.GetFileCount(), folder.GetFolderCount(), folder.GetSize(),
                  folder.IsExplored() ? "" : "** ");
}

TStatusTexts StatusTexts(const TItem* item) {
    if (!item) return {};
    if (!item->IsFolder())
        return {"File " + item->NameString(), "Total:   " + FormatBytes(item->GetSize()) + " bytes"};

    auto* folder = static_cast<const TFolderItem*>(item);
    const std::string totals = FolderTotals(*folder);
    // The containers say nothing of what they do not hold yet.
    const std::string containerTotals = IsBlank(folder) ? "" : totals;

    if (Is<TRootItem>(folder)) return {folder->NameString(), containerTotals};
    if (auto* drive = dynamic_cast<const TDriveItem*>(folder))
        return {"Drive " + drive->NameString(),
                IsBlank(folder) ? totals : totals + "    Free: " + FormatBytes(drive->FreeSpace()) + " bytes"};
    if (Is<TNetworkContainerItem>(folder) || Is<TComputerRootItem>(folder))
        return {folder->NameString(), totals};
    if (Is<TManualRootItem>(folder) || Is<TLoadedRootItem>(folder))
        return {folder->NameString(), containerTotals};
    return {"Folder " + folder->NameString(), totals};
}

TStatusTexts StatusTexts(const std::vector<const TItem*>& rows) {
    std::int64_t count = 0, files = 0, folders = 0, size = 0;
    bool anyUnexplored = false, allBlank = true;
    for (const TItem* row : rows) {
        if (!row) continue;
        ++count;
        files += row->GetFileCount();
        folders += row->GetFolderCount();
        size += row->GetSize();
        if (row->IsFolder() && !static_cast<const TFolderItem*>(row)->IsExplored()) anyUnexplored = true;
        if (!IsBlank(row)) allBlank = false;
    }
    TStatusTexts t;
    t.name = FormatBytes(count) + " objects";
    t.totals = allBlank ? "Unexplored" : Totals(files, folders, size, anyUnexplored ? "** " : "");
    return t;
}

} // namespace mainwindow
