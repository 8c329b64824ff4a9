// Column layouts kept in the settings store: a group's stored layout as one binary value
// (little-endian int32: count, visible count, then id and width per position).
#pragma once

#include "listing/UColumn.h"
#include "platform/PQtRegistry.h"

#include <string_view>

namespace listing {

// Writes the group's layout under valueName in the store's current key.
void StoreColumnLayout(platform::TRegistry& store, std::string_view valueName, const TColumnGroup& group);
// Reads it back: a missing, short (7 bytes or fewer), wrongly typed or refused layout leaves the
// group as it was and gives false.
bool LoadColumnLayout(const platform::TRegistry& store, std::string_view valueName, TColumnGroup& group);

} // namespace listing
