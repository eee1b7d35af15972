// The width-independent loops of the mixing kernels, included inside the namespace of each
// instruction-set variant after it defines: VF (a vector of W floats), W, Load, Store, Add, Mul,
// Set1, G8 (eight gain lanes) with LoadG8, StoreG8, AddG8, Set1G8 and GainOf, Convert16 (16
// floats to 16-bit samples), From16 (W 16-bit samples to W floats, unscaled) and Interleave2
// (two vectors to 2W interleaved floats). No header
// is included here: every function this file makes belongs to the variant's own namespace, so
// no copy built for a wider instruction set can stand in for the baseline one.
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

// A ramp's gains run in eight lanes, each a chain of additions: the variant holds one step of
// the eight in a G8 (LoadG8, StoreG8, AddG8, Set1G8) and widens C consecutive steps into the
// vectors of a pass (GainOf). The chain is what bounds a ramp's speed, so it stays at 8 lanes
// whatever W is: a 16-wide variant adding 8s twice per vector would do twice the additions on
// the same chain, and those additions take the units the mix needs.
constexpr uint32_t U = W < 8 ? 8 : W;  // samples per pass
constexpr uint32_t NV = U / W;         // vectors per pass
constexpr uint32_t C = U / 8;          // steps of the chain per pass

inline G8 FirstLanes(float gain, float step) {
    alignas(32) float lanes[8];
    lanes[0] = gain;
    lanes[1] = gain + step;
    lanes[2] = gain + 2 * step;
    lanes[3] = gain + 3 * step;
    for (uint32_t j = 4; j < 8; ++j) lanes[j] = lanes[j - 4] + 4 * step;
    return LoadG8(lanes);
}

// The C steps of one pass, from `chain`, which moves on past them.
inline void PassGains(G8& chain, G8 advance, G8 (&pass)[C]) {
    pass[0] = chain;
    for (uint32_t c = 1; c < C; ++c) pass[c] = AddG8(pass[c - 1], advance);
    chain = AddG8(pass[C - 1], advance);
}

// The gains of the frames after the last whole pass, one per frame.
inline void TailGains(G8 chain, G8 advance, float (&lanes)[U]) {
    G8 pass[C];
    PassGains(chain, advance, pass);
    for (uint32_t c = 0; c < C; ++c) StoreG8(lanes + 8 * c, pass[c]);
}

void MixRamp(const float* src, float* dst, uint32_t frames, float gain, float step) {
    G8 chain = FirstLanes(gain, step);
    const G8 advance = Set1G8(8 * step);
    uint32_t i = 0;
    for (; i + U <= frames; i += U) {
        G8 g[C];
        PassGains(chain, advance, g);
        VF mixed[NV];
        for (uint32_t v = 0; v < NV; ++v)
            mixed[v] = Add(Load(dst + i + v * W), Mul(Load(src + i + v * W), GainOf(g, v)));
        for (uint32_t v = 0; v < NV; ++v) Store(dst + i + v * W, mixed[v]);
    }
    if (i == frames) return;
    alignas(64) float lanes[U];
    TailGains(chain, advance, lanes);
    for (uint32_t k = 0; i + k < frames; ++k) dst[i + k] = dst[i + k] + src[i + k] * lanes[k];
}

// Two channels, each ramped exactly as MixRamp ramps it alone. A ramp's gains form a chain of
// additions that no reordering may shorten without changing the samples, so one channel runs at
// the speed of that chain; two independent chains advance side by side in the same time.
// The channels' fields are read into locals first: through the references the compiler must
// read them again after every store, and those reads wait on the stores. Each pass loads both
// channels before it stores either: a load after a store to an address a multiple of 4 KB away
// (the channels of a buffer are 4 KB apart) may wait for the store.
void MixRampPair(const SxRampedChannel& a, const SxRampedChannel& b, uint32_t frames) {
    const float* const srcA = a.src;
    const float* const srcB = b.src;
    float* const dstA = a.dst;
    float* const dstB = b.dst;
    G8 chainA = FirstLanes(a.gain, a.step), chainB = FirstLanes(b.gain, b.step);
    const G8 advanceA = Set1G8(8 * a.step), advanceB = Set1G8(8 * b.step);
    uint32_t i = 0;
    for (; i + U <= frames; i += U) {
        G8 gA[C], gB[C];
        PassGains(chainA, advanceA, gA);
        PassGains(chainB, advanceB, gB);
        VF mixedA[NV], mixedB[NV];
        for (uint32_t v = 0; v < NV; ++v) {
            const uint32_t at = i + v * W;
            mixedA[v] = Add(Load(dstA + at), Mul(Load(srcA + at), GainOf(gA, v)));
            mixedB[v] = Add(Load(dstB + at), Mul(Load(srcB + at), GainOf(gB, v)));
        }
        for (uint32_t v = 0; v < NV; ++v) Store(dstA + i + v * W, mixedA[v]), Store(dstB + i + v * W, mixedB[v]);
    }
    if (i == frames) return;
    alignas(64) float lanesA[U], lanesB[U];
    TailGains(chainA, advanceA, lanesA);
    TailGains(chainB, advanceB, lanesB);
    for (uint32_t k = 0; i + k < frames; ++k) {
        dstA[i + k] = dstA[i + k] + srcA[i + k] * lanesA[k];
        dstB[i + k] = dstB[i + k] + srcB[i + k] * lanesB[k];
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

// Each sample converts exactly and takes one multiply, so every width gives the same floats.
void Pcm16ToFloat(const int16_t* in, float* out, uint32_t count) {
    constexpr float kScale = 1.0f / 32768.0f;
    const VF scale = Set1(kScale);
    uint32_t i = 0;
    for (; i + W <= count; i += W) Store(out + i, Mul(From16(in + i), scale));
    for (; i < count; ++i) {
        int16_t sample;
        __builtin_memcpy(&sample, in + i, sizeof sample);  // media are only 2-byte aligned
        out[i] = static_cast<float>(sample) * kScale;
    }
}
