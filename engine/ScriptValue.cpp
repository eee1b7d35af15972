#include "engine/ScriptValue.h"

#include <lua.hpp>

#include <cmath>

#include "engine/LuaState.h"
#include "engine/ScriptBindings.h"

namespace SD {
namespace {

// Whether the metatable on top of the stack is in the registry set `setName`; pops it.
bool PopMetatableIsIn(lua_State* L, const char* setName) {
    lua_getfield(L, LUA_REGISTRYINDEX, setName);
    if (!lua_istable(L, -1)) {
        lua_pop(L, 2);
        return false;
    }
    lua_pushvalue(L, -2);
    lua_rawget(L, -2);
    bool found = lua_toboolean(L, -1) != 0;
    lua_pop(L, 3);
    return found;
}

ScriptValue* FullValue(lua_State* L, int index) {
    if (lua_type(L, index) != LUA_TUSERDATA || lua_objlen(L, index) != sizeof(ScriptValue)) return nullptr;
    return static_cast<ScriptValue*>(lua_touserdata(L, index));
}

int RaiseTypeError(lua_State* L, int index, const char* expected) {
    const char* message = lua_pushfstring(L, "%s expected, got %s", expected, luaL_typename(L, index));
    return luaL_argerror(L, index, message);
}

}  // namespace

ScriptValue* PushScriptValue(lua_State* L, void* object, const char* className, bool owned) {
    auto* value = static_cast<ScriptValue*>(lua_newuserdata(L, sizeof(ScriptValue)));
    value->object = object;
    value->owned = owned ? 1u : 0u;
    value->ownerSlot = 0;
    value->ownerGeneration = 0;
    luaL_getmetatable(L, className);
    if (lua_istable(L, -1)) {
        lua_setmetatable(L, -2);
    } else {
        lua_pop(L, 1);
    }
    return value;
}

ScriptValue* ToScriptValueOf(lua_State* L, int index, const char* className) {
    ScriptValue* value = FullValue(L, index);
    if (value && lua_getmetatable(L, index)) {
        luaL_getmetatable(L, className);
        bool same = lua_rawequal(L, -1, -2) != 0;
        lua_pop(L, 2);
        if (same) return value;
    }
    return nullptr;
}

ScriptValue* CheckScriptValue(lua_State* L, int index, const char* className) {
    ScriptValue* value = ToScriptValueOf(L, index, className);
    if (!value) RaiseTypeError(L, index, className);
    return value;
}

ScriptValue* CheckComponentValue(lua_State* L, int index) {
    ScriptValue* value = FullValue(L, index);
    if (value && lua_getmetatable(L, index) && PopMetatableIsIn(L, kComponentMetatablesKey)) return value;
    RaiseTypeError(L, index, "Component");
    return nullptr;
}

ScriptValue* ToScriptValue(lua_State* L, int index) {
    ScriptValue* value = FullValue(L, index);
    if (value && lua_getmetatable(L, index) && PopMetatableIsIn(L, kClassMetatablesKey)) return value;
    return nullptr;
}

int ReportNullThis(lua_State* L, const char* className, const char* method, bool returnsValue) {
    LuaPrintf("Attempting to call '%s::%s' with this pointer being NULL.\n", className, method);
    if (!returnsValue) return 0;
    lua_pushnil(L);
    return 1;
}

int32_t ScriptToInteger(lua_State* L, int index) {
    double value = lua_tonumber(L, index);
    if (value != value) return 0;
    value = std::nearbyint(value);
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int32_t>(value);
}

const char* LuaCheckString(lua_State* L, int index) {
    int type = lua_type(L, index);
    if (type == LUA_TSTRING || type == LUA_TNUMBER) return lua_tostring(L, index);
    LuaPrintf("error: Argument %d is not a string value.\n", index);
    return nullptr;
}

}  // namespace SD
