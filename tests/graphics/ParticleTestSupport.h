#pragma once
// What the particle effect tests share: an effect made like the factory makes it, and a small
// world of named objects destroyed through the factory.
#include <memory>
#include <string>

#include "core/Vector.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "engine/Transformer.h"

namespace particletest {

// Effects are components, made in their pool like the factory makes them.
template <class T>
std::unique_ptr<T> Make() {
    return std::unique_ptr<T>(new T());
}

struct FactoryWorld {
    SD::ComponentManager_ components;
    SD::Transformer_ transformer;
    SD::Factory_ factory{64};
    ~FactoryWorld() { factory.Shutdown(); }
    SD::GameObject* Object(const std::string& name, SD::Vec3 at) {
        SD::GameObject* object = factory.NewGameObject();
        object->GetTransform().SetPos(at);
        if (!name.empty()) object->NameObject(name);
        return object;
    }
};

}  // namespace particletest
