// Hostile exploration files through the reader, as the fuzz target reads them: bombs, deep and
// unfinished chains, every header byte damaged, every length of a cut file, odd names, and the
// fuzzer's findings kept under corpus/. Each must give a result code and nothing else (under the
// sanitizer build: no memory error, no undefined behaviour, no leak). Also the raw target's
// mutator, whose files must get past the checksum.
#include "FuzzReader.h"

#include "model/URecordCodec.h"
#include "viewer/UItem.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <cstring>
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

namespace {

std::uint32_t Get32(const TBytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16) | std::uint32_t{b[at + 3]}
                                                                                      << 24;
}
std::uint64_t Get64(const TBytes& b, std::size_t at) {
    return Get32(b, at) | std::uint64_t{Get32(b, at + 4)} << 32;
}

// Byte mutators in the place of libFuzzer's: one changes a byte in the middle, one adds a byte.
std::size_t ChangeMiddle(std::uint8_t* data, std::size_t size, std::size_t) {
    if (size > 0) data[size / 2] ^= 0x41;
    return size;
}
std::size_t Append(std::uint8_t* data, std::size_t size, std::size_t maxSize) {
    if (size < maxSize) data[size++] = 99;
    return size;
}

// The sound records as a whole file of the given format version, zlib or raw. They are records of
// version 5, which versions 3 and 4 read alike; versions 1 and 2 read them as other records.
TBytes SoundFile(unsigned version, bool compressed) {
    TBytes records = Sound();
    // The first byte's value modulo 5 picks the version, its top bit a raw body.
    records[0] = static_cast<unsigned char>(compressed ? version - 1 : 0x80 + (version + 1) % 5);
    TBytes file = fuzzreader::FileOf(records.data(), records.size(), TMode::Records);
    fuzzreader::FixHeader(file.data(), file.size(), 2); // its two files
    return file;
}

} // namespace

TEST(FuzzMutator, FixHeaderPutsCrcAndCountWhereTheVersionReadsThem) {
    for (unsigned version = 1; version <= 5; ++version)
        for (bool compressed : {true, false}) {
            TBytes file = SoundFile(version, compressed);
            ASSERT_EQ(Get32(file, txf::kOffsetFormatVersion), version);
            ASSERT_EQ(Get32(file, txf::kOffsetCompression) == txf::kCompressionZlib, compressed);
            if (version >= 3) {
                ASSERT_EQ(Read(file, TMode::Raw), viewer::kLoadOk) << version << compressed;
            }
            file.back() ^= 0x10;
            ASSERT_EQ(Read(file, TMode::Raw), viewer::kLoadBadCrc) << version << compressed;
            fuzzreader::FixHeader(file.data(), file.size(), 12345);
            EXPECT_NE(Read(file, TMode::Raw), viewer::kLoadBadCrc) << version << compressed;
            EXPECT_EQ(Get64(file, version == 5 ? txf::kOffsetFileCount : txf::kOffsetFileCountOld), 12345u);
        }
    // A version-5 file turned into version 4: its old CRC at 74 must not stay in the new count.
    TBytes file = SoundFile(5, true);
    file[txf::kOffsetFormatVersion] = 4;
    fuzzreader::FixHeader(file.data(), file.size(), 2);
    EXPECT_EQ(Get64(file, txf::kOffsetFileCountOld), 2u);
    EXPECT_EQ(Read(file, TMode::Raw), viewer::kLoadOk);
    // No whole header, or a version the reader refuses: nothing to fix, nothing written.
    for (std::size_t size : {std::size_t{0}, std::size_t{70}, std::size_t{127}}) {
        TBytes cut(file.begin(), file.begin() + static_cast<long>(size));
        const TBytes before = cut;
        fuzzreader::FixHeader(cut.data(), cut.size(), 1);
        EXPECT_EQ(cut, before) << size;
    }
    file[txf::kOffsetFormatVersion] = 6;
    const TBytes before = file;
    fuzzreader::FixHeader(file.data(), file.size(), 1);
    EXPECT_EQ(file, before);
}

TEST(FuzzMutator, MutatedFilesGetPastTheChecksum) {
    using fuzzreader::TMutation;
    // The records wrapper keeps no state between inputs: the same input, the same file.
    const TBytes records = Sound();
    const TBytes first = fuzzreader::FileOf(records.data(), records.size(), TMode::Records);
    (void)SoundFile(3, true);
    EXPECT_EQ(fuzzreader::FileOf(records.data(), records.size(), TMode::Records), first);

    struct TCase {
        TMutation how;
        fuzzreader::TByteMutator mutate;
    };
    for (const TCase& c : {TCase{TMutation::Header, ChangeMiddle}, TCase{TMutation::StoredBody, ChangeMiddle},
                           TCase{TMutation::StoredBody, Append}, TCase{TMutation::Records, ChangeMiddle},
                           TCase{TMutation::Records, Append}, TCase{TMutation::Compression, ChangeMiddle}})
        for (unsigned version : {1u, 4u, 5u})
            for (bool compressed : {true, false})
                for (unsigned seed = 0; seed < 4; ++seed) {
                    const TBytes sound = SoundFile(version, compressed);
                    TBytes file = sound;
                    file.resize(sound.size() + 4096);
                    file.resize(fuzzreader::MutateFileAs(c.how, file.data(), sound.size(), file.size(), seed,
                                                         c.mutate));
                    const std::string what = std::to_string(static_cast<int>(c.how)) + " v" +
                                             std::to_string(version) + (compressed ? " zlib" : " raw") +
                                             " seed " + std::to_string(seed);
                    EXPECT_NE(file, sound) << what;
                    EXPECT_NE(Read(file, TMode::Raw), viewer::kLoadBadCrc) << what;
                    // The count the sound file had stays, in the place of its version.
                    if (c.how != TMutation::Header) {
                        const std::size_t at =
                            version == 5 ? txf::kOffsetFileCount : txf::kOffsetFileCountOld;
                        EXPECT_EQ(Get64(file, at), 2u) << what;
                    }
                    // Records end one byte longer and still decode (the end byte 99 closes nothing),
                    // and a body of the other kind holds the same records.
                    if (version >= 3 && ((c.how == TMutation::Records && c.mutate == Append && compressed) ||
                                         c.how == TMutation::Compression)) {
                        EXPECT_EQ(Read(file, TMode::Raw), viewer::kLoadOk) << what;
                        EXPECT_EQ(Get32(file, txf::kOffsetCompression) == txf::kCompressionZlib,
                                  compressed == (c.how != TMutation::Compression))
                            << what;
                    }
                }
    // A file too short for its header, or too long to grow, is mutated as it stands.
    TBytes shortFile(40, 7);
    EXPECT_EQ(fuzzreader::MutateFileAs(TMutation::Records, shortFile.data(), 40, 40, 0, ChangeMiddle), 40u);
    EXPECT_NE(shortFile, TBytes(40, 7));
}
