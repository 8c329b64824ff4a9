// SaveScans read back with the project's own decoder (header, CRC, records), and its handling of
// targets that vanished after the command-line checks.
#include "model/UCRCFileStream.h"
#include "model/URecordCodec.h"
#include "scanner/UScan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace model;

namespace {

struct TRecord {
    std::uint8_t kind = 0;
    std::string name, path;
    char letter = 0;
    std::int64_t size = -1;
    TItemTail tail;
    std::vector<TRecord> children;
};

void ReadChildren(TRecordReader& in, TRecord& into) {
    for (std::uint8_t kind; !txf::IsEndKind(kind = in.ReadByte());) {
        TRecord& r = into.children.emplace_back();
        r.kind = kind & txf::kKindMask;
        r.name = in.ReadName(txf::kFormatVersion);
        if (r.kind == txf::kKindFile) {
            r.size = in.ReadFileSize(kind);
            r.tail = in.ReadTail(kind, txf::kFormatVersion);
            continue;
        }
        if (r.kind == txf::kKindDrive) {
            r.letter = static_cast<char>(in.ReadByte());
            in.ReadInt64();
            in.ReadInt64();
        } else if (r.kind == txf::kKindPath) {
            r.path = in.ReadName(txf::kFormatVersion);
        }
        EXPECT_EQ(in.ReadByte(), 1) << "explored";
        r.tail = in.ReadTail(kind, txf::kFormatVersion);
        ReadChildren(in, r);
    }
}

// Header checked, CRC checked, records decoded: the root record with its children.
TRecord ReadBack(const std::string& name, std::uint64_t& fileCount) {
    TCRCFileStream file(name, TFileMode::Read);
    THeaderBytes header{};
    EXPECT_EQ(file.Read(header.data(), header.size()), header.size());
    const THeaderFields h = DecodeHeader(header);
    EXPECT_EQ(h.writerVersion, txf::kWriterScanner);
    EXPECT_EQ(h.formatVersion, 5);
    EXPECT_EQ(h.compression, txf::kCompressionZlib);
    EXPECT_EQ(file.ComputeRestCRC(), h.crc);
    fileCount = h.fileCount;
    file.Seek(txf::kHeaderSize);
    TInflateSource body(file);
    TRecordReader in(body);
    TRecord root;
    EXPECT_EQ(in.ReadByte(), txf::kKindRoot);
    root.kind = txf::kKindRoot;
    root.name = in.ReadName(txf::kFormatVersion);
    EXPECT_EQ(in.ReadInt64(), 100000);
    EXPECT_EQ(in.ReadByte(), 1);
    root.tail = in.ReadTail(txf::kKindRoot, txf::kFormatVersion);
    ReadChildren(in, root);
    EXPECT_TRUE(in.AtEnd());
    return root;
}

class SaveScans : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tx_savescans_" + std::to_string(getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "tree" / "sub");
        std::ofstream(dir / "tree" / "a.txt") << "hello";
        std::ofstream(dir / "tree" / "sub" / "b.bin") << std::string(300, 'b');
    }
    void TearDown() override { fs::remove_all(dir); }
    bool Save(const std::vector<scanner::TTarget>& targets, const std::string& name) {
        scanner::TConsole console{out, in};
        return scanner::SaveScans(targets, {name}, console);
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream text(out.str());
        for (std::string line; std::getline(text, line);)
            lines.push_back(line.substr(line.find(" - ") + 3)); // without {now}
        return lines;
    }
    fs::path dir;
    std::ostringstream out;
    std::istringstream in;
};

} // namespace

TEST_F(SaveScans, TheProjectsDecoderReadsWhatWasWritten) {
    const std::string tree = (dir / "tree").string() + "/";
    ASSERT_TRUE(Save({{tree, false, {}}}, (dir / "out.txf").string()));
    std::uint64_t files = 0;
    const TRecord root = ReadBack((dir / "out.txf").string(), files);
    EXPECT_EQ(files, 2u);
    EXPECT_EQ(root.name, "Root");
    ASSERT_EQ(root.children.size(), 1u);
    const TRecord& path = root.children[0];
    EXPECT_EQ(path.kind, txf::kKindPath);
    EXPECT_EQ(path.name, "tree");
    EXPECT_EQ(path.path, (dir / "tree").string());
    std::map<std::string, const TRecord*> byName;
    for (const TRecord& c : path.children)
        byName[c.name] = &c;
    ASSERT_EQ(byName.size(), 2u);
    EXPECT_EQ(byName["a.txt"]->size, 5);
    EXPECT_EQ(byName["a.txt"]->tail.attributes, 0x80u) << "normal";
    ASSERT_EQ(byName["sub"]->children.size(), 1u);
    EXPECT_EQ(byName["sub"]->children[0].size, 300);
    EXPECT_EQ(Lines(),
              (std::vector<std::string>{"Scanning " + tree + " ...", "Data successfully saved in file \"" +
                                                                         (dir / "out.txf").string() + "\""}));
}

TEST_F(SaveScans, TargetsThatVanishedAreSkippedAndTheRestWritten) {
    const std::string tree = (dir / "tree").string() + "/";
    const std::string gone = (dir / "gone").string() + "/";
    ASSERT_TRUE(Save({{gone, false, {}}, {"/no/such/mount/", true, {}}, {tree, false, {}}},
                     (dir / "out.txf").string()));
    EXPECT_EQ(Lines(),
              (std::vector<std::string>{
                  "Error 2022: Folder " + gone + " does not exists or cannot be accessed. Skipped.",
                  "Error 1022: Drive /no/such/mount does not exists. Skipped.", "Scanning " + tree + " ...",
                  "Data successfully saved in file \"" + (dir / "out.txf").string() + "\""}));
    std::uint64_t files = 0;
    const TRecord root = ReadBack((dir / "out.txf").string(), files);
    ASSERT_EQ(root.children.size(), 1u);
    EXPECT_EQ(root.children[0].name, "tree");
}

TEST_F(SaveScans, AFolderThatIsAFileCannotBeTheDestination) {
    const std::string name = (dir / "tree" / "a.txt" / "out.txf").string();
    EXPECT_FALSE(Save({{(dir / "tree").string() + "/", false, {}}}, name));
    EXPECT_EQ(Lines(),
              std::vector<std::string>{"Fatal Error 1: Unable to create destination file \"" + name + "\"."});
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "tree"), fs::directory_iterator{}), 2);
}

// Network paths on a mount table made for the test: a cifs share and an nfs export mounted at
// folders of the fixture, and a share that is not mounted.
TEST_F(SaveScans, ANetworkPathIsExploredAtItsMountAndRecordedAsTheNetworkPath) {
    fs::create_directories(dir / "nas" / "home" / "alice");
    std::ofstream(dir / "nas" / "home" / "alice" / "notes.txt") << "1234567";
    const std::string table = "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                              "40 22 0:50 / " +
                              (dir / "tree").string() +
                              " rw - cifs //fileserver/Public rw\n"
                              "41 22 0:51 / " +
                              (dir / "nas").string() + " rw - nfs4 nas.local:/export rw\n";
    const std::vector<platform::TMountEntry> mounts =
        platform::ParseMountInfo(table, [](unsigned, unsigned) { return false; });
    const std::string name = (dir / "net.txf").string();
    scanner::TConsole console{out, in};
    const int status = scanner::RunScanner({"/o", name, "/s", "//FILESERVER/public", "/s",
                                            "\\\\nas.local\\export\\home\\alice", "/s",
                                            "//fileserver/Public/", "/s", "//elsewhere/share"},
                                           console, mounts);
    EXPECT_EQ(status, scanner::kExitWritten);
    std::vector<std::string> lines = Lines();
    ASSERT_FALSE(lines.empty());
    lines.erase(lines.begin()); // the banner
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "Error 2022: Folder //elsewhere/share/ does not exists or cannot be accessed. Skipped.",
                  "Scanning //fileserver/Public/ ...", "Scanning //nas.local/export/home/alice/ ...",
                  "Data successfully saved in file \"" + name + "\""}));
    std::uint64_t files = 0;
    const TRecord root = ReadBack(name, files);
    EXPECT_EQ(files, 3u);
    ASSERT_EQ(root.children.size(), 2u) << "the same share typed twice is scanned once";
    const TRecord& share = root.children[0];
    EXPECT_EQ(share.kind, txf::kKindPath);
    EXPECT_EQ(share.name, "Public");
    EXPECT_EQ(share.path, "//fileserver/Public");
    EXPECT_EQ(share.children.size(), 2u) << "a.txt and sub, walked at the mount point";
    const TRecord& folder = root.children[1];
    EXPECT_EQ(folder.kind, txf::kKindPath);
    EXPECT_EQ(folder.name, "alice");
    EXPECT_EQ(folder.path, "//nas.local/export/home/alice");
    ASSERT_EQ(folder.children.size(), 1u);
    EXPECT_EQ(folder.children[0].size, 7);
}

TEST_F(SaveScans, ANetworkPathThatIsNotMountedWritesNothing) {
    const std::string name = (dir / "none.txf").string();
    scanner::TConsole console{out, in};
    const std::vector<platform::TMountEntry> mounts = platform::ParseMountInfo(
        "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n", [](unsigned, unsigned) { return false; });
    // "//tree" would be the local folder "/tree" if the network path were read as a path.
    EXPECT_EQ(scanner::RunScanner({"/o", name, "/s", "//server/share"}, console, mounts),
              scanner::kExitNothingWritten);
    std::vector<std::string> lines = Lines();
    lines.erase(lines.begin());
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Error 2022: Folder //server/share/ does not exists or cannot be accessed. Skipped.",
                         "Nothing to do!!!"}));
    EXPECT_FALSE(fs::exists(name));
}
