// Size and path formatting.
#include "model/UConvertHelp.h"
#include "model/UDisplayText.h"

#include <gtest/gtest.h>

using namespace model;

namespace {
struct English : ::testing::Test {
    void SetUp() override { SetFormatSettings({",", "."}); }
};
using Format = English;
} // namespace

TEST_F(Format, Numbers) {
    EXPECT_EQ(FormatBytes(0), "0");
    EXPECT_EQ(FormatBytes(999), "999");
    EXPECT_EQ(FormatBytes(1000), "1,000");
    EXPECT_EQ(FormatBytes(1234567), "1,234,567");
    EXPECT_EQ(FormatBytes(-1234), "-1,234");
    EXPECT_EQ(FormatBytes(INT64_MAX), "9,223,372,036,854,775,807");
    EXPECT_EQ(FormatBytes(INT64_MIN), "-9,223,372,036,854,775,808");
}

TEST_F(Format, SizeUnitsRoundUp) {
    const struct {
        double x;
        const char* text;
    } cases[] = {{0, "0.00"},    {0.001, "0.01"}, {0.999, "1.00"},    {0.5, "0.50"}, {0.991, "1.00"},
                 {1, "1"},       {1.2, "2"},      {1.5, "2"},         {2.5, "3"},    {1023.0001, "1,024"},
                 {0.29, "0.29"}, {0.07, "0.07"},  {12345.0, "12,345"}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatSizeUnits(c.x), c.text) << c.x;
}

TEST_F(Format, ThreeSignificantDigits) {
    const struct {
        double x;
        const char* text;
    } cases[] = {{9.991, "10.00"}, {12.34, "12.4"},  {100.2, "101"},   {0, "0.00"},  {9.99, "9.99"},
                 {10, "10.0"},     {99.95, "100.0"}, {99.99, "100.0"}, {100, "100"}, {1.001, "1.01"}};
    for (const auto& c : cases)
        EXPECT_EQ(FormatSize3(c.x), c.text) << c.x;
}

TEST_F(Format, UnitsOfBytes) {
    EXPECT_EQ(FormatKB(0), "0.00");
    EXPECT_EQ(FormatKB(1), "0.01");
    EXPECT_EQ(FormatKB(1024), "1");
    EXPECT_EQ(FormatKB(1025), "2");
    EXPECT_EQ(FormatMB(1048576), "1");
    EXPECT_EQ(FormatGB(1073741824LL * 3 + 1), "4");
    EXPECT_EQ(FormatGB3(1073741824LL * 12), "12.0");
    EXPECT_EQ(FormatGB3(1073741824LL / 2), "0.50");
}

TEST_F(Format, LargeDrivesInKBDoNotOverflow) {
    // 2 TiB and more in KB is past 2^31 whole steps.
    EXPECT_EQ(FormatKB(2199023255552LL), "2,147,483,648");
    EXPECT_EQ(FormatKB(2199023255552LL + 1), "2,147,483,649");
    EXPECT_EQ(FormatKB(8LL << 40), "8,589,934,592");
    EXPECT_EQ(FormatSizeUnits(3e9), "3,000,000,000");
}

TEST_F(Format, OtherSeparators) {
    SetFormatSettings({".", ","});
    EXPECT_EQ(FormatBytes(1234567), "1.234.567");
    EXPECT_EQ(FormatSizeUnits(0.5), "0,50");
    SetFormatSettings({"", "."});
    EXPECT_EQ(FormatBytes(1234567), "1234567");
}

TEST(ShortenPath, Table) {
    const struct {
        const char* in;
        int n;
        const char* out;
    } cases[] = {
        {"/", 100, "/"},
        {"/home/me/a/b/c/d.txt", 100, "/home/me/a/b/c/d.txt"},
        {"/home/me/a/b/c/d.txt", 20, "/home/me/a/b/c/d.txt"},
        // Folder names after the leading part go first, from the right.
        {"/home/me/a/b/c/d.txt", 19, "/home/me/.../d.txt"},
        {"/home/me/a/b/c/d.txt", 15, "/home/.../d.txt"},
        // Nothing fits: the first n - 3 characters and "...".
        {"/home/me/a/b/c/d.txt", 14, "/home/me/a/..."},
        {"/a/b/c/d.txt", 11, "/a/b/c/d..."},
        {"nameWithoutSlashes", 10, "nameWit..."},
        {"nameWithoutSlashes", 3, "..."},
        {"nameWithoutSlashes", 2, "..."},
        // A trailing "/" stays with the tail.
        {"/usr/share/doc/pkg/", 16, "/usr/.../pkg/"},
        // A candidate may be longer than the path itself at first.
        {"/ab/c/de", 7, "/ab/..."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortenPath(c.in, c.n), c.out) << c.in << " " << c.n;
}

TEST(ShortenPath, CountsCharactersAndNeverCutsUTF8) {
    // "é" is two bytes, one character.
    const std::string path = "/h\xC3\xA9llo/w\xC3\xB6rld/\xC3\xA9\xC3\xA9\xC3\xA9.txt";
    EXPECT_EQ(ShortenPath(path, 20), path); // 20 characters, 25 bytes
    EXPECT_EQ(ShortenPath(path, 19), "/h\xC3\xA9llo/.../\xC3\xA9\xC3\xA9\xC3\xA9.txt");
    EXPECT_EQ(ShortenPath("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 4), "\xC3\xA9...");
    // A name that is no valid UTF-8 shows as Windows-1252: one character per byte, given as shown.
    EXPECT_EQ(ShortenPath("\xFF\xFE\xFD\xFC\xFB", 4), "\xC3\xBF...");
    // Cut as bytes, "\xC3\xBC" would turn into valid UTF-8 and show as another name ("ü").
    EXPECT_EQ(ShortenPath("\xC3\xBC\xFF\xFF\xFF\xFF", 5), "\xC3\x83\xC2\xBC...");
    EXPECT_EQ(ShortenPath("/d/\xE9t\xE9/x", 100), "/d/\xC3\xA9t\xC3\xA9/x");
}

TEST(ShortenPath, KeepingTheEndCutsTheMiddleWhereNoFolderCanGo) {
    const struct {
        const char* in;
        int n;
        const char* out;
    } cases[] = {
        {"/home/me/a/b/c/d.txt", 100, "/home/me/a/b/c/d.txt"},
        {"/home/me/a/b/c/d.txt", 15, "/home/.../d.txt"}, // as ShortenPath
        {"/home/me/a/b/c/d.txt", 14, "/ho.../c/d.txt"},
        {"/a/b/c/d.txt", 11, "/a.../d.txt"},
        {"nameWithoutSlashes", 10, "na...ashes"},
        {"nameWithoutSlashes", 3, "..."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortenPathKeepingEnd(c.in, c.n), c.out) << c.in << " " << c.n;
    // Deep below, a name longer than the limit: the start of the path and the end of the name.
    std::string path;
    for (int i = 0; i < 100000; ++i)
        path += "/d";
    const std::string name = std::string(200, 'x') + "-end/";
    const std::string shown = ShortenPathKeepingEnd(path + "/" + name, 100);
    EXPECT_EQ(shown.size(), 100u);
    EXPECT_EQ(shown.substr(0, 6), "/d/d/d");
    EXPECT_EQ(shown.substr(shown.size() - 10), "xxxxx-end/");
}

TEST(ShortenName, CutsWholeCharactersOfTheShownName) {
    const struct {
        const char* in;
        int n;
        const char* out;
    } cases[] = {
        {"abcdefghijklm", 13, "abcdefghijklm"},     // exactly n: not cut
        {"abcdefghijklmn", 13, "abcdefghijklm..."}, // one more: cut
        {"", 13, ""},
        {"abc", 0, "..."},
        // 13 characters of three bytes each: 39 bytes, not cut; 14 are cut after the 13th.
        {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x95\xE3\x82\xA9\xE3\x83\xAB\xE3\x83\x80"
         "\xE3\x81\xAE\xE5\x90\x8D\xE5\x89\x8D\xE3\x81\xA7\xE3\x81\x99\xE3\x80\x82",
         13,
         "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x95\xE3\x82\xA9\xE3\x83\xAB\xE3\x83\x80"
         "\xE3\x81\xAE\xE5\x90\x8D\xE5\x89\x8D\xE3\x81\xA7\xE3\x81\x99\xE3\x80\x82"},
        {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x95\xE3\x82\xA9\xE3\x83\xAB\xE3\x83\x80"
         "\xE3\x81\xAE\xE5\x90\x8D\xE5\x89\x8D\xE3\x81\xA7\xE3\x81\x99\xE3\x80\x82!",
         13,
         "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x95\xE3\x82\xA9\xE3\x83\xAB\xE3\x83\x80"
         "\xE3\x81\xAE\xE5\x90\x8D\xE5\x89\x8D\xE3\x81\xA7\xE3\x81\x99\xE3\x80\x82..."},
        {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x95\xE3\x82\xA9", 4,
         "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x95..."},
        // A 4-byte character is one character.
        {"\xF0\x9F\x98\x80\xF0\x9F\x98\x80", 1, "\xF0\x9F\x98\x80..."},
        // Windows-1252 bytes: one character each, given in UTF-8.
        {"\xDC"
         "ber gro\xDF"
         "e Dateien",
         5,
         "\xC3\x9C"
         "ber "
         "..."},
        {"\xC3\xBC\xFF\xFF", 2, "\xC3\x83\xC2\xBC..."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortenName(c.in, c.n), c.out) << c.in << " " << c.n;
}

TEST(ShortenPath, APathOfAnyLengthKeepsItsEnds) {
    // A million folders: what is kept is the leading folders that fit and the last name.
    std::string path;
    for (int i = 0; i < 1000000; ++i)
        path += "/d";
    path += "/leaf.txt";
    std::string expected;
    for (int i = 0; i < 43; ++i)
        expected += "/d";
    expected += "/.../leaf.txt";
    EXPECT_EQ(ShortenPath(path, 100), expected);
    EXPECT_EQ(ShortenPath(path + "/", 100).substr(expected.size() - 9), "/leaf.txt/");
    EXPECT_EQ(ShortenPath(std::string(1000000, 'x'), 10), "xxxxxxx...");
}

namespace {

// A width as a font might give it: "W" three units wide, any other character one (UTF-8
// sequences are one character).
int Width(const std::string& s) {
    int w = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if ((c & 0xC0) == 0x80) continue;
        w += c == 'W' ? 3 : 1;
    }
    return w;
}

} // namespace

TEST(FitPath, DropsFoldersThenCutsTheMiddleSoThatTheEndShows) {
    const struct {
        const char* in;
        int room;
        const char* out;
    } cases[] = {
        {"/home/me/a/b/c/d.txt", 20, "/home/me/a/b/c/d.txt"},
        // Folder names after the leading part go first, as ShortenPath drops them.
        {"/home/me/a/b/c/d.txt", 19, "/home/me/.../d.txt"},
        {"/home/me/a/b/c/d.txt", 15, "/home/.../d.txt"},
        // A path already shortened goes on from where it is.
        {"/home/me/a/.../d/", 15, "/home/me/.../d/"},
        {"/home/me/a/.../d/", 14, "/home/.../d/"},
        // Wide letters take more room than their count.
        {"/srv/WWWW/WWWW/last/", 16, "/srv/.../last/"},
        // Even the fewest folders are too wide: the middle goes, both ends stay.
        {"/home/.../a-very-long-folder-name/", 20, "/home...folder-name/"},
        {"/data/WWWWWWWWWWWW-end/", 20, "/da...WWW-end/"},
        {"nameWithoutSlashes", 10, "na...ashes"},
        // Nothing but the dots fits.
        {"/home/me/", 3, "..."},
        {"/home/me/", 0, "..."},
    };
    for (const auto& c : cases) {
        const std::string out = FitPath(c.in, [&](const std::string& t) { return Width(t) <= c.room; });
        EXPECT_EQ(out, c.out) << c.in << " " << c.room;
        EXPECT_LE(Width(out), std::max(c.room, 3)) << c.in << " " << c.room;
    }
}

TEST(FitPath, CountingCharactersItShortensAsShortenPath) {
    const std::string path = "/usr/share/doc/texlive-latex-extra/latex/some-package/examples/";
    for (int n = 60; n > 8; --n) {
        const std::string want = ShortenPath(path, n);
        if (want.size() >= 3 && want.compare(want.size() - 3, 3, "...") == 0) break; // cut at the end
        EXPECT_EQ(FitPath(path, [&](const std::string& t) { return Width(t) <= n; }), want) << n;
    }
}

TEST(FitPath, NeverCutsACharacterApartAndShowsNamesAsTheListDoes) {
    // "é" is two bytes, one character; "\xE9" alone is Windows-1252 for it.
    const std::string out = FitPath("/d/\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9/",
                                    [](const std::string& t) { return Width(t) <= 10; });
    EXPECT_EQ(out, "/d...\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9/");
    EXPECT_TRUE(IsValidUtf8(out));
}
