#include "sound/music/SxMusicSync.h"

#include <cstddef>

#include "platform/os/Random.h"

namespace SX {
namespace {

// The first value first + k * step (k >= 0) not below position; step must be above 0.
int64_t NextStep(int64_t first, int64_t step, int64_t position) {
    if (first >= position) return first;
    return first + (position - first + step - 1) / step * step;
}

}  // namespace

SXRESULT SxGetNextSyncPosition(const SxSegmentTiming& segment, int32_t position, uint32_t syncType,
                               bool excludePreEntry, int32_t& out) {
    const int32_t entry = segment.PreEntry();
    const int32_t active = segment.Active();
    if (position < -entry) position = -entry;
    if (excludePreEntry && position < 0) position = 0;
    if (position > active) return SX_Fail;

    int64_t step = 0;
    int64_t first = 0;
    switch (syncType) {
        case SxSyncType_Immediate:
            out = position;
            return SX_Success;
        case SxSyncType_NextGrid:
            step = segment.grid.gridPeriod;
            first = segment.grid.gridOffset;
            break;
        case SxSyncType_NextBar:
            step = segment.grid.bar;
            break;
        case SxSyncType_NextBeat:
            step = segment.grid.beat;
            break;
        case SxSyncType_NextMarker:
            for (std::size_t i = excludePreEntry ? 1 : 0; i < segment.cues.size(); ++i) {
                if (segment.cues[i].position - entry >= position) {
                    out = segment.cues[i].position - entry;
                    return SX_Success;
                }
            }
            return SX_Fail;
        case SxSyncType_NextUserMarker:
            for (std::size_t i = 1; i + 1 < segment.cues.size(); ++i) {
                if (segment.cues[i].position - entry > position) {
                    out = segment.cues[i].position - entry;
                    return SX_Success;
                }
            }
            return SX_Fail;
        case SxSyncType_EntryMarker:
            if (position > 0 || excludePreEntry) return SX_Fail;
            out = 0;
            return SX_Success;
        case SxSyncType_ExitMarker:
            out = active;
            return SX_Success;
        default:
            return SX_Fail;
    }
    // A segment with no grid has no grid, bar or beat to sync on.
    if (step <= 0) return SX_Fail;
    const int64_t value = NextStep(first, step, position);
    if (value > active) return SX_Fail;
    out = static_cast<int32_t>(value);
    return SX_Success;
}

SXRESULT SxGetDestEntryPosition(const SxSegmentTiming& segment, uint32_t entryType, int32_t sourcePosition,
                                int32_t& out) {
    const auto& cues = segment.cues;
    switch (entryType) {
        case SxEntryType_EntryMarker:
            out = 0;
            return SX_Success;
        case SxEntryType_SameTime:
            if (sourcePosition >= segment.Active()) return SX_Fail;
            out = sourcePosition;
            return SX_Success;
        case SxEntryType_RandomMarker:
            out = cues[platform::crt_rand() % (cues.size() - 1)].position - segment.PreEntry();
            return SX_Success;
        case SxEntryType_RandomUserMarker:
            out =
                cues.size() < 3 ? 0 : cues[1 + platform::crt_rand() % (cues.size() - 2)].position - segment.PreEntry();
            return SX_Success;
        default:
            return SX_Fail;
    }
}

}  // namespace SX
