#pragma once
// Storage for many objects of a few sizes. Each size class (16-byte steps) takes its blocks
// from chunks of its own, so objects of one size made one after another lie one after another
// in memory at a fixed stride, and a pass over them in the order they were made streams
// through memory instead of jumping around the heap. A freed block is kept for the next
// object of its class; chunks go back to the system only with the pool. Larger objects use
// the general heap. Safe to use from several threads.
#include <cstddef>
#include <mutex>
#include <vector>

namespace SD {

class SizeClassPool {
public:
    static constexpr std::size_t kGrain = 16;
    static constexpr std::size_t kLargestPooled = 2048;
    // A class's chunks grow from the first size to the last by doubling; chunks of the last
    // size are aligned to it and asked to be backed by large pages, so that a pass over many
    // objects does not miss in address translation at every few of them.
    static constexpr std::size_t kFirstChunkBytes = 64 * 1024;
    static constexpr std::size_t kLargestChunkBytes = 2 * 1024 * 1024;

    SizeClassPool() = default;
    ~SizeClassPool();
    SizeClassPool(const SizeClassPool&) = delete;
    SizeClassPool& operator=(const SizeClassPool&) = delete;

    void* Allocate(std::size_t size);
    // `size` is the size the block was allocated with.
    void Free(void* block, std::size_t size);

    std::size_t ChunkCount() const;

private:
    static constexpr std::size_t kClasses = kLargestPooled / kGrain;
    struct FreeBlock {
        FreeBlock* next;
    };
    struct SizeClass {
        FreeBlock* freeList = nullptr;
        char* cursor = nullptr;  // the unused rest of the class's newest chunk
        char* end = nullptr;
        std::size_t nextChunkBytes = kFirstChunkBytes;
    };
    struct Chunk {
        void* memory;
        std::size_t bytes;
    };

    // Objects are made and freed on the main thread and on the worker pool's threads: every
    // free list and chunk is guarded by mutex_.
    mutable std::mutex mutex_;
    SizeClass classes_[kClasses];  // guarded by mutex_
    std::vector<Chunk> chunks_;    // guarded by mutex_
};

}  // namespace SD
