#pragma once
// The reader side of the dynamic sequences' messages: the game object a sequence plays on,
// and the commands the game gives it.
namespace SX {

class CSxAudioMgr;

void SxInstallDynamicSequenceHandlers(CSxAudioMgr& mgr);

}  // namespace SX
