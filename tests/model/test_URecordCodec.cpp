// The record codec: field encodings byte by byte, the header, the reader on cut and damaged data.
#include "../TestFiles.h"
#include "model/UCRC32.h"
#include "model/URecordCodec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace model;

namespace {
using Bytes = std::vector<unsigned char>;

// The record bytes a writer produced: its zlib stream inflated by zlib itself.
Bytes Inflate(const std::string& z) {
    return txtest::InflateZlib(z);
}

template <typename F> Bytes Encode(F write) {
    TStringSink sink;
    {
        TRecordWriter w(sink);
        write(w);
        w.Finish();
    }
    return Inflate(sink.Data);
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes r;
    for (const Bytes& p : parts)
        r.insert(r.end(), p.begin(), p.end());
    return r;
}
Bytes Str(const std::string& s) {
    return Bytes(s.begin(), s.end());
}
} // namespace

struct SizeCase {
    std::int64_t size;
    Bytes expected; // kind byte, then the size bytes
};

TEST(RecordCodec, FileSizeWidths) {
    const std::vector<SizeCase> cases = {
        {0, {0x24, 0x00}},
        {255, {0x24, 0xFF}},
        {256, {0x44, 0x00, 0x01}},
        {65535, {0x44, 0xFF, 0xFF}},
        {65536, {0x64, 0x00, 0x00, 0x01}},
        {16777215, {0x64, 0xFF, 0xFF, 0xFF}},
        {16777216, {0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00}},
        {-1, {0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const SizeCase& c : cases) {
        const Bytes body = Encode([&](TRecordWriter& w) { w.WriteFileHead("x", c.size); });
        Bytes expected = c.expected;
        expected.insert(expected.begin() + 1, {0x01, 'x'});
        EXPECT_EQ(body, expected) << "size " << c.size;

        TMemorySource src(body.data(), body.size());
        TRecordReader r(src);
        const std::uint8_t kind = r.ReadByte();
        EXPECT_EQ(r.ReadName(5), "x");
        EXPECT_EQ(r.ReadFileSize(kind), c.size);
        EXPECT_TRUE(r.AtEnd());
    }
}

TEST(RecordCodec, StringLengths) {
    struct Case {
        size_t length;
        Bytes prefix;
    };
    for (const Case& c :
         std::vector<Case>{{0, {0}}, {126, {126}}, {127, {127, 127, 0}}, {65535, {127, 0xFF, 0xFF}}}) {
        const std::string s(c.length, 'n');
        const Bytes body = Encode([&](TRecordWriter& w) { w.WriteString(s); });
        EXPECT_EQ(body, Cat({c.prefix, Str(s)})) << "length " << c.length;
        TMemorySource src(body.data(), body.size());
        TRecordReader r(src);
        EXPECT_EQ(r.ReadName(5), s);
    }
}

TEST(RecordCodec, TooLongStringIsRefusedWithoutWriting) {
    TStringSink sink;
    TRecordWriter w(sink);
    w.WriteByte(7);
    EXPECT_THROW(w.WriteString(std::string(65536, 'a')), TRecordError);
    EXPECT_THROW(w.WritePathHead("a", std::string(70000, 'p')), TRecordError);
    EXPECT_THROW(w.WriteFileHead(std::string(65536, 'f'), 1), TRecordError);
    EXPECT_EQ(w.FileRecords(), 0u);
    w.Finish();
    EXPECT_EQ(w.BytesWritten(), 1u);
    EXPECT_THROW(w.WriteByte(8), TRecordError) << "nothing after the end of the stream";
    EXPECT_EQ(Inflate(sink.Data), Bytes{7}) << "a refused record leaves nothing behind";
}

TEST(RecordCodec, CountingWriterChecksAndCounts) {
    TRecordWriter counter;
    counter.WriteFile("a", 5, {});
    counter.WriteFile("b", 1 << 30, {});
    EXPECT_EQ(counter.FileRecords(), 2u);
    EXPECT_THROW(counter.WriteString(std::string(65536, 'a')), TRecordError);
}

TEST(RecordCodec, AttributeByte) {
    struct Case {
        std::uint32_t windows;
        std::uint8_t packed;
    };
    for (const Case& c : std::vector<Case>{{0x20, 0x01},
                                           {0x800, 0x02},
                                           {0x2, 0x04},
                                           {0x80, 0x08},
                                           {0x1000, 0x10},
                                           {0x1, 0x20},
                                           {0x4, 0x40},
                                           {0x100, 0x80},
                                           {0x0, 0x00}}) {
        EXPECT_EQ(AttributesToByte(c.windows), c.packed) << std::hex << c.windows;
        EXPECT_EQ(ByteToAttributes(c.packed), c.windows);
    }
    EXPECT_EQ(AttributesToByte(0x10 | 0x1 | 0x2), 0x24) << "the directory bit is not kept";
    EXPECT_EQ(ByteToAttributes(0xFF), 0x20u | 0x800 | 0x2 | 0x80 | 0x1000 | 0x1 | 0x4 | 0x100);
}

TEST(RecordCodec, FileRecordOfFiveByteArchiveFile) {
    const Bytes body = Encode([](TRecordWriter& w) { w.WriteFile("a.txt", 5, {1.5, 2.25, 3.0, 0x20}); });
    ASSERT_EQ(body.size(), 8u + 24 + 1);
    EXPECT_EQ(Bytes(body.begin(), body.begin() + 8), (Bytes{0x24, 0x05, 'a', '.', 't', 'x', 't', 0x05}));
    // 1.5 as an IEEE double, little-endian.
    EXPECT_EQ(Bytes(body.begin() + 8, body.begin() + 16), (Bytes{0, 0, 0, 0, 0, 0, 0xF8, 0x3F}));
    EXPECT_EQ(body.back(), 0x01);
}

TEST(RecordCodec, PackedDates) {
    EXPECT_DOUBLE_EQ(PackedDateToDateTime(0), 29000.0) << "25 May 1979";
    EXPECT_DOUBLE_EQ(PackedDateToDateTime((1u << 17) | 43200), 29001.5);
    EXPECT_DOUBLE_EQ(PackedDateToDateTime(0x1FFFF), 29000.0 + 131071.0 / 86400.0)
        << "more than one day of seconds";
}

TEST(RecordCodec, PathWithoutSeparator) {
    EXPECT_EQ(PathWithoutSeparator("/home/user/"), "/home/user");
    EXPECT_EQ(PathWithoutSeparator("/"), "/");
    EXPECT_EQ(PathWithoutSeparator("C:\\Data\\"), "C:\\Data");
    EXPECT_EQ(PathWithoutSeparator("/mnt/x"), "/mnt/x");
    EXPECT_EQ(PathWithoutSeparator(""), "");
}

TEST(RecordCodec, HeaderLayout) {
    const THeaderBytes h = MakeHeader(txf::kWriterExplorer);
    const Bytes start = {0xE8, 0x5A, 0x02, 0x00, 0x74, 0x1A, 0x0F, 0x00, 0,    0,    0,    0,
                         0,    0,    0,    0,    0x30, 0x0C, 0x00, 0x00, 0x32, 0x32, 0x00, 0x00,
                         0,    0,    0,    0,    0,    0,    0,    0,    0xB4, 0x11, 0x00, 0x00};
    EXPECT_EQ(Bytes(h.begin(), h.begin() + 36), start);
    EXPECT_EQ(Bytes(h.begin() + 58, h.begin() + 66), (Bytes{3, 0, 0, 0, 5, 0, 0, 0}));
    for (size_t i : {36u, 57u, 66u, 73u, 74u, 85u, 86u, 127u})
        EXPECT_EQ(h[i], 0) << i;

    const THeaderFields f = DecodeHeader(h);
    EXPECT_EQ(f.magic1, txf::kMagic1);
    EXPECT_EQ(f.magic2, txf::kMagic2);
    EXPECT_EQ(f.writerVersion, 3120u);
    EXPECT_EQ(f.layoutMarker, 12850u);
    EXPECT_EQ(f.compression, 4532u);
    EXPECT_EQ(f.majorVersion, 3u);
    EXPECT_EQ(f.formatVersion, 5);
}

TEST(RecordCodec, HeaderCrcAndCountMoveWithTheVersion) {
    THeaderBytes h = MakeHeader(txf::kWriterScanner);
    h[74] = 0x11, h[78] = 0x22; // version 5 places
    h[66] = 0x33, h[70] = 0x44; // versions 1-4 places
    EXPECT_EQ(DecodeHeader(h).crc, 0x11u);
    EXPECT_EQ(DecodeHeader(h).fileCount, 0x22u);
    h[62] = 4;
    EXPECT_EQ(DecodeHeader(h).crc, 0x33u);
    EXPECT_EQ(DecodeHeader(h).fileCount, 0x44u + (0x11ull << 32)) << "the old count's high half lies at 74";
    h[62] = 0xFF, h[63] = 0xFF, h[64] = 0xFF, h[65] = 0xFF;
    EXPECT_EQ(DecodeHeader(h).formatVersion, -1);
}

TEST(RecordReader, TruncatedDataRaisesAtEveryCut) {
    const Bytes body = Encode([](TRecordWriter& w) {
        w.WriteRootHead("Root", 1);
        w.WriteFolderBody(true, {1, 2, 3, 0});
        w.WriteFile(std::string(300, 'f'), 70000, {4, 5, 6, 0x20});
        w.WriteEnd();
    });
    for (size_t cut = 0; cut < body.size(); ++cut) {
        TMemorySource src(body.data(), cut);
        TRecordReader r(src);
        EXPECT_THROW(
            {
                r.ReadByte();
                r.ReadName(5);
                r.ReadInt64();
                r.ReadByte();
                r.ReadTail(1, 5);
                const std::uint8_t kind = r.ReadByte();
                r.ReadName(5);
                r.ReadFileSize(kind);
                r.ReadTail(kind, 5);
                r.ReadByte();
            },
            TRecordTruncated)
            << "cut at " << cut;
    }
}

TEST(RecordReader, HostileLengthReadsNothingPastTheEnd) {
    const Bytes data = {127, 0xFF, 0xFF, 'a', 'b'};
    TMemorySource src(data.data(), data.size());
    TRecordReader r(src);
    EXPECT_THROW(r.ReadName(5), TRecordTruncated);
}

TEST(RecordReader, OldNamesHaveWordLengths) {
    const Bytes data = {3, 0, 'a', 'b', 'c', 0x7F, 'x'};
    TMemorySource src(data.data(), data.size());
    TRecordReader r(src);
    EXPECT_EQ(r.ReadName(1), "abc");
    EXPECT_THROW(r.ReadName(2), TRecordTruncated);
}

TEST(InflateSource, DamagedAndCutStreams) {
    TStringSink sink;
    {
        TRecordWriter w(sink);
        for (int i = 0; i < 2000; ++i)
            w.WriteFile("file" + std::to_string(i), i * 977, {double(i), 0, 0, 0});
        w.Finish();
    }
    const std::string& z = sink.Data;
    auto readAll = [](const std::string& bytes) {
        TMemorySource raw(bytes.data(), bytes.size());
        TInflateSource inflated(raw);
        TRecordReader r(inflated);
        size_t n = 0;
        while (!r.AtEnd()) {
            r.ReadByte();
            ++n;
        }
        return n;
    };
    const size_t full = readAll(z);
    EXPECT_GT(full, 2000u * 30);

    std::string damaged = z;
    damaged[damaged.size() / 2] = static_cast<char>(damaged[damaged.size() / 2] ^ 0x55);
    damaged[2] = static_cast<char>(damaged[2] ^ 0xFF);
    EXPECT_THROW(readAll(damaged), TRecordError);

    EXPECT_THROW(readAll(z.substr(0, z.size() / 2)), TRecordTruncated);
    EXPECT_THROW(readAll(z.substr(0, z.size() - 1)), TRecordTruncated) << "a stream without its checksum";
    EXPECT_EQ(readAll(z + "trailing"), full) << "bytes after the stream are not records";
}

TEST(ExplorationFileWriter, WritesTheOtherProgramsFilesAndDiscardsUnfinishedOnes) {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "txwriter.XXXXXX").string();
    const fs::path dir = ::mkdtemp(pattern.data());
    const std::string name = (dir / "scan.txf").string();
    {
        TExplorationFileWriter file(name, txf::kWriterScanner);
        file.Records().WriteRootHead("Root", 100000);
        file.Records().WriteFolderBody(true, {});
        file.Records().WriteFile("a", 1, {});
        file.Records().WriteFile("b", 2, {});
        file.Records().WriteEnd();
        file.Commit();
    }
    std::ifstream in(name, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 128u);
    THeaderBytes h;
    std::memcpy(h.data(), bytes.data(), 128);
    const THeaderFields f = DecodeHeader(h);
    EXPECT_EQ(f.writerVersion, 3150u);
    EXPECT_EQ(f.fileCount, 2u) << "the file records written, whatever the root record says";
    EXPECT_EQ(f.crc, ~CRC32Update(0xFFFFFFFFu, bytes.data() + 128, bytes.size() - 128));
    EXPECT_EQ(Inflate(bytes.substr(128)).size(), 6u + 8 + 26 + 2 * (3 + 1 + 25) + 1);
    {
        TExplorationFileWriter file((dir / "gone.txf").string(), txf::kWriterViewer);
        file.Records().WriteRootHead("All Files", 0);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1) << "an uncommitted file leaves nothing";
    fs::remove_all(dir);
}
