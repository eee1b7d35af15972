#pragma once
// What the audio manager needs of an event and its actions. The object hierarchy implements
// these; the manager only schedules and runs them.
#include <cstdint>

#include "sound/engine/SxTypes.h"
#include "sound/engine/audio/SxQueuedMsg.h"

namespace SX {

struct SxPendingAction;

// Action types the manager tells apart (the low byte is the scope; bit 0: one game object).
constexpr uint16_t SxActionType_Play = 0x0403;
constexpr uint16_t SxActionType_PlayAndContinue = 0x0503;

class ISxEventAction {
public:
    // Both answer the new count.
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;
    virtual uint16_t ActionType() const = 0;
    virtual SxUniqueID ActionID() const = 0;
    // The element the action works on (0: none).
    virtual SxUniqueID TargetID() const { return 0; }
    // Delay before the action runs, in samples at the output rate.
    virtual uint32_t DelaySamples() const = 0;
    virtual SXRESULT Execute(SxPendingAction& pending) = 0;
    // An element with that ID is stopped while the action waits and its target is not that
    // element: true when the action is to go as well. Only chains of plays answer true.
    virtual bool BreakToNode(SxUniqueID, SxPendingAction&) { return false; }
    // Whether a chain of plays the action continues goes through that element (its pauses and
    // resumes then reach the action too).
    virtual bool ContinuesUnder(SxUniqueID) const { return false; }

protected:
    ~ISxEventAction() = default;
};

class ISxPostedEvent {
public:
    // Both answer the new count.
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;
    virtual uint32_t ActionCount() const = 0;
    virtual ISxEventAction* Action(uint32_t index) const = 0;

protected:
    ~ISxPostedEvent() = default;
};

struct SxPendingAction {
    ISxEventAction* action = nullptr;  // one reference held
    uint32_t launchFrame = 0;
    uint32_t sampleOffset = 0;  // 0 to 1023 within the launch frame
    uint32_t pausedFrame = 0;
    SxPlayingID playingID = 0;
    uint32_t pauseCount = 0;  // resumes still needed before it runs again
    SxPlayingID callerPlayingID = 0;
    SxGameObjectID gameObject = SxAllGameObjects;
    SxExternalSourceData externalSources;  // one reference to the array held
};

}  // namespace SX
