#pragma once
// Creators make and destroy the components of one class; the factory keeps one per class.
#include "engine/Component.h"

namespace SD {

class IComponentCreator {
public:
    virtual ~IComponentCreator() = default;
    virtual Component* Create() = 0;
    virtual void Destroy(Component* component) = 0;
};

template <class T>
class ComponentCreator : public IComponentCreator {
public:
    Component* Create() override { return new T(); }
    void Destroy(Component* component) override { delete component; }
};

}  // namespace SD
