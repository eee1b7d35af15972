// Voices per core: N voices of 16-bit mono PCM resampled with a pitch that changes every frame
// and mixed into stereo or 5.1 at 48 kHz, against the real-time budget of one 1024-frame audio
// frame; beside them the same work with a plain scalar resampler. And the ADPCM decode rate.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "sound/engine/lower/SxMixKernels.h"
#include "sound/engine/voice/SxAdpcm.h"
#include "sound/engine/voice/VoiceResampler.h"

using namespace SX;

namespace {

constexpr uint32_t kFrame = 1024;
constexpr double kFrameSeconds = kFrame / 48000.0;
constexpr uint32_t kSourceFrames = 48000;

std::vector<int16_t> Sine() {
    std::vector<int16_t> s(kSourceFrames);
    for (uint32_t i = 0; i < kSourceFrames; ++i) s[i] = static_cast<int16_t>(16000 * std::sin(i * 0.1309));
    return s;
}

SxSpeakerGains Gains() {
    SxSpeakerGains g;
    for (int s = 0; s < 6; ++s) g.previous[s] = 0.1f * s, g.current[s] = 0.1f * s + 0.05f;
    return g;
}

void Mix(const float* voice, std::vector<float>& node, uint32_t nodeChannels, const SxSpeakerGains& gains) {
    if (nodeChannels == 6)
        SxMixKernels::MixIntoFivePointOne(voice, node.data(), kFrame, gains);
    else
        SxMixKernels::MixIntoStereo(voice, node.data(), kFrame, gains, 0);
}

void ReportVoices(benchmark::State& state, uint32_t voices) {
    // Voices one core renders in real time: the voices of a frame times the frame's duration
    // over the time one frame took.
    state.counters["voices_per_core"] =
        benchmark::Counter(voices * kFrameSeconds * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_Voices(benchmark::State& state) {
    const uint32_t voices = static_cast<uint32_t>(state.range(0));
    const uint32_t nodeChannels = static_cast<uint32_t>(state.range(1));
    const std::vector<int16_t> source = Sine();
    std::vector<VoiceResampler> resamplers(voices);
    std::vector<uint32_t> positions(voices, 0);
    for (uint32_t v = 0; v < voices; ++v) resamplers[v].Init(16, 0x4, 48000, 48000);
    std::vector<float> out(kFrame), node(nodeChannels * kFrame);
    const SxSpeakerGains gains = Gains();
    uint32_t frame = 0;
    for (auto _ : state) {
        ++frame;
        for (uint32_t v = 0; v < voices; ++v) {
            VoiceResampler& r = resamplers[v];
            r.SetPitch(static_cast<float>((frame + v) % 7) * 100.0f - 300.0f);  // a new pitch each frame: ramps
            r.SetOutputOffset(0);
            while (r.OutputOffset() < kFrame) {
                r.Process(&source[positions[v]], 2048, out.data(), kFrame);
                if (r.InputUsedUp()) positions[v] = (positions[v] + 2048) % (kSourceFrames - 2048);
            }
            Mix(out.data(), node, nodeChannels, gains);
        }
        benchmark::ClobberMemory();
    }
    ReportVoices(state, voices);
}
BENCHMARK(BM_Voices)->Args({64, 2})->Args({64, 6})->Args({256, 2})->Args({256, 6});

// The anchor: linear interpolation with a double-precision phase, one sample at a time.
void BM_PlainScalarResamplerVoices(benchmark::State& state) {
    const uint32_t voices = static_cast<uint32_t>(state.range(0));
    const uint32_t nodeChannels = static_cast<uint32_t>(state.range(1));
    const std::vector<int16_t> source = Sine();
    std::vector<double> phases(voices, 0.0);
    std::vector<float> out(kFrame), node(nodeChannels * kFrame);
    const SxSpeakerGains gains = Gains();
    uint32_t frame = 0;
    for (auto _ : state) {
        ++frame;
        for (uint32_t v = 0; v < voices; ++v) {
            const double step = std::pow(2.0, (static_cast<double>((frame + v) % 7) * 100.0 - 300.0) / 1200.0);
            double phase = phases[v];
            for (uint32_t i = 0; i < kFrame; ++i) {
                const uint32_t at = static_cast<uint32_t>(phase);
                const double f = phase - at;
                out[i] = static_cast<float>((source[at] + (source[at + 1] - source[at]) * f) / 32768.0);
                phase += step;
            }
            phases[v] = phase > kSourceFrames - 4096 ? 0.0 : phase;
            Mix(out.data(), node, nodeChannels, gains);
        }
        benchmark::ClobberMemory();
    }
    ReportVoices(state, voices);
}
BENCHMARK(BM_PlainScalarResamplerVoices)->Args({64, 2})->Args({64, 6})->Args({256, 2})->Args({256, 6});

void BM_AdpcmDecode(benchmark::State& state) {
    const uint32_t channels = static_cast<uint32_t>(state.range(0));
    const uint32_t blocks = 256;
    const std::vector<int16_t> source = Sine();
    std::vector<int16_t> frames(SxAdpcm::kFramesPerBlock * channels);
    std::vector<uint8_t> data(blocks * SxAdpcm::kBytesPerChannel * channels);
    std::vector<SxAdpcm::SxAdpcmEncoderState> states(channels);
    for (uint32_t b = 0; b < blocks; ++b) {
        for (uint32_t i = 0; i < frames.size(); ++i) frames[i] = source[(b * 64 + i / channels) % kSourceFrames];
        SxAdpcm::EncodeBlock(frames.data(), channels, states.data(), &data[b * SxAdpcm::kBytesPerChannel * channels]);
    }
    std::vector<int16_t> out(blocks * SxAdpcm::kFramesPerBlock * channels);
    for (auto _ : state) {
        SxAdpcm::DecodeBlocks(data.data(), SxAdpcm::kBytesPerChannel * channels, channels, blocks, out.data());
        benchmark::ClobberMemory();
    }
    // Frames decoded per second, and that over the 48 kHz a voice needs.
    state.SetItemsProcessed(state.iterations() * blocks * SxAdpcm::kFramesPerBlock);
    state.counters["x_realtime"] = benchmark::Counter(state.iterations() * blocks * SxAdpcm::kFramesPerBlock / 48000.0,
                                                      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AdpcmDecode)->Arg(1)->Arg(2)->Arg(6);

}  // namespace
