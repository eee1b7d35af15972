#pragma once
// The vector, angle and logarithm helpers of positioning.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX::SxMath {

// log10 from the float's bits, two terms of the series: for gains and energies up to 1.
float FastLog10(float x);
// Whole turns (not turns x 360) are subtracted before the conversion.
float AngleToRadians(float degrees);
// y0 at or below x0, y1 at or above x1, linear between.
float Interpolate(float x0, float y0, float x1, float y1, float x);

float Length(const SxVector& v);
float Dot(const SxVector& a, const SxVector& b);
SxVector Cross(const SxVector& a, const SxVector& b);
SxVector Sub(const SxVector& a, const SxVector& b);
// A zero vector is left as it is.
SxVector Normalize(const SxVector& v);

struct SxMatrix3 {
    float m[3][3] = {};
};
SxMatrix3 Multiply(const SxMatrix3& a, const SxMatrix3& b);
SxVector Transform(const SxMatrix3& m, const SxVector& v);

}  // namespace SX::SxMath
