#pragma once
// The internal action that plays the next item of a continuous chain when it falls due: it
// fades out the item that plays (for a crossfade), then plays the chosen child with the chain's
// list, history and fade-in. A stop of a node while it waits cuts the chain back to the level
// above that node.
#include <cstdint>

#include "sound/engine/events/CSxAction.h"
#include "sound/engine/upper/SxPBIParams.h"

namespace SX {

class CSxPBI;
class CSxPBIAware;
class SxContinueList;

class CSxActionPlayAndContinue : public CSxActionPlay {
public:
    // With a reference to the list; null when memory fails.
    static CSxActionPlayAndContinue* Create(SxContinueList* list);
    CSxActionPlayAndContinue(SxContinueList* list);
    ~CSxActionPlayAndContinue() override;

    void SetHistory(const SxPlayHistory& history) { m_history = history; }
    // Keeps a reference to the node that makes the chain's instances.
    void SetInstigator(CSxPBIAware* instigator);
    void SetFadeIn(const SxFadeParams& fade) { m_fadeIn = fade; }
    // The instance that plays the current item, stopped with the fade when this one runs.
    void SetPreviousInstance(CSxPBI* instance, const SxFadeParams& fadeOut);
    // The instance goes away: it is not stopped later.
    void ForgetInstance(const CSxPBI* instance);
    void SetDelaySamples(int32_t samples) { SetSxPropInt(SxProp_DelayTime, samples, 0, 0); }
    // The next item's instances join the voice of the sequence's current one.
    void SetContinuousSequence(uint32_t sequence) { m_continuousSequence = sequence; }
    // The pauses of the chain the next item starts under.
    void SetPauseCount(uint32_t pauses) { m_pauseCount = pauses; }

    SXRESULT Execute(SxPendingAction& pending) override;
    // A node stopped while this waits. True when the pending action is to be dropped: every
    // level of the chain lies under the node (or none is left); false when it is kept, unchanged
    // when neither the chain nor its target lies under the node, else aimed at the next child of
    // the first level above the node.
    bool BreakToNode(SxUniqueID stoppedID, SxPendingAction& pending) override;
    bool ContinuesUnder(SxUniqueID elementID) const override;

    SxContinueList* List() const { return m_list; }
    const SxPlayHistory& History() const { return m_history; }

private:
    void DropList();

    SxContinueList* m_list;
    SxPlayHistory m_history;
    CSxPBIAware* m_instigator = nullptr;
    SxFadeParams m_fadeIn;
    CSxPBI* m_previous = nullptr;
    SxFadeParams m_fadeOut;
    uint32_t m_continuousSequence = 0;
    uint32_t m_pauseCount = 0;
};

// Hands the action of a chain's next item, due after the delay, to the audio manager for the
// game object. Under a paused chain, an item that waits is held by the chain's pauses at once
// (its resumes release it) and one due at once starts paused. False when memory fails: the
// action is not used.
bool SxScheduleChainItem(CSxActionPlayAndContinue& action, SxPlayingID playingID, CSxRegisteredObj* gameObj,
                         int32_t delaySamples, uint32_t pauseCount);

// A continuous request whose item could not play (and made no instance that goes on with the
// chain): the next item the chain's levels give, from the lowest up, is scheduled after the
// lowest level's delay (10 frames for other transitions). 1 when one is scheduled, 2 when the
// chain has nothing left.
SXRESULT SxPlayNextAlternative(SxPBIParams& params);

}  // namespace SX
