// CRC-32 of ISO-HDLC (zlib, PNG, Ethernet): reflected polynomial 0xEDB88320, register preset to all
// ones by the caller, final value the complemented register. The exploration file carries it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace model {

// The 256-entry table of the reflected polynomial.
extern const std::array<std::uint32_t, 256> kCRC32Table;

// For each byte b: register := (register >> 8) ^ table[(register ^ b) & 0xFF]. Neither presets
// nor complements; no data or length 0 gives the register back unchanged. Runs on zlib's crc32,
// which gives the same values several bytes at a time.
[[nodiscard]] std::uint32_t CRC32Update(std::uint32_t crcRegister, const void* data, std::size_t length);

// The same through the table, one byte at a time (the reference the fast path is tested against).
[[nodiscard]] std::uint32_t CRC32UpdateByTable(std::uint32_t crcRegister, const void* data,
                                               std::size_t length);

} // namespace model
