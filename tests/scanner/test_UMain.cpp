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

TEST(NetworkTarget, TheMountedShareThatHoldsThePath) {
    const std::vector<platform::TNetworkShare> shares = {
        {"fileserver", "Public", "//fileserver/Public", "/mnt/public"},
        {"nas", "export", "//nas/export", "/net/nas"},
        {"nas", "export/home", "//nas/export/home", "/home"},
        {"root", "all", "//root/all", "/"},
    };
    struct Case {
        const char* typed;
        const char* networkPath;
        const char* path; // "" when not mounted
    };
    const Case cases[] = {
        {"//fileserver/Public", "//fileserver/Public/", "/mnt/public/"},
        {"//FileServer/PUBLIC/", "//fileserver/Public/", "/mnt/public/"},
        {"//fileserver//Public/./a/../b", "//fileserver/Public/b/", "/mnt/public/b/"},
        {"\\\\fileserver\\Public\\x y", "//fileserver/Public/x y/", "/mnt/public/x y/"},
        {"//nas/export/data", "//nas/export/data/", "/net/nas/data/"},
        {"//nas/export/home/alice", "//nas/export/home/alice/", "/home/alice/"}, // the longer share
        {"//nas/exported", "//nas/exported/", ""},
        {"//root/all/etc", "//root/all/etc/", "/etc/"},
        {"//fileserver", "//fileserver/", ""},
        {"//other/share", "//other/share/", ""},
    };
    for (const Case& c : cases) {
        const scanner::TTarget t = scanner::NetworkTarget(c.typed, shares);
        EXPECT_EQ(t.networkPath, c.networkPath) << c.typed;
        EXPECT_EQ(t.path, c.path) << c.typed;
        EXPECT_FALSE(t.drive) << c.typed;
    }
    EXPECT_TRUE(scanner::IsNetworkPath("//a/b"));
    EXPECT_TRUE(scanner::IsNetworkPath("\\\\a\\b"));
    EXPECT_FALSE(scanner::IsNetworkPath("/a/b"));
    EXPECT_FALSE(scanner::IsNetworkPath("\\a"));
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

class FirstFreeNumberedName : public ::testing::Test {
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
    // Nothing is created on disk: the file takes its name only when complete.
    void ExpectEntries(std::size_t n) const {
        EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {})), n);
    }
    fs::path dir;
};

TEST_F(FirstFreeNumberedName, TakesTheNameWhenFreeAndCreatesNothing) {
    const auto r = scanner::FirstFreeNumberedName((dir / "scan.txf").string());
    EXPECT_EQ(r.name, (dir / "scan.txf").string());
    EXPECT_EQ(r.number, 0);
    EXPECT_FALSE(r.exhausted);
    ExpectEntries(0);
}

TEST_F(FirstFreeNumberedName, SkipsTakenNumbersWithoutTouchingThem) {
    Touch("scan.txf");
    Touch("scan001.txf");
    const auto r = scanner::FirstFreeNumberedName((dir / "scan.txf").string());
    EXPECT_EQ(r.name, (dir / "scan002.txf").string());
    EXPECT_EQ(r.number, 2);
    EXPECT_EQ(fs::file_size(dir / "scan.txf"), 1u);
    EXPECT_EQ(fs::file_size(dir / "scan001.txf"), 1u);
    ExpectEntries(2);
}

TEST_F(FirstFreeNumberedName, ADanglingLinkCountsAsTaken) {
    fs::create_symlink(dir / "nowhere", dir / "scan.txf");
    const auto r = scanner::FirstFreeNumberedName((dir / "scan.txf").string());
    EXPECT_EQ(r.name, (dir / "scan001.txf").string());
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
}

TEST_F(FirstFreeNumberedName, FromOneHundredTheNumberHasItsOwnWidth) {
    Touch("s.txf");
    for (int n = 1; n <= 99; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "s%03d.txf", n);
        Touch(name);
    }
    EXPECT_EQ(scanner::FirstFreeNumberedName((dir / "s.txf").string()).name, (dir / "s100.txf").string());
    EXPECT_EQ(scanner::NumberedName("a/s.txf", 99999), "a/s99999.txf");
    EXPECT_EQ(scanner::NumberedName("a/s.txf", 7), "a/s007.txf");
}

TEST_F(FirstFreeNumberedName, AFolderThatCannotBeWrittenGivesTheNameForTheWriteToReport) {
    const auto r = scanner::FirstFreeNumberedName((dir / "missing" / "scan.txf").string());
    EXPECT_EQ(r.name, (dir / "missing" / "scan.txf").string());
    EXPECT_FALSE(r.exhausted);
}
