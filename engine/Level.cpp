#include "engine/Level.h"

#include "engine/Factory.h"
#include "engine/GameObject.h"

namespace SD {

void Level::AddObject(GameObject* object) {
    if (object) objects_.push_back(object->GetHandle());
}

void Level::RemoveObject(GameObject* object) {
    if (!object) return;
    for (GameObjectHandle& handle : objects_)
        if (handle.get() == object) handle = GameObjectHandle();
}

void Level::DestroyObjects() {
    Factory_* factory = Factory_::GetInstance();
    for (const GameObjectHandle& handle : objects_) {
        GameObject* object = handle.get();
        if (object && factory) factory->DestroyGameObject(object);
    }
    objects_.clear();
}

}  // namespace SD
