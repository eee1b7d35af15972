// The sample music bank of Assets/Sound, as the tool writes it, loaded with the music engine
// after Init (which holds the bus the music plays on), as the game loads them: its playlist walks
// its two segments twice, each a bar at 120 beats per minute, their tracks holding the tones.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

#include "sound/engine/SxBankFixture.h"
#include "sound/music/CSxMusicContainers.h"
#include "sound/music/CSxMusicSegment.h"
#include "sound/music/CSxMusicTrack.h"
#include "sound/music/SxMusicEngine.h"
#include "sound/music/SxPlaylistIterator.h"
#include "sound/engine/bank/SxBankSource.h"
#include "sound/engine/playing/SxCallbackTypes.h"
#include "support/TempTree.h"

namespace SX {
namespace {

class SampleMusic : public sxtest::BankEngine {
protected:
    void SetUp() override {
        platform::audio::control::Reset();
        platform::audio::control::SetOpenFails(true);
        SxMemoryMgrSettings settings;
        settings.maxPools = 16;
        ASSERT_EQ(MemoryMgr::Init(&settings), SX_Success);
        // The music's frame step runs on the audio thread, with the stack the game gives it.
        SxPlatformInitSettings platformSettings;
        platformSettings.audioThread.stackSize = 256 * 1024;
        ASSERT_EQ(SoundEngine::Init(nullptr, &platformSettings), SX_Success);
        ASSERT_EQ(MusicEngine::Init(nullptr), SX_Success);
    }
    void TearDown() override {
        MusicEngine::Term();
        BankEngine::TearDown();
        SxSetBankFolder("");
    }
    void LoadMusic() {
        SxSetBankFolder(qvtest::SourceDir() + "/Assets/Sound");
        SxBankID bank = 0;
        ASSERT_EQ(SoundEngine::LoadBank("Init.bnk", SxInvalidPoolId, bank), SX_Success);
        ASSERT_EQ(SoundEngine::LoadBank("Music.bnk", SxInvalidPoolId, bank), SX_Success);
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
    LoadMusic();
    auto* piece = Find<CSxMusicRanSeqCntr>("Music_Piece");
    auto* theme = Find<CSxMusicSegment>("Music_Theme");
    auto* melody = Find<CSxMusicTrack>("Music_Melody");
    ASSERT_TRUE(piece && theme && melody);
    EXPECT_EQ(piece->ChildCount(), 2u);
    EXPECT_EQ(melody->Parent(), theme);
    EXPECT_TRUE(g_pBankMgr->HasMedia(SoundEngine::GetIDFromString("Music_E4")));
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
    ASSERT_EQ(SoundEngine::UnloadBank("Music.bnk"), SX_Success);
    ASSERT_EQ(SoundEngine::UnloadBank("Init.bnk"), SX_Success);
}

// The callbacks come on the audio thread.
std::mutex g_heardLock;
std::vector<uint32_t> g_heard;

void OnMusic(SxCallbackType type, SxCallbackInfo*) {
    std::lock_guard<std::mutex> lock(g_heardLock);
    g_heard.push_back(type);
}

TEST_F(SampleMusic, ThePiecePlaysThroughItsEventToTheEnd) {
    LoadMusic();
    SoundEngine::RegisterGameObj(7);
    {
        std::lock_guard<std::mutex> lock(g_heardLock);
        g_heard.clear();
    }
    ASSERT_NE(SoundEngine::PostEvent("Play_Music", 7, SxCallback_EndOfEvent | 0x600, OnMusic), 0u);
    const auto ended = [] {
        std::lock_guard<std::mutex> lock(g_heardLock);
        return std::find(g_heard.begin(), g_heard.end(), uint32_t(SxCallback_EndOfEvent)) != g_heard.end();
    };
    ASSERT_TRUE(RunUntil(ended));
    std::lock_guard<std::mutex> lock(g_heardLock);
    // Four one-bar segments: each enters once and has one bar line.
    EXPECT_EQ(std::count(g_heard.begin(), g_heard.end(), 0x400u), 4);
    EXPECT_EQ(std::count(g_heard.begin(), g_heard.end(), 0x200u), 4);
    EXPECT_EQ(g_heard.back(), uint32_t(SxCallback_EndOfEvent));
}

}  // namespace
}  // namespace SX
