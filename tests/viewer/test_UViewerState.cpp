// The viewer window's plain rules: views, command state, status texts, export subject, and the
// file association written into a temporary data home (or left to an installed
// viewer's files).
#include "TxfFixture.h"

#include "viewer/UFileAssociation.h"
#include "viewer/UViewerState.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace txftest;
using namespace viewer;

namespace {

struct TTree {
    TRootItem root;
    TFileRootItem* file;
    TDriveItem* drive;
    TFolderItem* folder;
    TFolderItem* unexplored;
    TFileItem* item;
    TTree() {
        file = new TFileRootItem("/tmp/x.txf", &root);
        root.AddChild(file);
        drive = new TDriveItem("C:", file);
        drive->SetLetter('C');
        drive->SetExplored(true);
        file->AddChild(drive);
        folder = new TFolderItem("Data", drive);
        folder->SetExplored(true);
        drive->AddChild(folder);
        unexplored = new TFolderItem("Later", drive);
        drive->AddChild(unexplored);
        item = new TFileItem("a.txt", folder);
        item->SetSize(1234);
        folder->AddChild(item);
        root.ComputeTotals();
    }
};

std::string Flags(const TViewerCommands& c) {
    std::string s;
    s += c.close ? 'C' : '-';
    s += c.openInExplorer ? 'O' : '-';
    s += c.copy ? 'Y' : '-';
    s += c.listerAnalyser ? 'L' : '-';
    s += c.up ? 'U' : '-';
    s += c.exportData ? 'E' : '-';
    s += c.save ? 'S' : '-';
    return s;
}

} // namespace

TEST(ViewerState, ViewOfEachItem) {
    TTree t;
    EXPECT_EQ(ViewOfItem(&t.root, &t.root), kViewRoot);
    EXPECT_EQ(ViewOfItem(t.file, &t.root), kViewFile);
    EXPECT_EQ(ViewOfItem(t.drive, &t.root), kViewFolder);
    EXPECT_EQ(ViewOfItem(t.folder, &t.root), kViewFolder);
    EXPECT_EQ(ViewOfItem(t.item, &t.root), kViewNone);
}

TEST(ViewerState, CommandsForEachSubject) {
    TTree t;
    TRootItem empty;
    struct TCase {
        const char* what;
        TViewerInput in;
        const char* flags;
    } cases[] = {
        {"nothing", {TFocus::None, {}, nullptr, &t.root}, "-----E-"},
        {"empty root", {TFocus::Tree, {}, &empty, &empty}, "------S"},
        {"root with a file", {TFocus::Tree, {}, &t.root, &t.root}, "---L-ES"},
        {"loaded file", {TFocus::Tree, {}, t.file, &t.root}, "C--LUES"},
        {"drive in the tree", {TFocus::Tree, {}, t.drive, &t.root}, "-OYLUES"},
        {"drive in the list", {TFocus::List, {t.drive}, t.file, &t.root}, "--YL-ES"},
        {"folder row", {TFocus::List, {t.folder}, t.drive, &t.root}, "-OYLUES"},
        {"file row", {TFocus::List, {t.item}, t.folder, &t.root}, "-OY-UE-"},
        {"two folder rows", {TFocus::List, {t.folder, t.unexplored}, t.drive, &t.root}, "-OY-UES"},
        {"folder and file rows", {TFocus::List, {t.folder, t.item}, t.drive, &t.root}, "-OY-UE-"},
        {"two loaded files", {TFocus::List, {t.file, t.file}, &t.root, &t.root}, "C---UES"},
        {"two drives", {TFocus::List, {t.drive, t.drive}, t.file, &t.root}, "--Y-UES"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(Flags(ViewerCommands(c.in)), c.flags) << c.what;
    EXPECT_TRUE(ViewerCommands({TFocus::List, {t.folder}, t.drive, &t.root}).listSubject);
    EXPECT_FALSE(ViewerCommands({TFocus::Tree, {t.folder}, t.drive, &t.root}).listSubject);
}

TEST(ViewerState, StatusTextsOfEachItem) {
    TTree t;
    struct TCase {
        const TItem* item;
        const char* name;
        const char* totals;
    } cases[] = {
        {&t.root, "All Files", "Total:   1 files    1 folders    1,234 bytes"},
        {t.file, "TX File x.txf", "Total:   1 files    1 folders    1,234 bytes"},
        // A drive read from a file tells no free space.
        {t.drive, "Drive C:", "Total:   1 files    1 folders    1,234 bytes"},
        {t.unexplored, "Folder Later", "Unexplored"},
        {t.item, "File a.txt", "Total:   1,234 bytes"},
        {nullptr, "", ""},
    };
    for (const TCase& c : cases) {
        const mainwindow::TStatusTexts s = ViewerStatusTexts(c.item);
        EXPECT_EQ(s.name, c.name);
        EXPECT_EQ(s.totals, c.totals) << c.name;
    }
}

TEST(ViewerState, ExportSubjectAndSelectionCaption) {
    TTree t;
    EXPECT_EQ(ViewerExportSubject(&t.root, &t.root), "All Files");
    EXPECT_EQ(ViewerExportSubject(t.file, &t.root), "/tmp/x.txf");
    EXPECT_EQ(ViewerExportSubject(t.folder, &t.root), "C:\\Data\\");
    EXPECT_EQ(SelectionCaption({TFocus::List, {t.folder, t.unexplored}, t.drive, &t.root}),
              "2 items selected");
    EXPECT_EQ(SelectionCaption({TFocus::Tree, {t.folder}, t.drive, &t.root}), t.drive->GetPath());
    EXPECT_EQ(SelectionToSave({TFocus::Tree, {t.folder}, t.drive, &t.root}), std::vector<TItem*>{t.drive});
}

TEST(FileAssociation, WrittenOnceThenLeftAloneAndRewrittenForAnotherProgram) {
    TTempDir dir;
    const TAssociationPlaces places{dir.File("data"), dir.File("config"), {}};
    std::vector<std::string> ran;
    auto run = [&](const std::string& program, const std::vector<std::string>&) {
        ran.push_back(program);
        return true;
    };
    TAssociationResult r = RegisterFileAssociation("/opt/tx/TXViewer", places, run);
    EXPECT_EQ(r.written.size(), 5u);
    EXPECT_TRUE(r.failed.empty());
    EXPECT_EQ(ran, (std::vector<std::string>{"update-mime-database", "update-desktop-database"}));
    std::string text;
    {
        std::ifstream in(dir.File("data/applications/txviewer.desktop"));
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    EXPECT_NE(text.find("Exec=\"/opt/tx/TXViewer\" %f\n"), std::string::npos);
    EXPECT_NE(text.find("MimeType=application/x-tessalundrix;"), std::string::npos);

    ran.clear();
    r = RegisterFileAssociation("/opt/tx/TXViewer", places, run);
    EXPECT_TRUE(r.written.empty()) << "nothing differs";
    EXPECT_FALSE(r.toolsRun);
    EXPECT_TRUE(ran.empty());

    r = RegisterFileAssociation("/usr/bin/TXViewer", places, run);
    EXPECT_EQ(r.written, std::vector<std::string>{dir.File("data/applications/txviewer.desktop")});
    EXPECT_TRUE(r.toolsRun);
}

TEST(FileAssociation, DefaultApplicationOnlyWhenNoneIsSet) {
    EXPECT_EQ(WithDefaultApplication(""),
              "[Default Applications]\napplication/x-tessalundrix=txviewer.desktop;\n");
    EXPECT_EQ(
        WithDefaultApplication("[Default Applications]\ntext/plain=a.desktop\n[Added Associations]\nx=y\n"),
        "[Default Applications]\ntext/plain=a.desktop\napplication/x-tessalundrix=txviewer.desktop;\n"
        "[Added Associations]\nx=y\n");
    EXPECT_EQ(WithDefaultApplication("[Default Applications]\napplication/x-tessalundrix=other.desktop\n"),
              "");
    EXPECT_EQ(WithDefaultApplication("[Added Associations]\nx=y\n"),
              "[Added Associations]\nx=y\n\n[Default "
              "Applications]\napplication/x-tessalundrix=txviewer.desktop;\n");
}

TEST(FileAssociation, ExecArgumentsAreQuotedAndEscaped) {
    EXPECT_EQ(QuoteExecArgument("/a b/TXViewer"), "\"/a b/TXViewer\"");
    EXPECT_EQ(QuoteExecArgument("/x$y\"z%"), "\"/x\\\\$y\\\\\"z%%\"");
    EXPECT_EQ(QuoteExecArgument("/x\\y"), "\"/x\\\\\\\\y\"");
}

TEST(FileAssociation, AFileThatCannotBeWrittenDoesNotStopTheOthers) {
    TTempDir dir;
    // The applications folder is a file: the desktop entry cannot be written there.
    std::filesystem::create_directories(dir.File("data"));
    std::ofstream(dir.File("data/applications")) << "x";
    const TAssociationResult r =
        RegisterFileAssociation("/opt/TXViewer", {dir.File("data"), dir.File("config"), {}}, nullptr);
    EXPECT_EQ(r.failed, std::vector<std::string>{dir.File("data/applications/txviewer.desktop")});
    EXPECT_EQ(r.written.size(), 4u);
}

namespace {

// A viewer installed under prefix (bin/TXViewer and its data folder), with or without the MIME
// package and the desktop entry the package ships.
struct TInstalledViewer {
    std::string program, data;
    TInstalledViewer(const std::string& prefix, bool mimePackage, bool desktopEntry) {
        std::filesystem::create_directories(prefix + "/bin");
        program = prefix + "/bin/TXViewer";
        data = InstalledDataDir(program);
        std::filesystem::create_directories(data + "/mime/packages");
        std::filesystem::create_directories(data + "/applications");
        if (mimePackage) std::ofstream(data + "/mime/packages/tessalundrix.xml") << MimePackageText();
        if (desktopEntry) std::ofstream(data + "/applications/txviewer.desktop") << "[Desktop Entry]\n";
    }
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(FileAssociation, InstalledFilesTheDesktopReadsLeaveTheUserAlone) {
    struct TCase {
        const char* what;
        bool mimePackage, desktopEntry, listed;
        const char* listedAs; // how the data dir is named in XDG_DATA_DIRS ("" = its own path)
        bool fromBuildTree;   // the running viewer is another one than the installed
        std::size_t written;
    } cases[] = {
        {"installed and read by the desktop", true, true, true, "", false, 0},
        {"named with a trailing slash", true, true, true, "/", false, 0},
        {"named through a symbolic link", true, true, true, "link", false, 0},
        {"installed where the desktop does not look", true, true, false, "", false, 5},
        {"installed without its desktop entry", true, false, true, "", false, 5},
        {"installed without its MIME package", false, true, true, "", false, 5},
        {"a build tree's viewer beside an installed one", true, true, true, "", true, 5},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TTempDir dir;
        const TInstalledViewer installed(dir.File("usr"), c.mimePackage, c.desktopEntry);
        std::string listed = installed.data;
        if (std::string(c.listedAs) == "/") listed += "/";
        if (std::string(c.listedAs) == "link") {
            std::filesystem::create_directory_symlink(installed.data, dir.File("share-link"));
            listed = dir.File("share-link");
        }
        TAssociationPlaces places{dir.File("home/data"), dir.File("home/config"), {dir.File("other/share")}};
        if (c.listed) places.dataDirs.push_back(listed);
        std::filesystem::create_directories(dir.File("build/viewer"));
        const std::string program = c.fromBuildTree ? dir.File("build/viewer/TXViewer") : installed.program;
        int runs = 0;
        const TAssociationResult r = RegisterFileAssociation(
            program, places, [&](const std::string&, const std::vector<std::string>&) {
                ++runs;
                return true;
            });
        EXPECT_EQ(r.written.size(), c.written);
        EXPECT_EQ(r.toolsRun, c.written > 0);
        EXPECT_EQ(runs, c.written > 0 ? 2 : 0);
        EXPECT_EQ(std::filesystem::exists(dir.File("home/config/mimeapps.list")), c.written > 0);
    }
}

TEST(FileAssociation, AnInstalledViewerKeepsTheUsersOwnEntryCurrent) {
    // An earlier run from a build tree left the user an entry that hides the installed one: the
    // installed viewer points it at itself and adds nothing else.
    TTempDir dir;
    const TInstalledViewer installed(dir.File("usr"), true, true);
    const TAssociationPlaces places{dir.File("data"), dir.File("config"), {installed.data}};
    RegisterFileAssociation(dir.File("build/TXViewer"), {places.dataHome, places.configHome, {}}, nullptr);
    std::filesystem::remove(dir.File("data/mime/packages/tessalundrix.xml"));
    const std::string list = ReadText(dir.File("config/mimeapps.list"));

    std::vector<std::string> ran;
    const TAssociationResult r = RegisterFileAssociation(
        installed.program, places, [&](const std::string& program, const std::vector<std::string>&) {
            ran.push_back(program);
            return true;
        });
    EXPECT_EQ(r.written, std::vector<std::string>{dir.File("data/applications/txviewer.desktop")});
    EXPECT_NE(ReadText(dir.File("data/applications/txviewer.desktop"))
                  .find("Exec=\"" + installed.program + "\" %f"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.File("data/mime/packages/tessalundrix.xml")));
    EXPECT_EQ(ReadText(dir.File("config/mimeapps.list")), list);
    EXPECT_EQ(ran, (std::vector<std::string>{"update-mime-database", "update-desktop-database"}));
}

TEST(FileAssociation, InstalledIntoTheDataHomeItselfIsLeftAsInstalled) {
    // cmake --install --prefix ~/.local: the installed entry runs "TXViewer %f" from PATH, and the
    // viewer does not rewrite it with its own full path.
    TTempDir dir;
    const TInstalledViewer installed(dir.File("local"), true, true);
    const TAssociationResult r =
        RegisterFileAssociation(installed.program, {installed.data, dir.File("config"), {}}, nullptr);
    EXPECT_TRUE(r.written.empty());
    EXPECT_EQ(ReadText(installed.data + "/applications/txviewer.desktop"), "[Desktop Entry]\n");
}

TEST(FileAssociation, DataDirsFromTheEnvironment) {
    const char* saved = std::getenv("XDG_DATA_DIRS");
    const std::string keep = saved ? saved : "";
    struct TCase {
        const char* value; // nullptr: unset
        std::vector<std::string> dirs;
    } cases[] = {
        {nullptr, {"/usr/local/share/", "/usr/share/"}},
        {"", {"/usr/local/share/", "/usr/share/"}},
        {"/a::/b/", {"/a", "/b/"}},
    };
    for (const TCase& c : cases) {
        if (c.value)
            setenv("XDG_DATA_DIRS", c.value, 1);
        else
            unsetenv("XDG_DATA_DIRS");
        EXPECT_EQ(UserAssociationPlaces().dataDirs, c.dirs) << (c.value ? c.value : "(unset)");
    }
    if (saved)
        setenv("XDG_DATA_DIRS", keep.c_str(), 1);
    else
        unsetenv("XDG_DATA_DIRS");
}
