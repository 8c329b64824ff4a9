// The exploration file (.txf): its one encoder and one decoder. Every program that writes or reads
// the format goes through this unit; nobody else encodes a record.
//
// Layout (all integers little-endian; byte, word = u16, dword = u32, int64 = s64, double = IEEE 754):
//   0..127   header (THeaderFields; version 5: CRC dword at 74, file-record count int64 at 78,
//            both patched after the body; versions 1-4 kept them at 66 and 70)
//   128..end one zlib stream (level 9) whose content is the record stream, or the raw record stream
//            when Compression is not kCompressionZlib.
// Record stream: every record starts with a kind byte.
//   1 root   name, int64 file count, folder body
//   2 drive  name, byte letter ('/' = a Linux mount, whose name is the mount point), int64 free,
//            int64 total, folder body
//   3 folder name, folder body
//   4 file   name, size (width by bits 0x60 of the kind: 0x20 byte, 0x40 word, 0x60 word + byte,
//            none int64), item tail
//   5 path   name, full path without its trailing separator ("/" stays "/"), folder body
//   99 end   closes the child list of the enclosing root, drive, folder or path record
// Folder body: byte explored flag, item tail, child records, end byte.
// Item tail: version 4+: double Created, Accessed, Modified; versions 1-3: each date a dword packed
//   date when its kind bit is set (0x80 Created, 0x10 Accessed, 0x08 Modified), else a double.
//   Attributes: version 1 a dword of Windows bits; later the attribute byte (AttributesToByte).
// String: length 0..126 as one byte, 127..65535 as byte 127 then a word; then the bytes, no
//   terminator (versions 1 and 2: a word length, then the bytes). Longer strings cannot be stored.
#pragma once

#include "model/UByteStream.h"
#include "platform/PDates.h"
#include "platform/PSafeFile.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace model {

using platform::TDateTime;

// Stored in files: never change these values.
namespace txf {
inline constexpr std::uint32_t kMagic1 = 154344;        // 0x25AE8
inline constexpr std::uint32_t kMagic2 = 989812;        // 0xF1A74
inline constexpr std::uint32_t kWriterExplorer = 3120;  // the desktop explorer
inline constexpr std::uint32_t kWriterViewer = 3140;    // the viewer
inline constexpr std::uint32_t kWriterScanner = 3150;   // the console scanner
inline constexpr std::uint32_t kWriterLater = 3160;     // accepted by version-5 readers
inline constexpr std::uint32_t kLayoutStandard = 12850; // 0x3232: CRC at 74, count at 78
inline constexpr std::uint32_t kCompressionZlib = 4532; // 0x11B4
inline constexpr std::uint32_t kMajorVersion = 3;
inline constexpr std::uint32_t kFormatVersion = 5; // what every writer writes
inline constexpr std::size_t kHeaderSize = 128;
inline constexpr std::size_t kOffsetWriterVersion = 16;
inline constexpr std::size_t kOffsetLayoutMarker = 20;
inline constexpr std::size_t kOffsetCompression = 32;
inline constexpr std::size_t kOffsetMajorVersion = 58;
inline constexpr std::size_t kOffsetFormatVersion = 62;
inline constexpr std::size_t kOffsetCrc = 74;          // version 5
inline constexpr std::size_t kOffsetFileCount = 78;    // version 5
inline constexpr std::size_t kOffsetCrcOld = 66;       // versions 1-4
inline constexpr std::size_t kOffsetFileCountOld = 70; // versions 1-4
inline constexpr int kCompressionLevel = 9;

// Record kinds (the low three bits of the kind byte; the end byte is a whole byte).
enum : std::uint8_t {
    kKindRoot = 1,
    kKindDrive = 2,
    kKindFolder = 3,
    kKindFile = 4,
    kKindPath = 5,
    kKindEnd = 99,
};
inline constexpr std::uint8_t kKindMask = 0x07;
// File size widths (bits 5 and 6 of a file's kind byte).
inline constexpr std::uint8_t kWidthMask = 0x60;
inline constexpr std::uint8_t kWidthByte = 0x20;
inline constexpr std::uint8_t kWidthWord = 0x40;
inline constexpr std::uint8_t kWidth3 = 0x60;
// Versions 1-3: these kind bits say that a date is a packed dword.
inline constexpr std::uint8_t kPackedCreated = 0x80;
inline constexpr std::uint8_t kPackedAccessed = 0x10;
inline constexpr std::uint8_t kPackedModified = 0x08;
// The longest string the encoding can hold.
inline constexpr std::size_t kMaxString = 65535;

// (kind & 0x67) == 0x63 ends a child list (writers store 99).
[[nodiscard]] constexpr bool IsEndKind(std::uint8_t kind) {
    return (kind & 0x67) == 0x63;
}
} // namespace txf

class TParallelDeflate;

// Any fault of the format: a string that cannot be encoded, data that ends early, a damaged
// compressed stream. Readers and writers raise it; the callers turn it into their result codes.
class TRecordError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// The data ended inside a record (a hostile or cut file): nothing past the end is ever read.
class TRecordTruncated : public TRecordError {
public:
    using TRecordError::TRecordError;
};

// Steps and cancel of a long save or load, as the progress window gives them. The main window
// hands its progress manager in through an adapter; without one nothing is stepped or cancelled.
class TProgressSink {
public:
    virtual ~TProgressSink() = default;
    virtual void SetMax(std::int64_t) {}
    virtual void Step() = 0;
    [[nodiscard]] virtual bool Cancelled() = 0;
};

// ---- field encodings ----

// The width bits of a file size: 0x20 for 0..255, 0x40 for 256..65535, 0x60 for 65536..16777215,
// 0 (int64) for larger and negative sizes.
[[nodiscard]] std::uint8_t SizeWidthFlag(std::int64_t size);
// The attribute byte of Windows attribute bits (the directory bit and unknown bits are not kept).
[[nodiscard]] std::uint8_t AttributesToByte(std::uint32_t attributes);
// The Windows attribute bits of an attribute byte.
[[nodiscard]] std::uint32_t ByteToAttributes(std::uint8_t packed);
// Packed dword date of versions 1-3: (v >> 17) + 29000 days plus (v & 0x1FFFF) seconds.
[[nodiscard]] TDateTime PackedDateToDateTime(std::uint32_t value);
// A path as a path or drive record stores it: without its trailing separator ("/" or "\"),
// except that a root ("/", "\") stays whole.
[[nodiscard]] std::string PathWithoutSeparator(std::string_view path);

// The dates and attributes that close file records and open folder bodies.
struct TItemTail {
    TDateTime created = 0;
    TDateTime accessed = 0;
    TDateTime modified = 0;
    std::uint32_t attributes = 0; // Windows bits
};

// ---- header ----

struct THeaderFields {
    std::uint32_t magic1 = 0;
    std::uint32_t magic2 = 0;
    std::uint32_t writerVersion = 0;
    std::uint32_t layoutMarker = 0;
    std::uint32_t compression = 0;
    std::uint32_t majorVersion = 0;
    std::int32_t formatVersion = 0;
    std::uint32_t crc = 0;       // at 74 for version 5, at 66 for versions 1-4
    std::uint64_t fileCount = 0; // at 78 for version 5, at 70 for versions 1-4
};
using THeaderBytes = std::array<unsigned char, txf::kHeaderSize>;

// The standard header of a writer (format version 5), CRC and count 0; every reserved byte 0.
[[nodiscard]] THeaderBytes MakeHeader(std::uint32_t writerVersion);
// The fields of a header in any format version; the reader checks them in file order itself.
[[nodiscard]] THeaderFields DecodeHeader(const THeaderBytes& bytes);

// ---- writer ----

// Encodes records and streams them through zlib into a sink while they are written: the record
// bytes pass through one 64 KiB buffer into the block compressor (UParallelZlib), which deflates
// them on every core into one zlib stream whose bytes do not depend on the number of threads; no
// copy of the body is kept, and a bounded number of blocks is in flight. Errors of the sink and
// of the compressor propagate; a string that cannot be encoded raises TRecordError.
// A writer made without a sink only counts (records are checked and file records counted, nothing
// is encoded): savers use it to learn the file count before the root record is written.
class TRecordWriter {
public:
    // Opens a zlib stream over out (level 0..9; the format writes 9) compressed by up to threads
    // workers (0: DeflateThreads()). out must outlive the writer. Destroying an unfinished writer
    // stops and joins its workers, and writes nothing more.
    explicit TRecordWriter(TByteSink& out, int level = txf::kCompressionLevel, unsigned threads = 0);
    // A counting writer (no sink).
    TRecordWriter();
    ~TRecordWriter();
    TRecordWriter(const TRecordWriter&) = delete;
    TRecordWriter& operator=(const TRecordWriter&) = delete;

    // Raw fields.
    void WriteByte(std::uint8_t value);
    void WriteWord(std::uint16_t value);
    void WriteDword(std::uint32_t value);
    void WriteInt64(std::int64_t value);
    void WriteDouble(double value);
    void WriteBytes(const void* data, std::size_t count);
    // The string encoding; longer than 65535 bytes raises TRecordError before anything is written.
    void WriteString(std::string_view s);

    // Record heads: kind byte and the fields before the folder body.
    void WriteRootHead(std::string_view name, std::int64_t fileCount);
    void WriteDriveHead(std::string_view name, char letter, std::int64_t freeBytes, std::int64_t totalBytes);
    void WriteFolderHead(std::string_view name);
    // path as stored (see PathWithoutSeparator).
    void WritePathHead(std::string_view name, std::string_view path);
    // Kind byte with the width bits, name and size; counts one file record. The tail follows.
    void WriteFileHead(std::string_view name, std::int64_t size);
    // A whole file record.
    void WriteFile(std::string_view name, std::int64_t size, const TItemTail& tail);
    // Three doubles and the attribute byte.
    void WriteTail(const TItemTail& tail);
    // Explored flag and tail: what opens every folder body.
    void WriteFolderBody(bool explored, const TItemTail& tail);
    void WriteEnd() { WriteByte(txf::kKindEnd); }

    // Ends the zlib stream and hands the rest to the sink. Nothing may be written afterwards.
    void Finish();

    [[nodiscard]] std::uint64_t FileRecords() const { return FFileRecords; }
    // Record bytes written so far (before compression).
    [[nodiscard]] std::uint64_t BytesWritten() const { return FFinished ? FBytes : FBytes + FInUsed; }
    [[nodiscard]] bool Counting() const { return FSink == nullptr; }

    // Progress of the save (not owned; nullptr for none). Step and Cancelled pass through to it.
    void SetProgress(TProgressSink* progress) { FProgress = progress; }
    [[nodiscard]] TProgressSink* Progress() const { return FProgress; }
    void Step() {
        if (FProgress) FProgress->Step();
    }
    [[nodiscard]] bool Cancelled() const { return FProgress && FProgress->Cancelled(); }

private:
    void Put(const void* data, std::size_t count) {
        if (!FSink) return;
        if (count <= kBufferSize - FInUsed) {
            std::memcpy(FIn.get() + FInUsed, data, count);
            FInUsed += count;
        } else {
            PutSlow(data, count);
        }
    }
    void PutSlow(const void* data, std::size_t count);
    static void CheckString(std::string_view s); // raises TRecordError for more than 65535 bytes
    void Deflate();

    static constexpr std::size_t kBufferSize = 65536;
    TByteSink* FSink = nullptr;
    std::unique_ptr<TParallelDeflate> FDeflate;
    std::unique_ptr<unsigned char[]> FIn;
    std::size_t FInUsed = 0;
    std::uint64_t FBytes = 0;
    std::uint64_t FFileRecords = 0;
    TProgressSink* FProgress = nullptr;
    bool FFinished = false;
};

// ---- reader ----

// Reads record fields from a byte source through its own buffer. Data that ends inside a field
// raises TRecordTruncated; nothing past the source's end is read, whatever the lengths say.
class TRecordReader {
public:
    explicit TRecordReader(TByteSource& in); // in must outlive the reader
    ~TRecordReader();
    TRecordReader(const TRecordReader&) = delete;
    TRecordReader& operator=(const TRecordReader&) = delete;

    std::uint8_t ReadByte();
    std::uint16_t ReadWord();
    std::uint32_t ReadDword();
    std::int64_t ReadInt64();
    double ReadDouble();
    void ReadBytes(void* data, std::size_t count);
    void Skip(std::size_t count);
    // A name or path in the string encoding of formatVersion (1, 2: word length; 3+: byte/127+word).
    std::string ReadName(std::uint32_t formatVersion);
    // The dates and attributes of a record with this kind byte in formatVersion. A stored date that
    // is not finite reads as 0 (no date).
    TItemTail ReadTail(std::uint8_t kind, std::uint32_t formatVersion);
    // A file's size by the width bits of its kind byte.
    std::int64_t ReadFileSize(std::uint8_t kind);
    // True when the source has no byte left.
    [[nodiscard]] bool AtEnd();

    // Progress of the load (not owned; nullptr for none).
    void SetProgress(TProgressSink* progress) { FProgress = progress; }
    [[nodiscard]] TProgressSink* Progress() const { return FProgress; }
    void Step() {
        if (FProgress) FProgress->Step();
    }
    [[nodiscard]] bool Cancelled() const { return FProgress && FProgress->Cancelled(); }

private:
    bool Fill(std::size_t need); // at least need bytes buffered, or false at the end of the data
    void Need(std::size_t need) {
        if (FEnd - FPos < need && !Fill(need)) Truncated();
    }
    [[noreturn]] void Truncated();

    static constexpr std::size_t kBufferSize = 65536;
    TByteSource* FIn;
    std::unique_ptr<unsigned char[]> FBuffer;
    std::size_t FPos = 0;
    std::size_t FEnd = 0;
    bool FSourceEnded = false;
    TProgressSink* FProgress = nullptr;
};

// ---- sources and sinks ----

// Bytes held elsewhere (not copied; they must outlive the source).
class TMemorySource : public TByteSource {
public:
    TMemorySource(const void* data, std::size_t size)
        : FData(static_cast<const unsigned char*>(data)), FSize(size) {}
    std::size_t Read(void* buffer, std::size_t count) override;

private:
    const unsigned char* FData;
    std::size_t FSize;
    std::size_t FPos = 0;
};

// Appends to a string (tests, and bodies built in memory).
class TStringSink : public TByteSink {
public:
    void Write(const void* buffer, std::size_t count) override {
        Data.append(static_cast<const char*>(buffer), count);
    }
    std::string Data;
};

// Inflates one zlib stream read from in. A damaged stream raises TRecordError; compressed data
// that ends before the stream does raises TRecordTruncated. Bytes after the stream are not read
// into the output.
class TInflateSource : public TByteSource {
public:
    explicit TInflateSource(TByteSource& in); // in must outlive this
    ~TInflateSource() override;
    TInflateSource(const TInflateSource&) = delete;
    TInflateSource& operator=(const TInflateSource&) = delete;
    std::size_t Read(void* buffer, std::size_t count) override;
    // The stream's end was reached (all of it was inflated).
    [[nodiscard]] bool StreamEnded() const { return FEnded; }

private:
    struct TZ;
    TByteSource* FIn;
    std::unique_ptr<TZ> FZ;
    std::unique_ptr<unsigned char[]> FBuffer;
    bool FEnded = false;
    bool FInputEnded = false;
};

// ---- whole files ----

// Writes one exploration file safely: the header, then the records (through Records(), into a
// zlib stream checksummed as it is stored), then Commit patches CRC and count and renames the
// finished file over fileName. Until Commit the target is untouched; destroying the writer
// without Commit (a cancel, an exception) removes the temporary file. Every error raises
// (platform::TFileError from the file, TRecordError from the encoding).
class TExplorationFileWriter {
public:
    // claim NewName: fileName only names the folder; CommitAsNew gives the file its name.
    TExplorationFileWriter(const std::string& fileName, std::uint32_t writerVersion,
                           platform::TSafeFile::TClaim claim = platform::TSafeFile::TClaim::Replace);
    ~TExplorationFileWriter();
    TExplorationFileWriter(const TExplorationFileWriter&) = delete;
    TExplorationFileWriter& operator=(const TExplorationFileWriter&) = delete;

    [[nodiscard]] TRecordWriter& Records();
    // Finishes the body and writes the header's CRC and file count: the number of file records
    // written, unless fileCount is given.
    void Commit();
    void Commit(std::uint64_t fileCount);
    // Commit for a writer made with TClaim::NewName: the file takes the first free name of
    // nameOf (platform::TSafeFile::CommitAsNew), which is given back.
    std::string CommitAsNew(const std::function<std::string(int)>& nameOf);
    // Throws the file away now (the target stays as it was).
    void Discard() noexcept;
    // The temporary file being written (a program that dies on a signal removes it by this name).
    [[nodiscard]] const std::string& TemporaryPath() const;

private:
    void FinishBody(std::uint64_t fileCount); // the body ended, CRC and count written

    struct TState;
    std::unique_ptr<TState> FState;
};

} // namespace model
