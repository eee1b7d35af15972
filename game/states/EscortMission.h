#pragma once
// A smaller play state on its own level: the vehicle, its camera, the wind bars and the pause
// menu; pause keys as in the world, and no change of state of its own.
#include "game/states/FadingLevel.h"
#include "runtime/InputBindingSet.h"

namespace QV {

class World_EscortMission : public FadingInLevel {
public:
    World_EscortMission() : FadingInLevel(8.0, 2.0) {}

    void Load() override;
    void Unload() override;
    void Update(float dt) override;

private:
    SD::InputBindingSet bindings_;
};

}  // namespace QV
