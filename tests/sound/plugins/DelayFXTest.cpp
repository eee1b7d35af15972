// Delay effect measured on signals: echo time, feedback decay, tail, ramps and bad blocks.
#include <limits>

#include "sound/plugins/effects/CSxDelayFX.h"
#include "SxFxTestSupport.h"
#include "tests/sound/plugins/SxFxProbes.h"

namespace fxtest {
namespace {

using DelayRig = Rig<CSxDelayFX, CSxDelayFXParams>;

Block DelayBlock(float time, float feedbackPct, float wetPct, float levelDb, bool feedbackOn, bool lfe) {
    Block b;
    b.F32(time).F32(feedbackPct).F32(wetPct).F32(levelDb).U8(feedbackOn).U8(lfe);
    return b;
}

// Feeds an impulse at frame 0 and returns the first frames of the output of channel 0.
std::vector<float> ImpulseResponse(DelayRig& rig, uint32_t mask, size_t frames) {
    std::vector<float> out;
    for (size_t done = 0; done < frames; done += 1024) {
        Buffer b(mask);
        if (done == 0) {
            for (uint32_t c = 0; c < b.buffer.Channels(); ++c) b.Channel(c)[0] = 1.0f;
        }
        rig.effect->Execute(&b.buffer);
        out.insert(out.end(), b.Channel(0), b.Channel(0) + 1024);
    }
    return out;
}

TEST(DelayFX, DefaultsGiveOneEchoHalfASecondLaterAtHalfLevel) {
    DelayRig rig(CreateDelayFX, CreateDelayFXParams);
    ASSERT_EQ(rig.Start(48000, 0x4), SX_Success);
    EXPECT_EQ(qvtest::DelayProbe::LineLength(*rig.effect), 24000u);
    EXPECT_EQ(qvtest::DelayProbe::TailLength(*rig.effect), 24000u);
    const std::vector<float> out = ImpulseResponse(rig, 0x4, 60 * 1024);
    EXPECT_FLOAT_EQ(out[0], 0.5f);
    EXPECT_FLOAT_EQ(out[24000], 0.5f);
    EXPECT_FLOAT_EQ(out[48000], 0.0f);  // no repeats without feedback
    for (size_t i = 1; i < out.size(); ++i) {
        if (i == 24000) continue;
        ASSERT_EQ(out[i], 0.0f) << i;
    }
}

TEST(DelayFX, FeedbackRepeatsFallByTheFeedbackEachLineLength) {
    struct Case {
        float feedbackPct;
        float wantRepeats;
    };
    for (const Case& c : {Case{50.0f, 9.966f}, Case{25.0f, 4.983f}, Case{100.0f, 100.0f}}) {
        DelayRig rig(CreateDelayFX, CreateDelayFXParams);
        const Block block = DelayBlock(0.01f, c.feedbackPct, 100.0f, 0.0f, true, true);
        ASSERT_EQ(rig.Start(48000, 0x4, &block), SX_Success);
        EXPECT_NEAR(double(qvtest::DelayProbe::TailLength(*rig.effect)) / 480.0, c.wantRepeats, 0.01) << c.feedbackPct;
        const std::vector<float> out = ImpulseResponse(rig, 0x4, 2048);
        const float f = c.feedbackPct * 0.01f;
        EXPECT_NEAR(out[480], 1.0f, 1e-6f);
        EXPECT_NEAR(out[960], f, 1e-6f);
        EXPECT_NEAR(out[1440], f * f, 1e-6f);
    }
}

TEST(DelayFX, TailKeepsTheEffectRunningUntilTheEchoesHaveFallen) {
    DelayRig rig(CreateDelayFX, CreateDelayFXParams);
    const Block block = DelayBlock(0.01f, 50.0f, 50.0f, 0.0f, true, true);
    ASSERT_EQ(rig.Start(48000, 0x3, &block), SX_Success);
    const uint32_t tail = qvtest::DelayProbe::TailLength(*rig.effect);
    Buffer last(0x3);
    last.Fill(0.25f);
    last.buffer.validFrames = 100;
    last.buffer.state = SX_NoMoreData;
    rig.effect->Execute(&last.buffer);
    EXPECT_EQ(last.buffer.state, SX_DataReady);
    const int calls = rig.RunTail(0x3, 100);
    ASSERT_LT(calls, 100);
    const uint32_t frames = 1024 - 100 + 1024 * uint32_t(calls - 1);
    EXPECT_GE(frames + 1024, tail);
    EXPECT_LE(frames, tail + 1024);
}

TEST(DelayFX, OutputLevelChangeRampsAcrossOneBuffer) {
    DelayRig rig(CreateDelayFX, CreateDelayFXParams);
    const Block block = DelayBlock(0.5f, 0.0f, 0.0f, 0.0f, false, true);  // dry only
    ASSERT_EQ(rig.Start(48000, 0x4, &block), SX_Success);
    const float minus6 = -6.0f;
    ASSERT_EQ(rig.params->SetParam(3, &minus6, 4), SX_Success);
    Buffer b(0x4);
    b.Fill(1.0f);
    rig.effect->Execute(&b.buffer);
    EXPECT_FLOAT_EQ(b.Channel(0)[0], 1.0f);
    for (int i = 1; i < 1024; ++i) ASSERT_LE(std::fabs(b.Channel(0)[i] - b.Channel(0)[i - 1]), 0.001f);
    Buffer next(0x4);
    next.Fill(1.0f);
    rig.effect->Execute(&next.buffer);
    EXPECT_NEAR(next.Channel(0)[0], 0.501f, 0.001f);
}

TEST(DelayFX, LfeChannelPassesAsInsertAndIsSilencedAsSend) {
    for (bool send : {false, true}) {
        DelayRig rig(CreateDelayFX, CreateDelayFXParams);
        const Block block = DelayBlock(0.01f, 0.0f, 50.0f, 0.0f, false, false);
        ASSERT_EQ(rig.Start(48000, SxChannelMask51, &block, send), SX_Success);
        EXPECT_EQ(qvtest::DelayProbe::LineCount(*rig.effect), 5u);
        Buffer b(SxChannelMask51);
        b.Fill(0.5f);
        rig.effect->Execute(&b.buffer);
        EXPECT_FLOAT_EQ(b.Channel(5)[10], send ? 0.0f : 0.5f);
        EXPECT_FLOAT_EQ(b.Channel(0)[10], send ? 0.0f : 0.25f);  // a send is fully wet
    }
}

TEST(DelayFX, ChangingTheDelayTimeClearsTheEchoes) {
    DelayRig rig(CreateDelayFX, CreateDelayFXParams);
    const Block block = DelayBlock(0.01f, 0.0f, 100.0f, 0.0f, false, true);
    ASSERT_EQ(rig.Start(48000, 0x4, &block), SX_Success);
    Buffer b(0x4);
    b.Fill(1.0f);
    rig.effect->Execute(&b.buffer);
    const float t = 0.02f;
    rig.params->SetParam(0, &t, 4);
    Buffer silent(0x4);
    rig.effect->Execute(&silent.buffer);
    EXPECT_EQ(qvtest::DelayProbe::LineLength(*rig.effect), 960u);
    EXPECT_EQ(Peak(silent.Channel(0), 1024), 0.0);
}

TEST(DelayFX, ADelayShorterThanOneFrameAllocatesNothingAndPasses) {
    DelayRig rig(CreateDelayFX, CreateDelayFXParams);
    const Block block = DelayBlock(0.0f, 50.0f, 50.0f, -6.0206f, true, true);
    ASSERT_EQ(rig.Start(48000, 0x3, &block), SX_Success);
    EXPECT_EQ(qvtest::DelayProbe::LineCount(*rig.effect), 0u);
    Buffer b(0x3);
    b.Fill(1.0f);
    rig.effect->Execute(&b.buffer);
    EXPECT_NEAR(b.Channel(1)[500], 0.5f, 1e-4f);
}

TEST(DelayFX, MalformedBlocksAndValuesKeepTheEffectFinite) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* what;
        Block block;
        SXRESULT want;
    };
    Block tooShort = DelayBlock(0.1f, 0, 50, 0, false, true);
    tooShort.bytes.pop_back();
    Block tooLong = DelayBlock(0.1f, 0, 50, 0, false, true);
    tooLong.U8(0);
    const Case cases[] = {
        {"short", tooShort, SX_InvalidParameter},
        {"long", tooLong, SX_InvalidParameter},
        {"nan", DelayBlock(nan, nan, nan, nan, true, true), SX_Success},
        {"inf", DelayBlock(inf, inf, -inf, inf, true, true), SX_Success},
        {"-inf", DelayBlock(-inf, -inf, inf, -inf, true, true), SX_Success},
        {"huge", DelayBlock(1e30f, 1e30f, 1e30f, 1e30f, true, true), SX_Success},
    };
    for (const Case& c : cases) {
        CountingAllocator allocator;
        CSxDelayFXParams* params = static_cast<CSxDelayFXParams*>(CreateDelayFXParams(&allocator));
        EXPECT_EQ(params->Init(&allocator, c.block.Data(), c.block.Size()), c.want) << c.what;
        if (c.want != SX_Success) {
            EXPECT_FLOAT_EQ(params->delayTime, 0.5f) << c.what;
        }
        CSxDelayFX* fx = static_cast<CSxDelayFX*>(CreateDelayFX(&allocator));
        TestEffectContext context;
        SxAudioFormat format = Format(48000, 0x3);
        ASSERT_EQ(fx->Init(&allocator, &context, params, format), SX_Success) << c.what;
        for (float value : {nan, inf, -inf}) params->SetParam(2, &value, 4);
        for (int i = 0; i < 4; ++i) {
            Buffer b(0x3);
            b.Fill(0.5f);
            fx->Execute(&b.buffer);
            ASSERT_TRUE(SxBufferIsFinite(b.buffer)) << c.what;
        }
        fx->Term(&allocator);
        params->Term(&allocator);
        EXPECT_EQ(allocator.live, 0);
    }
}

TEST(DelayFX, SetParamRefusesUnknownIdsAndMissingValues) {
    CountingAllocator allocator;
    ISxPluginParam* params = CreateDelayFXParams(&allocator);
    params->Init(&allocator, nullptr, 0);
    const float v = 1.0f;
    EXPECT_EQ(params->SetParam(6, &v, 4), SX_InvalidParameter);
    EXPECT_EQ(params->SetParam(0, nullptr, 4), SX_InvalidParameter);
    EXPECT_EQ(params->SetParam(0, &v, 2), SX_InvalidParameter);
    params->Term(&allocator);
}

TEST(DelayFX, OutOfMemoryAtInitAndAtAReallocation) {
    DelayRig rig(CreateDelayFX, CreateDelayFXParams);
    rig.allocator.failAfter = rig.allocator.mallocs + 1;  // the first line only
    EXPECT_EQ(rig.Start(48000, 0x3), SX_InsufficientMemory);
    rig.allocator.failAfter = -1;
    const float t = 0.01f;
    rig.params->SetParam(0, &t, 4);
    rig.allocator.failAfter = rig.allocator.mallocs;
    Buffer b(0x3);
    b.Fill(0.5f);
    rig.effect->Execute(&b.buffer);
    EXPECT_FLOAT_EQ(b.Channel(0)[0], 0.5f);  // passed unprocessed
    EXPECT_EQ(rig.params->delayChanged, 1);
    rig.allocator.failAfter = -1;
    rig.effect->Execute(&b.buffer);
    EXPECT_EQ(rig.params->delayChanged, 0);
}

}  // namespace
}  // namespace fxtest
