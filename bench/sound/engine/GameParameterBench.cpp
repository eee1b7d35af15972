// The audio thread's cost of one game-parameter change reaching its subscribers, and a game
// thread's cost of asking where a sound is, as the number of live sounds grows.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "sound/engine/curves/SxCurveTable.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/positions/CSxPositionRepository.h"
#include "sound/engine/registry/CSxRegisteredObj.h"
#include "sound/engine/rtpc/CSxRTPCMgr.h"

namespace {

using namespace SX;

struct Sink : ISxRTPCSubscriber {
    float last = 0.0f;
    bool IsActiveForRTPC() const override { return true; }
    void SetRTPCValue(uint32_t, float value, CSxRegisteredObj*) override { last = value; }
};

void BM_GlobalGameParameterChange(benchmark::State& state) {
    SxMemoryMgrSettings settings;
    settings.maxPools = 4;
    MemoryMgr::Init(&settings);
    g_DefaultPoolId = MemoryMgr::CreatePool(nullptr, 16u << 20, 16, SxMemPool_Heap);
    {
        const SxCurvePoint curve[] = {
            {0.0f, 0.0f, SxCurve_Linear}, {100.0f, 1.0f, SxCurve_SCurve}, {200.0f, 0.0f, SxCurve_Linear}};
        SxCurveTable::BuildAll(333, 333, SxCurveTable::kAllShapes);
        CSxRTPCMgr mgr;
        mgr.Init();
        const int count = int(state.range(0));
        std::vector<std::unique_ptr<CSxRegisteredObj>> objects;
        std::vector<Sink> sinks(count);
        for (int i = 0; i < count; ++i) {
            objects.push_back(std::make_unique<CSxRegisteredObj>(uint32_t(i + 1)));
            if (mgr.SubscribeRTPC(&sinks[i], 0, objects.back().get(), SxRTPCSubscriber_PBI, 7, curve, 3, 0) !=
                SX_Success) {
                state.SkipWithError("subscription refused");
                break;
            }
        }
        float value = 0.0f;
        for (auto _ : state) {
            value = value < 200.0f ? value + 1.0f : 0.0f;
            mgr.SetRTPCInternal(7, value, nullptr, SxRTPCTransitionParams{});
            benchmark::DoNotOptimize(sinks.back().last);
        }
        state.SetItemsProcessed(state.iterations() * count);
        mgr.Term();
        SxCurveTable::FreeAll();
    }
    MemoryMgr::Term();
    g_DefaultPoolId = SxInvalidPoolId;
}
BENCHMARK(BM_GlobalGameParameterChange)->Arg(16)->Arg(128)->Arg(1024);

void BM_PlayPositionQuery(benchmark::State& state) {
    CSxPositionRepository repo;
    repo.Init();
    const int count = int(state.range(0));
    const int owner = 0;
    for (int i = 0; i < count; ++i)
        repo.UpdatePosition(uint32_t(i + 1), SxPositionInfo{48000u * i, 1.0f, 0xFFFFFFFFu, 48000}, &owner);
    uint32_t id = 0;
    for (auto _ : state) {
        int32_t ms = 0;
        id = id % uint32_t(count) + 1;
        benchmark::DoNotOptimize(repo.GetCurrPosition(id, &ms, true));
        benchmark::DoNotOptimize(ms);
    }
    repo.Term();
}
BENCHMARK(BM_PlayPositionQuery)->Arg(16)->Arg(256);

}  // namespace
