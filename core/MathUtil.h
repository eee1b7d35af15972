#pragma once
// Small float helpers shared by the engine's math and drawing code.
#include <algorithm>
#include <cmath>

namespace SD {

constexpr float kPi = 3.1415927f;
// Radians in a degree.
constexpr float kDegrees = kPi / 180.0f;

inline float Abs(float value) { return std::fabs(value); }

}  // namespace SD

// True when a and b differ by less than 0.0001 relative to the larger magnitude (or to 1 for
// values below 1), so it holds for nearly equal numbers of any size.
inline bool IsEqual(float a, float b) {
    return std::fabs(a - b) < 0.0001f * std::max({std::fabs(a), std::fabs(b), 1.0f});
}
