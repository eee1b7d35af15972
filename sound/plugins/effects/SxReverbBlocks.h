#pragma once
// Small signal-processing units of the reverbs and the synthesised sources: a biquad filter
// with its design for seven curve shapes, a DC-blocking filter and a circular delay line.
// Plain records owned by their user; buffers are single-channel f32, processed in place.
#include <cstdint>

#include "sound/engine/SxTypes.h"
#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

enum SxBiquadCurve : uint32_t {
    SxBiquad_LowShelf = 0,
    SxBiquad_Peaking = 1,
    SxBiquad_HighShelf = 2,
    SxBiquad_LowPass = 3,  // also any value without a curve of its own
    SxBiquad_HighPass = 4,
    SxBiquad_BandPass = 5,
    SxBiquad_Notch = 6,
};

// y = b0 x + b1 x1 + b2 x2 + a1 y1 + a2 y2: the feedback terms carry the sign of a pure sum.
struct SxBiquadCoefs {
    float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;
};

// The design of a curve; the frequency is held to at most 0.45 x the rate. Values that are
// not numbers are replaced (1 kHz, 0 dB, Q 0.707) so that the coefficients stay finite.
SxBiquadCoefs SxDesignBiquad(uint32_t curve, uint32_t sampleRate, float frequency, float gainDb, float q);

// Filters count samples in place with states {x1, x2, y1, y2}; four at a time while four remain.
// States that the input drove to infinity or not-a-number are cleared.
void SxBiquadProcess(const SxBiquadCoefs& coefs, float state[4], float* samples, uint32_t count);

struct BiquadFilter {
    float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;
    float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;

    void ComputeCoefs(uint32_t curve, uint32_t sampleRate, float frequency, float gainDb, float q);
    void Reset() { x1 = x2 = y1 = y2 = 0.0f; }
    void ProcessBuffer(float* samples, uint32_t count);
};

struct DCFilter {
    float x1 = 0.0f;
    float y1 = 0.0f;
    float R = 0.0f;

    void Reset() { x1 = y1 = 0.0f; }
    // y = R y1 + x - x1.
    void ProcessBuffer(float* samples, uint32_t count);
};

struct DelayLine {
    uint32_t length = 0;
    float* buffer = nullptr;
    uint32_t position = 0;

    // At least 4 samples; SX_InsufficientMemory when the buffer cannot be had.
    SXRESULT Init(ISxPluginMemAlloc* allocator, uint32_t samples);
    void Term(ISxPluginMemAlloc* allocator);
    void Reset();
    // Each sample leaves as the input of length samples earlier.
    void ProcessBuffer(float* samples, uint32_t count);
    void ProcessBuffer(const float* input, float* output, uint32_t count);
};

}  // namespace SX
