// The mixing and conversion kernels on data that stays in L1. The kernels the mixer calls pick,
// per kernel, the fastest variant this processor runs ("Selected"); each variant is also timed by
// name beside the plain loop of the same samples compiled for its instruction set
// ("AnchorPlainLoop_<set>", KernelPlainLoops.h). Further anchors: a loop kept scalar (the
// compiler may not vectorise it) and a memcpy of the bytes the kernel writes (the speed of moving
// the data at all). A kernel and its anchors read and write the same buffers (Buffers below), so
// that no figure depends on where an allocation happened to land.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "sound/engine/lower/SxMixKernelPaths.h"
#include "sound/engine/lower/SxMixKernels.h"

using namespace SX;
using namespace SX::SxMixKernels;

namespace plain_sse2 {
#include "KernelPlainLoops.h"
}  // namespace plain_sse2
#pragma GCC push_options
#pragma GCC target("avx2")
namespace plain_avx2 {
#include "KernelPlainLoops.h"
}  // namespace plain_avx2
#pragma GCC pop_options
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,prefer-vector-width=512")
namespace plain_avx512 {
#include "KernelPlainLoops.h"
}  // namespace plain_avx512
#pragma GCC pop_options

namespace {

constexpr uint32_t N = 1024;
// The ramps of the two channels: left rising, right falling.
constexpr float kGainL = 0.1f, kStepL = 0.3f / N, kGainR = 0.6f, kStepR = -0.2f / N;
constexpr float kGain = kGainL, kStep = kStepL;

// The scalar anchors: the plain loops with the vectoriser forbidden.
#define NOVEC __attribute__((noinline, optimize("no-tree-vectorize", "no-tree-slp-vectorize")))
#define PLAIN __attribute__((noinline))

NOVEC void ScalarMonoToStereo(const float* src, float* left, float* right) {
    float l[8] = {kGainL, kGainL + kStepL, kGainL + 2 * kStepL, kGainL + 3 * kStepL};
    float r[8] = {kGainR, kGainR + kStepR, kGainR + 2 * kStepR, kGainR + 3 * kStepR};
    for (int j = 4; j < 8; ++j) l[j] = l[j - 4] + 4 * kStepL, r[j] = r[j - 4] + 4 * kStepR;
    for (uint32_t i = 0; i < N; i += 8) {
        for (int j = 0; j < 8; ++j) {
            left[i + j] += src[i + j] * l[j];
            right[i + j] += src[i + j] * r[j];
        }
        for (int j = 0; j < 8; ++j) l[j] += 8 * kStepL, r[j] += 8 * kStepR;
    }
}

NOVEC void ScalarFloatTo16(const float* in, int16_t* out, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const float v = in[i] * 32767.0f;
        out[i] = static_cast<int16_t>(v >= 32767.0f ? 32767 : (v <= -32768.0f ? -32768 : std::lrint(v)));
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

// Every benchmark's samples, 64-byte aligned. The mono-to-stereo benchmarks take the offset of
// their source and destination in floats: 0 on a cache line, as the mixer's buses are; 4 only
// 16-byte aligned (then every other 32-byte access crosses a line), as a voice's own samples
// may be. The source lies 1 KB past a multiple of 4 KB from the destination, as separate
// allocations mostly do: a load 4 KB away from a store still in flight waits for it.
struct Buffers {
    static constexpr uint32_t kPad = 16;
    alignas(64) float src[N + kPad];
    alignas(64) float gap[256 - kPad];  // only places dst
    alignas(64) float dst[6 * N + kPad];
    alignas(64) float to[6 * N];
    alignas(64) int16_t pcm[2 * N];
};
static_assert(offsetof(Buffers, dst) - offsetof(Buffers, src) == 4096 + 1024);

// The buffers, the mono source filled with 0.25 and `dst` with `dstValue` (the input of the
// benchmarks that convert or interleave).
Buffers& SharedBuffers(float dstValue = 0.0f) {
    static Buffers buffers;
    std::fill(std::begin(buffers.src), std::end(buffers.src), 0.25f);
    std::fill(std::begin(buffers.dst), std::end(buffers.dst), dstValue);
    return buffers;
}

void Finish(benchmark::State& state, int64_t bytesWritten) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytesWritten);
}

// The plain loops of one instruction set.
struct PlainLoops {
    const char* name;
    void (*monoToStereo)(const float*, float*, float*, uint32_t, float, float, float, float);
    void (*floatTo16)(const float*, int16_t*, uint32_t);
};
const PlainLoops kPlain[] = {
    {"sse2", &plain_sse2::MonoToStereo, &plain_sse2::FloatTo16},
    {"avx2", &plain_avx2::MonoToStereo, &plain_avx2::FloatTo16},
    {"avx512", &plain_avx512::MonoToStereo, &plain_avx512::FloatTo16},
};

// ---- ramped mono-to-stereo mix, 1024 frames ----

// The mixer's call for a mono voice whose left and right gains both ramp.
void BM_MonoToStereo_Selected(benchmark::State& state) {
    Buffers& b = SharedBuffers();
    SxSpeakerGains gains;
    for (int s = 0; s < 6; ++s) gains.previous[s] = 0.1f * s, gains.current[s] = 0.1f * s + 0.05f;
    for (auto _ : state) {
        MixIntoStereo(b.src, b.dst, N, gains, 1);
        benchmark::ClobberMemory();
    }
    state.SetLabel(SxSelectedKernelPath().name);
    Finish(state, 2 * N * sizeof(float));
}
BENCHMARK(BM_MonoToStereo_Selected);

void MonoToStereoPath(benchmark::State& state, const SxKernelPath* path) {
    Buffers& b = SharedBuffers();
    const auto offset = static_cast<uint32_t>(state.range(0));
    const float* src = b.src + offset;
    float* dst = b.dst + offset;
    for (auto _ : state) {
        path->mixRampPair({src, dst, kGainL, kStepL}, {src, dst + N, kGainR, kStepR}, N);
        benchmark::ClobberMemory();
    }
    Finish(state, 2 * N * sizeof(float));
}

void MonoToStereoPlain(benchmark::State& state, const PlainLoops* plain) {
    // The anchor must give the kernels' samples: checked once on varied samples.
    std::vector<float> varied(N), kernel(2 * N, 0.5f), anchor(2 * N, 0.5f);
    for (uint32_t k = 0; k < N; ++k) varied[k] = std::sin(0.37f * static_cast<float>(k));
    SxKernelPathSse2().mixRampPair({varied.data(), kernel.data(), kGainL, kStepL},
                                   {varied.data(), kernel.data() + N, kGainR, kStepR}, N);
    plain->monoToStereo(varied.data(), anchor.data(), anchor.data() + N, N, kGainL, kStepL, kGainR, kStepR);
    if (std::memcmp(kernel.data(), anchor.data(), kernel.size() * sizeof(float)) != 0)
        state.SkipWithError("the plain loop's samples differ from the kernel's");

    Buffers& b = SharedBuffers();
    const auto offset = static_cast<uint32_t>(state.range(0));
    const float* src = b.src + offset;
    float* dst = b.dst + offset;
    for (auto _ : state) {
        plain->monoToStereo(src, dst, dst + N, N, kGainL, kStepL, kGainR, kStepR);
        benchmark::ClobberMemory();
    }
    Finish(state, 2 * N * sizeof(float));
}

void BM_MonoToStereo_AnchorScalar(benchmark::State& state) {
    Buffers& b = SharedBuffers();
    for (auto _ : state) {
        ScalarMonoToStereo(b.src, b.dst, b.dst + N);
        benchmark::ClobberMemory();
    }
    Finish(state, 2 * N * sizeof(float));
}
BENCHMARK(BM_MonoToStereo_AnchorScalar);

// The memcpy anchors copy as many bytes as the kernel writes.
void BM_Memcpy(benchmark::State& state) {
    const auto bytes = static_cast<size_t>(state.range(0));
    Buffers& b = SharedBuffers();
    for (auto _ : state) {
        std::memcpy(b.to, b.dst, bytes);
        benchmark::ClobberMemory();
    }
    Finish(state, static_cast<int64_t>(bytes));
}
BENCHMARK(BM_Memcpy)->Arg(2 * N * sizeof(float))->Arg(2 * N * sizeof(int16_t))->Arg(6 * N * sizeof(float));

// ---- the same-layout conversion of a stereo frame to 16 bits ----

void BM_FloatTo16_Selected(benchmark::State& state) {
    Buffers& b = SharedBuffers(0.3f);
    for (auto _ : state) {
        FloatTo16(b.dst, b.pcm, 2 * N);
        benchmark::ClobberMemory();
    }
    state.SetLabel(SxSelectedKernelPath().name);
    Finish(state, 2 * N * sizeof(int16_t));
}
BENCHMARK(BM_FloatTo16_Selected);

void FloatTo16Path(benchmark::State& state, const SxKernelPath* path) {
    Buffers& b = SharedBuffers(0.3f);
    for (auto _ : state) {
        path->floatTo16(b.dst, b.pcm, 2 * N);
        benchmark::ClobberMemory();
    }
    Finish(state, 2 * N * sizeof(int16_t));
}

void FloatTo16Plain(benchmark::State& state, const PlainLoops* plain) {
    // The anchor must give the kernels' samples: checked once on values past full scale, halves
    // that round either way and not-a-number.
    std::vector<float> varied(2 * N);
    for (uint32_t k = 0; k < 2 * N; ++k) varied[k] = 1.5f * std::sin(0.37f * static_cast<float>(k));
    varied[5] = 0.5f / 32767.0f, varied[6] = 1.5f / 32767.0f, varied[7] = std::nanf("");
    std::vector<int16_t> kernel(2 * N), anchor(2 * N);
    SxKernelPathSse2().floatTo16(varied.data(), kernel.data(), 2 * N);
    plain->floatTo16(varied.data(), anchor.data(), 2 * N);
    if (kernel != anchor) state.SkipWithError("the plain loop's samples differ from the kernel's");

    Buffers& b = SharedBuffers(0.3f);
    for (auto _ : state) {
        plain->floatTo16(b.dst, b.pcm, 2 * N);
        benchmark::ClobberMemory();
    }
    Finish(state, 2 * N * sizeof(int16_t));
}

void BM_FloatTo16_AnchorScalar(benchmark::State& state) {
    Buffers& b = SharedBuffers(0.3f);
    for (auto _ : state) {
        ScalarFloatTo16(b.dst, b.pcm, 2 * N);
        benchmark::ClobberMemory();
    }
    Finish(state, 2 * N * sizeof(int16_t));
}
BENCHMARK(BM_FloatTo16_AnchorScalar);

// ---- the 5.1 master interleave and the 5.1-to-stereo converter ----

void BM_Interleave51_Selected(benchmark::State& state) {
    Buffers& b = SharedBuffers(0.5f);
    for (auto _ : state) {
        InterleaveFivePointOne(b.dst, b.to, N, kGain, kGain + N * kStep, 1.0f, 0.9f);
        benchmark::ClobberMemory();
    }
    Finish(state, 6 * N * sizeof(float));
}
BENCHMARK(BM_Interleave51_Selected);

void BM_Interleave51_AnchorScalar(benchmark::State& state) {
    Buffers& b = SharedBuffers(0.5f);
    for (auto _ : state) {
        ScalarInterleave51(b.dst, b.to);
        benchmark::ClobberMemory();
    }
    Finish(state, 6 * N * sizeof(float));
}
BENCHMARK(BM_Interleave51_AnchorScalar);

void BM_Interleave51_AnchorPlainLoop(benchmark::State& state) {
    Buffers& b = SharedBuffers(0.5f);
    for (auto _ : state) {
        PlainInterleave51(b.dst, b.to);
        benchmark::ClobberMemory();
    }
    Finish(state, 6 * N * sizeof(float));
}
BENCHMARK(BM_Interleave51_AnchorPlainLoop);

void BM_FiveOneToStereo16_Selected(benchmark::State& state) {
    Buffers& b = SharedBuffers(0.2f);
    for (auto _ : state) {
        FivePointOneToStereoPcm16(b.dst, b.pcm, N);
        benchmark::ClobberMemory();
    }
    Finish(state, 2 * N * sizeof(int16_t));
}
BENCHMARK(BM_FiveOneToStereo16_Selected);

void BM_FiveOneToStereo16_AnchorScalar(benchmark::State& state) {
    Buffers& b = SharedBuffers(0.2f);
    for (auto _ : state) {
        ScalarFoldTo16(b.dst, b.pcm);
        benchmark::ClobberMemory();
    }
    Finish(state, 2 * N * sizeof(int16_t));
}
BENCHMARK(BM_FiveOneToStereo16_AnchorScalar);

// Every variant this processor runs, by name, beside the plain loops of its instruction set.
const bool registered = [] {
    int i = 0;
    for (SxKernelIsa isa : {SxKernelIsa::Sse2, SxKernelIsa::Avx2, SxKernelIsa::Avx512}) {
        const PlainLoops* plain = &kPlain[i++];
        const SxKernelPath* path = SxKernelPathFor(isa);
        if (!path) continue;
        const std::string isaName = path->name;
        benchmark::RegisterBenchmark(("BM_MonoToStereo_" + isaName).c_str(), MonoToStereoPath, path)->Arg(0)->Arg(4);
        benchmark::RegisterBenchmark(("BM_MonoToStereo_AnchorPlainLoop_" + isaName).c_str(), MonoToStereoPlain, plain)
            ->Arg(0)
            ->Arg(4);
        benchmark::RegisterBenchmark(("BM_FloatTo16_" + isaName).c_str(), FloatTo16Path, path);
        benchmark::RegisterBenchmark(("BM_FloatTo16_AnchorPlainLoop_" + isaName).c_str(), FloatTo16Plain, plain);
    }
    return true;
}();

}  // namespace
