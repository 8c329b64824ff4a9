// One input of the reader's fuzz target, shared by the fuzzer and by the corpus replayed in the
// ordinary test run. Raw: the bytes are a whole exploration file. Records: the first byte picks
// the format version (1 to 5) and whether the body is stored raw; the rest is a record stream,
// wrapped in a sound header, compressed and given its checksum, so that it reaches the records.
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
// report) is a fault.
std::int32_t ReadInput(const std::uint8_t* data, std::size_t size, TMode mode,
                       std::uint64_t budget = 64u << 20);

} // namespace fuzzreader
