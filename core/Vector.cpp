#include "core/Vector.h"

namespace SD {

float Vec3::AngleBetween(const Vec3& a, const Vec3& b) {
    float cosine = a.Dot(b) / (a.Length() * b.Length());
    // Rounding can push the cosine just past +-1, where acos has no value.
    if (cosine >= 1.0f) return 0.0f;
    if (cosine <= -1.0f) return 3.1415927f;
    return std::acos(cosine);
}

const Vec4& Vec4::Zero() {
    static const Vec4 zero;
    return zero;
}

}  // namespace SD
