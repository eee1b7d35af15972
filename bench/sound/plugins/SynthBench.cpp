// The synthesised sources on one 1024-frame buffer and the motion mixing of four pads for one
// audio frame, beside plain reference loops: std::sin over a buffer, and a gain-and-add of a
// buffer into four others.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/pad/Pad.h"
#include "sound/engine/memory/SxMemoryMgr.h"
#include "sound/engine/motion/CSxMotionDeviceMgr.h"
#include "sound/engine/plugin/SxFXMemAlloc.h"
#include "sound/engine/plugin/SxPluginTable.h"
#include "sound/plugins/motion/CSxMotionGenerator.h"
#include "sound/plugins/motion/SxMotionPluginsRegistry.h"
#include "sound/plugins/synth/CSxToneGen.h"
#include "sound/plugins/synth/CSxWhooshSynth.h"
#include "sound/plugins/synth/CSxWindSynth.h"
#include "PluginBenchSupport.h"

namespace {

using namespace SX;
using pluginbench::CountingAllocator;
using pluginbench::EnsureDefaultPool;

class SourceContext final : public ISxSourcePluginContext {
public:
    uint16_t GetNumLoops() const override { return 0; }
    ISxStreamMgr* GetStreamMgr() const override { return nullptr; }
    SxPlayingID GetPlayingID() const override { return 0; }
    uint16_t GetMaxBufferLength() const override { return 1024; }
};

// Runs a source endlessly on one buffer; the parameter object is set up by setup.
template <typename Setup>
void RunSource(benchmark::State& state, SxCreatePluginCallback create, SxCreateParamCallback createParams,
               uint32_t rate, uint32_t mask, Setup setup) {
    EnsureDefaultPool();
    CountingAllocator allocator;
    SourceContext context;
    ISxPluginParam* params = createParams(&allocator);
    params->Init(&allocator, nullptr, 0);
    setup(params);
    auto* source = static_cast<ISxSourcePlugin*>(create(&allocator));
    SxAudioFormat format;
    format.sampleRate = rate;
    format.channelMask = mask;
    if (source->Init(&allocator, &context, params, format) != SX_Success) {
        state.SkipWithError("init failed");
    } else {
        std::vector<float> samples(SxChannelCount(format.channelMask) * 1024u);
        SxAudioBuffer buffer;
        buffer.data = samples.data();
        buffer.channelMask = format.channelMask;
        buffer.maxFrames = 1024;
        pluginbench::RunWithoutAllocating(state, allocator, samples.data(), [&] { source->Execute(&buffer); });
    }
    state.SetItemsProcessed(state.iterations() * 1024);
    source->Term(&allocator);
    params->Term(&allocator);
}

void BM_ReferenceSinLoop(benchmark::State& state) {
    std::vector<float> out(1024);
    float phase = 0.0f;
    for (auto _ : state) {
        for (float& x : out) {
            x = std::sin(phase);
            phase += 0.0575f;
        }
        phase = std::fmod(phase, 6.2831855f);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * 1024);
}

// Arg: the waveform; sweep when the second argument is 1.
void BM_ToneGen(benchmark::State& state) {
    const uint32_t waveform = uint32_t(state.range(0));
    const uint8_t sweep = uint8_t(state.range(1));
    RunSource(state, CreateToneGen, CreateToneGenParams, 48000, 0x4, [&](ISxPluginParam* p) {
        auto& v = static_cast<CSxToneGenParams*>(p)->values;
        v.waveform = waveform;
        v.sweepOn = sweep;
        v.endFreq = 2000.0f;
        v.duration = 1000.0f;
    });
}

void BM_MotionGenerator(benchmark::State& state) {
    RunSource(state, CreateMotionGenerator, CreateMotionGeneratorParams, 375, 0x3, [](ISxPluginParam* p) {
        const SxCurvePoint points[] = {{0, 0, 4}, {0.25f, 1, 4}, {0.5f, 0.2f, 4}, {1, 0, 4}};
        auto* params = static_cast<CSxMotionGeneratorParams*>(p);
        params->curves[0].Set(points, 4, 0);
        params->curves[1].Set(points, 4, 0);
    });
}

// Arg: deflectors; stereo.
void BM_WindSynth(benchmark::State& state) {
    const uint16_t count = uint16_t(state.range(0));
    RunSource(state, CreateWindSynth, CreateWindSynthParams, 48000, 0x3, [&](ISxPluginParam* p) {
        std::vector<uint8_t> list(6 + 20 * count + 2, 0);
        const float maxDistance = 30.0f;
        std::memcpy(list.data(), &count, 2);
        std::memcpy(list.data() + 2, &maxDistance, 4);
        for (uint16_t k = 0; k < count; ++k) {
            const float d[5] = {1.0f + k, 20.0f * k, 200.0f + 50.0f * k, 4.0f, 0.0f};
            std::memcpy(list.data() + 6 + 20 * k, d, 20);
        }
        p->SetParam(0x7FFF, list.data(), uint32_t(list.size()));
        const float gainDb = 0.0f;
        p->SetParam(26, &gainDb, 4);
    });
}

// Arg: the noise colour; eight deflectors passing by in stereo, four control points a buffer.
void BM_WhooshSynth(benchmark::State& state) {
    const uint16_t colour = uint16_t(state.range(0));
    RunSource(state, CreateWhooshSynth, CreateWhooshSynthParams, 48000, 0x3, [&](ISxPluginParam* p) {
        const uint16_t count = 8;
        std::vector<uint8_t> list;
        auto put = [&](const void* v, size_t n) {
            list.insert(list.end(), static_cast<const uint8_t*>(v), static_cast<const uint8_t*>(v) + n);
        };
        put(&count, 2);
        for (uint16_t k = 0; k < count; ++k) {
            const float d[3] = {200.0f + 100.0f * k, 4.0f, 0.0f};
            put(d, 12);
        }
        const uint16_t curves = 0, pathPoints = 2;
        const float length = 1.0f;
        const float path[6] = {0.0f, -1.0f, 0.1f, 1.0f, 1.0f, 0.1f};
        put(&curves, 2);
        put(&pathPoints, 2);
        put(&length, 4);
        put(path, sizeof path);
        p->SetParam(0x7FFF, list.data(), uint32_t(list.size()));
        const float off = 0.0f, gainDb = 0.0f, speed = 60.0f;
        const uint16_t points = 4;
        p->SetParam(2, &off, 4);
        p->SetParam(26, &gainDb, 4);
        p->SetParam(0, &speed, 4);
        p->SetParam(46, &colour, 2);
        p->SetParam(51, &points, 2);
    });
}

void BM_ReferenceMixIntoFour(benchmark::State& state) {
    std::vector<float> voice(2048, 0.25f), mixes(4 * 2048 + 4 * 1024, 0.0f);
    for (auto _ : state) {
        for (int p = 0; p < 4; ++p) {
            float* out = mixes.data() + p * 3072;
            for (size_t i = 0; i < 1024; ++i) out[i] += voice[i] * 0.5f;
            for (size_t i = 0; i < 16; ++i) out[1024 + i] += voice[i] * 0.5f;
        }
        benchmark::DoNotOptimize(mixes.data());
    }
}

// Four players, each with a pad: one audio voice (mono, 1024 frames) and one motion voice
// (two channels, a motion frame) mixed for all four, the frame closed and the levels sent.
void BM_MotionMixingFourPads(benchmark::State& state) {
    EnsureDefaultPool();
    g_LEngineFxAllocator.SetPool(g_DefaultPoolId);
    SxPluginTable::Clear();
    RegisterMotionPlugins();
    for (uint32_t p = 0; p < 4; ++p) platform::ConnectPad(p);
    CSxMotionDeviceMgr* mgr = CSxMotionDeviceMgr::Get();
    for (uint8_t p = 0; p < 4; ++p) mgr->AddPlayerMotionDevice(p, 0, kRumbleDeviceID, nullptr);
    std::vector<float> audio(1024), motion(2 * CSxMotionDeviceMgr::MotionFrames(48000));
    SxAudioBuffer audioBuffer, motionBuffer;
    audioBuffer.data = audio.data();
    audioBuffer.channelMask = 0x4;
    audioBuffer.maxFrames = audioBuffer.validFrames = 1024;
    motionBuffer.data = motion.data();
    motionBuffer.channelMask = 0x3;
    motionBuffer.maxFrames = motionBuffer.validFrames = uint16_t(motion.size() / 2);
    const float gains[4] = {1.0f, 0.5f, 0.25f, 0.125f};
    uint32_t frame = 0;
    for (auto _ : state) {
        // Levels that change every frame, so that every pad is written.
        const float level = 0.1f + 0.8f * float(frame++ % 64) / 64.0f;
        for (float& x : audio) x = level;
        for (float& x : motion) x = level;
        mgr->MixVoice(audioBuffer, false, 0xF, gains);
        mgr->MixVoice(motionBuffer, true, 0xF, gains);
        mgr->ProcessFrame();
        mgr->RenderData();
    }
    CSxMotionDeviceMgr::Destroy();
    SxPluginTable::Clear();
    platform::ResetPads();
}

}  // namespace

BENCHMARK(BM_ReferenceSinLoop);
BENCHMARK(BM_ToneGen)->Args({0, 0})->Args({0, 1})->Args({2, 0})->Args({2, 1})->Args({4, 0})->Args({5, 0});
BENCHMARK(BM_MotionGenerator);
BENCHMARK(BM_WindSynth)->Arg(4)->Arg(16);
BENCHMARK(BM_WhooshSynth)->Arg(0)->Arg(1)->Arg(3);
BENCHMARK(BM_ReferenceMixIntoFour);
BENCHMARK(BM_MotionMixingFourPads);
