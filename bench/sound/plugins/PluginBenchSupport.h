#pragma once
// What the plug-in benchmarks share: an allocator that counts its calls, a run that fails when
// processing allocates, the engine's default memory pool made once, and an effect run on one
// stereo buffer of noise.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sound/engine/lower/SxAudioFormat.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/plugin/ISxPlugin.h"

namespace pluginbench {

class CountingAllocator final : public SX::ISxPluginMemAlloc {
public:
    void* Malloc(size_t size) override {
        ++calls;
        return std::malloc(size);
    }
    void Free(void* pointer) override { std::free(pointer); }
    int64_t calls = 0;
};

// Calls execute once (the first call may set up what parameter changes ask for), then once an
// iteration; reports the allocations per call and fails the run when there are any.
template <typename Execute>
void RunWithoutAllocating(benchmark::State& state, const CountingAllocator& allocator, const void* output,
                          Execute execute) {
    execute();
    const int64_t before = allocator.calls;
    for (auto _ : state) {
        execute();
        benchmark::DoNotOptimize(output);
        benchmark::ClobberMemory();
    }
    const double perCall = double(allocator.calls - before) / double(state.iterations());
    state.counters["allocs_per_call"] = perCall;
    if (perCall != 0.0) state.SkipWithError("allocates while processing");
}

inline void EnsureDefaultPool() {
    if (!SX::MemoryMgr::IsInitialized()) {
        SX::SxMemoryMgrSettings settings;
        settings.maxPools = 4;
        SX::MemoryMgr::Init(&settings);
    }
    if (SX::g_DefaultPoolId == SX::SxInvalidPoolId)
        SX::g_DefaultPoolId = SX::MemoryMgr::CreatePool(nullptr, 1 << 20, 16, SX::SxMemPool_Heap);
}

// Noise in [-1, 1) from a linear congruential generator, the same for the same seed.
inline std::vector<float> Noise(size_t n, uint32_t seed) {
    std::vector<float> s(n);
    for (float& v : s) {
        seed = seed * 1664525u + 1013904223u;
        v = float(int32_t(seed)) / 2147483648.0f;
    }
    return s;
}

// Runs the effect, initialised at 48000 Hz in stereo with params, on the same 1024 frames of
// noise every iteration; terminates it after.
inline void RunOnStereoNoise(benchmark::State& state, SX::ISxInPlaceEffectPlugin* fx, SX::ISxPluginParam* params,
                             SX::ISxPluginMemAlloc* allocator, uint32_t seed) {
    constexpr uint32_t kFrames = 1024;
    SX::SxAudioFormat format = SX::SxFloatFormat(48000, SX::SxChannelMaskStereo);
    fx->Init(allocator, nullptr, params, format);
    const std::vector<float> source = Noise(2 * kFrames, seed);
    std::vector<float> data(source);
    SX::SxAudioBuffer buffer;
    buffer.data = data.data();
    buffer.channelMask = SX::SxChannelMaskStereo;
    buffer.maxFrames = buffer.validFrames = kFrames;
    buffer.state = SX::SX_DataReady;
    for (auto _ : state) {
        std::copy(source.begin(), source.end(), data.begin());
        fx->Execute(&buffer);
        benchmark::DoNotOptimize(data.data());
    }
    fx->Term(allocator);
    state.SetItemsProcessed(state.iterations() * kFrames);
}

}  // namespace pluginbench
