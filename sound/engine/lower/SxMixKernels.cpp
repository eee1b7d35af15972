#include "sound/engine/lower/SxMixKernels.h"

#include <cmath>
#include <initializer_list>

#include "sound/engine/lower/SxMixKernelPaths.h"

namespace SX::SxMixKernels {

namespace {

float Step(float previous, float current, uint32_t frames) {
    return (current - previous) * (1.0f / static_cast<float>(frames));
}

}  // namespace

void MixChannel(const float* src, float* dst, uint32_t frames, float gain, float step) {
    if (step != 0.0f)
        SxSelectedKernelPath().mixRamp(src, dst, frames, gain, step);
    else if (gain != 0.0f)
        SxSelectedKernelPath().mixConstant(src, dst, frames, gain);
}

void MixIntoFivePointOne(const float* src, float* dst, uint32_t frames, const SxSpeakerGains& gains) {
    for (uint32_t c = 0; c < 6; ++c)
        MixChannel(src, dst + c * frames, frames, gains.previous[c], Step(gains.previous[c], gains.current[c], frames));
}

void MixIntoFourPointZero(const float* src, float* dst, uint32_t frames, const SxSpeakerGains& gains) {
    static constexpr uint32_t kSpeakers[4] = {0, 1, 3, 4};
    for (uint32_t c = 0; c < 4; ++c) {
        const uint32_t s = kSpeakers[c];
        MixChannel(src, dst + c * frames, frames, gains.previous[s], Step(gains.previous[s], gains.current[s], frames));
    }
}

void FoldDownToStereo(const float* v, uint32_t panningRule, float& left, float& right) {
    if (panningRule != 0) {
        left = v[0];
        right = v[1];
        return;
    }
    left = std::sqrt(v[0] * v[0] + (v[2] * v[2] + v[3] * v[3]) * 0.5f);
    right = std::sqrt(v[1] * v[1] + (v[2] * v[2] + v[4] * v[4]) * 0.5f);
}

void MixIntoStereo(const float* src, float* dst, uint32_t frames, const SxSpeakerGains& gains, uint32_t panningRule) {
    float prev[2], cur[2];
    FoldDownToStereo(gains.previous, panningRule, prev[0], prev[1]);
    FoldDownToStereo(gains.current, panningRule, cur[0], cur[1]);
    for (uint32_t c = 0; c < 2; ++c) MixChannel(src, dst + c * frames, frames, prev[c], Step(prev[c], cur[c], frames));
}

void MixNode(const float* src, float* dst, uint32_t channels, uint32_t frames, const float* previous,
             const float* current) {
    for (uint32_t c = 0; c < channels; ++c)
        MixChannel(src + c * frames, dst + c * frames, frames, previous[c], Step(previous[c], current[c], frames));
}

void InterleaveStereo(const float* planar, float* out, uint32_t frames, float previous, float current) {
    SxSelectedKernelPath().interleaveStereo(planar, planar + frames, out, frames, previous,
                                            Step(previous, current, frames));
}

void InterleaveFivePointOne(const float* planar, float* out, uint32_t frames, float previous, float current,
                            float previousLfe, float currentLfe) {
    SxSelectedKernelPath().interleaveFivePointOne(planar, out, frames, previous, Step(previous, current, frames),
                                                  previousLfe, Step(previousLfe, currentLfe, frames));
}

void FloatTo16(const float* in, int16_t* out, uint32_t count) { SxSelectedKernelPath().floatTo16(in, out, count); }

void StereoTo51Pcm16(const float* in, int16_t* out, uint32_t frames) {
    SxSelectedKernelPath().stereoTo51Pcm16(in, out, frames);
}

void FivePointOneToStereoPcm16(const float* in, int16_t* out, uint32_t frames) {
    SxSelectedKernelPath().fivePointOneToStereoPcm16(in, out, frames);
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
    static const SxKernelPath& selected = [] () -> const SxKernelPath& {
        for (SxKernelIsa isa : {SxKernelIsa::Avx512, SxKernelIsa::Avx2})
            if (const SxKernelPath* path = SxKernelPathFor(isa)) return *path;
        return SxKernelPathSse2();
    }();
    return selected;
}

}  // namespace SX::SxMixKernels
