#pragma once
// Brings up the memory manager with a default pool for the life of a test.
#include <gtest/gtest.h>

#include "sound/engine/memory/SxMemoryMgr.h"

namespace sxtest {

class TestMemory {
public:
    explicit TestMemory(uint32_t defaultPoolSize = 4 << 20) {
        SX::SxMemoryMgrSettings settings;
        settings.maxPools = 8;
        EXPECT_EQ(SX::MemoryMgr::Init(&settings), SX::SX_Success);
        SX::g_DefaultPoolId = SX::MemoryMgr::CreatePool(nullptr, defaultPoolSize, 16, SX::SxMemPool_Heap);
        EXPECT_GE(SX::g_DefaultPoolId, 0);
    }
    ~TestMemory() {
        SX::MemoryMgr::Term();
        SX::g_DefaultPoolId = SX::SxInvalidPoolId;
    }
    TestMemory(const TestMemory&) = delete;
    TestMemory& operator=(const TestMemory&) = delete;

    uint32_t Used() const {
        SX::SxPoolMemInfo info;
        SX::MemoryMgr::GetPoolMemoryUsed(SX::g_DefaultPoolId, info);
        return info.usedBytes;
    }
};

}  // namespace sxtest
