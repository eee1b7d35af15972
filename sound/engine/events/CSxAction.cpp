#include "sound/engine/events/CSxAction.h"

#include <algorithm>
#include <cmath>

#include "platform/os/Random.h"
#include "sound/engine/actions/CSxActionKinds.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/dialogue/CSxDynamicSequence.h"
#include "sound/engine/hierarchy/CSxParameterNodeBase.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/registry/CSxRegistryMgr.h"
#include "sound/engine/upper/CSxURenderer.h"

namespace SX {

CSxRegisteredObj* CSxAction::GameObjectOf(const SxPendingAction& pending) {
    if (pending.gameObject == SxAllGameObjects || !g_pRegistryMgr) return nullptr;
    return g_pRegistryMgr->GetObjAndAddref(pending.gameObject);
}

CSxParameterNodeBase* CSxAction::FindNode(SxUniqueID id) {
    return static_cast<CSxParameterNodeBase*>(g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, id)
                                                             : nullptr);
}

namespace {

int32_t Saturated(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

// Milliseconds become samples at the output rate (whole samples per millisecond first), held to
// what a sample count of the scheduler holds.
void ConvertDelay(SxPropValue& value) { value.i = Saturated(int64_t(CSxLEngine::OutputSampleRate() / 1000) * value.i); }
}  // namespace

CSxAction* CSxAction::Create(uint16_t actionType, SxUniqueID id) {
    CSxAction* action = nullptr;
    switch (actionType >> 8) {
        case SxActionKind_PlayType:
            action = SxNew<CSxActionPlay>(g_DefaultPoolId, actionType, id);
            break;
        case SxActionKind_StopType:
        case SxActionKind_PauseType:
        case SxActionKind_ResumeType:
            action = SxNew<CSxActionActive>(g_DefaultPoolId, actionType, id);
            break;
        default:
            action = SxCreateActionKind(actionType, id);
            if (!action) return nullptr;
            break;
    }
    if (action && id != 0 && g_pObjectIndex) g_pObjectIndex->AddToIndex(action);
    return action;
}

SXRESULT CSxAction::SetInitialValues(const uint8_t* body, uint32_t size) {
    SxReadCursor cursor(body, size);
    uint32_t id;
    uint16_t type;
    SXRESULT result = SX_Fail;
    m_props.Clear();
    m_ranges.Clear();
    if (cursor.U32(id) && cursor.U16(type) && cursor.U32(m_targetID) && m_props.Read(cursor) == SX_Success &&
        m_ranges.Read(cursor) == SX_Success)
        result = SetActionParams(cursor);
    if (SxPropValue* delay = m_props.Find(SxProp_DelayTime)) ConvertDelay(*delay);
    if (SxRangeBundle::Entry* range = m_ranges.Find(SxProp_DelayTime)) {
        ConvertDelay(range->min);
        ConvertDelay(range->max);
    }
    return result;
}

SXRESULT CSxAction::SetActionParams(SxReadCursor&) { return SX_Success; }

bool CSxAction::ReadCurve(SxReadCursor& cursor) {
    uint8_t curve;
    if (!cursor.U8(curve)) return false;
    m_flags = static_cast<uint8_t>((m_flags & ~0x1F) | (curve & 0x1F));
    return true;
}

void CSxAction::SetSxPropInt(uint32_t id, int32_t value, int32_t min, int32_t max) {
    SxPropValue v;
    v.i = value;
    const SxPropValue* old = m_props.Find(id);
    if (!old || old->i != value) m_props.Set(id, v);
    if (min != 0 || max != 0 || m_ranges.Find(id)) {
        SxPropValue lo, hi;
        lo.i = min;
        hi.i = max;
        m_ranges.Set(id, lo, hi);
    }
}

int32_t CSxAction::RandomizedInt(uint32_t id) const {
    const int32_t base = m_props.GetInt(id);
    const SxRangeBundle::Entry* range = m_ranges.Find(id);
    if (!range) return base;
    // In 64 bits: the bank's value and offsets may each be as large as 32 bits hold.
    const int64_t m = range->min.i, M = range->max.i;
    if (M == m) return Saturated(base + m);
    const double d = static_cast<double>(M - m);
    return Saturated(base + m + static_cast<int64_t>(platform::crt_rand() * (1.0 / 32767.0) * d + 0.5));
}

// --- play ---

SXRESULT CSxActionPlay::SetActionParams(SxReadCursor& cursor) {
    if (!ReadCurve(cursor) || !cursor.U32(m_bankID)) return SX_Fail;
    m_flags |= 1 << 5;
    return SX_Success;
}

SXRESULT CSxActionPlay::Execute(SxPendingAction& pending) {
    if (const SxPropValue* probability = Props().Find(SxProp_Probability)) {
        if (probability->f == 0.0f) return SX_Success;
        const double r = static_cast<double>(platform::crt_rand()) * 32768.0 + platform::crt_rand();
        if (r * (1.0 / 1073741823.0) * 100.0 > probability->f) return SX_Success;
    }
    CSxParameterNodeBase* node = FindNode(TargetID());
    if (!node) return SX_IDNotFound;
    SxPBIParams params;
    params.fade.timeMs = static_cast<uint32_t>(std::max(GetFadeTime(), 0));
    params.fade.curve = FadeCurve();
    params.externalSources = pending.externalSources.array;
    if (params.externalSources) params.externalSources->AddRef();
    params.playingID = pending.playingID;
    params.sampleOffset = pending.sampleOffset;
    params.gameObj = GameObjectOf(pending);
    params.instigator = node;
    params.firstPlay = 1;
    const SXRESULT result = node->Play(params);
    if (params.gameObj) params.gameObj->Release();
    node->Release();
    if (params.externalSources) params.externalSources->Release();
    return result;
}

// --- exceptions ---

SXRESULT CSxActionExcept::AddException(SxUniqueID id) {
    if (!IsExcepted(id)) m_exceptions.push_back(id);
    return SX_Success;
}

bool CSxActionExcept::IsExcepted(SxUniqueID id) const {
    return std::find(m_exceptions.begin(), m_exceptions.end(), id) != m_exceptions.end();
}

SXRESULT CSxActionExcept::ReadExceptions(SxReadCursor& cursor) {
    uint32_t count;
    if (!cursor.U32(count) || !cursor.HasRoomFor(count, 4)) return SX_Fail;
    m_exceptions.assign(count, 0);
    for (SxUniqueID& id : m_exceptions) cursor.U32(id);
    return SX_Success;
}

// --- stop, pause, resume ---

SXRESULT CSxActionActive::SetActionParams(SxReadCursor& cursor) {
    if (!ReadCurve(cursor)) return SX_Fail;
    const uint8_t kind = ActionType() >> 8;
    if (kind == SxActionKind_PauseType && !cursor.U8(m_pauseResumeActions)) return SX_Fail;
    if (kind == SxActionKind_ResumeType && !cursor.U8(m_masterResume)) return SX_Fail;
    return ReadExceptions(cursor);
}

SXRESULT CSxActionActive::Execute(SxPendingAction& pending) {
    const uint8_t scope = ActionType() & 0xFF;
    SxActionParams params;
    params.kind = static_cast<SxActionKind>((ActionType() >> 8) - SxActionKind_StopType);
    // Limited to the playing ID its poster named, if any.
    params.playingID = pending.callerPlayingID;
    params.transitionMs = static_cast<uint32_t>(std::max(GetFadeTime(), 0));
    params.curve = FadeCurve();
    params.flags[2] = m_masterResume ? 1 : 0;
    params.gameObj = GameObjectOf(pending);

    SXRESULT result = SX_Success;
    CSxAudioMgr::Selection selection;
    selection.playingID = pending.callerPlayingID;
    selection.gameObject = pending.gameObject;
    selection.includeResumeActions = m_pauseResumeActions != 0;
    switch (scope) {
        case 0x02:
        case 0x03:
            if (CSxParameterNodeBase* node = FindNode(TargetID())) {
                result = node->ExecuteAction(params);
                node->Release();
            } else {
                result = SX_IDNotFound;
            }
            selection.targetID = TargetID();
            break;
        case 0x04:
        case 0x05:
            // The dynamic sequences first, so that a stopped one plays no further item.
            CSxDynamicSequence::ApplyActionKindToAll(params.kind, params.gameObj);
            params.flags[1] = params.gameObj ? 0 : 1;
            CSxURenderer::ExecuteOnAll(params, {});
            // For every object, every node's state transitions are held or released too, as
            // the action's way down from the master bus would.
            if (params.flags[1] && g_pObjectIndex)
                for (CSxIndexable* node : g_pObjectIndex->Table(SxIndex_Node).Items())
                    static_cast<CSxParameterNodeBase*>(node)->PauseTransitions(params.kind == SxActionKind_Pause);
            break;
        case 0x08:
        case 0x09:
            CSxURenderer::ExecuteOnAll(params, Exceptions());
            break;
        default:
            if (params.gameObj) params.gameObj->Release();
            return SX_Success;
    }
    if (params.gameObj) params.gameObj->Release();
    // The pending actions that the same selection names.
    if (g_pAudioMgr) {
        switch (params.kind) {
            case SxActionKind_Stop:
                g_pAudioMgr->StopPending(selection);
                break;
            case SxActionKind_Pause:
                g_pAudioMgr->PausePending(selection);
                break;
            case SxActionKind_Resume:
                g_pAudioMgr->ResumePending(selection, m_masterResume != 0);
                break;
            default:
                break;
        }
    }
    return result;
}

}  // namespace SX
