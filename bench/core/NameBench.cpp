// Name hashing throughput and the cost of copying shared strings.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "core/Hash.h"
#include "core/SharedString.h"

namespace {

// Object and asset names of typical lengths, e.g. "ObjectTemplates/ShadowCaster" is 28 bytes.
std::vector<std::string> Names(size_t length) {
    std::vector<std::string> names;
    for (char c = 'a'; c < 'a' + 16; ++c) names.push_back(std::string(length - 1, c) + "x");
    return names;
}

void BM_MurmurHash2A(benchmark::State& state) {
    const std::vector<std::string> names = Names(static_cast<size_t>(state.range(0)));
    size_t i = 0;
    for (auto _ : state) {
        const std::string& name = names[i++ & 15];
        benchmark::DoNotOptimize(MurmurHash2A(name.data(), static_cast<int32_t>(name.size())));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_MurmurHash2A)->Arg(16)->Arg(24)->Arg(32)->Arg(48)->Arg(64);

void BM_SharedStringCopy(benchmark::State& state) {
    const SD::SharedString original("ObjectTemplates/ShadowCaster");
    const size_t before = qvbench::AllocationCount();
    for (auto _ : state) {
        SD::SharedString copy(original);
        benchmark::DoNotOptimize(copy);
    }
    const size_t allocated = qvbench::AllocationCount() - before;
    state.counters["allocations"] = static_cast<double>(allocated);
    if (allocated != 0) state.SkipWithError("copying a shared string allocated");
}
BENCHMARK(BM_SharedStringCopy);

// The reference point: building a string from text allocates its counted buffer once.
void BM_SharedStringConstruct(benchmark::State& state) {
    const size_t before = qvbench::AllocationCount();
    for (auto _ : state) {
        SD::SharedString text("ObjectTemplates/ShadowCaster");
        benchmark::DoNotOptimize(text);
    }
    state.counters["allocations_per_string"] =
        static_cast<double>(qvbench::AllocationCount() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SharedStringConstruct);

}  // namespace
