// The viewer window's plain rules: views, command state, status texts, export title, window
// clamps, and the file association written into a temporary data home.
#include "TxfFixture.h"

#include "viewer/UFileAssociation.h"
#include "viewer/UViewerState.h"

#include <gtest/gtest.h>

#include <filesystem>

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

TEST(ViewerState, StatusTexts) {
    TTree t;
    struct TCase {
        TViewerInput in;
        const char* name;
        const char* totals;
    } cases[] = {
        {{TFocus::Tree, {}, &t.root, &t.root}, "All Files", "Total:   1 files    1 folders    1,234 bytes"},
        {{TFocus::Tree, {}, t.file, &t.root},
         "TX File x.txf",
         "Total:   1 files    1 folders    1,234 bytes"},
        {{TFocus::Tree, {}, t.drive, &t.root}, "Drive C:", "Total:   1 files    1 folders    1,234 bytes"},
        {{TFocus::List, {t.unexplored}, t.drive, &t.root}, "Folder Later", "Unexplored"},
        {{TFocus::List, {t.item}, t.folder, &t.root}, "File a.txt", "Total:   1,234 bytes"},
        {{TFocus::List, {t.folder, t.unexplored}, t.drive, &t.root},
         "2 objects",
         "Total:   1**  files    0**  folders    1,234**  bytes"},
        {{TFocus::List, {t.unexplored, t.unexplored}, t.drive, &t.root}, "2 objects", "Unexplored"},
        {{TFocus::None, {}, nullptr, &t.root}, "", ""},
    };
    for (const TCase& c : cases) {
        const TViewerStatus s = ViewerStatus(c.in);
        EXPECT_EQ(s.name, c.name);
        EXPECT_EQ(s.totals, c.totals) << c.name;
    }
}

TEST(ViewerState, ExportTitleAndSelectionCaption) {
    TTree t;
    EXPECT_EQ(ExportTitle(&t.root, &t.root), "All Files");
    EXPECT_EQ(ExportTitle(t.file, &t.root), "/tmp/x.txf");
    EXPECT_EQ(ExportTitle(t.folder, &t.root), "C:\\Data\\");
    EXPECT_EQ(SelectionCaption({TFocus::List, {t.folder, t.unexplored}, t.drive, &t.root}),
              "2 items selected");
    EXPECT_EQ(SelectionCaption({TFocus::Tree, {t.folder}, t.drive, &t.root}), t.drive->GetPath());
    EXPECT_EQ(SelectionToSave({TFocus::Tree, {t.folder}, t.drive, &t.root}), std::vector<TItem*>{t.drive});
}

TEST(ViewerState, WindowClamps) {
    struct TCase {
        int left, top, width, height, wl, wt, ww, wh;
    } cases[] = {
        {-20, -20, 100, 50, 0, 0, 400, 200},
        {900, 700, 660, 440, 364, 328, 660, 440},
        {0, 0, 5000, 5000, 0, 0, 1024, 768},
    };
    for (const TCase& c : cases) {
        TViewerSettings s;
        s.left = c.left, s.top = c.top, s.width = c.width, s.height = c.height;
        ClampViewerWindow(s, 1024, 768);
        EXPECT_EQ(std::make_tuple(s.left, s.top, s.width, s.height), std::make_tuple(c.wl, c.wt, c.ww, c.wh));
    }
    const TViewerSettings d = DefaultViewerSettings(1024, 768);
    EXPECT_EQ(std::make_tuple(d.left, d.top, d.width, d.height), std::make_tuple(182, 164, 660, 440));
}

TEST(FileAssociation, WrittenOnceThenLeftAloneAndRewrittenForAnotherProgram) {
    TTempDir dir;
    const TAssociationPlaces places{dir.File("data"), dir.File("config")};
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
        RegisterFileAssociation("/opt/TXViewer", {dir.File("data"), dir.File("config")}, nullptr);
    EXPECT_EQ(r.failed, std::vector<std::string>{dir.File("data/applications/txviewer.desktop")});
    EXPECT_EQ(r.written.size(), 4u);
}
