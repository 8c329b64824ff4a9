#include "listing/UColumnStore.h"

namespace listing {

void StoreColumnLayout(platform::TRegistry& store, std::string_view valueName, const TColumnGroup& group) {
    store.WriteBinary(valueName, LayoutToBytes(group.SaveToArray()));
}

bool LoadColumnLayout(const platform::TRegistry& store, std::string_view valueName, TColumnGroup& group) {
    if (store.DataSize(valueName) <= 7) return false;
    const platform::TRegRead<platform::TBytes> bytes = store.ReadBinary(valueName);
    if (!bytes.Ok()) return false;
    return group.LoadFromArray(LayoutFromBytes(bytes.value));
}

} // namespace listing
