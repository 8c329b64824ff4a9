#include "listing/UProgramProfile.h"

#include "listing/USortCompare.h"

#include <memory>

namespace listing {

namespace {

const std::vector<int> kFileFolderIds = {0, 1, 9, 10, 2, 3, 6, 4, 5, 8, 7, 16, 19, 20, 21};

std::unique_ptr<TProgramProfile>& Current() {
    static std::unique_ptr<TProgramProfile> current;
    return current;
}

} // namespace

const TProgramProfile& ExplorerProfile() {
    static const TProgramProfile profile = [] {
        TProgramProfile p;
        p.programName = "TessalundrixPro";
        p.title = "Tessalundrix Pro";
        p.settingsName = "TessalundrixPro3.1";
        p.helpName = "TessalundrixPro";
        p.mainGroups = {
            {"&File/Folder View", kFileFolderIds, 7, 3, "Columns 0"},
            {"&Drive View", {0, 11, 9, 10, 2, 12, 13, 14, 17, 18}, 8, 0, "Columns 1"},
            {"&Normal View", {0, 1, 9, 10}, 4, 3, "Columns 2"},
        };
        p.selectMainComparator = SelectExplorerComparator;
        return p;
    }();
    return profile;
}

const TProgramProfile& ViewerProfile() {
    static const TProgramProfile profile = [] {
        TProgramProfile p;
        p.programName = "TXViewer";
        p.title = "Tessalundrix Viewer";
        p.settingsName = "TXViewer3.1";
        p.helpName = "TXViewer";
        p.mainGroups = {
            {"&File/Folder View", kFileFolderIds, 7, 3, "Columns 0"},
            {"&Root View", {0, 15, 1, 9, 10, 7, 8}, 5, 0, "Columns 1"},
            {"&TXFile View", {0, 1, 9, 10, 2, 15, 12, 13, 14, 17, 18, 8}, 9, 0, "Columns 2"},
        };
        p.selectMainComparator = SelectViewerComparator;
        p.drivesAlwaysListed = true;
        return p;
    }();
    return profile;
}

const TProgramProfile& CurrentProfile() {
    const auto& current = Current();
    return current ? *current : ExplorerProfile();
}

void SetCurrentProfile(const TProgramProfile& profile) {
    Current() = std::make_unique<TProgramProfile>(profile);
}

const TColumnGroupDef& FileListerGroupDef() {
    static const TColumnGroupDef def = {
        "&FileLister", {0, 7, 1, 2, 3, 6, 4, 5, 8, 16, 19, 20, 21}, 6, 3, "Columns"};
    return def;
}

const std::vector<TColumnGroupDef>& AnalyserGroupDefs() {
    static const std::vector<TColumnGroupDef> defs = [] {
        const std::vector<int> counts = {57, 58, 59, 60};
        std::vector<int> kinds;
        for (int id = 61; id <= 72; ++id)
            kinds.push_back(id);
        auto with = [](int first, const std::vector<int>& rest) {
            std::vector<int> ids = {first};
            ids.insert(ids.end(), rest.begin(), rest.end());
            return ids;
        };
        const char* captions[] = {"&Folders",   "&Size", "&Date",      "&Time",     "&Attributes",
                                  "&Extension", "T&ype", "&Cus. Ext.", "C&us. Type"};
        const int firsts[] = {56, 50, 51, 52, 53, 54, 55, 54, 55};
        std::vector<TColumnGroupDef> v;
        for (int i = 0; i < 9; ++i) {
            const bool dated = i == 2 || i == 3;
            TColumnGroupDef d{captions[i], with(firsts[i], dated ? kinds : counts), dated ? 13 : 5, -1,
                              "Columns " + std::to_string(i)};
            v.push_back(std::move(d));
        }
        return v;
    }();
    return defs;
}

} // namespace listing
