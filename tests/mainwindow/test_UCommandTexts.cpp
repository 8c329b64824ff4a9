// The plain parts of the item commands: copy texts, the export subject, which paths become
// preferred, the trash paths; the manual path check; the network command lines; the tip
// arithmetic and the options' unit buttons.
#include "SampleTree.h"
#include "mainwindow/UMainCommands.h"
#include "mainwindow/UManualPath.h"
#include "mainwindow/UNetworkDrive.h"
#include "mainwindow/UOptionValues.h"
#include "mainwindow/UTipsList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace mainwindow;
using namespace model;

TEST(CopyText, OneItemAloneSeveralEachFollowedByALineBreak) {
    TSampleTree t;
    EXPECT_EQ(CopyText({t.file}, false, TCopyKind::FileName), "f.txt");
    EXPECT_EQ(CopyText({t.file, t.file2}, true, TCopyKind::FileName), "f.txt\ng.txt\n");
    // A row without item (the "Unexplored" row) is never part of the text.
    EXPECT_EQ(CopyText({nullptr, t.file2}, true, TCopyKind::FileName), "g.txt\n");
    EXPECT_EQ(CopyText({nullptr}, false, TCopyKind::FileName), "");
    EXPECT_EQ(CopyText({}, false, TCopyKind::CompletePath), "");
}

TEST(CopyText, FolderNameAndCompletePath) {
    TSampleTree t;
    EXPECT_EQ(CopyItemText(*t.file, TCopyKind::FolderName), "/mnt/x/a/");
    EXPECT_EQ(CopyItemText(*t.file, TCopyKind::CompletePath), "/mnt/x/a/f.txt");
    // A folder's complete path ends with its separator.
    EXPECT_EQ(CopyItemText(*t.folderA, TCopyKind::CompletePath), "/mnt/x/a/");
    EXPECT_EQ(CopyItemText(*t.root, TCopyKind::FolderName), "");
}

TEST(ExportSubject, RootPathAndIncompleteMark) {
    TSampleTree t;
    EXPECT_EQ(ExportSubjectText(t.root.get(), true), "My Computer");
    EXPECT_EQ(ExportSubjectText(t.folderA, false), "/mnt/x/a/");
    // The drive is not explored itself but holds the explored folder a.
    ASSERT_FALSE(t.drive->IsExplored());
    ASSERT_TRUE(t.drive->HasExploredContent());
    EXPECT_EQ(ExportSubjectText(t.drive, false), "/mnt/x/ **");
    EXPECT_EQ(ExportSubjectText(t.folderB, false), "/mnt/x/b/");
    EXPECT_EQ(ExportSubjectText(nullptr, false), "");
}

TEST(TrashPaths, FoldersLoseTheirSeparatorFilesKeepTheirPath) {
    TSampleTree t;
    EXPECT_EQ(TrashPaths({t.folderA, t.file, nullptr}),
              (std::vector<std::string>{"/mnt/x/a", "/mnt/x/a/f.txt"}));
}

TEST(PreferredPath, OnlyLocalAbsolutePaths) {
    struct Case {
        const char* path;
        bool accepted;
    } cases[] = {{"/", true},          {"/home/u/", true}, {"//server/", false}, {"//server/share/", false},
                 {"relative/", false}, {"", false}};
    for (const Case& c : cases)
        EXPECT_EQ(AcceptsPreferredPath(c.path), c.accepted) << c.path;
}

TEST(ManualPath, Completion) {
    EXPECT_EQ(CompleteManualPath("/"), "/");
    EXPECT_EQ(CompleteManualPath("d"), ""); // no drive letters here
    EXPECT_EQ(CompleteManualPath("7"), "");
    EXPECT_EQ(CompleteManualPath(""), "");
    EXPECT_EQ(CompleteManualPath("/tmp"), "/tmp");
}

TEST(ManualPath, NetworkPathStandsForTheShareMountPoint) {
    platform::TNetworkShare share;
    share.uncPath = "//Server/Data";
    share.mountPoint = "/mnt/data";
    EXPECT_EQ(ResolveManualPath("//server/data/", {share}), "/mnt/data/");
    EXPECT_EQ(ResolveManualPath("//server/other", {share}), "//server/other");
    EXPECT_EQ(ResolveManualPath("/mnt/data", {share}), "/mnt/data");
}

TEST(ManualPath, ValidationNeedsAnExistingFolder) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tx_manual_path_test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "empty");
    std::ofstream(dir / "file.txt") << "x";
    EXPECT_TRUE(ValidateManualPath(dir.string()));
    EXPECT_TRUE(ValidateManualPath((dir / "empty").string() + "/")); // empty folders count
    EXPECT_FALSE(ValidateManualPath((dir / "file.txt").string()));
    EXPECT_FALSE(ValidateManualPath((dir / "missing").string()));
    EXPECT_FALSE(ValidateManualPath("relative"));
    EXPECT_FALSE(ValidateManualPath(""));
    std::filesystem::remove_all(dir);
}

TEST(NetworkDrive, CommandLines) {
    EXPECT_EQ(MapDriveCommand("smb://srv/share"),
              (std::vector<std::string>{"gio", "mount", "smb://srv/share"}));
    EXPECT_EQ(DisconnectCommand("/mnt/share", true),
              (std::vector<std::string>{"gio", "mount", "-u", "/mnt/share"}));
    EXPECT_EQ(DisconnectCommand("/mnt/share", false), (std::vector<std::string>{"umount", "/mnt/share"}));
}

TEST(NetworkDrive, ShareAddresses) {
    struct Case {
        const char* address;
        bool ok;
    } cases[] = {{"smb://server/share", true}, {"sftp://host/path", true},
                 {"dav+sd://h/x", true},       {"//server/share", false},
                 {"server/share", false},      {"smb://", false},
                 {"1smb://x", false},          {"", false}};
    for (const Case& c : cases)
        EXPECT_EQ(IsShareAddress(c.address), c.ok) << c.address;
}

TEST(Tips, PositionsWrapAndInvalidOnesStartAtOne) {
    EXPECT_EQ(ValidTipPos(0), 1);
    EXPECT_EQ(ValidTipPos(22), 1);
    EXPECT_EQ(ValidTipPos(21), 21);
    EXPECT_EQ(NextTipPos(21), 1);
    EXPECT_EQ(NextTipPos(5), 6);
    EXPECT_EQ(NextTipPos(-3), 1);
    for (int n = 1; n <= kTipCount; ++n)
        EXPECT_FALSE(TipText(n).empty()) << n;
    EXPECT_EQ(TipText(8),
              "You can Map and Disconnect network drives from Tessalundrix. Take a look at the Tools menu.");
}

TEST(Tips, DialogCentredOrAtTheMainWindowsEdge) {
    EXPECT_EQ(CentredOn(100, 800, 358), 100 + 221);
    EXPECT_EQ(CentredOn(100, 801, 358), 100 + 221); // toward zero
    EXPECT_EQ(CentredOn(100, 300, 358), 100);       // larger than the main window
    EXPECT_EQ(CentredOn(-50, 358, 358), -50);
}

TEST(OptionUnits, FallbacksDifferPerGroup) {
    struct Case {
        int code, list, drive;
    } cases[] = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {7, 1, 3}, {-1, 1, 3}};
    for (const Case& c : cases) {
        EXPECT_EQ(ListUnitButton(c.code), c.list) << c.code;
        EXPECT_EQ(DriveUnitButton(c.code), c.drive) << c.code;
    }
}
