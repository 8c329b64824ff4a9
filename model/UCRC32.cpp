#include "model/UCRC32.h"

#include <zlib.h>

namespace model {

namespace {
constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
} // namespace

const std::array<std::uint32_t, 256> kCRC32Table = MakeTable();

std::uint32_t CRC32Update(std::uint32_t crcRegister, const void* data, std::size_t length) {
    if (!data || length == 0) return crcRegister;
    // zlib's crc32 presets and complements itself: complementing around it leaves the bare update.
    auto* p = static_cast<const Bytef*>(data);
    uLong crc = ~crcRegister & 0xFFFFFFFFu;
    while (length > 0) {
        const uInt chunk = length > 0x40000000u ? 0x40000000u : static_cast<uInt>(length);
        crc = ::crc32(crc, p, chunk);
        p += chunk;
        length -= chunk;
    }
    return ~static_cast<std::uint32_t>(crc);
}

std::uint32_t CRC32UpdateByTable(std::uint32_t crcRegister, const void* data, std::size_t length) {
    if (!data) return crcRegister;
    auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < length; ++i)
        crcRegister = (crcRegister >> 8) ^ kCRC32Table[(crcRegister ^ p[i]) & 0xFF];
    return crcRegister;
}

} // namespace model
