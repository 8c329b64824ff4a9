// Exploring: filling the tree from the file system, the mount table and the mounted network shares.
#include "model/UBusyCursor.h"
#include "model/UFolderListing.h"
#include "model/UItem.h"
#include "model/UScanProgress.h"
#include "model/UShellUtil.h"
#include "model/UTypeList.h"
#include "platform/PEnumerate.h"
#include "platform/PMounts.h"

#include <algorithm>
#include <vector>

namespace model {

namespace {

bool WindowCancelled() {
    return ScanProgressForm && ScanProgressForm->Cancelled();
}

void PumpWindow() {
    if (ScanProgressForm) ScanProgressForm->Pump();
}

template <typename Item> void TakeEntry(Item* item, const platform::TEntry& e) {
    item->SetModified(e.modified);
    item->SetCreated(e.created);
    item->SetAccessed(e.accessed);
    item->SetAttributes(e.attributes);
}

// Builds the items of a walk: a folder is appended to its parent only after its own content,
// with its flags set, as a finished scan leaves it.
class TScanBuilder final : public platform::TWalkVisitor {
public:
    explicit TScanBuilder(TFolderItem* into) : FTypes(TypeList()) { FStack.push_back(into); }

    bool FolderBegin(const std::string& path) override {
        if (ScanProgressForm) {
            ScanProgressForm->SetFolderPath(path); // pumps too when the labels are due
            if (WindowCancelled()) return false;
            ScanProgressForm->Pump();
        }
        return !WindowCancelled();
    }

    void File(const platform::TEntry& e) override {
        TFolderItem* folder = FStack.back();
        auto* file = NewItem<TFileItem>(e.name, folder);
        file->SetSize(e.size);
        TakeEntry(file, e);
        file->SetTypeIndex(TypeIndexOf(e.name));
        if (ScanProgressForm) ScanProgressForm->AddFile(e.size);
        folder->AddChild(file);
    }

    void Folder(const platform::TEntry& e) override {
        auto* folder = NewItem<TFolderItem>(e.name, FStack.back());
        TakeEntry(folder, e);
        FStack.push_back(folder);
    }

    void FolderEnd(bool stopped) override {
        TFolderItem* folder = FStack.back();
        FStack.pop_back();
        if (!stopped && !WindowCancelled()) folder->SortChildren();
        folder->ShrinkChildren();
        if (FStack.empty()) return; // the folder the scan started in
        folder->SetListed(true);
        folder->SetExplored(true);
        folder->SetChildrenListed(true);
        FStack.back()->AddChild(folder);
    }

    bool AfterEntry(std::uint64_t count) override {
        if (count % 250 == 0) PumpWindow();
        return !WindowCancelled();
    }

    // The walk's threads have nothing new yet: the window stays alive and can be cancelled.
    bool Waiting() override {
        if (ScanProgressForm) ScanProgressForm->PumpWhileWaiting();
        return !WindowCancelled();
    }

private:
    // Most files of a folder share a few extensions: remember the last one.
    int TypeIndexOf(std::string_view name) {
        const std::string key = ExtensionKey(name);
        if (key != FLastKey || FLastType < 0) {
            FLastType = FTypes.IndexOfExtension(key);
            FLastKey = key;
        }
        return FLastType;
    }

    TTypeList& FTypes;
    std::vector<TFolderItem*> FStack;
    std::string FLastKey;
    int FLastType = -1;
};

// While an ExpandChildren runs, its children's expansions leave the totals to it: listing adds no
// size, and recomputing the whole tree once per child would cost the tree size times the children.
int gDeferTotals = 0;

} // namespace

// ---- folders ----

void TFolderItem::ScanFolder(const std::string& path, TFolderItem* into) {
    TScanBuilder builder(into);
    platform::WalkTree(path, builder);
}

void TFolderItem::ListSubfolders(const std::string& path, TFolderItem* into) {
    AddListedFolders(into, ReadSubfolders(path));
}

void TFolderItem::ScanSelf() {
    ScanFolder(GetPath(), this);
}

bool TFolderItem::Explore() {
    Clear();
    bool result;
    if (ScanProgressForm) { // inside a batch: its window and running count
        ScanProgressForm->SetItemName(GetPath());
        ScanSelf();
        result = !ScanProgressForm->Cancelled();
    } else {
        TScanProgressScope window;
        window->Execute(GetPath(), [this] { ScanSelf(); });
        result = !window->Cancelled();
    }
    if (!result) Clear(); // a cancelled exploration leaves nothing behind
    SetExplored(result);
    if (IsExplored()) {
        SetListed(true);
        SetChildrenListed(true);
        UpdateTotals();
    }
    return result;
}

void TFolderItem::Expand(bool force, bool deep) {
    if (force) SetListed(false);
    if (!Listed()) {
        // Listed on a worker when the window installed one: the folder gets its subfolders later.
        if (TFolderListing* later = InstalledFolderListing()) {
            later->Request(this, deep, WakesBeforeListing());
            return;
        }
    }
    TBusyCursor busy;
    if (!Listed()) {
        if (ChildCount() > 0)
            Clear();
        else
            SetExplored(false), SetChildrenListed(false); // nothing to free, no totals to change
        ListSubfolders(GetPath(), this);
        SetListed(true);
    }
    if (deep) ExpandChildren();
    if (gDeferTotals == 0) UpdateTotals();
}

void TFolderItem::ExpandChildren() {
    TBusyCursor busy;
    ++gDeferTotals;
    try {
        for (int i = 0; i < ChildCount(); ++i)
            if (Child(i)->IsFolder()) static_cast<TFolderItem*>(Child(i))->Expand(false, false);
    } catch (...) {
        --gDeferTotals;
        throw;
    }
    --gDeferTotals;
    SetChildrenListed(true);
    if (gDeferTotals == 0) UpdateTotals();
}

// ---- manual and preferred explorations ----

bool TManualItem::Explore() {
    SetCreated(platform::Now());
    return TTopItem::Explore();
}

bool TManualDriveItem::Explore() {
    SetCreated(platform::Now());
    return TDriveItem::Explore();
}

void TPreferredRootItem::ExploreFlagged() {
    for (int i = 0; i < ChildCount(); ++i) {
        TItem* child = Child(i);
        bool flagged = false;
        if (auto* p = dynamic_cast<TPreferredItem*>(child))
            flagged = p->ExploreAtStart();
        else if (auto* d = dynamic_cast<TPreferredDriveItem*>(child))
            flagged = d->ExploreAtStart();
        if (flagged) static_cast<TFolderItem*>(child)->Explore();
        if (WindowCancelled()) break;
    }
}

bool TPreferredRootItem::Explore() {
    bool result;
    if (ScanProgressForm) {
        ScanProgressForm->SetItemName("");
        ExploreFlagged();
        result = !ScanProgressForm->Cancelled();
    } else {
        TScanProgressScope window;
        window->ExecutePreferred("", [this] { ExploreFlagged(); });
        result = !window->Cancelled();
    }
    // A cancelled batch clears every preferred item, those finished before the cancel included.
    bool all = true;
    for (int i = ChildCount() - 1; i >= 0; --i) {
        if (!Child(i)->IsFolder()) continue;
        auto* child = static_cast<TFolderItem*>(Child(i));
        if (!result) child->Clear();
        if (!child->IsExplored()) all = false;
    }
    if (ChildCount() == 0)
        SetExplored(false);
    else if (all)
        SetExplored(true);
    return result;
}

// ---- My Computer and the root ----

bool TComputerRootItem::Explore() {
    UpdateDrives(platform::ReadMounts());
    return true;
}

void TComputerRootItem::UpdateDrives(const std::vector<platform::TMountEntry>& mounts) {
    // Measured together after the loop: drives that hang cost one time limit in all.
    std::vector<TDriveItem*> measured;
    for (const platform::TMountEntry& m : mounts) {
        const std::string display = GetDriveDisplayName(m.mountPoint);
        if (const int index = FindDrive(m.mountPoint); index >= 0) {
            auto* drive = static_cast<TDriveItem*>(Child(index));
            if (!display.empty()) drive->SetDisplayName(display);
            drive->SetDriveKind(m.kind);
            measured.push_back(drive);
        } else {
            auto* drive = new TDriveItem(m.mountPoint, m.kind, this);
            if (!display.empty()) drive->SetDisplayName(display);
            AddChild(drive);
        }
    }
    TDriveItem::RefreshSpaces(measured);
    // Drives no longer mounted go.
    for (int i = ChildCount() - 1; i >= 0; --i) {
        auto* drive = dynamic_cast<TDriveItem*>(Child(i));
        if (!drive || drive->Letter() != '/') continue;
        const bool mounted =
            std::any_of(mounts.begin(), mounts.end(), [drive](const platform::TMountEntry& m) {
                return m.mountPoint == drive->MountPoint();
            });
        if (!mounted) {
            RemoveChild(drive);
            delete drive;
        }
    }
    SetExplored(false);
    SetListed(true);
    SetChildrenListed(true);
}

bool TRootItem::Explore() {
    EnsureComputerRoot();
    EnsureNetworkRoot();
    EnsurePreferredRoot();
    EnsureManualRoot();
    SetExplored(false);
    SetListed(true);
    SetChildrenListed(true);
    return true;
}

// ---- Network Neighborhood ----

namespace {
std::vector<platform::TNetworkShare> MountedShares() {
    return platform::NetworkShares(platform::ReadMounts());
}
} // namespace

std::string TNetworkContainerItem::Server() const {
    std::string_view p = FDisplayPath;
    while (!p.empty() && p.front() == '/')
        p.remove_prefix(1);
    return std::string(p);
}

void TNetworkContainerItem::UpdateShares(const std::vector<platform::TNetworkShare>& shares) {
    Clear();
    const std::string server = Server();
    for (const platform::TNetworkShare& s : shares)
        if (s.server == server) AddChild(new TNetworkDriveItem(s.uncPath, s.mountPoint, this));
    SetExplored(false);
    SetListed(true);
    SetChildrenListed(true);
}

bool TNetworkContainerItem::Explore() {
    TBusyCursor busy;
    UpdateShares(MountedShares());
    return true;
}

void TNetworkRootItem::UpdateServers(const std::vector<platform::TNetworkShare>& shares) {
    Clear();
    std::vector<std::string> servers;
    for (const platform::TNetworkShare& s : shares)
        if (std::find(servers.begin(), servers.end(), s.server) == servers.end()) servers.push_back(s.server);
    for (const std::string& server : servers)
        AddChild(new TNetworkContainerItem(server, "//" + server, this));
    SetExplored(true);
    SetListed(true);
    SetChildrenListed(true);
}

bool TNetworkRootItem::Explore() {
    TBusyCursor busy;
    UpdateServers(MountedShares());
    return true;
}

void TNetworkDriveItem::TouchShare() {
    platform::TouchFolder(GetPath());
}

void TNetworkDriveItem::Expand(bool force, bool deep) {
    TBusyCursor busy;
    // A listing on a worker wakes the share there.
    if (!InstalledFolderListing()) TouchShare();
    TNetworkItem::Expand(force, deep);
}

} // namespace model
