#pragma once
// The records of the audio manager's message queue: a common header, then the fields of the
// type. Records are built on the caller's stack and copied once into the queue.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

class ISxPostedEvent;

enum SxQueuedMsgType : uint16_t {
    SxMsg_EndOfBatch = 0,
    SxMsg_PostEvent = 1,
    SxMsg_SetRTPC = 2,
    SxMsg_SetRTPCWithTransition = 3,
    SxMsg_ResetRTPC = 5,
    SxMsg_ResetRTPCWithTransition = 6,
    SxMsg_SetState = 7,
    SxMsg_SetSwitch = 8,
    SxMsg_Trigger = 10,
    SxMsg_RegisterGameObj = 11,
    SxMsg_UnregisterGameObj = 12,
    SxMsg_SetPosition = 13,
    SxMsg_SetActiveListeners = 14,
    SxMsg_StopAll = 27,
    SxMsg_StopPlayingID = 32,
    SxMsg_SetMultiplePositions = 35,
    SxMsg_SetPanningRule = 41,
    SxMsg_TypeCount = 42,
};

struct SxQueuedMsgHeader {
    uint16_t size = 0;  // of the whole record; the reader steps from record to record by it
    uint16_t type = 0;
};

template <SxQueuedMsgType Type>
struct SxQueuedMsgBase {
    SxQueuedMsgHeader header{0, Type};
};

// Four words of external-source data: three zero words, then the array or null.
struct SxExternalSourceData {
    uint32_t words[3] = {};
    void* array = nullptr;
};

struct SxMsgPostEvent : SxQueuedMsgBase<SxMsg_PostEvent> {
    SxGameObjectID gameObject = 0;
    SxPlayingID playingID = 0;
    SxPlayingID callerPlayingID = 0;
    SxExternalSourceData externalSources;
    ISxPostedEvent* event = nullptr;  // one reference held by the record
};

struct SxMsgSetRTPC : SxQueuedMsgBase<SxMsg_SetRTPC> {
    SxUniqueID gameParameter = 0;
    float value = 0.0f;
    SxGameObjectID gameObject = SxAllGameObjects;
    int32_t transitionMs = 0;
    uint32_t curve = SxCurve_Linear;
};

struct SxMsgSetState : SxQueuedMsgBase<SxMsg_SetState> {
    SxStateGroupID group = 0;
    SxUniqueID state = 0;
    uint8_t skipTransition = 0;
    uint8_t skipNotification = 0;
};

struct SxMsgSetSwitch : SxQueuedMsgBase<SxMsg_SetSwitch> {
    SxGameObjectID gameObject = 0;
    SxUniqueID switchGroup = 0;
    SxUniqueID switchState = 0;
};

struct SxMsgGameObject : SxQueuedMsgHeader {
    SxGameObjectID gameObject = 0;
    uint32_t zero = 0;
};

struct SxMsgSetPosition : SxQueuedMsgBase<SxMsg_SetPosition> {
    SxGameObjectID gameObject = 0;
    SxSoundPosition position;
    uint32_t listener = 0;  // kept in 5 bits
};

struct SxMsgStopPlayingID : SxQueuedMsgBase<SxMsg_StopPlayingID> {
    SxPlayingID playingID = 0;
    int32_t transitionMs = 0;
    uint32_t curve = SxCurve_Linear;
};

// Followed by count positions.
struct SxMsgSetMultiplePositions : SxQueuedMsgBase<SxMsg_SetMultiplePositions> {
    SxGameObjectID gameObject = 0;
    uint16_t count = 0;
    uint32_t type = 0;
};

struct SxMsgSetPanningRule : SxQueuedMsgBase<SxMsg_SetPanningRule> {
    uint32_t rule = 0;
};

}  // namespace SX
