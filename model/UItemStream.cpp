// Item records of the exploration file. Not built yet; every entry point says so.
#include "model/UItem.h"

#include <stdexcept>

namespace model {

namespace {
[[noreturn]] void NotBuilt() { throw std::logic_error("the exploration file is not built yet"); }
} // namespace

void TItem::LoadFromStream(TRecordReader&, std::uint8_t, std::uint32_t) { NotBuilt(); }
void TItem::SaveToStream(TRecordWriter&) { NotBuilt(); }
void TFileItem::LoadFromStream(TRecordReader&, std::uint8_t, std::uint32_t) { NotBuilt(); }
void TFileItem::SaveToStream(TRecordWriter&) { NotBuilt(); }
void TFolderItem::SaveToStream(TRecordWriter&) { NotBuilt(); }

} // namespace model
