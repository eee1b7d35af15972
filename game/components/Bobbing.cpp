#include "game/components/Bobbing.h"

#include "engine/GameObject.h"
#include "engine/Transform.h"

namespace QV {

void Bobbing::Capture(SD::GameObject* object) {
    time = 0.0f;
    if (object) start = object->GetTransform().GetLocalPos();
}

void Bobbing::Restore(SD::GameObject* object) {
    time = 0.0f;
    if (object) object->GetTransform().SetPos(start);
}

void Bobbing::Lift(SD::GameObject* object, float lift) const {
    object->GetTransform().SetPos(SD::Vec3(start.x, start.y + lift, start.z));
}

}  // namespace QV
