#include "export/UTrashLater.h"

#include "platform/PMounts.h"
#include "platform/PTrash.h"

#include <cerrno>
#include <cstring>

namespace exportdata {

std::shared_ptr<platform::TFileCall<TTrashAnswer>> StartTrashMoves(std::vector<std::string> paths,
                                                                   TFileTrash* trash) {
    const std::string lane = paths.empty() ? std::string() : platform::CallLane(paths.front());
    std::string argument = "trash";
    for (const std::string& path : paths)
        argument += " " + path;
    auto move = [paths, trash] {
        TTrashAnswer answer;
        for (const std::string& path : paths) {
            std::string error;
            // The check first, within the limit: the move itself then waits as long as it takes.
            const platform::TPathCheck check =
                platform::CheckPathWithin(path, false, platform::kSpaceTimeLimitMs);
            bool moved = false;
            if (!check.answered)
                error = std::strerror(ETIMEDOUT);
            else
                moved = trash ? trash->MoveToTrash(path, error) : platform::MoveToTrash(path, error);
            answer.moved.push_back(moved);
            answer.errors.push_back(moved ? std::string() : error);
        }
        return answer;
    };
    return platform::StartFileCall<TTrashAnswer>(platform::TCallKind::Trash, lane, argument, move, -1);
}

void RemoveMovedItems(const std::vector<model::TItem*>& items, const TTrashAnswer& answer) {
    for (std::size_t i = 0; i < items.size() && i < answer.moved.size(); ++i) {
        model::TItem* item = items[i];
        if (!answer.moved[i] || !item || !item->Parent()) continue;
        item->Parent()->RemoveChild(item);
        delete item;
    }
}

TAnsweredTrash::TAnsweredTrash(const std::vector<std::string>& paths, const TTrashAnswer& answer) {
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const bool moved = i < answer.moved.size() && answer.moved[i];
        FAnswers[paths[i]] = {moved, i < answer.errors.size() ? answer.errors[i] : std::string()};
    }
}

bool TAnsweredTrash::MoveToTrash(const std::string& path, std::string& error) {
    const auto it = FAnswers.find(path);
    if (it == FAnswers.end()) {
        error = std::strerror(ENOENT);
        return false;
    }
    error = it->second.second;
    return it->second.first;
}

} // namespace exportdata
