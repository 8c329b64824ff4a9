// The viewer's writer: which loaded items a save writes and in which records. The encodings are
// URecordCodec's; the file is written through its TExplorationFileWriter.
//
// Where this differs from the desktop explorer's save: loaded files write no record of their own
// (their top items go straight under the new root), folder roots are path records, a folder saved
// on its own takes the creation date of the drive or folder root it came from, and drives keep the
// date read from their file.
#include "viewer/UItem.h"

#include "model/URecordCodec.h"

#include <algorithm>

namespace viewer {

using model::TRecordWriter;

namespace {

model::TItemTail TailOf(const TItem& item) {
    return {item.Created(), item.Accessed(), item.Modified(), item.Attributes()};
}

// Explored flag, tail, children and end of a marked folder (the head is written already). Files
// write themselves when marked; folders only when they hold something explored.
void WriteMarkedBody(model::TFolderItem& folder, TRecordWriter& out) {
    out.WriteFolderBody(folder.IsExplored(), TailOf(folder));
    for (TItem* child : folder.Children()) {
        if (out.Cancelled()) return; // stops at once: the file is thrown away
        if (!child->IsFolder() || static_cast<model::TFolderItem*>(child)->HasExploredContent())
            child->SaveToStream(out);
    }
    out.WriteEnd();
}

// The date a path record of a folder saved on its own takes: that of the drive or folder root it
// came from, else the save's.
platform::TDateTime PathRecordDate(const model::TFolderItem& folder) {
    if (const model::TFolderItem* top = FindTopItem(&folder)) return top->Created();
    if (const model::TRootItem* root = folder.FindRoot()) return root->Created();
    return platform::Now();
}

// The path a path record of this folder holds: its full path as loaded ("C:\Data", "/srv").
std::string RecordPath(const model::TFolderItem& folder) {
    return model::PathWithoutSeparator(folder.GetPath());
}

// A marked file lies somewhere below folder, which is not marked itself (nor any ancestor).
bool HasMarkedFile(const model::TFolderItem& folder) {
    for (const TItem* child : folder.Children()) {
        if (!child->IsFolder()) {
            if (child->Marked()) return true;
        } else if (HasMarkedFile(*static_cast<const model::TFolderItem*>(child))) {
            return true;
        }
    }
    return false;
}

// An unmarked folder writes no record of its own: the files marked among its children go under a
// path record of it (so that a file saved on its own reaches the file, as the count says), then
// the folder children with something marked below them write themselves.
void WriteTowardsMarked(model::TFolderItem& folder, TRecordWriter& out) {
    const auto& children = folder.Children();
    if (std::any_of(children.begin(), children.end(),
                    [](const TItem* c) { return !c->IsFolder() && c->Marked(); })) {
        out.WritePathHead(folder.Name(), RecordPath(folder));
        // The folder itself keeps its date: only the record takes the exploration's.
        out.WriteFolderBody(folder.IsExplored(), {PathRecordDate(folder), folder.Accessed(),
                                                  folder.Modified(), folder.Attributes()});
        for (TItem* child : children) {
            if (out.Cancelled()) return;
            if (!child->IsFolder() && child->Marked()) child->SaveToStream(out);
        }
        out.WriteEnd();
    }
    for (TItem* child : children) {
        if (out.Cancelled()) return;
        if (!child->IsFolder()) continue;
        auto* sub = static_cast<model::TFolderItem*>(child);
        if (sub->HasMarkedDescendant() || HasMarkedFile(*sub)) child->SaveToStream(out);
    }
}

} // namespace

void TFolderItem::SaveToStream(TRecordWriter& out) {
    if (!IsMarked()) {
        WriteTowardsMarked(*this, out);
        return;
    }
    model::TFolderItem* parent = Parent();
    if (parent && !parent->IsMarked()) {
        // Saved on its own: a path record dated like the exploration it came from.
        SetCreated(PathRecordDate(*parent));
        out.WritePathHead(Name(), RecordPath(*this));
    } else {
        out.WriteFolderHead(Name());
    }
    WriteMarkedBody(*this, out);
}

void TDriveItem::SaveToStream(TRecordWriter& out) {
    if (!IsMarked()) {
        WriteTowardsMarked(*this, out);
        return;
    }
    if (GetFileCount() == 0) return; // an empty drive leaves no trace
    out.WriteDriveHead(Name(), Letter(), Free(), Total());
    WriteMarkedBody(*this, out);
}

void TFolderRootItem::SaveToStream(TRecordWriter& out) {
    if (!IsMarked()) {
        WriteTowardsMarked(*this, out);
        return;
    }
    out.WritePathHead(Name(), model::PathWithoutSeparator(FPath));
    WriteMarkedBody(*this, out);
}

void TFileRootItem::SaveToStream(TRecordWriter& out) {
    for (TItem* child : Children()) {
        if (out.Cancelled()) return;
        child->SaveToStream(out);
    }
}

namespace {
void WriteRootBody(TRootItem& root, TRecordWriter& out) {
    out.WriteFolderBody(true, {root.Created(), 0, 0, 0});
    for (TItem* child : root.Children()) {
        if (out.Cancelled()) return;
        if (!child->IsFolder() || static_cast<model::TFolderItem*>(child)->HasExploredContent())
            child->SaveToStream(out);
    }
    out.WriteEnd();
}
} // namespace

void TRootItem::SaveToStream(TRecordWriter& out) {
    std::int64_t count = 0;
    if (!out.Counting()) {
        // The count stands before the records it counts: a counting pass over the same walk gives
        // it, so that the root record and the header always agree with what follows.
        TRecordWriter counter;
        WriteRootBody(*this, counter);
        count = static_cast<std::int64_t>(counter.FileRecords());
    }
    out.WriteRootHead(Name(), count);
    WriteRootBody(*this, out);
}

model::TSaveOutcome TRootItem::SaveToFile(const std::string& fileName, model::TProgressSink* progress) {
    SetCreated(platform::Now());
    model::TSaveOutcome outcome;
    try {
        model::TExplorationFileWriter file(fileName, model::txf::kWriterViewer);
        file.Records().SetProgress(progress);
        SaveToStream(file.Records());
        if (progress && progress->Cancelled()) {
            file.Discard();
            outcome.result = model::TSaveResult::Cancelled;
            outcome.message = "Operation cancelled. The file was not saved.";
            outcome.caption = "Cancel";
            return outcome;
        }
        file.Commit();
        outcome.result = model::TSaveResult::Saved;
    } catch (const std::exception& e) {
        outcome.result = model::TSaveResult::Failed;
        outcome.message = "An error as occured while saving.";
        outcome.caption = "Error";
        outcome.detail = e.what();
    }
    return outcome;
}

} // namespace viewer
