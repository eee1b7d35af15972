#pragma once
// What the world logic components share: the running test of their updates, the player looked
// up by name on every use, and the component numbers that have no script constant.
#include "engine/ComponentID.h"

namespace SD {
class GameObject;
}

namespace QV {

constexpr SD::ComponentID kSpinningLogicID = static_cast<SD::ComponentID>(104);

// Whether the game runs (play state 0); most updates do nothing otherwise.
bool IsRunning();
// The live object named "Player", or null.
SD::GameObject* FindPlayer();

}  // namespace QV
