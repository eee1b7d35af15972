#include "sound/engine/SxSoundEngine.h"

#include <algorithm>
#include <atomic>

#include "platform/os/Clock.h"
#include "sound/engine/SxManagerMessages.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/bank/CSxBankMgr.h"
#include "sound/engine/curves/SxCurveTable.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/environments/CSxEnvironmentsMgr.h"
#include "sound/engine/events/CSxEvent.h"
#include "sound/engine/events/SxHierarchyHooks.h"
#include "sound/engine/hierarchy/SxHircReader.h"
#include "sound/engine/listener/SxListenerMessages.h"
#include "sound/engine/lower/CSxLEngine.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/motion/CSxMotionDeviceMgr.h"
#include "sound/engine/paths/CSxPathMgr.h"
#include "sound/engine/playing/CSxPlayingMgr.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/engine/positions/CSxPositionRepository.h"
#include "sound/engine/registry/CSxRegistryMgr.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"
#include "sound/engine/states/CSxStateMgr.h"
#include "sound/engine/transitions/CSxTransitionMgr.h"
#include "sound/engine/voice/CSxVoiceMgr.h"

namespace SX {
float g_fTicksPerMs = 0.0f;
SxAssertHook g_pAssertHook = nullptr;
bool g_bGameSyncPreparation = false;
}  // namespace SX

namespace SX::SoundEngine {

namespace {
SxInitSettings g_initSettings;
SxPlatformInitSettings g_platformSettings;
bool g_initialized = false;
bool g_curvesBuilt = false;
std::atomic<uint32_t> g_playingIDCounter{0};
constexpr SxUniqueID kStateNone = 0x2CA33BDBu;  // the ID of the state name "none"

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

// Creates the manager when its global is still null and initialises it.
template <typename Manager, typename InitFn>
SXRESULT CreateManager(Manager*& global, InitFn init) {
    if (global) return SX_Success;
    global = SxNew<Manager>(g_DefaultPoolId);
    if (!global) return SX_InsufficientMemory;
    return init(*global);
}

template <typename Manager>
void DestroyManager(Manager*& global) {
    SxDelete(g_DefaultPoolId, global);
    global = nullptr;
}

template <typename Manager>
void TermManager(Manager*& global) {
    if (global) global->Term();
    DestroyManager(global);
}

SXRESULT CreateManagers() {
    g_fTicksPerMs = static_cast<float>(platform::CounterFrequency()) / 1000.0f;
    SXRESULT result = CreateManager(g_pObjectIndex, [](CSxObjectIndex& index) {
        index.Init();
        return SX_Success;
    });
    if (result == SX_Success && !g_curvesBuilt) {
        result = SxCurveTable::BuildAll(333, 333, 255);
        g_curvesBuilt = result == SX_Success;
    }
    auto init = [](auto& manager) { return manager.Init(); };
    if (result == SX_Success) result = CreateManager(g_pRTPCMgr, init);
    if (result == SX_Success) result = CreateManager(g_pEnvironmentsMgr, init);
    if (result == SX_Success) result = CreateManager(g_pPlayingMgr, init);
    if (result == SX_Success) result = CreateManager(g_pPositionRepository, init);
    if (result == SX_Success) result = CreateManager(g_pRegistryMgr, init);
    if (result == SX_Success)
        result = CreateManager(g_pTransitionMgr,
                               [](CSxTransitionMgr& m) { return m.Init(g_initSettings.maxNumTransitions); });
    if (result == SX_Success)
        result = CreateManager(g_pPathMgr, [](CSxPathMgr& m) { return m.Init(g_initSettings.maxNumPaths); });
    if (result == SX_Success) result = CreateManager(g_pStateMgr, init);
    return result;
}

SXRESULT CreateAudioManager() {
    SXRESULT result = CSxLEngine::Init(g_platformSettings);
    if (result != SX_Success) return result;
    if (g_pAudioMgr) return SX_Success;
    g_pAudioMgr = SxNew<CSxAudioMgr>(g_DefaultPoolId);
    if (!g_pAudioMgr) return SX_InsufficientMemory;
    InstallManagerHandlers(*g_pAudioMgr);
    InstallListenerHandlers(*g_pAudioMgr);
    InstallMotionHandlers(*g_pAudioMgr);
    g_pAudioMgr->SetHandler(SxMsg_SetPanningRule, [](const SxQueuedMsgHeader& record) {
        CSxLEngine::SetPanningRule(SxMsgAs<SxMsgSetPanningRule>(record).rule);
    });
    result = SxInitHierarchy(*g_pAudioMgr, g_initSettings.defaultMemoryThreshold,
                             g_platformSettings.lowerEngineMemoryThreshold);
    if (result == SX_Success) CSxVoiceMgr::Install();
    if (result == SX_Success) result = g_pAudioMgr->Init(g_initSettings);
    if (result == SX_Success) result = g_pAudioMgr->Start(g_platformSettings.audioThread);
    return result;
}

SXRESULT CreateBankManager() {
    g_pAudioMgr->SetHandler(SxMsg_BankRelease,
                            [](const SxQueuedMsgHeader& record) { SxMsgAs<SxMsgBankRelease>(record).bank->Release(); });
    const SxMemPoolId mediaPool = MemoryMgr::CheckPoolId(g_initSettings.preparePoolId) == SX_Success
                                      ? g_initSettings.preparePoolId
                                      : g_DefaultPoolId;
    return CreateManager(g_pBankMgr, [mediaPool](CSxBankMgr& manager) {
        return manager.Init(g_platformSettings.bankThread, mediaPool);
    });
}
}  // namespace

void GetDefaultInitSettings(SxInitSettings& settings) { settings = SxInitSettings(); }

void GetDefaultPlatformInitSettings(SxPlatformInitSettings& settings) {
    CSxLEngine::GetDefaultPlatformInitSettings(settings);
}

SXRESULT Init(SxInitSettings* settings, SxPlatformInitSettings* platformSettings) {
    if (!MemoryMgr::IsInitialized()) return SX_MemoryMgrNotInitialized;
    // A running engine keeps its settings: refuse before touching them.
    if (g_initialized) return SX_Fail;
    ResetSettingOwners();
    g_u16MaxNumVoices = kDefaultMaxNumVoices;
    g_initSettings = settings ? *settings : SxInitSettings();
    g_pAssertHook = g_initSettings.assertHook;
    g_bGameSyncPreparation = g_initSettings.enableGameSyncPreparation != 0;
    if (platformSettings)
        g_platformSettings = *platformSettings;
    else
        CSxLEngine::GetDefaultPlatformInitSettings(g_platformSettings);
    if (g_platformSettings.numRefillsInVoice < 2) g_platformSettings.numRefillsInVoice = 4;
    if (platformSettings) *platformSettings = g_platformSettings;

    if (g_DefaultPoolId == SxInvalidPoolId) {
        const uint32_t size = g_initSettings.defaultPoolSize > 64 ? g_initSettings.defaultPoolSize : 0x1000000;
        g_DefaultPoolId = MemoryMgr::CreatePool(nullptr, size, 64, SxMemPool_Heap, 0);
        if (g_DefaultPoolId == SxInvalidPoolId) return SX_InsufficientMemory;
    }
    SXRESULT result = CreateManagers();
    if (result == SX_Success) {
        if (settings) *settings = g_initSettings;
        result = CreateAudioManager();
    }
    if (result == SX_Success) result = CreateBankManager();
    if (result == SX_Success)
        g_initialized = true;
    else
        Term();
    return result;
}

void Term() {
    if (g_pBankMgr) g_pBankMgr->StopThread();
    if (g_pAudioMgr) g_pAudioMgr->StopThread();
    if (CSxMotionDeviceMgr* motion = CSxMotionDeviceMgr::Active()) motion->StopAll();
    CSxLEngine::Stop();
    // Voices give back the media they hold before the banks go.
    CSxVoiceMgr::Remove();
    TermManager(g_pBankMgr);
    SxTermHierarchy();
    SxBehavioralExtensions::Call(true);
    SxBehavioralExtensions::Clear();
    CSxLEngine::Term();
    if (g_pAudioMgr) {
        g_pAudioMgr->Term();
        DestroyManager(g_pAudioMgr);
    }
    if (g_pObjectIndex) g_pObjectIndex->Term();
    TermManager(g_pStateMgr);
    TermManager(g_pPathMgr);
    TermManager(g_pTransitionMgr);
    TermManager(g_pRegistryMgr);
    TermManager(g_pPlayingMgr);
    TermManager(g_pPositionRepository);
    TermManager(g_pEnvironmentsMgr);
    TermManager(g_pRTPCMgr);
    SxPluginTable::Clear();
    if (g_curvesBuilt) SxCurveTable::FreeAll();
    g_curvesBuilt = false;
    DestroyManager(g_pObjectIndex);
    if (g_DefaultPoolId != SxInvalidPoolId) MemoryMgr::DestroyPool(g_DefaultPoolId);
    g_DefaultPoolId = SxInvalidPoolId;
    g_initialized = false;
}

bool IsInitialized() { return g_initialized; }

SXRESULT RenderAudio() { return g_pAudioMgr ? g_pAudioMgr->RenderAudio() : SX_Fail; }

SxPlayingID NextPlayingID() { return ++g_playingIDCounter; }

SxPlayingID PostEvent(SxUniqueID eventID, SxGameObjectID gameObject, uint32_t callbackFlags, SxCallbackFunc callback,
                      void* cookie, uint32_t externalSourceCount, const SxExternalSourceInfo* externalSources,
                      SxPlayingID callerPlayingID) {
    if (!g_pAudioMgr) return 0;
    SxExternalSourceArray* array = nullptr;
    if (externalSourceCount > 0 && externalSources) {
        array = SxExternalSourceArray::Create(externalSources, externalSourceCount);
        if (!array) return 0;
    }
    ISxPostedEvent* event = SxFindEventAndAddRef(eventID);
    const SxPlayingID playingID = event ? ++g_playingIDCounter : 0;
    if (event && g_pPlayingMgr) {
        SxPostInfo post;
        post.eventID = eventID;
        post.playingID = playingID;
        post.gameObj = gameObject;
        post.callback = callback;
        post.pCookie = cookie;
        post.flags = callbackFlags;
        if (g_pPlayingMgr->AddPlayingID(post) != SX_Success) {
            event->Release();
            event = nullptr;
        }
    }
    if (!event) {
        if (array) array->Release();
        return 0;
    }
    SxMsgPostEvent record;
    record.gameObject = gameObject;
    record.playingID = playingID;
    record.callerPlayingID = callerPlayingID;
    record.externalSources.array = array;
    record.event = event;
    if (Queue(record) != SX_Success) {
        // Nothing will apply the record: undo what it would have balanced.
        if (g_pPlayingMgr) g_pPlayingMgr->RemovePendingCount(playingID);
        event->Release();
        if (array) array->Release();
        return 0;
    }
    return playingID;
}

SxPlayingID PostEvent(const char* eventName, SxGameObjectID gameObject, uint32_t callbackFlags, SxCallbackFunc callback,
                      void* cookie, uint32_t externalSourceCount, const SxExternalSourceInfo* externalSources,
                      SxPlayingID callerPlayingID) {
    return PostEvent(GetIDFromString(eventName), gameObject, callbackFlags, callback, cookie, externalSourceCount,
                     externalSources, callerPlayingID);
}

void CancelEventCallback(SxPlayingID playingID) {
    if (g_pPlayingMgr) g_pPlayingMgr->CancelEventCallback(playingID);
}

void CancelEventCallbackCookie(void* cookie) {
    if (g_pPlayingMgr) g_pPlayingMgr->CancelEventCallbackCookie(cookie);
}

SXRESULT GetSourcePlayPosition(SxPlayingID playingID, int32_t* positionMs, bool extrapolate) {
    if (!positionMs) return SX_InvalidParameter;
    if (!g_pPositionRepository) {
        *positionMs = 0;
        return SX_Fail;
    }
    return g_pPositionRepository->GetCurrPosition(playingID, positionMs, extrapolate);
}

void SetStateHook(ISxStateHook* hook) {
    // The audio frame calls the hook: change it only between frames.
    platform::Lock lock(g_csMain);
    CSxStateMgr::SetStateHook(hook);
}

void RemoveStateHook(ISxStateHook* hook) {
    platform::Lock lock(g_csMain);
    CSxStateMgr::RemoveStateHook(hook);
}

void SetHircObjectHook(ISxHircObjectReader* reader) {
    // Banks read records under the global audio lock.
    platform::Lock lock(g_csMain);
    SxSetHircObjectHook(reader);
}

void RemoveHircObjectHook(ISxHircObjectReader* reader) {
    platform::Lock lock(g_csMain);
    SxRemoveHircObjectHook(reader);
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
    return Queue(record,
                 transitionMs != 0 ? sizeof record : sizeof record - sizeof record.transitionMs - sizeof record.curve);
}

SXRESULT SetState(SxStateGroupID group, SxUniqueID state) {
    SxMsgSetState record;
    record.group = group;
    record.state = state == kStateNone ? 0 : state;
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

SXRESULT SetRTPCValue(const char* gameParameter, float value, SxGameObjectID gameObject, int32_t transitionMs,
                      SxCurveInterpolation curve) {
    return SetRTPCValue(GetIDFromString(gameParameter), value, gameObject, transitionMs, curve);
}

SXRESULT ResetRTPCValue(SxUniqueID gameParameter, SxGameObjectID gameObject, int32_t transitionMs,
                        SxCurveInterpolation curve) {
    SxMsgResetRTPC record;
    if (transitionMs != 0) record.header.type = SxMsg_ResetRTPCWithTransition;
    record.gameParameter = gameParameter;
    record.gameObject = gameObject;
    record.transitionMs = transitionMs;
    record.curve = curve;
    return Queue(record,
                 transitionMs != 0 ? sizeof record : sizeof record - sizeof record.transitionMs - sizeof record.curve);
}

SXRESULT SetState(const char* group, const char* state) {
    return SetState(GetIDFromString(group), GetIDFromString(state));
}

SXRESULT SetStateInternal(SxStateGroupID group, SxUniqueID state, bool skipTransition, bool skipNotification) {
    SxMsgSetState record;
    record.group = group;
    record.state = state == kStateNone ? 0 : state;
    record.skipTransition = skipTransition;
    record.skipNotification = skipNotification;
    return Queue(record);
}

SXRESULT SetSwitch(const char* switchGroup, const char* switchState, SxGameObjectID gameObject) {
    return SetSwitch(GetIDFromString(switchGroup), GetIDFromString(switchState), gameObject);
}

SXRESULT PostTrigger(SxUniqueID trigger, SxGameObjectID gameObject) {
    SxMsgTrigger record;
    record.gameObject = gameObject;
    record.trigger = trigger;
    return Queue(record);
}

SXRESULT PostTrigger(const char* trigger, SxGameObjectID gameObject) {
    return PostTrigger(GetIDFromString(trigger), gameObject);
}

SXRESULT SetActiveListeners(SxGameObjectID gameObject, uint32_t listenerMask) {
    SxMsgSetActiveListeners record;
    record.gameObject = gameObject;
    record.listenerMask = listenerMask;
    return Queue(record);
}

SXRESULT SetListenerPosition(const SxListenerPosition& position, uint32_t listener) {
    SxMsgSetListenerPosition record;
    record.listener = listener;
    record.position = position;
    return Queue(record);
}

SXRESULT SetListenerSpatialization(uint32_t listener, bool spatialized, const float* volumes) {
    SxMsgSetListenerSpatialization record;
    record.listener = listener;
    record.spatialized = spatialized;
    record.volumesPresent = volumes != nullptr;
    if (volumes) std::copy(volumes, volumes + 6, record.volumes);
    return Queue(record);
}

SXRESULT SetListenerPipeline(uint32_t listener, bool audio, bool motion) {
    SxMsgSetListenerPipeline record;
    record.listener = listener;
    record.audio = audio;
    record.motion = motion;
    return Queue(record);
}

SXRESULT SetListenerScalingFactor(uint32_t listener, float factor) {
    if (!(factor > 0.0f)) return SX_InvalidParameter;
    SxMsgTargetValue<SxMsg_SetListenerScaling> record;
    record.target = listener;
    record.value = factor;
    return Queue(record);
}

SXRESULT SetGameObjectEnvironmentsValues(SxGameObjectID gameObject, const SxEnvironmentValue* values, uint32_t count) {
    if (count > 4 || (count > 0 && !values)) return SX_InvalidParameter;
    for (uint32_t i = 0; i < count; ++i)
        for (uint32_t j = i + 1; j < count; ++j)
            if (values[i].environmentID == values[j].environmentID) return SX_InvalidParameter;
    SxMsgSetEnvironmentsValues record;
    record.gameObject = gameObject;
    record.count = count;
    std::copy(values, values + count, record.values);
    return Queue(record);
}

SXRESULT SetGameObjectDryLevelValue(SxGameObjectID gameObject, float level) {
    SxMsgTargetValue<SxMsg_SetDryLevel> record;
    record.target = gameObject;
    record.value = level;
    return Queue(record);
}

SXRESULT SetEnvironmentVolumes(SxUniqueID environment, const float volumes[6]) {
    if (!volumes) return SX_InvalidParameter;
    SxMsgSetEnvironmentVolumes record;
    record.environment = environment;
    std::copy(volumes, volumes + 6, record.volumes);
    return Queue(record);
}

SXRESULT BypassEnvironment(SxUniqueID environment, bool bypass) {
    SxMsgBypassEnvironment record;
    record.environment = environment;
    record.bypass = bypass;
    return Queue(record);
}

SXRESULT SetObjectObstructionAndOcclusion(SxGameObjectID gameObject, uint32_t listener, float obstruction,
                                          float occlusion) {
    SxMsgSetObstructionAndOcclusion record;
    record.gameObject = gameObject;
    record.listener = listener;
    record.obstruction = obstruction;
    record.occlusion = occlusion;
    return Queue(record);
}

SXRESULT SetAttenuationScalingFactor(SxGameObjectID gameObject, float factor) {
    if (!(factor > 0.0f)) return SX_InvalidParameter;
    SxMsgTargetValue<SxMsg_SetAttenuationScaling> record;
    record.target = gameObject;
    record.value = factor;
    return Queue(record);
}

namespace {
// Queues a record that holds a reference to the event; the reference goes when queuing fails.
template <typename Record>
SXRESULT QueueWithEvent(SxUniqueID eventID, Record& record) {
    if (!g_pAudioMgr) return SX_Fail;
    record.event = SxFindEventAndAddRef(eventID);
    if (!record.event) return SX_Fail;
    const SXRESULT result = Queue(record);
    if (result != SX_Success) record.event->Release();
    return result;
}
}  // namespace

SXRESULT ExecuteActionOnEvent(SxUniqueID event, SxActionOnEventKind kind, SxGameObjectID gameObject,
                              int32_t transitionMs, SxCurveInterpolation curve, SxPlayingID playingID) {
    SxMsgExecuteActionOnEvent record;
    record.gameObject = gameObject;
    record.kind = kind;
    record.transitionMs = transitionMs;
    record.curve = curve;
    record.playingID = playingID;
    return QueueWithEvent(event, record);
}

SXRESULT SeekOnEvent(SxUniqueID event, SxGameObjectID gameObject, int32_t positionMs, bool snapToMarker) {
    SxMsgSeekOnEvent record;
    record.gameObject = gameObject;
    record.position.positionMs = positionMs;
    record.snapToMarker = snapToMarker;
    return QueueWithEvent(event, record);
}

SXRESULT SeekOnEvent(SxUniqueID event, SxGameObjectID gameObject, float fraction, bool snapToMarker) {
    SxMsgSeekOnEvent record;
    record.gameObject = gameObject;
    record.position.fraction = fraction;
    record.isFraction = 1;
    record.snapToMarker = snapToMarker;
    return QueueWithEvent(event, record);
}

SxPlayingID PlaySourcePlugin(uint32_t pluginID, uint32_t companyID, SxGameObjectID gameObject) {
    SxMsgSourcePlugin record;
    record.gameObject = gameObject;
    record.playingID = ++g_playingIDCounter;
    record.pluginID = pluginID;
    record.companyID = companyID;
    return Queue(record) == SX_Success ? record.playingID : 0;
}

SXRESULT StopSourcePlugin(uint32_t pluginID, uint32_t companyID, SxPlayingID playingID) {
    SxMsgSourcePlugin record;
    record.playingID = playingID;
    record.pluginID = pluginID;
    record.companyID = companyID;
    record.stop = 1;
    return Queue(record);
}

SXRESULT SetEffect(SxUniqueID nodeID, uint32_t slot, SxUniqueID effectID) {
    SxMsgSetEffect record;
    record.nodeID = nodeID;
    record.slot = slot;
    record.effectID = effectID;
    return Queue(record);
}

SXRESULT SetPanningRule(uint32_t rule) {
    SxMsgSetPanningRule record;
    record.rule = rule;
    return Queue(record);
}

uint32_t GetPanningRule() {
    // The audio thread applies a queued rule under the audio lock.
    platform::Lock lock(g_csMain);
    return CSxLEngine::PanningRule();
}
uint32_t GetSpeakerConfiguration() { return CSxLEngine::ChannelMask(); }

SXRESULT AddBehavioralExtension(SxBehavioralExtension function) { return SxBehavioralExtensions::Add(function); }
SXRESULT RemoveBehavioralExtension(SxBehavioralExtension function) { return SxBehavioralExtensions::Remove(function); }

SXRESULT RegisterGlobalCallback(SxBehavioralExtension function) {
    platform::Lock lock(g_csMain);
    return SxBehavioralExtensions::Add(function);
}

SXRESULT UnregisterGlobalCallback(SxBehavioralExtension function) {
    platform::Lock lock(g_csMain);
    return SxBehavioralExtensions::Remove(function);
}

SXRESULT StopOutputCapture() { return static_cast<SXRESULT>(4); }

}  // namespace SX::SoundEngine

namespace SX::MotionEngine {

using SoundEngine::Queue;

namespace {
SXRESULT QueueDevice(uint8_t player, uint16_t companyID, uint16_t deviceID, void* initData, bool add) {
    SxMsgMotionPlayerDevice record;
    record.player = player;
    record.companyID = companyID;
    record.deviceID = deviceID;
    record.initData = initData;
    record.add = add;
    return Queue(record);
}
}  // namespace

SXRESULT AddPlayerMotionDevice(uint8_t player, uint16_t companyID, uint16_t deviceID, void* initData) {
    return QueueDevice(player, companyID, deviceID, initData, true);
}

SXRESULT RemovePlayerMotionDevice(uint8_t player, uint16_t companyID, uint16_t deviceID) {
    return QueueDevice(player, companyID, deviceID, nullptr, false);
}

SXRESULT SetPlayerListener(uint8_t player, uint8_t listener) {
    SxMsgMotionSetPlayerListener record;
    record.player = player;
    record.listener = listener;
    return Queue(record);
}

SXRESULT SetPlayerVolume(uint8_t player, float volumeDb) {
    SxMsgMotionSetPlayerVolume record;
    record.player = player;
    record.volumeDb = volumeDb;
    return Queue(record);
}

}  // namespace SX::MotionEngine
