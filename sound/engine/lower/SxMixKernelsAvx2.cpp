// The eight-wide variant of the ramped mixes, the stereo interleave and the 16-bit conversion;
// this file is compiled for AVX2 and runs only where the processor has it.
#include <immintrin.h>

#include <cstdint>

#include "sound/engine/lower/SxMixKernelPaths.h"

namespace SX::SxMixKernels::avx2 {

using VF = __m256;
constexpr uint32_t W = 8;

inline VF Load(const float* p) { return _mm256_loadu_ps(p); }
inline void Store(float* p, VF v) { _mm256_storeu_ps(p, v); }
inline VF Add(VF a, VF b) { return _mm256_add_ps(a, b); }
inline VF Mul(VF a, VF b) { return _mm256_mul_ps(a, b); }
inline VF Set1(float v) { return _mm256_set1_ps(v); }

// Eight gain lanes are one vector.
using G8 = VF;
inline G8 LoadG8(const float* p) { return Load(p); }
inline void StoreG8(float* p, G8 g) { Store(p, g); }
inline G8 AddG8(G8 a, G8 b) { return Add(a, b); }
inline G8 Set1G8(float v) { return Set1(v); }
inline VF GainOf(const G8* g, uint32_t v) { return g[v]; }

inline __m256i Scale8(const float* in) {
    VF v = _mm256_mul_ps(_mm256_loadu_ps(in), _mm256_set1_ps(32767.0f));
    v = _mm256_and_ps(v, _mm256_cmp_ps(v, v, _CMP_ORD_Q));
    return _mm256_cvtps_epi32(_mm256_min_ps(v, _mm256_set1_ps(32767.0f)));
}

// The pack works per 128-bit half; the permute puts the four quarters back in order.
inline void Convert16(const float* in, int16_t* out) {
    const __m256i packed = _mm256_packs_epi32(Scale8(in), Scale8(in + 8));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute4x64_epi64(packed, 0xD8));
}

inline VF From16(const int16_t* in) {
    return _mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in))));
}

inline void Interleave2(VF l, VF r, float* out) {
    const VF lo = _mm256_unpacklo_ps(l, r), hi = _mm256_unpackhi_ps(l, r);
    _mm256_storeu_ps(out, _mm256_permute2f128_ps(lo, hi, 0x20));
    _mm256_storeu_ps(out + 8, _mm256_permute2f128_ps(lo, hi, 0x31));
}

#include "sound/engine/lower/SxMixKernelBody.h"

}  // namespace SX::SxMixKernels::avx2

namespace SX::SxMixKernels {

const SxKernelPath& SxKernelPathAvx2() {
    const SxKernelPath& base = SxKernelPathSse2();
    static const SxKernelPath path = {"avx2",
                                      &avx2::MixRamp,
                                      &avx2::MixRampPair,
                                      &avx2::MixConstant,
                                      &avx2::InterleaveStereo,
                                      base.interleaveFivePointOne,
                                      &avx2::FloatTo16,
                                      &avx2::Pcm16ToFloat,
                                      base.stereoTo51Pcm16,
                                      base.fivePointOneToStereoPcm16};
    return path;
}

}  // namespace SX::SxMixKernels
