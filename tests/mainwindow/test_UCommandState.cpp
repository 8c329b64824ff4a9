// The command table of the main window, one row per class and focus, as the user meets them.
#include "mainwindow/UCommandState.h"

#include "SampleTree.h"

#include <gtest/gtest.h>

#include <cctype>

using namespace mainwindow;
using namespace model;

namespace {

// Flags in the order Explore, Delete, Up, File Lister, Open in File Manager, Open, Copy name,
// Copy path, Add to preferred, Save; "Y" on, "-" off.
std::string Flags(const TCommandState& s) {
    const bool f[] = {s.exploreOn, s.deleteOn,   s.upOn,       s.fileListerOn,   s.explorerOn,
                      s.openOn,    s.copyNameOn, s.copyPathOn, s.addPreferredOn, s.saveOn};
    std::string out;
    for (bool b : f)
        out += b ? 'Y' : '-';
    return out;
}

TCommandInput Tree(const TItem* item, bool expanded = false) {
    TCommandInput in;
    in.focus = TFocus::Tree;
    in.treeSelected = true;
    in.treeItem = item;
    in.treeExpanded = expanded;
    return in;
}

TCommandInput List(const TItem* item, const TItem* treeItem) {
    TCommandInput in;
    in.focus = TFocus::List;
    in.listSelected = true;
    in.listItem = item;
    in.listSelection = {item};
    in.treeSelected = true;
    in.treeItem = treeItem;
    return in;
}

TCommandInput Rows(std::vector<const TItem*> rows, const TItem* treeItem) {
    TCommandInput in = List(rows.front(), treeItem);
    in.listPlaceholder = rows.front() == nullptr;
    in.listSelection = std::move(rows);
    return in;
}

struct TCase {
    const char* what;
    std::function<TCommandInput(TSampleTree&)> input;
    const char* flags;
};

class CommandTable : public ::testing::TestWithParam<TCase> {};

TEST_P(CommandTable, EnabledCommands) {
    TSampleTree t;
    TCommandInput in = GetParam().input(t);
    in.isMountPoint = [&t](const TItem* item) { return item == t.mountFolder; };
    EXPECT_EQ(Flags(UpdateCommands(in)), GetParam().flags) << GetParam().what;
}

// clang-format off
const TCase kCases[] = {
    //                                                                               EDUFWONPAS
    {"nothing selected",          [](TSampleTree&) { return TCommandInput{}; },     "----------"},
    {"tree focus, no selection",  [](TSampleTree&) { TCommandInput in; in.focus = TFocus::Tree; return in; }, "----------"},
    {"root",                      [](TSampleTree& t) { return Tree(t.root.get()); }, "---Y-----Y"},
    {"My Computer",               [](TSampleTree& t) { return Tree(t.computer); },  "Y-YY-YYY-Y"},
    {"My Computer in the root list", [](TSampleTree& t) { return List(t.computer, t.root.get()); }, "Y--Y-YYY-Y"},
    {"preferred container",       [](TSampleTree& t) { return Tree(t.preferredRoot); }, "--Y--Y---Y"},
    {"manual container",          [](TSampleTree& t) { return Tree(t.manualRoot); }, "--Y--Y---Y"},
    {"loaded container",          [](TSampleTree& t) { return Tree(t.loaded); },    "--Y--Y---Y"},
    {"manual folder",             [](TSampleTree& t) { return Tree(t.manualItem); }, "YYY-YYYYYY"},
    {"manual folder in its list", [](TSampleTree& t) { return List(t.manualItem, t.manualRoot); }, "YYY--YYYYY"},
    {"preferred folder",          [](TSampleTree& t) { return Tree(t.preferredItem); }, "YYY-YYYY-Y"},
    {"manual drive",              [](TSampleTree& t) { return Tree(t.manualDrive); }, "YYY-YYYYYY"},
    {"preferred drive",           [](TSampleTree& t) { return Tree(t.preferredDrive); }, "YYY-YYYY-Y"},
    {"Network Neighborhood",      [](TSampleTree& t) { return Tree(t.network); },   "Y-YY-YYY-Y"},
    {"server",                    [](TSampleTree& t) { return Tree(t.server); },    "Y-Y-YYYY-Y"},
    {"server in Network Neighborhood's list", [](TSampleTree& t) { return List(t.server, t.network); }, "Y-Y--YYY-Y"},
    {"drive, not explored, with content", [](TSampleTree& t) { return Tree(t.drive); }, "Y-YYYYYYYY"},
    {"drive in the drive list",   [](TSampleTree& t) { return List(t.drive, t.computer); }, "Y--Y-YYYYY"},
    {"explored folder",           [](TSampleTree& t) { return Tree(t.folderA); },   "YYYYYYYYYY"},
    {"unexplored folder",         [](TSampleTree& t) { return Tree(t.folderB); },   "Y-Y-YYYYYY"},
    {"explored mount point",      [](TSampleTree& t) { return Tree(t.mountFolder); }, "Y-YYYYYYYY"},
    {"explored network share",    [](TSampleTree& t) { return Tree(t.share); },     "Y-YYYYYYYY"},
    {"file row",                  [](TSampleTree& t) { return List(t.file, t.folderA); }, "YYY-YYYY--"},
    {"placeholder row",           [](TSampleTree& t) { TCommandInput in = List(nullptr, t.folderB); in.listPlaceholder = true; return in; }, "Y-Y--Y----"},
    {"list focus, no row: the tree selection", [](TSampleTree& t) { TCommandInput in = Tree(t.folderA); in.focus = TFocus::List; return in; }, "YYYYYYYYYY"},
    {"two files",                 [](TSampleTree& t) { return Rows({t.file, t.file2}, t.folderA); }, "YYY-Y-YY--"},
    {"explored folder and a file", [](TSampleTree& t) { return Rows({t.mountFolder, t.file}, t.folderA); }, "Y-Y-Y-YY--"},
    {"two folders, one unexplored", [](TSampleTree& t) { return Rows({t.folderA, t.folderB}, t.drive); }, "Y-Y-Y-YY-Y"},
    {"two manual items",          [](TSampleTree& t) { return Rows({t.manualItem, t.manualDrive}, t.manualRoot); }, "Y-----YY-Y"},
    {"two drives",                [](TSampleTree& t) { return Rows({t.drive, t.drive}, t.computer); }, "Y-----YY-Y"},
    {"two containers in the root list", [](TSampleTree& t) { return Rows({t.computer, t.manualRoot}, t.root.get()); }, "---------Y"},
    {"placeholder and a folder",  [](TSampleTree& t) { return Rows({nullptr, t.folderA}, t.drive); }, "----------"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Classes, CommandTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TCase>& info) {
                             std::string name;
                             for (const char* c = info.param.what; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             return name + "_" + std::to_string(info.index);
                         });

TEST(Commands, OpenCaptionFollowsWhereTheSubjectIs) {
    TSampleTree t;
    EXPECT_EQ(UpdateCommands(Tree(t.folderA, true)).openCaption, "C&ollapse");
    EXPECT_EQ(UpdateCommands(Tree(t.folderA, false)).openCaption, "&Expand");
    EXPECT_EQ(UpdateCommands(List(t.folderA, t.drive)).openCaption, "&Open");
    // A folder known to be empty has nothing to expand; a top item not yet listed may still have.
    EXPECT_EQ(UpdateCommands(Tree(t.folderB)).openCaption, "S&elect");
    EXPECT_EQ(UpdateCommands(Tree(t.manualItem)).openCaption, "&Expand");
    t.manualItem->SetListed(true);
    EXPECT_EQ(UpdateCommands(Tree(t.manualItem)).openCaption, "S&elect");
    TCommandInput placeholder = List(nullptr, t.folderB);
    placeholder.listPlaceholder = true;
    const TCommandState s = UpdateCommands(placeholder);
    EXPECT_EQ(s.openCaption, "Expl&ore");
    EXPECT_EQ(s.RefreshCaption(), "&Explore");
}

TEST(Commands, TheSubjectIsTheFocusedView) {
    TSampleTree t;
    TCommandInput in = List(t.file, t.folderA);
    EXPECT_EQ(UpdateCommands(in).item, t.file);
    in.focus = TFocus::Tree;
    EXPECT_EQ(UpdateCommands(in).item, t.folderA);
    // Without focus the list's row still names the subject.
    in.focus = TFocus::None;
    EXPECT_EQ(UpdateCommands(in).item, t.file);
}

TEST(Commands, CaptionsOfDeleteRefreshCopyAndNew) {
    TSampleTree t;
    struct {
        TCommandInput in;
        const char* refresh;
        const char* del;
        const char* button;
        const char* copy;
        bool folderName;
        const char* newCaption;
    } cases[] = {
        {Tree(t.folderA), "&Refresh", "&Delete", "Delete", "&Copy Name", false, "&New Manual Exploration"},
        {List(t.file, t.folderA), "&Refresh", "&Delete", "Delete", "&Copy File Name", true,
         "&New Manual Exploration"},
        {Tree(t.folderB), "&Explore", "&Delete", "Delete", "&Copy Name", false, "&New Manual Exploration"},
        {Tree(t.manualItem), "&Explore", "R&emove from My Manual Explorations", "Remove", "&Copy Name", false,
         "&New Manual Exploration"},
        {Tree(t.preferredItem), "&Explore", "R&emove from My Preferred Explorations", "Remove", "&Copy Name",
         false, "&New Preferred Exploration"},
        {Tree(t.preferredRoot), "&Explore", "&Delete", "Delete", "&Copy Name", false,
         "&New Preferred Exploration"},
        {Rows({t.folderA, t.folderB}, t.drive), "&Explore", "&Delete", "Delete", "&Copy File Name", true,
         "&New Manual Exploration"},
    };
    for (const auto& c : cases) {
        const TCommandState s = UpdateCommands(c.in);
        EXPECT_EQ(s.RefreshCaption(), c.refresh);
        EXPECT_EQ(s.DeleteCaption(), c.del);
        EXPECT_EQ(s.DeleteButtonCaption(), c.button);
        EXPECT_EQ(s.CopyNameCaption(), c.copy);
        EXPECT_EQ(s.CopyFolderNameOn(), c.folderName);
        EXPECT_EQ(s.NewCaption(), c.newCaption);
    }
}

TEST(Commands, AutoExploreMarkOfPreferredItems) {
    TSampleTree t;
    EXPECT_TRUE(UpdateCommands(Tree(t.preferredItem)).autoExplore);
    EXPECT_FALSE(UpdateCommands(Tree(t.preferredDrive)).autoExplore);
}

} // namespace
