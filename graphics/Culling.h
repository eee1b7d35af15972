#pragma once
// Visibility mathematics of the renderer: boxes, frustum records and the object tests.
// Every test returns true when the tested volume is culled (outside), false when visible.
#include "core/Matrix.h"
#include "core/Vector.h"

namespace Aperture {

struct AABB {
    SD::Vec3 min{3.4028235e38f, 3.4028235e38f, 3.4028235e38f};
    SD::Vec3 max{-3.4028235e38f, -3.4028235e38f, -3.4028235e38f};

    static AABB& Merge(AABB& box, const SD::Vec3& point);
    static AABB& FromCorners(const SD::Vec3& maxCorner, const SD::Vec3& minCorner, AABB& out);
    // Bit 0 picks max x, bit 1 max y, bit 2 max z.
    static SD::Vec3 GetCorner(const AABB& box, unsigned mask);
};

// A point p lies behind the plane when a p.x + b p.y + c p.z + d < 0; normals point inwards.
struct FrustumPlane {
    float a = 0.0f, b = 0.0f, c = 0.0f, d = 0.0f;
    float Distance(const SD::Vec3& p) const { return a * p.x + b * p.y + c * p.z + d; }
};

enum FrustumPlaneIndex { kPlaneLeft, kPlaneRight, kPlaneTop, kPlaneBottom, kPlaneNear, kPlaneFar, kPlaneCount };

struct Frustum {
    FrustumPlane planes[kPlaneCount];
    // The same planes again; the geometry test reads this copy.
    FrustumPlane boxPlanes[kPlaneCount];
    SD::Mtx44 matrix;

    // matrix is view times projection in the device's row-vector form, depth 0 to w.
    static void Build(const SD::Mtx44& matrix, Frustum& frustum);
};

// What an object's last culling test wrote: a world box, or a sphere in the first four floats.
struct FrustumCullingData {
    float cullData[6] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
};

// 0 wholly in front, 1 straddling, 2 wholly behind.
int ClassifyBoxPlane(const AABB& box, const FrustumPlane& plane);

// Centre from the translation of world; writes centre and radius into centreRadius.
bool IsSphereCulled(float* centreRadius, const SD::Mtx44& world, const FrustumPlane* planes, float radius);

// A point or spot light of range far: writes centre and far like IsSphereCulled, but a light
// reaches twice its range before it counts as outside a plane.
bool IsLightCulled(float* centreRadius, const SD::Mtx44& world, const FrustumPlane* planes, float far);

// The world box against the second plane array: the first straddled plane decides visible.
bool IsBoxCulled(const AABB& box, const Frustum& frustum);

}  // namespace Aperture
