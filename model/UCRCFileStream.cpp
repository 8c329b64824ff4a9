#include "model/UCRCFileStream.h"

#include "model/UCRC32.h"

#include <vector>

namespace model {

TCRCFileStream::TCRCFileStream(const std::string& fileName, TFileMode mode)
    : FOwned(std::make_unique<platform::TFileStream>(fileName, mode)), FFile(FOwned.get()) {}

TCRCFileStream::TCRCFileStream(platform::TFileStream& file) : FFile(&file) {}

void TCRCFileStream::Write(const void* buffer, std::size_t count) {
    if (FAccumulating) FCrcRegister = CRC32Update(FCrcRegister, buffer, count);
    FFile->Write(buffer, count);
}

std::size_t TCRCFileStream::Read(void* buffer, std::size_t count) {
    return FFile->Read(buffer, count);
}

void TCRCFileStream::StartCRC() {
    FCrcRegister = 0xFFFFFFFFu;
    FAccumulating = true;
}

std::uint32_t TCRCFileStream::ComputeRestCRC() {
    FCrcRegister = 0xFFFFFFFFu;
    std::vector<unsigned char> block(kBlockSize);
    for (;;) {
        const std::size_t n = FFile->Read(block.data(), kBlockSize);
        FCrcRegister = CRC32Update(FCrcRegister, block.data(), n);
        if (n < kBlockSize) break;
    }
    return ~FCrcRegister;
}

} // namespace model
