#pragma once
// What the plug-in parameter fuzz targets share: an allocator that refuses absurd sizes, as a
// host's would, and the engine's default memory pool.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/plugin/ISxPlugin.h"

namespace pluginfuzz {

class HeapAllocator final : public SX::ISxPluginMemAlloc {
public:
    void* Malloc(size_t size) override { return size <= (64u << 20) ? std::malloc(size) : nullptr; }
    void Free(void* pointer) override { std::free(pointer); }
};

// The memory manager and a default pool of that many bytes.
inline void InitDefaultPool(uint32_t bytes) {
    SX::SxMemoryMgrSettings settings;
    settings.maxPools = 4;
    SX::MemoryMgr::Init(&settings);
    SX::g_DefaultPoolId = SX::MemoryMgr::CreatePool(nullptr, bytes, 16, SX::SxMemPool_Heap);
}

}  // namespace pluginfuzz
