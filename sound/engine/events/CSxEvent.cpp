#include "sound/engine/events/CSxEvent.h"

#include <algorithm>

#include "core/Logger.h"
#include "sound/engine/events/CSxAction.h"
#include "sound/engine/hierarchy/SxReadCursor.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

CSxEvent* CSxEvent::Create(SxUniqueID id) { return SxNew<CSxEvent>(g_DefaultPoolId, id); }

ISxPostedEvent* SxFindEventAndAddRef(SxUniqueID eventID) {
    return static_cast<CSxEvent*>(g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Event, eventID) : nullptr);
}

CSxEvent::~CSxEvent() { ClearActions(); }

void CSxEvent::ClearActions() {
    for (CSxAction* action : m_actions) action->Release();
    m_actions.clear();
}

ISxEventAction* CSxEvent::Action(uint32_t index) const { return m_actions[index]; }

SXRESULT CSxEvent::SetInitialValues(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    uint32_t id, count;
    if (!cursor.U32(id) || !cursor.U32(count) || !cursor.HasRoomFor(count, 4)) return SX_Fail;
    ClearActions();
    m_actions.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t actionID = 0;
        cursor.U32(actionID);
        if (actionID == 0) return SX_InvalidID;
        auto* action = static_cast<CSxAction*>(
            g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Action, actionID) : nullptr);
        if (!action) return SX_Fail;
        if (std::find(m_actions.begin(), m_actions.end(), action) != m_actions.end()) {
            SD_WARNING(Debug::kLogSevere, "event %u names action %u twice; the second is ignored", ID(), actionID);
            action->Release();
            continue;
        }
        m_actions.push_back(action);
    }
    return SX_Success;
}

}  // namespace SX
