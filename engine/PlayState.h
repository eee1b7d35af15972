#pragma once
// The play states of the whole program: they decide, with each component's own flags, which
// components are registered with their systems. The game-state manager keeps the current one.
#include <cstdint>

namespace SD {

enum PlayState : uint32_t { kPlayStatePlay = 0, kPlayStatePause = 1, kPlayStateDevPause = 2 };

}  // namespace SD
