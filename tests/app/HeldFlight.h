#pragma once
// The whole game flown with keys held for seconds of game time, at a fixed frame time of a clock
// the test moves: the intro sat through on slow frames, then a pilot who looks every quarter of a
// second and holds his keys until he looks again, and a watcher who sees every frame of flight.
// The same pilot flies the same way at 60, 20 and 8 frames a second, since the game steps its
// simulation in fixed steps.
#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "app/GameStartup.h"
#include "core/EngineCore.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "platform/os/Clock.h"
#include "runtime/GameStateManager.h"
#include "runtime/Input.h"
#include "runtime/InputCodes.h"
#include "runtime/Registration.h"
#include "support/HeldKeys.h"
#include "support/TempTree.h"
#include "tests/app/GameDriving.h"

namespace qvtest {

// The frame times flown: 60, 20 and 8 frames a second.
inline constexpr double kFlightFrames[] = {1.0 / 60.0, 1.0 / 20.0, 1.0 / 8.0};
// The pilot looks this often: a whole number of frames at every rate flown.
inline constexpr double kPilotLook = 0.25;

// The keys for the next look, from the flight's seconds and the vehicle.
using HeldPilot = std::function<void(double seconds, SD::GameObject& vehicle, std::set<uint32_t>& keys)>;
// After every frame of flight: the flight's seconds at its end and the vehicle.
using FlightWatch = std::function<void(double seconds, SD::GameObject& vehicle)>;
// At every look, before the pilot.
using LookWatch = std::function<void(double seconds, SD::GameObject& vehicle)>;

// Flies `seconds` of game time at frames of `frame` seconds; whether the run ended cleanly in the
// world. `prepare` changes the copied data before the game starts.
inline bool FlyHeld(double frame, double seconds, const HeldPilot& pilot, const FlightWatch& everyFrame,
                    const LookWatch& everyLook = nullptr,
                    const std::function<void(const TempTree&)>& prepare = nullptr) {
    // Slower than the old hitch rule's half a second: such frames still count in full.
    constexpr double kIntroFrame = 0.7;
    TempTree tree;
    CopySampleTree(tree);
    WithoutSplashPictures(tree);
    SetConfig(tree, "FrameRateController", "limit_frame_rate", "false");
    SetConfig(tree, "Window", "Width", "64");
    SetConfig(tree, "Window", "Height", "40");
    SetConfig(tree, "LevelEditor", "AutoSaveDuration", "0");
    if (prepare) prepare(tree);
    platform::ManualClock clock;
    platform::ScopedClock scoped(clock);
    QV::SupplyWholeGame(SD::StartupRegistrations());

    std::set<uint32_t> keys;
    bool injected = false;
    long worldFrames = -1;  // frames of flight so far; the intro's before
    SD::RunOptions options;
    options.maxFrames = 20000;
    options.afterFrame = [&](unsigned long) {
        if (!injected && SD::Input_::GetInstance()) {
            SD::Input_::GetInstance()->AddInjector(std::make_unique<HeldKeys>(&keys));
            injected = true;
        }
        const std::string running = Running();
        if (running == "MainMenu") SD::GameStateManager_::ChangeLevel("World");
        SD::GameObject* vehicle = SD::Factory_::GetGameObjectByName("Player");
        if (running != "World" || !vehicle) {
            clock.Advance(kIntroFrame);
            return;
        }
        // The flight's time at the end of this frame, counted in its frames so that looks fall on
        // the same seconds at every rate.
        const double flown = static_cast<double>(++worldFrames) * frame;
        everyFrame(flown, *vehicle);
        if (worldFrames % std::lround(kPilotLook / frame) == 0) {
            if (everyLook) everyLook(flown, *vehicle);
            pilot(flown, *vehicle, keys);
        }
        if (flown >= seconds) {
            // The sound engine's threads wait on the clock to unload their banks as the program
            // ends: from now on every reading moves it.
            clock.SetStepPerRead(0.0005);
            SD::Core::GetInstance()->Quit();
        }
        clock.Advance(frame);
    };
    const SD::RunSummary summary = SD::RunProgram(options);
    return summary.clean && summary.state == "World";
}

// The level data's start over the water off the eastern shore of the grass island round
// (-950, 0, 200), low, facing west up its slope (a yaw of -90 degrees turns the vehicle from +z
// to -x).
inline constexpr const char* kIslandShoreStart = "2\n-480 6 175\n0 -90 0\n";

// Flown from the island's shore the way a person tries the controls: the throttle held, the
// climb (S) for four seconds from the third, then the dive (W) for four, 14 seconds in all.
inline bool ClimbThenDiveFromTheIslandShore(double frame, const FlightWatch& everyFrame) {
    const auto pilot = [](double seconds, SD::GameObject&, std::set<uint32_t>& keys) {
        keys = {SD::key_SPACE};
        if (seconds >= 3.0 && seconds < 7.0) keys.insert(SD::key_S);
        if (seconds >= 7.0 && seconds < 11.0) keys.insert(SD::key_W);
    };
    return FlyHeld(frame, 14.0, pilot, everyFrame, nullptr,
                   [](const TempTree& tree) { tree.Write("Assets/Levels/World_v6/LevelData.ld", kIslandShoreStart); });
}

}  // namespace qvtest
