#pragma once
// The sound engine's interface to the game: initialisation and termination, and the
// state-changing calls, each of which becomes a record on the audio manager's queue.
#include <cstdint>

#include "sound/engine/SxBehavioralExtensions.h"
#include "sound/engine/SxInitSettings.h"
#include "sound/engine/SxTypes.h"

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

// The new playing ID, or 0 (unknown event, no engine, or the message could not be queued).
SxPlayingID PostEvent(SxUniqueID eventID, SxGameObjectID gameObject, SxPlayingID callerPlayingID = 0);
SxPlayingID PostEvent(const char* eventName, SxGameObjectID gameObject, SxPlayingID callerPlayingID = 0);
SXRESULT SetRTPCValue(SxUniqueID gameParameter, float value, SxGameObjectID gameObject = SxAllGameObjects,
                      int32_t transitionMs = 0, SxCurveInterpolation curve = SxCurve_Linear);
SXRESULT SetState(SxStateGroupID group, SxUniqueID state);
SXRESULT SetSwitch(SxUniqueID switchGroup, SxUniqueID switchState, SxGameObjectID gameObject);
SXRESULT RegisterGameObj(SxGameObjectID gameObject);
SXRESULT UnregisterGameObj(SxGameObjectID gameObject);
SXRESULT UnregisterAllGameObj();
SXRESULT SetPosition(SxGameObjectID gameObject, const SxSoundPosition& position, uint32_t listener = 0);
// At most 84 positions fit one record; more give SX_Fail.
SXRESULT SetMultiplePositions(SxGameObjectID gameObject, const SxSoundPosition* positions, uint16_t count,
                              uint32_t type);
void StopAll(SxGameObjectID gameObject = SxAllGameObjects);
void StopPlayingID(SxPlayingID playingID, int32_t transitionMs = 0, SxCurveInterpolation curve = SxCurve_Linear);
SXRESULT SetPanningRule(uint32_t rule);
uint32_t GetPanningRule();
uint32_t GetSpeakerConfiguration();

SXRESULT AddBehavioralExtension(SxBehavioralExtension function);
SXRESULT RemoveBehavioralExtension(SxBehavioralExtension function);

// FNV-1 of the name with ASCII capitals lowered, over at most 259 characters; 0 for null.
SxUniqueID GetIDFromString(const char* name);
SxUniqueID GetIDFromString(const wchar_t* name);

}  // namespace SX::SoundEngine
