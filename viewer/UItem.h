// The viewer's items: what is read from exploration files, on the model's item classes.
//
// Every class here derives from its model counterpart and adds only what differs in a tree that
// comes from a file: no exploring, no disk-space queries, no shell icons of real files, and two
// top items for loaded files (TFileRootItem) and for folders stored with their full path
// (TFolderRootItem). The listing, analyser and export code works on model::TItem and so on either
// set. No class adds a field to files or plain folders: a loaded file item keeps the model's 64 bytes.
//
// Paths: files written on Windows keep their own paths below a top item whose path has a drive
// letter or begins with "\\" (names joined with "\"); Linux drives (letter byte "/") and folder
// roots with a Linux path join with "/".
#pragma once

#include "model/UItem.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace viewer {

using model::TDateTime;
using model::TItem;
using model::TTopItem;

class TLoadProgress;

// Explored flag and item tail: the part of a folder body before its children (any folder class).
void LoadFolderHead(model::TFolderItem& folder, model::TRecordReader& in, std::uint8_t kind,
                    std::uint32_t formatVersion);

// HasExploredContent of a folder class, answered from a value the reader stores when the folder's
// records are complete (explored flags never change after loading, and nothing adds children to a
// loaded folder). Without the stored value the model's walk answers. This keeps ComputeTotals,
// which asks every folder, linear in the tree instead of quadratic in its depth. The byte lives in
// the base's tail padding: no class grows.
template <class Base> class TStoredContent : public Base {
public:
    using Base::Base;
    [[nodiscard]] bool HasExploredContent() const override {
        return FExploredContent >= 0 ? FExploredContent != 0 : Base::HasExploredContent();
    }
    void StoreExploredContent() { FExploredContent = Base::HasExploredContent() ? 1 : 0; }

private:
    std::int8_t FExploredContent = -1;
};

// A file read from an exploration file; icons come from the type table only.
class TFileItem : public model::TFileItem {
public:
    using model::TFileItem::TFileItem;
    void ResolveIcon() override;
};
static_assert(sizeof(TFileItem) == sizeof(model::TFileItem), "the viewer adds nothing to a file item");

// A folder read from an exploration file; its explored state is the stored flag.
class TFolderItem : public TStoredContent<model::TFolderItem> {
public:
    using TStoredContent::TStoredContent;
    void ResolveIcon() override;
    // Marked: a folder record, or a path record when its parent is not marked; unmarked: only
    // the folder children with something marked below.
    void SaveRecords(model::TSaveWalk& walk, bool marked) override;
};
static_assert(sizeof(TFolderItem) == sizeof(model::TFolderItem), "the viewer adds nothing to a folder item");

// The one root of the viewer's tree, "All Files"; it counts as explored.
class TRootItem : public model::TRootItem {
public:
    explicit TRootItem(model::TFolderItem* parent = nullptr) : model::TRootItem("All Files", parent) {}
    [[nodiscard]] bool IsExplored() const override { return true; }
    void ResolveIcon() override;
    // The root record of a new file: the top items of every loaded file become its children.
    void SaveRecords(model::TSaveWalk& walk, bool marked) override;
    // Writes the marked items as a viewer's exploration file (through a temporary file that
    // replaces fileName only when complete). Created becomes the save time. progress (not owned,
    // may be nullptr) is stepped per file record and polled for cancel before each child.
    model::TSaveOutcome SaveToFile(const std::string& fileName, model::TProgressSink* progress = nullptr);
};

// A drive as stored in a file. It never measures space: Free and Total keep the stored values, and
// UsedSpace is Total - Free even when that is negative. Letter ' ' until the record is read;
// letter '/' makes a Linux drive whose mount point is its name.
class TDriveItem : public TStoredContent<model::TDriveItem> {
public:
    TDriveItem(std::string_view name, model::TFolderItem* parent);

    [[nodiscard]] std::int64_t FreeSpace() const override { return Free(); }
    [[nodiscard]] std::int64_t TotalSpace() const override { return Total(); }
    [[nodiscard]] std::int64_t UsedSpace() const override;
    void RefreshSpace() override {}
    void PrepareTotals() override {} // the stored space stays
    void ResolveIcon() override;
    // Marked and holding files: a drive record with its own Created; marked and empty: nothing.
    void SaveRecords(model::TSaveWalk& walk, bool marked) override;
    // Letter, free and total bytes, then the folder body up to the children.
    void LoadFromStream(model::TRecordReader& in, std::uint8_t kind, std::uint32_t formatVersion) override;
};

// A folder stored with its full path (record kind 5). Path ends with its separator once read.
class TFolderRootItem : public TStoredContent<model::TTopItem> {
public:
    using TStoredContent::TStoredContent;

    [[nodiscard]] const std::string& Path() const { return FPath; }
    // Sets the path and the displayed name; a missing trailing separator is added ("\" for Windows
    // paths, "/" for Linux paths, "\" for an empty path).
    void SetPath(std::string_view path);
    [[nodiscard]] std::string GetPath() const override { return FPath; }
    [[nodiscard]] char PathSeparator() const override;
    void ResolveIcon() override;
    // Marked: a path record with its path; unmarked: only what is marked below it.
    void SaveRecords(model::TSaveWalk& walk, bool marked) override;
    // The full path (it replaces the name), then the folder body up to the children.
    void LoadFromStream(model::TRecordReader& in, std::uint8_t kind, std::uint32_t formatVersion) override;

private:
    std::string FPath;
};

// Result codes of TFileRootItem::LoadFromFile.
enum : std::int32_t {
    kLoadOk = 0,
    kLoadUnreadable = -1, // cannot be opened, no regular file, read error, damaged or truncated body
    kLoadBadMagic = -2,
    kLoadBadVersion = -3,
    kLoadBadCrc = -4,
    kLoadCancelled = -5,
    kLoadUnsupportedWriter = -6,
};

// One loaded exploration file.
class TFileRootItem : public model::TTopItem {
public:
    // filePath as given; the name is its last component; the program's own icon.
    TFileRootItem(std::string_view filePath, model::TFolderItem* parent);

    [[nodiscard]] const std::string& FilePath() const { return FFilePath; }
    [[nodiscard]] std::string GetPath() const override { return FFilePath; }
    [[nodiscard]] bool IsExplored() const override { return true; }
    void ResolveIcon() override;
    // The whole record stream: the root record (the kind argument is not used), then every record
    // below it. Nested records are read by one loop with a stack of its own, not by recursion, so
    // that any depth the writers write loads (every walk of the model is free of recursion too).
    void LoadFromStream(model::TRecordReader& in, std::uint8_t kind, std::uint32_t formatVersion) override;
    // No record of its own: its children are written in its place, so a saved file combines the
    // top items of every loaded file under one root.
    void SaveRecords(model::TSaveWalk& walk, bool marked) override;

    // Reads the file named by FilePath into this item: 0, or one of the negative codes above.
    // progress (not owned) may be null. On any non-zero code the caller destroys the item with
    // whatever was read into it. No handle on the file remains afterwards.
    // A small file may expand to far more items than the machine holds: the load stops with -1
    // (the allocation-failure code) once its items would take more than the memory budget.
    [[nodiscard]] std::int32_t LoadFromFile(TLoadProgress* progress = nullptr);

    // The memory the items of one load may take, in bytes; 0 (the default) takes half of what
    // the machine has available when the load starts (MemAvailable).
    void SetMemoryBudget(std::uint64_t bytes) { FMemoryBudget = bytes; }
    [[nodiscard]] std::uint64_t MemoryBudget() const { return FMemoryBudget; }
    // What one item of the reader's tree takes in memory, its name and its slot in its folder
    // included: what the budget is counted in.
    [[nodiscard]] static std::uint64_t ItemCost(std::uint8_t kind, std::string_view name);

private:
    std::string FFilePath;
    std::uint64_t FMemoryBudget = 0;
    std::uint64_t FMemoryUsed = 0; // by the load that runs
};

// The caller's reason text for a result code ("" for 0 and -5, which show no message).
[[nodiscard]] std::string LoadErrorReason(std::int32_t code);
// The whole message box text for a result code ("" when no message is shown).
[[nodiscard]] std::string LoadErrorMessage(std::int32_t code);

// The nearest of item and its ancestors that is a drive or a folder root, or nullptr.
[[nodiscard]] model::TFolderItem* FindTopItem(const TItem* item);

// The viewer's order of items: missing items first (two missing are equal), then drives (by
// upper-case letter, then by name, so that Linux drives order by mount point), then folder items,
// then files, each by upper-case name with the raw bytes deciding ties.
[[nodiscard]] int CompareItems(const TItem* a, const TItem* b);
// A coarse form of CompareItems for sorting many siblings (TItemList::Sort): the kind (drive,
// folder, file) in the top byte, then a drive's upper-case letter, then the first upper-cased
// bytes of the name, zeros after its end. SortKey(a) < SortKey(b) only when CompareItems(a, b) < 0.
[[nodiscard]] std::uint64_t SortKey(const TItem* item);
// The same order for the name columns; descending reverses only the names (and letters): missing
// items, drives first and folders before files stay.
[[nodiscard]] int CompareByNameDrivesFirst(const TItem* a, const TItem* b, bool descending);
[[nodiscard]] inline int CompareByNameDrivesFirstAsc(const TItem* a, const TItem* b) {
    return viewer::CompareItems(a, b);
}
[[nodiscard]] inline int CompareByNameDrivesFirstDesc(const TItem* a, const TItem* b) {
    return CompareByNameDrivesFirst(a, b, true);
}

} // namespace viewer
