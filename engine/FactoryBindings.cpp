// The script class Factory_: the factory singleton, objects by blueprint and by name, and the
// registered names of component IDs.
#include <lua.hpp>

#include "engine/Factory.h"
#include "engine/ObjectBindings.h"
#include "engine/ScriptBuiltins.h"
#include "engine/ScriptValue.h"

namespace SD {
namespace {

Factory_* SelfFactory(lua_State* L) { return static_cast<Factory_*>(CheckScriptValue(L, 1, "Factory_")->object); }

int Null(lua_State* L, const char* method) { return ReportNullThis(L, "Factory_", method, true); }

int VName(lua_State* L) {
    Factory_* factory = SelfFactory(L);
    if (!factory) return Null(L, "VName");
    lua_pushstring(L, factory->GetName());
    return 1;
}

// An ID outside the table gives the empty string.
int GetComponentName(lua_State* L) {
    Factory_* factory = SelfFactory(L);
    int32_t id = ScriptToInteger(L, 2);
    if (!factory) return Null(L, "GetComponentName");
    if (id < 0 || id >= static_cast<int32_t>(CID_Total)) {
        lua_pushstring(L, "");
        return 1;
    }
    const std::string& name = factory->GetComponentName(static_cast<ComponentID>(id));
    lua_pushlstring(L, name.data(), name.size());
    return 1;
}

int GetGameObject(lua_State* L) {
    Factory_* factory = SelfFactory(L);
    const char* name = lua_type(L, 2) == LUA_TSTRING || lua_type(L, 2) == LUA_TNUMBER ? lua_tostring(L, 2) : nullptr;
    if (!factory) return Null(L, "GetGameObject");
    PushGameObject(L, name ? factory->GetGameObject(std::string(name)) : nullptr);
    return 1;
}

// A blueprint name that is neither a string nor a number creates nothing.
int CreateObject(lua_State* L) {
    Factory_* factory = SelfFactory(L);
    const char* name = lua_type(L, 2) == LUA_TSTRING || lua_type(L, 2) == LUA_TNUMBER ? lua_tostring(L, 2) : nullptr;
    GameObject* parent = LiveGameObject(CheckScriptValue(L, 3, "GameObject"));
    if (!factory) return Null(L, "CreateObject");
    PushGameObject(L, name ? factory->CreateObject(name, parent) : nullptr);
    return 1;
}

int GetInstance(lua_State* L) {
    PushScriptValue(L, Factory_::GetInstance(), "Factory_", false);
    return 1;
}

const ScriptMethod kMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"VName", VName},
    {"GetComponentName", GetComponentName},
    {"GetGameObject", GetGameObject},
    {"CreateObject", CreateObject},
    {"GetInstance", GetInstance},
};

}  // namespace

const ScriptClass& FactoryScriptClass() {
    static const ScriptClass kClass = {"Factory_", kMethods, sizeof kMethods / sizeof kMethods[0], false};
    return kClass;
}

}  // namespace SD
