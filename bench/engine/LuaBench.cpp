// Script calls from the engine: a trivial global function through the signature interface
// beside the same call made by hand, and one frame of a thousand Lua components.
#include <benchmark/benchmark.h>
#include <lua.hpp>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "engine/ComponentCreator.h"
#include "engine/ComponentManager.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/LuaComponent.h"
#include "engine/LuaLogic.h"
#include "engine/LuaState.h"
#include "engine/ScriptBindings.h"

namespace {

class Host {
public:
    Host() : host(luaL_newstate()) {
        luaL_openlibs(host.L);
        SD::RegisterScriptBindings(host.L);
        SD::SetLuaState(&host);
    }
    ~Host() { SD::SetLuaState(nullptr); }
    SD::LuaState host;
};

void BM_CallGlobalFunction(benchmark::State& state) {
    Host lua;
    lua.host.executeString("function add(a, b) return a + b end");
    double sum = 0.0;
    for (auto _ : state) {
        double r = 0.0;
        lua.host.executeFunction("add", "nn:n", 1.0, 2.0, &r);
        sum += r;
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CallGlobalFunction);

// The anchor: the same call made by hand on the raw state.
void BM_CallGlobalFunctionAnchor_Raw(benchmark::State& state) {
    Host lua;
    lua.host.executeString("function add(a, b) return a + b end");
    lua_State* L = lua.host.L;
    double sum = 0.0;
    for (auto _ : state) {
        lua_getfield(L, LUA_GLOBALSINDEX, "add");
        lua_pushnumber(L, 1.0);
        lua_pushnumber(L, 2.0);
        if (lua_pcall(L, 2, 1, 0) == 0) sum += lua_tonumber(L, -1);
        lua_pop(L, 1);
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CallGlobalFunctionAnchor_Raw);

// One component manager frame over Lua components whose update moves their object.
void BM_LuaComponentFrame(benchmark::State& state) {
    char pattern[] = "/tmp/qvbench-lua-XXXXXX";
    std::string folder = mkdtemp(pattern) ? pattern : "/tmp";
    const std::string script = folder + "/mover.lua";
    if (FILE* f = std::fopen(script.c_str(), "w")) {
        std::fputs(
            "function MoverInit(o) end\n"
            "function MoverUpdate(o, dt) local t = o:GetTransform() t:SetPosX(t:GetPosX() + dt) end\n",
            f);
        std::fclose(f);
    }
    Host lua;
    lua.host.SetFolder(folder + "/");
    SD::ComponentManager_ components;
    const auto count = static_cast<uint32_t>(state.range(0));
    {
        SD::Factory_ factory(count + 1);
        factory.RegisterComponentCreator("Transform", SD::CID_Transform, new SD::ComponentCreator<SD::Transform>);
        factory.RegisterComponentCreator("LuaLogic", SD::CID_LuaLogic, new SD::ComponentCreator<SD::LuaLogic>);
        factory.RegisterComponentCreator("LuaComponent", SD::kLuaComponentID,
                                         new SD::ComponentCreator<SD::LuaComponent>);
        for (uint32_t i = 0; i < count; ++i) {
            SD::GameObject* object = factory.NewGameObject();
            auto* component = static_cast<SD::LuaComponent*>(object->AddComponent(SD::kLuaComponentID));
            component->LuaFile() = "mover.lua";
            component->InitializeFunction() = "MoverInit";
            component->UpdateFunction() = "MoverUpdate";
            object->Initialize(false);
        }
        for (auto _ : state) components.Update(0.016f);
        state.SetItemsProcessed(state.iterations() * count);
        factory.DestroyAllGameObjects();
        factory.Shutdown();
    }
    std::remove(script.c_str());
    rmdir(folder.c_str());
}
BENCHMARK(BM_LuaComponentFrame)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
