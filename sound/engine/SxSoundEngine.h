#pragma once
// The sound engine's interface to the game: initialisation and termination, and the
// state-changing calls, each of which becomes a record on the audio manager's queue.
#include <atomic>
#include <cstdint>

#include "sound/engine/SxBehavioralExtensions.h"
#include "sound/engine/SxInitSettings.h"
#include "sound/engine/SxTypes.h"
#include "sound/engine/audio/SxExternalSources.h"
#include "sound/engine/audio/SxQueuedMsg.h"
#include "sound/engine/bank/SxBankCalls.h"
#include "sound/engine/playing/SxCallbackTypes.h"
#include "sound/engine/plugin/SxPluginTable.h"

namespace SX {
class CSxIndexable;
class ISxHircObjectReader;
class ISxStateHook;
// Performance-counter ticks per millisecond, set by Init.
extern float g_fTicksPerMs;
// Below this volume a voice is inaudible: linear and in dB.
extern float g_fVolumeThreshold;
extern float g_fVolumeThresholdDB;
// The most voices the upper renderer lets play: set on the game and bank threads, read on the
// audio thread. Init puts the default back.
constexpr uint16_t kDefaultMaxNumVoices = 256;
extern std::atomic<uint16_t> g_u16MaxNumVoices;
}  // namespace SX

namespace SX::SoundEngine {

void GetDefaultInitSettings(SxInitSettings& settings);
void GetDefaultPlatformInitSettings(SxPlatformInitSettings& settings);
// Either record may be null (defaults); the values used are written back into the records.
SXRESULT Init(SxInitSettings* settings, SxPlatformInitSettings* platformSettings);
// Safe after a failed Init or none.
void Term();
bool IsInitialized();

// Closes the batch of messages posted since the last call.
SXRESULT RenderAudio();

// The new playing ID, or 0 (unknown event, no engine, no memory for the external sources, the
// playing ID could not be registered, or the message could not be queued).
SxPlayingID PostEvent(SxUniqueID eventID, SxGameObjectID gameObject, uint32_t callbackFlags = 0,
                      SxCallbackFunc callback = nullptr, void* cookie = nullptr, uint32_t externalSourceCount = 0,
                      const SxExternalSourceInfo* externalSources = nullptr, SxPlayingID callerPlayingID = 0);
SxPlayingID PostEvent(const char* eventName, SxGameObjectID gameObject, uint32_t callbackFlags = 0,
                      SxCallbackFunc callback = nullptr, void* cookie = nullptr, uint32_t externalSourceCount = 0,
                      const SxExternalSourceInfo* externalSources = nullptr, SxPlayingID callerPlayingID = 0);
// Act at once, through the playing manager.
void CancelEventCallback(SxPlayingID playingID);
void CancelEventCallbackCookie(void* cookie);
// Where the playing ID's source is, in ms; SX_Fail (0 ms) when unknown.
SXRESULT GetSourcePlayPosition(SxPlayingID playingID, int32_t* positionMs, bool extrapolate = true);
// The music engine's hook, asked before a state change is applied; null: changes apply at once.
// A seam (the first installed stays); kept also while the engine is not initialised.
void SetStateHook(ISxStateHook* hook);
// Empties the seam only if `hook` is the one installed.
void RemoveStateHook(ISxStateHook* hook);
// The music engine's reader of the hierarchy records this engine does not read (types 10 to
// 13 and any unknown type); null: those records are refused. A seam, as above.
void SetHircObjectHook(ISxHircObjectReader* reader);
void RemoveHircObjectHook(ISxHircObjectReader* reader);
SXRESULT SetRTPCValue(SxUniqueID gameParameter, float value, SxGameObjectID gameObject = SxAllGameObjects,
                      int32_t transitionMs = 0, SxCurveInterpolation curve = SxCurve_Linear);
SXRESULT SetRTPCValue(const char* gameParameter, float value, SxGameObjectID gameObject = SxAllGameObjects,
                      int32_t transitionMs = 0, SxCurveInterpolation curve = SxCurve_Linear);
SXRESULT ResetRTPCValue(SxUniqueID gameParameter, SxGameObjectID gameObject = SxAllGameObjects,
                        int32_t transitionMs = 0, SxCurveInterpolation curve = SxCurve_Linear);
SXRESULT SetState(SxStateGroupID group, SxUniqueID state);
SXRESULT SetState(const char* group, const char* state);
// Used by the music engine: with skipNotification the state-change hook is not called.
SXRESULT SetStateInternal(SxStateGroupID group, SxUniqueID state, bool skipTransition, bool skipNotification);
SXRESULT SetSwitch(SxUniqueID switchGroup, SxUniqueID switchState, SxGameObjectID gameObject);
SXRESULT SetSwitch(const char* switchGroup, const char* switchState, SxGameObjectID gameObject);
SXRESULT PostTrigger(SxUniqueID trigger, SxGameObjectID gameObject = SxAllGameObjects);
SXRESULT PostTrigger(const char* trigger, SxGameObjectID gameObject = SxAllGameObjects);
SXRESULT RegisterGameObj(SxGameObjectID gameObject);
SXRESULT UnregisterGameObj(SxGameObjectID gameObject);
SXRESULT UnregisterAllGameObj();
SXRESULT SetPosition(SxGameObjectID gameObject, const SxSoundPosition& position, uint32_t listener = 0);
// At most 84 positions fit one record; more give SX_Fail.
SXRESULT SetMultiplePositions(SxGameObjectID gameObject, const SxSoundPosition* positions, uint16_t count,
                              uint32_t type);
SXRESULT SetActiveListeners(SxGameObjectID gameObject, uint32_t listenerMask);
SXRESULT SetListenerPosition(const SxListenerPosition& position, uint32_t listener = 0);
// volumes may be null: the listener keeps its speaker volumes.
SXRESULT SetListenerSpatialization(uint32_t listener, bool spatialized, const float* volumes);
SXRESULT SetListenerPipeline(uint32_t listener, bool audio, bool motion);
SXRESULT SetListenerScalingFactor(uint32_t listener, float factor);
// At most 4 values, each environment once.
SXRESULT SetGameObjectEnvironmentsValues(SxGameObjectID gameObject, const SxEnvironmentValue* values, uint32_t count);
SXRESULT SetGameObjectDryLevelValue(SxGameObjectID gameObject, float level);
SXRESULT SetEnvironmentVolumes(SxUniqueID environment, const float volumes[6]);
SXRESULT BypassEnvironment(SxUniqueID environment, bool bypass);
SXRESULT SetObjectObstructionAndOcclusion(SxGameObjectID gameObject, uint32_t listener, float obstruction,
                                          float occlusion);
SXRESULT SetAttenuationScalingFactor(SxGameObjectID gameObject, float factor);
// SX_Fail for an unknown event.
SXRESULT ExecuteActionOnEvent(SxUniqueID event, SxActionOnEventKind kind, SxGameObjectID gameObject = SxAllGameObjects,
                              int32_t transitionMs = 0, SxCurveInterpolation curve = SxCurve_Linear,
                              SxPlayingID playingID = 0);
SXRESULT SeekOnEvent(SxUniqueID event, SxGameObjectID gameObject, int32_t positionMs, bool snapToMarker = false);
SXRESULT SeekOnEvent(SxUniqueID event, SxGameObjectID gameObject, float fraction, bool snapToMarker = false);
// The new playing ID, or 0.
SxPlayingID PlaySourcePlugin(uint32_t pluginID, uint32_t companyID, SxGameObjectID gameObject);
SXRESULT StopSourcePlugin(uint32_t pluginID, uint32_t companyID, SxPlayingID playingID);
SXRESULT SetEffect(SxUniqueID nodeID, uint32_t slot, SxUniqueID effectID);
void StopAll(SxGameObjectID gameObject = SxAllGameObjects);
void StopPlayingID(SxPlayingID playingID, int32_t transitionMs = 0, SxCurveInterpolation curve = SxCurve_Linear);
// A new playing ID from the counter that posted events use (dynamic sequences take theirs).
SxPlayingID NextPlayingID();
SXRESULT SetPanningRule(uint32_t rule);
uint32_t GetPanningRule();
uint32_t GetSpeakerConfiguration();

// Settings owned by the caller of the lowest level: the game (0) over banks (2) over the
// defaults (3, restored by Init). A call of a higher level than the owner's is ignored.
SXRESULT SetVolumeThreshold(float db);
SXRESULT SetVolumeThresholdInternal(float db, uint32_t level);
SXRESULT SetMaxNumVoicesLimit(uint16_t count);
SXRESULT SetMaxNumVoicesLimitInternal(uint16_t count, uint32_t level);
void ResetSettingOwners();

// Extensions are meant for initialisation time; the global callbacks go into the same list
// under the global audio lock, so they may change while the audio thread runs.
SXRESULT AddBehavioralExtension(SxBehavioralExtension function);
SXRESULT RemoveBehavioralExtension(SxBehavioralExtension function);
SXRESULT RegisterGlobalCallback(SxBehavioralExtension function);
SXRESULT UnregisterGlobalCallback(SxBehavioralExtension function);
// Output capture is not part of this engine: always 4.
SXRESULT StopOutputCapture();

// FNV-1 of the name with ASCII capitals lowered, over at most 259 characters; 0 for null.
SxUniqueID GetIDFromString(const char* name);
SxUniqueID GetIDFromString(const wchar_t* name);

}  // namespace SX::SoundEngine

namespace SX::MotionEngine {

SXRESULT AddPlayerMotionDevice(uint8_t player, uint16_t companyID, uint16_t deviceID, void* initData);
SXRESULT RemovePlayerMotionDevice(uint8_t player, uint16_t companyID, uint16_t deviceID);
SXRESULT SetPlayerListener(uint8_t player, uint8_t listener);
SXRESULT SetPlayerVolume(uint8_t player, float volumeDb);

}  // namespace SX::MotionEngine
