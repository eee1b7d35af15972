#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>
#include <vector>

#include "AllocationCounter.h"
#include "core/EngineCore.h"

namespace {

// A name too long for a string's inline buffer: copying it would allocate.
class IdleSystem : public SD::ISystem {
public:
    const char* GetName() const override { return "IdleSystemWithALongName"; }
    void Update(float) override {}
};

// One frame of the core with twenty systems that do nothing (no frame limit): the cost of the
// frame and of its twenty profiling scopes, which must not allocate.
void BM_CoreFrameTwentyIdleSystems(benchmark::State& state) {
    SD::Core core;
    std::vector<std::unique_ptr<IdleSystem>> systems;
    for (int i = 0; i < 20; ++i) {
        systems.push_back(std::make_unique<IdleSystem>());
        core.AddSystem(systems.back().get(), false);
    }
    for (int i = 0; i < 1000; ++i) core.RunFrame();  // warm up
    size_t before = mallinfo2().uordblks;
    const size_t allocationsBefore = qvbench::AllocationCount();
    for (auto _ : state) core.RunFrame();
    size_t after = mallinfo2().uordblks;
    state.counters["allocs/frame"] =
        static_cast<double>(qvbench::AllocationCount() - allocationsBefore) / static_cast<double>(state.iterations());
    state.counters["heap_growth_bytes"] = static_cast<double>(after > before ? after - before : 0);
}
BENCHMARK(BM_CoreFrameTwentyIdleSystems)->Iterations(100000);

}  // namespace
