#pragma once
// What the effects draw on besides their own particles: uniform random values of the calling
// thread's generator, the engine clock and the core's last frame time.
#include "core/Random.h"
#include "core/Vector.h"

namespace Aperture::Photon {

// A uniform value between a and b (either order): fmod(Rand(), b - a) + a; U(a, a) is a.
inline float Uniform(float a, float b) { return SD::RandomFloat(a, b); }
inline SD::Vec3 UniformVec3(float lo, float hi) { return SD::RandomVec3(lo, hi, lo, hi, lo, hi); }

// The engine clock in seconds (0 without a core).
double EngineClock();
// The core's last frame time; `fallback` without a core.
float CoreFrameTime(float fallback);

}  // namespace Aperture::Photon
