#include "graphics/photon/SuperTrailScript.h"

#include <lua.hpp>

#include "engine/LuaState.h"
#include "engine/ObjectBindings.h"
#include "engine/ScriptBindings.h"
#include "engine/ScriptValue.h"
#include "graphics/photon/WindDustMotes.h"
#include "runtime/RuntimeScriptBindings.h"

namespace Aperture::Photon {
namespace {

constexpr const char* kClass = "PlayerSuperTrail";

PlayerSuperTrail* Self(lua_State* L) {
    const SD::ScriptValue* value = SD::ToScriptValueOf(L, 1, kClass);
    return value ? static_cast<PlayerSuperTrail*>(SD::LiveComponent(value)) : nullptr;
}

// Scripts index the fixed pool of motes: anything outside it is reported and ignored rather
// than reaching past the pool.
bool MoteIndex(lua_State* L, const char* method, uint32_t* index) {
    const int32_t i = SD::ScriptToInteger(L, 2);
    if (!lua_isnumber(L, 2) || i < 0 || i >= static_cast<int32_t>(WindDustMotes::kMotes)) {
        SD::LuaPrintf("error: '%s::%s' index %d is outside 0 to %u.\n", kClass, method, i, WindDustMotes::kMotes - 1);
        return false;
    }
    *index = static_cast<uint32_t>(i);
    return true;
}

int GetInterp(lua_State* L) {
    PlayerSuperTrail* trail = Self(L);
    if (!trail) return SD::ReportNullThis(L, kClass, "GetInterp", true);
    uint32_t i = 0;
    if (!MoteIndex(L, "GetInterp", &i)) {
        lua_pushnil(L);
        return 1;
    }
    SD::PushInterpolator(L, &trail->GetFade(i));
    return 1;
}

int InitParticle(lua_State* L) {
    PlayerSuperTrail* trail = Self(L);
    if (!trail) return SD::ReportNullThis(L, kClass, "InitParticle", false);
    uint32_t i = 0;
    if (MoteIndex(L, "InitParticle", &i)) trail->InitParticle(i);
    return 0;
}

int GetParticleCount(lua_State* L) {
    PlayerSuperTrail* trail = Self(L);
    if (!trail) return SD::ReportNullThis(L, kClass, "GetParticleCount", true);
    lua_pushnumber(L, trail->GetParticleCount());
    return 1;
}

int GetVertices(lua_State* L) {
    PlayerSuperTrail* trail = Self(L);
    if (!trail) return SD::ReportNullThis(L, kClass, "GetVertices", true);
    uint32_t i = 0;
    if (!MoteIndex(L, "GetVertices", &i)) {
        lua_pushnil(L);
        return 1;
    }
    SD::PushScriptValue(L, trail->GetExtras(i), "VertexData", false);
    return 1;
}

const SD::ScriptMethod kMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"GetInterp", GetInterp},
    {"InitParticle", InitParticle},
    {"GetParticleCount", GetParticleCount},
    {"GetVertices", GetVertices},
};

const SD::ScriptMethod kVertexDataMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
};

}  // namespace

const SD::ScriptClass& PlayerSuperTrailScriptClass() {
    static const SD::ScriptClass record{kClass, kMethods, sizeof kMethods / sizeof kMethods[0], true};
    return record;
}

const SD::ScriptClass& VertexDataScriptClass() {
    static const SD::ScriptClass record{"VertexData", kVertexDataMethods, 2, false};
    return record;
}

}  // namespace Aperture::Photon
