#pragma once
// The music engine's entry, called by the engine's sound system after the sound engine has
// started and before it stops.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

struct SxMusicSettings {
    float fLookAheadScale = 1.0f;  // applied to each music track's look-ahead as it loads
};

// The segment heard now by a playing ID, in milliseconds.
struct SxSegmentInfo {
    int32_t iPositionMs = 0;  // from the entry cue (negative in the pre-entry)
    int32_t iPreEntryMs = 0;
    int32_t iActiveMs = 0;  // exit cue minus entry cue
    int32_t iPostExitMs = 0;
    int32_t iLookAheadMs = 0;
};

}  // namespace SX

namespace SX::MusicEngine {

void GetDefaultInitSettings(SxMusicSettings& settings);
// settings may be null (defaults). Installs the reader of the music records; calling it again
// installs it again.
SXRESULT Init(SxMusicSettings* settings);
// Stops the music and waits, with a bound, until the audio thread released it. Safe without Init.
void Term();
// For a playing ID whose event asked to keep segment information: the values of the last audio
// frame, the position moved on by the time since with extrapolate. 2 for any other ID.
SXRESULT GetPlayingSegmentInfo(SxPlayingID playingID, SxSegmentInfo& info, bool extrapolate);

}  // namespace SX::MusicEngine
