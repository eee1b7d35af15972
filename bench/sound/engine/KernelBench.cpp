// The mixing and conversion kernels on data that stays in L1, each instruction-set variant this
// processor runs beside three anchors of the same work: a loop kept scalar (the compiler may not
// vectorise it), the same plain loop left to the compiler's vectoriser, and a memcpy of the
// bytes the kernel writes (the speed of moving the data at all).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "sound/engine/lower/SxMixKernelPaths.h"
#include "sound/engine/lower/SxMixKernels.h"

using namespace SX;
using namespace SX::SxMixKernels;

namespace {

constexpr uint32_t N = 1024;
constexpr float kGain = 0.1f, kStep = 0.3f / N;

// The plain loops of each kernel; NOVEC forbids the vectoriser for the scalar anchors.
#define NOVEC __attribute__((noinline, optimize("no-tree-vectorize", "no-tree-slp-vectorize")))
#define PLAIN __attribute__((noinline))

// Mono into stereo: two ramped channels.
NOVEC void ScalarMonoToStereo(const float* src, float* dst) {
    for (uint32_t c = 0; c < 2; ++c)
        for (uint32_t k = 0; k < N; ++k) dst[c * N + k] += src[k] * (kGain + static_cast<float>(k) * kStep);
}
PLAIN void PlainMonoToStereo(const float* src, float* dst) {
    for (uint32_t c = 0; c < 2; ++c)
        for (uint32_t k = 0; k < N; ++k) dst[c * N + k] += src[k] * (kGain + static_cast<float>(k) * kStep);
}

NOVEC void ScalarFloatTo16(const float* in, int16_t* out, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const float v = in[i] * 32767.0f;
        out[i] = static_cast<int16_t>(v >= 32767.0f ? 32767 : (v <= -32768.0f ? -32768 : std::lrint(v)));
    }
}
PLAIN void PlainFloatTo16(const float* in, int16_t* out, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const float v = in[i] * 32767.0f;
        const float c = v > 32767.0f ? 32767.0f : (v < -32768.0f ? -32768.0f : v);
        out[i] = static_cast<int16_t>(std::nearbyint(c));
    }
}

NOVEC void ScalarInterleave51(const float* planar, float* out) {
    static constexpr uint32_t kPlanarOfDevice[6] = {0, 1, 2, 5, 3, 4};
    for (uint32_t k = 0; k < N; ++k)
        for (uint32_t d = 0; d < 6; ++d)
            out[6 * k + d] = planar[kPlanarOfDevice[d] * N + k] * (kGain + static_cast<float>(k) * kStep);
}
PLAIN void PlainInterleave51(const float* planar, float* out) {
    for (uint32_t k = 0; k < N; ++k) {
        const float g = kGain + static_cast<float>(k) * kStep;
        out[6 * k] = planar[k] * g;
        out[6 * k + 1] = planar[N + k] * g;
        out[6 * k + 2] = planar[2 * N + k] * g;
        out[6 * k + 3] = planar[5 * N + k] * g;
        out[6 * k + 4] = planar[3 * N + k] * g;
        out[6 * k + 5] = planar[4 * N + k] * g;
    }
}

NOVEC void ScalarFoldTo16(const float* in, int16_t* out) {
    for (uint32_t k = 0; k < N; ++k) {
        const float* f = in + 6 * k;
        for (int c = 0; c < 2; ++c) {
            const float v = f[c] + 0.707f * f[2] + 0.707f * f[4 + c];
            out[2 * k + c] = static_cast<int16_t>((v > 1.0f ? 1.0f : (v < -1.0f ? -1.0f : v)) * 32767.0f);
        }
    }
}

void Finish(benchmark::State& state, int64_t bytesWritten) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytesWritten);
}

// ---- ramped mono-to-stereo mix, 1024 frames ----

void BM_MonoToStereo_Selected(benchmark::State& state) {
    std::vector<float> src(N, 0.25f), dst(2 * N, 0.0f);
    SxSpeakerGains gains;
    for (int s = 0; s < 6; ++s) gains.previous[s] = 0.1f * s, gains.current[s] = 0.1f * s + 0.05f;
    for (auto _ : state) {
        MixIntoStereo(src.data(), dst.data(), N, gains, 1);
        benchmark::ClobberMemory();
    }
    state.SetLabel(SxSelectedKernelPath().name);
    Finish(state, 2 * N * sizeof(float));
}
BENCHMARK(BM_MonoToStereo_Selected);

void MonoToStereoPath(benchmark::State& state, const SxKernelPath* path) {
    std::vector<float> src(N, 0.25f), dst(2 * N, 0.0f);
    for (auto _ : state) {
        path->mixRamp(src.data(), dst.data(), N, kGain, kStep);
        path->mixRamp(src.data(), dst.data() + N, N, kGain, kStep);
        benchmark::ClobberMemory();
    }
    Finish(state, 2 * N * sizeof(float));
}

void BM_MonoToStereo_AnchorScalar(benchmark::State& state) {
    std::vector<float> src(N, 0.25f), dst(2 * N, 0.0f);
    for (auto _ : state) {
        ScalarMonoToStereo(src.data(), dst.data());
        benchmark::ClobberMemory();
    }
    Finish(state, 2 * N * sizeof(float));
}
BENCHMARK(BM_MonoToStereo_AnchorScalar);

void BM_MonoToStereo_AnchorPlainLoop(benchmark::State& state) {
    std::vector<float> src(N, 0.25f), dst(2 * N, 0.0f);
    for (auto _ : state) {
        PlainMonoToStereo(src.data(), dst.data());
        benchmark::ClobberMemory();
    }
    Finish(state, 2 * N * sizeof(float));
}
BENCHMARK(BM_MonoToStereo_AnchorPlainLoop);

// The memcpy anchors copy as many bytes as the kernel writes.
void BM_Memcpy(benchmark::State& state) {
    const auto bytes = static_cast<size_t>(state.range(0));
    std::vector<char> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
    Finish(state, static_cast<int64_t>(bytes));
}
BENCHMARK(BM_Memcpy)->Arg(2 * N * sizeof(float))->Arg(2 * N * sizeof(int16_t))->Arg(6 * N * sizeof(float));

// ---- the same-layout conversion of a stereo frame to 16 bits ----

void BM_FloatTo16_Selected(benchmark::State& state) {
    std::vector<float> in(2 * N, 0.3f);
    std::vector<int16_t> out(2 * N);
    for (auto _ : state) {
        FloatTo16(in.data(), out.data(), 2 * N);
        benchmark::ClobberMemory();
    }
    state.SetLabel(SxSelectedKernelPath().name);
    Finish(state, 2 * N * sizeof(int16_t));
}
BENCHMARK(BM_FloatTo16_Selected);

void FloatTo16Path(benchmark::State& state, const SxKernelPath* path) {
    std::vector<float> in(2 * N, 0.3f);
    std::vector<int16_t> out(2 * N);
    for (auto _ : state) {
        path->floatTo16(in.data(), out.data(), 2 * N);
        benchmark::ClobberMemory();
    }
    Finish(state, 2 * N * sizeof(int16_t));
}

void BM_FloatTo16_AnchorScalar(benchmark::State& state) {
    std::vector<float> in(2 * N, 0.3f);
    std::vector<int16_t> out(2 * N);
    for (auto _ : state) {
        ScalarFloatTo16(in.data(), out.data(), 2 * N);
        benchmark::ClobberMemory();
    }
    Finish(state, 2 * N * sizeof(int16_t));
}
BENCHMARK(BM_FloatTo16_AnchorScalar);

void BM_FloatTo16_AnchorPlainLoop(benchmark::State& state) {
    std::vector<float> in(2 * N, 0.3f);
    std::vector<int16_t> out(2 * N);
    for (auto _ : state) {
        PlainFloatTo16(in.data(), out.data(), 2 * N);
        benchmark::ClobberMemory();
    }
    Finish(state, 2 * N * sizeof(int16_t));
}
BENCHMARK(BM_FloatTo16_AnchorPlainLoop);

// ---- the 5.1 master interleave and the 5.1-to-stereo converter ----

void BM_Interleave51_Selected(benchmark::State& state) {
    std::vector<float> planar(6 * N, 0.5f), out(6 * N);
    for (auto _ : state) {
        InterleaveFivePointOne(planar.data(), out.data(), N, kGain, kGain + N * kStep, 1.0f, 0.9f);
        benchmark::ClobberMemory();
    }
    Finish(state, 6 * N * sizeof(float));
}
BENCHMARK(BM_Interleave51_Selected);

void BM_Interleave51_AnchorScalar(benchmark::State& state) {
    std::vector<float> planar(6 * N, 0.5f), out(6 * N);
    for (auto _ : state) {
        ScalarInterleave51(planar.data(), out.data());
        benchmark::ClobberMemory();
    }
    Finish(state, 6 * N * sizeof(float));
}
BENCHMARK(BM_Interleave51_AnchorScalar);

void BM_Interleave51_AnchorPlainLoop(benchmark::State& state) {
    std::vector<float> planar(6 * N, 0.5f), out(6 * N);
    for (auto _ : state) {
        PlainInterleave51(planar.data(), out.data());
        benchmark::ClobberMemory();
    }
    Finish(state, 6 * N * sizeof(float));
}
BENCHMARK(BM_Interleave51_AnchorPlainLoop);

void BM_FiveOneToStereo16_Selected(benchmark::State& state) {
    std::vector<float> in(6 * N, 0.2f);
    std::vector<int16_t> out(2 * N);
    for (auto _ : state) {
        FivePointOneToStereoPcm16(in.data(), out.data(), N);
        benchmark::ClobberMemory();
    }
    Finish(state, 2 * N * sizeof(int16_t));
}
BENCHMARK(BM_FiveOneToStereo16_Selected);

void BM_FiveOneToStereo16_AnchorScalar(benchmark::State& state) {
    std::vector<float> in(6 * N, 0.2f);
    std::vector<int16_t> out(2 * N);
    for (auto _ : state) {
        ScalarFoldTo16(in.data(), out.data());
        benchmark::ClobberMemory();
    }
    Finish(state, 2 * N * sizeof(int16_t));
}
BENCHMARK(BM_FiveOneToStereo16_AnchorScalar);

// Every variant this processor runs, by name, beside the selected one.
const bool registered = [] {
    for (SxKernelIsa isa : {SxKernelIsa::Sse2, SxKernelIsa::Avx2, SxKernelIsa::Avx512}) {
        const SxKernelPath* path = SxKernelPathFor(isa);
        if (!path) continue;
        benchmark::RegisterBenchmark((std::string("BM_MonoToStereo_") + path->name).c_str(), MonoToStereoPath, path);
        benchmark::RegisterBenchmark((std::string("BM_FloatTo16_") + path->name).c_str(), FloatTo16Path, path);
    }
    return true;
}();

}  // namespace
