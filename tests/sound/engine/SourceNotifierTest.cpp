#include <gtest/gtest.h>

#include <vector>

#include "SxTestMemory.h"
#include "sound/engine/listener/SxSpeakerVolumes.h"
#include "sound/engine/lower/CSxSrcNotifier.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/plugin/CSxPluginContexts.h"
#include "sound/engine/positions/CSxPositionRepository.h"

using namespace SX;

namespace {

// A stand-in for a playback instance, reached through the hooks.
struct FakeInstance {
    SxPlayingID playingID = 42;
    float cents = 1200.0f;
    bool tracks = true;
    int refreshes = 0;
    std::vector<std::string> told;
    float startedWith = -1.0f, resumedWith = -1.0f;
};

FakeInstance* Fake(const CSxPBI* instance) { return reinterpret_cast<FakeInstance*>(const_cast<CSxPBI*>(instance)); }

struct Durations {
    float duration = -1.0f, estimated = -1.0f;
} g_durations;

class SourceNotifierTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_InstanceHooks.playingID = [](const CSxPBI* i) { return Fake(i)->playingID; };
        g_InstanceHooks.loopCount = [](const CSxPBI*) -> uint16_t { return 3; };
        g_InstanceHooks.nodeID = [](const CSxPBI*) -> SxUniqueID { return 7; };
        g_InstanceHooks.pitchCents = [](const CSxPBI* i) { return Fake(i)->cents; };
        g_InstanceHooks.tracksPosition = [](const CSxPBI* i) { return Fake(i)->tracks; };
        g_InstanceHooks.refreshParameters = [](CSxPBI* i) { ++Fake(i)->refreshes; };
        g_InstanceHooks.notifyStarted = [](CSxPBI* i, float ms) {
            Fake(i)->told.push_back("started");
            Fake(i)->startedWith = ms;
        };
        g_InstanceHooks.notifyEnded = [](CSxPBI* i, bool) { Fake(i)->told.push_back("ended"); };
        g_InstanceHooks.notifyPaused = [](CSxPBI* i) { Fake(i)->told.push_back("paused"); };
        g_InstanceHooks.notifyResumed = [](CSxPBI* i, float ratio) {
            Fake(i)->told.push_back("resumed");
            Fake(i)->resumedWith = ratio;
        };
        ASSERT_EQ(playing.Init(), SX_Success);
        ASSERT_EQ(positions.Init(), SX_Success);
        g_pPlayingMgr = &playing;
        g_pPositionRepository = &positions;
        SxPostInfo post;
        post.playingID = 42;
        post.flags = SxCallback_Duration | SxCallbackFlag_EnableGetSourcePlayPosition;
        post.callback = [](SxCallbackType, SxCallbackInfo* info) {
            auto* d = static_cast<SxDurationCallbackInfo*>(info);
            g_durations.duration = d->duration;
            g_durations.estimated = d->estimatedDuration;
        };
        ASSERT_EQ(playing.AddPlayingID(post), SX_Success);
        g_durations = Durations();
    }
    void TearDown() override {
        g_InstanceHooks = SxInstanceHooks();
        g_pPlayingMgr = nullptr;
        g_pPositionRepository = nullptr;
        positions.Term();
        playing.Term();
    }
    CSxPBI* Instance() { return reinterpret_cast<CSxPBI*>(&fake); }

    sxtest::TestMemory memory;
    CSxPlayingMgr playing;
    CSxPositionRepository positions;
    FakeInstance fake;
};

TEST_F(SourceNotifierTest, StartTellsTheDurationAtTheInstancePitch) {
    CSxSrcNotifier notifier(Instance(), true);
    notifier.NotifyStart(1000.0f);
    EXPECT_EQ(fake.refreshes, 1);
    EXPECT_NEAR(fake.startedWith, 500.0f, 0.01f) << "an octave up plays in half the time";
    EXPECT_EQ(g_durations.duration, 1000.0f);
    EXPECT_NEAR(g_durations.estimated, 500.0f, 0.01f);
    EXPECT_TRUE(positions.HasEntries()) << "the instance tracks its position";
    notifier.NotifyPause();
    notifier.NotifyResume(0.75f);
    notifier.NotifyStop(true);
    EXPECT_FALSE(positions.HasEntries());
    EXPECT_EQ(fake.told, (std::vector<std::string>{"started", "paused", "resumed", "ended"}));
    EXPECT_EQ(fake.resumedWith, 0.75f);
}

TEST_F(SourceNotifierTest, ASourceWithoutADurationReportsZero) {
    fake.tracks = false;
    CSxSrcNotifier notifier(Instance(), false);
    notifier.NotifyStart(1000.0f);
    EXPECT_EQ(g_durations.duration, 0.0f);
    EXPECT_EQ(fake.startedWith, 0.0f);
    EXPECT_FALSE(positions.HasEntries());
}

TEST_F(SourceNotifierTest, VoiceContextsAnswerForTheirInstance) {
    CSxInsertFXContext insert(Instance(), 1);
    CSxSourceFXContext source(Instance());
    EXPECT_EQ(insert.GetPlayingID(), 42u);
    EXPECT_FALSE(insert.IsSendModeEffect());
    EXPECT_EQ(insert.GetMaxBufferLength(), 1024);
    EXPECT_FALSE(insert.CanPostMonitorData());
    EXPECT_EQ(source.GetPlayingID(), 42u);
    EXPECT_EQ(source.GetNumLoops(), 3);
    EXPECT_EQ(source.GetMaxBufferLength(), 1024);
    CSxSourceFXContext orphan(nullptr);
    EXPECT_EQ(orphan.GetPlayingID(), 0u);
    EXPECT_EQ(orphan.GetNumLoops(), 0);
    const uint8_t* data = reinterpret_cast<const uint8_t*>(1);
    uint32_t size = 9;
    insert.GetPluginMedia(0, data, size);
    EXPECT_EQ(data, nullptr) << "no media hook: no media";
    EXPECT_EQ(size, 0u);
}

TEST_F(SourceNotifierTest, TheSpeakerVolumeCallbackSeesAndMayChangeTheVolumes) {
    SxPostInfo post;
    post.playingID = 43;
    post.flags = SxCallback_SpeakerVolumeMatrix;
    post.callback = [](SxCallbackType type, SxCallbackInfo* info) {
        ASSERT_EQ(type, SxCallback_SpeakerVolumeMatrix);
        auto* matrix = static_cast<SxSpeakerVolumeMatrixCallbackInfo*>(info);
        EXPECT_EQ(matrix->inputChannels, 2u);
        EXPECT_EQ(matrix->pVolumesWet, nullptr) << "no wet volumes without sends";
        EXPECT_EQ(matrix->pVolumesDry[8 + 1], 0.5f) << "input 1, right speaker";
        matrix->pVolumesDry[0] = 0.25f;
    };
    ASSERT_EQ(playing.AddPlayingID(post), SX_Success);
    SxVoiceVolumes volumes;
    volumes.channels = 2;
    volumes.dry[1][1] = 0.5f;
    SxNotifySpeakerVolumes(43, volumes, false);
    EXPECT_EQ(volumes.dry[0][0], 0.25f);
    SxNotifySpeakerVolumes(42, volumes, false);
    EXPECT_EQ(volumes.dry[0][0], 0.25f) << "a playing ID that did not ask is not called";
}

}  // namespace
