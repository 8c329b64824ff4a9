// One input of the reader's fuzz target, shared by the fuzzer and by the corpus replayed in the
// ordinary test run. Raw: the bytes are a whole exploration file. Records: the first byte picks
// the format version (1 to 5) and whether the body is stored raw; the rest is a record stream,
// wrapped in a sound header, compressed and given its checksum, so that it reaches the records.
//
// Raw inputs reach past the checksum through their own mutator (MutateFile): it mutates one part
// of a file, the header, the stored body or the record stream inside the zlib stream, and then
// puts the header's CRC and file count right again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzzreader {

enum class TMode { Raw, Records };

// The whole file an input stands for.
[[nodiscard]] std::vector<unsigned char> FileOf(const std::uint8_t* data, std::size_t size, TMode mode);
// Loads the file an input stands for (from memory, no disk) with a memory budget of budget bytes;
// gives the reader's result code. Anything but a result code (a crash, a hang, a sanitizer
// report) is a fault. Not thread-safe: the in-memory file and the compressor are kept across calls.
std::int32_t ReadInput(const std::uint8_t* data, std::size_t size, TMode mode,
                       std::uint64_t budget = 64u << 20);

// ---- the raw target's mutator ----

// Mutates data[0, size) in place into at most maxSize bytes and gives the new size: libFuzzer's
// LLVMFuzzerMutate in the fuzzer, anything deterministic in tests.
using TByteMutator = std::size_t (*)(std::uint8_t* data, std::size_t size, std::size_t maxSize);

enum class TMutation {
    Anything,    // the bytes as they stand: the header may be cut and the CRC stays as it was
    Header,      // the 128 header bytes (the header stays 128 bytes long)
    StoredBody,  // the body as stored: for a zlib body its compressed bytes
    Records,     // the record stream inside a zlib body, compressed again (a stored body: StoredBody)
    Compression, // a zlib body stored raw, or a raw one compressed: the same records either way
};

// Mutates the file in data[0, size) (room for maxSize bytes) the way how says; every mutation but
// Anything ends with FixHeader. Gives the new size. A mutation that cannot apply (a file shorter
// than its header, a body too large to inflate or to fit maxSize once compressed) mutates the
// stored bytes instead.
std::size_t MutateFileAs(TMutation how, std::uint8_t* data, std::size_t size, std::size_t maxSize,
                         unsigned seed, TByteMutator mutate);
// The same with the mutation picked by seed: mostly Records and StoredBody, sometimes Header and
// Compression, now and then Anything (so that the refusals stay covered).
std::size_t MutateFile(std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned seed,
                       TByteMutator mutate);
// Puts the CRC-32 of the stored body and the file count fileCount where the header's format
// version keeps them (66 and 70 for versions 1 to 4, 74 and 78 for version 5), clearing the other
// layout's fields so that a stale CRC never reads as part of the count. A header shorter than 128
// bytes or of another version is left alone.
void FixHeader(std::uint8_t* data, std::size_t size, std::uint64_t fileCount);

} // namespace fuzzreader
