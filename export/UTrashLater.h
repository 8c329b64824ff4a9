// Files moved to the trash on a worker, so that a file system that does not answer never holds the
// window: each path is checked first within the time limit of free space (a file whose file system
// does not answer in time cannot be accessed, and is not moved), then moved, on the trash lane of
// its mount (platform/PFileCalls.h).
#pragma once

#include "export/UFileLister.h"
#include "platform/PFileCalls.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace exportdata {

// What the moves did, path by path in the order given.
struct TTrashAnswer {
    std::vector<bool> moved;
    std::vector<std::string> errors; // why each one that was not moved stayed
};

// Starts the moves. trash: nullptr for the desktop's trash (platform::MoveToTrash, which owns
// nothing: a thread left behind by a hung file system uses nothing of the window); any other must
// outlive the moves (the tests' stand-ins).
[[nodiscard]] std::shared_ptr<platform::TFileCall<TTrashAnswer>>
StartTrashMoves(std::vector<std::string> paths, TFileTrash* trash);

// The items that the moves took (items[i] for the path i; nullptr for one that left the tree)
// leave the tree: what an answer does when the window that asked has gone meanwhile.
void RemoveMovedItems(const std::vector<model::TItem*>& items, const TTrashAnswer& answer);

// A trash that answers what the moves did (path by path), so that the bookkeeping of a deletion
// (TFileLister::Delete) runs on the window's thread without a call into the file system.
class TAnsweredTrash : public TFileTrash {
public:
    TAnsweredTrash(const std::vector<std::string>& paths, const TTrashAnswer& answer);
    bool MoveToTrash(const std::string& path, std::string& error) override;

private:
    std::map<std::string, std::pair<bool, std::string>> FAnswers;
};

} // namespace exportdata
