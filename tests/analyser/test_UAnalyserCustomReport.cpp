#include "analyser/UAnalyserCustomReport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace analyser;

namespace {
std::string D(std::initializer_list<const char*> tokens) {
    std::string s;
    for (const char* t : tokens)
        (s += t) += '\x01';
    return s;
}
} // namespace

TEST(AnalyserCustomReport, DefaultsByteForByte) {
    EXPECT_EQ(DefaultReportDefinition(kExtensionReport),
              std::string("Default\x01.JPG\x01.EXE\x01.DLL\x01.MP3\x01.DOC\x01"));
    // Without a desktop shell the type names are the MIME database's English ones.
    EXPECT_EQ(DefaultReportDefinition(kTypeReport), std::string("Default\x01"
                                                                "executable\x01"
                                                                "shared library\x01"
                                                                "plain text document\x01"
                                                                "HTML document\x01"
                                                                "WinHelp help file\x01"));
}

TEST(AnalyserCustomReport, ParseDefinitions) {
    const struct {
        std::string definition;
        bool ok;
        const char* name;
        std::vector<std::string> items;
    } cases[] = {
        {D({"Mine", ".A", ".B"}), true, "Mine", {".A", ".B"}},
        {"no end byte", false, "", {}},
        {"", false, "", {}},
        {D({"", ".A"}), false, "", {}},
        {D({"  ", ".A"}), false, "", {}},
        {D({"Tail", ".A"}) + ".B", true, "Tail", {".A"}},
        {D({"Only"}), true, "Only", {}},
        {D({"Gaps", "", ".X", ""}), true, "Gaps", {"", ".X", ""}},
        {D({"T", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}),
         true,
         "T",
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
    };
    for (const auto& c : cases) {
        std::string name = "unchanged";
        std::vector<std::string> items{"unchanged"};
        ASSERT_EQ(ParseReportDefinition(c.definition, name, items), c.ok) << c.definition;
        if (!c.ok) {
            EXPECT_EQ(name, "unchanged");
            continue;
        }
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(items, c.items);
    }
}

TEST(AnalyserCustomReport, FormatWritesAtMostTenItems) {
    std::vector<std::string> twelve;
    for (int i = 1; i <= 12; ++i)
        twelve.push_back(std::to_string(i));
    EXPECT_EQ(FormatReportDefinition("T", twelve),
              D({"T", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    EXPECT_EQ(FormatReportDefinition("E", {}), D({"E"}));
}

TEST(AnalyserCustomReport, ListMergesByNameAndRoundTrips) {
    TAnalyserCustomReportList list;
    EXPECT_TRUE(list.AddReportFromString(D({"A", ".X"})));
    EXPECT_TRUE(list.AddReportFromString(D({"B", ".Y", ".Z"})));
    EXPECT_TRUE(list.AddReportFromString(D({"A", ".W"}))); // replaces the items of A
    EXPECT_FALSE(list.AddReportFromString("junk"));
    EXPECT_FALSE(list.AddReportFromString(D({"", ".Q"})));
    ASSERT_EQ(list.ReportCount(), 2);
    EXPECT_EQ(list.GetReportString(0), D({"A", ".W"}));
    EXPECT_EQ(list.GetReportString(1), D({"B", ".Y", ".Z"}));
    EXPECT_EQ(list.GetReportString(2), "");
    EXPECT_EQ(list.GetReportString(-1), "");
    EXPECT_EQ(list.IndexOfReport("B"), 1);
    EXPECT_EQ(list.FindReport("b"), nullptr); // exact names
    list.DeleteReport(0);
    EXPECT_EQ(list.Report(0)->Name, "B");
    list.LoadDefaults(kExtensionReport);
    ASSERT_EQ(list.ReportCount(), 1);
    EXPECT_EQ(list.GetReportString(0), DefaultReportDefinition(kExtensionReport));
}

TEST(AnalyserCustomReport, ManualEntriesAreNormalised) {
    const struct {
        int kind;
        const char* text;
        const char* item;
    } cases[] = {
        {kExtensionReport, "jpg", ".JPG"},
        {kExtensionReport, ".jpg", ".JPG"},
        {kExtensionReport, "none", "none"},
        {kExtensionReport, "NoNe", "none"},
        {kExtensionReport, ".none", ".NONE"},
        {kExtensionReport, ".", "."},
        {kExtensionReport, "t\xc3\xa9", ".T\xc3\xa9"},
        {kTypeReport, " Text Document ", " Text Document "},
        {kTypeReport, "none", "none"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormaliseManualEntry(c.kind, c.text), c.item) << c.text;
}

TEST(AnalyserCustomReport, ValidText) {
    EXPECT_TRUE(IsValidReportText("My report"));
    EXPECT_TRUE(IsValidReportText("\xc3\xa9t\xc3\xa9"));
    EXPECT_FALSE(IsValidReportText(""));
    EXPECT_FALSE(IsValidReportText("   "));
    EXPECT_FALSE(IsValidReportText("a\x01"
                                   "b"));
    EXPECT_FALSE(IsValidReportText("a\tb"));
    EXPECT_FALSE(IsValidReportText("a\x7f"));
}

TEST(AnalyserCustomReport, AvailableItemsFromTheTypeTable) {
    model::TTypeList types;
    types.AddExtension(".jpg");
    types.AddExtension(".TXT");
    types.AddTypeName("Zip archive");
    types.AddExtension(".JPG"); // differs only in case: one entry, the later spelling
    types.AddExtension("none");
    types.AddTypeName("text document");
    EXPECT_EQ(AvailableReportItems(kExtensionReport, types),
              (std::vector<std::string>{".JPG", ".TXT", "none"}));
    EXPECT_EQ(AvailableReportItems(kTypeReport, types),
              (std::vector<std::string>{"File", "JPG File", "text document", "TXT File", "Zip archive"}));
}
