// What a voice's pipeline does to its sound beyond the source and the pitch, measured on the
// device: the insert effects of its sound and their bypass, its sends into the environments of
// its game object, its bus, and the source that follows it in a continuous sequence.
#include <functional>

#include "SxTestPlugins.h"
#include "SxVoiceFixture.h"
#include "sound/engine/attenuations/SxEffectLookup.h"
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/upper/CSxPBI.h"
#include "tests/sound/engine/SxRenderProbes.h"

using namespace sxtest;

namespace {

constexpr SxUniqueID kHalf = 500, kQuarter = 501, kBroken = 502, kUnity = 503, kEnv = 900, kEnv2 = 901;

// The effects the sounds name, as custom effects of a bank.
std::vector<bw::Bytes> EffectRecords() {
    const std::pair<SxUniqueID, bw::Effect> effects[] = {
        {kHalf, {kGainKey, DbBlock(-6.0206f), {}, {}}},
        {kQuarter, {kGainKey, DbBlock(-12.0412f), {}, {}}},
        {kBroken, {kFailingKey, DbBlock(0.0f), {}, {}}},
        {kUnity, {kGainKey, DbBlock(0.0f), {}, {}}},
    };
    std::vector<bw::Bytes> records;
    for (const auto& [id, effect] : effects) records.push_back(bw::Record(SxHirc_FxCustom, bw::EffectBody(id, effect)));
    return records;
}

class VoicePipeline : public VoiceFixture {
protected:
    void SetUp() override {
        VoiceFixture::SetUp();
        RegisterTestPlugins();
        LoadRecords(EffectRecords());
    }
    // A mono 1 kHz tone at half scale of whole cycles and whole blocks.
    static std::vector<uint8_t> ToneMedia(uint32_t frames, uint32_t mask = 0x4) {
        return QV::media::Build(QV::media::Sine(1000.0, 0.5, frames, 48000, mask), QV::media::Encoding::Pcm16);
    }
    static void WithAudioLock(const std::function<void()>& fn) {
        platform::Lock lock(g_csMain);
        fn();
    }
    // The peak the tone reaches on the left speaker with nothing in its way.
    const double plain = 0.5 * LeftGain(0.0f);
};

TEST_F(VoicePipeline, InsertEffectsOfTheSoundShapeWhatIsHeard) {
    struct Case {
        const char* what;
        std::vector<bw::EffectSlot> effects;
        uint8_t bypassBits;
        double gain;
    } cases[] = {
        {"none", {}, 0, 1.0},
        {"half in slot 0", {{0, kHalf}}, 0, 0.5},
        {"half in slot 1 and a quarter in slot 3", {{1, kHalf}, {3, kQuarter}}, 0, 0.125},
        {"a share set", {{2, kQuarter, 1}}, 0, 0.25},
        {"bypassed by the sound", {{0, kHalf}, {1, kQuarter}}, 0x2, 0.5},
        {"all bypassed by the sound", {{0, kHalf}, {1, kQuarter}}, 0x10, 1.0},
        {"a plug-in that cannot be made is left out", {{0, kBroken}, {1, kHalf}}, 0, 0.5},
        {"an effect that is not loaded is left out", {{0, 999}}, 0, 1.0},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        g_media = ToneMedia(64 * 249);
        bw::NodeBase node;
        node.overrideEffects = true;
        node.effects = c.effects;
        node.bypassBits = c.bypassBits;
        LoadSoundNode(node, 1);
        SxPlayingID id = 0;
        const std::vector<float> left = PlayAndCapture(id);
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id}) << c.what;
        const Tone tone = Measure(left);
        EXPECT_NEAR(tone.peak, plain * c.gain, plain * c.gain * 0.03) << c.what;
        EXPECT_NEAR(tone.frequency, 1000.0, 3.0) << c.what;
        EXPECT_NEAR(double(tone.last - tone.first), 64.0 * 249, 1000.0) << c.what;
        EXPECT_EQ(g_gain.inits, g_gain.terms) << c.what << ": every effect made is terminated";
    }
}

TEST_F(VoicePipeline, BypassingAnEffectWhilePlayingResetsItOnceAndTheSoundFollows) {
    g_media = ToneMedia(48000);
    bw::NodeBase node;
    node.overrideEffects = true;
    node.effects = {{0, kHalf}};
    LoadSoundNode(node, 1);
    control::StartCapture();
    const SxPlayingID id = SoundEngine::PostEvent(kEvent, kGameObject, SxCallback_EndOfEvent, OnEvent);
    int resetsBeforeBypass = 0, resetsAfterBypass = 0, resetsAfterReturn = 0;
    std::vector<SxGameObjectID> instancesOf;
    for (int frame = 0; frame < 60; ++frame) {
        if (frame == 5)
            WithAudioLock([&] {
                CSxLEngine::ForEachFxInstance(
                    SxFindEffectObject(kHalf, false),
                    [](ISxPlugin* plugin, SxGameObjectID object, void* cookie) {
                        EXPECT_NE(plugin, nullptr);
                        static_cast<std::vector<SxGameObjectID>*>(cookie)->push_back(object);
                    },
                    &instancesOf);
            });
        if (frame == 15)
            WithAudioLock([&] {
                resetsBeforeBypass = g_gain.resets;
                CSxVoiceMgr::Get()->BypassFx(CSxURenderer::FirstActive()->Node(), 1, 1);
            });
        if (frame == 17) resetsAfterBypass = g_gain.resets;
        // Read again from the sound, which does not bypass it.
        if (frame == 30)
            WithAudioLock([&] { CSxVoiceMgr::Get()->RefreshFxBypass(CSxURenderer::FirstActive()->Node(), 0); });
        if (frame == 32) resetsAfterReturn = g_gain.resets;
        Frame();
    }
    const std::vector<float> left = TakeLeft();
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
    EXPECT_EQ(instancesOf, std::vector<SxGameObjectID>{kGameObject}) << "the voice's effect, on its game object";
    EXPECT_EQ(resetsAfterBypass, resetsBeforeBypass + 1) << "entering bypass resets the effect once";
    EXPECT_EQ(resetsAfterReturn, resetsAfterBypass) << "leaving bypass runs it on without a reset";
    // The voice's frames 14 to 28 went out without the effect; the windows keep clear of the
    // changes.
    size_t at = 0;
    while (at < left.size() && left[at] == 0.0f) ++at;
    EXPECT_NEAR(PeakOf(left, at + 5 * 1024, at + 10 * 1024), plain * 0.5, plain * 0.02);
    EXPECT_NEAR(PeakOf(left, at + 18 * 1024, at + 26 * 1024), plain, plain * 0.02);
    EXPECT_NEAR(PeakOf(left, at + 34 * 1024, at + 44 * 1024), plain * 0.5, plain * 0.02);
}

TEST_F(VoicePipeline, EffectReplacedWhilePlayingTakesOverFromTheNextFrame) {
    g_media = ToneMedia(48000);
    bw::NodeBase node;
    node.overrideEffects = true;
    node.effects = {{0, kHalf}, {2, kHalf}};
    LoadSoundNode(node, 1);
    control::StartCapture();
    const SxPlayingID id = SoundEngine::PostEvent(kEvent, kGameObject, SxCallback_EndOfEvent, OnEvent);
    int termsBefore = 0, termsAfter = 0;
    for (int frame = 0; frame < 60; ++frame) {
        if (frame == 20)
            WithAudioLock([&] {
                termsBefore = g_gain.terms;
                CSxParameterNodeBase* sound = CSxURenderer::FirstActive()->Node();
                sound->SetEffect(2, kQuarter, false);
                termsAfter = g_gain.terms;
            });
        Frame();
    }
    const std::vector<float> left = TakeLeft();
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
    EXPECT_EQ(termsAfter, termsBefore + 1) << "only the replaced slot's effect goes";
    size_t at = 0;
    while (at < left.size() && left[at] == 0.0f) ++at;
    EXPECT_NEAR(PeakOf(left, at + 5 * 1024, at + 17 * 1024), plain * 0.25, plain * 0.01);
    EXPECT_NEAR(PeakOf(left, at + 22 * 1024, at + 44 * 1024), plain * 0.125, plain * 0.005);
}

TEST_F(VoicePipeline, SendsReachTheEnvironmentsOfTheGameObjectAtTheirLevels) {
    struct Case {
        const char* what;
        bool busFeedsEnvironments;
        float dryLevel;
        std::vector<SxEnvironmentValue> sends;
        double gain;
        uint32_t environments;
    } cases[] = {
        {"dry only", true, 1.0f, {}, 1.0, 0},
        {"one send at half, no dry", true, 0.0f, {{kEnv, 0.5f}}, 0.5, 1},
        {"one send at half beside the dry path", true, 1.0f, {{kEnv, 0.5f}}, 1.5, 1},
        {"two sends, dry at a quarter", true, 0.25f, {{kEnv, 0.25f}, {kEnv2, 0.5f}}, 1.0, 2},
        {"a bus that feeds no environment", false, 0.0f, {{kEnv, 0.5f}}, 1.0, 0},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        bw::Bus master;
        master.environmental = c.busFeedsEnvironments;
        LoadRecords({bw::Record(SxHirc_Bus, bw::BusBody(1, master))});
        g_media = ToneMedia(64 * 249);
        LoadSound({});
        SoundEngine::SetGameObjectDryLevelValue(kGameObject, c.dryLevel);
        SoundEngine::SetGameObjectEnvironmentsValues(kGameObject, c.sends.data(),
                                                     static_cast<uint32_t>(c.sends.size()));
        control::StartCapture();
        const SxPlayingID id = SoundEngine::PostEvent(kEvent, kGameObject, SxCallback_EndOfEvent, OnEvent);
        uint32_t environments = 0;
        for (int frame = 0; frame < 30; ++frame) {
            Frame();
            environments = std::max(environments, CSxLEngine::EnvNodeCount());
        }
        const std::vector<float> left = TakeLeft();
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id}) << c.what;
        EXPECT_EQ(environments, c.environments) << c.what;
        EXPECT_EQ(CSxLEngine::EnvNodeCount(), 0u) << c.what << ": environments that hear nothing go";
        const Tone tone = Measure(left);
        EXPECT_NEAR(tone.peak, plain * c.gain, plain * c.gain * 0.03) << c.what;
        EXPECT_NEAR(double(tone.last - tone.first), 64.0 * 249, 1000.0) << c.what;
    }
}

TEST_F(VoicePipeline, VoiceOfAnInstanceWithItsOwnBusIsMixedThroughThatBusNode) {
    // A bus with an effect mixes in a node of its own: a unity effect leaves its volume heard.
    constexpr SxUniqueID kMasterBus = 1, kUserBus = 20;
    bw::Bus master;
    bw::Bus user;
    user.parentBusID = kMasterBus;
    user.props = {bw::PropF(0, -6.0206f)};
    user.effects = {{0, kUnity}};
    const bw::Bytes buses = bw::HircChunk({
        bw::Record(SxHirc_Bus, bw::BusBody(kMasterBus, master)),
        bw::Record(SxHirc_Bus, bw::BusBody(kUserBus, user)),
    });
    ASSERT_EQ(SxReadHircChunk(buses.data(), static_cast<uint32_t>(buses.size()), loaded), SX_Success);
    g_media = ToneMedia(64 * 249);
    bw::NodeBase node;
    node.busID = kUserBus;
    LoadSoundNode(node, 1);
    control::StartCapture();
    const SxPlayingID id = SoundEngine::PostEvent(kEvent, kGameObject, SxCallback_EndOfEvent, OnEvent);
    bool sawNode = false;
    for (int frame = 0; frame < 30; ++frame) {
        Frame();
        sawNode = sawNode || CSxLEngine::FindBusNode(kUserBus) != nullptr;
    }
    const std::vector<float> left = TakeLeft();
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
    EXPECT_TRUE(sawNode);
    EXPECT_EQ(CSxLEngine::FindBusNode(kUserBus), nullptr) << "an idle bus node goes";
    EXPECT_NEAR(Measure(left).peak, plain * 0.5, plain * 0.5 * 0.03) << "the bus's own volume";
}

TEST_F(VoicePipeline, NextSourceOfAContinuousSequenceFollowsWithoutAGap) {
    // One tone cut in two: the second half played as the voice's next source must join the
    // first without a step, exactly where it ends (inside an output frame).
    constexpr uint32_t kHalfFrames = 64 * 249;
    constexpr SxUniqueID kSound2 = 200, kEvent2 = 2000, kMedia2 = 78;
    struct Case {
        const char* what;
        uint32_t secondMask;
        uint32_t secondOffset;  // frames of silence between them
        bool throughEffect = false;
        bool secondStopped = false;  // while it waits behind the first
        QV::media::Encoding secondEncoding = QV::media::Encoding::Pcm16;
        float cents = 0.0f;  // both sounds
    } cases[] = {
        {"same channels", 0x4, 0},
        {"same channels, through the first sound's insert effect", 0x4, 0, true},
        {"same channels, after a pause", 0x4, 3000},
        {"other channels: the voice moves on at the next frame", 0x3, 0},
        {"the second stopped while it waits: the first plays alone", 0x4, 0, false, true},
        {"a float second half", 0x4, 0, false, false, QV::media::Encoding::Float32},
        {"a float second half, both a fifth up", 0x4, 0, false, false, QV::media::Encoding::Float32, 700.0f},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        QV::media::Signal whole = QV::media::Sine(1000.0, 0.5, 2 * kHalfFrames, 48000, 0x4);
        // Cut at a crest, where a join that loses the last frame before it shows most.
        const uint32_t cut = kHalfFrames + 12;
        QV::media::Signal first = whole, second = whole;
        first.samples.resize(cut);
        second.samples.assign(whole.samples.begin() + cut, whole.samples.end());
        if (c.secondMask == 0x3) {
            second.channelMask = 0x3;
            second.samples.clear();
            for (uint32_t i = cut; i < 2 * kHalfFrames; ++i)
                second.samples.insert(second.samples.end(), 2, whole.samples[i]);
        }
        g_mediaByID[kMedia] = QV::media::Build(first, QV::media::Encoding::Pcm16);
        g_mediaByID[kMedia2] = QV::media::Build(second, c.secondEncoding);
        bw::NodeBase withEffect;
        withEffect.overrideEffects = true;
        if (c.throughEffect) withEffect.effects = {{0, kHalf}};
        withEffect.props = {bw::PropF(SxProp_Pitch, c.cents)};
        bw::NodeBase plainNode;
        plainNode.props = withEffect.props;
        LoadSoundNode(withEffect, 1);
        LoadSoundNode(plainNode, 1, kSound2, kEvent2, kMedia2);
        control::StartCapture();
        const SxPlayingID a = SoundEngine::PostEvent(kEvent, kGameObject, SxCallback_EndOfEvent, OnEvent);
        const SxPlayingID b = SoundEngine::PostEvent(kEvent2, kGameObject, SxCallback_EndOfEvent, OnEvent);
        // The play actions run, without a frame: their voices start with the next frame.
        SoundEngine::RenderAudio();
        g_pAudioMgr->Perform();
        ASSERT_EQ(qvtest::URendererProbe::ActiveCount(), 2u) << c.what;
        ASSERT_EQ(qvtest::VoiceProbe::VoiceCount(), 0u) << c.what;
        for (CSxPBI* pbi = CSxURenderer::FirstActive(); pbi; pbi = CSxURenderer::NextActive(pbi)) {
            pbi->SetContinuousSequence(7);
            if (pbi->PlayingID() == b) pbi->SetSampleOffset(c.secondOffset);
        }
        // After the join the effect serves the second instance.
        std::vector<SxPlayingID> effectFor;
        for (int frame = 0; frame < 50; ++frame) {
            if (frame == 5 && c.secondStopped)
                SoundEngine::ExecuteActionOnEvent(kEvent2, SxActionOnEvent_Stop, kGameObject);
            Frame();
            if (frame == 20)
                WithAudioLock([&] {
                    CSxLEngine::ForEachFxInstance(
                        SxFindEffectObject(kHalf, false),
                        [](ISxPlugin* plugin, SxGameObjectID, void* cookie) {
                            static_cast<std::vector<SxPlayingID>*>(cookie)->push_back(
                                static_cast<TestGainFX*>(plugin)->m_context->GetPlayingID());
                        },
                        &effectFor);
                });
        }
        EXPECT_EQ(effectFor, c.throughEffect ? std::vector<SxPlayingID>{b} : std::vector<SxPlayingID>{}) << c.what;
        const std::vector<float> left = TakeLeft();
        EXPECT_EQ(g_ended, c.secondStopped ? (std::vector<SxPlayingID>{b, a}) : (std::vector<SxPlayingID>{a, b}))
            << c.what;
        EXPECT_EQ(qvtest::VoiceProbe::VoiceCount(), 0u) << c.what;
        // The second half reaches both speakers at full gain when stereo, the centre's share
        // when mono: compare shapes, not levels, across the join.
        size_t start = 0;
        while (start < left.size() && left[start] == 0.0f) ++start;
        size_t end = left.size();
        while (end > start && left[end - 1] == 0.0f) --end;
        if (c.secondMask == 0x3) {
            EXPECT_NEAR(double(end - start), 2.0 * kHalfFrames, 1100.0) << c.what;
            continue;
        }
        if (c.secondStopped) {
            EXPECT_NEAR(double(end - start), double(cut), 3.0) << c.what;
            continue;
        }
        const double ratio = std::pow(2.0, c.cents / 1200.0);
        EXPECT_NEAR(double(end - start), 2.0 * kHalfFrames / ratio + c.secondOffset, 3.0) << c.what;
        if (c.secondOffset == 0) {
            const Tone tone = Measure(left);
            EXPECT_NEAR(tone.frequency, 1000.0 * ratio, 2.0 * ratio) << c.what;
            const double w = 2 * kPi * 1000.0 * ratio / 48000.0;
            const double level = c.throughEffect ? 0.5 * plain : plain;
            EXPECT_NEAR(tone.peak, level, level * 0.03) << c.what;
            EXPECT_LT(tone.largestStep, level * w * w * 1.5 + 4.0 / 32768) << c.what << ": no click at the join";
        } else {
            // The silence between them lasts exactly the offset.
            size_t longest = 0, run = 0;
            for (size_t i = start; i < end; ++i) {
                run = left[i] == 0.0f ? run + 1 : 0;
                longest = std::max(longest, run);
            }
            EXPECT_NEAR(double(longest), double(c.secondOffset), 3.0) << c.what;
        }
    }
}

}  // namespace
