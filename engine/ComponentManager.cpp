#include "engine/ComponentManager.h"

#include "engine/PlayStateQuery.h"
#include "engine/UpdateComponent.h"

namespace SD {

namespace {
ComponentManager_* g_componentManager = nullptr;

IUpdateComponent* AsUpdate(Component* c) { return static_cast<IUpdateComponent*>(c); }

}  // namespace

ComponentManager_::ComponentManager_() { g_componentManager = this; }

ComponentManager_::~ComponentManager_() {
    if (g_componentManager == this) g_componentManager = nullptr;
}

ComponentManager_* ComponentManager_::GetInstance() { return g_componentManager; }

void ComponentManager_::Initialize() { lastPlayState_ = static_cast<int32_t>(GetCurrentPlayState()); }

void ComponentManager_::Update(float dt) {
    const int32_t state = static_cast<int32_t>(GetCurrentPlayState());
    if (state == kPlayStateDevPause && lastPlayState_ != kPlayStateDevPause)
        updateList_.ForEach([](Component* c) { AsUpdate(c)->VOnDevPauseEnter(); });
    updateList_.ForEach([dt](Component* c) { AsUpdate(c)->VUpdate(dt); });
    if (state != kPlayStateDevPause && lastPlayState_ == kPlayStateDevPause)
        updateList_.ForEach([](Component* c) { AsUpdate(c)->VOnDevPauseExit(); });
    lastPlayState_ = state;
}

void ComponentManager_::RegisterUpdateComponent(IUpdateComponent* component) {
    if (!component->listLink_.IsLinked()) updateList_.PushBack(component);
}

void ComponentManager_::UnregisterUpdateComponent(IUpdateComponent* component) { updateList_.Remove(component); }

}  // namespace SD
