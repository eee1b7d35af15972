#include "sound/engine/SxSoundEngine.h"

#include <atomic>

#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/lower/CSxLEngine.h"

namespace SX::SoundEngine {

namespace {
SxInitSettings g_initSettings;
SxPlatformInitSettings g_platformSettings;
bool g_initialized = false;
std::atomic<uint32_t> g_playingIDCounter{0};

template <typename Record>
SXRESULT Queue(Record& record, uint32_t size = sizeof(Record)) {
    if (!g_pAudioMgr) return SX_Fail;
    return g_pAudioMgr->Enqueue(record.header, size);
}

SXRESULT QueueGameObject(uint16_t type, SxGameObjectID gameObject) {
    if (!g_pAudioMgr) return SX_Fail;
    SxMsgGameObject record;
    record.type = type;
    record.gameObject = gameObject;
    return g_pAudioMgr->Enqueue(record, sizeof record);
}

SXRESULT CreateAudioManager() {
    SXRESULT result = CSxLEngine::Init(g_platformSettings);
    if (result != SX_Success) return result;
    if (g_pAudioMgr) return SX_Success;
    g_pAudioMgr = new (std::nothrow) CSxAudioMgr;
    if (!g_pAudioMgr) return SX_InsufficientMemory;
    g_pAudioMgr->SetHandler(SxMsg_SetPanningRule, [](const SxQueuedMsgHeader& record) {
        CSxLEngine::SetPanningRule(reinterpret_cast<const SxMsgSetPanningRule&>(record).rule);
    });
    result = g_pAudioMgr->Init(g_initSettings);
    if (result == SX_Success) result = g_pAudioMgr->Start(g_platformSettings.audioThread);
    return result;
}
}  // namespace

void GetDefaultInitSettings(SxInitSettings& settings) { settings = SxInitSettings(); }

void GetDefaultPlatformInitSettings(SxPlatformInitSettings& settings) {
    CSxLEngine::GetDefaultPlatformInitSettings(settings);
}

SXRESULT Init(SxInitSettings* settings, SxPlatformInitSettings* platformSettings) {
    // A running engine keeps its settings: refuse before touching them.
    if (g_initialized) return SX_Fail;
    g_initSettings = settings ? *settings : SxInitSettings();
    if (platformSettings)
        g_platformSettings = *platformSettings;
    else
        CSxLEngine::GetDefaultPlatformInitSettings(g_platformSettings);
    if (g_platformSettings.numRefillsInVoice < 2) g_platformSettings.numRefillsInVoice = 4;
    if (platformSettings) *platformSettings = g_platformSettings;

    const SXRESULT result = CreateAudioManager();
    if (result == SX_Success) {
        if (settings) *settings = g_initSettings;
        g_initialized = true;
    } else {
        Term();
    }
    return result;
}

void Term() {
    if (g_pAudioMgr) g_pAudioMgr->StopThread();
    CSxLEngine::Stop();
    SxBehavioralExtensions::Call(true);
    SxBehavioralExtensions::Clear();
    if (g_pAudioMgr) {
        g_pAudioMgr->Term();
        delete g_pAudioMgr;
        g_pAudioMgr = nullptr;
    }
    CSxLEngine::Term();
    g_initialized = false;
}

bool IsInitialized() { return g_initialized; }

SXRESULT RenderAudio() { return g_pAudioMgr ? g_pAudioMgr->RenderAudio() : SX_Fail; }

SxPlayingID PostEvent(SxUniqueID eventID, SxGameObjectID gameObject, SxPlayingID callerPlayingID) {
    if (!g_pAudioMgr || !g_EventHooks.findEventAndAddRef) return 0;
    ISxPostedEvent* event = g_EventHooks.findEventAndAddRef(eventID);
    if (!event) return 0;
    const SxPlayingID playingID = ++g_playingIDCounter;
    if (g_EventHooks.addPlayingID && !g_EventHooks.addPlayingID(playingID, eventID, gameObject)) {
        event->Release();
        return 0;
    }
    SxMsgPostEvent record;
    record.gameObject = gameObject;
    record.playingID = playingID;
    record.callerPlayingID = callerPlayingID;
    record.event = event;
    if (Queue(record) != SX_Success) {
        // Nothing will apply the record: undo what it would have balanced.
        if (g_EventHooks.removePendingCount) g_EventHooks.removePendingCount(playingID);
        event->Release();
        return 0;
    }
    return playingID;
}

SxPlayingID PostEvent(const char* eventName, SxGameObjectID gameObject, SxPlayingID callerPlayingID) {
    return PostEvent(GetIDFromString(eventName), gameObject, callerPlayingID);
}

SXRESULT SetRTPCValue(SxUniqueID gameParameter, float value, SxGameObjectID gameObject, int32_t transitionMs,
                      SxCurveInterpolation curve) {
    SxMsgSetRTPC record;
    if (transitionMs != 0) record.header.type = SxMsg_SetRTPCWithTransition;
    record.gameParameter = gameParameter;
    record.value = value;
    record.gameObject = gameObject;
    record.transitionMs = transitionMs;
    record.curve = curve;
    return Queue(record, transitionMs != 0 ? sizeof record : sizeof record - sizeof record.transitionMs - sizeof record.curve);
}

SXRESULT SetState(SxStateGroupID group, SxUniqueID state) {
    SxMsgSetState record;
    record.group = group;
    record.state = state == 0x2CA33BDBu ? 0 : state;  // the ID of the name "none"
    return Queue(record);
}

SXRESULT SetSwitch(SxUniqueID switchGroup, SxUniqueID switchState, SxGameObjectID gameObject) {
    SxMsgSetSwitch record;
    record.gameObject = gameObject;
    record.switchGroup = switchGroup;
    record.switchState = switchState;
    return Queue(record);
}

SXRESULT RegisterGameObj(SxGameObjectID gameObject) {
    if (gameObject == 0 || gameObject == SxAllGameObjects) return SX_Fail;
    return QueueGameObject(SxMsg_RegisterGameObj, gameObject);
}

SXRESULT UnregisterGameObj(SxGameObjectID gameObject) {
    if (gameObject == 0) return SX_Fail;
    return QueueGameObject(SxMsg_UnregisterGameObj, gameObject);
}

SXRESULT UnregisterAllGameObj() { return QueueGameObject(SxMsg_UnregisterGameObj, SxAllGameObjects); }

SXRESULT SetPosition(SxGameObjectID gameObject, const SxSoundPosition& position, uint32_t listener) {
    if (gameObject == 0) return SX_Fail;
    SxMsgSetPosition record;
    record.gameObject = gameObject;
    record.position = position;
    record.listener = listener & 31;
    return Queue(record);
}

SXRESULT SetMultiplePositions(SxGameObjectID gameObject, const SxSoundPosition* positions, uint16_t count,
                              uint32_t type) {
    if (type > 2 || (count > 0 && !positions)) return SX_InvalidParameter;
    const uint32_t size = sizeof(SxMsgSetMultiplePositions) + count * sizeof(SxSoundPosition);
    if (size > SxChunkRing::kChunkSize) return SX_Fail;
    alignas(8) uint8_t storage[SxChunkRing::kChunkSize];
    auto* record = new (storage) SxMsgSetMultiplePositions;
    record->gameObject = gameObject;
    record->count = count;
    record->type = type;
    auto* out = reinterpret_cast<SxSoundPosition*>(storage + sizeof(SxMsgSetMultiplePositions));
    for (uint16_t i = 0; i < count; ++i) out[i] = positions[i];
    return Queue(*record, size);
}

void StopAll(SxGameObjectID gameObject) {
    if (QueueGameObject(SxMsg_StopAll, gameObject) == SX_Success && gameObject == SxAllGameObjects) RenderAudio();
}

void StopPlayingID(SxPlayingID playingID, int32_t transitionMs, SxCurveInterpolation curve) {
    SxMsgStopPlayingID record;
    record.playingID = playingID;
    record.transitionMs = transitionMs;
    record.curve = curve;
    Queue(record);
}

SXRESULT SetPanningRule(uint32_t rule) {
    SxMsgSetPanningRule record;
    record.rule = rule;
    return Queue(record);
}

uint32_t GetPanningRule() { return CSxLEngine::PanningRule(); }
uint32_t GetSpeakerConfiguration() { return CSxLEngine::ChannelMask(); }

SXRESULT AddBehavioralExtension(SxBehavioralExtension function) { return SxBehavioralExtensions::Add(function); }
SXRESULT RemoveBehavioralExtension(SxBehavioralExtension function) {
    return SxBehavioralExtensions::Remove(function);
}

}  // namespace SX::SoundEngine
