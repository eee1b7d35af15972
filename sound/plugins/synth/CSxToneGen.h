#pragma once
// A mono test or effect tone: sine, triangle, square or sawtooth from wavetables, white or
// pink noise, optionally swept in frequency over each loop, shaped by an envelope and scaled
// by a gain that glides to new values.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

constexpr uint32_t kToneGenParamsSize = 65;

struct SxToneGenValues {
    float gainDb = 0.0f;
    float startFreq = 440.0f;
    float endFreq = 0.0f;
    float startFreqRandMin = 0.0f;
    float startFreqRandMax = 0.0f;
    uint8_t sweepOn = 0;
    uint32_t sweepShape = 0;  // 1 curved, else linear
    float endFreqRandMin = 0.0f;
    float endFreqRandMax = 0.0f;
    uint32_t waveform = 0;      // SxToneWaveform
    uint32_t envelopeMode = 0;  // 1 attack-decay-sustain-release, else a fixed duration
    float duration = 1.0f;
    float attack = 0.0f;
    float decay = 0.0f;
    float sustainTime = 0.0f;
    float sustainLevelDb = 0.0f;
    float release = 0.0f;
};

enum SxToneWaveform : uint32_t {
    SxTone_Sine = 0,
    SxTone_Triangle = 1,
    SxTone_Square = 2,
    SxTone_Sawtooth = 3,
    SxTone_WhiteNoise = 4,
    SxTone_PinkNoise = 5,
};

class CSxToneGenParams final : public ISxPluginParam {
public:
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // SX_InvalidParameter, keeping the values, for a block shorter than its 65 bytes.
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;

    SxToneGenValues values;
};

class CSxToneGen final : public ISxSourcePlugin {
public:
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT Reset() override;
    SXRESULT GetPluginInfo(SxPluginInfo& info) override;
    // SX_InsufficientMemory when the pink-noise rows cannot be had; SX_InvalidParameter for
    // an unknown waveform or a rate of 0.
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxSourcePluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    float GetDuration() const override;
    SXRESULT StopLooping() override;
    SXRESULT Seek() override { return SX_Success; }
    SXRESULT TimeSkip(uint32_t&) override { return static_cast<SXRESULT>(0); }  // the host skips
    void Execute(SxAudioBuffer* buffer) override;

    uint32_t TotalSamples() const { return m_total; }

    // The white-noise generator that every tone generator of a thread draws from.
    static void SeedNoise(uint32_t state);

private:
    friend struct platform::TestProbe<CSxToneGen>;

    struct LowPass {
        float b0 = 0, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
        float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        float Process(float x);
    };

    float Frequency(float f) const;
    float NextTableValue(float increment, const float* table);
    float NextOversampledValue(float increment, const float* table);
    float NextPink();

    uint32_t m_rate = 0;
    uint16_t m_loops = 1;
    bool m_finite = true;
    bool m_fadesIn = true;  // the envelope starts each loop at 0 (else at 1)
    uint32_t m_produced = 0;
    uint32_t m_position = 0;
    uint32_t m_total = 0;
    uint32_t m_samplesPerLoop = 0;
    uint32_t m_phaseIndex = 0;
    float m_phaseFraction = 0.0f;
    float m_startOffset = 0.0f;
    float m_endOffset = 0.0f;
    float m_frequencyLimit = 0.0f;
    uint32_t m_pinkMask = 0x3FFFFFFF;
    uint32_t m_pinkCounter = 0;
    float m_pinkSum = 0.0f;
    float m_pinkScale = 4.0f / 31.0f;
    float* m_pinkRows = nullptr;
    float m_steps[4] = {};
    uint32_t m_lengths[4] = {};
    uint16_t m_segment = 0;
    uint32_t m_intoSegment = 0;
    float m_envelopeGain = 0.0f;
    const float* m_table = nullptr;
    SxToneGenValues m_values;  // taken at Init (the gain is read live)
    LowPass m_filters[3];
    CSxToneGenParams* m_params = nullptr;
    ISxSourcePluginContext* m_context = nullptr;
    float m_glideStep = 0.0f;
    float m_glideSignedStep = 0.0f;
    float m_targetGain = 1.0f;
    float m_currentGain = 1.0f;
    uint32_t m_glideTaken = 0;
    uint32_t m_glideToTake = 0;
};

ISxPlugin* CreateToneGen(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateToneGenParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
