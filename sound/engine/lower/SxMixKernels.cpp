#include "sound/engine/lower/SxMixKernels.h"

#include <emmintrin.h>

#include <cmath>

namespace SX::SxMixKernels {

namespace {

float Clamp1(float v) { return v > 1.0f ? 1.0f : (v < -1.0f ? -1.0f : v); }
int16_t Truncate16(float v) { return static_cast<int16_t>(Clamp1(v) * 32767.0f); }

float Step(float previous, float current, uint32_t frames) {
    return (current - previous) * (1.0f / static_cast<float>(frames));
}

}  // namespace

void MixChannel(const float* src, float* dst, uint32_t frames, float gain, float step) {
    if (step != 0.0f) {
        __m128 g0 = _mm_setr_ps(gain, gain + step, gain + 2 * step, gain + 3 * step);
        __m128 g1 = _mm_add_ps(g0, _mm_set1_ps(4 * step));
        const __m128 advance = _mm_set1_ps(8 * step);
        for (uint32_t i = 0; i < frames; i += 8) {
            _mm_storeu_ps(dst + i, _mm_add_ps(_mm_loadu_ps(dst + i), _mm_mul_ps(_mm_loadu_ps(src + i), g0)));
            _mm_storeu_ps(dst + i + 4,
                          _mm_add_ps(_mm_loadu_ps(dst + i + 4), _mm_mul_ps(_mm_loadu_ps(src + i + 4), g1)));
            g0 = _mm_add_ps(g0, advance);
            g1 = _mm_add_ps(g1, advance);
        }
    } else if (gain != 0.0f) {
        const __m128 g = _mm_set1_ps(gain);
        for (uint32_t i = 0; i < frames; i += 4)
            _mm_storeu_ps(dst + i, _mm_add_ps(_mm_loadu_ps(dst + i), _mm_mul_ps(_mm_loadu_ps(src + i), g)));
    }
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
    const float step = Step(previous, current, frames);
    const float* left = planar;
    const float* right = planar + frames;
    __m128 g = _mm_setr_ps(previous, previous + step, previous + 2 * step, previous + 3 * step);
    const __m128 advance = _mm_set1_ps(4 * step);
    for (uint32_t i = 0; i < frames; i += 4) {
        const __m128 l = _mm_mul_ps(_mm_loadu_ps(left + i), g);
        const __m128 r = _mm_mul_ps(_mm_loadu_ps(right + i), g);
        _mm_storeu_ps(out + 2 * i, _mm_unpacklo_ps(l, r));
        _mm_storeu_ps(out + 2 * i + 4, _mm_unpackhi_ps(l, r));
        g = _mm_add_ps(g, advance);
    }
}

void InterleaveFivePointOne(const float* planar, float* out, uint32_t frames, float previous, float current,
                            float previousLfe, float currentLfe) {
    // Planar L, R, C, SL, SR, LFE -> device L, R, C, LFE, SL, SR.
    static constexpr uint32_t kPlanarOfDevice[6] = {0, 1, 2, 5, 3, 4};
    const float step = Step(previous, current, frames);
    const float stepLfe = Step(previousLfe, currentLfe, frames);
    for (uint32_t k = 0; k < frames; ++k) {
        const float g = previous + static_cast<float>(k) * step;
        const float gLfe = previousLfe + static_cast<float>(k) * stepLfe;
        for (uint32_t d = 0; d < 6; ++d)
            out[6 * k + d] = planar[kPlanarOfDevice[d] * frames + k] * (d == 3 ? gLfe : g);
    }
}

namespace {
// Four samples scaled and rounded to 32 bits. The conversion gives INT_MIN for anything out
// of range, which the 16-bit pack saturates to -32768 whatever the sign: so the scaled value
// is first held at 32767 from above, and not-a-number is made 0.
__m128i ScaleTo32(const float* in) {
    __m128 v = _mm_mul_ps(_mm_loadu_ps(in), _mm_set1_ps(32767.0f));
    v = _mm_and_ps(v, _mm_cmpord_ps(v, v));
    return _mm_cvtps_epi32(_mm_min_ps(v, _mm_set1_ps(32767.0f)));
}
}  // namespace

void FloatTo16(const float* in, int16_t* out, uint32_t count) {
    for (uint32_t i = 0; i < count; i += 16) {
        const __m128i a = ScaleTo32(in + i);
        const __m128i b = ScaleTo32(in + i + 4);
        const __m128i c = ScaleTo32(in + i + 8);
        const __m128i d = ScaleTo32(in + i + 12);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packs_epi32(a, b));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_packs_epi32(c, d));
    }
}

void StereoTo51Pcm16(const float* in, int16_t* out, uint32_t frames) {
    for (uint32_t k = 0; k < frames; ++k) {
        int16_t* o = out + 6 * k;
        o[0] = Truncate16(in[2 * k]);
        o[1] = Truncate16(in[2 * k + 1]);
        o[2] = o[3] = o[4] = o[5] = 0;
    }
}

void FivePointOneToStereoPcm16(const float* in, int16_t* out, uint32_t frames) {
    for (uint32_t k = 0; k < frames; ++k) {
        const float* f = in + 6 * k;
        const float left = f[0] + 0.707f * f[2] + 0.707f * f[4];
        const float right = f[1] + 0.707f * f[2] + 0.707f * f[5];
        out[2 * k] = Truncate16(left);
        out[2 * k + 1] = Truncate16(right);
    }
}

}  // namespace SX::SxMixKernels
