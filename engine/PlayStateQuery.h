#pragma once
// The game's current play state (engine/PlayState.h) as the engine reads it. The
// game-state manager that owns it sits above the engine, so it installs its query at start-up;
// until then the game counts as playing.
#include <cstdint>

#include "engine/PlayState.h"

namespace SD {

using PlayStateQuery = uint32_t (*)();

// Null restores the default (always Play).
void SetPlayStateQuery(PlayStateQuery query);
uint32_t GetCurrentPlayState();

}  // namespace SD
