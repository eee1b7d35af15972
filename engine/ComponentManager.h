#pragma once
// The system that updates every registered update component once a frame, in registration
// order, steps those that take fixed steps on the simulation's clock, and tells them when
// developer pause begins and ends.
#include <cstdint>

#include "core/System.h"
#include "engine/Component.h"
#include "engine/RegistrationArray.h"
#include "platform/TestProbe.h"

namespace SD {

class IUpdateComponent;

// Calls the member function on each component of a registration list from `first` up to, not
// including, `end` (null for the end of the list), following the list links.
template <class T>
void ForEachComponent(Component* first, Component* end, void (T::*function)()) {
    for (Component* c = first; c && c != end; c = ComponentList::Next(c)) (static_cast<T*>(c)->*function)();
}
template <class T>
void ForEachComponentWithTime(Component* first, Component* end, void (T::*function)(float), float dt) {
    for (Component* c = first; c && c != end; c = ComponentList::Next(c)) (static_cast<T*>(c)->*function)(dt);
}

class ComponentManager_ : public ISystem {
public:
    // The one manager, published for the components' registration; cleared by the destructor.
    ComponentManager_();
    ~ComponentManager_() override;
    static ComponentManager_* GetInstance();

    const char* GetName() const override { return "ComponentManager"; }
    // Takes the game's current play state as the last one seen.
    void Initialize() override;
    void Update(float dt) override;
    bool TakesFixedSteps() const override { return true; }
    // VFixedUpdate of every component that takes fixed steps, in registration order.
    void FixedUpdate(float step) override;

    void RegisterUpdateComponent(IUpdateComponent* component);
    void UnregisterUpdateComponent(IUpdateComponent* component);

private:
    friend struct platform::TestProbe<ComponentManager_>;

    static uint32_t& UpdateIndexOf(IUpdateComponent* const& component);
    static uint32_t& FixedIndexOf(IUpdateComponent* const& component);

    ComponentList updateList_;
    // The list again as an array, which the frame's walks read: an entry's loads need not wait
    // for the one before, and a walk goes on past components that leave or return during it.
    RegistrationArray<IUpdateComponent*, &UpdateIndexOf> updates_;
    RegistrationArray<IUpdateComponent*, &FixedIndexOf> fixed_;
    int32_t lastPlayState_ = 0;
};

}  // namespace SD
