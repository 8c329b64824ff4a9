// Memory for the item tree. A million files must fit in well under 100 bytes each, so items and
// their names come from size-class pools instead of the general heap: no per-block header, 8-byte
// granularity, freed blocks reused by the next block of the same class. A pool block is found
// again by its address alone (its 64 KiB chunk knows its class), so an item whose name is stored
// in the same block can be freed without knowing the name's length. Pool memory is kept for the
// run (a refresh reuses what the cleared subtree gave back).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace model {

// Blocks of up to kMaxPooled bytes come from the pools; larger ones from the general heap.
inline constexpr std::size_t kMaxPooled = 256;

// bytes <= kMaxPooled: a pool block; larger: the general heap.
void* PoolAllocate(std::size_t bytes);
// Frees a block of PoolAllocate; bytes is what was asked for when it was larger than kMaxPooled,
// and anything up to kMaxPooled for a pool block (its chunk knows its size).
void PoolFree(void* block, std::size_t bytes) noexcept;

// Bytes the pools hold from the system (for the benchmarks).
std::size_t PoolReservedBytes();

// Names: a length prefix (one byte below 253, else the byte 255 after a four-byte length) and the
// bytes, unchanged, no terminator. A name may stand right before its item in the item's own
// block (its length byte is the last byte before the item) or in a block of its own.
inline constexpr unsigned char kLongName = 255;
[[nodiscard]] inline std::size_t NameHeaderBytes(std::size_t length) { return length < 253 ? 1 : 5; }

} // namespace model
