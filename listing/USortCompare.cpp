#include "listing/USortCompare.h"

#include "listing/UColumn.h"
#include "model/UItem.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <typeinfo>
#include <unordered_map>

namespace listing {

using namespace model;

namespace {

// One-character texts for drive letters and sort keys, so that a key can point at them.
const std::array<char, 256>& CharTable() {
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[i] = static_cast<char>(i);
        return t;
    }();
    return table;
}

std::string_view CharView(char c) {
    return {&CharTable()[static_cast<unsigned char>(c)], 1};
}

template <class T> int Cmp(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// NaN is one value, below every number, so that dates read from damaged files still sort.
int CmpReal(double a, double b) {
    const bool na = std::isnan(a), nb = std::isnan(b);
    if (na || nb) return na == nb ? 0 : (na ? -1 : 1);
    return Cmp(a, b);
}

int CmpBytes(std::string_view a, std::string_view b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool Unexplored(const TItem* row) {
    return ExploreState(row) == TExploreState::Unexplored;
}

const TTopItem* AsTop(const TItem* row) {
    return dynamic_cast<const TTopItem*>(row);
}
const TDriveItem* AsDrive(const TItem* row) {
    return dynamic_cast<const TDriveItem*>(row);
}

// The drive family's letter: a lettered drive's letter, a mounted file system's mount point; other
// rows take their sort key (top items) or '{', which sorts after every letter.
std::string_view LetterView(const TItem* row) {
    if (const TDriveItem* d = AsDrive(row)) {
        if (d->Letter() != '/') return CharView(d->Letter());
        if (!d->MountPoint().empty()) return d->MountPoint();
        return d->Name();
    }
    if (const TTopItem* t = AsTop(row)) return CharView(t->SortKey());
    return CharView('{');
}

// Files and folders of the main window's count columns: files -2 ascending / -1 descending,
// unexplored folders -1 / -2, so files come before unexplored folders both ways.
std::int64_t CountValue(const TItem* row, bool files, bool descending) {
    if (!row->IsFolder()) return descending ? -1 : -2;
    if (Unexplored(row)) return descending ? -2 : -1;
    return files ? row->GetFileCount() : row->GetFolderCount();
}

// While a whole list is sorted, the upper-cased paths of the rows' parents are built once per
// parent (rows of one folder share it); single comparisons build them afresh.
thread_local std::unordered_map<const TFolderItem*, std::string>* tParentPaths = nullptr;

const std::string& UpperParentPath(const TFolderItem* parent, std::string& scratch) {
    if (tParentPaths) {
        auto [it, added] = tParentPaths->try_emplace(parent);
        if (added) it->second = UpperAscii(parent->GetPath());
        return it->second;
    }
    scratch = UpperAscii(parent->GetPath());
    return scratch;
}

// ---- key makers ----
// A nullptr row sorts first in every family and equals another nullptr row.
#define NIL_FIRST                                                                                            \
    if (!row) {                                                                                              \
        k.part = INT32_MIN;                                                                                  \
        return;                                                                                              \
    }

void KFLName(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST k.sub = row->IsFolder() ? 1 : 0;
    k.view = row->Name();
}
void KItemName(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST k.part = row->IsFolder() ? 0 : 1;
    k.view = row->Name();
}
void KNameDrivesFirst(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST if (AsDrive(row)) {
        k.part = 0;
        k.view = LetterView(row);
    }
    else {
        k.part = row->IsFolder() ? 1 : 2;
        k.view = row->Name();
    }
}
void KInFolder(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST const TFolderItem* parent = row->Parent();
    std::string scratch;
    if (parent) k.text = UpperParentPath(parent, scratch);
    k.tie = row->Name();
}
void KItemInFolder(const TItem* row, bool d, TSortKey& k) {
    NIL_FIRST KInFolder(row, d, k);
    k.part = row->Parent() ? 1 : 0;
}
void KSize(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST k.number = row->GetSize();
    k.tie = row->Name();
}
void KItemSize(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST k.number = Unexplored(row) ? -1 : row->GetSize();
    k.part = k.number < 0 ? 1 : 0;
    k.tie = row->Name();
}
void KType(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST k.text = UpperAscii(row->TypeName());
    k.tie = row->Name();
}
void KModified(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST k.real = row->GetModified();
    k.tie = row->Name();
}
void KAccessed(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST k.real = row->GetAccessed();
    k.tie = row->Name();
}
void KCreated(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST k.real = row->Created();
    k.tie = row->Name();
}
void KModifiedReal(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST k.real = row->Modified();
    k.tie = row->Name();
}
void KAccessedReal(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST k.real = row->Accessed();
    k.tie = row->Name();
}
void KAttributes(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST k.text = AttributeLetters(row->Attributes());
    k.tie = row->Name();
}
void KPath(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST const TFolderItem* parent = row->Parent();
    // A file's path is its parent's path and its name; other rows build their own.
    if (parent && typeid(*row) == typeid(TFileItem)) {
        std::string scratch;
        const std::string& head = UpperParentPath(parent, scratch);
        k.text.reserve(head.size() + row->Name().size());
        k.text = head;
        k.text += UpperAscii(row->Name());
    } else {
        k.text = UpperAscii(row->GetPath());
    }
    k.tie = row->Name();
}
void KExtension(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST k.text = UpperAscii(ExtensionText(row->NameString()));
    k.tie = row->Name();
}
void KItemExtension(const TItem* row, bool d, TSortKey& k) {
    NIL_FIRST KExtension(row, d, k);
    k.part = row->IsFolder() ? 0 : 1;
}
void KItemFiles(const TItem* row, bool d, TSortKey& k) {
    NIL_FIRST k.number = CountValue(row, true, d);
    k.part = k.number < 0 ? 1 : 0;
    k.tie = row->Name();
}
void KItemFolders(const TItem* row, bool d, TSortKey& k) {
    NIL_FIRST k.number = CountValue(row, false, d);
    k.part = k.number < 0 ? 1 : 0;
    k.tie = row->Name();
}

// Drive family.
void KDriveLetter(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST k.view = LetterView(row);
}
void KDriveType(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST k.text = UpperAscii(row->TypeName());
    k.tie = LetterView(row);
}
template <int Which> void KDriveExplored(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST if (Unexplored(row)) k.number = -1;
    else k.number = Which == 0 ? row->GetFileCount() : Which == 1 ? row->GetFolderCount() : row->GetSize();
    k.part = k.number < 0 ? 1 : 0;
    k.tie = LetterView(row);
}
// The sentinel of a row without a known space: a drive not listed -256 / -1; a top item minus its
// sort key / its sort key - 256; any other row -2 / -1.
double SpaceSentinel(const TItem* row, bool descending) {
    if (AsDrive(row)) return descending ? -1 : -256;
    if (const TTopItem* t = AsTop(row)) {
        const int code = std::max(1, static_cast<int>(static_cast<unsigned char>(t->SortKey())));
        return descending ? code - 256 : -code;
    }
    return descending ? -1 : -2;
}
template <int Which> void KDriveSpace(const TItem* row, bool d, TSortKey& k) {
    NIL_FIRST const TDriveItem* drive = AsDrive(row);
    if (drive && DriveSpaceKnown(drive)) {
        switch (Which) {
        case 0:
            k.number = drive->UsedSpace();
            break;
        case 1:
            k.number = drive->TotalSpace();
            break;
        case 2:
            k.number = drive->FreeSpace();
            break;
        case 3:
            k.real = PercentOf(drive->UsedSpace(), drive->TotalSpace());
            break;
        default:
            k.real = PercentOf(drive->FreeSpace(), drive->TotalSpace());
            break;
        }
    } else {
        const double s = SpaceSentinel(row, d);
        k.number = static_cast<std::int64_t>(s);
        k.real = s;
    }
    k.part = (Which < 3 ? k.number < 0 : k.real < 0) ? 1 : 0;
    k.tie = LetterView(row);
}

// Top-item family: rows that are not top items first, all equal.
void KTopOrder(const TItem* row, bool, TSortKey& k) {
    NIL_FIRST const TTopItem* t = AsTop(row);
    if (!t) return;
    k.part = 1;
    k.number = static_cast<unsigned char>(t->SortKey());
}
template <int Which> void KTopValue(const TItem* row, bool d, TSortKey& k) {
    NIL_FIRST const TTopItem* t = AsTop(row);
    if (!t) return;
    if (Which == 0)
        k.number = Unexplored(row) ? -1 : row->GetSize();
    else
        k.number = CountValue(row, Which == 1, d);
    k.part = k.number < 0 ? 2 : 1;
    k.tie = CharView(t->SortKey());
}

#undef NIL_FIRST

struct TDef {
    const char* name;
    TSortFamily family;
    TSortKeyKind key;
    TPrimaryType primary;
    TItemComparator::TKeyFunc make;
};

using F = TSortFamily;
using K = TSortKeyKind;
using P = TPrimaryType;

const TDef kDefs[] = {
    {"FLCompareByName", F::FileLister, K::Name, P::View, KFLName},
    {"FLCompareByFolder", F::FileLister, K::InFolder, P::Text, KInFolder},
    {"FLCompareBySize", F::FileLister, K::Size, P::Number, KSize},
    {"FLCompareByType", F::FileLister, K::Type, P::Text, KType},
    {"FLCompareByModified", F::FileLister, K::Modified, P::Real, KModified},
    {"FLCompareByCreated", F::FileLister, K::Created, P::Real, KCreated},
    {"FLCompareByAccessed", F::FileLister, K::Accessed, P::Real, KAccessed},
    {"FLCompareByAttributes", F::FileLister, K::Attributes, P::Text, KAttributes},
    {"FLCompareByPath", F::FileLister, K::Path, P::Text, KPath},
    {"FLCompareByExtension", F::FileLister, K::Extension, P::Text, KExtension},
    {"FLCompareByModifiedReal", F::FileLister, K::ModifiedReal, P::Real, KModifiedReal},
    {"FLCompareByCreatedReal", F::FileLister, K::CreatedReal, P::Real, KCreated},
    {"FLCompareByAccessedReal", F::FileLister, K::AccessedReal, P::Real, KAccessedReal},

    {"CompareByName", F::Item, K::Name, P::View, KItemName},
    {"CompareByFolder", F::Item, K::InFolder, P::Text, KItemInFolder},
    {"CompareBySize", F::Item, K::Size, P::Number, KItemSize},
    {"CompareByType", F::Item, K::Type, P::Text, KType},
    {"CompareByModified", F::Item, K::Modified, P::Real, KModified},
    {"CompareByCreated", F::Item, K::Created, P::Real, KCreated},
    {"CompareByAccessed", F::Item, K::Accessed, P::Real, KAccessed},
    {"CompareByAttributes", F::Item, K::Attributes, P::Text, KAttributes},
    {"CompareByPath", F::Item, K::Path, P::Text, KPath},
    {"CompareByExtension", F::Item, K::Extension, P::Text, KItemExtension},
    {"CompareByFiles", F::Item, K::Files, P::Number, KItemFiles},
    {"CompareByFolders", F::Item, K::Folders, P::Number, KItemFolders},
    {"CompareByModifiedReal", F::Item, K::ModifiedReal, P::Real, KModifiedReal},
    {"CompareByCreatedReal", F::Item, K::CreatedReal, P::Real, KCreated},
    {"CompareByAccessedReal", F::Item, K::AccessedReal, P::Real, KAccessedReal},

    {"CompareDriveByLetter", F::Drive, K::Letter, P::View, KDriveLetter},
    {"CompareDriveByType", F::Drive, K::Type, P::Text, KDriveType},
    {"CompareDriveByFiles", F::Drive, K::Files, P::Number, KDriveExplored<0>},
    {"CompareDriveByFolders", F::Drive, K::Folders, P::Number, KDriveExplored<1>},
    {"CompareDriveByUsedSpace", F::Drive, K::UsedSpace, P::Number, KDriveExplored<2>},
    {"CompareDriveByUsedOnDrive", F::Drive, K::UsedOnDrive, P::Number, KDriveSpace<0>},
    {"CompareDriveByTotal", F::Drive, K::Total, P::Number, KDriveSpace<1>},
    {"CompareDriveByFree", F::Drive, K::Free, P::Number, KDriveSpace<2>},
    {"CompareDriveByUsedPercent", F::Drive, K::UsedPercent, P::Real, KDriveSpace<3>},
    {"CompareDriveByFreePercent", F::Drive, K::FreePercent, P::Real, KDriveSpace<4>},

    {"CompareTopByOrder", F::Top, K::Order, P::Number, KTopOrder},
    {"CompareTopBySize", F::Top, K::Size, P::Number, KTopValue<0>},
    {"CompareTopByFiles", F::Top, K::Files, P::Number, KTopValue<1>},
    {"CompareTopByFolders", F::Top, K::Folders, P::Number, KTopValue<2>},

    {"CompareByNameDrivesFirst", F::Viewer, K::NameDrivesFirst, P::View, KNameDrivesFirst},
};

struct TTable {
    std::vector<TItemComparator> items; // asc, desc per definition
    std::vector<const TItemComparator*> all;
    TTable() {
        items.reserve(2 * std::size(kDefs));
        for (const TDef& d : kDefs)
            for (bool desc : {false, true})
                items.push_back({d.name, d.family, d.key, desc, d.primary, d.make});
        for (const TItemComparator& c : items)
            all.push_back(&c);
    }
};

const TTable& Table() {
    static const TTable table;
    return table;
}

const TItemComparator* Pick(TSortFamily family, TSortKeyKind key, int sortCode) {
    return FindComparator(family, key, sortCode % 2 != 0);
}

// Item-list keys by column id (File/Folder View and File Lister).
bool ItemKeyOfId(int id, TSortKeyKind& key) {
    switch (id) {
    case 0:
        key = K::Name;
        return true;
    case 1:
        key = K::Size;
        return true;
    case 2:
        key = K::Type;
        return true;
    case 3:
        key = K::Modified;
        return true;
    case 4:
        key = K::Created;
        return true;
    case 5:
        key = K::Accessed;
        return true;
    case 6:
        key = K::Attributes;
        return true;
    case 7:
        key = K::InFolder;
        return true;
    case 8:
        key = K::Path;
        return true;
    case 9:
        key = K::Files;
        return true;
    case 10:
        key = K::Folders;
        return true;
    case 16:
        key = K::Extension;
        return true;
    case 19:
        key = K::ModifiedReal;
        return true;
    case 20:
        key = K::CreatedReal;
        return true;
    case 21:
        key = K::AccessedReal;
        return true;
    default:
        return false;
    }
}

bool DriveKeyOfId(int id, TSortKeyKind& key) {
    switch (id) {
    case 0:
        key = K::Letter;
        return true;
    case 2:
        key = K::Type;
        return true;
    case 9:
        key = K::Files;
        return true;
    case 10:
        key = K::Folders;
        return true;
    case 11:
        key = K::UsedSpace;
        return true;
    case 12:
        key = K::UsedOnDrive;
        return true;
    case 13:
        key = K::Total;
        return true;
    case 14:
        key = K::Free;
        return true;
    case 17:
        key = K::UsedPercent;
        return true;
    case 18:
        key = K::FreePercent;
        return true;
    default:
        return false;
    }
}

bool Offered(int id, std::initializer_list<int> ids) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

} // namespace

int TItemComparator::CompareKeys(const TSortKey& a, const TSortKey& b) const {
    if (a.part != b.part) return a.part < b.part ? -1 : 1;
    int c = Cmp(a.sub, b.sub);
    if (c == 0) {
        switch (Primary) {
        case TPrimaryType::Number:
            c = Cmp(a.number, b.number);
            break;
        case TPrimaryType::Real:
            c = CmpReal(a.real, b.real);
            break;
        case TPrimaryType::Text:
            c = CmpBytes(a.text, b.text);
            break;
        case TPrimaryType::View:
            c = CompareTextUpper(a.view, b.view);
            break;
        case TPrimaryType::None:
            break;
        }
        c = c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (c != 0) return Descending ? -c : c;
    const int t = CompareTextUpper(a.tie, b.tie);
    return t < 0 ? -1 : (t > 0 ? 1 : 0);
}

int TItemComparator::operator()(const TItem* a, const TItem* b) const {
    TSortKey ka, kb;
    MakeKey(a, Descending, ka);
    MakeKey(b, Descending, kb);
    return CompareKeys(ka, kb);
}

const TItemComparator* FindComparator(TSortFamily family, TSortKeyKind key, bool descending) {
    for (const TItemComparator& c : Table().items)
        if (c.Family == family && c.Key == key && c.Descending == descending) return &c;
    return nullptr;
}

const std::vector<const TItemComparator*>& AllComparators() {
    return Table().all;
}

int SortCodeAfterClick(int currentCode, int clickedId) {
    const int c = 2 * clickedId;
    return c == currentCode ? c + 1 : c;
}

const TItemComparator* SelectExplorerComparator(int view, int sortCode) {
    const int id = sortCode < 0 ? -1 : sortCode / 2;
    TSortKeyKind key;
    switch (view) {
    case 0:
        if (ItemKeyOfId(id, key)) return Pick(F::Item, key, sortCode);
        return FindComparator(F::Item, K::Name, false);
    case 1:
        if (DriveKeyOfId(id, key)) return Pick(F::Drive, key, sortCode);
        return FindComparator(F::Drive, K::Letter, false);
    case 2:
        if (Offered(id, {0, 1, 9, 10}) && ItemKeyOfId(id, key)) return Pick(F::Item, key, sortCode);
        return FindComparator(F::Item, K::Name, false);
    case 3:
        switch (id) {
        case 0:
            return Pick(F::Top, K::Order, sortCode);
        case 1:
            return Pick(F::Top, K::Size, sortCode);
        case 9:
            return Pick(F::Top, K::Files, sortCode);
        case 10:
            return Pick(F::Top, K::Folders, sortCode);
        default:
            return FindComparator(F::Top, K::Order, false);
        }
    default:
        return nullptr;
    }
}

const TItemComparator* SelectViewerComparator(int view, int sortCode) {
    const int id = sortCode < 0 ? -1 : sortCode / 2;
    TSortKeyKind key;
    switch (view) {
    case 0:
        if (id == 0) return Pick(F::Viewer, K::NameDrivesFirst, sortCode);
        if (ItemKeyOfId(id, key)) return Pick(F::Item, key, sortCode);
        return FindComparator(F::Viewer, K::NameDrivesFirst, false);
    case 1:
        if (sortCode == 1) return FindComparator(F::Viewer, K::NameDrivesFirst, true);
        if (id == 15) return Pick(F::Item, K::Created, sortCode);
        if (Offered(id, {1, 7, 8, 9, 10}) && ItemKeyOfId(id, key)) return Pick(F::Item, key, sortCode);
        return FindComparator(F::Item, K::Name, false);
    case 2:
        if (id == 15) return Pick(F::Item, K::Created, sortCode);
        if (Offered(id, {0, 1, 2, 8, 9, 10}) && ItemKeyOfId(id, key)) return Pick(F::Item, key, sortCode);
        if (Offered(id, {12, 13, 14, 17, 18}) && DriveKeyOfId(id, key)) return Pick(F::Drive, key, sortCode);
        return FindComparator(F::Item, K::Name, false);
    default:
        return nullptr;
    }
}

const TItemComparator* SelectFileListerComparator(int sortCode) {
    const int id = sortCode < 0 ? -1 : sortCode / 2;
    TSortKeyKind key;
    if (id != 9 && id != 10 && ItemKeyOfId(id, key)) return Pick(F::FileLister, key, sortCode);
    return FindComparator(F::FileLister, K::Name, false);
}

namespace {

// The sort's own record of a row: the key's leading parts packed into integers that compare as
// the full key does, so that most comparisons touch neither the strings nor the items. Texts keep
// a 16-byte (primary) or 8-byte (tie) prefix; rows whose prefixes are equal and longer fall back to
// the full key.
struct TSortRecord {
    std::uint64_t head; // part (ascending), then sub (in the comparator's direction)
    std::uint64_t p0;   // number, date or the first 8 bytes of the text
    std::uint64_t p1;   // bytes 8-15 of the text
    std::uint64_t t0;   // the first 16 bytes of the tie
    std::uint64_t t1;
    std::uint32_t index;
    std::uint16_t primaryLong; // text longer than 16 bytes (and not ranked)
    std::uint16_t tieLong;     // tie longer than 16 bytes
};

std::uint64_t Biased(std::int64_t v) {
    return static_cast<std::uint64_t>(v) ^ (1ULL << 63);
}

// Doubles as integers in the order of CmpReal: NaN lowest, -0 equal to +0.
std::uint64_t RealBits(double d) {
    if (std::isnan(d)) return 0;
    if (d == 0) d = 0;
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return (bits & (1ULL << 63)) ? ~bits : bits | (1ULL << 63);
}

// Big-endian bytes [from, from + 8) of s, upper-cased when asked, zero-padded.
std::uint64_t Prefix(std::string_view s, std::size_t from, bool upper) {
    unsigned char bytes[8] = {};
    if (from < s.size()) std::memcpy(bytes, s.data() + from, std::min<std::size_t>(8, s.size() - from));
    std::uint64_t v = 0;
    for (unsigned char c : bytes) {
        if (upper) c = static_cast<unsigned char>(c - (static_cast<unsigned>(c - 'a') < 26u ? 32 : 0));
        v = (v << 8) | c;
    }
    return v;
}

template <class T> int Cmp3(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Text keys with few distinct values (types, attribute letters, extensions, parent folders) are
// replaced by their rank among the distinct values, so the sort compares integers only. Many
// distinct values (paths) keep their prefixes: ranking them would cost a sort of its own.
void RankFewTexts(const std::vector<TSortKey>& keys, std::vector<TSortRecord>& records) {
    const std::size_t limit = std::max<std::size_t>(64, keys.size() / 8);
    std::unordered_map<std::string_view, std::uint32_t> ids;
    std::vector<std::uint32_t> idOfRow(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const auto [it, added] = ids.try_emplace(keys[i].text, static_cast<std::uint32_t>(ids.size()));
        if (added && ids.size() > limit) return;
        idOfRow[i] = it->second;
    }
    std::vector<std::string_view> distinct(ids.size());
    for (const auto& [text, id] : ids)
        distinct[id] = text;
    std::vector<std::uint32_t> order(distinct.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::uint32_t a, std::uint32_t b) { return distinct[a] < distinct[b]; });
    std::vector<std::uint32_t> rank(distinct.size());
    for (std::uint32_t r = 0; r < order.size(); ++r)
        rank[order[r]] = r;
    for (TSortRecord& rec : records) {
        rec.p0 = rank[idOfRow[rec.index]];
        rec.p1 = 0;
        rec.primaryLong = 0;
    }
}

} // namespace

void SortItems(TItem** rows, std::size_t count, const TItemComparator& comparator) {
    std::unordered_map<const TFolderItem*, std::string> parentPaths;
    tParentPaths = &parentPaths;
    std::vector<TSortKey> keys(count);
    std::vector<TSortRecord> records(count);
    const TPrimaryType primary = comparator.Primary;
    const bool desc = comparator.Descending;
    for (std::size_t i = 0; i < count; ++i) {
        TSortKey& k = keys[i];
        comparator.MakeKey(rows[i], desc, k);
        TSortRecord& r = records[i];
        const std::int64_t sub = desc ? -static_cast<std::int64_t>(k.sub) : k.sub;
        r.head = (static_cast<std::uint64_t>(static_cast<std::int64_t>(k.part) + 0x80000000LL) << 32) |
                 static_cast<std::uint32_t>(sub + 0x80000000LL);
        r.p0 = r.p1 = 0;
        r.primaryLong = 0;
        switch (primary) {
        case TPrimaryType::Number:
            r.p0 = Biased(k.number);
            break;
        case TPrimaryType::Real:
            r.p0 = RealBits(k.real);
            break;
        case TPrimaryType::Text:
            r.p0 = Prefix(k.text, 0, false);
            r.p1 = Prefix(k.text, 8, false);
            r.primaryLong = k.text.size() > 16;
            break;
        case TPrimaryType::View:
            r.p0 = Prefix(k.view, 0, true);
            r.p1 = Prefix(k.view, 8, true);
            r.primaryLong = k.view.size() > 16;
            break;
        case TPrimaryType::None:
            break;
        }
        r.t0 = Prefix(k.tie, 0, true);
        r.t1 = Prefix(k.tie, 8, true);
        r.tieLong = k.tie.size() > 16;
        r.index = static_cast<std::uint32_t>(i);
    }
    tParentPaths = nullptr;
    if (primary == TPrimaryType::Text) RankFewTexts(keys, records);
    const bool isText = primary == TPrimaryType::Text || primary == TPrimaryType::View;
    auto tieLess = [&](const TSortRecord& a, const TSortRecord& b) {
        int c = Cmp3(a.t0, b.t0);
        if (c == 0) c = Cmp3(a.t1, b.t1);
        if (c == 0 && (a.tieLong || b.tieLong)) c = CompareTextUpper(keys[a.index].tie, keys[b.index].tie);
        return c < 0;
    };
    auto chunkLess = [&](const TSortRecord& a, const TSortRecord& b) {
        int c = Cmp3(a.p0, b.p0);
        if (c == 0) c = Cmp3(a.p1, b.p1);
        if (c != 0) return desc ? c > 0 : c < 0;
        // Equal chunks of texts that go on: a later pass orders them, the tie is not needed yet.
        if (isText && (a.primaryLong || b.primaryLong)) return false;
        return tieLess(a, b);
    };
    std::stable_sort(records.begin(), records.end(), [&](const TSortRecord& a, const TSortRecord& b) {
        if (a.head != b.head) return a.head < b.head;
        return chunkLess(a, b);
    });
    if (isText) {
        // Texts equal in their first 16 bytes and longer go on by the next 16 bytes, run by run, so
        // every comparison stays on integers (long paths share long prefixes).
        // The texts apart from the keys: a compact table that the passes read again and again.
        std::vector<std::string_view> texts(count);
        for (std::size_t i = 0; i < count; ++i)
            texts[i] = primary == TPrimaryType::Text ? std::string_view(keys[i].text) : keys[i].view;
        auto textOf = [&](const TSortRecord& r) { return texts[r.index]; };
        auto sameChunk = [](const TSortRecord& a, const TSortRecord& b) {
            return a.head == b.head && a.p0 == b.p0 && a.p1 == b.p1;
        };
        struct TRun {
            std::size_t first, last, depth;
        };
        std::vector<TRun> runs;
        auto findRuns = [&](std::size_t first, std::size_t last, std::size_t depth) {
            for (std::size_t i = first; i < last;) {
                std::size_t j = i + 1;
                while (j < last && sameChunk(records[i], records[j]))
                    ++j;
                if (j - i > 1 && records[i].primaryLong) runs.push_back({i, j, depth});
                i = j;
            }
        };
        findRuns(0, count, 16);
        while (!runs.empty()) {
            const TRun run = runs.back();
            runs.pop_back();
            const bool upper = primary == TPrimaryType::View;
            for (std::size_t i = run.first; i < run.last; ++i) {
                TSortRecord& r = records[i];
                const std::string_view t = textOf(r);
                r.p0 = Prefix(t, run.depth, upper);
                r.p1 = Prefix(t, run.depth + 8, upper);
                r.primaryLong = t.size() > run.depth + 16;
            }
            const auto first = records.begin() + static_cast<std::ptrdiff_t>(run.first);
            const auto last = records.begin() + static_cast<std::ptrdiff_t>(run.last);
            if (run.last - run.first <= 24) {
                // Insertion sort: stable, and no buffer for the many short runs.
                for (auto i = first + 1; i < last; ++i) {
                    TSortRecord moving = *i;
                    auto j = i;
                    for (; j > first && chunkLess(moving, *(j - 1)); --j)
                        *j = *(j - 1);
                    *j = moving;
                }
            } else {
                std::stable_sort(first, last, chunkLess);
            }
            findRuns(run.first, run.last, run.depth + 16);
        }
    }
    std::vector<TItem*> sorted(count);
    for (std::size_t i = 0; i < count; ++i)
        sorted[i] = rows[records[i].index];
    std::copy(sorted.begin(), sorted.end(), rows);
}

void SortItems(std::vector<TItem*>& rows, const TItemComparator& comparator) {
    SortItems(rows.data(), rows.size(), comparator);
}

} // namespace listing
