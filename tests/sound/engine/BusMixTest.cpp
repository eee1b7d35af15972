#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "SxTestMemory.h"
#include "SxMediaMap.h"
#include "SxTestPlugins.h"
#include "platform/audio/AudioTestControl.h"
#include "platform/os/Clock.h"
#include "sound/engine/bus/CSxMixBusNode.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/lower/SxDecibels.h"
#include "sound/engine/listener/SxSpeakerVolumes.h"
#include "sound/engine/lower/SxDecibels.h"
#include "sound/engine/registry/CSxRegisteredObj.h"

using namespace SX;
namespace control = platform::audio::control;

namespace {

class TestEffect : public ISxEffectObject {
public:
    explicit TestEffect(uint32_t id, std::vector<uint8_t> block = {}) : fxID(id), params(std::move(block)) {}
    uint32_t FxID() const override { return fxID; }
    const void* ParamsBlock(uint32_t& size) const override {
        size = static_cast<uint32_t>(params.size());
        return params.empty() ? nullptr : params.data();
    }
    int32_t MediaID(uint32_t dataIndex) const override { return dataIndex == 0 ? 77 : -1; }
    void SubscribeRTPC(ISxPluginParam* params, CSxRegisteredObj* gameObject) override {
        EXPECT_EQ(gameObject, nullptr) << "bus effects follow the global values";
        subscribed = params;
    }
    uint32_t fxID;
    ISxPluginParam* subscribed = nullptr;
    std::vector<uint8_t> params;
};

std::vector<uint8_t> DbBlock(float db) {
    std::vector<uint8_t> block(4);
    std::memcpy(block.data(), &db, 4);
    return block;
}

class TestBus : public ISxBusObject {
public:
    TestBus(SxUniqueID id, TestBus* parent, float db) : id(id), parent(parent), volumeDb(db) {}
    SxUniqueID BusID() const override { return id; }
    ISxBusObject* ParentBus() const override { return parent; }
    float VolumeDb() const override { return volumeDb; }
    float LfeDb() const override { return 0.0f; }
    uint32_t ChannelMask() const override { return mask; }
    bool FeedsEnvironmental() const override { return feedsEnv; }
    bool HasEffects() const override { return effect != nullptr; }
    bool BypassAllFx() const override { return false; }
    SxFxSlotInfo GetFx(uint32_t slot) const override {
        SxFxSlotInfo info;
        if (slot == 0) info.effect = effect;
        return info;
    }
    void AddRef() override { ++refs; }
    void Release() override { --refs; }
    SXRESULT IncrementActivityCount(uint32_t type) override {
        EXPECT_EQ(type, kActivityMixNode);
        ++activity;
        return SX_Success;
    }
    void DecrementActivityCount(uint32_t) override { --activity; }

    SxUniqueID id;
    TestBus* parent;
    float volumeDb;
    uint32_t mask = 0;
    bool feedsEnv = false;
    ISxEffectObject* effect = nullptr;
    int refs = 0, activity = 0;
};

TestBus* g_master = nullptr;

class BusMixTest : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset();
        sxtest::RegisterTestPlugins();
        g_master = &master;
        g_BusHooks.masterBus = [] { return static_cast<ISxBusObject*>(g_master); };
    }
    void TearDown() override {
        CSxLEngine::Stop();
        CSxLEngine::Term();
        g_BusHooks = SxBusHooks();
        SxPluginTable::Clear();
        control::Reset();
    }
    void Start(uint32_t mask = SxChannelMaskStereo) {
        SxPlatformInitSettings settings;
        settings.channelMask = mask;
        ASSERT_EQ(CSxLEngine::Init(settings), SX_Success);
        CSxLEngine::StartOutput();
        control::StartCapture();
    }
    // A voice of one channel, constant value, mixed at full gain into both front speakers.
    void MixVoice(CSxMixBusNode* node, float value) {
        voice.assign(SxFrameLength, value);
        SxAudioBuffer buffer{voice.data(), 4, SX_DataReady, SxFrameLength, SxFrameLength};
        SxSpeakerGains gains;
        gains.current[0] = gains.current[1] = gains.previous[0] = gains.previous[1] = 1.0f;
        node->MixVoice(buffer, &gains, 1);
    }
    std::vector<int16_t> Samples() {
        const auto bytes = control::Captured();
        std::vector<int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }
    // The left sample of frame k of output frame n.
    int16_t Left(uint32_t n, uint32_t k) { return Samples().at(2 * (n * SxFrameLength + k)); }

    sxtest::TestMemory memory;
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    TestBus master{1, nullptr, 0.0f};
    TestBus top{10, nullptr, -6.0f};
    TestBus middle{11, &top, -3.0f};
    TestBus leaf{12, &middle, -1.0f};
    TestBus plain{20, nullptr, 0.0f};
    std::vector<float> voice;
};

int16_t Pcm(double value) { return static_cast<int16_t>(std::nearbyint(value * 32767)); }

TEST_F(BusMixTest, ThreeLevelsOfBusesWithAnInsertEffectReachTheOutput) {
    TestEffect halve(sxtest::kGainKey, DbBlock(-6.0f));
    middle.effect = &halve;
    master.volumeDb = -2.0f;
    Start();
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(&leaf);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(CSxLEngine::BusNodeCount(), 3u) << "the parents are made first";
    EXPECT_EQ(top.activity, 1);
    node->Connect();
    MixVoice(node, 0.5f);
    CSxLEngine::Perform();
    const double expected = 0.5 * SxMath::DbToLinear(-1.0f) * SxMath::DbToLinear(-3.0f) * SxMath::DbToLinear(-6.0f) *
                            0.501187 * SxMath::DbToLinear(-2.0f);
    for (uint32_t k : {0u, 100u, 1023u}) EXPECT_NEAR(Left(0, k), Pcm(expected), 1) << k;
    EXPECT_EQ(Samples()[1], Samples()[0]) << "right as left";
    EXPECT_EQ(sxtest::g_gain.executes, 1);
    const CSxBusFxSlot& slot = CSxLEngine::FindBusNode(11)->FxSlot(0);
    EXPECT_EQ(static_cast<sxtest::TestGainFX*>(slot.Plugin())->m_format.channelMask, 3u);
    EXPECT_EQ(halve.subscribed, slot.Params()) << "game parameters reach the slot's own parameter object";
    node->Release();
}

TEST_F(BusMixTest, BusVolumeCommandsRampOverTheNextFrame) {
    Start();
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(&leaf);
    node->Connect();
    MixVoice(node, 1.0f);
    CSxLEngine::Perform();
    const double before = SxMath::DbToLinear(-1.0f) * SxMath::DbToLinear(-3.0f) * SxMath::DbToLinear(-6.0f);
    EXPECT_NEAR(Left(0, 512), Pcm(before), 1);
    CSxLEngine::SetBusVolume(11, -96.3f);
    MixVoice(node, 1.0f);
    CSxLEngine::Perform();
    EXPECT_NEAR(Left(1, 0), Pcm(before), 1) << "the ramp starts at last frame's gain";
    EXPECT_NEAR(Left(1, 512), Pcm(before / 2), 1);
    MixVoice(node, 1.0f);
    CSxLEngine::Perform();
    EXPECT_EQ(Left(2, 5), 0) << "-96.3 dB is silence";
    CSxLEngine::IncrBusVolume(11, 96.3f);
    EXPECT_EQ(CSxLEngine::FindBusNode(11)->Volume(), 1.0f) << "increments add to the stored dB";
    CSxLEngine::SetBusVolume(11, 6.0f);
    EXPECT_EQ(CSxLEngine::FindBusNode(11)->Volume(), 1.0f) << "0 dB or more is unity";
    node->Release();
}

TEST_F(BusMixTest, BypassResetsOnceAndResumingRunsWithoutAReset) {
    TestEffect halve(sxtest::kGainKey, DbBlock(-6.0f));
    top.effect = &halve;
    Start();
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(&top);
    node->Connect();
    const int resetsAtStart = sxtest::g_gain.resets;
    auto frame = [&] {
        MixVoice(node, 1.0f);
        CSxLEngine::Perform();
    };
    frame();
    CSxLEngine::BypassBusFx(10, 1, 1);
    frame();
    frame();
    EXPECT_EQ(sxtest::g_gain.resets, resetsAtStart + 1);
    EXPECT_EQ(sxtest::g_gain.executes, 1);
    CSxLEngine::BypassBusFx(10, 0, 1);
    frame();
    EXPECT_EQ(sxtest::g_gain.resets, resetsAtStart + 1);
    EXPECT_EQ(sxtest::g_gain.executes, 2);
    CSxLEngine::BypassBusFx(10, 0x10, 0x10);
    frame();
    EXPECT_EQ(sxtest::g_gain.executes, 2) << "bypassing all effects bypasses the slot";
    const double gain = SxMath::DbToLinear(-6.0f);
    EXPECT_NEAR(Left(0, 100), Pcm(gain * 0.501187), 1);
    EXPECT_NEAR(Left(1, 100), Pcm(gain), 1);
    EXPECT_NEAR(Left(3, 100), Pcm(gain * 0.501187), 1);
    node->Release();
}

TEST_F(BusMixTest, EffectsThatCannotBeMadeLeaveTheirSlotEmpty) {
    struct Case {
        const char* what;
        uint32_t key;
        std::vector<uint8_t> block;
    } cases[] = {
        {"parameter block of the wrong size", sxtest::kGainKey, {1, 2, 3, 4, 5, 6}},
        {"creation fails", sxtest::kFailingKey, DbBlock(-6.0f)},
        {"no such plug-in", 0x12345, DbBlock(-6.0f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        control::Reset();
        Start();
        TestEffect effect(c.key, c.block);
        top.effect = &effect;
        CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(&top);
        ASSERT_NE(node, nullptr) << "the node mixes without the effect";
        EXPECT_FALSE(node->FxSlot(0).HasPlugin());
        EXPECT_EQ(node->FxSlot(0).FxID(), CSxBusFxSlot::kEmpty);
        node->Connect();
        MixVoice(node, 1.0f);
        CSxLEngine::Perform();
        EXPECT_NEAR(Left(0, 100), Pcm(SxMath::DbToLinear(-6.0f)), 1);
        node->Release();
        CSxLEngine::Stop();
        CSxLEngine::Term();
        top.effect = nullptr;
    }
    EXPECT_EQ(sxtest::g_gain.inits, sxtest::g_gain.terms);
}

TEST_F(BusMixTest, AnEffectThatOutputsNaNIsSilencedAndReset) {
    TestEffect effect(sxtest::kGainKey, DbBlock(0.0f));
    top.effect = &effect;
    Start();
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(&top);
    node->Connect();
    const int resets = sxtest::g_gain.resets;
    sxtest::g_gain.emitNaN = true;
    MixVoice(node, 1.0f);
    CSxLEngine::Perform();
    sxtest::g_gain.emitNaN = false;
    MixVoice(node, 1.0f);
    CSxLEngine::Perform();
    EXPECT_EQ(sxtest::g_gain.resets, resets + 1);
    for (uint32_t k : {0u, 3u, 1023u}) EXPECT_EQ(Left(0, k), 0) << k;
    EXPECT_NEAR(Left(1, 3), Pcm(SxMath::DbToLinear(-6.0f)), 1) << "the next frame plays again";
    node->Release();
}

TEST_F(BusMixTest, IdleNodesGoAtTheEndOfTheFrameAndReleaseTheirParent) {
    Start();
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(&leaf);
    EXPECT_EQ(CSxLEngine::FindBusNode(11)->RefCount(), 1u) << "the child holds its parent";
    node->Connect();
    MixVoice(node, 1.0f);
    CSxLEngine::Perform();
    EXPECT_EQ(CSxLEngine::BusNodeCount(), 3u) << "referenced by its voice";
    node->Release();
    CSxLEngine::Perform();
    EXPECT_EQ(CSxLEngine::BusNodeCount(), 2u) << "the leaf goes once nothing references it";
    EXPECT_EQ(CSxLEngine::FindBusNode(11)->RefCount(), 0u);
    EXPECT_EQ(leaf.activity, 0);
    EXPECT_EQ(leaf.refs, 0);
    CSxLEngine::Perform();
    EXPECT_EQ(CSxLEngine::BusNodeCount(), 1u) << "the parents follow once the silence has passed through them";
    CSxLEngine::Perform();
    EXPECT_EQ(CSxLEngine::BusNodeCount(), 0u);
    EXPECT_EQ(top.refs, 0);
}

TEST_F(BusMixTest, ACentreOnlyBusTakesTheCentreGainOfItsVoices) {
    top.mask = 4;
    Start(SxChannelMask51);
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(&top);
    ASSERT_EQ(node->ChannelMask(), 4u);
    node->Connect();
    voice.assign(SxFrameLength, 1.0f);
    SxAudioBuffer buffer{voice.data(), 4, SX_DataReady, SxFrameLength, SxFrameLength};
    SxSpeakerGains gains;
    gains.current[0] = gains.previous[0] = 1.0f;
    gains.current[2] = gains.previous[2] = 0.5f;
    node->MixVoice(buffer, &gains, 0);
    CSxLEngine::Perform();
    const auto s = Samples();
    const int16_t* frame = s.data() + 6 * 10;
    EXPECT_EQ(frame[0], 0) << "no left channel on this bus";
    EXPECT_NEAR(frame[2], Pcm(0.5 * SxMath::DbToLinear(-6.0f)), 1);
    node->Release();
}

TEST_F(BusMixTest, ABusWithFewerChannelsMixesIntoTheSameSpeakers) {
    leaf.mask = SxChannelMaskStereo;
    Start(SxChannelMask51);
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(&leaf);
    EXPECT_EQ(node->ChannelMask(), 3u);
    EXPECT_EQ(CSxLEngine::FindBusNode(11)->ChannelMask(), 63u);
    node->Connect();
    MixVoice(node, 1.0f);
    CSxLEngine::Perform();
    const auto s = Samples();
    const double gain = SxMath::DbToLinear(-1.0f) * SxMath::DbToLinear(-3.0f) * SxMath::DbToLinear(-6.0f);
    const int16_t* frame = s.data() + 6 * 200;
    EXPECT_NEAR(frame[0], Pcm(gain), 1);
    EXPECT_NEAR(frame[1], Pcm(gain), 1);
    for (int d = 2; d < 6; ++d) EXPECT_EQ(frame[d], 0) << d;
    node->Release();
}

TEST_F(BusMixTest, MasterEffectsComeFromTheMasterBusAndGoWithTheirEffect) {
    TestEffect halve(sxtest::kGainKey, DbBlock(-6.0f));
    master.effect = &halve;
    Start();
    ASSERT_EQ(CSxLEngine::SetMasterBusFx(0), SX_Success);
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(&top);
    node->Connect();
    int instances = 0;
    CSxLEngine::ForEachFxInstance(
        &halve,
        [](ISxPlugin* plugin, SxGameObjectID object, void* count) {
            EXPECT_NE(plugin, nullptr);
            EXPECT_EQ(object, 0u);
            ++*static_cast<int*>(count);
        },
        &instances);
    EXPECT_EQ(instances, 1);
    MixVoice(node, 1.0f);
    CSxLEngine::Perform();
    EXPECT_EQ(sxtest::g_gain.inits, 2) << "the idle master took its effect afresh";
    CSxLEngine::StopMixBussesUsingFx(&halve);
    MixVoice(node, 1.0f);
    CSxLEngine::Perform();
    const double gain = SxMath::DbToLinear(-6.0f);
    EXPECT_NEAR(Left(0, 100), Pcm(gain * 0.501187), 1);
    EXPECT_NEAR(Left(1, 100), Pcm(gain), 1) << "the master's slots were emptied";
    EXPECT_EQ(sxtest::g_gain.inits, sxtest::g_gain.terms);
    node->Release();
}

TEST_F(BusMixTest, EnvironmentalNodesTakeTheirSpeakerVolumesAndGoWhenNothingIsSent) {
    g_BusHooks.environmentVolumes = [](SxUniqueID, float volumes[6]) {
        const float v[6] = {0.5f, 0.25f, 1, 1, 1, 1};
        std::copy(v, v + 6, volumes);
        return true;
    };
    top.feedsEnv = true;
    Start();
    CSxMixBusNode* bus = CSxLEngine::GetVPLMixBus(&top);
    CSxMixBusNode* env = CSxLEngine::GetEnvMixBus(900);
    ASSERT_NE(env, nullptr);
    EXPECT_EQ(CSxLEngine::GetEnvMixBus(900), env);
    bus->Connect();
    MixVoice(env, 1.0f);
    CSxLEngine::Perform();
    const auto s = Samples();
    // Into the master, as the bus has no parent, at the bus's -6 dB as well.
    const float busGain = SxMath::DbToLinear(-6.0f);
    EXPECT_NEAR(s[2 * 100], Pcm(0.5 * busGain), 1) << "into the master: the bus has no parent";
    EXPECT_NEAR(s[2 * 100 + 1], Pcm(0.25 * busGain), 1);
    EXPECT_EQ(CSxLEngine::EnvNodeCount(), 1u);
    CSxLEngine::Perform();
    EXPECT_EQ(CSxLEngine::EnvNodeCount(), 0u) << "nothing sent this frame";
    bus->Release();
}

}  // namespace

namespace {

TEST_F(BusMixTest, BusContextsTellSendModeAndFetchMediaOnce) {
    static TestEffect* s_envEffect = nullptr;
    TestEffect onBus(sxtest::kGainKey, DbBlock(0.0f));
    TestEffect onEnv(sxtest::kGainKey, DbBlock(0.0f));
    s_envEffect = &onEnv;
    top.effect = &onBus;
    g_BusHooks.environmentFx = [](SxUniqueID, uint32_t slot) {
        SxFxSlotInfo info;
        if (slot == 0) info.effect = s_envEffect;
        return info;
    };
    const sxtest::SxMediaMap::Media media{{77, std::vector<uint8_t>(16)}};
    sxtest::SxMediaMap mediaMap(media);
    Start();
    auto* busFx = static_cast<sxtest::TestGainFX*>(CSxLEngine::GetVPLMixBus(&top)->FxSlot(0).Plugin());
    auto* envFx = static_cast<sxtest::TestGainFX*>(CSxLEngine::GetEnvMixBus(5)->FxSlot(0).Plugin());
    ASSERT_NE(busFx, nullptr);
    ASSERT_NE(envFx, nullptr);
    EXPECT_FALSE(busFx->m_context->IsSendModeEffect());
    EXPECT_TRUE(envFx->m_context->IsSendModeEffect());
    EXPECT_EQ(busFx->m_context->GetMaxBufferLength(), 1024);
    EXPECT_EQ(busFx->m_context->GetPlayingID(), 0u);
    EXPECT_EQ(busFx->m_context->PostMonitorData(nullptr, 0), SX_Fail);
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    busFx->m_context->GetPluginMedia(0, data, size);
    EXPECT_EQ(data, media.at(77).data());
    busFx->m_context->GetPluginMedia(0, data, size);
    EXPECT_EQ(size, 16u);
    EXPECT_EQ(mediaMap.handedOut, 1) << "the second answer comes from the context";
    busFx->m_context->GetPluginMedia(1, data, size);
    EXPECT_EQ(data, nullptr) << "no media for that index";
    EXPECT_EQ(size, 0u);
    CSxLEngine::Stop();
    EXPECT_EQ(mediaMap.releases, 1) << "held media goes back with the context";
}

}  // namespace

namespace {

TEST_F(BusMixTest, APositionedEmitterReachesTheSpeakersOnItsSide) {
    Start(SxChannelMask51);
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(&plain);
    node->Connect();
    CSxRegisteredObj emitter(5);
    const SxSoundPosition right{{10, 0, 0}, {0, 0, 1}};
    ASSERT_EQ(emitter.SetPositions(&right, 1, 0, 0), SX_Success);
    SxVoiceVolumeParams params;
    params.positioned = true;
    params.positioningType = 3;
    params.gameObject = &emitter;
    SxVoiceVolumes volumes;
    SxComputeSpeakerVolumes(params, volumes);
    SxSpeakerGains gains;
    std::copy(volumes.dry[0], volumes.dry[0] + 8, gains.current);
    std::copy(volumes.dry[0], volumes.dry[0] + 8, gains.previous);
    voice.assign(SxFrameLength, 0.5f);
    SxAudioBuffer buffer{voice.data(), 4, SX_DataReady, SxFrameLength, SxFrameLength};
    node->MixVoice(buffer, &gains, CSxLEngine::PanningRule());
    CSxLEngine::Perform();
    const auto s = Samples();
    ASSERT_EQ(s.size(), 6u * SxFrameLength);
    const int16_t* frame = s.data() + 6 * 300;  // device order L, R, C, LFE, SL, SR
    EXPECT_NEAR(volumes.dry[0][1], 0.70711f, 0.005f);
    const int16_t side = Pcm(0.5 * volumes.dry[0][1]);
    const int16_t expected[6] = {0, side, 0, 0, 0, side};
    for (int d = 0; d < 6; ++d) EXPECT_NEAR(frame[d], expected[d], 1) << d;
    node->Release();
}

}  // namespace

namespace {

TEST(EnvironmentSendsTest, CurrentSendsComeFirstAndKeptOnesGiveTheirPreviousLevel) {
    struct Case {
        const char* what;
        std::vector<SxEnvironmentValue> current, kept;
        std::vector<SxEnvironmentSend> expected;
    } cases[] = {
        {"new sends fade in", {{5, 0.8f}}, {}, {{5, 0.8f, 0.0f}}},
        {"a held send ramps between its levels", {{5, 0.8f}}, {{5, 0.2f}}, {{5, 0.8f, 0.2f}}},
        {"an ended send fades out", {}, {{6, 0.5f}}, {{6, 0.0f, 0.5f}}},
        {"both", {{5, 1.0f}, {7, 0.3f}}, {{6, 0.5f}, {7, 0.1f}}, {{5, 1.0f, 0}, {7, 0.3f, 0.1f}, {6, 0, 0.5f}}},
        {"no more than four", {{1, 1}, {2, 1}, {3, 1}, {4, 1}}, {{9, 1}}, {{1, 1, 0}, {2, 1, 0}, {3, 1, 0}, {4, 1, 0}}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.current.resize(4);
        c.kept.resize(4);
        SxEnvironmentSend out[4];
        const uint32_t count = SxMergeEnvironmentValues(c.current.data(), c.kept.data(), out);
        ASSERT_EQ(count, c.expected.size());
        for (uint32_t i = 0; i < count; ++i) {
            EXPECT_EQ(out[i].environmentID, c.expected[i].environmentID) << i;
            EXPECT_EQ(out[i].current, c.expected[i].current) << i;
            EXPECT_EQ(out[i].previous, c.expected[i].previous) << i;
        }
        if (count < 4) {
            EXPECT_EQ(out[count].environmentID, 0u) << "a zero ID ends the list";
        }
    }
}

TEST_F(BusMixTest, ASendFadesInOnItsFirstFrameAndOutOnItsLast) {
    top.feedsEnv = true;
    top.volumeDb = 0.0f;
    Start();
    CSxMixBusNode* bus = CSxLEngine::GetVPLMixBus(&top);
    bus->Connect();
    voice.assign(SxFrameLength, 1.0f);
    SxSpeakerGains wet;
    wet.current[0] = wet.previous[0] = 1.0f;
    auto frame = [&](float current, float previous) {
        SxAudioBuffer buffer{voice.data(), 4, SX_DataReady, SxFrameLength, SxFrameLength};
        const SxEnvironmentSend send{31, current, previous};
        CSxLEngine::MixEnvironmentSends(buffer, &wet, &send, 1);
        CSxLEngine::Perform();
    };
    frame(1.0f, 0.0f);
    frame(0.0f, 1.0f);
    EXPECT_EQ(Left(0, 0), 0) << "fades in from 0";
    EXPECT_NEAR(Left(0, 512), Pcm(0.5), 1);
    EXPECT_NEAR(Left(1, 0), Pcm(1.0), 1) << "and out from its last level";
    EXPECT_NEAR(Left(1, 768), Pcm(0.25), 1);
    EXPECT_EQ(Samples()[2 * 5 + 1], 0) << "the right speaker had no wet gain";
    CSxLEngine::Perform();
    EXPECT_EQ(CSxLEngine::EnvNodeCount(), 0u) << "the node goes once nothing is sent";
    bus->Release();
}

}  // namespace
