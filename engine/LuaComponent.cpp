#include "engine/LuaComponent.h"

#include <lua.hpp>

#include "engine/IStream.h"
#include "engine/LuaState.h"
#include "engine/ObjectBindings.h"

namespace SD {

LuaComponent::List& LuaComponent::GetRegistered() {
    static List registered;
    return registered;
}

LuaComponent::~LuaComponent() { GetRegistered().Remove(this); }

void LuaComponent::VInitialize(bool) {
    LuaDoFile(luaFile_.c_str());
    LuaState* host = GetLuaState();
    if (!host) return;
    lua_State* L = host->L;
    PushRawGlobal(L, initializeFunction_.c_str());
    PushGameObject(L, GetOwner());
    if (lua_pcall(L, 1, 0, 0) != 0) ReportLuaError(L, initializeFunction_.c_str());
}

void LuaComponent::VSerialize(IStream& stream, int) {
    stream.Serialize(luaFile_, "Lua File", "String");
    stream.Serialize(initializeFunction_, "Initialize Function", "String");
    stream.Serialize(updateFunction_, "Update Function", "String");
}

void LuaComponent::VUpdate(float dt) { CallLuaObjectFunction(updateFunction_.c_str(), GetOwner(), dt); }

void LuaComponent::VOnRegistered() {
    if (!luaLink_.IsLinked()) GetRegistered().PushBack(this);
}

void LuaComponent::VOnUnregistered() { GetRegistered().Remove(this); }

void CallLuaObjectFunction(const char* name, GameObject* object, float dt) {
    LuaState* host = GetLuaState();
    if (!host) return;
    lua_State* L = host->L;
    PushRawGlobal(L, name);
    PushGameObject(L, object);
    lua_pushnumber(L, dt);
    if (lua_pcall(L, 2, 0, 0) != 0) ReportLuaError(L, name);
}

void ReloadLuaComponentScripts() {
    LuaComponent::GetRegistered().ForEach([](LuaComponent* component) { LuaDoFile(component->LuaFile().c_str()); });
}

}  // namespace SD
