// Peak limiter measured on signals: look-ahead delay, reduction of a single peak, the ceiling
// on several signals and layouts, LFE alignment and malformed blocks.
#include <limits>
#include <random>

#include "sound/plugins/effects/CSxPeakLimiterFX.h"
#include "SxFxTestSupport.h"
#include "tests/sound/plugins/SxFxProbes.h"

namespace fxtest {
namespace {

using LimiterRig = Rig<CSxPeakLimiterFX, CSxPeakLimiterFXParams>;

Block LimiterBlock(float threshold, float ratio, float lookAhead, float release, float gainDb, bool lfe, bool link) {
    Block b;
    b.F32(threshold).F32(ratio).F32(lookAhead).F32(release).F32(gainDb).U8(lfe).U8(link);
    return b;
}

TEST(PeakLimiterFX, DefaultsDelayBy480FramesAndReduceAFullScalePeakByAbout11Db) {
    LimiterRig rig(CreatePeakLimiterFX, CreatePeakLimiterFXParams);
    ASSERT_EQ(rig.Start(48000, 0x4), SX_Success);
    EXPECT_EQ(qvtest::PeakLimiterProbe::LookAheadFrames(*rig.effect), 480u);
    EXPECT_FALSE(rig.effect->IsLinked()) << "centre-only input is limited on its own";
    Buffer b(0x4);
    b.Channel(0)[0] = 1.0f;
    rig.effect->Execute(&b.buffer);
    for (int k = 0; k < 480; ++k) ASSERT_EQ(b.Channel(0)[k], 0.0f) << k;
    EXPECT_NEAR(ToDb(b.Channel(0)[480]), -10.8, 0.3);

    LimiterRig quiet(CreatePeakLimiterFX, CreatePeakLimiterFXParams);
    ASSERT_EQ(quiet.Start(48000, 0x4), SX_Success);
    Buffer q(0x4);
    q.Channel(0)[3] = 0.1f;  // -20 dB: below the threshold
    quiet.effect->Execute(&q.buffer);
    EXPECT_FLOAT_EQ(q.Channel(0)[483], 0.1f);
}

using Signal = void (*)(float*, uint32_t, uint64_t&);

void SineBurst(float* out, uint32_t n, uint64_t& phase) {
    // Silence, then a full-scale sine starting abruptly.
    for (uint32_t i = 0; i < n; ++i, ++phase)
        out[i] = phase < 3000 ? 0.0f : float(std::sin(2.0 * kPi * 440.0 * double(phase) / 48000.0));
}
void Clicks(float* out, uint32_t n, uint64_t& phase) {
    for (uint32_t i = 0; i < n; ++i, ++phase) out[i] = phase % 1500 == 0 ? 2.0f : 0.05f;
}
void Noise(float* out, uint32_t n, uint64_t& phase) {
    std::mt19937 random(static_cast<uint32_t>(phase));
    std::uniform_real_distribution<float> level(-1.5f, 1.5f);
    for (uint32_t i = 0; i < n; ++i, ++phase) out[i] = level(random);
}

TEST(PeakLimiterFX, NeverPassesItsCeiling) {
    struct Case {
        const char* name;
        Signal signal;
        uint32_t mask;
        bool link;
        float threshold;
    };
    const Case cases[] = {
        {"burst mono", SineBurst, 0x4, true, -6.0f},
        {"clicks stereo linked", Clicks, 0x3, true, -12.0f},
        {"clicks stereo apart", Clicks, 0x3, false, -3.0f},
        {"noise 5.1 linked", Noise, SxChannelMask51, true, -6.0f},
        {"noise 5.1 apart", Noise, SxChannelMask51, false, -1.0f},
    };
    for (const Case& c : cases) {
        LimiterRig rig(CreatePeakLimiterFX, CreatePeakLimiterFXParams);
        const Block block = LimiterBlock(c.threshold, 1000.0f, 0.005f, 0.05f, 0.0f, true, c.link);
        ASSERT_EQ(rig.Start(48000, c.mask, &block), SX_Success);
        // The reduction covers 90 % of a step in half the look-ahead, so a peak leaves the
        // delay with 98.8 % of its excess removed: 0.22 dB left of the loudest 18 dB excess,
        // plus the decibel table's interpolation.
        const double ceiling = std::pow(10.0, (c.threshold + 0.3) / 20.0);
        std::vector<uint64_t> phases(6, 0);
        double loudest = 0.0;
        for (int i = 0; i < 20; ++i) {
            Buffer b(c.mask);
            for (uint32_t ch = 0; ch < b.buffer.Channels(); ++ch) c.signal(b.Channel(ch), 1024, phases[ch]);
            rig.effect->Execute(&b.buffer);
            for (uint32_t ch = 0; ch < b.buffer.Channels(); ++ch)
                loudest = std::max(loudest, Peak(b.Channel(ch), 1024));
        }
        EXPECT_LE(loudest, ceiling) << c.name;
        EXPECT_GT(loudest, ceiling * 0.5) << c.name << ": the signal still comes through";
    }
}

TEST(PeakLimiterFX, LfeApartIsDelayedAndKeepsItsLevel) {
    for (bool link : {true, false}) {
        LimiterRig rig(CreatePeakLimiterFX, CreatePeakLimiterFXParams);
        const Block block = LimiterBlock(-20.0f, 100.0f, 0.01f, 0.2f, -6.0f, false, link);
        ASSERT_EQ(rig.Start(48000, SxChannelMask51, &block), SX_Success);
        Buffer b(SxChannelMask51);
        b.Fill(0.9f);
        rig.effect->Execute(&b.buffer);
        EXPECT_EQ(b.Channel(5)[479], 0.0f);
        EXPECT_EQ(b.Channel(5)[480], 0.9f);
        EXPECT_LT(b.Channel(0)[1000], 0.2f);
    }
}

TEST(PeakLimiterFX, TailLetsTheLookAheadDrain) {
    LimiterRig rig(CreatePeakLimiterFX, CreatePeakLimiterFXParams);
    ASSERT_EQ(rig.Start(48000, 0x3), SX_Success);
    Buffer b(0x3);
    b.Fill(0.1f);
    b.buffer.validFrames = 1000;
    b.buffer.state = SX_NoMoreData;
    rig.effect->Execute(&b.buffer);
    EXPECT_EQ(b.buffer.state, SX_DataReady);  // 24 frames of room, 456 still inside
    Buffer next(0x3);
    next.buffer.validFrames = 0;
    next.buffer.state = SX_NoMoreData;
    rig.effect->Execute(&next.buffer);
    EXPECT_EQ(next.buffer.state, SX_NoMoreData);
    EXPECT_FLOAT_EQ(next.Channel(0)[455], 0.1f);
    EXPECT_EQ(next.Channel(0)[456], 0.0f);
}

TEST(PeakLimiterFX, ChangingTheLookAheadClearsTheDelay) {
    LimiterRig rig(CreatePeakLimiterFX, CreatePeakLimiterFXParams);
    ASSERT_EQ(rig.Start(48000, 0x3), SX_Success);
    Buffer b(0x3);
    b.Fill(0.1f);
    rig.effect->Execute(&b.buffer);
    const float t = 0.002f;
    ASSERT_EQ(rig.params->SetParam(2, &t, 4), SX_Success);
    Buffer silent(0x3);
    rig.effect->Execute(&silent.buffer);
    EXPECT_EQ(qvtest::PeakLimiterProbe::LookAheadFrames(*rig.effect), 96u);
    EXPECT_EQ(Peak(silent.Channel(0), 1024), 0.0);
}

TEST(PeakLimiterFX, MalformedBlocksValuesAndNoLookAhead) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Block longBlock = LimiterBlock(-12, 10, 0.01f, 0.2f, 0, true, true);
    longBlock.U32(7);
    const Block cases[] = {
        longBlock,
        LimiterBlock(nan, nan, nan, nan, nan, true, true),
        LimiterBlock(inf, inf, inf, inf, inf, false, false),
        LimiterBlock(-inf, -inf, -inf, -inf, -inf, true, false),
        LimiterBlock(-12, 0, 0, 0, 0, true, true),  // no look-ahead, ratio 0
    };
    for (const Block& block : cases) {
        LimiterRig rig(CreatePeakLimiterFX, CreatePeakLimiterFXParams);
        const SXRESULT r = rig.Start(48000, SxChannelMask51, &block);
        if (block.Size() != SxPeakLimiterFXParamsBlockSize) {
            EXPECT_EQ(r, SX_InvalidParameter);
            EXPECT_FLOAT_EQ(rig.params->lookAheadTime, 0.01f);
            continue;
        }
        ASSERT_EQ(r, SX_Success);
        for (float value : {nan, inf}) rig.params->SetParam(0, &value, 4);
        for (int i = 0; i < 3; ++i) {
            Buffer b(SxChannelMask51);
            b.Fill(1.5f);
            rig.effect->Execute(&b.buffer);
            ASSERT_TRUE(SxBufferIsFinite(b.buffer));
        }
    }
}

TEST(PeakLimiterFX, OutOfMemoryAtSetUpRetriesNextBuffer) {
    LimiterRig rig(CreatePeakLimiterFX, CreatePeakLimiterFXParams);
    rig.allocator.failAfter = rig.allocator.mallocs + 1;
    EXPECT_EQ(rig.Start(48000, 0x3), SX_InsufficientMemory);
    rig.allocator.failAfter = -1;
    const uint8_t apart = 0;
    rig.params->SetParam(6, &apart, 1);
    rig.allocator.failAfter = rig.allocator.mallocs;
    Buffer b(0x3);
    b.Fill(0.5f);
    rig.effect->Execute(&b.buffer);
    EXPECT_FLOAT_EQ(b.Channel(0)[0], 0.5f);
    rig.allocator.failAfter = -1;
    rig.effect->Execute(&b.buffer);
    EXPECT_EQ(qvtest::PeakLimiterProbe::DetectorCount(*rig.effect), 2u);
}

}  // namespace
}  // namespace fxtest
