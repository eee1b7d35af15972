#include "sound/engine/buses/CSxActionDuck.h"

#include "sound/engine/buses/CSxBus.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

CSxActionDuck* CSxActionDuck::Create(SxUniqueID busID, uint32_t delaySamples) {
    auto* action = SxNew<CSxActionDuck>(g_DefaultPoolId, kType, 0);
    if (!action) return nullptr;
    action->SetElementID(busID);
    action->SetSxPropInt(SxProp_DelayTime, static_cast<int32_t>(delaySamples), 0, 0);
    return action;
}

SXRESULT CSxActionDuck::Execute(SxPendingAction&) {
    CSxParameterNodeBase* node = FindNode(TargetID());
    if (!node) return SX_Success;
    if (node->NodeCategory() == SxNodeCategory_Bus) static_cast<CSxBus*>(node)->EndRecovery();
    node->Release();
    return SX_Success;
}

}  // namespace SX
