// What a voice's source tells its playback instance, the playing manager and the position
// repository, observed on the running engine: the duration callbacks, the play position and
// the end of the event; and what the voice's plug-in contexts answer for its instance.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SxTestMemory.h"
#include "SxVoiceFixture.h"
#include "sound/engine/listener/SxSpeakerVolumes.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/plugin/CSxPluginContexts.h"
#include "sound/engine/positions/CSxPositionRepository.h"
#include "sound/engine/upper/CSxURenderer.h"

using namespace sxtest;

namespace {

struct Durations {
    float duration = -1.0f, estimated = -1.0f;
} g_durations;

void OnDuration(SxCallbackType type, SxCallbackInfo* info) {
    if (type != SxCallback_Duration) return OnEvent(type, info);
    auto* d = static_cast<SxDurationCallbackInfo*>(info);
    g_durations.duration = d->duration;
    g_durations.estimated = d->estimatedDuration;
}

class SourceNotifier : public VoiceFixture {
protected:
    void SetUp() override {
        VoiceFixture::SetUp();
        g_durations = Durations();
        // One second of tone.
        g_media = QV::media::Build(QV::media::Sine(1000.0, 0.5, 48000, 48000, 0x4), QV::media::Encoding::Pcm16);
    }
    SxPlayingID Post(uint32_t flags) {
        return SoundEngine::PostEvent(kEvent, kGameObject, flags | SxCallback_Duration | SxCallback_EndOfEvent,
                                      OnDuration);
    }
    // The play position after one more frame, and how far it moves with 10 ms more of clock.
    std::pair<int32_t, int32_t> PositionAfterFrame(SxPlayingID id) {
        Frame();
        int32_t position = -1, extrapolated = -1;
        if (SoundEngine::GetSourcePlayPosition(id, &position, false) != SX_Success) return {-1, -1};
        clock.Advance(0.010);
        SoundEngine::GetSourcePlayPosition(id, &extrapolated, true);
        return {position, extrapolated - position};
    }
};

TEST_F(SourceNotifier, StartTellsTheDurationAtTheInstancePitch) {
    LoadSound({bw::PropF(SxProp_Pitch, 1200.0f)});
    const SxPlayingID id = Post(SxCallbackFlag_EnableGetSourcePlayPosition);
    std::vector<std::string> told;
    const auto started = PositionAfterFrame(id);
    if (g_durations.duration >= 0.0f) told.push_back("started");
    EXPECT_EQ(g_durations.duration, 1000.0f);
    EXPECT_NEAR(g_durations.estimated, 500.0f, 0.01f) << "an octave up plays in half the time";
    EXPECT_TRUE(g_pPositionRepository->HasEntries()) << "the instance tracks its position";
    EXPECT_GE(started.first, 0);

    SoundEngine::ExecuteActionOnEvent(kEvent, SxActionOnEvent_Pause);
    const auto pausedAt = PositionAfterFrame(id);
    const auto stillPaused = PositionAfterFrame(id);
    if (stillPaused.first == pausedAt.first && stillPaused.second == 0) told.push_back("paused");

    SoundEngine::ExecuteActionOnEvent(kEvent, SxActionOnEvent_Resume);
    PositionAfterFrame(id);
    const auto resumed = PositionAfterFrame(id);
    if (resumed.first > stillPaused.first) told.push_back("resumed");
    EXPECT_NEAR(resumed.second, 20, 1) << "after its resume the position moves at the instance's pitch";

    SoundEngine::ExecuteActionOnEvent(kEvent, SxActionOnEvent_Stop);
    for (int frame = 0; frame < 3; ++frame) Frame();
    if (g_ended == std::vector<SxPlayingID>{id}) told.push_back("ended");
    EXPECT_FALSE(g_pPositionRepository->HasEntries());
    EXPECT_EQ(told, (std::vector<std::string>{"started", "paused", "resumed", "ended"}));
}

TEST_F(SourceNotifier, ASourceWithoutADurationReportsZero) {
    // Looping without end.
    LoadSound({bw::PropI(SxProp_LoopCount, 0)});
    const SxPlayingID id = Post(0);
    Frame();
    EXPECT_EQ(g_durations.duration, 0.0f);
    EXPECT_EQ(g_durations.estimated, 0.0f);
    EXPECT_FALSE(g_pPositionRepository->HasEntries());
    SoundEngine::StopPlayingID(id);
    for (int frame = 0; frame < 3; ++frame) Frame();
    EXPECT_EQ(g_ended, std::vector<SxPlayingID>{id});
}

TEST_F(SourceNotifier, VoiceContextsAnswerForTheirInstance) {
    LoadSound({bw::PropI(SxProp_LoopCount, 3)});
    const SxPlayingID id = Post(0);
    Frame();
    CSxPBI* instance = CSxURenderer::FirstActive();
    ASSERT_NE(instance, nullptr);
    CSxInsertFXContext insert(instance, 1);
    CSxSourceFXContext source(instance);
    EXPECT_EQ(insert.GetPlayingID(), id);
    EXPECT_FALSE(insert.IsSendModeEffect());
    EXPECT_EQ(insert.GetMaxBufferLength(), 1024);
    EXPECT_FALSE(insert.CanPostMonitorData());
    EXPECT_EQ(source.GetPlayingID(), id);
    EXPECT_EQ(source.GetNumLoops(), 3);
    EXPECT_EQ(source.GetMaxBufferLength(), 1024);
    CSxSourceFXContext orphan(nullptr);
    EXPECT_EQ(orphan.GetPlayingID(), 0u);
    EXPECT_EQ(orphan.GetNumLoops(), 0);
    const uint8_t* data = reinterpret_cast<const uint8_t*>(1);
    uint32_t size = 9;
    insert.GetPluginMedia(0, data, size);
    EXPECT_EQ(data, nullptr) << "a sound without effects: no effect media";
    EXPECT_EQ(size, 0u);
}

class SpeakerVolumeCallback : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(playing.Init(), SX_Success);
        g_pPlayingMgr = &playing;
    }
    void TearDown() override {
        g_pPlayingMgr = nullptr;
        playing.Term();
    }
    sxtest::TestMemory memory;
    CSxPlayingMgr playing;
};

TEST_F(SpeakerVolumeCallback, SeesAndMayChangeTheVolumes) {
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
    SxPostInfo other;
    other.playingID = 42;
    ASSERT_EQ(playing.AddPlayingID(other), SX_Success);
    SxVoiceVolumes volumes;
    volumes.channels = 2;
    volumes.dry[1][1] = 0.5f;
    SxNotifySpeakerVolumes(43, volumes, false);
    EXPECT_EQ(volumes.dry[0][0], 0.25f);
    SxNotifySpeakerVolumes(42, volumes, false);
    EXPECT_EQ(volumes.dry[0][0], 0.25f) << "a playing ID that did not ask is not called";
}

}  // namespace
