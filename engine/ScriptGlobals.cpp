// The global script functions of the engine: get_parent, random, frandom, drandom and IsNil.
#include <lua.hpp>

#include "core/Random.h"
#include "engine/GameObject.h"
#include "engine/ObjectBindings.h"
#include "engine/ScriptBuiltins.h"
#include "engine/ScriptValue.h"

namespace SD {
namespace {

int GetParent(lua_State* L) {
    GameObject* object = LiveGameObject(CheckScriptValue(L, 1, "GameObject"));
    PushGameObject(L, object ? object->GetParent() : nullptr);
    return 1;
}

// The bounds as unsigned values, so a negative bound counts from the top of the range; the
// result is read back as a signed 32-bit integer.
int Random(lua_State* L) {
    auto a = static_cast<uint32_t>(ScriptToInteger(L, 1));
    auto b = static_cast<uint32_t>(ScriptToInteger(L, 2));
    lua_pushnumber(L, static_cast<int32_t>(RandomInt(a, b)));
    return 1;
}

int FRandom(lua_State* L) {
    auto a = static_cast<float>(lua_tonumber(L, 1));
    auto b = static_cast<float>(lua_tonumber(L, 2));
    lua_pushnumber(L, RandomFloat(a, b));
    return 1;
}

int DRandom(lua_State* L) {
    lua_pushnumber(L, RandomDouble(lua_tonumber(L, 1), lua_tonumber(L, 2)));
    return 1;
}

// True for nil, a null light userdata and an engine value without a live object; an argument of
// any other kind is an error.
int IsNil(lua_State* L) {
    int type = lua_type(L, 1);
    if (type == LUA_TNIL || type == LUA_TNONE) {
        lua_pushboolean(L, 1);
    } else if (type == LUA_TLIGHTUSERDATA) {
        lua_pushboolean(L, lua_touserdata(L, 1) == nullptr);
    } else if (ScriptValue* value = ToScriptValue(L, 1)) {
        lua_pushboolean(L, !IsLiveValue(value));
    } else {
        return luaL_argerror(L, 1, lua_pushfstring(L, "engine value expected, got %s", luaL_typename(L, 1)));
    }
    return 1;
}

const ScriptMethod kGlobals[] = {
    {"get_parent", GetParent}, {"random", Random}, {"frandom", FRandom}, {"drandom", DRandom}, {"IsNil", IsNil},
};

}  // namespace

const ScriptMethod* ScriptGlobalFunctions(size_t* count) {
    *count = sizeof kGlobals / sizeof kGlobals[0];
    return kGlobals;
}

}  // namespace SD
