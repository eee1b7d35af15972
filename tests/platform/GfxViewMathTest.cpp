#include <gtest/gtest.h>

#include <cmath>

#include "platform/gfx/ViewMath.h"
#include "support/ExpectNear.h"

namespace {

using namespace platform::gfx;

using qvtest::ExpectNear;
constexpr double kTolerance = 1e-5;

Matrix Rows(std::initializer_list<float> values) {
    Matrix m;
    int i = 0;
    for (float v : values) m.m[i++] = v;
    return m;
}

TEST(GfxViewMath, ProjectionsAndViewsMatchHandComputedMatrices) {
    const float s = 1.0f / std::sqrt(2.0f);
    struct Case {
        const char* name;
        Matrix got, want;
    };
    const Case cases[] = {
        {"look-at from (0,0,-10) to the origin", MatrixLookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0}),
         Rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 10, 1})},
        // Looking down +X from (2,0,0): view x is world -z, view z is world +x.
        {"look-at along +x", MatrixLookAtLH({2, 0, 0}, {5, 0, 0}, {0, 1, 0}),
         Rows({0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, -2, 1})},
        {"look-at along a diagonal", MatrixLookAtLH({0, 0, 0}, {1, 0, 1}, {0, 1, 0}),
         Rows({s, 0, s, 0, 0, 1, 0, 0, -s, 0, s, 0, 0, 0, 0, 1})},
        {"perspective 90 degrees, aspect 2, depth 1 to 11", MatrixPerspectiveFovLH(3.14159265f / 2, 2.0f, 1.0f, 11.0f),
         Rows({0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.1f, 1, 0, 0, -1.1f, 0})},
        {"ortho centred 4 by 2, depth 0 to 10", MatrixOrthoOffCenterLH(-2, 2, -1, 1, 0, 10),
         Rows({0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.1f, 0, 0, 0, 0, 1})},
        {"ortho off centre 0..4, 0..2, depth 2 to 4", MatrixOrthoOffCenterLH(0, 4, 0, 2, 2, 4),
         Rows({0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.5f, 0, -1, -1, -1, 1})},
        {"translate then scale",
         MatrixMultiply(Rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1}),
                        Rows({2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1})),
         Rows({2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 2, 4, 6, 1})},
        {"transpose", MatrixTranspose(Rows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})),
         Rows({1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectNear(c.got, c.want, kTolerance);
    }
}

TEST(GfxViewMath, PerspectiveMapsNearAndFarToZeroAndOne) {
    Matrix p = MatrixPerspectiveFovLH(0.785398f, 16.0f / 9.0f, 1.0f, 20000.0f);
    for (float z : {1.0f, 20000.0f}) {
        Float4 clip = Vec4Transform({0, 0, z, 1}, p);
        EXPECT_NEAR(clip.z / clip.w, z == 1.0f ? 0.0f : 1.0f, 1e-4);
        EXPECT_FLOAT_EQ(clip.w, z);
    }
}

TEST(GfxViewMath, InverseUndoesAndRefusesSingularMatrices) {
    Matrix m = MatrixMultiply(MatrixLookAtLH({1, 2, -3}, {0, 1, 0}, {0, 1, 0}),
                              MatrixPerspectiveFovLH(1.0f, 1.5f, 0.5f, 100.0f));
    Matrix inv;
    float det = 0;
    ASSERT_TRUE(MatrixInverse(m, inv, &det));
    EXPECT_NE(det, 0.0f);
    ExpectNear(MatrixMultiply(m, inv), Matrix::Identity(), kTolerance);
    Matrix singular = Rows({1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1});
    Matrix untouched = Matrix::Identity();
    EXPECT_FALSE(MatrixInverse(singular, untouched, &det));
    EXPECT_EQ(det, 0.0f);
    EXPECT_EQ(untouched, Matrix::Identity());
}

TEST(GfxViewMath, PlanesAndVectors) {
    Plane water = PlaneFromPointNormal({0, -0.05f, 0}, {0, 1, 0});
    EXPECT_FLOAT_EQ(water.b, 1.0f);
    EXPECT_FLOAT_EQ(water.d, 0.05f);
    Plane n = PlaneNormalize({0, 2, 0, 4});
    EXPECT_FLOAT_EQ(n.b, 1.0f);
    EXPECT_FLOAT_EQ(n.d, 2.0f);
    Plane none = PlaneNormalize({0, 0, 0, 3});
    EXPECT_FLOAT_EQ(none.d, 3.0f);
    // Moving the plane y = 0 up by 3 takes the inverse transpose of the move.
    Matrix up3 = Rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 3, 0, 1});
    Matrix inv;
    ASSERT_TRUE(MatrixInverse(up3, inv));
    Plane moved = PlaneTransform({0, 1, 0, 0}, MatrixTranspose(inv));
    EXPECT_FLOAT_EQ(moved.b, 1.0f);
    EXPECT_FLOAT_EQ(moved.d, -3.0f);
    Float4 p = Vec4Transform({1, 2, 3, 1}, up3);
    EXPECT_EQ(p, (Float4{1, 5, 3, 1}));
    Float4 dir = Vec4Transform({1, 2, 3, 0}, up3);
    EXPECT_EQ(dir, (Float4{1, 2, 3, 0}));
}

}  // namespace
