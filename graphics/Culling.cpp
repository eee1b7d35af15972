#include "graphics/Culling.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace Aperture {

AABB& AABB::Merge(AABB& box, const SD::Vec3& p) {
    box.min.x = std::min(box.min.x, p.x);
    box.min.y = std::min(box.min.y, p.y);
    box.min.z = std::min(box.min.z, p.z);
    box.max.x = std::max(box.max.x, p.x);
    box.max.y = std::max(box.max.y, p.y);
    box.max.z = std::max(box.max.z, p.z);
    return box;
}

AABB& AABB::FromCorners(const SD::Vec3& maxCorner, const SD::Vec3& minCorner, AABB& out) {
    out.min = minCorner;
    out.max = maxCorner;
    return out;
}

SD::Vec3 AABB::GetCorner(const AABB& box, unsigned mask) {
    return {(mask & 1) ? box.max.x : box.min.x, (mask & 2) ? box.max.y : box.min.y, (mask & 4) ? box.max.z : box.min.z};
}

namespace {

FrustumPlane Normalized(float a, float b, float c, float d) {
    const float length = std::sqrt(a * a + b * b + c * c);
    if (length == 0.0f) return {a, b, c, d};
    const float inv = 1.0f / length;
    return {a * inv, b * inv, c * inv, d * inv};
}

// Column k of m as a plane, component r from row r, with sign s applied to column j added.
FrustumPlane FromColumns(const SD::Mtx44& m, int k, int j, float s) {
    if (j < 0) return Normalized(m(0, k), m(1, k), m(2, k), m(3, k));
    return Normalized(m(0, k) + s * m(0, j), m(1, k) + s * m(1, j), m(2, k) + s * m(2, j), m(3, k) + s * m(3, j));
}

}  // namespace

void Frustum::Build(const SD::Mtx44& m, Frustum& f) {
    f.matrix = m;
    f.planes[kPlaneLeft] = FromColumns(m, 3, 0, 1.0f);
    f.planes[kPlaneRight] = FromColumns(m, 3, 0, -1.0f);
    f.planes[kPlaneTop] = FromColumns(m, 3, 1, -1.0f);
    f.planes[kPlaneBottom] = FromColumns(m, 3, 1, 1.0f);
    f.planes[kPlaneNear] = FromColumns(m, 2, -1, 0.0f);
    f.planes[kPlaneFar] = FromColumns(m, 3, 2, -1.0f);
    std::copy(std::begin(f.planes), std::end(f.planes), std::begin(f.boxPlanes));
}

int ClassifyBoxPlane(const AABB& box, const FrustumPlane& plane) {
    const SD::Vec3 c{(box.min.x + box.max.x) * 0.5f, (box.min.y + box.max.y) * 0.5f, (box.min.z + box.max.z) * 0.5f};
    const SD::Vec3 e{(box.max.x - box.min.x) * 0.5f, (box.max.y - box.min.y) * 0.5f, (box.max.z - box.min.z) * 0.5f};
    const float s = plane.Distance(c);
    const float r = std::fabs(plane.a) * e.x + std::fabs(plane.b) * e.y + std::fabs(plane.c) * e.z;
    if (std::fabs(s) - r < 0.0f) return 1;
    return s < 0.0f ? 2 : 0;
}

bool IsSphereCulled(float* centreRadius, const SD::Mtx44& world, const FrustumPlane* planes, float radius) {
    const SD::Vec3 centre{world(0, 3), world(1, 3), world(2, 3)};
    centreRadius[0] = centre.x;
    centreRadius[1] = centre.y;
    centreRadius[2] = centre.z;
    centreRadius[3] = radius;
    for (int i = 0; i < kPlaneCount; ++i)
        if (planes[i].Distance(centre) + radius < 0.0f) return true;
    return false;
}

bool IsLightCulled(float* centreRadius, const SD::Mtx44& world, const FrustumPlane* planes, float far) {
    const bool culled = IsSphereCulled(centreRadius, world, planes, 2.0f * far);
    centreRadius[3] = far;
    return culled;
}

bool IsBoxCulled(const AABB& box, const Frustum& frustum) {
    for (const FrustumPlane& plane : frustum.boxPlanes) {
        const int side = ClassifyBoxPlane(box, plane);
        if (side == 2) return true;
        if (side == 1) return false;
    }
    return false;
}

}  // namespace Aperture
