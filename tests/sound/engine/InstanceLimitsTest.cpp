#include <gtest/gtest.h>

#include <set>

#include "SxHierarchyFixture.h"
#include "SxStopOnlyVoices.h"
#include "sound/engine/hierarchy/CSxSound.h"
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/upper/CSxURenderer.h"

using namespace SX;
namespace bw = bankwriter;

namespace {

// Two sounds (1 and 2) under a mixer (10); events 101 and 102 play them.
class InstanceLimits : public sxtest::HierarchyEngine {
protected:
    void SetUp() override {
        HierarchyEngine::SetUp();
        CSxLEngineCmds::SetVoiceLayer(&voices);
        for (SxGameObjectID object : {5u, 6u}) SoundEngine::RegisterGameObj(object);
        voiceLimit = g_u16MaxNumVoices;
    }
    void TearDown() override {
        CSxLEngineCmds::SetVoiceLayer(nullptr);
        g_u16MaxNumVoices = voiceLimit;
        SoundEngine::ResetSettingOwners();
        HierarchyEngine::TearDown();
    }
    uint16_t voiceLimit = 0;
    void LoadTree(const bw::NodeBase& sound1, const bw::NodeBase& sound2, const bw::NodeBase& mixer) {
        ASSERT_EQ(Load({bw::Record(SxHirc_Sound, bw::SoundBody(1, bw::Source(), sound1)),
                        bw::Record(SxHirc_Sound, bw::SoundBody(2, bw::Source(), sound2)),
                        bw::Record(SxHirc_ActorMixer, bw::ActorMixerBody(10, mixer, {1, 2})),
                        bw::Record(SxHirc_Action, bw::ActionBody(201, 0x0403, 1, {}, {}, bw::PlayParams(4, 0))),
                        bw::Record(SxHirc_Action, bw::ActionBody(202, 0x0403, 2, {}, {}, bw::PlayParams(4, 0))),
                        bw::Record(SxHirc_Event, bw::EventBody(101, {201})),
                        bw::Record(SxHirc_Event, bw::EventBody(102, {202}))}),
                  SX_Success);
    }
    // Posts and runs one frame: the instance plays, or the play was refused.
    SxPlayingID Play(SxUniqueID event, SxGameObjectID object) {
        const SxPlayingID id = SoundEngine::PostEvent(event, object);
        RunFrame();
        return id;
    }
    std::set<SxPlayingID> Playing() {
        std::set<SxPlayingID> ids;
        for (CSxPBI* i = CSxURenderer::FirstActive(); i; i = CSxURenderer::NextActive(i)) ids.insert(i->PlayingID());
        return ids;
    }
    sxtest::HeldVoices voices;
};

TEST_F(InstanceLimits, AParentsGlobalLimitRefusesTheNewestOrEvictsTheOldest) {
    for (bool killNewest : {true, false}) {
        bw::NodeBase mixer;
        mixer.advanced.maxInstances = 2;
        mixer.advanced.killNewest = killNewest;
        LoadTree(bw::NodeBase(), bw::NodeBase(), mixer);
        const SxPlayingID first = Play(101, 5), second = Play(102, 6);
        const SxPlayingID third = Play(101, 5);
        if (killNewest)
            EXPECT_EQ(Playing(), (std::set<SxPlayingID>{first, second})) << "the third, of equal priority, is refused";
        else
            EXPECT_EQ(Playing(), (std::set<SxPlayingID>{second, third})) << "the oldest makes room";
        SoundEngine::StopAll();
        RunFrame();
        Unload();
    }
}

TEST_F(InstanceLimits, APerObjectLimitCountsEachGameObjectApart) {
    bw::NodeBase sound;
    sound.advanced.maxInstances = 1;
    sound.advanced.globalLimit = false;
    sound.advanced.overrideLimit = true;
    LoadTree(sound, bw::NodeBase(), bw::NodeBase());
    const SxPlayingID onFive = Play(101, 5), onSix = Play(101, 6);
    EXPECT_EQ(Playing(), (std::set<SxPlayingID>{onFive, onSix}));
    const SxPlayingID again = Play(101, 5);
    EXPECT_EQ(Playing(), (std::set<SxPlayingID>{onSix, again})) << "the older one on object 5 made room";
    const SxPlayingID other = Play(102, 5);
    EXPECT_EQ(Playing().count(other), 1u) << "another sound has no limit of its own";
}

TEST_F(InstanceLimits, TheVoiceLimitRefusesOrEvictsByPriorityAndBehaviour) {
    struct Case {
        const char* what;
        float newPriority;
        uint8_t newBehavior, oldBehavior;
        bool newPlays, oldStays;
    } cases[] = {
        {"equal priority, kill: refused", 50.0f, 1, 1, false, true},
        {"equal priority, go on: plays beside", 50.0f, 0, 1, true, true},
        {"higher priority evicts a killable one", 51.0f, 1, 1, true, false},
        {"higher priority leaves one never evicted", 51.0f, 2, 0, true, true},
    };
    for (const Case& c : cases) {
        bw::NodeBase oldSound, newSound;
        oldSound.advanced.belowThresholdBehavior = c.oldBehavior;
        newSound.advanced.belowThresholdBehavior = c.newBehavior;
        oldSound.advanced.overrideVirtual = newSound.advanced.overrideVirtual = true;  // not the mixer's
        newSound.overridePriority = true;
        newSound.props = {bw::PropF(SxProp_Priority, c.newPriority)};
        LoadTree(oldSound, newSound, bw::NodeBase());
        SoundEngine::SetMaxNumVoicesLimitInternal(1, 0);
        const SxPlayingID old = Play(101, 5);
        const SxPlayingID added = Play(102, 5);
        EXPECT_EQ(Playing().count(added), c.newPlays ? 1u : 0u) << c.what;
        EXPECT_EQ(Playing().count(old), c.oldStays ? 1u : 0u) << c.what;
        SoundEngine::SetMaxNumVoicesLimitInternal(voiceLimit, 0);
        SoundEngine::StopAll();
        RunFrame();
        Unload();
    }
}

TEST_F(InstanceLimits, AboveTheMemoryThresholdANewInstanceEvictsAWeakerOneOrIsRefused) {
    for (const char* pool : {"default", "lower engine"}) {
        bw::NodeBase weak, strong;
        strong.overridePriority = true;
        strong.props = {bw::PropF(SxProp_Priority, 60.0f)};
        LoadTree(bw::NodeBase(), weak, bw::NodeBase());
        const SxPlayingID first = Play(101, 5);  // priority 50, threshold off
        {
            platform::Lock lock(g_csMain);
            const bool onDefault = pool == std::string("default");
            CSxURenderer::SetMemoryThresholds(onDefault ? 1e-6f : 1.0f, onDefault ? 1.0f : 1e-6f);
        }
        Play(102, 5);
        EXPECT_EQ(Playing(), (std::set<SxPlayingID>{first})) << pool << ": a new instance of equal priority is refused";
        Unload();
        LoadTree(bw::NodeBase(), strong, bw::NodeBase());
        const SxPlayingID stronger = Play(102, 5);
        EXPECT_EQ(Playing(), (std::set<SxPlayingID>{stronger})) << pool << ": the weaker one made room";
        {
            platform::Lock lock(g_csMain);
            CSxURenderer::SetMemoryThresholds(1.0f, 1.0f);
        }
        SoundEngine::StopAll();
        RunFrame();
        Unload();
    }
}

TEST_F(InstanceLimits, LimitsLoweredWhilePlayingStopOrSendVirtualTheNewestEachFrame) {
    for (uint8_t behavior : {1, 2}) {
        bw::NodeBase sound;
        sound.advanced.belowThresholdBehavior = behavior;
        sound.advanced.overrideVirtual = true;
        LoadTree(sound, bw::NodeBase(), bw::NodeBase());
        std::vector<SxPlayingID> ids;
        for (int i = 0; i < 4; ++i) ids.push_back(Play(101, 5));
        SoundEngine::SetMaxNumVoicesLimitInternal(2, 0);
        RunFrame();
        if (behavior == 1) {
            EXPECT_EQ(Playing(), (std::set<SxPlayingID>{ids[0], ids[1]})) << "the newest two are stopped";
        } else {
            EXPECT_EQ(Playing().size(), 4u);
            std::set<SxPlayingID> sentVirtual;
            for (CSxPBI* i = CSxURenderer::FirstActive(); i; i = CSxURenderer::NextActive(i))
                if (i->IsSentVirtual()) sentVirtual.insert(i->PlayingID());
            EXPECT_EQ(sentVirtual, (std::set<SxPlayingID>{ids[2], ids[3]})) << "the newest two go virtual";
        }
        SoundEngine::SetMaxNumVoicesLimitInternal(voiceLimit, 0);
        SoundEngine::StopAll();
        RunFrame();
        Unload();
    }
}

TEST_F(InstanceLimits, AGameParameterThatLowersANodesLimitTakesEffectNextFrame) {
    bw::NodeBase sound;
    sound.advanced.maxInstances = 8;
    sound.advanced.killNewest = true;
    sound.advanced.overrideLimit = true;
    sound.rtpcs = {{0x99, SxRTPC_MaxInstances, 0, 0, {{0, 0, SxCurve_Linear}, {100, 100, SxCurve_Linear}}}};
    LoadTree(sound, bw::NodeBase(), bw::NodeBase());
    SoundEngine::SetRTPCValue(0x99, 4.0f);
    std::vector<SxPlayingID> ids;
    for (int i = 0; i < 4; ++i) ids.push_back(Play(101, 5));
    EXPECT_EQ(Playing().size(), 4u);
    SoundEngine::SetRTPCValue(0x99, 1.0f);
    RunFrame();
    EXPECT_EQ(Playing(), (std::set<SxPlayingID>{ids[0]})) << "the oldest stays";
}

}  // namespace
