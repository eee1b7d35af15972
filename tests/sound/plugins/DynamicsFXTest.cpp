// Compressor and expander measured on sines: static curves, attack and release times,
// channel link, LFE handling and malformed parameter blocks.
#include <limits>

#include "sound/plugins/effects/CSxDynamicsFX.h"
#include "sound/plugins/effects/SxFxMath.h"
#include "SxFxTestSupport.h"
#include "tests/sound/plugins/SxFxProbes.h"

namespace fxtest {
namespace {

constexpr uint32_t kRate = 48000;

Block DynamicsBlock(float threshold, float ratio, float attack, float release, float gainDb, bool lfe, bool link) {
    Block b;
    b.F32(threshold).F32(ratio).F32(attack).F32(release).F32(gainDb).U8(lfe).U8(link);
    return b;
}

// Runs a 1 kHz sine of the given RMS level through the effect for a while and returns the
// settled gain in dB (output RMS over input RMS of the last buffer).
template <typename Effect, typename Params>
double SettledGainDb(Rig<Effect, Params>& rig, double levelDb, int buffers = 60) {
    const double amplitude = std::sqrt(2.0) * std::pow(10.0, levelDb / 20.0);
    uint64_t phase = 0;
    double gain = 0.0;
    for (int i = 0; i < buffers; ++i) {
        Buffer b(0x4);
        Sine(b.Channel(0), 1024, 1000.0, amplitude, kRate, phase);
        const double in = Rms(b.Channel(0), 1024);
        rig.effect->Execute(&b.buffer);
        gain = ToDb(Rms(b.Channel(0), 1024) / in);
    }
    return gain;
}

TEST(DynamicsFX, CompressorStaticCurve) {
    struct Case {
        float threshold, ratio;
        double levelDb, wantDb;
    };
    const Case cases[] = {
        {-12, 4, -3.0103, -6.74},                                           // a full-scale sine
        {-12, 4, -24, 0.0},                                                 // below the threshold
        {-20, 2, -10, -5.0},      {-20, 10, -5, -13.5}, {-12, 1, -3, 0.0},  // ratio 1 leaves the signal alone
    };
    for (const Case& c : cases) {
        Rig<CSxCompressorFX, CSxCompressorFXParams> rig(CreateCompressorFX, CreateCompressorFXParams);
        const Block block = DynamicsBlock(c.threshold, c.ratio, 0.01f, 0.1f, 0.0f, true, true);
        ASSERT_EQ(rig.Start(kRate, 0x4, &block), SX_Success);
        EXPECT_NEAR(SettledGainDb(rig, c.levelDb), c.wantDb, 0.25) << c.threshold << " " << c.ratio << " " << c.levelDb;
    }
}

TEST(DynamicsFX, ExpanderStaticCurve) {
    struct Case {
        float threshold, ratio;
        double levelDb, wantDb;
    };
    const Case cases[] = {
        {-30, 4, -40, -30.0},
        {-30, 4, -35, -15.0},
        {-30, 4, -20, 0.0},
        {-30, 2, -36, -6.0},
    };
    for (const Case& c : cases) {
        Rig<CSxExpanderFX, CSxExpanderFXParams> rig(CreateExpanderFX, CreateExpanderFXParams);
        const Block block = DynamicsBlock(c.threshold, c.ratio, 0.1f, 0.01f, 0.0f, true, true);
        ASSERT_EQ(rig.Start(kRate, 0x4, &block), SX_Success);
        EXPECT_NEAR(SettledGainDb(rig, c.levelDb), c.wantDb, 0.3) << c.ratio << " " << c.levelDb;
    }
}

TEST(DynamicsFX, CompressorSilenceGivesNoReduction) {
    Rig<CSxCompressorFX, CSxCompressorFXParams> rig(CreateCompressorFX, CreateCompressorFXParams);
    ASSERT_EQ(rig.Start(kRate, 0x4), SX_Success);
    Buffer b(0x4);
    rig.effect->Execute(&b.buffer);
    EXPECT_EQ(qvtest::DynamicsProbe::Reduction(*rig.effect, 0), 0.0f);
    EXPECT_NEAR(SxFastPowerToDb(1e-25f), -250.0f, 0.01f);
}

// Frames from a step of the input until the reduction covers 90 % of its way.
template <typename Effect, typename Params>
double NinetyPercentTime(Rig<Effect, Params>& rig, double fromDb, double toDb) {
    SettledGainDb(rig, fromDb, 100);
    const float start = qvtest::DynamicsProbe::Reduction(*rig.effect, 0);
    // Settle at the new level to learn the end value, counting frames on the way.
    const double amplitude = std::sqrt(2.0) * std::pow(10.0, toDb / 20.0);
    uint64_t phase = 0;
    std::vector<float> trace;
    for (int i = 0; i < 1200; ++i) {
        Buffer b(0x4, 64);
        Sine(b.Channel(0), 64, 1000.0, amplitude, kRate, phase);
        rig.effect->Execute(&b.buffer);
        trace.push_back(qvtest::DynamicsProbe::Reduction(*rig.effect, 0));
    }
    const float end = trace.back();
    for (size_t i = 0; i < trace.size(); ++i)
        if (std::fabs(trace[i] - start) >= 0.9f * std::fabs(end - start)) return double(i + 1) * 64.0 / kRate;
    return -1.0;
}

TEST(DynamicsFX, AttackAndReleaseTimes) {
    struct Case {
        bool compressor;
        float attack, release;
        double fromDb, toDb, wantSeconds;
    };
    const Case cases[] = {
        {true, 0.3f, 0.5f, -40, 0, 0.3},     // compressor attack: the level rises
        {true, 0.2f, 0.5f, 0, -40, 0.5},     // compressor release
        {false, 0.3f, 0.5f, -31, -40, 0.5},  // expander: a fall grows the reduction at release speed
        {false, 0.3f, 0.5f, -40, -31, 0.3},
    };
    for (const Case& c : cases) {
        const Block block = DynamicsBlock(c.compressor ? -20.0f : -30.0f, 4.0f, c.attack, c.release, 0.0f, true, true);
        double seconds;
        if (c.compressor) {
            Rig<CSxCompressorFX, CSxCompressorFXParams> rig(CreateCompressorFX, CreateCompressorFXParams);
            ASSERT_EQ(rig.Start(kRate, 0x4, &block), SX_Success);
            seconds = NinetyPercentTime(rig, c.fromDb, c.toDb);
        } else {
            Rig<CSxExpanderFX, CSxExpanderFXParams> rig(CreateExpanderFX, CreateExpanderFXParams);
            ASSERT_EQ(rig.Start(kRate, 0x4, &block), SX_Success);
            seconds = NinetyPercentTime(rig, c.fromDb, c.toDb);
        }
        // The 23 ms power average moves the level by about 187 dB/s after a fall, so the
        // reduction's target takes up to a tenth of a second more to settle.
        EXPECT_GT(seconds, c.wantSeconds * 0.9) << c.compressor << " " << c.toDb;
        EXPECT_LT(seconds, c.wantSeconds + 0.12) << c.compressor << " " << c.toDb;
    }
}

TEST(DynamicsFX, LinkedChannelsShareOneReduction) {
    for (bool link : {true, false}) {
        Rig<CSxCompressorFX, CSxCompressorFXParams> rig(CreateCompressorFX, CreateCompressorFXParams);
        const Block block = DynamicsBlock(-20, 4, 0.01f, 0.1f, 0, true, link);
        ASSERT_EQ(rig.Start(kRate, 0x3, &block), SX_Success);
        EXPECT_EQ(qvtest::DynamicsProbe::DetectorCount(*rig.effect), link ? 1u : 2u);
        uint64_t phaseL = 0, phaseR = 0;
        double gainL = 0, gainR = 0;
        for (int i = 0; i < 40; ++i) {
            Buffer b(0x3);
            Sine(b.Channel(0), 1024, 1000.0, 1.0, kRate, phaseL);
            Sine(b.Channel(1), 1024, 1000.0, 0.01, kRate, phaseR);
            rig.effect->Execute(&b.buffer);
            gainL = ToDb(Rms(b.Channel(0), 1024) / std::sqrt(0.5));
            gainR = ToDb(Rms(b.Channel(1), 1024) / (0.01 * std::sqrt(0.5)));
        }
        if (link) {
            EXPECT_NEAR(gainL, gainR, 0.01);
            EXPECT_LT(gainL, -3.0);
        } else {
            EXPECT_NEAR(gainR, 0.0, 0.05);
            EXPECT_NEAR(gainL, -12.74, 0.3);
        }
    }
}

TEST(DynamicsFX, LfeLeftAloneAndOutputGainRamps) {
    Rig<CSxCompressorFX, CSxCompressorFXParams> rig(CreateCompressorFX, CreateCompressorFXParams);
    const Block block = DynamicsBlock(-40, 10, 0.001f, 0.1f, -6, false, true);
    ASSERT_EQ(rig.Start(kRate, SxChannelMask51, &block), SX_Success);
    const float zero = 0.0f;
    rig.params->SetParam(4, &zero, 4);  // the output gain moves from -6 dB to 0 dB
    Buffer b(SxChannelMask51);
    b.Fill(0.5f);
    rig.effect->Execute(&b.buffer);
    for (int k = 0; k < 1024; ++k) ASSERT_EQ(b.Channel(5)[k], 0.5f);
    Buffer quiet(SxChannelMask51);  // below the threshold: only the output gain ramp shows
    for (uint32_t c = 0; c < 5; ++c)
        for (int k = 0; k < 1024; ++k) quiet.Channel(c)[k] = 1e-4f;
    Rig<CSxCompressorFX, CSxCompressorFXParams> ramp(CreateCompressorFX, CreateCompressorFXParams);
    ASSERT_EQ(ramp.Start(kRate, SxChannelMask51, &block), SX_Success);
    ramp.params->SetParam(4, &zero, 4);
    ramp.effect->Execute(&quiet.buffer);
    EXPECT_NEAR(quiet.Channel(0)[0] / 1e-4f, 0.501f, 0.002f);
    EXPECT_NEAR(quiet.Channel(0)[1023] / 1e-4f, 1.0f, 0.002f);
}

TEST(DynamicsFX, MalformedBlocksAndValuesKeepTheOutputFinite) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Block shortBlock = DynamicsBlock(-12, 4, 0.01f, 0.1f, 0, true, true);
    shortBlock.bytes.resize(21);
    const Block cases[] = {
        shortBlock,
        DynamicsBlock(nan, nan, nan, nan, nan, true, true),
        DynamicsBlock(inf, inf, inf, inf, inf, true, false),
        DynamicsBlock(-inf, -inf, -inf, -inf, -inf, true, true),
        DynamicsBlock(0, 0, 0, 0, 0, true, true),
    };
    for (const Block& block : cases) {
        for (bool expander : {false, true}) {
            CountingAllocator allocator;
            ISxPluginParam* params =
                expander ? CreateExpanderFXParams(&allocator) : CreateCompressorFXParams(&allocator);
            const SXRESULT r = params->Init(&allocator, block.Data(), block.Size());
            EXPECT_EQ(r, block.Size() == 22 ? SX_Success : SX_InvalidParameter);
            ISxInPlaceEffectPlugin* fx = static_cast<ISxInPlaceEffectPlugin*>(
                expander ? CreateExpanderFX(&allocator) : CreateCompressorFX(&allocator));
            TestEffectContext context;
            SxAudioFormat format = Format(kRate, 0x3);
            ASSERT_EQ(fx->Init(&allocator, &context, params, format), SX_Success);
            for (float value : {nan, inf}) params->SetParam(1, &value, 4);
            for (int i = 0; i < 3; ++i) {
                Buffer b(0x3);
                b.Fill(0.9f);
                fx->Execute(&b.buffer);
                ASSERT_TRUE(SxBufferIsFinite(b.buffer));
            }
            fx->Term(&allocator);
            params->Term(&allocator);
            EXPECT_EQ(allocator.live, 0);
        }
    }
}

TEST(DynamicsFX, SetParamIdsAndOutOfMemory) {
    CountingAllocator allocator;
    ISxPluginParam* params = CreateCompressorFXParams(&allocator);
    params->Init(&allocator, nullptr, 0);
    const float v = 2.0f;
    EXPECT_EQ(params->SetParam(7, &v, 4), SX_InvalidParameter);
    EXPECT_EQ(params->SetParam(-1, &v, 4), SX_InvalidParameter);
    EXPECT_EQ(params->SetParam(1, nullptr, 4), SX_InvalidParameter);
    EXPECT_EQ(params->SetParam(1, &v, 4), SX_Success);
    EXPECT_EQ(static_cast<CSxCompressorFXParams*>(params)->ratio, 2.0f);
    ISxEffectPlugin* fx = static_cast<ISxEffectPlugin*>(CreateCompressorFX(&allocator));
    allocator.failAfter = allocator.mallocs;
    TestEffectContext context;
    SxAudioFormat format = Format(kRate, 0x3);
    EXPECT_EQ(fx->Init(&allocator, &context, params, format), SX_InsufficientMemory);
    fx->Term(&allocator);
    params->Term(&allocator);
    EXPECT_EQ(allocator.live, 0);
}

}  // namespace
}  // namespace fxtest
