#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/os/Clock.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "SxTestMemory.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxRenderProbes.h"

using namespace SX;
namespace control = platform::audio::control;

namespace {

class CountingEffect : public ISxMasterEffect {
public:
    void Execute(SxAudioBuffer& buffer) override {
        ++executes;
        for (uint32_t i = 0; i < buffer.Channels() * buffer.maxFrames; ++i) buffer.data[i] *= 0.5f;
    }
    void Reset() override { ++resets; }
    int executes = 0, resets = 0;
};

class LowerEngineTest : public ::testing::Test {
protected:
    void SetUp() override { control::Reset(); }
    void TearDown() override {
        CSxLEngine::Term();
        control::Reset();
    }
    void Start(uint32_t mask) {
        SxPlatformInitSettings settings;
        settings.channelMask = mask;
        ASSERT_EQ(CSxLEngine::Init(settings), SX_Success);
        CSxLEngine::StartOutput();
        control::StartCapture();  // after the set-up's clearing of the device buffer
    }
    // A bus output of constant value on every channel.
    void MixConstant(uint32_t mask, float value, float previousGain, float currentGain) {
        const uint32_t channels = SxChannelCount(mask);
        bus.assign(channels * SxFrameLength, value);
        SxAudioBuffer buffer{bus.data(), mask, SX_DataReady, SxFrameLength, SxFrameLength};
        const std::vector<float> previous(channels, previousGain), current(channels, currentGain);
        ASSERT_EQ(CSxLEngine::MixIntoMaster(buffer, previous.data(), current.data()), SX_Success);
    }
    std::vector<int16_t> Frames() {
        const auto bytes = control::Captured();
        std::vector<int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }
    sxtest::TestMemory memory;
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    std::vector<float> bus;
};

TEST_F(LowerEngineTest, FramesWithoutDataAreSilenceAndMixedFramesAreRampedSamples) {
    Start(3);
    CSxLEngine::Perform();
    MixConstant(3, 0.5f, 0.0f, 1.0f);
    CSxLEngine::Perform();
    const auto samples = Frames();
    ASSERT_EQ(samples.size(), 2u * 2048) << "a stereo frame is 2048 interleaved values";
    for (uint32_t i = 0; i < 2048; ++i) ASSERT_EQ(samples[i], 0);
    for (uint32_t k : {0u, 1u, 512u, 1023u}) {
        const int16_t expected = static_cast<int16_t>(std::nearbyint(0.5 * k / 1024 * 32767));
        EXPECT_EQ(samples[2048 + 2 * k], expected) << k;
        EXPECT_EQ(samples[2048 + 2 * k + 1], expected) << k;
    }
}

TEST_F(LowerEngineTest, MasterVolumeRampsOverTheNextFrame) {
    Start(3);
    MixConstant(3, 1.0f, 1.0f, 1.0f);
    CSxLEngine::Perform();
    CSxLEngine::SetMasterBusVolume(-96.3f);
    MixConstant(3, 1.0f, 1.0f, 1.0f);
    CSxLEngine::Perform();
    MixConstant(3, 1.0f, 1.0f, 1.0f);
    CSxLEngine::Perform();
    const auto s = Frames();
    ASSERT_EQ(s.size(), 3u * 2048);
    EXPECT_EQ(s[2 * 100], 32767);
    EXPECT_EQ(s[2048 + 0], 32767) << "the ramp starts at last frame's gain";
    EXPECT_EQ(s[2048 + 2 * 512], 16384);
    EXPECT_EQ(s[4096 + 2 * 7], 0);
}

TEST_F(LowerEngineTest, FivePointOneMasterWritesDeviceOrderWithItsLfeLevel) {
    Start(63);
    ASSERT_EQ(CSxLEngine::ChannelMask(), 63u);
    CSxLEngine::SetMasterBusLFE(-96.3f);
    bus.assign(6 * SxFrameLength, 0.0f);
    for (uint32_t c = 0; c < 6; ++c)
        for (uint32_t k = 0; k < SxFrameLength; ++k) bus[c * SxFrameLength + k] = 0.125f * (c + 1);
    SxAudioBuffer buffer{bus.data(), 63, SX_DataReady, SxFrameLength, SxFrameLength};
    const float ones[6] = {1, 1, 1, 1, 1, 1};
    for (int frame = 0; frame < 2; ++frame) {  // the first ramps the LFE down
        ASSERT_EQ(CSxLEngine::MixIntoMaster(buffer, ones, ones), SX_Success);
        CSxLEngine::Perform();
    }
    const auto s = Frames();
    ASSERT_EQ(s.size(), 2u * 6144) << "a 5.1 frame is 6144 interleaved values";
    EXPECT_GT(s[3], 0) << "LFE at full level on the first sample of the ramp";
    const int16_t* frame = s.data() + 6144 + 6 * 10;
    const float planar[6] = {0.125f, 0.25f, 0.375f, 0.0f /* LFE silenced */, 0.5f, 0.625f};
    for (int d = 0; d < 6; ++d) EXPECT_EQ(frame[d], static_cast<int16_t>(std::nearbyint(planar[d] * 32767))) << d;
}

TEST_F(LowerEngineTest, MasterEffectsResetOnBypassAndAfterAnIdleStretch) {
    Start(3);
    CountingEffect effect;
    MasterMixNode& master = qvtest::LEngineProbe::MasterNode();
    master.SetEffect(0, &effect);
    auto frameWithData = [&] {
        MixConstant(3, 1.0f, 1.0f, 1.0f);
        CSxLEngine::Perform();
    };
    frameWithData();
    EXPECT_EQ(effect.resets, 1) << "an idle node starts its effects afresh";
    EXPECT_EQ(effect.executes, 1);
    master.SetBypass(0, true);
    frameWithData();
    frameWithData();
    EXPECT_EQ(effect.resets, 2) << "reset once when bypassed";
    EXPECT_EQ(effect.executes, 1);
    master.SetBypass(0, false);
    frameWithData();
    EXPECT_EQ(effect.executes, 2);
    CSxLEngine::Perform();  // nothing mixed: the node goes idle
    EXPECT_EQ(master.GetState(), MasterMixNode::kIdle);
    frameWithData();
    EXPECT_EQ(effect.resets, 3);
    const auto s = Frames();
    EXPECT_EQ(s[2 * 5], 16384) << "the effect ran on the first frame";
    EXPECT_EQ(s[2048 + 2 * 5], 32767) << "and not on the bypassed one";
    master.SetEffect(0, nullptr);
}

}  // namespace
