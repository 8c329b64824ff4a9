// Names for the screen: UTF-8 when valid, else Windows-1252, each name of a path or message on its own.
#include "model/UDisplayText.h"

#include <gtest/gtest.h>

using model::DisplayUtf8;
using model::IsValidUtf8;

TEST(DisplayText, EachNameIsReadOnItsOwn) {
    struct {
        const char* bytes;
        const char* shown;
    } cases[] = {
        {"plain.txt", "plain.txt"},
        {"caf\xC3\xA9", "caf\xC3\xA9"},                                       // UTF-8 stays
        {"caf\xE9", "caf\xC3\xA9"},                                           // Windows-1252 é
        {"\x80\x99\x9F", "\xE2\x82\xAC\xE2\x84\xA2\xC5\xB8"},                 // € ™ Ÿ
        {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"}, // unassigned: kept as C1
        // A UTF-8 folder with a Windows-1252 file: each name as the list shows it, not the whole
        // path read as Windows-1252.
        {"/home/spaces and \xC3\xBCn\xC3\xAF"
         "code/caf\xE9.txt",
         "/home/spaces and \xC3\xBCn\xC3\xAF"
         "code/caf\xC3\xA9.txt"},
        {"C:\\Donn\xE9"
         "es\\r\xC3\xA9sum\xC3\xA9",
         "C:\\Donn\xC3\xA9"
         "es\\r\xC3\xA9sum\xC3\xA9"},
        // A message naming two files, one per line (the system's "\n\r" line break).
        {"Some items could not be moved:\n\r/a/\xC3\xBC: no\n\r/b/\xFC: no",
         "Some items could not be moved:\n\r/a/\xC3\xBC: no\n\r/b/\xC3\xBC: no"},
        // Not UTF-8: cut short, overlong, a surrogate, beyond U+10FFFF.
        {"x\xC3", "x\xC3\x83"},
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"\xE0\x80\xAF", "\xC3\xA0\xE2\x82\xAC\xC2\xAF"},
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"}, // a 4-byte character stays
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DisplayUtf8(c.bytes), c.shown) << c.bytes;
}

TEST(DisplayUtf8, DecodesAsTheListsShowNames) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"caf\xC3\xA9", "caf\xC3\xA9"},                   // valid UTF-8 stays
        {"caf\xE9 \x80", "caf\xC3\xA9 \xE2\x82\xAC"},     // Windows-1252: é and €
        {"\xC3", "\xC3\x83"},                             // a lone lead byte is Ã
        {"\x81\x9D", "\xC2\x81\xC2\x9D"},                 // unassigned bytes keep their value
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"}, // an encoded surrogate is no UTF-8
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                 // nor an overlong form
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},         // a 4-byte character is
    };
    for (const auto& c : cases)
        EXPECT_EQ(DisplayUtf8(c.in), c.out) << c.in;
    EXPECT_TRUE(IsValidUtf8("\xE6\x97\xA5"));
    EXPECT_FALSE(IsValidUtf8("\xE6\x97"));
}
