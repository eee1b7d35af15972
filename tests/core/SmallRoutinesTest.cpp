#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "core/AffinePoint.h"
#include "core/BlurTaps.h"
#include "core/EngineCore.h"
#include "core/TimeStamp.h"
#include "platform/os/Clock.h"

namespace {

TEST(BlurTaps, WeightsAreSymmetricGaussianAndOffsetsArePixelSteps) {
    const SD::BlurTaps taps = SD::ComputeBlurTaps(640, 480);
    const double sigma = 3.0;
    auto g = [&](double x) { return std::exp(-x * x / (2 * sigma * sigma)) / std::sqrt(2 * M_PI * sigma * sigma); };
    EXPECT_FLOAT_EQ(taps.strength, 0.8f);
    EXPECT_FLOAT_EQ(taps.sigma, 3.0f);
    EXPECT_FLOAT_EQ(taps.spread, 1.0f);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(taps.weights[i], 0.8 * g(i), 1e-6) << i;
    EXPECT_EQ(taps.weights[3], taps.weights[1]);
    EXPECT_EQ(taps.weights[4], taps.weights[2]);
    float sum = 0;
    for (float w : taps.weights) sum += w;
    EXPECT_NEAR(sum, 0.8 * (g(0) + 2 * g(1) + 2 * g(2)), 1e-6);

    const float expected[5][4] = {{0, 0, 0, 0},
                                  {1 / 640.f, 1 / 480.f, 0, 0},
                                  {2 / 640.f, 2 / 480.f, 0, 0},
                                  {-1 / 640.f, -1 / 480.f, 0, 0},
                                  {-2 / 640.f, -2 / 480.f, 0, 0}};
    for (int i = 0; i < 5; ++i)
        for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(taps.offsets[i][k], expected[i][k]) << i << "," << k;
}

TEST(BlurTaps, EmptyTargetGivesNoOffsets) {
    const SD::BlurTaps taps = SD::ComputeBlurTaps(0, 0);
    for (const auto& offset : taps.offsets)
        for (float v : offset) EXPECT_EQ(v, 0.0f);
}

TEST(AffinePoint, AppliesRotationScaleAndTranslation) {
    struct Case {
        float m[12];
        SD::Vec3 p, want;
    };
    const Case cases[] = {
        {{1, 0, 0, 10, 0, 1, 0, 0, 0, 0, 1, 0}, {1, 2, 3}, {11, 2, 3}},
        {{0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 5}, {1, 2, 3}, {-2, 1, 8}},  // quarter turn about z
        {{2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0}, {1, 1, 1}, {2, 3, 4}},
    };
    for (const Case& c : cases) {
        const SD::Vec3 out = SD::TransformPoint34(c.m, c.p);
        EXPECT_FLOAT_EQ(out.x, c.want.x);
        EXPECT_FLOAT_EQ(out.y, c.want.y);
        EXPECT_FLOAT_EQ(out.z, c.want.z);
    }
}

TEST(TimeStamp, TakesTheEngineClockAndClearsTheExtraWord) {
    SD::TimeStamp stamp{5.0, 77};
    SD::StampTime(stamp);
    EXPECT_EQ(stamp.time, 0.0) << "no core";
    EXPECT_EQ(stamp.extra, 0u);

    platform::ManualClock clock;
    platform::ScopedClock scope(clock);
    std::unique_ptr<SD::Core> core(SD::Core::CreateInstance());
    clock.Advance(2.5);
    stamp.extra = 9;
    SD::StampTime(stamp);
    EXPECT_NEAR(stamp.time, 2.5, 1e-6);
    EXPECT_EQ(stamp.extra, 0u);
}

}  // namespace
