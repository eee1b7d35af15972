#include "sound/engine/hierarchy/CSxState.h"

#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

CSxState* CSxState::Create(SxUniqueID id) {
    CSxState* state = SxNew<CSxState>(g_DefaultPoolId, id);
    if (state && g_pObjectIndex) g_pObjectIndex->AddToIndex(state);
    return state;
}

SXRESULT CSxState::SetInitialValues(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    uint32_t id;
    if (!cursor.U32(id)) return SX_Fail;
    return m_props.Read(cursor);
}

}  // namespace SX
