// The file-type table: one row per extension (or per shell type name), giving the type name and
// icon that every listing shows. Rows are only ever appended, so an index stays valid for the run.
// Look-ups by key and by name go through hash indexes that give the first matching row, exactly as
// a linear search from the first row would.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace model {

struct TTypeItem {
    std::string Key;      // ".TXT", "none", or kTypeNameKey for a type known only by its name
    std::string TypeName; // the shell's description, or a made-up one ("TXT File", "File")
    int IconIndex = -1;
};

// The key of rows found by type name; no extension key can equal it.
inline constexpr std::string_view kTypeNameKey = "sdfw3455654h";

class TTypeList {
public:
    // The first row with this key (exact, case-sensitive), else a new row for it.
    int IndexOfExtension(std::string_view key);
    // The first row with this type name (exact), else a new row keyed kTypeNameKey.
    int IndexOfName(std::string_view typeName);
    int AddExtension(std::string_view key) { return AddExtensionInfo(key, nullptr, nullptr); }
    // A new row for key, asking the shell; gives the row's type name and icon when asked for.
    int AddExtensionInfo(std::string_view key, std::string* typeName, int* icon);
    int AddTypeName(std::string_view typeName);
    // The type name of the first row with key, else of a new row.
    std::string TypeNameOfExtension(std::string_view key);

    [[nodiscard]] std::string TypeName(int index) const;
    [[nodiscard]] int IconIndex(int index) const;
    [[nodiscard]] const TTypeItem& Items(int index) const { return FItems[static_cast<size_t>(index)]; }
    [[nodiscard]] int Count() const { return static_cast<int>(FItems.size()); }

private:
    int Append(TTypeItem item);
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::vector<TTypeItem> FItems;
    std::unordered_map<std::string, int, Hash, std::equal_to<>> FByKey;  // first row per key
    std::unordered_map<std::string, int, Hash, std::equal_to<>> FByName; // first row per type name
};

// The program's one type table.
TTypeList& TypeList();

} // namespace model
