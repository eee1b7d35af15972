#include "core/Quaternion.h"

#include <cmath>

namespace SD {

Quaternion::Quaternion(const Mtx33& r) {
    // Pivot on the largest diagonal element (ties go to the later index) for a well-conditioned r.
    int i = 2;
    if (r(0, 0) > r(1, 1) && r(0, 0) > r(2, 2))
        i = 0;
    else if (r(1, 1) > r(2, 2))
        i = 1;
    int j = (i + 1) % 3, k = (i + 2) % 3;
    float root = std::sqrt(1.0f + r(i, i) - r(j, j) - r(k, k));
    if (root == 0.0f) return;
    float v[3];
    float half = 0.5f / root;
    v[i] = root * 0.5f;
    v[j] = (r(i, j) + r(j, i)) * half;
    v[k] = (r(i, k) + r(k, i)) * half;
    *this = Quaternion((r(k, j) - r(j, k)) * half, v[0], v[1], v[2]).GetNormalized();
}

const Quaternion& Quaternion::Identity() {
    static const Quaternion identity;
    return identity;
}

float Quaternion::Length() const {
    double dw = w, dx = x, dy = y, dz = z;
    return static_cast<float>(std::sqrt(dw * dw + dx * dx + dy * dy + dz * dz));
}

Mtx33 Quaternion::ToMatrix() const {
    return {1 - 2 * y * y - 2 * z * z, 2 * x * y - 2 * w * z,     2 * x * z + 2 * w * y,
            2 * x * y + 2 * w * z,     1 - 2 * x * x - 2 * z * z, 2 * y * z - 2 * w * x,
            2 * x * z - 2 * w * y,     2 * y * z + 2 * w * x,     1 - 2 * x * x - 2 * y * y};
}

Quaternion Quaternion::Slerp(const Quaternion& a, const Quaternion& b, float fraction) {
    double cosine = a.Dot(b);
    Quaternion to = b;
    // q and -q are the same rotation; take the one on the shorter arc.
    if (cosine < 0.0) {
        cosine = -cosine;
        to = -b;
    }
    double wa = 1.0 - fraction, wb = fraction;
    // Close rotations: sin(angle) vanishes and the linear blend is as exact.
    if (cosine < 0.9995) {
        double angle = std::acos(cosine), s = std::sin(angle);
        wa = std::sin((1.0 - fraction) * angle) / s;
        wb = std::sin(fraction * angle) / s;
    }
    return (a * static_cast<float>(wa) + to * static_cast<float>(wb)).GetNormalized();
}

}  // namespace SD
