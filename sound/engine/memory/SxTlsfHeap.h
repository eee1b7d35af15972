#pragma once
// A two-level segregated-fit heap laid over one block of memory: allocation and free in
// constant time. Not locked; the memory manager locks around it.
#include <cstddef>
#include <cstdint>

namespace SX {

class SxTlsfHeap {
public:
    static constexpr size_t kAlignment = 16;           // of every block handed out
    static constexpr size_t kHeaderSize = 16;          // previous-block link, size word, check word
    static constexpr size_t kMinBlockSize = 16;        // room for the two free-list links
    static constexpr size_t kMaxRequest = 0x40000000;  // requests of this size and more are refused
    static constexpr size_t kMaxFreeBlock = 0x3FFFFFF0;
    static constexpr int kFirstLevels = 24;
    static constexpr int kSecondLevels = 32;
    // Requests of this size and more are carved from the top of a free block, smaller ones from
    // the bottom.
    static constexpr size_t kLargeBlock = 4096;
    // Blocks of a free list compared before one is taken, the lowest-addressed of them that
    // fits: in the request's own class, where some may be too small, and in the larger class the
    // search rounds up to, where all fit. Only once the heap is more than half in use; below, the
    // first block of the list that fits is taken.
    static constexpr int kOwnClassCandidates = 8;
    static constexpr int kLargerClassCandidates = 4;
    // Freed blocks of up to kCachedSize bytes are held, up to kCacheDepth of each size, and
    // handed out again to the next request of that size without a search: most requests are
    // small records, and the block freed last is still in the cache of the processor. Blocks are
    // held only while the heap is at most half in use; they go back to the free lists once it is
    // more, before a request is refused, and when nothing is left in use. At most 16 blocks of
    // each of the 64 sizes: about half a megabyte held at worst.
    static constexpr size_t kCachedSize = 1024;
    static constexpr uint32_t kCacheDepth = 16;

    // Bytes the heap keeps for itself: its control area and the first block's header.
    static size_t Overhead();
    // Lays a heap over [memory, memory + size); memory must be 16-byte aligned. Null when the
    // size cannot hold the control area, one minimum block and the end marker, or when the
    // single free block would exceed kMaxFreeBlock.
    static SxTlsfHeap* Create(void* memory, size_t size);

    // Null for 0 bytes, kMaxRequest or more, or no room. *cost receives what the block takes
    // from the heap (its size plus its header).
    void* Malloc(size_t size, size_t* cost);
    // Aligned to a power of two; alignments up to 16 are plain allocations. Null for others.
    void* Malign(size_t size, size_t alignment, size_t* cost);
    // False, changing nothing, when the pointer is not a live block of this heap (foreign,
    // interior or already freed).
    bool Free(void* pointer, size_t* cost);
    bool Owns(const void* pointer) const {
        auto p = reinterpret_cast<uintptr_t>(pointer);
        return p >= reinterpret_cast<uintptr_t>(first_) + kHeaderSize && p < reinterpret_cast<uintptr_t>(end_);
    }

    struct Summary {
        size_t freeBlocks = 0;
        size_t freeBytes = 0;
        size_t largestFree = 0;
        size_t usedBlocks = 0;
        size_t usedBytes = 0;     // sizes plus headers, as counted by the pool
        size_t cachedBlocks = 0;  // freed and held for requests of their size
    };
    // Walks every block; ok is false when a link, flag, free list or bitmap is inconsistent.
    // Cached blocks count neither as used nor as free.
    Summary Inspect(bool* ok = nullptr) const;

    SxTlsfHeap(const SxTlsfHeap&) = delete;
    SxTlsfHeap& operator=(const SxTlsfHeap&) = delete;

    struct Block;  // header of a physical block (defined with the heap's code)

private:
    SxTlsfHeap() = default;
    static constexpr size_t kCachedSlots = kCachedSize / kAlignment;
    // The steps every allocation and free goes through are declared inline: the library is
    // built position-independent, and there a function the program could replace at load time
    // is called, not inlined, even from its own file.
    inline void InsertFree(Block* block);
    inline void Release(Block* block);
    // Returns the cached blocks to the free lists; false when there were none.
    bool FlushCache();
    inline void RemoveFree(Block* block);
    inline Block* FindFree(size_t size);
    inline void SplitTail(Block* block, size_t size);
    inline Block* TakeTail(Block* block, size_t size);
    // The header of a block handed out, checked on its own; null when pointer is not one.
    inline Block* UsedBlock(const void* pointer) const;
    // Whether the next block's header links back to this one.
    inline bool Linked(Block* block) const;

    uint32_t firstBitmap_ = 0;
    uint32_t secondBitmaps_[kFirstLevels] = {};
    Block* lists_[kFirstLevels][kSecondLevels] = {};
    Block* first_ = nullptr;
    Block* end_ = nullptr;              // the zero-size marker after the last block
    size_t used_ = 0;                   // bytes of the blocks handed out, headers included
    size_t half_ = 0;                   // half the bytes the heap can hand out
    Block* cached_[kCachedSlots] = {};  // per size, 16 to kCachedSize bytes
    uint32_t cachedCount_[kCachedSlots] = {};
    uint32_t cachedTotal_ = 0;
};

}  // namespace SX
