// The two ends that byte streams meet: a sink takes bytes (a file, a buffer, a compressor), a source
// gives them (a file, a buffer, a decompressor). The exploration file's codec reads and writes
// through these, so that files, memory and test doubles are interchangeable.
#pragma once

#include <cstddef>

namespace model {

class TByteSink {
public:
    virtual ~TByteSink() = default;
    // Takes all count bytes or raises an exception.
    virtual void Write(const void* buffer, std::size_t count) = 0;
};

class TByteSource {
public:
    virtual ~TByteSource() = default;
    // Gives up to count bytes; fewer only at the end of the data (0 there). Errors raise.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
};

} // namespace model
