// Buses of a bank that have effects or feed environments mix their sounds in nodes of their
// own, heard through an engine started as the game starts it: their effects and environment
// sends apply once, and their volumes once.
#include "SxTestPlugins.h"
#include "SxVoiceFixture.h"
#include "sound/engine/buses/CSxBus.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/lower/CSxLEngine.h"

using namespace sxtest;

namespace {

constexpr SxUniqueID kHalfSet = 600, kEnvSet = 610;
constexpr SxUniqueID kMaster = 1, kFxBus = 10, kEnvBus = 11, kBelowFxBus = 12;
constexpr SxUniqueID kBypassEvent = 2000, kResetEvent = 2100;
constexpr uint32_t kBypassParameter = 0x71;

// u8 bypass, u8 slot mask, no exceptions.
bw::Bytes BypassParams(bool bypass, uint8_t mask) { return {static_cast<uint8_t>(bypass), mask, 0, 0, 0, 0}; }

bw::Bytes DbBlock(float db) {
    bw::Bytes block(4);
    std::memcpy(block.data(), &db, 4);
    return block;
}

class BankMixBus : public VoiceFixture {
protected:
    void SetUp() override {
        VoiceFixture::SetUp();
        RegisterTestPlugins();
        g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, 64 * 249, 48000, 0x4), QV::media::Encoding::Pcm16);
    }
    // The master bus at -6 dB; below it a bus at -6 dB with a -6 dB effect and a plain bus at
    // -6 dB below that one; an environmental bus; the sound routed to one of them.
    void Load(SxUniqueID soundBus, bool masterEffect = false, bool bypassParameter = false) {
        bw::Bus master;
        master.props = {bw::PropF(0, -6.0206f)};
        if (masterEffect) master.effects = {{1, kHalfSet, 1}};
        bw::Bus fx;
        fx.parentBusID = kMaster;
        fx.props = {bw::PropF(0, -6.0206f)};
        fx.effects = {{0, kHalfSet, 1}};
        // Node parameter 24: the bypass of the first slot.
        if (bypassParameter) fx.rtpcs = {{kBypassParameter, 24, 1, 0, {{0, 0, 4}, {1, 1, 4}}}};
        bw::Bus below;
        below.parentBusID = kFxBus;
        below.props = {bw::PropF(0, -6.0206f)};
        bw::Bus env;
        env.parentBusID = kMaster;
        env.environmental = true;
        bw::NodeBase node;
        node.busID = soundBus;
        bw::Source source;
        source.pluginID = 1 << 16 | 1;
        source.mediaID = kMedia;
        source.size = static_cast<uint32_t>(g_media.size());
        const bw::Bytes chunk = bw::HircChunk({
            bw::Record(SxHirc_FxShareSet, bw::EffectBody(kHalfSet, {kGainKey, DbBlock(-6.0206f), {}, {}})),
            bw::Record(SxHirc_FxShareSet, bw::EffectBody(kEnvSet, {kGainKey, DbBlock(-6.0206f), {}, {}})),
            bw::Record(SxHirc_Bus, bw::BusBody(kMaster, master)),
            bw::Record(SxHirc_Bus, bw::BusBody(kFxBus, fx)),
            bw::Record(SxHirc_Bus, bw::BusBody(kBelowFxBus, below)),
            bw::Record(SxHirc_Bus, bw::BusBody(kEnvBus, env)),
            bw::Record(SxHirc_Sound, bw::SoundBody(kSound, source, node)),
            bw::Record(SxHirc_Action, bw::ActionBody(kEvent + 1, 0x0403, kSound, {}, {}, bw::PlayParams(4, 0))),
            bw::Record(SxHirc_Event, bw::EventBody(kEvent, {kEvent + 1})),
            bw::Record(SxHirc_Action,
                       bw::ActionBody(kBypassEvent + 1, 0x1A02, kFxBus, {}, {}, BypassParams(true, 0x01))),
            bw::Record(SxHirc_Event, bw::EventBody(kBypassEvent, {kBypassEvent + 1})),
            bw::Record(SxHirc_Action,
                       bw::ActionBody(kResetEvent + 1, 0x1B02, kFxBus, {}, {}, BypassParams(false, 0x1F))),
            bw::Record(SxHirc_Event, bw::EventBody(kResetEvent, {kResetEvent + 1})),
        });
        ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
        SoundEngine::RegisterGameObj(kGameObject);
    }
    // Plays the sound to its end; the largest number of bus nodes and environment nodes seen.
    std::vector<float> Play(uint32_t& busNodes, uint32_t& envNodes) {
        control::StartCapture();
        const SxPlayingID id = SoundEngine::PostEvent(kEvent, kGameObject, SxCallback_EndOfEvent, OnEvent);
        busNodes = envNodes = 0;
        for (int frame = 0; frame < 30; ++frame) {
            Frame();
            busNodes = std::max(busNodes, CSxLEngine::BusNodeCount());
            envNodes = std::max(envNodes, CSxLEngine::EnvNodeCount());
        }
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
        return TakeLeft();
    }
    const double plain = 0.5 * LeftGain(0.0f);
};

TEST_F(BankMixBus, EffectsOfABusApplyInItsNodeAndItsVolumesOnce) {
    struct Case {
        const char* what;
        SxUniqueID bus;
        bool masterEffect;
        uint32_t busNodes;
        double gain;
    } cases[] = {
        {"the master bus: its volume", kMaster, false, 1, 0.5},
        {"a bus with an effect: the effect and both volumes", kFxBus, false, 1, 0.125},
        {"a bus below it: its volume too, mixed in the node above", kBelowFxBus, false, 1, 0.0625},
        {"a master bus with an effect: in the master node", kMaster, true, 1, 0.25},
        {"a bus with an effect below a master bus with one: its node, into the master node", kFxBus, true, 1, 0.0625},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        Load(c.bus, c.masterEffect);
        uint32_t busNodes = 0, envNodes = 0;
        const Tone tone = Measure(Play(busNodes, envNodes));
        EXPECT_EQ(busNodes, c.busNodes) << c.what;
        EXPECT_EQ(envNodes, 0u) << c.what;
        EXPECT_NEAR(tone.peak, plain * c.gain, plain * c.gain * 0.03) << c.what;
        EXPECT_NEAR(tone.frequency, 1000.0, 3.0) << c.what;
        EXPECT_NEAR(double(tone.last - tone.first), 64.0 * 249, 1000.0) << c.what;
        // The master node keeps its effects until it makes them afresh or the engine stops.
        EXPECT_EQ(g_gain.inits - g_gain.terms, c.masterEffect ? 1 : 0) << c.what;
    }
}

// A mix node counts as activity on its bus and on every bus above it while it exists, so those
// buses take all their game-parameter values; the counts go back to 0 with the node.
TEST_F(BankMixBus, ABusCountsTheMixNodesOnItAndBelowIt) {
    struct Case {
        const char* what;
        SxUniqueID route;
        std::map<SxUniqueID, uint32_t> counted;  // the most seen on each bus while playing
    } cases[] = {
        {"below the effect bus: the effect bus's node",
         kBelowFxBus,
         {{kMaster, 1}, {kFxBus, 1}, {kBelowFxBus, 0}, {kEnvBus, 0}}},
        {"the master bus: its own node", kMaster, {{kMaster, 1}, {kFxBus, 0}, {kBelowFxBus, 0}, {kEnvBus, 0}}},
    };
    auto activity = [](SxUniqueID id, bool& active) {
        platform::Lock lock(g_csMain);
        CSxIndexable* found = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, id);
        if (!found) return ~0u;
        const auto* bus = static_cast<const CSxBus*>(found);
        const uint32_t count = bus->ActivityCount();
        active = bus->IsActiveForRTPC();
        found->Release();
        return count;
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        Load(c.route);
        std::map<SxUniqueID, uint32_t> most;
        const SxPlayingID id = SoundEngine::PostEvent(kEvent, kGameObject, SxCallback_EndOfEvent, OnEvent);
        for (int frame = 0; frame < 30; ++frame) {
            Frame();
            for (const auto& expected : c.counted) {
                bool active = false;
                const uint32_t count = activity(expected.first, active);
                most[expected.first] = std::max(most[expected.first], count);
                EXPECT_TRUE(active || count == 0) << c.what << ", bus " << expected.first;
            }
        }
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id}) << c.what;
        EXPECT_EQ(most, c.counted) << c.what;
        for (int frame = 0; frame < 4; ++frame) Frame();
        EXPECT_EQ(CSxLEngine::BusNodeCount(), 0u) << c.what;
        for (const auto& expected : c.counted) {
            bool active = true;
            EXPECT_EQ(activity(expected.first, active), 0u) << c.what << ", bus " << expected.first;
            EXPECT_FALSE(active) << c.what << ", bus " << expected.first;
        }
    }
}

TEST_F(BankMixBus, BypassOfABusReachesItsNodeWhilePlaying) {
    // Bypassed at frame 15, back at frame 30, by actions or by the bus's game parameter.
    for (const bool byParameter : {false, true}) {
        TearDown();
        SetUp();
        g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, 64 * 800, 48000, 0x4), QV::media::Encoding::Pcm16);
        Load(kFxBus, false, byParameter);
        control::StartCapture();
        const SxPlayingID id = SoundEngine::PostEvent(kEvent, kGameObject, SxCallback_EndOfEvent, OnEvent);
        for (int frame = 0; frame < 70; ++frame) {
            if (frame == 15 && byParameter) SoundEngine::SetRTPCValue(kBypassParameter, 1.0f);
            if (frame == 30 && byParameter) SoundEngine::SetRTPCValue(kBypassParameter, 0.0f);
            if (frame == 15 && !byParameter) SoundEngine::PostEvent(kBypassEvent, kGameObject);
            if (frame == 30 && !byParameter) SoundEngine::PostEvent(kResetEvent, kGameObject);
            Frame();
        }
        const std::vector<float> left = TakeLeft();
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id}) << byParameter;
        size_t at = 0;
        while (at < left.size() && left[at] == 0.0f) ++at;
        EXPECT_NEAR(PeakOf(left, at + 4 * 1024, at + 12 * 1024), plain * 0.125, plain * 0.125 * 0.03) << byParameter;
        EXPECT_NEAR(PeakOf(left, at + 19 * 1024, at + 27 * 1024), plain * 0.25, plain * 0.25 * 0.03) << byParameter;
        EXPECT_NEAR(PeakOf(left, at + 36 * 1024, at + 46 * 1024), plain * 0.125, plain * 0.125 * 0.03) << byParameter;
    }
}

TEST_F(BankMixBus, AnEffectSetOnABusThroughTheApiTakesOverWhilePlaying) {
    // The effect goes, then comes back in the master bus, which becomes a mix bus with it.
    g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, 64 * 800, 48000, 0x4), QV::media::Encoding::Pcm16);
    Load(kFxBus);
    control::StartCapture();
    const SxPlayingID id = SoundEngine::PostEvent(kEvent, kGameObject, SxCallback_EndOfEvent, OnEvent);
    for (int frame = 0; frame < 70; ++frame) {
        if (frame == 15) SoundEngine::SetEffect(kFxBus, 0, 0);
        if (frame == 30) SoundEngine::SetEffect(kMaster, 2, kHalfSet);
        Frame();
    }
    const std::vector<float> left = TakeLeft();
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
    EXPECT_EQ(g_gain.inits - g_gain.terms, 1) << "the master node keeps its effect";
    size_t at = 0;
    while (at < left.size() && left[at] == 0.0f) ++at;
    EXPECT_NEAR(PeakOf(left, at + 4 * 1024, at + 12 * 1024), plain * 0.125, plain * 0.125 * 0.03);
    EXPECT_NEAR(PeakOf(left, at + 19 * 1024, at + 27 * 1024), plain * 0.25, plain * 0.25 * 0.03);
    EXPECT_NEAR(PeakOf(left, at + 36 * 1024, at + 46 * 1024), plain * 0.125, plain * 0.125 * 0.03);
}

TEST_F(BankMixBus, AnEnvironmentalBusSendsToTheEnvironmentsOfItsGameObject) {
    // The send goes through the environment's share set (-6 dB); the master bus halves all.
    struct Case {
        const char* what;
        SxUniqueID bus;
        float dry, send;
        bool bypass;
        float speakerVolume;
        uint32_t envNodes;
        double gain;
    } cases[] = {
        {"dry only", kEnvBus, 1.0f, 0.0f, false, 1.0f, 0, 0.5},
        {"the send alone, through the environment's effect", kEnvBus, 0.0f, 1.0f, false, 1.0f, 1, 0.25},
        {"dry and send", kEnvBus, 1.0f, 1.0f, false, 1.0f, 1, 0.75},
        {"the send with the environment bypassed", kEnvBus, 0.0f, 1.0f, true, 1.0f, 1, 0.5},
        {"the send at the environment's speaker volume", kEnvBus, 0.0f, 1.0f, false, 0.5f, 1, 0.125},
        {"a bus that feeds no environment", kMaster, 0.0f, 1.0f, false, 1.0f, 0, 0.5},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        Load(c.bus);
        const SxEnvironmentValue send{kEnvSet, c.send};
        SoundEngine::SetGameObjectDryLevelValue(kGameObject, c.dry);
        SoundEngine::SetGameObjectEnvironmentsValues(kGameObject, &send, c.send > 0.0f ? 1 : 0);
        SoundEngine::BypassEnvironment(kEnvSet, c.bypass);
        const float volumes[6] = {c.speakerVolume, c.speakerVolume, c.speakerVolume,
                                  c.speakerVolume, c.speakerVolume, c.speakerVolume};
        SoundEngine::SetEnvironmentVolumes(kEnvSet, volumes);
        uint32_t busNodes = 0, envNodes = 0;
        const Tone tone = Measure(Play(busNodes, envNodes));
        EXPECT_EQ(envNodes, c.envNodes) << c.what;
        EXPECT_EQ(CSxLEngine::EnvNodeCount(), 0u) << c.what << ": environments that hear nothing go";
        EXPECT_NEAR(tone.peak, plain * c.gain, plain * c.gain * 0.03) << c.what;
        EXPECT_NEAR(tone.frequency, 1000.0, 3.0) << c.what;
    }
}

TEST_F(BankMixBus, AnEffectUnloadedWhileItRunsLeavesEveryNodeThatHeldIt) {
    // The master's effect and the bus's share one setting; it goes at frame 15.
    g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, 64 * 800, 48000, 0x4), QV::media::Encoding::Pcm16);
    Load(kFxBus, true);
    control::StartCapture();
    SoundEngine::PostEvent(kEvent, kGameObject);
    for (int frame = 0; frame < 30; ++frame) {
        if (frame == 15) {
            platform::Lock lock(g_csMain);
            const auto effect = std::find_if(loaded.begin(), loaded.end(), [](CSxIndexable* object) {
                return object->ID() == kHalfSet && object->Table() == SxIndex_FxShareSet;
            });
            ASSERT_NE(effect, loaded.end());
            (*effect)->Release();
            loaded.erase(effect);
            EXPECT_EQ(g_gain.inits, g_gain.terms) << "no plug-in of the effect is left running";
        }
        Frame();
    }
    const std::vector<float> left = TakeLeft();
    size_t at = 0;
    while (at < left.size() && left[at] == 0.0f) ++at;
    EXPECT_NEAR(PeakOf(left, at + 4 * 1024, at + 12 * 1024), plain * 0.0625, plain * 0.0625 * 0.03);
    EXPECT_NEAR(PeakOf(left, at + 17 * 1024, at + 25 * 1024), plain * 0.25, plain * 0.25 * 0.03);
}

TEST_F(BankMixBus, AnEffectLoadedAgainComesBackInTheNodesThatLostIt) {
    // Unloaded at frame 15, loaded again at frame 30, while the sound plays on.
    struct Case {
        const char* what;
        SxUniqueID bus, effect;
        bool masterEffect, send;
        double withEffect, without;
    } cases[] = {
        {"a bus's effect", kFxBus, kHalfSet, false, false, 0.125, 0.25},
        {"the master bus's effect", kMaster, kHalfSet, true, false, 0.25, 0.5},
        {"an environment's effect", kEnvBus, kEnvSet, false, true, 0.25, 0.5},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, 64 * 800, 48000, 0x4), QV::media::Encoding::Pcm16);
        Load(c.bus, c.masterEffect);
        const SxEnvironmentValue send{kEnvSet, 1.0f};
        if (c.send) {
            SoundEngine::SetGameObjectDryLevelValue(kGameObject, 0.0f);
            SoundEngine::SetGameObjectEnvironmentsValues(kGameObject, &send, 1);
        }
        control::StartCapture();
        SoundEngine::PostEvent(kEvent, kGameObject);
        for (int frame = 0; frame < 48; ++frame) {
            if (frame == 15) {
                platform::Lock lock(g_csMain);
                const auto effect = std::find_if(loaded.begin(), loaded.end(), [&](CSxIndexable* object) {
                    return object->ID() == c.effect && object->Table() == SxIndex_FxShareSet;
                });
                ASSERT_NE(effect, loaded.end());
                (*effect)->Release();
                loaded.erase(effect);
            }
            if (frame == 30) {
                const bw::Bytes chunk = bw::HircChunk(
                    {bw::Record(SxHirc_FxShareSet, bw::EffectBody(c.effect, {kGainKey, DbBlock(-6.0206f), {}, {}}))});
                ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
            }
            Frame();
        }
        const std::vector<float> left = TakeLeft();
        size_t at = 0;
        while (at < left.size() && left[at] == 0.0f) ++at;
        const double with = plain * c.withEffect, without = plain * c.without;
        EXPECT_NEAR(PeakOf(left, at + 4 * 1024, at + 12 * 1024), with, with * 0.03) << c.what;
        EXPECT_NEAR(PeakOf(left, at + 18 * 1024, at + 27 * 1024), without, without * 0.03) << c.what;
        EXPECT_NEAR(PeakOf(left, at + 33 * 1024, at + 42 * 1024), with, with * 0.03) << c.what;
    }
}

}  // namespace
