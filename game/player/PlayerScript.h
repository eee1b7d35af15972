#pragma once
// Script classes of the player's vehicle ("PlayerLogic"), the follow camera
// ("VernholmCameraLogic") and the game's audio options ("AudioLogic_").
namespace SD {
struct ScriptClass;
}

namespace QV {

const SD::ScriptClass& PlayerScriptClass();
const SD::ScriptClass& VernholmCameraScriptClass();
const SD::ScriptClass& AudioLogicScriptClass();

}  // namespace QV
