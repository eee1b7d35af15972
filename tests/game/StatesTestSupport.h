#pragma once
// The game states over the HUD fixture on a manual clock: a frame in the engine's order for the
// states and the systems they drive, a key tapped through them, and which state runs.
#include <cstdint>
#include <memory>
#include <string>

#include "HudTestSupport.h"
#include "core/EngineCore.h"
#include "engine/Level.h"
#include "platform/os/Clock.h"
#include "runtime/GameStateManager.h"
#include "runtime/InterpolatorSystem.h"

namespace hudtest {

// Stands in for a state the states under test hand over to.
class IdleLevel : public SD::Level {
public:
    void Load() override {}
    void Unload() override {}
    void Update(float) override {}
};

// The fixture registers its states and calls states.Initialize(); it shuts them down itself,
// before whatever else it resets.
class StatesFixture : public HudFixture {
protected:
    StatesFixture() : scoped(clock), core(SD::Core::CreateInstance()) {}

    void StateFrame(float dt = 0.016f) {
        input.Update(dt);
        SD::InterpolatorSystem::GetInstance().Update(dt);
        components.Update(dt);
        states.Update(dt);
        hud.Update(dt);
        factory.Update(dt);
        clock.Advance(dt);
    }
    // Holds the key for one frame, then lets it go for one.
    void TapState(uint32_t code) {
        keys.insert(code);
        StateFrame();
        keys.erase(code);
        StateFrame();
    }
    std::string Current() const { return states.GetCurrentLevel() ? states.GetCurrentLevel()->GetName() : "none"; }
    // The state of that name runs its own updates.
    bool Running(const std::string& name) const {
        return Current() == name && states.GetPhase() == SD::GameStateManager_::kRun;
    }

    platform::ManualClock clock;
    platform::ScopedClock scoped;
    std::unique_ptr<SD::Core> core;
    SD::GameStateManager_ states;
};

}  // namespace hudtest
