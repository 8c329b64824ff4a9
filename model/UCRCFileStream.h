// A file stream that keeps the CRC-32 of the bytes written after StartCRC, and computes the CRC-32
// of the rest of a file when reading. Writers of the exploration file checksum the compressed body
// as it passes; the reader checks it before it inflates anything.
#pragma once

#include "model/UByteStream.h"
#include "platform/PFileStream.h"

#include <cstdint>
#include <memory>
#include <string>

namespace model {

using TFileMode = platform::TFileStream::TMode;

class TCRCFileStream : public TByteSink, public TByteSource {
public:
    // Opens or creates fileName (TFileMode::Create replaces an existing file); raises
    // platform::TFileError when the system refuses. Register all ones, not accumulating.
    TCRCFileStream(const std::string& fileName, TFileMode mode);
    // Over a stream opened elsewhere (the safe writer's temporary file); not owned, must outlive this.
    explicit TCRCFileStream(platform::TFileStream& file);
    TCRCFileStream(const TCRCFileStream&) = delete;
    TCRCFileStream& operator=(const TCRCFileStream&) = delete;

    // While accumulating, the bytes are added to the register first, then written; a write that
    // fails raises (the register then holds bytes that never reached the file, which no longer matters).
    void Write(const void* buffer, std::size_t count) override;
    std::size_t Read(void* buffer, std::size_t count) override;
    void Seek(std::int64_t position) { FFile->Seek(position); }
    [[nodiscard]] std::int64_t Position() const { return FFile->Position(); }
    [[nodiscard]] std::int64_t Size() const { return FFile->Size(); }
    void Close() { FFile->Close(); }

    // Register := all ones; from now on every Write is checksummed.
    void StartCRC();
    // The CRC-32 of the bytes written since StartCRC (0 when it was never called).
    [[nodiscard]] std::uint32_t CRC() const { return ~FCrcRegister; }
    // The CRC-32 of the file from the current position to its end, read in 32768-byte blocks; the
    // position ends at the end of the file. Accumulating is not changed.
    std::uint32_t ComputeRestCRC();

    [[nodiscard]] std::uint32_t CrcRegister() const { return FCrcRegister; }
    [[nodiscard]] bool Accumulating() const { return FAccumulating; }

    static constexpr std::size_t kBlockSize = 32768;

private:
    std::unique_ptr<platform::TFileStream> FOwned;
    platform::TFileStream* FFile;
    std::uint32_t FCrcRegister = 0xFFFFFFFFu;
    bool FAccumulating = false;
};

} // namespace model
