// The viewer's writer and its file decisions: what a save of loaded items writes, read back by the
// viewer's own reader; closing files; which windows go with a closed file.
#include "TxfFixture.h"

#include "model/URecordCodec.h"
#include "viewer/UViewerFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace txftest;
using namespace viewer;

namespace {

template <typename T> T* Add(model::TFolderItem* parent, T* item) {
    parent->AddChild(item);
    return item;
}

TFileItem* AddFile(model::TFolderItem* parent, const char* name, std::int64_t size) {
    auto* f = Add(parent, new TFileItem(name, parent));
    f->SetSize(size);
    f->SetCreated(40000);
    return f;
}

// One loaded file as the reader makes it: drive "C:" (created 41000) with Data/a.txt and b.txt,
// an empty drive "D:", and a folder root "/srv/share" with one file.
struct TLoadedFile {
    TFileRootItem* file;
    TDriveItem* drive;
    TFolderItem* data;
    TDriveItem* empty;
    TFolderRootItem* share;
};
TLoadedFile AddLoaded(TRootItem& root, const std::string& path) {
    TLoadedFile l{};
    l.file = Add(&root, new TFileRootItem(path, &root));
    l.drive = Add(l.file, new TDriveItem("C:", l.file));
    l.drive->SetLetter('C');
    l.drive->SetSpace(10, 100);
    l.drive->SetExplored(true);
    l.drive->SetCreated(41000);
    l.data = Add(l.drive, new TFolderItem("Data", l.drive));
    l.data->SetExplored(true);
    AddFile(l.data, "a.txt", 5);
    AddFile(l.data, "b.txt", 7);
    l.empty = Add(l.file, new TDriveItem("D:", l.file));
    l.empty->SetLetter('D');
    l.empty->SetExplored(true);
    l.share = Add(l.file, new TFolderRootItem("share", l.file));
    l.share->SetPath("/srv/share");
    l.share->SetExplored(true);
    AddFile(l.share, "c.bin", 300);
    root.ComputeTotals();
    return l;
}

model::THeaderFields HeaderOf(const std::string& path) {
    const std::vector<unsigned char> bytes = ReadBytes(path);
    model::THeaderBytes h{};
    if (bytes.size() >= h.size()) std::copy_n(bytes.begin(), h.size(), h.begin());
    return model::DecodeHeader(h);
}

std::vector<std::string> ChildNames(const model::TFolderItem* folder) {
    std::vector<std::string> names;
    for (const TItem* c : folder->Children())
        names.push_back(c->NameString());
    return names;
}

class Cancelling : public model::TProgressSink {
public:
    void Step() override { ++steps; }
    bool Cancelled() override { return steps >= 1; }
    int steps = 0;
};

} // namespace

TEST(ViewerSave, AllLoadedItemsCombineTheTopItemsOfEveryFile) {
    TTempDir dir;
    TRootItem root;
    AddLoaded(root, "/tmp/one.txf");
    AddLoaded(root, "/tmp/two.txf");
    const std::string out = dir.File("all.txf");
    MarkForSave(root, {&root});
    EXPECT_EQ(SaveMarked(root, out, nullptr).result, model::TSaveResult::Saved);
    EXPECT_EQ(root.GetMarkedFileCount(), 0) << "marks are cleared after the save";

    const model::THeaderFields h = HeaderOf(out);
    EXPECT_EQ(h.writerVersion, model::txf::kWriterViewer);
    EXPECT_EQ(h.formatVersion, 5);
    EXPECT_EQ(h.fileCount, 6u);

    const TLoaded back = Load(out);
    ASSERT_EQ(back.code, kLoadOk);
    // Empty drives are left out; the loaded files themselves leave no record.
    EXPECT_EQ(ChildNames(back.file), (std::vector<std::string>{"C:", "C:", "/srv/share/", "/srv/share/"}));
    EXPECT_EQ(back.file->GetFileCount(), 6);
    EXPECT_EQ(back.file->GetSize(), 2 * (5 + 7 + 300));
    EXPECT_EQ(back.file->Child(0)->Created(), 41000) << "a drive keeps its own date";
    EXPECT_NE(dynamic_cast<const TFolderRootItem*>(back.file->Child(2)), nullptr);
}

TEST(ViewerSave, FolderInsideADriveBecomesAPathRecordWithTheDrivesDate) {
    TTempDir dir;
    TRootItem root;
    TLoadedFile l = AddLoaded(root, "/tmp/one.txf");
    const std::string out = dir.File("sel.txf");
    MarkForSave(root, {l.data});
    ASSERT_EQ(SaveMarked(root, out, nullptr).result, model::TSaveResult::Saved);
    EXPECT_EQ(HeaderOf(out).fileCount, 2u);

    const TLoaded back = Load(out);
    ASSERT_EQ(back.code, kLoadOk);
    ASSERT_EQ(back.file->ChildCount(), 1);
    const auto* top = dynamic_cast<const TFolderRootItem*>(back.file->Child(0));
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->Path(), "C:\\Data\\");
    EXPECT_EQ(top->Created(), 41000);
    EXPECT_EQ(ChildNames(top), (std::vector<std::string>{"a.txt", "b.txt"}));

    // A second save of the same selection starts from no marks: nothing is left marked.
    EXPECT_FALSE(l.data->IsMarked());
    EXPECT_EQ(root.GetMarkedFileCount(), 0);
}

TEST(ViewerSave, ASelectedFileGoesUnderAPathRecordOfItsFolder) {
    TTempDir dir;
    TRootItem root;
    TLoadedFile l = AddLoaded(root, "/tmp/one.txf");
    TFileItem* b = static_cast<TFileItem*>(l.data->Child(1));
    TFileItem* boot = AddFile(l.drive, "boot.ini", 11); // a file in the drive's own folder
    root.ComputeTotals();
    struct {
        std::vector<TItem*> selection;
        std::vector<std::string> paths;              // of the path records, in order
        std::vector<std::vector<std::string>> files; // their files
    } cases[] = {
        {{b}, {"C:\\Data\\"}, {{"b.txt"}}},
        {{l.share->Child(0)}, {"/srv/share/"}, {{"c.bin"}}},
        {{boot, l.data}, {"C:\\", "C:\\Data\\"}, {{"boot.ini"}, {"a.txt", "b.txt"}}},
        {{boot, b}, {"C:\\", "C:\\Data\\"}, {{"boot.ini"}, {"b.txt"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.paths.back());
        const std::string out = dir.File("one-file.txf");
        const auto dataDate = l.data->Created();
        MarkForSave(root, c.selection);
        const std::int64_t marked = root.GetMarkedFileCount();
        ASSERT_EQ(SaveMarked(root, out, nullptr).result, model::TSaveResult::Saved);
        EXPECT_EQ(HeaderOf(out).fileCount, static_cast<std::uint64_t>(marked))
            << "the count is what was written";

        const TLoaded back = Load(out);
        ASSERT_EQ(back.code, kLoadOk);
        ASSERT_EQ(back.file->ChildCount(), static_cast<int>(c.paths.size()));
        for (int i = 0; i < back.file->ChildCount(); ++i) {
            const auto* top = dynamic_cast<const TFolderRootItem*>(back.file->Child(i));
            ASSERT_NE(top, nullptr);
            EXPECT_EQ(top->Path(), c.paths[static_cast<size_t>(i)]);
            EXPECT_EQ(ChildNames(top), c.files[static_cast<size_t>(i)]);
        }
        EXPECT_EQ(back.file->GetFileCount(), marked);
        // A record of files alone is dated like the drive it came from; the folder keeps its date.
        if (c.paths.front()[0] == 'C') {
            EXPECT_EQ(back.file->Child(0)->Created(), 41000);
        }
        if (std::find(c.selection.begin(), c.selection.end(), l.data) == c.selection.end()) {
            EXPECT_EQ(l.data->Created(), dataDate);
        }
    }
}

TEST(ViewerSave, OnlyEmptyDrivesGiveAnEmptyRoot) {
    TTempDir dir;
    TRootItem root;
    TLoadedFile l = AddLoaded(root, "/tmp/one.txf");
    const std::string out = dir.File("empty.txf");
    MarkForSave(root, {l.empty});
    ASSERT_EQ(SaveMarked(root, out, nullptr).result, model::TSaveResult::Saved);
    const TLoaded back = Load(out);
    ASSERT_EQ(back.code, kLoadOk);
    EXPECT_EQ(back.file->ChildCount(), 0);
    EXPECT_EQ(HeaderOf(out).fileCount, 0u);
}

TEST(ViewerSave, CancelLeavesNoFileAndAnExistingFileAsItWas) {
    TTempDir dir;
    TRootItem root;
    AddLoaded(root, "/tmp/one.txf");
    const std::string out = dir.File("c.txf");
    for (bool existing : {false, true}) {
        if (existing) std::ofstream(out) << "before";
        Cancelling cancel;
        MarkForSave(root, {&root});
        const model::TSaveOutcome o = SaveMarked(root, out, &cancel);
        EXPECT_EQ(o.result, model::TSaveResult::Cancelled);
        EXPECT_EQ(o.message, "Operation cancelled. The file was not saved.");
        EXPECT_EQ(o.caption, "Cancel");
        if (existing)
            EXPECT_EQ(ReadBytes(out).size(), 6u);
        else
            EXPECT_FALSE(std::filesystem::exists(out));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("")), {}), existing ? 1 : 0)
            << "no temporary file stays behind";
    }
}

TEST(ViewerSave, AFolderThatCannotBeWrittenFails) {
    TRootItem root;
    AddLoaded(root, "/tmp/one.txf");
    MarkForSave(root, {&root});
    const model::TSaveOutcome o = SaveMarked(root, "/nonexistent-folder/x.txf", nullptr);
    EXPECT_EQ(o.result, model::TSaveResult::Failed);
    EXPECT_EQ(o.message, "An error as occured while saving.");
    EXPECT_EQ(root.GetMarkedFileCount(), 0);
}

TEST(ViewerFiles, CloseTakesOnlyLoadedFilesFromTheFocusedView) {
    TRootItem root;
    TLoadedFile a = AddLoaded(root, "/tmp/same.txf");
    TLoadedFile b = AddLoaded(root, "/tmp/same.txf");
    struct TCase {
        TFocus focus;
        std::vector<TItem*> rows;
        TItem* tree;
        std::vector<TFileRootItem*> want;
    } cases[] = {
        {TFocus::List, {a.file, b.file}, &root, {b.file, a.file}},
        {TFocus::List, {a.file, a.data}, a.file, {a.file}},
        {TFocus::List, {a.data}, a.file, {}},
        {TFocus::Tree, {a.file}, a.drive, {}},
        {TFocus::Tree, {}, b.file, {b.file}},
        {TFocus::Tree, {}, &root, {}},
        {TFocus::None, {a.file}, a.file, {}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FilesToClose(c.focus, c.rows, c.tree), c.want);

    CloseFile(root, a.file);
    EXPECT_EQ(root.ChildCount(), 1);
    EXPECT_EQ(root.Child(0), b.file) << "the other load of the same file stays";
    EXPECT_EQ(root.GetFileCount(), 3);
}

TEST(ViewerFiles, WindowsThatGoWithAClosedFile) {
    TRootItem root;
    TLoadedFile a = AddLoaded(root, "/tmp/a.txf");
    TLoadedFile b = AddLoaded(root, "/tmp/b.txf");
    EXPECT_TRUE(WindowGoesWithFile(a.file, a.file));
    EXPECT_TRUE(WindowGoesWithFile(a.data, a.file));
    EXPECT_TRUE(WindowGoesWithFile(&root, a.file));
    EXPECT_FALSE(WindowGoesWithFile(b.data, a.file));
    EXPECT_FALSE(WindowGoesWithFile(b.file, a.file));
    EXPECT_FALSE(WindowGoesWithFile(nullptr, a.file));
}

TEST(ViewerFiles, AFailedLoadLeavesTheTreeAsItWas) {
    TTempDir dir;
    TRootItem root;
    const std::string bad = dir.File("bad.txf");
    std::ofstream(bad) << std::string(200, 'x');
    const TLoadOutcome o = LoadFileInto(root, bad, nullptr);
    EXPECT_EQ(o.code, kLoadBadMagic);
    EXPECT_EQ(o.file, nullptr);
    EXPECT_EQ(o.message, LoadErrorMessage(kLoadBadMagic));
    EXPECT_EQ(root.ChildCount(), 0);
}
