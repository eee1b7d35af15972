#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

#include "SxHierarchyFixture.h"
#include "SxStopOnlyVoices.h"
#include "sound/engine/containers/CSxSwitchCntr.h"
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/registry/CSxRegistryMgr.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "tests/sound/engine/SxNodeProbes.h"

using namespace SX;
namespace bw = bankwriter;

namespace {

constexpr uint32_t kGroup = 0x20, kA = 0x21, kB = 0x22, kC = 0x23;

// Sounds 1 to 3 under switch container 50 on switch group 0x20: A plays 1 and 3, B plays 2
// and 3, C has no list; the default is A. Event 100 plays the container, 101 stops it.
class SwitchContainer : public sxtest::HierarchyEngine {
protected:
    void SetUp() override {
        HierarchyEngine::SetUp();
        CSxLEngineCmds::SetVoiceLayer(&voices);
        for (SxGameObjectID object : {5u, 6u}) SoundEngine::RegisterGameObj(object);
    }
    void TearDown() override {
        SoundEngine::StopAll();
        RunFrame();
        CSxLEngineCmds::SetVoiceLayer(nullptr);
        HierarchyEngine::TearDown();
    }
    // With buses, the container outputs to bus 60 (below bus 61) and names motion bus 70
    // (below motion bus 71).
    CSxSwitchCntr* LoadContainer(bool continuous, std::vector<bw::SwitchChildParams> params, bool buses = false) {
        bw::Switch sw;
        sw.groupID = kGroup;
        sw.defaultSwitch = kA;
        sw.continuousValidation = continuous;
        sw.children = {1, 2, 3};
        sw.switches = {{kA, {1, 3}}, {kB, {2, 3}}};
        sw.childParams = params;
        std::vector<bw::Bytes> records;
        bw::NodeBase node;
        if (buses) {
            SxSetNodesCarryFeedbackBus(true);
            bw::Bus top, below;
            top.withFeedbackBus = below.withFeedbackBus = true;
            below.parentBusID = 61;
            records.push_back(bw::Record(SxHirc_Bus, bw::BusBody(61, top)));
            records.push_back(bw::Record(SxHirc_Bus, bw::BusBody(60, below)));
            below.parentBusID = 71;
            records.push_back(bw::Record(SxHirc_FeedbackBus, bw::BusBody(71, top)));
            records.push_back(bw::Record(SxHirc_FeedbackBus, bw::BusBody(70, below)));
            node.busID = 60;
            node.withFeedbackBus = true;
            node.feedbackBusID = 70;
        }
        for (uint32_t id = 1; id <= 3; ++id) {
            bw::NodeBase child;
            child.withFeedbackBus = buses;
            records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(id, bw::Source(), child)));
        }
        records.push_back(bw::Record(SxHirc_Switch, bw::SwitchBody(50, node, sw)));
        records.push_back(bw::Record(SxHirc_Action, bw::ActionBody(200, 0x0403, 50, {}, {}, bw::PlayParams(4, 0))));
        records.push_back(bw::Record(SxHirc_Event, bw::EventBody(100, {200})));
        records.push_back(bw::Record(SxHirc_Action, bw::ActionBody(201, 0x0103, 50, {}, {}, bw::ActiveParams(4, {}))));
        records.push_back(bw::Record(SxHirc_Event, bw::EventBody(101, {201})));
        EXPECT_EQ(Load(records), SX_Success);
        SxSetNodesCarryFeedbackBus(false);
        return Find<CSxSwitchCntr>(SxIndex_Node, 50);
    }
    // The sounds playing on a game object, with the playing IDs they play for.
    std::multiset<std::pair<SxUniqueID, SxPlayingID>> Playing(SxGameObjectID object) {
        std::multiset<std::pair<SxUniqueID, SxPlayingID>> playing;
        for (CSxPBI* i = CSxURenderer::FirstActive(); i; i = CSxURenderer::NextActive(i))
            if (i->GameObj() && i->GameObj()->ID() == object) playing.insert({i->Node()->ID(), i->PlayingID()});
        return playing;
    }
    std::multiset<SxUniqueID> Sounds(SxGameObjectID object) {
        std::multiset<SxUniqueID> sounds;
        for (const auto& entry : Playing(object)) sounds.insert(entry.first);
        return sounds;
    }
    SxPlayingID Post(SxUniqueID event, SxGameObjectID object) {
        const SxPlayingID id = SoundEngine::PostEvent(event, object);
        RunFrame();
        return id;
    }
    void Switch(uint32_t value, SxGameObjectID object) {
        SoundEngine::SetSwitch(kGroup, value, object);
        RunFrame();
    }

    sxtest::EndlessVoices voices;
};

TEST_F(SwitchContainer, HandWrittenRecordGivesItsSettings) {
    // The bytes the writer test checks, written by hand from the layout.
    const char* const hex =
        "06 00 00 00"
        "00 00  00 00 00 00  00 00 00 00  00 00  00  00  00"
        "00 00 00 00 00 01 00 00 00"
        "00 00 00 00  00 00"
        "10 00 00 00  01 00 00 00  11 00 00 00  00"
        "01 00 00 00  03 00 00 00"
        "01 00 00 00  11 00 00 00  01 00 00 00  03 00 00 00"
        "01 00 00 00  03 00 00 00 01 00  01 00 00 00  64 00 00 00  32 00 00 00";
    ASSERT_EQ(Load({bw::Record(SxHirc_Sound, bw::SoundBody(3, bw::Source(), bw::NodeBase())),
                    bw::Record(SxHirc_Switch, bw::FromHex(hex))}),
              SX_Success);
    auto* container = Find<CSxSwitchCntr>(SxIndex_Node, 6);
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(container->NodeCategory(), SxNodeCategory_Switch);
    EXPECT_EQ(container->GroupID(), 0x10u);
    EXPECT_EQ(container->GroupKind(), CSxSwitchCntr::Group_State);
    EXPECT_EQ(container->DefaultSwitch(), 0x11u);
    EXPECT_FALSE(container->IsContinuousValidation());
    ASSERT_NE(container->ChildrenOf(0x11), nullptr);
    EXPECT_EQ(*container->ChildrenOf(0x11), std::vector<SxUniqueID>{3});
    EXPECT_EQ(container->ChildFlags(3), 1 | CSxSwitchCntr::kFirstOnly);
    EXPECT_EQ(container->ChildCount(), 1u);
}

TEST_F(SwitchContainer, PlaysTheChildrenOfEachObjectsValue) {
    ASSERT_NE(LoadContainer(false, {}), nullptr);
    SoundEngine::SetSwitch(kGroup, kB, 6);
    Post(100, 5);
    Post(100, 6);
    EXPECT_EQ(Sounds(5), (std::multiset<SxUniqueID>{1, 3})) << "no value yet: the default list";
    EXPECT_EQ(Sounds(6), (std::multiset<SxUniqueID>{2, 3}));
    SoundEngine::StopAll();
    RunFrame();
    Switch(kC, 5);  // a value without a list falls back to the default
    Post(100, 5);
    EXPECT_EQ(Sounds(5), (std::multiset<SxUniqueID>{1, 3}));
    Switch(kB, 5);
    EXPECT_EQ(Sounds(5), (std::multiset<SxUniqueID>{1, 3})) << "without continuous validation nothing follows";
}

TEST_F(SwitchContainer, FirstOnlyChildrenPlayOnlyAfterTheValueChanged) {
    ASSERT_NE(LoadContainer(false, {{3, true, false, 0, 0, 0}}), nullptr);
    Switch(kA, 5);
    const std::vector<std::multiset<SxUniqueID>> expected = {{1, 3}, {1}, {1}};
    for (const auto& sounds : expected) {
        Post(100, 5);
        EXPECT_EQ(Sounds(5), sounds);
        SoundEngine::StopAll();
        RunFrame();
    }
    Switch(kB, 5);
    Post(100, 5);
    SoundEngine::StopAll();
    RunFrame();
    Switch(kA, 5);
    Post(100, 5);
    EXPECT_EQ(Sounds(5), (std::multiset<SxUniqueID>{1, 3})) << "another value played in between";
}

// While what it started plays, a change of the object's value stops the children it leaves
// (behaviour 1) and starts those it reaches in the same frame, for the same playing ID; a
// child in both lists with the continue flag goes on untouched.
TEST_F(SwitchContainer, ASwitchChangeDuringContinuousPlayMovesToTheNewChildren) {
    struct Case {
        bool continueAcross;
        std::multiset<SxUniqueID> afterB;
        size_t startsOf3;
    } cases[] = {{true, {2, 3}, 1}, {false, {2, 3}, 2}};
    for (const Case& c : cases) {
        ASSERT_NE(LoadContainer(true, {{1, false, false, 1, 0, 0}, {3, false, c.continueAcross, 1, 0, 0}}), nullptr);
        Switch(kA, 5);
        const SxPlayingID id = Post(100, 5);
        Post(100, 6);
        EXPECT_EQ(Sounds(5), (std::multiset<SxUniqueID>{1, 3}));
        CSxPBI* first3 = nullptr;
        for (CSxPBI* i = CSxURenderer::FirstActive(); i; i = CSxURenderer::NextActive(i))
            if (i->Node()->ID() == 3 && i->GameObj()->ID() == 5) first3 = i;
        Switch(kB, 5);
        EXPECT_EQ(Sounds(5), c.afterB) << "continue " << c.continueAcross;
        for (const auto& entry : Playing(5)) EXPECT_EQ(entry.second, id) << "the new children play for the same ID";
        EXPECT_EQ(Sounds(6), (std::multiset<SxUniqueID>{1, 3})) << "the other object keeps its value";
        bool same3 = false;
        for (CSxPBI* i = CSxURenderer::FirstActive(); i; i = CSxURenderer::NextActive(i)) same3 |= i == first3;
        EXPECT_EQ(same3, c.startsOf3 == 1) << "continue " << c.continueAcross;
        Switch(kB, 5);
        EXPECT_EQ(Sounds(5), c.afterB) << "the same value again changes nothing";
        Post(101, 5);
        Post(101, 6);
        EXPECT_EQ(qvtest::SwitchCntrProbe::FollowedPlayCount(*Find<CSxSwitchCntr>(SxIndex_Node, 50)), 0u);
        Switch(kA, 5);
        EXPECT_TRUE(Sounds(5).empty()) << "a stopped play is no longer followed";
        Unload();
    }
}

// Each followed play keeps the container active, for its game parameters too, until it is
// stopped; a container that does not follow its group counts none.
TEST_F(SwitchContainer, FollowedPlaysKeepTheContainerAndItsBusesActive) {
    // The activity reaches the output bus and the named motion bus with the buses above them.
    for (bool continuous : {true, false}) {
        CSxSwitchCntr* container = LoadContainer(continuous, {}, true);
        ASSERT_NE(container, nullptr);
        const std::vector<CSxParameterNodeBase*> buses = {
            Find<CSxParameterNodeBase>(SxIndex_Node, 60), Find<CSxParameterNodeBase>(SxIndex_Node, 61),
            Find<CSxParameterNodeBase>(SxIndex_Node, 70), Find<CSxParameterNodeBase>(SxIndex_Node, 71)};
        auto expectActivity = [&](uint32_t count, const char* when) {
            EXPECT_EQ(container->ActivityCount(), count) << when;
            for (CSxParameterNodeBase* bus : buses) {
                ASSERT_NE(bus, nullptr);
                EXPECT_EQ(bus->ActivityCount(), count) << when << ", bus " << bus->ID();
            }
        };
        Post(100, 5);
        Post(100, 6);
        expectActivity(continuous ? 2u : 0u, "two followed plays");
        Post(101, 5);
        expectActivity(continuous ? 1u : 0u, "one stopped");
        EXPECT_TRUE(container->IsActiveForRTPC()) << "object 6 still plays";
        Post(101, 6);
        expectActivity(0u, "both stopped");
        EXPECT_FALSE(container->IsActiveForRTPC());
        Unload();
    }
}

int g_ended = 0;
void CountEnd(SxCallbackType type, SxCallbackInfo*) {
    if (type == SxCallback_EndOfEvent) ++g_ended;
}

// The stops that reach every node end the container's followed plays as the stop of the
// container itself does: the next switch change starts nothing, the playing ID ends and the
// game object is no longer held. A stop-all that excepts the container leaves it following.
TEST_F(SwitchContainer, StopsOfEverythingEndTheFollowedPlays) {
    struct Case {
        const char* what;
        std::function<void(SxPlayingID)> stop;
        bool ends;
    } cases[] = {
        {"StopAll", [](SxPlayingID) { SoundEngine::StopAll(); }, true},
        {"StopAll of the object", [](SxPlayingID) { SoundEngine::StopAll(5); }, true},
        {"StopPlayingID", [](SxPlayingID id) { SoundEngine::StopPlayingID(id); }, true},
        {"a stop-all action", [](SxPlayingID) { SoundEngine::PostEvent(102, 5); }, true},
        {"a stop-all-except action naming a sound not playing", [](SxPlayingID) { SoundEngine::PostEvent(103, 5); },
         true},
        {"a stop-all-except action naming the container", [](SxPlayingID) { SoundEngine::PostEvent(104, 5); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CSxSwitchCntr* container = LoadContainer(true, {{1, false, false, 1, 0, 0}, {3, false, false, 1, 0, 0}});
        ASSERT_NE(container, nullptr);
        ASSERT_EQ(Load({bw::Record(SxHirc_Action, bw::ActionBody(202, 0x0104, 0, {}, {}, bw::ActiveParams(4, {}))),
                        bw::Record(SxHirc_Event, bw::EventBody(102, {202})),
                        bw::Record(SxHirc_Action, bw::ActionBody(203, 0x0108, 0, {}, {}, bw::ActiveParams(4, {2}))),
                        bw::Record(SxHirc_Event, bw::EventBody(103, {203})),
                        bw::Record(SxHirc_Action, bw::ActionBody(204, 0x0108, 0, {}, {}, bw::ActiveParams(4, {50}))),
                        bw::Record(SxHirc_Event, bw::EventBody(104, {204}))}),
                  SX_Success);
        Switch(kA, 5);
        g_ended = 0;
        const SxPlayingID id = SoundEngine::PostEvent(100, 5, SxCallback_EndOfEvent, CountEnd);
        RunFrame();
        ASSERT_EQ(qvtest::SwitchCntrProbe::FollowedPlayCount(*container), 1u);
        c.stop(id);
        RunFrame();
        RunFrame();
        EXPECT_EQ(qvtest::SwitchCntrProbe::FollowedPlayCount(*container), c.ends ? 0u : 1u);
        Switch(kB, 5);
        EXPECT_EQ(Sounds(5).empty(), c.ends) << "a switch change starts only what is still followed";
        if (c.ends) {
            EXPECT_EQ(g_ended, 1) << "the playing ID ended";
            CSxRegisteredObj* object = g_pRegistryMgr->GetObjAndAddref(5);
            ASSERT_NE(object, nullptr);
            EXPECT_EQ(object->Release(), 1) << "only the registry holds the object";
        }
        SoundEngine::StopAll();
        RunFrame();
        Unload();
    }
}

TEST_F(SwitchContainer, MalformedRecordsFailWithoutLeftovers) {
    ASSERT_EQ(Load({bw::Record(SxHirc_Sound, bw::SoundBody(1, bw::Source(), bw::NodeBase()))}), SX_Success);
    bw::Switch sw;
    sw.groupID = kGroup;
    sw.children = {1};
    sw.switches = {{kA, {1}}};
    sw.childParams = {{1, true, false, 1, 10, 10}};
    const bw::Bytes body = bw::SwitchBody(50, bw::NodeBase(), sw);
    for (size_t length = 0; length < body.size(); ++length) {
        CSxIndexable* object = nullptr;
        const bw::Bytes cut = bw::Cut(body, length);
        EXPECT_NE(SxReadHircObject(SxHirc_Switch, cut.data(), static_cast<uint32_t>(cut.size()), &object), SX_Success)
            << "cut at " << length;
        EXPECT_EQ(object, nullptr);
    }
    bw::Switch zero = sw, twice = sw;
    zero.switches = {{kA, {0}}};
    twice.switches = {{kA, {1, 1}}};
    struct Case {
        bw::Bytes body;
        SXRESULT expected;
    } cases[] = {
        {bw::SwitchBody(50, bw::NodeBase(), zero), SX_InvalidParameter},
        {bw::SwitchBody(50, bw::NodeBase(), twice), SX_SwitchNotFound},
        {bw::WithU32At(body, body.size() - 4 - 18 - 16, 0x40000000), SX_Fail},  // switch entries beyond the bytes
    };
    for (const Case& c : cases) {
        CSxIndexable* object = nullptr;
        EXPECT_EQ(SxReadHircObject(SxHirc_Switch, c.body.data(), static_cast<uint32_t>(c.body.size()), &object),
                  c.expected);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(g_pObjectIndex->Table(SxIndex_Node).Count(), 1u) << "only the sound is left";
}

}  // namespace
