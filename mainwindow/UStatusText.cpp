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

TStatusTexts StatusTexts(const TItem* item) {
    if (!item) return {};
    if (!item->IsFolder())
        return {"File " + item->NameString(), "Total:   " + FormatBytes(item->GetSize()) + " bytes"};

    auto* folder = static_cast<const TFolderItem*>(item);
    const bool blank = IsBlank(folder);
    const char* partial = !folder->IsExplored() && folder->HasExploredContent() ? "** " : "";
    const std::string totals =
        Totals(folder->GetFileCount(), folder->GetFolderCount(), folder->GetSize(), partial);

    if (Is<TRootItem>(folder)) return {folder->NameString(), blank ? "" : totals};
    if (auto* drive = dynamic_cast<const TDriveItem*>(folder))
        return {"Drive " + drive->NameString(),
                blank ? "Unexplored" : totals + "    Free: " + FormatBytes(drive->FreeSpace()) + " bytes"};
    if (Is<TNetworkContainerItem>(folder) || Is<TComputerRootItem>(folder))
        return {folder->NameString(), blank ? "Unexplored" : totals};
    if (Is<TManualRootItem>(folder) || Is<TLoadedRootItem>(folder))
        return {folder->NameString(), blank ? "" : totals};
    return {"Folder " + folder->NameString(), blank ? "Unexplored" : totals};
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
    t.name = std::to_string(count) + " objects";
    t.totals = allBlank ? "Unexplored" : Totals(files, folders, size, anyUnexplored ? "** " : "");
    return t;
}

} // namespace mainwindow
