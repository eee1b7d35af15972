#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/audio/AudioTestControl.h"
#include "platform/os/Clock.h"
#include "sound/engine/SxAudioThread.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/index/CSxIndexable.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/upper/CSxURenderer.h"
#include "tools/bankwriter/BankWriter.h"

using namespace SX;
namespace bw = bankwriter;

namespace {

std::atomic<int> g_endedCount{0};
void CountEnd(SxCallbackType type, SxCallbackInfo*) {
    if (type == SxCallback_EndOfEvent) ++g_endedCount;
}

// Events posted on the game thread while the audio thread runs its frames: every post plays,
// is ended by the lower engine (no voices), and reports its end once.
TEST(PlaybackThreads, PostsFromTheGameThreadEndWhileTheAudioThreadRuns) {
    platform::audio::control::Reset();
    platform::audio::control::SetOpenFails(true);
    platform::ManualClock clock;
    platform::ScopedClock scoped(clock);
    SxMemoryMgrSettings settings;
    settings.maxPools = 8;
    ASSERT_EQ(MemoryMgr::Init(&settings), SX_Success);
    ASSERT_EQ(SoundEngine::Init(nullptr, nullptr), SX_Success);

    const bw::Bytes chunk = bw::HircChunk({
        bw::Record(SxHirc_Sound, bw::SoundBody(1, bw::Source(), bw::NodeBase())),
        bw::Record(SxHirc_Action, bw::ActionBody(3, 0x0403, 1, {}, {}, bw::PlayParams(4, 0))),
        bw::Record(SxHirc_Event, bw::EventBody(2, {3})),
    });
    std::vector<CSxIndexable*> loaded;
    ASSERT_EQ(SxReadHircChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), loaded), SX_Success);
    SoundEngine::RegisterGameObj(5);

    g_endedCount = 0;
    constexpr int kPosts = 300;
    for (int i = 0; i < kPosts; ++i) {
        EXPECT_NE(SoundEngine::PostEvent(2, 5, SxCallback_EndOfEvent, CountEnd), 0u);
        if (i % 10 == 9) {
            SoundEngine::RenderAudio();
            clock.Advance(0.03);
        }
    }
    SoundEngine::RenderAudio();
    for (int i = 0; i < 2000 && g_endedCount < kPosts; ++i) {
        clock.Advance(0.03);
        SoundEngine::RenderAudio();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(g_endedCount, kPosts);
    {
        platform::Lock lock(g_csMain);
        EXPECT_EQ(CSxURenderer::ActiveCount(), 0u);
        for (CSxIndexable* object : loaded) object->Release();
    }
    SoundEngine::Term();
    MemoryMgr::Term();
    platform::audio::control::Reset();
}

}  // namespace
