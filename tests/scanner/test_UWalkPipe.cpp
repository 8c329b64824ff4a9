// The walk handed over from a second thread gives exactly the bytes of a walk on one thread, and a
// failing writer stops it without leaving the worker behind.
#include "model/URecordCodec.h"
#include "platform/PEnumerate.h"
#include "scanner/UWalkPipe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class TWriteVisitor : public platform::TWalkVisitor {
public:
    explicit TWriteVisitor(model::TRecordWriter& out, long failAfter = -1)
        : FOut(out), FFailAfter(failAfter) {}
    void File(const platform::TEntry& e) override {
        if (FFailAfter >= 0 && FFiles++ == FFailAfter) throw std::runtime_error("disk full");
        FOut.WriteFile(e.name, e.size, {e.created, e.accessed, e.modified, e.attributes});
    }
    void Folder(const platform::TEntry& e) override {
        FOut.WriteFolderHead(e.name);
        FOut.WriteFolderBody(true, {e.created, e.accessed, e.modified, e.attributes});
    }
    void FolderEnd(bool) override { FOut.WriteEnd(); }

private:
    model::TRecordWriter& FOut;
    long FFailAfter;
    long FFiles = 0;
};

class WalkPipe : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        top = fs::temp_directory_path() / ("tx_walkpipe_" + std::to_string(::getpid()));
        fs::remove_all(top);
        // Several batches' worth of entries, folders nested and interleaved with files.
        for (int d = 0; d < 12; ++d) {
            const fs::path folder = top / ("folder" + std::to_string(d)) / "inner";
            fs::create_directories(folder);
            for (int f = 0; f < 400; ++f)
                std::ofstream(folder / ("file" + std::to_string(f) + ".dat")) << std::string(f % 7, 'x');
            std::ofstream(top / ("beside" + std::to_string(d)));
        }
    }
    static void TearDownTestSuite() { fs::remove_all(top); }
    static fs::path top;
};
fs::path WalkPipe::top;

std::string Written(const std::function<void(platform::TWalkVisitor&)>& walk) {
    model::TStringSink sink;
    model::TRecordWriter out(sink);
    TWriteVisitor visitor(out);
    walk(visitor);
    out.Finish();
    return sink.Data;
}

} // namespace

TEST_F(WalkPipe, SameBytesAsTheWalkOnOneThread) {
    // A first read of a new folder moves its access time (relatime); later reads do not.
    Written([](platform::TWalkVisitor& v) { platform::WalkTree(top.string(), v); });
    const std::string direct =
        Written([](platform::TWalkVisitor& v) { platform::WalkTree(top.string(), v); });
    const std::string piped =
        Written([](platform::TWalkVisitor& v) { scanner::PipeWalk(top.string(), v, [] { return false; }); });
    EXPECT_GT(direct.size(), 1000u);
    EXPECT_EQ(piped, direct);
}

TEST_F(WalkPipe, AFailingWriterStopsTheWalkAndIsRaised) {
    model::TStringSink sink;
    model::TRecordWriter out(sink);
    TWriteVisitor visitor(out, 3000);
    EXPECT_THROW(scanner::PipeWalk(top.string(), visitor, [] { return false; }), std::runtime_error);
}

TEST_F(WalkPipe, StopDropsWhatIsQueued) {
    model::TStringSink sink;
    model::TRecordWriter out(sink);
    TWriteVisitor visitor(out);
    scanner::PipeWalk(top.string(), visitor, [] { return true; });
    EXPECT_LT(out.FileRecords(), 4800u);
}

TEST_F(WalkPipe, AMissingFolderIsAnEmptyWalk) {
    const std::string piped = Written([](platform::TWalkVisitor& v) {
        scanner::PipeWalk((top / "missing").string(), v, [] { return false; });
    });
    const std::string direct =
        Written([](platform::TWalkVisitor& v) { platform::WalkTree((top / "missing").string(), v); });
    EXPECT_EQ(piped, direct);
}
