#pragma once
// The allocator handed to plug-ins: the memory manager's Malloc and Free on one pool.
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

class SxFXMemAlloc final : public ISxPluginMemAlloc {
public:
    explicit SxFXMemAlloc(SxMemPoolId pool = SxInvalidPoolId) : m_pool(pool) {}
    void* Malloc(size_t size) override { return MemoryMgr::Malloc(m_pool, size); }
    void Free(void* pointer) override { MemoryMgr::Free(m_pool, pointer); }
    void SetPool(SxMemPoolId pool) { m_pool = pool; }
    SxMemPoolId Pool() const { return m_pool; }

private:
    SxMemPoolId m_pool;
};

// The allocator of every plug-in of the lower engine, on the lower engine's pool.
extern SxFXMemAlloc g_LEngineFxAllocator;

}  // namespace SX
