#pragma once
// The property set a node takes while a state of a group it follows is active.
#include "sound/engine/hierarchy/SxPropBundle.h"
#include "sound/engine/index/CSxIndexable.h"

namespace SX {

class CSxState : public CSxIndexable {
public:
    // Constructed and entered in the state table; null when memory fails.
    static CSxState* Create(SxUniqueID id);
    explicit CSxState(SxUniqueID id) : CSxIndexable(id, SxIndex_State) {}

    // u32 ID, then the property bundle.
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size);
    const SxPropBundle& Props() const { return m_props; }

private:
    SxPropBundle m_props;
};

}  // namespace SX
