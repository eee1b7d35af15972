#pragma once
// The middle of the sample world's playable disc: the player is turned back beyond a radius
// around it, and the game's sound mix follows the distance from it.
#include "core/Vector.h"

namespace QV {

inline const SD::Vec3 kWorldCentre(63.0f, 0.0f, -8846.74f);

}  // namespace QV
