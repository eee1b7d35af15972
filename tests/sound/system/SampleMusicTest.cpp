// The sample music bank of Assets/Sound, as the tool writes it, loaded by the Manager with the
// package its stems stream from, as the game loads them: its playlist walks its two segments
// twice, each a bar at 120 beats per minute, their tracks playing the tones, which are heard.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

#include "sound/engine/bank/CSxBankMgr.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/playing/SxCallbackTypes.h"
#include "sound/music/CSxMusicContainers.h"
#include "sound/music/CSxMusicSegment.h"
#include "sound/music/CSxMusicTrack.h"
#include "sound/music/SxPlaylistIterator.h"
#include "support/TempTree.h"
#include "tests/sound/system/SoundSystemFixture.h"

namespace SX {
namespace {

namespace control = platform::audio::control;

class SampleMusic : public soundtest::ManagerFrames {
protected:
    SD::Manager::Settings MusicSettings() {
        return SD::Manager::Settings{qvtest::SourceDir() + "/Assets/Sound/", "Music.bnk", "Streamed.sxpk"};
    }
    template <typename T>
    T* Find(const char* name) {
        CSxIndexable* object = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, SoundEngine::GetIDFromString(name));
        if (!object) return nullptr;
        object->Release();
        return dynamic_cast<T*>(object);
    }
};

TEST_F(SampleMusic, ThePieceLoadsAndItsPlaylistWalksTwice) {
    SD::Manager manager(MusicSettings());
    manager.Init();
    ASSERT_TRUE(manager.Started());
    ASSERT_EQ(manager.Failures(), std::vector<std::string>{});
    auto* piece = Find<CSxMusicRanSeqCntr>("Music_Piece");
    auto* theme = Find<CSxMusicSegment>("Music_Theme");
    auto* melody = Find<CSxMusicTrack>("Music_Melody");
    ASSERT_TRUE(piece && theme && melody);
    EXPECT_EQ(piece->ChildCount(), 2u);
    EXPECT_EQ(melody->Parent(), theme);
    EXPECT_FALSE(g_pBankMgr->HasMedia(SoundEngine::GetIDFromString("Music_E4"))) << "the stems stream";
    const SxSegmentTiming timing = theme->Timing();
    EXPECT_EQ(timing.Active(), 96000);
    EXPECT_EQ(timing.grid.bar, 96000);
    ASSERT_EQ(melody->Clips().size(), 1u);
    EXPECT_EQ(melody->Clips()[0].duration, 48000);

    std::vector<uint32_t> played;
    SxPlaylistIterator it;
    ASSERT_EQ(it.First(piece->Playlist()), SX_Success);
    for (; it.HasNext() && played.size() < 10; it.Next()) played.push_back(it.SegmentID());
    const uint32_t a = theme->ID(), b = SoundEngine::GetIDFromString("Music_Reply");
    EXPECT_EQ(played, (std::vector<uint32_t>{a, b, a, b}));
    manager.Term();
}

// The callbacks come on the audio thread's work, run here.
std::mutex g_heardLock;
std::vector<uint32_t> g_heard;

void OnMusic(SxCallbackType type, SxCallbackInfo*) {
    std::lock_guard<std::mutex> lock(g_heardLock);
    g_heard.push_back(type);
}

TEST_F(SampleMusic, ThePiecePlaysThroughItsEventToTheEndItsStreamedTonesHeard) {
    SD::Manager manager(MusicSettings());
    manager.Init();
    ASSERT_TRUE(manager.Started());
    SoundEngine::RegisterGameObj(7);
    {
        std::lock_guard<std::mutex> lock(g_heardLock);
        g_heard.clear();
    }
    SX::g_pAudioMgr->StopThread();
    control::StartCapture();
    ASSERT_NE(manager.PostEvent("Play_Music", 7, SxCallback_EndOfEvent | 0x600, OnMusic), 0u);
    const auto ended = [] {
        std::lock_guard<std::mutex> lock(g_heardLock);
        return std::find(g_heard.begin(), g_heard.end(), uint32_t(SxCallback_EndOfEvent)) != g_heard.end();
    };
    // Eight seconds of music, and some frames more: the streams are read meanwhile, by their
    // own thread, which a loaded machine may hold back; frames at about five times real time
    // leave it room to keep the stems' buffers ahead of the mix.
    for (int frame = 0; frame < 600 && !ended(); ++frame) {
        RunFrames(manager, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
    const soundtest::Capture capture = soundtest::TakeCapture();
    control::StopCapture();
    RestartAudioThread();
    manager.Term();
    ASSERT_TRUE(ended());
    std::lock_guard<std::mutex> lock(g_heardLock);
    // Four one-bar segments: each enters once and has one bar line.
    EXPECT_EQ(std::count(g_heard.begin(), g_heard.end(), 0x400u), 4);
    EXPECT_EQ(std::count(g_heard.begin(), g_heard.end(), 0x200u), 4);
    EXPECT_EQ(g_heard.back(), uint32_t(SxCallback_EndOfEvent));
    // The reply's bar holds G4 alone.
    size_t start = 0;
    while (start < capture.left.size() && capture.left[start] == 0.0f) ++start;
    const auto at = [&capture](size_t frame) {
        return capture.left.begin() + static_cast<long>(std::min(capture.left.size(), frame));
    };
    const soundtest::Heard heard =
        soundtest::Listen(std::vector<float>(at(start + 96000 + 4800), at(start + 96000 + 91200)));
    EXPECT_NEAR(heard.frequency, 392.0, 8.0) << "the reply's G4";
}

}  // namespace
}  // namespace SX
