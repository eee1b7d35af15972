#include "sound/engine/actions/CSxActionKinds.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/os/Random.h"
#include "sound/engine/hierarchy/CSxParameterNodeBase.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/registry/CSxRegistryMgr.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/engine/upper/CSxURenderer.h"

namespace SX {

namespace {

// The reference of a game object or node taken for one call, given back at scope end.
struct GameObjectRef {
    CSxRegisteredObj* object;
    ~GameObjectRef() {
        if (object) object->Release();
    }
};
struct NodeRef {
    CSxParameterNodeBase* node;
    ~NodeRef() {
        if (node) node->Release();
    }
};

bool ReadValueBlock(SxReadCursor& cursor, SxValueMeaning& meaning, float& value, float& min, float& max) {
    uint8_t byte;
    if (!cursor.U8(byte) || !cursor.F32(value) || !cursor.F32(min) || !cursor.F32(max)) return false;
    meaning = static_cast<SxValueMeaning>(byte);
    return true;
}

}  // namespace

CSxAction* SxCreateActionKind(uint16_t actionType, SxUniqueID id) {
    const uint8_t kind = static_cast<uint8_t>(actionType >> 8);
    switch (kind) {
        case SxActionKind_MuteType:
        case SxActionKind_UnmuteType:
            return SxNew<CSxActionMute>(g_DefaultPoolId, actionType, id);
        case SxActionKind_SetStateType:
        case SxActionKind_SetSwitchType:
            return SxNew<CSxActionSetGroupValue>(g_DefaultPoolId, actionType, id);
        case SxActionKind_SetGameParameterType:
        case SxActionKind_ResetGameParameterType:
            return SxNew<CSxActionSetGameParameter>(g_DefaultPoolId, actionType, id);
        case SxActionKind_BreakType:
            return SxNew<CSxActionBreak>(g_DefaultPoolId, actionType, id);
        case SxActionKind_BypassFXType:
        case SxActionKind_ResetBypassFXType:
            return SxNew<CSxActionBypassFX>(g_DefaultPoolId, actionType, id);
        case SxActionKind_UseStateType:
        case SxActionKind_UnuseStateType:
            return SxNew<CSxActionUseState>(g_DefaultPoolId, actionType, id);
        case SxActionKind_TriggerType:
            return SxNew<CSxActionTrigger>(g_DefaultPoolId, actionType, id);
        case SxActionKind_SeekType:
            return SxNew<CSxActionSeek>(g_DefaultPoolId, actionType, id);
        default:
            if (kind >= SxActionKind_SetPitchType && kind <= SxActionKind_ResetLPFType)
                return SxNew<CSxActionSetAkProp>(g_DefaultPoolId, actionType, id);
            return nullptr;
    }
}

float SxRandomizedValue(float value, float min, float max) {
    if (max == min) return value + min;
    return value + min + static_cast<float>(platform::crt_rand() * (1.0 / 32767.0) * (max - min));
}

// --- set and reset values ---

SXRESULT CSxActionSetValue::SetActionParams(SxReadCursor& cursor) {
    if (!ReadCurve(cursor)) return SX_Fail;
    const SXRESULT result = ReadValueBlock(cursor);
    return result == SX_Success ? ReadExceptions(cursor) : result;
}

uint32_t CSxActionSetValue::FadeMs() const { return static_cast<uint32_t>(std::max(GetFadeTime(), 0)); }

SXRESULT CSxActionSetValue::Execute(SxPendingAction& pending) {
    const bool set = ((ActionType() >> 8) & 1) == 0;
    const uint8_t scope = ActionType() & 0xFF;
    GameObjectRef gameObj{GameObjectOf(pending)};
    switch (scope) {
        case 0x02:
        case 0x03: {
            NodeRef target{FindNode(TargetID())};
            if (!target.node) break;
            if (scope == 0x02)
                set ? SetOnObject(target.node, nullptr) : ResetGlobal(target.node);
            else
                set ? SetOnObject(target.node, gameObj.object) : ResetOnObject(target.node, gameObj.object);
            break;
        }
        case 0x04:
        case 0x08:
            if (!set) ResetOnModifiedNodes(nullptr, scope == 0x08);
            break;
        case 0x05:
        case 0x09:
            if (!set && gameObj.object) ResetOnModifiedNodes(gameObj.object, scope == 0x09);
            break;
        default:
            break;
    }
    return SX_Success;
}

void CSxActionExcept::ForModifiedNodes(CSxRegisteredObj* gameObj, bool except,
                                       const std::function<void(CSxParameterNodeBase*)>& fn) {
    auto visit = [&](SxUniqueID id) {
        if (except && IsExcepted(id)) return;
        NodeRef node{FindNode(id)};
        if (node.node) fn(node.node);
    };
    auto visitList = [&](const SxPoolList<SxUniqueID>* nodes) {
        if (!nodes) return;
        // A reset may add the node to a list it walks: walk a copy.
        std::vector<SxUniqueID> ids;
        for (SxUniqueID id : *nodes) ids.push_back(id);
        for (SxUniqueID id : ids) visit(id);
    };
    if (gameObj) {
        visitList(gameObj->ModifiedNodes());
        return;
    }
    if (!g_pRegistryMgr) return;
    visitList(&g_pRegistryMgr->ModifiedNodes());
    CSxRegistryMgr::Iterator it;
    for (CSxRegisteredObj* object = g_pRegistryMgr->IteratorBegin(it); object;
         object = g_pRegistryMgr->IteratorNext(it))
        visitList(object->ModifiedNodes());
}

void CSxActionSetValue::ResetOnModifiedNodes(CSxRegisteredObj* gameObj, bool except) {
    ForModifiedNodes(gameObj, except,
                     [&](CSxParameterNodeBase* node) { gameObj ? ResetOnObject(node, gameObj) : ResetAll(node); });
}

// --- effect bypass ---

SXRESULT CSxActionBypassFX::SetActionParams(SxReadCursor& cursor) {
    uint8_t bypass, mask;
    if (!cursor.U8(bypass) || !cursor.U8(mask)) return SX_Fail;
    m_bypass = bypass != 0;
    m_mask = mask;
    return ReadExceptions(cursor);
}

SXRESULT CSxActionBypassFX::Execute(SxPendingAction& pending) {
    const bool reset = (ActionType() >> 8) == SxActionKind_ResetBypassFXType;
    const uint8_t scope = ActionType() & 0xFF;
    GameObjectRef gameObj{GameObjectOf(pending)};
    CSxRegisteredObj* object = scope == 0x03 || scope == 0x05 || scope == 0x09 ? gameObj.object : nullptr;
    switch (scope) {
        case 0x02:
        case 0x03:
            if (NodeRef target{FindNode(TargetID())}; target.node) {
                if (reset)
                    target.node->ResetBypass(m_mask, object);
                else
                    target.node->SetBypass(m_bypass ? m_mask : 0, m_mask, object);
            }
            break;
        case 0x04:
        case 0x05:
        case 0x08:
        case 0x09:
            if (!reset || ((scope == 0x05 || scope == 0x09) && !object)) break;
            ForModifiedNodes(object, scope >= 0x08,
                             [&](CSxParameterNodeBase* node) { node->ResetBypass(m_mask, object); });
            break;
        default:
            break;
    }
    return SX_Success;
}

void CSxActionMute::SetOnObject(CSxParameterNodeBase* node, CSxRegisteredObj* gameObj) {
    node->Mute(gameObj, FadeCurve(), FadeMs());
}
void CSxActionMute::ResetOnObject(CSxParameterNodeBase* node, CSxRegisteredObj* gameObj) {
    node->Unmute(gameObj, FadeCurve(), FadeMs());
}
void CSxActionMute::ResetGlobal(CSxParameterNodeBase* node) { node->Unmute(nullptr, FadeCurve(), FadeMs()); }
void CSxActionMute::ResetAll(CSxParameterNodeBase* node) { node->UnmuteAll(FadeCurve(), FadeMs()); }

CSxActionSetAkProp::CSxActionSetAkProp(uint16_t actionType, SxUniqueID id) : CSxActionSetValue(actionType, id) {
    // Kinds 0x08 to 0x0F in pairs: pitch, volume, LFE, low-pass.
    static constexpr uint32_t kProps[] = {SxProp_Pitch, SxProp_Volume, SxProp_LFE, SxProp_LPF};
    m_propertyID = kProps[(((actionType >> 8) - SxActionKind_SetPitchType) / 2) & 3];
}

SXRESULT CSxActionSetAkProp::ReadValueBlock(SxReadCursor& cursor) {
    return SX::ReadValueBlock(cursor, m_meaning, m_value, m_min, m_max) ? SX_Success : SX_Fail;
}

void CSxActionSetAkProp::SetOnObject(CSxParameterNodeBase* node, CSxRegisteredObj* gameObj) {
    node->SetSxPropOnObject(m_propertyID, gameObj, m_meaning, SxRandomizedValue(m_value, m_min, m_max), FadeCurve(),
                            FadeMs());
}
void CSxActionSetAkProp::ResetOnObject(CSxParameterNodeBase* node, CSxRegisteredObj* gameObj) {
    node->SetSxPropOnObject(m_propertyID, gameObj, SxValueMeaning_Default, 0.0f, FadeCurve(), FadeMs());
}
void CSxActionSetAkProp::ResetGlobal(CSxParameterNodeBase* node) {
    node->ResetSxProp(m_propertyID, FadeCurve(), FadeMs());
}
void CSxActionSetAkProp::ResetAll(CSxParameterNodeBase* node) { ResetGlobal(node); }

// --- game parameters ---

SXRESULT CSxActionSetGameParameter::SetActionParams(SxReadCursor& cursor) {
    if (!ReadCurve(cursor) || !ReadValueBlock(cursor, m_meaning, m_value, m_min, m_max)) return SX_Fail;
    return ReadExceptions(cursor);
}

SXRESULT CSxActionSetGameParameter::Execute(SxPendingAction& pending) {
    const uint8_t scope = ActionType() & 0xFF;
    if ((scope != 0x02 && scope != 0x03) || !g_pRTPCMgr) return SX_Success;
    GameObjectRef gameObj{GameObjectOf(pending)};
    SxRTPCTransitionParams transition;
    transition.durationMs = static_cast<uint32_t>(std::max(GetFadeTime(), 0));
    transition.shape = FadeCurve();
    if ((ActionType() >> 8) == SxActionKind_SetGameParameterType)
        g_pRTPCMgr->SetRTPCInternal(TargetID(), SxRandomizedValue(m_value, m_min, m_max), gameObj.object, transition,
                                    m_meaning);
    else
        g_pRTPCMgr->ResetRTPC(TargetID(), gameObj.object, transition);
    return SX_Success;
}

// --- states, switches, triggers ---

SXRESULT CSxActionSetGroupValue::SetActionParams(SxReadCursor& cursor) {
    return cursor.U32(m_groupID) && cursor.U32(m_valueID) ? SX_Success : SX_Fail;
}

SXRESULT CSxActionSetGroupValue::Execute(SxPendingAction& pending) {
    if ((ActionType() >> 8) == SxActionKind_SetStateType) {
        if (g_pStateMgr) g_pStateMgr->SetStateInternal(m_groupID, m_valueID, false, false);
        return SX_Success;
    }
    GameObjectRef gameObj{GameObjectOf(pending)};
    if (g_pRTPCMgr) g_pRTPCMgr->SetSwitchInternal(m_groupID, m_valueID, gameObj.object);
    return SX_Success;
}

SXRESULT CSxActionUseState::Execute(SxPendingAction&) {
    if (CSxParameterNodeBase* node = FindNode(TargetID())) {
        node->SetUseState(ActionType() == kUseType);
        node->Release();
    }
    return SX_Success;
}

SXRESULT CSxActionTrigger::Execute(SxPendingAction& pending) {
    GameObjectRef gameObj{GameObjectOf(pending)};
    if (g_pStateMgr) g_pStateMgr->Trigger(TargetID(), gameObj.object);
    return SX_Success;
}

// --- break and seek ---

SXRESULT CSxActionBreak::Execute(SxPendingAction& pending) {
    NodeRef target{FindNode(TargetID())};
    if (!target.node) return SX_IDNotFound;
    GameObjectRef gameObj{GameObjectOf(pending)};
    SxActionParams params;
    params.kind = SxActionKind_Break;
    params.gameObj = gameObj.object;
    params.playingID = pending.callerPlayingID;
    params.curve = FadeCurve();
    params.targetID = TargetID();
    return target.node->ExecuteAction(params);
}

SXRESULT CSxActionSeek::SetActionParams(SxReadCursor& cursor) {
    uint8_t percentage, snap;
    if (!cursor.U8(percentage) || !cursor.F32(m_value) || !cursor.F32(m_min) || !cursor.F32(m_max) || !cursor.U8(snap))
        return SX_Fail;
    m_percentage = percentage != 0;
    m_snap = snap != 0;
    return ReadExceptions(cursor);
}

SXRESULT CSxActionSeek::Execute(SxPendingAction& pending) {
    const uint8_t scope = ActionType() & 0xFF;
    GameObjectRef gameObj{GameObjectOf(pending)};
    SxActionParams params;
    params.kind = SxActionKind_Seek;
    params.gameObj = gameObj.object;
    params.playingID = pending.callerPlayingID;
    params.curve = FadeCurve();
    const float value = SxRandomizedValue(m_value, m_min, m_max);
    // Milliseconds are whole: the fraction of a millisecond is dropped.
    params.seekValue = m_percentage ? value : static_cast<float>(static_cast<int32_t>(value));
    params.seekBits = static_cast<uint8_t>((m_percentage ? 1 : 0) | (m_snap ? 2 : 0));
    switch (scope) {
        case 0x02:
        case 0x03: {
            NodeRef target{FindNode(TargetID())};
            if (!target.node) return SX_IDNotFound;
            params.curve = static_cast<SxCurveInterpolation>(4);
            return target.node->ExecuteAction(params);
        }
        case 0x04:
        case 0x05:
            params.flags[1] = gameObj.object ? 0 : 1;
            CSxURenderer::ExecuteOnAll(params, {});
            return SX_Success;
        case 0x08:
        case 0x09:
            CSxURenderer::ExecuteOnAll(params, Exceptions());
            return SX_Success;
        default:
            return SX_Success;
    }
}

}  // namespace SX
