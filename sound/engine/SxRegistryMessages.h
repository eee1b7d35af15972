#pragma once
// The reader side of the messages about registered game objects: they go to the registry.
namespace SX {

class CSxAudioMgr;

// Installs the handlers of the game-object messages and the registered-object check of posted
// events.
void InstallRegistryHandlers(CSxAudioMgr& audioMgr);

}  // namespace SX
