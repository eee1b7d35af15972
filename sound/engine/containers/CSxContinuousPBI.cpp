#include "sound/engine/containers/CSxContinuousPBI.h"

#include <algorithm>

#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/containers/CSxActionPlayAndContinue.h"
#include "sound/engine/containers/SxContinueList.h"
#include "sound/engine/hierarchy/CSxSoundBase.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/transitions/SxTimingSettings.h"
#include "sound/engine/upper/CSxURenderer.h"

namespace SX {

CSxContinuousPBI::CSxContinuousPBI(CSxSoundBase* node, CSxSource* source, const SxPBIParams& params,
                                   const SxPriorityParams& priority)
    : CSxPBI(node, source, params, priority), m_history(params.history) {
    if (params.continueList) {
        m_list = params.continueList;
        m_list->AddRef();
        m_list->NoteInstance();
    }
    m_instigator = params.instigator;
    if (m_instigator) m_instigator->AddRef();
}

CSxContinuousPBI::~CSxContinuousPBI() {
    ReleaseList();
    if (m_action) {
        m_action->ForgetInstance(this);
        m_action->Release();
    }
    if (m_instigator) m_instigator->Release();
}

void CSxContinuousPBI::ReleaseList() {
    if (!m_list) return;
    m_list->Release();
    m_list = nullptr;
}

void CSxContinuousPBI::PrepareNextItem(bool early) {
    if (m_prepared) return;
    if (!m_list) {
        m_prepared = true;
        return;
    }
    SxUniqueID childID = 0;
    bool deferred = false;
    CSxRanSeqCntr* container = SxContinueList::SelectNext(m_list, GameObj(), m_history, childID, early, deferred);
    if (deferred) return;
    m_prepared = true;
    if (!container) {
        ReleaseList();
        return;
    }
    m_nextItem = childID;
    const uint8_t mode = container->TransitionMode();
    m_transition = mode <= Transition_TriggerRate ? static_cast<TransitionType>(mode) : Transition_None;
    const bool timed = m_transition == Transition_Crossfade || m_transition == Transition_CrossfadePower ||
                       m_transition == Transition_Delay || m_transition == Transition_TriggerRate;
    m_transitionMs = timed ? container->TransitionTime(GameObj()) : 0.0f;
}

namespace {
uint32_t s_lastSequence = 0;
}  // namespace

bool CSxContinuousPBI::Schedule(int32_t delaySamples, const SxFadeParams& fadeIn, bool fadeOutThis,
                                const SxFadeParams& fadeOut, uint32_t continuousSequence) {
    if (!g_pAudioMgr || !m_list || m_nextItem == 0) return false;
    CSxActionPlayAndContinue* action = CSxActionPlayAndContinue::Create(m_list);
    if (!action) return false;
    action->SetElementID(m_nextItem);
    action->SetHistory(m_history);
    action->SetInstigator(m_instigator);
    action->SetFadeIn(fadeIn);
    action->SetContinuousSequence(continuousSequence);
    if (fadeOutThis) action->SetPreviousInstance(this, fadeOut);
    m_nextItem = 0;
    m_scheduled = true;
    // The list goes to the action first: an item due at once is played now, and its instance
    // takes the list over.
    ReleaseList();
    if (!SxScheduleChainItem(*action, PlayingID(), GameObj(), delaySamples, PauseCount())) {
        action->Release();
        return false;
    }
    // Kept while the action may still stop this instance, so that it can forget it.
    if (fadeOutThis && !m_action)
        m_action = action;
    else
        action->Release();
    return true;
}

void CSxContinuousPBI::NotifyTimeLeft(float timeLeftMs) {
    if (!m_list || m_scheduled || IsStopping() || IsStopRequested()) return;
    PrepareNextItem(true);
    if (m_nextItem == 0) return;
    switch (m_transition) {
        case Transition_Crossfade:
        case Transition_CrossfadePower: {
            if (timeLeftMs < kMinCrossfadeTimeLeftMs) return;
            const float fadeMs = std::min(timeLeftMs * 0.5f, m_transitionMs);
            const auto fade = static_cast<uint32_t>(fadeMs);
            const SxCurveInterpolation curve =
                m_transition == Transition_CrossfadePower ? SxCurve_Sine : SxCurve_Linear;
            Schedule(SxTimeConv::MillisecondsToSamples(timeLeftMs - fadeMs), SxFadeParams{fade, curve}, true,
                     SxFadeParams{fade, curve});
            return;
        }
        case Transition_TriggerRate: {
            // Counted from the sample this item started on. This runs once the frame is rendered:
            // an action within the look-ahead plays at once, in the next frame, so it is told a
            // frame less.
            int32_t delay = std::max(SxTimeConv::MillisecondsToSamples(m_transitionMs), kFrameSamples) +
                            static_cast<int32_t>(StartFrameOffset());
            if (g_pAudioMgr && static_cast<uint32_t>(delay / kFrameSamples) <= g_pAudioMgr->LookAhead())
                delay -= kFrameSamples;
            Schedule(delay, SxFadeParams(), false, SxFadeParams());
            return;
        }
        case Transition_SampleAccurate:
            // Played now, the next item waits on this one's voice and starts on the sample after
            // its last.
            if (ContinuousSequence() == 0) {
                if (++s_lastSequence == 0) ++s_lastSequence;
                SetContinuousSequence(s_lastSequence);
            }
            Schedule(0, SxFadeParams(), false, SxFadeParams(), ContinuousSequence());
            return;
        default:
            return;
    }
}

void CSxContinuousPBI::Term(bool initFailed) {
    // An engine that terminates ends its chains with their instances.
    if (m_list && !m_scheduled && !CSxURenderer::IsTerminating()) {
        PrepareNextItem(false);
        const bool crossfade = m_transition == Transition_Crossfade || m_transition == Transition_CrossfadePower;
        CSxIndexable* next =
            m_nextItem && g_pObjectIndex ? g_pObjectIndex->GetPtrAndAddRef(SxIndex_Node, m_nextItem) : nullptr;
        if (next && !IsStopped() && !(IsStopRequested() && crossfade)) {
            int32_t delay = 0;
            const int32_t transition = SxTimeConv::MillisecondsToSamples(m_transitionMs);
            if (!IsFinished() && !initFailed) {
                if (m_transition == Transition_Delay) delay = transition;
            } else {
                // An item that played to its end still has its last frames in flight (the
                // look-ahead and the output's ten) before the next one starts.
                const uint32_t lookAhead = g_pAudioMgr ? g_pAudioMgr->LookAhead() : 1;
                delay = static_cast<int32_t>((lookAhead + 10) * kFrameSamples);
                if (m_transition == Transition_Delay) delay = std::max(delay, transition);
            }
            Schedule(delay, SxFadeParams(), false, SxFadeParams());
        }
        if (next) next->Release();
    }
    ReleaseList();
    if (m_action) {
        m_action->ForgetInstance(this);
        m_action->Release();
        m_action = nullptr;
    }
    CSxPBI::Term(initFailed);
}

void CSxContinuousPBI::PlayToEnd(SxUniqueID breakerID) {
    m_nextItem = 0;
    m_prepared = false;
    // The levels up to the breaking node's go; a switch or layer container's level lets the
    // chain above it go as well.
    while (m_list) {
        SxContinueListItem* item = m_list->Last();
        if (!item) {
            ReleaseList();
            break;
        }
        const bool found = item->Node()->ID() == breakerID;
        if (item->container) {
            SxCutHistoryToContinuous(m_history);
            if (m_history.count) --m_history.count;
        }
        m_list->RemoveLast();
        if (found) break;
    }
    if (m_list && m_list->Length() == 0) ReleaseList();
    CSxPBI::PlayToEnd(breakerID);
}

bool CSxContinuousPBI::MaySeek() const {
    for (const CSxParameterNodeBase* node = Node()->Parent(); node; node = node->Parent()) {
        if (node->NodeCategory() != SxNodeCategory_RanSeq) continue;
        const auto* container = static_cast<const CSxRanSeqCntr*>(node);
        if (!(container->ModeFlags() & CSxRanSeqCntr::kContinuous)) continue;
        switch (container->TransitionMode()) {
            case Transition_Crossfade:
            case Transition_CrossfadePower:
            case Transition_SampleAccurate:
            case Transition_TriggerRate:
                return false;
            default:
                break;
        }
    }
    return true;
}

void CSxContinuousPBI::SeekTime(int32_t ms, bool snap) {
    if (MaySeek()) CSxPBI::SeekTime(ms, snap);
}

void CSxContinuousPBI::SeekPercent(float fraction, bool snap) {
    if (MaySeek()) CSxPBI::SeekPercent(fraction, snap);
}

}  // namespace SX
