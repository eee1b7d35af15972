// Sine and silence sources: the sine's frequency, level and length measured on its output, its
// other channels silent, its parameters changed while it plays; the silence's zeros on every
// channel for its (randomly offset) length; parameter blocks and IDs out of range.
#include "platform/os/Random.h"
#include "sound/plugins/synth/CSxFXSrcSilence.h"
#include "sound/plugins/synth/CSxFXSrcSine.h"
#include "SxSourceTestSupport.h"
#include "tests/sound/plugins/SxFxProbes.h"

namespace fxtest {
namespace {

using SineRig = SourceRig<CSxFXSrcSine, CSxFxSrcSineParams>;
using SilenceRig = SourceRig<CSxFXSrcSilence, CSxFxSrcSilenceParams>;

Block SineBlock(float hz, float db, float seconds, uint32_t mask) {
    Block b;
    b.F32(hz).F32(db).F32(seconds).U32(mask);
    return b;
}

Block SilenceBlock(float seconds, float minimum, float maximum) {
    Block b;
    b.F32(seconds).F32(minimum).F32(maximum);
    return b;
}

// Rising zero crossings per second.
double Frequency(const std::vector<float>& x, uint32_t rate) {
    size_t first = 0, last = 0, count = 0;
    for (size_t i = 1; i < x.size(); ++i)
        if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
            if (count++ == 0) first = i;
            last = i;
        }
    return count > 1 ? double(count - 1) * rate / double(last - first) : 0.0;
}

TEST(SineSource, DefaultsPlayA440HzToneAtMinus12DbForOneSecondOnTheCentre) {
    SineRig rig(CreateSineSource, CreateSineSourceParams);
    ASSERT_EQ(rig.Start(48000, 1), SX_Success);
    EXPECT_EQ(rig.format.channelMask, 0x4u);
    EXPECT_NEAR(rig.source->GetDuration(), 1000.0f, 1e-3f);
    std::vector<float> out;
    rig.Run(out, 1000000);
    EXPECT_EQ(rig.lastState, uint32_t(SX_NoMoreData));
    ASSERT_EQ(out.size(), 48000u);
    EXPECT_NEAR(Frequency(out, 48000), 440.0, 0.5);
    EXPECT_NEAR(ToDb(Peak(out.data(), out.size())), -12.0, 0.05);
    EXPECT_NEAR(ToDb(Rms(out.data(), out.size()) * std::sqrt(2.0)), -12.0, 0.05);
}

TEST(SineSource, FrequencyAndLevelFollowTheBlockAtEitherRate) {
    const struct {
        uint32_t rate;
        float hz, db;
    } cases[] = {{48000, 1000.0f, -6.0f}, {44100, 97.0f, 0.0f}, {48000, 6000.0f, -20.0f}, {24000, 2500.0f, -3.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz rate, " << c.hz << " Hz tone");
        SineRig rig(CreateSineSource, CreateSineSourceParams);
        const Block block = SineBlock(c.hz, c.db, 0.5f, 0x4);
        ASSERT_EQ(rig.Start(c.rate, 1, &block), SX_Success);
        std::vector<float> out;
        rig.Run(out, 1000000);
        EXPECT_NEAR(Frequency(out, c.rate), c.hz, c.hz * 0.002);
        EXPECT_NEAR(ToDb(Rms(out.data(), out.size()) * std::sqrt(2.0)), c.db, 0.05);
        EXPECT_LE(Peak(out.data(), out.size()), std::pow(10.0, c.db / 20.0) * 1.0005);
    }
}

TEST(SineSource, PassesAreWholeGroupsOfFourFramesTimesTheLoopCount) {
    const struct {
        uint32_t rate;
        float seconds;
        uint16_t loops;
        uint32_t perPass;
    } cases[] = {{48000, 1.0f, 1, 48000}, {44100, 0.5f, 1, 22052}, {48000, 0.25f, 3, 12000}, {44100, 0.0001f, 2, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.seconds << " s, " << c.loops << " loops");
        SineRig rig(CreateSineSource, CreateSineSourceParams);
        const Block block = SineBlock(440.0f, -12.0f, c.seconds, 0x4);
        ASSERT_EQ(rig.Start(c.rate, c.loops, &block), SX_Success);
        EXPECT_EQ(qvtest::SineSourceProbe::FramesPerPass(*rig.source), c.perPass);
        std::vector<float> out;
        rig.Run(out, 10000000, 1000);
        EXPECT_EQ(out.size(), size_t(c.perPass) * c.loops);
        EXPECT_EQ(rig.lastState, uint32_t(SX_NoMoreData));
    }
}

TEST(SineSource, LoopsForeverWithALoopCountOfZeroAndStopsAfterThePassWhenLoopingStops) {
    SineRig rig(CreateSineSource, CreateSineSourceParams);
    const Block block = SineBlock(440.0f, -12.0f, 0.1f, 0x4);
    ASSERT_EQ(rig.Start(48000, 0, &block), SX_Success);
    EXPECT_EQ(rig.source->GetDuration(), 0.0f);
    std::vector<float> out;
    rig.Run(out, 48000);
    EXPECT_EQ(rig.lastState, uint32_t(SX_DataReady));
    EXPECT_GE(out.size(), 48000u);
    rig.source->StopLooping();
    rig.Run(out, 1000000);
    EXPECT_EQ(rig.lastState, uint32_t(SX_NoMoreData));
}

TEST(SineSource, EveryChannelButTheFirstIsSilentAndUnplayableLayoutsFallBackToTheCentre) {
    const struct {
        uint32_t asked, played;
    } cases[] = {{0x3, 0x3}, {0x3F, 0x3F}, {0x33, 0x33}, {0x6, 0x4}, {0x1F, 0x4}, {0, 0x4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mask 0x" << std::hex << c.asked);
        SineRig rig(CreateSineSource, CreateSineSourceParams);
        const Block block = SineBlock(440.0f, -12.0f, 0.1f, c.asked);
        ASSERT_EQ(rig.Start(48000, 1, &block), SX_Success);
        ASSERT_EQ(rig.format.channelMask, c.played);
        Buffer b(c.played, 512);
        b.Fill(1.0f);
        rig.source->Execute(&b.buffer);
        ASSERT_EQ(b.buffer.validFrames, 512);
        EXPECT_NEAR(Peak(b.Channel(0), 512), 0.2512, 0.001);
        for (uint32_t ch = 1; ch < b.buffer.Channels(); ++ch) EXPECT_EQ(Peak(b.Channel(ch), 512), 0.0) << ch;
    }
}

TEST(SineSource, AGainChangeRampsOverOneBufferAndAFrequencyChangeAppliesAtTheNext) {
    SineRig rig(CreateSineSource, CreateSineSourceParams);
    const Block block = SineBlock(1000.0f, -12.0f, 1.0f, 0x4);
    ASSERT_EQ(rig.Start(48000, 1, &block), SX_Success);
    std::vector<float> before, ramp, after;
    rig.Run(before, 1024);
    const float db = -6.0f, hz = 2000.0f;
    ASSERT_EQ(rig.params->SetParam(1, &db, sizeof db), SX_Success);
    ASSERT_EQ(rig.params->SetParam(0, &hz, sizeof hz), SX_Success);
    rig.Run(ramp, 1024);
    rig.Run(after, 4096);
    EXPECT_NEAR(ToDb(Peak(before.data(), before.size())), -12.0, 0.05);
    EXPECT_NEAR(ToDb(Peak(ramp.data(), 24)), -12.0, 0.2) << "the ramp starts at the old gain";
    EXPECT_NEAR(ToDb(Peak(after.data(), after.size())), -6.0, 0.05);
    EXPECT_NEAR(Frequency(after, 48000), 2000.0, 2.0);
}

TEST(SineSource, TimeSkipCountsFramesOffWithoutAdvancingThePhase) {
    SineRig rig(CreateSineSource, CreateSineSourceParams);
    const Block block = SineBlock(440.0f, -12.0f, 0.1f, 0x4);
    ASSERT_EQ(rig.Start(48000, 1, &block), SX_Success);
    uint32_t frames = 4000;
    EXPECT_EQ(rig.source->TimeSkip(frames), SX_DataReady);
    EXPECT_EQ(frames, 4000u);
    std::vector<float> out;
    rig.Run(out, 1000000);
    EXPECT_EQ(out.size(), 800u);
    EXPECT_EQ(out[0], 0.0f) << "the phase did not move";
    frames = 100;
    EXPECT_EQ(rig.source->TimeSkip(frames), SX_NoMoreData);
    EXPECT_EQ(frames, 0u);
}

TEST(SineSource, ParametersOutOfTheLayoutAreRefused) {
    CountingAllocator allocator;
    auto* params = static_cast<CSxFxSrcSineParams*>(CreateSineSourceParams(&allocator));
    ASSERT_EQ(params->Init(&allocator, nullptr, 0), SX_Success);
    const Block shortBlock = SineBlock(440.0f, 0.0f, 1.0f, 3);
    EXPECT_EQ(params->SetParamsBlock(shortBlock.Data(), 15), SX_InvalidParameter);
    EXPECT_EQ(params->values.channelMask, 0x4u) << "a refused block changes nothing";
    const float value = 1.0f;
    EXPECT_EQ(params->SetParam(4, &value, sizeof value), SX_InvalidParameter);
    EXPECT_EQ(params->SetParam(0, nullptr, 4), SX_InvalidParameter);
    EXPECT_EQ(params->SetParam(0, &value, 2), SX_InvalidParameter);
    const float nan = std::nanf("");
    ASSERT_EQ(params->SetParam(0, &nan, sizeof nan), SX_Success);
    SineRig rig(CreateSineSource, CreateSineSourceParams);
    ASSERT_EQ(rig.Start(48000, 1), SX_Success);
    rig.params->values.frequency = nan;
    rig.params->changes = CSxFxSrcSineParams::kFrequency;
    std::vector<float> out;
    rig.Run(out, 4096);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float v) { return std::isfinite(v); }));
    params->Term(&allocator);
    EXPECT_EQ(allocator.live, 0);
}

TEST(SilenceSource, ZeroesEveryChannelForItsDurationTimesTheLoops) {
    const struct {
        uint32_t mask;
        float seconds;
        uint16_t loops;
        size_t frames;
    } cases[] = {{0x4, 1.0f, 1, 48000}, {0x3, 0.25f, 2, 24000}, {0x3F, 0.1f, 3, 14400}, {0x4, -5.0f, 1, 48}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mask 0x" << std::hex << c.mask << std::dec << ", " << c.seconds << " s");
        SilenceRig rig(CreateSilenceSource, CreateSilenceSourceParams);
        const Block block = SilenceBlock(c.seconds, 0.0f, 0.0f);
        ASSERT_EQ(rig.Start(48000, c.loops, &block, c.mask), SX_Success);
        EXPECT_EQ(rig.format.channelMask, c.mask) << "the format is left as offered";
        size_t produced = 0;
        Buffer b(c.mask, 1000);
        for (;;) {
            b.Fill(1.0f);
            rig.source->Execute(&b.buffer);
            for (uint32_t ch = 0; ch < b.buffer.Channels(); ++ch)
                ASSERT_EQ(Peak(b.Channel(ch), b.buffer.validFrames), 0.0) << "channel " << ch;
            produced += b.buffer.validFrames;
            if (b.buffer.state != SX_DataReady) break;
        }
        EXPECT_EQ(b.buffer.state, uint32_t(SX_NoMoreData));
        EXPECT_EQ(produced, c.frames);
    }
}

TEST(SilenceSource, TheRandomOffsetLiesBetweenItsBoundsAndADurationChangeAppliesWhilePlaying) {
    platform::crt_srand(7);
    for (int i = 0; i < 20; ++i) {
        SilenceRig rig(CreateSilenceSource, CreateSilenceSourceParams);
        const Block block = SilenceBlock(0.5f, -0.2f, 0.3f);
        ASSERT_EQ(rig.Start(48000, 1, &block), SX_Success);
        EXPECT_GE(rig.source->GetDuration(), 300.0f - 1e-3f) << "milliseconds of one pass";
        EXPECT_LE(rig.source->GetDuration(), 800.0f + 1e-3f);
    }
    SilenceRig rig(CreateSilenceSource, CreateSilenceSourceParams);
    const Block block = SilenceBlock(1.0f, 0.0f, 0.0f);
    ASSERT_EQ(rig.Start(48000, 1, &block), SX_Success);
    std::vector<float> out;
    rig.Run(out, 4096);
    const float shorter = 0.1f;
    ASSERT_EQ(rig.params->SetParam(0, &shorter, sizeof shorter), SX_Success);
    rig.Run(out, 1000000);
    EXPECT_EQ(out.size(), 4800u);
    EXPECT_EQ(rig.lastState, uint32_t(SX_NoMoreData));
}

TEST(SilenceSource, LoopsForeverWithALoopCountOfZeroAndRefusesUnknownParameters) {
    SilenceRig rig(CreateSilenceSource, CreateSilenceSourceParams);
    ASSERT_EQ(rig.Start(48000, 0), SX_Success);
    uint32_t frames = 1000000;
    EXPECT_EQ(rig.source->TimeSkip(frames), SX_DataReady);
    EXPECT_EQ(frames, 1000000u);
    const float value = 1.0f;
    EXPECT_EQ(rig.params->SetParam(3, &value, sizeof value), SX_InvalidParameter);
    EXPECT_EQ(rig.params->SetParam(-1, &value, sizeof value), SX_InvalidParameter);
    EXPECT_EQ(rig.params->SetParam(1, nullptr, 4), SX_InvalidParameter);
    const Block longBlock = SilenceBlock(1.0f, 0.0f, 0.0f).F32(0.0f);
    EXPECT_EQ(rig.params->SetParamsBlock(longBlock.Data(), longBlock.Size()), SX_InvalidParameter);
}

}  // namespace
}  // namespace fxtest
