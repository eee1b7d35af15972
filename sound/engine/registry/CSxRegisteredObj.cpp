#include "sound/engine/registry/CSxRegisteredObj.h"

#include <algorithm>
#include <cmath>

#include "sound/engine/hierarchy/CSxParameterNodeBase.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"

namespace SX {

namespace {

uint8_t ToByte(float ratio) {
    // NaN and out-of-range values would wrap as bytes; the range is 0 to 1.
    float clamped = std::isnan(ratio) ? 0.0f : std::clamp(ratio, 0.0f, 1.0f);
    return static_cast<uint8_t>(clamped * 255.0f);
}

}  // namespace

// A destroyed object leaves each node that holds values for it and the game parameters.
CSxRegisteredObj::~CSxRegisteredObj() {
    if (g_pObjectIndex && m_pModifiedNodes) {
        for (SxUniqueID nodeID : *m_pModifiedNodes) {
            CSxIndexable* node = g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, nodeID);
            if (!node) continue;
            static_cast<CSxParameterNodeBase*>(node)->UnregisterGameObject(this);
            node->Release();
        }
    }
    if (g_pRTPCMgr) g_pRTPCMgr->UnregisterGameObject(this);
    SxDelete(g_DefaultPoolId, m_pModifiedNodes);
}

int32_t CSxRegisteredObj::Release() {
    int32_t count = --m_refCount;
    if (count < 1) SxDelete(g_DefaultPoolId, this);
    return count;
}

SXRESULT CSxRegisteredObj::SetPositions(const SxSoundPosition* positions, uint16_t count, uint8_t type,
                                        uint8_t listener) {
    m_positions.RemoveAll();
    if (count && !m_positions.Reserve(count)) return SX_InsufficientMemory;
    for (uint16_t i = 0; i < count; ++i) m_positions.AddLast(positions[i]);
    m_positionBits = static_cast<uint8_t>((type & 7) | (listener << 3));
    return SX_Success;
}

SXRESULT CSxRegisteredObj::SetEnvironmentValues(const SxEnvironmentValue* values, uint32_t count) {
    if (count > kMaxEnvironments) return SX_Fail;
    uint32_t kept = 0;
    for (uint32_t i = 0; values && i < count; ++i)
        if (values[i].environmentID != 0 && values[i].value > 0.0f) m_environments[kept++] = values[i];
    for (; kept < kMaxEnvironments; ++kept) m_environments[kept] = SxEnvironmentValue{};
    return SX_Success;
}

SXRESULT CSxRegisteredObj::SetObstructionAndOcclusion(uint32_t listener, float obstruction, float occlusion) {
    if (listener >= kMaxListeners) return SX_Fail;
    m_obstruction[listener] = ToByte(obstruction);
    m_occlusion[listener] = ToByte(occlusion);
    return SX_Success;
}

void CSxRegisteredObj::FindSwitch(const CSxRegisteredObj* object, SxUniqueID nodeID, uint32_t value[2]) {
    value[0] = value[1] = 0;
    if (!object) return;
    for (const SxSwitchEntry& entry : object->m_switches) {
        if (entry.nodeID == nodeID) {
            value[0] = entry.value[0];
            value[1] = entry.value[1];
            return;
        }
    }
}

SXRESULT CSxRegisteredObj::SetSwitch(CSxRegisteredObj* object, SxUniqueID nodeID, const uint32_t value[2]) {
    if (!object) return SX_Fail;
    for (SxSwitchEntry& entry : object->m_switches) {
        if (entry.nodeID == nodeID) {
            entry.value[0] = value[0];
            entry.value[1] = value[1];
            return SX_Success;
        }
    }
    SxSwitchEntry entry;
    entry.nodeID = nodeID;
    entry.value[0] = value[0];
    entry.value[1] = value[1];
    return object->m_switches.AddLast(entry) ? SX_Success : SX_Fail;
}

void CSxRegisteredObj::ClearSwitch(SxUniqueID nodeID) {
    for (uint32_t i = 0; i < m_switches.Length(); ++i) {
        if (m_switches[i].nodeID == nodeID) {
            m_switches.Erase(i);
            return;
        }
    }
}

SXRESULT CSxRegisteredObj::SetNodeAsModified(SxUniqueID nodeID) {
    if (!m_pModifiedNodes) {
        m_pModifiedNodes = SxNew<SxPoolList<SxUniqueID>>(g_DefaultPoolId);
        if (!m_pModifiedNodes) return SX_Fail;
        m_pModifiedNodes->Init(0, 0, g_DefaultPoolId);
    }
    return m_pModifiedNodes->Set(nodeID) ? SX_Success : SX_Fail;
}

}  // namespace SX
