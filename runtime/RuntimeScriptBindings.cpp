// The script classes Window_, GameStateManager_, Level, Interpolatorf and Kinect, and the call
// that adds every runtime class to the script tables.
#include "runtime/RuntimeScriptBindings.h"

#include <lua.hpp>

#include "engine/Level.h"
#include "engine/ScriptBindings.h"
#include "engine/ScriptValue.h"
#include "runtime/GameStateManager.h"
#include "runtime/InputCodes.h"
#include "runtime/InterpolatorSystem.h"
#include "runtime/Kinect.h"
#include "runtime/Window.h"

namespace SD {
namespace {

template <class T>
T* Self(lua_State* L, const char* className) {
    return static_cast<T*>(CheckScriptValue(L, 1, className)->object);
}

// ---- Window_ -----------------------------------------------------------------------------

int WindowGetInstance(lua_State* L) {
    PushScriptValue(L, Window_::GetInstance(), "Window_", false);
    return 1;
}

int WindowGetFullscreen(lua_State* L) {
    auto* window = Self<Window_>(L, "Window_");
    if (!window) return ReportNullThis(L, "Window_", "GetFullscreen", true);
    lua_pushboolean(L, window->GetFullscreen());
    return 1;
}

const ScriptMethod kWindowMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"GetFullscreen", WindowGetFullscreen},
    {"GetInstance", WindowGetInstance},
};

// ---- GameStateManager_ -------------------------------------------------------------------

int StatesGetInstance(lua_State* L) {
    PushScriptValue(L, GameStateManager_::GetInstance(), "GameStateManager_", false);
    return 1;
}

// The state made pending, or a null "Level" value when the name changed nothing or was "Quit";
// a name that is no text prints an argument error and changes nothing.
int StatesChangeLevelTo(lua_State* L) {
    auto* states = Self<GameStateManager_>(L, "GameStateManager_");
    const char* name = LuaCheckString(L, 2);
    if (!states) return ReportNullThis(L, "GameStateManager_", "ChangeLevelTo", true);
    Level* level = name ? states->ChangeLevelTo(name) : nullptr;
    PushScriptValue(L, level, "Level", false);
    return 1;
}

// Scripts only ever resume play; any argument is ignored.
int StatesSetPlayState(lua_State* L) {
    auto* states = Self<GameStateManager_>(L, "GameStateManager_");
    if (!states) return ReportNullThis(L, "GameStateManager_", "SetPlayState", false);
    states->SetPlayState(GameStateManager_::kPlay);
    return 0;
}

int StatesQuit(lua_State* L) {
    auto* states = Self<GameStateManager_>(L, "GameStateManager_");
    if (!states) return ReportNullThis(L, "GameStateManager_", "Quit", false);
    states->Quit();
    return 0;
}

const ScriptMethod kStatesMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"GetInstance", StatesGetInstance},
    {"ChangeLevelTo", StatesChangeLevelTo},
    {"SetPlayState", StatesSetPlayState},
    {"Quit", StatesQuit},
};

const ScriptMethod kLevelMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
};

// ---- Interpolatorf -----------------------------------------------------------------------

int InterpolatorIsComplete(lua_State* L) {
    auto* interpolator = Self<InterpolatorF>(L, "Interpolatorf");
    if (!interpolator) return ReportNullThis(L, "Interpolatorf", "IsComplete", true);
    lua_pushboolean(L, interpolator->IsComplete());
    return 1;
}

int InterpolatorGetValue(lua_State* L) {
    auto* interpolator = Self<InterpolatorF>(L, "Interpolatorf");
    if (!interpolator) return ReportNullThis(L, "Interpolatorf", "GetValue", true);
    lua_pushnumber(L, interpolator->GetValue());
    return 1;
}

int InterpolatorStart(lua_State* L) {
    auto* interpolator = Self<InterpolatorF>(L, "Interpolatorf");
    auto from = static_cast<float>(lua_tonumber(L, 2));
    auto to = static_cast<float>(lua_tonumber(L, 3));
    double duration = lua_tonumber(L, 4);
    if (!interpolator) return ReportNullThis(L, "Interpolatorf", "Start", false);
    interpolator->Start(from, to, duration);
    return 0;
}

const ScriptMethod kInterpolatorMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"IsComplete", InterpolatorIsComplete},
    {"GetValue", InterpolatorGetValue},
    {"Start", InterpolatorStart},
};

// ---- Kinect ------------------------------------------------------------------------------

int KinectGetInstance(lua_State* L) {
    PushScriptValue(L, Kinect_::GetInstance(), "Kinect", false);
    return 1;
}

// The angle in whole degrees; the sensor system holds it to its tilt range.
int KinectTiltSetAngle(lua_State* L) {
    auto* kinect = Self<Kinect_>(L, "Kinect");
    int32_t angle = ScriptToInteger(L, 2);
    if (!kinect) return ReportNullThis(L, "Kinect", "TiltSetAngle", false);
    kinect->SetElevation(angle);
    return 0;
}

const ScriptMethod kKinectMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"GetInstance", KinectGetInstance},
    {"TiltSetAngle", KinectTiltSetAngle},
};

template <size_t N>
constexpr ScriptClass EngineClass(const char* name, const ScriptMethod (&methods)[N]) {
    return {name, methods, N, false};
}

const ScriptClass kClasses[] = {
    EngineClass("Level", kLevelMethods),    EngineClass("Interpolatorf", kInterpolatorMethods),
    EngineClass("Window_", kWindowMethods), EngineClass("GameStateManager_", kStatesMethods),
    EngineClass("Kinect", kKinectMethods),
};

}  // namespace

void AddRuntimeScriptClasses() {
    static bool added = false;
    if (added) return;
    added = true;
    AddScriptClass(InputScriptClass());
    for (const ScriptClass& record : kClasses) AddScriptClass(record);
    for (const InputKeyConstant& c : InputKeyConstants()) AddScriptConstant(c.name, c.value);
}

void PushInterpolator(lua_State* L, InterpolatorF* interpolator) {
    PushScriptValue(L, interpolator, "Interpolatorf", false);
}

}  // namespace SD
