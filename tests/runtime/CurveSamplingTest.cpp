#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "runtime/CurveSampling.h"

namespace {

TEST(CurveSampling, TwoSamplesGiveAStraightLine) {
    std::vector<double> c;
    ASSERT_TRUE(SD::FitNaturalCubic({0.0, 10.0}, c));
    ASSERT_EQ(c.size(), 4u);
    EXPECT_NEAR(SD::EvaluateCurve(c, 0.5), 5.0, 1e-12);
    EXPECT_NEAR(SD::EvaluateCurveSecondDerivative(c, 0.5), 0.0, 1e-12);
}

// Worked by hand: through 0, 1, 0 with natural ends, S = 1.5 t - 0.5 t^3 + (t - 1)^3 [t >= 1].
TEST(CurveSampling, ThreeSamplesMatchTheHandComputedCurve) {
    std::vector<double> c;
    ASSERT_TRUE(SD::FitNaturalCubic3(0.0, 1.0, 0.0, c));
    const double expected[] = {0.0, 1.5, 0.0, -0.5, 1.0};
    ASSERT_EQ(c.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(c[i], expected[i], 1e-12) << i;
    EXPECT_NEAR(SD::EvaluateCurve(c, 0.5), 0.6875, 1e-12);
    EXPECT_NEAR(SD::EvaluateCurve(c, 1.5), 0.6875, 1e-12);
    EXPECT_NEAR(SD::EvaluateCurveSecondDerivative(c, 0.0), 0.0, 1e-12);
    EXPECT_NEAR(SD::EvaluateCurveSecondDerivative(c, 2.0), 0.0, 1e-12);
    EXPECT_NEAR(SD::EvaluateCurveSecondDerivative(c, 1.0), -3.0, 1e-12);
}

TEST(CurveSampling, ParametersAreClampedToTheCurve) {
    std::vector<double> c;
    SD::FitNaturalCubic4(3.0, -1.0, 2.0, 8.0, c);
    EXPECT_NEAR(SD::EvaluateCurve(c, -3.0), 3.0, 1e-9);
    EXPECT_NEAR(SD::EvaluateCurve(c, 9.0), 8.0, 1e-9);
}

TEST(CurveSampling, FitsReproduceTheirSamplesForTwoToFortyPoints) {
    for (int n = 2; n <= 40; ++n) {
        std::vector<double> samples;
        for (int i = 0; i < n; ++i) samples.push_back(100.0 * std::sin(0.7 * i) + 3.0 * i);
        std::vector<double> c;
        ASSERT_TRUE(SD::FitNaturalCubic(samples, c));
        ASSERT_EQ(c.size(), static_cast<size_t>(n + 2));
        for (int i = 0; i < n; ++i) EXPECT_NEAR(SD::EvaluateCurve(c, i), samples[i], 1e-6) << n << " samples, t=" << i;
        EXPECT_NEAR(SD::EvaluateCurveSecondDerivative(c, 0), 0.0, 1e-6) << n;
        EXPECT_NEAR(SD::EvaluateCurveSecondDerivative(c, n - 1), 0.0, 1e-6) << n;
    }
}

TEST(CurveSampling, TooFewSamplesAreRefused) {
    std::vector<double> c;
    EXPECT_FALSE(SD::FitNaturalCubic({1.0}, c));
    EXPECT_TRUE(c.empty());
    EXPECT_EQ(SD::EvaluateCurve(c, 0.5), 0.0);
}

}  // namespace
