#pragma once
// The engine's own script bindings, registered by RegisterScriptBindings.
#include <cstddef>

#include "engine/ScriptBindings.h"

namespace SD {

// The global functions get_parent, random, frandom, drandom and IsNil.
const ScriptMethod* ScriptGlobalFunctions(size_t* count);
// Vec2, Vec3 and Vec4.
const ScriptClass* VectorScriptClasses(size_t* count);
// Mtx33 and Mtx44.
const ScriptClass* MatrixScriptClasses(size_t* count);
// Component, Transform, GameObject and GameObjectHandle.
const ScriptClass* ObjectScriptClasses(size_t* count);
const ScriptClass& FactoryScriptClass();

}  // namespace SD
