#include "sound/engine/states/SxStateGroupChunk.h"

#include "sound/engine/transitions/CSxTransitionMgr.h"

namespace SX {

void SxStateGroupChunk::FlushStateTransitions() {
    for (CSxTransition*& transition : transitions) {
        // Once the transition manager is gone, so are its transitions.
        if (transition && g_pTransitionMgr) transition->RemoveTransitionUser(this);
        transition = nullptr;
    }
}

void SxStateGroupChunk::TransUpdateValue(int32_t slot, float value, bool done) {
    if (slot < 0 || slot >= int32_t(kSlots)) return;
    values[slot] = value;
    if (done) transitions[slot] = nullptr;
    node->RefreshStateParameters();
}

}  // namespace SX
