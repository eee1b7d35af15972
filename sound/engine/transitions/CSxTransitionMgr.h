#pragma once
// Owns every running transition in two bounded lists (fades and property ramps; state
// transitions) and steps them once per audio frame. A full list never grows: it recycles
// its most advanced transition.
#include <cstdint>

#include "sound/engine/SxArray.h"
#include "sound/engine/transitions/CSxTransition.h"

namespace SX {

class CSxTransitionMgr {
public:
    enum List : uint32_t { kFadeList = 0, kStateList = 1 };
    static constexpr uint32_t kDefaultMax = 255;

    CSxTransitionMgr() = default;
    ~CSxTransitionMgr() { Term(); }
    CSxTransitionMgr(const CSxTransitionMgr&) = delete;
    CSxTransitionMgr& operator=(const CSxTransitionMgr&) = delete;

    // The most transitions per list (0 means 255); SX_InsufficientMemory when the lists
    // cannot be had.
    SXRESULT Init(uint32_t maxPerList);
    void Term();

    // A running transition (paused until Resume when startNow is false), or null: the
    // requester then applies the target at once.
    CSxTransition* AddTransitionToList(const SxTransitionParams& params, bool startNow, List list);
    // Retargets a transition from where it stands now.
    void ChangeParameter(CSxTransition* transition, int32_t targetID, float newTarget, uint32_t durationMs,
                         SxCurveInterpolation shape, SxValueMeaning meaning);
    // Steps both lists at frame now.
    void ProcessTransitionsList(uint32_t now);

    uint32_t Count(List list) const { return m_lists[list].Length(); }
    uint32_t MaxPerList() const { return m_max; }

private:
    CSxTransition* TakeOverMostAdvanced(SxArray<CSxTransition*>& list);
    void RemoveAt(SxArray<CSxTransition*>& list, uint32_t index);

    uint32_t m_max = 0;
    SxArray<CSxTransition*> m_lists[2] = {SxArray<CSxTransition*>(1), SxArray<CSxTransition*>(1)};
};

extern CSxTransitionMgr* g_pTransitionMgr;

}  // namespace SX
