#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "SxTestMemory.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/curves/SxCurveTable.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/engine/states/SxStateGroupChunk.h"
#include "sound/engine/transitions/CSxTransitionMgr.h"
#include "sound/engine/transitions/SxTimingSettings.h"

namespace {

using namespace SX;

constexpr uint32_t kGroup = 0x600, kA = 1, kB = 2, kC = 3;
constexpr uint32_t kPitch = 2;

struct Node : ISxStateNode {
    std::map<uint32_t, float> pitchByState = {{kA, 0.0f}, {kB, 1200.0f}, {kC, -600.0f}};
    int refreshes = 0, started = 0;
    bool GetStateValues(uint32_t, uint32_t state, float values[4]) override {
        auto it = pitchByState.find(state);
        if (it == pitchByState.end()) return false;
        values[kPitch] = it->second;
        return true;
    }
    void OnStateTransitionStarted() override { ++started; }
    void RefreshStateParameters() override { ++refreshes; }
};

struct Listener : ISxStateListener {
    std::vector<uint32_t> states;
    void OnStateChanged(uint32_t state) override { states.push_back(state); }
};

std::vector<std::pair<uint32_t, uint32_t>> g_hookCalls;
bool g_hookTakes = false;
class Hook final : public ISxStateHook {
public:
    bool TakeOverStateChange(uint32_t group, uint32_t state) override {
        g_hookCalls.emplace_back(group, state);
        return g_hookTakes;
    }
};
Hook g_hook;

class States : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SxCurveTable::BuildAll(333, 333, SxCurveTable::kAllShapes), SX_Success);
        SxTimingSettings::SetSampleRate(48000);
        g_uSxAudioFrameCounter = 0;
        ASSERT_EQ(transitions.Init(0), SX_Success);
        g_pTransitionMgr = &transitions;
        ASSERT_EQ(mgr.Init(), SX_Success);
        ASSERT_EQ(mgr.AddStateGroup(kGroup), SX_Success);
        ASSERT_EQ(mgr.SetStateGroupDefaultTime(kGroup, 1000), SX_Success);          // 48 frames
        ASSERT_EQ(mgr.AddStateTransition(kGroup, kA, kB, 500, false), SX_Success);  // 24 frames
        ASSERT_EQ(mgr.AddStateGroupChunk(kGroup, &chunk), SX_Success);
        g_hookCalls.clear();
        g_hookTakes = false;
    }
    void TearDown() override {
        SoundEngine::RemoveStateHook(&g_hook);
        chunk.FlushStateTransitions();
        mgr.Term();
        transitions.Term();
        g_pTransitionMgr = nullptr;
        SxCurveTable::FreeAll();
    }
    // Frames until the pitch ramp ends (0 when it never ran).
    uint32_t FramesToSettle() {
        uint32_t n = 0;
        while (chunk.transitions[kPitch] && n < 1000) {
            transitions.ProcessTransitionsList(++g_uSxAudioFrameCounter);
            ++n;
        }
        return n;
    }
    void SetAndSettle(uint32_t state) {
        mgr.SetStateInternal(kGroup, state, false, false);
        FramesToSettle();
    }

    sxtest::TestMemory memory;
    CSxTransitionMgr transitions;
    CSxStateMgr mgr;
    Node node;
    SxStateGroupChunk chunk{&node, kGroup};
};

TEST_F(States, ExplicitTransitionTimesHoldOneWayUnlessAddedBothWays) {
    mgr.SetStateInternal(kGroup, kA, true, false);
    mgr.SetStateInternal(kGroup, kB, false, false);
    EXPECT_EQ(FramesToSettle(), 24u);
    EXPECT_EQ(chunk.values[kPitch], 1200.0f);
    mgr.SetStateInternal(kGroup, kA, false, false);
    EXPECT_EQ(FramesToSettle(), 48u);
    mgr.SetStateInternal(kGroup, kC, false, false);
    EXPECT_EQ(FramesToSettle(), 48u);
    EXPECT_EQ(chunk.values[kPitch], -600.0f);

    mgr.AddStateTransition(kGroup, kA, kB, 210, true);  // replaces A to B, adds B to A
    SetAndSettle(kA);
    SetAndSettle(kB);
    mgr.SetStateInternal(kGroup, kA, false, false);
    EXPECT_EQ(FramesToSettle(), 10u);
    EXPECT_EQ(mgr.GetState(kGroup), kA);
}

TEST_F(States, SkippingTheTransitionMovesAtOnce) {
    mgr.SetStateInternal(kGroup, kB, true, false);
    EXPECT_EQ(FramesToSettle(), 0u);
    EXPECT_EQ(chunk.values[kPitch], 1200.0f);
    EXPECT_EQ(node.refreshes, 1);
    EXPECT_EQ(node.started, 0);
    mgr.SetStateInternal(kGroup, 99, true, false);  // no state object: every value to 0
    EXPECT_EQ(chunk.values[kPitch], 0.0f);
    EXPECT_EQ(mgr.GetState(kGroup), 99u);
}

TEST_F(States, AStateSetDuringATransitionRetargetsItFromWhereItStands) {
    mgr.SetStateInternal(kGroup, kA, true, false);
    mgr.SetStateInternal(kGroup, kB, false, false);
    for (int i = 0; i < 12; ++i) transitions.ProcessTransitionsList(++g_uSxAudioFrameCounter);
    EXPECT_NEAR(chunk.values[kPitch], 600.0f, 0.5f);
    CSxTransition* running = chunk.transitions[kPitch];
    mgr.SetStateInternal(kGroup, kC, false, false);  // B to C: the default time
    EXPECT_EQ(chunk.transitions[kPitch], running);
    EXPECT_EQ(node.started, 1);
    transitions.ProcessTransitionsList(++g_uSxAudioFrameCounter);
    EXPECT_NEAR(chunk.values[kPitch], 600.0f - 1200.0f / 48.0f, 0.5f);  // no jump
    EXPECT_EQ(FramesToSettle(), 47u);
    EXPECT_EQ(chunk.values[kPitch], -600.0f);
}

TEST_F(States, ListenersHearChangesAndTheHookMayTakeThemOver) {
    Listener listener, elsewhere;
    mgr.RegisterStateListener(&listener, kGroup);
    mgr.RegisterStateListener(&elsewhere, kGroup + 1);
    EXPECT_EQ(mgr.RegisterStateListener(nullptr, kGroup), SX_InvalidParameter);
    // Installed through the engine, which has no state manager of its own here: kept all the same.
    SoundEngine::SetStateHook(&g_hook);

    mgr.SetStateInternal(kGroup, kB, false, false);
    mgr.SetStateInternal(kGroup, kB, false, false);  // same state: no listener, hook still asked
    mgr.SetStateInternal(kGroup, kC, false, true);   // no notification: no listener, no hook
    mgr.SetStateInternal(kGroup, kB, true, false);   // listener, but no hook
    EXPECT_EQ(listener.states, (std::vector<uint32_t>{kB, kB}));
    EXPECT_TRUE(elsewhere.states.empty());
    EXPECT_EQ(g_hookCalls, (std::vector<std::pair<uint32_t, uint32_t>>{{kGroup, kB}, {kGroup, kB}}));

    g_hookTakes = true;
    FramesToSettle();
    const float before = chunk.values[kPitch];
    mgr.SetStateInternal(kGroup, kA, false, false);
    EXPECT_EQ(mgr.GetState(kGroup), kB);
    EXPECT_EQ(FramesToSettle(), 0u);
    EXPECT_EQ(chunk.values[kPitch], before);

    mgr.UnregisterStateListener(&listener);
    g_hookTakes = false;
    mgr.SetStateInternal(kGroup, kA, false, false);
    EXPECT_EQ(listener.states.size(), 3u);
    EXPECT_EQ(mgr.GetState(kGroup), kA);
}

TEST_F(States, UnknownGroupsAreRefusedOrIgnored) {
    EXPECT_EQ(mgr.SetStateGroupDefaultTime(7, 1), SX_UnknownStateGroup);
    EXPECT_EQ(mgr.AddStateTransition(7, kA, kB, 1, true), SX_UnknownStateGroup);
    SxStateGroupChunk other{&node, 7};
    EXPECT_EQ(mgr.AddStateGroupChunk(7, &other), SX_UnknownStateGroup);
    mgr.SetStateInternal(7, kA, false, false);
    EXPECT_EQ(mgr.GetState(7), 0u);
    EXPECT_FALSE(mgr.IsStateGroupRegistered(7));

    mgr.AddStateGroup(8);
    mgr.RemoveStateGroups(true);  // the group with a chunk stays
    EXPECT_TRUE(mgr.IsStateGroupRegistered(kGroup));
    EXPECT_FALSE(mgr.IsStateGroupRegistered(8));
}

struct TriggerAware : ISxTriggerAware {
    std::vector<uint32_t> got;
    void Trigger(uint32_t id) override { got.push_back(id); }
};

TEST_F(States, TriggersReachTheirObjectOrEveryoneWhenGlobal) {
    CSxRegisteredObj seven(7), eight(8);
    TriggerAware onSeven, onEight, onAll;
    mgr.RegisterTrigger(&onSeven, &seven);
    mgr.RegisterTrigger(&onEight, &eight);
    mgr.RegisterTrigger(&onAll, nullptr);
    mgr.Trigger(0x71, &seven);
    mgr.Trigger(0x72, nullptr);
    mgr.UnregisterTrigger(&onEight);
    mgr.Trigger(0x73, nullptr);
    EXPECT_EQ(onSeven.got, (std::vector<uint32_t>{0x71, 0x72, 0x73}));
    EXPECT_EQ(onEight.got, std::vector<uint32_t>{0x72});
    EXPECT_EQ(onAll.got, (std::vector<uint32_t>{0x72, 0x73}));
}

struct Preparer : ISxPreparationAware {
    SXRESULT answer = SX_Success;
    std::vector<std::pair<uint32_t, bool>> calls;
    SXRESULT ModifyActiveState(uint32_t id, bool prepare) override {
        calls.emplace_back(id, prepare);
        return prepare ? answer : SX_Success;
    }
};

TEST_F(States, GameSyncsArePreparedOnceAndUndoneOnFailure) {
    Preparer first, second;
    mgr.SubscribePrepare(&first, kGroup, SxGroupType_State);
    mgr.SubscribePrepare(&second, kGroup, SxGroupType_State);
    EXPECT_EQ(mgr.PrepareGameSync(SxGroupType_State, kGroup, kB, true), SX_Success);
    EXPECT_EQ(mgr.PrepareGameSync(SxGroupType_State, kGroup, kB, true), SX_Success);
    EXPECT_EQ(first.calls, (std::vector<std::pair<uint32_t, bool>>{{kB, true}}));
    EXPECT_EQ(mgr.GetPreparedContent(kGroup, SxGroupType_State), std::vector<uint32_t>{kB});
    EXPECT_TRUE(mgr.GetPreparedContent(kGroup, SxGroupType_Switch).empty());

    second.answer = SX_InsufficientMemory;
    EXPECT_EQ(mgr.PrepareGameSync(SxGroupType_State, kGroup, kC, true), SX_InsufficientMemory);
    EXPECT_EQ(first.calls.back(), std::make_pair(kC, false));
    EXPECT_EQ(mgr.GetPreparedContent(kGroup, SxGroupType_State), std::vector<uint32_t>{kB});

    EXPECT_EQ(mgr.PrepareGameSync(SxGroupType_State, kGroup, kB, false), SX_Success);
    EXPECT_TRUE(mgr.GetPreparedContent(kGroup, SxGroupType_State).empty());
    EXPECT_EQ(mgr.PrepareGameSync(SxGroupType_Switch, 5, 1, false), SX_Success);  // nothing to undo
}

}  // namespace
