#include <gtest/gtest.h>

#include "SxHierarchyFixture.h"
#include "SxStopOnlyVoices.h"
#include "sound/engine/hierarchy/CSxSound.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "tests/sound/engine/SxRenderProbes.h"
#include "tests/sound/engine/SxStateProbes.h"

using namespace SX;
namespace bw = bankwriter;

namespace {

constexpr uint32_t kSpeed = 0x55;                                  // a game parameter
constexpr uint32_t kGroup = 0x300, kCalm = 0x301, kStorm = 0x302;  // a state group and two states
constexpr SxUniqueID kTop = 10, kMiddle = 11, kLeaf = 12, kPlay = 900;

bw::RTPCCurve Linear(uint32_t param, float y0, float y100) {
    return bw::RTPCCurve{kSpeed, param, 0, 0, {{0.0f, y0, SxCurve_Linear}, {100.0f, y100, SxCurve_Linear}}};
}

class Parameters : public sxtest::HierarchyEngine {
protected:
    void SetUp() override {
        HierarchyEngine::SetUp();
        CSxLEngineCmds::SetVoiceLayer(&voices);
    }
    void TearDown() override {
        CSxLEngineCmds::SetVoiceLayer(nullptr);
        HierarchyEngine::TearDown();
    }
    // Plays the leaf on game object 5 and answers its instance with fresh parameters.
    CSxPBI* PlayLeaf() {
        SoundEngine::RegisterGameObj(5);
        SoundEngine::PostEvent(kPlay, 5);
        RunFrame();
        return Refreshed();
    }
    CSxPBI* Refreshed() {
        CSxPBI* instance = CSxURenderer::FirstActive();
        if (instance) {
            platform::Lock lock(g_csMain);
            instance->RefreshParameters();
        }
        return instance;
    }
    std::vector<bw::Bytes> PlayRecords(const bw::NodeBase& leaf) {
        return {bw::Record(SxHirc_Sound, bw::SoundBody(kLeaf, bw::Source(), leaf)),
                bw::Record(SxHirc_Action, bw::ActionBody(kPlay + 1, 0x0403, kLeaf, {}, {}, bw::PlayParams(4, 0))),
                bw::Record(SxHirc_Event, bw::EventBody(kPlay, {kPlay + 1}))};
    }
    sxtest::HeldVoices voices;
};

// Worked out by hand: the leaf, the middle mixer with its state and a pitch curve, the top
// mixer with a volume curve and the priority.
TEST_F(Parameters, ThreeLevelsAddUpWithCurvesAndStates) {
    bw::NodeBase leaf, middle, top;
    leaf.props = {bw::PropF(SxProp_Volume, -0.5f), bw::PropF(SxProp_Pitch, -50.0f), bw::PropF(SxProp_LPF, 20.0f),
                  bw::PropF(SxProp_LFE, -1.0f)};
    middle.props = {bw::PropF(SxProp_Volume, -1.5f), bw::PropF(SxProp_LPF, 10.0f)};
    middle.stateGroups = {{kGroup, 0, {{kCalm, 5000}}}};
    middle.rtpcs = {Linear(SxRTPC_Pitch, 0.0f, 1200.0f)};
    top.props = {bw::PropF(SxProp_Volume, -2.0f), bw::PropF(SxProp_Pitch, 100.0f), bw::PropF(SxProp_LPF, 5.0f),
                 bw::PropF(SxProp_Priority, 70.0f)};
    top.overridePriority = true;
    top.rtpcs = {Linear(SxRTPC_Volume, -12.0f, 0.0f)};
    std::vector<bw::Bytes> records = PlayRecords(leaf);
    records.push_back(bw::Record(
        SxHirc_State, bw::StateBody(5000, {bw::PropF(SxProp_Volume, -3.0f), bw::PropF(SxProp_Pitch, 200.0f)})));
    records.push_back(bw::Record(SxHirc_ActorMixer, bw::ActorMixerBody(kMiddle, middle, {kLeaf})));
    records.push_back(bw::Record(SxHirc_ActorMixer, bw::ActorMixerBody(kTop, top, {kMiddle})));
    ASSERT_EQ(Load(records), SX_Success);
    SoundEngine::SetState(kGroup, kCalm);
    SoundEngine::SetRTPCValue(kSpeed, 50.0f);

    CSxPBI* instance = PlayLeaf();
    ASSERT_NE(instance, nullptr);
    struct Expect {
        const char* what;
        float volume, pitch, lpf, lfe;
    };
    // Each change invalidates the instance's parameters; the next refresh sees it.
    auto check = [&](const Expect& e) {
        ASSERT_EQ(Refreshed(), instance);
        EXPECT_FLOAT_EQ(qvtest::PBIProbe::Sums(*instance).volume, e.volume) << e.what;
        EXPECT_FLOAT_EQ(instance->Pitch(), e.pitch) << e.what;
        EXPECT_FLOAT_EQ(instance->LPF(), e.lpf) << e.what;
        EXPECT_FLOAT_EQ(qvtest::PBIProbe::Sums(*instance).lfe, e.lfe) << e.what;
        EXPECT_FLOAT_EQ(instance->EffectiveVolume(), e.volume) << e.what;
    };
    // volume -0.5 - 1.5 - 3 (state) - 2 - 6 (curve at 50); pitch -50 + 600 (curve) + 200 (state) + 100.
    check({"calm, speed 50", -13.0f, 850.0f, 35.0f, -1.0f});
    EXPECT_FLOAT_EQ(instance->Priority(), 70.0f) << "the top's override decides";

    SoundEngine::SetRTPCValue(kSpeed, 100.0f, 5);
    ApplyMessages();
    check({"the object's own speed 100", -7.0f, 1450.0f, 35.0f, -1.0f});
    SoundEngine::SetState(kGroup, kStorm);
    ApplyMessages();
    check({"a state without values", -4.0f, 1250.0f, 35.0f, -1.0f});
    SoundEngine::ResetRTPCValue(kSpeed, 5);
    SoundEngine::SetState(kGroup, kCalm);
    ApplyMessages();
    check({"back to calm and the global speed", -13.0f, 850.0f, 35.0f, -1.0f});
}

TEST_F(Parameters, RandomOffsetsAreDrawnOnceAndVolumesNeverExceedZero) {
    bw::NodeBase leaf;
    leaf.props = {bw::PropF(SxProp_Volume, 6.0f)};
    leaf.ranges = {bw::RangeF(SxProp_Pitch, -100.0f, 100.0f), bw::RangeF(SxProp_LFE, -3.0f, -3.0f)};
    ASSERT_EQ(Load(PlayRecords(leaf)), SX_Success);
    CSxPBI* instance = PlayLeaf();
    ASSERT_NE(instance, nullptr);
    const float pitch = instance->Pitch();
    EXPECT_GE(pitch, -100.0f);
    EXPECT_LE(pitch, 100.0f);
    EXPECT_FLOAT_EQ(qvtest::PBIProbe::RandomOffsets(*instance).lfe, -3.0f) << "an empty range gives its minimum";
    EXPECT_FLOAT_EQ(instance->EffectiveVolume(), 0.0f) << "+6 dB from the tree contributes 0";
    {
        platform::Lock lock(g_csMain);
        Find<CSxSound>(SxIndex_Node, kLeaf)->RecalcNotification();
    }
    EXPECT_FLOAT_EQ(Refreshed()->Pitch(), pitch) << "a recalculation keeps the offsets drawn";
}

TEST_F(Parameters, PositioningValuesComeFromTheNodeThatOverridesPositioning) {
    bw::NodeBase leaf, top;
    leaf.props = {bw::PropF(SxProp_PositioningValue1, 99.0f)};  // ignored: the leaf does not override
    top.positioning.overrideParent = true;
    top.positioning.is3D = true;
    top.positioning.type = 3;
    top.props = {bw::PropF(SxProp_PositioningValue1, 25.0f), bw::PropF(SxProp_PositioningValue3, 50.0f)};
    std::vector<bw::Bytes> records = PlayRecords(leaf);
    records.push_back(bw::Record(SxHirc_ActorMixer, bw::ActorMixerBody(kTop, top, {kLeaf})));
    ASSERT_EQ(Load(records), SX_Success);
    CSxPBI* instance = PlayLeaf();
    ASSERT_NE(instance, nullptr);
    EXPECT_FALSE(instance->Positioning().is2D);
    EXPECT_EQ(instance->Positioning().type, 3u);
    EXPECT_FLOAT_EQ(instance->Positioning().value1, 25.0f);
    EXPECT_FLOAT_EQ(instance->Positioning().value3, 0.5f) << "passed as a fraction";
}

TEST_F(Parameters, AnAttenuationThatIsNotLoadedRefusesThePlay) {
    bw::NodeBase leaf;
    leaf.positioning.overrideParent = true;
    leaf.positioning.is3D = true;
    leaf.positioning.type = 1;
    leaf.positioning.attenuationID = 777;
    ASSERT_EQ(Load(PlayRecords(leaf)), SX_Success);
    EXPECT_EQ(PlayLeaf(), nullptr);
    EXPECT_EQ(qvtest::NodeProbe::PlayCount(*Find<CSxSound>(SxIndex_Node, kLeaf)), 0u) << "the count is undone";
}

}  // namespace

namespace {

// Values set at run time on one game object or on all, as the mute and property actions set
// them.
class RuntimeValues : public Parameters {
protected:
    void SetUp() override {
        Parameters::SetUp();
        bw::NodeBase leaf;
        leaf.props = {bw::PropF(SxProp_Volume, -2.0f)};
        ASSERT_EQ(Load(PlayRecords(leaf)), SX_Success);
        for (SxGameObjectID object : {5u, 6u}) SoundEngine::RegisterGameObj(object);
        SoundEngine::PostEvent(kPlay, 5);
        SoundEngine::PostEvent(kPlay, 6);
        RunFrame();
    }
    CSxSound* Leaf() { return Find<CSxSound>(SxIndex_Node, kLeaf); }
    // The effective volume of the instance on the game object, after a refresh.
    float VolumeOn(SxGameObjectID object) {
        platform::Lock lock(g_csMain);
        for (CSxPBI* i = CSxURenderer::FirstActive(); i; i = CSxURenderer::NextActive(i)) {
            if (i->GameObj()->ID() != object) continue;
            i->RefreshParameters();
            return i->EffectiveVolume();
        }
        return 1.0f;
    }
    CSxRegisteredObj* Object(SxGameObjectID object) {
        for (CSxPBI* i = CSxURenderer::FirstActive(); i; i = CSxURenderer::NextActive(i))
            if (i->GameObj()->ID() == object) return i->GameObj();
        return nullptr;
    }
};

TEST_F(RuntimeValues, OffsetsAndMutesApplyToTheirGameObjectOrToAll) {
    struct Step {
        const char* what;
        void (*apply)(CSxSound& node, CSxRegisteredObj* five);
        float onFive, onSix;
    } steps[] = {
        {"mute on 5", [](CSxSound& n, CSxRegisteredObj* five) { n.Mute(five, SxCurve_Linear, 0); }, -96.3f, -2.0f},
        {"unmute 5", [](CSxSound& n, CSxRegisteredObj* five) { n.Unmute(five, SxCurve_Linear, 0); }, -2.0f, -2.0f},
        {"offset -6 on all",
         [](CSxSound& n, CSxRegisteredObj*) {
             n.SetSxPropOnObject(SxProp_Volume, nullptr, SxValueMeaning_Offset, -6.0f, SxCurve_Linear, 0);
         },
         -8.0f, -8.0f},
        {"a further offset -1 on all",
         [](CSxSound& n, CSxRegisteredObj*) {
             n.SetSxPropOnObject(SxProp_Volume, nullptr, SxValueMeaning_Offset, -1.0f, SxCurve_Linear, 0);
         },
         -9.0f, -9.0f},
        {"volume -10 on 5",
         [](CSxSound& n, CSxRegisteredObj* five) {
             n.SetSxPropOnObject(SxProp_Volume, five, SxValueMeaning_Independent, -10.0f, SxCurve_Linear, 0);
         },
         -17.0f, -9.0f},
        {"reset on all",
         [](CSxSound& n, CSxRegisteredObj*) {
             n.SetSxPropOnObject(SxProp_Volume, nullptr, SxValueMeaning_Default, 0.0f, SxCurve_Linear, 0);
         },
         -10.0f, -2.0f},
        {"mute all", [](CSxSound& n, CSxRegisteredObj*) { n.Mute(nullptr, SxCurve_Linear, 0); }, -96.3f, -96.3f},
        {"and 5 on its own", [](CSxSound& n, CSxRegisteredObj* five) { n.Mute(five, SxCurve_Linear, 0); }, -96.3f,
         -96.3f},
        {"unmute everything", [](CSxSound& n, CSxRegisteredObj*) { n.UnmuteAll(SxCurve_Linear, 0); }, -10.0f, -2.0f},
        {"reset the volume everywhere",
         [](CSxSound& n, CSxRegisteredObj*) { n.ResetSxProp(SxProp_Volume, SxCurve_Linear, 0); }, -2.0f, -2.0f},
    };
    for (const Step& step : steps) {
        {
            platform::Lock lock(g_csMain);
            step.apply(*Leaf(), Object(5));
        }
        EXPECT_NEAR(VolumeOn(5), step.onFive, 1e-3) << step.what;
        EXPECT_NEAR(VolumeOn(6), step.onSix, 1e-3) << step.what;
    }
}

TEST_F(RuntimeValues, AMuteWithATimeRampsAndAGameObjectTakesItsValuesAlong) {
    {
        platform::Lock lock(g_csMain);
        Leaf()->Mute(Object(5), SxCurve_Linear, 200);
    }
    RunFrame();
    const float ramping = VolumeOn(5);
    EXPECT_LT(ramping, -2.0f);
    EXPECT_GT(ramping, -96.3f);
    for (int i = 0; i < 12; ++i) RunFrame();
    EXPECT_NEAR(VolumeOn(5), -96.3f, 1e-3);

    // The game object goes; registered again, it starts without the mute.
    SoundEngine::StopAll();
    SoundEngine::UnregisterGameObj(5);
    RunFrame();
    SoundEngine::RegisterGameObj(5);
    SoundEngine::PostEvent(kPlay, 5);
    RunFrame();
    EXPECT_NEAR(VolumeOn(5), -2.0f, 1e-3);
}

}  // namespace

namespace {

TEST_F(Parameters, PausingEverythingHoldsStateTransitionsUntilResumed) {
    bw::NodeBase leaf;
    leaf.stateGroups = {{kGroup, 0, {{kStorm, 5000}}}};
    std::vector<bw::Bytes> records = {
        bw::Record(SxHirc_State, bw::StateBody(5000, {bw::PropF(SxProp_Pitch, 1000.0f)}))};
    for (const bw::Bytes& r : PlayRecords(leaf)) records.push_back(r);
    for (auto [id, type] : {std::pair<SxUniqueID, uint16_t>{800, 0x0204}, {810, 0x0304}}) {
        records.push_back(
            bw::Record(SxHirc_Action, bw::ActionBody(id + 1, type, 0, {}, {}, bw::ActiveParams(4, 0, {}))));
        records.push_back(bw::Record(SxHirc_Event, bw::EventBody(id, {id + 1})));
    }
    ASSERT_EQ(Load(records), SX_Success);
    CSxPBI* instance = PlayLeaf();
    ASSERT_NE(instance, nullptr);
    {
        platform::Lock lock(g_csMain);
        ASSERT_EQ(g_pStateMgr->SetStateGroupDefaultTime(kGroup, 500), SX_Success);
    }
    SoundEngine::SetState(kGroup, kStorm);
    RunFrame();
    const float started = Refreshed()->Pitch();
    EXPECT_GT(started, 0.0f);
    EXPECT_LT(started, 1000.0f);

    SoundEngine::PostEvent(800, SxAllGameObjects);  // pause everything
    RunFrame();
    const float held = Refreshed()->Pitch();
    for (int i = 0; i < 5; ++i) RunFrame();
    EXPECT_FLOAT_EQ(Refreshed()->Pitch(), held) << "the state transition waits";

    SoundEngine::PostEvent(810, SxAllGameObjects);  // resume everything
    for (int i = 0; i < 30; ++i) RunFrame();
    EXPECT_FLOAT_EQ(Refreshed()->Pitch(), 1000.0f);
}

}  // namespace

namespace {

TEST_F(RuntimeValues, KeyedVolumeFactorsMultiplyAndGiveWayByTheirRules) {
    CSxPBI* five = nullptr;
    for (CSxPBI* i = CSxURenderer::FirstActive(); i; i = CSxURenderer::NextActive(i))
        if (i->GameObj()->ID() == 5) five = i;
    ASSERT_NE(five, nullptr);
    const int a = 0, b = 0;  // two keys
    // Each step's factor on the instance, from 0 dB to silence: volume (-2 + 96.3) x f - 96.3.
    struct Step {
        const char* what;
        float factor;
        const void* key;
        uint32_t flags;
        bool exclusive;
        float product;
    } steps[] = {
        {"a half", 0.5f, &a, 0, false, 0.5f},
        {"another key multiplies", 0.5f, &b, 0, false, 0.25f},
        {"the same key replaces", 0.8f, &a, 0, false, 0.4f},
        {"the other side of a key, exclusive: it gives way to nothing", 0.1f, &a, 1, true, 0.4f},
        {"the other side, not exclusive, multiplies", 0.5f, &b, 1, false, 0.2f},
        {"exclusive from side 0 removes side 1 first", 0.9f, &b, 0, true, 0.72f},
        {"1.0 removes", 1.0f, &a, 0, false, 0.9f},
        {"kept across refreshes", 0.5f, &a, 2, false, 0.45f},
    };
    for (const Step& step : steps) {
        platform::Lock lock(g_csMain);
        five->SetVolumeModifier(step.factor, step.key, step.flags, step.exclusive);
        EXPECT_NEAR(five->EffectiveVolume(), (-2.0f + 96.3f) * step.product - 96.3f, 1e-3) << step.what;
    }
    {
        platform::Lock lock(g_csMain);
        Leaf()->RecalcNotification();
    }
    EXPECT_NEAR(VolumeOn(5), (-2.0f + 96.3f) * 0.5f - 96.3f, 1e-3) << "only the kept factor survives a refresh";
    VolumeOn(6);
    {
        platform::Lock lock(g_csMain);
        Leaf()->SetGlobalVolumeModifier(0.5f, &b);
    }
    EXPECT_NEAR(VolumeOn(6), (-2.0f + 96.3f) * 0.5f - 96.3f, 1e-3) << "a global factor reaches every instance";
}

}  // namespace
