// Look-ups with a reference in an object index table holding 10,000 objects.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace {

using namespace SX;

class Item : public CSxIndexable {
public:
    explicit Item(SxUniqueID id) : CSxIndexable(id, SxIndex_Node) {}
};

struct Fixture {
    CSxObjectIndex index;
    std::vector<SxUniqueID> ids;
    Fixture() {
        SxMemoryMgrSettings settings{2};
        MemoryMgr::Init(&settings);
        g_DefaultPoolId = MemoryMgr::CreatePool(nullptr, 8u << 20, 16, SxMemPool_Heap);
        index.Init();
        g_pObjectIndex = &index;
        std::mt19937 rng(7);
        for (int i = 0; i < 10000; ++i) {
            SxUniqueID id = rng() & 0x7FFFFFFF;
            if (CSxIndexable* existing = index.GetPtrAndAddRef(SxIndex_Node, id)) {
                existing->Release();
                continue;
            }
            index.AddToIndex(SxNew<Item>(g_DefaultPoolId, id));
            ids.push_back(id);
        }
    }
    ~Fixture() {
        for (SxUniqueID id : ids) {
            CSxIndexable* item = index.GetPtrAndAddRef(SxIndex_Node, id);
            item->Release();
            item->Release();
        }
        g_pObjectIndex = nullptr;
        MemoryMgr::Term();
        g_DefaultPoolId = SxInvalidPoolId;
    }
};

void BM_ObjectIndexLookupAndRelease(benchmark::State& state) {
    Fixture f;
    std::mt19937 rng(11);
    size_t i = 0;
    for (auto _ : state) {
        CSxIndexable* item = f.index.GetPtrAndAddRef(SxIndex_Node, f.ids[(i++ * 7919) % f.ids.size()]);
        benchmark::DoNotOptimize(item);
        item->Release();
    }
    state.counters["objects"] = static_cast<double>(f.ids.size());
}

void BM_ObjectIndexMissingId(benchmark::State& state) {
    Fixture f;
    SxUniqueID id = 0x80000000u;
    for (auto _ : state) benchmark::DoNotOptimize(f.index.GetPtrAndAddRef(SxIndex_Node, id++));
}

BENCHMARK(BM_ObjectIndexLookupAndRelease);
BENCHMARK(BM_ObjectIndexMissingId);

}  // namespace
