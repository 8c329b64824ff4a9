// The reader's libFuzzer target. Built when the compiler has -fsanitize=fuzzer (clang): see the
// README. TX_FUZZ_RECORDS picks the records mode (inputs are record streams, wrapped whole); the
// raw mode mutates whole files through the harness's own mutator, which keeps their CRC right.
#include "FuzzReader.h"

#include <cstddef>
#include <cstdint>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
#ifdef TX_FUZZ_RECORDS
    fuzzreader::ReadInput(data, size, fuzzreader::TMode::Records);
#else
    fuzzreader::ReadInput(data, size, fuzzreader::TMode::Raw);
#endif
    return 0;
}

#ifndef TX_FUZZ_RECORDS
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed) {
    return fuzzreader::MutateFile(data, size, maxSize, seed, LLVMFuzzerMutate);
}
#endif
