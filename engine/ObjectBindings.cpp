// The script classes Component, Transform, GameObject and GameObjectHandle.
#include <lua.hpp>

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/MathBindings.h"
#include "engine/ObjectBindings.h"
#include "engine/ScriptBuiltins.h"
#include "engine/ScriptValue.h"

namespace SD {
namespace {

// Records the owner's slot so the value can be checked later.
void TrackOwner(ScriptValue* value, GameObject* owner) {
    if (!owner) return;
    value->ownerSlot = owner->GetHandle().GetIndex();
    value->ownerGeneration = owner->GetHandle().GetGeneration();
}

// The owner recorded in the value when it is still alive; null when it is gone. Values without
// a recorded owner give `untracked`.
GameObject* RecordedOwner(const ScriptValue* value, GameObject* untracked, bool* tracked) {
    *tracked = value->ownerGeneration != 0;
    if (!*tracked) return untracked;
    Factory_* factory = Factory_::GetInstance();
    return factory ? factory->GetPool().Resolve(value->ownerSlot, value->ownerGeneration) : nullptr;
}

void PushTransform(lua_State* L, Transform* transform) {
    ScriptValue* value = PushScriptValue(L, transform, "Transform", false);
    if (transform) TrackOwner(value, transform->GetOwner());
}

// ---- Component ---------------------------------------------------------------------------

int ComponentBase(lua_State* L) {
    Component* component = LiveComponent(CheckComponentValue(L, 1));
    if (!component) return ReportNullThis(L, "Component", "Base", true);
    PushGameObject(L, component->GetOwner());
    return 1;
}

int ComponentGetID(lua_State* L) {
    Component* component = LiveComponent(CheckComponentValue(L, 1));
    if (!component) return ReportNullThis(L, "Component", "VGetID", true);
    lua_pushnumber(L, component->VGetID());
    return 1;
}

const ScriptMethod kComponentMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"Base", ComponentBase},
    {"VGetID", ComponentGetID},
};

// ---- Transform ---------------------------------------------------------------------------

Transform* SelfTransform(lua_State* L) { return LiveTransform(CheckScriptValue(L, 1, "Transform")); }

int TransformNull(lua_State* L, const char* method, bool returnsValue) {
    return ReportNullThis(L, "Transform", method, returnsValue);
}

int TransformGetID(lua_State* L) {
    lua_pushnumber(L, 0);
    return 1;
}

int TransformGetOrient(lua_State* L) {
    Transform* t = SelfTransform(L);
    if (!t) return TransformNull(L, "GetOrient", true);
    PushMtx33(L, t->GetOrient());
    return 1;
}

int TransformSetOrient(lua_State* L) {
    Transform* t = SelfTransform(L);
    auto* m = static_cast<Mtx33*>(CheckScriptValue(L, 2, "Mtx33")->object);
    if (!t) return TransformNull(L, "SetOrient", false);
    if (m) t->SetOrient(*m);
    return 0;
}

template <Vec3 (*Get)(Transform&), const char* Name>
int TransformGetVector(lua_State* L) {
    Transform* t = SelfTransform(L);
    if (!t) return TransformNull(L, Name, true);
    PushVec3(L, Get(*t));
    return 1;
}

template <void (Transform::*Set)(const Vec3&), const char* Name>
int TransformSetVector(lua_State* L) {
    Transform* t = SelfTransform(L);
    auto* v = static_cast<Vec3*>(CheckScriptValue(L, 2, "Vec3")->object);
    if (!t) return TransformNull(L, Name, false);
    if (v) (t->*Set)(*v);
    return 0;
}

template <float (Transform::*Get)() const, const char* Name>
int TransformGetFloat(lua_State* L) {
    Transform* t = SelfTransform(L);
    if (!t) return TransformNull(L, Name, true);
    lua_pushnumber(L, (t->*Get)());
    return 1;
}

template <void (Transform::*Set)(float), const char* Name>
int TransformSetFloat(lua_State* L) {
    Transform* t = SelfTransform(L);
    auto value = static_cast<float>(lua_tonumber(L, 2));
    if (!t) return TransformNull(L, Name, false);
    (t->*Set)(value);
    return 0;
}

int TransformBase(lua_State* L) {
    Transform* t = SelfTransform(L);
    if (!t) return TransformNull(L, "Base", true);
    PushGameObject(L, t->GetOwner());
    return 1;
}

Vec3 WorldPos(Transform& t) { return t.GetPos(); }
Vec3 Right(Transform& t) { return t.GetRight(); }
Vec3 Up(Transform& t) { return t.GetUp(); }
Vec3 Dir(Transform& t) { return t.GetDir(); }
Vec3 FakeVel(Transform& t) { return t.GetFakeVel(); }

constexpr char kGetPos[] = "GetPos", kGetRight[] = "GetRight", kGetUp[] = "GetUp", kGetDir[] = "GetDir",
               kGetFakeVel[] = "GetFakeVel", kSetPos[] = "SetPos", kSetScale[] = "SetScale";
constexpr char kGetPosX[] = "GetPosX", kGetPosY[] = "GetPosY", kGetPosZ[] = "GetPosZ", kSetPosX[] = "SetPosX",
               kSetPosY[] = "SetPosY", kSetPosZ[] = "SetPosZ";
constexpr char kGetScaleX[] = "GetScaleX", kGetScaleY[] = "GetScaleY", kGetScaleZ[] = "GetScaleZ",
               kSetScaleX[] = "SetScaleX", kSetScaleY[] = "SetScaleY", kSetScaleZ[] = "SetScaleZ";
constexpr char kGetRotateX[] = "GetRotateX", kGetRotateY[] = "GetRotateY", kGetRotateZ[] = "GetRotateZ",
               kSetRotateX[] = "SetRotateX", kSetRotateY[] = "SetRotateY", kSetRotateZ[] = "SetRotateZ";
constexpr char kRotX[] = "RotateLocalXRad", kRotY[] = "RotateLocalYRad", kRotZ[] = "RotateLocalZRad";

const ScriptMethod kTransformMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"GetID", TransformGetID},
    {"GetOrient", TransformGetOrient},
    {"SetOrient", TransformSetOrient},
    {"GetPos", TransformGetVector<WorldPos, kGetPos>},
    {"GetRight", TransformGetVector<Right, kGetRight>},
    {"GetUp", TransformGetVector<Up, kGetUp>},
    {"GetDir", TransformGetVector<Dir, kGetDir>},
    {"SetPos", TransformSetVector<&Transform::SetPos, kSetPos>},
    {"SetScale", TransformSetVector<&Transform::SetScale, kSetScale>},
    {"GetPosX", TransformGetFloat<&Transform::GetPosX, kGetPosX>},
    {"GetPosY", TransformGetFloat<&Transform::GetPosY, kGetPosY>},
    {"GetPosZ", TransformGetFloat<&Transform::GetPosZ, kGetPosZ>},
    {"SetPosX", TransformSetFloat<&Transform::SetPosX, kSetPosX>},
    {"SetPosY", TransformSetFloat<&Transform::SetPosY, kSetPosY>},
    {"SetPosZ", TransformSetFloat<&Transform::SetPosZ, kSetPosZ>},
    {"GetScaleX", TransformGetFloat<&Transform::GetScaleX, kGetScaleX>},
    {"GetScaleY", TransformGetFloat<&Transform::GetScaleY, kGetScaleY>},
    {"GetScaleZ", TransformGetFloat<&Transform::GetScaleZ, kGetScaleZ>},
    {"SetScaleX", TransformSetFloat<&Transform::SetScaleX, kSetScaleX>},
    {"SetScaleY", TransformSetFloat<&Transform::SetScaleY, kSetScaleY>},
    {"SetScaleZ", TransformSetFloat<&Transform::SetScaleZ, kSetScaleZ>},
    {"GetRotateX", TransformGetFloat<&Transform::GetRotateX, kGetRotateX>},
    {"GetRotateY", TransformGetFloat<&Transform::GetRotateY, kGetRotateY>},
    {"GetRotateZ", TransformGetFloat<&Transform::GetRotateZ, kGetRotateZ>},
    {"SetRotateX", TransformSetFloat<&Transform::SetRotateX, kSetRotateX>},
    {"SetRotateY", TransformSetFloat<&Transform::SetRotateY, kSetRotateY>},
    {"SetRotateZ", TransformSetFloat<&Transform::SetRotateZ, kSetRotateZ>},
    {"GetFakeVel", TransformGetVector<FakeVel, kGetFakeVel>},
    {"RotateLocalXRad", TransformSetFloat<&Transform::RotateLocalXRad, kRotX>},
    {"RotateLocalYRad", TransformSetFloat<&Transform::RotateLocalYRad, kRotY>},
    {"RotateLocalZRad", TransformSetFloat<&Transform::RotateLocalZRad, kRotZ>},
    {"Base", TransformBase},
    {"VGetID", TransformGetID},
};

// ---- GameObject --------------------------------------------------------------------------

GameObject* SelfObject(lua_State* L) { return LiveGameObject(CheckScriptValue(L, 1, "GameObject")); }

int ObjectNull(lua_State* L, const char* method, bool returnsValue) {
    return ReportNullThis(L, "GameObject", method, returnsValue);
}

int ObjectInitialize(lua_State* L) {
    GameObject* object = SelfObject(L);
    bool flag = lua_toboolean(L, 2) != 0;
    if (!object) return ObjectNull(L, "Initialize", false);
    object->Initialize(flag);
    return 0;
}

template <void (GameObject::*Action)(), const char* Name>
int ObjectAction(lua_State* L) {
    GameObject* object = SelfObject(L);
    if (!object) return ObjectNull(L, Name, false);
    (object->*Action)();
    return 0;
}

int ObjectGetName(lua_State* L) {
    GameObject* object = SelfObject(L);
    if (!object) return ObjectNull(L, "GetName", true);
    lua_pushlstring(L, object->GetName().data(), object->GetName().size());
    return 1;
}

int ObjectGetBlueprintName(lua_State* L) {
    GameObject* object = SelfObject(L);
    if (!object) return ObjectNull(L, "GetBlueprintName", true);
    lua_pushlstring(L, object->GetBlueprintName().data(), object->GetBlueprintName().size());
    return 1;
}

int ObjectGetObjectId(lua_State* L) {
    GameObject* object = SelfObject(L);
    if (!object) return ObjectNull(L, "GetObjectId", true);
    lua_pushnumber(L, object->GetObjectId());
    return 1;
}

int ObjectSave(lua_State* L) {
    GameObject* object = SelfObject(L);
    int type = lua_type(L, 2);
    const char* name = type == LUA_TSTRING || type == LUA_TNUMBER ? lua_tostring(L, 2) : nullptr;
    if (!object) return ObjectNull(L, "Save", true);
    Factory_* factory = Factory_::GetInstance();
    lua_pushboolean(L, factory && factory->SaveObject(object, name));
    return 1;
}

int ObjectNameObject(lua_State* L) {
    GameObject* object = SelfObject(L);
    const char* name = LuaCheckString(L, 2);
    if (!object) return ObjectNull(L, "NameObject", false);
    if (name) object->NameObject(name);
    return 0;
}

int ObjectGetComponent(lua_State* L) {
    GameObject* object = SelfObject(L);
    int32_t id = ScriptToInteger(L, 2);
    if (!object) return ObjectNull(L, "GetComponent", true);
    Component* component =
        id >= 0 && id < static_cast<int32_t>(CID_Total) ? object->GetComponent(static_cast<ComponentID>(id)) : nullptr;
    if (!component) {
        lua_pushnil(L);
        return 1;
    }
    PushComponent(L, component);
    return 1;
}

int ObjectGetTransform(lua_State* L) {
    GameObject* object = SelfObject(L);
    if (!object) return ObjectNull(L, "GetTransform", true);
    PushTransform(L, &object->GetTransform());
    return 1;
}

constexpr char kSleep[] = "Sleep", kAwake[] = "Awake", kDestroy[] = "Destroy", kDestroyEntity[] = "DestroyEntity",
               kUnname[] = "UnnameObject";

const ScriptMethod kGameObjectMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"Initialize", ObjectInitialize},
    {"Sleep", ObjectAction<&GameObject::Sleep, kSleep>},
    {"Awake", ObjectAction<&GameObject::Awake, kAwake>},
    {"GetName", ObjectGetName},
    {"GetObjectId", ObjectGetObjectId},
    {"Destroy", ObjectAction<&GameObject::Destroy, kDestroy>},
    {"DestroyEntity", ObjectAction<&GameObject::DestroyEntity, kDestroyEntity>},
    {"Save", ObjectSave},
    {"NameObject", ObjectNameObject},
    {"UnnameObject", ObjectAction<&GameObject::UnnameObject, kUnname>},
    {"GetBlueprintName", ObjectGetBlueprintName},
    {"GetComponent", ObjectGetComponent},
    {"GetTransform", ObjectGetTransform},
};

// ---- GameObjectHandle --------------------------------------------------------------------
// A handle value owns its copy of the handle and keeps script fields of its own in its
// environment table, so scripts can hang data and functions on it (`handle.update = f`).

int HandleGc(lua_State* L) {
    ScriptValue* value = ToScriptValueOf(L, 1, "GameObjectHandle");
    if (!value) return 0;
    if (value->owned) delete static_cast<GameObjectHandle*>(value->object);
    value->object = nullptr;
    return 0;
}

int HandleGetGameObject(lua_State* L) {
    auto* handle = static_cast<GameObjectHandle*>(CheckScriptValue(L, 1, "GameObjectHandle")->object);
    if (!handle) return ReportNullThis(L, "GameObjectHandle", "GetGameObject", true);
    PushScriptValue(L, handle->get(), "GameObject", false);
    return 1;
}

int HandleIsValid(lua_State* L) {
    auto* handle = static_cast<GameObjectHandle*>(CheckScriptValue(L, 1, "GameObjectHandle")->object);
    lua_pushboolean(L, handle && handle->get());
    return 1;
}

// Own fields first, then the methods of the class table.
int HandleIndex(lua_State* L) {
    lua_getfenv(L, 1);
    if (lua_istable(L, -1)) {
        lua_pushvalue(L, 2);
        lua_rawget(L, -2);
        if (!lua_isnil(L, -1)) return 1;
        lua_pop(L, 1);
    }
    lua_pop(L, 1);
    luaL_getmetatable(L, "GameObjectHandle");
    lua_getfield(L, -1, "__metatable");
    if (!lua_istable(L, -1)) return 0;
    lua_pushvalue(L, 2);
    lua_rawget(L, -2);
    return 1;
}

int HandleNewIndex(lua_State* L) {
    lua_getfenv(L, 1);
    if (!lua_istable(L, -1)) return luaL_error(L, "GameObjectHandle value has no field table");
    lua_pushvalue(L, 2);
    lua_pushvalue(L, 3);
    lua_rawset(L, -3);
    return 0;
}

const ScriptMethod kHandleMethods[] = {
    {"__gc", HandleGc},
    {"__call", nullptr},
    {"GetGameObject", HandleGetGameObject},
    {"IsValid", HandleIsValid},
};

}  // namespace

GameObject* LiveGameObject(const ScriptValue* value) {
    auto* object = static_cast<GameObject*>(value->object);
    bool tracked = false;
    GameObject* owner = RecordedOwner(value, object, &tracked);
    return owner == object ? object : nullptr;
}

Transform* LiveTransform(const ScriptValue* value) {
    auto* transform = static_cast<Transform*>(value->object);
    bool tracked = false;
    GameObject* owner = RecordedOwner(value, nullptr, &tracked);
    if (!tracked) return transform;
    return owner && &owner->GetTransform() == transform ? transform : nullptr;
}

Component* LiveComponent(const ScriptValue* value) {
    auto* component = static_cast<Component*>(value->object);
    bool tracked = false;
    GameObject* owner = RecordedOwner(value, nullptr, &tracked);
    if (!tracked) return component;
    if (!owner) return nullptr;
    if (&owner->GetTransform() == component) return component;
    for (Component* c : owner->GetComponents()) {
        if (c == component) return component;
    }
    return nullptr;
}

bool IsLiveValue(const ScriptValue* value) {
    if (!value->object) return false;
    if (value->ownerGeneration == 0) return true;
    return LiveGameObject(value) || LiveComponent(value);
}

void PushComponent(lua_State* L, Component* component) {
    const char* className = component && component->VGetID() == CID_Transform ? "Transform" : "Component";
    Factory_* factory = Factory_::GetInstance();
    if (factory && component && component->VGetID() != CID_Transform) {
        const std::string& name = factory->GetComponentName(component->VGetID());
        luaL_getmetatable(L, name.c_str());
        if (lua_istable(L, -1)) className = name.c_str();
        lua_pop(L, 1);
    }
    ScriptValue* value = PushScriptValue(L, component, className, false);
    if (component) TrackOwner(value, component->GetOwner());
}

void PushGameObject(lua_State* L, GameObject* object) {
    ScriptValue* value = PushScriptValue(L, object, "GameObject", false);
    TrackOwner(value, object);
}

void PushGameObjectHandle(lua_State* L, const GameObjectHandle& handle) {
    ScriptValue* value = PushScriptValue(L, nullptr, "GameObjectHandle", true);
    value->object = new GameObjectHandle(handle);
    lua_newtable(L);
    lua_setfenv(L, -2);
}

void RegisterHandleFieldAccess(lua_State* L) {
    luaL_getmetatable(L, "GameObjectHandle");
    lua_pushcfunction(L, HandleIndex);
    lua_setfield(L, -2, "__index");
    lua_pushcfunction(L, HandleNewIndex);
    lua_setfield(L, -2, "__newindex");
    lua_pop(L, 1);
}

const ScriptClass* ObjectScriptClasses(size_t* count) {
    static const ScriptClass kClasses[] = {
        {"Component", kComponentMethods, sizeof kComponentMethods / sizeof kComponentMethods[0], true},
        {"Transform", kTransformMethods, sizeof kTransformMethods / sizeof kTransformMethods[0], true},
        {"GameObject", kGameObjectMethods, sizeof kGameObjectMethods / sizeof kGameObjectMethods[0], false},
        {"GameObjectHandle", kHandleMethods, sizeof kHandleMethods / sizeof kHandleMethods[0], false},
    };
    *count = sizeof kClasses / sizeof kClasses[0];
    return kClasses;
}

}  // namespace SD
