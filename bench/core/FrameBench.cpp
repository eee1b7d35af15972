#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>
#include <vector>

#include "core/EngineCore.h"

namespace {

class IdleSystem : public SD::ISystem {
public:
    const char* GetName() const override { return "Idle"; }
    void Update(float) override {}
};

// One frame of the core with twenty systems that do nothing (no frame limit).
void BM_CoreFrameTwentyIdleSystems(benchmark::State& state) {
    SD::Core core;
    std::vector<std::unique_ptr<IdleSystem>> systems;
    for (int i = 0; i < 20; ++i) {
        systems.push_back(std::make_unique<IdleSystem>());
        core.AddSystem(systems.back().get(), false);
    }
    for (int i = 0; i < 1000; ++i) core.RunFrame();  // warm up
    size_t before = mallinfo2().uordblks;
    for (auto _ : state) core.RunFrame();
    size_t after = mallinfo2().uordblks;
    state.counters["heap_growth_bytes"] = static_cast<double>(after > before ? after - before : 0);
}
BENCHMARK(BM_CoreFrameTwentyIdleSystems)->Iterations(100000);

}  // namespace
