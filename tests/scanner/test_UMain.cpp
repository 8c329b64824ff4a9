// The pure parts of the command line: target normalisation, extensions, numbered names.
#include "scanner/UMain.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using scanner::NormaliseTarget;

TEST(NormaliseTarget, MakesAbsoluteAndEndsWithSlash) {
    struct Case {
        const char* typed;
        const char* expected;
    };
    const Case cases[] = {
        {"/", "/"},
        {"//", "/"},
        {"/home", "/home/"},
        {"/home/", "/home/"},
        {"/home//me/./docs/", "/home/me/docs/"},
        {"/home/me/..", "/home/"},
        {"/..", "/"},
        {"/../../a", "/a/"},
        {"docs", "/work/cwd/docs/"},
        {"./docs/..", "/work/cwd/"},
        {"..", "/work/"},
        {"../../..", "/"},
        {".", "/work/cwd/"},
        {"/DATA", "/DATA/"},     // case kept: "/data" is another folder
        {"/a b/ c", "/a b/ c/"}, // spaces are part of names
        {"/x/...", "/x/.../"},   // "..." is a name
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NormaliseTarget(c.typed, "/work/cwd"), c.expected) << c.typed;
    EXPECT_EQ(NormaliseTarget("a", "/"), "/a/");
}

TEST(FileExtension, OfTheLastComponentOnly) {
    EXPECT_EQ(scanner::FileExtension("scan.txf"), ".txf");
    EXPECT_EQ(scanner::FileExtension("scan.TXF"), ".TXF");
    EXPECT_EQ(scanner::FileExtension("a.tar.gz"), ".gz");
    EXPECT_EQ(scanner::FileExtension("out"), "");
    EXPECT_EQ(scanner::FileExtension("dir.d/out"), "");
    EXPECT_EQ(scanner::FileExtension("out."), ".");
    EXPECT_EQ(scanner::FileExtension(".txf"), ".txf");
}

class ReserveNumberedName : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tx_reserve_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    void Touch(const char* name) { std::ofstream(dir / name).put('x'); }
    fs::path dir;
};

TEST_F(ReserveNumberedName, TakesTheNameWhenFree) {
    const auto r = scanner::ReserveNumberedName((dir / "scan.txf").string());
    EXPECT_EQ(r.name, (dir / "scan.txf").string());
    EXPECT_TRUE(r.created);
    EXPECT_TRUE(fs::exists(dir / "scan.txf"));
    EXPECT_EQ(fs::file_size(dir / "scan.txf"), 0u);
}

TEST_F(ReserveNumberedName, SkipsTakenNumbersWithoutTouchingThem) {
    Touch("scan.txf");
    Touch("scan001.txf");
    const auto r = scanner::ReserveNumberedName((dir / "scan.txf").string());
    EXPECT_EQ(r.name, (dir / "scan002.txf").string());
    EXPECT_TRUE(r.created);
    EXPECT_EQ(fs::file_size(dir / "scan.txf"), 1u);
    EXPECT_EQ(fs::file_size(dir / "scan001.txf"), 1u);
}

TEST_F(ReserveNumberedName, ADanglingLinkCountsAsTaken) {
    fs::create_symlink(dir / "nowhere", dir / "scan.txf");
    const auto r = scanner::ReserveNumberedName((dir / "scan.txf").string());
    EXPECT_EQ(r.name, (dir / "scan001.txf").string());
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
}

TEST_F(ReserveNumberedName, FromOneHundredTheNumberHasItsOwnWidth) {
    Touch("s.txf");
    for (int n = 1; n <= 99; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "s%03d.txf", n);
        Touch(name);
    }
    EXPECT_EQ(scanner::ReserveNumberedName((dir / "s.txf").string()).name, (dir / "s100.txf").string());
}

TEST_F(ReserveNumberedName, AFolderThatCannotBeWrittenGivesTheNameBackUncreated) {
    const auto r = scanner::ReserveNumberedName((dir / "missing" / "scan.txf").string());
    EXPECT_EQ(r.name, (dir / "missing" / "scan.txf").string());
    EXPECT_FALSE(r.created);
    EXPECT_FALSE(r.exhausted);
}
