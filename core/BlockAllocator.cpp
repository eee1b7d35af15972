#include "core/BlockAllocator.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/Logger.h"
#include "platform/os/VirtualMemory.h"

namespace SD {
namespace {

BlockAllocator* g_allocator = nullptr;

[[noreturn]] void Stop(const char* why, const void* block) {
    SD_WARNING(Debug::kLogError, "%s: %p", why, block);
    __builtin_trap();
}

}  // namespace

BlockAllocator* GetBlockAllocator() { return g_allocator; }
void SetBlockAllocator(BlockAllocator* allocator) { g_allocator = allocator; }

BlockAllocator::BlockAllocator(Mode mode, uint32_t blockSize) : mode_(mode), blockSize_(blockSize) {}

BlockAllocator::~BlockAllocator() {
    for (Record& record : records_) {
        if (record.live) Release(record);
        if (record.reservation)
            platform::ReleaseMemory(record.reservation, size_t(record.pageCount) * platform::PageSize());
    }
}

void* BlockAllocator::Allocate(uintptr_t tag) {
    Record record;
    record.id = RecordCount() + 1;
    record.size = blockSize_;
    record.tag = tag;
    record.mode = mode_;
    record.live = true;
    if (!Commit(record)) return nullptr;
    records_.push_back(record);
    return record.block;
}

void BlockAllocator::Free(void* block) {
    if (!block) return;
    for (Record& record : records_) {
        if (record.block != block) continue;
        // A block freed before may have been handed out again at the same address.
        if (!record.live) continue;
        record.live = false;
        Release(record);
        ++freed_;
        return;
    }
    Stop("Freeing a block that is not live", block);
}

bool BlockAllocator::Commit(Record& record) {
    if (record.mode == Mode::Heap) {
        record.block = std::malloc(record.size == 0 ? 1 : record.size);
        if (!record.block) SD_WARNING(Debug::kLogError, "Out of memory for a block of %u bytes", record.size);
        return record.block != nullptr;
    }
    const size_t page = platform::PageSize();
    record.pageCount = record.size == 0 ? 1 : uint32_t((record.size - 1) / page + 2);
    const size_t total = size_t(record.pageCount) * page;
    void* base = platform::ReserveMemory(total);
    if (!base || (record.pageCount > 1 && !platform::CommitMemory(base, total - page))) {
        SD_WARNING(Debug::kLogError, "Could not map a guarded block of %u bytes: %s", record.size,
                   std::strerror(errno));
        if (base) platform::ReleaseMemory(base, total);
        record.pageCount = 0;
        return false;
    }
    record.reservation = base;
    record.block = static_cast<char*>(base) + total - record.size - page;
    return true;
}

void BlockAllocator::Release(Record& record) {
    if (record.mode == Mode::Heap) {
        std::free(record.block);
        return;
    }
    const size_t page = platform::PageSize();
    if (record.pageCount > 1 && !platform::DecommitMemory(record.reservation, size_t(record.pageCount - 1) * page))
        Stop("Could not decommit a guarded block", record.block);
}

}  // namespace SD
