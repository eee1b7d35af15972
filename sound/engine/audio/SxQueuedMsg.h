#pragma once
// The records of the audio manager's message queue: a common header, then the fields of the
// type. Records are built on the caller's stack and copied once into the queue.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

class ISxPostedEvent;
class SxExternalSourceArray;
class CSxLoadedBank;

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
    SxMsg_SetListenerPosition = 16,
    SxMsg_SetListenerSpatialization = 17,
    SxMsg_SetEnvironmentsValues = 18,
    SxMsg_SetDryLevel = 19,
    SxMsg_SetEnvironmentVolumes = 20,
    SxMsg_BypassEnvironment = 21,
    SxMsg_SetObstructionAndOcclusion = 22,
    SxMsg_DynamicSequenceGameObject = 24,
    SxMsg_DynamicSequenceCommand = 25,
    SxMsg_BankRelease = 26,
    SxMsg_StopAll = 27,
    SxMsg_SetListenerPipeline = 28,
    SxMsg_MotionSetPlayerListener = 29,
    SxMsg_MotionPlayerDevice = 30,
    SxMsg_MotionSetPlayerVolume = 31,
    SxMsg_StopPlayingID = 32,
    SxMsg_ExecuteActionOnEvent = 33,
    SxMsg_SetAttenuationScaling = 34,
    SxMsg_SetMultiplePositions = 35,
    SxMsg_SetListenerScaling = 36,
    SxMsg_SeekOnEvent = 37,
    SxMsg_SourcePlugin = 38,
    SxMsg_SetEffect = 40,
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

// The record a handler is given, as the record type its header's type stands for.
template <typename Record>
const Record& SxMsgAs(const SxQueuedMsgHeader& header) {
    return reinterpret_cast<const Record&>(header);
}

// Four words of external-source data: three zero words, then the array or null.
struct SxExternalSourceData {
    uint32_t words[3] = {};
    SxExternalSourceArray* array = nullptr;
};

struct SxMsgPostEvent : SxQueuedMsgBase<SxMsg_PostEvent> {
    SxGameObjectID gameObject = 0;
    SxPlayingID playingID = 0;
    SxPlayingID callerPlayingID = 0;
    SxExternalSourceData externalSources;  // one reference to the array held by the record
    ISxPostedEvent* event = nullptr;       // one reference held by the record
};

struct SxMsgSetRTPC : SxQueuedMsgBase<SxMsg_SetRTPC> {
    SxUniqueID gameParameter = 0;
    float value = 0.0f;
    SxGameObjectID gameObject = SxAllGameObjects;
    int32_t transitionMs = 0;
    uint32_t curve = SxCurve_Linear;
};

struct SxMsgResetRTPC : SxQueuedMsgBase<SxMsg_ResetRTPC> {
    SxUniqueID gameParameter = 0;
    SxGameObjectID gameObject = SxAllGameObjects;
    int32_t transitionMs = 0;
    uint32_t curve = SxCurve_Linear;
};

struct SxMsgTrigger : SxQueuedMsgBase<SxMsg_Trigger> {
    SxGameObjectID gameObject = SxAllGameObjects;
    SxUniqueID trigger = 0;
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

// Both name the sequence by its playing ID; the audio thread looks it up.
struct SxMsgDynamicSequenceGameObject : SxQueuedMsgBase<SxMsg_DynamicSequenceGameObject> {
    SxPlayingID sequence = 0;
    SxGameObjectID gameObject = 0;
};

struct SxMsgDynamicSequenceCommand : SxQueuedMsgBase<SxMsg_DynamicSequenceCommand> {
    SxPlayingID sequence = 0;
    uint32_t command = 0;
    int32_t transitionMs = 0;
    uint32_t curve = SxCurve_Linear;
};

struct SxMsgSetPosition : SxQueuedMsgBase<SxMsg_SetPosition> {
    SxGameObjectID gameObject = 0;
    SxSoundPosition position;
    uint32_t listener = 0;  // kept in 5 bits
};

struct SxMsgSetActiveListeners : SxQueuedMsgBase<SxMsg_SetActiveListeners> {
    SxGameObjectID gameObject = 0;
    uint32_t listenerMask = 0;
};

// Front orientation, top orientation, position.
struct SxListenerPosition {
    SxVector front;
    SxVector top;
    SxVector position;
};

struct SxMsgSetListenerPosition : SxQueuedMsgBase<SxMsg_SetListenerPosition> {
    uint32_t listener = 0;
    SxListenerPosition position;
};

struct SxMsgSetListenerSpatialization : SxQueuedMsgBase<SxMsg_SetListenerSpatialization> {
    uint32_t listener = 0;
    float volumes[6] = {};
    uint8_t spatialized = 0;
    uint8_t volumesPresent = 0;
};

struct SxMsgSetEnvironmentsValues : SxQueuedMsgBase<SxMsg_SetEnvironmentsValues> {
    SxGameObjectID gameObject = 0;
    uint32_t count = 0;  // 0 to 4
    SxEnvironmentValue values[4];
};

// Dry level, attenuation scaling (game object) and listener scaling (listener index).
template <SxQueuedMsgType Type>
struct SxMsgTargetValue : SxQueuedMsgBase<Type> {
    uint32_t target = 0;
    float value = 0.0f;
};

struct SxMsgSetEnvironmentVolumes : SxQueuedMsgBase<SxMsg_SetEnvironmentVolumes> {
    SxUniqueID environment = 0;
    float volumes[6] = {};
};

struct SxMsgBypassEnvironment : SxQueuedMsgBase<SxMsg_BypassEnvironment> {
    SxUniqueID environment = 0;
    uint8_t bypass = 0;
};

struct SxMsgSetObstructionAndOcclusion : SxQueuedMsgBase<SxMsg_SetObstructionAndOcclusion> {
    SxGameObjectID gameObject = 0;
    uint32_t listener = 0;
    float obstruction = 0.0f;
    float occlusion = 0.0f;
};

struct SxMsgSetListenerPipeline : SxQueuedMsgBase<SxMsg_SetListenerPipeline> {
    uint32_t listener = 0;
    uint8_t audio = 0;
    uint8_t motion = 0;
};

struct SxMsgMotionSetPlayerListener : SxQueuedMsgBase<SxMsg_MotionSetPlayerListener> {
    uint8_t player = 0;
    uint8_t listener = 0;
};

struct SxMsgMotionPlayerDevice : SxQueuedMsgBase<SxMsg_MotionPlayerDevice> {
    uint8_t player = 0;
    uint16_t companyID = 0;
    uint16_t deviceID = 0;
    void* initData = nullptr;  // null on removal
    uint8_t add = 0;
};

struct SxMsgMotionSetPlayerVolume : SxQueuedMsgBase<SxMsg_MotionSetPlayerVolume> {
    float volumeDb = 0.0f;
    uint8_t player = 0;
};

enum SxActionOnEventKind : uint32_t {
    SxActionOnEvent_Stop = 0,
    SxActionOnEvent_Pause = 1,
    SxActionOnEvent_Resume = 2,
    SxActionOnEvent_Break = 3,
};

struct SxMsgExecuteActionOnEvent : SxQueuedMsgBase<SxMsg_ExecuteActionOnEvent> {
    ISxPostedEvent* event = nullptr;  // one reference held by the record
    SxGameObjectID gameObject = SxAllGameObjects;
    uint32_t kind = SxActionOnEvent_Stop;
    int32_t transitionMs = 0;
    uint32_t curve = SxCurve_Linear;
    SxPlayingID playingID = 0;
};

struct SxMsgSeekOnEvent : SxQueuedMsgBase<SxMsg_SeekOnEvent> {
    ISxPostedEvent* event = nullptr;  // one reference held by the record
    SxGameObjectID gameObject = SxAllGameObjects;
    union {
        int32_t positionMs;
        float fraction;
    } position{0};
    uint8_t isFraction = 0;
    uint8_t snapToMarker = 0;
};

struct SxMsgSourcePlugin : SxQueuedMsgBase<SxMsg_SourcePlugin> {
    SxGameObjectID gameObject = SxAllGameObjects;
    SxPlayingID playingID = 0;
    uint32_t zero = 0;
    uint32_t zeros[4] = {};
    uint32_t pluginID = 0;
    uint32_t companyID = 0;
    uint32_t stop = 0;  // 0 play, 1 stop
};

struct SxMsgSetEffect : SxQueuedMsgBase<SxMsg_SetEffect> {
    SxUniqueID nodeID = 0;
    uint32_t slot = 0;
    SxUniqueID effectID = 0;
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

// The bank's last reference, dropped on the audio thread once nothing it queued before
// still needs the bank.
struct SxMsgBankRelease : SxQueuedMsgBase<SxMsg_BankRelease> {
    CSxLoadedBank* bank = nullptr;
};

}  // namespace SX
