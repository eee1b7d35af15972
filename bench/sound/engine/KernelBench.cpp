// The mixing kernels per 1024-frame channel, and the 16-bit conversion of a stereo frame, each
// beside a plain scalar loop of the same work and a copy of the same size (the memory bound).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "sound/engine/lower/SxMixKernels.h"

using namespace SX;

namespace {

constexpr uint32_t N = 1024;

SxSpeakerGains RampingGains() {
    SxSpeakerGains g;
    for (int s = 0; s < 6; ++s) g.previous[s] = 0.1f * s, g.current[s] = 0.1f * s + 0.05f;
    return g;
}

// Voices of 1 or 2 channels into a stereo or 5.1 node; the cost is per input channel.
template <uint32_t NodeChannels>
void BM_MixVoice(benchmark::State& state) {
    const uint32_t voiceChannels = static_cast<uint32_t>(state.range(0));
    std::vector<float> src(voiceChannels * N, 0.25f), dst(NodeChannels * N, 0.0f);
    const SxSpeakerGains gains = RampingGains();
    for (auto _ : state) {
        for (uint32_t c = 0; c < voiceChannels; ++c) {
            if (NodeChannels == 6)
                SxMixKernels::MixIntoFivePointOne(src.data() + c * N, dst.data(), N, gains);
            else
                SxMixKernels::MixIntoStereo(src.data() + c * N, dst.data(), N, gains, 0);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * voiceChannels);
    state.SetBytesProcessed(state.iterations() * voiceChannels * NodeChannels * N * sizeof(float));
}
BENCHMARK_TEMPLATE(BM_MixVoice, 2)->Arg(1)->Arg(2);
BENCHMARK_TEMPLATE(BM_MixVoice, 6)->Arg(1)->Arg(2);

void BM_ScalarRampMixChannel(benchmark::State& state) {
    std::vector<float> src(N, 0.25f), dst(N, 0.0f);
    for (auto _ : state) {
        const float g = 0.1f, s = 0.05f / N;
        for (uint32_t k = 0; k < N; ++k) dst[k] += src[k] * (g + static_cast<float>(k) * s);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * N * sizeof(float));
}
BENCHMARK(BM_ScalarRampMixChannel);

void BM_KernelRampMixChannel(benchmark::State& state) {
    std::vector<float> src(N, 0.25f), dst(N, 0.0f);
    for (auto _ : state) {
        SxMixKernels::MixChannel(src.data(), dst.data(), N, 0.1f, 0.05f / N);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * N * sizeof(float));
}
BENCHMARK(BM_KernelRampMixChannel);

void BM_CopyChannel(benchmark::State& state) {
    std::vector<float> src(N, 0.25f), dst(N, 0.0f);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), N * sizeof(float));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * N * sizeof(float));
}
BENCHMARK(BM_CopyChannel);

void BM_FloatTo16(benchmark::State& state) {
    std::vector<float> in(2 * N, 0.3f);
    std::vector<int16_t> out(2 * N);
    for (auto _ : state) {
        SxMixKernels::FloatTo16(in.data(), out.data(), 2 * N);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 2 * N * sizeof(float));
}
BENCHMARK(BM_FloatTo16);

void BM_ScalarFloatTo16(benchmark::State& state) {
    std::vector<float> in(2 * N, 0.3f);
    std::vector<int16_t> out(2 * N);
    for (auto _ : state) {
        for (uint32_t i = 0; i < 2 * N; ++i) {
            const long v = std::lrint(in[i] * 32767.0f);
            out[i] = static_cast<int16_t>(v > 32767 ? 32767 : (v < -32768 ? -32768 : v));
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 2 * N * sizeof(float));
}
BENCHMARK(BM_ScalarFloatTo16);

void BM_CopyStereoFrame(benchmark::State& state) {
    std::vector<float> in(2 * N, 0.3f), out(2 * N);
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), 2 * N * sizeof(float));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 2 * N * sizeof(float));
}
BENCHMARK(BM_CopyStereoFrame);

}  // namespace
