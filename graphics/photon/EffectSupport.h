#pragma once
// What the effects draw on besides their own particles: uniform random values of the calling
// thread's generator, the engine clock and the core's last frame time.
#include "core/Random.h"
#include "core/Vector.h"

namespace SD {
template <class T>
class Interpolator;
}

namespace Aperture::Photon {

// A uniform value between a and b (either order): fmod(Rand(), b - a) + a; U(a, a) is a.
inline float Uniform(float a, float b) { return SD::RandomFloat(a, b); }
inline SD::Vec3 UniformVec3(float lo, float hi) { return SD::RandomVec3(lo, hi, lo, hi, lo, hi); }

// Starts a slow random gust: from 0 to a value in [-0.25, 0.25) over 1 to 3 seconds.
void StartGust(SD::Interpolator<float>& gust);

// The engine clock in seconds (0 without a core).
double EngineClock();
// The core's last frame time; `fallback` without a core.
float CoreFrameTime(float fallback);

}  // namespace Aperture::Photon
