#pragma once
// Engine objects handed to scripts: references (never owned) with their class's metatable.
struct lua_State;

namespace SD {

class Component;
class GameObject;
class GameObjectHandle;
class Transform;
struct ScriptValue;

// A "GameObject" value; a null object gives a value that IsNil detects.
void PushGameObject(lua_State* L, GameObject* object);
// The component under the class of its registered name, or "Component" when no script class
// bears that name.
void PushComponent(lua_State* L, Component* component);
// The object, transform or component a value refers to; null when the value holds none or its
// object has been deleted since the value was made.
GameObject* LiveGameObject(const ScriptValue* value);
Transform* LiveTransform(const ScriptValue* value);
Component* LiveComponent(const ScriptValue* value);
// Whether the value refers to something alive (always, for untracked values with an object).
bool IsLiveValue(const ScriptValue* value);

// An owned copy of the handle that carries script fields of its own.
void PushGameObjectHandle(lua_State* L, const GameObjectHandle& handle);
// Gives "GameObjectHandle" values their own fields; called once the class is registered.
void RegisterHandleFieldAccess(lua_State* L);

}  // namespace SD
