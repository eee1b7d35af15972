// Cost of calling a bound member function through Any arguments.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/BoundFunction.h"

namespace {

struct Target {
    float value = 0.0f;
    void Set(float v) { value = v; }
    float Get() { return value; }
};

void BM_MemberFunctionSetter(benchmark::State& state) {
    Target target;
    MFCore::MemberFunction_1Parameters<void, Target, float> setter(&Target::Set);
    std::vector<MFCore::Any> args;
    args.emplace_back(&target);
    args.emplace_back(1.5f);
    for (auto _ : state) setter.Invoke(args);
    benchmark::DoNotOptimize(target.value);
}
BENCHMARK(BM_MemberFunctionSetter);

void BM_DelegateGetter(benchmark::State& state) {
    Target target;
    MFCore::Delegate_0Parameters<float, Target> getter(&target, &Target::Get);
    std::vector<MFCore::Any> args;
    for (auto _ : state) {
        getter.Invoke(args);
        benchmark::DoNotOptimize(MFCore::Any::Extract<float>(*getter.GetResult()));
    }
}
BENCHMARK(BM_DelegateGetter);

}  // namespace
