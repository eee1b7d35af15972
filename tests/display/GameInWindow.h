#pragma once
// The whole game in a real window (run by tools/window-check.sh under a virtual X server): a
// copy of the sample data with a small window, keys delivered as the window system does, and a
// clock that the frame limiter's waits move on, so game time passes whatever the drawing costs.
// The splash passes on by itself. The sound card is SDL's dummy driver, which plays in real time;
// what the game writes to it is captured.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "app/GameStartup.h"
#include "engine/Level.h"
#include "platform/os/Clock.h"
#include "platform/os/Random.h"
#include "platform/sdl/SdlSession.h"
#include "runtime/GameStateManager.h"
#include "runtime/Registration.h"
#include "support/TempTree.h"
#include "tests/app/GameDriving.h"
#include "tests/platform/AudioDeviceControl.h"
#include "tests/display/SdlSessionProbe.h"

namespace displaytest {

// The game state shown and whether it has finished coming in.
inline std::string Showing(bool* entered) {
    SD::GameStateManager_* states = SD::GameStateManager_::GetInstance();
    const uint32_t phase = states ? states->GetPhase() : SD::GameStateManager_::kIdle;
    const bool shown = phase == SD::GameStateManager_::kEnter || phase == SD::GameStateManager_::kRun;
    if (!shown || !states->GetCurrentLevel()) return "";
    *entered = phase == SD::GameStateManager_::kRun;
    return states->GetCurrentLevel()->GetName();
}

// A key pressed on the real keyboard, as the window system delivers it.
inline void PressKey(SDL_Scancode key, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = key;
    SDL_PushEvent(&e);
}

// A script step: the key held for some frames, then let go.
inline std::function<bool()> Tap(SDL_Scancode key, int held = 2) {
    auto frame = std::make_shared<int>(0);
    return [key, frame, held] {
        if (*frame == 0) PressKey(key, true);
        if (*frame == held) PressKey(key, false);
        return ++*frame > held + 2;
    };
}

class GameInWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { QV::SupplyWholeGame(SD::StartupRegistrations()); }
    void SetUp() override {
        // Start-up seeds the game's generator from the run-time one, which earlier runs in this
        // process have moved on; each check starts it afresh, as a new process would.
        platform::crt_srand(1);
        qvtest::CopySampleTree(tree_);
        qvtest::WithoutSplashPictures(tree_);
        // A small window keeps the software renderer quick.
        qvtest::SetConfig(tree_, "Window", "Width", "320");
        qvtest::SetConfig(tree_, "Window", "Height", "200");
        if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::string error;
        session_ = platform::sdl::SdlSession::Open(&error);
        ASSERT_TRUE(session_) << error;
        SdlSessionProbe::KeepFrames(*session_, true);
        clock_.SetStepPerRead(0.0002);
        platform::SetClock(&clock_);
        platform::audio::control::Reset();
        platform::audio::control::StartCapture();
    }
    void TearDown() override {
        platform::audio::control::StopCapture();
        platform::SetClock(nullptr);
        session_.reset();
    }

    qvtest::TempTree tree_;
    platform::ManualClock clock_;
    std::unique_ptr<platform::sdl::SdlSession> session_;
};

}  // namespace displaytest
