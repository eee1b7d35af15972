#include "sound/stream/device/CSxIOMemMgr.h"

#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/stream/manager/SxStreamMgr.h"

namespace SX::StreamMgr {

SXRESULT CSxIOMemMgr::Init(const SxDeviceSettings& settings) {
    const uint32_t count = settings.granularity ? settings.ioMemorySize / settings.granularity : 0;
    if (count == 0) return settings.ioMemorySize == 0 ? SX_Success : SX_Fail;
    const uint64_t bytes = uint64_t(count) * settings.granularity;
    if (bytes > 0xFFFFFFFFull) return SX_Fail;
    const uint32_t size = static_cast<uint32_t>(bytes);
    // One fixed block as large as the pool: the device cuts it itself.
    m_pool = MemoryMgr::CreatePool(settings.ioMemory, size, size, settings.poolAttributes | SxMemPool_FixedBlocks,
                                   settings.ioMemoryAlignment);
    if (m_pool == SxInvalidPoolId) return SX_Fail;
    m_memory = MemoryMgr::GetBlock(m_pool);
    m_blocks = static_cast<SxIOBlock*>(MemoryMgr::Malloc(GetPoolID(), sizeof(SxIOBlock) * count));
    if (!m_memory || !m_blocks) {
        Term();
        return SX_Fail;
    }
    m_numBlocks = count;
    m_caching = settings.maxCacheRatio > 1.0f;
    for (uint32_t i = 0; i < count; ++i) {
        SxIOBlock* block = new (&m_blocks[i]) SxIOBlock;
        block->data = static_cast<uint8_t*>(m_memory) + size_t(i) * settings.granularity;
        ReleaseBlock((++block->refCount, block));
    }
    return SX_Success;
}

void CSxIOMemMgr::Term() {
    if (m_blocks) MemoryMgr::Free(GetPoolID(), m_blocks);
    if (m_pool != SxInvalidPoolId) MemoryMgr::DestroyPool(m_pool);
    *this = CSxIOMemMgr();
}

SxIOBlock* CSxIOMemMgr::GetBlock() {
    SxIOBlock* block = m_freeHead;
    if (!block) return nullptr;
    m_freeHead = block->next;
    if (!m_freeHead) m_freeTail = nullptr;
    block->next = nullptr;
    block->refCount = 1;
    block->fileID = SX_INVALID_FILE_ID;
    return block;
}

SxIOBlock* CSxIOMemMgr::FindCached(uint32_t fileID, int64_t position, uint32_t size) {
    if (!m_caching || fileID == SX_INVALID_FILE_ID) return nullptr;
    for (uint32_t i = 0; i < m_numBlocks; ++i) {
        SxIOBlock* block = &m_blocks[i];
        if (block->fileID != fileID || block->position != position || block->dataSize < size) continue;
        if (block->refCount == 0) {
            // Take it off the free list.
            SxIOBlock* previous = nullptr;
            for (SxIOBlock* free = m_freeHead; free != block; free = free->next) previous = free;
            (previous ? previous->next : m_freeHead) = block->next;
            if (m_freeTail == block) m_freeTail = previous;
            block->next = nullptr;
        }
        ++block->refCount;
        return block;
    }
    return nullptr;
}

void CSxIOMemMgr::ReleaseBlock(SxIOBlock* block) {
    if (!block || block->refCount == 0 || --block->refCount > 0) return;
    if (block->fileID != SX_INVALID_FILE_ID && m_freeTail) {
        m_freeTail->next = block;
        block->next = nullptr;
        m_freeTail = block;
        return;
    }
    block->next = m_freeHead;
    m_freeHead = block;
    if (!m_freeTail) m_freeTail = block;
}

}  // namespace SX::StreamMgr
