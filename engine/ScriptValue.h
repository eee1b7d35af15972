#pragma once
// The form in which engine values reach scripts: a full userdata holding the object pointer and
// an owned flag, with the metatable of its script class. Only values made by scripts are owned.
//
// Lua raises its errors by a long jump through the C++ frames of a binding, so a binding makes
// every check that may raise (the Check* calls here, luaL_check*) before it creates any C++
// object with a destructor.
#include <cstdint>

struct lua_State;

namespace SD {

struct ScriptValue {
    void* object;
    uint32_t owned;
    // For values that live in a game object (the object, its transform, its components): the
    // owner's pool slot and generation when the value was made, so that a value kept after its
    // object is gone reads as null. Generation 0: not tracked.
    uint32_t ownerSlot;
    uint32_t ownerGeneration;
};

// Pushes a new userdata holding the object with the registry metatable `className` (none when
// that class is not registered).
ScriptValue* PushScriptValue(lua_State* L, void* object, const char* className, bool owned);

// The value at `index` when it is a userdata of class `className`; raises the standard argument
// error ("<class> expected, got <type>") otherwise.
ScriptValue* CheckScriptValue(lua_State* L, int index, const char* className);
// The same for any class registered as a component class.
ScriptValue* CheckComponentValue(lua_State* L, int index);
// The value at `index` when it is a userdata of class `className`, else null; never raises.
ScriptValue* ToScriptValueOf(lua_State* L, int index, const char* className);
// The value at `index` when it is a userdata of any registered script class, else null.
ScriptValue* ToScriptValue(lua_State* L, int index);

// Prints "Attempting to call '<class>::<method>' with this pointer being NULL." through
// LuaPrintf; returns the number of results to hand back (one nil when `returnsValue`).
int ReportNullThis(lua_State* L, const char* className, const char* method, bool returnsValue);

// A number argument rounded to the nearest integer (ties to even), held to the 32-bit range;
// a numeric string is converted, anything else is 0.
int32_t ScriptToInteger(lua_State* L, int index);

// The text of a string or number argument; prints "error: Argument %d is not a string value."
// and gives null for anything else.
const char* LuaCheckString(lua_State* L, int index);

}  // namespace SD
