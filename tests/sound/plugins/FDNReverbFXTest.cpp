// FDN reverb: line lengths, decay time measured on an impulse, ramps, layouts, tails and
// malformed parameter blocks.
#include <limits>

#include "sound/plugins/effects/CSxFDNReverbFX.h"
#include "SxFxTestSupport.h"
#include "tests/sound/plugins/SxFxProbes.h"

namespace fxtest {
namespace {

using FDNRig = Rig<CSxFDNReverbFX, CSxFDNReverbFXParams>;

Block FDNBlock(float time, float hf, uint32_t count, float dryDb, float wetDb, float preDelay, bool lfe,
               uint32_t mode = 0, std::vector<float> times = {}) {
    Block b;
    b.F32(time).F32(hf).U32(count).F32(dryDb).F32(wetDb).F32(preDelay).U8(lfe).U32(mode);
    for (float t : times) b.F32(t);
    return b;
}

TEST(FDNReverbFX, DefaultLineLengthsAtBothRates) {
    const uint32_t at48[] = {653,  751,  853,  919,  1009, 1087, 1163, 1193,
                             1229, 1259, 1277, 1291, 1361, 1399, 1439, 1481};
    const uint32_t at44[] = {601, 691, 773, 839, 919, 997, 1061, 1093, 1129, 1151, 1171, 1187, 1237, 1283, 1319, 1361};
    for (uint32_t i = 0; i < 16; ++i) {
        EXPECT_EQ(SxFDNPrimeLength(g_FDNDefaultDelayTimes[i], 48000), at48[i]) << i;
        EXPECT_EQ(SxFDNPrimeLength(g_FDNDefaultDelayTimes[i], 44100), at44[i]) << i;
    }
    EXPECT_EQ(SxFDNPrimeLength(284.0f / 48.0f, 48000), 289u) << "the bound is not recomputed";
    FDNRig rig(CreateFDNReverbFX, CreateFDNReverbFXParams);
    ASSERT_EQ(rig.Start(48000, 0x3), SX_Success);
    for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(qvtest::FDNReverbProbe::LineLength(*rig.effect, i), at48[i]);
}

// Energy per 1024-frame window of the wet response to an impulse on channel 0.
std::vector<double> ImpulseEnergy(FDNRig& rig, uint32_t mask, int windows) {
    std::vector<double> energy;
    for (int w = 0; w < windows; ++w) {
        Buffer b(mask);
        if (w == 0) b.Channel(0)[0] = 1.0f;
        rig.effect->Execute(&b.buffer);
        double sum = 0.0;
        for (uint32_t c = 0; c < b.buffer.Channels(); ++c)
            for (int k = 0; k < 1024; ++k) sum += double(b.Channel(c)[k]) * b.Channel(c)[k];
        energy.push_back(sum);
    }
    return energy;
}

// Seconds to fall by 60 dB, from a line fitted to the energy decay between two levels.
double DecayTime(const std::vector<double>& energy, uint32_t rate) {
    std::vector<double> x, y;
    const double top = ToDb(std::sqrt(energy[2]));
    for (size_t w = 2; w < energy.size(); ++w) {
        const double db = ToDb(std::sqrt(energy[w]));
        if (db < top - 40.0) break;
        x.push_back(double(w) * 1024.0 / rate);
        y.push_back(db);
    }
    double mx = 0, my = 0;
    for (size_t i = 0; i < x.size(); ++i) mx += x[i], my += y[i];
    mx /= x.size();
    my /= y.size();
    double sxy = 0, sxx = 0;
    for (size_t i = 0; i < x.size(); ++i) sxy += (x[i] - mx) * (y[i] - my), sxx += (x[i] - mx) * (x[i] - mx);
    return -60.0 / (sxy / sxx);
}

TEST(FDNReverbFX, DecayTimeFollowsTheReverbTime) {
    struct Case {
        float time;
        uint32_t lines;
        uint32_t mask;
    };
    const Case cases[] = {{0.5f, 4, 0x4}, {1.0f, 8, 0x3}, {2.0f, 16, SxChannelMask51}, {1.5f, 12, 0x33}};
    for (const Case& c : cases) {
        FDNRig rig(CreateFDNReverbFX, CreateFDNReverbFXParams);
        const Block block = FDNBlock(c.time, 1.0f, c.lines, -200.0f, 0.0f, 0.0f, true);
        ASSERT_EQ(rig.Start(48000, c.mask, &block), SX_Success);
        const int windows = int(c.time * 48000 / 1024) + 10;
        const double measured = DecayTime(ImpulseEnergy(rig, c.mask, windows), 48000);
        EXPECT_NEAR(measured, c.time, 0.1 * c.time) << c.lines << " lines";
    }
}

TEST(FDNReverbFX, HighsDieFasterWithAnHfRatioAboveOne) {
    double times[2];
    for (int i = 0; i < 2; ++i) {
        FDNRig rig(CreateFDNReverbFX, CreateFDNReverbFXParams);
        const Block block = FDNBlock(1.0f, i == 0 ? 1.0f : 3.0f, 8, -200.0f, 0.0f, 0.0f, true);
        ASSERT_EQ(rig.Start(48000, 0x4, &block), SX_Success);
        times[i] = DecayTime(ImpulseEnergy(rig, 0x4, 60), 48000);
    }
    EXPECT_LT(times[1], times[0] * 0.9);
}

TEST(FDNReverbFX, ShortTimesWithHighsDecayingSlowerStayStable) {
    for (float ratio : {0.1f, 0.5f, 0.9f}) {
        for (float time : {0.01f, 0.1f, 1.0f}) {
            FDNRig rig(CreateFDNReverbFX, CreateFDNReverbFXParams);
            const Block block = FDNBlock(time, ratio, 8, -200.0f, 0.0f, 0.0f, true);
            ASSERT_EQ(rig.Start(44100, 0x3, &block), SX_Success);
            const std::vector<double> energy = ImpulseEnergy(rig, 0x3, 120);
            EXPECT_LT(energy.back(), energy[1] * 1e-3) << ratio << " " << time;
            for (double e : energy) ASSERT_TRUE(std::isfinite(e));
        }
    }
}

TEST(FDNReverbFX, SendModeHasNoDryAndSilencesAnUnprocessedLfe) {
    for (bool send : {false, true}) {
        FDNRig rig(CreateFDNReverbFX, CreateFDNReverbFXParams);
        const Block block = FDNBlock(1.0f, 2.0f, 8, 0.0f, 0.0f, 0.0f, false);
        ASSERT_EQ(rig.Start(48000, SxChannelMask51, &block, send), SX_Success);
        EXPECT_EQ(qvtest::FDNReverbProbe::ProcessedChannels(*rig.effect), 5u);
        Buffer b(SxChannelMask51);
        b.Fill(0.5f);
        rig.effect->Execute(&b.buffer);
        // The first sample has no reverb yet: only the dry path shows.
        EXPECT_FLOAT_EQ(b.Channel(0)[0], send ? 0.0f : 0.5f);
        EXPECT_FLOAT_EQ(b.Channel(5)[100], send ? 0.0f : 0.5f);
    }
}

TEST(FDNReverbFX, WetLevelRampsWithinOneFrameWithoutRebuilding) {
    FDNRig rig(CreateFDNReverbFX, CreateFDNReverbFXParams);
    const Block block = FDNBlock(2.0f, 1.0f, 8, -200.0f, 0.0f, 0.0f, true);
    ASSERT_EQ(rig.Start(48000, 0x4, &block), SX_Success);
    ImpulseEnergy(rig, 0x4, 2);
    const float minus20 = -20.0f;
    rig.params->SetParam(4, &minus20, 4);
    EXPECT_EQ(rig.params->changed, 0) << "levels do not rebuild the network";
    const std::vector<double> energy = ImpulseEnergy(rig, 0x4, 3);
    // The frame after the change has fallen by about 20 dB, not restarted from silence.
    EXPECT_NEAR(ToDb(std::sqrt(energy[2] / energy[1])), -1.1, 1.0);
    EXPECT_GT(energy[1], 0.0);
}

TEST(FDNReverbFX, SignRowsOfTheLayouts) {
    struct Case {
        uint32_t mask;
        uint32_t channel;
        const char* row;
    };
    const Case cases[] = {
        {0x4, 0, "+-+-+-+-+-+-+-+-"},
        {0x3, 1, "++--++--++--++--"},
        {SxChannelMask51, 3, "---+++-+--++++--"},  // BL
        {SxChannelMask51, 5, "++----++++----++"},  // LFE
        {0x33, 2, "-++--++--++--++-"},             // a 4.0 back channel takes the C row
        {0x33, 3, "++----++++----++"},             // and the LFE row
        {0x3B, 4, "---+++-+--++++--"},             // 4.1 on the generic path: its LFE takes the BL row
        {0x237, 5, "+---++-++--+-+-+"},            // the generic sixth row
    };
    for (const Case& c : cases) {
        FDNRig rig(CreateFDNReverbFX, CreateFDNReverbFXParams);
        const Block block = FDNBlock(1.0f, 2.0f, 16, 0.0f, 0.0f, 0.0f, true);
        ASSERT_EQ(rig.Start(48000, c.mask, &block), SX_Success);
        for (uint32_t k = 0; k < 16; ++k)
            EXPECT_EQ(qvtest::FDNReverbProbe::Sign(*rig.effect, c.channel, k), c.row[k] == '+' ? 1.0f : -1.0f)
                << c.mask << " " << k;
    }
}

TEST(FDNReverbFX, TailRunsForTheReverbTimeAfterTheInputEnds) {
    FDNRig rig(CreateFDNReverbFX, CreateFDNReverbFXParams);
    const Block block = FDNBlock(0.5f, 1.0f, 4, 0.0f, 0.0f, 0.01f, true);
    ASSERT_EQ(rig.Start(48000, 0x3, &block), SX_Success);
    Buffer b(0x3);
    b.Fill(0.5f);
    rig.effect->Execute(&b.buffer);
    const int buffers = rig.RunTail(0x3, 100);
    EXPECT_EQ(buffers, 24);  // 24000 frames
}

TEST(FDNReverbFX, RefusedCountsLayoutsAndBlocks) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        Block block;
        SXRESULT want;
    };
    Block truncated = FDNBlock(1.0f, 2.0f, 8, 0, 0, 0, true, 1, std::vector<float>(8, 20.0f));
    truncated.bytes.resize(truncated.bytes.size() - 4);
    const Case cases[] = {
        {"count 20", FDNBlock(1.0f, 2.0f, 20, 0, 0, 0, true, 1, std::vector<float>(20, 20.0f)), SX_InvalidParameter},
        {"count 6", FDNBlock(1.0f, 2.0f, 6, 0, 0, 0, true), SX_InvalidParameter},
        {"count 0", FDNBlock(1.0f, 2.0f, 0, 0, 0, 0, true), SX_InvalidParameter},
        {"lengths cut short", truncated, SX_InvalidParameter},
        {"header only", FDNBlock(1.0f, 2.0f, 8, 0, 0, 0, true), SX_Success},
        {"given lengths", FDNBlock(1.0f, 2.0f, 4, 0, 0, 0, true, 1, {5, 7, 11, 13}), SX_Success},
        {"nan", FDNBlock(nan, nan, 8, nan, nan, nan, true, 1, std::vector<float>(8, nan)), SX_Success},
        {"inf", FDNBlock(inf, inf, 4, inf, inf, inf, true, 1, std::vector<float>(4, inf)), SX_Success},
        {"-inf", FDNBlock(-inf, -inf, 4, -inf, -inf, -inf, true, 1, std::vector<float>(4, -inf)), SX_Success},
    };
    for (const Case& c : cases) {
        FDNRig rig(CreateFDNReverbFX, CreateFDNReverbFXParams);
        EXPECT_EQ(rig.params->Init(&rig.allocator, c.block.Data(), c.block.Size()), c.want) << c.what;
        TestEffectContext context;
        SxAudioFormat format = Format(48000, 0x3);
        ASSERT_EQ(rig.effect->Init(&rig.allocator, &context, rig.params, format), SX_Success) << c.what;
        for (int i = 0; i < 3; ++i) {
            Buffer b(0x3);
            b.Fill(0.5f);
            rig.effect->Execute(&b.buffer);
            ASSERT_TRUE(SxBufferIsFinite(b.buffer)) << c.what;
        }
    }
    FDNRig rig(CreateFDNReverbFX, CreateFDNReverbFXParams);
    ASSERT_EQ(rig.Start(48000, 0x3), SX_Success);
    for (uint32_t count : {0u, 3u, 17u, 64u}) EXPECT_EQ(rig.params->SetParam(2, &count, 4), SX_InvalidParameter);
    EXPECT_EQ(rig.params->delayCount, 8u);
    const float v = 1.0f;
    EXPECT_EQ(rig.params->SetParam(24, &v, 4), SX_InvalidParameter);
    FDNRig wide(CreateFDNReverbFX, CreateFDNReverbFXParams);
    EXPECT_EQ(wide.Start(48000, 0xFF), SX_InvalidParameter) << "seven channels have no sign rows";
    Buffer b(0xFF);
    b.Fill(0.5f);
    wide.effect->Execute(&b.buffer);
    EXPECT_EQ(b.Channel(6)[10], 0.5f);
}

TEST(FDNReverbFX, OutOfMemoryAtSetUpRetriesEachFrame) {
    FDNRig rig(CreateFDNReverbFX, CreateFDNReverbFXParams);
    rig.allocator.failAfter = rig.allocator.mallocs + 1;  // the second group buffer
    const Block block = FDNBlock(1.0f, 2.0f, 8, 0.0f, 0.0f, 0.0f, true);
    EXPECT_EQ(rig.Start(48000, 0x3, &block), SX_InsufficientMemory);
    Buffer b(0x3);
    b.Fill(0.5f);
    rig.effect->Execute(&b.buffer);
    EXPECT_EQ(b.Channel(0)[7], 0.5f);
    rig.allocator.failAfter = -1;
    rig.effect->Execute(&b.buffer);
    EXPECT_EQ(rig.params->changed, 0);
}

}  // namespace
}  // namespace fxtest
