#include "export/UFileLister.h"

#include "analyser/UAnalyserData.h"
#include "listing/UColumn.h"
#include "listing/USortCompare.h"
#include "model/UConvertHelp.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace exportdata {

using model::TFileItem;
using model::TFolderItem;
using model::TItem;

namespace {

// The kinds (bit k-1 for kind k) that modes 2-8 look at.
constexpr int kModeKinds[] = {1, 2, 4, 3, 5, 6, 7};

[[nodiscard]] bool IsBucketMode(int mode) {
    return mode >= kListerKind1 && mode <= kListerKind123;
}

[[nodiscard]] int KindsOf(int mode) {
    if (IsBucketMode(mode)) return kModeKinds[mode - kListerKind1];
    if (mode == kListerAllOthers) return 1;
    return 0;
}

} // namespace

TFileLister::TFileLister() {
    model::AddTreeListener(this);
}

TFileLister::~TFileLister() {
    model::RemoveTreeListener(this);
}

bool TFileLister::Setup(TFolderItem* folder, model::TRootItem* root, int mode,
                        analyser::TAnalyserDataGroup* group, std::vector<std::int32_t> rowKeys) {
    FFolder = folder;
    FRoot = root;
    FMode = mode;
    FGroup = group;
    FRowKeys = std::move(rowKeys);
    FHasStoredExpected = false;
    FStoredExpected = 0;
    FRestrictionSuffix.clear();
    FListing.clear();
    FListedCount = FVisitedCount = FTotalSize = 0;
    FFilesDeleted = false;
    if (!folder) return false;

    if (IsBucketMode(mode)) {
        if (!group || FRowKeys.size() != 1) return false;
        // A key whose row has gone (a regenerated report) gives nothing to list by.
        const analyser::TAnalyserData* row = group->FindRow(FRowKeys[0]);
        if (!row) return false;
        const int kinds = KindsOf(mode);
        std::int64_t expected = 0;
        for (int kind = 1; kind <= 3; ++kind)
            if (kinds & (1 << (kind - 1))) expected += row->GetCount(kind);
        FStoredExpected = expected;
        FHasStoredExpected = true;
        FRestrictionSuffix =
            " (" + group->GetRestrictionCaption(mode - kListerKind1) + ": " + row->Name() + ")";
    } else if (mode == kListerAllOthers) {
        if (!group || FRowKeys.size() != kListerAllOthersKeys) return false;
        std::int64_t expected = folder->GetFileCount();
        for (std::int32_t key : FRowKeys) {
            if (key == -1) continue;
            if (const analyser::TAnalyserData* row = group->FindRow(key)) expected -= row->GetCount1();
        }
        FStoredExpected = std::max<std::int64_t>(0, expected);
        FHasStoredExpected = true;
        FRestrictionSuffix = " (" + group->GetRestrictionCaption(0) + ": All others)";
    }
    return true;
}

std::vector<int> TFileLister::RestrictionColumns() const {
    std::vector<int> ids;
    if (!FGroup) return ids;
    const int kinds = KindsOf(FMode);
    for (int index = 0; index < 3; ++index) {
        if (!(kinds & (1 << index))) continue;
        const int id = FGroup->GetRestrictionColumn(index);
        if (id >= 0) ids.push_back(id);
    }
    return ids;
}

bool TFileLister::FolderPartial() const {
    return FFolder && listing::ExploreState(FFolder) == listing::TExploreState::Partial;
}

std::string TFileLister::Caption() const {
    std::string caption = "File Lister - ";
    if (FFolder) caption += FFolder->GetPath();
    if (FolderPartial()) caption += " **  ";
    return caption + FRestrictionSuffix;
}

std::string TFileLister::ExportTitle() const {
    return "File Lister" + FRestrictionSuffix + " listing";
}

std::string TFileLister::ExportSubject() const {
    return (FFolder ? FFolder->GetPath() : std::string()) + (FolderPartial() ? " **" : "");
}

TItem* TFileLister::Row(int index) const {
    return index >= 0 && index < RowCount() ? FListing[static_cast<std::size_t>(index)] : nullptr;
}

// ---- building ----

void TFileLister::Build() {
    FBusy = true;
    FExpectedCount = FHasStoredExpected ? FStoredExpected : (FFolder ? FFolder->GetFileCount() : 0);
    if (FMode == kListerBiggest) FExpectedCount = std::min<std::int64_t>(FExpectedCount, kListerBiggestCount);
    FTotalSize = FListedCount = FVisitedCount = FProgressCount = 0;
    FProgressPending = false;
    FStopRequested = false;
    FTreeChanged = false;
    FListing.clear();
    // The window has just been painted, and shows "0/expected" now.
    FCheckPace.Restart(Clock());
    FStatusPace.Restart(Clock());
    if (ProgressChanged) ProgressChanged();

    if (FFolder) {
        if (FMode == kListerBiggest) {
            FBiggest.clear();
            WalkBiggest(FFolder);
            for (TItem* item : FBiggest)
                AddFile(item);
            FBiggest.clear();
        } else {
            Walk(FFolder);
        }
    }
    // The count of the walk's last point stays up while the listing is sorted.
    if (FProgressPending && ProgressChanged) ProgressChanged();
    FProgressPending = false;
    Sort();
    FBusy = false;
}

namespace {

// What a walk does after a file: go on, leave the folder it is in, or end.
enum class TWalkStep { Go, EndLevel, End };

// Depth first in child order, with a stack of our own (a tree may be any number of levels deep).
// A stop asked for meanwhile keeps the walk out of the folders it has not entered yet.
template <typename OnFile> void WalkFiles(TFolderItem* top, const bool& stopRequested, OnFile onFile) {
    std::vector<std::pair<TFolderItem*, int>> stack{{top, 0}};
    while (!stack.empty()) {
        auto& [folder, next] = stack.back();
        if (next >= folder->ChildCount()) {
            stack.pop_back();
            continue;
        }
        TItem* child = folder->Child(next++);
        if (child->IsFolder()) {
            if (!stopRequested) stack.emplace_back(static_cast<TFolderItem*>(child), 0);
            continue;
        }
        switch (onFile(child)) {
        case TWalkStep::Go:
            break;
        case TWalkStep::EndLevel:
            stack.pop_back();
            break;
        case TWalkStep::End:
            return;
        }
    }
}

} // namespace

void TFileLister::Walk(TFolderItem* top) {
    if (FStopRequested) return;
    WalkFiles(top, FStopRequested, [this](TItem* child) {
        if (!dynamic_cast<TFileItem*>(child)) return TWalkStep::Go;
        if (Passes(*child)) AddFile(child);
        ++FVisitedCount;
        if (FVisitedCount % kListerPumpEvery != 0) return TWalkStep::Go;
        if (ProcessMessages && FCheckPace.Due(Clock())) ProcessMessages();
        // Items left the tree during the pump: the folders on the stack may be gone.
        if (FTreeChanged) return TWalkStep::End;
        // A stop ends this level here; each level above ends at its own next point.
        return FStopRequested ? TWalkStep::EndLevel : TWalkStep::Go;
    });
}

bool TFileLister::Passes(const TItem& file) {
    if (FMode == kListerAll) return true;
    if (IsBucketMode(FMode)) {
        const int kinds = KindsOf(FMode);
        for (int kind = 1; kind <= 3; ++kind)
            if ((kinds & (1 << (kind - 1))) && FGroup->Matches(kind, FRowKeys[0], file)) return true;
        return false;
    }
    if (FMode == kListerAllOthers) {
        for (std::int32_t key : FRowKeys)
            if (key != -1 && FGroup->Matches(1, key, file)) return false;
        return true;
    }
    return false; // an unknown mode lists nothing
}

void TFileLister::WalkBiggest(TFolderItem* top) {
    WalkFiles(top, FStopRequested, [this](TItem* child) {
        const std::int64_t size = child->GetSize();
        if (FBiggest.size() >= static_cast<std::size_t>(kListerBiggestCount) &&
            size <= FBiggest.back()->GetSize())
            return TWalkStep::Go;
        // Before the first strictly smaller entry: equal sizes keep the walk's order.
        auto at = std::partition_point(FBiggest.begin(), FBiggest.end(),
                                       [size](const TItem* entry) { return entry->GetSize() >= size; });
        FBiggest.insert(at, child);
        if (FBiggest.size() > static_cast<std::size_t>(kListerBiggestCount)) FBiggest.pop_back();
        return TWalkStep::Go;
    });
}

void TFileLister::AddFile(TItem* file) {
    FListing.push_back(file);
    if (file->TypeIndex() == -1) file->ResolveType(); // sorting by type needs it
    FTotalSize += file->GetSize();
    ++FListedCount;
    if (FListedCount % kListerPumpEvery != 0) return;
    FProgressCount = FListedCount;
    FProgressPending = true;
    if (ProgressChanged && FStatusPace.Due(Clock())) {
        FProgressPending = false;
        ProgressChanged();
    }
}

std::string TFileLister::ProgressText() const {
    return std::to_string(FProgressCount) + "/" + std::to_string(FExpectedCount);
}

int TFileLister::GaugeRight(int left, int right) const {
    if (FExpectedCount == 0 || right <= left) return left;
    const double fill = static_cast<double>(right - left) * static_cast<double>(FListedCount) /
                        static_cast<double>(FExpectedCount);
    return left + static_cast<int>(std::lround(std::clamp(fill, 0.0, static_cast<double>(right - left))));
}

// ---- order, texts, find ----

void TFileLister::Sort() {
    if (const listing::TItemComparator* comparator = listing::SelectFileListerComparator(SortCode))
        listing::SortItems(FListing, *comparator);
}

int TFileLister::ClickColumn(int id) {
    SortCode = listing::SortCodeAfterClick(SortCode, id);
    Sort();
    return SortCode;
}

std::string TFileLister::IdleStatus() const {
    std::string text = "Total:  " + model::FormatBytes(FListedCount) + " files" + "    " +
                       model::FormatBytes(FTotalSize) + " bytes";
    if (FStopRequested) text += " (stopped)";
    return text;
}

std::string TFileLister::SingleStatus(const TItem& item) {
    return "Total:  " + model::FormatBytes(item.GetSize()) + " bytes    " + item.GetPath();
}

std::string TFileLister::CalculatingStatus(std::int64_t selected) {
    return "Total:  Calculating...    " + model::FormatBytes(selected) + " files selected";
}

std::string TFileLister::SelectionSumStatus(std::int64_t bytes, std::int64_t count) {
    return "Total:  " + model::FormatBytes(bytes) + " bytes    " + model::FormatBytes(count) +
           " files selected";
}

bool TFileLister::SumSelection(const std::function<bool(int)>& isSelected, const std::function<bool()>& pump,
                               TSelectionSum& sum) const {
    sum = {};
    // Nothing can have restarted the sum before it has let messages in.
    model::TPacer pace(kListerCheckInterval);
    pace.Restart(Clock());
    for (int i = RowCount() - 1; i >= 0; --i) {
        if (i % kListerSumPumpEvery == 0 && pump && pace.Due(Clock()) && pump()) return false;
        if (i >= RowCount()) continue; // rows left during the pump (the caller restarts then anyway)
        if (!isSelected(i)) continue;
        if (const TItem* item = Row(i)) {
            ++sum.count;
            sum.bytes += item->GetSize();
        }
    }
    return true;
}

std::string TFileLister::CopyText(const std::vector<int>& selectedRows, TCopyWhat what) const {
    auto value = [what](const TItem* item) -> std::string {
        switch (what) {
        case TCopyWhat::FileName:
            return item->NameString();
        case TCopyWhat::FolderName:
            return item->Parent() ? item->Parent()->GetPath() : std::string();
        case TCopyWhat::CompletePath:
            return item->GetPath();
        }
        return {};
    };
    std::string text;
    if (selectedRows.size() == 1) {
        if (const TItem* item = Row(selectedRows.front())) text = value(item);
        return text;
    }
    for (auto it = selectedRows.rbegin(); it != selectedRows.rend(); ++it)
        if (const TItem* item = Row(*it)) text += "\n\r" + value(item);
    return text;
}

int TFileLister::Find(std::string_view text, int start, bool wrap) const {
    const std::string wanted = model::UpperAscii(text);
    auto matches = [&wanted](const TItem* item) {
        const std::string_view name = item->Name();
        if (name.size() < wanted.size()) return false;
        for (std::size_t k = 0; k < wanted.size(); ++k)
            if (model::UpperAscii(name[k]) != wanted[k]) return false;
        return true;
    };
    start = std::max(0, start);
    for (int i = start; i < RowCount(); ++i)
        if (matches(FListing[static_cast<std::size_t>(i)])) return i;
    if (wrap)
        for (int i = 0; i < std::min(start, RowCount()); ++i)
            if (matches(FListing[static_cast<std::size_t>(i)])) return i;
    return -1;
}

// ---- deleting ----

TDeleteOutcome TFileLister::Delete(const std::vector<TItem*>& targets, TFileTrash& trash) {
    TDeleteOutcome outcome;
    std::vector<TItem*> moved;
    for (TItem* item : targets) {
        if (!item || item->IsFolder()) continue;
        std::string error;
        const std::string path = item->GetPath();
        if (trash.MoveToTrash(path, error))
            moved.push_back(item);
        else
            outcome.failures.push_back({path, error});
    }
    outcome.deleted = static_cast<int>(moved.size());
    if (moved.empty()) return outcome;

    FFilesDeleted = true;
    const std::unordered_set<const TItem*> gone(moved.begin(), moved.end());
    DropRows([&gone](const TItem* row) { return gone.count(row) != 0; });
    if (FHasStoredExpected) FStoredExpected = std::max<std::int64_t>(0, FStoredExpected - outcome.deleted);

    // The rows are gone already: the tree's announcement needs no bookkeeping of ours.
    FDeleting = true;
    for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
        TItem* item = *it;
        if (TFolderItem* parent = item->Parent()) parent->DetachChild(item);
        delete item;
    }
    FDeleting = false;
    if (FRoot)
        FRoot->ComputeTotals();
    else if (FFolder)
        FFolder->UpdateTotals();
    return outcome;
}

void TFileLister::DropRows(const std::function<bool(const TItem*)>& gone) {
    std::erase_if(FListing, [&](TItem* row) {
        if (!gone(row)) return false;
        FTotalSize -= row->GetSize();
        --FListedCount;
        return true;
    });
}

void TFileLister::ItemsAboutToBeRemoved(TFolderItem* folder, TItem* child) {
    if (FDeleting || !FFolder) return;
    // The removed part: child with its subtree, or every child of folder.
    const bool folderGone =
        child ? FFolder->IsAncestor(child) : (FFolder != folder && FFolder->IsAncestor(folder));
    const bool inside = child ? child->IsAncestor(FFolder) : folder->IsAncestor(FFolder);
    if (!folderGone && !inside) return;

    const std::size_t before = FListing.size();
    if (folderGone) {
        DropRows([](const TItem*) { return true; });
        FFolder = nullptr;
    } else if (child) {
        DropRows([child](const TItem* row) { return row->IsAncestor(child); });
    } else {
        DropRows([folder](const TItem* row) { return row->IsAncestor(folder); });
    }
    if (FBusy) {
        // The walk may stand in a folder that is about to be freed: it unwinds at its next step,
        // and the listing says it is incomplete.
        FTreeChanged = true;
        FStopRequested = true;
    }
    if (FListing.size() != before && RowsDropped) RowsDropped();
}

} // namespace exportdata
