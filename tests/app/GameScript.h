#pragma once
// Playing the whole game in this process as a player would: a script of steps run at the end of
// frames, keys held through the input system's injector, the run watched through the
// game-state manager and the factory by name, on a copy of the sample data.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/GameStartup.h"
#include "engine/Factory.h"
#include "engine/Level.h"
#include "platform/os/Clock.h"
#include "runtime/GameStateManager.h"
#include "runtime/Input.h"
#include "runtime/Registration.h"
#include "support/CapturedLog.h"
#include "support/HeldKeys.h"
#include "support/StepScript.h"
#include "support/TempTree.h"
#include "tests/app/GameDriving.h"

namespace qvtest {

inline int PlayState() {
    SD::GameStateManager_* states = SD::GameStateManager_::GetInstance();
    return states ? states->GetPlayState() : -1;
}

inline bool Exists(const char* name) { return SD::Factory_::GetGameObjectByName(name) != nullptr; }

// A player's script whose keys reach the input system through an injector.
struct GameScript : StepScript {
    std::set<uint32_t> keys;
    bool injectorAdded = false;

    void Frame() {
        if (!injectorAdded && SD::Input_::GetInstance()) {
            SD::Input_::GetInstance()->AddInjector(std::make_unique<HeldKeys>(&keys));
            injectorAdded = true;
        }
        Advance();
    }

    // A step pressing a key in one frame and letting it go in the next.
    std::function<bool()> Tap(uint32_t code) {
        auto pressed = std::make_shared<int>(0);
        return [this, code, pressed] {
            if (*pressed == 0) keys.insert(code);
            if (*pressed == 1) keys.erase(code);
            return ++*pressed > 2;
        };
    }
    static std::function<bool()> In(const char* state) {
        return [state] { return Running() == state; };
    }
    static std::function<bool()> Wait(int frames) {
        auto left = std::make_shared<int>(frames);
        return [left] { return --*left <= 0; };
    }
};

// A copy of the sample data set for headless play (a small window keeps the device's clears
// cheap, twenty frames a second, no auto-save), run on a clock that the frame limiter's waits
// move on: game time keeps pace with the frames whatever the machine does.
struct HeadlessGame {
    TempTree tree;
    platform::ManualClock clock;
    platform::ScopedClock scoped{clock};

    explicit HeadlessGame(bool devKeys) {
        CopySampleTree(tree);
        SetConfig(tree, "Dev", "DevKeys", devKeys ? "true" : "false");
        SetConfig(tree, "LevelEditor", "AutoSaveDuration", "0");
        SetConfig(tree, "FrameRateController", "fps", "20");
        SetConfig(tree, "Window", "Width", "64");
        SetConfig(tree, "Window", "Height", "40");
        clock.SetStepPerRead(0.0005);
    }
};

// The game run with every layer's classes as start-up supplies them, its log kept.
struct GameRun {
    SD::RunSummary summary;
    std::string log;
};
inline GameRun RunWholeGame(const SD::RunOptions& options) {
    QV::SupplyWholeGame(SD::StartupRegistrations());
    qvtest::CapturedLog captured;
    GameRun run;
    run.summary = SD::RunProgram(options);
    run.log = captured.Text();
    return run;
}

}  // namespace qvtest
