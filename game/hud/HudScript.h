#pragma once
// The script class "HudSystem": scripts open HUDs by name and switch the resolution for a
// resolution entry's object.

namespace SD {
struct ScriptClass;
}

namespace QV {

const SD::ScriptClass& HudScriptClass();

}  // namespace QV
