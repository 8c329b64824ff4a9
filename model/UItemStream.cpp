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

// A marked file lies somewhere below folder, which is not marked itself (nor any ancestor).
bool HasMarkedFile(const TFolderItem& folder) {
    for (const TItem* child : folder.Children()) {
        if (!child->IsFolder()) {
            if (child->Marked()) return true;
        } else if (HasMarkedFile(*static_cast<const TFolderItem*>(child))) {
            return true;
        }
    }
    return false;
}

// For an unmarked folder: something below it is to be written.
bool HasMarkedContent(const TFolderItem& folder) {
    return folder.HasMarkedDescendant() || HasMarkedFile(folder);
}

// Body, children and end of a folder that is marked, or of the root. The head is written already.
void WriteMarkedFolderPart(TFolderItem& folder, TRecordWriter& out) {
    out.WriteByte(folder.IsExplored() ? 1 : 0);
    folder.TItem::SaveToStream(out);
    for (TItem* child : folder.Children()) {
        if (out.Cancelled()) return; // stops at once: the file is thrown away
        if (!child->IsFolder() || static_cast<TFolderItem*>(child)->HasExploredContent())
            child->SaveToStream(out);
    }
    out.WriteEnd();
}

// An unmarked folder writes no record of its own: the marked files among its children go under a
// path record of it, then the folder children with something marked below write themselves.
void WriteTowardsMarked(TFolderItem& folder, TRecordWriter& out) {
    bool ownFiles = false;
    for (const TItem* child : folder.Children())
        if (!child->IsFolder() && child->Marked()) {
            ownFiles = true;
            break;
        }
    if (ownFiles) {
        out.WritePathHead(folder.Name(), RecordPath(folder));
        TItemTail tail = TailOf(folder);
        tail.created = SaveTime(folder); // as every path record of a save; the folder itself is not changed
        out.WriteFolderBody(folder.IsExplored(), tail);
        for (TItem* child : folder.Children()) {
            if (out.Cancelled()) return;
            if (!child->IsFolder() && child->Marked()) child->SaveToStream(out);
        }
        out.WriteEnd();
    }
    for (TItem* child : folder.Children()) {
        if (out.Cancelled()) return;
        if (child->IsFolder() && HasMarkedContent(*static_cast<TFolderItem*>(child)))
            child->SaveToStream(out);
    }
}

// Containers: no record; their children in order (explored ones only, when onlyExplored).
void WriteContainer(TFolderItem& folder, TRecordWriter& out, bool onlyExplored) {
    for (TItem* child : folder.Children()) {
        if (out.Cancelled()) return;
        if (!onlyExplored || !child->IsFolder() || static_cast<TFolderItem*>(child)->HasExploredContent())
            child->SaveToStream(out);
    }
}

} // namespace

// ---- writing ----

void TItem::SaveToStream(TRecordWriter& out) {
    if (!IsMarked() && !dynamic_cast<const TRootItem*>(this)) return;
    out.WriteTail(TailOf(*this));
}

void TFileItem::SaveToStream(TRecordWriter& out) {
    if (!IsMarked()) return;
    out.WriteFileHead(Name(), Size());
    TItem::SaveToStream(out);
    out.Step();
}

void TFolderItem::SaveToStream(TRecordWriter& out) {
    if (!IsMarked()) {
        WriteTowardsMarked(*this, out);
        return;
    }
    TFolderItem* parent = Parent();
    if (parent && !parent->IsMarked()) {
        // Marked on its own: a path record with the full path; its subfolders stay folder records.
        SetCreated(SaveTime(*this));
        out.WritePathHead(Name(), RecordPath(*this));
    } else {
        out.WriteFolderHead(Name());
    }
    WriteMarkedFolderPart(*this, out);
}

void TDriveItem::SaveToStream(TRecordWriter& out) {
    if (!IsMarked()) {
        WriteTowardsMarked(*this, out);
        return;
    }
    if (GetFileCount() == 0) return; // an empty drive leaves no trace
    SetCreated(SaveTime(*this));
    // A mounted file system is named by its mount point; letter drives by their display name.
    out.WriteDriveHead(Letter() == '/' ? std::string_view(MountPoint()) : Name(), Letter(), Free(), Total());
    WriteMarkedFolderPart(*this, out);
}

void TManualItem::SaveToStream(TRecordWriter& out) {
    if (!IsMarked()) {
        WriteTowardsMarked(*this, out);
        return;
    }
    // Its Created (the time it was explored) stays.
    out.WritePathHead(Name(), RecordPath(*this));
    WriteMarkedFolderPart(*this, out);
}

void TNetworkDriveItem::SaveToStream(TRecordWriter& out) {
    if (!IsMarked()) {
        WriteTowardsMarked(*this, out);
        return;
    }
    SetCreated(SaveTime(*this));
    out.WritePathHead(Name(), RecordPath(*this));
    WriteMarkedFolderPart(*this, out);
}

void TManualRootItem::SaveToStream(TRecordWriter& out) {
    WriteContainer(*this, out, false);
}
void TLoadedRootItem::SaveToStream(TRecordWriter& out) {
    WriteContainer(*this, out, false);
}
void TComputerRootItem::SaveToStream(TRecordWriter& out) {
    WriteContainer(*this, out, true);
}
void TNetworkContainerItem::SaveToStream(TRecordWriter& out) {
    WriteContainer(*this, out, true);
}

void TRootItem::SaveToStream(TRecordWriter& out) {
    std::int64_t count = 0;
    if (!out.Counting()) {
        // The count comes before the records it counts: a counting pass over the same walk gives it
        // (and refuses a string that cannot be stored before any byte is written).
        TRecordWriter counter;
        WriteMarkedFolderPart(*this, counter);
        count = static_cast<std::int64_t>(counter.FileRecords());
    }
    out.WriteRootHead(Name(), count);
    WriteMarkedFolderPart(*this, out);
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
