// The baseline variant of the mixing kernels: four floats per instruction. The master
// interleave of 5.1 and the layout converters live only here; the wider variants use them too.
#include <emmintrin.h>

#include <cstdint>

#include "sound/engine/lower/SxMixKernelPaths.h"

namespace SX::SxMixKernels::sse2 {

using VF = __m128;
constexpr uint32_t W = 4;

inline VF Load(const float* p) { return _mm_loadu_ps(p); }
inline void Store(float* p, VF v) { _mm_storeu_ps(p, v); }
inline VF Add(VF a, VF b) { return _mm_add_ps(a, b); }
inline VF Mul(VF a, VF b) { return _mm_mul_ps(a, b); }
inline VF Set1(float v) { return _mm_set1_ps(v); }

// Eight gain lanes in two vectors; a pass of eight frames takes one step of them.
struct G8 {
    VF low, high;
};
inline G8 LoadG8(const float* p) { return {Load(p), Load(p + 4)}; }
inline void StoreG8(float* p, G8 g) { Store(p, g.low), Store(p + 4, g.high); }
inline G8 AddG8(G8 a, G8 b) { return {Add(a.low, b.low), Add(a.high, b.high)}; }
inline G8 Set1G8(float v) { return {Set1(v), Set1(v)}; }
inline VF GainOf(const G8* g, uint32_t v) { return v % 2 == 0 ? g[v / 2].low : g[v / 2].high; }

// Not-a-number lanes become 0.
inline VF ZeroNaN(VF v) { return _mm_and_ps(v, _mm_cmpord_ps(v, v)); }

inline __m128i Scale4(const float* in) {
    const VF v = ZeroNaN(_mm_mul_ps(_mm_loadu_ps(in), _mm_set1_ps(32767.0f)));
    return _mm_cvtps_epi32(_mm_min_ps(v, _mm_set1_ps(32767.0f)));
}

inline void Convert16(const float* in, int16_t* out) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packs_epi32(Scale4(in), Scale4(in + 4)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_packs_epi32(Scale4(in + 8), Scale4(in + 12)));
}

// Each sample doubled into a 32-bit lane and shifted back down keeps its sign.
inline VF From16(const int16_t* in) {
    const __m128i x = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in));
    return _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(x, x), 16));
}

inline void Interleave2(VF l, VF r, float* out) {
    _mm_storeu_ps(out, _mm_unpacklo_ps(l, r));
    _mm_storeu_ps(out + 4, _mm_unpackhi_ps(l, r));
}

#include "sound/engine/lower/SxMixKernelBody.h"

// Planar L, R, C, SL, SR, LFE to device frames L, R, C, LFE, SL, SR, four frames per pass.
void InterleaveFivePointOne(const float* planar, float* out, uint32_t frames, float gain, float step, float gainLfe,
                            float stepLfe) {
    alignas(16) float lanes[4] = {gain, gain + step, gain + 2 * step, gain + 3 * step};
    alignas(16) float lanesLfe[4] = {gainLfe, gainLfe + stepLfe, gainLfe + 2 * stepLfe, gainLfe + 3 * stepLfe};
    VF g = Load(lanes), gLfe = Load(lanesLfe);
    const VF advance = Set1(4 * step), advanceLfe = Set1(4 * stepLfe);
    const float* L = planar;
    const float* R = planar + frames;
    const float* C = planar + 2 * frames;
    const float* SL = planar + 3 * frames;
    const float* SR = planar + 4 * frames;
    const float* LFE = planar + 5 * frames;
    uint32_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        const VF lr0 = _mm_unpacklo_ps(Mul(Load(L + i), g), Mul(Load(R + i), g));
        const VF lr1 = _mm_unpackhi_ps(Mul(Load(L + i), g), Mul(Load(R + i), g));
        const VF cd0 = _mm_unpacklo_ps(Mul(Load(C + i), g), Mul(Load(LFE + i), gLfe));
        const VF cd1 = _mm_unpackhi_ps(Mul(Load(C + i), g), Mul(Load(LFE + i), gLfe));
        const VF s0 = _mm_unpacklo_ps(Mul(Load(SL + i), g), Mul(Load(SR + i), g));
        const VF s1 = _mm_unpackhi_ps(Mul(Load(SL + i), g), Mul(Load(SR + i), g));
        float* o = out + 6 * i;
        Store(o, _mm_movelh_ps(lr0, cd0));
        Store(o + 4, _mm_shuffle_ps(s0, lr0, _MM_SHUFFLE(3, 2, 1, 0)));
        Store(o + 8, _mm_movehl_ps(s0, cd0));
        Store(o + 12, _mm_movelh_ps(lr1, cd1));
        Store(o + 16, _mm_shuffle_ps(s1, lr1, _MM_SHUFFLE(3, 2, 1, 0)));
        Store(o + 20, _mm_movehl_ps(s1, cd1));
        g = Add(g, advance);
        gLfe = Add(gLfe, advanceLfe);
    }
    Store(lanes, g);
    Store(lanesLfe, gLfe);
    for (uint32_t k = 0; i + k < frames; ++k) {
        const uint32_t f = i + k;
        float* o = out + 6 * f;
        o[0] = L[f] * lanes[k];
        o[1] = R[f] * lanes[k];
        o[2] = C[f] * lanes[k];
        o[3] = LFE[f] * lanesLfe[k];
        o[4] = SL[f] * lanes[k];
        o[5] = SR[f] * lanes[k];
    }
}

inline __m128i ClampTruncate4(VF v) {
    v = _mm_max_ps(_mm_min_ps(ZeroNaN(v), _mm_set1_ps(1.0f)), _mm_set1_ps(-1.0f));
    return _mm_cvttps_epi32(_mm_mul_ps(v, _mm_set1_ps(32767.0f)));
}

// Each stereo pair is one 32-bit unit; a 5.1 frame is three of them: the pair, then silence.
void StereoTo51Pcm16(const float* in, int16_t* out, uint32_t frames) {
    const __m128i first = _mm_setr_epi32(-1, 0, 0, -1), second = _mm_setr_epi32(0, 0, -1, 0),
                  third = _mm_setr_epi32(0, -1, 0, 0);
    uint32_t k = 0;
    for (; k + 4 <= frames; k += 4) {
        const __m128i pairs = _mm_packs_epi32(ClampTruncate4(Load(in + 2 * k)), ClampTruncate4(Load(in + 2 * k + 4)));
        __m128i* o = reinterpret_cast<__m128i*>(out + 6 * k);
        _mm_storeu_si128(o, _mm_and_si128(_mm_shuffle_epi32(pairs, _MM_SHUFFLE(1, 0, 0, 0)), first));
        _mm_storeu_si128(o + 1, _mm_and_si128(_mm_shuffle_epi32(pairs, _MM_SHUFFLE(2, 2, 2, 2)), second));
        _mm_storeu_si128(o + 2, _mm_and_si128(_mm_shuffle_epi32(pairs, _MM_SHUFFLE(3, 3, 3, 3)), third));
    }
    for (; k < frames; ++k) {
        int16_t* o = out + 6 * k;
        o[0] = ClampTruncate16(in[2 * k]);
        o[1] = ClampTruncate16(in[2 * k + 1]);
        o[2] = o[3] = o[4] = o[5] = 0;
    }
}

// Two device frames per vector: (L, R) + 0.707 (C, C) + 0.707 (SL, SR).
inline VF FoldTwoFrames(const float* f) {
    const VF v0 = Load(f), v1 = Load(f + 4), v2 = Load(f + 8);
    const VF front = _mm_shuffle_ps(v0, v1, _MM_SHUFFLE(3, 2, 1, 0));
    const VF centre = _mm_shuffle_ps(v0, v2, _MM_SHUFFLE(0, 0, 2, 2));
    const VF surround = _mm_shuffle_ps(v1, v2, _MM_SHUFFLE(3, 2, 1, 0));
    const VF k = _mm_set1_ps(0.707f);
    return Add(Add(front, Mul(k, centre)), Mul(k, surround));
}

void FivePointOneToStereoPcm16(const float* in, int16_t* out, uint32_t frames) {
    uint32_t k = 0;
    for (; k + 4 <= frames; k += 4) {
        const __m128i a = ClampTruncate4(FoldTwoFrames(in + 6 * k));
        const __m128i b = ClampTruncate4(FoldTwoFrames(in + 6 * k + 12));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * k), _mm_packs_epi32(a, b));
    }
    for (; k < frames; ++k) {
        const float* f = in + 6 * k;
        out[2 * k] = ClampTruncate16(f[0] + 0.707f * f[2] + 0.707f * f[4]);
        out[2 * k + 1] = ClampTruncate16(f[1] + 0.707f * f[2] + 0.707f * f[5]);
    }
}

}  // namespace SX::SxMixKernels::sse2

namespace SX::SxMixKernels {

const SxKernelPath& SxKernelPathSse2() {
    static const SxKernelPath path = {"sse2",
                                      &sse2::MixRamp,
                                      &sse2::MixRampPair,
                                      &sse2::MixConstant,
                                      &sse2::InterleaveStereo,
                                      &sse2::InterleaveFivePointOne,
                                      &sse2::FloatTo16,
                                      &sse2::Pcm16ToFloat,
                                      &sse2::StereoTo51Pcm16,
                                      &sse2::FivePointOneToStereoPcm16};
    return path;
}

}  // namespace SX::SxMixKernels
