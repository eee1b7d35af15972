#pragma once
// Building blocks of the wind and whoosh synths: their random draws, the pink-noise excitation,
// the resonance-gain law of a deflector and the bank of noise-excited resonators (one lane
// per deflector) panned to one, two or four channels.
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "sound/engine/lower/SxAudioBuffer.h"
#include "sound/engine/plugin/ISxPlugin.h"
#include "sound/plugins/effects/SxReverbBlocks.h"

namespace SX {

// Reads packed little-endian fields of a parameter block, answering false once a read would
// run past its end.
struct SxBlockCursor {
    const uint8_t* data;
    uint32_t size;
    uint32_t offset = 0;
    template <typename T>
    bool Read(T& out) {
        if (offset > size || size - offset < sizeof(T)) return false;
        std::memcpy(&out, data + offset, sizeof(T));
        offset += sizeof(T);
        return true;
    }
    bool Skip(uint32_t bytes) {
        if (offset > size || size - offset < bytes) return false;
        offset += bytes;
        return true;
    }
};

// The channel mask a synth plays: a supported one as it is, any other becomes stereo. One,
// two and four channels are synthesised; the others stay silent.
inline uint32_t SxSynthChannelMask(uint32_t mask) {
    for (uint32_t m : {0x3u, 0x4u, 0x7u, 0x8u, 0xBu, 0xCu, 0xFu, 0x33u, 0x37u, 0x3Bu, 0x3Fu})
        if (mask == m) return mask;
    return 0x3;
}

// The synths' own generator: state x 214013 + 2531011.
struct SxSynthRandom {
    uint32_t state = 1;
    uint32_t Next() { return state = state * 214013u + 2531011u; }
    // -1 .. 1
    float Draw() { return float(double(Next()) * (1.0 / 2147483648.0) - 1.0); }
    // 0 .. 1
    float Draw01() { return float(double(Next()) * (1.0 / 4294967296.0)); }
    // -0.5 .. 0.5, the white noise of the excitation
    float Signed() { return float(double(int32_t(Next())) * (1.0 / 4294967296.0)); }
};

// Pink noise from 16 rows of white draws, then a DC-blocking filter.
struct SxPinkExcitation {
    SxSynthRandom white;
    float rows[16] = {};
    float sum = 0.0f;
    uint16_t counter = 0;
    DCFilter dc;

    void Reset(uint32_t seed, uint32_t sampleRate);
    void Generate(float* out, uint32_t count);
};

// 0.5 (1 - r^2) (e^(3.9543 - 0.1648 L - 0.023 L^2) + 0.7) x colour, L = log2(f / Q), r the pole
// radius of the deflector's resonance.
float SxResonanceGain(float frequency, float q, uint32_t sampleRate, float colour);

// The lanes of the resonators: each filters the shared excitation with its own gain ramp and
// adds it, times its pan gains, to the output channels.
class SxResonatorBank {
public:
    static constexpr uint32_t kMaxChannels = 4;

    SXRESULT Init(ISxPluginMemAlloc* allocator, uint32_t lanes, uint32_t channels);
    void Term(ISxPluginMemAlloc* allocator);
    void Reset();

    uint32_t Lanes() const { return m_count; }
    // The pole pair for a centre frequency (held to 20 Hz .. rate / 2) and a Q.
    void SetResonator(uint32_t lane, float centre, float q, uint32_t sampleRate);
    // The gain reached at the end of the next run; at once when immediate.
    void SetGain(uint32_t lane, float gain, uint32_t frames, bool immediate);
    void SetPan(uint32_t lane, const float* gains, uint32_t frames, bool immediate);
    // Adds count samples of every lane to the channels (planar, stride apart), starting at
    // offset; the gain and pan steps run on through consecutive calls.
    void Run(const float* excitation, float* out, uint32_t stride, uint32_t offset, uint32_t count);
    // Every gain and pan gain takes its target; the steps stop.
    void Settle();

    float Gain(uint32_t lane) const { return m_lanes[lane].gain; }

private:
    struct Lane {
        float gain, step, target, a1, a2, y1, y2;
        float pan[kMaxChannels], panStep[kMaxChannels], panTarget[kMaxChannels];
    };
    Lane* m_lanes = nullptr;
    uint32_t m_count = 0;
    uint32_t m_channels = 1;
};

}  // namespace SX
