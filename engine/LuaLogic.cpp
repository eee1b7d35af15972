#include "engine/LuaLogic.h"

#include <lua.hpp>

#include "engine/GameObject.h"
#include "engine/IDataStream.h"
#include "engine/IStream.h"
#include "engine/LuaComponentManager.h"
#include "engine/LuaState.h"
#include "engine/ObjectBindings.h"
#include "engine/SuperialValue.h"

namespace SD {
namespace {

double g_scriptTime = 0.0;

}  // namespace

double LuaLogic::GetScriptTime() { return g_scriptTime; }

LuaLogic::~LuaLogic() {
    if (listLink_.IsLinked()) VUnregister();
}

void LuaLogic::VReadData(Data::IDataStream& stream, int version) {
    if (version == 0) {
        stream.get(updateFunction_);
        initializeFunction_ = "nil";
    } else if (version == 1) {
        stream.get(initializeFunction_);
        stream.get(updateFunction_);
    }
}

void LuaLogic::VWriteData(Data::IDataStream& stream) {
    stream.write(initializeFunction_);
    stream.write(updateFunction_);
}

void LuaLogic::VWriteSuperial(SuperialValue* node, int) {
    if (!node) return;
    if (node->Type() == kSuperialNull) node->MakeObject();
    SuperialValue::AppendChild(node, kSuperialNull)->Assign(initializeFunction_, "Initialize Function", "String");
    SuperialValue::AppendChild(node, kSuperialNull)->Assign(updateFunction_, "Update Function", "String");
}

void LuaLogic::VReadSuperial(SuperialValue* node, bool byName) {
    if (!node || !node->IsContainer()) return;
    SuperialValue* init = node->FirstChild();
    SuperialValue* update = init ? init->Next() : nullptr;
    if (byName) {
        init = SuperialValue::FindChildByName(node, "Initialize Function");
        update = SuperialValue::FindChildByName(node, "Update Function");
    }
    if (init) initializeFunction_ = init->GetText();
    if (update) updateFunction_ = update->GetText();
}

void LuaLogic::VInitialize(bool) {
    if (GameObject* owner = GetOwner()) handle_ = owner->GetHandle();
    LuaState* host = GetLuaState();
    if (!host || initializeFunction_ == "nil") return;
    lua_State* L = host->L;
    int top = lua_gettop(L);
    PushRawGlobal(L, initializeFunction_.c_str());
    PushGameObject(L, GetOwner());
    if (lua_pcall(L, 1, 0, 0) != 0) ReportLuaError(L, initializeFunction_.c_str());
    lua_settop(L, top);
}

void LuaLogic::VUpdate(float dt) {
    g_scriptTime += dt;
    LuaState* host = GetLuaState();
    if (!host) return;
    lua_State* L = host->L;
    int top = lua_gettop(L);
    PushRawGlobal(L, updateFunction_.c_str());
    PushGameObject(L, GetOwner());
    lua_pushnumber(L, dt);
    if (lua_pcall(L, 2, 0, 0) != 0) ReportLuaError(L, updateFunction_.c_str());
    lua_settop(L, top);
}

void LuaLogic::VSerialize(IStream& stream, int) {
    stream.Serialize(initializeFunction_, "Initialize Function", "String");
    stream.Serialize(updateFunction_, "Update Function", "String");
}

void LuaLogic::VRegister() {
    if (LuaComponentManager* manager = LuaComponentManager::GetInstance()) manager->AddActiveObject(this);
}

void LuaLogic::VUnregister() {
    if (LuaComponentManager* manager = LuaComponentManager::GetInstance()) manager->RemoveActiveObject(this);
}

}  // namespace SD
