#include "physics/Geometry.h"

#include <cmath>
#include <limits>
#include <utility>

namespace Gedankenexperiment {

ClosestOnTriangle ClosestPointOnTriangle(const SD::Vec3& p, const SD::Vec3& a, const SD::Vec3& b, const SD::Vec3& c) {
    const SD::Vec3 ab = b - a, ac = c - a, ap = p - a;
    const float d1 = ab.Dot(ap), d2 = ac.Dot(ap);
    if (d1 <= 0.0f && d2 <= 0.0f) return {a, TriangleRegion::kCorner};
    const SD::Vec3 bp = p - b;
    const float d3 = ab.Dot(bp), d4 = ac.Dot(bp);
    if (d3 >= 0.0f && d4 <= d3) return {b, TriangleRegion::kCorner};
    const float vc = d1 * d4 - d3 * d2;
    if (vc <= 0.0f && d1 >= 0.0f && d3 <= 0.0f) return {a + ab * (d1 / (d1 - d3)), TriangleRegion::kEdge};
    const SD::Vec3 cp = p - c;
    const float d5 = ab.Dot(cp), d6 = ac.Dot(cp);
    if (d6 >= 0.0f && d5 <= d6) return {c, TriangleRegion::kCorner};
    const float vb = d5 * d2 - d1 * d6;
    if (vb <= 0.0f && d2 >= 0.0f && d6 <= 0.0f) return {a + ac * (d2 / (d2 - d6)), TriangleRegion::kEdge};
    const float va = d3 * d6 - d5 * d4;
    if (va <= 0.0f && (d4 - d3) >= 0.0f && (d5 - d6) >= 0.0f)
        return {b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6))), TriangleRegion::kEdge};
    const float denom = va + vb + vc;
    if (!(denom != 0.0f)) return {a, TriangleRegion::kCorner};  // no area
    const float v = vb / denom, w = vc / denom;
    return {a + ab * v + ac * w, TriangleRegion::kFace};
}

SD::Vec3 ClosestPointOnSegment(const SD::Vec3& p, const SD::Vec3& a, const SD::Vec3& b) {
    const SD::Vec3 ab = b - a;
    const float lengthSq = ab.LengthSq();
    if (!(lengthSq > 0.0f)) return a;
    float t = (p - a).Dot(ab) / lengthSq;
    t = t < 0.0f ? 0.0f : t > 1.0f ? 1.0f : t;
    return a + ab * t;
}

bool RayHitsBox(const SD::Vec3& origin, const SD::Vec3& direction, const SD::Vec3& center, const SD::Vec3& half,
                float* t) {
    const float o[3] = {origin.x, origin.y, origin.z};
    const float d[3] = {direction.x, direction.y, direction.z};
    const float lo[3] = {center.x - half.x, center.y - half.y, center.z - half.z};
    const float hi[3] = {center.x + half.x, center.y + half.y, center.z + half.z};
    float tmin = 0.0f;
    float tmax = std::numeric_limits<float>::max();
    for (int i = 0; i < 3; ++i) {
        if (!(std::fabs(d[i]) >= 1e-6f)) {
            if (!(o[i] >= lo[i] && o[i] <= hi[i])) return false;
            continue;
        }
        const float inv = 1.0f / d[i];
        float t1 = (lo[i] - o[i]) * inv, t2 = (hi[i] - o[i]) * inv;
        if (t1 > t2) std::swap(t1, t2);
        if (t1 > tmin) tmin = t1;
        if (t2 < tmax) tmax = t2;
        if (tmin > tmax) return false;
    }
    *t = tmin;
    return true;
}

SD::Vec3 UnitOr(const SD::Vec3& v, const SD::Vec3& fallback) {
    const float length = v.Length();
    return length > 0.0f ? v * (1.0f / length) : fallback;
}

}  // namespace Gedankenexperiment
