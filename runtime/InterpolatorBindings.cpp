#include "runtime/InterpolatorBindings.h"

#include <lua.hpp>

#include "engine/ScriptValue.h"
#include "runtime/InterpolatorSystem.h"

namespace SD {
namespace {

constexpr const char* kClassName = "Interpolatorf";

InterpolatorF* Self(lua_State* L) { return static_cast<InterpolatorF*>(CheckScriptValue(L, 1, kClassName)->object); }

int IsComplete(lua_State* L) {
    InterpolatorF* self = Self(L);
    if (!self) return ReportNullThis(L, kClassName, "IsComplete", true);
    lua_pushboolean(L, self->IsComplete());
    return 1;
}

int GetValue(lua_State* L) {
    InterpolatorF* self = Self(L);
    if (!self) return ReportNullThis(L, kClassName, "GetValue", true);
    lua_pushnumber(L, self->GetValue());
    return 1;
}

// Arguments that are not numbers read as 0.
int Start(lua_State* L) {
    InterpolatorF* self = Self(L);
    if (!self) return ReportNullThis(L, kClassName, "Start", false);
    self->Start(static_cast<float>(lua_tonumber(L, 2)), static_cast<float>(lua_tonumber(L, 3)), lua_tonumber(L, 4));
    return 0;
}

const ScriptMethod kMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"IsComplete", IsComplete},
    {"GetValue", GetValue},
    {"Start", Start},
};

}  // namespace

const ScriptClass& InterpolatorScriptClass() {
    static const ScriptClass kClass = {kClassName, kMethods, sizeof kMethods / sizeof kMethods[0], false};
    return kClass;
}

}  // namespace SD
