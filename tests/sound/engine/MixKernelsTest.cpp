#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "sound/engine/lower/SxDecibels.h"
#include "sound/engine/lower/SxMixKernels.h"

using namespace SX;
namespace K = SX::SxMixKernels;

namespace {

constexpr uint32_t N = 1024;

TEST(MixKernels, RampFromZeroToOneGivesSampleKTheGainKOver1024) {
    std::vector<float> src(N, 1.0f), dst(N, 0.0f);
    K::MixChannel(src.data(), dst.data(), N, 0.0f, 1.0f / N);
    for (uint32_t k = 0; k < N; ++k) ASSERT_EQ(dst[k], static_cast<float>(k) / N) << k;

    // Adds to what is there; constant gain path.
    K::MixChannel(src.data(), dst.data(), N, 0.5f, 0.0f);
    EXPECT_EQ(dst[0], 0.5f);
    EXPECT_EQ(dst[512], 1.0f);
}

TEST(MixKernels, GainThatStaysZeroLeavesTheDestinationUntouched) {
    std::vector<float> src(N, std::numeric_limits<float>::quiet_NaN()), dst(N, 0.25f);
    K::MixChannel(src.data(), dst.data(), N, 0.0f, 0.0f);
    for (float v : dst) ASSERT_EQ(v, 0.25f);
}

TEST(MixKernels, VoiceChannelReachesTheSpeakersOfEachLayout) {
    SxSpeakerGains gains;
    for (int s = 0; s < 6; ++s)
        gains.current[s] = gains.previous[s] = 0.1f * (s + 1);  // L .1 R .2 C .3 SL .4 SR .5 LFE .6
    std::vector<float> src(N, 1.0f);

    std::vector<float> six(6 * N, 0.0f);
    K::MixIntoFivePointOne(src.data(), six.data(), N, gains);
    for (int c = 0; c < 6; ++c) EXPECT_FLOAT_EQ(six[c * N + 7], 0.1f * (c + 1)) << c;

    std::vector<float> four(4 * N, 0.0f);
    K::MixIntoFourPointZero(src.data(), four.data(), N, gains);
    const float expected4[4] = {0.1f, 0.2f, 0.4f, 0.5f};
    for (int c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(four[c * N + 7], expected4[c]) << c;

    struct Case {
        uint32_t rule;
        float left, right;
    } cases[] = {
        {0, std::sqrt(0.01f + (0.09f + 0.16f) * 0.5f), std::sqrt(0.04f + (0.09f + 0.25f) * 0.5f)},
        {1, 0.1f, 0.2f},
    };
    for (const Case& c : cases) {
        std::vector<float> two(2 * N, 0.0f);
        K::MixIntoStereo(src.data(), two.data(), N, gains, c.rule);
        EXPECT_FLOAT_EQ(two[9], c.left) << c.rule;
        EXPECT_FLOAT_EQ(two[N + 9], c.right) << c.rule;
    }
}

TEST(MixKernels, NodeIntoNodeRampsEachChannel) {
    std::vector<float> src(2 * N, 1.0f), dst(2 * N, 0.0f);
    const float previous[2] = {0.0f, 1.0f}, current[2] = {1.0f, 1.0f};
    K::MixNode(src.data(), dst.data(), 2, N, previous, current);
    EXPECT_EQ(dst[256], 0.25f);
    EXPECT_EQ(dst[N + 256], 1.0f);
}

TEST(MixKernels, InterleaveWritesDeviceOrderWithRamps) {
    std::vector<float> planar(2 * N);
    for (uint32_t k = 0; k < N; ++k) planar[k] = 1.0f, planar[N + k] = -1.0f;
    std::vector<float> out(2 * N);
    K::InterleaveStereo(planar.data(), out.data(), N, 0.0f, 1.0f);
    for (uint32_t k = 0; k < N; ++k) {
        ASSERT_EQ(out[2 * k], static_cast<float>(k) / N);
        ASSERT_EQ(out[2 * k + 1], -static_cast<float>(k) / N);
    }

    std::vector<float> six(6 * N);
    for (uint32_t c = 0; c < 6; ++c)
        for (uint32_t k = 0; k < N; ++k) six[c * N + k] = static_cast<float>(c + 1);  // planar L R C SL SR LFE
    std::vector<float> out6(6 * N);
    K::InterleaveFivePointOne(six.data(), out6.data(), N, 1.0f, 1.0f, 0.5f, 0.5f);
    const float device[6] = {1, 2, 3, 3.0f /* LFE 6 x 0.5 */, 4, 5};
    for (int d = 0; d < 6; ++d) EXPECT_EQ(out6[6 * 100 + d], device[d]) << d;
}

TEST(MixKernels, FloatTo16RoundsToNearestEvenAndSaturates) {
    struct Case {
        float in;
        int16_t out;
    } cases[] = {
        {0.0f, 0},         {1.0f, 32767},   {1.5f, 32767},     {-1.0f, -32767},
        {-2.0f, -32768},   {0.5f, 16384},  // 16383.5: tie goes to even
        {-0.5f, -16384},   {0.25f, 8192},  // 8191.75
        {0.75f, 24575},                    // 24575.25
        {1.0f / 32767, 1}, {100.0f, 32767}, {-100.0f, -32768}, {0.0f, 0},
        {0.0f, 0},         {0.0f, 0},       {0.0f, 0},
    };
    static_assert(sizeof(cases) / sizeof(cases[0]) == 16, "one pass of the kernel");
    float in[16];
    int16_t out[16];
    for (int i = 0; i < 16; ++i) in[i] = cases[i].in;
    K::FloatTo16(in, out, 16);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(out[i], cases[i].out) << cases[i].in;
}

// Samples far out of range saturate instead of wrapping; not a number becomes silence.
TEST(MixKernels, FloatTo16SaturatesHugeSamplesAndSilencesNaN) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float in;
        int16_t out;
    } cases[] = {
        {65538.0f, 32767},   {70000.0f, 32767}, {1e10f, 32767},  {inf, 32767}, {65537.0f, 32767}, {1.0001f, 32767},
        {-65538.0f, -32768}, {-1e10f, -32768},  {-inf, -32768},  {nan, 0},     {-nan, 0},         {0.5f, 16384},
        {-0.5f, -16384},     {1.0f, 32767},     {-1.0f, -32767}, {0.0f, 0},
    };
    static_assert(sizeof(cases) / sizeof(cases[0]) == 16, "one pass of the kernel");
    float in[16];
    int16_t out[16];
    for (int i = 0; i < 16; ++i) in[i] = cases[i].in;
    K::FloatTo16(in, out, 16);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(out[i], cases[i].out) << cases[i].in;
}

TEST(MixKernels, MismatchedLayoutsClampAndTruncate) {
    const float stereo[4] = {0.5f, -2.0f, 0.99999f, 0.0f};
    int16_t six[12];
    K::StereoTo51Pcm16(stereo, six, 2);
    const int16_t expected6[12] = {16383, -32767, 0, 0, 0, 0, 32766, 0, 0, 0, 0, 0};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(six[i], expected6[i]) << i;

    const float fivePointOne[6] = {0.1f, 0.2f, 0.3f, 0.9f, 0.4f, 0.5f};  // L R C LFE SL SR
    int16_t two[2];
    K::FivePointOneToStereoPcm16(fivePointOne, two, 1);
    EXPECT_NEAR(two[0], (0.1 + 0.707 * 0.3 + 0.707 * 0.4) * 32767, 1.0);
    EXPECT_NEAR(two[1], (0.2 + 0.707 * 0.3 + 0.707 * 0.5) * 32767, 1.0);
    const float loud[6] = {1.0f, -1.0f, 1.0f, 0.0f, 1.0f, -1.0f};
    K::FivePointOneToStereoPcm16(loud, two, 1);
    EXPECT_EQ(two[0], 32767);
    EXPECT_EQ(two[1], -32767);
}

TEST(Decibels, TablePointsInterpolationAndLimits) {
    struct Case {
        float db, linear;
    } cases[] = {
        {-96.3f, 0.0f},
        {-200.0f, 0.0f},
        {0.0f, 1.0f},
        {6.0f, 1.0f},
        {-6.0f, std::pow(10.0f, -0.3f)},
        {-6.5f, 0.5f * (std::pow(10.0f, -6.0f / 20) + std::pow(10.0f, -7.0f / 20))},
        {-96.0f, std::pow(10.0f, -96.0f / 20)},
    };
    for (const Case& c : cases) EXPECT_NEAR(SxMath::DbToLinear(c.db), c.linear, 1e-6f) << c.db;
}

}  // namespace
