#include "core/SizeClassPool.h"

#include <cstdlib>
#include <new>

#include "platform/os/VirtualMemory.h"

// Under AddressSanitizer a free block is poisoned until it is handed out again, so a use after
// free still faults although the memory stays with the pool.
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define QV_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define QV_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define QV_POISON(p, n) ((void)(p), (void)(n))
#define QV_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace SD {

SizeClassPool::~SizeClassPool() {
    for (const Chunk& chunk : chunks_) {
        QV_UNPOISON(chunk.memory, chunk.bytes);
        std::free(chunk.memory);
    }
}

void* SizeClassPool::Allocate(std::size_t size) {
    if (size == 0) size = 1;
    if (size > kLargestPooled) return ::operator new(size);
    const std::size_t index = (size - 1) / kGrain;
    const std::size_t blockSize = (index + 1) * kGrain;
    std::lock_guard<std::mutex> lock(mutex_);
    SizeClass& sizeClass = classes_[index];
    if (FreeBlock* block = sizeClass.freeList) {
        QV_UNPOISON(block, blockSize);
        sizeClass.freeList = block->next;
        return block;
    }
    if (static_cast<std::size_t>(sizeClass.end - sizeClass.cursor) < blockSize) {
        const std::size_t bytes = sizeClass.nextChunkBytes;
        const bool large = bytes == kLargestChunkBytes;
        void* chunk = large ? std::aligned_alloc(kLargestChunkBytes, bytes) : std::malloc(bytes);
        if (!chunk) throw std::bad_alloc();
        if (large) platform::AdviseLargePages(chunk, bytes);
        chunks_.push_back(Chunk{chunk, bytes});
        QV_POISON(chunk, bytes);
        sizeClass.cursor = static_cast<char*>(chunk);
        sizeClass.end = sizeClass.cursor + bytes;
        if (!large) sizeClass.nextChunkBytes = bytes * 2;
    }
    void* block = sizeClass.cursor;
    sizeClass.cursor += blockSize;
    QV_UNPOISON(block, blockSize);
    return block;
}

void SizeClassPool::Free(void* block, std::size_t size) {
    if (!block) return;
    if (size == 0) size = 1;
    if (size > kLargestPooled) {
        ::operator delete(block);
        return;
    }
    const std::size_t index = (size - 1) / kGrain;
    std::lock_guard<std::mutex> lock(mutex_);
    SizeClass& sizeClass = classes_[index];
    auto* freed = static_cast<FreeBlock*>(block);
    freed->next = sizeClass.freeList;
    sizeClass.freeList = freed;
    QV_POISON(block, (index + 1) * kGrain);
}

std::size_t SizeClassPool::ChunkCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return chunks_.size();
}

}  // namespace SD
