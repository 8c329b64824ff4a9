#include "model/UItem.h"

#include "model/UIconManager.h"
#include "model/URealIcons.h"
#include "model/UShellUtil.h"
#include "model/UTypeList.h"
#include "platform/PMounts.h"
#include "platform/PShell.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

namespace model {

// ---- text helpers ----

std::string UpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = UpperAscii(c);
    return out;
}

int CompareTextUpper(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(UpperAscii(a[i]));
        const auto y = static_cast<unsigned char>(UpperAscii(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

std::string ExtensionKey(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return "none";
    return UpperAscii(name.substr(dot));
}

namespace {
// Sizes and counts are summed with wrap-around on overflow (defined behaviour) rather than UB;
// no real tree comes near 2^63 bytes.
inline std::int64_t Add(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

std::vector<TTreeListener*>& Listeners() {
    static std::vector<TTreeListener*> listeners;
    return listeners;
}

std::string WithTrailingSlash(std::string_view path) {
    std::string s(path);
    if (!s.empty() && s.back() != '/') s += '/';
    return s;
}
} // namespace

// ---- TItemList ----

TItemList::~TItemList() {
    DestroyAll();
}

// Child arrays come from the pools too (no heap header for the many small folders).
void TItemList::Reserve(std::uint32_t capacity) {
    if (capacity <= FCapacity && FItems) return;
    auto* items = static_cast<TItem**>(PoolAllocate(capacity * sizeof(TItem*)));
    if (FCount) std::memcpy(items, FItems, FCount * sizeof(TItem*));
    if (FItems) PoolFree(FItems, FCapacity * sizeof(TItem*));
    FItems = items;
    FCapacity = capacity;
}

int TItemList::Add(TItem* item) {
    if (FCount == FCapacity) Reserve(FCapacity == 0 ? 4 : FCapacity * 2);
    FItems[FCount] = item;
    return static_cast<int>(FCount++);
}

void TItemList::Remove(TItem* item) {
    for (std::uint32_t i = FCount; i-- > 0;)
        if (FItems[i] == item) {
            std::memmove(FItems + i, FItems + i + 1, (FCount - i - 1) * sizeof(TItem*));
            --FCount;
            return;
        }
}

void TItemList::DestroyAll() {
    // Detach first, so that a destructor that looks at the list sees it empty. A folder's own
    // children are taken from it before it is destroyed and destroyed from here, so that a subtree
    // of any depth goes without one nested destructor call per level.
    struct TDetached {
        TItem** items;
        std::uint32_t count, capacity, next;
    };
    TDetached first{FItems, FCount, FCapacity, 0};
    FItems = nullptr;
    FCount = FCapacity = 0;
    std::vector<TDetached> deeper;
    for (;;) {
        TDetached& current = deeper.empty() ? first : deeper.back();
        if (current.next == current.count) {
            if (current.items) PoolFree(current.items, current.capacity * sizeof(TItem*));
            if (deeper.empty()) return;
            deeper.pop_back();
            continue;
        }
        TItem* item = current.items[current.next++];
        if (item->IsFolder()) {
            TItemList& children = static_cast<TFolderItem*>(item)->FChildren;
            if (children.FCount > 0) {
                deeper.push_back({children.FItems, children.FCount, children.FCapacity, 0});
                children.FItems = nullptr;
                children.FCount = children.FCapacity = 0;
            }
        }
        delete item;
    }
}

void TItemList::Sort(int (*compare)(const TItem*, const TItem*)) {
    std::sort(FItems, FItems + FCount,
              [compare](const TItem* a, const TItem* b) { return compare(a, b) < 0; });
}

void TItemList::Sort(int (*compare)(const TItem*, const TItem*), std::uint64_t (*key)(const TItem*)) {
    if (FCount < 2) return;
    struct TKeyed {
        std::uint64_t key;
        TItem* item;
    };
    std::vector<TKeyed> keyed(FCount);
    for (std::uint32_t i = 0; i < FCount; ++i)
        keyed[i] = {key(FItems[i]), FItems[i]};
    const auto less = [compare](const TKeyed& a, const TKeyed& b) {
        return a.key != b.key ? a.key < b.key : compare(a.item, b.item) < 0;
    };
    if (std::is_sorted(keyed.begin(), keyed.end(), less)) return;
    std::sort(keyed.begin(), keyed.end(), less);
    for (std::uint32_t i = 0; i < FCount; ++i)
        FItems[i] = keyed[i].item;
}

void TItemList::ShrinkToFit() {
    if (FCount == FCapacity) return;
    TItem** old = FItems;
    const std::uint32_t oldCapacity = FCapacity;
    FItems = FCount ? static_cast<TItem**>(PoolAllocate(FCount * sizeof(TItem*))) : nullptr;
    if (FCount) std::memcpy(FItems, old, FCount * sizeof(TItem*));
    FCapacity = FCount;
    if (old) PoolFree(old, oldCapacity * sizeof(TItem*));
}

// ---- listeners ----

void AddTreeListener(TTreeListener* listener) {
    Listeners().push_back(listener);
}
void RemoveTreeListener(TTreeListener* listener) {
    auto& l = Listeners();
    l.erase(std::remove(l.begin(), l.end(), listener), l.end());
}
void NotifyItemsAboutToBeRemoved(TFolderItem* folder, TItem* child) {
    for (TTreeListener* l : std::vector<TTreeListener*>(Listeners()))
        l->ItemsAboutToBeRemoved(folder, child);
}

// ---- TItem ----

// ---- names ----
//
// Before a heap item, the last byte of its prefix tells how its name is kept:
//   0..252  the name's length; the name stands right before that byte (NewItem)
//   255     a long name: its four-byte length before that byte, the name before the length
//   254     16-byte prefix; the first 8 bytes point to a name block of its own (plain new)
//   253     the same, the item's block being larger than the pools take
// Items not made on the heap (no kTagPrefix) keep their names in a side table.

namespace {
constexpr unsigned char kPointerPrefix = 254;
constexpr unsigned char kHeapPrefix = 253;
constexpr std::size_t kPointerPrefixBytes = 16;

struct SideNames {
    std::mutex lock;
    std::unordered_map<const TItem*, std::string> names;
};
SideNames& Side() {
    static SideNames* side = new SideNames;
    return *side;
}

unsigned char* NameBlock(std::string_view s) {
    auto* block = static_cast<unsigned char*>(PoolAllocate(NameHeaderBytes(s.size()) + s.size()));
    if (s.size() < 253) {
        block[0] = static_cast<unsigned char>(s.size());
        std::memcpy(block + 1, s.data(), s.size());
    } else {
        const std::uint32_t l = static_cast<std::uint32_t>(s.size());
        block[0] = kLongName;
        std::memcpy(block + 1, &l, 4);
        std::memcpy(block + 5, s.data(), s.size());
    }
    return block;
}

std::string_view NameBlockView(const unsigned char* block) {
    if (block[0] != kLongName) return {reinterpret_cast<const char*>(block + 1), block[0]};
    std::uint32_t l;
    std::memcpy(&l, block + 1, 4);
    return {reinterpret_cast<const char*>(block + 5), l};
}

void FreeNameBlock(unsigned char* block) {
    const std::string_view v = NameBlockView(block);
    PoolFree(block, NameHeaderBytes(v.size()) + v.size());
}

unsigned char*& PrefixPointer(const void* object) {
    return *reinterpret_cast<unsigned char**>(const_cast<char*>(static_cast<const char*>(object)) -
                                              kPointerPrefixBytes);
}

// The name written before object by WriteNameBefore, and the prefix's length in bytes.
std::string_view InlineName(const void* object, std::size_t* prefixBytes) {
    const auto* end = static_cast<const unsigned char*>(object);
    std::size_t length = end[-1], header = 1;
    if (end[-1] == kLongName) {
        std::uint32_t l;
        std::memcpy(&l, end - 5, 4);
        length = l;
        header = 5;
    }
    if (prefixBytes) *prefixBytes = (header + length + 7) & ~std::size_t(7);
    return {reinterpret_cast<const char*>(end - header - length), length};
}
} // namespace

TNameSlot& NameSlot() {
    thread_local TNameSlot slot;
    return slot;
}

std::size_t WriteNameBefore(void* object, std::string_view name) {
    auto* end = static_cast<unsigned char*>(object);
    if (name.size() < 253) {
        end[-1] = static_cast<unsigned char>(name.size());
        std::memcpy(end - 1 - name.size(), name.data(), name.size());
    } else {
        const std::uint32_t l = static_cast<std::uint32_t>(name.size());
        end[-1] = kLongName;
        std::memcpy(end - 5, &l, 4);
        std::memcpy(end - 5 - name.size(), name.data(), name.size());
    }
    return NamePrefixBytes(name);
}

void* TItem::operator new(std::size_t bytes) {
    const std::size_t total = kPointerPrefixBytes + bytes;
    char* block = static_cast<char*>(total > kMaxPooled ? ::operator new(total) : PoolAllocate(total));
    char* object = block + kPointerPrefixBytes;
    object[-1] = static_cast<char>(total > kMaxPooled ? kHeapPrefix : kPointerPrefix);
    PrefixPointer(object) = nullptr;
    NameSlot() = {object, false};
    return object;
}

void TItem::operator delete(void* object, std::size_t) noexcept {
    if (!object) return;
    // The prefix lies outside the destroyed object and is untouched by its destructors.
    const auto* end = static_cast<const unsigned char*>(object);
    char* o = static_cast<char*>(object);
    if (end[-1] == kHeapPrefix) {
        ::operator delete(o - kPointerPrefixBytes);
    } else if (end[-1] == kPointerPrefix) {
        PoolFree(o - kPointerPrefixBytes, kPointerPrefixBytes);
    } else {
        std::size_t prefix;
        InlineName(object, &prefix);
        PoolFree(o - prefix, prefix);
    }
}

TItem::TItem(std::string_view name, TFolderItem* parent)
    : FParentAndTags(reinterpret_cast<std::uintptr_t>(parent)) {
    TNameSlot& slot = NameSlot();
    if (slot.object == this) {
        FParentAndTags |= kTagPrefix;
        if (!slot.inlineName) PrefixPointer(this) = NameBlock(name);
        slot = {};
    } else {
        SideNames& side = Side();
        std::lock_guard<std::mutex> guard(side.lock);
        side.names[this] = std::string(name);
    }
}

TItem::~TItem() {
    if (FParentAndTags & kTagPrefix) {
        const auto* end = reinterpret_cast<const unsigned char*>(this);
        if (end[-1] == kPointerPrefix || end[-1] == kHeapPrefix) {
            FreeNameBlock(PrefixPointer(this));
            PrefixPointer(this) = nullptr;
        }
    } else {
        SideNames& side = Side();
        std::lock_guard<std::mutex> guard(side.lock);
        side.names.erase(this);
    }
}

std::string_view TItem::Name() const {
    if (FParentAndTags & kTagPrefix) {
        const auto* end = reinterpret_cast<const unsigned char*>(this);
        if (end[-1] == kPointerPrefix || end[-1] == kHeapPrefix) return NameBlockView(PrefixPointer(this));
        return InlineName(this, nullptr);
    }
    SideNames& side = Side();
    std::lock_guard<std::mutex> guard(side.lock);
    auto it = side.names.find(this);
    return it == side.names.end() ? std::string_view() : std::string_view(it->second);
}

void TItem::SetName(std::string_view name) {
    if (FParentAndTags & kTagPrefix) {
        const auto* end = reinterpret_cast<const unsigned char*>(this);
        if (end[-1] == kPointerPrefix || end[-1] == kHeapPrefix) {
            unsigned char* old = PrefixPointer(this);
            PrefixPointer(this) = NameBlock(name);
            FreeNameBlock(old);
            return;
        }
        const std::string_view current = InlineName(this, nullptr);
        if (current.size() == name.size()) { // same length: in place
            std::memmove(const_cast<char*>(current.data()), name.data(), name.size());
            return;
        }
        // Another length does not fit before the item: keep it aside (the prefix stays for freeing).
        FParentAndTags &= ~kTagPrefix;
    }
    SideNames& side = Side();
    std::lock_guard<std::mutex> guard(side.lock);
    side.names[this] = std::string(name);
}

void TItem::SetParent(TFolderItem* parent) {
    FParentAndTags = reinterpret_cast<std::uintptr_t>(parent) | (FParentAndTags & kTagMask);
}

void TItem::SetMarked(bool marked) {
    if (marked)
        FParentAndTags |= kTagMarked;
    else
        FParentAndTags &= ~kTagMarked;
}

namespace {
// The nearest ancestor of item (not item itself) that is a top item, or nullptr. Top items are the
// only classes that answer GetPath, PathSeparator and GetDriveKind on their own; every plain folder
// and file takes them from there, so these walks go up without recursion, whatever the depth.
const TTopItem* TopAbove(const TItem* item) {
    for (const TItem* i = item->Parent(); i; i = i->Parent())
        if (auto* top = dynamic_cast<const TTopItem*>(i)) return top;
    return nullptr;
}

// Parent's path + own name (+ separator), built once from the nearest top item down.
std::string JoinedPath(const TItem* item, bool trailingSeparator) {
    std::vector<const TItem*> chain;
    const TItem* i = item->Parent();
    std::size_t length = item->Name().size() + 1;
    for (; i && !dynamic_cast<const TTopItem*>(i); i = i->Parent()) {
        chain.push_back(i);
        length += i->Name().size() + 1;
    }
    std::string path = i ? i->GetPath() : std::string();
    const char separator = item->PathSeparator(); // the same below one top item
    path.reserve(path.size() + length);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        path += (*it)->Name();
        path += separator;
    }
    path += item->Name();
    if (trailingSeparator) path += separator;
    return path;
}
} // namespace

std::string TItem::GetPath() const {
    return JoinedPath(this, true);
}

char TItem::PathSeparator() const {
    const TTopItem* top = TopAbove(this);
    return top ? top->PathSeparator() : '/';
}

std::uint8_t TItem::GetDriveKind() const {
    const TTopItem* top = TopAbove(this);
    return top ? top->GetDriveKind() : std::uint8_t{kKindOther};
}

void TItem::ClearMark() {
    SetMarked(false);
}

bool TItem::IsMarked() const {
    for (const TItem* i = this; i; i = i->Parent())
        if (i->Marked()) return true;
    return false;
}

TRootItem* TItem::FindRoot() const {
    for (const TItem* i = this; i; i = i->Parent())
        if (auto* root = dynamic_cast<const TRootItem*>(i)) return const_cast<TRootItem*>(root);
    return nullptr;
}

std::string TItem::TypeName() const {
    return TypeList().TypeName(FTypeIndex);
}

bool TItem::IsAncestor(const TItem* item) const {
    for (const TItem* i = this; i; i = i->Parent())
        if (i == item) return true;
    return false;
}

bool GoesWith(const TItem* item, const TFolderItem* folder, const TItem* child) {
    return child ? item->IsAncestor(child) : item != folder && item->IsAncestor(folder);
}

// ---- TFileItem ----

std::string TFileItem::GetPath() const {
    if (!Parent()) return NameString();
    return JoinedPath(this, false);
}

void TFileItem::ResolveType() {
    if (TypeIndex() == -1) SetTypeIndex(TypeList().IndexOfExtension(ExtensionKey(Name())));
}

void TFileItem::ResolveIcon() {
    if (IconIndex() != -1) return;
    if (IconManager().UseRealIcons(GetDriveKind())) {
        if (TRealIcons* later = InstalledRealIcons()) {
            // The icon of its type until its own comes.
            ResolveType();
            SetIconIndex(TypeList().IconIndex(TypeIndex()));
            later->Request(this);
            return;
        }
        std::string typeName;
        SetIconIndex(GetShellIcon(GetPath(), false, typeName));
        if (IconIndex() != -1 && TypeIndex() == -1 && !typeName.empty())
            SetTypeIndex(TypeList().IndexOfName(typeName));
    } else {
        ResolveType();
        SetIconIndex(TypeList().IconIndex(TypeIndex()));
    }
    ResolveType();
    if (IconIndex() == -1) SetIconIndex(TypeList().IconIndex(TypeIndex()));
}

// ---- TFolderItem ----

TFolderItem::TFolderItem(std::string_view name, TFolderItem* parent) : TItem(name, parent) {
    SetFolderTag();
}

TFolderItem::~TFolderItem() = default; // the child list destroys the subtree

namespace {
// A folder's date: the latest of its children's (files their own, folders this same rule) when
// it holds explored content and that is positive, else its own. One walk, children before their
// folder, without recursion; whether a folder holds explored content comes out of the same walk.
template <typename Own> TDateTime FolderDate(const TFolderItem* top, Own own) {
    struct TFrame {
        const TFolderItem* folder;
        int next;
        TDateTime latest;
        bool content;
    };
    std::vector<TFrame> stack{{top, 0, 0, false}};
    TDateTime result = 0;
    while (!stack.empty()) {
        TFrame& f = stack.back();
        if (f.next < f.folder->ChildCount()) {
            const TItem* child = f.folder->Child(f.next++);
            if (child->IsFolder()) {
                stack.push_back({static_cast<const TFolderItem*>(child), 0, 0, false});
                continue;
            }
            const TDateTime d = own(child);
            if (d > f.latest) f.latest = d; // NaN never wins
            continue;
        }
        const bool content = f.folder->IsExplored() || f.content;
        const TDateTime date = content && f.latest != 0 ? f.latest : own(f.folder);
        stack.pop_back();
        if (stack.empty()) {
            result = date;
            break;
        }
        TFrame& parent = stack.back();
        if (date > parent.latest) parent.latest = date;
        parent.content = parent.content || content;
    }
    return result;
}
} // namespace

TDateTime TFolderItem::GetModified() const {
    return FolderDate(this, [](const TItem* i) { return i->Modified(); });
}

TDateTime TFolderItem::GetAccessed() const {
    return FolderDate(this, [](const TItem* i) { return i->Accessed(); });
}

std::int64_t TFolderItem::GetMarkedFileCount() const {
    // Whether a file counts depends on its folders' marks: they go down with the walk instead of
    // being looked up from each file.
    std::int64_t count = 0;
    std::vector<std::pair<const TFolderItem*, bool>> todo{{this, IsMarked()}};
    while (!todo.empty()) {
        const auto [folder, marked] = todo.back();
        todo.pop_back();
        for (const TItem* child : folder->FChildren) {
            if (child->IsFolder())
                todo.emplace_back(static_cast<const TFolderItem*>(child), marked || child->Marked());
            else if (marked || child->Marked())
                count = Add(count, child->GetFileCount());
        }
    }
    return count;
}

void TFolderItem::ClearMark() {
    std::vector<TFolderItem*> todo{this};
    while (!todo.empty()) {
        TFolderItem* folder = todo.back();
        todo.pop_back();
        folder->SetMarked(false);
        for (TItem* child : folder->FChildren) {
            if (child->IsFolder())
                todo.push_back(static_cast<TFolderItem*>(child));
            else
                child->ClearMark();
        }
    }
}

void TFolderItem::ResolveIcon() {
    TIconManager& icons = IconManager();
    // Below its top item a folder is a directory that exploring found, and the desktop gives every
    // directory the folder icons and type: neither its drive nor its path is looked up, which would
    // cost every folder the depth of its tree (and a path too long to ask about at all).
    if (!dynamic_cast<const TTopItem*>(this) || !icons.UseRealIcons(GetDriveKind())) {
        if (IconIndex() == -1) SetIconIndex(icons.FolderIcon);
        if (OpenIconIndex() == -1) SetOpenIconIndex(icons.OpenFolderIcon);
        if (TypeIndex() == -1) SetTypeIndex(icons.FolderType());
        return;
    }
    if (TRealIcons* later = InstalledRealIcons()) {
        // The folder icons until its own come.
        const bool asked = IconIndex() == -1 || OpenIconIndex() == -1;
        if (IconIndex() == -1) SetIconIndex(icons.FolderIcon);
        if (OpenIconIndex() == -1) SetOpenIconIndex(icons.OpenFolderIcon);
        if (TypeIndex() == -1) SetTypeIndex(icons.FolderType());
        if (asked) later->Request(this);
        return;
    }
    const std::string path = GetPath();
    std::string typeName;
    if (IconIndex() == -1) {
        SetIconIndex(GetShellIcon(path, false, typeName));
        if (IconIndex() != -1 && TypeIndex() == -1 && !typeName.empty())
            SetTypeIndex(TypeList().IndexOfName(typeName));
    }
    if (TypeIndex() == -1) SetTypeIndex(icons.FolderType());
    if (IconIndex() == -1) SetIconIndex(icons.FolderIcon);
    if (OpenIconIndex() == -1) {
        const int open = GetShellIcon(path, true, typeName);
        SetOpenIconIndex(open != -1 ? open : IconIndex());
    }
}

void TFolderItem::DestroyChildren() {
    if (FChildren.Count() == 0) return;
    NotifyItemsAboutToBeRemoved(this, nullptr);
    FChildren.DestroyAll();
}

void TFolderItem::Clear() {
    DestroyChildren();
    FListed = FExplored = FChildrenListed = false;
    UpdateTotals();
}

void TFolderItem::ComputeTotals() {
    // Children before their folder, from the last child to the first, with a stack of our own.
    // Whether a folder holds explored content comes out of the same walk.
    struct TFrame {
        TFolderItem* folder;
        int next; // the next child to add, counting down
        std::int64_t size, files, folders;
        bool content;
    };
    PrepareTotals();
    std::vector<TFrame> stack{{this, FChildren.Count() - 1, 0, 0, 0, false}};
    while (!stack.empty()) {
        TFrame& f = stack.back();
        if (f.next >= 0) {
            TItem* child = f.folder->FChildren.Get(f.next--);
            if (child->IsFolder()) {
                auto* sub = static_cast<TFolderItem*>(child);
                sub->PrepareTotals();
                stack.push_back({sub, sub->FChildren.Count() - 1, 0, 0, 0, false});
                continue;
            }
            f.size = Add(f.size, child->GetSize());
            f.files = Add(f.files, child->GetFileCount());
            f.folders = Add(f.folders, child->GetFolderCount());
            continue;
        }
        TFolderItem* folder = f.folder;
        folder->SetTotals(f.size, f.files, f.folders);
        const bool content = folder->IsExplored() || f.content;
        stack.pop_back();
        if (stack.empty()) break;
        TFrame& parent = stack.back();
        if (content && !dynamic_cast<TTopItem*>(folder)) parent.folders = Add(parent.folders, 1);
        parent.size = Add(parent.size, folder->GetSize());
        parent.files = Add(parent.files, folder->GetFileCount());
        parent.folders = Add(parent.folders, folder->GetFolderCount());
        parent.content = parent.content || content;
    }
}

void TFolderItem::UpdateTotals() {
    TFolderItem* top = this;
    while (top->Parent())
        top = top->Parent();
    top->ComputeTotals();
}

bool TFolderItem::HasExploredContent() const {
    std::vector<const TFolderItem*> todo{this};
    while (!todo.empty()) {
        const TFolderItem* folder = todo.back();
        todo.pop_back();
        if (folder->IsExplored()) return true;
        for (const TItem* child : folder->FChildren)
            if (child->IsFolder()) todo.push_back(static_cast<const TFolderItem*>(child));
    }
    return false;
}

void TFolderItem::AddChild(TItem* item) {
    item->SetParent(this);
    FChildren.Add(item);
}

void TFolderItem::RemoveChild(TItem* item) {
    DetachChild(item);
    UpdateTotals();
}

void TFolderItem::DetachChild(TItem* item) {
    NotifyItemsAboutToBeRemoved(this, item);
    FChildren.Remove(item);
    item->SetParent(nullptr);
}

TItem* TFolderItem::FindChild(std::string_view name) const {
    for (int i = FChildren.Count() - 1; i >= 0; --i)
        if (FChildren.Get(i)->Name() == name) return FChildren.Get(i);
    return nullptr;
}

void TFolderItem::SortChildren() {
    FChildren.Sort(CompareItems);
}

bool TFolderItem::HasMarkedDescendant() const {
    if (IsMarked()) return true;
    std::vector<const TFolderItem*> todo{this};
    while (!todo.empty()) {
        const TFolderItem* folder = todo.back();
        todo.pop_back();
        if (folder->Marked()) return true;
        for (const TItem* child : folder->FChildren)
            if (child->IsFolder()) todo.push_back(static_cast<const TFolderItem*>(child));
    }
    return false;
}

bool TFolderItem::ContainsItem(const TItem* item) const {
    // Lying in a folder descendant is having this folder among one's ancestors.
    return item && item->IsAncestor(this);
}

void TFolderItem::SetTotals(std::int64_t size, std::int64_t files, std::int64_t folders) {
    FTotalSize = size;
    FFileCount = files;
    FFolderCount = folders;
}

// ---- TDriveItem ----

TDriveItem::TDriveItem(std::string_view mountPoint, std::uint8_t kind, TFolderItem* parent)
    : TTopItem(mountPoint, parent), FMountPoint(mountPoint), FLetter('/'), FDriveKind(kind) {}

TDriveItem::TDriveItem(char letter, TFolderItem* parent)
    : TTopItem(std::string(1, letter) + ":", parent), FLetter(letter), FDriveKind(kKindOther) {
    if (letter == '{') SetListed(true); // the comparators' placeholder
}

std::string TDriveItem::GetPath() const {
    if (FLetter == '/') return WithTrailingSlash(FMountPoint);
    return std::string(1, FLetter) + ":\\";
}

char TDriveItem::PathSeparator() const {
    return FLetter == '/' ? '/' : '\\';
}

std::int64_t TDriveItem::FreeSpace() const {
    return Listed() ? FFree : -1;
}
std::int64_t TDriveItem::TotalSpace() const {
    return Listed() ? FTotal : -1;
}
std::int64_t TDriveItem::UsedSpace() const {
    if (!Listed() || FFree < 0 || FTotal < 0) return -1;
    return FTotal - FFree;
}

void TDriveItem::RefreshSpace() {
    RefreshSpaces({this});
}

namespace {
TDriveSpaces* gDriveSpaces = nullptr;
} // namespace

void SetDriveSpaces(TDriveSpaces* spaces) {
    gDriveSpaces = spaces;
}

void TDriveItem::RefreshSpaces(const std::vector<TDriveItem*>& drives) {
    if (gDriveSpaces) {
        if (!drives.empty()) gDriveSpaces->Measure(drives);
        return;
    }
    std::vector<std::string> paths;
    paths.reserve(drives.size());
    for (const TDriveItem* drive : drives)
        paths.push_back(drive->GetPath());
    const std::vector<platform::TSpace> spaces = platform::MeasureSpaces(paths);
    for (std::size_t i = 0; i < drives.size(); ++i)
        drives[i]->SetSpace(spaces[i].free, spaces[i].total);
}

void TDriveItem::PrepareTotals() {
    if (ChildCount() > 0)
        RefreshSpace();
    else
        FFree = FTotal = 0;
}

void TDriveItem::ResolveIcon() {
    TIconManager& icons = IconManager();
    if (IconIndex() == -1)
        SetIconIndex(platform::Shell().DriveIcon(FDriveKind == kKindRemovable, FDriveKind == kKindRemote));
    if (TypeIndex() == -1) SetTypeIndex(icons.DriveType());
    if (IconIndex() == -1) SetIconIndex(icons.DriveIcon);
    if (OpenIconIndex() == -1) SetOpenIconIndex(IconIndex());
}

// ---- preferred and manual items ----

TPreferredDriveItem::TPreferredDriveItem(std::string_view mountPoint, std::uint8_t kind, TFolderItem* parent)
    : TManualDriveItem(mountPoint, kind, parent) {
    SetExploreAtStart(false);
}

void TPreferredDriveItem::SetExploreAtStart(bool b) {
    FExploreAtStart = b;
    SetStateIndex(b ? 1 : 2);
}

TManualRootItem::TManualRootItem(TFolderItem* parent) : TTopItem("My Manual Explorations", parent) {
    SetListed(true);
    SetChildrenListed(true);
    SetIconIndex(GetProgramIcon());
    SetOpenIconIndex(IconIndex());
    SetSortKey('~');
}

void TManualRootItem::Clear() {
    TTopItem::Clear();
    SetListed(true);
    SetChildrenListed(true);
}

TPreferredRootItem::TPreferredRootItem(TFolderItem* parent) : TManualRootItem(parent) {
    SetName("My Preferred Explorations");
    SetSortKey('}');
}

namespace {
std::uint8_t KindOfManualPath(std::string_view path) {
    if (path.size() >= 2 && path[0] == '/' && path[1] == '/') return kKindRemote;
    return platform::DriveKindOfPath(path);
}
} // namespace

TManualItem::TManualItem(std::string_view path, TFolderItem* parent)
    : TManualItem(path, KindOfManualPath(WithTrailingSlash(path)), parent) {}

TManualItem::TManualItem(std::string_view path, std::uint8_t kind, TFolderItem* parent)
    : TTopItem(WithTrailingSlash(path), parent), FDriveKind(kind) {}

TPreferredItem::TPreferredItem(std::string_view path, TFolderItem* parent) : TManualItem(path, parent) {
    SetExploreAtStart(false);
}

TPreferredItem::TPreferredItem(std::string_view path, std::uint8_t kind, TFolderItem* parent)
    : TManualItem(path, kind, parent) {
    SetExploreAtStart(false);
}

void TPreferredItem::SetExploreAtStart(bool b) {
    FExploreAtStart = b;
    SetStateIndex(b ? 1 : 2);
}

// ---- containers ----

TComputerRootItem::TComputerRootItem(TFolderItem* parent) : TTopItem(GetMyComputerName(), parent) {
    SetSortKey('{');
    SetIconIndex(GetComputerIcon());
    SetOpenIconIndex(IconIndex());
    TComputerRootItem::Explore();
}

int TComputerRootItem::FindDrive(std::string_view mountPoint) const {
    for (int i = ChildCount() - 1; i >= 0; --i)
        if (auto* drive = dynamic_cast<TDriveItem*>(Child(i)); drive && drive->MountPoint() == mountPoint)
            return i;
    return -1;
}

namespace {
template <typename T, typename Skip = void> T* LastChildOf(const TFolderItem& folder) {
    for (int i = folder.ChildCount() - 1; i >= 0; --i) {
        TItem* child = folder.Child(i);
        if constexpr (!std::is_void_v<Skip>)
            if (dynamic_cast<Skip*>(child)) continue;
        if (auto* t = dynamic_cast<T*>(child)) return t;
    }
    return nullptr;
}
} // namespace

TComputerRootItem* TRootItem::ComputerRoot() const {
    return LastChildOf<TComputerRootItem>(*this);
}
TNetworkRootItem* TRootItem::NetworkRoot() const {
    return LastChildOf<TNetworkRootItem>(*this);
}
TPreferredRootItem* TRootItem::PreferredRoot() const {
    return LastChildOf<TPreferredRootItem>(*this);
}
TManualRootItem* TRootItem::ManualRoot() const {
    return LastChildOf<TManualRootItem, TPreferredRootItem>(*this);
}

TComputerRootItem* TRootItem::EnsureComputerRoot() {
    if (auto* c = ComputerRoot()) return c;
    auto* c = new TComputerRootItem(this);
    AddChild(c);
    return c;
}

TPreferredRootItem* TRootItem::EnsurePreferredRoot() {
    if (auto* p = PreferredRoot()) return p;
    auto* p = new TPreferredRootItem(this);
    AddChild(p);
    return p;
}

TManualRootItem* TRootItem::EnsureManualRoot() {
    if (auto* m = ManualRoot()) return m;
    auto* m = new TManualRootItem(this);
    AddChild(m);
    return m;
}

TNetworkRootItem* TRootItem::EnsureNetworkRoot() {
    if (auto* n = NetworkRoot()) return n;
    auto* n = new TNetworkRootItem(this);
    AddChild(n);
    return n;
}

TNetworkContainerItem::TNetworkContainerItem(std::string_view name, std::string_view displayPath,
                                             TFolderItem* parent)
    : TNetworkItem(name, parent), FDisplayPath(displayPath.empty() ? name : displayPath) {
    SetIconIndex(GetNetworkIcon());
    SetOpenIconIndex(IconIndex());
}

bool TNetworkContainerItem::IsExplored() const {
    if (!Listed()) return false;
    for (const TItem* child : Children())
        if (child->IsFolder() && !static_cast<const TFolderItem*>(child)->IsExplored()) return false;
    return true;
}

TNetworkRootItem::TNetworkRootItem(TFolderItem* parent)
    : TNetworkContainerItem(kNetworkNeighborhood, kNetworkNeighborhood, parent) {
    SetSortKey('|');
}

TNetworkDriveItem::TNetworkDriveItem(std::string_view uncPath, std::string_view mountPoint,
                                     TFolderItem* parent)
    : TNetworkItem(uncPath.substr(uncPath.rfind('/') == std::string_view::npos ? 0 : uncPath.rfind('/') + 1),
                   parent),
      FUncPath(uncPath), FMountPoint(mountPoint) {}

std::string TNetworkDriveItem::GetPath() const {
    return WithTrailingSlash(FMountPoint);
}

// ---- order ----

int CompareItems(const TItem* a, const TItem* b) {
    const bool fa = a->IsFolder(), fb = b->IsFolder();
    if (fa != fb) return fa ? -1 : 1;
    const int c = CompareTextUpper(a->Name(), b->Name());
    if (c != 0) return c;
    const int raw = a->Name().compare(b->Name());
    return raw < 0 ? -1 : raw > 0 ? 1 : 0;
}

} // namespace model
