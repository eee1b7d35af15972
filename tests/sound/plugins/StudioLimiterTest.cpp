#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "StudioTestSupport.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/plugins/studio/CStudioLimiterFX.h"
#include "sound/plugins/studio/StudioPlugins.h"
#include "tests/sound/plugins/SxFxProbes.h"

using namespace SX;
using studiotest::BlockWriter;
using studiotest::CountingAllocator;
using studiotest::PlanarBuffer;

namespace {

float Db(float db) { return std::pow(10.0f, db / 20.0f); }

// One limiter with its parameters, fed whole signals in buffers of up to 1024 frames.
class LimiterRig {
public:
    LimiterRig(uint32_t mask, uint32_t rate, const StudioLimiterFXParams& values = StudioLimiterFXParams())
        : m_mask(mask) {
        m_params = static_cast<CStudioLimiterFXParams*>(CreateStudioLimiterFXParams(&allocator));
        m_params->Init(&allocator, nullptr, 0);
        m_params->values = values;
        m_fx = static_cast<CStudioLimiterFX*>(CreateStudioLimiterFX(&allocator));
        SxAudioFormat format = SxFloatFormat(rate, mask);
        initResult = m_fx->Init(&allocator, nullptr, m_params, format);
    }
    ~LimiterRig() {
        m_fx->Term(&allocator);
        m_params->Term(&allocator);
        EXPECT_EQ(allocator.live, 0) << "everything given back";
    }
    // Processes every channel's signal (all of one length) and returns the output.
    std::vector<std::vector<float>> Run(const std::vector<std::vector<float>>& in) {
        std::vector<std::vector<float>> out(in.size(), std::vector<float>(in[0].size()));
        for (size_t at = 0; at < in[0].size(); at += 1024) {
            const uint16_t frames = uint16_t(std::min<size_t>(1024, in[0].size() - at));
            PlanarBuffer b(m_mask, 1024);
            b.buffer.validFrames = frames;
            for (size_t c = 0; c < in.size(); ++c) std::copy_n(in[c].begin() + at, frames, b.Channel(uint32_t(c)));
            m_fx->Execute(&b.buffer);
            for (size_t c = 0; c < in.size(); ++c) std::copy_n(b.Channel(uint32_t(c)), frames, out[c].begin() + at);
        }
        return out;
    }
    CStudioLimiterFXParams& Params() { return *m_params; }
    CStudioLimiterFX& Fx() { return *m_fx; }

    CountingAllocator allocator;
    SXRESULT initResult = SX_Fail;

private:
    uint32_t m_mask;
    CStudioLimiterFXParams* m_params = nullptr;
    CStudioLimiterFX* m_fx = nullptr;
};

StudioLimiterFXParams Settings(float ceiling, float threshold, float knee, float release, int32_t mode) {
    StudioLimiterFXParams p;
    p.outputCeiling = ceiling;
    p.threshold = threshold;
    p.knee = knee;
    p.release = release;
    p.releaseMode = mode;
    return p;
}

// A deterministic noise burst: quiet, loud (peaks near `loud`), quiet again.
std::vector<float> Burst(size_t frames, float quiet, float loud, uint32_t seed) {
    std::vector<float> s(frames);
    uint32_t state = seed;
    for (size_t i = 0; i < frames; ++i) {
        state = state * 1664525u + 1013904223u;
        const float noise = float(int32_t(state)) / 2147483648.0f;
        const bool inBurst = i >= frames / 4 && i < frames / 2;
        s[i] = noise * (inBurst ? loud : quiet);
    }
    return s;
}

TEST(StudioLimiterTest, StereoAt48kHzDelaysByItsLookAheadAtUnityBelowThreshold) {
    LimiterRig rig(SxChannelMaskStereo, 48000);
    ASSERT_EQ(rig.initResult, SX_Success);
    EXPECT_EQ(qvtest::StudioLimiterProbe::Latency(rig.Fx()), 55u) << "N 40 + M 15";
    std::vector<float> left(300, 0.0f), right(300, 0.0f);
    left[10] = 0.05f;
    right[20] = -0.03f;
    const auto out = rig.Run({left, right});
    const float outputGain = Db(-0.01f);
    for (size_t i = 0; i < 300; ++i) {
        EXPECT_NEAR(out[0][i], i == 65 ? 0.05f * outputGain : 0.0f, 1e-6f) << i;
        EXPECT_NEAR(out[1][i], i == 75 ? -0.03f * outputGain : 0.0f, 1e-6f) << i;
    }
}

TEST(StudioLimiterTest, NoSampleOfABurstRisesAboveTheCeiling) {
    struct Case {
        uint32_t mask;
        uint32_t rate;
        StudioLimiterFXParams settings;
        float loud;
    };
    const Case cases[] = {
        {kLimiterMaskMono, 48000, Settings(0, 0, 0, 10, 0), 3.0f},
        {kLimiterMaskStereo, 48000, Settings(-6, -12, 0, 10, 0), 2.0f},
        {kLimiterMaskStereo, 44100, Settings(-1, -20, 100, 1, 5), 8.0f},
        {kLimiterMask51, 48000, Settings(-3, -6, 50, 200, 3), 1.5f},
        {kLimiterMaskMono, 24000, Settings(-36, -36, 10, 5000, 4), 1.0f},
        {kLimiterMaskStereo, 96000, Settings(-0.5f, 0, 0, 50, 2), 20.0f},
    };
    for (const Case& k : cases) {
        LimiterRig rig(k.mask, k.rate, k.settings);
        ASSERT_EQ(rig.initResult, SX_Success);
        const uint32_t channels = SxChannelCount(k.mask);
        std::vector<std::vector<float>> in;
        for (uint32_t c = 0; c < channels; ++c) in.push_back(Burst(40000, 0.05f, k.loud * (c + 1) / channels, 7 + c));
        const auto out = rig.Run(in);
        const float ceiling = Db(k.settings.outputCeiling);
        float largest = 0.0f;
        for (const auto& channel : out)
            for (float s : channel) largest = std::max(largest, std::fabs(s));
        EXPECT_LE(largest, ceiling) << "mask " << k.mask << " ceiling " << k.settings.outputCeiling;
        EXPECT_GT(largest, ceiling * 0.9f) << "the burst is brought up to the ceiling, not far below";
    }
}

// Output over the delayed input: the gain the limiter applied to each frame.
std::vector<float> AppliedGain(const std::vector<float>& in, const std::vector<float>& out, uint32_t latency) {
    std::vector<float> gain(out.size(), 0.0f);
    for (size_t i = latency; i < out.size(); ++i) gain[i] = out[i] / in[i - latency];
    return gain;
}

TEST(StudioLimiterTest, TheGainFallsWithinTheLookAheadBeforeTheBurstLeavesIt) {
    const uint32_t latency = 55;
    LimiterRig rig(kLimiterMaskMono, 48000, Settings(0, -24, 0, 10, 0));
    const size_t start = 2000;
    std::vector<float> in(6000, 0.01f);
    for (size_t i = start; i < in.size(); ++i) in[i] = 2.0f;
    const auto gain = AppliedGain(in, rig.Run({in})[0], latency);
    const float quietGain = gain[start - 1];
    EXPECT_NEAR(quietGain, Db(24.0f - 0.01f), 0.01f) << "quiet signals are raised by the threshold";
    for (size_t i = latency; i < start; ++i)
        EXPECT_FLOAT_EQ(gain[i], quietGain) << "no reduction before the burst enters, " << i;
    for (size_t i = start + 1; i < start + latency; ++i) EXPECT_LE(gain[i], gain[i - 1]) << "falls steadily, " << i;
    EXPECT_LT(gain[start + latency / 2], quietGain * 0.5f) << "well on its way halfway through the look-ahead";
    const float limited = gain[start + latency];
    EXPECT_NEAR(limited * 2.0f, Db(-0.01f), 2e-3f) << "the burst leaves the line at the ceiling";
    for (size_t i = start + latency; i < start + 2000; ++i) EXPECT_NEAR(gain[i], limited, 1e-4f) << i;
}

TEST(StudioLimiterTest, TheGainRecoversWithTheReleaseOfEachMode) {
    // {release mode, release ms, time constant of the recovery: max(release - B, 0) + C}
    struct Case {
        int32_t mode;
        float release;
        double tauMs;
    };
    const Case cases[] = {{5, 100, 85 + 50}, {4, 10, 0 + 100}, {4, 60, 50 + 100}, {3, 300, 294 + 200}, {2, 1, 400}};
    for (const Case& k : cases) {
        const uint32_t rate = 48000, latency = 55;
        LimiterRig rig(kLimiterMaskMono, rate, Settings(0, -24, 0, k.release, k.mode));
        const size_t end = 30000;
        const size_t tau = size_t(k.tauMs * rate / 1000);
        std::vector<float> in(end + 3 * tau, 0.01f);
        for (size_t i = 1000; i < end; ++i) in[i] = 2.0f;
        const auto gain = AppliedGain(in, rig.Run({in})[0], latency);
        // Below the quiet gain the curve is 1 / level, so the detector's level, in input units,
        // is the output gain over the applied gain; it falls to 1/e of its excess after tau.
        const float outputGain = Db(-0.01f);
        const float peak = 2.0f, quiet = 0.01f;
        const float target = quiet + (peak - quiet) / float(std::exp(1.0));
        size_t reached = 0;
        for (size_t i = end + latency; i < gain.size() && !reached; ++i)
            if (outputGain / gain[i] <= target) reached = i;
        ASSERT_NE(reached, 0u) << "mode " << k.mode;
        const double measured = double(reached - end - latency);
        EXPECT_NEAR(measured, double(tau), 0.06 * tau + latency) << "mode " << k.mode << " release " << k.release;
    }
}

TEST(StudioLimiterTest, SurroundChannelsShareOneGain) {
    LimiterRig rig(kLimiterMask51, 48000, Settings(0, 0, 0, 10, 0));
    std::vector<std::vector<float>> in(6, std::vector<float>(4000, 0.1f));
    for (size_t i = 1000; i < 4000; ++i) in[5][i] = 3.0f;  // only the LFE is loud
    const auto out = rig.Run(in);
    for (uint32_t c = 0; c < 5; ++c) EXPECT_LT(out[c][3500], 0.05f) << "channel " << c << " is lowered with the LFE";
    EXPECT_LE(out[5][3500], 1.0f);
}

TEST(StudioLimiterTest, OnlyMonoStereoAndSurroundLayoutsAreAccepted) {
    const struct {
        uint32_t mask;
        SXRESULT result;
    } cases[] = {{kLimiterMaskMono, SX_Success},
                 {0x3, SX_Success},
                 {0x3F, SX_Success},
                 {0x33, SX_UnsupportedChannelConfig},
                 {0x1, SX_UnsupportedChannelConfig},
                 {0x7, SX_UnsupportedChannelConfig}};
    for (const auto& k : cases) {
        LimiterRig rig(k.mask, 48000);
        EXPECT_EQ(rig.initResult, k.result) << "mask " << k.mask;
    }
}

TEST(StudioLimiterTest, InitFailsWithInsufficientMemoryAndTermGivesEverythingBack) {
    for (int failAfter = 0; failAfter < 3; ++failAfter) {
        CountingAllocator allocator;
        CStudioLimiterFXParams params;
        params.Init(&allocator, nullptr, 0);
        ISxPlugin* plugin = CreateStudioLimiterFX(&allocator);
        auto* fx = static_cast<CStudioLimiterFX*>(plugin);
        allocator.failAfter = allocator.calls + failAfter;
        SxAudioFormat format = SxFloatFormat(48000, SxChannelMaskStereo);
        EXPECT_EQ(fx->Init(&allocator, nullptr, &params, format), SX_InsufficientMemory) << failAfter;
        allocator.failAfter = -1;
        fx->Term(&allocator);
        EXPECT_EQ(allocator.live, 0) << failAfter;
    }
}

TEST(StudioLimiterTest, TheLookAheadDrainsAfterTheInputEnds) {
    LimiterRig rig(SxChannelMaskStereo, 48000);
    PlanarBuffer last(SxChannelMaskStereo, 1024);
    last.buffer.validFrames = 1000;
    std::fill(last.Channel(0), last.Channel(0) + 1000, 0.1f);
    std::fill(last.Channel(1), last.Channel(1) + 1000, 0.1f);
    last.buffer.state = SX_NoMoreData;
    rig.Fx().Execute(&last.buffer);
    EXPECT_EQ(last.buffer.validFrames, 1024);
    EXPECT_EQ(last.buffer.state, SX_DataReady) << "31 of the 55 tail frames are still to come";
    EXPECT_NEAR(last.Channel(0)[1023], 0.1f, 1e-3f);
    PlanarBuffer tail(SxChannelMaskStereo, 1024);
    tail.buffer.validFrames = 0;
    tail.buffer.state = SX_NoMoreData;
    rig.Fx().Execute(&tail.buffer);
    EXPECT_EQ(tail.buffer.state, SX_NoMoreData) << "the tail ends in this buffer";
    EXPECT_NEAR(tail.Channel(0)[30], 0.1f, 1e-3f) << "the last of the 31 inputs still in the line";
    EXPECT_EQ(tail.Channel(0)[31], 0.0f);
}

TEST(StudioLimiterTest, ParameterChangesAreTakenAtTheNextBuffer) {
    LimiterRig rig(kLimiterMaskMono, 48000);
    std::vector<float> in(2048, 0.1f);
    EXPECT_NEAR(rig.Run({in})[0][2000], 0.1f, 1e-3f);
    const float ceiling = -12.0f, threshold = -30.0f;
    EXPECT_EQ(rig.Params().SetParam(StudioLimiter_OutputCeiling, &ceiling, 4), SX_Success);
    EXPECT_EQ(rig.Params().SetParam(StudioLimiter_Threshold, &threshold, 4), SX_Success);
    const auto out = rig.Run({in})[0];
    EXPECT_EQ(rig.Params().changed, 0) << "taken into account";
    EXPECT_NEAR(out[2000], Db(-12.01f), 1e-3f) << "0.1 lies above -30 dB: held at the new ceiling";
}

TEST(StudioLimiterTest, ValuesOutOfRangeAreReplacedByTheirFallbacks) {
    struct Case {
        int16_t id;
        float value;
        float expected;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {StudioLimiter_OutputCeiling, -12, -12}, {StudioLimiter_OutputCeiling, 0.5f, 0},
        {StudioLimiter_OutputCeiling, -37, 0},   {StudioLimiter_Threshold, 3, 0},
        {StudioLimiter_Threshold, -36, -36},     {StudioLimiter_Threshold, nan, 0},
        {StudioLimiter_Knee, 100, 100},          {StudioLimiter_Knee, 101, 0},
        {StudioLimiter_Release, 0.5f, 10},       {StudioLimiter_Release, 5000, 5000},
        {StudioLimiter_Release, 1e30f, 10},      {StudioLimiter_ReleaseMode, 7.9f, 0},
        {StudioLimiter_ReleaseMode, 5.9f, 5},    {StudioLimiter_ReleaseMode, 3e9f, 0},
        {StudioLimiter_ReleaseMode, -0.5f, 0},   {StudioLimiter_ReleaseMode, nan, 0},
    };
    for (const Case& k : cases) {
        CStudioLimiterFXParams params;
        params.Init(nullptr, nullptr, 0);
        params.values.releaseMode = 2;
        params.changed = 0;
        EXPECT_EQ(params.SetParam(k.id, &k.value, 4), SX_Success);
        EXPECT_EQ(params.changed, 1);
        const float stored[] = {params.values.outputCeiling, params.values.threshold, params.values.knee,
                                params.values.release, float(params.values.releaseMode)};
        EXPECT_EQ(stored[k.id], k.expected) << "ID " << k.id << " value " << k.value;
    }
}

TEST(StudioLimiterTest, SetParamRefusesNullValuesAndUnknownIDs) {
    CStudioLimiterFXParams params;
    params.Init(nullptr, nullptr, 0);
    params.changed = 0;
    EXPECT_EQ(params.SetParam(StudioLimiter_Knee, nullptr, 4), SX_InvalidParameter);
    EXPECT_EQ(params.changed, 0) << "a null value changes nothing";
    const float value = 50.0f;
    EXPECT_EQ(params.SetParam(9, &value, 4), SX_InvalidParameter);
    EXPECT_EQ(params.values.knee, 0.0f);
}

TEST(StudioLimiterTest, BlocksLoadInFieldOrderAndMalformedBlocksKeepTheDefaults) {
    BlockWriter good;
    good.Put(-3.0f).Put(-9.0f).Put(25.0f).Put(120.0f).Put(int32_t(4));
    CStudioLimiterFXParams params;
    EXPECT_EQ(params.Init(nullptr, good.Data(), good.Size()), SX_Success);
    EXPECT_EQ(params.values.outputCeiling, -3.0f);
    EXPECT_EQ(params.values.threshold, -9.0f);
    EXPECT_EQ(params.values.knee, 25.0f);
    EXPECT_EQ(params.values.release, 120.0f);
    EXPECT_EQ(params.values.releaseMode, 4);
    EXPECT_EQ(params.changed, 1);

    BlockWriter wild;
    wild.Put(6.0f).Put(-40.0f).Put(-1.0f).Put(0.0f).Put(int32_t(-3));
    EXPECT_EQ(params.SetParamsBlock(wild.Data(), wild.Size()), SX_Success);
    EXPECT_EQ(params.values.outputCeiling, 0.0f);
    EXPECT_EQ(params.values.threshold, 0.0f);
    EXPECT_EQ(params.values.knee, 0.0f);
    EXPECT_EQ(params.values.release, 10.0f);
    EXPECT_EQ(params.values.releaseMode, 0);

    for (uint32_t size : {1u, 19u, 21u, 64u}) {
        std::vector<uint8_t> bytes(size, 0x41);
        params.values.knee = 77.0f;
        EXPECT_EQ(params.SetParamsBlock(bytes.data(), size), SX_InvalidParameter) << size;
        EXPECT_EQ(params.values.knee, 0.0f) << "a refused block leaves the defaults";
        EXPECT_EQ(params.values.release, 10.0f);
    }
    EXPECT_EQ(params.SetParamsBlock(nullptr, 20), SX_InvalidParameter);
}

TEST(StudioLimiterTest, CloneCopiesTheValuesAndTheFlagAsItStands) {
    CountingAllocator allocator;
    CStudioLimiterFXParams params;
    params.Init(&allocator, nullptr, 0);
    params.values.knee = 40.0f;
    params.changed = 0;
    auto* copy = static_cast<CStudioLimiterFXParams*>(params.Clone(&allocator));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->values.knee, 40.0f);
    EXPECT_EQ(copy->changed, 0);
    copy->Term(&allocator);
    allocator.failAfter = allocator.calls;
    EXPECT_EQ(params.Clone(&allocator), nullptr);
    EXPECT_EQ(allocator.live, 0);
}

TEST(StudioLimiterTest, GainCurveIsHardWithoutKneeAndSofterWithIt) {
    float hard[kLimiterTableSize], soft[kLimiterTableSize];
    LimiterGainTable(-12.0, 0.0, hard);
    LimiterGainTable(-12.0, 100.0, soft);
    EXPECT_NEAR(hard[0], 3.981f, 1e-3f) << "threshold 0 undoes the -12 dB input scaling";
    for (uint32_t i = 1; i < kLimiterTableSize; ++i) {
        const double level = 1.0 - std::pow(1.0 - i / 599.0, 0.25);
        EXPECT_NEAR(hard[i], std::min(std::max(std::pow(level, -0.9999), 1.0), 3.981), 1e-3 * hard[i]) << i;
        EXPECT_GE(soft[i], 1.0f);
        EXPECT_LE(soft[i], hard[i] + 1e-5f) << i;
    }
}

TEST(StudioLimiterTest, MetersReportTheLargestGainInputAndOutputSinceTheLastRead) {
    LimiterRig rig(SxChannelMaskStereo, 48000);
    EXPECT_EQ(rig.Fx().MeterRecordSize(), 24u);
    std::vector<float> left(1000, 0.5f), right(1000, -0.25f);
    const auto out = rig.Run({left, right});
    LimiterMeters meters;
    rig.Fx().ReadMeters(meters);
    EXPECT_EQ(meters.channels, 2u);
    EXPECT_NEAR(meters.input[0], 0.5f, 1e-5f);
    EXPECT_NEAR(meters.input[1], 0.25f, 1e-5f);
    EXPECT_NEAR(meters.output[0], std::fabs(out[0][999]), 1e-5f);
    EXPECT_NEAR(meters.gain, 3.981f, 1e-3f);
    rig.Fx().ReadMeters(meters);
    EXPECT_EQ(meters.input[0], 0.0f) << "read meters start again";
}

TEST(StudioLimiterTest, ResetClearsTheLookAheadSoThatBadSamplesDoNotStay) {
    LimiterRig rig(kLimiterMaskMono, 48000);
    std::vector<float> bad(100, std::numeric_limits<float>::infinity());
    rig.Run({bad});
    rig.Fx().Reset();
    std::vector<float> in(1024, 0.1f);
    const auto out = rig.Run({in})[0];
    for (float s : out) ASSERT_TRUE(std::isfinite(s));
    EXPECT_NEAR(out[1000], 0.1f, 1e-3f);
}

TEST(StudioLimiterTest, RegistersUnderTheStudioCompany) {
    SxPluginTable::Clear();
    EXPECT_EQ(RegisterStudioPlugins(), SX_Success);
    CountingAllocator allocator;
    ISxPlugin* plugin = nullptr;
    ASSERT_EQ(SxPluginTable::CreatePlugin(SxPluginKey(SxPluginType_Effect, 256, 103), &allocator, plugin), SX_Success);
    SxPluginInfo info;
    EXPECT_EQ(plugin->GetPluginInfo(info), SX_Success);
    EXPECT_EQ(info.type, uint32_t(SxPluginType_Effect));
    EXPECT_EQ(info.inPlace, 1);
    EXPECT_NE(dynamic_cast<CStudioLimiterFX*>(plugin), nullptr);
    plugin->Term(&allocator);
    SxPluginTable::Clear();
}

}  // namespace
