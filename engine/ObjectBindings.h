#pragma once
// Engine objects handed to scripts: references (never owned) with their class's metatable.
struct lua_State;

namespace SD {

class Component;
class GameObject;
class GameObjectHandle;

// A "GameObject" value; a null object gives a value that IsNil detects.
void PushGameObject(lua_State* L, GameObject* object);
// The component under the class of its registered name, or "Component" when no script class
// bears that name.
void PushComponent(lua_State* L, Component* component);
// An owned copy of the handle that carries script fields of its own.
void PushGameObjectHandle(lua_State* L, const GameObjectHandle& handle);
// Gives "GameObjectHandle" values their own fields; called once the class is registered.
void RegisterHandleFieldAccess(lua_State* L);

}  // namespace SD
