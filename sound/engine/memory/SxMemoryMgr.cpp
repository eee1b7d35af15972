#include "sound/engine/memory/SxMemoryMgr.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/os/Threads.h"
#include "platform/os/VirtualMemory.h"
#include "sound/engine/memory/SxTlsfHeap.h"

namespace SX {

SxMemPoolId g_DefaultPoolId = SxInvalidPoolId;

namespace {

struct SxPoolRecord {
    uint32_t numBlocks = 0;  // 0 marks a free slot
    uint32_t blockSize = 0;
    void* ownMemory = nullptr;  // what the pool allocated itself
    size_t ownSize = 0;
    char* start = nullptr;
    void* freeHead = nullptr;  // fixed blocks: each free block's first word links the next
    void* freeTail = nullptr;
    uint32_t freeCount = 0;
    uint8_t* inUse = nullptr;  // fixed blocks: one bit per block handed out
    uint32_t attributes = SxMemPool_Default;
    uint32_t owned = 0;
    // Not re-entrant: nothing done under it calls back into the manager, and every allocation
    // takes it, where the re-entrant kind costs more.
    std::mutex lock;
    SxTlsfHeap* heap = nullptr;
    uint32_t alignment = 0;
    uint32_t usedBytes = 0;
    uint32_t reservedBytes = 0;

    void Clear() {
        numBlocks = blockSize = freeCount = owned = alignment = usedBytes = reservedBytes = 0;
        ownMemory = nullptr;
        ownSize = 0;
        start = nullptr;
        freeHead = freeTail = nullptr;
        std::free(inUse);
        inUse = nullptr;
        attributes = SxMemPool_Default;
        heap = nullptr;
    }
};

// Pools of virtual memory take their pages from the platform: reserved and committed at once.
// Pages of a pool taken from the system; large pages where the system gives them, since blocks
// are spread over the whole pool and each small page touched costs a translation-cache entry.
void* ReserveVirtualPages(size_t size) {
    void* memory = platform::ReserveMemory(size);
    if (memory && !platform::CommitMemory(memory, size)) {
        platform::ReleaseMemory(memory, size);
        return nullptr;
    }
    platform::AdviseLargePages(memory, size);
    return memory;
}

void ReleaseVirtualPages(void* address, size_t size) { platform::ReleaseMemory(address, size); }

SxPoolRecord* g_pools = nullptr;
uint32_t g_maxPools = 0;
uint32_t g_numPools = 0;
bool g_initialized = false;
std::mutex g_tableMutex;  // slot search and the count of pools in use

bool InTable(SxMemPoolId pool) { return g_pools && pool >= 0 && static_cast<uint32_t>(pool) < g_maxPools; }

// The record of a pool in use, or null.
SxPoolRecord* PoolFor(SxMemPoolId pool) {
    if (!InTable(pool) || g_pools[pool].numBlocks == 0) return nullptr;
    return &g_pools[pool];
}

void ReleaseOwnedMemory(SxPoolRecord& record) {
    if (!record.owned || !record.ownMemory) return;
    if ((record.attributes & SxMemPool_SourceMask) == SxMemPool_VirtualMemory)
        ReleaseVirtualPages(record.ownMemory, record.ownSize);
    else
        std::free(record.ownMemory);
}

uintptr_t AlignUp(uintptr_t value, uintptr_t to) { return to ? (value + to - 1) / to * to : value; }

bool IsFixed(const SxPoolRecord& record) { return (record.attributes & SxMemPool_FixedBlocks) != 0; }

}  // namespace

namespace MemoryMgr {

SXRESULT Init(const SxMemoryMgrSettings* settings) {
    if (g_initialized || !settings) return SX_Fail;
    g_pools = new (std::nothrow) SxPoolRecord[settings->maxPools];
    if (!g_pools) return SX_Fail;
    g_maxPools = settings->maxPools;
    g_numPools = 0;
    g_initialized = true;
    return SX_Success;
}

bool IsInitialized() { return g_initialized; }

void Term() {
    if (!g_initialized) return;
    for (uint32_t i = 0; i < g_maxPools; ++i)
        if (g_pools[i].numBlocks != 0) DestroyPool(static_cast<SxMemPoolId>(i));
    delete[] g_pools;
    g_pools = nullptr;
    g_maxPools = g_numPools = 0;
    g_initialized = false;
}

SxMemPoolId CreatePool(void* memory, uint32_t size, uint32_t blockSize, uint32_t attributes, uint32_t blockAlignment) {
    const uint32_t source = attributes & SxMemPool_SourceMask;
    const bool fixed = (attributes & SxMemPool_FixedBlocks) != 0;
    if (!g_initialized || source > SxMemPool_VirtualMemory) return SxInvalidPoolId;
    if (source == SxMemPool_CallerMemory && !memory) return SxInvalidPoolId;
    // A block must be able to hold the free-list link; alignments are powers of two.
    if (blockSize == 0 || (fixed && blockSize < sizeof(void*))) return SxInvalidPoolId;
    if (blockAlignment & (blockAlignment - 1)) return SxInvalidPoolId;
    const uint32_t numBlocks = size / blockSize;
    if (numBlocks == 0) return SxInvalidPoolId;
    const size_t usable = size_t(numBlocks) * blockSize;

    std::lock_guard<std::mutex> table(g_tableMutex);
    if (g_numPools >= g_maxPools) return SxInvalidPoolId;
    uint32_t slot = 0;
    while (slot < g_maxPools && g_pools[slot].numBlocks != 0) ++slot;
    if (slot == g_maxPools) return SxInvalidPoolId;
    SxPoolRecord& record = g_pools[slot];
    std::lock_guard<std::mutex> lock(record.lock);

    // Heaps need 16-byte aligned memory whatever the pool's own alignment.
    const uint32_t align = fixed ? blockAlignment : std::max<uint32_t>(blockAlignment, SxTlsfHeap::kAlignment);
    char* start;
    size_t room;
    if (source == SxMemPool_CallerMemory) {
        auto raw = reinterpret_cast<uintptr_t>(memory);
        start = reinterpret_cast<char*>(AlignUp(raw, align));
        size_t skipped = reinterpret_cast<uintptr_t>(start) - raw;
        if (skipped > usable) return SxInvalidPoolId;
        room = usable - skipped;
    } else {
        size_t request = usable + align;
        void* own = source == SxMemPool_VirtualMemory ? ReserveVirtualPages(request) : std::malloc(request);
        if (!own) return SxInvalidPoolId;
        record.ownMemory = own;
        record.ownSize = request;
        record.owned = 1;
        start = reinterpret_cast<char*>(AlignUp(reinterpret_cast<uintptr_t>(own), align));
        room = usable;
    }
    record.attributes = attributes;
    record.start = start;
    record.reservedBytes = static_cast<uint32_t>(usable);

    uint32_t blocks = numBlocks;
    if (fixed) {
        blocks = static_cast<uint32_t>(room / blockSize);
        record.inUse = static_cast<uint8_t*>(std::calloc((blocks + 7) / 8, 1));
        if (blocks == 0 || !record.inUse) {
            ReleaseOwnedMemory(record);
            record.Clear();
            return SxInvalidPoolId;
        }
        for (uint32_t i = 0; i < blocks; ++i) {
            char* block = start + size_t(i) * blockSize;
            *reinterpret_cast<void**>(block) = i + 1 < blocks ? block + blockSize : nullptr;
        }
        record.freeHead = start;
        record.freeTail = start + size_t(blocks - 1) * blockSize;
        record.freeCount = blocks;
        record.reservedBytes = blocks * blockSize;
    } else {
        record.heap = SxTlsfHeap::Create(start, room);
        if (!record.heap) {
            ReleaseOwnedMemory(record);
            record.Clear();
            return SxInvalidPoolId;
        }
        record.reservedBytes = static_cast<uint32_t>(room - SxTlsfHeap::Overhead());
    }
    record.numBlocks = blocks;
    record.blockSize = blockSize;
    record.alignment = blockAlignment;
    ++g_numPools;
    return static_cast<SxMemPoolId>(slot);
}

SXRESULT DestroyPool(SxMemPoolId pool) {
    if (CheckPoolId(pool) != SX_Success) return SX_InvalidID;
    std::lock_guard<std::mutex> table(g_tableMutex);
    SxPoolRecord& record = g_pools[pool];
    std::lock_guard<std::mutex> lock(record.lock);
    ReleaseOwnedMemory(record);
    record.Clear();
    --g_numPools;
    return SX_Success;
}

SXRESULT CheckPoolId(SxMemPoolId pool) { return PoolFor(pool) ? SX_Success : SX_InvalidID; }

void* Malloc(SxMemPoolId pool, size_t size) {
    SxPoolRecord* record = PoolFor(pool);
    if (!record || size == 0) return nullptr;
    std::lock_guard<std::mutex> lock(record->lock);
    if (!record->heap) return nullptr;
    size_t cost = 0;
    void* memory = record->alignment > SxTlsfHeap::kAlignment ? record->heap->Malign(size, record->alignment, &cost)
                                                              : record->heap->Malloc(size, &cost);
    if (memory) record->usedBytes += static_cast<uint32_t>(cost);
    return memory;
}

void* Malign(SxMemPoolId pool, size_t size, uint32_t alignment) {
    SxPoolRecord* record = PoolFor(pool);
    if (!record || size == 0) return nullptr;
    std::lock_guard<std::mutex> lock(record->lock);
    if (!record->heap) return nullptr;
    size_t cost = 0;
    void* memory = record->heap->Malign(size, alignment, &cost);
    if (memory) record->usedBytes += static_cast<uint32_t>(cost);
    return memory;
}

SXRESULT Free(SxMemPoolId pool, void* pointer) {
    if (!pointer) return SX_Success;
    SxPoolRecord* record = PoolFor(pool);
    if (!record) return SX_InvalidID;
    std::lock_guard<std::mutex> lock(record->lock);
    size_t cost = 0;
    if (!record->heap || !record->heap->Free(pointer, &cost)) return SX_Fail;
    record->usedBytes -= static_cast<uint32_t>(cost);
    return SX_Success;
}

void* GetBlock(SxMemPoolId pool) {
    SxPoolRecord* record = PoolFor(pool);
    if (!record || !IsFixed(*record) || !record->freeHead) return nullptr;
    char* block = static_cast<char*>(record->freeHead);
    record->freeHead = *reinterpret_cast<void**>(block);
    if (!record->freeHead) record->freeTail = nullptr;
    --record->freeCount;
    size_t index = size_t(block - record->start) / record->blockSize;
    record->inUse[index / 8] |= uint8_t(1u << (index % 8));
    record->usedBytes += record->blockSize;
    return block;
}

SXRESULT ReleaseBlock(SxMemPoolId pool, void* block) {
    SxPoolRecord* record = PoolFor(pool);
    if (!record) return SX_InvalidID;
    if (!IsFixed(*record) || !block) return SX_Fail;
    auto offset = reinterpret_cast<uintptr_t>(block) - reinterpret_cast<uintptr_t>(record->start);
    if (static_cast<char*>(block) < record->start || offset % record->blockSize != 0 ||
        offset / record->blockSize >= record->numBlocks)
        return SX_Fail;
    size_t index = offset / record->blockSize;
    uint8_t bit = uint8_t(1u << (index % 8));
    if (!(record->inUse[index / 8] & bit)) return SX_Fail;
    record->inUse[index / 8] &= uint8_t(~bit);
    *static_cast<void**>(block) = nullptr;
    if (record->freeTail)
        *static_cast<void**>(record->freeTail) = block;
    else
        record->freeHead = block;
    record->freeTail = block;
    ++record->freeCount;
    record->usedBytes -= record->blockSize;
    return SX_Success;
}

SXRESULT GetPoolStats(SxMemPoolId pool, SxPoolStats& stats) {
    if (!InTable(pool)) return SX_Fail;
    SxPoolRecord& record = g_pools[pool];
    std::lock_guard<std::mutex> lock(record.lock);
    stats = SxPoolStats{};
    stats.reservedBytes = record.reservedBytes;
    stats.usedBytes = record.usedBytes;
    return SX_Success;
}

SXRESULT GetPoolMemoryUsed(SxMemPoolId pool, SxPoolMemInfo& info) {
    if (!InTable(pool)) return SX_Fail;
    SxPoolRecord& record = g_pools[pool];
    std::lock_guard<std::mutex> lock(record.lock);
    info.reservedBytes = record.reservedBytes;
    info.usedBytes = record.usedBytes;
    return SX_Success;
}

uint32_t GetBlockSize(SxMemPoolId pool) { return InTable(pool) ? g_pools[pool].blockSize : 0; }
uint32_t GetPoolAttributes(SxMemPoolId pool) { return InTable(pool) ? g_pools[pool].attributes : 0; }
uint32_t GetNumPools() { return g_numPools; }
uint32_t GetMaxPools() { return g_maxPools; }

size_t GetLargestFreeBlock(SxMemPoolId pool) {
    SxPoolRecord* record = PoolFor(pool);
    if (!record) return 0;
    std::lock_guard<std::mutex> lock(record->lock);
    if (!record->heap) return record->freeCount ? record->blockSize : 0;
    return record->heap->Inspect().largestFree;
}

SXRESULT SetPoolName(SxMemPoolId, const char*) { return SX_Success; }
SXRESULT SetPoolName(SxMemPoolId, const wchar_t*) { return SX_Success; }
const wchar_t* GetPoolName(SxMemPoolId) { return nullptr; }
SXRESULT SetMonitoring(SxMemPoolId, uint32_t) { return SX_Success; }

}  // namespace MemoryMgr
}  // namespace SX
