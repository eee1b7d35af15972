#pragma once
// An object of the running game moved at once, its body with it and held still (a body left
// moving would carry the object off again in the next physics step).
#include "engine/ComponentID.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "physics/Body.h"

namespace qvtest {

inline void PlaceAt(SD::GameObject* object, const SD::Vec3& at) {
    if (auto* body = static_cast<Gedankenexperiment::Body*>(object->GetComponent(SD::CID_Body))) {
        body->SetPosition(at);
        body->SetVelocity(SD::Vec3());
    }
    object->GetTransform().SetPos(at);
}

}  // namespace qvtest
