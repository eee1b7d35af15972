#pragma once
// The delayed release of a bus's ducking: queued as a pending action when the bus falls
// silent, it ends the bus's recovery once the recovery time has passed.
#include "sound/engine/events/CSxAction.h"

namespace SX {

class CSxActionDuck final : public CSxAction {
public:
    static constexpr uint16_t kType = 0x1820;
    // Not entered in the action table; null when memory fails.
    static CSxActionDuck* Create(SxUniqueID busID, uint32_t delaySamples);
    using CSxAction::CSxAction;
    SXRESULT Execute(SxPendingAction& pending) override;
};

}  // namespace SX
