// The help's context numbers, their pages, where a program looks for its pages, and the request
// that the Help buttons make.
#include "model/UHelpContext.h"

#include <gtest/gtest.h>

#include <set>

using namespace model;

TEST(HelpContext, EveryDialogNumberHasItsOwnPage) {
    const struct {
        int context;
        const char* page;
    } cases[] = {
        {1009, "analyser.htm"}, {1011, "export.htm"},  {1012, "save.htm"},         {1013, "options.htm"},
        {1014, "manual.htm"},   {1015, "columns.htm"}, {1016, "customreport.htm"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HelpPageOfContext(c.context), c.page) << c.context;
    EXPECT_EQ(HelpContexts(), (std::vector<int>{1009, 1011, 1012, 1013, 1014, 1015, 1016}));
    std::set<std::string> pages;
    for (int c : HelpContexts())
        pages.insert(HelpPageOfContext(c));
    EXPECT_EQ(pages.size(), HelpContexts().size());
}

TEST(HelpContext, NumbersWithoutADialogHaveNoPage) {
    for (int context : {0, -1, 1010, 1017, 1008})
        EXPECT_EQ(HelpPageOfContext(context), "") << context;
}

TEST(HelpContext, ContentsPageIsNamedAfterTheProgram) {
    EXPECT_EQ(HelpContentsPage("TessalundrixPro"), "TessalundrixPro.htm");
    EXPECT_EQ(HelpContentsPage("TXViewer"), "TXViewer.htm");
}

TEST(HelpContext, PagesAreLookedForBesideTheProgramThenInTheInstalledDataFolder) {
    const struct {
        const char* programDir;
        std::vector<std::string> folders;
    } cases[] = {
        {"/opt/tx/bin", {"/opt/tx/bin/help", "/opt/tx/bin/../share/tessalundrix/help"}},
        {"/opt/tx/bin/", {"/opt/tx/bin/help", "/opt/tx/bin/../share/tessalundrix/help"}},
        {"/", {"/help", "/../share/tessalundrix/help"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HelpFolderCandidates(c.programDir), c.folders) << c.programDir;
}

TEST(HelpContext, RequestsGoToTheInstalledHandlerOnly) {
    ShowHelp(1009); // nothing installed: nothing happens
    std::vector<int> asked;
    SetHelpHandler([&asked](int context) { asked.push_back(context); });
    ShowHelp(1013);
    ShowHelp(4711); // the handler decides what an unknown number shows
    EXPECT_EQ(asked, (std::vector<int>{1013, 4711}));
    SetHelpHandler(nullptr);
    ShowHelp(1014);
    EXPECT_EQ(asked.size(), 2u);
}

TEST(HelpContext, AHandlerMayReplaceItselfWhileItRuns) {
    int first = 0, second = 0;
    SetHelpHandler([&](int) {
        ++first;
        SetHelpHandler([&](int) { ++second; });
    });
    ShowHelp(1009);
    ShowHelp(1009);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
    SetHelpHandler(nullptr);
}
