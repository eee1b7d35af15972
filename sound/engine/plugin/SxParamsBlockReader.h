#pragma once
// Reads a plug-in's parameter block from a bank: fields packed without padding, little-endian,
// in the order of the plug-in's parameter struct. A block whose size is not exactly that of
// the fields is refused as a whole, so that a parameter object never mixes block values with
// bytes from beyond the block.
#include <cstdint>
#include <cstring>

#include "sound/engine/SxTypes.h"

namespace SX {

class SxParamsBlockReader {
public:
    // expectedSize: the packed size of every field the plug-in reads.
    SxParamsBlockReader(const void* block, uint32_t size, uint32_t expectedSize)
        : m_block(static_cast<const uint8_t*>(block)),
          m_size(block && size == expectedSize ? size : 0),
          m_valid(block && size == expectedSize) {}

    // SX_Success for a block of the expected size; else SX_InvalidParameter and the caller
    // keeps (or restores) its defaults.
    SXRESULT Result() const { return m_valid ? SX_Success : SX_InvalidParameter; }
    bool IsValid() const { return m_valid; }

    // Each read of a refused block, or past the end, answers the fallback.
    float ReadF32(float fallback = 0.0f) { return Read<float>(fallback); }
    uint32_t ReadU32(uint32_t fallback = 0) { return Read<uint32_t>(fallback); }
    int32_t ReadI32(int32_t fallback = 0) { return Read<int32_t>(fallback); }
    uint8_t ReadU8(uint8_t fallback = 0) { return Read<uint8_t>(fallback); }

private:
    template <typename T>
    T Read(T fallback) {
        if (m_offset + sizeof(T) > m_size) return fallback;
        T value;
        std::memcpy(&value, m_block + m_offset, sizeof(T));  // the engine runs little-endian
        m_offset += sizeof(T);
        return value;
    }

    const uint8_t* m_block;
    uint32_t m_size;
    uint32_t m_offset = 0;
    bool m_valid;
};

}  // namespace SX
