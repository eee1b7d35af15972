#include "sound/music/SxMusicGrid.h"

#include <cmath>

#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/music/SxMusicRead.h"

namespace SX {

SXRESULT SxComputeMusicGrid(const SxMusicGridFields& fields, SxMusicGrid& out) {
    if (!(fields.tempo > 0.0f) || fields.beatValue == 0 || fields.beatsPerBar == 0 || !(fields.gridPeriodMs > 0.0))
        return SX_InvalidParameter;
    const double beat = std::round(SxTimingSettings::sampleRate * (60.0 / fields.tempo) * (4.0 / fields.beatValue));
    int32_t period, offset;
    if (!SxMsToSamples(fields.gridPeriodMs, period) || !SxMsToSamples(fields.gridOffsetMs, offset))
        return SX_InvalidParameter;
    // A tempo so high that a beat or the grid period rounds to nothing would step nowhere.
    if (!(beat >= 1.0) || period < 1 || beat * fields.beatsPerBar > 2147483647.0) return SX_InvalidParameter;
    out.beat = static_cast<uint32_t>(beat);
    out.bar = out.beat * fields.beatsPerBar;
    out.gridPeriod = static_cast<uint32_t>(period);
    out.gridOffset = static_cast<uint32_t>((offset % period + period) % period);
    return SX_Success;
}

}  // namespace SX
