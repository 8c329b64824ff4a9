// Custom reports while they are edited, and their definition strings: the report name, then at
// most 10 items, every token ended by the byte 0x01 (kDefinitionEnd). The analyser window builds
// its custom groups from these strings and keeps them in its settings.
#pragma once

#include "analyser/UAnalyserData.h"
#include "model/UTypeList.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace analyser {

inline constexpr int kMaxReportItems = 10;

// Report kinds: items are extensions (".JPG", "none") or type names.
enum : int { kExtensionReport = 0, kTypeReport = 1 };

// The built-in report of a kind, used when none is stored.
[[nodiscard]] std::string DefaultReportDefinition(int kind);

// Name + 0x01, then each of the first 10 items + 0x01.
[[nodiscard]] std::string FormatReportDefinition(std::string_view name,
                                                 const std::vector<std::string>& items);

// Splits a definition: false (and nothing set) when it has no 0x01 or its name is blank. At most
// 10 items; what follows the last 0x01 is ignored. Items may be empty.
bool ParseReportDefinition(std::string_view definition, std::string& name, std::vector<std::string>& items);

// Empty, or only bytes of code 32 and below.
[[nodiscard]] bool IsBlankText(std::string_view text);
// Holds a byte below 32 or the byte 127; such text could split or garble a definition.
[[nodiscard]] bool HasControlCharacters(std::string_view text);
// A report name or item the editor accepts from the user: not blank, no control characters.
[[nodiscard]] bool IsValidReportText(std::string_view text);

// A manual entry as the report item it stands for. Type reports keep the text as typed; in an
// extension report any case of "none" is "none", anything else is upper-cased (ASCII letters)
// and gets a leading dot, as every extension of a file name has one.
[[nodiscard]] std::string NormaliseManualEntry(int kind, std::string_view text);

// What the editor offers to add: the type table's extension keys (kind 0; not the key of rows
// known only by name) or type names (kind 1), sorted with ASCII letters compared without case,
// one entry per spelling that differs only in case (the spelling of the last table row wins).
[[nodiscard]] std::vector<std::string> AvailableReportItems(int kind, const model::TTypeList& types);

// One report while it is edited.
class TAnalyserCustomReport {
public:
    explicit TAnalyserCustomReport(std::string name) : Name(std::move(name)) {}
    std::vector<std::string> Items;
    std::string Name;
};

// The reports of one kind, in order; owns them.
class TAnalyserCustomReportList {
public:
    [[nodiscard]] int ReportCount() const { return static_cast<int>(FReports.size()); }
    // 0 <= i < ReportCount().
    [[nodiscard]] TAnalyserCustomReport* Report(int i) const {
        return FReports.at(static_cast<size_t>(i)).get();
    }
    // The last report named name exactly, or null.
    [[nodiscard]] TAnalyserCustomReport* FindReport(std::string_view name) const;
    // Index of FindReport (name), -1 when none.
    [[nodiscard]] int IndexOfReport(std::string_view name) const;

    void ClearReports();
    // The report of the definition's name (a new one at the end when there is none) gets the
    // definition's items. False, and nothing changes, for a definition ParseReportDefinition refuses.
    bool AddReportFromString(std::string_view definition);
    // The definition of report i; empty outside 0 .. ReportCount() - 1.
    [[nodiscard]] std::string GetReportString(int i) const;
    // A new empty report at the end.
    TAnalyserCustomReport* AppendReport(std::string name);
    // Removes and frees report i (ignored outside the list).
    void DeleteReport(int i);
    // Only the default report of kind.
    void LoadDefaults(int kind);

private:
    std::vector<std::unique_ptr<TAnalyserCustomReport>> FReports;
};

} // namespace analyser
