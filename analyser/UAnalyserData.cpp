#include "analyser/UAnalyserData.h"

#include "model/UTypeList.h"
#include "platform/PDates.h"

#include <cmath>

namespace analyser {

namespace {

bool ValidKind(int kind) {
    return kind >= 1 && kind <= 3;
}

// Sums wrap instead of overflowing (defined behaviour); no folder comes near 2^63 bytes.
std::int64_t Add(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

// value x 100 / total in long double, so that no product overflows.
double Percent(std::int64_t value, std::int64_t total) {
    if (total <= 0) return 0;
    return static_cast<double>(static_cast<long double>(value) * 100.0L / static_cast<long double>(total));
}

bool IsBlank(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) > 32) return false;
    return true;
}

} // namespace

// ---- rows ----

#define TX_PERCENT(kind, measure)                                                                            \
    double TAnalyserData::Get##measure##Percent##kind() const {                                              \
        if (Group() == nullptr) return 0;                                                                    \
        return Percent(Get##measure##kind(), Group()->Total()->Get##measure##kind());                        \
    }
TX_PERCENT(1, Size)
TX_PERCENT(1, Count)
TX_PERCENT(2, Size)
TX_PERCENT(2, Count)
TX_PERCENT(3, Size)
TX_PERCENT(3, Count)
#undef TX_PERCENT

void TAnalyserData::Clear() {
    FCount = {};
    FSize = {};
}

std::int64_t TAnalyserData::GetCount(int kind) const {
    switch (kind) {
    case 1:
        return GetCount1();
    case 2:
        return GetCount2();
    case 3:
        return GetCount3();
    default:
        return 0;
    }
}

std::int64_t TAnalyserData::GetSize(int kind) const {
    switch (kind) {
    case 1:
        return GetSize1();
    case 2:
        return GetSize2();
    case 3:
        return GetSize3();
    default:
        return 0;
    }
}

void TAnalyserData::AddFile(int kind, std::int64_t size) {
    AddFiles(kind, 1, size);
}

void TAnalyserData::AddFiles(int kind, std::int64_t count, std::int64_t size) {
    if (!ValidKind(kind)) return;
    const auto i = static_cast<size_t>(kind - 1);
    FCount[i] = Add(FCount[i], count);
    FSize[i] = Add(FSize[i], size);
}

void TAnalyserTotalData::Refresh() const {
    if (FDirty && Group() != nullptr) Group()->RecalcTotals();
}

std::int64_t TAnalyserTotalData::GetCount1() const {
    Refresh();
    return FCount[0];
}
std::int64_t TAnalyserTotalData::GetSize1() const {
    Refresh();
    return FSize[0];
}
std::int64_t TAnalyserTotalData::GetCount2() const {
    Refresh();
    return FCount[1];
}
std::int64_t TAnalyserTotalData::GetSize2() const {
    Refresh();
    return FSize[1];
}
std::int64_t TAnalyserTotalData::GetCount3() const {
    Refresh();
    return FCount[2];
}
std::int64_t TAnalyserTotalData::GetSize3() const {
    Refresh();
    return FSize[2];
}

void TAnalyserTotalData::Accumulate(const TAnalyserData& row) {
    AddFiles(1, row.GetCount1(), row.GetSize1());
    AddFiles(2, row.GetCount2(), row.GetSize2());
    AddFiles(3, row.GetCount3(), row.GetSize3());
}

// ---- the group base ----

TAnalyserDataGroup::TAnalyserDataGroup(std::string caption, std::string title)
    : FCaption(std::move(caption)), FTitle(std::move(title)),
      FTotal(std::make_unique<TAnalyserTotalData>(this)),
      FSeparator(std::make_unique<TAnalyserSeparatorData>(this)) {}

TAnalyserDataGroup::~TAnalyserDataGroup() {
    FreeRows();
}

void TAnalyserDataGroup::FreeRows() {
    while (!FRows.empty())
        FRows.pop_back();
}

void TAnalyserDataGroup::RecalcTotals() {
    FTotal->Clear();
    for (auto it = FRows.rbegin(); it != FRows.rend(); ++it)
        FTotal->Accumulate(**it);
    FTotal->ClearDirty();
}

TAnalyserData* TAnalyserDataGroup::AddRow(std::int32_t key, std::string name) {
    FRows.push_back(std::make_unique<TAnalyserData>(this, std::move(name), key));
    SetDirty();
    return FRows.back().get();
}

void TAnalyserDataGroup::AddItem(const TItem& file) {
    for (int kind = 1; kind <= 3; ++kind) {
        const int key = GetIndex(kind, file);
        if (key != -1) AddToRow(kind, key, file.GetSize());
    }
}

void TAnalyserDataGroup::Reset() {
    for (auto it = FRows.rbegin(); it != FRows.rend(); ++it)
        (*it)->Clear();
    FTotal->Clear();
}

int TAnalyserDataGroup::GetIndex(int, const TItem&) {
    return -1;
}

bool TAnalyserDataGroup::Matches(int kind, std::int32_t key, const TItem& file) {
    return GetIndex(kind, file) == key;
}

std::string TAnalyserDataGroup::GetRestrictionCaption(int i) const {
    return i >= 0 && i <= 6 ? FRestrictionCaptions[static_cast<size_t>(i)] : std::string();
}

void TAnalyserDataGroup::SetRestrictionCaption(int i, std::string text) {
    if (i >= 0 && i <= 6) FRestrictionCaptions[static_cast<size_t>(i)] = std::move(text);
}

int TAnalyserDataGroup::GetRestrictionColumn(int i) const {
    return i >= 0 && i <= 2 ? FRestrictionColumns[static_cast<size_t>(i)] : -1;
}

void TAnalyserDataGroup::SetRestrictionColumn(int i, int columnId) {
    if (i >= 0 && i <= 2) FRestrictionColumns[static_cast<size_t>(i)] = columnId;
}

TAnalyserData* TAnalyserDataGroup::FindRow(std::int32_t key) const {
    for (auto it = FRows.rbegin(); it != FRows.rend(); ++it)
        if ((*it)->Key() == key) return it->get();
    return nullptr;
}

TAnalyserData* TAnalyserDataGroup::RowForKey(std::int32_t key) {
    // Keys of most groupings equal the row index, which saves the search.
    if (key >= 0 && key < RowCount() && FRows[static_cast<size_t>(key)]->Key() == key)
        return FRows[static_cast<size_t>(key)].get();
    if (TAnalyserData* row = FindRow(key)) return row;
    return AddRow(key, std::to_string(key));
}

void TAnalyserDataGroup::AddToRow(int kind, std::int32_t key, std::int64_t size) {
    RowForKey(key)->AddFile(kind, size);
    SetDirty();
}

void TAnalyserDataGroup::AddCountToRow(int kind, std::int32_t key, std::int64_t count, std::int64_t size) {
    RowForKey(key)->AddFiles(kind, count, size);
    SetDirty();
}

// ---- rows by name ----

TAnalyserData* TAnalyserSortedGroup::AddRow(std::int32_t key, std::string name) {
    TAnalyserData* row = TAnalyserDataGroup::AddRow(key, std::move(name));
    FKeyByName.insert_or_assign(row->Name(), key);
    return row;
}

TAnalyserData* TAnalyserSortedGroup::AddUnnamedRow(std::int32_t key, std::string name) {
    return TAnalyserDataGroup::AddRow(key, std::move(name));
}

void TAnalyserSortedGroup::Reset() {
    FreeRows();
    FKeyByName.clear();
    TAnalyserDataGroup::Reset();
}

std::int32_t TAnalyserSortedGroup::KeyOfName(std::string_view name) {
    if (auto it = FKeyByName.find(name); it != FKeyByName.end()) return it->second;
    const std::int32_t key = RowCount();
    AddRow(key, std::string(name));
    return key;
}

std::int32_t TAnalyserSortedGroup::FindKeyOfName(std::string_view name) const {
    auto it = FKeyByName.find(name);
    return it != FKeyByName.end() ? it->second : -1;
}

std::string AnalyserExtension(std::string_view name) {
    return model::ExtensionKey(name);
}

std::string AnalyserTypeName(std::string_view name) {
    std::string type = name.rfind('.') == std::string_view::npos
                           ? std::string("File")
                           : model::TypeList().TypeNameOfExtension(model::ExtensionKey(name));
    if (IsBlank(type)) type = "File";
    return type;
}

// ---- size ----

TAnalyserSizeGroup::TAnalyserSizeGroup() : TAnalyserDataGroup("Size Range", "File Size Distribution") {
    SetRestrictionCaption(0, "File Size Restriction");
    SetRestrictionColumn(0, 1);
    static const char* const names[13] = {
        "less 1K",   "1K - 16K", "16K - 32K", "32K - 64K", "64K - 128K", "128K - 256K", "256K - 512K",
        "512K - 1M", "1M - 2M",  "2M - 4M",   "4M - 8M",   "8M - 16M",   "more 16M"};
    for (int key = 0; key < 13; ++key)
        AddRow(key, names[key]);
}

int TAnalyserSizeGroup::IndexOfSize(std::int64_t size) {
    static const std::int64_t bounds[12] = {1024,   16384,   32768,   65536,   131072,  262144,
                                            524288, 1048576, 2097152, 4194304, 8388608, 16777216};
    for (int key = 0; key < 12; ++key)
        if (size < bounds[key]) return key;
    return 12;
}

int TAnalyserSizeGroup::GetIndex(int kind, const TItem& file) {
    return kind == 1 ? IndexOfSize(file.GetSize()) : -1;
}

// ---- attributes ----

namespace {
struct TAttrRow {
    const char* name;
    std::uint32_t bit;
};
const TAttrRow kAttrRows[8] = {{"ARCHIVE", model::kAttrArchive}, {"COMPRESSED", model::kAttrCompressed},
                               {"HIDDEN", model::kAttrHidden},   {"NORMAL", model::kAttrNormal},
                               {"OFFLINE", model::kAttrOffline}, {"READONLY", model::kAttrReadOnly},
                               {"SYSTEM", model::kAttrSystem},   {"TEMPORARY", model::kAttrTemporary}};
} // namespace

TAnalyserAttrGroup::TAnalyserAttrGroup() : TAnalyserDataGroup("Attribute", "File Attributes Distribution") {
    SetRestrictionCaption(0, "File Attributes Restriction");
    SetRestrictionColumn(0, 6);
    for (int key = 0; key < 8; ++key)
        AddRow(key, kAttrRows[key].name);
}

std::uint32_t TAnalyserAttrGroup::BitOfKey(std::int32_t key) {
    return key >= 0 && key < 8 ? kAttrRows[key].bit : 0;
}

void TAnalyserAttrGroup::RecalcTotals() {
    ClearDirty();
}

void TAnalyserAttrGroup::AddItem(const TItem& file) {
    const std::uint32_t attributes = file.Attributes();
    const std::int64_t size = file.GetSize();
    for (int key = 0; key < 8; ++key)
        if (attributes & kAttrRows[key].bit) AddToRow(1, key, size);
    Total()->AddFile(1, size);
}

int TAnalyserAttrGroup::GetIndex(int, const TItem&) {
    return -1;
}

bool TAnalyserAttrGroup::Matches(int kind, std::int32_t key, const TItem& file) {
    return kind == 1 && (file.Attributes() & BitOfKey(key)) != 0;
}

// ---- extension, type, folder ----

TAnalyserExtGroup::TAnalyserExtGroup() : TAnalyserSortedGroup("Extension", "File Extension Distribution") {
    SetRestrictionCaption(0, "File Extension Restriction");
    SetRestrictionColumn(0, 16);
}

int TAnalyserExtGroup::GetIndex(int kind, const TItem& file) {
    return kind == 1 ? KeyOfName(AnalyserExtension(file.Name())) : -1;
}

bool TAnalyserExtGroup::Matches(int kind, std::int32_t key, const TItem& file) {
    return kind == 1 && key >= 0 && FindKeyOfName(AnalyserExtension(file.Name())) == key;
}

TAnalyserTypeGroup::TAnalyserTypeGroup() : TAnalyserSortedGroup("Type", "File Type Distribution") {
    SetRestrictionCaption(0, "File Type Restriction");
    SetRestrictionColumn(0, 2);
}

int TAnalyserTypeGroup::GetIndex(int kind, const TItem& file) {
    return kind == 1 ? KeyOfName(AnalyserTypeName(file.Name())) : -1;
}

bool TAnalyserTypeGroup::Matches(int kind, std::int32_t key, const TItem& file) {
    return kind == 1 && key >= 0 && FindKeyOfName(AnalyserTypeName(file.Name())) == key;
}

TAnalyserFoldGroup::TAnalyserFoldGroup() : TAnalyserSortedGroup("Folder", "Folders") {}

void TAnalyserFoldGroup::Reset() {
    FCurrentKey = -1;
    TAnalyserSortedGroup::Reset();
}

void TAnalyserFoldGroup::AddFolder(std::string_view name, std::int64_t count, std::int64_t size) {
    AddCountToRow(1, KeyOfName(name), count, size);
}

void TAnalyserFoldGroup::AddCurrentFolder(std::int64_t count, std::int64_t size) {
    if (FCurrentKey == -1) {
        FCurrentKey = RowCount();
        AddUnnamedRow(FCurrentKey, std::string(kCurrentFolderName));
    }
    AddCountToRow(1, FCurrentKey, count, size);
}

// ---- custom ----

TAnalyserCusGroup::TAnalyserCusGroup(std::string caption, std::string title, std::string definition)
    : TAnalyserDataGroup(std::move(caption), std::move(title)), FDefinition(std::move(definition)) {
    std::string token;
    bool haveName = false;
    std::int32_t key = 0;
    for (char c : FDefinition) {
        if (c != kDefinitionEnd) {
            token += c;
            continue;
        }
        if (!haveName) {
            FReportName = std::move(token);
            haveName = true;
        } else {
            AddRow(key++, std::move(token));
            if (key == 10) break;
        }
        token.clear();
    }
}

void TAnalyserCusGroup::RecalcTotals() {
    ClearDirty();
}

void TAnalyserCusGroup::AddItem(const TItem& file) {
    const std::int64_t size = file.GetSize();
    const int key = GetIndex(1, file);
    if (key != -1) AddToRow(1, key, size);
    Total()->AddFile(1, size);
}

int TAnalyserCusGroup::KeyOfRowName(std::string_view name) const {
    for (int i = RowCount() - 1; i >= 0; --i)
        if (GetRow(i)->Name() == name) return GetRow(i)->Key();
    return -1;
}

TAnalyserCusExtGroup::TAnalyserCusExtGroup(std::string definition)
    : TAnalyserCusGroup("Extension", "File Extension Distribution", std::move(definition)) {
    SetRestrictionCaption(0, "File Extension Restriction");
    SetRestrictionColumn(0, 16);
}

int TAnalyserCusExtGroup::GetIndex(int kind, const TItem& file) {
    return kind == 1 ? KeyOfRowName(AnalyserExtension(file.Name())) : -1;
}

TAnalyserCusTypeGroup::TAnalyserCusTypeGroup(std::string definition)
    : TAnalyserCusGroup("Type", "File Type Distribution", std::move(definition)) {
    SetRestrictionCaption(0, "File Type Restriction");
    SetRestrictionColumn(0, 2);
}

int TAnalyserCusTypeGroup::GetIndex(int kind, const TItem& file) {
    return kind == 1 ? KeyOfRowName(AnalyserTypeName(file.Name())) : -1;
}

// ---- dates and hours ----

namespace {

// Calendar parts of a date, the time of day rounded to the millisecond (so a time that rounds to
// midnight is on the next day, as every listing shows it).
bool CalendarOf(TDateTime date, platform::TCalendar& out) {
    return platform::DecodeDateTime(date, out);
}

std::int32_t ClampToInt32(double v) {
    if (!std::isfinite(v)) return TAnalyserDateTimeGroup::kNoNumber;
    if (v <= -2147483647.0) return -2147483647;
    if (v >= 2147483647.0) return 2147483647;
    return static_cast<std::int32_t>(v); // truncates toward zero
}

void SetDateCaptions(TAnalyserDataGroup& group, const char* const prefix, const char* const what) {
    static const char* const kinds[7] = {"Creation",
                                         "Last Write",
                                         "Last Access",
                                         "Creation or Last Write",
                                         "Creation or Last Access",
                                         "Last Write or Last Access",
                                         "Creation, Last Write or Last Access"};
    for (int i = 0; i < 7; ++i)
        group.SetRestrictionCaption(i, std::string(prefix) + kinds[i] + " " + what);
    group.SetRestrictionColumn(0, 4);
    group.SetRestrictionColumn(1, 3);
    group.SetRestrictionColumn(2, 5);
}

void AddRows(TAnalyserDataGroup& group, std::initializer_list<const char*> names) {
    std::int32_t key = 0;
    for (const char* name : names)
        group.AddRow(key++, name);
}

} // namespace

void TAnalyserDateTimeGroup::SetReferenceDate(TDateTime date) {
    FReferenceDate = date;
    platform::TCalendar c;
    if (CalendarOf(date, c)) {
        FRefYear = static_cast<std::uint16_t>(c.year);
        FRefMonth = static_cast<std::uint16_t>(c.month);
        FRefDay = static_cast<std::uint16_t>(c.day);
    } else {
        FRefYear = FRefMonth = FRefDay = 0;
    }
}

std::int32_t TAnalyserDateTimeGroup::DayNumber(TDateTime date) const {
    // The calendar range of DecodeDateTime, without decoding.
    if (!std::isfinite(date) || date < -693593.0 || date >= 2958466.0) return kNoNumber;
    return ClampToInt32(FReferenceDate - date);
}

std::int32_t TAnalyserDateTimeGroup::MonthNumber(TDateTime date) const {
    platform::TCalendar c;
    if (!CalendarOf(date, c)) return kNoNumber;
    std::int32_t m = 12 * (FRefYear - c.year) + (FRefMonth - c.month) + 1;
    if (FRefDay < c.day) --m;
    return m;
}

std::int32_t TAnalyserDateTimeGroup::YearNumber(TDateTime date) const {
    platform::TCalendar c;
    if (!CalendarOf(date, c)) return kNoNumber;
    std::int32_t y = (FRefYear - c.year) + 1;
    if (FRefMonth < c.month || (FRefMonth == c.month && FRefDay < c.day)) --y;
    return y;
}

TDateTime TAnalyserDateTimeGroup::DateOfKind(int kind, const TItem& file) {
    switch (kind) {
    case 1:
        return file.Created();
    case 2:
        return file.GetModified();
    default:
        return file.GetAccessed();
    }
}

TAnalyserTimeGroup::TAnalyserTimeGroup() : TAnalyserDateTimeGroup("Time of day", "File Time Distribution") {
    SetDateCaptions(*this, "File Time Restriction - ", "Time");
    for (int h = 0; h < 24; ++h)
        AddRow(h, std::to_string(h) + "h");
}

int TAnalyserTimeGroup::HourOf(TDateTime date) {
    platform::TCalendar c;
    return CalendarOf(date, c) ? c.hour : 0;
}

int TAnalyserTimeGroup::GetIndex(int kind, const TItem& file) {
    return HourOf(DateOfKind(kind, file));
}

TAnalyserDateGroup::TAnalyserDateGroup() : TAnalyserDateTimeGroup("Date Range", "File Date Distribution") {
    SetDateCaptions(*this, "File Date Restriction - ", "Date");
}

TAnalyserDate0Group::TAnalyserDate0Group() {
    AddRows(*this, {"0 to 1 day", "1 to 2 days", "2 to 3 days", "3 to 4 days", "4 to 5 days", "5 to 6 days",
                    "6 to 7 days", "other"});
}

int TAnalyserDate0Group::GetIndex(int kind, const TItem& file) {
    const std::int32_t d = DayNumber(DateOfKind(kind, file));
    return d >= 0 && d <= 6 ? d : 7;
}

TAnalyserDate1Group::TAnalyserDate1Group() {
    AddRows(*this, {"0 to 1 week", "1 to 2 weeks", "2 to 3 weeks", "3 to 4 weeks", "4 to 5 weeks",
                    "5 to 6 weeks", "6 to 7 weeks", "7 to 8 weeks", "other"});
}

int TAnalyserDate1Group::GetIndex(int kind, const TItem& file) {
    const std::int32_t d = DayNumber(DateOfKind(kind, file));
    return d >= 0 && d < 56 ? d / 7 : 8;
}

TAnalyserDate2Group::TAnalyserDate2Group() {
    AddRows(*this, {"0 to 1 month", "1 to 2 months", "2 to 3 months", "3 to 4 months", "4 to 5 months",
                    "5 to 6 months", "6 to 7 months", "7 to 8 months", "8 to 9 months", "9 to 10 months",
                    "10 to 11 months", "11 to 12 months", "other"});
}

int TAnalyserDate2Group::GetIndex(int kind, const TItem& file) {
    const std::int32_t m = MonthNumber(DateOfKind(kind, file));
    return m >= 1 && m <= 12 ? m - 1 : 12;
}

TAnalyserDate3Group::TAnalyserDate3Group() {
    AddRows(*this, {"0 to 6 months", "6 to 12 months", "12 to 18 months", "18 to 24 months",
                    "24 to 30 months", "30 to 36 months", "36 to 42 months", "42 to 48 months",
                    "48 to 54 months", "54 to 60 months", "other"});
}

int TAnalyserDate3Group::GetIndex(int kind, const TItem& file) {
    const std::int32_t m = MonthNumber(DateOfKind(kind, file));
    return m >= 1 && m <= 60 ? (m - 1) / 6 : 10;
}

TAnalyserDate4Group::TAnalyserDate4Group() {
    AddRows(*this, {"0 to 1 year", "1 to 2 years", "2 to 3 years", "3 to 4 years", "4 to 5 years", "other"});
}

int TAnalyserDate4Group::GetIndex(int kind, const TItem& file) {
    const std::int32_t y = YearNumber(DateOfKind(kind, file));
    return y >= 1 && y <= 5 ? y - 1 : 5;
}

TAnalyserDate5Group::TAnalyserDate5Group() {
    AddRows(*this, {"0 to 24 hour", "1 day to 1 week", "1 week to 1 month", "1 to 3 months", "3 to 6 months",
                    "6 to 12 months", "other"});
}

int TAnalyserDate5Group::GetIndex(int kind, const TItem& file) {
    const TDateTime date = DateOfKind(kind, file);
    const std::int32_t d = DayNumber(date);
    if (d < -1) return 6;
    if (d <= 0) return 0;
    if (d < 7) return 1;
    const std::int32_t m = MonthNumber(date);
    if (m < 2) return 2;
    if (m < 4) return 3;
    if (m < 7) return 4;
    if (YearNumber(date) < 2) return 5;
    return 6;
}

} // namespace analyser
