#pragma once
// The script class "LevelEditor": scripts read the player's spawn point the editor loaded or
// stored, and which editor camera is in use.

namespace SD {
struct ScriptClass;
}

namespace QV {

const SD::ScriptClass& LevelEditorScriptClass();

}  // namespace QV
