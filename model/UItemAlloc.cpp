#include "model/UItemAlloc.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace model {

namespace {

constexpr std::size_t kGranule = 8;
constexpr std::size_t kClasses = kMaxPooled / kGranule;
constexpr std::size_t kChunkBytes = 256 * 1024;

struct FreeBlock {
    FreeBlock* next;
};

struct Pool {
    FreeBlock* freeList[kClasses] = {};
    char* chunk = nullptr;   // the chunk blocks are cut from
    std::size_t left = 0;    // bytes left in it
    std::size_t reserved = 0;
    std::atomic_flag lock = ATOMIC_FLAG_INIT; // the tree lives on one thread; this only keeps tests honest

    void Lock() {
        while (lock.test_and_set(std::memory_order_acquire)) {
        }
    }
    void Unlock() { lock.clear(std::memory_order_release); }
};

Pool& ThePool() {
    static Pool* pool = new Pool; // never destroyed: items may be freed by static destructors
    return *pool;
}

std::size_t ClassOf(std::size_t bytes) { return (bytes + kGranule - 1) / kGranule - 1; }

} // namespace

void* PoolAllocate(std::size_t bytes) {
    if (bytes == 0) bytes = 1;
    if (bytes > kMaxPooled) return ::operator new(bytes);
    Pool& p = ThePool();
    const std::size_t c = ClassOf(bytes);
    const std::size_t size = (c + 1) * kGranule;
    p.Lock();
    void* block;
    if (FreeBlock* f = p.freeList[c]) {
        p.freeList[c] = f->next;
        block = f;
    } else {
        if (p.left < size) {
            char* chunk = static_cast<char*>(std::malloc(kChunkBytes));
            if (!chunk) {
                p.Unlock();
                throw std::bad_alloc();
            }
            p.chunk = chunk;
            p.left = kChunkBytes;
            p.reserved += kChunkBytes;
        }
        block = p.chunk;
        p.chunk += size;
        p.left -= size;
    }
    p.Unlock();
    return block;
}

void PoolFree(void* block, std::size_t bytes) noexcept {
    if (!block) return;
    if (bytes == 0) bytes = 1;
    if (bytes > kMaxPooled) {
        ::operator delete(block);
        return;
    }
    Pool& p = ThePool();
    const std::size_t c = ClassOf(bytes);
    p.Lock();
    auto* f = static_cast<FreeBlock*>(block);
    f->next = p.freeList[c];
    p.freeList[c] = f;
    p.Unlock();
}

std::size_t PoolReservedBytes() { return ThePool().reserved; }

namespace {
std::size_t HeaderOf(std::size_t length) { return length < 255 ? 1 : 5; }
std::size_t BlockBytes(const unsigned char* block, std::size_t& length) {
    if (block[0] < 255) {
        length = block[0];
        return 1 + length;
    }
    std::uint32_t l;
    std::memcpy(&l, block + 1, 4);
    length = l;
    return 5 + length;
}
} // namespace

TItemName& TItemName::operator=(TItemName&& o) noexcept {
    if (this != &o) {
        Release();
        FBlock = o.FBlock;
        o.FBlock = nullptr;
    }
    return *this;
}

void TItemName::Assign(std::string_view s) {
    const std::size_t header = HeaderOf(s.size());
    auto* block = static_cast<unsigned char*>(PoolAllocate(header + s.size()));
    if (header == 1) {
        block[0] = static_cast<unsigned char>(s.size());
    } else {
        block[0] = 255;
        const std::uint32_t l = static_cast<std::uint32_t>(s.size());
        std::memcpy(block + 1, &l, 4);
    }
    if (!s.empty()) std::memcpy(block + header, s.data(), s.size());
    Release();
    FBlock = block;
}

std::string_view TItemName::View() const {
    if (!FBlock) return {};
    std::size_t length;
    BlockBytes(FBlock, length);
    return {reinterpret_cast<const char*>(FBlock + HeaderOf(length)), length};
}

void TItemName::Release() noexcept {
    if (!FBlock) return;
    std::size_t length;
    PoolFree(FBlock, BlockBytes(FBlock, length));
    FBlock = nullptr;
}

} // namespace model
