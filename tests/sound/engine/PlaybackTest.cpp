#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "SxHierarchyFixture.h"
#include "sound/engine/hierarchy/CSxParentNode.h"
#include "sound/engine/hierarchy/CSxSound.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/upper/CSxLEngineCmds.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "tests/sound/engine/SxAudioMgrProbe.h"
#include "tests/sound/engine/SxRenderProbes.h"
#include "tests/sound/engine/SxStateProbes.h"

using namespace SX;
namespace bw = bankwriter;

namespace {

// IDs of the test bank.
constexpr SxUniqueID kSound = 100, kMixer = 200;
constexpr SxUniqueID kPlayEvent = 1000, kStopEvent = 1010, kPauseEvent = 1020, kResumeEvent = 1030,
                     kMasterResumeEvent = 1040;

// Voices that play until they are stopped; every command they receive is logged.
class VoiceLog : public ISxVoiceLayer {
public:
    struct Entry {
        SxPlayingID playingID;
        SxLowerCommand command;
    };
    bool StartVoice(CSxPBI& instance, bool paused) override {
        log.push_back({instance.PlayingID(), paused ? SxLowerCmd_PlayPaused : SxLowerCmd_Play});
        instance.SetVoiceContext(this);
        instance.NotifyStarted(1000.0f);
        return true;
    }
    void Command(CSxPBI& instance, SxLowerCommand command) override {
        log.push_back({instance.PlayingID(), command});
        if (command == SxLowerCmd_Stop) instance.Destroy(1);
        if (command == SxLowerCmd_Pause) instance.NotifyPaused();
        if (command == SxLowerCmd_Resume) instance.NotifyResumed();
    }
    size_t Count(SxLowerCommand command, SxPlayingID id = 0) const {
        return std::count_if(log.begin(), log.end(),
                             [&](const Entry& e) { return e.command == command && (id == 0 || e.playingID == id); });
    }
    std::vector<Entry> log;
};

std::vector<SxPlayingID> g_ended;
void OnEvent(SxCallbackType type, SxCallbackInfo* info) {
    if (type == SxCallback_EndOfEvent) g_ended.push_back(info->playingID);
}

class Playback : public sxtest::HierarchyEngine {
protected:
    void SetUp() override {
        HierarchyEngine::SetUp();
        g_ended.clear();
        const auto action = [](SxUniqueID id, uint16_t type, const bw::Bytes& params,
                               std::vector<bw::Prop> props = {}) {
            return bw::Record(SxHirc_Action, bw::ActionBody(id, type, kSound, props, {}, params));
        };
        ASSERT_EQ(Load({
                      bw::Record(SxHirc_Sound, bw::SoundBody(kSound, bw::Source(), bw::NodeBase())),
                      bw::Record(SxHirc_ActorMixer, bw::ActorMixerBody(kMixer, bw::NodeBase(), {kSound})),
                      action(kPlayEvent + 1, 0x0403, bw::PlayParams(4, 0)),
                      action(kStopEvent + 1, 0x0103, bw::ActiveParams(4, {})),
                      action(kPauseEvent + 1, 0x0203, bw::ActiveParams(4, 1, {})),
                      action(kResumeEvent + 1, 0x0303, bw::ActiveParams(4, 0, {})),
                      action(kMasterResumeEvent + 1, 0x0303, bw::ActiveParams(4, 1, {})),
                      bw::Record(SxHirc_Event, bw::EventBody(kPlayEvent, {kPlayEvent + 1})),
                      bw::Record(SxHirc_Event, bw::EventBody(kStopEvent, {kStopEvent + 1})),
                      bw::Record(SxHirc_Event, bw::EventBody(kPauseEvent, {kPauseEvent + 1})),
                      bw::Record(SxHirc_Event, bw::EventBody(kResumeEvent, {kResumeEvent + 1})),
                      bw::Record(SxHirc_Event, bw::EventBody(kMasterResumeEvent, {kMasterResumeEvent + 1})),
                  }),
                  SX_Success);
        for (SxGameObjectID object : {5u, 6u}) SoundEngine::RegisterGameObj(object);
        ApplyMessages();
    }
    void TearDown() override {
        CSxLEngineCmds::SetVoiceLayer(nullptr);
        HierarchyEngine::TearDown();
    }
    SxPlayingID Post(SxUniqueID event, SxGameObjectID object) {
        return SoundEngine::PostEvent(event, object, SxCallback_EndOfEvent, OnEvent);
    }
    std::set<SxPlayingID> Playing() {
        std::set<SxPlayingID> ids;
        for (CSxPBI* i = CSxURenderer::FirstActive(); i; i = CSxURenderer::NextActive(i)) ids.insert(i->PlayingID());
        return ids;
    }
    CSxSound* Sound() { return Find<CSxSound>(SxIndex_Node, kSound); }
    VoiceLog voices;
};

TEST_F(Playback, WithoutVoicesEachPlayIsCreatedCountedAndEnded) {
    const SxPlayingID id = Post(kPlayEvent, 5);
    ASSERT_NE(id, 0u);
    ApplyMessages();  // the play action runs; the lower engine has not had a frame yet
    ASSERT_EQ(qvtest::URendererProbe::ActiveCount(), 1u);
    CSxPBI* instance = CSxURenderer::FirstActive();
    EXPECT_EQ(instance->PlayingID(), id);
    EXPECT_EQ(instance->Node(), Sound());
    EXPECT_EQ(instance->GameObj()->ID(), 5u);
    EXPECT_EQ(qvtest::NodeProbe::PlayCount(*Sound()), 1u);
    EXPECT_EQ(qvtest::NodeProbe::PlayCount(*Find<CSxActorMixer>(SxIndex_Node, kMixer)), 1u) << "counted up the tree";
    EXPECT_TRUE(g_pPlayingMgr->IsActive(id));
    EXPECT_TRUE(g_ended.empty());

    RunFrame();  // the lower engine finds nothing to play: the instance ends
    EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), 0u);
    EXPECT_EQ(qvtest::NodeProbe::PlayCount(*Sound()), 0u);
    EXPECT_EQ(qvtest::NodeProbe::PlayCount(*Find<CSxActorMixer>(SxIndex_Node, kMixer)), 0u);
    EXPECT_EQ(Sound()->RefCount(), 1u) << "only the bank's reference is left";
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
    EXPECT_FALSE(g_pPlayingMgr->IsActive(id));
}

TEST_F(Playback, EventsOnUnregisteredObjectsOrUnknownTargetsPlayNothingAndStillEnd) {
    const SxPlayingID unregistered = Post(kPlayEvent, 77);
    ApplyMessages();
    EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), 0u);
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{unregistered});
    EXPECT_EQ(SoundEngine::PostEvent(4242u, 5), 0u) << "an event that is not loaded";

    // A play action whose target left: unload the sound but keep the event.
    {
        platform::Lock lock(g_csMain);
        loaded[0]->Release();
        loaded.erase(loaded.begin());
    }
    g_ended.clear();
    const SxPlayingID orphan = Post(kPlayEvent, 5);
    ApplyMessages();
    EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), 0u);
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{orphan});
}

TEST_F(Playback, StopsReachWhatTheyNameAndNothingElse) {
    CSxLEngineCmds::SetVoiceLayer(&voices);
    struct Case {
        const char* what;
        void (*stop)(SxPlayingID first, SxPlayingID second, SxPlayingID third);
        std::vector<int> left;  // which of the three keep playing
    } cases[] = {
        {"by playing ID",
         [](SxPlayingID, SxPlayingID second, SxPlayingID) { SoundEngine::StopPlayingID(second); },
         {0, 2}},
        {"by object through a stop event",
         [](SxPlayingID, SxPlayingID, SxPlayingID) { SoundEngine::PostEvent(kStopEvent, 5); },
         {2}},
        {"by object through StopAll", [](SxPlayingID, SxPlayingID, SxPlayingID) { SoundEngine::StopAll(6); }, {0, 1}},
        {"all", [](SxPlayingID, SxPlayingID, SxPlayingID) { SoundEngine::StopAll(); }, {}},
        {"by event and object",
         [](SxPlayingID, SxPlayingID, SxPlayingID) {
             SoundEngine::ExecuteActionOnEvent(kPlayEvent, SxActionOnEvent_Stop, 6);
         },
         {0, 1}},
        {"by event and playing ID",
         [](SxPlayingID first, SxPlayingID, SxPlayingID) {
             SoundEngine::ExecuteActionOnEvent(kPlayEvent, SxActionOnEvent_Stop, SxAllGameObjects, 0, SxCurve_Linear,
                                               first);
         },
         {1, 2}},
    };
    for (const Case& c : cases) {
        const SxPlayingID ids[3] = {Post(kPlayEvent, 5), Post(kPlayEvent, 5), Post(kPlayEvent, 6)};
        RunFrame();
        ASSERT_EQ(Playing(), (std::set<SxPlayingID>{ids[0], ids[1], ids[2]})) << c.what;
        g_ended.clear();
        c.stop(ids[0], ids[1], ids[2]);
        RunFrame();
        std::set<SxPlayingID> expected;
        for (int i : c.left) expected.insert(ids[i]);
        EXPECT_EQ(Playing(), expected) << c.what;
        EXPECT_EQ(g_ended.size(), 3 - c.left.size()) << c.what;
        SoundEngine::StopAll();
        RunFrame();
        ASSERT_EQ(qvtest::URendererProbe::ActiveCount(), 0u);
    }
    EXPECT_EQ(qvtest::NodeProbe::PlayCount(*Sound()), 0u);
}

TEST_F(Playback, PauseAndResumeCountLevelsUnlessTheResumeIsMaster) {
    CSxLEngineCmds::SetVoiceLayer(&voices);
    const SxPlayingID id = Post(kPlayEvent, 5);
    RunFrame();
    Post(kPauseEvent, 5);
    Post(kPauseEvent, 5);
    RunFrame();
    CSxPBI* instance = CSxURenderer::FirstActive();
    ASSERT_NE(instance, nullptr);
    EXPECT_TRUE(instance->IsPaused());
    EXPECT_EQ(instance->PauseCount(), 2u);
    EXPECT_EQ(voices.Count(SxLowerCmd_Pause, id), 1u) << "the voice pauses once";

    Post(kResumeEvent, 5);
    RunFrame();
    EXPECT_TRUE(instance->IsPaused()) << "one of two pauses undone";
    EXPECT_EQ(voices.Count(SxLowerCmd_Resume, id), 0u);
    Post(kResumeEvent, 5);
    RunFrame();
    EXPECT_FALSE(instance->IsPaused());
    EXPECT_EQ(voices.Count(SxLowerCmd_Resume, id), 1u);

    for (int i = 0; i < 3; ++i) Post(kPauseEvent, 5);
    RunFrame();
    Post(kMasterResumeEvent, 5);
    RunFrame();
    EXPECT_FALSE(instance->IsPaused()) << "a master resume undoes every level";
    EXPECT_FLOAT_EQ(qvtest::PBIProbe::PauseRatio(*instance), 1.0f);

    SoundEngine::ExecuteActionOnEvent(kPlayEvent, SxActionOnEvent_Pause, 5);
    RunFrame();
    EXPECT_TRUE(instance->IsPaused()) << "an action on the play event pauses what it played";
    SoundEngine::ExecuteActionOnEvent(kPlayEvent, SxActionOnEvent_Resume, 5);
    RunFrame();
    EXPECT_FALSE(instance->IsPaused());
}

TEST_F(Playback, APauseLeavesWaitingResumeActionsAloneUnlessItsFlagSaysOtherwise) {
    ASSERT_EQ(Load({bw::Record(SxHirc_Action, bw::ActionBody(1051, 0x0303, kSound, {bw::PropI(SxProp_DelayTime, 1000)},
                                                             {}, bw::ActiveParams(4, 0, {}))),
                    bw::Record(SxHirc_Event, bw::EventBody(1050, {1051})),
                    bw::Record(SxHirc_Action, bw::ActionBody(1061, 0x0203, kSound, {}, {}, bw::ActiveParams(4, 0, {}))),
                    bw::Record(SxHirc_Event, bw::EventBody(1060, {1061}))}),
              SX_Success);
    SoundEngine::PostEvent(1050, 5);  // a resume a second from now
    ApplyMessages();
    ASSERT_EQ(qvtest::AudioMgrProbe::PendingCount(*g_pAudioMgr), 1u);
    SoundEngine::PostEvent(1060, 5);  // a pause that leaves resumes alone
    ApplyMessages();
    EXPECT_EQ(qvtest::AudioMgrProbe::PausedCount(*g_pAudioMgr), 0u);
    SoundEngine::PostEvent(kPauseEvent, 5);  // a pause that takes them too
    ApplyMessages();
    EXPECT_EQ(qvtest::AudioMgrProbe::PausedCount(*g_pAudioMgr), 1u);
}

TEST_F(Playback, AStopBeforeTheVoiceStartedEndsTheInstanceWithoutAVoice) {
    CSxLEngineCmds::SetVoiceLayer(&voices);
    const SxPlayingID id = Post(kPlayEvent, 5);
    SoundEngine::PostEvent(kStopEvent, 5);
    RunFrame();
    EXPECT_EQ(voices.log.size(), 0u) << "the play was withdrawn before the lower engine ran";
    EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), 0u);
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
}

TEST_F(Playback, AFadeOutRampsTheVolumeDownThenStopsTheVoice) {
    CSxLEngineCmds::SetVoiceLayer(&voices);
    const SxPlayingID id = Post(kPlayEvent, 5);
    RunFrame();
    SoundEngine::ExecuteActionOnEvent(kPlayEvent, SxActionOnEvent_Stop, 5, 200);
    RunFrame();
    CSxPBI* instance = CSxURenderer::FirstActive();
    ASSERT_NE(instance, nullptr) << "still fading";
    const float first = qvtest::PBIProbe::PlayStopRatio(*instance);
    EXPECT_LT(first, 1.0f);
    EXPECT_GT(first, 0.0f);
    RunFrame();
    EXPECT_LT(qvtest::PBIProbe::PlayStopRatio(*instance), first);
    EXPECT_EQ(voices.Count(SxLowerCmd_Stop, id), 0u);
    for (int i = 0; i < 12 && qvtest::URendererProbe::ActiveCount(); ++i) RunFrame();
    EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), 0u);
    EXPECT_EQ(voices.Count(SxLowerCmd_Stop, id), 1u);
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
}

TEST_F(Playback, ManyCommandsInOneFrameAndStopsWithNoMemoryLeftAreAllKept) {
    CSxLEngineCmds::SetVoiceLayer(&voices);
    std::vector<SxPlayingID> ids;
    for (int i = 0; i < 150; ++i) ids.push_back(Post(kPlayEvent, 5));
    RunFrame();
    ASSERT_EQ(qvtest::URendererProbe::ActiveCount(), 150u);
    EXPECT_EQ(voices.Count(SxLowerCmd_Play), 150u) << "more than the 64 preallocated commands";

    // Take every byte the default pool has left, then stop everything.
    std::vector<void*> hoard;
    for (size_t size = 1 << 20; size >= 16;) {
        if (void* p = MemoryMgr::Malloc(g_DefaultPoolId, size))
            hoard.push_back(p);
        else
            size /= 2;
    }
    {
        platform::Lock lock(g_csMain);
        SxActionParams stop;
        CSxURenderer::ExecuteOnAll(stop, {});
    }
    EXPECT_EQ(qvtest::LEngineCmdsProbe::QueuedCount(), 150u) << "each instance keeps room for its stop";
    for (void* p : hoard) MemoryMgr::Free(g_DefaultPoolId, p);
    RunFrame();
    EXPECT_EQ(voices.Count(SxLowerCmd_Stop), 150u);
    EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), 0u);
    EXPECT_EQ(g_ended.size(), 150u);
}

TEST_F(Playback, SeekAndBreakReachTheInstances) {
    CSxLEngineCmds::SetVoiceLayer(&voices);
    Post(kPlayEvent, 5);
    RunFrame();
    CSxPBI* instance = CSxURenderer::FirstActive();
    ASSERT_NE(instance, nullptr);
    struct Case {
        float value;
        bool fraction;
        uint32_t samples;
        float expectedFraction;
    } cases[] = {{1000, false, 48000, 0.0f},
                 {-200, false, 0, 0.0f},
                 {1.5f, true, 0, 1.0f},
                 {-0.2f, true, 0, 0.0f},
                 {0.5f, true, 0, 0.5f}};
    for (const Case& c : cases) {
        if (c.fraction)
            SoundEngine::SeekOnEvent(kPlayEvent, 5, c.value);
        else
            SoundEngine::SeekOnEvent(kPlayEvent, 5, static_cast<int32_t>(c.value));
        RunFrame();
        if (c.fraction)
            EXPECT_FLOAT_EQ(instance->SeekFraction(), c.expectedFraction) << c.value;
        else
            EXPECT_EQ(instance->SeekPosition(), c.samples) << c.value;
    }
    EXPECT_EQ(voices.Count(SxLowerCmd_Seek), std::size(cases));
    SoundEngine::ExecuteActionOnEvent(kPlayEvent, SxActionOnEvent_Break, 5);
    RunFrame();
    EXPECT_EQ(voices.Count(SxLowerCmd_EndOfLoop), 1u);
    EXPECT_EQ(instance->LoopCount(), 1u);
}

}  // namespace

namespace {

class ExternalSources : public sxtest::HierarchyEngine {
protected:
    void SetUp() override {
        HierarchyEngine::SetUp();
        CSxLEngineCmds::SetVoiceLayer(&voices);
        bw::Source placeholder;
        placeholder.pluginID = 0x00080001;  // an external source, resolved at play time
        placeholder.streamType = 1;
        placeholder.fileID = 42;  // its cookie
        ASSERT_EQ(Load({bw::Record(SxHirc_Sound, bw::SoundBody(1, placeholder, bw::NodeBase())),
                        bw::Record(SxHirc_Action, bw::ActionBody(3, 0x0403, 1, {}, {}, bw::PlayParams(4, 0))),
                        bw::Record(SxHirc_Event, bw::EventBody(2, {3}))}),
                  SX_Success);
        SoundEngine::RegisterGameObj(5);
    }
    void TearDown() override {
        CSxLEngineCmds::SetVoiceLayer(nullptr);
        HierarchyEngine::TearDown();
    }
    VoiceLog voices;
};

TEST_F(ExternalSources, TheEntryWithTheSourcesCookieReplacesItForOnePlay) {
    static char memory[64];
    struct Case {
        const char* what;
        SxExternalSourceInfo entry;
        bool plays;
        uint32_t kind;
    } cases[] = {
        {"a file name", {42, 4, L"line.med", nullptr, 0, 0}, true, CSxSource::kKindStreamed},
        {"memory", {42, 4, nullptr, memory, sizeof memory, 0}, true, CSxSource::kKindInMemory},
        {"a file ID", {42, 4, nullptr, nullptr, 0, 9}, true, CSxSource::kKindStreamed},
        {"another cookie", {41, 4, L"line.med", nullptr, 0, 0}, false, 0},
    };
    for (const Case& c : cases) {
        g_ended.clear();
        const SxPlayingID id = SoundEngine::PostEvent(2, 5, SxCallback_EndOfEvent, OnEvent, nullptr, 1, &c.entry);
        ASSERT_NE(id, 0u) << c.what;
        ApplyMessages();
        CSxPBI* instance = CSxURenderer::FirstActive();
        ASSERT_EQ(instance != nullptr, c.plays) << c.what;
        if (instance) {
            EXPECT_NE(instance->Source(), &Find<CSxSound>(SxIndex_Node, 1)->Source()) << c.what;
            EXPECT_EQ(instance->Source()->Kind(), c.kind) << c.what;
            EXPECT_EQ(instance->Source()->PluginID(), 0x00040001u) << c.what;
            if (c.entry.fileName) {
                EXPECT_EQ(std::wstring(instance->Source()->FileName()), L"line.med");
            }
            if (c.entry.inMemory) {
                EXPECT_EQ(instance->Media(), reinterpret_cast<const uint8_t*>(memory));
            }
            SoundEngine::StopAll();
        }
        RunFrame();
        EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), 0u) << c.what;
        EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id}) << c.what;
    }
    EXPECT_EQ(qvtest::NodeProbe::PlayCount(*Find<CSxSound>(SxIndex_Node, 1)), 0u);
}

}  // namespace
