#pragma once
// The cameras the world logic reaches: the renderer's active camera, whose position turns the
// grass billboards, and an object's follow camera, whose distance and target collections,
// flowers and lookouts change. An object without a follow camera is left alone.
#include "core/Vector.h"

namespace SD {
class GameObject;
}

namespace QV {
namespace cameras {

// The position of the active camera's object; false when there is none.
bool ActiveCameraPosition(SD::Vec3* position);
// The follow camera of the object: its distance grown (VernholmCameraLogic::GrowMaxRadius), and
// a new target.
void ScaleFollowDistance(SD::GameObject* camera, double factor);
void SetFollowTarget(SD::GameObject* camera, SD::GameObject* target);

}  // namespace cameras
}  // namespace QV
