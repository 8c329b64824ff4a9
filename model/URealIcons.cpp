#include "model/URealIcons.h"

#include "platform/PFileCalls.h"
#include "platform/PShell.h"

#include <algorithm>
#include <vector>

namespace model {

namespace {

TRealIcons* gInstalled = nullptr;

std::vector<TIconListener*>& Listeners() {
    static std::vector<TIconListener*> listeners;
    return listeners;
}

} // namespace

void AddIconListener(TIconListener* listener) {
    Listeners().push_back(listener);
}

void RemoveIconListener(TIconListener* listener) {
    auto& l = Listeners();
    l.erase(std::remove(l.begin(), l.end(), listener), l.end());
}

TRealIcons* InstalledRealIcons() {
    return gInstalled;
}

TRealIcons::TRealIcons() : FSelf(std::make_shared<TRealIcons*>(this)) {
    gInstalled = this;
    AddTreeListener(this);
}

TRealIcons::~TRealIcons() {
    RemoveTreeListener(this);
    *FSelf = nullptr;
    if (gInstalled == this) gInstalled = nullptr;
}

void TRealIcons::Request(TItem* item) {
    if (FPending.count(item)) return;
    const std::uint64_t id = ++FNextId;
    const std::string path = item->GetPath();
    // What the file is: read on a worker, where the shell may open it. The shell is the program's
    // for its whole run.
    auto ask = [path] { return platform::Shell().PathType(path); };
    const auto call = platform::StartFileCall<std::string>(platform::TCallKind::Icon,
                                                           platform::CallLane(path), path, ask, -1);
    if (!call) return; // no thread: the item keeps the icon of its kind
    FPending[item] = id;
    const std::weak_ptr<TRealIcons*> self = FSelf;
    call->Then([self, item, id](const std::string& type) {
        platform::PostToMainThread([self, item, id, type] {
            if (const auto icons = self.lock(); icons && *icons) (*icons)->Arrived(item, id, type);
        });
    });
}

void TRealIcons::Arrived(TItem* item, std::uint64_t id, const std::string& type) {
    const auto it = FPending.find(item);
    if (it == FPending.end() || it->second != id) return; // left the tree meanwhile
    FPending.erase(it);
    std::string typeName;
    const int own = platform::Shell().PathTypeIcon(type, false, typeName);
    const int before = item->IconIndex();
    bool changed = false;
    if (item->IsFolder()) {
        auto* folder = static_cast<TFolderItem*>(item);
        if (own != -1) folder->SetIconIndex(own);
        const int open = platform::Shell().PathTypeIcon(type, true, typeName);
        const int openBefore = folder->OpenIconIndex();
        folder->SetOpenIconIndex(open != -1 ? open : folder->IconIndex());
        changed = folder->OpenIconIndex() != openBefore;
    } else if (own != -1) {
        item->SetIconIndex(own);
    }
    // Nothing new, nothing repainted (a repaint would ask again for an item that has no icon).
    if (!changed && item->IconIndex() == before) return;
    const std::vector<TIconListener*> listeners = Listeners();
    for (TIconListener* listener : listeners)
        if (std::find(Listeners().begin(), Listeners().end(), listener) != Listeners().end())
            listener->IconArrived(item);
}

void TRealIcons::ItemsAboutToBeRemoved(TFolderItem* folder, TItem* child) {
    for (auto it = FPending.begin(); it != FPending.end();)
        it = GoesWith(it->first, folder, child) ? FPending.erase(it) : std::next(it);
}

} // namespace model
