#include "engine/ComponentManager.h"

#include "engine/GameObject.h"
#include "engine/PlayStateQuery.h"
#include "engine/UpdateComponent.h"

namespace SD {

namespace {
ComponentManager_* gComponentManager = nullptr;

IUpdateComponent* AsUpdate(Component* c) { return static_cast<IUpdateComponent*>(c); }

// Updates mostly work on their object's transform: it is fetched a few components ahead, so
// that a frame over more objects than the caches hold does not wait on memory at each one.
void PrefetchOwner(Component* c) {
    if (const GameObject* owner = c->GetOwner()) owner->PrefetchFrameData();
}
}  // namespace

ComponentManager_::ComponentManager_() { gComponentManager = this; }

ComponentManager_::~ComponentManager_() {
    if (gComponentManager == this) gComponentManager = nullptr;
}

ComponentManager_* ComponentManager_::GetInstance() { return gComponentManager; }

void ComponentManager_::Initialize() { lastPlayState_ = static_cast<int32_t>(GetCurrentPlayState()); }

void ComponentManager_::Update(float dt) {
    const int32_t state = static_cast<int32_t>(GetCurrentPlayState());
    if (state == kPlayStateDevPause && lastPlayState_ != kPlayStateDevPause)
        updateList_.ForEach([](Component* c) { AsUpdate(c)->VOnDevPauseEnter(); });
    updateList_.ForEachLookingAhead(kFrameLookAhead, PrefetchOwner, [dt](Component* c) { AsUpdate(c)->VUpdate(dt); });
    if (state != kPlayStateDevPause && lastPlayState_ == kPlayStateDevPause)
        updateList_.ForEach([](Component* c) { AsUpdate(c)->VOnDevPauseExit(); });
    lastPlayState_ = state;
}

void ComponentManager_::RegisterUpdateComponent(IUpdateComponent* component) {
    if (!component->listLink_.IsLinked()) updateList_.PushBack(component);
}

void ComponentManager_::UnregisterUpdateComponent(IUpdateComponent* component) {
    updateList_.Remove(component);
}

}  // namespace SD
