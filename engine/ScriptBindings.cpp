#include "engine/ScriptBindings.h"

#include <cstring>
#include <memory>
#include <vector>

#include "engine/ComponentID.h"
#include "engine/ObjectBindings.h"
#include "engine/ScriptBuiltins.h"

namespace SD {

const char* const kClassMetatablesKey = "SD.ScriptClassMetatables";
const char* const kComponentMetatablesKey = "SD.ScriptComponentMetatables";

namespace {

struct FunctionRecord {
    const char* name;
    lua_CFunction function;
};

struct Lists {
    std::vector<const ScriptClass*> classes;
    std::vector<FunctionRecord> functions;
    std::vector<std::unique_ptr<IConstantType>> constants;
};

Lists& GetLists() {
    static Lists lists;
    return lists;
}

bool IsMetamethodName(const char* name) {
    static const char* const kNames[] = {"__add", "__sub", "__mul",  "__div", "__pow",      "__lt",
                                         "__le",  "__eq",  "__call", "__unm", "__tostring", "__len"};
    for (const char* candidate : kNames) {
        if (std::strcmp(name, candidate) == 0) return true;
    }
    return false;
}

// Adds the metatable on top of the stack to the registry set `setName`.
void AddToSet(lua_State* L, const char* setName) {
    lua_getfield(L, LUA_REGISTRYINDEX, setName);
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        lua_newtable(L);
        lua_pushvalue(L, -1);
        lua_setfield(L, LUA_REGISTRYINDEX, setName);
    }
    lua_pushvalue(L, -2);
    lua_pushboolean(L, 1);
    lua_rawset(L, -3);
    lua_pop(L, 1);
}

}  // namespace

void IConstantType::Register(lua_State* L) const {
    lua_pushnumber(L, value_);
    lua_setglobal(L, name_.c_str());
}

void AddScriptClass(const ScriptClass& record) { GetLists().classes.push_back(&record); }

void AddScriptFunction(const char* name, lua_CFunction function) { GetLists().functions.push_back({name, function}); }

void AddScriptConstant(const std::string& name, int value) {
    GetLists().constants.push_back(std::make_unique<IConstantType>(name, value));
}

void RegisterScriptClass(lua_State* L, const ScriptClass& record) {
    lua_newtable(L);                    // T
    luaL_newmetatable(L, record.name);  // M
    lua_pushvalue(L, -2);
    lua_setglobal(L, record.name);
    lua_pushvalue(L, -2);
    lua_setfield(L, -2, "__metatable");
    lua_pushvalue(L, -2);
    lua_setfield(L, -2, "__index");
    AddToSet(L, kClassMetatablesKey);
    if (record.component) AddToSet(L, kComponentMetatablesKey);
    if (record.count >= 1 && record.methods[0].function) {
        lua_pushcfunction(L, record.methods[0].function);
        lua_setfield(L, -2, "__gc");
    }
    if (record.count >= 2 && record.methods[1].function) {
        lua_newtable(L);  // X, the class table's metatable
        lua_pushcfunction(L, record.methods[1].function);
        lua_setfield(L, -4, "new");
        lua_pushcfunction(L, record.methods[1].function);
        lua_setfield(L, -2, "__call");
        lua_setmetatable(L, -3);
    }
    for (size_t i = 2; i < record.count; ++i) {
        const ScriptMethod& method = record.methods[i];
        lua_pushcfunction(L, method.function);
        lua_setfield(L, IsMetamethodName(method.name) ? -2 : -3, method.name);
    }
    lua_pop(L, 2);
}

void RegisterScriptBindings(lua_State* L) {
    for (size_t i = 0; i < ComponentIDConstantCount(); ++i) {
        const ComponentIDConstant& constant = ComponentIDConstants()[i];
        ConstantType<ComponentID>(constant.name, constant.value).Register(L);
    }
    for (const auto& constant : GetLists().constants) constant->Register(L);

    size_t count = 0;
    const ScriptMethod* globals = ScriptGlobalFunctions(&count);
    for (size_t i = 0; i < count; ++i) {
        lua_pushcfunction(L, globals[i].function);
        lua_setglobal(L, globals[i].name);
    }
    for (const FunctionRecord& record : GetLists().functions) {
        lua_pushcfunction(L, record.function);
        lua_setglobal(L, record.name);
    }

    for (auto classes : {VectorScriptClasses, MatrixScriptClasses, ObjectScriptClasses}) {
        const ScriptClass* records = classes(&count);
        for (size_t i = 0; i < count; ++i) RegisterScriptClass(L, records[i]);
    }
    RegisterScriptClass(L, FactoryScriptClass());
    RegisterHandleFieldAccess(L);
    for (const ScriptClass* record : GetLists().classes) RegisterScriptClass(L, *record);
}

}  // namespace SD
