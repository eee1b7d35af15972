#include "core/Vector.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/MathUtil.h"

namespace {

using SD::Vec2;
using SD::Vec3;
using SD::Vec4;

TEST(Vec3, ArithmeticFollowsTheRightHandedRule) {
    Vec3 x(1, 0, 0), y(0, 1, 0);
    EXPECT_EQ(x.Cross(y), Vec3(0, 0, 1));
    EXPECT_EQ(y.Cross(x), Vec3(0, 0, -1));
    EXPECT_EQ(Vec3(1, 2, 3).Dot(Vec3(4, -5, 6)), 12.0f);
    EXPECT_EQ(Vec3(1, 2, 3) + Vec3(1, 1, 1) * 2.0f - Vec3(0, 0, 5), Vec3(3, 4, 0));
    EXPECT_EQ(2.0f * -Vec3(1, 2, 3), Vec3(-2, -4, -6));
    EXPECT_EQ(Vec3(3, 0, 4).Length(), 5.0f);
}

TEST(Vec3, NormalisingGivesAUnitCopyOrChangesInPlace) {
    Vec3 v(0, 3, 4);
    EXPECT_EQ(v.GetNormalized(), Vec3(0, 0.6f, 0.8f));
    EXPECT_EQ(v, Vec3(0, 3, 4));
    v.NormalizeThis();
    EXPECT_EQ(v, Vec3(0, 0.6f, 0.8f));
    EXPECT_FALSE(std::isfinite(Vec3().GetNormalized().x));
    EXPECT_EQ(Vec2(3, 4).GetNormalized(), Vec2(0.6f, 0.8f));
    EXPECT_EQ(Vec4(0, 0, 0, 2).GetNormalized(), Vec4(0, 0, 0, 1));
}

TEST(Vec3, IsZeroBelowOneTenThousandthPerComponent) {
    struct Case {
        Vec4 v;
        bool zero;
    } cases[] = {
        {{0, 0, 0, 0}, true},         {{0.00009f, -0.00009f, 0, 0}, true}, {{0.0001f, 0, 0, 0}, false},
        {{0, 0, -0.0002f, 0}, false}, {{0, 0, 0, 0.0002f}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.v.IsZero(), c.zero) << c.v.x << ' ' << c.v.y << ' ' << c.v.z << ' ' << c.v.w;
        if (c.v.w == 0) {
            EXPECT_EQ(c.v.XYZ().IsZero(), c.zero);
        }
    }
}

TEST(Vec3, AngleBetweenClampsAtTheEnds) {
    struct Case {
        Vec3 a, b;
        float angle;
    } cases[] = {
        {{1, 0, 0}, {-1, 0, 0}, 3.1415927f},
        {{2, 3, 4}, {2, 3, 4}, 0.0f},
        {{1, 0, 0}, {0, 5, 0}, static_cast<float>(std::acos(0.0))},
        {{1, 1, 0}, {1, 0, 0}, std::acos(1.0f / std::sqrt(2.0f))},
    };
    for (const Case& c : cases) EXPECT_FLOAT_EQ(Vec3::AngleBetween(c.a, c.b), c.angle);
    EXPECT_EQ(Vec3::AngleBetween({1, 0, 0}, {-3, 0, 0}), 3.1415927f);
}

TEST(Vectors, TypeNamesAndZero) {
    EXPECT_STREQ(Vec2::TypeName(), "Vec2");
    EXPECT_STREQ(Vec3::TypeName(), "Vec3");
    EXPECT_STREQ(Vec4::TypeName(), "Vec4");
    EXPECT_EQ(Vec4::Zero(), Vec4(0, 0, 0, 0));
    EXPECT_EQ(Vec3(), Vec3(0, 0, 0));
}

TEST(MathUtil, IsEqualIsRelativeAboveOne) {
    struct Case {
        float a, b;
        bool equal;
    } cases[] = {
        {1.0f, 1.00005f, true},  {1.0f, 1.0002f, false},    {0.0f, 0.00009f, true}, {0.0f, -0.0002f, false},
        {1e6f, 1e6f + 50, true}, {1e6f, 1e6f + 200, false}, {-3.0f, -3.0f, true},   {-3.0f, 3.0f, false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsEqual(c.a, c.b), c.equal) << c.a << " vs " << c.b;
    EXPECT_EQ(SD::Abs(-2.5f), 2.5f);
}

}  // namespace
