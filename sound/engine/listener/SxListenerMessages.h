#pragma once
// The audio thread's handlers of the listener calls of the sound engine's API.
namespace SX {

class CSxAudioMgr;

void InstallListenerHandlers(CSxAudioMgr& mgr);

}  // namespace SX
