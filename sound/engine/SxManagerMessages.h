#pragma once
// The reader side of the messages that the engine-wide managers apply: game objects go to the
// registry, game parameters and switches to the game-parameter manager, states and triggers to
// the state manager, environment volumes and bypass to the environments manager.
namespace SX {

class CSxAudioMgr;

// Installs the handlers of those messages and the registered-object check of posted events.
void InstallManagerHandlers(CSxAudioMgr& audioMgr);

}  // namespace SX
