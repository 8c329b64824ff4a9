// CRC-32 and the checksummed file stream.
#include "../TestFiles.h"
#include "model/UCRC32.h"
#include "model/UCRCFileStream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace model;
namespace fs = std::filesystem;
using txtest::ReadFile;
using txtest::TempDir;

namespace {
std::uint32_t Crc(const std::string& s) {
    return ~CRC32Update(0xFFFFFFFFu, s.data(), s.size());
}
} // namespace

TEST(CRC32, CheckValue) {
    EXPECT_EQ(Crc("123456789"), 0xCBF43926u);
    EXPECT_EQ(~CRC32UpdateByTable(0xFFFFFFFFu, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(kCRC32Table[1], 0x77073096u);
    EXPECT_EQ(kCRC32Table[255], 0x2D02EF8Du);
}

TEST(CRC32, NoDataLeavesTheRegister) {
    EXPECT_EQ(CRC32Update(0x12345678u, nullptr, 10), 0x12345678u);
    EXPECT_EQ(CRC32Update(0x12345678u, "abc", 0), 0x12345678u);
}

TEST(CRC32, FastPathAgreesWithTheTableInPieces) {
    std::mt19937 rng(7);
    std::vector<unsigned char> data(100000);
    for (auto& b : data)
        b = static_cast<unsigned char>(rng());
    std::uint32_t table = 0xFFFFFFFFu, fast = 0xFFFFFFFFu;
    for (size_t pos = 0, step = 1; pos < data.size(); pos += step, step = step * 3 % 4099 + 1) {
        const size_t n = std::min(step, data.size() - pos);
        table = CRC32UpdateByTable(table, data.data() + pos, n);
        fast = CRC32Update(fast, data.data() + pos, n);
        ASSERT_EQ(table, fast) << "at " << pos;
    }
}

TEST(CRCFileStream, ChecksumsOnlyWhatFollowsStartCRC) {
    TempDir dir;
    const std::string name = (dir.path / "a.bin").string();
    TCRCFileStream out(name, TFileMode::Create);
    out.Write("header", 6);
    EXPECT_EQ(out.CRC(), 0u) << "StartCRC never called";
    EXPECT_FALSE(out.Accumulating());
    out.StartCRC();
    out.Write("12345", 5);
    out.Write("6789", 4);
    EXPECT_EQ(out.CRC(), 0xCBF43926u);
    out.Close();

    TCRCFileStream in(name, TFileMode::Read);
    in.Seek(6);
    EXPECT_EQ(in.ComputeRestCRC(), 0xCBF43926u);
    EXPECT_EQ(in.Position(), 15);
    EXPECT_FALSE(in.Accumulating());
    EXPECT_EQ(in.ComputeRestCRC(), 0u) << "at the end of the file";
}

TEST(CRCFileStream, RestCrcAroundTheBlockBoundary) {
    TempDir dir;
    std::mt19937 rng(11);
    for (size_t rest :
         {size_t{0}, size_t{1}, size_t{32767}, size_t{32768}, size_t{32769}, size_t{65536}, size_t{65537}}) {
        std::string body(rest, '\0');
        for (char& c : body)
            c = static_cast<char>(rng());
        const std::string name = (dir.path / ("f" + std::to_string(rest))).string();
        {
            TCRCFileStream out(name, TFileMode::Create);
            out.Write(std::string(128, 'h').data(), 128);
            out.StartCRC();
            out.Write(body.data(), body.size());
            EXPECT_EQ(out.CRC(), Crc(body));
            out.Close();
        }
        TCRCFileStream in(name, TFileMode::Read);
        in.Seek(128);
        EXPECT_EQ(in.ComputeRestCRC(), Crc(body)) << "rest of " << rest << " bytes";
        EXPECT_EQ(in.Position(), static_cast<std::int64_t>(128 + rest));
    }
}

TEST(CRCFileStream, FullDiskRaises) {
    if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    TCRCFileStream out("/dev/full", TFileMode::Create);
    std::vector<char> block(4096, 'x');
    EXPECT_THROW(out.Write(block.data(), block.size()), platform::TFileError);
}

TEST(CRCFileStream, MissingFileRaises) {
    EXPECT_THROW(TCRCFileStream("/nonexistent-folder/x.txf", TFileMode::Read), platform::TFileError);
}
