#pragma once
// What the world logic components share: the running test of their updates, the player looked
// up by name on every use, and the component numbers that have no script constant.
#include "core/Vector.h"
#include "engine/ComponentID.h"

namespace SD {
class GameObject;
}

namespace QV {

// Whether the game runs (play state 0); most updates do nothing otherwise.
bool IsRunning();
// The live object named "Player", or null.
SD::GameObject* FindPlayer();
// The squared distance between two objects' positions.
float SquaredDistance(SD::GameObject* a, SD::GameObject* b);
// True when `other` is there and closer to `object` than `radius`.
bool Near(SD::GameObject* object, SD::GameObject* other, float radius);
// True when the object belongs to a group and the group is switched off.
bool GroupInactive(SD::GameObject* object);
// Writes only the alpha of an object's geometry colour.
void SetBulbAlpha(SD::GameObject* object, float alpha);
// The engine core's clock in seconds, which the scenery's sways and bobs run on.
float CoreSeconds();
// A random angle in [-limit, limit) from the engine generator.
float RandomAngle(float limit);

}  // namespace QV
