// Insert effects a bank gives its sounds, heard through an engine started as the game starts
// it: the effect records found by the voices, and the bypass and effect changes that reach
// the voices while they play (actions, game parameters, the API).
#include "SxTestPlugins.h"
#include "SxVoiceFixture.h"

using namespace sxtest;

namespace {

constexpr SxUniqueID kHalfSet = 600, kQuarterCustom = 601, kEmptySet = 602, kDrivenSet = 603;
constexpr SxUniqueID kBypassEvent = 2000, kResetEvent = 2100;
constexpr uint32_t kGainParameter = 0x70;

bw::Bytes DbBlock(float db) {
    bw::Bytes block(4);
    std::memcpy(block.data(), &db, 4);
    return block;
}

// u8 bypass, u8 slot mask, no exceptions.
bw::Bytes BypassParams(bool bypass, uint8_t mask) { return {static_cast<uint8_t>(bypass), mask, 0, 0, 0, 0}; }

class BankInsertEffect : public VoiceFixture {
protected:
    void SetUp() override {
        VoiceFixture::SetUp();
        RegisterTestPlugins();
    }
    // The effect records, the sound with the node block, its play event, and a bypass event and
    // a reset event of the given action types on the sound.
    void Load(const bw::NodeBase& node, uint16_t bypassType = 0x1A03, uint8_t mask = 0x01,
              uint16_t resetType = 0x1B03) {
        bw::Effect half{kGainKey, DbBlock(-6.0206f), {}, {}};
        bw::Effect quarter{kGainKey, DbBlock(-12.0412f), {}, {}};
        bw::Effect empty;
        // The game parameter from 0 to 100 takes the gain from 0 to -12 dB.
        bw::Effect driven{kGainKey, DbBlock(0.0f), {}, {{kGainParameter, 0, 1, 0, {{0, 0, 4}, {100, -12.0412f, 4}}}}};
        bw::Source source;
        source.pluginID = 1 << 16 | 1;
        source.mediaID = kMedia;
        source.size = static_cast<uint32_t>(g_media.size());
        const bw::Bytes chunk = bw::HircChunk({
            bw::Record(SxHirc_FxShareSet, bw::EffectBody(kHalfSet, half)),
            bw::Record(SxHirc_FxCustom, bw::EffectBody(kQuarterCustom, quarter)),
            bw::Record(SxHirc_FxShareSet, bw::EffectBody(kEmptySet, empty)),
            bw::Record(SxHirc_FxShareSet, bw::EffectBody(kDrivenSet, driven)),
            bw::Record(SxHirc_Sound, bw::SoundBody(kSound, source, node)),
            bw::Record(SxHirc_Action, bw::ActionBody(kEvent + 1, 0x0403, kSound, {}, {}, bw::PlayParams(4, 0))),
            bw::Record(SxHirc_Event, bw::EventBody(kEvent, {kEvent + 1})),
            bw::Record(SxHirc_Action,
                       bw::ActionBody(kBypassEvent + 1, bypassType, kSound, {}, {}, BypassParams(true, mask))),
            bw::Record(SxHirc_Event, bw::EventBody(kBypassEvent, {kBypassEvent + 1})),
            bw::Record(SxHirc_Action,
                       bw::ActionBody(kResetEvent + 1, resetType, kSound, {}, {}, BypassParams(false, 0x1F))),
            bw::Record(SxHirc_Event, bw::EventBody(kResetEvent, {kResetEvent + 1})),
        });
        ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
        SoundEngine::RegisterGameObj(kGameObject);
        SoundEngine::RegisterGameObj(kGameObject + 1);
    }
    // A mono 1 kHz tone at half scale of whole cycles.
    static std::vector<uint8_t> ToneMedia(uint32_t frames) {
        return QV::media::Build(QV::media::Sine(1000.0, 0.5, frames, 48000, 0x4), QV::media::Encoding::Pcm16);
    }
    // The first sample that is not silent.
    static size_t Start(const std::vector<float>& left) {
        size_t at = 0;
        while (at < left.size() && left[at] == 0.0f) ++at;
        return at;
    }
    const double plain = 0.5 * LeftGain(0.0f);
};

TEST_F(BankInsertEffect, EffectRecordsOfTheBankShapeWhatIsHeard) {
    struct Case {
        const char* what;
        std::vector<bw::EffectSlot> effects;
        float parameter;  // the game parameter of the driven share set, for the game object
        double gain;
    } cases[] = {
        {"a share set", {{0, kHalfSet, 1}}, 0.0f, 0.5},
        {"a custom effect", {{1, kQuarterCustom, 0}}, 0.0f, 0.25},
        {"a share set and a custom effect", {{0, kHalfSet, 1}, {3, kQuarterCustom, 0}}, 0.0f, 0.125},
        {"a share set without a plug-in", {{0, kEmptySet, 1}}, 0.0f, 1.0},
        {"an effect the bank does not hold", {{0, 999, 1}}, 0.0f, 1.0},
        {"a game parameter on the effect's gain", {{0, kDrivenSet, 1}}, 50.0f, 0.5},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        g_media = ToneMedia(64 * 249);
        bw::NodeBase node;
        node.overrideEffects = true;
        node.effects = c.effects;
        Load(node);
        SoundEngine::SetRTPCValue(kGainParameter, c.parameter, kGameObject);
        SxPlayingID id = 0;
        const std::vector<float> left = PlayAndCapture(id);
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id}) << c.what;
        const Tone tone = Measure(left);
        EXPECT_NEAR(tone.peak, plain * c.gain, plain * c.gain * 0.03) << c.what;
        EXPECT_NEAR(tone.frequency, 1000.0, 3.0) << c.what;
        EXPECT_EQ(g_gain.inits, g_gain.terms) << c.what << ": every effect made is terminated";
    }
}

TEST_F(BankInsertEffect, EffectsOfAParentReachTheSoundsBelowIt) {
    g_media = ToneMedia(64 * 249);
    bw::NodeBase parent;
    parent.overrideEffects = true;
    parent.effects = {{0, kQuarterCustom, 0}};
    bw::NodeBase child;
    child.parentID = 40;
    bw::Source source;
    source.pluginID = 1 << 16 | 1;
    source.mediaID = kMedia;
    source.size = static_cast<uint32_t>(g_media.size());
    const bw::Bytes chunk = bw::HircChunk({
        bw::Record(SxHirc_FxCustom, bw::EffectBody(kQuarterCustom, {kGainKey, DbBlock(-12.0412f), {}, {}})),
        bw::Record(SxHirc_Sound, bw::SoundBody(kSound, source, child)),
        bw::Record(SxHirc_ActorMixer, bw::ActorMixerBody(40, parent, {kSound})),
        bw::Record(SxHirc_Action, bw::ActionBody(kEvent + 1, 0x0403, kSound, {}, {}, bw::PlayParams(4, 0))),
        bw::Record(SxHirc_Event, bw::EventBody(kEvent, {kEvent + 1})),
    });
    ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
    SoundEngine::RegisterGameObj(kGameObject);
    SxPlayingID id = 0;
    const std::vector<float> left = PlayAndCapture(id);
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
    EXPECT_NEAR(Measure(left).peak, plain * 0.25, plain * 0.25 * 0.03);
}

TEST_F(BankInsertEffect, BypassChangesReachTheVoiceWhilePlaying) {
    // Bypassed from frame 15 (the first effect of two or all of them), reset at frame 30.
    struct Case {
        const char* what;
        uint16_t bypassType, resetType;
        uint8_t mask;
        SxGameObjectID postedOn;
        double during;
    } cases[] = {
        {"slot 0 for the sound's game object", 0x1A03, 0x1B03, 0x01, kGameObject, 0.5},
        {"slot 0 for another game object", 0x1A03, 0x1B03, 0x01, kGameObject + 1, 0.125},
        {"slot 0 for every game object", 0x1A02, 0x1B02, 0x01, kGameObject, 0.5},
        {"every effect for the sound's game object", 0x1A03, 0x1B03, 0x10, kGameObject, 1.0},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        g_media = ToneMedia(64 * 800);
        bw::NodeBase node;
        node.overrideEffects = true;
        node.effects = {{0, kQuarterCustom, 0}, {2, kHalfSet, 1}};
        Load(node, c.bypassType, c.mask, c.resetType);
        control::StartCapture();
        const SxPlayingID id = SoundEngine::PostEvent(kEvent, kGameObject, SxCallback_EndOfEvent, OnEvent);
        for (int frame = 0; frame < 70; ++frame) {
            if (frame == 15) SoundEngine::PostEvent(kBypassEvent, c.postedOn);
            if (frame == 30) SoundEngine::PostEvent(kResetEvent, c.postedOn);
            Frame();
        }
        const std::vector<float> left = TakeLeft();
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id}) << c.what;
        const size_t at = Start(left);
        EXPECT_NEAR(PeakOf(left, at + 4 * 1024, at + 12 * 1024), plain * 0.125, plain * 0.125 * 0.03) << c.what;
        EXPECT_NEAR(PeakOf(left, at + 19 * 1024, at + 27 * 1024), plain * c.during, plain * c.during * 0.03) << c.what;
        EXPECT_NEAR(PeakOf(left, at + 36 * 1024, at + 46 * 1024), plain * 0.125, plain * 0.125 * 0.03) << c.what;
    }
}

TEST_F(BankInsertEffect, AGameParameterBypassesTheEffectWhilePlaying) {
    g_media = ToneMedia(64 * 800);
    bw::NodeBase node;
    node.overrideEffects = true;
    node.effects = {{0, kHalfSet, 1}};
    // Node parameter 24: the bypass of the first slot.
    node.rtpcs = {{kGainParameter, 24, 1, 0, {{0, 0, 4}, {1, 1, 4}}}};
    Load(node);
    control::StartCapture();
    SoundEngine::PostEvent(kEvent, kGameObject, SxCallback_EndOfEvent, OnEvent);
    for (int frame = 0; frame < 70; ++frame) {
        if (frame == 15) SoundEngine::SetRTPCValue(kGainParameter, 1.0f, kGameObject);
        if (frame == 30) SoundEngine::SetRTPCValue(kGainParameter, 0.0f, kGameObject);
        Frame();
    }
    const std::vector<float> left = TakeLeft();
    const size_t at = Start(left);
    EXPECT_NEAR(PeakOf(left, at + 4 * 1024, at + 12 * 1024), plain * 0.5, plain * 0.5 * 0.03);
    EXPECT_NEAR(PeakOf(left, at + 19 * 1024, at + 27 * 1024), plain, plain * 0.03);
    EXPECT_NEAR(PeakOf(left, at + 36 * 1024, at + 46 * 1024), plain * 0.5, plain * 0.5 * 0.03);
}

TEST_F(BankInsertEffect, AnEffectSetThroughTheApiTakesOverWhilePlaying) {
    g_media = ToneMedia(64 * 800);
    bw::NodeBase node;
    node.overrideEffects = true;
    node.effects = {{0, kHalfSet, 1}};
    Load(node);
    control::StartCapture();
    const SxPlayingID id = SoundEngine::PostEvent(kEvent, kGameObject, SxCallback_EndOfEvent, OnEvent);
    for (int frame = 0; frame < 70; ++frame) {
        if (frame == 15) SoundEngine::SetEffect(kSound, 0, kQuarterCustom);
        if (frame == 30) SoundEngine::SetEffect(kSound, 0, 0);
        Frame();
    }
    const std::vector<float> left = TakeLeft();
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
    EXPECT_EQ(g_gain.inits, g_gain.terms);
    const size_t at = Start(left);
    EXPECT_NEAR(PeakOf(left, at + 4 * 1024, at + 12 * 1024), plain * 0.5, plain * 0.5 * 0.03);
    EXPECT_NEAR(PeakOf(left, at + 19 * 1024, at + 27 * 1024), plain * 0.25, plain * 0.25 * 0.03);
    EXPECT_NEAR(PeakOf(left, at + 36 * 1024, at + 46 * 1024), plain, plain * 0.03);
}

}  // namespace
