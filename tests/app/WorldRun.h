#pragma once
// The whole game from a copy of the sample data, through its own start-up sequence, taken from
// the menu straight into the world; game time moves half a millisecond a clock read.
#include <filesystem>
#include <functional>
#include <string>

#include "app/GameStartup.h"
#include "core/EngineCore.h"
#include "engine/GameObject.h"
#include "engine/Level.h"
#include "platform/os/Clock.h"
#include "runtime/GameStateManager.h"
#include "runtime/Registration.h"
#include "support/TempTree.h"
#include "tests/app/GameDriving.h"

namespace qvtest {

// The first object of the running state made from that blueprint, or null.
inline SD::GameObject* FirstOf(const char* blueprint) {
    for (const SD::GameObjectHandle& handle : SD::GameStateManager_::GetInstance()->GetCurrentLevel()->GetObjects())
        if (SD::GameObject* object = handle.get(); object && object->GetBlueprintName() == blueprint) return object;
    return nullptr;
}

// `everyWorldFrame` gets the count of world frames so far (from 1) after each one; the run
// ends the frame it answers false. `beforeFrame` runs after every frame before that. `prepare`
// changes the copied data before the game starts.
inline SD::RunSummary RunIntoTheWorld(const std::function<bool(int worldFrame)>& everyWorldFrame,
                                      const std::function<void()>& beforeFrame = nullptr,
                                      const std::function<void(const TempTree&)>& prepare = nullptr) {
    TempTree tree;
    CopySampleTree(tree);
    WithoutSplashPictures(tree);
    if (prepare) prepare(tree);
    platform::ManualClock clock;
    clock.SetStepPerRead(0.0005);
    platform::ScopedClock scoped(clock);
    QV::SupplyWholeGame(SD::StartupRegistrations());
    int worldFrames = 0;
    SD::RunOptions options;
    options.maxFrames = 8000;
    options.afterFrame = [&](unsigned long) {
        if (beforeFrame) beforeFrame();
        const std::string running = Running();
        if (running == "MainMenu") SD::GameStateManager_::ChangeLevel("World");
        if (running == "World" && !everyWorldFrame(++worldFrames)) SD::Core::GetInstance()->Quit();
    };
    return SD::RunProgram(options);
}

}  // namespace qvtest
