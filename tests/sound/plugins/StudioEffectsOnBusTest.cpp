// The Studio effects as insert effects of a mix bus of the lower engine, heard at the output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/audio/AudioTestControl.h"
#include "platform/os/Clock.h"
#include "sound/engine/SxTestMemory.h"
#include "sound/engine/bus/CSxMixBusNode.h"
#include "sound/engine/listener/SxSpeakerVolumes.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/plugins/studio/CStudioDeviceSimFXParams.h"
#include "sound/plugins/studio/StudioPlugins.h"

using namespace SX;
namespace control = platform::audio::control;

namespace {

class Effect : public ISxEffectObject {
public:
    Effect(uint32_t pluginID, std::vector<uint8_t> block)
        : m_key(SxPluginKey(SxPluginType_Effect, 256, pluginID)), m_block(std::move(block)) {}
    uint32_t FxID() const override { return m_key; }
    const void* ParamsBlock(uint32_t& size) const override {
        size = uint32_t(m_block.size());
        return m_block.data();
    }
    int32_t MediaID(uint32_t) const override { return -1; }
    void SubscribeRTPC(ISxPluginParam* params, CSxRegisteredObj*) override { subscribed = params; }
    ISxPluginParam* subscribed = nullptr;

private:
    uint32_t m_key;
    std::vector<uint8_t> m_block;
};

class Bus : public ISxBusObject {
public:
    explicit Bus(SxUniqueID id) : m_id(id) {}
    SxUniqueID BusID() const override { return m_id; }
    ISxBusObject* ParentBus() const override { return nullptr; }
    float VolumeDb() const override { return 0.0f; }
    float LfeDb() const override { return 0.0f; }
    uint32_t ChannelMask() const override { return 0; }
    bool FeedsEnvironmental() const override { return false; }
    bool HasEffects() const override { return effect != nullptr; }
    bool BypassAllFx() const override { return false; }
    SxFxSlotInfo GetFx(uint32_t slot) const override {
        SxFxSlotInfo info;
        if (slot == 0) info.effect = effect;
        return info;
    }
    void AddRef() override {}
    void Release() override {}
    SXRESULT IncrementActivityCount(uint32_t) override { return SX_Success; }
    void DecrementActivityCount(uint32_t) override {}
    ISxEffectObject* effect = nullptr;

private:
    SxUniqueID m_id;
};

Bus* g_master = nullptr;

template <typename... Fields>
std::vector<uint8_t> Block(Fields... fields) {
    std::vector<uint8_t> bytes;
    auto put = [&bytes](auto v) {
        const size_t at = bytes.size();
        bytes.resize(at + sizeof v);
        std::memcpy(bytes.data() + at, &v, sizeof v);
    };
    (put(fields), ...);
    return bytes;
}

class StudioEffectsOnBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset();
        SxPluginTable::Clear();
        ASSERT_EQ(RegisterStudioPlugins(), SX_Success);
        g_master = &master;
        g_BusHooks.masterBus = [] { return static_cast<ISxBusObject*>(g_master); };
        SxPlatformInitSettings settings;
        settings.channelMask = SxChannelMaskStereo;
        ASSERT_EQ(CSxLEngine::Init(settings), SX_Success);
        CSxLEngine::StartOutput();
        control::StartCapture();
    }
    void TearDown() override {
        CSxLEngine::Stop();
        CSxLEngine::Term();
        g_BusHooks = SxBusHooks();
        SxPluginTable::Clear();
        control::Reset();
    }
    // One frame of a constant voice on both front speakers of the bus.
    void Frame(CSxMixBusNode* node, float value) {
        voice.assign(SxFrameLength, value);
        SxAudioBuffer buffer{voice.data(), 4, SX_DataReady, SxFrameLength, SxFrameLength};
        SxSpeakerGains gains;
        gains.current[0] = gains.current[1] = gains.previous[0] = gains.previous[1] = 1.0f;
        node->MixVoice(buffer, &gains, 1);
        CSxLEngine::Perform();
    }
    std::vector<int16_t> Samples() {
        const auto bytes = control::Captured();
        std::vector<int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }

    sxtest::TestMemory memory;
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    Bus master{1};
    Bus music{10};
    std::vector<float> voice;
};

TEST_F(StudioEffectsOnBusTest, TheLimiterHoldsALoudBusUnderItsCeiling) {
    Effect limiter(103, Block(-6.0f, 0.0f, 0.0f, 10.0f, int32_t(0)));
    music.effect = &limiter;
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(&music);
    ASSERT_NE(node, nullptr);
    node->Connect();
    for (int i = 0; i < 4; ++i) Frame(node, 1.5f);
    const auto samples = Samples();
    ASSERT_GE(samples.size(), 4u * 2 * SxFrameLength);
    const int ceiling = int(std::lround(std::pow(10.0, -6.0 / 20) * 32767));
    int largest = 0;
    for (int16_t s : samples) largest = std::max(largest, std::abs(int(s)));
    EXPECT_LE(largest, ceiling);
    EXPECT_GE(largest, ceiling - 40) << "held at the ceiling, not below it";
    EXPECT_EQ(samples[0], 0) << "the look-ahead delays the sound";
    node->Release();
}

TEST_F(StudioEffectsOnBusTest, DeviceSimFollowsGameParameterChanges) {
    std::vector<uint8_t> block(kStudioDeviceSimBlockSize, 0);
    const float zero = 0.0f, hundred = 100.0f;
    std::memcpy(block.data() + 127, &zero, 4);     // input gain 0 dB
    std::memcpy(block.data() + 131, &zero, 4);     // output gain 0 dB
    std::memcpy(block.data() + 135, &hundred, 4);  // all wet
    Effect deviceSim(110, block);
    music.effect = &deviceSim;
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(&music);
    ASSERT_NE(node, nullptr);
    node->Connect();
    Frame(node, 0.5f);
    ASSERT_NE(deviceSim.subscribed, nullptr);
    deviceSim.subscribed->SetRTPCValue(DeviceSim_OutputGain, -6.0f, nullptr);
    Frame(node, 0.5f);
    Frame(node, 0.5f);
    const auto samples = Samples();
    ASSERT_GE(samples.size(), 3u * 2 * SxFrameLength);
    EXPECT_NEAR(samples[2 * 100], 16384, 2) << "all stages off: the sound passes";
    EXPECT_NEAR(samples[2 * (2 * SxFrameLength + 100)], std::lround(0.5 * std::pow(10.0, -6.0 / 20) * 32767), 2)
        << "the output gain of the game parameter, reached after its ramp";
    node->Release();
}

}  // namespace
