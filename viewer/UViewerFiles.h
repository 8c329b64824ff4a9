// The viewer's decisions around its loaded files, without a window: loading one file under the
// root, which selected items a Close closes, which windows go with a closed file, marking a
// selection for a save and the save itself.
#pragma once

#include "mainwindow/UFocusReturn.h"
#include "model/UItem.h"
#include "viewer/UItem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace viewer {

class TLoadProgress;

struct TLoadOutcome {
    std::int32_t code = kLoadOk;
    TFileRootItem* file = nullptr; // owned by the root when code is 0
    std::string message;           // what the user is shown ("" for success and a cancel)
};

// Reads fileName into a new TFileRootItem; on success appends it to root and recomputes the
// totals, else destroys it and the tree is as it was.
TLoadOutcome LoadFileInto(TRootItem& root, const std::string& fileName, TLoadProgress* progress);

using mainwindow::TFocus;

// The loaded files that "&Close" closes: with the list focused, every selected row that is a
// loaded file (from the last row to the first for two or more rows); with the tree focused, the
// tree selection when it is one. Anything else is never closed.
[[nodiscard]] std::vector<TFileRootItem*> FilesToClose(TFocus focus, const std::vector<TItem*>& selectedRows,
                                                       TItem* treeSelection);

// A window showing shown must close with file: it shows the file or something in it, or
// something that holds the file ("All Files").
[[nodiscard]] bool WindowGoesWithFile(const TItem* shown, const TFileRootItem* file);

// Takes file out of root (totals recomputed) and destroys it with its tree.
void CloseFile(TRootItem& root, TFileRootItem* file);

// The items a selection save writes: the selected rows with the list focused, else the tree's.
// Marks are cleared first.
void MarkForSave(TRootItem& root, const std::vector<TItem*>& items);

// Writes the marked items to fileName, then clears every mark, whatever came of it.
model::TSaveOutcome SaveMarked(TRootItem& root, const std::string& fileName, model::TProgressSink* progress);

} // namespace viewer
