// What differs between the desktop explorer and the viewer in the listing code: their main-window
// column groups, their comparator table, their settings store and help, and two facts about their
// items. One build serves both; the program picks its profile at start-up.
#pragma once

#include <string>
#include <vector>

namespace model {
class TItem;
}

namespace listing {

class TItemComparator;

// A column group as a program creates it.
struct TColumnGroupDef {
    std::string caption;
    std::vector<int> ids; // default order
    int visible = 0;
    int sortCode = -1;
    std::string registryValue; // the stored layout's value name ("Columns 0", ...)
};

// The main window's comparator for a view and a sort code; nullptr: the view sorts nothing.
using TMainSelector = const TItemComparator* (*)(int view, int sortCode);

struct TProgramProfile {
    std::string programName;                 // "TessalundrixPro", "TXViewer"
    std::string title;                       // application title
    std::string settingsName;                // the settings store (platform/PQtRegistry.h)
    std::string helpName;                    // the help pages' name
    std::vector<TColumnGroupDef> mainGroups; // one per main-window view
    TMainSelector selectMainComparator = nullptr;
    // Rows whose parent is such an item show no dates and attributes; nullptr: the program has none.
    bool (*isFileRoot)(const model::TItem*) = nullptr;
    // Stored drives count as listed (their space was measured when the file was written).
    bool drivesAlwaysListed = false;
};

[[nodiscard]] const TProgramProfile& ExplorerProfile();
[[nodiscard]] const TProgramProfile& ViewerProfile();
// The profile in force: the explorer's until SetCurrentProfile is called (it keeps a copy).
[[nodiscard]] const TProgramProfile& CurrentProfile();
void SetCurrentProfile(const TProgramProfile& profile);

// Groups both programs share.
[[nodiscard]] const TColumnGroupDef& FileListerGroupDef();
[[nodiscard]] const std::vector<TColumnGroupDef>& AnalyserGroupDefs(); // "Columns 0" to "Columns 8"

} // namespace listing
