#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "sound/engine/voice/VoiceResampler.h"

using namespace SX;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr uint32_t kOut = 1024;

struct Output {
    std::vector<std::vector<float>> channels;  // planar output
};

// Feeds interleaved input to the resampler in buffers whose sizes cycle through the pattern,
// collecting 1024-frame output buffers; the pitch may change after a given output frame.
template <typename S>
Output Resample(VoiceResampler& r, const std::vector<S>& input, uint32_t channels, uint32_t outputFrames,
                const std::vector<uint32_t>& pattern, float cents, uint32_t changeAt = 0, float changedCents = 0.0f) {
    Output run;
    run.channels.resize(channels);
    std::vector<float> buffer(kOut * channels);
    size_t at = 0;
    size_t piece = 0;
    uint32_t inFrames = 0;
    const S* in = nullptr;
    r.SetPitch(cents);
    while (run.channels[0].size() < outputFrames) {
        if (changeAt && run.channels[0].size() >= changeAt) r.SetPitch(changedCents);
        r.SetOutputOffset(0);
        SXRESULT result = SX_DataNeeded;
        while (result != SX_DataReady) {
            if (!in) {
                inFrames = pattern[piece++ % pattern.size()];
                if ((at + inFrames) * channels > input.size()) return run;
                in = &input[at * channels];
                at += inFrames;
            }
            result = r.Process(in, inFrames, buffer.data(), kOut);
            if (r.InputUsedUp()) in = nullptr;
        }
        for (uint32_t c = 0; c < channels; ++c)
            run.channels[c].insert(run.channels[c].end(), buffer.begin() + c * kOut, buffer.begin() + (c + 1) * kOut);
    }
    return run;
}

std::vector<int16_t> Sine16(double frequency, double amplitude, uint32_t frames, uint32_t rate, uint32_t channels) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * channels);
    for (uint32_t i = 0; i < frames; ++i)
        for (uint32_t c = 0; c < channels; ++c)
            out[i * channels + c] =
                static_cast<int16_t>(std::lround(amplitude * 32767.0 * std::sin(2 * kPi * frequency * i / rate)));
    return out;
}

// Frequency from the rising zero crossings between two frames, interpolated between samples.
double MeasuredFrequency(const std::vector<float>& x, size_t from, size_t to, double rate) {
    double first = -1, last = -1;
    int crossings = 0;
    for (size_t i = from + 1; i < to; ++i) {
        if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
            const double t = (i - 1) + x[i - 1] / (x[i - 1] - x[i]);
            if (first < 0)
                first = t;
            else
                ++crossings;
            last = t;
        }
    }
    return crossings ? crossings * rate / (last - first) : 0.0;
}

// The largest second difference: a smooth sine of amplitude a and frequency f never exceeds
// a (2 pi f / rate)^2, and linear interpolation adds at most the input's own; a step at a
// buffer boundary (a lost or repeated sample) shows as one of about a (2 pi f / rate), several
// times the bound the tests allow (half again the smooth value, for the interpolation's kinks).
double LargestSecondDifference(const std::vector<float>& x, size_t from, size_t to) {
    double largest = 0.0;
    for (size_t i = from + 1; i + 1 < to; ++i)
        largest = std::max(largest, std::fabs(double(x[i + 1]) - 2.0 * x[i] + x[i - 1]));
    return largest;
}

TEST(VoiceResampler, SineKeepsItsShiftedFrequencyWithoutClicksAtBufferBoundaries) {
    const double amplitude = 0.5;
    const std::vector<int16_t> sine = Sine16(1000.0, amplitude, 48000 * 3, 48000, 1);
    struct Case {
        float cents;
        uint32_t sourceRate;
        double expected;
    } cases[] = {
        {0.0f, 48000, 1000.0},    {1200.0f, 48000, 2000.0},
        {-1200.0f, 48000, 500.0}, {700.0f, 48000, 1000.0 * std::pow(2.0, 700.0 / 1200.0)},
        {-2400.0f, 48000, 250.0}, {3000.0f, 48000, 4000.0},  // clamped to two octaves
        {0.0f, 24000, 500.0},  // 48 samples a cycle read at 24 kHz: each one lasts two output frames
        {1200.0f, 24000, 1000.0},
    };
    for (const Case& c : cases) {
        VoiceResampler r;
        ASSERT_TRUE(r.Init(16, 0x4, c.sourceRate, 48000));
        const Output run = Resample(r, sine, 1, 16 * kOut, {1000, 333, 1024, 77, 2048}, c.cents);
        ASSERT_GE(run.channels[0].size(), 16u * kOut) << c.cents;
        const std::vector<float>& out = run.channels[0];
        EXPECT_NEAR(MeasuredFrequency(out, 64, out.size(), 48000.0), c.expected, c.expected * 0.002) << c.cents;
        const double w = 2 * kPi * std::max(c.expected, 1000.0) / 48000.0;
        EXPECT_LT(LargestSecondDifference(out, 1, out.size()), amplitude * w * w * 1.5 + 4.0 / 32768) << c.cents;
    }
}

TEST(VoiceResampler, PitchChangeRampsWithoutAStepAndSettlesOnTheNewFrequency) {
    const double amplitude = 0.5;
    const std::vector<int16_t> sine = Sine16(1000.0, amplitude, 48000 * 3, 48000, 1);
    for (float target : {700.0f, -1200.0f, 2400.0f}) {
        VoiceResampler r;
        ASSERT_TRUE(r.Init(16, 0x4, 48000, 48000));
        const Output run = Resample(r, sine, 1, 12 * kOut, {1000, 512, 999}, 0.0f, 4 * kOut, target);
        const std::vector<float>& out = run.channels[0];
        ASSERT_GE(out.size(), 12u * kOut);
        EXPECT_EQ(r.Mode(), VoiceResampler::Mode_Fixed) << target;
        const double f = 1000.0 * std::pow(2.0, target / 1200.0);
        EXPECT_NEAR(MeasuredFrequency(out, 6 * kOut, out.size(), 48000.0), f, f * 0.002) << target;
        const double w = 2 * kPi * std::max(f, 1000.0) / 48000.0;
        EXPECT_LT(LargestSecondDifference(out, 1, out.size()), amplitude * w * w * 1.5 + 4.0 / 32768) << target;
    }
}

TEST(VoiceResampler, NoPitchAtEqualRatesCopiesTheSamplesExactly) {
    std::vector<int16_t> ramp(4096);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<int16_t>(i * 16 - 32768);
    VoiceResampler r;
    ASSERT_TRUE(r.Init(16, 0x4, 48000, 48000));
    const Output run = Resample(r, ramp, 1, 3 * kOut, {700, 1500}, 0.0f);
    EXPECT_EQ(r.Mode(), VoiceResampler::Mode_None);
    for (size_t i = 0; i < run.channels[0].size(); ++i) ASSERT_EQ(run.channels[0][i], ramp[i] / 32768.0f) << i;
}

TEST(VoiceResampler, FullScaleNeighboursInterpolateWithoutOverflow) {
    // (32767 - -32768) x 0xFFFF passes 32 bits.
    const std::vector<int16_t> input = {-32768, 32767, -32768, 32767, -32768, 32767, -32768, 32767};
    VoiceResampler r;
    ASSERT_TRUE(r.Init(16, 0x4, 48000, 48000));
    r.SetPitch(-1199.0f, true);  // increment just over half: fractions near 0xFFFF occur
    std::vector<float> out(kOut, 2.0f);
    r.Process(input.data(), static_cast<uint32_t>(input.size() / 1), out.data(), kOut);
    for (uint32_t i = 0; i < r.OutputOffset(); ++i) {
        ASSERT_GE(out[i], -1.0f) << i;
        ASSERT_LE(out[i], 1.0f) << i;
    }
    EXPECT_GT(r.OutputOffset(), 10u);
}

TEST(VoiceResampler, FloatSourcesAndTheLfeChannelGoLast) {
    // 5.1 float: input channel c holds the value c + 1; the LFE (input 3) goes to planar 5.
    std::vector<float> input(6 * 2048);
    for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<float>(i % 6 + 1) * 0.1f;
    VoiceResampler r;
    ASSERT_TRUE(r.Init(32, 0x3F, 48000, 48000));
    const Output run = Resample(r, input, 6, kOut, {2048}, 0.0f);
    const float expected[6] = {0.1f, 0.2f, 0.3f, 0.5f, 0.6f, 0.4f};
    for (int c = 0; c < 6; ++c) EXPECT_FLOAT_EQ(run.channels[c][100], expected[c]) << c;
    // Interpolating keeps the mapping.
    VoiceResampler pitched;
    ASSERT_TRUE(pitched.Init(32, 0x3F, 48000, 48000));
    const Output shifted = Resample(pitched, input, 6, kOut, {2048}, 500.0f);
    for (int c = 0; c < 6; ++c) EXPECT_FLOAT_EQ(shifted.channels[c][100], expected[c]) << c;
}

TEST(VoiceResampler, FormatsWithoutAKernelAreRefused) {
    struct Case {
        uint32_t bits, mask;
        bool ok;
    } cases[] = {{16, 0x4, true},  {32, 0x3, true},   {16, 0x33, true},  {32, 0x3F, true}, {8, 0x4, false},
                 {24, 0x3, false}, {16, 0x7F, false}, {32, 0xFF, false}, {16, 0, false}};
    for (const Case& c : cases) {
        VoiceResampler r;
        EXPECT_EQ(r.Init(c.bits, c.mask, 48000, 48000), c.ok) << c.bits << " " << c.mask;
        if (!c.ok) {
            int16_t in[2] = {};
            float out[4];
            EXPECT_EQ(r.Process(in, 1, out, 1), SX_Fail);
        }
    }
}

TEST(VoiceResampler, FrameCountsConvertAcrossTheIncrement) {
    VoiceResampler r;
    ASSERT_TRUE(r.Init(16, 0x3, 48000, 48000));
    r.SetPitch(1200.0f, true);
    EXPECT_EQ(r.OutputToInputFrames(1024), 2048u);
    EXPECT_EQ(r.InputToOutputFrames(2048), 1024u);
    EXPECT_FLOAT_EQ(r.PitchRatio(), 2.0f);
}

}  // namespace
