// The main menu's settings in a real window (run by tools/window-check.sh under a virtual X
// server): keys sent to the window move the volume slider, and the sound the game writes to the
// output device, captured meanwhile, gets quieter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "core/EngineCore.h"
#include "display/GameInWindow.h"
#include "game/systems/AudioLogic.h"
#include "support/StepScript.h"
#include "tests/app/CapturedSound.h"
#include "tests/app/ListeningMeasures.h"
#include "tests/platform/AudioDeviceControl.h"

namespace {

namespace control = platform::audio::control;
using qvtest::CapturedSound;

// Captured seconds the level is measured over, and the seconds let pass after the slider moved.
constexpr double kMeasureSeconds = 2.0;
constexpr double kSettleSeconds = 0.5;

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

using SettingsDisplay = displaytest::GameInWindow;
using displaytest::Tap;

// Five presses of Left on the volume slider take the game's volume from full to half, which the
// master bus plays 12 dB down: the menu's sound is heard at about a quarter of its level.
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
        {"full volume measured",
         [&] {
             fullTo = CapturedSound::FrameAt(control::CapturedBytes());
             fullVolume = QV::AudioLogic_::GetInstance().GetGlobalVolume();
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
    EXPECT_NEAR(QV::AudioLogic_::GetInstance().GetGlobalVolume(), 0.5f, 1e-4f) << "five steps of a tenth down";

    // The whole mix (the menu's music and its birds, all on the master bus) holds its level over
    // seconds, where one note of the music comes and goes with the tune.
    const double full = qvtest::Loudness(sound, fullFrom, fullTo);
    const double low = qvtest::Loudness(sound, lowFrom, lowTo);
    ASSERT_GT(full, 0.05) << "the menu's music is heard";
    EXPECT_LT(qvtest::Db(low / full), -8.0) << "full " << full << ", half the slider " << low;
    EXPECT_GT(qvtest::Db(low / full), -16.0) << "full " << full << ", half the slider " << low;
}

}  // namespace
