// The main menu's settings in a real window (run by tools/window-check.sh under a virtual X
// server): keys sent to the window move the volume slider, and the sound the game writes to the
// output device, captured meanwhile, gets quieter.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/GameStartup.h"
#include "core/EngineCore.h"
#include "game/hud/HudHooks.h"
#include "platform/audio/AudioTestControl.h"
#include "platform/os/Clock.h"
#include "platform/sdl/SdlSession.h"
#include "runtime/Registration.h"
#include "support/StepScript.h"
#include "support/TempTree.h"
#include "tests/app/CapturedSound.h"
#include "tests/app/GameDriving.h"

namespace {

namespace control = platform::audio::control;
using qvtest::CapturedSound;

// The spring music's root (C4), which the menu plays.
constexpr double kMenuMusicHz = 261.63;
// Captured seconds the level is measured over, and the seconds let pass after the slider moved.
constexpr double kMeasureSeconds = 2.0;
constexpr double kSettleSeconds = 0.5;

// A key pressed on the real keyboard, as the window system delivers it.
void PressKey(SDL_Scancode key, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = key;
    SDL_PushEvent(&e);
}

// A key held for two frames, then let go.
std::function<bool()> Tap(SDL_Scancode key) {
    auto frame = std::make_shared<int>(0);
    return [key, frame] {
        if (*frame == 0) PressKey(key, true);
        if (*frame == 2) PressKey(key, false);
        return ++*frame > 4;
    };
}

// Done once the capture has grown by that many seconds of sound since the step was first asked;
// the captured frame it started at is kept.
std::function<bool()> Heard(double seconds, size_t* from) {
    auto started = std::make_shared<bool>(false);
    return [seconds, from, started] {
        const size_t now = CapturedSound::FrameAt(control::CapturedBytes());
        if (!*started) *from = now, *started = true;
        const uint32_t rate = control::CapturedFormat().sampleRate ? control::CapturedFormat().sampleRate : 48000;
        return now >= *from + static_cast<size_t>(seconds * rate);
    };
}

class SettingsDisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qv::SupplyWholeGame(SD::StartupRegistrations()); }
    void SetUp() override {
        qvtest::CopySampleTree(tree_);
        qvtest::WithoutSplashPictures(tree_);
        // A small window keeps the software renderer quick.
        qvtest::SetConfig(tree_, "Window", "Width", "320");
        qvtest::SetConfig(tree_, "Window", "Height", "200");
        if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::string error;
        session_ = platform::sdl::SdlSession::Open(&error);
        ASSERT_TRUE(session_) << error;
        // Game time moves on as the frame limiter waits, whatever the drawing costs; the sound
        // card (SDL's dummy driver) plays in real time.
        clock_.SetStepPerRead(0.0002);
        platform::SetClock(&clock_);
        control::Reset();
        control::StartCapture();
    }
    void TearDown() override {
        control::StopCapture();
        platform::SetClock(nullptr);
        session_.reset();
    }

    qvtest::TempTree tree_;
    platform::ManualClock clock_;
    std::unique_ptr<platform::sdl::SdlSession> session_;
};

// Five presses of Left on the volume slider take the game's volume from full to half, which the
// master bus plays 12 dB down: the menu's music is heard at about a quarter of its level.
TEST_F(SettingsDisplay, TheVolumeSliderMovedWithKeysLowersTheCapturedSound) {
    size_t fullFrom = 0, fullTo = 0, before = 0, settled = 0, lowFrom = 0, lowTo = 0;
    float fullVolume = 0.0f;
    qvtest::StepScript script;
    script.limit = 3000;
    script.steps = {
        {"the menu", [] { return qvtest::Running() == "MainMenu"; }},
        {"the music going", Heard(1.0, &before)},
        {"down to credits", Tap(SDL_SCANCODE_DOWN)},
        {"down to the full-screen box", Tap(SDL_SCANCODE_DOWN)},
        {"down to the volume slider", Tap(SDL_SCANCODE_DOWN)},
        {"heard at full volume", Heard(kMeasureSeconds, &fullFrom)},
        {"full volume measured", [&] {
             fullTo = CapturedSound::FrameAt(control::CapturedBytes());
             fullVolume = QV::GetGlobalVolume();
             return true;
         }},
    };
    for (int press = 0; press < 5; ++press) script.steps.push_back({"left on the slider", Tap(SDL_SCANCODE_LEFT)});
    script.steps.push_back({"the slider settled", Heard(kSettleSeconds, &settled)});
    script.steps.push_back({"heard at half volume", Heard(kMeasureSeconds, &lowFrom)});
    script.steps.push_back({"half volume measured", [&] {
                                lowTo = CapturedSound::FrameAt(control::CapturedBytes());
                                SD::Core::GetInstance()->Quit();
                                return true;
                            }});
    SD::RunOptions options;
    options.maxFrames = 20000;
    options.afterFrame = [&](unsigned long) { script.Advance(); };
    const SD::RunSummary summary = SD::RunProgram(options);
    const CapturedSound sound = CapturedSound::Take();
    ASSERT_TRUE(summary.clean) << summary.error;
    ASSERT_TRUE(script.Finished()) << "stuck at: " << script.Where();
    EXPECT_FLOAT_EQ(fullVolume, 1.0f);
    EXPECT_NEAR(QV::GetGlobalVolume(), 0.5f, 1e-4f) << "five steps of a tenth down";

    const double full = sound.Level(kMenuMusicHz, fullFrom, fullTo);
    const double low = sound.Level(kMenuMusicHz, lowFrom, lowTo);
    ASSERT_GT(full, 0.01) << "the menu's music is heard";
    EXPECT_LT(qvtest::Db(low / full), -8.0) << "full " << full << ", half the slider " << low;
    EXPECT_GT(qvtest::Db(low / full), -16.0) << "full " << full << ", half the slider " << low;
}

}  // namespace
