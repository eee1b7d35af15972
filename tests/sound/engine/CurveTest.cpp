#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "SxTestMemory.h"
#include "sound/engine/curves/CSxConversionTable.h"
#include "sound/engine/curves/SxCurveTable.h"

namespace {

using namespace SX;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

class Curves : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SxCurveTable::BuildAll(333, 333, SxCurveTable::kAllShapes), SX_Success); }
    void TearDown() override { SxCurveTable::FreeAll(); }
    sxtest::TestMemory memory;
};

// Every shape from 10 to 20 at a few points, against the shape functions themselves.
TEST_F(Curves, EveryShapeFollowsItsFunction) {
    auto E = [](float x) { return x * x * x; };
    auto S = [](float x) { return 1.0f - std::sin((1.0f - x) * 3.14159265f / 2.0f); };
    auto L = [](float x) { return std::pow(x, 1.41f); };
    auto expected = [&](uint32_t shape, float t) -> float {
        switch (shape) {
            case 0:
                return 1 - E(1 - t);
            case 1:
                return 1 - S(1 - t);
            case 2:
                return 1 - L(1 - t);
            case 3:
                return t < 0.5f ? 0.5f * (1 - S(1 - 2 * t)) : 0.5f * S(2 * (t - 0.5f)) + 0.5f;
            case 4:
                return t;
            case 5:
                return t < 0.5f ? 0.5f * S(2 * t) : 0.5f * (1 - S(1 - 2 * (t - 0.5f))) + 0.5f;
            case 6:
                return L(t);
            case 7:
                return S(t);
            case 8:
                return E(t);
            default:
                return 0.0f;
        }
    };
    for (uint32_t shape = 0; shape <= 10; ++shape) {
        for (float t : {0.0f, 0.1f, 0.25f, 0.5f, 0.8f, 1.0f}) {
            float got = SxMath::InterpolateCurve(t, 10.0f, 20.0f, static_cast<SxCurveInterpolation>(shape));
            EXPECT_NEAR(got, 10.0f + 10.0f * expected(shape, t), 0.01f) << "shape " << shape << " t " << t;
        }
    }
}

TEST_F(Curves, TableLookupAtAndBeyondItsEnds) {
    struct Case {
        const SxCurveTable* table;
        float x, clamped;
    } cases[] = {
        {&g_LinearToDbTable, 10.0f, 20.0f},  // the last sample: no read past the table
        {&g_LinearToDbTable, 1.0f, 0.0f},        {&g_LinearToDbTable, 20.0f, 20.0f}, {&g_LinearToDbTable, 0.5f, 0.0f},
        {&g_CubicShapeTable, 1.0f, 1.0f},        {&g_CubicShapeTable, 0.5f, 0.125f}, {&g_CubicShapeTable, kInf, 1.0f},
        {&g_CubicShapeTable, -kInf, 0.0f},       {&g_CubicShapeTable, kNaN, 0.0f},   {&g_FrequencyTable, 20.0f, 20.0f},
        {&g_FrequencyTable, 30000.0f, 20000.0f},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(c.table->LookupClamped(c.x), c.clamped, c.clamped * 0.01f + 0.01f) << c.x;
        EXPECT_TRUE(std::isfinite(c.table->Lookup(c.x))) << c.x;
    }
    EXPECT_NEAR(g_LinearToDbTable.Lookup(10.0f), 20.0f, 1e-3f);
}

TEST_F(Curves, DecibelConversions) {
    struct Case {
        float gain, db;
    } cases[] = {
        {1.0f, 0.0f},   {0.5f, -6.02f},  {2.0f, 6.02f},  {10.0f, 20.0f}, {1000.0f, 60.0f}, {0.001f, -60.0f},
        {0.0f, -96.3f}, {-1.0f, -96.3f}, {kNaN, -96.3f}, {kInf, -96.3f}, {-kInf, -96.3f},
    };
    for (const Case& c : cases) EXPECT_NEAR(SxMath::LinearToDB(c.gain), c.db, 0.02f) << c.gain;

    struct Back {
        float db, gain;
    } back[] = {{0.0f, 1.0f},         {-6.02f, 0.5f},    {20.0f, 10.0f},
                {-200.0f, 1.531e-5f}, {kNaN, 1.531e-5f}, {kInf, 1.531e-5f}};
    for (const Back& b : back) EXPECT_NEAR(SxMath::LookupDBToLinear(b.db), b.gain, b.gain * 0.01f) << b.db;
    // dB ramps interpolate gains and answer in dB.
    EXPECT_NEAR(SxMath::InterpolateCurveDB(0.5f, 0.0f, 1.0f, SxCurve_Linear), -6.02f, 0.02f);
}

TEST_F(Curves, ConversionTableClampsAndInterpolates) {
    const SxCurvePoint linear[] = {{0, 0, SxCurve_Linear}, {100, 1, SxCurve_Linear}};
    const SxCurvePoint steps[] = {{0, 5, SxCurve_Constant}, {10, 7, SxCurve_Exp3}, {20, 9, SxCurve_Linear}};
    CSxConversionTable a, b;
    ASSERT_EQ(a.Set(linear, 2, SxCurveScaling_None), SX_Success);
    ASSERT_EQ(b.Set(steps, 3, SxCurveScaling_None), SX_Success);
    struct Case {
        const CSxConversionTable* curve;
        float x, y;
    } cases[] = {
        {&a, 25, 0.25f}, {&a, -5, 0}, {&a, 150, 1},    {&a, 100, 1}, {&a, 0, 0},  {&b, 5, 5},
        {&b, 9.99f, 5},  {&b, 10, 7}, {&b, 15, 7.25f}, {&b, 25, 9},  {&b, -1, 5},
    };
    for (const Case& c : cases) EXPECT_NEAR(c.curve->Convert(c.x), c.y, 1e-3f) << c.x;

    const SxCurvePoint one[] = {{3, 42, SxCurve_Linear}};
    ASSERT_EQ(a.Set(one, 1, SxCurveScaling_None), SX_Success);
    EXPECT_EQ(a.Convert(-100), 42);
    EXPECT_EQ(a.Set(nullptr, 2, 0), SX_InvalidParameter);
    EXPECT_EQ(a.Set(one, 0, 0), SX_InvalidParameter);
    EXPECT_EQ(a.Count(), 0u);
    EXPECT_EQ(a.Convert(12.5f), 12.5f);  // no points: the input passes
}

// The cursor evaluator walks forward with a rising x and agrees with the plain evaluation;
// a cursor past the last point (a curve replaced by a shorter one) is held to the last point.
TEST_F(Curves, CursorEvaluationWalksForwardAndClampsAStaleCursor) {
    const SxCurvePoint pts[] = {
        {0, 0, SxCurve_Linear}, {1, 10, SxCurve_Constant}, {2, 20, SxCurve_Linear}, {4, 0, SxCurve_Linear}};
    CSxConversionTable curve;
    ASSERT_EQ(curve.Set(pts, 4, SxCurveScaling_None), SX_Success);
    uint32_t cursor = 0;
    for (float x = -0.5f; x < 5.0f; x += 0.125f)
        EXPECT_NEAR(curve.ConvertWithCursor(x, cursor), curve.Convert(x), 1e-4f) << x;
    EXPECT_EQ(cursor, 3u);

    struct Case {
        uint32_t cursor;
        float x, y;
        uint32_t after;
    } cases[] = {
        {3, 0.5f, 0.0f, 3},  // the cursor never goes back: the last point's value
        {4, 0.5f, 0.0f, 3},  // one past the end
        {0xFFFFFFFFu, 3.0f, 0.0f, 3},
        {1, 3.0f, 10.0f, 2},
    };
    for (const Case& c : cases) {
        uint32_t k = c.cursor;
        EXPECT_NEAR(curve.ConvertWithCursor(c.x, k), c.y, 1e-4f) << c.cursor;
        EXPECT_EQ(k, c.after) << c.cursor;
    }

    CSxConversionTable empty;
    uint32_t k = 7;
    EXPECT_EQ(empty.ConvertWithCursor(2.5f, k), 2.5f);  // no points: x passes through
    const SxCurvePoint one[] = {{3, 42, SxCurve_Linear}};
    ASSERT_EQ(curve.Set(one, 1, SxCurveScaling_None), SX_Success);
    EXPECT_EQ(curve.ConvertWithCursor(100.0f, k), 42.0f);
}

// Points straight from a bank may be out of order or not numbers: the result stays one of
// the curve's values and nothing is read outside the points.
TEST_F(Curves, MalformedPointsGiveAPointsValue) {
    const SxCurvePoint bad[] = {
        {50, 1, SxCurve_Linear}, {10, 2, 77}, {kNaN, 3, SxCurve_Linear}, {kInf, 4, SxCurve_Linear}};
    CSxConversionTable curve;
    ASSERT_EQ(curve.Set(bad, 4, 99), SX_Success);
    for (float x : {-kInf, 0.0f, 30.0f, 60.0f, kInf, kNaN}) {
        float y = curve.Convert(x);
        EXPECT_TRUE(y >= 1.0f && y <= 4.0f) << x << " gave " << y;
    }
}

TEST_F(Curves, ScalingsOfTheResult) {
    const SxCurvePoint pts[] = {{-1, -200, SxCurve_Linear}, {1, 200, SxCurve_Linear}};
    struct Case {
        uint32_t scaling;
        float x, y;
    } cases[] = {
        {SxCurveScaling_DbFader, 0.0f, 0.0f},
        {SxCurveScaling_DbFader, 0.25f, 6.36f},  // 50: -20 log10(46.3 / 96.3)
        {SxCurveScaling_DbFader, 1.0f, 96.3f},   // 200 holds to the table's end
        {SxCurveScaling_DbFaderUnclamped, 0.25f, 6.36f},
        {SxCurveScaling_Frequency, 0.1f, 20.0f},  // 20
        {SxCurveScaling_DbFader, -0.5f, -96.3f},  // -100
        {SxCurveScaling_Frequency, 1.0f, 20 * std::pow(10.0f, 180.0f / 6660.0f)},
        {SxCurveScaling_None, 0.5f, 100.0f},
    };
    for (const Case& c : cases) {
        CSxConversionTable curve;
        ASSERT_EQ(curve.Set(pts, 2, c.scaling), SX_Success);
        EXPECT_NEAR(curve.Convert(c.x), c.y, std::fabs(c.y) * 0.01f + 0.05f) << c.scaling << " " << c.x;
    }
}

TEST_F(Curves, SwitchCurvePicksTheSegmentsSwitch) {
    const SxSwitchPoint pts[] = {
        {0, 1001, SxCurve_Constant}, {50, 2002, SxCurve_Constant}, {80, 3003, SxCurve_Constant}};
    struct Case {
        float x;
        uint32_t id;
    } cases[] = {{-10, 1001}, {0, 1001}, {49, 1001}, {50, 2002}, {79.9f, 2002}, {80, 3003}, {1000, 3003}};
    for (const Case& c : cases) EXPECT_EQ(SxEvaluateSwitchCurve(pts, 3, c.x), c.id) << c.x;
    EXPECT_EQ(SxEvaluateSwitchCurve(pts, 0, 5), 0u);
}

// IDs above 2^24 are not rounded on the way: ends, points and interpolation use all 32 bits.
TEST_F(Curves, SwitchCurveKeepsEveryBitOfTheIDs) {
    const SxSwitchPoint pts[] = {
        {0, 0x10000001u, SxCurve_Linear}, {10, 0x10000011u, SxCurve_Sine}, {20, 0xFFFFFFFFu, SxCurve_Linear}};
    struct Case {
        float x;
        uint32_t id;
    } cases[] = {{-1, 0x10000001u}, {0, 0x10000001u},  {5, 0x10000009u},
                 {10, 0x10000011u}, {20, 0xFFFFFFFFu}, {30, 0xFFFFFFFFu}};
    for (const Case& c : cases) EXPECT_EQ(SxEvaluateSwitchCurve(pts, 3, c.x), c.id) << c.x;
}

TEST(CurveTables, UnbuiltTablesEvaluateTheirFunction) {
    SxCurveTable::FreeAll();
    EXPECT_NEAR(SxMath::InterpolateCurve(0.5f, 0, 1, SxCurve_Exp3), 0.125f, 1e-5f);
    EXPECT_NEAR(SxMath::LinearToDB(0.5f), -6.0206f, 1e-3f);
}

}  // namespace
