#include "model/UTypeList.h"

#include "model/UItem.h"
#include "model/UShellUtil.h"

namespace model {

int TTypeList::Append(TTypeItem item) {
    const int index = Count();
    FByKey.emplace(item.Key, index);     // keeps an earlier row with the same key
    FByName.emplace(item.TypeName, index);
    FItems.push_back(std::move(item));
    return index;
}

int TTypeList::IndexOfExtension(std::string_view key) {
    if (auto it = FByKey.find(key); it != FByKey.end()) return it->second;
    return AddExtension(key);
}

int TTypeList::IndexOfName(std::string_view typeName) {
    if (auto it = FByName.find(typeName); it != FByName.end()) return it->second;
    return AddTypeName(typeName);
}

int TTypeList::AddExtensionInfo(std::string_view key, std::string* typeName, int* icon) {
    std::string extension;
    if (!key.empty() && key != "none") extension = UpperAscii(key.substr(1));
    std::string name;
    const int iconIndex = GetExtensionIcon(extension, false, name);
    if (name.empty()) name = !extension.empty() && extension[0] != ' ' ? extension + " File" : "File";
    if (typeName) *typeName = name;
    if (icon) *icon = iconIndex;
    return Append({std::string(key), std::move(name), iconIndex});
}

int TTypeList::AddTypeName(std::string_view typeName) {
    return Append({std::string(kTypeNameKey), std::string(typeName), -1});
}

std::string TTypeList::TypeNameOfExtension(std::string_view key) {
    if (auto it = FByKey.find(key); it != FByKey.end()) return FItems[static_cast<size_t>(it->second)].TypeName;
    std::string name;
    AddExtensionInfo(key, &name, nullptr);
    return name;
}

std::string TTypeList::TypeName(int index) const {
    if (index < 0 || index >= Count()) return {};
    return FItems[static_cast<size_t>(index)].TypeName;
}

int TTypeList::IconIndex(int index) const {
    if (index < 0 || index >= Count()) return -1;
    return FItems[static_cast<size_t>(index)].IconIndex;
}

TTypeList& TypeList() {
    static TTypeList* list = new TTypeList; // lives for the run: indexes in items stay valid at exit
    return *list;
}

} // namespace model
