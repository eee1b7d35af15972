#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "SxHierarchyFixture.h"
#include "SxStopOnlyVoices.h"
#include "platform/os/Random.h"
#include "sound/engine/actions/CSxActionKinds.h"
#include "sound/engine/hierarchy/CSxSound.h"
#include "sound/engine/registry/CSxRegistryMgr.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/engine/states/ISxStateListeners.h"
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/upper/CSxURenderer.h"

using namespace SX;
namespace bw = bankwriter;

namespace {

constexpr SxUniqueID kSound = 100, kOther = 101;

class TriggerLog : public ISxTriggerAware {
public:
    void Trigger(uint32_t triggerID) override { fired.push_back(triggerID); }
    std::vector<uint32_t> fired;
};

// Two sounds; each test loads the actions it posts, one event per action (event ID = action ID + 1).
class ActionKinds : public sxtest::HierarchyEngine {
protected:
    void SetUp() override {
        HierarchyEngine::SetUp();
        ASSERT_EQ(Load({bw::Record(SxHirc_Sound, bw::SoundBody(kSound, bw::Source(), bw::NodeBase())),
                        bw::Record(SxHirc_Sound, bw::SoundBody(kOther, bw::Source(), bw::NodeBase()))}),
                  SX_Success);
        for (SxGameObjectID object : {5u, 6u}) SoundEngine::RegisterGameObj(object);
        ApplyMessages();
    }
    // Loads an action of the type on the target, with its event.
    void Action(SxUniqueID id, uint16_t type, SxUniqueID target, const bw::Bytes& params) {
        ASSERT_EQ(Load({bw::Record(SxHirc_Action, bw::ActionBody(id, type, target, {}, {}, params)),
                        bw::Record(SxHirc_Event, bw::EventBody(id + 1, {id}))}),
                  SX_Success);
    }
    void Post(SxUniqueID action, SxGameObjectID object) {
        SoundEngine::PostEvent(action + 1, object);
        ApplyMessages();
    }
    CSxRegisteredObj* Object(SxGameObjectID id) {
        CSxRegisteredObj* object = g_pRegistryMgr->GetObjAndAddref(id);
        if (object) object->Release();
        return object;
    }
    // The node's sums for a game object: volume, pitch and the mute factor.
    struct Heard {
        float volume, pitch, factor;
    };
    Heard Sums(SxUniqueID node, SxGameObjectID object) {
        auto* sound = Find<CSxParameterNodeBase>(SxIndex_Node, node);
        SxAudioSums sums, offsets;
        float factor = 1.0f;
        sound->GetAudioParameters(sums, SxParamMask_All, Object(object), false, offsets, factor);
        return {sums.volume, sums.pitch, factor};
    }
};

TEST_F(ActionKinds, PropertyActionsSetAndResetByScope) {
    // Set volume (0x0A) and reset it (0x0B) on one object, on all, and on every modified node.
    Action(10, 0x0A03, kSound, bw::SetValueParams(4, SxValueMeaning_Offset, -6.0f, 0, 0, {}));
    Action(20, 0x0A02, kSound, bw::SetValueParams(4, SxValueMeaning_Offset, -3.0f, 0, 0, {}));
    Action(30, 0x0A03, kOther, bw::SetValueParams(4, SxValueMeaning_Offset, -2.0f, 0, 0, {}));
    Action(40, 0x0B03, kSound, bw::SetValueParams(4, 0, 0, 0, 0, {}));
    Action(50, 0x0B08, kSound, bw::SetValueParams(4, 0, 0, 0, 0, {kOther}));
    Action(60, 0x0B04, kSound, bw::SetValueParams(4, 0, 0, 0, 0, {}));
    Action(70, 0x0A04, kSound, bw::SetValueParams(4, SxValueMeaning_Offset, -9.0f, 0, 0, {}));
    Post(10, 5);
    EXPECT_FLOAT_EQ(Sums(kSound, 5).volume, -6.0f);
    EXPECT_FLOAT_EQ(Sums(kSound, 6).volume, 0.0f) << "another object keeps its value";
    Post(20, 5);
    EXPECT_FLOAT_EQ(Sums(kSound, 5).volume, -9.0f);
    EXPECT_FLOAT_EQ(Sums(kSound, 6).volume, -3.0f) << "a global set reaches every object";
    Post(70, 5);
    EXPECT_FLOAT_EQ(Sums(kSound, 6).volume, -3.0f) << "a set for every node does nothing";
    Post(40, 5);
    EXPECT_FLOAT_EQ(Sums(kSound, 5).volume, -3.0f) << "the object's offset goes, the global one stays";
    Post(10, 5);
    Post(30, 5);
    Post(50, 5);
    EXPECT_FLOAT_EQ(Sums(kSound, 5).volume, 0.0f) << "reset of all but the other sound";
    EXPECT_FLOAT_EQ(Sums(kOther, 5).volume, -2.0f) << "the exception keeps its value";
    Post(60, 5);
    EXPECT_FLOAT_EQ(Sums(kOther, 5).volume, 0.0f);
}

TEST_F(ActionKinds, RandomValuesLandInTheirRange) {
    platform::crt_srand(7);
    Action(10, 0x0802, kSound, bw::SetValueParams(4, SxValueMeaning_Independent, 3.0f, -1.0f, 1.0f, {}));
    Action(20, 0x0802, kOther, bw::SetValueParams(4, SxValueMeaning_Independent, 3.0f, 0.0f, 0.0f, {}));
    std::set<float> seen;
    for (int i = 0; i < 200; ++i) {
        Post(10, 5);
        const float pitch = Sums(kSound, 5).pitch;
        ASSERT_GE(pitch, 2.0f);
        ASSERT_LE(pitch, 4.0f);
        seen.insert(pitch);
        Post(20, 5);
        ASSERT_FLOAT_EQ(Sums(kOther, 5).pitch, 3.0f);
    }
    EXPECT_GT(seen.size(), 100u);
}

TEST_F(ActionKinds, MuteAndUnmuteByObject) {
    Action(10, 0x0603, kSound, bw::MuteParams(4, {}));
    Action(20, 0x0703, kSound, bw::MuteParams(4, {}));
    Action(30, 0x0602, kSound, bw::MuteParams(4, {}));
    Action(40, 0x0704, kSound, bw::MuteParams(4, {}));
    Post(10, 5);
    EXPECT_FLOAT_EQ(Sums(kSound, 5).factor, 0.0f);
    EXPECT_FLOAT_EQ(Sums(kSound, 6).factor, 1.0f);
    Post(20, 5);
    EXPECT_FLOAT_EQ(Sums(kSound, 5).factor, 1.0f);
    Post(30, 5);
    Post(10, 6);
    EXPECT_FLOAT_EQ(Sums(kSound, 5).factor, 0.0f) << "muted for all";
    Post(40, 5);
    EXPECT_FLOAT_EQ(Sums(kSound, 5).factor, 1.0f) << "unmute of every node and object";
    EXPECT_FLOAT_EQ(Sums(kSound, 6).factor, 1.0f);
}

TEST_F(ActionKinds, GameParameterStateSwitchAndTriggerActionsReachTheirManagers) {
    Action(10, 0x1302, 0x55, bw::SetValueParams(4, SxValueMeaning_Independent, 40.0f, 0, 0, {}));
    Action(20, 0x1303, 0x55, bw::SetValueParams(4, SxValueMeaning_Independent, 10.0f, 0, 0, {}));
    Action(30, 0x1403, 0x55, bw::SetValueParams(4, 0, 0, 0, 0, {}));
    Action(40, 0x1304, 0x55, bw::SetValueParams(4, SxValueMeaning_Independent, 99.0f, 0, 0, {}));
    Action(50, 0x1202, 0, bw::GroupValueParams(0x100, 0x101));
    Action(60, 0x1903, 0, bw::GroupValueParams(0x200, 0x201));
    Post(10, 5);
    Post(20, 5);
    EXPECT_FLOAT_EQ(g_pRTPCMgr->GetRTPCValue(0x55, Object(5)), 10.0f);
    EXPECT_FLOAT_EQ(g_pRTPCMgr->GetRTPCValue(0x55, Object(6)), 40.0f);
    Post(30, 5);
    EXPECT_FLOAT_EQ(g_pRTPCMgr->GetRTPCValue(0x55, Object(5)), 40.0f) << "the object's value goes";
    Post(40, 5);
    EXPECT_FLOAT_EQ(g_pRTPCMgr->GetRTPCValue(0x55, nullptr), 40.0f) << "other scopes do nothing";
    ASSERT_EQ(g_pStateMgr->AddStateGroup(0x100), SX_Success);
    Post(50, 5);
    EXPECT_EQ(g_pStateMgr->GetState(0x100), 0x101u);
    Post(60, 5);
    EXPECT_EQ(g_pRTPCMgr->GetSwitchValue(0x200, Object(5)), 0x201u);
    EXPECT_NE(g_pRTPCMgr->GetSwitchValue(0x200, Object(6)), 0x201u);
    Action(70, 0x1D03, 0x300, {});
    TriggerLog onFive, onSix;
    ASSERT_EQ(g_pStateMgr->RegisterTrigger(&onFive, Object(5)), SX_Success);
    ASSERT_EQ(g_pStateMgr->RegisterTrigger(&onSix, Object(6)), SX_Success);
    Post(70, 5);
    EXPECT_EQ(onFive.fired, std::vector<uint32_t>{0x300});
    EXPECT_TRUE(onSix.fired.empty());
    g_pStateMgr->UnregisterTrigger(&onFive);
    g_pStateMgr->UnregisterTrigger(&onSix);
}

TEST_F(ActionKinds, UseStateActionsTurnTheStateValuesOnAndOff) {
    bw::NodeBase node;
    node.stateGroups = {{0x400, 0, {{0x401, 5000}}}};
    ASSERT_EQ(Load({bw::Record(SxHirc_State, bw::StateBody(5000, {bw::PropF(SxProp_Volume, -6.0f)})),
                    bw::Record(SxHirc_Sound, bw::SoundBody(102, bw::Source(), node))}),
              SX_Success);
    ASSERT_EQ(g_pStateMgr->AddStateGroup(0x400), SX_Success);
    SoundEngine::SetState(0x400, 0x401);
    ApplyMessages();
    ASSERT_FLOAT_EQ(Sums(102, 5).volume, -6.0f);
    // Only type 0x1002 turns them on; every other type of the two kinds turns them off.
    const struct {
        SxUniqueID action;
        uint16_t type;
        float volume;
    } steps[] = {
        {80, 0x1003, 0.0f}, {90, 0x1002, -6.0f}, {100, 0x1103, 0.0f}, {110, 0x1002, -6.0f}, {120, 0x1102, 0.0f}};
    for (const auto& step : steps) {
        Action(step.action, step.type, 102, {});
        Post(step.action, 5);
        EXPECT_FLOAT_EQ(Sums(102, 5).volume, step.volume) << std::hex << step.type;
    }
    // An unknown target changes nothing.
    Action(130, 0x1002, 0x999, {});
    Post(130, 5);
    EXPECT_FLOAT_EQ(Sums(102, 5).volume, 0.0f);
}

// u8 bypass, u8 slot mask, the exception list.
bw::Bytes BypassParams(bool bypass, uint8_t mask, std::vector<uint32_t> exceptions = {}) {
    bw::Bytes bytes = {static_cast<uint8_t>(bypass), mask};
    const auto count = static_cast<uint32_t>(exceptions.size());
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(count >> (8 * i)));
    for (uint32_t id : exceptions)
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(id >> (8 * i)));
    return bytes;
}

TEST_F(ActionKinds, BypassActionsSetAndResetEffectsPerObject) {
    // Sounds 102 and 103 each have an effect in slot 0; the bank bypasses 103's slot 0.
    bw::NodeBase node;
    node.overrideEffects = true;
    node.effects = {{0, 0x700}};
    bw::NodeBase bypassed = node;
    bypassed.bypassBits = 1;
    ASSERT_EQ(Load({bw::Record(SxHirc_Sound, bw::SoundBody(102, bw::Source(), node)),
                    bw::Record(SxHirc_Sound, bw::SoundBody(103, bw::Source(), bypassed))}),
              SX_Success);
    auto* a = Find<CSxParameterNodeBase>(SxIndex_Node, 102);
    auto* b = Find<CSxParameterNodeBase>(SxIndex_Node, 103);
    EXPECT_FALSE(a->IsFXBypassed(0, Object(5)));
    EXPECT_TRUE(b->IsFXBypassed(0, Object(5)));
    EXPECT_FALSE(a->IsFXBypassed(1, Object(5))) << "a slot without an effect";
    EXPECT_FALSE(Find<CSxParameterNodeBase>(SxIndex_Node, kSound)->IsFXBypassed(0, Object(5))) << "no effects";

    Action(200, 0x1A03, 102, BypassParams(true, 0x11));   // slot 0 and all, for one object
    Action(210, 0x1A02, 103, BypassParams(false, 0x01));  // slot 0 for all objects
    Action(220, 0x1A04, 102, BypassParams(true, 0x01));   // set kinds of wider scopes do nothing
    Post(200, 5);
    EXPECT_TRUE(a->IsFXBypassed(0, Object(5)));
    EXPECT_TRUE(a->IsFXBypassed(4, Object(5)));
    EXPECT_FALSE(a->IsFXBypassed(0, Object(6)));
    Post(210, 5);
    EXPECT_FALSE(b->IsFXBypassed(0, Object(5)));
    EXPECT_FALSE(b->IsFXBypassed(0, Object(6)));
    Post(220, 6);
    EXPECT_FALSE(a->IsFXBypassed(0, Object(6)));

    // Resets give back the bank's bits: on one node for one object, then everywhere but 103.
    Action(230, 0x1B03, 102, BypassParams(false, 0x1F));
    Post(230, 5);
    EXPECT_FALSE(a->IsFXBypassed(0, Object(5)));
    EXPECT_FALSE(a->IsFXBypassed(4, Object(5)));
    Post(200, 5);
    Action(240, 0x1B08, 0, BypassParams(false, 0x1F, {103}));
    Post(240, 5);
    EXPECT_FALSE(a->IsFXBypassed(0, Object(5)));
    EXPECT_FALSE(b->IsFXBypassed(0, Object(6))) << "the exception keeps its state";
    Action(250, 0x1B04, 0, BypassParams(false, 0x1F));
    Post(250, 5);
    EXPECT_TRUE(b->IsFXBypassed(0, Object(6)));
    EXPECT_TRUE(b->IsFXBypassed(0, Object(5)));
}

TEST_F(ActionKinds, SeekAndBreakReachWhatPlays) {
    sxtest::EndlessVoices voices;
    CSxLEngineCmds::SetVoiceLayer(&voices);
    Action(10, 0x0403, kSound, bw::PlayParams(4, 0));
    Action(20, 0x1E03, kSound, bw::SeekParams(true, 0.5f, 0, 0, false, {}));
    Action(30, 0x1E03, kSound, bw::SeekParams(false, 0.5f, 0, 0, false, {}));
    Action(40, 0x1E03, kSound, bw::SeekParams(false, 1000.0f, 0, 0, false, {}));
    Action(50, 0x1E08, kSound, bw::SeekParams(true, 0.25f, 0, 0, false, {kSound}));
    Action(60, 0x1E04, kSound, bw::SeekParams(true, 0.75f, 0, 0, false, {}));
    Action(70, 0x1C03, kSound, {});
    Action(80, 0x1E03, 999, bw::SeekParams(true, 0.5f, 0, 0, false, {}));
    Post(10, 5);
    RunFrame();
    CSxPBI* instance = CSxURenderer::FirstActive();
    ASSERT_NE(instance, nullptr);
    Post(20, 5);
    RunFrame();
    EXPECT_FLOAT_EQ(instance->SeekFraction(), 0.5f) << "a fraction of the duration";
    Post(30, 5);
    RunFrame();
    EXPECT_EQ(instance->SeekPosition(), 0u) << "half a millisecond is no millisecond";
    Post(40, 5);
    RunFrame();
    EXPECT_EQ(instance->SeekPosition(), 48000u);
    Post(50, 5);
    RunFrame();
    EXPECT_EQ(instance->SeekPosition(), 48000u) << "the excepted sound is not sought";
    Post(60, 5);
    RunFrame();
    EXPECT_FLOAT_EQ(instance->SeekFraction(), 0.75f) << "a seek of everything";
    Post(70, 5);
    RunFrame();
    EXPECT_EQ(instance->LoopCount(), 1u) << "the break ends the loops";
    Post(80, 5);  // a target that is not loaded: nothing happens
    RunFrame();
    SoundEngine::StopAll();
    RunFrame();
    CSxLEngineCmds::SetVoiceLayer(nullptr);
}

TEST_F(ActionKinds, CutRecordsAndImpossibleCountsFail) {
    struct Case {
        uint16_t type;
        bw::Bytes params;
    } cases[] = {
        {0x0603, bw::MuteParams(4, {1})},
        {0x0A03, bw::SetValueParams(4, 2, 1.0f, 0, 0, {1, 2})},
        {0x1303, bw::SetValueParams(4, 2, 1.0f, 0, 0, {})},
        {0x1202, bw::GroupValueParams(1, 2)},
        {0x1903, bw::GroupValueParams(1, 2)},
        {0x1E03, bw::SeekParams(true, 0.5f, 0, 0, true, {3})},
    };
    for (const Case& c : cases) {
        const bw::Bytes body = bw::ActionBody(30, c.type, kSound, {}, {}, c.params);
        for (size_t length = 0; length < body.size(); ++length) {
            CSxIndexable* object = nullptr;
            const bw::Bytes cut = bw::Cut(body, length);
            EXPECT_NE(SxReadHircObject(SxHirc_Action, cut.data(), static_cast<uint32_t>(cut.size()), &object),
                      SX_Success)
                << std::hex << c.type << " cut at " << std::dec << length;
            EXPECT_EQ(object, nullptr);
        }
    }
    EXPECT_EQ(g_pObjectIndex->Table(SxIndex_Action).Count(), 0u);
    const bw::Bytes impossible = bw::WithU32At(
        bw::ActionBody(30, 0x0A03, kSound, {}, {}, bw::SetValueParams(4, 2, 1.0f, 0, 0, {})), 26, 0x20000000);
    CSxIndexable* object = nullptr;
    EXPECT_EQ(SxReadHircObject(SxHirc_Action, impossible.data(), static_cast<uint32_t>(impossible.size()), &object),
              SX_Fail);
    EXPECT_EQ(object, nullptr);
}

}  // namespace
