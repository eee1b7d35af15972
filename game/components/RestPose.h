#pragma once
// What swaying scenery (bulbs, lily pads) shares: the pose it rests at and sways from, and the
// two scales its data gives the sway.
#include "core/Matrix.h"
#include "core/Vector.h"

namespace SD {
class IStream;
class Transform;
}  // namespace SD

namespace QV {

// What a swaying piece of scenery rests at; re-taken while the game stands still, so edits
// stay.
struct RestPose {
    void Take(SD::Transform& transform);
    // While the game stands still (a step of about 0) re-takes the rest and answers false; else
    // turns the object back to its rest orientation for the sway to turn from.
    bool BeginSway(SD::Transform& transform, float dt);
    SD::Vec3 right, up, facing;
    SD::Mtx33 orientation;
    SD::Vec3 position;
};

// The sway's rotation and movement scales, as the data names them.
void SerializeSway(SD::IStream& stream, float& rotation, float& movement);

}  // namespace QV
