// The reader's libFuzzer target. Built when the compiler has -fsanitize=fuzzer (clang): see the
// README. TX_FUZZ_RECORDS picks the records mode (inputs are record streams, wrapped whole).
#include "FuzzReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
#ifdef TX_FUZZ_RECORDS
    fuzzreader::ReadInput(data, size, fuzzreader::TMode::Records);
#else
    fuzzreader::ReadInput(data, size, fuzzreader::TMode::Raw);
#endif
    return 0;
}
