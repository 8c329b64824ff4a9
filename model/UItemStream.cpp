// The items' records in the exploration file: which items a save writes and in which records, the
// whole-file save of the root, and the read side of the item tails. The encodings are URecordCodec's.
//
// What is written: the root always; below it the marked items (Marked on the item or an ancestor).
// A marked folder whose parent is not marked becomes a path record with its full path. A marked
// file whose folder is not marked is written under a path record of that folder holding only the
// marked files, so that every marked file reaches the file and the counts match the records.
#include "model/UItem.h"

#include "model/URecordCodec.h"
#include "model/UTypeList.h"

namespace model {

// ---- the walk ----

TSaveWalk::TSaveWalk(TRecordWriter& out) : FOut(out) {}

void TSaveWalk::Run(TItem& item, bool marked) {
    item.SaveRecords(*this, marked);
    Drain();
}

void TSaveWalk::Drain() {
    while (!FTasks.empty()) {
        if (FOut.Cancelled()) return; // stops at once: the file is thrown away
        const TTask task = FTasks.back();
        FTasks.pop_back();
        if (task.item)
            task.item->SaveRecords(*this, task.marked);
        else
            FOut.WriteEnd();
    }
}

void TSaveWalk::Children(const TFolderItem& folder, bool marked, TChildren which, bool end) {
    if (end) FTasks.push_back({nullptr, false});
    const int n = folder.ChildCount();
    for (int i = n - 1; i >= 0; --i) { // the last child first: they come off the stack in order
        TItem* child = folder.Child(i);
        bool take = true;
        switch (which) {
        case TChildren::All:
            break;
        case TChildren::Explored:
            take = !child->IsFolder() || static_cast<const TFolderItem*>(child)->HasExploredContent();
            break;
        case TChildren::Folders:
            take = child->IsFolder();
            break;
        }
        if (take) FTasks.push_back({child, marked || child->Marked()});
    }
}

namespace {

TDateTime SaveTime(const TItem& item) {
    const TRootItem* root = item.FindRoot();
    return root ? root->Created() : platform::Now();
}

TItemTail TailOf(const TItem& item) {
    return {item.Created(), item.Accessed(), item.Modified(), item.Attributes()};
}

// The path a path record of this folder holds: a share keeps its network path, every other folder
// the path that opens it here.
std::string RecordPath(const TFolderItem& folder) {
    if (auto* share = dynamic_cast<const TNetworkDriveItem*>(&folder))
        return PathWithoutSeparator(share->UncPath());
    return PathWithoutSeparator(folder.GetPath());
}

// Body of a folder that is marked, or of the root, then its children (files always, folders that
// hold something explored) and its end byte. The head is written already.
void WriteMarkedFolderPart(TFolderItem& folder, TSaveWalk& walk, bool marked) {
    walk.Out().WriteByte(folder.IsExplored() ? 1 : 0);
    walk.Out().WriteTail(TailOf(folder));
    walk.Children(folder, marked, TSaveWalk::TChildren::Explored, true);
}

void WriteFileRecord(TItem& file, TRecordWriter& out) {
    out.WriteFileHead(file.Name(), file.GetSize());
    out.WriteTail(TailOf(file));
    out.Step();
}

// An unmarked folder writes no record of its own: the marked files among its children go under a
// path record of it, then its folder children, which write what is marked below them (nothing
// when nothing is).
void WriteTowardsMarked(TFolderItem& folder, TSaveWalk& walk) {
    bool ownFiles = false;
    for (const TItem* child : folder.Children())
        if (!child->IsFolder() && child->Marked()) {
            ownFiles = true;
            break;
        }
    if (ownFiles) {
        TRecordWriter& out = walk.Out();
        out.WritePathHead(folder.Name(), RecordPath(folder));
        TItemTail tail = TailOf(folder);
        tail.created = SaveTime(folder); // as every path record of a save; the folder itself is not changed
        out.WriteFolderBody(folder.IsExplored(), tail);
        for (TItem* child : folder.Children()) {
            if (out.Cancelled()) return;
            if (!child->IsFolder() && child->Marked()) WriteFileRecord(*child, out);
        }
        out.WriteEnd();
    }
    walk.Children(folder, false, TSaveWalk::TChildren::Folders, false);
}

} // namespace

// ---- writing ----

void TItem::SaveToStream(TRecordWriter& out) {
    TSaveWalk walk(out);
    walk.Run(*this, IsMarked());
}

void TItem::SaveRecords(TSaveWalk& walk, bool marked) {
    if (!marked && !dynamic_cast<const TRootItem*>(this)) return;
    walk.Out().WriteTail(TailOf(*this));
}

void TFileItem::SaveRecords(TSaveWalk& walk, bool marked) {
    if (marked) WriteFileRecord(*this, walk.Out());
}

void TFolderItem::SaveRecords(TSaveWalk& walk, bool marked) {
    if (!marked) {
        WriteTowardsMarked(*this, walk);
        return;
    }
    TFolderItem* parent = Parent();
    if (parent && Marked() && !parent->IsMarked()) { // marked only through its parent: a plain folder
        // Marked on its own: a path record with the full path; its subfolders stay folder records.
        SetCreated(SaveTime(*this));
        walk.Out().WritePathHead(Name(), RecordPath(*this));
    } else {
        walk.Out().WriteFolderHead(Name());
    }
    WriteMarkedFolderPart(*this, walk, marked);
}

void TDriveItem::SaveRecords(TSaveWalk& walk, bool marked) {
    if (!marked) {
        WriteTowardsMarked(*this, walk);
        return;
    }
    if (GetFileCount() == 0) return; // an empty drive leaves no trace
    SetCreated(SaveTime(*this));
    // A mounted file system is named by its mount point; letter drives by their display name.
    walk.Out().WriteDriveHead(Letter() == '/' ? std::string_view(MountPoint()) : Name(), Letter(), Free(),
                              Total());
    WriteMarkedFolderPart(*this, walk, marked);
}

void TManualItem::SaveRecords(TSaveWalk& walk, bool marked) {
    if (!marked) {
        WriteTowardsMarked(*this, walk);
        return;
    }
    // Its Created (the time it was explored) stays.
    walk.Out().WritePathHead(Name(), RecordPath(*this));
    WriteMarkedFolderPart(*this, walk, marked);
}

void TNetworkDriveItem::SaveRecords(TSaveWalk& walk, bool marked) {
    if (!marked) {
        WriteTowardsMarked(*this, walk);
        return;
    }
    SetCreated(SaveTime(*this));
    walk.Out().WritePathHead(Name(), RecordPath(*this));
    WriteMarkedFolderPart(*this, walk, marked);
}

// Containers: no record; their children in order (explored ones only, when onlyExplored).
void TManualRootItem::SaveRecords(TSaveWalk& walk, bool marked) {
    walk.Children(*this, marked, TSaveWalk::TChildren::All, false);
}
void TLoadedRootItem::SaveRecords(TSaveWalk& walk, bool marked) {
    walk.Children(*this, marked, TSaveWalk::TChildren::All, false);
}
void TComputerRootItem::SaveRecords(TSaveWalk& walk, bool marked) {
    walk.Children(*this, marked, TSaveWalk::TChildren::Explored, false);
}
void TNetworkContainerItem::SaveRecords(TSaveWalk& walk, bool marked) {
    walk.Children(*this, marked, TSaveWalk::TChildren::Explored, false);
}

void TRootItem::SaveRecords(TSaveWalk& walk, bool marked) {
    TRecordWriter& out = walk.Out();
    std::int64_t count = 0;
    if (!out.Counting()) {
        // The count comes before the records it counts: a counting pass over the same walk gives it
        // (and refuses a string that cannot be stored before any byte is written).
        TRecordWriter counter;
        TSaveWalk counting(counter);
        counting.RunBody(*this, marked);
        count = static_cast<std::int64_t>(counter.FileRecords());
    }
    out.WriteRootHead(Name(), count);
    WriteMarkedFolderPart(*this, walk, marked);
}

void TSaveWalk::RunBody(TFolderItem& folder, bool marked) {
    WriteMarkedFolderPart(folder, *this, marked);
    Drain();
}

TSaveOutcome TRootItem::SaveToFile(const std::string& fileName, TProgressSink* progress) {
    SetCreated(platform::Now());
    TSaveOutcome outcome;
    try {
        TExplorationFileWriter file(fileName, txf::kWriterExplorer);
        file.Records().SetProgress(progress);
        SaveToStream(file.Records());
        if (progress && progress->Cancelled()) {
            file.Discard();
            outcome.result = TSaveResult::Cancelled;
            outcome.message = "Operation cancelled. The file was not saved.";
            outcome.caption = "Cancel";
            return outcome;
        }
        file.Commit(); // the header's count: the file records actually written
        outcome.result = TSaveResult::Saved;
    } catch (const std::exception& e) {
        outcome.result = TSaveResult::Failed;
        outcome.message = "An error as occured while saving.";
        outcome.caption = "Error";
        outcome.detail = e.what();
    }
    return outcome;
}

// ---- strings and dates ----

void TItem::WriteName(TRecordWriter& out, std::string_view name) {
    out.WriteString(name);
}
std::string TItem::ReadName(TRecordReader& in, std::uint32_t formatVersion) {
    return in.ReadName(formatVersion);
}
TDateTime TItem::PackedDateToDateTime(std::uint32_t value) {
    return model::PackedDateToDateTime(value);
}

// ---- reading ----

void TItem::LoadFromStream(TRecordReader& in, std::uint8_t kind, std::uint32_t formatVersion) {
    const TItemTail tail = in.ReadTail(kind, formatVersion);
    SetCreated(tail.created);
    SetAccessed(tail.accessed);
    SetModified(tail.modified);
    SetAttributes(tail.attributes);
}

void TFileItem::LoadFromStream(TRecordReader& in, std::uint8_t kind, std::uint32_t formatVersion) {
    SetSize(in.ReadFileSize(kind));
    TItem::LoadFromStream(in, kind, formatVersion);
    SetTypeIndex(TypeList().IndexOfExtension(ExtensionKey(Name())));
    in.Step();
}

} // namespace model
