#include "game/editor/LevelEditorScript.h"

#include <lua.hpp>

#include "engine/MathBindings.h"
#include "engine/ScriptBindings.h"
#include "engine/ScriptValue.h"
#include "game/editor/LevelEditor.h"

namespace QV {
namespace {

constexpr const char* kClass = "LevelEditor";

LevelEditor* Self(lua_State* L) { return static_cast<LevelEditor*>(SD::CheckScriptValue(L, 1, kClass)->object); }

int GetInstance(lua_State* L) {
    SD::PushScriptValue(L, &LevelEditor::GetInstance(), kClass, false);
    return 1;
}

int VName(lua_State* L) {
    LevelEditor* editor = Self(L);
    if (!editor) return SD::ReportNullThis(L, kClass, "VName", true);
    lua_pushstring(L, editor->GetName());
    return 1;
}

int GetCurrentViewMode(lua_State* L) {
    LevelEditor* editor = Self(L);
    if (!editor) return SD::ReportNullThis(L, kClass, "GetCurrentViewMode", true);
    lua_pushnumber(L, editor->GetCameraSlotIndex());
    return 1;
}

int GetPlayerSpawnPos(lua_State* L) {
    LevelEditor* editor = Self(L);
    if (!editor) return SD::ReportNullThis(L, kClass, "GetPlayerSpawnPos", true);
    SD::PushVec3(L, editor->GetPlayerSpawnPos());
    return 1;
}

int GetPlayerSpawnEulerAngles(lua_State* L) {
    LevelEditor* editor = Self(L);
    if (!editor) return SD::ReportNullThis(L, kClass, "GetPlayerSpawnEulerAngles", true);
    SD::PushVec3(L, editor->GetPlayerSpawnAngles());
    return 1;
}

const SD::ScriptMethod kMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"GetInstance", GetInstance},
    {"VName", VName},
    {"GetCurrentViewMode", GetCurrentViewMode},
    {"GetPlayerSpawnPos", GetPlayerSpawnPos},
    {"GetPlayerSpawnEulerAngles", GetPlayerSpawnEulerAngles},
};

}  // namespace

const SD::ScriptClass& LevelEditorScriptClass() {
    static const SD::ScriptClass record{kClass, kMethods, sizeof kMethods / sizeof kMethods[0], false};
    return record;
}

}  // namespace QV
