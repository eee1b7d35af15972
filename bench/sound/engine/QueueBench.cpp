// Posting 1,000 mixed records and closing the batch, while the audio thread drains the queue:
// the cost per record, and the allocations per record once the queue has grown to its working
// size (expected 0).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "platform/audio/AudioTestControl.h"
#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/memory/SxMemoryMgr.h"

namespace {

std::atomic<size_t> g_allocations{0};

struct NoActionEvent : SX::ISxPostedEvent {
    uint32_t AddRef() override { return 1; }
    uint32_t Release() override { return 1; }
    SX::SxUniqueID EventID() const override { return 1; }
    uint32_t ActionCount() const override { return 0; }
    SX::ISxEventAction* Action(uint32_t) const override { return nullptr; }
} g_event;

// A quarter of the records are posted events unless withEvents is false (a state change then).
void PostBatch(bool withEvents) {
    for (uint32_t i = 0; i < 250; ++i) {
        SX::SoundEngine::SetRTPCValue(10, static_cast<float>(i), 100);
        SX::SoundEngine::SetSwitch(20, 30 + i, 100);
        SX::SoundEngine::SetPosition(100, SX::SxSoundPosition());
        if (withEvents)
            SX::SoundEngine::PostEvent(1u, 100);
        else
            SX::SoundEngine::SetState(40, 50 + i);
    }
    SX::SoundEngine::RenderAudio();
}

// Posted events also register their playing IDs with the playing manager, which allocates a
// record per playing ID; the queue itself allocates nothing once it has grown.
void BM_PostMixedRecords(benchmark::State& state) {
    const bool withEvents = state.range(0) != 0;
    platform::audio::control::SetOpenFails(true);
    SX::SxMemoryMgrSettings memory;
    memory.maxPools = 8;
    SX::MemoryMgr::Init(&memory);
    SX::g_EventHooks.findEventAndAddRef = [](SX::SxUniqueID) -> SX::ISxPostedEvent* { return &g_event; };
    if (SX::SoundEngine::Init(nullptr, nullptr) != SX::SX_Success) {
        state.SkipWithError("engine did not start");
        return;
    }
    for (int warm = 0; warm < 20; ++warm) PostBatch(withEvents);
    const size_t before = g_allocations.load();
    for (auto _ : state) PostBatch(withEvents);
    const size_t allocations = g_allocations.load() - before;
    state.SetItemsProcessed(state.iterations() * 1000);
    state.counters["allocs/record"] =
        benchmark::Counter(static_cast<double>(allocations) / (static_cast<double>(state.iterations()) * 1000));
    state.counters["chunks"] = SX::g_pAudioMgr->ChunkCount();
    SX::SoundEngine::Term();
    SX::MemoryMgr::Term();
    SX::g_EventHooks = SX::SxEventHooks();
    platform::audio::control::Reset();
}
BENCHMARK(BM_PostMixedRecords)->ArgName("events")->Arg(1)->Arg(0)->UseRealTime();

}  // namespace

// Counts the program's allocations through new; the queue's chunks show in the chunk count.
namespace {
void* Allocate(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
