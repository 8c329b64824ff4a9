// The viewer's save and load on files of many compressed blocks: the save gives the same bytes on
// one thread and eight; the load, which inflates on a second thread, reads them back whole, and a
// cancel, a damaged block or a cut in the middle ends it with its code and no thread left behind.
#include "TxfFixture.h"

#include "model/UParallelZlib.h"
#include "model/URecordCodec.h"

#include <gtest/gtest.h>

using namespace txftest;
using namespace viewer;

namespace {

// A loaded file of 30 folders of 2,000 files: some twenty blocks of records.
TFileRootItem* AddBig(TRootItem& root) {
    auto* file = new TFileRootItem("/big.txf", &root);
    root.AddChild(file);
    auto* drive = new TDriveItem("/data", file);
    file->AddChild(drive);
    drive->SetLetter('/');
    drive->SetMountPoint("/data");
    drive->SetExplored(true);
    for (int i = 0; i < 30; ++i) {
        auto* folder = new TFolderItem("folder " + std::to_string(i), drive);
        drive->AddChild(folder);
        folder->SetExplored(true);
        for (int j = 0; j < 2000; ++j) {
            auto* f =
                new TFileItem("f" + std::to_string((j * 7919) % 10007) + "-" + std::to_string(i), folder);
            f->SetSize(static_cast<std::int64_t>(j) * 977 + i);
            f->SetModified(43000 + j * 0.5);
            folder->AddChild(f);
        }
        folder->SortChildren(viewer::CompareItems);
    }
    drive->SortChildren(viewer::CompareItems); // as a loaded tree is
    root.ComputeTotals();
    return file;
}

std::string Body(TRootItem& root, unsigned threads) {
    model::TStringSink sink;
    model::TRecordWriter w(sink, model::txf::kCompressionLevel, threads);
    root.SaveToStream(w);
    w.Finish();
    return sink.Data;
}

} // namespace

TEST(ParallelFiles, ViewerSaveGivesTheSameBytesOnOneThreadAndEight) {
    TRootItem root;
    AddBig(root);
    root.SetMarked(true);
    root.SetCreated(46000.25);
    const std::string one = Body(root, 1);
    EXPECT_GT(one.size(), 20000u);
    EXPECT_EQ(Body(root, 8), one);
    EXPECT_EQ(Body(root, 3), one);
}

TEST(ParallelFiles, ManyBlocksLoadBackWholeAndCancelOrDamageEndTheLoad) {
    TTempDir dir;
    const std::string path = dir.File("big.txf");
    std::string saved;
    {
        TRootItem root;
        AddBig(root);
        root.SetMarked(true);
        ASSERT_EQ(root.SaveToFile(path).result, model::TSaveResult::Saved);
        root.ClearMark();
        saved = Dump(root.Child(0));
    }
    TLoaded l = Load(path);
    ASSERT_EQ(l.code, 0);
    EXPECT_EQ(l.file->FileCount(), 60000);
    // The loaded file holds what the saved one held (its own name is the new path's).
    const std::string loaded = Dump(l.file);
    EXPECT_TRUE(loaded.substr(loaded.find('{')) == saved.substr(saved.find('{')))
        << loaded.substr(0, 200) << "\n"
        << saved.substr(0, 200);

    TRecordingProgress cancel;
    cancel.CancelAtAsk = 30000;
    EXPECT_EQ(Load(path, &cancel).code, -5);
    EXPECT_LT(cancel.Steps, 31000) << "stops at once, with most of the body still to inflate";

    // A cut or a damaged block far into the body, with a checksum that passes: the records read
    // before it do not make the load succeed.
    const std::vector<unsigned char> whole = ReadBytes(path);
    const std::vector<unsigned char> body(whole.begin() + 128, whole.end());
    std::vector<unsigned char> cut(body.begin(), body.begin() + static_cast<long>(body.size() * 2 / 3));
    std::vector<unsigned char> damaged = body;
    damaged[body.size() * 2 / 3] ^= 0x3C;
    for (const auto* stored : {&cut, &damaged}) {
        std::vector<unsigned char> file = WithBody(whole, *stored, false);
        WriteBytes(path, file);
        EXPECT_EQ(Load(path).code, -1);
    }
}
