#pragma once
// Reads of the music records' fields that the hierarchy's cursor has no call for.
#include <cstdint>
#include <cstring>

#include "sound/engine/hierarchy/SxReadCursor.h"

namespace SX {

inline bool SxReadF64(SxReadCursor& cursor, double& out) {
    uint32_t low, high;
    if (!cursor.U32(low) || !cursor.U32(high)) return false;
    const uint64_t bits = uint64_t(high) << 32 | low;
    std::memcpy(&out, &bits, 8);
    return true;
}

inline bool SxReadI32(SxReadCursor& cursor, int32_t& out) {
    uint32_t bits;
    if (!cursor.U32(bits)) return false;
    out = static_cast<int32_t>(bits);
    return true;
}

}  // namespace SX
