#pragma once
// A rotation as four floats stored w, x, y, z (the scalar part first). Converts to and from
// the 3x3 rotation matrices, with their conventions (row-major, column vectors, right-handed).
#include "core/Matrix.h"

namespace SD {

struct Quaternion {
    float w = 1.0f, x = 0.0f, y = 0.0f, z = 0.0f;

    // The identity (1, 0, 0, 0).
    Quaternion() = default;
    Quaternion(float w_, float x_, float y_, float z_) : w(w_), x(x_), y(y_), z(z_) {}
    // The rotation of a 3x3 rotation matrix, normalised; the identity matrix gives the identity.
    explicit Quaternion(const Mtx33& rotation);

    static const Quaternion& Identity();

    Quaternion operator*(float s) const { return {w * s, x * s, y * s, z * s}; }
    Quaternion operator+(const Quaternion& o) const { return {w + o.w, x + o.x, y + o.y, z + o.z}; }
    Quaternion operator-() const { return {-w, -x, -y, -z}; }
    bool operator==(const Quaternion& o) const { return w == o.w && x == o.x && y == o.y && z == o.z; }
    bool operator!=(const Quaternion& o) const { return !(*this == o); }

    float Dot(const Quaternion& o) const { return w * o.w + x * o.x + y * o.y + z * o.z; }
    // Computed in double precision.
    float Length() const;
    Quaternion GetNormalized() const { return *this * (1.0f / Length()); }
    void NormalizeThis() { *this = GetNormalized(); }

    // The rotation matrix; the quaternion is used as it is, without normalising.
    Mtx33 ToMatrix() const;

    // Spherical interpolation along the shorter arc: fraction 0 gives a, 1 gives b (up to sign),
    // normalised. Nearly equal rotations are blended linearly.
    static Quaternion Slerp(const Quaternion& a, const Quaternion& b, float fraction);
};

inline Quaternion operator*(float s, const Quaternion& q) { return q * s; }

}  // namespace SD
