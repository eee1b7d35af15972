#pragma once
// The instruction-set variants of the mixing kernels. Each variant gives the same results bit
// for bit (multiplies and adds in the same order, no fused multiply-add); the widest one the
// processor runs is chosen once, at the first kernel call. Tests reach every variant here.
#include <cstdint>

namespace SX::SxMixKernels {

struct SxKernelPath {
    const char* name;
    // dst[k] += src[k] x gain(k); gain(k) ramps from gain by step (the constant path when step is 0).
    void (*mixRamp)(const float* src, float* dst, uint32_t frames, float gain, float step);
    void (*mixConstant)(const float* src, float* dst, uint32_t frames, float gain);
    void (*interleaveStereo)(const float* left, const float* right, float* out, uint32_t frames, float gain,
                             float step);
    void (*interleaveFivePointOne)(const float* planar, float* out, uint32_t frames, float gain, float step,
                                   float gainLfe, float stepLfe);
    void (*floatTo16)(const float* in, int16_t* out, uint32_t count);
    void (*stereoTo51Pcm16)(const float* in, int16_t* out, uint32_t frames);
    void (*fivePointOneToStereoPcm16)(const float* in, int16_t* out, uint32_t frames);
};

enum class SxKernelIsa { Sse2, Avx2, Avx512 };

// The variant for an instruction set, or null when this processor cannot run it.
const SxKernelPath* SxKernelPathFor(SxKernelIsa isa);
// The variant the public kernels use: the widest this processor runs.
const SxKernelPath& SxSelectedKernelPath();

// The variants themselves, each in a file compiled for its instruction set.
const SxKernelPath& SxKernelPathSse2();
const SxKernelPath& SxKernelPathAvx2();
const SxKernelPath& SxKernelPathAvx512();

}  // namespace SX::SxMixKernels
