#include "model/URecordCodec.h"

#include "model/UCRCFileStream.h"
#include "model/UParallelZlib.h"
#include "platform/PSafeFile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <zlib.h>

namespace model {

// ---- field encodings ----

std::uint8_t SizeWidthFlag(std::int64_t size) {
    if (size < 0 || size > 16777215) return 0;
    if (size <= 255) return txf::kWidthByte;
    if (size <= 65535) return txf::kWidthWord;
    return txf::kWidth3;
}

namespace {
// Bit i of the attribute byte and the Windows attribute it stands for. Stored in files: never reorder.
constexpr std::uint32_t kAttributeBits[8] = {0x20, 0x800, 0x2, 0x80, 0x1000, 0x1, 0x4, 0x100};

void PutLE(unsigned char* p, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}
std::uint64_t GetLE(const unsigned char* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return v;
}
std::uint64_t DoubleBits(double d) {
    std::uint64_t v;
    std::memcpy(&v, &d, 8);
    return v;
}
} // namespace

std::uint8_t AttributesToByte(std::uint32_t attributes) {
    std::uint8_t b = 0;
    for (int i = 0; i < 8; ++i)
        if (attributes & kAttributeBits[i]) b |= static_cast<std::uint8_t>(1u << i);
    return b;
}

std::uint32_t ByteToAttributes(std::uint8_t packed) {
    std::uint32_t a = 0;
    for (int i = 0; i < 8; ++i)
        if (packed & (1u << i)) a |= kAttributeBits[i];
    return a;
}

TDateTime PackedDateToDateTime(std::uint32_t value) {
    return static_cast<double>((value >> 17) + 29000) + static_cast<double>(value & 0x1FFFF) / 86400.0;
}

std::string PathWithoutSeparator(std::string_view path) {
    if (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.remove_suffix(1);
    return std::string(path);
}

// ---- header ----

THeaderBytes MakeHeader(std::uint32_t writerVersion) {
    THeaderBytes h{};
    PutLE(&h[0], txf::kMagic1, 4);
    PutLE(&h[4], txf::kMagic2, 4);
    PutLE(&h[txf::kOffsetWriterVersion], writerVersion, 4);
    PutLE(&h[txf::kOffsetLayoutMarker], txf::kLayoutStandard, 4);
    PutLE(&h[txf::kOffsetCompression], txf::kCompressionZlib, 4);
    PutLE(&h[txf::kOffsetMajorVersion], txf::kMajorVersion, 4);
    PutLE(&h[txf::kOffsetFormatVersion], txf::kFormatVersion, 4);
    return h;
}

THeaderFields DecodeHeader(const THeaderBytes& h) {
    THeaderFields f;
    f.magic1 = static_cast<std::uint32_t>(GetLE(&h[0], 4));
    f.magic2 = static_cast<std::uint32_t>(GetLE(&h[4], 4));
    f.writerVersion = static_cast<std::uint32_t>(GetLE(&h[txf::kOffsetWriterVersion], 4));
    f.layoutMarker = static_cast<std::uint32_t>(GetLE(&h[txf::kOffsetLayoutMarker], 4));
    f.compression = static_cast<std::uint32_t>(GetLE(&h[txf::kOffsetCompression], 4));
    f.majorVersion = static_cast<std::uint32_t>(GetLE(&h[txf::kOffsetMajorVersion], 4));
    f.formatVersion =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(GetLE(&h[txf::kOffsetFormatVersion], 4)));
    const bool standard = f.formatVersion >= 5;
    f.crc = static_cast<std::uint32_t>(GetLE(&h[standard ? txf::kOffsetCrc : txf::kOffsetCrcOld], 4));
    f.fileCount = GetLE(&h[standard ? txf::kOffsetFileCount : txf::kOffsetFileCountOld], 8);
    return f;
}

// ---- writer ----

TRecordWriter::TRecordWriter(TByteSink& out, int level, unsigned threads)
    : FSink(&out), FDeflate(std::make_unique<TParallelDeflate>(out, level, threads)),
      FIn(new unsigned char[kBufferSize]) {}

TRecordWriter::TRecordWriter() = default;

TRecordWriter::~TRecordWriter() = default; // the compressor joins its workers

void TRecordWriter::PutSlow(const void* data, std::size_t count) {
    if (FFinished) throw TRecordError("record written after the end of the body");
    auto* p = static_cast<const unsigned char*>(data);
    while (count > 0) {
        if (FInUsed == kBufferSize) Deflate();
        const std::size_t n = std::min(count, kBufferSize - FInUsed);
        std::memcpy(FIn.get() + FInUsed, p, n);
        FInUsed += n;
        p += n;
        count -= n;
    }
}

void TRecordWriter::Deflate() {
    FDeflate->Write(FIn.get(), FInUsed);
    FBytes += FInUsed;
    FInUsed = 0;
}

void TRecordWriter::Finish() {
    if (!FSink || FFinished) return;
    Deflate();
    FDeflate->Finish();
    FFinished = true;
    FInUsed = kBufferSize; // a later write takes the slow path, which refuses it
}

void TRecordWriter::WriteByte(std::uint8_t value) {
    Put(&value, 1);
}

void TRecordWriter::WriteWord(std::uint16_t value) {
    unsigned char b[2];
    PutLE(b, value, 2);
    Put(b, 2);
}

void TRecordWriter::WriteDword(std::uint32_t value) {
    unsigned char b[4];
    PutLE(b, value, 4);
    Put(b, 4);
}

void TRecordWriter::WriteInt64(std::int64_t value) {
    unsigned char b[8];
    PutLE(b, static_cast<std::uint64_t>(value), 8);
    Put(b, 8);
}

void TRecordWriter::WriteDouble(double value) {
    unsigned char b[8];
    PutLE(b, DoubleBits(value), 8);
    Put(b, 8);
}

void TRecordWriter::WriteBytes(const void* data, std::size_t count) {
    Put(data, count);
}

void TRecordWriter::CheckString(std::string_view s) {
    if (s.size() > txf::kMaxString)
        throw TRecordError("a name of " + std::to_string(s.size()) +
                           " bytes is longer than a file can store");
}

void TRecordWriter::WriteString(std::string_view s) {
    CheckString(s);
    if (s.size() < 127) {
        WriteByte(static_cast<std::uint8_t>(s.size()));
    } else {
        WriteByte(127);
        WriteWord(static_cast<std::uint16_t>(s.size()));
    }
    Put(s.data(), s.size());
}

void TRecordWriter::WriteRootHead(std::string_view name, std::int64_t fileCount) {
    WriteByte(txf::kKindRoot);
    WriteString(name);
    WriteInt64(fileCount);
}

void TRecordWriter::WriteDriveHead(std::string_view name, char letter, std::int64_t freeBytes,
                                   std::int64_t totalBytes) {
    WriteByte(txf::kKindDrive);
    WriteString(name);
    WriteByte(static_cast<std::uint8_t>(letter));
    WriteInt64(freeBytes);
    WriteInt64(totalBytes);
}

void TRecordWriter::WriteFolderHead(std::string_view name) {
    WriteByte(txf::kKindFolder);
    WriteString(name);
}

void TRecordWriter::WritePathHead(std::string_view name, std::string_view path) {
    // Both strings are checked before the kind byte, so that a refused record leaves no half.
    CheckString(name);
    CheckString(path);
    WriteByte(txf::kKindPath);
    WriteString(name);
    WriteString(path);
}

void TRecordWriter::WriteFileHead(std::string_view name, std::int64_t size) {
    CheckString(name);
    const std::uint8_t width = SizeWidthFlag(size);
    WriteByte(static_cast<std::uint8_t>(txf::kKindFile | width));
    WriteString(name);
    unsigned char b[8];
    const auto v = static_cast<std::uint64_t>(size);
    PutLE(b, v, 8);
    switch (width) {
    case txf::kWidthByte:
        Put(b, 1);
        break;
    case txf::kWidthWord:
        Put(b, 2);
        break;
    case txf::kWidth3:
        Put(b, 3);
        break; // word of the low 16 bits, then bits 16..23: the LE bytes
    default:
        Put(b, 8);
        break;
    }
    ++FFileRecords;
}

void TRecordWriter::WriteTail(const TItemTail& tail) {
    unsigned char b[25];
    PutLE(b, DoubleBits(tail.created), 8);
    PutLE(b + 8, DoubleBits(tail.accessed), 8);
    PutLE(b + 16, DoubleBits(tail.modified), 8);
    b[24] = AttributesToByte(tail.attributes);
    Put(b, 25);
}

void TRecordWriter::WriteFile(std::string_view name, std::int64_t size, const TItemTail& tail) {
    WriteFileHead(name, size);
    WriteTail(tail);
}

void TRecordWriter::WriteFolderBody(bool explored, const TItemTail& tail) {
    WriteByte(explored ? 1 : 0);
    WriteTail(tail);
}

// ---- reader ----

TRecordReader::TRecordReader(TByteSource& in) : FIn(&in), FBuffer(new unsigned char[kBufferSize]) {}

TRecordReader::~TRecordReader() = default;

bool TRecordReader::Fill(std::size_t need) {
    if (FPos > 0) {
        std::memmove(FBuffer.get(), FBuffer.get() + FPos, FEnd - FPos);
        FEnd -= FPos;
        FPos = 0;
    }
    while (FEnd < need && !FSourceEnded) {
        const std::size_t n = FIn->Read(FBuffer.get() + FEnd, kBufferSize - FEnd);
        if (n == 0) FSourceEnded = true;
        FEnd += n;
    }
    return FEnd >= need;
}

void TRecordReader::Truncated() {
    throw TRecordTruncated("the data ends inside a record");
}

bool TRecordReader::AtEnd() {
    return FPos == FEnd && !Fill(1);
}

std::uint8_t TRecordReader::ReadByte() {
    Need(1);
    return FBuffer[FPos++];
}

std::uint16_t TRecordReader::ReadWord() {
    Need(2);
    const auto v = static_cast<std::uint16_t>(GetLE(FBuffer.get() + FPos, 2));
    FPos += 2;
    return v;
}

std::uint32_t TRecordReader::ReadDword() {
    Need(4);
    const auto v = static_cast<std::uint32_t>(GetLE(FBuffer.get() + FPos, 4));
    FPos += 4;
    return v;
}

std::int64_t TRecordReader::ReadInt64() {
    Need(8);
    const auto v = static_cast<std::int64_t>(GetLE(FBuffer.get() + FPos, 8));
    FPos += 8;
    return v;
}

double TRecordReader::ReadDouble() {
    Need(8);
    const std::uint64_t bits = GetLE(FBuffer.get() + FPos, 8);
    FPos += 8;
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

void TRecordReader::ReadBytes(void* data, std::size_t count) {
    auto* p = static_cast<unsigned char*>(data);
    while (count > 0) {
        if (FPos == FEnd && !Fill(1)) Truncated();
        const std::size_t n = std::min(count, FEnd - FPos);
        std::memcpy(p, FBuffer.get() + FPos, n);
        FPos += n;
        p += n;
        count -= n;
    }
}

void TRecordReader::Skip(std::size_t count) {
    while (count > 0) {
        if (FPos == FEnd && !Fill(1)) Truncated();
        const std::size_t n = std::min(count, FEnd - FPos);
        FPos += n;
        count -= n;
    }
}

std::string TRecordReader::ReadName(std::uint32_t formatVersion) {
    std::size_t length;
    if (formatVersion <= 2) {
        length = ReadWord();
    } else {
        length = ReadByte();
        if (length == 127) length = ReadWord();
    }
    // At most 65535 bytes whatever the file says, so a hostile length cannot make us allocate much.
    std::string s(length, '\0');
    ReadBytes(s.data(), length);
    return s;
}

TItemTail TRecordReader::ReadTail(std::uint8_t kind, std::uint32_t formatVersion) {
    TItemTail t;
    // A date that is not a number (NaN, infinities) reads as no date, so that no comparison or
    // date conversion downstream ever meets one.
    const auto date = [this]() {
        const double d = ReadDouble();
        return std::isfinite(d) ? d : 0.0;
    };
    if (formatVersion >= 4) {
        t.created = date();
        t.accessed = date();
        t.modified = date();
    } else {
        t.created = (kind & txf::kPackedCreated) ? PackedDateToDateTime(ReadDword()) : date();
        t.accessed = (kind & txf::kPackedAccessed) ? PackedDateToDateTime(ReadDword()) : date();
        t.modified = (kind & txf::kPackedModified) ? PackedDateToDateTime(ReadDword()) : date();
    }
    t.attributes = formatVersion == 1 ? ReadDword() : ByteToAttributes(ReadByte());
    return t;
}

std::int64_t TRecordReader::ReadFileSize(std::uint8_t kind) {
    switch (kind & txf::kWidthMask) {
    case txf::kWidthByte:
        return ReadByte();
    case txf::kWidthWord:
        return ReadWord();
    case txf::kWidth3: {
        const std::int64_t low = ReadWord();
        return low + static_cast<std::int64_t>(ReadByte()) * 65536;
    }
    default:
        return ReadInt64();
    }
}

// ---- sources ----

std::size_t TMemorySource::Read(void* buffer, std::size_t count) {
    const std::size_t n = std::min(count, FSize - FPos);
    if (n > 0) std::memcpy(buffer, FData + FPos, n);
    FPos += n;
    return n;
}

struct TInflateSource::TZ {
    z_stream s{};
};

TInflateSource::TInflateSource(TByteSource& in)
    : FIn(&in), FZ(std::make_unique<TZ>()), FBuffer(new unsigned char[65536]) {
    if (inflateInit(&FZ->s) != Z_OK) {
        FZ.reset();
        throw TRecordError("the decompressor cannot start");
    }
}

TInflateSource::~TInflateSource() {
    if (FZ) inflateEnd(&FZ->s);
}

std::size_t TInflateSource::Read(void* buffer, std::size_t count) {
    if (FEnded || count == 0) return 0;
    z_stream& s = FZ->s;
    s.next_out = static_cast<Bytef*>(buffer);
    s.avail_out = static_cast<uInt>(std::min<std::size_t>(count, UINT_MAX));
    const uInt wanted = s.avail_out;
    while (s.avail_out > 0) {
        if (s.avail_in == 0 && !FInputEnded) {
            const std::size_t n = FIn->Read(FBuffer.get(), 65536);
            if (n == 0) FInputEnded = true;
            s.next_in = FBuffer.get();
            s.avail_in = static_cast<uInt>(n);
        }
        const int rc = inflate(&s, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) {
            FEnded = true;
            break;
        }
        if (rc == Z_NEED_DICT || rc == Z_DATA_ERROR || rc == Z_MEM_ERROR || rc == Z_STREAM_ERROR)
            throw TRecordError("the compressed body is damaged");
        if (rc == Z_BUF_ERROR && s.avail_in == 0 && FInputEnded) {
            if (s.avail_out < wanted) break; // hand over what came; the next call reports the cut
            throw TRecordTruncated("the compressed body ends early");
        }
    }
    return wanted - s.avail_out;
}

// ---- whole files ----

struct TExplorationFileWriter::TState {
    TState(const std::string& fileName, platform::TSafeFile::TClaim claim)
        : file(fileName, platform::TSafeFile::TTempKind::Best, claim), stream(file.Stream()) {}
    platform::TSafeFile file;
    TCRCFileStream stream;
    std::unique_ptr<TRecordWriter> records;
};

TExplorationFileWriter::TExplorationFileWriter(const std::string& fileName, std::uint32_t writerVersion,
                                               platform::TSafeFile::TClaim claim)
    : FState(std::make_unique<TState>(fileName, claim)) {
    const THeaderBytes header = MakeHeader(writerVersion);
    FState->stream.Write(header.data(), header.size());
    FState->stream.StartCRC();
    FState->records = std::make_unique<TRecordWriter>(FState->stream, txf::kCompressionLevel);
}

TExplorationFileWriter::~TExplorationFileWriter() = default; // the safe file removes an unfinished file

TRecordWriter& TExplorationFileWriter::Records() {
    return *FState->records;
}

void TExplorationFileWriter::Commit() {
    Commit(FState->records->FileRecords());
}

void TExplorationFileWriter::Commit(std::uint64_t fileCount) {
    FinishBody(fileCount);
    FState->file.Commit();
}

std::string TExplorationFileWriter::CommitAsNew(const std::function<std::string(int)>& nameOf) {
    FinishBody(FState->records->FileRecords());
    return FState->file.CommitAsNew(nameOf);
}

void TExplorationFileWriter::FinishBody(std::uint64_t fileCount) {
    TState& st = *FState;
    st.records->Finish();
    const std::uint32_t crc = st.stream.CRC();
    unsigned char patch[12];
    PutLE(patch, crc, 4);
    PutLE(patch + 4, fileCount, 8);
    st.stream.Seek(txf::kOffsetCrc);
    st.stream.Write(patch, sizeof patch);
}

const std::string& TExplorationFileWriter::TemporaryPath() const {
    return FState->file.TemporaryPath();
}

void TExplorationFileWriter::Discard() noexcept {
    if (FState) FState->file.Discard();
}

} // namespace model
