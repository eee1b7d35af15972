#pragma once
// A debugging allocator for fixed-size blocks: every block handed out is recorded with an id
// and the address of the code that asked for it, and freeing a block that was never handed
// out or was freed already stops the program. In guard-page mode each block ends exactly
// where an inaccessible page begins, so a write past its end faults at once, and a freed
// block's pages stay reserved without access, so a use after free faults too.
#include <cstdint>
#include <vector>

namespace SD {

class BlockAllocator {
public:
    enum class Mode : uint32_t { Heap = 0, GuardPage = 1 };
    // The size of a value-tree node in the data files' layout; callers pass their own sizeof.
    static constexpr uint32_t kDefaultBlockSize = 116;

    struct Record {
        int32_t id = 0;               // records before this one, plus 1
        void* block = nullptr;        // null when committing failed
        void* reservation = nullptr;  // guard-page mode: base of the reserved pages
        uint32_t pageCount = 0;       // guard-page mode: pages reserved
        bool live = false;            // from allocation until the block is freed
        uintptr_t tag = 0;            // the return address of the code that asked
        uint32_t size = 0;
        Mode mode = Mode::Heap;
    };

    explicit BlockAllocator(Mode mode = Mode::Heap, uint32_t blockSize = kDefaultBlockSize);
    // Gives back every block still live and every reservation.
    ~BlockAllocator();
    BlockAllocator(const BlockAllocator&) = delete;
    BlockAllocator& operator=(const BlockAllocator&) = delete;

    // A new block, or null when its memory could not be had (the failure is logged).
    void* Allocate(uintptr_t tag);
    // Nothing for null. A pointer that is not a live block of this allocator traps.
    void Free(void* block);

    int32_t RecordCount() const { return int32_t(records_.size()); }
    int32_t FreedCount() const { return freed_; }
    const std::vector<Record>& Records() const { return records_; }

private:
    bool Commit(Record& record);
    void Release(Record& record);

    Mode mode_;
    uint32_t blockSize_;
    int32_t freed_ = 0;
    std::vector<Record> records_;  // never removed, so ids stay unique
};

// The allocator the value tree takes its nodes from; null (the general heap) by default.
BlockAllocator* GetBlockAllocator();
void SetBlockAllocator(BlockAllocator* allocator);

}  // namespace SD
