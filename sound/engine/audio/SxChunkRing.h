#pragma once
// The byte stream of queued messages: a ring of fixed-size chunks that grows, up to a maximum,
// by inserting a chunk in front of the one being read. A record never straddles two chunks.
// Not locked: the audio manager serialises every call under its queue lock.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/SxTypes.h"

namespace SX {

class SxChunkRing {
public:
    static constexpr uint32_t kChunkSize = 2048;
    // Records start on 8-byte boundaries so that their pointers are aligned.
    static constexpr uint32_t AlignedSize(uint32_t size) { return (size + 7u) & ~7u; }

    SxChunkRing() = default;
    ~SxChunkRing() { Term(); }
    SxChunkRing(const SxChunkRing&) = delete;
    SxChunkRing& operator=(const SxChunkRing&) = delete;

    // Two chunks now, from the pool; at most maxChunks (never less than 2).
    // SX_InsufficientMemory on failure.
    SXRESULT Init(uint32_t maxChunks, SxMemPoolId pool);
    void Term();

    // Copies size bytes and takes AlignedSize(size) of the chunk. SX_InsufficientMemory when
    // the ring is full (the full flag is then set).
    SXRESULT Append(const void* record, uint32_t size);
    bool IsEmpty() const;
    bool IsFull() const { return m_full; }
    // The bytes that can be read now; false when empty. They stay untouched by Append until
    // committed.
    bool PeekBlock(const uint8_t*& data, uint32_t& bytes);
    void Commit(uint32_t bytes);
    uint32_t ChunkCount() const { return m_count; }

private:
    friend struct platform::TestProbe<SxChunkRing>;

    struct Entry {
        uint8_t* chunk;
        uint32_t fill;
    };
    bool InsertChunk(uint32_t at);

    SxMemPoolId m_pool = SxInvalidPoolId;
    Entry* m_entries = nullptr;
    uint32_t m_count = 0;
    uint32_t m_capacity = 0;
    uint32_t m_maxChunks = 0;
    uint32_t m_read = 0;
    uint32_t m_readOffset = 0;
    uint32_t m_write = 0;
    uint32_t m_writeFill = 0;
    bool m_full = false;
};

}  // namespace SX
