#include "FuzzReader.h"

#include "model/URecordCodec.h"
#include "viewer/UItem.h"

#include <sys/mman.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>

namespace fuzzreader {

namespace txf = model::txf;
using TBytes = std::vector<unsigned char>;

namespace {

void Put32(unsigned char* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(v >> (8 * i));
}

void Put64(unsigned char* at, std::uint64_t v) {
    Put32(at, static_cast<std::uint32_t>(v));
    Put32(at + 4, static_cast<std::uint32_t>(v >> 32));
}

std::uint32_t Get32(const unsigned char* at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | at[i];
    return v;
}

std::uint64_t Get64(const unsigned char* at) {
    return Get32(at) | static_cast<std::uint64_t>(Get32(at + 4)) << 32;
}

// The format version of a whole header, 0 for none the reader knows (or no whole header).
std::uint32_t VersionOf(const unsigned char* data, std::size_t size) {
    if (size < txf::kHeaderSize) return 0;
    const auto version = static_cast<std::int32_t>(Get32(data + txf::kOffsetFormatVersion));
    return version >= 1 && version <= 5 ? static_cast<std::uint32_t>(version) : 0;
}

std::uint64_t CountOf(const unsigned char* data, std::uint32_t version) {
    return Get64(data + (version == 5 ? txf::kOffsetFileCount : txf::kOffsetFileCountOld));
}

bool Compressed(const unsigned char* data) {
    return Get32(data + txf::kOffsetCompression) == txf::kCompressionZlib;
}

// Deflate states kept for the whole run, one per level: a state made for each input (as
// compress2 makes one) costs more than the reader's whole work on a small input.
class TDeflaters {
public:
    TDeflaters() = default;
    TDeflaters(const TDeflaters&) = delete;
    TDeflaters& operator=(const TDeflaters&) = delete;
    ~TDeflaters() {
        for (auto& s : FStreams)
            if (s) deflateEnd(s.get());
    }

    // Appends the zlib stream of data at level 0..9 to out: the bytes compress2 makes.
    void Compress(const unsigned char* data, std::size_t size, int level, TBytes& out) {
        z_stream& s = Stream(level);
        if (deflateReset(&s) != Z_OK) throw std::runtime_error("zlib");
        const std::size_t at = out.size();
        out.resize(at + deflateBound(&s, static_cast<uLong>(size)));
        s.next_in = const_cast<Bytef*>(data);
        s.avail_in = static_cast<uInt>(size);
        s.next_out = out.data() + at;
        s.avail_out = static_cast<uInt>(out.size() - at);
        if (deflate(&s, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("zlib");
        out.resize(out.size() - s.avail_out);
    }

private:
    z_stream& Stream(int level) {
        auto& s = FStreams[static_cast<std::size_t>(level)];
        if (!s) {
            auto made = std::make_unique<z_stream>();
            if (deflateInit(made.get(), level) != Z_OK) throw std::runtime_error("zlib");
            s = std::move(made);
        }
        return *s;
    }
    std::array<std::unique_ptr<z_stream>, 10> FStreams;
};

TDeflaters& Deflaters() {
    static TDeflaters deflaters;
    return deflaters;
}

// The record stream of a zlib body, when it is one sound stream that inflates to at most limit
// bytes (bytes after its end are dropped, as the reader drops them).
bool Inflate(const unsigned char* data, std::size_t size, std::size_t limit, TBytes& out) {
    static struct TInflater {
        TInflater() {
            if (inflateInit(&s) != Z_OK) throw std::runtime_error("zlib");
        }
        ~TInflater() { inflateEnd(&s); }
        z_stream s{};
    } z;
    if (inflateReset(&z.s) != Z_OK) return false;
    out.resize(std::min<std::size_t>(limit, std::max<std::size_t>(4 * size, 4096)));
    z.s.next_in = const_cast<Bytef*>(data);
    z.s.avail_in = static_cast<uInt>(size);
    z.s.next_out = out.data();
    z.s.avail_out = static_cast<uInt>(out.size());
    for (;;) {
        const int rc = inflate(&z.s, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) break;
        if (rc != Z_OK && rc != Z_BUF_ERROR) return false;
        if (z.s.avail_out > 0) return false; // input used up before the stream's end
        if (out.size() >= limit) return false;
        const std::size_t used = out.size();
        out.resize(std::min(limit, 2 * used));
        z.s.next_out = out.data() + used;
        z.s.avail_out = static_cast<uInt>(out.size() - used);
    }
    out.resize(out.size() - z.s.avail_out);
    return true;
}

// A record stream larger than this is not inflated by the mutator: its compressed bytes are
// mutated instead.
constexpr std::size_t kMaxRecords = 1u << 20;
constexpr std::array<int, 3> kLevels{0, 1, 9}; // stored, fast and the writers' own blocks

// How far one mutation may grow a body or a record stream of size bytes. libFuzzer's own length
// control (inputs that grow only as they earn new coverage) is off for a custom mutator; without
// one the corpus soon fills with inputs of the largest size, each many times slower to read.
constexpr std::size_t kGrowth = 128;
std::size_t Grown(std::size_t size, std::size_t maxSize) {
    return std::min(maxSize, size + kGrowth);
}

// The file in data with body as its new body, when it fits maxSize.
std::size_t ReplaceBody(std::uint8_t* data, std::size_t maxSize, const TBytes& body) {
    if (txf::kHeaderSize + body.size() > maxSize) return 0;
    std::memcpy(data + txf::kHeaderSize, body.data(), body.size());
    return txf::kHeaderSize + body.size();
}

// The memory file the reader opens by name, kept for the whole run.
int MemoryFile() {
    static const int fd = memfd_create("fuzz.txf", MFD_CLOEXEC);
    if (fd < 0) throw std::runtime_error("memfd_create");
    return fd;
}

} // namespace

void FixHeader(std::uint8_t* data, std::size_t size, std::uint64_t fileCount) {
    const std::uint32_t version = VersionOf(data, size);
    if (version == 0) return;
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, data + txf::kHeaderSize, static_cast<uInt>(size - txf::kHeaderSize)));
    std::memset(data + txf::kOffsetCrcOld, 0, txf::kOffsetFileCount + 8 - txf::kOffsetCrcOld);
    Put32(data + (version == 5 ? txf::kOffsetCrc : txf::kOffsetCrcOld), crc);
    Put64(data + (version == 5 ? txf::kOffsetFileCount : txf::kOffsetFileCountOld), fileCount);
}

std::vector<unsigned char> FileOf(const std::uint8_t* data, std::size_t size, TMode mode) {
    if (mode == TMode::Raw) return {data, data + size};
    const std::uint8_t choice = size > 0 ? data[0] : 0;
    const std::uint32_t version = 1 + choice % 5;
    const bool compressed = (choice & 0x80) == 0;
    const unsigned char* body = size > 0 ? data + 1 : data;
    const std::size_t bodySize = size > 0 ? size - 1 : 0;

    TBytes file(txf::kHeaderSize, 0);
    Put32(file.data(), txf::kMagic1);
    Put32(file.data() + 4, txf::kMagic2);
    Put32(file.data() + txf::kOffsetWriterVersion, txf::kWriterViewer);
    Put32(file.data() + txf::kOffsetLayoutMarker, 12850);
    Put32(file.data() + txf::kOffsetCompression, compressed ? txf::kCompressionZlib : 0);
    Put32(file.data() + txf::kOffsetMajorVersion, txf::kMajorVersion);
    Put32(file.data() + txf::kOffsetFormatVersion, version);
    if (compressed)
        Deflaters().Compress(body, bodySize, 1, file);
    else
        file.insert(file.end(), body, body + bodySize);
    FixHeader(file.data(), file.size(), 0);
    return file;
}

std::int32_t ReadInput(const std::uint8_t* data, std::size_t size, TMode mode, std::uint64_t budget) {
    const TBytes bytes = FileOf(data, size, mode);
    // A file in memory that the reader opens by name like any other.
    const int fd = MemoryFile();
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n <= 0) throw std::runtime_error("write");
        done += static_cast<std::size_t>(n);
    }
    // Cut to this input only now, so that the pages the last input filled are not given back first.
    if (ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) throw std::runtime_error("ftruncate");
    viewer::TRootItem root;
    std::int32_t code;
    {
        viewer::TFileRootItem item("/proc/self/fd/" + std::to_string(fd), &root);
        item.SetMemoryBudget(budget);
        code = item.LoadFromFile();
        if (code == viewer::kLoadOk) {
            // What the viewer does with a loaded file: totals over the whole tree, then a save.
            item.ComputeTotals();
            (void)item.GetMarkedFileCount();
            (void)item.GetModified();
            item.SetMarked(true);
            model::TRecordWriter counter;
            item.SaveToStream(counter);
        }
    }
    if (code > 0 || code < viewer::kLoadUnsupportedWriter) std::abort(); // no such result code
    return code;
}

std::size_t MutateFileAs(TMutation how, std::uint8_t* data, std::size_t size, std::size_t maxSize,
                         unsigned seed, TByteMutator mutate) {
    const std::uint32_t versionBefore = VersionOf(data, size);
    if (versionBefore == 0 || maxSize <= txf::kHeaderSize) how = TMutation::Anything;
    if (how == TMutation::Anything) return mutate(data, size, maxSize);
    std::minstd_rand random(seed);
    const std::uint64_t countBefore = CountOf(data, versionBefore);
    const unsigned char* body = data + txf::kHeaderSize;
    const std::size_t bodySize = size - txf::kHeaderSize;
    if (how == TMutation::Records && !Compressed(data)) how = TMutation::StoredBody;

    std::size_t result = 0;
    static TBytes records, packed; // kept: their room serves every later input
    switch (how) {
    case TMutation::Header: {
        // A shorter result leaves the header's last bytes as they were.
        std::array<std::uint8_t, txf::kHeaderSize> header;
        std::memcpy(header.data(), data, header.size());
        const std::size_t n = mutate(header.data(), header.size(), header.size());
        std::memcpy(data, header.data(), std::min(n, header.size()));
        result = size;
        break;
    }
    case TMutation::Records:
        if (!Inflate(body, bodySize, kMaxRecords, records)) break;
        if (records.empty()) records.push_back(static_cast<unsigned char>(random()));
        {
            const std::size_t n = records.size();
            records.resize(std::max(n, Grown(n, maxSize)));
            records.resize(mutate(records.data(), n, records.size()));
        }
        packed.clear();
        Deflaters().Compress(records.data(), records.size(), kLevels[random() % kLevels.size()], packed);
        result = ReplaceBody(data, maxSize, packed);
        break;
    case TMutation::Compression:
        packed.clear();
        if (Compressed(data)) {
            if (!Inflate(body, bodySize, kMaxRecords, packed)) break;
            Put32(data + txf::kOffsetCompression, 0);
        } else {
            Deflaters().Compress(body, bodySize, kLevels[random() % kLevels.size()], packed);
            Put32(data + txf::kOffsetCompression, txf::kCompressionZlib);
        }
        result = ReplaceBody(data, maxSize, packed);
        if (result == 0) Put32(data + txf::kOffsetCompression, Compressed(data) ? 0 : txf::kCompressionZlib);
        break;
    default:
        break;
    }
    if (result == 0) { // StoredBody, or a mutation that could not apply
        std::size_t n = bodySize;
        if (n == 0) data[txf::kHeaderSize + n++] = static_cast<std::uint8_t>(random());
        result = txf::kHeaderSize + mutate(data + txf::kHeaderSize, n, Grown(n, maxSize - txf::kHeaderSize));
    }
    // The count stays as it was unless a header mutation changed it within the same layout.
    const std::uint32_t versionAfter = VersionOf(data, result);
    const bool sameLayout = versionAfter != 0 && (versionAfter == 5) == (versionBefore == 5);
    FixHeader(data, result,
              how == TMutation::Header && sameLayout ? CountOf(data, versionAfter) : countBefore);
    return result;
}

std::size_t MutateFile(std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned seed,
                       TByteMutator mutate) {
    // Out of 16: Anything 1, Header 2, Compression 1, StoredBody 3, Records 9.
    constexpr std::array<TMutation, 16> kPick{
        TMutation::Anything,   TMutation::Header,     TMutation::Header,     TMutation::Compression,
        TMutation::StoredBody, TMutation::StoredBody, TMutation::StoredBody, TMutation::Records,
        TMutation::Records,    TMutation::Records,    TMutation::Records,    TMutation::Records,
        TMutation::Records,    TMutation::Records,    TMutation::Records,    TMutation::Records};
    std::minstd_rand random(seed);
    return MutateFileAs(kPick[random() % kPick.size()], data, size, maxSize, static_cast<unsigned>(random()),
                        mutate);
}

} // namespace fuzzreader
