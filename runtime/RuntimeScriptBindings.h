#pragma once
// The script classes of the runtime systems: Input_, Window_, GameStateManager_ with the Level
// values it hands out, Interpolatorf and Kinect. Systems reach scripts as values that the
// script never owns.
struct lua_State;

namespace SD {

template <class T>
class Interpolator;
using InterpolatorF = Interpolator<float>;
struct ScriptClass;

// Adds the runtime classes and the input-code constants to the lists that
// RegisterScriptBindings walks; call it before scripting is opened. Later calls add nothing.
void AddRuntimeScriptClasses();

// Hands an interpolator owned by engine or game code to a script as an "Interpolatorf" value.
void PushInterpolator(lua_State* L, InterpolatorF* interpolator);

// The class record of "Input_".
const ScriptClass& InputScriptClass();

}  // namespace SD
