#include "sound/engine/events/SxHierarchyHooks.h"

#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/dialogue/SxDynamicSequenceMessages.h"
#include "sound/engine/events/CSxAction.h"
#include "sound/engine/events/CSxEvent.h"
#include "sound/engine/hierarchy/CSxParameterNodeBase.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/registry/CSxRegistryMgr.h"
#include "sound/engine/registry/SxMessageObject.h"
#include "sound/engine/upper/CSxURenderer.h"

namespace SX {

namespace {

void StopAll(const SxQueuedMsgHeader& header) {
    const SxGameObjectID id = SxMsgAs<SxMsgGameObject>(header).gameObject;
    CSxAction* action = CSxAction::Create(id == SxAllGameObjects ? 0x0104 : 0x0105, 0);
    if (!action) return;
    {
        const SxMessageObject object(id);
        if (!object.Dropped()) {
            SxPendingAction pending;
            pending.gameObject = id;
            action->Execute(pending);
        }
    }
    action->Release();
}

void StopPlayingID(const SxQueuedMsgHeader& header) {
    const auto& record = SxMsgAs<SxMsgStopPlayingID>(header);
    SxActionParams params;
    params.playingID = record.playingID;
    params.transitionMs = record.transitionMs > 0 ? static_cast<uint32_t>(record.transitionMs) : 0;
    params.curve = static_cast<SxCurveInterpolation>(record.curve);
    CSxURenderer::ExecuteOnAll(params, {});
}

// The play actions of an event and what they target.
template <typename Fn>
void ForEachPlayTarget(ISxPostedEvent* event, Fn fn) {
    for (uint32_t i = 0; i < event->ActionCount(); ++i) {
        ISxEventAction* action = event->Action(i);
        if (action->ActionType() != SxActionType_Play) continue;
        auto* node =
            static_cast<CSxParameterNodeBase*>(g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, action->TargetID()));
        fn(action->TargetID(), node);
        if (node) node->Release();
    }
}

void ActionOnEvent(const SxQueuedMsgHeader& header) {
    const auto& record = SxMsgAs<SxMsgExecuteActionOnEvent>(header);
    if (record.kind > SxActionOnEvent_Break || !g_pObjectIndex) return;
    const SxMessageObject object(record.gameObject);
    if (object.Dropped()) return;
    SxActionParams params;
    params.kind = static_cast<SxActionKind>(record.kind);
    params.gameObj = object.Get();
    params.playingID = record.playingID;
    params.transitionMs = record.transitionMs > 0 ? static_cast<uint32_t>(record.transitionMs) : 0;
    params.curve = static_cast<SxCurveInterpolation>(record.curve);
    ForEachPlayTarget(record.event, [&](SxUniqueID target, CSxParameterNodeBase* node) {
        CSxAudioMgr::Selection selection;
        selection.playingID = record.playingID;
        selection.gameObject = record.gameObject;
        selection.targetID = target;
        if (params.kind == SxActionKind_Pause)
            g_pAudioMgr->PausePending(selection);
        else if (params.kind == SxActionKind_Resume)
            g_pAudioMgr->ResumePending(selection, false);
        else
            g_pAudioMgr->StopPending(selection);
        params.targetID = target;
        if (node) node->ExecuteAction(params);
    });
}

void SeekOnEvent(const SxQueuedMsgHeader& header) {
    const auto& record = SxMsgAs<SxMsgSeekOnEvent>(header);
    if (!g_pObjectIndex) return;
    const SxMessageObject object(record.gameObject);
    if (object.Dropped()) return;
    SxActionParams params;
    params.kind = SxActionKind_Seek;
    params.gameObj = object.Get();
    params.seekValue = record.isFraction ? record.position.fraction : static_cast<float>(record.position.positionMs);
    params.seekBits = static_cast<uint8_t>((record.isFraction ? 1 : 0) | (record.snapToMarker ? 2 : 0));
    ForEachPlayTarget(record.event, [&](SxUniqueID, CSxParameterNodeBase* node) {
        if (node) node->ExecuteAction(params);
    });
}

void SetEffect(const SxQueuedMsgHeader& header) {
    const auto& record = SxMsgAs<SxMsgSetEffect>(header);
    if (!g_pObjectIndex) return;
    auto* node = static_cast<CSxParameterNodeBase*>(g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, record.nodeID));
    if (!node) return;
    node->SetEffect(record.slot, record.effectID, true);
    node->Release();
}

}  // namespace

SXRESULT SxInitHierarchy(CSxAudioMgr& mgr, float defaultPoolThreshold, float lowerEngineThreshold) {
    mgr.SetHandler(SxMsg_StopAll, StopAll);
    mgr.SetHandler(SxMsg_StopPlayingID, StopPlayingID);
    mgr.SetHandler(SxMsg_ExecuteActionOnEvent, ActionOnEvent);
    mgr.SetHandler(SxMsg_SeekOnEvent, SeekOnEvent);
    mgr.SetHandler(SxMsg_SetEffect, SetEffect);
    SxInstallDynamicSequenceHandlers(mgr);
    return CSxURenderer::Init(defaultPoolThreshold, lowerEngineThreshold);
}

void SxTermHierarchy() { CSxURenderer::Term(); }

}  // namespace SX
