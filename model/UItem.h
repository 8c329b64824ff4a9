// The exploration tree: every file, folder, drive, network node and container the program shows.
//
// Ownership: a folder owns its children (TItemList); destroying a folder destroys its subtree, and
// the tree's owner destroys the root. Views hold plain, non-owning pointers and must drop them when
// TTreeListener announces a removal.
//
// Memory budget (64-bit): a file item is 56 bytes (vptr 8, parent and tags 8, three dates 24, type 4,
// icon 2, attributes 2, size 8); made by NewItem, its name stands right before it in the same pooled
// block (length + 1 bytes, rounded to 8), and its parent holds one pointer to it: 80 bytes a file
// with a 12-byte name. Items made with plain new keep a pointer to a name block before them;
// items on the stack or inside other objects keep their name in a side table.
// Known limits of the packing: icon indexes fit 16 bits (the icon registry caps itself), and only the
// low 16 attribute bits are kept (every bit the program shows or stores is among them).
#pragma once

#include "model/UItemAlloc.h"
#include "platform/PDates.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
struct TMountEntry;
struct TNetworkShare;
} // namespace platform

namespace model {

using platform::TDateTime;

class TItem;
class TFolderItem;
class TRootItem;
class TRecordWriter;
class TRecordReader;
class TProgressSink;
class TSaveWalk;

// What a save of the exploration file did. Saved: the file is complete. Cancelled and Failed: no
// file was written and an existing one is as it was; message and caption are what the user is
// shown (detail: the system's reason, for a failure).
enum class TSaveResult { Saved, Cancelled, Failed };
struct TSaveOutcome {
    TSaveResult result = TSaveResult::Failed;
    std::string message;
    std::string caption;
    std::string detail;
};

// Windows attribute bits, as items keep them.
enum : std::uint32_t {
    kAttrReadOnly = 0x1,
    kAttrHidden = 0x2,
    kAttrSystem = 0x4,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
    kAttrNormal = 0x80,
    kAttrTemporary = 0x100,
    kAttrCompressed = 0x800,
    kAttrOffline = 0x1000,
};

// Drive kinds: 0 other, 1 fixed, 2 removable, 3 remote.
enum : std::uint8_t { kKindOther = 0, kKindFixed = 1, kKindRemovable = 2, kKindRemote = 3 };

// Upper-cases ASCII letters only; every other byte stays.
[[nodiscard]] inline char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}
[[nodiscard]] std::string UpperAscii(std::string_view s);
// Byte-wise comparison of the upper-cased strings as unsigned characters, the shorter first on a
// common prefix: <0, 0, >0.
[[nodiscard]] int CompareTextUpper(std::string_view a, std::string_view b);
// The type-table key of a file name: the upper-cased text from the last "." on, or "none".
[[nodiscard]] std::string ExtensionKey(std::string_view name);

// The owning list of a folder's children. Grows as needed; ShrinkToFit after a folder is read.
class TItemList {
public:
    TItemList() = default;
    ~TItemList(); // destroys every item, first to last
    TItemList(const TItemList&) = delete;
    TItemList& operator=(const TItemList&) = delete;

    [[nodiscard]] int Count() const { return static_cast<int>(FCount); }
    [[nodiscard]] TItem* Get(int index) const { return FItems[index]; }
    int Add(TItem* item);     // appends; returns the index
    void Remove(TItem* item); // takes the item out without destroying it
    void DestroyAll();        // destroys every item, first to last, and empties the list
    void Sort(int (*compare)(const TItem*, const TItem*));
    // The same order, several times faster on many siblings: key is a coarse form of compare's
    // order (key(a) < key(b) only when compare(a, b) < 0, e.g. the first bytes of the upper-cased
    // name), taken once per item; compare is asked only between equal keys. A list already in
    // order is left as it is after one pass.
    void Sort(int (*compare)(const TItem*, const TItem*), std::uint64_t (*key)(const TItem*));
    void ShrinkToFit();
    TItem* const* begin() const { return FItems; }
    TItem* const* end() const { return FItems + FCount; }

private:
    void Reserve(std::uint32_t capacity);
    TItem** FItems = nullptr;
    std::uint32_t FCount = 0;
    std::uint32_t FCapacity = 0;
};

// Told before items leave the tree, so that no view keeps a pointer to a destroyed item.
class TTreeListener {
public:
    virtual ~TTreeListener() = default;
    // child == nullptr: every child of folder (and their subtrees) is about to go.
    // Otherwise: child (with its subtree) is about to be taken out of folder.
    virtual void ItemsAboutToBeRemoved(TFolderItem* folder, TItem* child) = 0;
};
// Whether item goes with what a notice announces: child and its subtree, or (child nullptr) every
// child of folder and their subtrees.
[[nodiscard]] bool GoesWith(const TItem* item, const TFolderItem* folder, const TItem* child);
void AddTreeListener(TTreeListener* listener);
void RemoveTreeListener(TTreeListener* listener);
void NotifyItemsAboutToBeRemoved(TFolderItem* folder, TItem* child);

class TItem {
public:
    TItem(std::string_view name, TFolderItem* parent);
    virtual ~TItem();
    TItem(const TItem&) = delete;
    TItem& operator=(const TItem&) = delete;

    // Heap items carry their name (or a pointer to it) just before the object; see NewItem.
    static void* operator new(std::size_t bytes);
    static void operator delete(void* object, std::size_t bytes) noexcept;

    [[nodiscard]] std::string_view Name() const;
    [[nodiscard]] std::string NameString() const { return std::string(Name()); }
    [[nodiscard]] TFolderItem* Parent() const {
        return reinterpret_cast<TFolderItem*>(FParentAndTags & ~kTagMask);
    }
    // Only TFolderItem::AddChild and RemoveChild change the parent.
    void SetParent(TFolderItem* parent);

    [[nodiscard]] int IconIndex() const { return FIconIndex; }
    void SetIconIndex(int index) {
        FIconIndex = static_cast<std::int16_t>(index < -1 || index > 32767 ? -1 : index);
    }
    [[nodiscard]] int TypeIndex() const { return FTypeIndex; }
    void SetTypeIndex(int index) { FTypeIndex = index; }
    [[nodiscard]] TDateTime Created() const { return FCreated; }
    [[nodiscard]] TDateTime Accessed() const { return FAccessed; }
    [[nodiscard]] TDateTime Modified() const { return FModified; }
    void SetCreated(TDateTime d) { FCreated = d; }
    void SetAccessed(TDateTime d) { FAccessed = d; }
    void SetModified(TDateTime d) { FModified = d; }
    [[nodiscard]] std::uint32_t Attributes() const { return FAttributes; }
    void SetAttributes(std::uint32_t a) { FAttributes = static_cast<std::uint16_t>(a); }
    [[nodiscard]] bool Marked() const { return (FParentAndTags & kTagMarked) != 0; }
    void SetMarked(bool marked);
    // True for TFolderItem and every class below it (no virtual call, no cast).
    [[nodiscard]] bool IsFolder() const { return (FParentAndTags & kTagFolder) != 0; }

    // Virtual operations, in the order of the class design.
    virtual void SetName(std::string_view name);
    // Folders: parent's path + name + separator. Files and top items override.
    [[nodiscard]] virtual std::string GetPath() const;
    [[nodiscard]] virtual TDateTime GetModified() const { return FModified; }
    [[nodiscard]] virtual TDateTime GetAccessed() const { return FAccessed; }
    [[nodiscard]] virtual std::uint8_t GetDriveKind() const;
    virtual void SetSize(std::int64_t size) = 0;
    [[nodiscard]] virtual std::int64_t GetSize() const = 0;
    [[nodiscard]] virtual std::int64_t GetFileCount() const = 0;
    [[nodiscard]] virtual std::int64_t GetMarkedFileCount() const = 0;
    [[nodiscard]] virtual std::int64_t GetFolderCount() const = 0;
    virtual void ClearMark();
    virtual void ResolveIcon() = 0;
    virtual void ResolveType() = 0;
    // Reads the tail of a record after its name (dates, attributes); the reader has read kind and name.
    virtual void LoadFromStream(TRecordReader& in, std::uint8_t kind, std::uint32_t formatVersion);
    // Writes this item's records and those of everything below it that a save takes (a walk of
    // any depth, without recursion: see TSaveWalk).
    void SaveToStream(TRecordWriter& out);
    // This item's own part of a save: its head and body, its children handed back to the walk.
    // marked: the item or an ancestor is marked. Here: the item tail (dates and attribute byte)
    // when marked or root.
    virtual void SaveRecords(TSaveWalk& walk, bool marked);
    // The separator that joins names below this item: "/" here; files written on Windows keep "\".
    [[nodiscard]] virtual char PathSeparator() const;

    // The string encoding of names and paths (URecordCodec); more than 65535 bytes raises TRecordError.
    static void WriteName(TRecordWriter& out, std::string_view name);
    // One name in the encoding of formatVersion; data that ends early raises TRecordTruncated.
    [[nodiscard]] static std::string ReadName(TRecordReader& in, std::uint32_t formatVersion);
    // The packed dword dates of format versions 1 to 3.
    [[nodiscard]] static TDateTime PackedDateToDateTime(std::uint32_t value);

    // The item itself or any ancestor is marked for saving.
    [[nodiscard]] bool IsMarked() const;
    // The nearest ancestor-or-self that is a TRootItem, or nullptr.
    [[nodiscard]] TRootItem* FindRoot() const;
    // The type table's name for TypeIndex (empty when out of range).
    [[nodiscard]] std::string TypeName() const;
    // True when item is this item or one of its ancestors.
    [[nodiscard]] bool IsAncestor(const TItem* item) const;

protected:
    static constexpr std::uintptr_t kTagMarked = 1;
    static constexpr std::uintptr_t kTagFolder = 2;
    static constexpr std::uintptr_t kTagPrefix = 4; // the name (or its pointer) stands before the item
    static constexpr std::uintptr_t kTagMask = 7;
    void SetFolderTag() { FParentAndTags |= kTagFolder; }

private:
    std::uintptr_t FParentAndTags; // parent pointer; the low bits hold the tags above
    TDateTime FCreated = 0;
    TDateTime FAccessed = 0;
    TDateTime FModified = 0;
    std::int32_t FTypeIndex = -1;
    std::int16_t FIconIndex = -1;
    std::uint16_t FAttributes = 0;
};

class TFileItem : public TItem {
public:
    TFileItem(std::string_view name, TFolderItem* parent) : TItem(name, parent) {}

    [[nodiscard]] std::int64_t Size() const { return FSize; }
    [[nodiscard]] std::string GetPath() const override; // parent's path + name
    void SetSize(std::int64_t size) override { FSize = size; }
    [[nodiscard]] std::int64_t GetSize() const override { return FSize; }
    [[nodiscard]] std::int64_t GetFileCount() const override { return 1; }
    [[nodiscard]] std::int64_t GetMarkedFileCount() const override { return IsMarked() ? 1 : 0; }
    [[nodiscard]] std::int64_t GetFolderCount() const override { return 0; }
    void ResolveIcon() override;
    void ResolveType() override;
    void LoadFromStream(TRecordReader& in, std::uint8_t kind, std::uint32_t formatVersion) override;
    void SaveRecords(TSaveWalk& walk, bool marked) override;

private:
    std::int64_t FSize = 0;
};
static_assert(sizeof(TFileItem) <= 56, "a file item must stay within 56 bytes");

class TFolderItem : public TItem {
public:
    TFolderItem(std::string_view name, TFolderItem* parent);
    ~TFolderItem() override;

    [[nodiscard]] std::int64_t TotalSize() const { return FTotalSize; }
    [[nodiscard]] std::int64_t FileCount() const { return FFileCount; }
    [[nodiscard]] std::int64_t FolderCount() const { return FFolderCount; }
    [[nodiscard]] int OpenIconIndex() const { return FOpenIconIndex; }
    void SetOpenIconIndex(int index) {
        FOpenIconIndex = static_cast<std::int16_t>(index < -1 || index > 32767 ? -1 : index);
    }
    // State image beside a preferred item: 1 explore at start, 2 do not; -1 for every other item.
    [[nodiscard]] int StateIndex() const { return FStateIndex; }
    [[nodiscard]] bool Listed() const { return FListed; }
    [[nodiscard]] bool Explored() const { return FExplored; }
    [[nodiscard]] bool ChildrenListed() const { return FChildrenListed; }
    void SetListed(bool b) { FListed = b; }
    void SetExplored(bool b) { FExplored = b; }
    void SetChildrenListed(bool b) { FChildrenListed = b; }

    [[nodiscard]] TDateTime GetModified() const override;
    [[nodiscard]] TDateTime GetAccessed() const override;
    void SetSize(std::int64_t) override {}
    [[nodiscard]] std::int64_t GetSize() const override { return FTotalSize; }
    [[nodiscard]] std::int64_t GetFileCount() const override { return FFileCount; }
    [[nodiscard]] std::int64_t GetMarkedFileCount() const override; // walks the subtree
    [[nodiscard]] std::int64_t GetFolderCount() const override { return FFolderCount; }
    void ClearMark() override; // this item and every descendant
    void ResolveIcon() override;
    void ResolveType() override { ResolveIcon(); }
    void SaveRecords(TSaveWalk& walk, bool marked) override;

    [[nodiscard]] virtual bool IsExplored() const { return FExplored; }
    // Destroys every child, clears the three flags, recomputes the totals.
    virtual void Clear();
    // TotalSize, FileCount, FolderCount from the children, for every folder of the subtree (one
    // walk without recursion: any depth; PrepareTotals first on each folder).
    virtual void ComputeTotals();
    // Asks the topmost ancestor to ComputeTotals (walks the whole tree).
    virtual void UpdateTotals();
    // IsExplored, or any folder child HasExploredContent.
    [[nodiscard]] virtual bool HasExploredContent() const;
    // Lists the immediate subfolders (force: again, even when listed); deep: their subfolders too.
    // With a TFolderListing installed, a folder not listed yet is listed on a worker and gets its
    // subfolders later (UFolderListing.h).
    virtual void Expand(bool force, bool deep);
    // Expands every folder child.
    virtual void ExpandChildren();
    // A full scan under the exploring window; false when cancelled (the item is then cleared).
    virtual bool Explore();

    // Recursive scan of the folder at path (ending in "/") into the folder item into.
    static void ScanFolder(const std::string& path, TFolderItem* into);
    // The immediate subfolders of path only, into into.
    static void ListSubfolders(const std::string& path, TFolderItem* into);
    // ScanFolder of own path into self: what the exploring window runs.
    void ScanSelf();

    [[nodiscard]] TItem* Child(int index) const { return FChildren.Get(index); }
    [[nodiscard]] int ChildCount() const { return FChildren.Count(); }
    [[nodiscard]] const TItemList& Children() const { return FChildren; }
    // Appends (no sort, no totals); the folder takes ownership.
    void AddChild(TItem* item);
    // Takes the child out without destroying it (the caller owns it then), then UpdateTotals.
    void RemoveChild(TItem* item);
    // RemoveChild without the totals, for callers that take out many and recompute them once.
    void DetachChild(TItem* item);
    // Exact, case-sensitive, searched from the last child to the first; nullptr when absent.
    [[nodiscard]] TItem* FindChild(std::string_view name) const;
    void SortChildren();
    // Sorts with another order (the viewer's drives-first order).
    void SortChildren(int (*compare)(const TItem*, const TItem*)) { FChildren.Sort(compare); }
    // The same with a sort key of that order (TItemList::Sort).
    void SortChildren(int (*compare)(const TItem*, const TItem*), std::uint64_t (*key)(const TItem*)) {
        FChildren.Sort(compare, key);
    }
    void ShrinkChildren() { FChildren.ShrinkToFit(); }
    // IsMarked, or any folder child HasMarkedDescendant (files are not looked at).
    [[nodiscard]] bool HasMarkedDescendant() const;
    // item is this folder or lies in one of its folder descendants.
    [[nodiscard]] bool ContainsItem(const TItem* item) const;
    void SetTotalSize(std::int64_t size) { FTotalSize = size; }
    void SetTotals(std::int64_t size, std::int64_t files, std::int64_t folders);

protected:
    void SetStateIndex(int index) { FStateIndex = static_cast<std::int8_t>(index); }
    // A share that is woken before it is listed.
    [[nodiscard]] virtual bool WakesBeforeListing() const { return false; }
    // Destroys the children only, announcing it first.
    void DestroyChildren();
    // Called on every folder of the subtree before ComputeTotals sums it (drives measure their space).
    virtual void PrepareTotals() {}

private:
    friend class TItemList; // destroys a subtree level by level, taking each folder's children
    std::int64_t FTotalSize = 0;
    std::int64_t FFileCount = 0;
    std::int64_t FFolderCount = 0;
    TItemList FChildren;
    std::int16_t FOpenIconIndex = -1;
    std::int8_t FStateIndex = -1;
    bool FListed = false;
    bool FExplored = false;
    bool FChildrenListed = false;
};

// A node shown at the top levels, ordered in listings by a sort-key character.
class TTopItem : public TFolderItem {
public:
    TTopItem(std::string_view name, TFolderItem* parent) : TFolderItem(name, parent) {}
    [[nodiscard]] char SortKey() const { return FSortKey; }
    void SetSortKey(char key) { FSortKey = key; }
    [[nodiscard]] std::string GetPath() const override { return NameString(); }
    [[nodiscard]] std::uint8_t GetDriveKind() const override { return kKindOther; }

private:
    char FSortKey = ' ';
};

// A drive: on Linux a mounted file system named by its mount point (letter byte "/"); letters
// A to Z keep their Windows meaning for drives read from files. The letter '{' makes the
// placeholder that the list comparators use.
class TDriveItem : public TTopItem {
public:
    // A mounted file system; name and path come from the mount point.
    TDriveItem(std::string_view mountPoint, std::uint8_t kind, TFolderItem* parent);
    // A drive known by its letter (name letter + ":"); no drive type is asked.
    TDriveItem(char letter, TFolderItem* parent);

    [[nodiscard]] char Letter() const { return FLetter; }
    void SetLetter(char letter) { FLetter = letter; }
    [[nodiscard]] const std::string& MountPoint() const { return FMountPoint; }
    void SetMountPoint(std::string mountPoint) { FMountPoint = std::move(mountPoint); }
    [[nodiscard]] std::int64_t Free() const { return FFree; }
    [[nodiscard]] std::int64_t Total() const { return FTotal; }
    void SetSpace(std::int64_t free, std::int64_t total) {
        FFree = free;
        FTotal = total;
    }
    void SetDriveKind(std::uint8_t kind) { FDriveKind = kind; }
    void SetDisplayName(std::string_view name) { SetName(name); }

    // Letter drives: letter + ":\"; mounted file systems: the mount point with a trailing "/".
    [[nodiscard]] std::string GetPath() const override;
    [[nodiscard]] std::uint8_t GetDriveKind() const override { return FDriveKind; }
    [[nodiscard]] char PathSeparator() const override;
    void PrepareTotals() override; // measures Free and Total when the drive has children
    void ResolveIcon() override;
    void SaveRecords(TSaveWalk& walk, bool marked) override;

    // Free, Total, Total - Free; -1 while the drive is not listed or when either could not be measured.
    [[nodiscard]] virtual std::int64_t FreeSpace() const;
    [[nodiscard]] virtual std::int64_t TotalSpace() const;
    [[nodiscard]] virtual std::int64_t UsedSpace() const;
    // Measures Free and Total now, within the time limit (-1 each when the drive gives nothing in time).
    virtual void RefreshSpace();
    // Measures every drive of drives at once: one time limit in all, however many of them hang.
    // With a TDriveSpaces installed, the drives get their figures later instead.
    static void RefreshSpaces(const std::vector<TDriveItem*>& drives);

private:
    std::string FMountPoint;
    std::int64_t FFree = 0;
    std::int64_t FTotal = 0;
    char FLetter = '/';
    std::uint8_t FDriveKind = kKindOther;
};

// Free space measured without holding the caller's thread (the window's): while one is installed,
// RefreshSpaces hands it the drives, which get their figures when the measures answer (or -1 each
// when they do not within the time limit), keeping the ones they had until then.
class TDriveSpaces {
public:
    virtual ~TDriveSpaces() = default;
    virtual void Measure(const std::vector<TDriveItem*>& drives) = 0;
};
// Installs spaces (not owned; nullptr: measured at once again).
void SetDriveSpaces(TDriveSpaces* spaces);

// A whole drive explored by hand.
class TManualDriveItem : public TDriveItem {
public:
    using TDriveItem::TDriveItem;
    bool Explore() override; // Created := now, then the folder scan
};

// A whole drive kept in the preferred list.
class TPreferredDriveItem : public TManualDriveItem {
public:
    TPreferredDriveItem(std::string_view mountPoint, std::uint8_t kind, TFolderItem* parent);
    [[nodiscard]] bool ExploreAtStart() const { return FExploreAtStart; }
    void SetExploreAtStart(bool b);

private:
    bool FExploreAtStart = false;
};

// The container "My Manual Explorations".
class TManualRootItem : public TTopItem {
public:
    explicit TManualRootItem(TFolderItem* parent);
    void Clear() override; // keeps Listed and ChildrenListed
    void Expand(bool, bool) override {}
    void ExpandChildren() override {}
    bool Explore() override { return true; }
    void SaveRecords(TSaveWalk& walk, bool marked) override;
};

// The container "My Preferred Explorations".
class TPreferredRootItem : public TManualRootItem {
public:
    explicit TPreferredRootItem(TFolderItem* parent);
    // Explores the children flagged ExploreAtStart under one window; a cancel clears every child.
    bool Explore() override;
    // Explores each flagged child in order, stopping at a cancel; runs inside the window.
    void ExploreFlagged();
};

// A folder path explored by hand; its name is the path with a trailing "/".
class TManualItem : public TTopItem {
public:
    TManualItem(std::string_view path, TFolderItem* parent);
    // The kind given explicitly (for tests and for paths whose mount is already known).
    TManualItem(std::string_view path, std::uint8_t kind, TFolderItem* parent);
    [[nodiscard]] std::uint8_t GetDriveKind() const override { return FDriveKind; }
    bool Explore() override; // Created := now, then the folder scan
    void SaveRecords(TSaveWalk& walk, bool marked) override;

private:
    std::uint8_t FDriveKind = kKindOther;
};

// A folder path kept in the preferred list.
class TPreferredItem : public TManualItem {
public:
    TPreferredItem(std::string_view path, TFolderItem* parent);
    TPreferredItem(std::string_view path, std::uint8_t kind, TFolderItem* parent);
    [[nodiscard]] bool ExploreAtStart() const { return FExploreAtStart; }
    void SetExploreAtStart(bool b);

private:
    bool FExploreAtStart = false;
};

// A container for loaded explorations; declared for the shared listing code, never created here.
class TLoadedRootItem : public TTopItem {
public:
    using TTopItem::TTopItem;
    void Expand(bool, bool) override {}
    void ExpandChildren() override {}
    bool Explore() override { return true; }
    void SaveRecords(TSaveWalk& walk, bool marked) override;
};

// The My Computer container; its children are the drives.
class TComputerRootItem : public TTopItem {
public:
    explicit TComputerRootItem(TFolderItem* parent); // lists the drives at once
    // The index of the last drive child with this mount point, or -1.
    [[nodiscard]] int FindDrive(std::string_view mountPoint) const;
    // The drive list from the mount table read now.
    bool Explore() override;
    void Expand(bool, bool) override { Explore(); }
    void ExpandChildren() override {}
    // Drives renamed and re-measured, added and removed to match mounts.
    void UpdateDrives(const std::vector<platform::TMountEntry>& mounts);
    void SaveRecords(TSaveWalk& walk, bool marked) override;
};

// The root of the whole tree, "My Tessalundrix".
class TRootItem : public TTopItem {
public:
    explicit TRootItem(std::string_view name, TFolderItem* parent = nullptr) : TTopItem(name, parent) {}
    // The last child of that class, or nullptr (ManualRoot skips the preferred container).
    [[nodiscard]] class TComputerRootItem* ComputerRoot() const;
    [[nodiscard]] class TNetworkRootItem* NetworkRoot() const;
    [[nodiscard]] class TPreferredRootItem* PreferredRoot() const;
    [[nodiscard]] class TManualRootItem* ManualRoot() const;
    TComputerRootItem* EnsureComputerRoot();
    TPreferredRootItem* EnsurePreferredRoot();
    TManualRootItem* EnsureManualRoot();
    TNetworkRootItem* EnsureNetworkRoot();
    // The four containers, each appended when missing.
    bool Explore() override;
    void Expand(bool, bool) override { Explore(); }
    void ExpandChildren() override {}

    // Writes the exploration file of the marked items to fileName (through a temporary file that
    // replaces it only when complete). Sets Created to the save time, as it does for every written
    // drive, share and folder saved on its own. progress (not owned, may be nullptr) is stepped once
    // per file record and polled for cancel before each child.
    TSaveOutcome SaveToFile(const std::string& fileName, TProgressSink* progress = nullptr);
    // The root record: its count is the number of file records that follow (counted first).
    void SaveRecords(TSaveWalk& walk, bool marked) override;
};

// Base of the network nodes.
class TNetworkItem : public TTopItem {
public:
    using TTopItem::TTopItem;
    [[nodiscard]] std::uint8_t GetDriveKind() const override { return kKindRemote; }
};

// A network node that is not a share: on Linux, a server whose shares are mounted.
class TNetworkContainerItem : public TNetworkItem {
public:
    TNetworkContainerItem(std::string_view name, std::string_view displayPath, TFolderItem* parent);
    [[nodiscard]] const std::string& DisplayPath() const { return FDisplayPath; }
    [[nodiscard]] std::string GetPath() const override { return FDisplayPath; }
    // Listed, and every folder child IsExplored.
    [[nodiscard]] bool IsExplored() const override;
    // The shares of this server mounted now.
    bool Explore() override;
    void Expand(bool, bool) override { Explore(); }
    void ExpandChildren() override {}
    // This server's shares from shares (the rest ignored), replacing the children.
    void UpdateShares(const std::vector<platform::TNetworkShare>& shares);
    // The server this container stands for ("//server" gives "server").
    [[nodiscard]] std::string Server() const;
    // Also the Network Neighborhood's: no record of its own, the explored children in order.
    void SaveRecords(TSaveWalk& walk, bool marked) override;

private:
    std::string FDisplayPath;
};

// The Network Neighborhood container.
class TNetworkRootItem : public TNetworkContainerItem {
public:
    explicit TNetworkRootItem(TFolderItem* parent);
    // A container per server with mounted shares.
    bool Explore() override;
    // One container per server of shares, in their order, replacing the children.
    void UpdateServers(const std::vector<platform::TNetworkShare>& shares);
};

// A network share: its network path "//server/share" and the mount point where it is read.
// GetPath gives the mount point, so that everything below it is a path that opens on this machine.
class TNetworkDriveItem : public TNetworkItem {
public:
    TNetworkDriveItem(std::string_view uncPath, std::string_view mountPoint, TFolderItem* parent);
    [[nodiscard]] const std::string& UncPath() const { return FUncPath; }
    [[nodiscard]] const std::string& MountPoint() const { return FMountPoint; }
    [[nodiscard]] std::string GetPath() const override;
    // Wakes the share (with a time limit), then lists it.
    void Expand(bool force, bool deep) override;
    void TouchShare();
    [[nodiscard]] bool WakesBeforeListing() const override { return true; }
    // A path record holding the network path (UncPath), not the mount point.
    void SaveRecords(TSaveWalk& walk, bool marked) override;

private:
    std::string FUncPath;
    std::string FMountPoint;
};

// One save's walk through the tree, without recursion: each item writes its own head and body
// (SaveRecords) and hands its children back here; the walk visits them in order and writes the end
// byte of every record it was asked to close. Whether an item is marked goes down with the walk.
class TSaveWalk {
public:
    // Which children of a folder a save visits.
    enum class TChildren {
        All,      // every child
        Explored, // files, and folders that hold something explored
        Folders,  // folders only
    };
    explicit TSaveWalk(TRecordWriter& out);
    TSaveWalk(const TSaveWalk&) = delete;
    TSaveWalk& operator=(const TSaveWalk&) = delete;

    // Saves item and what lies below it; marked: item or one of its ancestors is marked.
    void Run(TItem& item, bool marked);
    // The body (explored flag, tail), children and end of a marked folder or the root, whose head
    // the caller has written or leaves out (a counting pass).
    void RunBody(TFolderItem& folder, bool marked);
    // From SaveRecords: visit these children of folder next (marked: folder is), then write the
    // end byte when end. Stops at the first Cancelled.
    void Children(const TFolderItem& folder, bool marked, TChildren which, bool end);
    [[nodiscard]] TRecordWriter& Out() const { return FOut; }
    // Visits what was handed back until nothing is left (or a cancel).
    void Drain();

private:
    struct TTask {
        TItem* item; // nullptr: an end byte
        bool marked;
    };
    TRecordWriter& FOut;
    std::vector<TTask> FTasks;
};

// Where the constructor of the item at object finds its name storage (set by NewItem and by
// TItem's operator new, consumed by the constructor).
struct TNameSlot {
    void* object = nullptr;
    bool inlineName = false; // true: the name is already written before the object
};
TNameSlot& NameSlot();
// Writes name so that it ends right before object; gives the bytes it takes, rounded to 8.
std::size_t WriteNameBefore(void* object, std::string_view name);
[[nodiscard]] inline std::size_t NamePrefixBytes(std::string_view name) {
    return (NameHeaderBytes(name.size()) + name.size() + 7) & ~std::size_t(7);
}

// Creates a file or folder item with its name in the item's own pool block (the bulk of the tree
// is made this way, by exploring and loading). Plain `new T(name, parent)` works too, at 16 bytes
// and a name block more.
template <typename T> T* NewItem(std::string_view name, TFolderItem* parent) {
    const std::size_t prefix = NamePrefixBytes(name);
    const std::size_t total = prefix + sizeof(T);
    if (total > kMaxPooled) return new T(name, parent);
    char* block = static_cast<char*>(PoolAllocate(total));
    char* object = block + prefix;
    WriteNameBefore(object, name);
    NameSlot() = {object, true};
    try {
        return ::new (object) T(name, parent);
    } catch (...) {
        NameSlot() = {};
        PoolFree(block, total);
        throw;
    }
}

// The folder-first, then upper-case-name order of a folder's children (ties by raw bytes, so that
// "a" and "A" in one folder keep one order).
int CompareItems(const TItem* a, const TItem* b);

} // namespace model
