// The programs' help: the context numbers of the dialogs, the page each number opens, where the
// pages lie relative to a program, and the one request that every Help button makes. Plain C++:
// the dialogs of every layer ask here, and the program installs what shows the page.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace model {

// Context numbers of the dialogs' Help buttons.
inline constexpr int kHelpAnalyser = 1009;     // the Analyser window
inline constexpr int kHelpExport = 1011;       // Export Data and Export Chart
inline constexpr int kHelpSave = 1012;         // Save Exploration
inline constexpr int kHelpOptions = 1013;      // Options
inline constexpr int kHelpManual = 1014;       // Manual and New Preferred Exploration
inline constexpr int kHelpColumns = 1015;      // Customize Columns
inline constexpr int kHelpCustomReport = 1016; // the custom report editor

// Pages that the Help menu opens besides a context's page.
inline constexpr const char* kHelpFaqPage = "faq.htm";
inline constexpr const char* kHelpSupportPage = "support.htm";

// Every context number that has a page, in increasing order.
[[nodiscard]] const std::vector<int>& HelpContexts();
// The page (a file name in the help folder) of a context number; empty for a number without one.
[[nodiscard]] std::string HelpPageOfContext(int context);
// The contents page of a program's help, named after it ("TXViewer" gives "TXViewer.htm").
[[nodiscard]] std::string HelpContentsPage(const std::string& helpName);

// The folders where a program's pages may lie, in the order they are tried: "help" beside the
// program (a build tree), then the data folder of an installation, relative to the program's
// folder (bin/../share/tessalundrix/help by default).
[[nodiscard]] std::vector<std::string> HelpFolderCandidates(const std::string& programDir);

// Help requests. ShowHelp does nothing until a program installs a handler (tests install their
// own); the handler shows the page of the context.
using THelpHandler = std::function<void(int context)>;
void SetHelpHandler(THelpHandler handler);
void ShowHelp(int context);

} // namespace model
