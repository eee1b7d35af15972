#include "engine/ComponentManager.h"

#include "engine/GameObject.h"
#include "engine/PlayStateQuery.h"
#include "engine/UpdateComponent.h"

namespace SD {

namespace {
ComponentManager_* g_componentManager = nullptr;

IUpdateComponent* AsUpdate(Component* c) { return static_cast<IUpdateComponent*>(c); }

// The frame's pass starts fetching, at each component, what the component a few places on will
// read: its own memory, its object's transform and that transform's record. Its place is
// guessed from the spacing of this component and the next, and of their objects and records
// (the pools lay out what is made one after another at a fixed spacing), so no chain of links
// is followed ahead; nothing past the next component is read, and a wrong guess only fetches
// in vain. Here, not beside the component, so that the pass inlines it; forced, since a call
// that only fetches counts as doing nothing and would be dropped whole.
__attribute__((always_inline)) inline void PrefetchFrameAhead(const Component* current) {
    constexpr uintptr_t kAhead = 6;
    const Component* next = ComponentList::Next(current);
    if (!next) return;
    const auto at = [](const void* p) { return reinterpret_cast<uintptr_t>(p); };
    const uintptr_t guess = at(current) + kAhead * (at(next) - at(current));
    __builtin_prefetch(reinterpret_cast<const void*>(guess));
    __builtin_prefetch(reinterpret_cast<const void*>(guess + 64));
    const GameObject* owner = current->GetOwner();
    const GameObject* nextOwner = next->GetOwner();
    if (owner && nextOwner) owner->PrefetchFrameDataAhead(*nextOwner, kAhead);
}

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
    updateList_.ForEach([dt](Component* c) {
        PrefetchFrameAhead(c);
        AsUpdate(c)->VUpdate(dt);
    });
    if (state != kPlayStateDevPause && lastPlayState_ == kPlayStateDevPause)
        updateList_.ForEach([](Component* c) { AsUpdate(c)->VOnDevPauseExit(); });
    lastPlayState_ = state;
}

void ComponentManager_::RegisterUpdateComponent(IUpdateComponent* component) {
    if (!component->listLink_.IsLinked()) updateList_.PushBack(component);
}

void ComponentManager_::UnregisterUpdateComponent(IUpdateComponent* component) { updateList_.Remove(component); }

}  // namespace SD
