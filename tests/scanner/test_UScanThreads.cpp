// txscan's walk feeding the block compressor: the same bytes for one thread and eight, reading
// folders or compressing, on a tree of many blocks, and the records read back whole.
#include "model/URecordCodec.h"
#include "platform/PEnumerate.h"
#include "scanner/UScan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class ScanThreads : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        top = fs::temp_directory_path() / ("tx_scanthreads_" + std::to_string(::getpid()));
        fs::remove_all(top);
        // Some 9,000 entries with long names: about five blocks of records.
        for (int d = 0; d < 30; ++d) {
            const fs::path folder = top / ("a folder with a rather long name " + std::to_string(d));
            fs::create_directories(folder);
            for (int f = 0; f < 300; ++f)
                std::ofstream(folder / ("a file whose name takes some room " +
                                        std::to_string(f * 7919 % 1009) + ".dat"))
                    << std::string(f % 5, 'x');
        }
    }
    static void TearDownTestSuite() { fs::remove_all(top); }
    static fs::path top;
};
fs::path ScanThreads::top;

std::string Scanned(const fs::path& path, unsigned threads, std::uint64_t* recordBytes = nullptr) {
    model::TStringSink sink;
    model::TRecordWriter out(sink, model::txf::kCompressionLevel, threads);
    scanner::ScanFolder(out, path.string() + "/");
    out.Finish();
    if (recordBytes) *recordBytes = out.BytesWritten();
    return sink.Data;
}

} // namespace

TEST_F(ScanThreads, OneThreadAndEightWriteTheSameBytes) {
    Scanned(top, 1); // a first read of a new folder moves its access time; later reads do not
    std::uint64_t records = 0;
    const std::string one = Scanned(top, 1, &records);
    EXPECT_GT(records, 4 * 128 * 1024u) << "several blocks";
    EXPECT_EQ(Scanned(top, 8), one);

    model::TMemorySource raw(one.data(), one.size());
    model::TInflateSource body(raw);
    model::TRecordReader in(body);
    int files = 0, folders = 0;
    for (int depth = 1; depth > 0;) {
        const std::uint8_t kind = in.ReadByte();
        if (model::txf::IsEndKind(kind)) {
            --depth;
            continue;
        }
        in.ReadName(model::txf::kFormatVersion);
        if ((kind & model::txf::kKindMask) == model::txf::kKindFile) {
            in.ReadFileSize(kind);
            in.ReadTail(kind, model::txf::kFormatVersion);
            ++files;
        } else {
            in.ReadByte();
            in.ReadTail(kind, model::txf::kFormatVersion);
            ++folders;
            ++depth;
        }
    }
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(files, 30 * 300);
    EXPECT_EQ(folders, 30);
}

TEST_F(ScanThreads, FoldersReadOnOneThreadOrEightWriteTheSameBytes) {
    struct TRestore {
        ~TRestore() { platform::SetWalkThreads(0); }
    } restore;
    Scanned(top, 8);
    for (unsigned compressors : {1u, 8u}) {
        platform::SetWalkThreads(1);
        const std::string one = Scanned(top, compressors);
        platform::SetWalkThreads(8);
        EXPECT_TRUE(Scanned(top, compressors) == one) << compressors << " compressing threads";
    }
}
