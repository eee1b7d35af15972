#include "engine/ScriptHost.h"

#include <lua.hpp>

#include "engine/LuaComponentManager.h"
#include "engine/LuaState.h"
#include "engine/ScriptBindings.h"

namespace SD {
namespace {

LuaState* g_host = nullptr;
LuaComponentManager* g_manager = nullptr;

}  // namespace

LuaState* OpenScripting(ConfigFile& config) {
    CloseScripting();
    lua_State* L = luaL_newstate();
    g_host = new LuaState(L);
    luaL_openlibs(L);
    RegisterScriptBindings(L);
    g_host->ReadConfig(config);
    SetLuaState(g_host);
    g_manager = new LuaComponentManager(g_host);
    g_host->executeFile("InitLuaStuff.lua");
    return g_host;
}

void CloseScripting() {
    delete g_manager;
    g_manager = nullptr;
    if (GetLuaState() == g_host) SetLuaState(nullptr);
    delete g_host;
    g_host = nullptr;
}

}  // namespace SD
