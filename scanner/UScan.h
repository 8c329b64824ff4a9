// The scanning and writing of txscan: each target is walked with the file-system enumeration and
// its records are streamed straight into one exploration file while it walks. No item tree is built;
// memory stays flat whatever the size of the tree.
#pragma once

#include "scanner/UMain.h"

#include <string>
#include <vector>

namespace scanner {

// Writes every target, in list order, into the file name; prints one result line; true when the
// file was written. The file is written under a temporary name in its folder and renamed over name
// only when complete; a failure or an interruption removes it (and placeholder, the empty file
// that reserved a numbered name, when not empty) and leaves an existing file as it was.
bool SaveScans(const std::vector<TTarget>& targets, const std::string& name, const std::string& placeholder,
               TConsole& console);

} // namespace scanner
