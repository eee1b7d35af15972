#include <benchmark/benchmark.h>

#include "core/WorkerPool.h"

namespace {

void Touch(uintptr_t target, uintptr_t, uintptr_t) { ++*reinterpret_cast<uintptr_t*>(target); }

// One job handed to a worker and its completion seen: the cost the particle update pays per batch.
void BM_WorkerJobRoundTrip(benchmark::State& state) {
    SD::WorkerPool pool;
    pool.Start(3);
    uintptr_t counter = 0;
    for (auto _ : state) {
        pool.QueueJob(0, &Touch, reinterpret_cast<uintptr_t>(&counter), 0, 0);
        pool.WaitForJob(0);
    }
    benchmark::DoNotOptimize(counter);
}
BENCHMARK(BM_WorkerJobRoundTrip);

}  // namespace
