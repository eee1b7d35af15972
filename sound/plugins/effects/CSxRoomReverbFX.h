#pragma once
// Room reverb: table-driven early reflections, four diffusing all-pass stages, a bank of
// small four-line feedback networks (the reverb units), three optional equaliser filters, DC
// blocking and a ramped mix of dry, early-reflection and reverb signals into each channel.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/plugin/ISxPlugin.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/plugins/effects/SxReverbBlocks.h"

namespace SX {

constexpr uint32_t SxRoomReverbFXParamsBlockSize = 186;
constexpr uint32_t SxRoomReverbMaxUnits = 64;

struct SxRoomRampedParams {
    float decayTime = 1.2f;
    float hfDamping = 2.25f;
    float diffusion = 100.0f;  // %
    float width = 180.0f;      // degrees
    float filterGain[3] = {0.0f, 0.0f, 0.0f};
    float filterFrequency[3] = {100.0f, 1000.0f, 10000.0f};
    float filterQ[3] = {1.0f, 1.0f, 1.0f};
    float outputLevel[4] = {1.0f, 1.0f, 1.0f, 1.5848932e-05f};  // linear; the last feeds the LFE
    float dryLevel = 1.0f;
    float erLevel = 0.1f;
    float reverbLevel = 0.070794578f;  // -20 dB applied as -23 dB
};

struct SxRoomStructParams {
    uint32_t pattern = 23;
    float reverbDelay = 25.0f;  // ms
    float roomShape = 0.0f;     // %
    float rearDelay = 40.0f;    // ms
    float roomSize = 80.0f;     // %
    float density = 100.0f;     // %
    uint32_t unitCount = 8;
    float centreLevel = 1.0f;                // linear
    float lfeLevel = 1.5848932e-05f;         // linear
    uint32_t filterPosition[3] = {3, 3, 3};  // 0 off, 1 early reflections, 2 reverb input, 3 downmix
    uint32_t filterCurve[3] = {0, 1, 2};
    uint8_t eqEnabled = 0;
    uint8_t erEnabled = 1;
};

struct SxRoomTuningParams {
    float shortestBound = 8.0f;  // ms
    float longestBound = 50.0f;  // ms
    float unitJitter = 2.0f;     // %
    float lowSpread = 0.1f;
    float highSpread = 0.8f;
    float diffusionRatio = 66.0f;  // %
    float firstDiffusion = 15.0f;  // ms
    float diffusionJitter = 5.0f;  // %
    float dcCorner = 40.0f;        // Hz
    float inputDelayBase = 0.5f;
    float inputDelayJitter = 50.0f;
};

struct SxRoomReverbFXParams {
    SxRoomRampedParams ramped;
    uint8_t rampedChanged = 1;
    SxRoomStructParams structural;
    uint8_t structChanged = 1;
    SxRoomTuningParams tuning;
};

class CSxRoomReverbFXParams final : public ISxPluginParam, public SxRoomReverbFXParams {
public:
    // Unknown IDs are ignored (1); a unit count of 0 is refused (31); a pattern past the table
    // is held to its last row.
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // A block of any other size than 186 bytes, or with a unit count of 0, is refused and the
    // defaults are kept.
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;
};

// Samples for a list of times in ms: each odd and raised by 2 past its odd divisors below
// trunc(sqrt(first odd value)) + 1, and past the length before it in the list.
void SxRoomPrimeLengths(const float* ms, uint32_t count, uint32_t sampleRate, uint32_t* samples);

class CSxRoomReverbFX final : public ISxInPlaceEffectPlugin {
public:
    static constexpr uint32_t kChunk = 256;

    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT Reset() override;
    SXRESULT GetPluginInfo(SxPluginInfo& info) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    void Execute(SxAudioBuffer* buffer) override;
    SXRESULT TimeSkip(uint32_t) override { return SX_DataReady; }

    uint32_t EarlyTapCount(uint32_t side) const { return m_er.count[side]; }

private:
    friend struct platform::TestProbe<CSxRoomReverbFX>;

    struct Stage {
        float* buffer = nullptr;  // pairs {delayed input, delayed output}
        uint32_t length = 0;
        uint32_t position = 0;
        float g = 0.0f;
    };
    struct Unit {
        DelayLine lines[4];
        float b0[4];
        float b[4];
        float state[4];
        DelayLine input;
    };
    struct Filter {
        BiquadFilter biquad;
        uint32_t position;
        uint32_t band;
    };
    struct EarlyUnit {
        float* buffer = nullptr;
        uint32_t length = 0;
        uint32_t count[2] = {0, 0};
        uint16_t read[2][64] = {};
        float gain[2][64] = {};
        uint32_t write = 0;
    };

    SXRESULT Build();
    void FreeAll();
    SXRESULT BuildFilters();
    SXRESULT BuildUnits();
    SXRESULT BuildEarly();
    SXRESULT BuildStages();
    void ComputeUnitCoefficients();
    void ComputeStageCoefficients();
    void DesignFilters();
    void RunFilters(uint32_t position, float* left, float* right, uint32_t n);
    void RunEarly(const float* input, float* left, float* right, uint32_t n);
    void RunStages(float* x, uint32_t n);
    void Process(SxAudioBuffer& buffer, uint32_t outputs);

    Stage m_stages[4];
    DCFilter m_dc[6];
    SxFXTailHandler m_tail;
    uint32_t m_tailLength = 0;
    float m_unitNorm = 1.0f;
    uint32_t m_unitCount = 0;
    uint32_t m_sampleRate = 0;
    Unit* m_units = nullptr;
    Filter* m_filters = nullptr;
    uint32_t m_filterCount = 0;
    EarlyUnit m_er;
    uint32_t m_erChannels = 0;
    bool m_sendMode = false;
    DelayLine m_reverbDelay, m_preEr, m_rear[2];
    SxRoomRampedParams m_lastRamped;  // where this frame's ramps start
    uint32_t m_channelMask = 0;
    bool m_ready = false;        // the last build succeeded
    float* m_scratch = nullptr;  // kChunk floats per work buffer
    CSxRoomReverbFXParams* m_params = nullptr;
    ISxPluginMemAlloc* m_allocator = nullptr;
};

ISxPlugin* CreateRoomReverbFX(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateRoomReverbFXParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
