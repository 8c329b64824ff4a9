// The built-in Custom Type report against the desktop's type names: each of its items is the name
// the type table gives to files of that kind, so that a first analysis counts them.
#include "analyser/UAnalyserCustomReport.h"
#include "model/UTypeList.h"
#include "platform/PQtShell.h"

#include <QMimeDatabase>

#include <gtest/gtest.h>

using namespace analyser;

TEST(AnalyserTypeNames, TheDefaultTypeReportNamesTheTypesFilesGet) {
    platform::TQtShell shell;
    platform::SetShell(&shell);
    struct TRestore {
        ~TRestore() { platform::SetShell(nullptr); }
    } restore;
    std::string name;
    std::vector<std::string> items;
    const bool parsed = ParseReportDefinition(DefaultReportDefinition(kTypeReport), name, items);
    ASSERT_TRUE(parsed && items.size() == 5u);
    EXPECT_EQ(name, "Default");
    // Files typed by their extension, as an exploration types them.
    struct {
        const char* key;
        size_t item;
    } cases[] = {{".SO", 1}, {".TXT", 2}, {".HTML", 3}, {".HTM", 3}, {".HLP", 4}};
    for (const auto& c : cases)
        EXPECT_EQ(model::TypeList().TypeNameOfExtension(c.key), items[c.item]) << c.key;
    // Executables carry no extension here: the item is the database's name of their type.
    EXPECT_EQ(items[0], QMimeDatabase().mimeTypeForName("application/x-executable").comment().toStdString());
    for (const std::string& item : items)
        EXPECT_FALSE(item.empty());
}
