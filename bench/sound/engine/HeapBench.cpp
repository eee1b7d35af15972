// The pool heap against the system allocator on one replayed trace of sound-engine-like
// requests from 16 B to 64 KB: mostly small records, some larger ones, a few stream buffers.
// Each heap is filled to 10% or 90% of the pool's 64 MB and warmed by a churn of its own before
// the measured churn, whose time (the mean per operation), 99.9th percentile of one operation and
// failed allocations are reported, on a heap whose memory an earlier pass has touched, and apart
// from them the mean of that first pass.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

#include "sound/engine/memory/SxMemoryMgr.h"

namespace {

using namespace SX;

constexpr uint32_t kPoolSize = 64u << 20;
constexpr size_t kChurnOps = 200000;

struct Op {
    bool allocate;
    uint32_t slot;
    uint32_t size;
};

struct Trace {
    std::vector<Op> fill;   // brings the live bytes to the target
    std::vector<Op> warm;   // churn around the target, not measured
    std::vector<Op> churn;  // measured: frees and allocations around the target
    uint32_t slots = 0;
};

uint32_t DrawSize(std::mt19937& rng) {
    uint32_t r = rng() % 1000;
    if (r < 850) return 16 + rng() % 497;    // records and lists
    if (r < 970) return 513 + rng() % 3584;  // larger records
    return 4097 + rng() % (60 * 1024);       // stream buffers, up to 64 KB
}

Trace MakeTrace(double fill) {
    Trace trace;
    std::mt19937 rng(20261209);
    const uint64_t target = static_cast<uint64_t>(kPoolSize * fill);
    std::vector<uint32_t> liveSlots, freeSlots;
    std::vector<uint32_t> sizes;
    uint64_t live = 0;
    auto allocate = [&](std::vector<Op>& out) {
        uint32_t size = DrawSize(rng);
        uint32_t slot;
        if (freeSlots.empty()) {
            slot = static_cast<uint32_t>(sizes.size());
            sizes.push_back(0);
        } else {
            slot = freeSlots.back();
            freeSlots.pop_back();
        }
        sizes[slot] = size;
        liveSlots.push_back(slot);
        live += size;
        out.push_back({true, slot, size});
    };
    auto release = [&](std::vector<Op>& out) {
        size_t i = rng() % liveSlots.size();
        uint32_t slot = liveSlots[i];
        liveSlots[i] = liveSlots.back();
        liveSlots.pop_back();
        freeSlots.push_back(slot);
        live -= sizes[slot];
        out.push_back({false, slot, 0});
    };
    while (live < target) allocate(trace.fill);
    for (std::vector<Op>* ops : {&trace.warm, &trace.churn}) {
        while (ops->size() < kChurnOps) {
            if (live > target && !liveSlots.empty())
                release(*ops);
            else
                allocate(*ops);
        }
    }
    trace.slots = static_cast<uint32_t>(sizes.size());
    return trace;
}

const Trace& TraceFor(int percent) {
    static Trace low = MakeTrace(0.10), high = MakeTrace(0.90);
    return percent == 10 ? low : high;
}

struct PoolHeap {
    SxMemPoolId pool;
    PoolHeap() {
        SxMemoryMgrSettings settings{2};
        MemoryMgr::Init(&settings);
        pool = MemoryMgr::CreatePool(nullptr, kPoolSize, 16, SxMemPool_VirtualMemory);
    }
    ~PoolHeap() { MemoryMgr::Term(); }
    void* Allocate(size_t size) { return MemoryMgr::Malloc(pool, size); }
    void Release(void* p) { MemoryMgr::Free(pool, p); }
    size_t Largest() { return MemoryMgr::GetLargestFreeBlock(pool); }
};

struct SystemHeap {
    void* Allocate(size_t size) { return std::malloc(size); }
    void Release(void* p) { std::free(p); }
    size_t Largest() { return 0; }
};

// The median cost of reading the clock twice, taken off every timed operation.
double ClockCost() {
    std::vector<double> samples;
    for (int i = 0; i < 10001; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        auto t1 = std::chrono::steady_clock::now();
        samples.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count());
    }
    std::nth_element(samples.begin(), samples.begin() + 5000, samples.end());
    return samples[5000];
}

// The thread's processor time: the machine is shared, and time spent by other programs while
// this one waited is not the heap's.
double ThreadCpuNs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// One pass of the trace on a heap: fill and warm (not timed), the churn timed as a whole
// (processor time) or, with per-operation times, each operation alone (less the cost of reading
// the clock); every block freed after. The churn's failed allocations are counted.
template <typename Heap>
struct Pass {
    double churnNs = 0;      // the churn as a whole
    std::vector<double> ns;  // each operation, when asked for
    size_t failures = 0;
    size_t largest = 0;

    void Run(Heap& heap, const Trace& trace, bool perOperation, double clockCost) {
        std::vector<void*> slots(trace.slots, nullptr);
        auto apply = [&](const Op& op) {
            if (op.allocate) {
                slots[op.slot] = heap.Allocate(op.size);
                if (!slots[op.slot])
                    ++failures;
                else
                    static_cast<char*>(slots[op.slot])[0] = 1;
            } else {
                heap.Release(slots[op.slot]);
                slots[op.slot] = nullptr;
            }
        };
        for (const Op& op : trace.fill) apply(op);
        for (const Op& op : trace.warm) apply(op);
        ns.clear();
        failures = 0;
        const double begin = ThreadCpuNs();
        if (perOperation) {
            for (const Op& op : trace.churn) {
                auto t0 = std::chrono::steady_clock::now();
                apply(op);
                auto t1 = std::chrono::steady_clock::now();
                const double cost = std::chrono::duration<double, std::nano>(t1 - t0).count() - clockCost;
                ns.push_back(cost > 0.0 ? cost : 0.0);
            }
        } else {
            for (const Op& op : trace.churn) apply(op);
        }
        churnNs = ThreadCpuNs() - begin;
        largest = heap.Largest();
        for (void* p : slots) heap.Release(p);
    }
};

// The reported time is the churn's alone, on a warmed heap: one heap lives through every pass,
// and a first pass, not timed, has touched the pages the trace reaches, so that the churn pays
// no page faults. That first pass on fresh memory is reported apart (first_touch_mean_ns, the
// churn's mean per operation): the pool's 64 MB are mapped but not touched until used, and the
// system allocator grows its heap as it goes. A last pass, not timed, times each operation alone
// for the 99.9th percentile.
template <typename Heap>
void Replay(benchmark::State& state) {
    static const double clockCost = ClockCost();
    const Trace& trace = TraceFor(static_cast<int>(state.range(0)));
    const double operations = static_cast<double>(trace.churn.size());
    Heap heap;
    Pass<Heap> pass;
    pass.Run(heap, trace, false, clockCost);
    state.counters["first_touch_mean_ns"] = pass.churnNs / operations;
    double churnNs = 0;
    for (auto _ : state) {
        pass.Run(heap, trace, false, clockCost);
        churnNs += pass.churnNs;
        state.SetIterationTime(pass.churnNs * 1e-9);
    }
    state.counters["mean_ns"] = churnNs / operations / static_cast<double>(state.iterations());
    size_t allocations = 0;
    for (const Op& op : trace.churn) allocations += op.allocate;
    state.counters["failed_allocs"] = static_cast<double>(pass.failures);
    state.counters["failed_%"] = 100.0 * static_cast<double>(pass.failures) / static_cast<double>(allocations);
    if (pass.largest) state.counters["largest_free_MB"] = pass.largest / 1048576.0;
    const bool failed = pass.failures && pass.largest;
    pass.Run(heap, trace, true, clockCost);
    std::sort(pass.ns.begin(), pass.ns.end());
    state.counters["p999_ns"] = pass.ns[static_cast<size_t>(pass.ns.size() * 0.999)];
    if (failed)
        state.SetLabel(
            "the pool is one fixed block: near full, no free block is left large enough for "
            "some requests (fragmentation); the system heap grows instead of failing");
}

void BM_PoolHeapTrace(benchmark::State& state) { Replay<PoolHeap>(state); }
void BM_SystemMallocTrace(benchmark::State& state) { Replay<SystemHeap>(state); }

BENCHMARK(BM_PoolHeapTrace)->Arg(10)->Arg(90)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SystemMallocTrace)->Arg(10)->Arg(90)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
