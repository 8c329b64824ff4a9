// The file-type table, on the default shell (no desktop: no type names, no icons).
#include "model/UTypeList.h"

#include <gtest/gtest.h>

using namespace model;

TEST(TypeList, MadeUpNamesWhenTheShellKnowsNone) {
    TTypeList t;
    const struct {
        const char* key;
        const char* name;
    } cases[] = {{".XYZ", "XYZ File"}, {"none", "File"}, {".", "File"}, {"", "File"}, {". x", "File"}};
    for (const auto& c : cases) EXPECT_EQ(t.TypeNameOfExtension(c.key), c.name) << c.key;
}

TEST(TypeList, OneRowPerKeyAndPerName) {
    TTypeList t;
    const int txt = t.IndexOfExtension(".TXT");
    EXPECT_EQ(t.IndexOfExtension(".TXT"), txt);
    EXPECT_NE(t.IndexOfExtension(".txt"), txt); // keys are exact; callers upper-case
    const int folder = t.IndexOfName("Folder");
    EXPECT_EQ(t.IndexOfName("Folder"), folder);
    EXPECT_EQ(t.Items(folder).Key, kTypeNameKey);
    EXPECT_EQ(t.Items(folder).IconIndex, -1);
    EXPECT_EQ(t.Count(), 3);
}

TEST(TypeList, LookupsFindTheFirstMatchingRow) {
    TTypeList t;
    const int first = t.AddExtension(".DUP");
    t.AddExtension(".DUP");
    EXPECT_EQ(t.IndexOfExtension(".DUP"), first);
    // ".ABC" is made up as "ABC File"; a later shell name equal to it finds that row.
    const int abc = t.IndexOfExtension(".ABC");
    EXPECT_EQ(t.IndexOfName("ABC File"), abc);
}

TEST(TypeList, OutOfRange) {
    TTypeList t;
    EXPECT_EQ(t.TypeName(-1), "");
    EXPECT_EQ(t.IconIndex(-1), -1);
    EXPECT_EQ(t.TypeName(5), "");
    EXPECT_EQ(t.IconIndex(5), -1);
}
