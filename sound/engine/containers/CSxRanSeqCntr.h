#pragma once
// A container that plays one of its children each time it is played: one drawn at random
// (weighted or not, avoiding the latest choices, or as a shuffle that plays each child once a
// cycle) or the next of an ordered list (restarting from the top or turning back at the ends).
// What it has played is kept per game object, or once for all when it is global.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/hierarchy/CSxParentNode.h"

namespace SX {

class CSxPlayList;
class CSxContainerBaseInfo;
class CSxRandomInfo;
class CSxSequenceInfo;
class SxContinueList;
struct SxContinueListItem;

// How many passes a chain of plays may still make: bit 0 of flags loops, bit 1 for ever.
struct SxLoopRecord {
    int16_t counter = 1;
    uint8_t flags = 0;
};

class CSxRanSeqCntr : public CSxParentNode {
public:
    enum Mode : uint8_t { Mode_Random = 0, Mode_Sequence = 1 };
    // Mode flags.
    static constexpr uint8_t kPlayModeMask = 7;
    static constexpr uint8_t kWeighted = 1 << 3;
    static constexpr uint8_t kResetAtEachPlay = 1 << 4;
    static constexpr uint8_t kRestartBackward = 1 << 5;
    static constexpr uint8_t kContinuous = 1 << 6;
    static constexpr uint8_t kGlobal = 1 << 7;
    static constexpr uint32_t kStateBuckets = 31;
    // The node value a game parameter may drive: the transition time of a chain, in seconds.
    static constexpr uint32_t kTransitionTimeParam = 4;

    // Constructed, entered in the node table and given the play list of the mode; null when
    // memory fails.
    static CSxRanSeqCntr* Create(SxUniqueID id, Mode mode);
    CSxRanSeqCntr(SxUniqueID id, Mode mode);
    ~CSxRanSeqCntr() override;

    // u32 ID, the common node block, the container's settings, the children, the play list.
    SXRESULT SetInitialValues(const uint8_t* body, uint32_t size);
    // 1 when unchanged; 2 when the new list cannot be made. Play states are cleared.
    SXRESULT SetMode(Mode mode);
    // u16 count, then {u32 child ID, u32 weight} each: 35 for an ID twice in a random list.
    SXRESULT SetPlaylist(SxReadCursor& cursor);

    SxNodeCategory NodeCategory() const override { return SxNodeCategory_RanSeq; }
    // Plays the child chosen for the request's game object with the same request; 2 when no
    // child can be chosen. A continuous container starts a chain (or joins the request's) and
    // plays its first item; the instance of that item asks the chain for the next one.
    SXRESULT Play(SxPBIParams& params) override;
    // Within a chain, the instances are continuous ones.
    CSxPBI* CreatePBI(CSxSoundBase* node, CSxSource* source, const SxPBIParams& params,
                      const SxPriorityParams& priority) override;
    void UnregisterGameObject(CSxRegisteredObj* gameObj) override;

    // Destroys every play state; once the container has played, also drops the pending
    // actions aimed at it and stops all its instances.
    void ClearPlayStates();

    // The next child for the game object, with a reference added, its position and ID; null
    // when the list is empty, no state can be made or no child in it is loaded.
    CSxParameterNodeBase* SelectStepChild(CSxRegisteredObj* gameObj, uint16_t& position, SxUniqueID& childID);
    // The next child of a chain's level, with a reference added; the level's state (made on
    // first use) and loop record advance. Null when the level has no further item to play.
    CSxParameterNodeBase* SelectContinuousChild(CSxRegisteredObj* gameObj, uint16_t& position, SxUniqueID& childID,
                                                SxContinueListItem& item);
    // Milliseconds to the next item of a chain for the game object: the base time plus a
    // draw between the modifiers, plus the game-parameter value when one drives it; never
    // below 0.
    float TransitionTime(CSxRegisteredObj* gameObj) const;
    // The next position of a sequence, or of a random draw; cont becomes false when the loop
    // record allows no further pass. -1 when a draw has nothing left to give.
    int32_t NextSequencePosition(CSxSequenceInfo& state, bool& cont, SxLoopRecord* loop);
    int32_t NextRandomPosition(CSxRandomInfo& state, bool& cont, SxLoopRecord* loop);
    // Whether a chain may start another pass (no record: yes).
    static bool LoopAgain(SxLoopRecord* loop);

    Mode PlayMode() const { return static_cast<Mode>(m_modeFlags & kPlayModeMask); }
    uint8_t ModeFlags() const { return m_modeFlags; }
    uint8_t TransitionMode() const { return m_transitionMode; }
    uint16_t LoopCount() const { return m_loopCount; }
    float TransitionTime() const { return m_transitionTime; }
    float TransitionModifierMin() const { return m_transitionMin; }
    float TransitionModifierMax() const { return m_transitionMax; }

protected:
    SXRESULT CanAddChild(CSxParameterNodeBase* child) override;

private:
    friend struct platform::TestProbe<CSxRanSeqCntr>;

    SXRESULT PlayContinuous(SxPBIParams& params);
    // The object's (or the global) sequence state resumes at the chain's current item.
    void StoreSequencePosition(const CSxSequenceInfo& chain, CSxRegisteredObj* gameObj);
    void DestroyPlayStates();
    CSxContainerBaseInfo* ExistingStateFor(CSxRegisteredObj* gameObj) const;
    CSxContainerBaseInfo* StateFor(CSxRegisteredObj* gameObj);
    CSxContainerBaseInfo* NewState();
    // Keeps the position out of the next min(avoid-repeat, N - 1) standard draws; 2 when
    // the history cannot grow (the cycle then ends early).
    SXRESULT PushAvoidHistory(CSxRandomInfo& state, uint16_t position);
    bool IsPositionEligible(const CSxRandomInfo& state, uint16_t position) const;
    uint32_t Weight(uint16_t position) const;
    // Sets a setting that, when it changes, makes the play states stale.
    template <typename T>
    void SetAndClear(T& field, T value);

    CSxPlayList* m_playList = nullptr;
    CSxContainerBaseInfo* m_states[kStateBuckets] = {};
    uint32_t m_stateCount = 0;
    CSxContainerBaseInfo* m_global = nullptr;
    float m_transitionTime = 0.0f;
    float m_transitionMin = 0.0f;
    float m_transitionMax = 0.0f;
    uint16_t m_avoidRepeat = 0;
    uint8_t m_transitionMode = 0;  // bits 0-3 of the bank's type byte
    uint8_t m_randomType = 0;      // 0 standard, 1 shuffle
    uint8_t m_modeFlags;
    uint16_t m_loopCount = 1;
    bool m_played = false;
};

}  // namespace SX
