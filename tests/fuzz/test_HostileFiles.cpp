// Hostile exploration files through the reader, as the fuzz target reads them: bombs, deep and
// unfinished chains, every header byte damaged, every length of a cut file, odd names, and the
// fuzzer's findings kept under corpus/. Each must give a result code and nothing else (under the
// sanitizer build: no memory error, no undefined behaviour, no leak).
#include "FuzzReader.h"

#include "model/URecordCodec.h"
#include "viewer/UItem.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using fuzzreader::TMode;
namespace txf = model::txf;

namespace {

using TBytes = std::vector<unsigned char>;

// A record stream made by the project's own writer, as plain bytes: the input the fuzzer's records
// mode takes, behind its first byte (here: version 5, compressed).
class TStream final : public model::TByteSink {
public:
    void Write(const void* data, std::size_t count) override {
        const auto* p = static_cast<const unsigned char*>(data);
        FBytes.insert(FBytes.end(), p, p + count);
    }
    TBytes FBytes;
};

template <class Fill> TBytes Records(Fill fill) {
    TStream stream;
    {
        model::TRecordWriter out(stream, 1);
        fill(out);
        out.Finish();
    }
    // The writer always makes a zlib stream: back to the records.
    TBytes records{4};
    z_stream z{};
    inflateInit(&z);
    z.next_in = stream.FBytes.data();
    z.avail_in = static_cast<uInt>(stream.FBytes.size());
    unsigned char buffer[65536];
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = buffer;
        z.avail_out = sizeof buffer;
        rc = inflate(&z, Z_NO_FLUSH);
        records.insert(records.end(), buffer, buffer + (sizeof buffer - z.avail_out));
    }
    inflateEnd(&z);
    EXPECT_EQ(rc, Z_STREAM_END);
    return records;
}

std::int32_t Read(const TBytes& bytes, TMode mode, std::uint64_t budget = 64u << 20) {
    return fuzzreader::ReadInput(bytes.data(), bytes.size(), mode, budget);
}

TBytes Sound() {
    return Records([](model::TRecordWriter& out) {
        out.WriteRootHead("Root", 2);
        out.WriteFolderBody(true, {});
        out.WriteDriveHead("C:", 'C', 10, 100);
        out.WriteFolderBody(true, {1, 2, 3, 0x20});
        out.WriteFolderHead("Data");
        out.WriteFolderBody(true, {});
        out.WriteFile("a.txt", 70000, {4, 5, 6, 0x1});
        out.WriteEnd();
        out.WriteFile("b", 3, {});
        out.WriteEnd();
        out.WriteEnd();
    });
}

} // namespace

TEST(HostileFiles, BombsStopAtTheBudgetQuickly) {
    // Two million files from a few kilobytes: refused by a 64 MB budget long before the machine
    // would feel it; the same with nested folders.
    const TBytes files = Records([](model::TRecordWriter& out) {
        out.WriteRootHead("Root", 0);
        out.WriteFolderBody(true, {});
        out.WritePathHead("p", "/p");
        out.WriteFolderBody(true, {});
        for (int i = 0; i < 2000000; ++i)
            out.WriteFile("f", 1, {});
        out.WriteEnd();
        out.WriteEnd();
    });
    const TBytes folders = Records([](model::TRecordWriter& out) {
        out.WriteRootHead("Root", 0);
        out.WriteFolderBody(true, {});
        for (int i = 0; i < 2000000; ++i) {
            out.WriteFolderHead("d");
            out.WriteFolderBody(true, {});
        }
    });
    for (const TBytes* bomb : {&files, &folders}) {
        EXPECT_EQ(fuzzreader::FileOf(bomb->data(), bomb->size(), TMode::Records).size() < 500000, true);
        EXPECT_EQ(Read(*bomb, TMode::Records), viewer::kLoadUnreadable);
    }
    EXPECT_EQ(Read(files, TMode::Records, 1u << 30), viewer::kLoadOk);
}

TEST(HostileFiles, DeepChainsLoadOrEndAsReadErrors) {
    constexpr int kDepth = 300000;
    const TBytes whole = Records([](model::TRecordWriter& out) {
        out.WriteRootHead("Root", 1);
        out.WriteFolderBody(true, {});
        for (int i = 0; i < kDepth; ++i) {
            out.WriteDriveHead(i % 2 ? "/" : "", i % 2 ? '/' : 'C', 0, 0); // drives in drives too
            out.WriteFolderBody(true, {});
            out.WritePathHead("p", i % 3 ? "/x" : "");
            out.WriteFolderBody(false, {});
        }
        out.WriteFile("leaf", 1, {});
        for (int i = 0; i < 2 * kDepth + 1; ++i)
            out.WriteEnd();
    });
    EXPECT_EQ(Read(whole, TMode::Records, 1u << 30), viewer::kLoadOk);
    TBytes unfinished = whole;
    unfinished.resize(unfinished.size() - kDepth); // ends before half the end bytes
    EXPECT_EQ(Read(unfinished, TMode::Records, 1u << 30), viewer::kLoadUnreadable);
}

TEST(HostileFiles, EveryHeaderByteDamaged) {
    const TBytes records = Sound();
    const TBytes sound = fuzzreader::FileOf(records.data(), records.size(), TMode::Records);
    ASSERT_EQ(Read(sound, TMode::Raw), viewer::kLoadOk);
    for (std::size_t at = 0; at < txf::kHeaderSize; ++at)
        for (unsigned char value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            TBytes damaged = sound;
            damaged[at] ^= value == 0 ? 0xFF : value;
            const std::int32_t code = Read(damaged, TMode::Raw);
            EXPECT_LE(code, 0) << at;
            EXPECT_GE(code, viewer::kLoadUnsupportedWriter) << at;
        }
}

TEST(HostileFiles, EveryLengthOfACutFile) {
    const TBytes records = Sound();
    for (TMode mode : {TMode::Raw, TMode::Records}) {
        const TBytes whole =
            mode == TMode::Raw ? fuzzreader::FileOf(records.data(), records.size(), TMode::Records) : records;
        for (std::size_t keep = 0; keep < whole.size(); ++keep) {
            const TBytes cut(whole.begin(), whole.begin() + static_cast<long>(keep));
            const std::int32_t code = Read(cut, mode);
            EXPECT_NE(code, viewer::kLoadOk + 1) << keep;
            if (mode == TMode::Records && keep > 1) {
                EXPECT_EQ(code, viewer::kLoadUnreadable) << keep;
            }
        }
    }
}

TEST(HostileFiles, OddNamesAndKinds) {
    const std::string zero("a\0b", 3);
    const std::string longest(65535, 'n');
    const TBytes odd = Records([&](model::TRecordWriter& out) {
        out.WriteRootHead(longest, -1);
        out.WriteFolderBody(true, {-1e308, 1e308, 0, 0xFFFF});
        out.WriteDriveHead("", '/', -5, -9);
        out.WriteFolderBody(true, {});
        out.WriteFile(zero, -1, {});
        out.WriteFile("\xff\xfe/..\\", INT64_MAX, {});
        out.WriteFile(std::string(127, 'x'), 16777216, {});
        out.WriteFile(".", 0, {});
        out.WriteFolderHead("..");
        out.WriteFolderBody(false, {});
        out.WriteEnd();
        out.WriteEnd();
        out.WritePathHead("", "");
        out.WriteFolderBody(true, {});
        out.WriteByte(6); // unknown kinds cost their name only
        out.WriteString(longest);
        out.WriteByte(0);
        out.WriteString("");
        out.WriteEnd();
        out.WritePathHead(longest, std::string(65534, 'p'));
        out.WriteFolderBody(true, {});
        out.WriteEnd();
        out.WriteEnd();
    });
    EXPECT_EQ(Read(odd, TMode::Records), viewer::kLoadOk);
    for (unsigned char version = 0; version < 5; ++version) {
        TBytes other = odd;
        other[0] = version; // the same bytes read by every format version
        const std::int32_t code = Read(other, TMode::Records);
        EXPECT_TRUE(code == viewer::kLoadOk || code == viewer::kLoadUnreadable) << int(version);
    }
    // Nothing at all, an end byte alone, and bytes after the root's end.
    for (const TBytes& b : {TBytes{4}, TBytes{4, 99}, TBytes{4, 1, 0}, [&] {
                                TBytes more = Sound();
                                more.insert(more.end(), {1, 2, 3});
                                return more;
                            }()}) {
        const std::int32_t code = Read(b, TMode::Records);
        EXPECT_TRUE(code == viewer::kLoadOk || code == viewer::kLoadUnreadable);
    }
}

TEST(HostileFiles, TheFuzzingCorpusReadsCleanly) {
    // Inputs kept from fuzzing, by mode: the minimised corpus that reaches every part of the
    // reader, and any input that once found a fault. Each must give a result code.
    for (const auto& [folder, mode] : {std::pair{"raw", TMode::Raw}, std::pair{"records", TMode::Records}}) {
        const std::filesystem::path dir = std::filesystem::path(TX_CORPUS_DIR) / folder;
        if (!std::filesystem::exists(dir)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            if (!entry.is_regular_file() || entry.path().filename().string().front() == '.') continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const TBytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            const std::int32_t code = Read(bytes, mode);
            EXPECT_LE(code, 0) << entry.path();
        }
    }
}
