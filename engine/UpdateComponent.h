#pragma once
// A component that the component manager updates every frame while it is registered; one that
// simulates (flies, follows) also steps on the simulation's fixed clock.
#include <cstdint>

#include "engine/Component.h"

namespace SD {

class IUpdateComponent : public Component {
public:
    // Leaves the update list when destroyed while still in it.
    ~IUpdateComponent() override;

    // Appends this component to the component manager's update list, then VOnRegistered.
    void VRegister() override;
    // Unlinks it, then VOnUnregistered.
    void VUnregister() override;

    virtual void VUpdate(float dt) = 0;
    // Asked once as the component registers: whether it also takes the fixed steps. Those run
    // before the frame's VUpdate, zero or more of them a frame (core/FixedSteps.h).
    virtual bool VTakesFixedSteps() const { return false; }
    virtual void VFixedUpdate(float step) { (void)step; }
    virtual void VOnDevPauseEnter();
    virtual void VOnDevPauseExit();
    virtual void VOnRegistered();
    virtual void VOnUnregistered();
    // Put the owner back into the state last captured, and capture its current state; the
    // classes that move their owner use them around edits of the level.
    virtual void VRestoreStartState() {}
    virtual void VCaptureStartState() {}

private:
    friend class ComponentManager_;
    // Where the component stands in the component manager's walks, while it is registered.
    uint32_t updateIndex_ = 0;
    uint32_t fixedIndex_ = 0;
};

}  // namespace SD
