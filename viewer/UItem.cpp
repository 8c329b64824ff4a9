#include "viewer/UItem.h"

#include "model/UIconManager.h"
#include "model/UShellUtil.h"
#include "model/UTypeList.h"

namespace viewer {

namespace {
// Folder-like items take the icon manager's defaults; no shell is asked about a path from a file.
void ResolveFolderDefaults(model::TFolderItem& f) {
    model::TIconManager& icons = model::IconManager();
    if (f.IconIndex() == -1) f.SetIconIndex(icons.FolderIcon);
    if (f.OpenIconIndex() == -1) f.SetOpenIconIndex(icons.OpenFolderIcon);
    if (f.TypeIndex() == -1) f.SetTypeIndex(icons.FolderType());
}

bool IsLinuxPath(std::string_view path) {
    return !path.empty() && path.front() == '/';
}
} // namespace

// ---- files and folders ----

void TFileItem::ResolveIcon() {
    if (IconIndex() != -1) return;
    ResolveType();
    SetIconIndex(model::TypeList().IconIndex(TypeIndex()));
}

void TFolderItem::ResolveIcon() {
    ResolveFolderDefaults(*this);
}
void TRootItem::ResolveIcon() {
    ResolveFolderDefaults(*this);
}

// ---- drives ----

TDriveItem::TDriveItem(std::string_view name, model::TFolderItem* parent)
    : TStoredContent(name, model::kKindOther, parent) {
    SetLetter(' ');
    SetMountPoint({});
}

std::int64_t TDriveItem::UsedSpace() const {
    // Stored values are not checked: wrap rather than overflow on nonsense.
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(Total()) -
                                     static_cast<std::uint64_t>(Free()));
}

void TDriveItem::ResolveIcon() {
    model::TIconManager& icons = model::IconManager();
    if (IconIndex() == -1) SetIconIndex(icons.DriveIcon);
    if (TypeIndex() == -1) SetTypeIndex(icons.DriveType());
    if (OpenIconIndex() == -1) SetOpenIconIndex(IconIndex());
}

// ---- folder roots ----

void TFolderRootItem::SetPath(std::string_view path) {
    std::string p(path);
    const char sep = IsLinuxPath(p) ? '/' : '\\';
    if (p.empty() || p.back() != sep) p += sep;
    FPath = p;
    SetName(FPath);
}

char TFolderRootItem::PathSeparator() const {
    return IsLinuxPath(FPath) ? '/' : '\\';
}

void TFolderRootItem::ResolveIcon() {
    ResolveFolderDefaults(*this);
}

// ---- file roots ----

namespace {
std::string_view LastComponent(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}
} // namespace

TFileRootItem::TFileRootItem(std::string_view filePath, model::TFolderItem* parent)
    : model::TTopItem(LastComponent(filePath), parent), FFilePath(filePath) {
    SetIconIndex(model::GetProgramIcon());
    SetOpenIconIndex(IconIndex());
}

void TFileRootItem::ResolveIcon() {
    ResolveFolderDefaults(*this);
}

// ---- messages ----

std::string LoadErrorReason(std::int32_t code) {
    switch (code) {
    case kLoadUnreadable:
        return "Unable to open the file";
    case kLoadBadMagic:
        return "Invalid Tessalundrix file";
    case kLoadBadVersion:
        return "Invalid file version";
    case kLoadBadCrc:
        return "This file is corrupted";
    case kLoadUnsupportedWriter:
        return "Unsupported version";
    default:
        return {};
    }
}

std::string LoadErrorMessage(std::int32_t code) {
    const std::string reason = LoadErrorReason(code);
    if (reason.empty()) return {};
    return "An error as occurred and the file could not be loaded.\n\r\n\rError: " + reason;
}

// ---- lookup and order ----

model::TFolderItem* FindTopItem(const TItem* item) {
    for (const TItem* i = item; i; i = i->Parent())
        if (i->IsFolder() &&
            (dynamic_cast<const model::TDriveItem*>(i) || dynamic_cast<const TFolderRootItem*>(i)))
            return const_cast<model::TFolderItem*>(static_cast<const model::TFolderItem*>(i));
    return nullptr;
}

namespace {
bool IsDrive(const TItem* i) {
    return i->IsFolder() && dynamic_cast<const model::TDriveItem*>(i);
}

int CompareNames(const TItem* a, const TItem* b) {
    const int c = model::CompareTextUpper(a->Name(), b->Name());
    if (c != 0) return c;
    const int raw = a->Name().compare(b->Name());
    return raw < 0 ? -1 : raw > 0 ? 1 : 0;
}

// Both are drives: upper-case letters, then names (Linux drives all have the letter "/").
int CompareDrives(const TItem* a, const TItem* b) {
    const auto la =
        static_cast<unsigned char>(model::UpperAscii(static_cast<const model::TDriveItem*>(a)->Letter()));
    const auto lb =
        static_cast<unsigned char>(model::UpperAscii(static_cast<const model::TDriveItem*>(b)->Letter()));
    if (la != lb) return la < lb ? -1 : 1;
    return CompareNames(a, b);
}
} // namespace

int CompareByNameDrivesFirst(const TItem* a, const TItem* b, bool descending) {
    if (!a) return b ? -1 : 0;
    if (!b) return 1;
    const bool fa = a->IsFolder(), fb = b->IsFolder();
    if (fa || fb) {
        const bool da = IsDrive(a), db = IsDrive(b);
        if (da != db) return da ? -1 : 1;
        if (fa != fb) return fa ? -1 : 1;
        if (da) return descending ? CompareDrives(b, a) : CompareDrives(a, b);
    }
    return descending ? CompareNames(b, a) : CompareNames(a, b);
}

int CompareItems(const TItem* a, const TItem* b) {
    return CompareByNameDrivesFirst(a, b, false);
}

std::uint64_t SortKey(const TItem* item) {
    const bool folder = item->IsFolder();
    const bool drive = folder && IsDrive(item);
    std::uint64_t key = drive ? 1 : folder ? 2 : 3; // drives, then folders, then files
    int bytes = 7;
    if (drive) {
        key = key << 8 | static_cast<unsigned char>(
                             model::UpperAscii(static_cast<const model::TDriveItem*>(item)->Letter()));
        bytes = 6;
    }
    // A name that ends here pads with zeros: it orders first, as the shorter name on a common prefix.
    const std::string_view name = item->Name();
    for (int i = 0; i < bytes; ++i)
        key =
            key << 8 | (static_cast<std::size_t>(i) < name.size()
                            ? static_cast<unsigned char>(model::UpperAscii(name[static_cast<std::size_t>(i)]))
                            : 0u);
    return key;
}

} // namespace viewer
