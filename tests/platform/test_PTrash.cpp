// The freedesktop trash on byte names: a temporary XDG_DATA_HOME on the file system of the files
// (the home trash), /dev/shm as another file system (its top-directory trash), and names that are
// no UTF-8.
#include "platform/PTrash.h"

#include "../FixtureTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
// GCC 12 warns inside <regex> itself under the sanitizers (a std::function it takes for
// uninitialised): a false positive of the library, not of this file.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>
#pragma GCC diagnostic pop
#include <sstream>

using namespace platform;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// XDG_DATA_HOME pointed at a folder for the life of the object.
class TDataHome {
public:
    explicit TDataHome(const std::string& path) {
        if (const char* old = std::getenv("XDG_DATA_HOME")) FOld = old, FHadOld = true;
        setenv("XDG_DATA_HOME", path.c_str(), 1);
    }
    ~TDataHome() {
        if (FHadOld)
            setenv("XDG_DATA_HOME", FOld.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }

private:
    std::string FOld;
    bool FHadOld = false;
};

const std::regex
    kInfo("\\[Trash Info\\]\nPath=([^\n]*)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");

std::string InfoPath(const std::string& infoFile) {
    std::smatch m;
    const std::string text = ReadText(infoFile);
    if (!std::regex_match(text, m, kInfo)) return "<" + text + ">";
    return m[1];
}

} // namespace

TEST(Trash, InfoPathIsPercentEncodedBytes) {
    struct {
        const char* path;
        const char* stored;
    } cases[] = {
        {"/home/me/a.txt", "/home/me/a.txt"},
        {"/x/with space", "/x/with%20space"},
        {"/x/50%", "/x/50%25"},
        {"/x/caf\xC3\xA9", "/x/caf%C3%A9"},
        {"/x/bad\xFF\xFE", "/x/bad%FF%FE"},
        {"/x/line\nbreak=[]#?", "/x/line%0Abreak%3D%5B%5D%23%3F"},
        {"rel/-_.~", "rel/-_.~"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrashInfoPath(c.path), c.stored) << c.path;
}

TEST(Trash, AnyNameGoesToTheHomeTrash) {
    txtest::TTempDir dir;
    const std::string root = dir.Path();
    TDataHome home(root + "data"); // made by the trash when it is first used
    const std::string badName = "bad\xFF\xFE name.txt";
    dir.Folder("files");
    dir.Folder("files/spaces and \xC3\xBCn\xC3\xAF"
               "code");
    dir.File("files/spaces and \xC3\xBCn\xC3\xAF"
             "code/" +
                 badName,
             10);
    dir.File("files/a.txt", 1);
    dir.Folder("files/folder");
    dir.File("files/folder/inside.txt", 3);
    dir.Link("a.txt", "files/link");
    const std::string trash = root + "data/Trash/";
    EXPECT_EQ(HomeTrashFolder(), root + "data/Trash");

    struct {
        std::string rel;
        std::string entry; // the name in the trash
    } cases[] = {
        {"files/spaces and \xC3\xBCn\xC3\xAF"
         "code/" +
             badName,
         badName},
        {"files/folder/", "folder"}, // a folder with its content; the trailing "/" is ignored
        {"files/link", "link"},      // the link itself, not what it points to
        {"files/a.txt", "a.txt"},
    };
    for (const auto& c : cases) {
        std::string error;
        ASSERT_TRUE(MoveToTrash(root + c.rel, error)) << c.rel << ": " << error;
        EXPECT_TRUE(error.empty());
        EXPECT_FALSE(Exists(root + c.rel)) << c.rel;
        EXPECT_TRUE(Exists(trash + "files/" + c.entry)) << c.rel;
        std::string original = root + c.rel;
        if (original.back() == '/') original.pop_back();
        EXPECT_EQ(InfoPath(trash + "info/" + c.entry + ".trashinfo"), TrashInfoPath(original)) << c.rel;
    }
    EXPECT_TRUE(Exists(trash + "files/folder/inside.txt"));
    struct stat st {};
    ASSERT_EQ(lstat((trash + "files/link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(trash.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "a trash made here is the user's alone";

    // A second file of a name already in the trash takes the next free name; neither is lost.
    dir.File("files/a.txt", 2);
    std::string error;
    ASSERT_TRUE(MoveToTrash(root + "files/a.txt", error)) << error;
    EXPECT_TRUE(Exists(trash + "files/a.txt"));
    EXPECT_TRUE(Exists(trash + "files/a.txt.2"));
    EXPECT_EQ(InfoPath(trash + "info/a.txt.2.trashinfo"), root + "files/a.txt");
}

TEST(Trash, WhatCannotGoStaysAndSaysWhy) {
    txtest::TTempDir dir;
    const std::string root = dir.Path();
    TDataHome home(root + "data");
    std::string error;
    EXPECT_FALSE(MoveToTrash(root + "missing.txt", error));
    EXPECT_EQ(error, "the file no longer exists");
    EXPECT_FALSE(Exists(root + "data/Trash/info/missing.txt.trashinfo"));
    error.clear();
    EXPECT_FALSE(MoveToTrash("/", error));
    EXPECT_FALSE(error.empty());

    // A trash whose info folder cannot be written: the file stays, no info file is left behind.
    dir.File("keep.txt", 4);
    ASSERT_TRUE(MoveToTrash(root + "keep.txt", error)) << error; // makes the trash
    dir.File("keep.txt", 4);
    if (getuid() != 0) {
        ASSERT_EQ(chmod((root + "data/Trash/info").c_str(), 0500), 0);
        error.clear();
        EXPECT_FALSE(MoveToTrash(root + "keep.txt", error));
        EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
        EXPECT_TRUE(Exists(root + "keep.txt"));
        EXPECT_FALSE(Exists(root + "data/Trash/files/keep.txt.2"));
        chmod((root + "data/Trash/info").c_str(), 0700);
    }
}

// A file on another file system than the home trash goes to the trash of its own file system.
TEST(Trash, AnotherFileSystemHasItsOwnTrash) {
    txtest::TTempDir dir;
    TDataHome home(dir.Path() + "data");
    struct stat shm {
    }, tmp{};
    char pattern[] = "/dev/shm/tx-trash-XXXXXX";
    if (stat("/dev/shm", &shm) != 0 || stat(dir.Path().c_str(), &tmp) != 0 || shm.st_dev == tmp.st_dev ||
        access("/dev/shm", W_OK) != 0 || !mkdtemp(pattern))
        GTEST_SKIP() << "no writable /dev/shm on a file system of its own";
    const std::string folder = pattern;
    const std::string name = "other\xE9.bin"; // a Windows-1252 name
    std::ofstream(folder + "/" + name) << "x";
    // The top directory is the mount point, whichever of its trashes exists.
    const std::string uid = std::to_string(getuid());
    struct stat admin {};
    const bool adminTrash =
        lstat("/dev/shm/.Trash", &admin) == 0 && S_ISDIR(admin.st_mode) && (admin.st_mode & S_ISVTX);
    const std::string trash = adminTrash ? "/dev/shm/.Trash/" + uid : "/dev/shm/.Trash-" + uid;
    const std::string entry = folder.substr(folder.rfind('/') + 1) + "-" + name;
    std::rename((folder + "/" + name).c_str(), (folder + "/" + entry).c_str());

    std::string error;
    const bool moved = MoveToTrash(folder + "/" + entry, error);
    std::string info;
    if (moved) info = InfoPath(trash + "/info/" + entry + ".trashinfo");
    // Clean up before checking: the shared trash keeps nothing of this test. Its folders stay, as
    // another run may be using them at this moment.
    unlink((trash + "/files/" + entry).c_str());
    unlink((trash + "/info/" + entry + ".trashinfo").c_str());
    unlink((folder + "/" + entry).c_str());
    rmdir(folder.c_str());
    ASSERT_TRUE(moved) << error;
    // Path is relative to the top directory, so that the trash still holds when mounted elsewhere.
    EXPECT_EQ(info, TrashInfoPath(folder.substr(strlen("/dev/shm/")) + "/" + entry));
    EXPECT_FALSE(Exists(dir.Path() + "data/Trash/files/" + entry)) << "never copied to the home trash";
}
