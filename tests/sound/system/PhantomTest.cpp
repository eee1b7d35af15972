// A Phantom on a game object plays its event through the engine's sound system: the tone is
// measured on the output device, and destroying the phantom stops it.
#include <gtest/gtest.h>

#include "engine/GameObject.h"
#include "sound/system/GhostEngine.h"
#include "sound/system/Phantom.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/sound/system/SoundSystemFixture.h"

using namespace soundtest;
namespace control = platform::audio::control;

namespace {

class PhantomRun : public ::testing::Test {
protected:
    void SetUp() override {
        control::Reset();
        tree.Write("Audio/Init.bnk", InitBank());
        tree.Write("Audio/Game.bnk", GameBank());
        ghost.SetSettings(SD::Manager::Settings{tree.Path("Audio/"), "Game.bnk", ""});
        ghost.Initialize();
        ASSERT_TRUE(ghost.GetManager()->Started());
        SX::g_pAudioMgr->StopThread();
        control::StartCapture();
    }
    void TearDown() override {
        control::StopCapture();
        ASSERT_EQ(SX::g_pAudioMgr->Start(SX::SxThreadProperties()), SX::SX_Success);
        ghost.Shutdown();
        control::Reset();
    }
    void RunFrames(int frames) {
        for (int i = 0; i < frames; ++i) {
            ghost.Update(0.0214f);
            clock.Advance(0.0214);
            SX::g_pAudioMgr->Perform();
        }
    }
    qvtest::TempTree tree;
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};
    SD::GhostEngine_ ghost;
    SD::GameObject object;
};

TEST_F(PhantomRun, BeginPlayingPostsTheEventOnItsObjectAndTheToneIsHeard) {
    auto* phantom = new SD::Phantom();
    phantom->SetOwner(&object);
    phantom->SetEventName("Play_Tone");
    phantom->SetBegin(true);
    phantom->VInitialize(false);
    phantom->VRegister();
    EXPECT_EQ(ghost.PhantomCount(), 1u);
    EXPECT_EQ(ghost.Emitters().size(), 1u);
    EXPECT_FALSE(phantom->IsPlaying()) << "posting at initialisation leaves the playing flag";
    EXPECT_NE(phantom->SoundID(), SD::kDefaultSoundObject);
    RunFrames(40);
    const Heard heard = Listen(TakeCapture().left);
    EXPECT_NEAR(heard.frequency, kToneHz, 10.0);
    EXPECT_NEAR(heard.peak, kToneAmplitude * std::sqrt(0.5), 0.02);
    EXPECT_EQ(ghost.Summary(), "sounds played 1");
    phantom->VUnregister();
    delete phantom;
    EXPECT_EQ(ghost.PhantomCount(), 0u);
    EXPECT_EQ(ghost.Emitters().size(), 0u);
}

TEST_F(PhantomRun, DestroyingAPhantomStopsItsSound) {
    auto* phantom = new SD::Phantom();
    phantom->SetOwner(&object);
    phantom->SetEventName("Play_Tone");
    phantom->VInitialize(false);
    phantom->Play();
    EXPECT_TRUE(phantom->IsPlaying());
    RunFrames(3);
    const size_t heardBefore = control::CapturedBytes();
    delete phantom;
    RunFrames(20);
    const std::vector<float> left = TakeCapture().left;
    const size_t channels = control::CapturedFormat().channels;
    // Past a frame for the stop to reach the audio thread, nothing more sounds.
    const size_t quietFrom = heardBefore / 2 / channels + 2 * 1024;
    ASSERT_LT(quietFrom, left.size());
    float loudest = 0.0f;
    for (size_t i = quietFrom; i < left.size(); ++i) loudest = std::max(loudest, std::fabs(left[i]));
    EXPECT_EQ(loudest, 0.0f);
    EXPECT_GT(Listen(left).peak, 0.3) << "it did play before";
}

TEST_F(PhantomRun, DestroyingAPhantomLeavesAnotherObjectOfTheSameNameSounding) {
    SD::GameObject other;
    ASSERT_EQ(other.GetName(), object.GetName());
    auto* first = new SD::Phantom();
    first->SetOwner(&object);
    first->SetEventName("Play_Tone");
    first->VInitialize(false);
    SD::Phantom second;
    second.SetOwner(&other);
    second.SetEventName("Play_Tone");
    second.SetBegin(true);
    second.VInitialize(false);
    RunFrames(3);
    const size_t before = control::CapturedBytes() / 2 / control::CapturedFormat().channels;
    delete first;
    RunFrames(10);
    std::vector<float> left = TakeCapture().left;
    left.erase(left.begin(), left.begin() + long(before + 2 * 1024));
    EXPECT_NEAR(Listen(left).peak, kToneAmplitude * std::sqrt(0.5), 0.02);
    RunFrames(20);  // to the tone's end: the banks unload at shutdown once no voice plays from them
}

TEST_F(PhantomRun, AnEmptyEventNamePostsNothing) {
    SD::Phantom phantom;
    phantom.SetOwner(&object);
    phantom.SetBegin(true);
    phantom.VInitialize(false);
    phantom.Play();
    EXPECT_TRUE(phantom.IsPlaying());
    EXPECT_EQ(ghost.GetManager()->SoundsPlayed(), 0u);
}

}  // namespace
