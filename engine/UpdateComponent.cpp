#include "engine/UpdateComponent.h"

#include "engine/ComponentManager.h"

namespace SD {

IUpdateComponent::~IUpdateComponent() {
    if (listLink_.IsLinked()) {
        if (ComponentManager_* manager = ComponentManager_::GetInstance()) manager->UnregisterUpdateComponent(this);
    }
}

void IUpdateComponent::VRegister() {
    if (ComponentManager_* manager = ComponentManager_::GetInstance()) manager->RegisterUpdateComponent(this);
    VOnRegistered();
}

void IUpdateComponent::VUnregister() {
    if (ComponentManager_* manager = ComponentManager_::GetInstance()) manager->UnregisterUpdateComponent(this);
    VOnUnregistered();
}

void IUpdateComponent::VOnDevPauseEnter() {}
void IUpdateComponent::VOnDevPauseExit() {}
void IUpdateComponent::VOnRegistered() {}
void IUpdateComponent::VOnUnregistered() {}

}  // namespace SD
