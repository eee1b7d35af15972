#include "sound/engine/lower/SxMixKernels.h"

#include <cmath>

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

namespace {

// Two channels; when both ramp, through the kernel that runs their ramps side by side.
void MixChannels(const SxRampedChannel& a, const SxRampedChannel& b, uint32_t frames) {
    if (a.step != 0.0f && b.step != 0.0f) {
        SxSelectedKernelPath().mixRampPair(a, b, frames);
        return;
    }
    MixChannel(a.src, a.dst, frames, a.gain, a.step);
    MixChannel(b.src, b.dst, frames, b.gain, b.step);
}

// Destination channel c of the voice's channel, ramped with speaker s of its gains.
SxRampedChannel Speaker(const float* src, float* dst, uint32_t c, uint32_t s, uint32_t frames,
                        const SxSpeakerGains& gains) {
    return {src, dst + c * frames, gains.previous[s], Step(gains.previous[s], gains.current[s], frames)};
}

}  // namespace

void MixIntoFivePointOne(const float* src, float* dst, uint32_t frames, const SxSpeakerGains& gains) {
    for (uint32_t c = 0; c < 6; c += 2)
        MixChannels(Speaker(src, dst, c, c, frames, gains), Speaker(src, dst, c + 1, c + 1, frames, gains), frames);
}

void MixIntoFourPointZero(const float* src, float* dst, uint32_t frames, const SxSpeakerGains& gains) {
    static constexpr uint32_t kSpeakers[4] = {0, 1, 3, 4};
    for (uint32_t c = 0; c < 4; c += 2)
        MixChannels(Speaker(src, dst, c, kSpeakers[c], frames, gains),
                    Speaker(src, dst, c + 1, kSpeakers[c + 1], frames, gains), frames);
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
    MixChannels({src, dst, prev[0], Step(prev[0], cur[0], frames)},
                {src, dst + frames, prev[1], Step(prev[1], cur[1], frames)}, frames);
}

void MixNode(const float* src, float* dst, uint32_t channels, uint32_t frames, const float* previous,
             const float* current) {
    uint32_t c = 0;
    for (; c + 2 <= channels; c += 2)
        MixChannels({src + c * frames, dst + c * frames, previous[c], Step(previous[c], current[c], frames)},
                    {src + (c + 1) * frames, dst + (c + 1) * frames, previous[c + 1],
                     Step(previous[c + 1], current[c + 1], frames)},
                    frames);
    if (c < channels)
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
void Pcm16ToFloat(const int16_t* in, float* out, uint32_t count) {
    SxSelectedKernelPath().pcm16ToFloat(in, out, count);
}

void StereoTo51Pcm16(const float* in, int16_t* out, uint32_t frames) {
    SxSelectedKernelPath().stereoTo51Pcm16(in, out, frames);
}

void FivePointOneToStereoPcm16(const float* in, int16_t* out, uint32_t frames) {
    SxSelectedKernelPath().fivePointOneToStereoPcm16(in, out, frames);
}

}  // namespace SX::SxMixKernels
