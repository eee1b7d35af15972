#include "sound/engine/listener/SxMath3D.h"

#include <cmath>
#include <cstring>

namespace SX::SxMath {

float FastLog10(float x) {
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const uint32_t mantissaBits = bits | 0x3F800000u;
    float m;
    std::memcpy(&m, &mantissaBits, sizeof m);
    const int32_t e = static_cast<int32_t>((bits >> 23) & 255) - 127;
    const float t = (m - 1.0f) / (m + 1.0f);
    const float ln = 2.0f * t * (1.0f + t * t / 3.0f) + static_cast<float>(e) * 0.6931472f;
    return ln * 0.4342945f;
}

float AngleToRadians(float degrees) { return (degrees - std::trunc(degrees * 0.0027777778f)) * 0.017453292f; }

float Interpolate(float x0, float y0, float x1, float y1, float x) {
    if (x <= x0) return y0;
    if (x >= x1) return y1;
    return y0 + (y1 - y0) * (x - x0) / (x1 - x0);
}

float Dot(const SxVector& a, const SxVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float Length(const SxVector& v) { return std::sqrt(Dot(v, v)); }

SxVector Cross(const SxVector& a, const SxVector& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

SxVector Sub(const SxVector& a, const SxVector& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

SxVector Normalize(const SxVector& v) {
    const float length = Length(v);
    if (!(length > 0.0f) || !std::isfinite(length)) return v;
    return {v.x / length, v.y / length, v.z / length};
}

SxMatrix3 Multiply(const SxMatrix3& a, const SxMatrix3& b) {
    SxMatrix3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    return r;
}

SxVector Transform(const SxMatrix3& m, const SxVector& v) {
    return {m.m[0][0] * v.x + m.m[0][1] * v.y + m.m[0][2] * v.z, m.m[1][0] * v.x + m.m[1][1] * v.y + m.m[1][2] * v.z,
            m.m[2][0] * v.x + m.m[2][1] * v.y + m.m[2][2] * v.z};
}

}  // namespace SX::SxMath
