#pragma once
// Where a music segment may be left and where the next one may start: sync types, entry
// types and the searches over a segment's cues and grid. Positions are samples counted from
// the entry cue (negative in the pre-entry).
#include <cstdint>
#include <vector>

#include "sound/engine/SxTypes.h"
#include "sound/music/SxMusicGrid.h"

namespace SX {

enum SxSyncType : uint32_t {
    SxSyncType_Immediate = 0,
    SxSyncType_NextGrid = 1,
    SxSyncType_NextBar = 2,
    SxSyncType_NextBeat = 3,
    SxSyncType_NextMarker = 4,
    SxSyncType_NextUserMarker = 5,
    SxSyncType_EntryMarker = 6,
    SxSyncType_ExitMarker = 7,
};

enum SxDestEntryType : uint32_t {
    SxEntryType_EntryMarker = 0,
    SxEntryType_SameTime = 1,
    SxEntryType_RandomMarker = 2,
    SxEntryType_RandomUserMarker = 3,
};

// A cue: position in samples from the start of the segment.
struct SxMusicMarker {
    uint32_t id = 0;
    int32_t position = 0;
};

// The times of one segment: its length, its cues (the first the entry cue, the last the exit
// cue, user cues between) and the grid it plays on.
struct SxSegmentTiming {
    int32_t duration = 0;
    std::vector<SxMusicMarker> cues{SxMusicMarker{}, SxMusicMarker{}};
    SxMusicGrid grid;

    int32_t PreEntry() const { return cues.front().position; }
    int32_t Active() const { return cues.back().position - cues.front().position; }
    int32_t PostExit() const { return duration - cues.back().position; }
};

// The first sync point of the type at or after position (user cues: strictly after).
// SX_Fail when there is none before the exit cue, for an unknown type, and for grid, bar and
// beat syncs on a segment without a valid grid.
SXRESULT SxGetNextSyncPosition(const SxSegmentTiming& segment, int32_t position, uint32_t syncType,
                               bool excludePreEntry, int32_t& out);

// Where a destination segment starts for the entry type (the low three bits of the entry
// field); sourcePosition is the source's position at the sync point, used by same-time entry.
// Random cues draw from the engine's per-thread generator.
SXRESULT SxGetDestEntryPosition(const SxSegmentTiming& segment, uint32_t entryType, int32_t sourcePosition,
                                int32_t& out);

}  // namespace SX
