#include "game/components/RestPose.h"

#include "engine/IStream.h"
#include "engine/Transform.h"

namespace QV {
namespace {

// While the game stands still (paused or edited) frames carry no time.
constexpr float kStill = 0.0001f;

}  // namespace

void RestPose::Take(SD::Transform& transform) {
    right = transform.GetRight();
    up = transform.GetUp();
    facing = transform.GetDir();
    orientation = transform.GetOrient();
    position = transform.GetLocalPos();
}

bool RestPose::BeginSway(SD::Transform& transform, float dt) {
    if (dt <= kStill) {
        Take(transform);
        return false;
    }
    transform.SetOrient(orientation);
    return true;
}

void SerializeSway(SD::IStream& stream, float& rotation, float& movement) {
    stream.Serialize(rotation, "Rotation Scale", "Float");
    stream.Serialize(movement, "Movement Distance Scale", "Float");
}

}  // namespace QV
