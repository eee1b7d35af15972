// The plain loops the kernels are measured against, written as anyone would write them and
// left to the compiler, giving the kernels' samples bit for bit. KernelBench.cpp includes this
// file once per instruction set, inside a namespace of its own, with the compiler targeting
// that set; the loops run on whole groups of 8 frames, as the mixer's frames are.

// dst[k] += src[k] x gain(k) into two channels of at most 1024 frames. Each gain ramps in eight
// lanes that start at g, g+s, g+2s, g+3s and four steps above those, every lane advancing by 8
// steps per 8 frames: the gains are written out first (each 8 above the one 8 before, a
// recurrence the vectoriser takes 8 wide), then the mix reads them.
__attribute__((noinline)) void MonoToStereo(const float* __restrict src, float* __restrict left,
                                            float* __restrict right, uint32_t frames, float gainL, float stepL,
                                            float gainR, float stepR) {
    float l[1024], r[1024];
    l[0] = gainL, l[1] = gainL + stepL, l[2] = gainL + 2 * stepL, l[3] = gainL + 3 * stepL;
    r[0] = gainR, r[1] = gainR + stepR, r[2] = gainR + 2 * stepR, r[3] = gainR + 3 * stepR;
    for (int j = 4; j < 8; ++j) l[j] = l[j - 4] + 4 * stepL, r[j] = r[j - 4] + 4 * stepR;
    const float advanceL = 8 * stepL, advanceR = 8 * stepR;
    for (uint32_t k = 8; k < frames; ++k) l[k] = l[k - 8] + advanceL, r[k] = r[k - 8] + advanceR;
    for (uint32_t k = 0; k < frames; ++k) {
        left[k] += src[k] * l[k];
        right[k] += src[k] * r[k];
    }
}

// x 32767, clamped, rounded to nearest even by adding and taking away 1.5 x 2^23 (exact below
// 2^22), narrowed; not-a-number gives 0. Of the plain ways to write it, the one the compiler
// vectorises best here.
__attribute__((noinline)) void FloatTo16(const float* __restrict in, int16_t* __restrict out, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const float v = in[i] * 32767.0f;
        const float high = v < 32767.0f ? v : 32767.0f;
        const float clamped = high > -32768.0f ? high : -32768.0f;
        const float rounded = (clamped + 12582912.0f) - 12582912.0f;
        out[i] = v == v ? static_cast<int16_t>(static_cast<int32_t>(rounded)) : 0;
    }
}
