// The sound engine started by the sound system's Manager from bank files on disk: a tone
// posted through it is measured on the output device, and start-up failures are reported
// once each while the rest goes on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/plugin/SxFXMemAlloc.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/music/CSxMusicRenderer.h"
#include "sound/system/SoundManager.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/system/SoundSystemFixture.h"
#include "tests/sound/system/SoundSystemProbes.h"

using namespace soundtest;
using qvtest::TempTree;
namespace control = platform::audio::control;

namespace {

TEST_F(ManagerFrames, ATonePostedFromABankFileReachesTheDeviceAtItsLevelAndLength) {
    SD::Manager manager(Settings("Game.bnk"));
    manager.Init();
    ASSERT_TRUE(manager.Started());
    EXPECT_TRUE(manager.Failures().empty());
    ASSERT_EQ(qvtest::SoundManagerProbe::LoadedBanks(manager).size(), 2u);
    SX::g_pAudioMgr->StopThread();
    control::StartCapture();
    RunFrames(manager, 5);
    const size_t before = control::CapturedBytes();
    EXPECT_NE(manager.PostEvent("Play_Tone", 0), 0u);
    RunFrames(manager, 45);
    const uint32_t rate = control::CapturedFormat().sampleRate;
    const Capture capture = TakeCapture();
    control::StopCapture();
    ASSERT_EQ(rate, 48000u);
    const Heard heard = Listen(capture.left);
    const size_t postedAt = before / 2 / control::CapturedFormat().channels;
    // The tone starts within two frames of the post, lasts its half second, at its frequency.
    EXPECT_GE(heard.first, postedAt);
    EXPECT_LT(heard.first, postedAt + 2 * 1024);
    EXPECT_NEAR(double(heard.last - heard.first), double(kToneFrames), 240.0) << "less the start and end ramps";
    EXPECT_NEAR(heard.frequency, kToneHz, 10.0);
    // A centre source reaches the left speaker at -3 dB.
    EXPECT_NEAR(heard.peak, kToneAmplitude * std::sqrt(0.5), 0.02);
    EXPECT_EQ(manager.SoundsPlayed(), 1u);
    EXPECT_EQ(qvtest::SoundManagerProbe::RememberedPlayingIDs(manager), 0u) << "an ended event is forgotten";
    RestartAudioThread();
    manager.Term();
    EXPECT_TRUE(qvtest::SoundManagerProbe::LoadedBanks(manager).empty());
}

// A sound whose media item is empty plays nothing, and its bank still unloads: the empty media
// found for the sound does not hold the bank.
TEST_F(ManagerFrames, ABankWhoseMediaIsEmptyStillUnloads) {
    namespace bw = bankwriter;
    bw::BankFile file;
    file.id = ID("Empty");
    file.media = {{ID("Nothing"), {}}};
    bw::Source source;
    source.pluginID = 1u << 16 | 1;
    source.mediaID = ID("Nothing");
    file.records = {
        bw::Record(SX::SxHirc_Sound, bw::SoundBody(ID("Empty_Sound"), source, bw::NodeBase())),
        bw::Record(SX::SxHirc_Action, bw::ActionBody(ID("Play_Empty.play"), 0x0403, ID("Empty_Sound"), {}, {},
                                                     bw::PlayParams(4, file.id))),
        bw::Record(SX::SxHirc_Event, bw::EventBody(ID("Play_Empty"), {ID("Play_Empty.play")})),
    };
    tree.Write("Audio/Empty.bnk", BankBytes(file));
    SD::Manager manager(Settings("Empty.bnk"));
    manager.Init();
    ASSERT_TRUE(manager.Failures().empty()) << manager.Failures()[0];
    SX::g_pAudioMgr->StopThread();
    EXPECT_NE(manager.PostEvent("Play_Empty", 0), 0u);
    RunFrames(manager, 5);
    std::atomic<bool> unloaded{false};
    auto onUnloaded = [](SX::SxBankID, SX::SXRESULT, SX::SxMemPoolId, void* cookie) {
        static_cast<std::atomic<bool>*>(cookie)->store(true);
    };
    ASSERT_EQ(SX::SoundEngine::UnloadBank(ID("Empty"), onUnloaded, &unloaded), SX::SX_Success);
    for (int i = 0; i < 500 && !unloaded; ++i) {
        RunFrames(manager, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(unloaded);
    RestartAudioThread();
    manager.Term();
}

TEST_F(ManagerRun, TermStopsWhatIsStillPlayingAndUnloadsEveryBank) {
    tree.Write("Audio/More.bnk", GameBank("More"));
    SD::Manager manager(Settings("  Game.bnk  More.bnk "));
    manager.Init();
    EXPECT_TRUE(manager.Failures().empty()) << "empty names between the spaces are skipped";
    EXPECT_EQ(qvtest::SoundManagerProbe::LoadedBanks(manager).size(), 3u);
    manager.PostEvent("Play_Tone", 0);
    manager.Update(0.02f);
    EXPECT_EQ(qvtest::SoundManagerProbe::RememberedPlayingIDs(manager), 1u);
    manager.Term();
    EXPECT_EQ(qvtest::SoundManagerProbe::RememberedPlayingIDs(manager), 0u);
    EXPECT_TRUE(qvtest::SoundManagerProbe::LoadedBanks(manager).empty());
    // Every bank is gone from the engine: each loads again.
    for (const char* name : {"Init.bnk", "Game.bnk", "More.bnk"}) {
        SX::SxBankID id = 0;
        EXPECT_EQ(SX::SoundEngine::LoadBank(name, -1, id), SX::SX_Success) << name;
    }
}

struct StartCase {
    const char* what;
    std::function<void(TempTree&)> prepare;
    const char* banks;
    const char* packages;
    const char* failure;  // in the one failure reported
    size_t banksLoaded;
};

TEST_F(ManagerRun, AStartUpFailureIsReportedOnceAndTheRestGoesOn) {
    const StartCase cases[] = {
        {"missing bank", [](TempTree&) {}, "Missing.bnk Game.bnk", "", "\"Missing.bnk\"", 2},
        {"broken bank", [](TempTree& t) { t.Write("Audio/Broken.bnk", "BKHD not a bank at all"); },
         "Broken.bnk Game.bnk", "", "\"Broken.bnk\"", 2},
        {"cut bank", [](TempTree& t) { t.Write("Audio/Cut.bnk", GameBank("Cut").substr(0, 40)); }, "Cut.bnk Game.bnk",
         "", "\"Cut.bnk\"", 2},
        {"missing package", [](TempTree&) {}, "Game.bnk", "Absent.sxpk", "\"Absent.sxpk\"", 2},
        {"no output device", [](TempTree&) { control::SetOpenFails(true); }, "Game.bnk", "", "no sound output device",
         2},
    };
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.what);
        control::Reset();
        c.prepare(tree);
        SD::Manager manager(Settings(c.banks, c.packages));
        manager.Init();
        EXPECT_TRUE(manager.Started());
        ASSERT_EQ(manager.Failures().size(), 1u);
        EXPECT_NE(manager.Failures()[0].find(c.failure), std::string::npos) << manager.Failures()[0];
        EXPECT_EQ(qvtest::SoundManagerProbe::LoadedBanks(manager).size(), c.banksLoaded);
        EXPECT_NE(manager.PostEvent("Play_Tone", 0), 0u) << "the game's sound still plays";
        manager.Term();
    }
}

TEST_F(ManagerRun, AFailedStartLoadsNothingAndReportsTheFailure) {
    SX::SxMemoryMgrSettings memory;
    memory.maxPools = 4;
    ASSERT_EQ(SX::MemoryMgr::Init(&memory), SX::SX_Success);
    {
        SD::Manager manager(Settings("Game.bnk"));
        manager.Init();
        EXPECT_FALSE(manager.Started());
        ASSERT_EQ(manager.Failures().size(), 1u);
        EXPECT_EQ(manager.Failures()[0], "SX::MemoryMgr::Init() returned SXRESULT 2");
        EXPECT_TRUE(qvtest::SoundManagerProbe::LoadedBanks(manager).empty());
        EXPECT_EQ(manager.PostEvent("Play_Tone", 0), 0u);
        manager.Update(0.02f);
        manager.Term();
    }
    EXPECT_TRUE(SX::MemoryMgr::IsInitialized()) << "what it did not start is left alone";
    SX::MemoryMgr::Term();
}

TEST_F(ManagerRun, StartUpRegistersThePlugInsAndTheCodecAndRunsTheMusicEngineUntilTheEnd) {
    {
        SD::Manager manager(Settings("Game.bnk"));
        manager.Init();
        ASSERT_TRUE(manager.Started());
        const struct {
            SX::SxPluginType type;
            uint32_t company, plugin;
        } plugins[] = {{SX::SxPluginType_Source, 0, 100},      {SX::SxPluginType_Source, 0, 101},
                       {SX::SxPluginType_Source, 0, 102},      {SX::SxPluginType_Source, 0, 119},
                       {SX::SxPluginType_Source, 0, 120},      {SX::SxPluginType_Source, 0, 200},
                       {SX::SxPluginType_Effect, 0, 118},      {SX::SxPluginType_Effect, 256, 103},
                       {SX::SxPluginType_MotionSource, 0, 405}};
        for (const auto& p : plugins) {
            SCOPED_TRACE(testing::Message() << "plug-in " << p.plugin << " of company " << p.company);
            SX::ISxPluginParam* params = nullptr;
            ASSERT_EQ(SX::SxPluginTable::CreateParam(SX::SxPluginKey(p.type, p.company, p.plugin),
                                                     &SX::g_LEngineFxAllocator, params),
                      SX::SX_Success);
            params->Term(&SX::g_LEngineFxAllocator);
        }
        SX::SxCodecCreators vorbis;
        EXPECT_TRUE(SX::SxPluginTable::FindCodec(4u << 16 | SX::SxPluginType_Codec, vorbis));
        EXPECT_TRUE(SX::CSxMusicRenderer::IsInitialized());
        manager.Term();
        EXPECT_TRUE(SX::CSxMusicRenderer::IsInitialized()) << "the music engine lives as long as the sound engine";
    }
    EXPECT_FALSE(SX::CSxMusicRenderer::IsInitialized());
    EXPECT_FALSE(SX::SoundEngine::IsInitialized());
}

TEST(BankNames, SplitAtSpacesWithoutEmptyNames) {
    EXPECT_EQ(SD::SplitNames(""), std::vector<std::string>{});
    EXPECT_EQ(SD::SplitNames("  "), std::vector<std::string>{});
    EXPECT_EQ(SD::SplitNames("A.bnk  B.bnk "), (std::vector<std::string>{"A.bnk", "B.bnk"}));
    EXPECT_EQ(SD::SplitNames("^_^"), std::vector<std::string>{"^_^"});
}

}  // namespace
