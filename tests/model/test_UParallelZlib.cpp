// The block compressor: one valid zlib stream whatever the sizes, the same bytes for every number
// of threads and every way the data is handed in, errors of the sink and of the data raised, no
// thread left behind; the inflater that runs ahead of its reader.
#include "../TestFiles.h"
#include "model/UParallelZlib.h"
#include "model/URecordCodec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using namespace model;
using zblock::kBlockSize;

namespace {
using Bytes = std::vector<unsigned char>;

// Record-like text: repeats at every distance, so that the dictionaries matter.
Bytes Records(std::size_t size, unsigned seed = 1) {
    std::mt19937 rng(seed);
    Bytes b;
    b.reserve(size + 64);
    while (b.size() < size) {
        const std::string name = "file_" + std::to_string(rng() % 5000) + (rng() % 3 ? ".txt" : ".jpg");
        b.push_back(0x24);
        b.push_back(static_cast<unsigned char>(name.size()));
        b.insert(b.end(), name.begin(), name.end());
        for (int i = 0; i < 25; ++i)
            b.push_back(static_cast<unsigned char>(i < 8 ? rng() % 4 : i));
    }
    b.resize(size);
    return b;
}

Bytes Noise(std::size_t size) {
    std::mt19937 rng(7);
    Bytes b(size);
    for (unsigned char& c : b)
        c = static_cast<unsigned char>(rng());
    return b;
}

class TBytesSink : public TByteSink {
public:
    void Write(const void* buffer, std::size_t count) override {
        const auto* p = static_cast<const unsigned char*>(buffer);
        Data.insert(Data.end(), p, p + count);
    }
    Bytes Data;
};

Bytes Deflate(const Bytes& data, unsigned threads, std::size_t piece = 0, int level = 9) {
    TBytesSink sink;
    TParallelDeflate z(sink, level, threads);
    if (piece == 0) piece = data.size() ? data.size() : 1;
    for (std::size_t i = 0; i < data.size(); i += piece)
        z.Write(data.data() + i, std::min(piece, data.size() - i));
    z.Finish();
    return sink.Data;
}

// zlib's own inflate: the whole stream, one stream, nothing after it, its Adler-32 checked.
Bytes Inflate(const Bytes& z) {
    return txtest::InflateZlib({reinterpret_cast<const char*>(z.data()), z.size()});
}

Bytes OneShot(const Bytes& data, int level = 9) {
    uLongf n = compressBound(static_cast<uLong>(data.size()));
    Bytes out(n);
    EXPECT_EQ(compress2(out.data(), &n, data.data(), static_cast<uLong>(data.size()), level), Z_OK);
    out.resize(n);
    return out;
}
} // namespace

TEST(ParallelDeflate, OneValidStreamWithTheSameBytesForEveryThreadCount) {
    struct Case {
        const char* what;
        Bytes data;
    };
    const std::vector<Case> cases = {
        {"empty", {}},
        {"one byte", {42}},
        {"a block less one", Records(kBlockSize - 1)},
        {"one block", Records(kBlockSize)},
        {"a block and one byte", Records(kBlockSize + 1)},
        {"three blocks", Records(3 * kBlockSize)},
        {"many blocks and a piece", Records(37 * kBlockSize + 12345, 3)},
        {"noise", Noise(5 * kBlockSize + 77)},
        {"zeros", Bytes(9 * kBlockSize + 5, 0)},
    };
    for (const Case& c : cases) {
        const Bytes one = Deflate(c.data, 1);
        ASSERT_GE(one.size(), 6u) << c.what;
        EXPECT_EQ(one[0], 0x78) << c.what;
        EXPECT_EQ(one[1], 0xDA) << c.what << ": the header deflateInit writes at level 9";
        EXPECT_EQ(Inflate(one), c.data) << c.what;
        const uLong adler = adler32(1L, c.data.data(), static_cast<uInt>(c.data.size()));
        const Bytes trailer(one.end() - 4, one.end());
        EXPECT_EQ(trailer,
                  (Bytes{static_cast<unsigned char>(adler >> 24), static_cast<unsigned char>(adler >> 16),
                         static_cast<unsigned char>(adler >> 8), static_cast<unsigned char>(adler)}))
            << c.what;
        for (unsigned threads : {2u, 3u, 8u})
            EXPECT_EQ(Deflate(c.data, threads), one) << c.what << " on " << threads << " threads";
        if (c.data.size() <= kBlockSize) {
            EXPECT_EQ(one, OneShot(c.data)) << c.what << ": one block is a one-shot deflate";
        }
    }
}

TEST(ParallelDeflate, BytesDoNotDependOnHowTheDataIsHandedIn) {
    const Bytes data = Records(4 * kBlockSize + 999, 5);
    const Bytes whole = Deflate(data, 4);
    for (std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{65536}, kBlockSize, kBlockSize + 3})
        EXPECT_EQ(Deflate(data, piece == 1 ? 1 : 8, piece), whole) << "pieces of " << piece;
}

TEST(ParallelDeflate, BlocksCompressAboutAsWellAsOneStream) {
    const Bytes data = Records(40 * kBlockSize, 9);
    const double ratio =
        static_cast<double>(Deflate(data, 8).size()) / static_cast<double>(OneShot(data).size());
    EXPECT_LT(ratio, 1.03) << "the dictionaries carry the matches across the blocks";
}

TEST(ParallelDeflate, HeaderOfEveryLevelIsZlibs) {
    const Bytes data = Records(1000);
    for (int level : {0, 1, 2, 5, 6, 7, 9, Z_DEFAULT_COMPRESSION}) {
        const Bytes ours = Deflate(data, 2, 0, level);
        const Bytes zlibs = OneShot(data, level);
        EXPECT_EQ(ZlibHeader(level), (zlibs[0] << 8) | zlibs[1]) << level;
        EXPECT_EQ(ours, zlibs) << level;
        EXPECT_EQ(Inflate(Deflate(Records(3 * kBlockSize), 3, 0, level)), Records(3 * kBlockSize)) << level;
    }
    TBytesSink sink;
    EXPECT_THROW(TParallelDeflate(sink, 10), std::runtime_error);
}

TEST(ParallelDeflate, LittleDataStartsNoThread) {
    TBytesSink sink;
    TParallelDeflate one(sink, 9, 8);
    const Bytes data = Records(kBlockSize);
    one.Write(data.data(), data.size());
    one.Finish();
    EXPECT_EQ(one.WorkersStarted(), 0u);

    TBytesSink sink2;
    TParallelDeflate many(sink2, 9, 3);
    const Bytes more = Records(30 * kBlockSize);
    many.Write(more.data(), more.size());
    many.Finish();
    EXPECT_GE(many.WorkersStarted(), 1u);
    EXPECT_LE(many.WorkersStarted(), 3u);

    TBytesSink sink3;
    TParallelDeflate alone(sink3, 9, 1);
    alone.Write(more.data(), more.size());
    alone.Finish();
    EXPECT_EQ(alone.WorkersStarted(), 0u) << "one thread is the calling thread";
    EXPECT_EQ(sink3.Data, sink2.Data);
}

namespace {
// Takes limit bytes, then fails like a full disk.
class TFullSink : public TByteSink {
public:
    explicit TFullSink(std::size_t limit) : FLimit(limit) {}
    void Write(const void*, std::size_t count) override {
        if (Taken + count > FLimit) throw std::runtime_error("disk full");
        Taken += count;
    }
    std::size_t Taken = 0;

private:
    std::size_t FLimit;
};
} // namespace

TEST(ParallelDeflate, SinkErrorsAreRaisedAndTheWorkersEnd) {
    const Bytes data = Records(64 * kBlockSize, 11);
    for (unsigned threads : {1u, 8u}) {
        for (std::size_t limit : {std::size_t{0}, std::size_t{1000}, std::size_t{200000}}) {
            TFullSink sink(limit);
            TParallelDeflate z(sink, 9, threads);
            EXPECT_THROW(
                {
                    for (std::size_t i = 0; i < data.size(); i += 5000)
                        z.Write(data.data() + i, std::min<std::size_t>(5000, data.size() - i));
                    z.Finish();
                },
                std::runtime_error)
                << threads << " threads, " << limit << " bytes";
            const std::size_t taken = sink.Taken;
            EXPECT_THROW(z.Write(data.data(), 1), std::runtime_error) << "a failed stream stays failed";
            EXPECT_THROW(z.Finish(), std::runtime_error);
            EXPECT_EQ(sink.Taken, taken);
        }
    }
}

namespace {
class TCountingSink : public TByteSink {
public:
    void Write(const void*, std::size_t) override { ++Writes; }
    std::size_t Writes = 0;
};
} // namespace

TEST(ParallelDeflate, BlocksLeaveWhileTheDataComesAndADroppedStreamWritesNothingMore) {
    const std::size_t blocks = 40;
    const Bytes data = Records(blocks * kBlockSize + 1, 13);
    TCountingSink sink;
    std::size_t writes;
    {
        TParallelDeflate z(sink, 9, 8);
        z.Write(data.data(), data.size());
        writes = sink.Writes;
        // One write for the header and one per block; at most two blocks per worker are held.
        EXPECT_GE(writes, 1 + blocks - 2 * 8);
    } // stops and joins its workers here
    EXPECT_EQ(sink.Writes, writes);
}

TEST(ParallelDeflate, NothingAfterFinish) {
    TBytesSink sink;
    TParallelDeflate z(sink, 9, 2);
    z.Write("abc", 3);
    z.Finish();
    EXPECT_THROW(z.Write("d", 1), std::runtime_error);
    EXPECT_EQ(Inflate(sink.Data), (Bytes{'a', 'b', 'c'}));
}

TEST(ParallelDeflate, RecordWriterGivesTheSameFileOnOneThreadAndEight) {
    auto write = [](unsigned threads) {
        TStringSink sink;
        TRecordWriter w(sink, txf::kCompressionLevel, threads);
        w.WriteRootHead("Root", 100000);
        w.WriteFolderBody(true, {45000, 45000, 45000, 0});
        for (int i = 0; i < 60000; ++i)
            w.WriteFile("file_" + std::to_string(i % 977) + ".txt", i * 7919,
                        {38000.0 + i, 0, 44000.5, 0x20});
        w.WriteEnd();
        w.Finish();
        return sink.Data;
    };
    const std::string one = write(1);
    EXPECT_GT(one.size(), 2 * kBlockSize / 8);
    EXPECT_EQ(write(8), one);
    EXPECT_EQ(write(0), one);
}

// ---- the inflater ahead ----

namespace {
// Reads to the end into out (what was given stays there when a read raises).
void ReadInto(TByteSource& src, std::size_t piece, std::string& out) {
    std::string buffer(piece, '\0');
    for (std::size_t n; (n = src.Read(buffer.data(), piece)) > 0;)
        out.append(buffer.data(), n);
}
std::string ReadAll(TByteSource& src, std::size_t piece) {
    std::string out;
    ReadInto(src, piece, out);
    return out;
}
} // namespace

TEST(InflateAhead, GivesWhatTheInflaterGives) {
    for (std::size_t size : {std::size_t{0}, std::size_t{5}, TInflateAheadSource::kChunkSize,
                             TInflateAheadSource::kChunkSize * 9 + 17}) {
        const Bytes data = Records(size, 17);
        const Bytes z = Deflate(data, 4);
        for (std::size_t piece : {std::size_t{1}, std::size_t{4096}, std::size_t{1 << 20}}) {
            if (piece == 1 && size > 100000) continue;
            Bytes withTail = z;
            withTail.insert(withTail.end(), {'t', 'a', 'i', 'l'});
            TMemorySource raw(withTail.data(), withTail.size());
            TInflateAheadSource ahead(raw);
            const std::string got = ReadAll(ahead, piece);
            EXPECT_EQ(Bytes(got.begin(), got.end()), data) << size << " read by " << piece;
            char c;
            EXPECT_EQ(ahead.Read(&c, 1), 0u) << "the end stays the end";
        }
    }
}

TEST(InflateAhead, AStreamOfOneChunkStartsNoWorker) {
    // The first chunk is inflated by the reader's own thread; only more starts the worker.
    for (std::size_t size : {std::size_t{0}, std::size_t{5}, TInflateAheadSource::kChunkSize - 1,
                             TInflateAheadSource::kChunkSize + 1, 3 * TInflateAheadSource::kChunkSize}) {
        const Bytes data = Records(size, 29);
        const Bytes z = Deflate(data, 4);
        TMemorySource raw(z.data(), z.size());
        TInflateAheadSource ahead(raw);
        const std::string got = ReadAll(ahead, 65536);
        EXPECT_EQ(Bytes(got.begin(), got.end()), data) << size;
        EXPECT_EQ(ahead.WorkerStarted(), size > TInflateAheadSource::kChunkSize) << size;
    }
}

TEST(InflateAhead, DamagedAndCutStreamsRaiseAfterTheGoodBytes) {
    // Faults within the first chunk (met on the reader's thread) and beyond it (met by the worker).
    for (std::size_t size : {TInflateAheadSource::kChunkSize / 2, 3 * TInflateAheadSource::kChunkSize}) {
        const Bytes data = Records(size, 19);
        const Bytes z = Deflate(data, 4);
        Bytes damaged = z;
        damaged[z.size() * 3 / 4] ^= 0x5A;
        damaged[z.size() * 3 / 4 + 1] ^= 0xA5;
        const Bytes cut(z.begin(), z.begin() + static_cast<long>(z.size() / 2));
        const Bytes noTrailer(z.begin(), z.end() - 1);
        struct Case {
            const char* what;
            const Bytes* stored;
            bool truncated;
        };
        for (const Case& c : {Case{"damaged", &damaged, false}, Case{"cut", &cut, true},
                              Case{"without its checksum", &noTrailer, true}}) {
            std::string plainGot, aheadGot;
            {
                TMemorySource raw(c.stored->data(), c.stored->size());
                TInflateSource plain(raw);
                EXPECT_THROW(ReadInto(plain, 65536, plainGot), TRecordError) << c.what;
            }
            TMemorySource raw(c.stored->data(), c.stored->size());
            TInflateAheadSource ahead(raw);
            if (c.truncated)
                EXPECT_THROW(ReadInto(ahead, 65536, aheadGot), TRecordTruncated) << c.what;
            else
                EXPECT_THROW(ReadInto(ahead, 65536, aheadGot), TRecordError) << c.what;
            // A stream cut short gives every byte that its data holds before the cut is raised.
            if (c.truncated) {
                EXPECT_EQ(aheadGot, plainGot) << c.what;
                ASSERT_LE(aheadGot.size(), data.size()) << c.what;
                EXPECT_TRUE(std::equal(aheadGot.begin(), aheadGot.end(), data.begin())) << c.what;
            }
            char ch;
            EXPECT_THROW(ahead.Read(&ch, 1), TRecordError) << c.what << ": raised again";
        }
    }
}

TEST(InflateAhead, DroppedUnreadEndsItsWorker) {
    const Bytes data = Records(40 * TInflateAheadSource::kChunkSize, 23);
    const Bytes z = Deflate(data, 8);
    TMemorySource raw(z.data(), z.size());
    {
        TInflateAheadSource ahead(raw);
        std::vector<char> c(TInflateAheadSource::kChunkSize + 100);
        EXPECT_EQ(ahead.Read(c.data(), c.size()), c.size());
        EXPECT_TRUE(ahead.WorkerStarted());
    } // stops and joins its worker with most of the stream still to inflate
    SUCCEED();
}
