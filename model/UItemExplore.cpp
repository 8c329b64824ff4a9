// Exploring: filling the tree from the file system. Not built yet; every entry point says so.
#include "model/UItem.h"

#include <stdexcept>

namespace model {

namespace {
[[noreturn]] void NotBuilt() { throw std::logic_error("exploring is not built yet"); }
} // namespace

void TFolderItem::Expand(bool, bool) { NotBuilt(); }
void TFolderItem::ExpandChildren() { NotBuilt(); }
bool TFolderItem::Explore() { NotBuilt(); }
void TFolderItem::ScanFolder(const std::string&, TFolderItem*) { NotBuilt(); }
void TFolderItem::ListSubfolders(const std::string&, TFolderItem*) { NotBuilt(); }
void TFolderItem::ScanSelf() { NotBuilt(); }

} // namespace model
