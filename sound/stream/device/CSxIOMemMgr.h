#pragma once
// The IO memory of a device: one pool cut into blocks of one granularity each, handed to
// automatic streams for their transfers. Not locked: the device's thread lock guards it.
#include <cstdint>

#include "sound/engine/stream/SxStreamTypes.h"

namespace SX::StreamMgr {

struct SxIOBlock {
    int64_t position = 0;  // file position of the data
    uint8_t* data = nullptr;
    SxIOBlock* next = nullptr;             // free list
    uint32_t fileID = SX_INVALID_FILE_ID;  // whose data the block caches; none while it is read
    uint32_t dataSize = 0;
    uint16_t refCount = 0;
};

class CSxIOMemMgr {
public:
    // SX_Fail when the pool or the block records cannot be made; a size of 0 gives no blocks.
    SXRESULT Init(const SxDeviceSettings& settings);
    void Term();

    // The head of the free list, or null when every block is out. The block's cached data,
    // if any, is forgotten.
    SxIOBlock* GetBlock();
    // With caching on: a block holding the file's data from that position on, at least size
    // bytes of it, with a reference added; null when none does.
    SxIOBlock* FindCached(uint32_t fileID, int64_t position, uint32_t size);
    bool Caching() const { return m_caching; }
    // At the last reference a block goes back: cached data to the tail (reused last), an
    // empty block to the head.
    void ReleaseBlock(SxIOBlock* block);

    uint32_t NumBlocks() const { return m_numBlocks; }

private:
    SxMemPoolId m_pool = SxInvalidPoolId;
    void* m_memory = nullptr;
    SxIOBlock* m_blocks = nullptr;
    SxIOBlock* m_freeHead = nullptr;
    SxIOBlock* m_freeTail = nullptr;
    uint32_t m_numBlocks = 0;
    bool m_caching = false;
};

}  // namespace SX::StreamMgr
