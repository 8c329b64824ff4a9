// The text conversions of the exports: which strings count as UTF-8, and what Windows-1252 and
// UTF-8 make of them.
#include "export/UExportText.h"

#include <gtest/gtest.h>

using namespace exportdata;

TEST(ExportText, Conversions) {
    struct {
        const char* name;
        std::string in;
        bool utf8;
        std::string cp1252, asUtf8;
        std::size_t chars;
    } cases[] = {
        {"ascii", "abc", true, "abc", "abc", 3},
        {"accent and euro", "\xC3\xA9\xE2\x82\xAC", true, "\xE9\x80", "\xC3\xA9\xE2\x82\xAC", 2},
        {"outside the code page", "\xE4\xB8\xAD\xF0\x9F\x98\x80", true, "??", "\xE4\xB8\xAD\xF0\x9F\x98\x80",
         2},
        {"Windows-1252 bytes", "\xE9t\xE9", false, "\xE9t\xE9", "\xC3\xA9t\xC3\xA9", 3},
        {"unassigned byte", "a\x81", false, "a?", "a?", 2},
        {"overlong form", "\xC0\xAF", false, "\xC0\xAF", "\xC3\x80\xC2\xAF", 2},
        {"surrogate", "\xED\xA0\x80", false, "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC", 3},
        {"cut sequence", "\xC3", false, "\xC3", "\xC3\x83", 1},
        {"empty", "", true, "", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsValidUtf8(c.in), c.utf8);
        EXPECT_EQ(ToWindows1252(c.in), c.cp1252);
        EXPECT_EQ(ToUtf8(c.in), c.asUtf8);
        EXPECT_EQ(CharCount(c.in), c.chars);
        EXPECT_TRUE(IsValidUtf8(ToUtf8(c.in)));
    }
}
