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
using model::TSaveWalk;

namespace {

model::TItemTail TailOf(const TItem& item) {
    return {item.Created(), item.Accessed(), item.Modified(), item.Attributes()};
}

// Explored flag, tail, children and end of a marked folder (the head is written already). Files
// write themselves when marked; folders only when they hold something explored.
void WriteMarkedBody(model::TFolderItem& folder, TSaveWalk& walk, bool marked) {
    walk.Out().WriteFolderBody(folder.IsExplored(), TailOf(folder));
    walk.Children(folder, marked, TSaveWalk::TChildren::Explored, true);
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

// An unmarked folder writes no record of its own: the files marked among its children go under a
// path record of it (so that a file saved on its own reaches the file, as the count says), then
// its folder children, which write what is marked below them (nothing when nothing is).
void WriteTowardsMarked(model::TFolderItem& folder, TSaveWalk& walk) {
    const auto& children = folder.Children();
    if (std::any_of(children.begin(), children.end(),
                    [](const TItem* c) { return !c->IsFolder() && c->Marked(); })) {
        TRecordWriter& out = walk.Out();
        out.WritePathHead(folder.Name(), RecordPath(folder));
        // The folder itself keeps its date: only the record takes the exploration's.
        out.WriteFolderBody(folder.IsExplored(), {PathRecordDate(folder), folder.Accessed(),
                                                  folder.Modified(), folder.Attributes()});
        for (TItem* child : children) {
            if (out.Cancelled()) return;
            if (!child->IsFolder() && child->Marked()) child->SaveRecords(walk, true);
        }
        out.WriteEnd();
    }
    walk.Children(folder, false, TSaveWalk::TChildren::Folders, false);
}

} // namespace

void TFolderItem::SaveRecords(TSaveWalk& walk, bool marked) {
    if (!marked) {
        WriteTowardsMarked(*this, walk);
        return;
    }
    model::TFolderItem* parent = Parent();
    if (parent && Marked() && !parent->IsMarked()) { // marked only through its parent: a plain folder
        // Saved on its own: a path record dated like the exploration it came from.
        SetCreated(PathRecordDate(*parent));
        walk.Out().WritePathHead(Name(), RecordPath(*this));
    } else {
        walk.Out().WriteFolderHead(Name());
    }
    WriteMarkedBody(*this, walk, marked);
}

void TDriveItem::SaveRecords(TSaveWalk& walk, bool marked) {
    if (!marked) {
        WriteTowardsMarked(*this, walk);
        return;
    }
    if (GetFileCount() == 0) return; // an empty drive leaves no trace
    walk.Out().WriteDriveHead(Name(), Letter(), Free(), Total());
    WriteMarkedBody(*this, walk, marked);
}

void TFolderRootItem::SaveRecords(TSaveWalk& walk, bool marked) {
    if (!marked) {
        WriteTowardsMarked(*this, walk);
        return;
    }
    walk.Out().WritePathHead(Name(), model::PathWithoutSeparator(FPath));
    WriteMarkedBody(*this, walk, marked);
}

void TFileRootItem::SaveRecords(TSaveWalk& walk, bool marked) {
    walk.Children(*this, marked, TSaveWalk::TChildren::All, false);
}

namespace {
// The root's body: explored, dated by the save, its children, its end.
void WriteRootBody(TRootItem& root, TSaveWalk& walk, bool marked) {
    walk.Out().WriteFolderBody(true, {root.Created(), 0, 0, 0});
    walk.Children(root, marked, TSaveWalk::TChildren::Explored, true);
}
} // namespace

void TRootItem::SaveRecords(TSaveWalk& walk, bool marked) {
    TRecordWriter& out = walk.Out();
    std::int64_t count = 0;
    if (!out.Counting()) {
        // The count stands before the records it counts: a counting pass over the same walk gives
        // it, so that the root record and the header always agree with what follows.
        TRecordWriter counter;
        TSaveWalk counting(counter);
        WriteRootBody(*this, counting, marked);
        counting.Drain();
        count = static_cast<std::int64_t>(counter.FileRecords());
    }
    out.WriteRootHead(Name(), count);
    WriteRootBody(*this, walk, marked);
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
