#pragma once
// Registers with the factory the creators of the two script-driven component classes,
// "LuaLogic" and "LuaComponent".
namespace SD {

class Factory_;

void RegisterLuaComponentCreators(Factory_& factory);

}  // namespace SD
