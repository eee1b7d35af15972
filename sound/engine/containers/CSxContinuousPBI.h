#pragma once
// The instance of a sound played within a chain of continuous containers. It asks the chain
// for the next item and schedules it as a pending play-and-continue action: before its end for
// a crossfade (the next item fades in while this one fades out) or a trigger rate (the next
// item starts at the rate, whatever this one does), as soon as it starts for a sample-accurate
// transition (the next item's instance joins this one's voice), at its end otherwise (at once,
// or after the container's delay).
#include <cstdint>

#include "sound/engine/upper/CSxPBI.h"

namespace SX {

class CSxActionPlayAndContinue;
class SxContinueList;

class CSxContinuousPBI : public CSxPBI {
public:
    enum TransitionType : uint8_t {
        Transition_None = 0,
        Transition_Crossfade = 1,
        Transition_CrossfadePower = 2,
        Transition_Delay = 3,
        Transition_SampleAccurate = 4,
        Transition_TriggerRate = 5,
    };
    // Below this time left a crossfade waits for the end instead.
    static constexpr float kMinCrossfadeTimeLeftMs = 50.0f;
    static constexpr int32_t kFrameSamples = 1024;

    // Takes a reference to the request's list unless another instance of the request holds it.
    CSxContinuousPBI(CSxSoundBase* node, CSxSource* source, const SxPBIParams& params,
                     const SxPriorityParams& priority);
    ~CSxContinuousPBI() override;

    // Crossfades and trigger rates schedule the next item here.
    void NotifyTimeLeft(float timeLeftMs) override;
    // The other transitions schedule it at the end, unless the instance was stopped.
    void Term(bool initFailed) override;
    // The chain is cut back above the breaking node: no further item of the levels below it.
    void PlayToEnd(SxUniqueID breakerID) override;
    // Refused under a chain whose items overlap or follow sample-accurately: the timing of the
    // next item was set from this one's length.
    void SeekTime(int32_t ms, bool snap) override;
    void SeekPercent(float fraction, bool snap) override;

    // Asks the chain's levels, from the lowest up, for the next child; a level with nothing
    // left goes. Once per instance; early (before the end), a switch or layer container on the
    // way may leave it to the end.
    void PrepareNextItem(bool early);
    SxUniqueID NextItem() const { return m_nextItem; }
    TransitionType Transition() const { return m_transition; }
    float TransitionDuration() const { return m_transitionMs; }
    bool HoldsChain() const { return m_list != nullptr; }

private:
    bool MaySeek() const;
    // Makes the pending action of the next item; false when memory fails. The chain's pauses
    // (this instance's) hold the item that waits, or the item due at once starts paused.
    bool Schedule(int32_t delaySamples, const SxFadeParams& fadeIn, bool fadeOutThis, const SxFadeParams& fadeOut,
                  uint32_t continuousSequence = 0);
    void ReleaseList();

    SxContinueList* m_list = nullptr;
    CSxPBIAware* m_instigator = nullptr;           // one reference held
    CSxActionPlayAndContinue* m_action = nullptr;  // the scheduled action, one reference held
    SxPlayHistory m_history;
    SxUniqueID m_nextItem = 0;
    float m_transitionMs = 0.0f;
    TransitionType m_transition = Transition_None;
    bool m_prepared = false;
    bool m_scheduled = false;
};

}  // namespace SX
