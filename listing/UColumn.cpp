#include "listing/UColumn.h"

#include "listing/UProgramProfile.h"
#include "model/UConvertHelp.h"
#include "model/UItem.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace listing {

using namespace model;

namespace {

std::string gDateFormat = "%x";
std::string gTimeFormat = "%X";

bool IsFileRoot(const TItem* item) {
    const auto test = CurrentProfile().isFileRoot;
    return item && test && test(item);
}

bool ParentIsFileRoot(const TItem* item) {
    return IsFileRoot(item->Parent());
}

bool IsManualOrLoadedRoot(const TItem* item) {
    return dynamic_cast<const TManualRootItem*>(item) || dynamic_cast<const TLoadedRootItem*>(item);
}

std::string WithState(std::string text, TExploreState state) {
    if (state == TExploreState::Partial) text += " **";
    return text;
}

std::string FormatPercent(double p) {
    return FormatFixed(p, 1) + " %";
}

bool NoCreated(TDateTime d) {
    return d == 0 || d == 29221.0;
}

} // namespace

TExploreState ExploreState(const TItem* item) {
    if (!item || !item->IsFolder()) return TExploreState::Complete;
    const auto* folder = static_cast<const TFolderItem*>(item);
    if (folder->IsExplored()) return TExploreState::Complete;
    return folder->HasExploredContent() ? TExploreState::Partial : TExploreState::Unexplored;
}

void SetDateTimeFormats(std::string dateFormat, std::string timeFormat) {
    gDateFormat = std::move(dateFormat);
    gTimeFormat = std::move(timeFormat);
}

std::string FormatDateTime(platform::TDateTime value) {
    platform::TCalendar c;
    if (!platform::DecodeDateTime(value, c)) return {};
    std::tm tm{};
    tm.tm_year = c.year - 1900;
    tm.tm_mon = c.month - 1;
    tm.tm_mday = c.day;
    tm.tm_hour = c.hour;
    tm.tm_min = c.minute;
    tm.tm_sec = c.second;
    tm.tm_wday = c.dayOfWeek;
    const bool midnight = c.hour == 0 && c.minute == 0 && c.second == 0 && c.millisecond == 0;
    const std::string format = midnight ? gDateFormat : gDateFormat + " " + gTimeFormat;
    char buffer[128];
    const std::size_t n = std::strftime(buffer, sizeof buffer, format.c_str(), &tm);
    return std::string(buffer, n);
}

std::string AttributeLetters(std::uint32_t a) {
    std::string s;
    if (a & kAttrReadOnly) s += 'R';
    if (a & kAttrHidden) s += 'H';
    if (a & kAttrSystem) s += 'S';
    if (a & kAttrArchive) s += 'A';
    return s;
}

std::string ExtensionText(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string("none") : name.substr(dot);
}

double PercentOf(std::int64_t part, std::int64_t total) {
    if (total <= 0) return 0;
    return static_cast<double>(static_cast<long double>(part) * 100.0L / static_cast<long double>(total));
}

bool DriveListed(const TDriveItem* drive) {
    return CurrentProfile().drivesAlwaysListed || drive->Listed();
}

bool DriveSpaceKnown(const TDriveItem* drive) {
    return DriveListed(drive) && drive->TotalSpace() >= 0 && drive->FreeSpace() >= 0;
}

TColumnList::TColumnList() {
    FillCatalogue();
}

TColumnList& ColumnCatalogue() {
    static TColumnList catalogue;
    return catalogue;
}

void TColumnList::FillCatalogue() {
    struct Row {
        int id;
        const char* name;
        const char* caption;
        int width;
        int kind;
        int align;
    };
    static const Row rows[] = {
        {0, "Name", "Name", 150, kKindText, kAlignLeft},
        {1, "Size", "Size", 85, kKindSize, kAlignRight},
        {2, "Type", "Type", 110, kKindText, kAlignLeft},
        {3, "Modified (calculated)", "Modified", 135, kKindDate, kAlignLeft},
        {4, "Created (calculated)", "Created", 135, kKindDate, kAlignLeft},
        {5, "Accessed (calculated)", "Accessed", 135, kKindDate, kAlignLeft},
        {6, "Attributes", "Attributes", 75, kKindText, kAlignRight},
        {7, "In Folder", "In Folder", 200, kKindText, kAlignLeft},
        {8, "Complete Path", "Complete Path", 250, kKindText, kAlignLeft},
        {9, "Files", "Files", 75, kKindCount, kAlignRight},
        {10, "Folders", "Folders", 75, kKindCount, kAlignRight},
        {11, "Used Space", "Used Space", 100, kKindSize, kAlignRight},
        {12, "Used Space On Drive", "Used Space On Drive", 135, kKindSize, kAlignRight},
        {13, "Total Space On Drive", "Total Space On Drive", 135, kKindSize, kAlignRight},
        {14, "Free Space On Drive", "Free Space On Drive", 135, kKindSize, kAlignRight},
        {15, "Exploration Date", "Exploration Date", 135, kKindDate, kAlignLeft},
        {16, "Extension", "Extension", 75, kKindText, kAlignLeft},
        {17, "% Used Space On Drive", "% Used Space", 100, kKindPercent, kAlignRight},
        {18, "% Free Space On Drive", "% Free Space", 100, kKindPercent, kAlignRight},
        {19, "Modified (real)", "Modified Real", 135, kKindDate, kAlignLeft},
        {20, "Created (real)", "Created Real", 135, kKindDate, kAlignLeft},
        {21, "Accessed (real)", "Accessed Real", 135, kKindDate, kAlignLeft},
        {50, "Size Range", "Size Range", 85, kKindText, kAlignLeft},
        {51, "Date Range", "Date Range", 85, kKindText, kAlignLeft},
        {52, "Time of day", "Time of day", 85, kKindText, kAlignLeft},
        {53, "Attribute", "Attribute", 85, kKindText, kAlignLeft},
        {54, "Extension", "Extension", 80, kKindText, kAlignLeft},
        {55, "Type", "Type", 150, kKindText, kAlignLeft},
        {56, "Folder", "Folder", 100, kKindText, kAlignLeft},
        {57, "Number of files", "Number of files", 100, kKindCount, kAlignRight},
        {58, "% Number of files", "%", 60, kKindPercent, kAlignRight},
        {59, "Space used", "Space used", 90, kKindSize, kAlignRight},
        {60, "% Space used", "%", 60, kKindPercent, kAlignRight},
        {61, "C Number of files", "C Number of files", 110, kKindCount, kAlignRight},
        {62, "C % Number of files", "%", 60, kKindPercent, kAlignRight},
        {63, "C Space used", "C Space used", 100, kKindSize, kAlignRight},
        {64, "C % Space used", "%", 60, kKindPercent, kAlignRight},
        {65, "LW Number of files", "LW Number of files", 115, kKindCount, kAlignRight},
        {66, "LW % Number of files", "%", 60, kKindPercent, kAlignRight},
        {67, "LW Space used", "LW Space used", 105, kKindSize, kAlignRight},
        {68, "LW % Space used", "%", 60, kKindPercent, kAlignRight},
        {69, "LA Number of files", "LA Number of files", 110, kKindCount, kAlignRight},
        {70, "LA % Number of files", "%", 60, kKindPercent, kAlignRight},
        {71, "LA Space used", "LA Space used", 105, kKindSize, kAlignRight},
        {72, "LA % Space used", "%", 60, kKindPercent, kAlignRight},
    };
    for (const Row& r : rows)
        AddColumn(r.id, r.name, r.caption, static_cast<std::uint8_t>(r.align), r.kind, r.width);
}

const TColumnItem* TColumnList::FindColumn(int id) const {
    if (id >= 0 && id < Count() && FItems[id]->ID == id) return FItems[id].get();
    for (auto it = FItems.rbegin(); it != FItems.rend(); ++it)
        if ((*it)->ID == id) return it->get();
    return nullptr;
}

void TColumnList::AddColumn(int id, const std::string& name, const std::string& caption,
                            std::uint8_t alignment, std::int32_t kind, std::int32_t width) {
    if (FindColumn(id)) return;
    auto item = std::make_unique<TColumnItem>();
    item->ID = id;
    item->Name = name;
    item->Caption = caption;
    item->Alignment = alignment;
    item->Width = width;
    item->Kind = kind;
    FItems.push_back(std::move(item));
}

std::string TColumnList::FormatInUnit(std::int64_t bytes, int unit, int fallback) {
    if (unit < kUnitBytes || unit > kUnitGB) unit = fallback;
    switch (unit) {
    case kUnitBytes:
        return FormatBytes(bytes);
    case kUnitMB:
        return FormatMB(bytes) + " MB";
    case kUnitGB:
        return FormatGB3(bytes) + " GB";
    default:
        return FormatKB(bytes) + " KB";
    }
}

std::string TColumnList::GetCellText(int id, const TItem* item) const {
    if (!item) return {};
    const bool underFileRoot = ParentIsFileRoot(item);
    switch (id) {
    case 0:
        return item->NameString();
    case 1:
    case 11: {
        const TExploreState state = ExploreState(item);
        if (state == TExploreState::Unexplored)
            return id == 1 && IsManualOrLoadedRoot(item) ? std::string() : std::string("Unexplored");
        return WithState(id == 1 ? FormatInUnit(item->GetSize(), SizeUnit, kUnitKB)
                                 : FormatInUnit(item->GetSize(), SpaceUnit, kUnitGB),
                         state);
    }
    case 2:
        return dynamic_cast<const TNetworkRootItem*>(item) ? std::string() : item->TypeName();
    case 3:
        return underFileRoot ? std::string() : FormatDateTime(item->GetModified());
    case 4:
    case 20:
        return underFileRoot || NoCreated(item->Created()) ? std::string() : FormatDateTime(item->Created());
    case 5:
        return underFileRoot ? std::string() : FormatDateTime(item->GetAccessed());
    case 6:
        return underFileRoot ? std::string() : AttributeLetters(item->Attributes());
    case 7: {
        if (IsFileRoot(item)) {
            const std::string path = item->GetPath();
            const std::size_t cut = path.find_last_of("\\/");
            return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
        }
        const TFolderItem* parent = item->Parent();
        return parent && !underFileRoot ? parent->GetPath() : std::string();
    }
    case 8:
        return item->GetPath();
    case 9:
    case 10: {
        if (!item->IsFolder()) return {};
        const TExploreState state = ExploreState(item);
        if (state == TExploreState::Unexplored)
            return IsManualOrLoadedRoot(item) ? std::string() : std::string("Unexplored");
        return WithState(FormatBytes(id == 9 ? item->GetFileCount() : item->GetFolderCount()), state);
    }
    case 12:
    case 13:
    case 14: {
        const auto* drive = dynamic_cast<const TDriveItem*>(item);
        if (!drive) return {};
        if (!DriveListed(drive)) return "Unexplored";
        if (!DriveSpaceKnown(drive)) return {}; // the file system did not answer
        const std::int64_t v = id == 12   ? drive->UsedSpace()
                               : id == 13 ? drive->TotalSpace()
                                          : drive->FreeSpace();
        return FormatInUnit(v, SpaceUnit, kUnitGB);
    }
    case 15:
        return FormatDateTime(item->Created());
    case 16:
        return item->IsFolder() ? std::string() : ExtensionText(item->NameString());
    case 17:
    case 18: {
        const auto* drive = dynamic_cast<const TDriveItem*>(item);
        if (!drive) return {};
        if (!DriveListed(drive)) return "Unexplored";
        if (!DriveSpaceKnown(drive)) return {};
        return FormatPercent(
            PercentOf(id == 17 ? drive->UsedSpace() : drive->FreeSpace(), drive->TotalSpace()));
    }
    case 19:
        return FormatDateTime(item->Modified());
    case 21:
        return FormatDateTime(item->Accessed());
    default:
        return {};
    }
}

std::int64_t TColumnList::GetInt64Value(int id, const TItem* item) const {
    if (!item) return -1;
    switch (id) {
    case 1:
    case 11:
        return ExploreState(item) == TExploreState::Unexplored ? -1 : item->GetSize();
    case 9:
    case 10:
        if (!item->IsFolder() || ExploreState(item) == TExploreState::Unexplored) return -1;
        return id == 9 ? item->GetFileCount() : item->GetFolderCount();
    case 12:
    case 13:
    case 14: {
        const auto* drive = dynamic_cast<const TDriveItem*>(item);
        if (!drive || !DriveSpaceKnown(drive)) return -1;
        return id == 12 ? drive->UsedSpace() : id == 13 ? drive->TotalSpace() : drive->FreeSpace();
    }
    default:
        return -1;
    }
}

double TColumnList::GetFloatValue(int id, const TItem* item) const {
    if (id != 17 && id != 18) return 0;
    const auto* drive = dynamic_cast<const TDriveItem*>(item);
    if (!drive || !DriveSpaceKnown(drive)) return 0;
    return PercentOf(id == 17 ? drive->UsedSpace() : drive->FreeSpace(), drive->TotalSpace());
}

bool TColumnList::IsInt64Cell(int id, const TItem* item) const {
    if (!item) return false;
    switch (id) {
    case 1:
    case 11:
        return ExploreState(item) != TExploreState::Unexplored;
    case 9:
    case 10:
        return item->IsFolder() && ExploreState(item) != TExploreState::Unexplored;
    case 12:
    case 13:
    case 14: {
        const auto* drive = dynamic_cast<const TDriveItem*>(item);
        return drive && DriveSpaceKnown(drive);
    }
    default:
        return false;
    }
}

bool TColumnList::IsFloatCell(int id, const TItem* item) const {
    if (id != 17 && id != 18) return false;
    const auto* drive = dynamic_cast<const TDriveItem*>(item);
    return drive && DriveSpaceKnown(drive) && drive->TotalSpace() != 0;
}

// ---- column groups ----

TColumnGroup::TColumnGroup(TListColumns* listView, int visibleCount, const std::vector<int>& ids,
                           std::string caption)
    : Caption(std::move(caption)), ListView(listView) {
    ColumnCount = static_cast<std::int32_t>(ids.size());
    if (visibleCount < 0 || visibleCount > ColumnCount) visibleCount = ColumnCount;
    VisibleCount = DefaultVisibleCount = visibleCount;
    for (int id : ids) {
        const TColumnItem* c = ColumnCatalogue().FindColumn(id);
        DefaultOrder.push_back(c ? id : -1);
        Order.push_back(c ? id : -1);
        if (c) {
            Widths.push_back({id, c->Width});
            EditWidths.push_back({id, c->Width});
        }
    }
}

void TColumnGroup::SetVisibleCount(int n) {
    if (n < 0 || n > ColumnCount) n = ColumnCount;
    if (n != VisibleCount) {
        VisibleCount = n;
        Modified = true;
    }
}

void TColumnGroup::SetColumnAt(int index, int id) {
    if (index < 0 || index >= static_cast<int>(Order.size()) || !ColumnCatalogue().FindColumn(id)) return;
    if (Order[index] != id) {
        Order[index] = id;
        Modified = true;
    }
}

int TColumnGroup::ColumnIdAt(int index) const {
    return index >= 0 && index < static_cast<int>(Order.size()) ? Order[index] : -1;
}

const TColumnItem* TColumnGroup::ColumnAt(int index) const {
    const int id = ColumnIdAt(index);
    return id < 0 ? nullptr : ColumnCatalogue().FindColumn(id);
}

int TColumnGroup::DefaultIdAt(int index) const {
    return index >= 0 && index < static_cast<int>(DefaultOrder.size()) ? DefaultOrder[index] : -1;
}

const TColumnItem* TColumnGroup::DefaultColumnAt(int index) const {
    const int id = DefaultIdAt(index);
    return id < 0 ? nullptr : ColumnCatalogue().FindColumn(id);
}

bool TColumnGroup::IsVisible(int id) const {
    const int n = std::min<int>(VisibleCount, static_cast<int>(Order.size()));
    for (int i = 0; i < n; ++i)
        if (Order[i] == id) return true;
    return false;
}

int TColumnGroup::IndexOfId(int id) const {
    const auto it = std::find(Order.begin(), Order.end(), id);
    return it == Order.end() ? -1 : static_cast<int>(it - Order.begin());
}

void TColumnGroup::ShowColumn(int id) {
    const int index = IndexOfId(id);
    if (index < 0 || IsVisible(id) || VisibleCount >= ColumnCount) return;
    std::swap(Order[VisibleCount], Order[index]);
    ++VisibleCount;
}

namespace {

TColumnSize* FindSize(std::vector<TColumnSize>& list, int id) {
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (it->ID == id) return &*it;
    return nullptr;
}

const TColumnSize* FindSize(const std::vector<TColumnSize>& list, int id) {
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (it->ID == id) return &*it;
    return nullptr;
}

} // namespace

int TColumnGroup::GetWidth(int id) const {
    const TColumnSize* s = FindSize(Widths, id);
    return s ? s->Width : -1;
}

int TColumnGroup::WidthAt(int index) const {
    if (index < 0 || index >= static_cast<int>(Order.size())) return -1;
    return GetWidth(Order[index]);
}

void TColumnGroup::SetWidth(int id, int width) {
    TColumnSize* s = FindSize(Widths, id);
    if (s && s->Width != width) {
        s->Width = width;
        Modified = true;
    }
}

int TColumnGroup::GetEditWidth(int id) const {
    const TColumnSize* s = FindSize(EditWidths, id);
    return s ? s->Width : -1;
}

void TColumnGroup::SetEditWidth(int id, int width) {
    if (TColumnSize* s = FindSize(EditWidths, id)) s->Width = width;
}

void TColumnGroup::ResetEditWidths() {
    for (const TColumnSize& w : Widths)
        SetEditWidth(w.ID, w.Width);
}

void TColumnGroup::DefaultEditWidths() {
    for (TColumnSize& e : EditWidths) {
        const TColumnItem* c = ColumnCatalogue().FindColumn(e.ID);
        e.Width = c ? c->Width : -1;
    }
}

void TColumnGroup::ApplyEditWidths() {
    for (const TColumnSize& e : EditWidths)
        SetWidth(e.ID, e.Width);
}

std::vector<std::int32_t> TColumnGroup::SaveToArray() const {
    std::vector<std::int32_t> a;
    a.reserve(2 * ColumnCount + 2);
    a.push_back(ColumnCount);
    a.push_back(VisibleCount);
    for (int j = 0; j < ColumnCount; ++j) {
        a.push_back(Order[j]);
        a.push_back(WidthAt(j));
    }
    return a;
}

bool TColumnGroup::LoadFromArray(const std::vector<std::int32_t>& values) {
    if (values.size() != static_cast<std::size_t>(2 * ColumnCount + 2) || values[0] != ColumnCount)
        return false;
    const std::int32_t visible = values[1];
    if (visible < 1 || visible > ColumnCount) return false;
    std::vector<std::int32_t> ids;
    for (int j = 0; j < ColumnCount; ++j)
        ids.push_back(values[2 + 2 * j]);
    if (ids.empty() || ids[0] != DefaultOrder[0] || ids[0] < 0) return false;
    // A permutation of the group's own ids: the same multiset (ids the catalogue lacks included).
    std::vector<std::int32_t> a = ids, b = DefaultOrder;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    if (a != b ||
        std::adjacent_find(b.begin(), b.end(), [](int x, int y) { return x == y && x >= 0; }) != b.end())
        return false;
    VisibleCount = visible;
    for (int j = 0; j < ColumnCount; ++j) {
        SetColumnAt(j, ids[j]);
        const std::int32_t width = values[3 + 2 * j];
        if (width >= 0 && width <= 800) SetWidth(ids[j], width);
    }
    return true;
}

int TColumnGroup::ApplyToListView() {
    if (!ListView) return SortCode;
    TListColumns& view = *ListView;
    view.BeginColumnUpdate();
    view.ClearColumns();
    view.SetSortColumn(-1);
    int sortColumn = -1;
    const int visible = std::min<int>(VisibleCount, ColumnCount);
    int added = 0;
    int firstId = -1;
    for (int i = 0; i < visible; ++i) {
        const TColumnItem* c = ColumnAt(i);
        if (!c) continue;
        view.AddColumn(c->Caption, WidthAt(i), c->Alignment, c->ID);
        if (added == 0) firstId = c->ID;
        if (SortCode >= 0 && c->ID == SortCode / 2) sortColumn = added;
        ++added;
    }
    if (sortColumn >= 0) {
        view.SetSortColumn(sortColumn);
        view.SetSortColumnUp(SortCode % 2 == 0);
    } else if (added > 0) {
        SortCode = 2 * firstId; // the view may show its new columns only at the end of the update
        view.SetSortColumn(0);
        view.SetSortColumnUp(true);
    } else {
        SortCode = DefaultOrder.empty() || DefaultOrder[0] < 0 ? -1 : 2 * DefaultOrder[0];
        view.SetSortColumnUp(true);
    }
    view.EndColumnUpdate();
    return SortCode;
}

void TColumnGroup::ReadBackFromListView() {
    if (!ListView) return;
    const int n = ListView->ColumnCount();
    for (int i = 0; i < n; ++i) {
        const int tag = ListView->ColumnTagAt(i);
        SetWidth(tag, ListView->ColumnWidthAt(i));
        if (i >= 1) SetColumnAt(i, tag);
    }
}

std::vector<std::uint8_t> LayoutToBytes(const std::vector<std::int32_t>& values) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(values.size() * 4);
    for (std::int32_t v : values) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int k = 0; k < 4; ++k)
            bytes.push_back(static_cast<std::uint8_t>(u >> (8 * k)));
    }
    return bytes;
}

std::vector<std::int32_t> LayoutFromBytes(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::int32_t> values;
    if (bytes.size() <= 7) return values;
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        std::uint32_t u = 0;
        for (int k = 0; k < 4; ++k)
            u |= static_cast<std::uint32_t>(bytes[i + k]) << (8 * k);
        values.push_back(static_cast<std::int32_t>(u));
    }
    return values;
}

} // namespace listing
