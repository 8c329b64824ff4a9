// Analyser report rows and the groupings that sort a folder's files into them: size ranges,
// attributes, extensions, types, folders, custom lists, dates and hours of day.
//
// A group owns its ordinary rows, its TOTAL row and its separator row; rows point back at their
// group without owning it. Row pointers stay valid until the group's Reset (on-demand groupings:
// extension, type, folder free their rows there) or its destruction.
//
// Every row holds three counter sets ("kinds" 1, 2, 3). The non-date groupings count kind 1 only;
// the date and time groupings classify a file three times: kind 1 by its creation date, kind 2 by
// its last-write date, kind 3 by its last-access date. Counts are 64-bit, as item-tree counts are.
#pragma once

#include "model/UItem.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace analyser {

using model::TDateTime;
using model::TItem;

class TAnalyserDataGroup;

// Keys of the two special rows of every group.
inline constexpr std::int32_t kTotalKey = -1;
inline constexpr std::int32_t kSeparatorKey = -2;

// The byte that ends every token of a custom report definition.
inline constexpr char kDefinitionEnd = '\x01';

// Base of every row: its label, its key within the group and the group (not owned; may be null).
class TAnalyserBaseData {
public:
    TAnalyserBaseData(TAnalyserDataGroup* group, std::string name, std::int32_t key)
        : FName(std::move(name)), FKey(key), FGroup(group) {}
    virtual ~TAnalyserBaseData() = default;
    TAnalyserBaseData(const TAnalyserBaseData&) = delete;
    TAnalyserBaseData& operator=(const TAnalyserBaseData&) = delete;

    [[nodiscard]] const std::string& Name() const { return FName; }
    // 0 and up for ordinary rows, kTotalKey for the TOTAL, kSeparatorKey for the separator.
    [[nodiscard]] std::int32_t Key() const { return FKey; }
    [[nodiscard]] TAnalyserDataGroup* Group() const { return FGroup; }

private:
    std::string FName;
    std::int32_t FKey;
    TAnalyserDataGroup* FGroup;
};

// An ordinary row: count and size of the files it holds, per kind.
class TAnalyserData : public TAnalyserBaseData {
public:
    using TAnalyserBaseData::TAnalyserBaseData;

    [[nodiscard]] virtual std::int64_t GetCount1() const { return FCount[0]; }
    [[nodiscard]] virtual std::int64_t GetSize1() const { return FSize[0]; }
    [[nodiscard]] virtual std::int64_t GetCount2() const { return FCount[1]; }
    [[nodiscard]] virtual std::int64_t GetSize2() const { return FSize[1]; }
    [[nodiscard]] virtual std::int64_t GetCount3() const { return FCount[2]; }
    [[nodiscard]] virtual std::int64_t GetSize3() const { return FSize[2]; }
    // Percentages of the group's TOTAL of the same kind and measure (0 without a group or when
    // that total is not positive). Reading them may recompute a dirty TOTAL.
    [[nodiscard]] virtual double GetSizePercent1() const;
    [[nodiscard]] virtual double GetCountPercent1() const;
    [[nodiscard]] virtual double GetSizePercent2() const;
    [[nodiscard]] virtual double GetCountPercent2() const;
    [[nodiscard]] virtual double GetSizePercent3() const;
    [[nodiscard]] virtual double GetCountPercent3() const;
    virtual void Clear();

    // Getters by kind (1-3); 0 for any other kind.
    [[nodiscard]] std::int64_t GetCount(int kind) const;
    [[nodiscard]] std::int64_t GetSize(int kind) const;

    // One more file of that kind; any kind outside 1-3 changes nothing.
    void AddFile(int kind, std::int64_t size);
    void AddFiles(int kind, std::int64_t count, std::int64_t size);

protected:
    std::array<std::int64_t, 3> FCount{};
    std::array<std::int64_t, 3> FSize{};
};

// The TOTAL row. Counters are recomputed by the group (RecalcTotals) on the first read after a
// row changed, so adding many files costs nothing until the total is shown.
class TAnalyserTotalData : public TAnalyserData {
public:
    explicit TAnalyserTotalData(TAnalyserDataGroup* group) : TAnalyserData(group, "TOTAL", kTotalKey) {}

    [[nodiscard]] std::int64_t GetCount1() const override;
    [[nodiscard]] std::int64_t GetSize1() const override;
    [[nodiscard]] std::int64_t GetCount2() const override;
    [[nodiscard]] std::int64_t GetSize2() const override;
    [[nodiscard]] std::int64_t GetCount3() const override;
    [[nodiscard]] std::int64_t GetSize3() const override;

    // Adds the values of row's own getters to the six counters.
    void Accumulate(const TAnalyserData& row);
    void SetDirty() { FDirty = true; }
    void ClearDirty() { FDirty = false; }
    [[nodiscard]] bool Dirty() const { return FDirty; }

private:
    void Refresh() const;
    bool FDirty = true;
};

// The separator drawn between the ordinary rows and the TOTAL; it has no counters.
class TAnalyserSeparatorData : public TAnalyserBaseData {
public:
    explicit TAnalyserSeparatorData(TAnalyserDataGroup* group)
        : TAnalyserBaseData(group, "-----", kSeparatorKey) {}
};

[[nodiscard]] inline bool IsTotalRow(const TAnalyserBaseData* row) {
    return dynamic_cast<const TAnalyserTotalData*>(row) != nullptr;
}
[[nodiscard]] inline bool IsSeparatorRow(const TAnalyserBaseData* row) {
    return dynamic_cast<const TAnalyserSeparatorData*>(row) != nullptr;
}

// One report: its ordinary rows in creation order, its TOTAL and its separator.
class TAnalyserDataGroup {
public:
    TAnalyserDataGroup(std::string caption, std::string title);
    virtual ~TAnalyserDataGroup(); // frees the rows last to first, then the TOTAL and the separator
    TAnalyserDataGroup(const TAnalyserDataGroup&) = delete;
    TAnalyserDataGroup& operator=(const TAnalyserDataGroup&) = delete;

    [[nodiscard]] const std::string& Caption() const { return FCaption; }
    [[nodiscard]] const std::string& Title() const { return FTitle; }

    // The TOTAL from the ordinary rows, then not dirty.
    virtual void RecalcTotals();
    // A new ordinary row (not checked for a free key); the group owns it.
    virtual TAnalyserData* AddRow(std::int32_t key, std::string name);
    // Classifies file for kinds 1, 2, 3 and counts it in the row of each.
    virtual void AddItem(const TItem& file);
    // Zeroes every counter; fixed rows stay (on-demand groupings free theirs).
    virtual void Reset();
    // Key of the row file belongs to for kind, or -1.
    [[nodiscard]] virtual int GetIndex(int kind, const TItem& file);
    // file belongs to the row with key for kind. Never creates rows.
    [[nodiscard]] virtual bool Matches(int kind, std::int32_t key, const TItem& file);

    // Window titles of the File Lister per kind set (0-6), empty outside; the column id that shows
    // what a kind (index 0-2 for kinds 1-3) is classified by, -1 outside or when none.
    [[nodiscard]] std::string GetRestrictionCaption(int i) const;
    void SetRestrictionCaption(int i, std::string text);
    [[nodiscard]] int GetRestrictionColumn(int i) const;
    void SetRestrictionColumn(int i, int columnId);

    [[nodiscard]] int RowCount() const { return static_cast<int>(FRows.size()); }
    // 0 <= i < RowCount().
    [[nodiscard]] TAnalyserData* GetRow(int i) const { return FRows.at(static_cast<size_t>(i)).get(); }
    // The last row with that key, or null.
    [[nodiscard]] TAnalyserData* FindRow(std::int32_t key) const;
    [[nodiscard]] TAnalyserTotalData* Total() const { return FTotal.get(); }
    [[nodiscard]] TAnalyserSeparatorData* Separator() const { return FSeparator.get(); }

    // Counts one file (or count files) in the row with key, creating a row named by the key in
    // decimal when there is none.
    void AddToRow(int kind, std::int32_t key, std::int64_t size);
    void AddCountToRow(int kind, std::int32_t key, std::int64_t count, std::int64_t size);
    void SetDirty() { FTotal->SetDirty(); }
    void ClearDirty() { FTotal->ClearDirty(); }

protected:
    // Frees every ordinary row, last to first.
    void FreeRows();
    TAnalyserData* RowForKey(std::int32_t key);

private:
    std::string FCaption;
    std::string FTitle;
    std::array<std::string, 7> FRestrictionCaptions;
    std::array<int, 3> FRestrictionColumns{-1, -1, -1};
    std::vector<std::unique_ptr<TAnalyserData>> FRows;
    std::unique_ptr<TAnalyserTotalData> FTotal;
    std::unique_ptr<TAnalyserSeparatorData> FSeparator;
};

// Rows made on demand, one per distinct name, keys dense from 0 in order of first appearance.
class TAnalyserSortedGroup : public TAnalyserDataGroup {
public:
    using TAnalyserDataGroup::TAnalyserDataGroup;

    TAnalyserData* AddRow(std::int32_t key, std::string name) override;
    void Reset() override; // frees the rows

    // Key of the row named name (exact bytes), a new row when there is none.
    std::int32_t KeyOfName(std::string_view name);
    // Key of the row named name, -1 when there is none; adds nothing.
    [[nodiscard]] std::int32_t FindKeyOfName(std::string_view name) const;

protected:
    // A row that name look-ups never find (the folder grouping's "Current Folder").
    TAnalyserData* AddUnnamedRow(std::int32_t key, std::string name);

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    // Name -> key of the last row with that name, as a search from the last row would find.
    std::unordered_map<std::string, std::int32_t, Hash, std::equal_to<>> FKeyByName;
};

// The extension key of a file name as the analyser groups by it: the upper-cased text from the
// last "." on (a trailing dot alone gives "."), or "none" without a dot.
[[nodiscard]] std::string AnalyserExtension(std::string_view name);
// The type name the type grouping uses: the type table's name of the extension, "File" without
// extension or when the name is blank.
[[nodiscard]] std::string AnalyserTypeName(std::string_view name);

// 13 size ranges, "less 1K" to "more 16M".
class TAnalyserSizeGroup : public TAnalyserDataGroup {
public:
    TAnalyserSizeGroup();
    [[nodiscard]] int GetIndex(int kind, const TItem& file) override;
    // Row of a size in bytes (negative sizes in row 0).
    [[nodiscard]] static int IndexOfSize(std::int64_t size);
};

// 8 attribute rows; a file counts in the row of every bit it has and once in the TOTAL.
class TAnalyserAttrGroup : public TAnalyserDataGroup {
public:
    TAnalyserAttrGroup();
    void RecalcTotals() override; // the TOTAL is counted directly
    void AddItem(const TItem& file) override;
    [[nodiscard]] int GetIndex(int kind, const TItem& file) override; // always -1
    [[nodiscard]] bool Matches(int kind, std::int32_t key, const TItem& file) override;
    // The attribute bit of a row key (0 outside 0-7).
    [[nodiscard]] static std::uint32_t BitOfKey(std::int32_t key);
};

// One row per extension (".TXT", ".", "none").
class TAnalyserExtGroup : public TAnalyserSortedGroup {
public:
    TAnalyserExtGroup();
    [[nodiscard]] int GetIndex(int kind, const TItem& file) override;
    [[nodiscard]] bool Matches(int kind, std::int32_t key, const TItem& file) override;
};

// One row per type name.
class TAnalyserTypeGroup : public TAnalyserSortedGroup {
public:
    TAnalyserTypeGroup();
    [[nodiscard]] int GetIndex(int kind, const TItem& file) override;
    [[nodiscard]] bool Matches(int kind, std::int32_t key, const TItem& file) override;
};

// One row per immediate subfolder plus the row of the files directly in the folder. Files are
// not classified (GetIndex is -1); rows come from AddFolder and AddCurrentFolder.
class TAnalyserFoldGroup : public TAnalyserSortedGroup {
public:
    static constexpr std::string_view kCurrentFolderName = "Current Folder";

    TAnalyserFoldGroup();
    void Reset() override;
    [[nodiscard]] int GetIndex(int kind, const TItem& file) override { return -1; }
    // A subfolder's files and bytes, in the row of its name.
    void AddFolder(std::string_view name, std::int64_t count, std::int64_t size);
    // The files directly in the folder, in the row "Current Folder", which is kept apart from a
    // subfolder of that name by its key.
    void AddCurrentFolder(std::int64_t count, std::int64_t size);
    // Key of the "Current Folder" row, -1 until it is added.
    [[nodiscard]] std::int32_t CurrentFolderKey() const { return FCurrentKey; }

private:
    std::int32_t FCurrentKey = -1;
};

// Rows from a definition string: name, then at most 10 items, each ended by kDefinitionEnd.
// The TOTAL counts every file added, listed or not.
class TAnalyserCusGroup : public TAnalyserDataGroup {
public:
    TAnalyserCusGroup(std::string caption, std::string title, std::string definition);
    void RecalcTotals() override; // the TOTAL is counted directly
    void AddItem(const TItem& file) override;

    [[nodiscard]] const std::string& ReportName() const { return FReportName; }
    [[nodiscard]] const std::string& Definition() const { return FDefinition; }

protected:
    // Key of the last row named name, -1 when none.
    [[nodiscard]] int KeyOfRowName(std::string_view name) const;

private:
    std::string FReportName;
    std::string FDefinition;
};

class TAnalyserCusExtGroup : public TAnalyserCusGroup {
public:
    explicit TAnalyserCusExtGroup(std::string definition);
    [[nodiscard]] int GetIndex(int kind, const TItem& file) override;
};

class TAnalyserCusTypeGroup : public TAnalyserCusGroup {
public:
    explicit TAnalyserCusTypeGroup(std::string definition);
    [[nodiscard]] int GetIndex(int kind, const TItem& file) override;
};

// Date and time groupings: ages measured from a reference date, and hours of day.
class TAnalyserDateTimeGroup : public TAnalyserDataGroup {
public:
    // What the day, month and year numbers give for a date that is not a calendar date
    // (not finite, outside years 1..9999): a value below every range, so it counts as "other".
    static constexpr std::int32_t kNoNumber = INT32_MIN;

    using TAnalyserDataGroup::TAnalyserDataGroup;

    // The moment ages are measured from, with its calendar parts.
    void SetReferenceDate(TDateTime date);
    [[nodiscard]] TDateTime ReferenceDate() const { return FReferenceDate; }
    [[nodiscard]] int RefYear() const { return FRefYear; }
    [[nodiscard]] int RefMonth() const { return FRefMonth; }
    [[nodiscard]] int RefDay() const { return FRefDay; }

    // Whole days from date to the reference (truncated toward zero; negative in the future).
    [[nodiscard]] std::int32_t DayNumber(TDateTime date) const;
    // Whole calendar months elapsed, plus 1.
    [[nodiscard]] std::int32_t MonthNumber(TDateTime date) const;
    // Whole years elapsed, plus 1.
    [[nodiscard]] std::int32_t YearNumber(TDateTime date) const;

    // The date a kind classifies by: 1 created, 2 last write, any other last access.
    [[nodiscard]] static TDateTime DateOfKind(int kind, const TItem& file);

private:
    TDateTime FReferenceDate = 0;
    std::uint16_t FRefYear = 0, FRefMonth = 0, FRefDay = 0;
};

// 24 rows "0h" to "23h".
class TAnalyserTimeGroup : public TAnalyserDateTimeGroup {
public:
    TAnalyserTimeGroup();
    [[nodiscard]] int GetIndex(int kind, const TItem& file) override;
    // Hour of the time of day rounded to the millisecond; a time that rounds to midnight is
    // hour 0 (of the next day); 0 for a date that is not a calendar date.
    [[nodiscard]] static int HourOf(TDateTime date);
};

// The common captions of the age groupings.
class TAnalyserDateGroup : public TAnalyserDateTimeGroup {
public:
    TAnalyserDateGroup();
};

class TAnalyserDate0Group : public TAnalyserDateGroup { // days
public:
    TAnalyserDate0Group();
    [[nodiscard]] int GetIndex(int kind, const TItem& file) override;
};
class TAnalyserDate1Group : public TAnalyserDateGroup { // weeks
public:
    TAnalyserDate1Group();
    [[nodiscard]] int GetIndex(int kind, const TItem& file) override;
};
class TAnalyserDate2Group : public TAnalyserDateGroup { // months
public:
    TAnalyserDate2Group();
    [[nodiscard]] int GetIndex(int kind, const TItem& file) override;
};
class TAnalyserDate3Group : public TAnalyserDateGroup { // half-years
public:
    TAnalyserDate3Group();
    [[nodiscard]] int GetIndex(int kind, const TItem& file) override;
};
class TAnalyserDate4Group : public TAnalyserDateGroup { // years
public:
    TAnalyserDate4Group();
    [[nodiscard]] int GetIndex(int kind, const TItem& file) override;
};
class TAnalyserDate5Group : public TAnalyserDateGroup { // progressive ranges
public:
    TAnalyserDate5Group();
    [[nodiscard]] int GetIndex(int kind, const TItem& file) override;
};

} // namespace analyser
