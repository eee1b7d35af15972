#include "engine/ComponentManager.h"

#include "engine/PlayStateQuery.h"
#include "engine/UpdateComponent.h"

namespace SD {

namespace {
ComponentManager_* g_componentManager = nullptr;
}  // namespace

ComponentManager_::ComponentManager_() { g_componentManager = this; }

ComponentManager_::~ComponentManager_() {
    if (g_componentManager == this) g_componentManager = nullptr;
}

ComponentManager_* ComponentManager_::GetInstance() { return g_componentManager; }

void ComponentManager_::Initialize() { lastPlayState_ = static_cast<int32_t>(GetCurrentPlayState()); }

void ComponentManager_::Update(float dt) {
    updates_.CloseHolesIfMany();
    const int32_t state = static_cast<int32_t>(GetCurrentPlayState());
    if (state == kPlayStateDevPause && lastPlayState_ != kPlayStateDevPause)
        updates_.ForEach([](IUpdateComponent* c) { c->VOnDevPauseEnter(); });
    updates_.ForEach([dt](IUpdateComponent* c) { c->VUpdate(dt); });
    if (state != kPlayStateDevPause && lastPlayState_ == kPlayStateDevPause)
        updates_.ForEach([](IUpdateComponent* c) { c->VOnDevPauseExit(); });
    lastPlayState_ = state;
}

void ComponentManager_::FixedUpdate(float step) {
    fixed_.CloseHolesIfMany();
    fixed_.ForEach([step](IUpdateComponent* c) { c->VFixedUpdate(step); });
}

void ComponentManager_::RegisterUpdateComponent(IUpdateComponent* component) {
    if (component->listLink_.IsLinked()) return;
    updateList_.PushBack(component);
    updates_.Add(component);
    if (component->VTakesFixedSteps()) fixed_.Add(component);
}

void ComponentManager_::UnregisterUpdateComponent(IUpdateComponent* component) {
    if (!component->listLink_.IsLinked()) return;
    updateList_.Remove(component);
    updates_.Remove(component);
    fixed_.Remove(component);
}

uint32_t& ComponentManager_::UpdateIndexOf(IUpdateComponent* const& component) { return component->updateIndex_; }
uint32_t& ComponentManager_::FixedIndexOf(IUpdateComponent* const& component) { return component->fixedIndex_; }

}  // namespace SD
