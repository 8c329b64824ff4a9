#include "model/UHelpContext.h"

#include <utility>

// Where an installation keeps the pages, relative to its programs' folder (set by the build from
// the install directories).
#ifndef TX_HELP_INSTALL_RELATIVE
#define TX_HELP_INSTALL_RELATIVE "../share/tessalundrix/help"
#endif

namespace model {

namespace {

struct TContextPage {
    int context;
    const char* page;
};

constexpr TContextPage kPages[] = {
    {kHelpAnalyser, "analyser.htm"},         {kHelpExport, "export.htm"}, {kHelpSave, "save.htm"},
    {kHelpOptions, "options.htm"},           {kHelpManual, "manual.htm"}, {kHelpColumns, "columns.htm"},
    {kHelpCustomReport, "customreport.htm"},
};

THelpHandler& Handler() {
    static THelpHandler handler;
    return handler;
}

} // namespace

const std::vector<int>& HelpContexts() {
    static const std::vector<int> contexts = [] {
        std::vector<int> v;
        for (const TContextPage& p : kPages)
            v.push_back(p.context);
        return v;
    }();
    return contexts;
}

std::string HelpPageOfContext(int context) {
    for (const TContextPage& p : kPages)
        if (p.context == context) return p.page;
    return {};
}

std::string HelpContentsPage(const std::string& helpName) {
    return helpName + ".htm";
}

std::vector<std::string> HelpFolderCandidates(const std::string& programDir) {
    std::string dir = programDir;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    const std::string base = dir == "/" ? dir : dir + "/";
    return {base + "help", base + TX_HELP_INSTALL_RELATIVE};
}

void SetHelpHandler(THelpHandler handler) {
    Handler() = std::move(handler);
}

void ShowHelp(int context) {
    // A copy: the handler may replace itself while it runs.
    if (THelpHandler handler = Handler()) handler(context);
}

} // namespace model
