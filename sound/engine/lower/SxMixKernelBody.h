// The width-independent loops of the mixing kernels, included inside the namespace of each
// instruction-set variant after it defines: VF (a vector of W floats), W, Load, Store, Add, Mul,
// Set1, Convert16 (16 floats to 16-bit samples) and Interleave2 (two vectors to 2W interleaved
// floats). No header is included here: every function this file makes belongs to the variant's
// own namespace, so no copy built for a wider instruction set can stand in for the baseline one.
//
// The ramps build their gains exactly as the four-wide loops always have, (g, g+s, g+2s, g+3s)
// with the next four lanes 4s above them, every lane advancing by 8s per eight samples, so
// every width computes the same gains. Lengths that are not a whole number of vectors finish
// in a scalar loop that does the same arithmetic.

// Rounded to nearest, saturated to 16 bits, not-a-number to 0: the scalar twin of Convert16.
inline int16_t ScaleTo16(float v) {
    const float x = v * 32767.0f;
    if (!(x == x)) return 0;
    if (x >= 32767.0f) return 32767;
    if (x <= -32768.0f) return -32768;
    return static_cast<int16_t>(_mm_cvtss_si32(_mm_set_ss(x)));
}

// Clamped to [-1, 1] (not-a-number to 0), x 32767, truncated toward zero.
inline int16_t ClampTruncate16(float v) {
    if (!(v == v)) return 0;
    const float c = v > 1.0f ? 1.0f : (v < -1.0f ? -1.0f : v);
    return static_cast<int16_t>(c * 32767.0f);
}

// The first U gain lanes of a ramp from gain by step, U a multiple of 8.
template <uint32_t U>
inline void RampLanes(float* lanes, float gain, float step) {
    lanes[0] = gain;
    lanes[1] = gain + step;
    lanes[2] = gain + 2 * step;
    lanes[3] = gain + 3 * step;
    for (uint32_t j = 4; j < 8; ++j) lanes[j] = lanes[j - 4] + 4 * step;
    for (uint32_t j = 8; j < U; ++j) lanes[j] = lanes[j - 8] + 8 * step;
}

void MixRamp(const float* src, float* dst, uint32_t frames, float gain, float step) {
    constexpr uint32_t U = W < 8 ? 8 : W;  // samples per pass
    constexpr uint32_t NV = U / W;         // vectors per pass
    alignas(64) float lanes[U];
    RampLanes<U>(lanes, gain, step);
    VF g[NV];
    for (uint32_t v = 0; v < NV; ++v) g[v] = Load(lanes + v * W);
    const VF advance = Set1(8 * step);
    uint32_t i = 0;
    for (; i + U <= frames; i += U) {
        for (uint32_t v = 0; v < NV; ++v) {
            const uint32_t at = i + v * W;
            Store(dst + at, Add(Load(dst + at), Mul(Load(src + at), g[v])));
            for (uint32_t a = 0; a < U / 8; ++a) g[v] = Add(g[v], advance);
        }
    }
    if (i == frames) return;
    for (uint32_t v = 0; v < NV; ++v) Store(lanes + v * W, g[v]);
    for (uint32_t k = 0; i + k < frames; ++k) dst[i + k] = dst[i + k] + src[i + k] * lanes[k];
}

// Two channels, each ramped exactly as MixRamp ramps it alone. A ramp's gains form a chain of
// additions that no reordering may shorten without changing the samples, so one channel runs at
// the speed of that chain; two independent chains advance side by side in the same time.
void MixRampPair(const SxRampedChannel& a, const SxRampedChannel& b, uint32_t frames) {
    constexpr uint32_t U = W < 8 ? 8 : W;
    constexpr uint32_t NV = U / W;
    alignas(64) float lanesA[U], lanesB[U];
    RampLanes<U>(lanesA, a.gain, a.step);
    RampLanes<U>(lanesB, b.gain, b.step);
    VF gA[NV], gB[NV];
    for (uint32_t v = 0; v < NV; ++v) gA[v] = Load(lanesA + v * W), gB[v] = Load(lanesB + v * W);
    const VF advanceA = Set1(8 * a.step), advanceB = Set1(8 * b.step);
    uint32_t i = 0;
    for (; i + U <= frames; i += U) {
        for (uint32_t v = 0; v < NV; ++v) {
            const uint32_t at = i + v * W;
            Store(a.dst + at, Add(Load(a.dst + at), Mul(Load(a.src + at), gA[v])));
            Store(b.dst + at, Add(Load(b.dst + at), Mul(Load(b.src + at), gB[v])));
            for (uint32_t n = 0; n < U / 8; ++n) gA[v] = Add(gA[v], advanceA), gB[v] = Add(gB[v], advanceB);
        }
    }
    if (i == frames) return;
    for (uint32_t v = 0; v < NV; ++v) Store(lanesA + v * W, gA[v]), Store(lanesB + v * W, gB[v]);
    for (uint32_t k = 0; i + k < frames; ++k) {
        a.dst[i + k] = a.dst[i + k] + a.src[i + k] * lanesA[k];
        b.dst[i + k] = b.dst[i + k] + b.src[i + k] * lanesB[k];
    }
}

void MixConstant(const float* src, float* dst, uint32_t frames, float gain) {
    const VF g = Set1(gain);
    uint32_t i = 0;
    for (; i + W <= frames; i += W) Store(dst + i, Add(Load(dst + i), Mul(Load(src + i), g)));
    for (; i < frames; ++i) dst[i] = dst[i] + src[i] * gain;
}

// The master's gain ramps 4s per four frames: (g, g+s, g+2s, g+3s), the next four lanes 4s above.
void InterleaveStereo(const float* left, const float* right, float* out, uint32_t frames, float gain, float step) {
    alignas(64) float lanes[W];
    lanes[0] = gain;
    lanes[1] = gain + step;
    lanes[2] = gain + 2 * step;
    lanes[3] = gain + 3 * step;
    for (uint32_t j = 4; j < W; ++j) lanes[j] = lanes[j - 4] + 4 * step;
    VF g = Load(lanes);
    const VF advance = Set1(4 * step);
    uint32_t i = 0;
    for (; i + W <= frames; i += W) {
        Interleave2(Mul(Load(left + i), g), Mul(Load(right + i), g), out + 2 * i);
        for (uint32_t a = 0; a < W / 4; ++a) g = Add(g, advance);
    }
    if (i == frames) return;
    Store(lanes, g);
    for (uint32_t k = 0; i + k < frames; ++k) {
        out[2 * (i + k)] = left[i + k] * lanes[k];
        out[2 * (i + k) + 1] = right[i + k] * lanes[k];
    }
}

void FloatTo16(const float* in, int16_t* out, uint32_t count) {
    uint32_t i = 0;
    for (; i + 16 <= count; i += 16) Convert16(in + i, out + i);
    for (; i < count; ++i) out[i] = ScaleTo16(in[i]);
}
