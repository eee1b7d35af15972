#pragma once
// Start-up and shutdown of scripting: the Lua state with the standard libraries and the
// engine's bindings, the published script host, the Lua component manager, and the run of
// "InitLuaStuff.lua".
namespace SD {

class ConfigFile;
class LuaState;

// Opens and publishes the script host, creates the Lua component manager and runs
// "InitLuaStuff.lua" from the configured folder (a failing script is logged; start-up goes
// on). Constants, functions and classes added by higher layers must be added before this.
LuaState* OpenScripting(ConfigFile& config);
// Destroys the Lua component manager and the script host, which closes the state.
void CloseScripting();

}  // namespace SD
