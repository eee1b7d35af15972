#pragma once
// The sound engine's allocator: a fixed table of pools, each a TLSF heap or a list of
// fixed-size blocks, addressed by pool ID. Every engine object, list and buffer names its pool.
#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

#include "sound/engine/SxTypes.h"

namespace SX {

struct SxMemoryMgrSettings {
    uint32_t maxPools = 0;
};

// Bits 0-1: where the pool's memory comes from; bit 3: fixed-size blocks (else a heap).
enum SxMemPoolAttributes : uint32_t {
    SxMemPool_CallerMemory = 0,
    SxMemPool_Heap = 1,
    SxMemPool_VirtualMemory = 2,
    SxMemPool_SourceMask = 3,
    SxMemPool_FixedBlocks = 8,
    SxMemPool_Default = SxMemPool_Heap,
};

struct SxPoolStats {
    uint32_t reservedBytes = 0;
    uint32_t usedBytes = 0;
    uint32_t unused[3] = {};
};

struct SxPoolMemInfo {
    uint32_t reservedBytes = 0;
    uint32_t usedBytes = 0;
};

namespace MemoryMgr {

SXRESULT Init(const SxMemoryMgrSettings* settings);
bool IsInitialized();
void Term();

// The pool ID, or -1 (bad attributes, no memory, no free slot, a size the pool cannot use).
SxMemPoolId CreatePool(void* memory, uint32_t size, uint32_t blockSize, uint32_t attributes,
                       uint32_t blockAlignment = 0);
SXRESULT DestroyPool(SxMemPoolId pool);
// SX_Success when the ID names a pool in use, else SX_InvalidID.
SXRESULT CheckPoolId(SxMemPoolId pool);

// 16-byte aligned (or the pool's block alignment); null for 0 bytes, no room or a bad pool.
void* Malloc(SxMemPoolId pool, size_t size);
void* Malign(SxMemPoolId pool, size_t size, uint32_t alignment);
// Null is accepted. SX_InvalidID for a bad pool; SX_Fail, changing nothing, for a pointer
// that is not a live block of the pool (double or foreign free).
SXRESULT Free(SxMemPoolId pool, void* pointer);
inline SXRESULT Falign(SxMemPoolId pool, void* pointer) { return Free(pool, pointer); }

// Fixed-block pools; not locked: one thread at a time per pool.
void* GetBlock(SxMemPoolId pool);
// SX_InvalidID for a bad pool; SX_Fail for a pointer that is not a block of the pool in use.
SXRESULT ReleaseBlock(SxMemPoolId pool, void* block);

SXRESULT GetPoolStats(SxMemPoolId pool, SxPoolStats& stats);
SXRESULT GetPoolMemoryUsed(SxMemPoolId pool, SxPoolMemInfo& info);
uint32_t GetBlockSize(SxMemPoolId pool);
uint32_t GetPoolAttributes(SxMemPoolId pool);
uint32_t GetNumPools();
uint32_t GetMaxPools();
// The largest free block of a heap pool (walks the heap), or the block size of a fixed-block
// pool with a block left; 0 when nothing is free.
size_t GetLargestFreeBlock(SxMemPoolId pool);

SXRESULT SetPoolName(SxMemPoolId pool, const char* name);
SXRESULT SetPoolName(SxMemPoolId pool, const wchar_t* name);
const wchar_t* GetPoolName(SxMemPoolId pool);
SXRESULT SetMonitoring(SxMemPoolId pool, uint32_t flags);

}  // namespace MemoryMgr

// The pool most of the engine allocates from; -1 until the engine creates it.
extern SxMemPoolId g_DefaultPoolId;

// Constructs a T in a pool; null when the pool has no room.
template <typename T, typename... Args>
T* SxNew(SxMemPoolId pool, Args&&... args) {
    void* memory = MemoryMgr::Malloc(pool, sizeof(T));
    return memory ? new (memory) T(std::forward<Args>(args)...) : nullptr;
}

template <typename T>
void SxDelete(SxMemPoolId pool, T* object) {
    if (!object) return;
    void* memory = object;
    if constexpr (std::is_polymorphic_v<T>) memory = dynamic_cast<void*>(object);
    object->~T();
    MemoryMgr::Free(pool, memory);
}

}  // namespace SX
