#include "sound/engine/containers/CSxActionPlayAndContinue.h"

#include <algorithm>

#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/containers/CSxContinuousPBI.h"
#include "sound/engine/containers/CSxMultiPlayNode.h"
#include "sound/engine/containers/SxContinueList.h"
#include "sound/engine/hierarchy/CSxParameterNodeBase.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/engine/upper/CSxPBI.h"

namespace SX {

CSxActionPlayAndContinue* CSxActionPlayAndContinue::Create(SxContinueList* list) {
    return SxNew<CSxActionPlayAndContinue>(g_DefaultPoolId, list);
}

CSxActionPlayAndContinue::CSxActionPlayAndContinue(SxContinueList* list)
    : CSxActionPlay(SxActionType_PlayAndContinue, 0), m_list(list) {
    if (m_list) m_list->AddRef();
}

CSxActionPlayAndContinue::~CSxActionPlayAndContinue() {
    DropList();
    if (m_instigator) m_instigator->Release();
}

void CSxActionPlayAndContinue::DropList() {
    if (m_list) m_list->Release();
    m_list = nullptr;
}

void CSxActionPlayAndContinue::SetInstigator(CSxPBIAware* instigator) {
    if (instigator) instigator->AddRef();
    if (m_instigator) m_instigator->Release();
    m_instigator = instigator;
}

void CSxActionPlayAndContinue::SetPreviousInstance(CSxPBI* instance, const SxFadeParams& fadeOut) {
    m_previous = instance;
    m_fadeOut = fadeOut;
}

void CSxActionPlayAndContinue::ForgetInstance(const CSxPBI* instance) {
    if (m_previous == instance) m_previous = nullptr;
}

SXRESULT CSxActionPlayAndContinue::Execute(SxPendingAction& pending) {
    // The item that plays fades out while the next one fades in.
    if (m_previous) {
        CSxPBI* previous = m_previous;
        m_previous = nullptr;
        previous->StopWithFade(m_fadeOut, true);
    }
    CSxParameterNodeBase* node = FindNode(TargetID());
    if (!node || !m_list) {
        if (node) node->Release();
        DropList();
        return SX_IDNotFound;
    }
    SxPBIParams params;
    params.continuous = 1;
    params.instigator = m_instigator;
    params.gameObj = GameObjectOf(pending);
    params.fade = m_fadeIn;
    params.history = m_history;
    params.continueList = m_list;
    params.externalSources = pending.externalSources.array;
    if (params.externalSources) params.externalSources->AddRef();
    params.playingID = pending.playingID;
    params.sampleOffset = pending.sampleOffset;
    params.continuousSequence = m_continuousSequence;
    params.pauseCount = m_pauseCount;
    const uint32_t made = m_list->InstancesMade();
    SXRESULT result = node->Play(params);
    // Nothing of the item plays and no instance of it goes on with the chain: the next one.
    if (result != SX_Success && m_list->InstancesMade() == made) result = SxPlayNextAlternative(params);
    if (params.gameObj) params.gameObj->Release();
    if (params.externalSources) params.externalSources->Release();
    node->Release();
    DropList();
    return result;
}

namespace {
// Whether the node with the ID is the node or one of its ancestors.
bool IsAtOrBelow(const CSxParameterNodeBase* node, SxUniqueID id) {
    for (; node; node = node->Parent())
        if (node->ID() == id) return true;
    return false;
}
}  // namespace

bool CSxActionPlayAndContinue::ContinuesUnder(SxUniqueID elementID) const {
    if (m_list)
        for (uint32_t i = 0; i < m_list->Length(); ++i)
            if (IsAtOrBelow(m_list->Item(i).Node(), elementID)) return true;
    CSxParameterNodeBase* target = FindNode(TargetID());
    const bool under = target && IsAtOrBelow(target, elementID);
    if (target) target->Release();
    return under;
}

bool CSxActionPlayAndContinue::BreakToNode(SxUniqueID stoppedID, SxPendingAction& pending) {
    if (!m_list) return true;
    if (!ContinuesUnder(stoppedID)) return false;
    while (SxContinueListItem* item = m_list->Last()) {
        if (item->multiPlay) {
            // The stopped node holds the switch or layer container: this child's share of the
            // chain above goes with it. Below the container, the chain above goes on once the
            // container's other children have ended.
            if (IsAtOrBelow(item->multiPlay, stoppedID)) {
                m_list->Clear();
                break;
            }
            SxContinueList* outer = m_list->HandOver();
            DropList();
            if (!outer) return true;
            m_list = outer;
            continue;
        }
        if (!IsAtOrBelow(item->container, stoppedID)) break;
        // The entry of this level and those of the step levels below it go.
        SxCutHistoryToContinuous(m_history);
        if (m_history.count) --m_history.count;
        SxCutHistoryToContinuous(m_history);
        m_list->RemoveLast();
    }
    SxContinueListItem* item = m_list->Last();
    if (!item) {
        DropList();
        return true;
    }
    uint16_t position;
    SxUniqueID childID;
    CSxRegisteredObj* gameObj = GameObjectOf(pending);
    CSxParameterNodeBase* child = item->container->SelectContinuousChild(gameObj, position, childID, *item);
    if (gameObj) gameObj->Release();
    if (!child) return true;
    child->Release();
    SxCutHistoryToContinuous(m_history);
    if (m_history.count && m_history.count <= 32) m_history.positions[m_history.count - 1] = position;
    SetElementID(childID);
    // What played the stopped level is stopped: nothing to fade out.
    m_previous = nullptr;
    return false;
}

SXRESULT SxPlayNextAlternative(SxPBIParams& params) {
    SxContinueList* list = params.continueList;
    if (!list || !g_pAudioMgr) return SX_Fail;
    SxPlayHistory& history = params.history;
    SxUniqueID childID = 0;
    bool deferred;
    list->AddRef();
    CSxRanSeqCntr* container = SxContinueList::SelectNext(list, params.gameObj, history, childID, false, deferred);
    if (!container) {
        if (list) list->Release();
        return SX_Fail;
    }
    constexpr int32_t kAlternativeDelay = 10 * 1024;
    const int32_t delay = container->TransitionMode() == 3
                              ? SxTimeConv::MillisecondsToSamples(container->TransitionTime(params.gameObj))
                              : kAlternativeDelay;
    CSxActionPlayAndContinue* action = CSxActionPlayAndContinue::Create(list);
    list->Release();
    if (!action) return SX_Fail;
    action->SetElementID(childID);
    action->SetHistory(history);
    action->SetInstigator(params.instigator);
    const bool scheduled = SxScheduleChainItem(*action, params.playingID, params.gameObj, delay, params.pauseCount);
    action->Release();
    return scheduled ? SX_Success : SX_Fail;
}

bool SxScheduleChainItem(CSxActionPlayAndContinue& action, SxPlayingID playingID, CSxRegisteredObj* gameObj,
                         int32_t delaySamples, uint32_t pauseCount) {
    auto* pending = g_pAudioMgr ? SxNew<SxPendingAction>(g_DefaultPoolId) : nullptr;
    if (!pending) return false;
    const int32_t delay = std::max(delaySamples, 0);
    action.SetDelaySamples(delay);
    // An action within the look-ahead runs at once and is not left to pause.
    const bool waits = static_cast<uint32_t>(delay / CSxContinuousPBI::kFrameSamples) > g_pAudioMgr->LookAhead();
    action.SetPauseCount(waits ? 0 : pauseCount);
    pending->action = &action;
    pending->playingID = playingID;
    pending->gameObject = gameObj ? gameObj->ID() : SxAllGameObjects;
    g_pAudioMgr->EnqueueOrExecuteAction(pending);
    if (waits) g_pAudioMgr->PausePendingAction(pending, pauseCount);
    return true;
}

}  // namespace SX
