// Memory for the item tree. A million files must fit in well under 100 bytes each, so items and
// their names come from size-class pools instead of the general heap: no per-block header, 8-byte
// granularity, freed blocks reused by the next block of the same class. Pool memory is kept for
// the run (a refresh reuses what the cleared subtree gave back).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace model {

// Blocks of up to kMaxPooled bytes come from the pools; larger ones from the general heap.
inline constexpr std::size_t kMaxPooled = 256;

void* PoolAllocate(std::size_t bytes);
void PoolFree(void* block, std::size_t bytes) noexcept;

// Bytes the pools hold from the system (for the benchmarks).
std::size_t PoolReservedBytes();

// An item's name: one pooled block holding the length and the bytes (the file system's bytes,
// unchanged; no terminator). Eight bytes in the item. Movable, not copyable.
class TItemName {
public:
    TItemName() = default;
    explicit TItemName(std::string_view s) { Assign(s); }
    ~TItemName() { Release(); }
    TItemName(const TItemName&) = delete;
    TItemName& operator=(const TItemName&) = delete;
    TItemName(TItemName&& o) noexcept : FBlock(o.FBlock) { o.FBlock = nullptr; }
    TItemName& operator=(TItemName&& o) noexcept;

    void Assign(std::string_view s);
    [[nodiscard]] std::string_view View() const;

private:
    void Release() noexcept;
    // Length prefix: one byte below 255, else 255 and a four-byte length.
    unsigned char* FBlock = nullptr;
};

} // namespace model
