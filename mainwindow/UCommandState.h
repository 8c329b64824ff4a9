// Which commands of the main window are enabled, and with which captions, for a selection: a pure
// function of what the two views show, so that the whole class table is testable without a window.
#pragma once

#include "mainwindow/UFocusReturn.h"

#include <functional>
#include <string>
#include <vector>

namespace model {
class TItem;
}

namespace mainwindow {

// What the views show when the commands are computed. Pointers do not own and are read only.
struct TCommandInput {
    TFocus focus = TFocus::None;
    // The list: the first selected row (selected false: none). placeholder: that row is the
    // "Unexplored" row (its item is nullptr then); a row is that placeholder by what it is, never by
    // its caption.
    bool listSelected = false;
    const model::TItem* listItem = nullptr;
    bool listPlaceholder = false;
    // Every selected row in display order (nullptr for the placeholder); used with two or more.
    std::vector<const model::TItem*> listSelection;
    // The tree selection (treeSelected false: none) and whether its node is expanded.
    bool treeSelected = false;
    const model::TItem* treeItem = nullptr;
    bool treeExpanded = false;
    // Tells whether a folder is a mount point (a drive of its own): such a folder is never offered
    // for Delete. Empty: no folder counts as one.
    std::function<bool(const model::TItem*)> isMountPoint;
};

struct TCommandState {
    const model::TItem* item = nullptr; // the subject the commands act on
    bool fromList = false;
    bool placeholder = false;
    bool explored = true;
    bool content = false;
    std::string openCaption;

    bool exploreOn = false;
    bool deleteOn = false;
    bool remove = false;    // Delete means remove from a list of explorations
    bool preferred = false; // the subject belongs to the preferred explorations
    bool autoExplore = false;
    bool upOn = false;
    bool fileListerOn = false; // also Analyser and Top 100
    bool explorerOn = false;   // "Open in File Manager"
    bool openOn = false;
    bool copyNameOn = false;
    bool copyPathOn = false;
    bool addPreferredOn = false;
    bool saveOn = false;

    // Captions derived from the flags.
    [[nodiscard]] std::string RefreshCaption() const { return explored ? "&Refresh" : "&Explore"; }
    [[nodiscard]] std::string RefreshButtonCaption() const { return explored ? "Refresh" : "Explore"; }
    [[nodiscard]] std::string DeleteCaption() const;
    [[nodiscard]] std::string DeleteButtonCaption() const { return remove ? "Remove" : "Delete"; }
    [[nodiscard]] std::string CopyNameCaption() const { return fromList ? "&Copy File Name" : "&Copy Name"; }
    // The Edit menu's "Co&py Folder Name" is offered only for list rows.
    [[nodiscard]] bool CopyFolderNameOn() const { return copyNameOn && fromList; }
    [[nodiscard]] std::string NewCaption() const {
        return preferred ? "&New Preferred Exploration" : "&New Manual Exploration";
    }
};

[[nodiscard]] TCommandState UpdateCommands(const TCommandInput& in);

} // namespace mainwindow
