// The explorer's save through the block compressor, on trees big enough to keep many blocks in
// flight: the same bytes for one thread and eight, a body that zlib reads back, and a cancel or a
// full disk in the middle that leaves no file and no thread behind.
#include "../TestFiles.h"
#include "model/UItem.h"
#include "model/UParallelZlib.h"
#include "model/URecordCodec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/resource.h>

using namespace model;
namespace fs = std::filesystem;
using txtest::ReadFile;
using txtest::TempDir;

namespace {

// One drive of 40 folders of 1,500 files: about 2.5 MB of records, some twenty blocks.
struct BigTree {
    TRootItem root{"My Tessalundrix"};
    BigTree() {
        TComputerRootItem* computer = root.EnsureComputerRoot();
        auto* drive = new TDriveItem("/big", kKindFixed, computer);
        computer->AddChild(drive);
        drive->SetExplored(true);
        for (int i = 0; i < 40; ++i) {
            auto* folder = new TFolderItem("folder-" + std::to_string(i), drive);
            drive->AddChild(folder);
            folder->SetExplored(true);
            for (int j = 0; j < 1500; ++j) {
                auto* f = new TFileItem("file-" + std::to_string((j * 7919) % 10007) + ".dat", folder);
                f->SetSize(static_cast<std::int64_t>(j) * 4099 * (i + 1));
                f->SetModified(40000 + j * 0.25 + i);
                f->SetAttributes(j % 3 ? 0x20 : 0x1);
                folder->AddChild(f);
            }
        }
        root.ComputeTotals();
        drive->SetSpace(1, 2);
        root.SetCreated(46000.5);
        root.SetMarked(true);
    }
};

std::string Body(TRootItem& root, unsigned threads) {
    TStringSink sink;
    TRecordWriter w(sink, txf::kCompressionLevel, threads);
    root.SaveToStream(w);
    w.Finish();
    return sink.Data;
}

struct CancelAfter : TProgressSink {
    explicit CancelAfter(int n) : limit(n) {}
    void Step() override { ++steps; }
    bool Cancelled() override { return steps >= limit; }
    int steps = 0;
    int limit;
};

} // namespace

TEST(ParallelSave, SameBytesOnOneThreadAndEightAndZlibReadsThem) {
    BigTree t;
    const std::string one = Body(t.root, 1);
    const std::string eight = Body(t.root, 8);
    ASSERT_GT(one.size(), 10000u);
    EXPECT_EQ(eight, one);

    std::string records(8 << 20, '\0');
    uLongf n = static_cast<uLongf>(records.size());
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(records.data()), &n,
                         reinterpret_cast<const Bytef*>(one.data()), static_cast<uLong>(one.size())),
              Z_OK);
    EXPECT_GT(n, 20 * zblock::kBlockSize) << "enough records to keep many blocks in flight";
    TStringSink plain;
    {
        // The same tree written without compression: the records are the same.
        TRecordWriter w(plain, 0, 1);
        t.root.SaveToStream(w);
        w.Finish();
    }
    std::string stored(8 << 20, '\0');
    uLongf m = static_cast<uLongf>(stored.size());
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(stored.data()), &m,
                         reinterpret_cast<const Bytef*>(plain.Data.data()),
                         static_cast<uLong>(plain.Data.size())),
              Z_OK);
    EXPECT_EQ(std::string(records.data(), n), std::string(stored.data(), m));
}

TEST(ParallelSave, CancelInTheMiddleLeavesNoFile) {
    TempDir dir;
    BigTree t;
    const fs::path target = dir.path / "kept.txf";
    std::ofstream(target, std::ios::binary) << "earlier";
    for (unsigned threads : {1u, 8u}) {
        SetDeflateThreads(threads);
        CancelAfter cancel(40000);
        const TSaveOutcome outcome = t.root.SaveToFile(target.string(), &cancel);
        EXPECT_EQ(outcome.result, TSaveResult::Cancelled) << threads;
        EXPECT_EQ(cancel.steps, 40000) << "writing stops at once";
        EXPECT_EQ(ReadFile(target), "earlier");
        EXPECT_EQ(dir.Entries(), 1u) << "the temporary file is gone";
    }
    SetDeflateThreads(0);
}

TEST(ParallelSave, FullDiskInTheMiddleFailsAndLeavesNoFile) {
    TempDir dir;
    BigTree t;
    const fs::path target = dir.path / "kept.txf";
    std::ofstream(target, std::ios::binary) << "earlier";
    for (unsigned threads : {1u, 8u}) {
        SetDeflateThreads(threads);
        // The system refuses every byte past 100,000 of a file, as a full file system would.
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        auto* previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 100000;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const TSaveOutcome outcome = t.root.SaveToFile(target.string());
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        EXPECT_EQ(outcome.result, TSaveResult::Failed) << threads;
        EXPECT_EQ(outcome.message, "An error as occured while saving.");
        EXPECT_EQ(ReadFile(target), "earlier");
        EXPECT_EQ(dir.Entries(), 1u);
    }
    SetDeflateThreads(0);
}
