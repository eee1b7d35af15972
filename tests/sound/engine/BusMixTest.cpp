// The lower engine's bus and environmental mix nodes, on buses and effects of a bank loaded
// into an engine started as the game starts it; constant voices mixed straight into the nodes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "SxTestPlugins.h"
#include "SxVoiceFixture.h"
#include "sound/engine/attenuations/SxEffectLookup.h"
#include "sound/engine/bus/CSxMixBusNode.h"
#include "sound/engine/buses/CSxBus.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/listener/SxSpeakerVolumes.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/lower/SxDecibels.h"
#include "sound/engine/registry/CSxRegisteredObj.h"

using namespace sxtest;

namespace {

constexpr SxUniqueID kMaster = 1, kTop = 10, kMiddle = 11, kLeaf = 12, kPlain = 20;
// A share set without a plug-in: the bus that names it mixes in a node of its own at its volume.
constexpr SxUniqueID kNoEffect = 600;
// The effect a test gives a bus, and the one of an environment.
constexpr SxUniqueID kBusEffect = 601, kEnvEffect = 602;

class BusMixTest : public VoiceFixture {
protected:
    // The master bus; below it top (-6 dB), middle (-3 dB) and leaf (-1 dB) in a chain and plain
    // (0 dB) beside them, each mixing in a node of its own.
    void SetUp() override {
        for (bw::Bus* bus : {&top, &middle, &leaf, &plain}) {
            bus->parentBusID = kMaster;
            bus->effects = {{0, kNoEffect, 1}};
        }
        top.props = {bw::PropF(0, -6.0f)};
        middle.parentBusID = kTop;
        middle.props = {bw::PropF(0, -3.0f)};
        leaf.parentBusID = kMiddle;
        leaf.props = {bw::PropF(0, -1.0f)};
    }
    void TearDown() override {
        if (started) VoiceFixture::TearDown();
        started = false;
    }
    // The engine started with the buses and effects loaded.
    void Start(uint32_t mask = SxChannelMaskStereo) {
        CSxLEngine::GetDefaultPlatformInitSettings(platform);
        platform.channelMask = mask;
        platformSettings = &platform;
        VoiceFixture::SetUp();
        started = true;
        RegisterTestPlugins();
        std::vector<bw::Bytes> records = {bw::Record(SxHirc_FxShareSet, bw::EffectBody(kNoEffect, {}))};
        for (const auto& [id, effect] : effects)
            records.push_back(bw::Record(SxHirc_FxShareSet, bw::EffectBody(id, effect)));
        const std::pair<SxUniqueID, const bw::Bus*> buses[] = {
            {kMaster, &master}, {kTop, &top}, {kMiddle, &middle}, {kLeaf, &leaf}, {kPlain, &plain}};
        for (const auto& [id, bus] : buses) records.push_back(bw::Record(SxHirc_Bus, bw::BusBody(id, *bus)));
        LoadRecords(records);
        control::StartCapture();
    }
    static CSxBus* Bus(SxUniqueID id) {
        auto* bus = static_cast<CSxBus*>(g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, id));
        // The index holds the bus while it is loaded.
        if (bus) bus->Release();
        return bus;
    }
    static ISxBusObject* View(SxUniqueID id) { return &Bus(id)->MixView(); }
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

    SxPlatformInitSettings platform;
    bool started = false;
    bw::Bus master, top, middle, leaf, plain;
    std::vector<std::pair<SxUniqueID, bw::Effect>> effects;
    std::vector<float> voice;
};

int16_t Pcm(double value) { return static_cast<int16_t>(std::nearbyint(value * 32767)); }

TEST_F(BusMixTest, ThreeLevelsOfBusesWithAnInsertEffectReachTheOutput) {
    // The effect's -6 dB comes from a global game parameter: it reaches the slot's own
    // parameter object.
    constexpr uint32_t kGainParameter = 0x70;
    effects = {{kBusEffect, {kGainKey, DbBlock(0.0f), {}, {{kGainParameter, 0, 1, 0, {{0, 0, 4}, {100, -12.0f, 4}}}}}}};
    middle.effects = {{0, kBusEffect, 1}};
    master.props = {bw::PropF(0, -2.0f)};
    master.effects = {{0, kNoEffect, 1}};
    Start();
    SoundEngine::SetRTPCValue(kGainParameter, 50.0f);
    Frame();
    control::StartCapture();
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(View(kLeaf));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(CSxLEngine::BusNodeCount(), 3u) << "the parents are made first";
    // The mixes' vector stores stay within cache lines.
    for (SxUniqueID id : {kTop, kMiddle, kLeaf})
        EXPECT_EQ(reinterpret_cast<uintptr_t>(CSxLEngine::FindBusNode(id)->GetOutput().data) % SxMixBufferAlignment, 0u)
            << id;
    node->Connect();
    MixVoice(node, 0.5f);
    CSxLEngine::Perform();
    const double expected = 0.5 * SxMath::DbToLinear(-1.0f) * SxMath::DbToLinear(-3.0f) * SxMath::DbToLinear(-6.0f) *
                            0.501187 * SxMath::DbToLinear(-2.0f);
    for (uint32_t k : {0u, 100u, 1023u}) EXPECT_NEAR(Left(0, k), Pcm(expected), 1) << k;
    EXPECT_EQ(Samples()[1], Samples()[0]) << "right as left";
    EXPECT_EQ(g_gain.executes, 1);
    const CSxBusFxSlot& slot = CSxLEngine::FindBusNode(11)->FxSlot(0);
    EXPECT_EQ(static_cast<TestGainFX*>(slot.Plugin())->m_format.channelMask, 3u);
    node->Release();
}

TEST_F(BusMixTest, BusVolumeCommandsRampOverTheNextFrame) {
    Start();
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(View(kLeaf));
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
    effects = {{kBusEffect, {kGainKey, DbBlock(-6.0f), {}, {}}}};
    top.effects = {{0, kBusEffect, 1}};
    Start();
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(View(kTop));
    node->Connect();
    const int resetsAtStart = g_gain.resets;
    auto frame = [&] {
        MixVoice(node, 1.0f);
        CSxLEngine::Perform();
    };
    frame();
    CSxLEngine::BypassBusFx(10, 1, 1);
    frame();
    frame();
    EXPECT_EQ(g_gain.resets, resetsAtStart + 1);
    EXPECT_EQ(g_gain.executes, 1);
    CSxLEngine::BypassBusFx(10, 0, 1);
    frame();
    EXPECT_EQ(g_gain.resets, resetsAtStart + 1);
    EXPECT_EQ(g_gain.executes, 2);
    CSxLEngine::BypassBusFx(10, 0x10, 0x10);
    frame();
    EXPECT_EQ(g_gain.executes, 2) << "bypassing all effects bypasses the slot";
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
        bool loads;  // the bank refuses an effect whose parameters cannot be made
    } cases[] = {
        {"parameter block of the wrong size", kGainKey, {1, 2, 3, 4, 5, 6}, false},
        {"creation fails", kFailingKey, DbBlock(-6.0f), true},
        {"no such plug-in", 0x12345, DbBlock(-6.0f), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        top.effects = {{0, kBusEffect, 1}};
        Start();
        const bw::Bytes chunk =
            bw::HircChunk({bw::Record(SxHirc_FxShareSet, bw::EffectBody(kBusEffect, {c.key, c.block, {}, {}}))});
        EXPECT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded) == SX_Success, c.loads);
        CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(View(kTop));
        ASSERT_NE(node, nullptr) << "the node mixes without the effect";
        EXPECT_FALSE(node->FxSlot(0).HasPlugin());
        EXPECT_EQ(node->FxSlot(0).FxID(), CSxBusFxSlot::kEmpty);
        node->Connect();
        MixVoice(node, 1.0f);
        CSxLEngine::Perform();
        EXPECT_NEAR(Left(0, 100), Pcm(SxMath::DbToLinear(-6.0f)), 1);
        node->Release();
        TearDown();
    }
    EXPECT_EQ(g_gain.inits, g_gain.terms);
}

TEST_F(BusMixTest, AnEffectThatOutputsNaNIsSilencedAndReset) {
    effects = {{kBusEffect, {kGainKey, DbBlock(0.0f), {}, {}}}};
    top.effects = {{0, kBusEffect, 1}};
    Start();
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(View(kTop));
    node->Connect();
    const int resets = g_gain.resets;
    g_gain.emitNaN = true;
    MixVoice(node, 1.0f);
    CSxLEngine::Perform();
    g_gain.emitNaN = false;
    MixVoice(node, 1.0f);
    CSxLEngine::Perform();
    EXPECT_EQ(g_gain.resets, resets + 1);
    for (uint32_t k : {0u, 3u, 1023u}) EXPECT_EQ(Left(0, k), 0) << k;
    EXPECT_NEAR(Left(1, 3), Pcm(SxMath::DbToLinear(-6.0f)), 1) << "the next frame plays again";
    node->Release();
}

TEST_F(BusMixTest, IdleNodesGoAtTheEndOfTheFrameAndReleaseTheirParent) {
    Start();
    // What the index and the hierarchy hold; the nodes hold the rest.
    const uint32_t leafRefs = Bus(kLeaf)->RefCount(), topRefs = Bus(kTop)->RefCount();
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(View(kLeaf));
    EXPECT_EQ(CSxLEngine::FindBusNode(11)->RefCount(), 1u) << "the child holds its parent";
    node->Connect();
    MixVoice(node, 1.0f);
    CSxLEngine::Perform();
    EXPECT_EQ(CSxLEngine::BusNodeCount(), 3u) << "referenced by its voice";
    node->Release();
    CSxLEngine::Perform();
    EXPECT_EQ(CSxLEngine::BusNodeCount(), 2u) << "the leaf goes once nothing references it";
    EXPECT_EQ(CSxLEngine::FindBusNode(11)->RefCount(), 0u);
    EXPECT_EQ(Bus(kLeaf)->RefCount() - leafRefs, 0u);
    CSxLEngine::Perform();
    EXPECT_EQ(CSxLEngine::BusNodeCount(), 1u) << "the parents follow once the silence has passed through them";
    CSxLEngine::Perform();
    EXPECT_EQ(CSxLEngine::BusNodeCount(), 0u);
    EXPECT_EQ(Bus(kTop)->RefCount() - topRefs, 0u);
}

TEST_F(BusMixTest, ACentreOnlyBusTakesTheCentreGainOfItsVoices) {
    top.channels = 4;
    Start(SxChannelMask51);
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(View(kTop));
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
    leaf.channels = SxChannelMaskStereo;
    Start(SxChannelMask51);
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(View(kLeaf));
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
    effects = {{kBusEffect, {kGainKey, DbBlock(-6.0f), {}, {}}}};
    master.effects = {{0, kBusEffect, 1}};
    Start();
    ISxEffectObject* halve = SxFindEffectObject(kBusEffect, true);
    ASSERT_EQ(CSxLEngine::SetMasterBusFx(0), SX_Success);
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(View(kTop));
    node->Connect();
    int instances = 0;
    CSxLEngine::ForEachFxInstance(
        halve,
        [](ISxPlugin* plugin, SxGameObjectID object, void* count) {
            EXPECT_NE(plugin, nullptr);
            EXPECT_EQ(object, 0u);
            ++*static_cast<int*>(count);
        },
        &instances);
    EXPECT_EQ(instances, 1);
    MixVoice(node, 1.0f);
    CSxLEngine::Perform();
    EXPECT_EQ(g_gain.inits, 2) << "the idle master took its effect afresh";
    CSxLEngine::StopMixBussesUsingFx(halve);
    MixVoice(node, 1.0f);
    CSxLEngine::Perform();
    const double gain = SxMath::DbToLinear(-6.0f);
    EXPECT_NEAR(Left(0, 100), Pcm(gain * 0.501187), 1);
    EXPECT_NEAR(Left(1, 100), Pcm(gain), 1) << "the master's slots were emptied";
    EXPECT_EQ(g_gain.inits, g_gain.terms);
    node->Release();
}

TEST_F(BusMixTest, EnvironmentalNodesTakeTheirSpeakerVolumesAndGoWhenNothingIsSent) {
    effects = {{900, {}}};
    top.environmental = true;
    Start();
    const float volumes[6] = {0.5f, 0.25f, 1, 1, 1, 1};
    ASSERT_EQ(SoundEngine::SetEnvironmentVolumes(900, volumes), SX_Success);
    Frame();
    control::StartCapture();
    CSxMixBusNode* bus = CSxLEngine::GetVPLMixBus(View(kTop));
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
    const bw::Effect withMedia{kGainKey, DbBlock(0.0f), {{0, 77}}, {}};
    effects = {{kBusEffect, withMedia}, {kEnvEffect, withMedia}};
    top.effects = {{0, kBusEffect, 1}};
    g_mediaByID[77] = std::vector<uint8_t>(16);
    Start();
    auto* busFx = static_cast<TestGainFX*>(CSxLEngine::GetVPLMixBus(View(kTop))->FxSlot(0).Plugin());
    auto* envFx = static_cast<TestGainFX*>(CSxLEngine::GetEnvMixBus(kEnvEffect)->FxSlot(0).Plugin());
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
    EXPECT_EQ(data, g_mediaByID[77].data());
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
    CSxMixBusNode* node = CSxLEngine::GetVPLMixBus(View(kPlain));
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
    top.environmental = true;
    top.props = {};
    Start();
    CSxMixBusNode* bus = CSxLEngine::GetVPLMixBus(View(kTop));
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
