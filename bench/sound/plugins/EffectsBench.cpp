// Each effect on one 1024-frame buffer in stereo and 5.1, with the allocations it makes per
// call (which must be none), beside plain reference loops: a gain over the buffer, and three
// straightforward biquads per channel.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sound/engine/SxBehavioralExtensions.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/plugins/effects/CSxDelayFX.h"
#include "sound/plugins/effects/CSxDynamicsFX.h"
#include "sound/plugins/effects/CSxFDNReverbFX.h"
#include "sound/plugins/effects/CSxMeterFX.h"
#include "sound/plugins/effects/CSxModalSynth.h"
#include "sound/plugins/effects/CSxParametricEQFX.h"
#include "sound/plugins/effects/CSxPeakLimiterFX.h"
#include "sound/plugins/effects/CSxRoomReverbFX.h"
#include "PluginBenchSupport.h"

namespace {

using namespace SX;
using pluginbench::CountingAllocator;

class Context final : public ISxEffectPluginContext {
public:
    bool IsSendModeEffect() const override { return false; }
    ISxStreamMgr* GetStreamMgr() const override { return nullptr; }
    SxPlayingID GetPlayingID() const override { return 0; }
    uint16_t GetMaxBufferLength() const override { return 1024; }
    SXRESULT PostMonitorData(void*, uint32_t) override { return SX_Fail; }
    bool CanPostMonitorData() override { return false; }
    void GetPluginMedia(uint32_t, const uint8_t*& data, uint32_t& size) override {
        data = nullptr;
        size = 0;
    }
};

void FillSignal(std::vector<float>& samples) {
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = 0.5f * std::sin(0.031f * float(i % 1024) + float(i / 1024));
}

void RunEffect(benchmark::State& state, SxCreatePluginCallback create, SxCreateParamCallback createParams,
               const void* block = nullptr, uint32_t blockSize = 0) {
    pluginbench::EnsureDefaultPool();
    const uint32_t mask = static_cast<uint32_t>(state.range(0));
    CountingAllocator allocator;
    Context context;
    ISxPluginParam* params = createParams(&allocator);
    auto* effect = static_cast<ISxInPlaceEffectPlugin*>(create(&allocator));
    params->Init(&allocator, block, blockSize);
    SxAudioFormat format;
    format.sampleRate = 48000;
    format.channelMask = mask;
    format.sampleType = 1;
    if (effect->Init(&allocator, &context, params, format) != SX_Success) {
        state.SkipWithError("init failed");
    } else {
        std::vector<float> samples(SxChannelCount(mask) * 1024);
        SxAudioBuffer buffer;
        buffer.data = samples.data();
        buffer.channelMask = mask;
        buffer.maxFrames = 1024;
        FillSignal(samples);
        pluginbench::RunWithoutAllocating(state, allocator, samples.data(), [&] {
            buffer.validFrames = 1024;
            buffer.state = SX_DataReady;
            effect->Execute(&buffer);
        });
    }
    state.SetItemsProcessed(state.iterations() * 1024);
    effect->Term(&allocator);
    params->Term(&allocator);
    SxMeterWriterFrame(false);
}

void BM_Delay(benchmark::State& s) { RunEffect(s, CreateDelayFX, CreateDelayFXParams); }
void BM_Compressor(benchmark::State& s) { RunEffect(s, CreateCompressorFX, CreateCompressorFXParams); }
void BM_Expander(benchmark::State& s) { RunEffect(s, CreateExpanderFX, CreateExpanderFXParams); }
void BM_PeakLimiter(benchmark::State& s) { RunEffect(s, CreatePeakLimiterFX, CreatePeakLimiterFXParams); }
void BM_ParametricEQ(benchmark::State& s) { RunEffect(s, CreateParametricEQFX, CreateParametricEQFXParams); }
void BM_Meter(benchmark::State& s) { RunEffect(s, CreateMeterFX, CreateMeterFXParams); }
void BM_FDNReverb(benchmark::State& s) { RunEffect(s, CreateFDNReverbFX, CreateFDNReverbFXParams); }
void BM_RoomReverb(benchmark::State& s) { RunEffect(s, CreateRoomReverbFX, CreateRoomReverbFXParams); }

void BM_ModalSynth(benchmark::State& s) {
    // 32 modes, mono only.
    std::vector<uint8_t> block(41 + 32 * 12, 0);
    const float hundred = 100.0f;
    std::memcpy(block.data() + 28, &hundred, 4);
    const uint16_t count = 32;
    std::memcpy(block.data() + 39, &count, 2);
    for (int i = 0; i < 32; ++i) {
        const float mode[3] = {200.0f + 150.0f * i, 0.0f, 5.0f + i};
        std::memcpy(block.data() + 41 + 12 * i, mode, 12);
    }
    RunEffect(s, CreateModalSynth, CreateModalSynthParams, block.data(), static_cast<uint32_t>(block.size()));
}

// Anchors: a plain gain over every sample, and three plain biquads per channel.
void BM_ReferenceGainLoop(benchmark::State& state) {
    std::vector<float> samples(SxChannelCount(static_cast<uint32_t>(state.range(0))) * 1024);
    FillSignal(samples);
    for (auto _ : state) {
        for (float& x : samples) x *= 0.999f;
        benchmark::DoNotOptimize(samples.data());
    }
    state.SetItemsProcessed(state.iterations() * 1024);
}

void BM_ReferenceBiquadLoop(benchmark::State& state) {
    const uint32_t channels = SxChannelCount(static_cast<uint32_t>(state.range(0)));
    std::vector<float> samples(channels * 1024);
    FillSignal(samples);
    const float b0 = 0.2f, b1 = 0.4f, b2 = 0.2f, a1 = 0.5f, a2 = -0.3f;
    std::vector<float> memory(channels * 3 * 4, 0.0f);
    for (auto _ : state) {
        for (uint32_t band = 0; band < 3; ++band)
            for (uint32_t c = 0; c < channels; ++c) {
                float* m = &memory[(band * channels + c) * 4];
                float* x = &samples[c * 1024];
                for (uint32_t k = 0; k < 1024; ++k) {
                    const float y = b0 * x[k] + b1 * m[0] + b2 * m[1] + a1 * m[2] + a2 * m[3];
                    m[1] = m[0];
                    m[0] = x[k];
                    m[3] = m[2];
                    m[2] = y;
                    x[k] = y;
                }
            }
        benchmark::DoNotOptimize(samples.data());
    }
    state.SetItemsProcessed(state.iterations() * 1024);
}

}  // namespace

BENCHMARK(BM_ReferenceGainLoop)->Arg(0x3)->Arg(0x3F);
BENCHMARK(BM_ReferenceBiquadLoop)->Arg(0x3)->Arg(0x3F);
BENCHMARK(BM_Delay)->Arg(0x3)->Arg(0x3F);
BENCHMARK(BM_Compressor)->Arg(0x3)->Arg(0x3F);
BENCHMARK(BM_Expander)->Arg(0x3)->Arg(0x3F);
BENCHMARK(BM_PeakLimiter)->Arg(0x3)->Arg(0x3F);
BENCHMARK(BM_ParametricEQ)->Arg(0x3)->Arg(0x3F);
BENCHMARK(BM_Meter)->Arg(0x3)->Arg(0x3F);
BENCHMARK(BM_FDNReverb)->Arg(0x3)->Arg(0x3F);
BENCHMARK(BM_RoomReverb)->Arg(0x3)->Arg(0x3F);
BENCHMARK(BM_ModalSynth)->Arg(0x4);
