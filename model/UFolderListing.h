// Folders listed for the tree and the list without holding the caller's thread (the window's).
//
// While a TFolderListing is installed, TFolderItem::Expand of a folder that is not listed yet puts
// its listing in line on the listing lane of the folder's mount (platform/PFileCalls.h) and returns
// at once; the folder then waits. When the subfolders come, on the installing thread (through
// platform::PostToMainThread), the folder gets them as Expand would have given them (the same
// items in the same order, Listed set; deep: its subfolders' listings follow in turn), and the
// client is told. A folder that left the tree meanwhile, or was listed or explored meanwhile, takes
// nothing; while a long operation runs (ULongOperation.h) the answers wait for its end.
//
// Without one installed (the console, the benchmarks, the model's tests) Expand lists at once.
#pragma once

#include "model/UItem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace model {

// A subfolder as a listing read it.
struct TListedFolder {
    std::string name;
    TDateTime created = 0, accessed = 0, modified = 0;
    std::uint32_t attributes = 0;
};

// The subfolders of the folder at path, as read (any thread); empty when it cannot be read.
[[nodiscard]] std::vector<TListedFolder> ReadSubfolders(const std::string& path);
// Adds the listed subfolders to into and sorts its children.
void AddListedFolders(TFolderItem* into, const std::vector<TListedFolder>& folders);

class TFolderListing : public TTreeListener {
public:
    class TClient {
    public:
        virtual ~TClient() = default;
        // folder has its subfolders now (its totals are recomputed).
        virtual void FolderListed(TFolderItem* folder) = 0;
    };

    // Installs itself for TFolderItem::Expand (one at a time); the client must outlive it.
    explicit TFolderListing(TClient& client);
    // Uninstalls itself; answers still on their way then find nobody.
    ~TFolderListing() override;
    TFolderListing(const TFolderListing&) = delete;
    TFolderListing& operator=(const TFolderListing&) = delete;

    // Puts the listing of folder in line (nothing new when it waits already; deep then adds to
    // it). wake: the folder is a share woken first (TouchFolder).
    void Request(TFolderItem* folder, bool deep, bool wake);
    // folder waits for its listing.
    [[nodiscard]] bool Waiting(const TFolderItem* folder) const;
    [[nodiscard]] std::size_t WaitingCount() const { return FPending.size(); }

    void ItemsAboutToBeRemoved(TFolderItem* folder, TItem* child) override;

private:
    struct TPending {
        std::uint64_t id = 0;
        bool deep = false;
    };
    struct TArrived {
        TFolderItem* folder;
        std::uint64_t id;
        std::vector<TListedFolder> folders;
    };
    void Arrived(TArrived arrived);

    TClient& FClient;
    std::unordered_map<TFolderItem*, TPending> FPending;
    std::uint64_t FNextId = 0;
    // What posted answers look for: reset when this goes.
    std::shared_ptr<TFolderListing*> FSelf;
};

// The installed listing, or nullptr.
[[nodiscard]] TFolderListing* InstalledFolderListing();

} // namespace model
