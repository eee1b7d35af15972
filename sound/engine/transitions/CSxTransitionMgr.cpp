#include "sound/engine/transitions/CSxTransitionMgr.h"

#include <algorithm>

#include "sound/engine/curves/SxCurveTable.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/transitions/SxTimingSettings.h"

namespace SX {

CSxTransitionMgr* g_pTransitionMgr = nullptr;

namespace {

// A decreasing ramp runs the mirrored shape; the two S-curves are their own mirrors.
SxCurveInterpolation Mirrored(SxCurveInterpolation shape) {
    if (shape == SxCurve_SCurve || shape == SxCurve_InvSCurve || shape > SxCurve_Exp3) return shape;
    return static_cast<SxCurveInterpolation>(8 - shape);
}

}  // namespace

SXRESULT CSxTransitionMgr::Init(uint32_t maxPerList) {
    Term();
    m_max = maxPerList ? maxPerList : kDefaultMax;
    for (SxArray<CSxTransition*>& list : m_lists) {
        list.SetPool(g_DefaultPoolId);
        if (!list.Reserve(m_max)) {
            Term();
            return SX_InsufficientMemory;
        }
    }
    return SX_Success;
}

void CSxTransitionMgr::Term() {
    for (SxArray<CSxTransition*>& list : m_lists) {
        for (CSxTransition* transition : list) SxDelete(g_DefaultPoolId, transition);
        list.Term();
    }
    m_max = 0;
}

void CSxTransitionMgr::RemoveAt(SxArray<CSxTransition*>& list, uint32_t index) {
    SxDelete(g_DefaultPoolId, list[index]);
    list.EraseSwap(index);
}

// Brings the most advanced transition to its end (its users get the final value) and
// hands it back out of the list for reuse; null when none has progressed yet.
CSxTransition* CSxTransitionMgr::TakeOverMostAdvanced(SxArray<CSxTransition*>& list) {
    int32_t best = -1;
    for (uint32_t i = 0; i < list.Length(); ++i)
        if (list[i]->m_progress > 0.0f && (best < 0 || list[i]->m_progress > list[best]->m_progress))
            best = static_cast<int32_t>(i);
    if (best < 0) return nullptr;
    CSxTransition* transition = list[best];
    transition->m_duration = 0.0f;
    transition->Step(g_uSxAudioFrameCounter);
    transition->Clear();
    list.EraseSwap(static_cast<uint32_t>(best));
    return transition;
}

CSxTransition* CSxTransitionMgr::AddTransitionToList(const SxTransitionParams& params, bool startNow, List list) {
    if (m_max == 0 || !params.user) return nullptr;
    SxArray<CSxTransition*>& entries = m_lists[list == kStateList ? kStateList : kFadeList];
    CSxTransition* transition = nullptr;
    if (entries.Length() < m_max) transition = SxNew<CSxTransition>(g_DefaultPoolId);
    if (!transition) transition = TakeOverMostAdvanced(entries);
    if (!transition) return nullptr;

    transition->m_targetID = params.targetID;
    transition->m_flags = params.dB ? CSxTransition::kDb : 0;
    float start = params.dB ? SxMath::LookupDBToLinear(params.startValue) : params.startValue;
    float target = params.dB ? SxMath::LookupDBToLinear(params.targetValue) : params.targetValue;
    transition->m_start = transition->m_current = start;
    transition->m_target = target;
    transition->m_shape = params.mirror && !(target > start) ? Mirrored(params.shape) : params.shape;
    transition->m_startTime = static_cast<float>(g_uSxAudioFrameCounter + params.frameOffset);
    transition->m_duration = static_cast<float>(SxTimingSettings::MillisecondsToFrames(params.durationMs));
    transition->m_progress = 0.0f;
    if (transition->AddTransitionUser(params.user) != SX_Success || !entries.AddLast(transition)) {
        SxDelete(g_DefaultPoolId, transition);
        return nullptr;
    }
    if (startNow) {
        transition->m_state = CSxTransition::Running;
    } else {
        transition->m_state = CSxTransition::Paused;
        transition->m_pauseStart = g_uSxAudioFrameCounter;
    }
    return transition;
}

void CSxTransitionMgr::ChangeParameter(CSxTransition* transition, int32_t targetID, float newTarget,
                                       uint32_t durationMs, SxCurveInterpolation shape, SxValueMeaning meaning) {
    const uint32_t now = g_uSxAudioFrameCounter;
    const bool dB = (transition->m_flags & CSxTransition::kDb) != 0;
    if (dB) newTarget = SxMath::LookupDBToLinear(newTarget);
    if (transition->m_flags & CSxTransition::kHasRun) transition->m_start = transition->m_current;
    if (meaning == SxValueMeaning_Offset)
        newTarget = dB ? transition->m_target * newTarget : transition->m_target + newTarget;

    transition->m_shape = newTarget > transition->m_start || shape == SxCurve_SCurve || shape == SxCurve_InvSCurve
                              ? shape
                              : Mirrored(shape);
    float frames = static_cast<float>(SxTimingSettings::MillisecondsToFrames(durationMs));
    if (targetID == transition->m_targetID && (targetID & ITransitionable::kFadeBits) != 0) {
        // A fade retargeted by a fade of the same kind never takes longer than what was left.
        float remaining = transition->m_duration - (static_cast<float>(now) - transition->m_startTime);
        frames = std::min(frames, std::max(0.0f, remaining));
    }
    transition->m_targetID = targetID;
    transition->m_target = newTarget;
    transition->m_duration = frames;
    transition->m_startTime = static_cast<float>(now);
}

void CSxTransitionMgr::ProcessTransitionsList(uint32_t now) {
    for (SxArray<CSxTransition*>& list : m_lists) {
        for (uint32_t i = 0; i < list.Length();) {
            CSxTransition* t = list[i];
            switch (t->m_state) {
                case CSxTransition::ToBeRemoved:
                    RemoveAt(list, i);
                    continue;
                case CSxTransition::PauseRequested:
                    t->m_pauseStart = now;
                    t->m_state = CSxTransition::Paused;
                    break;
                case CSxTransition::ResumeRequested:
                    t->m_startTime += static_cast<float>(now - t->m_pauseStart);
                    t->m_state = CSxTransition::Running;
                    break;
                case CSxTransition::Running:
                    if (t->Step(now)) {
                        RemoveAt(list, i);
                        continue;
                    }
                    break;
                default:
                    break;
            }
            ++i;
        }
    }
}

}  // namespace SX
