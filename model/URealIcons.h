// Items' own icons looked up without holding the caller's thread (the window's).
//
// While a TRealIcons is installed, ResolveIcon of an item that takes its own icon (real icons for
// its drive kind) gives it the icon of its kind at once (a file its type's, a folder the folder
// icons) and asks the shell what the item is on the icon lane of its mount (platform/PFileCalls.h).
// When the answer comes, on the installing thread, the item takes its own icon as ResolveIcon
// would have given it, and the icon listeners are told (the views repaint it). An item that left
// the tree meanwhile takes nothing.
//
// Without one installed (the console, the tests of the model) ResolveIcon asks the shell at once.
#pragma once

#include "model/UItem.h"

#include <memory>
#include <string>
#include <unordered_map>

namespace model {

// Told on the main thread after an item took its own icon.
class TIconListener {
public:
    virtual ~TIconListener() = default;
    virtual void IconArrived(TItem* item) = 0;
};
void AddIconListener(TIconListener* listener);
void RemoveIconListener(TIconListener* listener);

class TRealIcons : public TTreeListener {
public:
    TRealIcons(); // installs itself (one at a time)
    ~TRealIcons() override;
    TRealIcons(const TRealIcons&) = delete;
    TRealIcons& operator=(const TRealIcons&) = delete;

    // Asks for item's own icon (nothing new when it is asked already); a folder's open icon comes
    // with it.
    void Request(TItem* item);
    [[nodiscard]] std::size_t WaitingCount() const { return FPending.size(); }

    void ItemsAboutToBeRemoved(TFolderItem* folder, TItem* child) override;

private:
    void Arrived(TItem* item, std::uint64_t id, const std::string& type);

    std::unordered_map<TItem*, std::uint64_t> FPending;
    std::uint64_t FNextId = 0;
    std::shared_ptr<TRealIcons*> FSelf; // what posted answers look for: reset when this goes
};

// The installed lookup, or nullptr.
[[nodiscard]] TRealIcons* InstalledRealIcons();

} // namespace model
