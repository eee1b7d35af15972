// The sixteen-wide variant of the ramped mixes, the stereo interleave and the 16-bit
// conversion; this file is compiled for AVX-512 and runs only where the processor has it.
#include <immintrin.h>

#include <cstdint>

#include "sound/engine/lower/SxMixKernelPaths.h"

namespace SX::SxMixKernels::avx512 {

using VF = __m512;
constexpr uint32_t W = 16;

inline VF Load(const float* p) { return _mm512_loadu_ps(p); }
inline void Store(float* p, VF v) { _mm512_storeu_ps(p, v); }
inline VF Add(VF a, VF b) { return _mm512_add_ps(a, b); }
inline VF Mul(VF a, VF b) { return _mm512_mul_ps(a, b); }
inline VF Set1(float v) { return _mm512_set1_ps(v); }

// Eight gain lanes are a half vector; a pass of sixteen frames joins two steps of them.
using G8 = __m256;
inline G8 LoadG8(const float* p) { return _mm256_loadu_ps(p); }
inline void StoreG8(float* p, G8 g) { _mm256_storeu_ps(p, g); }
inline G8 AddG8(G8 a, G8 b) { return _mm256_add_ps(a, b); }
inline G8 Set1G8(float v) { return _mm256_set1_ps(v); }

// The zero-masking forms with every lane selected are the plain instructions; unlike the
// plain intrinsics they start from a defined register, which keeps the compiler's
// uninitialised-value warning quiet.
constexpr __mmask16 kAll = 0xFFFF;
constexpr __mmask8 kAllPairs = 0xFF;  // every 64-bit lane

inline VF GainOf(const G8* g, uint32_t v) {
    const __m512d low = _mm512_maskz_insertf64x4(kAllPairs, _mm512_setzero_pd(), _mm256_castps_pd(g[2 * v]), 0);
    return _mm512_castpd_ps(_mm512_maskz_insertf64x4(kAllPairs, low, _mm256_castps_pd(g[2 * v + 1]), 1));
}

// Not-a-number lanes are dropped to 0 by the ordered-compare mask.
inline void Convert16(const float* in, int16_t* out) {
    VF v = _mm512_mul_ps(_mm512_loadu_ps(in), _mm512_set1_ps(32767.0f));
    v = _mm512_maskz_min_ps(_mm512_cmp_ps_mask(v, v, _CMP_ORD_Q), v, _mm512_set1_ps(32767.0f));
    const __m512i i = _mm512_maskz_cvtps_epi32(kAll, v);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm512_maskz_cvtsepi32_epi16(kAll, i));
}

inline VF From16(const int16_t* in) {
    const __m512i wide = _mm512_maskz_cvtepi16_epi32(kAll, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in)));
    return _mm512_maskz_cvtepi32_ps(kAll, wide);
}

// The unpacks work per 128-bit quarter; the permutes put the eight quarters in order.
inline void Interleave2(VF l, VF r, float* out) {
    const VF lo = _mm512_maskz_unpacklo_ps(kAll, l, r), hi = _mm512_maskz_unpackhi_ps(kAll, l, r);
    const __m512i first = _mm512_setr_epi32(0, 1, 2, 3, 16, 17, 18, 19, 4, 5, 6, 7, 20, 21, 22, 23);
    const __m512i second = _mm512_setr_epi32(8, 9, 10, 11, 24, 25, 26, 27, 12, 13, 14, 15, 28, 29, 30, 31);
    _mm512_storeu_ps(out, _mm512_permutex2var_ps(lo, first, hi));
    _mm512_storeu_ps(out + 16, _mm512_permutex2var_ps(lo, second, hi));
}

#include "sound/engine/lower/SxMixKernelBody.h"

}  // namespace SX::SxMixKernels::avx512

namespace SX::SxMixKernels {

const SxKernelPath& SxKernelPathAvx512() {
    const SxKernelPath& base = SxKernelPathSse2();
    static const SxKernelPath path = {"avx512",
                                      &avx512::MixRamp,
                                      &avx512::MixRampPair,
                                      &avx512::MixConstant,
                                      &avx512::InterleaveStereo,
                                      base.interleaveFivePointOne,
                                      &avx512::FloatTo16,
                                      &avx512::Pcm16ToFloat,
                                      base.stereoTo51Pcm16,
                                      base.fivePointOneToStereoPcm16};
    return path;
}

}  // namespace SX::SxMixKernels
