#pragma once
// Double-precision vector helpers of the game cameras, with the guards that keep a degenerate
// frame (a zero vector, a view straight along the up axis) from producing non-numbers.
#include <cmath>

#include "core/Matrix.h"
#include "core/Vector.h"

namespace QV {

// How far the game cameras keep from solid static geometry: the corners of the near plane stay
// outside at the widest view.
constexpr float kGroundClearance = 2.0f;

inline SD::Vec3d Add(const SD::Vec3d& a, const SD::Vec3d& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline SD::Vec3d Sub(const SD::Vec3d& a, const SD::Vec3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline SD::Vec3 ToFloat(const SD::Vec3d& v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}
inline bool IsFinite(const SD::Vec3d& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The vector normalised; `fallback` when it has no usable length.
inline SD::Vec3d NormalizedOr(const SD::Vec3d& v, const SD::Vec3d& fallback) {
    const double length = v.Length();
    if (!(length > 1e-12) || !std::isfinite(length)) return fallback;
    return v * (1.0 / length);
}

inline bool IsFinite(const SD::Mtx33d& m) {
    for (double e : m.m)
        if (!std::isfinite(e)) return false;
    return true;
}

inline SD::Mtx33 ToFloat(const SD::Mtx33d& m) {
    SD::Mtx33 out;
    for (int i = 0; i < 9; ++i) out.m[i] = static_cast<float>(m.m[i]);
    return out;
}

// The vector with its rise or fall over its horizontal length held to `maxSlope`; a vector with
// no horizontal length is left as it is, having no heading to keep.
inline SD::Vec3d WithSlopeAtMost(const SD::Vec3d& v, double maxSlope) {
    const double flat = std::sqrt(v.x * v.x + v.z * v.z);
    if (!(flat > 1e-9) || std::fabs(v.y) <= flat * maxSlope) return v;
    return {v.x, std::copysign(flat * maxSlope, v.y), v.z};
}

// Looking along the direction with the up vector; `previous` when the two are parallel or the
// direction has no length.
inline SD::Mtx33d LookAtOr(const SD::Vec3d& direction, const SD::Vec3d& up, const SD::Mtx33d& previous,
                           bool orthonormalize) {
    if (!(direction.Length() > 1e-9) || !(direction.Cross(up).Length() > 1e-9 * direction.Length())) return previous;
    SD::Mtx33d look = SD::Mtx33d::LookAt(direction, up);
    if (orthonormalize) look.Orthonormalize();
    return IsFinite(look) ? look : previous;
}

}  // namespace QV
