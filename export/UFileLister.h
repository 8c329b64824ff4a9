// The File Lister's listing without its window: the walk that gathers the files below a folder
// (all of them, one analyser bucket, "All others", or the 100 biggest), its counts and texts, the
// sort, the copy texts, the incremental find and the bookkeeping of deletions to the trash.
//
// Nothing here owns an item: the listing points into the tree, and the lister listens to the tree
// (model::TTreeListener) so that rows whose items leave it are dropped before they are freed.
#pragma once

#include "model/UItem.h"
#include "model/UPacer.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace analyser {
class TAnalyserDataGroup;
}

namespace exportdata {

// Listing modes, as the callers pass them.
enum : int {
    kListerAll = 0,
    kListerKind1 = 2, // one bucket, by kind 1 (creation date for date groupings)
    kListerKind2 = 3,
    kListerKind3 = 4,
    kListerKind12 = 5,
    kListerKind13 = 6,
    kListerKind23 = 7,
    kListerKind123 = 8,
    kListerAllOthers = 9, // none of ten buckets, by kind 1
    kListerBiggest = 100,
};
inline constexpr int kListerPumpEvery = 30; // files between two message checks of the walk
inline constexpr int kListerBiggestCount = 100;
inline constexpr int kListerAllOthersKeys = 10;
inline constexpr int kListerSumPumpEvery = 10; // rows between two message checks of the selection sum
// Files pass far faster than a screen shows them, and each shown count is a repaint through the
// display server: a count that comes less than a frame after the last one shown is left out. A
// message check costs little by itself, but 30 files take only microseconds: one that comes less
// than a quarter of a millisecond after the last one is left out too, which still looks for a
// "&Stop" more often than the walk did when it repainted at every count.
inline constexpr std::chrono::microseconds kListerCheckInterval{250};
inline constexpr std::chrono::milliseconds kListerStatusInterval{16}; // a frame

// Where deleted files go: the desktop's trash in the window, a stand-in in tests.
class TFileTrash {
public:
    virtual ~TFileTrash() = default;
    // True when the file at path is in the trash now; otherwise error says why (nothing moved).
    virtual bool MoveToTrash(const std::string& path, std::string& error) = 0;
};

enum class TCopyWhat { FileName, FolderName, CompletePath };

// What the File Lister and the main windows say when the file manager cannot show a folder: one
// that is not there, or one that is there when the desktop has nothing to open folders with.
inline constexpr const char* kFileManagerFailed =
    "Unable to open this folder in File Manager because\n\rthis folder does not exist or cannot be "
    "accessed from this computer.";
inline constexpr const char* kNoFolderApplication =
    "Unable to open this folder in File Manager because\n\rno application is set to open folders.";
[[nodiscard]] inline const char* FileManagerFailure(bool folderMissing) {
    return folderMissing ? kFileManagerFailed : kNoFolderApplication;
}
// And when a file cannot be opened.
inline constexpr const char* kNoFileApplication =
    "Unable to open this file because\n\rno application is set to open it or it cannot be accessed "
    "from this computer.";

struct TDeleteFailure {
    std::string path;
    std::string reason;
};
struct TDeleteOutcome {
    int deleted = 0;
    std::vector<TDeleteFailure> failures;
};

class TFileLister : public model::TTreeListener {
public:
    TFileLister();
    ~TFileLister() override;
    TFileLister(const TFileLister&) = delete;
    TFileLister& operator=(const TFileLister&) = delete;

    // Takes what Execute is given and works out the expected count and the restriction suffix.
    // False (and nothing listed) when modes 2-8 lack the group, exactly one key or that key's row,
    // or mode 9 lacks the group or exactly ten keys. Folder and group are not owned; the group
    // must stay until the lister is set up again or destroyed.
    bool Setup(model::TFolderItem* folder, model::TRootItem* root, int mode,
               analyser::TAnalyserDataGroup* group, std::vector<std::int32_t> rowKeys);

    // Column ids that show what the mode restricts by (the group's restriction columns of the kinds
    // the mode looks at); -1 entries left out.
    [[nodiscard]] std::vector<int> RestrictionColumns() const;
    // "File Lister - " + the folder's path, " **  " for a partial folder, the restriction suffix.
    [[nodiscard]] std::string Caption() const;
    // The export's title and subject.
    [[nodiscard]] std::string ExportTitle() const;
    [[nodiscard]] std::string ExportSubject() const;
    // The folder is explored only in part (the cell texts mark such a folder with " **").
    [[nodiscard]] bool FolderPartial() const;

    // Called during the filtered walk every kListerPumpEvery visited files, unless the last call
    // was less than kListerCheckInterval ago: the window processes its pending events there (and
    // may RequestStop, or the tree may drop items). A stop is tested at every such point all the same.
    std::function<void()> ProcessMessages;
    // Called when ProgressText changed: at the start of the walk, then every kListerPumpEvery listed
    // files unless the last call was less than kListerStatusInterval ago; a count left out that way
    // at the walk's last such point is shown when the walk ends.
    std::function<void()> ProgressChanged;
    // The clock of that pacing (tests set one of their own).
    std::function<model::TPacer::TClock::time_point()> Clock = model::TPacer::TClock::now;
    // Called after rows were dropped because their items left the tree.
    std::function<void()> RowsDropped;

    // Builds the listing (walks the whole subtree of the folder; the top-100 walk never pumps).
    // Then sorts it by SortCode.
    void Build();
    void RequestStop() { FStopRequested = true; }

    [[nodiscard]] model::TFolderItem* Folder() const { return FFolder; }
    [[nodiscard]] model::TRootItem* Root() const { return FRoot; }
    [[nodiscard]] int Mode() const { return FMode; }
    [[nodiscard]] std::int64_t ListedCount() const { return FListedCount; }
    [[nodiscard]] std::int64_t VisitedCount() const { return FVisitedCount; }
    [[nodiscard]] bool StopRequested() const { return FStopRequested; }
    [[nodiscard]] std::int64_t ExpectedCount() const { return FExpectedCount; }
    // The expected count Setup worked out; -1 while it is the folder's file count at each build.
    [[nodiscard]] std::int64_t StoredExpected() const { return FHasStoredExpected ? FStoredExpected : -1; }
    [[nodiscard]] const std::string& RestrictionSuffix() const { return FRestrictionSuffix; }
    [[nodiscard]] bool Busy() const { return FBusy; }
    [[nodiscard]] std::int64_t TotalSize() const { return FTotalSize; }
    [[nodiscard]] bool FilesDeleted() const { return FFilesDeleted; }
    // The rows in display order; valid until the next Build, Sort, Delete or tree removal.
    [[nodiscard]] const std::vector<model::TItem*>& Listing() const { return FListing; }
    [[nodiscard]] model::TItem* Row(int index) const;
    [[nodiscard]] int RowCount() const { return static_cast<int>(FListing.size()); }

    // "listed/expected" in plain digits, as the walk shows it: the files listed at its last point
    // (every kListerPumpEvery listed files).
    [[nodiscard]] std::string ProgressText() const;
    // The right edge of the gauge's filled part in a bar from left to right: left when nothing is
    // expected, never past right (a stale analyser count can expect fewer files than are listed).
    [[nodiscard]] int GaugeRight(int left, int right) const;

    // Sort code of the list (column id * 2, + 1 descending); Sort orders the listing by it with the
    // File Lister's comparators.
    int SortCode = 3;
    void Sort();
    // A click on the column with that id: the same column flips the direction, another starts
    // ascending. Sorts and gives the new code.
    int ClickColumn(int id);

    // Status texts.
    [[nodiscard]] std::string IdleStatus() const;
    [[nodiscard]] static std::string SingleStatus(const model::TItem& item);
    [[nodiscard]] static std::string CalculatingStatus(std::int64_t selected);
    [[nodiscard]] static std::string SelectionSumStatus(std::int64_t bytes, std::int64_t count);

    // The sum of the selected rows, visited from the last to the first; pump is called at every row
    // index divisible by kListerSumPumpEvery, unless the last call (or the start) was less than
    // kListerCheckInterval ago, and gives true to abandon the run (no result then).
    struct TSelectionSum {
        std::int64_t count = 0;
        std::int64_t bytes = 0;
    };
    bool SumSelection(const std::function<bool(int row)>& isSelected, const std::function<bool()>& pump,
                      TSelectionSum& sum) const;

    // The clipboard text of the selected rows (ascending row indexes): one row gives its value, more
    // give LF CR + value per row from the last to the first. Empty without a selection.
    [[nodiscard]] std::string CopyText(const std::vector<int>& selectedRows, TCopyWhat what) const;

    // The first row from start on (then, with wrap, from 0 to start - 1) whose name begins with
    // text, ASCII letters compared upper-cased; -1 when none.
    [[nodiscard]] int Find(std::string_view text, int start, bool wrap) const;

    // Moves each target to the trash, in the given order. Each one moved leaves the listing, the
    // totals and the tree (it is freed); one that could not be moved stays and is reported. The
    // tree's totals are recomputed once at the end when anything went.
    TDeleteOutcome Delete(const std::vector<model::TItem*>& targets, TFileTrash& trash);

    void ItemsAboutToBeRemoved(model::TFolderItem* folder, model::TItem* child) override;

private:
    void Walk(model::TFolderItem* folder);
    void WalkBiggest(model::TFolderItem* folder);
    [[nodiscard]] bool Passes(const model::TItem& file);
    void AddFile(model::TItem* file);
    void DropRows(const std::function<bool(const model::TItem*)>& gone);

    model::TFolderItem* FFolder = nullptr;
    std::int64_t FListedCount = 0;
    std::int64_t FVisitedCount = 0;
    bool FStopRequested = false;
    std::int64_t FExpectedCount = 0;
    std::string FRestrictionSuffix;
    bool FBusy = false;
    model::TRootItem* FRoot = nullptr;
    int FMode = kListerAll;
    analyser::TAnalyserDataGroup* FGroup = nullptr;
    std::vector<std::int32_t> FRowKeys;
    std::int64_t FStoredExpected = 0;
    bool FHasStoredExpected = false;
    std::int64_t FTotalSize = 0;
    bool FFilesDeleted = false;
    std::vector<model::TItem*> FBiggest;
    std::vector<model::TItem*> FListing;
    bool FTreeChanged = false; // items left the tree during the walk: it unwinds at once
    bool FDeleting = false;    // our own removals: the bookkeeping is done already
    model::TPacer FCheckPace{kListerCheckInterval};
    model::TPacer FStatusPace{kListerStatusInterval};
    std::int64_t FProgressCount = 0; // what ProgressText shows as listed
    bool FProgressPending = false;   // ProgressText changed since ProgressChanged was last called
};

} // namespace exportdata
