// The sample music bank of Assets/Sound, as the tool writes it, loaded by the Manager with the
// package its stems stream from, as the game loads them: a season's playlist goes round an
// opening, a middle, an opening again and a close, each chosen at random among its variants,
// segments of two bars at 120 beats per minute whose tune and harmony stems are heard.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
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
#include "tests/sound/engine/SxBankProbe.h"
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

// The segments of a season's playlist by their place in its round: two openings, three middles
// and one close.
std::vector<std::vector<uint32_t>> Round(const char* season) {
    const auto id = [season](const char* part) {
        return SoundEngine::GetIDFromString((std::string(season) + "_" + part).c_str());
    };
    const std::vector<uint32_t> openings = {id("A1"), id("A2")};
    return {openings, {id("B1"), id("B2"), id("B3")}, openings, {id("C")}};
}

TEST_F(SampleMusic, ASeasonsPlaylistGoesRoundItsPartsEachChosenAtRandom) {
    SD::Manager manager(MusicSettings());
    manager.Init();
    ASSERT_TRUE(manager.Started());
    ASSERT_EQ(manager.Failures(), std::vector<std::string>{});
    for (const char* season : {"Spring", "Summer", "Fall", "Winter"}) {
        auto* music = Find<CSxMusicRanSeqCntr>((std::string(season) + "_Music").c_str());
        auto* opening = Find<CSxMusicSegment>((std::string(season) + "_A1").c_str());
        ASSERT_TRUE(music && opening) << season;
        const SxSegmentTiming timing = opening->Timing();
        EXPECT_EQ(timing.Active(), 192000) << season << ": two bars";
        EXPECT_EQ(timing.grid.bar, 96000) << season;
        EXPECT_FALSE(qvtest::BankProbe::HasMedia(
            *g_pBankMgr, SoundEngine::GetIDFromString((std::string(season) + "_A1_Tune").c_str())))
            << "the stems stream";

        const std::vector<std::vector<uint32_t>> round = Round(season);
        std::set<uint32_t> played;
        SxPlaylistIterator it;
        ASSERT_EQ(it.First(music->Playlist()), SX_Success);
        for (size_t n = 0; n < 40 && it.HasNext(); ++n, it.Next()) {
            const std::vector<uint32_t>& place = round[n % round.size()];
            EXPECT_NE(std::find(place.begin(), place.end(), it.SegmentID()), place.end())
                << season << ": segment " << n << " in its place of the round";
            played.insert(it.SegmentID());
        }
        EXPECT_TRUE(it.HasNext()) << season << ": the round goes on";
        EXPECT_EQ(played.size(), 6u) << season << ": every variant comes up in ten rounds";
    }
    manager.Term();
}

// The callbacks come on the audio thread's work, run here.
std::mutex g_heardLock;
std::vector<uint32_t> g_heard;

void OnMusic(SxCallbackType type, SxCallbackInfo*) {
    std::lock_guard<std::mutex> lock(g_heardLock);
    g_heard.push_back(type);
}

TEST_F(SampleMusic, TheMusicPlaysThroughItsEventItsStreamedTuneHeardOnTheBeat) {
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
    // The season's state is not set: the music plays spring's.
    ASSERT_NE(manager.PostEvent("Play_Spring", 7, 0x600, OnMusic), 0u);
    // Two segments and some frames more: the streams are read meanwhile, by their own thread,
    // which a loaded machine may hold back; frames at about five times real time leave it room
    // to keep the stems' buffers ahead of the mix.
    for (int frame = 0; frame < 400; ++frame) {
        RunFrames(manager, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
    const soundtest::Capture capture = soundtest::TakeCapture();
    control::StopCapture();
    RestartAudioThread();
    manager.Term();
    std::lock_guard<std::mutex> lock(g_heardLock);
    // Two segments of two bars each have entered, and their bar lines passed.
    EXPECT_GE(std::count(g_heard.begin(), g_heard.end(), 0x400u), 2);
    EXPECT_GE(std::count(g_heard.begin(), g_heard.end(), 0x200u), 4);
    // The first beat holds the first note of one of spring's openings, E5 or G5, over the
    // harmony's C3, E4 and G4.
    size_t start = 0;
    while (start < capture.left.size() && capture.left[start] == 0.0f) ++start;
    const auto at = [&capture](size_t frame) {
        return capture.left.begin() + static_cast<long>(std::min(capture.left.size(), frame));
    };
    const soundtest::Heard heard = soundtest::Listen(std::vector<float>(at(start + 2400), at(start + 12000)));
    EXPECT_TRUE(std::fabs(heard.frequency - 659.26) < 8.0 || std::fabs(heard.frequency - 783.99) < 8.0)
        << "the opening's first note: " << heard.frequency << " Hz";
}

}  // namespace
}  // namespace SX
