#include "core/Matrix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "support/ExpectNear.h"

namespace {

using SD::Mtx33;
using SD::Mtx33d;
using SD::Mtx44;
using SD::Vec3;
using SD::Vec3d;
using SD::Vec4;

const float kHalfPi = 1.5707963f;
using qvtest::ExpectNear;
constexpr float kTolerance = 1e-6f;
constexpr double kMatrixTolerance = 1e-6;
constexpr double kDoubleTolerance = 1e-12;

TEST(Matrix, DefaultsAndConversions) {
    EXPECT_EQ(Mtx33(), Mtx33::Identity());
    EXPECT_EQ(Mtx44(), Mtx44::Zero());
    Mtx33 a(1, 2, 3, 4, 5, 6, 7, 8, 9);
    Mtx44 b(a);
    EXPECT_EQ(b, Mtx44(1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 0, 0, 0, 1));
    EXPECT_EQ(Mtx33(Mtx44(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16)), Mtx33(1, 2, 3, 5, 6, 7, 9, 10, 11));
    EXPECT_STREQ(Mtx33::TypeName(), "Mtx33");
    EXPECT_STREQ(Mtx44::TypeName(), "Mtx44");
}

TEST(Matrix, RowsAndColumnsFollowRowMajorStorage) {
    Mtx33 a = Mtx33::FromColumns({1, 2, 3}, {4, 5, 6}, {7, 8, 9});
    EXPECT_EQ(a, Mtx33(1, 4, 7, 2, 5, 8, 3, 6, 9));
    EXPECT_EQ(a.GetRow(1), Vec3(2, 5, 8));
    EXPECT_EQ(a(2, 1), 6.0f);
    a.SetRow(0, {0, 0, 0});
    a.SetColumn(2, {-1, -2, -3});
    EXPECT_EQ(a, Mtx33(0, 0, -1, 2, 5, -2, 3, 6, -3));

    Mtx44 b = Mtx44::FromColumns({1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16});
    EXPECT_EQ(b.GetRow(0), Vec4(1, 5, 9, 13));
    EXPECT_EQ(b.GetColumn(3), Vec4(13, 14, 15, 16));
    EXPECT_EQ(b.GetColumn3(3), Vec3(13, 14, 15));
    EXPECT_EQ(b.GetTransposed().GetRow(0), Vec4(1, 2, 3, 4));
    b.SetColumn(3, Vec3(0, 0, 0));
    EXPECT_EQ(b.GetColumn(3), Vec4(0, 0, 0, 16));
}

TEST(Matrix, ElementWiseOperations) {
    Mtx33 a(1, -2, 3, -4, 5, -6, 7, -8, 9);
    EXPECT_EQ(a.GetAbs(), Mtx33(1, 2, 3, 4, 5, 6, 7, 8, 9));
    EXPECT_EQ(a + a, a * 2.0f);
    EXPECT_EQ(a - a, Mtx33::Zero());
    Mtx33 rows = Mtx33(1, 1, 1, 1, 1, 1, 1, 1, 1);
    rows.ScaleRows({2, 3, 4});
    EXPECT_EQ(rows, Mtx33(2, 2, 2, 3, 3, 3, 4, 4, 4));
    Mtx44 t = Mtx44::Identity();
    t.ScaleRows({2, 3, 4});
    EXPECT_EQ(t, Mtx44::Diagonal(2, 3, 4));
    EXPECT_EQ((Mtx33d(1, 2, 3, 4, 5, 6, 7, 8, 9) * 2.0 - Mtx33d()).m[4], 9.0);
}

TEST(Matrix, ProductAppliesTheRightFactorFirst) {
    // Translate after rotating: (1, 0, 0) turns to (0, 1, 0), then moves by (10, 0, 0).
    Mtx44 m = Mtx44::Translation({10, 0, 0}) * Mtx44::RotationZ(kHalfPi);
    ExpectNear(m.TransformPoint(Vec3(1, 0, 0)), {10, 1, 0}, kTolerance);
    Mtx44 r = Mtx44::RotationZ(kHalfPi) * Mtx44::Translation({10, 0, 0});
    ExpectNear(r.TransformPoint(Vec3(1, 0, 0)), {0, 11, 0}, kTolerance);
    ExpectNear(r.TransformDirection({1, 0, 0}), {0, 1, 0}, kTolerance);
    Vec4 p = r.TransformPoint(Vec4(1, 0, 0, 7));
    EXPECT_EQ(p.w, 7.0f);
    Vec4 full = r * Vec4(1, 0, 0, 0);
    ExpectNear(full.XYZ(), {0, 1, 0}, kTolerance);

    Mtx44 moved = Mtx44::RotationZ(kHalfPi);
    moved.Translate({0, 0, 5});
    ExpectNear(moved.TransformPoint(Vec3(1, 0, 0)), {0, 1, 5}, kTolerance);
    Mtx44 st = Mtx44::ScaleTranslation({2, 3, 4}, {1, 1, 1});
    EXPECT_EQ(st.TransformPoint(Vec3(1, 1, 1)), Vec3(3, 4, 5));
}

TEST(Matrix, RotationsAboutEachAxisAreRightHanded) {
    struct Case {
        const char* name;
        Mtx33 rotation;
        Vec3 in, out;
    } cases[] = {
        {"X", Mtx33::RotationX(kHalfPi), {0, 1, 0}, {0, 0, 1}},
        {"Y", Mtx33::RotationY(kHalfPi), {0, 0, 1}, {1, 0, 0}},
        {"Z", Mtx33::RotationZ(kHalfPi), {1, 0, 0}, {0, 1, 0}},
        {"-Z", Mtx33::RotationZ(-kHalfPi), {1, 0, 0}, {0, -1, 0}},
        {"axis Z", Mtx33::RotationAxisAngle(kHalfPi, {0, 0, 1}), {1, 0, 0}, {0, 1, 0}},
        {"axis (1,1,1) 120 degrees",
         Mtx33::RotationAxisAngle(2.0943951f, Vec3(1, 1, 1).GetNormalized()),
         {1, 0, 0},
         {0, 1, 0}},
        {"rotation vector", Mtx33::RotationVector({0, kHalfPi, 0}), {0, 0, 1}, {1, 0, 0}},
        {"zero rotation vector", Mtx33::RotationVector({0, 0, 0}), {1, 2, 3}, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectNear(c.rotation * c.in, c.out, kTolerance);
        EXPECT_NEAR(c.rotation.GetDeterminant(), 1.0f, 1e-6f);
    }
    ExpectNear(Mtx44::RotationX(kHalfPi), Mtx44(Mtx33::RotationX(kHalfPi)), 0);
    EXPECT_EQ(Mtx44::RotationY(1.0f).m[15], 1.0f);
    ExpectNear(Mtx33d::AxisAngle(std::acos(0.0), {0, 0, 1}) * Vec3d(1, 0, 0), Vec3d(0, 1, 0), kDoubleTolerance);
}

TEST(Matrix, PreRotationIsAppliedFirstAndPostRotationLast) {
    Mtx33 pre = Mtx33::RotationX(kHalfPi);
    pre.PreRotateZ(kHalfPi);
    ExpectNear(pre * Vec3(1, 0, 0), {0, 0, 1}, kTolerance);  // Z: to +Y, then X: to +Z
    Mtx33 post = Mtx33::RotationX(kHalfPi);
    post.PostRotateZ(kHalfPi);
    ExpectNear(post * Vec3(1, 0, 0), {0, 1, 0}, kTolerance);  // X leaves +X, then Z: to +Y

    Mtx33 axis = Mtx33::RotationX(kHalfPi);
    axis.SetRotationAxisAngle(kHalfPi, 0, 0, 1);
    ExpectNear(axis, post, kMatrixTolerance);
    Mtx44 pre44 = Mtx44::RotationX(kHalfPi);
    pre44.PreRotateZ(kHalfPi);
    ExpectNear(Mtx44(pre), pre44, kMatrixTolerance);
}

TEST(Matrix, DeterminantAndInverse) {
    Mtx33 a(1, 2, 0, 0, 1, 0, 0, 0, 2);
    EXPECT_EQ(a.GetDeterminant(), 2.0f);
    EXPECT_EQ(a.GetInverse(), Mtx33(1, -2, 0, 0, 1, 0, 0, 0, 0.5f));

    // Rotation by +90 degrees about Z, then translation (1, 2, 3): the inverse undoes both.
    Mtx44 t(0, -1, 0, 1, 1, 0, 0, 2, 0, 0, 1, 3, 0, 0, 0, 1);
    EXPECT_EQ(t.GetInverse(), Mtx44(0, 1, 0, -2, -1, 0, 0, 1, 0, 0, 1, -3, 0, 0, 0, 1));
    Mtx44 lower(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 2, 3, 1);
    EXPECT_EQ(lower.GetDeterminant(), 24.0f);
    Mtx44 swapped(0, 3, 0, 0, 2, 0, 0, 0, 0, 0, 4, 0, 1, 2, 3, 1);
    EXPECT_EQ(swapped.GetDeterminant(), -24.0f);

    Mtx44 dense(4, 7, 2, 3, 0, 5, 1, 8, 6, 2, 9, 1, 3, 3, 1, 5);
    ExpectNear(dense * dense.GetInverse(), Mtx44::Identity(), 1e-5);
    ExpectNear(dense.GetInverse() * dense, Mtx44::Identity(), 1e-5);
    Mtx33 dense3(4, 7, 2, 0, 5, 1, 6, 2, 9);
    ExpectNear(dense3 * dense3.GetInverse(), Mtx33::Identity(), 1e-6);
}

TEST(Matrix, SingularInverseIsTheZeroMatrix) {
    Mtx33 singular3(1, 2, 3, 2, 4, 6, 0, 0, 1);
    EXPECT_EQ(singular3.GetDeterminant(), 0.0f);
    EXPECT_EQ(singular3.GetInverse(), Mtx33::Zero());
    EXPECT_EQ(Mtx44::Zero().GetInverse(), Mtx44::Zero());
    Mtx44 singular4(1, 2, 3, 4, 2, 4, 6, 8, 0, 1, 0, 0, 0, 0, 1, 0);
    EXPECT_EQ(singular4.GetInverse(), Mtx44::Zero());

    Mtx33 nan = Mtx33::Identity();
    nan.m[0] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(std::isnan(nan.GetInverse().m[4]));
}

TEST(Matrix, OrthonormalizeKeepsTheThirdColumnsDirection) {
    Mtx33 skewed = Mtx33::FromColumns({1, 0.1f, 0}, {0.2f, 1, 0.1f}, {0, 0.1f, 2});
    Mtx33 fixed = skewed;
    fixed.Orthonormalize();
    ExpectNear(fixed.GetTransposed() * fixed, Mtx33::Identity(), kMatrixTolerance);
    EXPECT_NEAR(fixed.GetDeterminant(), 1.0f, 1e-6f);
    ExpectNear(fixed.GetColumn(2), skewed.GetColumn(2).GetNormalized(), kTolerance);
    ExpectNear(fixed.GetColumn(1), skewed.GetColumn(2).Cross(skewed.GetColumn(0)).GetNormalized(), kTolerance);

    Mtx33d skewedD;
    for (int i = 0; i < 9; ++i) skewedD.m[i] = skewed.m[i];
    skewedD.Orthonormalize();
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(skewedD.m[i], fixed.m[i], 1e-6);

    Mtx33 columns = Mtx33::FromColumns({3, 0, 4}, {0, 2, 0}, {1, 1, 0});
    columns.NormalizeColumns();
    ExpectNear(columns, Mtx33::FromColumns({0.6f, 0, 0.8f}, {0, 1, 0}, Vec3(1, 1, 0).GetNormalized()),
               kMatrixTolerance);
    Mtx33d columnsD(0, 0, 0, 0, 2, 0, 5, 0, 0);
    columnsD.NormalizeColumns();
    EXPECT_EQ(columnsD.m[6], 1.0);
}

TEST(Matrix, LookAtPointsLocalZAlongTheDirection) {
    EXPECT_EQ(Mtx33::LookAt({0, 0, 1}, {0, 1, 0}), Mtx33::Identity());
    ExpectNear(Mtx33::LookAt({3, 0, 0}, {0, 1, 0}), Mtx33::RotationY(kHalfPi), kMatrixTolerance);
    Mtx33 tilted = Mtx33::LookAt({0, -1, 1}, {0, 1, 0});
    ExpectNear(tilted.GetColumn(2), Vec3(0, -1, 1).GetNormalized(), kTolerance);
    ExpectNear(tilted.GetTransposed() * tilted, Mtx33::Identity(), kMatrixTolerance);
    EXPECT_GT(tilted.GetColumn(1).y, 0.0f);
    EXPECT_FALSE(std::isfinite(Mtx33::LookAt({0, 2, 0}, {0, 1, 0}).m[0]));

    Mtx33d d = Mtx33d::LookAt({3, 0, 0}, {0, 1, 0});
    ExpectNear(d * Vec3d(0, 0, 1), Vec3d(1, 0, 0), kDoubleTolerance);
}

TEST(Matrix, ViewMatrixLooksAlongLocalMinusZ) {
    Mtx44 front = Mtx44::View({0, 0, 5}, {0, 0, 0}, {0, 1, 0});
    EXPECT_EQ(front.TransformPoint(Vec3(0, 0, 0)), Vec3(0, 0, -5));
    EXPECT_EQ(front.TransformPoint(Vec3(0, 0, 5)), Vec3(0, 0, 0));
    EXPECT_EQ(front.GetRow(3), Vec4(0, 0, 0, 1));

    // Camera on +X looking at the origin: world -Z is to its right.
    Mtx44 side = Mtx44::View(3, 0, 0, 0, 0, 0, 0, 1, 0);
    EXPECT_EQ(side, Mtx44(0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, -3, 0, 0, 0, 1));
    EXPECT_EQ(side.TransformPoint(Vec3(3, 0, -1)), Vec3(1, 0, 0));
}

TEST(Matrix, SkewIsTheCrossProduct) {
    Vec3 a(1, -2, 3), b(4, 5, -6);
    EXPECT_EQ(Mtx33::Skew(a) * b, a.Cross(b));
}

TEST(Matrix, PrintWritesEightWideFields) {
    testing::internal::CaptureStdout();
    Mtx33::Identity().Print();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "1.000000 0.000000 0.000000 \n0.000000 1.000000 0.000000 \n0.000000 0.000000 1.000000 \n");
    testing::internal::CaptureStdout();
    Mtx44::Diagonal(-1, 2, 3).Print();
    std::string text = testing::internal::GetCapturedStdout();
    EXPECT_EQ(text.substr(0, 40), "-1.000000 0.000000 0.000000 0.000000 \n0.");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
}

}  // namespace
