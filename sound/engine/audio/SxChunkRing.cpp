#include "sound/engine/audio/SxChunkRing.h"

#include <cstring>

#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

SXRESULT SxChunkRing::Init(uint32_t maxChunks, SxMemPoolId pool) {
    Term();
    m_pool = pool;
    m_maxChunks = maxChunks < 2 ? 2 : maxChunks;
    for (uint32_t i = 0; i < 2; ++i)
        if (!InsertChunk(i)) {
            Term();
            return SX_InsufficientMemory;
        }
    return SX_Success;
}

void SxChunkRing::Term() {
    for (uint32_t i = 0; i < m_count; ++i) MemoryMgr::Free(m_pool, m_entries[i].chunk);
    MemoryMgr::Free(m_pool, m_entries);
    m_entries = nullptr;
    m_count = m_capacity = m_maxChunks = 0;
    m_read = m_readOffset = m_write = m_writeFill = 0;
    m_full = false;
}

bool SxChunkRing::InsertChunk(uint32_t at) {
    if (m_count == m_capacity) {
        const uint32_t capacity = m_capacity ? m_capacity * 2 : 4;
        auto* entries = static_cast<Entry*>(MemoryMgr::Malloc(m_pool, sizeof(Entry) * capacity));
        if (!entries) return false;
        if (m_count) std::memcpy(entries, m_entries, sizeof(Entry) * m_count);
        MemoryMgr::Free(m_pool, m_entries);
        m_entries = entries;
        m_capacity = capacity;
    }
    auto* chunk = static_cast<uint8_t*>(MemoryMgr::Malloc(m_pool, kChunkSize));
    if (!chunk) return false;
    std::memmove(m_entries + at + 1, m_entries + at, sizeof(Entry) * (m_count - at));
    m_entries[at] = Entry{chunk, 0};
    ++m_count;
    return true;
}

SXRESULT SxChunkRing::Append(const void* record, uint32_t size) {
    const uint32_t span = AlignedSize(size);
    if (kChunkSize - m_writeFill >= span) {
        std::memcpy(m_entries[m_write].chunk + m_writeFill, record, size);
        m_writeFill += span;
    } else {
        if (m_full || span > kChunkSize) return SX_InsufficientMemory;
        uint32_t next = m_write + 1 == m_count ? 0 : m_write + 1;
        if (next == m_read) {
            // Every chunk is in use: a new one goes in front of the read chunk.
            next = m_write + 1;
            if (m_count >= m_maxChunks || !InsertChunk(next)) {
                m_full = true;
                return SX_InsufficientMemory;
            }
            if (m_read >= next) ++m_read;
        }
        m_write = next;
        std::memcpy(m_entries[m_write].chunk, record, size);
        m_writeFill = span;
    }
    m_entries[m_write].fill = m_writeFill;
    return SX_Success;
}

bool SxChunkRing::IsEmpty() const { return m_read == m_write && m_readOffset == m_writeFill && !m_full; }

bool SxChunkRing::PeekBlock(const uint8_t*& data, uint32_t& bytes) {
    if (IsEmpty()) return false;
    if (m_readOffset >= m_entries[m_read].fill) {
        m_read = m_read + 1 == m_count ? 0 : m_read + 1;
        m_readOffset = 0;
    }
    data = m_entries[m_read].chunk + m_readOffset;
    bytes = m_entries[m_read].fill - m_readOffset;
    return true;
}

void SxChunkRing::Commit(uint32_t bytes) {
    m_readOffset += bytes;
    m_full = false;
}

}  // namespace SX
