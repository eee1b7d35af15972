#pragma once
// The instruction-set variants of the mixing kernels. Each variant gives the same results bit
// for bit (multiplies and adds in the same order, no fused multiply-add), so each kernel may come
// from any variant: at the first kernel call every variant the processor runs is timed, kernel by
// kernel, and the fastest one of each is used from then on. Tests reach every variant here.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace SX::SxMixKernels {

// One channel of a ramped mix: dst[k] += src[k] x gain(k), gain(k) ramping from gain by step.
struct SxRampedChannel {
    const float* src;
    float* dst;
    float gain;
    float step;
};

struct SxKernelPath {
    const char* name;
    // dst[k] += src[k] x gain(k); gain(k) ramps from gain by step (the constant path when step is 0).
    void (*mixRamp)(const float* src, float* dst, uint32_t frames, float gain, float step);
    // Two ramped channels at once, each with the samples mixRamp gives it; the channels may
    // share their source but not their destination.
    void (*mixRampPair)(const SxRampedChannel& a, const SxRampedChannel& b, uint32_t frames);
    void (*mixConstant)(const float* src, float* dst, uint32_t frames, float gain);
    void (*interleaveStereo)(const float* left, const float* right, float* out, uint32_t frames, float gain,
                             float step);
    void (*interleaveFivePointOne)(const float* planar, float* out, uint32_t frames, float gain, float step,
                                   float gainLfe, float stepLfe);
    void (*floatTo16)(const float* in, int16_t* out, uint32_t count);
    // 16-bit samples to floats of full scale 1 (x / 32768); in may lie on any 2-byte boundary.
    void (*pcm16ToFloat)(const int16_t* in, float* out, uint32_t count);
    void (*stereoTo51Pcm16)(const float* in, int16_t* out, uint32_t frames);
    void (*fivePointOneToStereoPcm16)(const float* in, int16_t* out, uint32_t frames);
};

enum class SxKernelIsa { Sse2, Avx2, Avx512 };

// The kernels of a path, in the order of its members.
enum class SxKernel {
    MixRamp,
    MixRampPair,
    MixConstant,
    InterleaveStereo,
    InterleaveFivePointOne,
    FloatTo16,
    Pcm16ToFloat,
    StereoTo51Pcm16,
    FivePointOneToStereoPcm16,
    Count
};

// The variant for an instruction set, or null when this processor cannot run it.
const SxKernelPath* SxKernelPathFor(SxKernelIsa isa);
// What the public kernels use: per kernel, the variant found fastest on this processor. Its name
// lists the choice, e.g. "mixRamp=avx2 ... floatTo16=avx512".
const SxKernelPath& SxSelectedKernelPath();

// Per kernel, the function of the path that `seconds` rates fastest (ties go to the earlier
// path); a function that several paths share is rated once. The name is written to `name`, which
// must outlive the result.
using SxKernelTimer = std::function<double(const SxKernelPath& path, SxKernel kernel)>;
SxKernelPath SxFastestKernels(const std::vector<const SxKernelPath*>& paths, const SxKernelTimer& seconds,
                              std::string& name);
// The least time of a few calls of the kernel on a mixer frame of 1024 samples, in seconds.
double SxTimeKernel(const SxKernelPath& path, SxKernel kernel);

// The variants themselves, each in a file compiled for its instruction set.
const SxKernelPath& SxKernelPathSse2();
const SxKernelPath& SxKernelPathAvx2();
const SxKernelPath& SxKernelPathAvx512();

}  // namespace SX::SxMixKernels
