#include "game/hud/HudScript.h"

#include <lua.hpp>

#include "engine/ObjectBindings.h"
#include "engine/ScriptBindings.h"
#include "engine/ScriptValue.h"
#include "game/hud/HudSystem.h"

namespace QV {
namespace {

constexpr const char* kClass = "HudSystem";

HudSystem* Self(lua_State* L) { return static_cast<HudSystem*>(SD::CheckScriptValue(L, 1, kClass)->object); }

int GetInstance(lua_State* L) {
    SD::PushScriptValue(L, HudSystem::GetInstance(), kClass, false);
    return 1;
}

int CreateHud(lua_State* L) {
    HudSystem* hud = Self(L);
    if (!hud) return SD::ReportNullThis(L, kClass, "CreateHud", true);
    const char* name = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : nullptr;
    SD::PushGameObject(L, name ? hud->CreateHud(name) : nullptr);
    return 1;
}

int ChangeRes(lua_State* L) {
    HudSystem* hud = Self(L);
    if (!hud) return SD::ReportNullThis(L, kClass, "ChangeRes", false);
    hud->ChangeRes(SD::LiveGameObject(SD::CheckScriptValue(L, 2, "GameObject")));
    return 0;
}

const SD::ScriptMethod kMethods[] = {
    {"__gc", nullptr},        {"__call", nullptr},      {"GetInstance", GetInstance},
    {"CreateHud", CreateHud}, {"ChangeRes", ChangeRes},
};

}  // namespace

const SD::ScriptClass& HudScriptClass() {
    static const SD::ScriptClass record{kClass, kMethods, sizeof kMethods / sizeof kMethods[0], false};
    return record;
}

}  // namespace QV
