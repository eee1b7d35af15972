#pragma once
// The music engine's entry, called by the engine's sound system after the sound engine has
// started and before it stops.
#include "sound/engine/SxTypes.h"

namespace SX {

struct SxMusicSettings {
    float fLookAheadScale = 1.0f;  // applied to each music track's look-ahead as it loads
};

}  // namespace SX

namespace SX::MusicEngine {

void GetDefaultInitSettings(SxMusicSettings& settings);
// settings may be null (defaults). Installs the reader of the music records; calling it again
// installs it again.
SXRESULT Init(SxMusicSettings* settings);
// Safe without Init.
void Term();

}  // namespace SX::MusicEngine
