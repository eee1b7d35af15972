#include "graphics/components/LightScript.h"

#include <lua.hpp>

#include "core/Vector.h"
#include "engine/MathBindings.h"
#include "engine/ObjectBindings.h"
#include "engine/ScriptBindings.h"
#include "engine/ScriptValue.h"
#include "graphics/components/Light.h"

namespace Aperture {
namespace {

// A nil or stale light argument is reported, never raised: level scripts call these on
// objects that may have gone.
Light* Self(lua_State* L) {
    const SD::ScriptValue* value = SD::ToScriptValueOf(L, 1, "Light");
    return value ? static_cast<Light*>(SD::LiveComponent(value)) : nullptr;
}

int Null(lua_State* L, const char* method, bool returnsValue) {
    return SD::ReportNullThis(L, "Light", method, returnsValue);
}

const SD::Vec4* VectorArgument4(lua_State* L) {
    return static_cast<const SD::Vec4*>(SD::CheckScriptValue(L, 2, "Vec4")->object);
}

const SD::Vec3* VectorArgument3(lua_State* L) {
    return static_cast<const SD::Vec3*>(SD::CheckScriptValue(L, 2, "Vec3")->object);
}

template <void (Light::*Setter)(float)>
int SetFloat(lua_State* L, const char* method) {
    const float value = static_cast<float>(luaL_checknumber(L, 2));
    Light* light = Self(L);
    if (!light) return Null(L, method, false);
    (light->*Setter)(value);
    return 0;
}

template <float (Light::*Getter)() const>
int GetFloat(lua_State* L, const char* method) {
    Light* light = Self(L);
    if (!light) return Null(L, method, true);
    lua_pushnumber(L, (light->*Getter)());
    return 1;
}

int GetID(lua_State* L) {
    lua_pushinteger(L, SD::CID_Light);
    return 1;
}

int SetType(lua_State* L) {
    const int type = SD::ScriptToInteger(L, 2);
    Light* light = Self(L);
    if (!light) return Null(L, "SetType", false);
    light->SetType(type);
    return 0;
}

int SetColor(lua_State* L) {
    const SD::Vec4* c = VectorArgument4(L);
    Light* light = Self(L);
    if (!light) return Null(L, "SetColor", false);
    if (c) light->SetColor(c->x, c->y, c->z, c->w);
    return 0;
}

int SetDirection(lua_State* L) {
    const SD::Vec3* d = VectorArgument3(L);
    Light* light = Self(L);
    if (!light) return Null(L, "SetDirection", false);
    if (d) light->SetDirection(d->x, d->y, d->z);
    return 0;
}

int GetType(lua_State* L) {
    Light* light = Self(L);
    if (!light) return Null(L, "GetType", true);
    lua_pushinteger(L, light->GetType());
    return 1;
}

int GetColor(lua_State* L) {
    Light* light = Self(L);
    if (!light) return Null(L, "GetColor", true);
    SD::PushVec4(L, light->GetColor());
    return 1;
}

int Base(lua_State* L) {
    Light* light = Self(L);
    if (!light) return Null(L, "Base", true);
    SD::PushGameObject(L, light->GetOwner());
    return 1;
}

int VGetID(lua_State* L) {
    Light* light = Self(L);
    if (!light) return Null(L, "VGetID", true);
    lua_pushinteger(L, light->VGetID());
    return 1;
}

int SetInnerAngle(lua_State* L) { return SetFloat<&Light::SetInnerAngle>(L, "SetInnerAngle"); }
int SetOuterAngle(lua_State* L) { return SetFloat<&Light::SetOuterAngle>(L, "SetOuterAngle"); }
int SetAttenNear(lua_State* L) { return SetFloat<&Light::SetAttenNear>(L, "SetAttenNear"); }
int SetAttenFar(lua_State* L) { return SetFloat<&Light::SetAttenFar>(L, "SetAttenFar"); }
int SetR(lua_State* L) { return SetFloat<&Light::SetLightColorR>(L, "SetLightColorR"); }
int SetG(lua_State* L) { return SetFloat<&Light::SetLightColorG>(L, "SetLightColorG"); }
int SetB(lua_State* L) { return SetFloat<&Light::SetLightColorB>(L, "SetLightColorB"); }
int SetA(lua_State* L) { return SetFloat<&Light::SetLightColorA>(L, "SetLightColorA"); }
int GetR(lua_State* L) { return GetFloat<&Light::GetLightColorR>(L, "GetLightColorR"); }
int GetG(lua_State* L) { return GetFloat<&Light::GetLightColorG>(L, "GetLightColorG"); }
int GetB(lua_State* L) { return GetFloat<&Light::GetLightColorB>(L, "GetLightColorB"); }
int GetA(lua_State* L) { return GetFloat<&Light::GetLightColorA>(L, "GetLightColorA"); }
int GetAttenNear(lua_State* L) { return GetFloat<&Light::GetAttenNear>(L, "GetAttenNear"); }
int GetAttenFar(lua_State* L) { return GetFloat<&Light::GetAttenFar>(L, "GetAttenFar"); }

const SD::ScriptMethod kMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"GetID", GetID},
    {"SetType", SetType},
    {"SetColor", SetColor},
    {"SetDirection", SetDirection},
    {"SetInnerAngle", SetInnerAngle},
    {"SetOuterAngle", SetOuterAngle},
    {"SetAttenNear", SetAttenNear},
    {"SetAttenFar", SetAttenFar},
    {"GetType", GetType},
    {"GetColor", GetColor},
    {"GetLightColorR", GetR},
    {"GetLightColorG", GetG},
    {"GetLightColorB", GetB},
    {"GetLightColorA", GetA},
    {"SetLightColorR", SetR},
    {"SetLightColorG", SetG},
    {"SetLightColorB", SetB},
    {"SetLightColorA", SetA},
    {"GetAttenNear", GetAttenNear},
    {"GetAttenFar", GetAttenFar},
    {"Base", Base},
    {"VGetID", VGetID},
};

}  // namespace

const SD::ScriptClass& LightScriptClass() {
    static const SD::ScriptClass record{"Light", kMethods, sizeof kMethods / sizeof kMethods[0], true};
    return record;
}

}  // namespace Aperture
