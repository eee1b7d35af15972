// Which variant each kernel runs: the processor's features say which variants may run, and a
// timing of each at the first kernel call says which is fastest here. Widest is not always
// fastest: a processor may split its widest vectors in two, or slow its clock for them.
#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <memory>
#include <vector>

#include "sound/engine/lower/SxMixKernelPaths.h"

namespace SX::SxMixKernels {

namespace {

const char* const kKernelNames[] = {"mixRamp",          "mixRampPair",     "mixConstant",
                                    "interleaveStereo", "interleave51",    "floatTo16",
                                    "pcm16ToFloat",     "stereoTo51Pcm16", "fiveOneToStereoPcm16"};
static_assert(sizeof(kKernelNames) / sizeof(kKernelNames[0]) == static_cast<size_t>(SxKernel::Count));

// Calls f with the member of the kernel.
template <class F>
bool ForMember(SxKernel kernel, F&& f) {
    switch (kernel) {
        case SxKernel::MixRamp:
            return f(&SxKernelPath::mixRamp);
        case SxKernel::MixRampPair:
            return f(&SxKernelPath::mixRampPair);
        case SxKernel::MixConstant:
            return f(&SxKernelPath::mixConstant);
        case SxKernel::InterleaveStereo:
            return f(&SxKernelPath::interleaveStereo);
        case SxKernel::InterleaveFivePointOne:
            return f(&SxKernelPath::interleaveFivePointOne);
        case SxKernel::FloatTo16:
            return f(&SxKernelPath::floatTo16);
        case SxKernel::Pcm16ToFloat:
            return f(&SxKernelPath::pcm16ToFloat);
        case SxKernel::StereoTo51Pcm16:
            return f(&SxKernelPath::stereoTo51Pcm16);
        case SxKernel::FivePointOneToStereoPcm16:
            return f(&SxKernelPath::fivePointOneToStereoPcm16);
        case SxKernel::Count:
            break;
    }
    return false;
}

bool SameKernel(const SxKernelPath& a, const SxKernelPath& b, SxKernel kernel) {
    return ForMember(kernel, [&](auto member) { return a.*member == b.*member; });
}

void TakeKernel(SxKernelPath& to, const SxKernelPath& from, SxKernel kernel) {
    ForMember(kernel, [&](auto member) { return (to.*member = from.*member) != nullptr; });
}

// Buffers for the timing runs, large enough for a 5.1 frame of 1024 samples. Each starts on a
// cache line, wherever the allocator would have put it: a variant's speed depends on where its
// accesses cross lines, and a choice made on buffers that landed differently in each process
// would differ from run to run.
struct TimingBuffers {
    static constexpr uint32_t kFrames = 1024;
    TimingBuffers() { std::fill(std::begin(in), std::end(in), 0.3f); }
    alignas(64) float in[6 * kFrames];
    alignas(64) float out[6 * kFrames] = {};
    alignas(64) int16_t pcm[6 * kFrames] = {};
};

void Run(const SxKernelPath& path, SxKernel kernel, TimingBuffers& b) {
    constexpr uint32_t n = TimingBuffers::kFrames;
    float* out = b.out;
    const float* in = b.in;
    switch (kernel) {
        case SxKernel::MixRamp:
            path.mixRamp(in, out, n, 0.1f, 0.3f / n);
            break;
        case SxKernel::MixRampPair:
            path.mixRampPair({in, out, 0.1f, 0.3f / n}, {in, out + n, 0.2f, -0.1f / n}, n);
            break;
        case SxKernel::MixConstant:
            path.mixConstant(in, out, n, 0.5f);
            break;
        case SxKernel::InterleaveStereo:
            path.interleaveStereo(in, in + n, out, n, 0.9f, 0.1f / n);
            break;
        case SxKernel::InterleaveFivePointOne:
            path.interleaveFivePointOne(in, out, n, 0.9f, 0.1f / n, 0.5f, -0.1f / n);
            break;
        case SxKernel::FloatTo16:
            path.floatTo16(in, b.pcm, 2 * n);
            break;
        case SxKernel::Pcm16ToFloat:
            path.pcm16ToFloat(b.pcm, out, n);
            break;
        case SxKernel::StereoTo51Pcm16:
            path.stereoTo51Pcm16(in, b.pcm, n);
            break;
        case SxKernel::FivePointOneToStereoPcm16:
            path.fivePointOneToStereoPcm16(in, b.pcm, n);
            break;
        case SxKernel::Count:
            break;
    }
}

}  // namespace

// The real clock, not the engine's replaceable one: this measures the processor itself.
double SxTimeKernel(const SxKernelPath& path, SxKernel kernel) {
    // Buffers of the call's own, so that timings on two threads share nothing.
    const std::unique_ptr<TimingBuffers> owned = std::make_unique<TimingBuffers>();
    TimingBuffers& buffers = *owned;
    using Clock = std::chrono::steady_clock;
    constexpr int kTrials = 12, kCallsPerTrial = 2;
    Run(path, kernel, buffers);  // warms the code, the data and any wide units
    double least = std::numeric_limits<double>::infinity();
    for (int t = 0; t < kTrials; ++t) {
        const Clock::time_point start = Clock::now();
        for (int c = 0; c < kCallsPerTrial; ++c) Run(path, kernel, buffers);
        least = std::min(least, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return least / kCallsPerTrial;
}

SxKernelPath SxFastestKernels(const std::vector<const SxKernelPath*>& paths, const SxKernelTimer& seconds,
                              std::string& name) {
    SxKernelPath chosen = *paths.front();
    name.clear();
    for (int k = 0; k < static_cast<int>(SxKernel::Count); ++k) {
        const auto kernel = static_cast<SxKernel>(k);
        size_t best = 0;
        double bestSeconds = std::numeric_limits<double>::infinity();
        for (size_t p = 0; p < paths.size(); ++p) {
            bool rated = false;
            for (size_t q = 0; q < p && !rated; ++q) rated = SameKernel(*paths[q], *paths[p], kernel);
            if (rated) continue;
            const double s = seconds(*paths[p], kernel);
            if (s < bestSeconds) bestSeconds = s, best = p;
        }
        TakeKernel(chosen, *paths[best], kernel);
        name += std::string(name.empty() ? "" : " ") + kKernelNames[k] + "=" + paths[best]->name;
    }
    chosen.name = name.c_str();
    return chosen;
}

const SxKernelPath* SxKernelPathFor(SxKernelIsa isa) {
    __builtin_cpu_init();
    switch (isa) {
        case SxKernelIsa::Sse2:
            return &SxKernelPathSse2();
        case SxKernelIsa::Avx2:
            return __builtin_cpu_supports("avx2") ? &SxKernelPathAvx2() : nullptr;
        case SxKernelIsa::Avx512:
            return __builtin_cpu_supports("avx512f") ? &SxKernelPathAvx512() : nullptr;
    }
    return nullptr;
}

const SxKernelPath& SxSelectedKernelPath() {
    static std::string name;
    static const SxKernelPath selected = [] {
        std::vector<const SxKernelPath*> paths;
        for (SxKernelIsa isa : {SxKernelIsa::Sse2, SxKernelIsa::Avx2, SxKernelIsa::Avx512})
            if (const SxKernelPath* path = SxKernelPathFor(isa)) paths.push_back(path);
        return SxFastestKernels(paths, &SxTimeKernel, name);
    }();
    return selected;
}

}  // namespace SX::SxMixKernels
