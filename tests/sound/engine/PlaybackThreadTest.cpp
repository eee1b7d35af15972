#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/os/Clock.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/index/CSxIndexable.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/engine/SxRenderProbes.h"
#include "tools/bankwriter/BankWriter.h"

using namespace SX;
namespace bw = bankwriter;

namespace {

std::atomic<int> g_endedCount{0};
void CountEnd(SxCallbackType type, SxCallbackInfo*) {
    if (type == SxCallback_EndOfEvent) ++g_endedCount;
}

// The engine with its audio thread, event 2 playing sound 1 on game object 5.
class PlaybackThreads : public ::testing::Test {
protected:
    void SetUp() override {
        platform::audio::control::Reset();
        platform::audio::control::SetOpenFails(true);
        SxMemoryMgrSettings settings;
        settings.maxPools = 8;
        ASSERT_EQ(MemoryMgr::Init(&settings), SX_Success);
        ASSERT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success);
        const bw::Bytes chunk = bw::HircChunk({
            bw::Record(SxHirc_Sound, bw::SoundBody(1, bw::Source(), bw::NodeBase())),
            bw::Record(SxHirc_Action, bw::ActionBody(3, 0x0403, 1, {}, {}, bw::PlayParams(4, 0))),
            bw::Record(SxHirc_Event, bw::EventBody(2, {3})),
        });
        ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
        SoundEngine::RegisterGameObj(5);
        g_endedCount = 0;
    }
    void TearDown() override {
        {
            platform::Lock lock(g_csMain);
            EXPECT_EQ(qvtest::URendererProbe::ActiveCount(), 0u);
            for (CSxIndexable* object : loaded) object->Release();
        }
        SoundEngine::Term();
        MemoryMgr::Term();
        platform::audio::control::Reset();
    }
    // Frames rendered until every post has ended, or a bound is reached.
    void RenderUntilEnded(int posts) {
        SoundEngine::RenderAudio();
        for (int i = 0; i < 2000 && g_endedCount < posts; ++i) {
            clock.Advance(0.03);
            SoundEngine::RenderAudio();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    std::vector<CSxIndexable*> loaded;
};

// Events posted on the game thread while the audio thread runs its frames: every post plays,
// is ended by the lower engine (no voices), and reports its end once.
TEST_F(PlaybackThreads, PostsFromTheGameThreadEndWhileTheAudioThreadRuns) {
    constexpr int kPosts = 300;
    for (int i = 0; i < kPosts; ++i) {
        EXPECT_NE(SoundEngine::PostEvent(2, 5, SxCallback_EndOfEvent, CountEnd), 0u);
        if (i % 10 == 9) {
            SoundEngine::RenderAudio();
            clock.Advance(0.03);
        }
    }
    RenderUntilEnded(kPosts);
    EXPECT_EQ(g_endedCount, kPosts);
}

// The voice limit starts at its default and is set on the game thread between the frames the
// audio thread renders while it plays and limits instances.
TEST_F(PlaybackThreads, TheVoiceLimitIsSetBetweenRenderedFrames) {
    EXPECT_EQ(g_u16MaxNumVoices, kDefaultMaxNumVoices);
    constexpr int kPosts = 200;
    for (int i = 0; i < kPosts; ++i) {
        EXPECT_EQ(SoundEngine::SetMaxNumVoicesLimit(static_cast<uint16_t>(1 + i % 8)), SX_Success);
        EXPECT_NE(SoundEngine::PostEvent(2, 5, SxCallback_EndOfEvent, CountEnd), 0u);
        if (i % 4 == 3) {
            SoundEngine::RenderAudio();
            clock.Advance(0.03);
        }
    }
    RenderUntilEnded(kPosts);
    EXPECT_EQ(g_endedCount, kPosts);
    EXPECT_EQ(g_u16MaxNumVoices, 8);
}

}  // namespace
