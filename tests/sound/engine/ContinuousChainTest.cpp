#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "SxHierarchyFixture.h"
#include "SxTimedVoices.h"
#include "platform/os/Random.h"
#include "sound/engine/containers/CSxContinuousPBI.h"
#include "sound/engine/containers/CSxLayerCntr.h"
#include "sound/engine/containers/CSxPlayList.h"
#include "sound/engine/containers/CSxRanSeqCntr.h"
#include "sound/engine/containers/CSxSwitchCntr.h"
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "tests/sound/engine/SxAudioMgrProbe.h"
#include "tests/sound/engine/SxNodeProbes.h"
#include "tests/sound/engine/SxRenderProbes.h"

using namespace SX;
namespace bw = bankwriter;

namespace {

constexpr SxGameObjectID kObject = 5;
constexpr uint32_t kGroup = 0x20, kA = 0x21, kB = 0x22;

bw::RanSeq Sequence(std::vector<uint32_t> children, uint16_t loopCount, uint8_t transitionMode = 0,
                    float transitionMs = 0) {
    bw::RanSeq c;
    c.playMode = 1;
    c.continuous = true;
    c.resetAtEachPlay = true;
    c.loopCount = loopCount;
    c.transitionMode = transitionMode;
    c.transitionMs = transitionMs;
    for (uint32_t id : children) {
        c.children.push_back(id);
        c.playList.push_back({id, CSxPlayList::kDefaultWeight});
    }
    return c;
}

// Sounds 1 to 4 and the containers of a test; event 100 plays node 50, 101 stops it and 102 stops node 40.
class ContinuousChain : public sxtest::HierarchyEngine {
protected:
    void SetUp() override {
        HierarchyEngine::SetUp();
        platform::crt_srand(77);
        CSxLEngineCmds::SetVoiceLayer(&voices);
        SoundEngine::RegisterGameObj(kObject);
    }
    void TearDown() override {
        SoundEngine::StopAll();
        RunFrame();
        RunFrame();
        CSxLEngineCmds::SetVoiceLayer(nullptr);
        HierarchyEngine::TearDown();
    }
    // The sounds, the containers (inner ones before outer ones), then the events.
    // Sounds not given their own node block take the default one.
    void LoadNodes(const std::vector<bw::Bytes>& containers, const std::map<uint32_t, bw::NodeBase>& sounds = {}) {
        std::vector<bw::Bytes> records;
        for (uint32_t id = 1; id <= 4; ++id) {
            const auto own = sounds.find(id);
            const bw::NodeBase node = own == sounds.end() ? bw::NodeBase() : own->second;
            records.push_back(bw::Record(SxHirc_Sound, bw::SoundBody(id, bw::Source(), node)));
        }
        records.insert(records.end(), containers.begin(), containers.end());
        records.push_back(bw::Record(SxHirc_Action, bw::ActionBody(200, 0x0403, 50, {}, {}, bw::PlayParams(4, 0))));
        records.push_back(bw::Record(SxHirc_Event, bw::EventBody(100, {200})));
        records.push_back(bw::Record(SxHirc_Action, bw::ActionBody(201, 0x0103, 50, {}, {}, bw::ActiveParams(4, {}))));
        records.push_back(bw::Record(SxHirc_Event, bw::EventBody(101, {201})));
        records.push_back(bw::Record(SxHirc_Action, bw::ActionBody(202, 0x0103, 40, {}, {}, bw::ActiveParams(4, {}))));
        records.push_back(bw::Record(SxHirc_Event, bw::EventBody(102, {202})));
        ASSERT_EQ(Load(records), SX_Success);
    }
    static bw::Bytes RanSeqRecord(SxUniqueID id, const bw::RanSeq& c) {
        return bw::Record(SxHirc_RanSeq, bw::RanSeqBody(id, bw::NodeBase(), c));
    }
    void Frames(uint32_t count) {
        for (uint32_t i = 0; i < count; ++i) {
            RunFrame();
            voices.Tick();
        }
    }
    uint32_t ActiveCount() const { return qvtest::URendererProbe::ActiveCount(); }
    // Frames from the end of each item to the start of the next.
    std::vector<int32_t> Gaps() const {
        std::vector<int32_t> gaps;
        for (size_t i = 1; i < voices.voices.size(); ++i)
            gaps.push_back(static_cast<int32_t>(voices.voices[i].startFrame - voices.voices[i - 1].endFrame));
        return gaps;
    }

    sxtest::TimedVoices voices;
};

// The delay of the action that plays the next item, in samples, as the audio manager turns it
// into frames: the look-ahead frame is taken off the delay of a chain.
uint32_t FramesOf(uint32_t samples) { return (samples >> 10) - 1; }

TEST_F(ContinuousChain, ItemsFollowOneAnotherWithTheContainersTransition) {
    const uint32_t lookAhead = g_pAudioMgr->LookAhead();
    struct Case {
        const char* name;
        uint8_t mode;
        float ms;
        uint32_t gapFrames;  // from the frame an item ends to the frame the next starts
    };
    const Case cases[] = {
        {"none", 0, 0.0f, FramesOf((lookAhead + 10) * 1024)},
        {"delay shorter than the frames in flight", 3, 100.0f, FramesOf((lookAhead + 10) * 1024)},
        {"delay of 500 ms", 3, 500.0f, FramesOf(24000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        voices.voices.clear();
        LoadNodes({RanSeqRecord(50, Sequence({1, 2, 3}, 2, c.mode, c.ms))});
        SoundEngine::PostEvent(100, kObject);
        Frames(200);
        EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 2, 3, 1, 2, 3})) << "two passes, then the chain ends";
        for (int32_t gap : Gaps()) EXPECT_EQ(gap, static_cast<int32_t>(c.gapFrames));
        EXPECT_EQ(ActiveCount(), 0u);
        EXPECT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 0u);
        Unload();
    }
}

TEST_F(ContinuousChain, ItemsCutShortAreFollowedAtOnceForEver) {
    // An item that does not play out leaves no frames in flight: the next plays at once.
    voices.endShort = true;
    LoadNodes({RanSeqRecord(50, Sequence({1, 2, 3}, 0))});
    SoundEngine::PostEvent(100, kObject);
    Frames(70);
    ASSERT_GE(voices.voices.size(), 9u);
    for (size_t i = 0; i < voices.voices.size(); ++i) EXPECT_EQ(voices.voices[i].node, i % 3 + 1);
    for (int32_t gap : Gaps()) EXPECT_EQ(gap, 1) << "started by the frame that ended the item before";
}

TEST_F(ContinuousChain, LoopCountsOfOneChildAndEndlessChains) {
    // One child: played as many times as the loop count.
    LoadNodes({RanSeqRecord(50, Sequence({2}, 3))});
    SoundEngine::PostEvent(100, kObject);
    Frames(100);
    EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{2, 2, 2}));
    Unload();
    // Loop count 0 goes on until stopped; the stop drops the waiting item.
    voices.voices.clear();
    LoadNodes({RanSeqRecord(50, Sequence({1, 2}, 0, 3, 500.0f))});
    SoundEngine::PostEvent(100, kObject);
    Frames(200);
    const size_t played = voices.voices.size();
    EXPECT_GE(played, 6u);
    for (size_t i = 0; i < played; ++i) EXPECT_EQ(voices.voices[i].node, i % 2 ? 2u : 1u);
    SoundEngine::PostEvent(101, kObject);
    Frames(60);
    EXPECT_LE(voices.voices.size(), played + 1) << "nothing starts after the stop";
    EXPECT_EQ(ActiveCount(), 0u);
    EXPECT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 0u);
}

TEST_F(ContinuousChain, CrossfadeStartsTheNextItemBeforeTheEnd) {
    // Items of 1000 ms under a 2000 ms crossfade: the fade is half the item, 500 ms, and starts
    // 500 ms before the end.
    voices.lengths = {{1, 1000.0f}, {2, 1000.0f}};
    LoadNodes({RanSeqRecord(50, Sequence({1, 2}, 1, 1, 2000.0f))});
    SoundEngine::PostEvent(100, kObject);
    Frames(2);
    ASSERT_EQ(voices.voices.size(), 1u);
    CSxPBI* first = voices.voices[0].instance;
    auto* continuous = dynamic_cast<CSxContinuousPBI*>(first);
    ASSERT_NE(continuous, nullptr) << "a chain's sound gets a continuous instance";
    EXPECT_EQ(continuous->Transition(), CSxContinuousPBI::Transition_Crossfade);
    EXPECT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 1u)
        << "scheduled when the start reported the time left";
    const uint32_t due = voices.voices[0].startFrame + FramesOf(24000);
    while (g_uSxAudioFrameCounter <= due + 1 && voices.voices.size() < 2) Frames(1);
    ASSERT_EQ(voices.voices.size(), 2u);
    EXPECT_EQ(voices.voices[1].startFrame, due);
    EXPECT_FALSE(voices.voices[0].ended) << "both items sound during the crossfade";
    EXPECT_TRUE(first->IsStopRequested()) << "the first item fades out";
    Frames(40);
    EXPECT_TRUE(voices.voices[0].ended);
    EXPECT_FALSE(voices.voices[0].finished) << "its fade-out ended it";
    Frames(100);
    EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 2}));

    // With 40 ms left a crossfade waits for the end.
    Unload();
    voices.voices.clear();
    voices.lengths = {{1, 40.0f}, {2, 40.0f}};
    LoadNodes({RanSeqRecord(50, Sequence({1, 2}, 1, 1, 2000.0f))});
    SoundEngine::PostEvent(100, kObject);
    Frames(2);
    EXPECT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 0u);
    Frames(60);
    EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 2}));
    EXPECT_TRUE(voices.voices[0].finished);
}

TEST_F(ContinuousChain, TriggerRateStartsItemsAtTheRateWhileOthersPlay) {
    voices.lengths = {{1, 1000.0f}, {2, 1000.0f}, {3, 1000.0f}};
    LoadNodes({RanSeqRecord(50, Sequence({1, 2, 3}, 1, 5, 100.0f))});
    SoundEngine::PostEvent(100, kObject);
    Frames(30);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 2, 3}));
    // 100 ms is 4800 samples, counted from each start.
    const std::vector<uint32_t> starts = voices.Starts();
    EXPECT_EQ(starts[1] - starts[0], FramesOf(4800));
    EXPECT_EQ(starts[2] - starts[1], FramesOf(4800));
    EXPECT_EQ(ActiveCount(), 3u) << "the items overlap";
}

TEST_F(ContinuousChain, ASwitchChangeDuringTheChainDecidesTheNextItem) {
    // Sequence 50 over switch container 60 (A: sound 1, B: sound 2) and sound 3.
    bw::Switch sw;
    sw.groupID = kGroup;
    sw.defaultSwitch = kA;
    sw.children = {1, 2};
    sw.switches = {{kA, {1}}, {kB, {2}}};
    LoadNodes({bw::Record(SxHirc_Switch, bw::SwitchBody(60, bw::NodeBase(), sw)),
               RanSeqRecord(50, Sequence({60, 3}, 2, 3, 300.0f))});
    SoundEngine::PostEvent(100, kObject);
    Frames(2);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1}));
    // The change while sound 1 plays leaves it alone; the chain's next visit of the switch
    // container plays the new value's child.
    SoundEngine::SetSwitch(kGroup, kB, kObject);
    Frames(200);
    EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 3, 2, 3}));
    EXPECT_TRUE(voices.voices[0].finished);
    // 300 ms is 14400 samples, above the frames in flight.
    for (int32_t gap : Gaps()) EXPECT_EQ(gap, static_cast<int32_t>(FramesOf(14400)));
}

TEST_F(ContinuousChain, AFollowingSwitchContainerBreaksTheChainAndStartsTheNewChild) {
    // Switch container 50 follows the group: A plays chain 40 (1, 2 for ever), B sound 3.
    voices.lengths = {{1, 500.0f}, {2, 500.0f}};
    bw::Switch sw;
    sw.groupID = kGroup;
    sw.defaultSwitch = kA;
    sw.continuousValidation = true;
    sw.children = {40, 3};
    sw.switches = {{kA, {40}}, {kB, {3}}};
    LoadNodes(
        {RanSeqRecord(40, Sequence({1, 2}, 0)), bw::Record(SxHirc_Switch, bw::SwitchBody(50, bw::NodeBase(), sw))});
    SoundEngine::PostEvent(100, kObject);
    Frames(3);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1}));
    const uint32_t changed = g_uSxAudioFrameCounter;
    SoundEngine::SetSwitch(kGroup, kB, kObject);
    Frames(1);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 3})) << "the new child starts with the change";
    EXPECT_EQ(voices.voices[1].startFrame, changed);
    Frames(100);
    EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 3})) << "the broken chain plays out its item only";
    EXPECT_TRUE(voices.voices[0].finished);
    EXPECT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 0u);
}

TEST_F(ContinuousChain, StoppingANestedLevelWhileItsNextItemWaitsGoesOnAbove) {
    // Chain 50 plays chain 40 (1, 2, with a 500 ms delay) then sound 3.
    LoadNodes({RanSeqRecord(40, Sequence({1, 2}, 1, 3, 500.0f)), RanSeqRecord(50, Sequence({40, 3}, 1))});
    SoundEngine::PostEvent(100, kObject);
    Frames(10);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1}));
    ASSERT_TRUE(voices.voices[0].ended);
    ASSERT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 1u) << "sound 2 waits for its delay";
    SoundEngine::PostEvent(102, kObject);
    Frames(60);
    EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 3})) << "the outer chain goes on in place of sound 2";
    // Stopping the top while an item waits drops it.
    Unload();
    voices.voices.clear();
    LoadNodes({RanSeqRecord(40, Sequence({1, 2}, 1, 3, 500.0f)), RanSeqRecord(50, Sequence({40, 3}, 1))});
    SoundEngine::PostEvent(100, kObject);
    Frames(10);
    ASSERT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 1u);
    SoundEngine::PostEvent(101, kObject);
    Frames(60);
    EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{1}));
    EXPECT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 0u);
}

TEST_F(ContinuousChain, PausingTheChainHoldsTheItemThatWaits) {
    // Sound 2 waits 500 ms (22 frames) after sound 1; the chain is paused 5 frames into the wait
    // for 30 frames.
    LoadNodes({RanSeqRecord(50, Sequence({1, 2}, 1, 3, 500.0f))});
    SoundEngine::PostEvent(100, kObject);
    Frames(10);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1}));
    ASSERT_TRUE(voices.voices[0].ended);
    const uint32_t ended = voices.voices[0].endFrame;
    while (g_uSxAudioFrameCounter < ended + 5) Frames(1);
    SoundEngine::ExecuteActionOnEvent(100, SxActionOnEvent_Pause, kObject);
    Frames(30);
    EXPECT_EQ(voices.Order(), (std::vector<SxUniqueID>{1})) << "nothing starts while the chain is paused";
    EXPECT_EQ(qvtest::AudioMgrProbe::PausedCount(*g_pAudioMgr), 1u);
    const uint32_t resumed = g_uSxAudioFrameCounter;
    SoundEngine::ExecuteActionOnEvent(100, SxActionOnEvent_Resume, kObject);
    Frames(30);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 2}));
    // The rest of the wait runs after the resume.
    EXPECT_GE(voices.voices[1].startFrame, resumed + FramesOf(24000) - 6);
    EXPECT_LE(voices.voices[1].startFrame, resumed + FramesOf(24000) - 3);
}

TEST_F(ContinuousChain, AnItemEndingUnderAPauseHoldsItsSuccessorUntilTheResume) {
    // Sound 1 plays to its end under a pause that fades out over 200 ms; sound 2 is scheduled,
    // for after the frames in flight, by a paused chain.
    LoadNodes({RanSeqRecord(50, Sequence({1, 2}, 1))});
    SoundEngine::PostEvent(100, kObject);
    Frames(2);
    SoundEngine::ExecuteActionOnEvent(100, SxActionOnEvent_Pause, kObject, 200);
    Frames(30);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1}));
    EXPECT_TRUE(voices.voices[0].finished);
    EXPECT_EQ(qvtest::AudioMgrProbe::PausedCount(*g_pAudioMgr), 1u) << "held from its scheduling";
    const uint32_t resumed = g_uSxAudioFrameCounter;
    SoundEngine::ExecuteActionOnEvent(100, SxActionOnEvent_Resume, kObject);
    Frames(30);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 2}));
    EXPECT_EQ(voices.voices[1].startFrame, resumed + FramesOf((g_pAudioMgr->LookAhead() + 10) * 1024))
        << "the whole wait runs after the resume";
}

TEST_F(ContinuousChain, ItemsOfOverlappingChainsCannotBeSought) {
    // A seek would move the item away from the time its successor was scheduled for.
    struct Case {
        uint8_t mode;
        bool seeks;
    };
    for (const Case c : {Case{0, true}, Case{3, true}, Case{1, false}, Case{2, false}, Case{5, false}}) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        voices.voices.clear();
        voices.lengths = {{1, 1000.0f}, {2, 1000.0f}};
        LoadNodes({RanSeqRecord(50, Sequence({1, 2}, 1, c.mode, 100.0f))});
        SoundEngine::PostEvent(100, kObject);
        Frames(2);
        ASSERT_FALSE(voices.voices.empty());
        SoundEngine::SeekOnEvent(100, kObject, 500);
        Frames(1);
        EXPECT_EQ(voices.voices[0].instance->SeekPosition() != 0, c.seeks);
        SoundEngine::StopAll();
        Frames(2);
        Unload();
    }
}

TEST_F(ContinuousChain, ALayerContainerInTheChainGoesOnAfterItsLongestChild) {
    // Chain 50 plays layer container 60 (sounds 1 of 100 ms and 2 of 300 ms at once), then 3.
    voices.lengths = {{1, 100.0f}, {2, 300.0f}};
    LoadNodes({bw::Record(SxHirc_Layer, bw::LayerContainerBody(60, bw::NodeBase(), {1, 2}, {})),
               RanSeqRecord(50, Sequence({60, 3}, 1))});
    SoundEngine::PostEvent(100, kObject);
    Frames(60);
    ASSERT_EQ(voices.Order().size(), 3u);
    EXPECT_EQ(voices.voices[2].node, 3u);
    const uint32_t lastEnd = std::max(voices.voices[0].endFrame, voices.voices[1].endFrame);
    EXPECT_GT(voices.voices[1].endFrame, voices.voices[0].endFrame);
    EXPECT_EQ(voices.voices[2].startFrame, lastEnd + FramesOf((g_pAudioMgr->LookAhead() + 10) * 1024))
        << "the next item waits for the last child of the layers";
    EXPECT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 0u);
}

TEST_F(ContinuousChain, ChainsOfTheChildrenOfALayerContainerHandTheOuterChainOnFromTheLastToEnd) {
    // Chain 50 plays layer container 60 (chain 40 of sounds 1 and 2, and sound 4), then sound 3.
    struct Case {
        float sound4Ms;
        SxUniqueID last;  // the child whose end the outer chain waits for
    };
    for (const Case c : {Case{50.0f, 2}, Case{1000.0f, 4}}) {
        SCOPED_TRACE(c.sound4Ms);
        voices.voices.clear();
        voices.lengths = {{1, 100.0f}, {2, 100.0f}, {4, c.sound4Ms}};
        LoadNodes({RanSeqRecord(40, Sequence({1, 2}, 1)),
                   bw::Record(SxHirc_Layer, bw::LayerContainerBody(60, bw::NodeBase(), {40, 4}, {})),
                   RanSeqRecord(50, Sequence({60, 3}, 1))});
        SoundEngine::PostEvent(100, kObject);
        Frames(120);
        std::map<SxUniqueID, const sxtest::TimedVoices::Voice*> by;
        for (const auto& voice : voices.voices) by[voice.node] = &voice;
        ASSERT_EQ(voices.voices.size(), 4u) << "each item once";
        ASSERT_EQ(by.size(), 4u);
        EXPECT_EQ(by[1]->startFrame, by[4]->startFrame) << "the layers start together";
        EXPECT_EQ(by[2]->startFrame, by[1]->endFrame + FramesOf((g_pAudioMgr->LookAhead() + 10) * 1024));
        EXPECT_EQ(by[3]->startFrame, by[c.last]->endFrame + FramesOf((g_pAudioMgr->LookAhead() + 10) * 1024));
        EXPECT_EQ(qvtest::MultiPlayProbe::ChainCount(*Find<CSxLayerCntr>(SxIndex_Node, 60)), 0u);
        EXPECT_EQ(ActiveCount(), 0u);
        EXPECT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 0u);
        Unload();
    }
}

TEST_F(ContinuousChain, ATriggerRateMovesOnFromALayerContainerAtItsRate) {
    // Chain 50 plays layer container 60 (sounds 1 and 2 of 1000 ms), then sound 3, each item
    // 100 ms after the one before starts.
    voices.lengths = {{1, 1000.0f}, {2, 1000.0f}, {3, 1000.0f}};
    LoadNodes({bw::Record(SxHirc_Layer, bw::LayerContainerBody(60, bw::NodeBase(), {1, 2}, {})),
               RanSeqRecord(50, Sequence({60, 3}, 1, 5, 100.0f))});
    SoundEngine::PostEvent(100, kObject);
    Frames(30);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 2, 3}));
    EXPECT_EQ(voices.voices[1].startFrame, voices.voices[0].startFrame);
    EXPECT_EQ(voices.voices[2].startFrame - voices.voices[0].startFrame, FramesOf(4800));
    EXPECT_EQ(ActiveCount(), 3u) << "the items overlap";
}

TEST_F(ContinuousChain, ACrossfadeWaitsForTheLastChildOfALayerContainer) {
    // Chain 50 crossfades over 200 ms from layer container 60 (sounds 1 of 500 ms and 2 of
    // 1000 ms) to sound 3: one child cannot fade the item out while the other plays on, so
    // sound 3 starts when sound 2 ends.
    voices.lengths = {{1, 500.0f}, {2, 1000.0f}};
    LoadNodes({bw::Record(SxHirc_Layer, bw::LayerContainerBody(60, bw::NodeBase(), {1, 2}, {})),
               RanSeqRecord(50, Sequence({60, 3}, 1, 1, 200.0f))});
    SoundEngine::PostEvent(100, kObject);
    Frames(80);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 2, 3}));
    EXPECT_TRUE(voices.voices[0].finished && voices.voices[1].finished) << "neither child is faded out";
    const uint32_t inFlight = FramesOf((g_pAudioMgr->LookAhead() + 10) * 1024);
    EXPECT_EQ(voices.voices[2].startFrame, voices.voices[1].endFrame + inFlight);
}

TEST_F(ContinuousChain, AFollowingSwitchContainerHoldsTheChainItsChildrenEnd) {
    // Chain 50 plays switch container 60 (value A: sounds 1 and 2), then sound 3. Following its
    // group, the container keeps the chain once its children end; otherwise the chain goes on.
    for (const bool following : {false, true}) {
        SCOPED_TRACE(following);
        voices.voices.clear();
        bw::Switch sw;
        sw.groupID = kGroup;
        sw.defaultSwitch = kA;
        sw.continuousValidation = following;
        sw.children = {1, 2};
        sw.switches = {{kA, {1, 2}}};
        LoadNodes({bw::Record(SxHirc_Switch, bw::SwitchBody(60, bw::NodeBase(), sw)),
                   RanSeqRecord(50, Sequence({60, 3}, 1))});
        SoundEngine::PostEvent(100, kObject);
        Frames(80);
        EXPECT_EQ(voices.Order(), following ? (std::vector<SxUniqueID>{1, 2}) : (std::vector<SxUniqueID>{1, 2, 3}));
        EXPECT_EQ(qvtest::MultiPlayProbe::ChainCount(*Find<CSxSwitchCntr>(SxIndex_Node, 60)), 0u)
            << "the container lets the chain go";
        EXPECT_EQ(ActiveCount(), 0u);
        EXPECT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 0u);
        SoundEngine::StopAll();
        Frames(2);
        Unload();
    }
}

TEST_F(ContinuousChain, ALayerContainerThatPlaysNothingGivesWayToTheNextItem) {
    LoadNodes({bw::Record(SxHirc_Layer, bw::LayerContainerBody(60, bw::NodeBase(), {}, {})),
               RanSeqRecord(50, Sequence({1, 60, 3}, 1))});
    SoundEngine::PostEvent(100, kObject);
    Frames(80);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 3}));
    // Sound 1 ends, the layers' turn comes after the frames in flight, and sound 3 10 frames on.
    EXPECT_EQ(voices.voices[1].startFrame, voices.voices[0].endFrame + FramesOf(11264) + FramesOf(10 * 1024));
    EXPECT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 0u);
}

TEST_F(ContinuousChain, StoppingWithinALayerContainerOfAChain) {
    // Chain 50 plays layer container 60 (chain 40 of sounds 1 and 2 with a 500 ms delay, and
    // sound 4), then sound 3. Event 102 stops chain 40 while sound 2 waits, after sound 4 ended:
    // the outer chain goes on. Stopping the layer container itself ends the whole chain.
    struct Case {
        SxUniqueID stopped;
        std::vector<SxUniqueID> order;
    };
    for (const Case& c : {Case{40, {4, 1, 3}}, Case{60, {4, 1}}}) {
        SCOPED_TRACE(c.stopped);
        voices.voices.clear();
        voices.lengths = {{1, 100.0f}, {4, 50.0f}};
        LoadNodes({RanSeqRecord(40, Sequence({1, 2}, 1, 3, 500.0f)),
                   bw::Record(SxHirc_Layer, bw::LayerContainerBody(60, bw::NodeBase(), {40, 4}, {})),
                   RanSeqRecord(50, Sequence({60, 3}, 1)),
                   bw::Record(SxHirc_Action, bw::ActionBody(203, 0x0103, c.stopped, {}, {}, bw::ActiveParams(4, {}))),
                   bw::Record(SxHirc_Event, bw::EventBody(103, {203}))});
        SoundEngine::PostEvent(100, kObject);
        Frames(10);
        ASSERT_EQ(voices.voices.size(), 2u);
        ASSERT_TRUE(voices.voices[0].ended && voices.voices[1].ended);
        ASSERT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 1u) << "sound 2 waits for its delay";
        EXPECT_EQ(qvtest::MultiPlayProbe::ChainCount(*Find<CSxLayerCntr>(SxIndex_Node, 60)), 1u) << "held for sound 2";
        SoundEngine::PostEvent(103, kObject);
        Frames(60);
        EXPECT_EQ(voices.Order(), c.order);
        EXPECT_EQ(qvtest::MultiPlayProbe::ChainCount(*Find<CSxLayerCntr>(SxIndex_Node, 60)), 0u);
        EXPECT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 0u);
        Unload();
    }
}

TEST_F(ContinuousChain, ASwitchItemGoesOnAfterTheLongestChildOfItsValue) {
    // Chain 50 plays switch container 60, whose value A holds sounds 1 (100 ms) and 2 (300 ms)
    // and B sound 2 alone, then sound 3.
    voices.lengths = {{1, 100.0f}, {2, 300.0f}};
    bw::Switch sw;
    sw.groupID = kGroup;
    sw.defaultSwitch = kA;
    sw.children = {1, 2};
    sw.switches = {{kA, {1, 2}}, {kB, {2}}};
    LoadNodes(
        {bw::Record(SxHirc_Switch, bw::SwitchBody(60, bw::NodeBase(), sw)), RanSeqRecord(50, Sequence({60, 3}, 1))});
    SoundEngine::PostEvent(100, kObject);
    Frames(60);
    ASSERT_EQ(voices.Order(), (std::vector<SxUniqueID>{1, 2, 3}));
    EXPECT_GT(voices.voices[1].endFrame, voices.voices[0].endFrame);
    EXPECT_EQ(voices.voices[2].startFrame, voices.voices[1].endFrame + FramesOf((g_pAudioMgr->LookAhead() + 10) * 1024))
        << "the next item waits for the last child of the value";
    EXPECT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 0u);
}

TEST_F(ContinuousChain, TerminatingTheEngineEndsAnEndlessChain) {
    // An item cut short would follow itself at once for ever if termination went on with the
    // chain (the playing instance keeps the sound loaded).
    voices.endShort = true;
    LoadNodes({RanSeqRecord(50, Sequence({1}, 0))});
    SoundEngine::PostEvent(100, kObject);
    Frames(3);
    ASSERT_EQ(qvtest::URendererProbe::ActiveCount(), 1u);
    Unload();
    SoundEngine::Term();
    EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), 0u);
    // A fresh engine for the fixture to end.
    voices.voices.clear();
    ASSERT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success);
    g_pAudioMgr->StopThread();
}

TEST_F(ContinuousChain, AnItemThatCannotPlayGivesWayToTheNext) {
    // Sound 2 allows one instance, which event 211 takes first; sound 4 names an attenuation
    // that is not loaded, so its instance cannot start.
    bw::NodeBase limited;
    limited.advanced.maxInstances = 1;
    limited.advanced.killNewest = true;
    limited.advanced.overrideLimit = true;
    bw::NodeBase unattenuated;
    unattenuated.positioning.overrideParent = true;
    unattenuated.positioning.is3D = true;
    unattenuated.positioning.type = 1;
    unattenuated.positioning.attenuationID = 999;
    voices.lengths = {{2, 10000.0f}};
    struct Case {
        SxUniqueID failing;
        uint32_t samples;  // from the failed item's turn to the next item
    } cases[] = {{2, 10 * 1024}, {4, (g_pAudioMgr->LookAhead() + 10) * 1024}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        voices.voices.clear();
        LoadNodes({RanSeqRecord(50, Sequence({1, c.failing, 3}, 1)),
                   bw::Record(SxHirc_Action, bw::ActionBody(210, 0x0403, 2, {}, {}, bw::PlayParams(4, 0))),
                   bw::Record(SxHirc_Event, bw::EventBody(211, {210}))},
                  {{2, limited}, {4, unattenuated}});
        SoundEngine::PostEvent(211, kObject);
        Frames(1);
        SoundEngine::PostEvent(100, kObject);
        Frames(80);
        std::vector<SxUniqueID> chain;
        for (const auto& voice : voices.voices)
            if (voice.node != 2) chain.push_back(voice.node);
        EXPECT_EQ(chain, (std::vector<SxUniqueID>{1, 3})) << "the chain skips what cannot play, once";
        // Sound 1 ends, its successor's turn comes 10 frames later, and sound 3 follows it.
        const auto& first = voices.voices[1];
        const auto& third = voices.voices.back();
        EXPECT_EQ(third.startFrame, first.endFrame + FramesOf(11264) + FramesOf(c.samples));
        EXPECT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 0u);
        SoundEngine::StopAll();
        Frames(2);
        Unload();
    }
}

}  // namespace
