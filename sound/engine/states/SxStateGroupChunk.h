#pragma once
// One node's use of a state group: the state it follows and the four state-driven property
// values (volume, LFE level, pitch, low-pass filter) with their running transitions.
#include <cstdint>

#include "sound/engine/transitions/ITransitionable.h"

namespace SX {

class CSxTransition;

// The node side of a state group's use.
class ISxStateNode {
public:
    // The values of the node's state object for a state; false when it has none.
    virtual bool GetStateValues(uint32_t groupID, uint32_t stateID, float values[4]) = 0;
    virtual void OnStateTransitionStarted() = 0;
    // The chunk's values changed.
    virtual void RefreshStateParameters() = 0;

protected:
    ~ISxStateNode() = default;
};

class SxStateGroupChunk final : public ITransitionable {
public:
    static constexpr uint32_t kSlots = 4;

    SxStateGroupChunk(ISxStateNode* node, uint32_t groupID) : node(node), groupID(groupID) {}
    ~SxStateGroupChunk() { FlushStateTransitions(); }
    SxStateGroupChunk(const SxStateGroupChunk&) = delete;
    SxStateGroupChunk& operator=(const SxStateGroupChunk&) = delete;

    // Leaves every running transition where it stands.
    void FlushStateTransitions();
    void TransUpdateValue(int32_t slot, float value, bool done) override;

    ISxStateNode* const node;
    const uint32_t groupID;
    uint32_t stateID = 0;
    float values[kSlots] = {};
    CSxTransition* transitions[kSlots] = {};
};

}  // namespace SX
