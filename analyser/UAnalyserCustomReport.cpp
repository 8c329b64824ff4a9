#include "analyser/UAnalyserCustomReport.h"

#include "model/UShellUtil.h"

#include <algorithm>

namespace analyser {

namespace {
// The kinds the built-in type report counts: executables, shared libraries, plain text, HTML and
// help files. Items of a type report are type names, so they must be the names the type table
// gives: the MIME database's, in its language. The English names stand in without a desktop.
struct TDefaultType {
    const char* mimeType;
    const char* name;
};
constexpr TDefaultType kDefaultTypes[] = {
    {"application/x-executable", "executable"},  {"application/x-sharedlib", "shared library"},
    {"text/plain", "plain text document"},       {"text/html", "HTML document"},
    {"application/winhlp", "WinHelp help file"},
};
} // namespace

std::string DefaultReportDefinition(int kind) {
    if (kind == kTypeReport) {
        std::vector<std::string> items;
        for (const TDefaultType& t : kDefaultTypes) {
            std::string name = model::GetMimeTypeName(t.mimeType);
            items.push_back(name.empty() ? t.name : std::move(name));
        }
        return FormatReportDefinition("Default", items);
    }
    return FormatReportDefinition("Default", {".JPG", ".EXE", ".DLL", ".MP3", ".DOC"});
}

std::string FormatReportDefinition(std::string_view name, const std::vector<std::string>& items) {
    std::string s(name);
    s += kDefinitionEnd;
    for (size_t i = 0; i < items.size() && i < static_cast<size_t>(kMaxReportItems); ++i) {
        s += items[i];
        s += kDefinitionEnd;
    }
    return s;
}

bool ParseReportDefinition(std::string_view definition, std::string& name, std::vector<std::string>& items) {
    const size_t end = definition.find(kDefinitionEnd);
    if (end == std::string_view::npos || IsBlankText(definition.substr(0, end))) return false;
    name.assign(definition.substr(0, end));
    items.clear();
    size_t start = end + 1;
    while (items.size() < static_cast<size_t>(kMaxReportItems)) {
        const size_t next = definition.find(kDefinitionEnd, start);
        if (next == std::string_view::npos) break;
        items.emplace_back(definition.substr(start, next - start));
        start = next + 1;
    }
    return true;
}

bool IsBlankText(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) > 32) return false;
    return true;
}

bool HasControlCharacters(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 32 || c == 127) return true;
    return false;
}

bool IsValidReportText(std::string_view text) {
    return !IsBlankText(text) && !HasControlCharacters(text);
}

std::string NormaliseManualEntry(int kind, std::string_view text) {
    if (kind != kExtensionReport) return std::string(text);
    std::string upper = model::UpperAscii(text);
    if (upper == "NONE") return "none";
    if (upper.empty() || upper.front() != '.') upper.insert(upper.begin(), '.');
    return upper;
}

std::vector<std::string> AvailableReportItems(int kind, const model::TTypeList& types) {
    std::vector<std::string> sorted;
    const auto less = [](const std::string& a, const std::string& b) {
        return model::CompareTextUpper(a, b) < 0;
    };
    for (int i = types.Count() - 1; i >= 0; --i) {
        const model::TTypeItem& entry = types.Items(i);
        if (kind == kExtensionReport && entry.Key == model::kTypeNameKey) continue;
        const std::string& text = kind == kTypeReport ? entry.TypeName : entry.Key;
        if (IsBlankText(text)) continue; // nothing a report could list
        auto at = std::lower_bound(sorted.begin(), sorted.end(), text, less);
        if (at == sorted.end() || less(text, *at)) sorted.insert(at, text);
    }
    return sorted;
}

TAnalyserCustomReport* TAnalyserCustomReportList::FindReport(std::string_view name) const {
    const int i = IndexOfReport(name);
    return i >= 0 ? Report(i) : nullptr;
}

int TAnalyserCustomReportList::IndexOfReport(std::string_view name) const {
    for (int i = ReportCount() - 1; i >= 0; --i)
        if (Report(i)->Name == name) return i;
    return -1;
}

void TAnalyserCustomReportList::ClearReports() {
    while (!FReports.empty())
        FReports.pop_back();
}

bool TAnalyserCustomReportList::AddReportFromString(std::string_view definition) {
    std::string name;
    std::vector<std::string> items;
    if (!ParseReportDefinition(definition, name, items)) return false;
    TAnalyserCustomReport* report = FindReport(name);
    if (report == nullptr) report = AppendReport(name);
    report->Items = std::move(items);
    return true;
}

std::string TAnalyserCustomReportList::GetReportString(int i) const {
    if (i < 0 || i >= ReportCount()) return {};
    return FormatReportDefinition(Report(i)->Name, Report(i)->Items);
}

TAnalyserCustomReport* TAnalyserCustomReportList::AppendReport(std::string name) {
    FReports.push_back(std::make_unique<TAnalyserCustomReport>(std::move(name)));
    return FReports.back().get();
}

void TAnalyserCustomReportList::DeleteReport(int i) {
    if (i >= 0 && i < ReportCount()) FReports.erase(FReports.begin() + i);
}

void TAnalyserCustomReportList::LoadDefaults(int kind) {
    ClearReports();
    AddReportFromString(DefaultReportDefinition(kind));
}

} // namespace analyser
