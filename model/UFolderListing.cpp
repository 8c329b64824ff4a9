#include "model/UFolderListing.h"

#include "model/ULongOperation.h"
#include "platform/PEnumerate.h"
#include "platform/PFileCalls.h"
#include "platform/PMounts.h"

namespace model {

namespace {
TFolderListing* gInstalled = nullptr;
} // namespace

std::vector<TListedFolder> ReadSubfolders(const std::string& path) {
    std::vector<TListedFolder> folders;
    platform::ReadFolder(path, true, [&folders](const platform::TEntry& e) {
        folders.push_back({std::string(e.name), e.created, e.accessed, e.modified, e.attributes});
    });
    return folders;
}

void AddListedFolders(TFolderItem* into, const std::vector<TListedFolder>& folders) {
    for (const TListedFolder& f : folders) {
        auto* folder = NewItem<TFolderItem>(f.name, into);
        folder->SetModified(f.modified);
        folder->SetCreated(f.created);
        folder->SetAccessed(f.accessed);
        folder->SetAttributes(f.attributes);
        into->AddChild(folder);
    }
    into->SortChildren();
}

TFolderListing* InstalledFolderListing() {
    return gInstalled;
}

TFolderListing::TFolderListing(TClient& client)
    : FClient(client), FSelf(std::make_shared<TFolderListing*>(this)) {
    gInstalled = this;
    AddTreeListener(this);
}

TFolderListing::~TFolderListing() {
    RemoveTreeListener(this);
    *FSelf = nullptr;
    if (gInstalled == this) gInstalled = nullptr;
}

void TFolderListing::Request(TFolderItem* folder, bool deep, bool wake) {
    if (const auto it = FPending.find(folder); it != FPending.end()) {
        it->second.deep = it->second.deep || deep;
        return;
    }
    const std::uint64_t id = ++FNextId;
    FPending[folder] = {id, deep};
    const std::string path = folder->GetPath();
    auto read = [path, wake] {
        if (wake) platform::TouchFolder(path);
        return ReadSubfolders(path);
    };
    // A listing waits in line whatever holds its lane: the folder shows it when it comes.
    const auto call = platform::StartFileCall<std::vector<TListedFolder>>(
        platform::TCallKind::Listing, platform::CallLane(path), std::string(wake ? "wake " : "list ") + path,
        read, -1);
    if (!call) {
        // No thread could be started: nothing will come, and the folder stays as it is.
        FPending.erase(folder);
        return;
    }
    const std::weak_ptr<TFolderListing*> self = FSelf;
    call->Then([self, folder, id](const std::vector<TListedFolder>& folders) {
        platform::PostToMainThread([self, folder, id, folders] {
            if (const auto listing = self.lock(); listing && *listing)
                (*listing)->Arrived({folder, id, folders});
        });
    });
}

bool TFolderListing::Waiting(const TFolderItem* folder) const {
    return FPending.count(const_cast<TFolderItem*>(folder)) != 0;
}

void TFolderListing::Arrived(TArrived arrived) {
    const auto it = FPending.find(arrived.folder);
    if (it == FPending.end() || it->second.id != arrived.id) return; // left the tree meanwhile
    if (LongOperationRunning()) {
        // It waits for the end, and is looked up again then.
        const std::weak_ptr<TFolderListing*> self = FSelf;
        AfterLongOperation([self, arrived = std::move(arrived)]() mutable {
            if (const auto listing = self.lock(); listing && *listing)
                (*listing)->Arrived(std::move(arrived));
        });
        return;
    }
    const bool deep = it->second.deep;
    FPending.erase(it);
    TFolderItem* folder = arrived.folder;
    if (folder->Listed()) return; // explored or listed meanwhile: that is newer
    if (folder->ChildCount() > 0) {
        folder->Clear();
    } else {
        folder->SetExplored(false);
        folder->SetChildrenListed(false);
    }
    AddListedFolders(folder, arrived.folders);
    folder->SetListed(true);
    // The subfolders' own listings follow (ExpandChildren puts them in line, and recomputes the
    // totals once). A subfolder's own listing adds no size and no count anywhere: the whole tree's
    // totals are not walked again for each (a folder of thousands would walk it thousands of
    // times), but for a drive, whose free space is measured once it has children.
    if (deep)
        folder->ExpandChildren();
    else if (dynamic_cast<TDriveItem*>(folder))
        folder->UpdateTotals();
    FClient.FolderListed(folder);
}

void TFolderListing::ItemsAboutToBeRemoved(TFolderItem* folder, TItem* child) {
    for (auto it = FPending.begin(); it != FPending.end();)
        it = GoesWith(it->first, folder, child) ? FPending.erase(it) : std::next(it);
}

} // namespace model
