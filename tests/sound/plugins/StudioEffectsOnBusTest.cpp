// The Studio effects as insert effects of a mix bus of a bank, heard at the output.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sound/engine/SxVoiceFixture.h"
#include "sound/engine/bus/CSxMixBusNode.h"
#include "sound/engine/buses/CSxBus.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/plugins/studio/CStudioDeviceSimFXParams.h"
#include "sound/plugins/studio/StudioPlugins.h"

using namespace sxtest;

namespace {

constexpr SxUniqueID kMaster = 1, kMusic = 10, kEffect = 600;

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

// The engine started as the game starts it, with a master bus and below it the music bus with
// one Studio effect; constant voices mixed straight into the music bus's node.
class StudioEffectsOnBusTest : public VoiceFixture {
protected:
    void SetUp() override {
        VoiceFixture::SetUp();
        ASSERT_EQ(RegisterStudioPlugins(), SX_Success);
    }
    // The music bus's node, its effect made from the share set of a plug-in and parameter block.
    CSxMixBusNode* MusicNode(uint32_t pluginID, const std::vector<uint8_t>& block) {
        bw::Bus music;
        music.parentBusID = kMaster;
        music.effects = {{0, kEffect, 1}};
        LoadRecords({
            bw::Record(SxHirc_FxShareSet,
                       bw::EffectBody(kEffect, {SxPluginKey(SxPluginType_Effect, 256, pluginID), block, {}, {}})),
            bw::Record(SxHirc_Bus, bw::BusBody(kMaster, bw::Bus())),
            bw::Record(SxHirc_Bus, bw::BusBody(kMusic, music)),
        });
        control::StartCapture();
        platform::Lock lock(g_csMain);
        auto* bus = static_cast<CSxBus*>(g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, kMusic));
        if (!bus) return nullptr;
        bus->Release();
        CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(&bus->MixView());
        if (node) node->Connect();
        return node;
    }
    // One frame of a constant voice on both front speakers of the bus.
    void Frame(CSxMixBusNode* node, float value) {
        voice.assign(SxFrameLength, value);
        SxAudioBuffer buffer{voice.data(), 4, SX_DataReady, SxFrameLength, SxFrameLength};
        SxSpeakerGains gains;
        gains.current[0] = gains.current[1] = gains.previous[0] = gains.previous[1] = 1.0f;
        platform::Lock lock(g_csMain);
        node->MixVoice(buffer, &gains, 1);
        CSxLEngine::Perform();
    }
    std::vector<int16_t> Samples() {
        const auto bytes = control::Captured();
        std::vector<int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }
    void Release(CSxMixBusNode* node) {
        platform::Lock lock(g_csMain);
        node->Release();
    }

    std::vector<float> voice;
};

TEST_F(StudioEffectsOnBusTest, TheLimiterHoldsALoudBusUnderItsCeiling) {
    CSxMixBusNode* node = MusicNode(103, Block(-6.0f, 0.0f, 0.0f, 10.0f, int32_t(0)));
    ASSERT_NE(node, nullptr);
    for (int i = 0; i < 4; ++i) Frame(node, 1.5f);
    const auto samples = Samples();
    ASSERT_GE(samples.size(), 4u * 2 * SxFrameLength);
    const int ceiling = int(std::lround(std::pow(10.0, -6.0 / 20) * 32767));
    int largest = 0;
    for (int16_t s : samples) largest = std::max(largest, std::abs(int(s)));
    EXPECT_LE(largest, ceiling);
    EXPECT_GE(largest, ceiling - 40) << "held at the ceiling, not below it";
    EXPECT_EQ(samples[0], 0) << "the look-ahead delays the sound";
    Release(node);
}

TEST_F(StudioEffectsOnBusTest, DeviceSimFollowsGameParameterChanges) {
    std::vector<uint8_t> block(kStudioDeviceSimBlockSize, 0);
    const float zero = 0.0f, hundred = 100.0f;
    std::memcpy(block.data() + 127, &zero, 4);     // input gain 0 dB
    std::memcpy(block.data() + 131, &zero, 4);     // output gain 0 dB
    std::memcpy(block.data() + 135, &hundred, 4);  // all wet
    CSxMixBusNode* node = MusicNode(110, block);
    ASSERT_NE(node, nullptr);
    Frame(node, 0.5f);
    ISxPluginParam* params = node->FxSlot(0).Params();
    ASSERT_NE(params, nullptr);
    params->SetRTPCValue(DeviceSim_OutputGain, -6.0f, nullptr);
    Frame(node, 0.5f);
    Frame(node, 0.5f);
    const auto samples = Samples();
    ASSERT_GE(samples.size(), 3u * 2 * SxFrameLength);
    EXPECT_NEAR(samples[2 * 100], 16384, 2) << "all stages off: the sound passes";
    EXPECT_NEAR(samples[2 * (2 * SxFrameLength + 100)], std::lround(0.5 * std::pow(10.0, -6.0 / 20) * 32767), 2)
        << "the output gain of the game parameter, reached after its ramp";
    Release(node);
}

}  // namespace
