// Posting 1,000 mixed records and closing the batch, while the audio thread drains the queue:
// the cost per record, and the allocations per record once the queue has grown to its working
// size (expected 0). A second bench times the posting alone: the batch is closed and the audio
// thread left to drain it outside the timed part, so the figure is the game thread's own cost.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <thread>

#include "sound/engine/SxSoundEngine.h"
#include "sound/engine/audio/CSxAudioMgr.h"
#include "sound/engine/events/CSxEvent.h"
#include "sound/engine/index/CSxObjectIndex.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "tests/platform/AudioDeviceControl.h"

namespace {

std::atomic<size_t> g_allocations{0};

// Starts the engine with event 1, an event without actions, in its event table; false when the
// engine does not start. StopEngine releases the event and ends the engine.
bool StartEngine() {
    platform::audio::control::SetOpenFails(true);
    SX::SxMemoryMgrSettings memory;
    memory.maxPools = 8;
    SX::MemoryMgr::Init(&memory);
    if (SX::SoundEngine::Init(nullptr, nullptr) != SX::SX_Success) return false;
    SX::CSxEvent* event = SX::CSxEvent::Create(1);
    if (!event) return false;
    SX::g_pObjectIndex->AddToIndex(event);
    return true;
}

void StopEngine() {
    if (SX::CSxIndexable* event = SX::g_pObjectIndex->GetPtrAndAddRef(SX::SxIndex_Event, 1)) {
        event->Release();
        event->Release();  // the one Create gave
    }
    SX::SoundEngine::Term();
    SX::MemoryMgr::Term();
    platform::audio::control::Reset();
}

// A quarter of the records are posted events unless withEvents is false (a state change then).
void PostRecords(bool withEvents) {
    for (uint32_t i = 0; i < 250; ++i) {
        SX::SoundEngine::SetRTPCValue(10, static_cast<float>(i), 100);
        SX::SoundEngine::SetSwitch(20, 30 + i, 100);
        SX::SoundEngine::SetPosition(100, SX::SxSoundPosition());
        if (withEvents)
            SX::SoundEngine::PostEvent(1u, 100);
        else
            SX::SoundEngine::SetState(40, 50 + i);
    }
}

void PostBatch(bool withEvents) {
    PostRecords(withEvents);
    SX::SoundEngine::RenderAudio();
}

// Posted events also register their playing IDs with the playing manager, which allocates a
// record per playing ID; the queue itself allocates nothing once it has grown.
void BM_PostMixedRecords(benchmark::State& state) {
    const bool withEvents = state.range(0) != 0;
    if (!StartEngine()) {
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
    StopEngine();
}
BENCHMARK(BM_PostMixedRecords)->ArgName("events")->Arg(1)->Arg(0)->UseRealTime();

// The posting alone: each batch is timed up to, not including, its close; the close and the
// audio thread's drain (given 2 ms) happen outside the timed part.
void BM_PostOnlyApartFromDraining(benchmark::State& state) {
    const bool withEvents = state.range(0) != 0;
    if (!StartEngine()) {
        state.SkipWithError("engine did not start");
        return;
    }
    for (int warm = 0; warm < 20; ++warm) PostBatch(withEvents);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        PostRecords(withEvents);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        SX::SoundEngine::RenderAudio();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    StopEngine();
}
BENCHMARK(BM_PostOnlyApartFromDraining)->ArgName("events")->Arg(1)->Arg(0)->UseManualTime()->Iterations(500);

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
