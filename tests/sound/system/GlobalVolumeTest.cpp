// The game's volume reaches the sound heard: the sample banks' ambience follows the
// "GlobalVolume" game parameter that the menu's volume slider sets through the manager.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "sound/system/SoundManager.h"
#include "tests/sound/system/SoundSystemFixture.h"

namespace {

using namespace soundtest;
namespace control = platform::audio::control;

class SampleBankVolume : public ManagerFrames {
protected:
    void SetUp() override {
        ManagerFrames::SetUp();
        for (const char* bank : {"Init.bnk", "Game.bnk"})
            std::filesystem::copy_file(qvtest::SourceDir() + "/Assets/Sound/" + bank,
                                       tree.Path(std::string("Audio/") + bank),
                                       std::filesystem::copy_options::overwrite_existing);
    }
    // The peak of the sample chime posted at that game volume.
    double ChimePeak(SD::Manager& manager, float volume) {
        manager.SetGlobalVolume(volume);
        RunFrames(manager, 3);
        control::StartCapture();
        EXPECT_NE(manager.PostEvent("Play_Chime", 0), 0u);
        RunFrames(manager, 40);
        const Heard heard = Listen(TakeCapture().left);
        control::StopCapture();
        return heard.peak;
    }
};

TEST_F(SampleBankVolume, TheChimeIsQuieterAtALowerGameVolumeAndSilentAtNone) {
    SD::Manager manager(Settings("Game.bnk"));
    manager.Init();
    ASSERT_TRUE(manager.Started());
    ASSERT_TRUE(manager.Failures().empty());
    SX::g_pAudioMgr->StopThread();
    const double full = ChimePeak(manager, 1.0f);
    const double half = ChimePeak(manager, 0.5f);
    const double none = ChimePeak(manager, 0.0f);
    ASSERT_GT(full, 0.05) << "the chime is heard at full volume";
    // The curve puts half the slider at -12 dB (a quarter), none at -96 dB.
    EXPECT_NEAR(half / full, 0.251, 0.03);
    EXPECT_LT(none, full * 0.001);
    EXPECT_NEAR(ChimePeak(manager, 1.0f), full, full * 0.01) << "and back up again";
    RestartAudioThread();
    manager.Term();
}

}  // namespace
