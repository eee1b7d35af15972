#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "SxTestMemory.h"
#include "sound/engine/curves/SxCurveTable.h"
#include "sound/engine/registry/CSxRegistryMgr.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/transitions/CSxTransitionMgr.h"
#include "sound/engine/transitions/SxTimingSettings.h"

namespace {

using namespace SX;

struct Subscriber : ISxRTPCSubscriber {
    struct Got {
        uint32_t property;
        float value;
        CSxRegisteredObj* obj;
        bool operator==(const Got& o) const { return property == o.property && value == o.value && obj == o.obj; }
    };
    bool active = true;
    std::vector<Got> got;
    bool IsActiveForRTPC() const override { return active; }
    void SetRTPCValue(uint32_t property, float value, CSxRegisteredObj* obj) override {
        got.push_back({property, value, obj});
    }
    // Rounded to 1/1000: ramps go through the curve tables.
    std::vector<float> Values() const {
        std::vector<float> v;
        for (const Got& g : got) v.push_back(std::round(g.value * 1000.0f) / 1000.0f);
        return v;
    }
};

struct SwitchSubscriber : ISxSwitchSubscriber {
    std::vector<std::pair<uint32_t, CSxRegisteredObj*>> got;
    void OnSwitchChange(uint32_t id, CSxRegisteredObj* obj) override { got.emplace_back(id, obj); }
};

const SxCurvePoint kIdentity[] = {{0.0f, 0.0f, SxCurve_Linear}, {1000.0f, 1000.0f, SxCurve_Linear}};
const SxCurvePoint kDouble[] = {{0.0f, 0.0f, SxCurve_Linear}, {1000.0f, 2000.0f, SxCurve_Linear}};
constexpr uint32_t kSpeed = 0x51, kRpm = 0x52;
const SxRTPCTransitionParams kNow{};

class RTPC : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SxCurveTable::BuildAll(333, 333, SxCurveTable::kAllShapes), SX_Success);
        SxTimingSettings::SetSampleRate(48000);
        g_uSxAudioFrameCounter = 0;
        ASSERT_EQ(transitions.Init(0), SX_Success);
        g_pTransitionMgr = &transitions;
        g_pRTPCMgr = &mgr;
        ASSERT_EQ(mgr.Init(), SX_Success);
        ASSERT_EQ(registry.Init(), SX_Success);
        g_pRegistryMgr = &registry;
        a = registry.RegisterObject(10);
        b = registry.RegisterObject(11);
    }
    void TearDown() override {
        registry.Term();
        mgr.Term();
        transitions.Term();
        g_pRegistryMgr = nullptr;
        g_pRTPCMgr = nullptr;
        g_pTransitionMgr = nullptr;
        SxCurveTable::FreeAll();
    }
    void Subscribe(Subscriber& s, CSxRegisteredObj* obj, SxRTPCSubscriberKind kind = SxRTPCSubscriber_PBI,
                   uint32_t property = 0, uint32_t param = kSpeed, const SxCurvePoint* curve = kIdentity) {
        ASSERT_EQ(mgr.SubscribeRTPC(&s, property, obj, kind, param, curve, 2, SxCurveScaling_None), SX_Success);
        s.got.clear();
    }
    void Frames(uint32_t n) {
        while (n--) transitions.ProcessTransitionsList(++g_uSxAudioFrameCounter);
    }

    sxtest::TestMemory memory;
    CSxTransitionMgr transitions;
    CSxRTPCMgr mgr;
    CSxRegistryMgr registry;
    CSxRegisteredObj* a = nullptr;
    CSxRegisteredObj* b = nullptr;
};

TEST_F(RTPC, AnObjectValueHidesTheGlobalOneUntilItIsReset) {
    Subscriber onA, onB, node;
    Subscribe(onA, a);
    Subscribe(onB, b);
    Subscribe(node, nullptr, SxRTPCSubscriber_Node);

    mgr.SetRTPCInternal(kSpeed, 10.0f, nullptr, kNow);
    mgr.SetRTPCInternal(kSpeed, 50.0f, a, kNow);
    mgr.SetRTPCInternal(kSpeed, 20.0f, nullptr, kNow);
    EXPECT_EQ(mgr.GetRTPCValue(kSpeed, a), 50.0f);
    EXPECT_EQ(mgr.GetRTPCValue(kSpeed, b), 20.0f);
    mgr.ResetRTPC(kSpeed, a, kNow);
    mgr.SetRTPCInternal(kSpeed, 30.0f, nullptr, kNow);

    EXPECT_EQ(onA.Values(), (std::vector<float>{10, 50, 20, 30}));
    EXPECT_EQ(onB.Values(), (std::vector<float>{10, 20, 30}));
    EXPECT_EQ(node.got, (std::vector<Subscriber::Got>{
                            {0, 10, nullptr}, {0, 50, a}, {0, 20, nullptr}, {0, 20, a}, {0, 30, nullptr}}));
    EXPECT_EQ(mgr.GetRTPCValue(kSpeed, a), 30.0f);
}

TEST_F(RTPC, AValueSetToTheValueItHasNotifiesNoOne) {
    Subscriber onA;
    Subscribe(onA, a);
    mgr.SetRTPCInternal(kSpeed, 10.0f, nullptr, kNow);
    mgr.SetRTPCInternal(kSpeed, 10.0f, nullptr, kNow);
    mgr.SetRTPCInternal(kSpeed, 10.0f, a, kNow);
    mgr.SetRTPCInternal(kSpeed, 10.0f, nullptr, SxRTPCTransitionParams{500, SxCurve_Linear});
    mgr.ResetRTPC(kSpeed, a, kNow);  // no value of its own: left alone
    Frames(30);
    EXPECT_EQ(onA.Values(), std::vector<float>{10});
}

TEST_F(RTPC, OffsetsAddToTheValueInForce) {
    mgr.SetRTPCInternal(kSpeed, 1.0f, nullptr, kNow);
    mgr.SetRTPCInternal(kSpeed, 3.0f, nullptr, kNow, SxValueMeaning_Offset);
    EXPECT_EQ(mgr.GetRTPCValue(kSpeed, nullptr), 4.0f);
    mgr.SetRTPCInternal(kSpeed, 2.0f, a, kNow, SxValueMeaning_Offset);  // from the global value
    EXPECT_EQ(mgr.GetRTPCValue(kSpeed, a), 6.0f);
    mgr.SetDefaultValue(kRpm, 7.0f);
    mgr.SetRTPCInternal(kRpm, 1.0f, nullptr, kNow, SxValueMeaning_Offset);  // from the default
    EXPECT_EQ(mgr.GetRTPCValue(kRpm, b), 8.0f);
}

TEST_F(RTPC, ValuesRampThroughTransitionsAndResetsRampBack) {
    Subscriber onA;
    Subscribe(onA, a);
    mgr.SetRTPCInternal(kSpeed, 100.0f, nullptr, SxRTPCTransitionParams{100, SxCurve_Linear});  // 5 frames
    EXPECT_TRUE(onA.got.empty());
    Frames(5);
    EXPECT_EQ(onA.Values(), (std::vector<float>{20, 40, 60, 80, 100}));

    onA.got.clear();
    mgr.SetRTPCInternal(kSpeed, 200.0f, a, SxRTPCTransitionParams{42, SxCurve_Linear});  // 2 frames
    Frames(1);
    mgr.ResetRTPC(kSpeed, a, SxRTPCTransitionParams{42, SxCurve_Linear});  // retargets to the global value
    Frames(3);
    EXPECT_EQ(onA.Values(), (std::vector<float>{150, 125, 100}));
    mgr.SetRTPCInternal(kSpeed, 10.0f, nullptr, kNow);  // the object follows the global value again
    EXPECT_EQ(onA.got.back().value, 10.0f);

    mgr.SetDefaultValue(kSpeed, 4.0f);
    mgr.ResetRTPC(kSpeed, nullptr, kNow);
    EXPECT_EQ(onA.got.back().value, 4.0f);
    bool found = true;
    mgr.GetGlobalRTPCValue(kSpeed, &found);
    EXPECT_FALSE(found);
}

TEST_F(RTPC, ASetWithoutTransitionStopsTheRunningRamp) {
    Subscriber onA;
    Subscribe(onA, a);
    mgr.SetRTPCInternal(kSpeed, 100.0f, nullptr, SxRTPCTransitionParams{100, SxCurve_Linear});
    Frames(1);
    mgr.SetRTPCInternal(kSpeed, 5.0f, nullptr, kNow);
    Frames(10);
    EXPECT_EQ(onA.Values(), (std::vector<float>{20, 5}));
}

TEST_F(RTPC, EachKindOfSubscriberIsReachedByItsRules) {
    struct Case {
        SxRTPCSubscriberKind kind;
        bool active;
        uint32_t property;
        size_t globalCalls, objectCalls;
    } cases[] = {
        {SxRTPCSubscriber_PluginParam, false, 0x10007, 1, 1},
        {SxRTPCSubscriber_PBI, false, 3, 1, 1},
        {SxRTPCSubscriber_Node, true, 3, 1, 1},
        {SxRTPCSubscriber_Node, false, 3, 0, 0},
        {SxRTPCSubscriber_Layer, false, 32, 0, 0},
        {SxRTPCSubscriber_Bus, true, 3, 1, 0},
        {SxRTPCSubscriber_Bus, false, 3, 0, 0},
        {SxRTPCSubscriber_Bus, false, 1, 1, 0},
        {SxRTPCSubscriber_Bus, false, 26, 1, 0},
    };
    float value = 100.0f;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " " << c.active << " " << c.property);
        Subscriber s;
        s.active = c.active;
        Subscribe(s, nullptr, c.kind, c.property);
        mgr.SetRTPCInternal(kSpeed, ++value, nullptr, kNow);
        EXPECT_EQ(s.got.size(), c.globalCalls);
        s.got.clear();
        mgr.SetRTPCInternal(kSpeed, ++value, a, kNow);
        EXPECT_EQ(s.got.size(), c.objectCalls);
        if (c.kind == SxRTPCSubscriber_PluginParam) {
            EXPECT_EQ(s.got[0].property, 7u);  // parameter IDs are 16-bit
        }
        mgr.UnSubscribeAll(&s);
        mgr.ResetRTPC(kSpeed, a, kNow);
    }
}

TEST_F(RTPC, SubscriptionsSumTheirCurvesAndLoseThemOneByOne) {
    Subscriber s;
    EXPECT_EQ(mgr.SubscribeRTPC(nullptr, 0, nullptr, SxRTPCSubscriber_PBI, kSpeed, kIdentity, 2, 0),
              SX_InvalidParameter);
    mgr.SetRTPCInternal(kSpeed, 10.0f, nullptr, kNow);
    mgr.SetRTPCInternal(kRpm, 3.0f, nullptr, kNow);
    mgr.SubscribeRTPC(&s, 0, nullptr, SxRTPCSubscriber_PBI, kSpeed, kIdentity, 2, 0);
    mgr.SubscribeRTPC(&s, 0, nullptr, SxRTPCSubscriber_PBI, kRpm, kDouble, 2, 0);
    EXPECT_EQ(s.Values(), (std::vector<float>{10, 16}));  // brought up to date at once
    EXPECT_EQ(mgr.GetRTPCConvertedValueForSubscriber(&s, 0, a), 16.0f);
    mgr.SetRTPCInternal(kRpm, 5.0f, a, kNow);
    EXPECT_EQ(s.got.back(), (Subscriber::Got{0, 20, a}));

    mgr.SubscribeRTPC(&s, 0, nullptr, SxRTPCSubscriber_PBI, kSpeed, nullptr, 0, 0);
    EXPECT_EQ(mgr.GetRTPCConvertedValueForSubscriber(&s, 0, nullptr), 6.0f);
    mgr.SubscribeRTPC(&s, 0, nullptr, SxRTPCSubscriber_PBI, kRpm, nullptr, 0, 0);
    s.got.clear();
    mgr.SetRTPCInternal(kRpm, 9.0f, nullptr, kNow);
    EXPECT_TRUE(s.got.empty());

    Subscriber node;  // a node's subscription to every property stays without curves
    mgr.SubscribeRTPC(&node, SxRTPCAllProperties, nullptr, SxRTPCSubscriber_Node, kRpm, nullptr, 0, 0);
    EXPECT_EQ(node.got.size(), 1u);
}

TEST_F(RTPC, SwitchesTakeValuesGloballyAndPerObject) {
    SwitchSubscriber listener, other;
    mgr.RegisterSwitchSubscriber(&listener, 5);
    mgr.RegisterSwitchSubscriber(&other, 6);
    EXPECT_EQ(mgr.RegisterSwitchSubscriber(nullptr, 5), SX_InvalidParameter);
    mgr.SetSwitchInternal(5, 100, nullptr);
    mgr.SetSwitchInternal(5, 200, a);
    EXPECT_EQ(mgr.GetSwitchValue(5, a), 200u);
    EXPECT_EQ(mgr.GetSwitchValue(5, b), 100u);
    EXPECT_EQ(mgr.GetSwitchValue(6, b), 0u);
    EXPECT_EQ(listener.got, (std::vector<std::pair<uint32_t, CSxRegisteredObj*>>{{100, nullptr}, {200, a}}));
    EXPECT_TRUE(other.got.empty());
    mgr.UnregisterSwitchSubscriber(&listener);
    mgr.SetSwitchInternal(5, 300, nullptr);
    EXPECT_EQ(listener.got.size(), 2u);
}

TEST_F(RTPC, MappedSwitchGroupsFollowTheirGameParameter) {
    const SxSwitchPoint mapping[] = {
        {0.0f, 1, SxCurve_Constant}, {50.0f, 2, SxCurve_Constant}, {100.0f, 3, SxCurve_Constant}};
    ASSERT_EQ(mgr.AddSwitchRTPC(5, kRpm, mapping, 3), SX_Success);
    SwitchSubscriber listener;
    mgr.RegisterSwitchSubscriber(&listener, 5);
    mgr.SetRTPCInternal(kRpm, 60.0f, nullptr, kNow);
    mgr.SetRTPCInternal(kRpm, 10.0f, a, kNow);
    EXPECT_EQ(mgr.GetSwitchValue(5, nullptr), 2u);
    EXPECT_EQ(mgr.GetSwitchValue(5, a), 1u);
    EXPECT_EQ(listener.got, (std::vector<std::pair<uint32_t, CSxRegisteredObj*>>{{2, nullptr}, {1, a}}));
}

TEST_F(RTPC, MappedSwitchGroupsSelectExactlyTheSwitchIDsOfTheMapping) {
    // Hashed names use all 32 bits; a float would keep only 24 of them.
    const uint32_t grass = SoundEngine::GetIDFromString("Grass");
    const uint32_t snow = SoundEngine::GetIDFromString("Snow");
    ASSERT_EQ(snow, 787898836u);
    const SxSwitchPoint mapping[] = {{0.0f, grass, SxCurve_Linear}, {50.0f, snow, SxCurve_Constant}};
    ASSERT_EQ(mgr.AddSwitchRTPC(5, kRpm, mapping, 2), SX_Success);
    for (float value : {75.0f, 50.0f, 0.0f, -3.0f}) {
        mgr.SetRTPCInternal(kRpm, value, nullptr, kNow);
        EXPECT_EQ(mgr.GetSwitchValue(5, nullptr), value >= 50.0f ? snow : grass) << value;
    }
}

TEST_F(RTPC, AGameObjectsDestructionDropsWhatIsKeptForIt) {
    Subscriber onA, onB;
    Subscribe(onA, a);
    Subscribe(onB, b);
    mgr.SetRTPCInternal(kSpeed, 40.0f, a, kNow);
    mgr.SetRTPCInternal(kSpeed, 80.0f, b, SxRTPCTransitionParams{210, SxCurve_Linear});
    Frames(1);
    mgr.SetSwitchInternal(5, 9, a);
    registry.UnregisterObject(10);
    registry.UnregisterObject(11);  // its ramp stops with it
    Frames(20);
    b = registry.RegisterObject(11);
    EXPECT_EQ(mgr.GetRTPCValue(kSpeed, b), 0.0f);
    onA.got.clear();
    mgr.SetRTPCInternal(kSpeed, 1.0f, nullptr, kNow);
    EXPECT_TRUE(onA.got.empty());
    EXPECT_EQ(onB.Values(), std::vector<float>{8});  // the subscription went with its object
}

}  // namespace
