#include "engine/LuaComponentManager.h"

#include <lua.hpp>

#include "core/Logger.h"
#include "engine/LuaLogic.h"
#include "engine/LuaState.h"
#include "engine/ObjectBindings.h"

namespace SD {
namespace {

LuaComponentManager* g_manager = nullptr;

// Pushes ActiveLuaGameObjects.objects; false (nothing pushed) when either is missing.
bool PushObjectsTable(lua_State* L) {
    PushRawGlobal(L, "ActiveLuaGameObjects");
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        return false;
    }
    lua_pushstring(L, "objects");
    lua_rawget(L, -2);
    lua_remove(L, -2);
    if (lua_istable(L, -1)) return true;
    lua_pop(L, 1);
    return false;
}

}  // namespace

LuaComponentManager::LuaComponentManager(LuaState* host) : host_(host) { g_manager = this; }

LuaComponentManager::~LuaComponentManager() {
    active_.Clear();
    if (g_manager == this) g_manager = nullptr;
}

LuaComponentManager* LuaComponentManager::GetInstance() { return g_manager; }

void LuaComponentManager::AddActiveObject(LuaLogic* logic) {
    if (!logic->listLink_.IsLinked()) active_.PushBack(logic);
    if (!host_ || !host_->L) return;
    lua_State* L = host_->L;
    int top = lua_gettop(L);
    if (PushObjectsTable(L)) {
        PushGameObjectHandle(L, logic->GetObjectHandle());
        int reference = luaL_ref(L, -2);
        logic->SetReference(reference);
        lua_rawgeti(L, -1, reference);
        PushRawGlobal(L, logic->UpdateFunction().c_str());
        lua_setfield(L, -2, "update");
    }
    lua_settop(L, top);
}

void LuaComponentManager::RemoveActiveObject(LuaLogic* logic) {
    if (host_ && host_->L && logic->GetReference() != LuaLogic::kNoReference) {
        lua_State* L = host_->L;
        int top = lua_gettop(L);
        if (PushObjectsTable(L)) luaL_unref(L, -1, logic->GetReference());
        lua_settop(L, top);
    }
    logic->SetReference(LuaLogic::kNoReference);
    active_.Remove(logic);
}

void LuaComponentManager::Update(float dt) {
    if (!host_ || !host_->L) return;
    lua_State* L = host_->L;
    int top = lua_gettop(L);
    PushRawGlobal(L, "ActiveLuaGameObjects");
    if (!lua_istable(L, -1)) {
        lua_settop(L, top);
        return;
    }
    lua_pushstring(L, "update");
    lua_rawget(L, -2);
    lua_pushvalue(L, -2);
    lua_pushnumber(L, dt);
    if (lua_pcall(L, 2, 0, 0) != 0) {
        const char* message = lua_tostring(L, -1);
        const std::string text = std::string("Error updating ActiveLuaGameObjects.  ") + (message ? message : "");
        if (host_->FirstReport(text))
            SD_WARNING(Debug::kLogData, "%s (a repeat of this failure is not logged)", text.c_str());
        lua_pop(L, 1);
    }
    lua_settop(L, top);
}

}  // namespace SD
