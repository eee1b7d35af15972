#include "core/Quaternion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/ExpectNear.h"

namespace {

using SD::Mtx33;
using SD::Quaternion;
using SD::Vec3;

const float kHalfPi = 1.5707963f;
const float kRootHalf = std::sqrt(0.5f);
using qvtest::ExpectNear;
constexpr float kTolerance = 1e-6f;

TEST(Quaternion, FromMatrixGoldenCases) {
    struct Case {
        const char* name;
        Mtx33 rotation;
        Quaternion expected;
    } cases[] = {
        {"identity", Mtx33::Identity(), {1, 0, 0, 0}},
        {"pi about X", Mtx33::Diagonal(1, -1, -1), {0, 1, 0, 0}},
        {"pi about Y", Mtx33::Diagonal(-1, 1, -1), {0, 0, 1, 0}},
        {"pi about Z", Mtx33::Diagonal(-1, -1, 1), {0, 0, 0, 1}},
        {"+pi/2 about Z", Mtx33::RotationZ(kHalfPi), {kRootHalf, 0, 0, kRootHalf}},
        {"+pi/2 about X", Mtx33::RotationX(kHalfPi), {kRootHalf, kRootHalf, 0, 0}},
        // The pivot component comes out positive, so this is the negated form of (r, 0, -r, 0).
        {"-pi/2 about Y", Mtx33::RotationY(-kHalfPi), {-kRootHalf, 0, kRootHalf, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectNear(Quaternion(c.rotation), c.expected, kTolerance);
    }
    EXPECT_EQ(Quaternion(Mtx33::Identity()), Quaternion::Identity());
}

TEST(Quaternion, ToMatrixGoldenCases) {
    EXPECT_EQ(Quaternion().ToMatrix(), Mtx33::Identity());
    ExpectNear(Quaternion(kRootHalf, 0, 0, kRootHalf).ToMatrix(), Mtx33(0, -1, 0, 1, 0, 0, 0, 0, 1), 1e-6f);
    ExpectNear(Quaternion(0, 0, 1, 0).ToMatrix(), Mtx33::Diagonal(-1, 1, -1), 0);
    // Unnormalised input is used as it is.
    EXPECT_EQ(Quaternion(2, 0, 0, 0).ToMatrix(), Mtx33::Identity());
    EXPECT_EQ(Quaternion(0, 2, 0, 0).ToMatrix(), Mtx33::Diagonal(1, -7, -7));
}

TEST(Quaternion, MatrixRoundTripsStayWithinFloatPrecision) {
    // Angles beyond pi/2 make each diagonal element the largest in turn.
    const float angles[] = {0.3f, 1.0f, 2.5f, 3.0f, -2.0f};
    for (float angle : angles) {
        Mtx33 rotations[] = {Mtx33::RotationX(angle), Mtx33::RotationY(angle), Mtx33::RotationZ(angle),
                             Mtx33::RotationAxisAngle(angle, Vec3(1, -2, 3).GetNormalized()),
                             Mtx33::RotationX(angle) * Mtx33::RotationY(0.7f) * Mtx33::RotationZ(-1.3f)};
        for (const Mtx33& r : rotations) {
            SCOPED_TRACE(angle);
            Quaternion q(r);
            EXPECT_NEAR(q.Length(), 1.0f, 1e-6f);
            ExpectNear(q.ToMatrix(), r, 2e-6f);
            ExpectNear(q.ToMatrix(), (-q).ToMatrix(), 0);
            Quaternion back(q.ToMatrix());
            ExpectNear(back.w * q.w < 0 ? -back : back, q, 2e-6f);
        }
    }
}

TEST(Quaternion, ArithmeticAndLength) {
    Quaternion q(1, 2, 3, 4);
    EXPECT_EQ(q * 2.0f, Quaternion(2, 4, 6, 8));
    EXPECT_EQ(2.0f * q, q * 2.0f);
    EXPECT_EQ(q + q, q * 2.0f);
    EXPECT_FLOAT_EQ(q.Length(), std::sqrt(30.0f));
    Quaternion unit(0, 3, 0, 4);
    EXPECT_EQ(unit.GetNormalized(), Quaternion(0, 0.6f, 0, 0.8f));
    unit.NormalizeThis();
    EXPECT_EQ(unit, Quaternion(0, 0.6f, 0, 0.8f));
}

TEST(Quaternion, SlerpFollowsTheShorterArc) {
    Quaternion a, b(Mtx33::RotationZ(kHalfPi));
    ExpectNear(Quaternion::Slerp(a, b, 0), a, kTolerance);
    ExpectNear(Quaternion::Slerp(a, b, 1), b, kTolerance);
    ExpectNear(Quaternion::Slerp(a, b, 0.5f), Quaternion(Mtx33::RotationZ(kHalfPi / 2)), kTolerance);
    ExpectNear(Quaternion::Slerp(a, -b, 0.5f), Quaternion(Mtx33::RotationZ(kHalfPi / 2)), kTolerance);
    Quaternion near(Mtx33::RotationZ(1e-4f));
    ExpectNear(Quaternion::Slerp(a, near, 0.5f), Quaternion(Mtx33::RotationZ(5e-5f)), kTolerance);
}

}  // namespace
