#pragma once
// Connects the object hierarchy to the audio manager: posted events are found in the index's
// event table, the upper renderer and the lower engine's commands run in every audio frame,
// and the messages that act on what plays (stop all, stop a playing ID, actions and seeks on
// an event) reach the nodes.
#include "sound/engine/SxTypes.h"

namespace SX {

class CSxAudioMgr;

// The thresholds are the memory thresholds of the default pool and of the lower engine's.
SXRESULT SxInitHierarchy(CSxAudioMgr& mgr, float defaultPoolThreshold, float lowerEngineThreshold);
// Ends what plays.
void SxTermHierarchy();

}  // namespace SX
