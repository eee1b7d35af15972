// The Studio effects per 1024-frame buffer: the limiter's running maximum of its look-ahead
// window beside a scan of the whole window at every frame, the limiter itself, and the whole
// DeviceSim chain beside one biquad per channel.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "sound/engine/lower/SxAudioFormat.h"
#include "sound/plugins/studio/CStudioDeviceSimFX.h"
#include "sound/plugins/studio/CStudioLimiterFX.h"
#include "sound/plugins/studio/StudioFilterDesign.h"
#include "sound/plugins/studio/StudioSlidingMax.h"
#include "PluginBenchSupport.h"

namespace {

using namespace SX;
using pluginbench::CountingAllocator;
using pluginbench::Noise;

constexpr uint32_t kFrames = 1024;

// Window lengths of the limiter's look-ahead: 48000 Hz and 192000 Hz.
void WindowArgs(benchmark::internal::Benchmark* b) { b->Arg(55)->Arg(224); }

void BM_LimiterWindowRunningMax(benchmark::State& state) {
    const uint32_t window = uint32_t(state.range(0));
    std::vector<float> values(window), in = Noise(kFrames, 1);
    std::vector<uint32_t> stamps(window);
    StudioSlidingMax max;
    max.Init(values.data(), stamps.data(), window);
    for (auto _ : state) {
        float sum = 0;
        for (float v : in) sum += max.Push(std::fabs(v));
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_LimiterWindowRunningMax)->Apply(WindowArgs);

// Anchor: the scan of the whole look-ahead line at every frame.
void BM_LimiterWindowNaiveScan(benchmark::State& state) {
    const uint32_t window = uint32_t(state.range(0));
    std::vector<float> line(window, 0.0f), in = Noise(kFrames, 1);
    uint32_t position = 0;
    for (auto _ : state) {
        float sum = 0;
        for (float v : in) {
            line[position] = std::fabs(v);
            position = position + 1 == window ? 0 : position + 1;
            sum += *std::max_element(line.begin(), line.end());
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_LimiterWindowNaiveScan)->Apply(WindowArgs);

void BM_StudioLimiterStereoBuffer(benchmark::State& state) {
    CountingAllocator allocator;
    CStudioLimiterFXParams params;
    params.Init(&allocator, nullptr, 0);
    params.values.threshold = -12.0f;
    CStudioLimiterFX* fx = static_cast<CStudioLimiterFX*>(CreateStudioLimiterFX(&allocator));
    pluginbench::RunOnStereoNoise(state, fx, &params, &allocator, 2);
}
BENCHMARK(BM_StudioLimiterStereoBuffer);

void BM_DeviceSimWholeChainStereoBuffer(benchmark::State& state) {
    CountingAllocator allocator;
    CStudioDeviceSimFXParams params;
    params.Init(&allocator, nullptr, 0);
    StudioDeviceSimFXParams& v = params.values;
    v.filter.on = v.distortion.on = v.eq.on = v.noise.on = v.model.on = v.gate.on = v.lofi.on = 1;
    v.filter.lowPassSlope = v.filter.highPassSlope = 1;
    v.distortion.drive = 50.0f;
    v.eq.gain = 6.0f;
    v.noise.level = -40.0f;
    v.model.index = 59;
    v.lofi.bitsIndex = 6;
    v.lofi.hold = 2;
    v.mix = 80.0f;
    CStudioDeviceSimFX* fx = static_cast<CStudioDeviceSimFX*>(CreateStudioDeviceSimFX(&allocator));
    pluginbench::RunOnStereoNoise(state, fx, &params, &allocator, 3);
}
BENCHMARK(BM_DeviceSimWholeChainStereoBuffer);

// Anchor: one second-order section over each channel of the same buffer.
void BM_OneBiquadPerChannelAnchor(benchmark::State& state) {
    StudioDesignContext design;
    const BiquadCoefs coefs = ToCoefs(DesignLowPass2(design.Get(48000), 5000, 1.414));
    BiquadState states[2];
    const std::vector<float> source = Noise(2 * kFrames, 3);
    std::vector<float> data(source);
    for (auto _ : state) {
        std::copy(source.begin(), source.end(), data.begin());
        for (uint32_t c = 0; c < 2; ++c)
            for (uint32_t n = 0; n < kFrames; ++n)
                data[c * kFrames + n] = RunSection(coefs, states[c], data[c * kFrames + n]);
        benchmark::DoNotOptimize(data.data());
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_OneBiquadPerChannelAnchor);

}  // namespace
