#pragma once
// What the state manager calls: listeners of a group's state changes, trigger subscribers,
// objects whose media follow prepared game syncs, and the music engine's hook.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

class ISxStateListener {
public:
    virtual void OnStateChanged(uint32_t newStateID) = 0;

protected:
    ~ISxStateListener() = default;
};

class ISxTriggerAware {
public:
    virtual void Trigger(uint32_t triggerID) = 0;

protected:
    ~ISxTriggerAware() = default;
};

class ISxPreparationAware {
public:
    virtual SXRESULT ModifyActiveState(uint32_t gameSyncID, bool prepare) = 0;

protected:
    ~ISxPreparationAware() = default;
};

// Asked before a state change applies: the music engine installs it, so that a change its
// music waits for (a transition at a sync point) is taken over and applied later.
class ISxStateHook {
public:
    // True when the change is taken over: it is not applied now.
    virtual bool TakeOverStateChange(uint32_t groupID, uint32_t stateID) = 0;

protected:
    ~ISxStateHook() = default;
};

}  // namespace SX
