#include <gtest/gtest.h>

#include <cstring>

#include "graphics/Culling.h"
#include "platform/gfx/ViewMath.h"

namespace {

using Aperture::AABB;
using Aperture::Frustum;

// Camera at (10, 0, 0) looking along +z, 90 degrees, square, depth 10 to 20: at depth z the
// view reaches |x - 10| <= z and |y| <= z; near and far planes come out exact.
Frustum KnownFrustum() {
    namespace gfx = platform::gfx;
    const gfx::Matrix view = gfx::MatrixLookAtLH({10, 0, 0}, {10, 0, 1}, {0, 1, 0});
    const gfx::Matrix projection = gfx::MatrixPerspectiveFovLH(3.14159265f / 2.0f, 1.0f, 10.0f, 20.0f);
    const gfx::Matrix product = gfx::MatrixMultiply(view, projection);
    SD::Mtx44 m;
    std::memcpy(m.m, product.m, sizeof(m.m));
    Frustum f;
    Frustum::Build(m, f);
    return f;
}

SD::Mtx44 At(float x, float y, float z) {
    SD::Mtx44 m = SD::Mtx44::Identity();
    m(0, 3) = x;
    m(1, 3) = y;
    m(2, 3) = z;
    return m;
}

AABB Box(SD::Vec3 centre, SD::Vec3 half) {
    AABB box;
    AABB::FromCorners({centre.x + half.x, centre.y + half.y, centre.z + half.z},
                      {centre.x - half.x, centre.y - half.y, centre.z - half.z}, box);
    return box;
}

TEST(Frustum, PlanesFromKnownViewAndProjection) {
    const Frustum f = KnownFrustum();
    EXPECT_FLOAT_EQ(f.planes[Aperture::kPlaneNear].c, 1.0f);
    EXPECT_FLOAT_EQ(f.planes[Aperture::kPlaneNear].d, -10.0f);
    EXPECT_FLOAT_EQ(f.planes[Aperture::kPlaneFar].c, -1.0f);
    EXPECT_FLOAT_EQ(f.planes[Aperture::kPlaneFar].d, 20.0f);
    // Left keeps x - 10 >= -z: its normal leans towards +x.
    EXPECT_GT(f.planes[Aperture::kPlaneLeft].a, 0.0f);
    EXPECT_LT(f.planes[Aperture::kPlaneRight].a, 0.0f);
    EXPECT_LT(f.planes[Aperture::kPlaneTop].b, 0.0f);
    EXPECT_GT(f.planes[Aperture::kPlaneBottom].b, 0.0f);
    for (int i = 0; i < Aperture::kPlaneCount; ++i) {
        const auto& p = f.planes[i];
        EXPECT_NEAR(p.a * p.a + p.b * p.b + p.c * p.c, 1.0f, 1e-5f) << i;
        EXPECT_EQ(std::memcmp(&p, &f.boxPlanes[i], sizeof(p)), 0) << i;
    }
}

TEST(Frustum, SpheresAndBoxesAgainstEveryPlane) {
    struct Case {
        const char* name;
        SD::Vec3 centre;
        float radius;  // the box's half extent on every axis
        bool sphereCulled;
        bool boxCulled;
    };
    const Case cases[] = {
        {"inside", {10, 0, 15}, 1, false, false},
        {"outside left", {-10, 0, 15}, 1, true, true},
        {"outside right", {30, 0, 15}, 1, true, true},
        {"outside top", {10, 20, 15}, 1, true, true},
        {"outside bottom", {10, -20, 15}, 1, true, true},
        {"outside near", {10, 0, 8}, 1, true, true},
        {"outside far", {10, 0, 22}, 1, true, true},
        {"behind the camera", {10, 0, -15}, 1, true, true},
        {"crossing left", {-5, 0, 15}, 1, false, false},
        {"crossing near", {10, 0, 10}, 1, false, false},
        {"crossing far", {10, 0, 20}, 1, false, false},
        {"larger than the view", {10, 0, 15}, 100, false, false},
        // Distance + radius = 0 is not culled; a box whose face lies on the plane from
        // outside has no reach past it and counts as wholly behind.
        {"touching near from outside", {10, 0, 9}, 1, false, true},
        {"touching far from outside", {10, 0, 21}, 1, false, true},
        {"point on the near plane", {10, 0, 10}, 0, false, false},
    };
    const Frustum f = KnownFrustum();
    for (const Case& c : cases) {
        float written[4] = {};
        EXPECT_EQ(Aperture::IsSphereCulled(written, At(c.centre.x, c.centre.y, c.centre.z), f.planes, c.radius),
                  c.sphereCulled)
            << c.name;
        EXPECT_EQ(written[0], c.centre.x) << c.name;
        EXPECT_EQ(written[2], c.centre.z) << c.name;
        EXPECT_EQ(written[3], c.radius) << c.name;
        EXPECT_EQ(Aperture::IsBoxCulled(Box(c.centre, {c.radius, c.radius, c.radius}), f), c.boxCulled) << c.name;
    }
}

TEST(Frustum, BoxStraddlingLeftButBehindFarIsNotCulledByTheBoxTest) {
    const Frustum f = KnownFrustum();
    const AABB box = Box({-30, 0, 40}, {5, 1, 5});
    EXPECT_EQ(Aperture::ClassifyBoxPlane(box, f.boxPlanes[Aperture::kPlaneLeft]), 1);
    EXPECT_EQ(Aperture::ClassifyBoxPlane(box, f.boxPlanes[Aperture::kPlaneFar]), 2);
    EXPECT_FALSE(Aperture::IsBoxCulled(box, f));
}

TEST(Box, MergeCornersAndEmptyStart) {
    AABB box;
    EXPECT_GT(box.min.x, box.max.x);
    AABB::Merge(box, {1, 2, 3});
    EXPECT_EQ(box.min.y, 2.0f);
    EXPECT_EQ(box.max.y, 2.0f);
    AABB::Merge(box, {-1, 5, 0});
    EXPECT_EQ(box.min.x, -1.0f);
    EXPECT_EQ(box.max.y, 5.0f);
    EXPECT_EQ(box.min.z, 0.0f);
    EXPECT_EQ(box.max.z, 3.0f);
    const SD::Vec3 c5 = AABB::GetCorner(box, 5);
    EXPECT_EQ(c5.x, 1.0f);
    EXPECT_EQ(c5.y, 2.0f);
    EXPECT_EQ(c5.z, 3.0f);
}

}  // namespace
