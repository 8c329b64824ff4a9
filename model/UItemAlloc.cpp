#include "model/UItemAlloc.h"

#include <sys/mman.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
// Freed pool blocks are poisoned, so that the sanitizer build catches a use after free in the tree.
#define TX_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define TX_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define TX_POISON(p, n) ((void)(p), (void)(n))
#define TX_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace model {

namespace {

constexpr std::size_t kGranule = 8;
constexpr std::size_t kClasses = kMaxPooled / kGranule;
constexpr std::size_t kChunkBytes = 64 * 1024;           // one size class per chunk
constexpr std::size_t kRegionBytes = 64 * kChunkBytes;   // chunks are cut from 4 MiB regions
constexpr std::size_t kHeaderBytes = 16;                 // a chunk starts with its block size

struct FreeBlock {
    FreeBlock* next;
};

struct Pool {
    FreeBlock* freeList[kClasses] = {};
    char* bump[kClasses] = {};        // the current chunk of each class
    std::size_t left[kClasses] = {};  // bytes left in it
    char* region = nullptr;           // chunks not handed out yet
    std::size_t regionLeft = 0;
    std::size_t reserved = 0;
    std::atomic_flag lock = ATOMIC_FLAG_INIT; // the tree lives on one thread; this keeps tests honest

    void Lock() {
        while (lock.test_and_set(std::memory_order_acquire)) {
        }
    }
    void Unlock() { lock.clear(std::memory_order_release); }

    char* NewChunk() {
        if (regionLeft == 0) {
            // Map one chunk more than needed and trim, so that chunks are aligned to their size.
            const std::size_t bytes = kRegionBytes + kChunkBytes;
            void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (p == MAP_FAILED) return nullptr;
            auto start = reinterpret_cast<std::uintptr_t>(p);
            const std::uintptr_t aligned = (start + kChunkBytes - 1) & ~(kChunkBytes - 1);
            if (aligned > start) munmap(p, aligned - start);
            const std::uintptr_t end = start + bytes, used = aligned + kRegionBytes;
            if (end > used) munmap(reinterpret_cast<void*>(used), end - used);
            region = reinterpret_cast<char*>(aligned);
            regionLeft = kRegionBytes;
            reserved += kRegionBytes;
        }
        char* chunk = region;
        region += kChunkBytes;
        regionLeft -= kChunkBytes;
        return chunk;
    }
};

Pool& ThePool() {
    static Pool* pool = new Pool; // never destroyed: items may be freed by static destructors
    return *pool;
}

} // namespace

void* PoolAllocate(std::size_t bytes) {
    if (bytes == 0) bytes = 1;
    if (bytes > kMaxPooled) return ::operator new(bytes);
    Pool& p = ThePool();
    const std::size_t c = (bytes + kGranule - 1) / kGranule - 1;
    const std::size_t size = (c + 1) * kGranule;
    p.Lock();
    void* block;
    if (FreeBlock* f = p.freeList[c]) {
        TX_UNPOISON(f, size);
        p.freeList[c] = f->next;
        block = f;
    } else {
        if (p.left[c] < size) {
            char* chunk = p.NewChunk();
            if (!chunk) {
                p.Unlock();
                throw std::bad_alloc();
            }
            std::memcpy(chunk, &size, sizeof size);
            p.bump[c] = chunk + kHeaderBytes;
            p.left[c] = kChunkBytes - kHeaderBytes;
        }
        block = p.bump[c];
        p.bump[c] += size;
        p.left[c] -= size;
    }
    p.Unlock();
    return block;
}

void PoolFree(void* block, std::size_t bytes) noexcept {
    if (!block) return;
    if (bytes > kMaxPooled) {
        ::operator delete(block);
        return;
    }
    const auto chunk = reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(block) & ~(kChunkBytes - 1));
    std::size_t size;
    std::memcpy(&size, chunk, sizeof size);
    const std::size_t c = size / kGranule - 1;
    Pool& p = ThePool();
    p.Lock();
    auto* f = static_cast<FreeBlock*>(block);
    f->next = p.freeList[c];
    p.freeList[c] = f;
    TX_POISON(f, size);
    p.Unlock();
}

std::size_t PoolReservedBytes() { return ThePool().reserved; }

} // namespace model
