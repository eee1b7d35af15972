#pragma once
// Reads of the music records' fields that the hierarchy's cursor has no call for.
#include <cstdint>
#include <cmath>
#include <cstring>

#include "sound/engine/hierarchy/SxReadCursor.h"
#include "sound/engine/transitions/SxTimingSettings.h"

namespace SX {

inline bool SxReadF64(SxReadCursor& cursor, double& out) {
    uint32_t low, high;
    if (!cursor.U32(low) || !cursor.U32(high)) return false;
    const uint64_t bits = uint64_t(high) << 32 | low;
    std::memcpy(&out, &bits, 8);
    return true;
}

// Samples of a time in ms read from a record; false for a time that is not finite or whose
// samples do not fit 32 bits.
inline bool SxMsToSamples(double ms, int32_t& out) {
    const double samples = SxTimingSettings::sampleRate * ms * 0.001;
    if (!std::isfinite(samples) || std::fabs(samples) > 2147483000.0) return false;
    out = SxTimeConv::MillisecondsToSamples(ms);
    return true;
}

inline bool SxReadI32(SxReadCursor& cursor, int32_t& out) {
    uint32_t bits;
    if (!cursor.U32(bits)) return false;
    out = static_cast<int32_t>(bits);
    return true;
}

}  // namespace SX
