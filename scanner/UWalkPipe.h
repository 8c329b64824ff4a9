// The walk of one folder on a second thread, handed to the calling thread in batches and in walk
// order. The system calls of the walk then overlap the record encoding and the compression that
// the caller does with what it is given, and the file written is byte for byte the one a walk on
// one thread gives. Bounded: a few batches of a few thousand entries are in flight at most.
#pragma once

#include "platform/PEnumerate.h"

#include <functional>
#include <string>

namespace scanner {

// Walks path with platform::WalkTree on a worker thread and calls visitor's File, Folder and
// FolderEnd on this thread, in the walk's order (FolderBegin and AfterEntry are not called: the
// worker walks on). stop is asked after each batch; once it says true, or once the visitor raised,
// the walk is stopped at its next entry and what is still queued is dropped. An exception of the
// visitor or of the worker is raised here once the worker has ended.
void PipeWalk(const std::string& path, platform::TWalkVisitor& visitor, const std::function<bool()>& stop);

} // namespace scanner
