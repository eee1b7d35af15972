#pragma once
// Parametric equaliser: three second-order bands in series, each one of seven filter types,
// then an output level.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/plugin/ISxPlugin.h"
#include "sound/plugins/effects/SxReverbBlocks.h"

namespace SX {

constexpr uint32_t SxParameterEQFXParamsBlockSize = 56;
constexpr uint32_t SxEQBandCount = 3;

enum SxEQFilterType : uint32_t {
    SxEQ_LowPass = 0,
    SxEQ_HighPass = 1,
    SxEQ_BandPass = 2,
    SxEQ_Notch = 3,
    SxEQ_LowShelf = 4,
    SxEQ_HighShelf = 5,
    SxEQ_Peaking = 6,
};

struct SxEQBand {
    uint32_t type;
    float gain;       // dB
    float frequency;  // Hz
    float q;
    uint8_t on;
};

struct SxParameterEQFXParams {
    SxEQBand bands[SxEQBandCount] = {
        {SxEQ_LowShelf, 0.0f, 120.0f, 5.0f, 1},
        {SxEQ_Peaking, 0.0f, 2000.0f, 5.0f, 1},
        {SxEQ_HighShelf, 0.0f, 5000.0f, 5.0f, 1},
    };
    float outputLevel = 0.0f;  // dB
    uint8_t processLFE = 1;
};

class CSxParameterEQFXParams final : public ISxPluginParam, public SxParameterEQFXParams {
public:
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // A block of any other size than 56 bytes is refused and the defaults are kept.
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;

    uint8_t bandChanged[SxEQBandCount] = {1, 1, 1};
};

// The coefficients of a band type; a type without a formula passes the signal unchanged.
SxBiquadCoefs SxDesignEQBand(const SxEQBand& band, uint32_t sampleRate);

class CSxParametricEQFX final : public ISxInPlaceEffectPlugin {
public:
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT Reset() override;
    SXRESULT GetPluginInfo(SxPluginInfo& info) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    void Execute(SxAudioBuffer* buffer) override;
    SXRESULT TimeSkip(uint32_t) override { return SX_DataReady; }

private:
    friend struct platform::TestProbe<CSxParametricEQFX>;

    SxBiquadCoefs m_coefs[SxEQBandCount];
    CSxParameterEQFXParams* m_params = nullptr;
    uint32_t m_processed = 0;
    uint32_t m_sampleRate = 0;
    float* m_memories = nullptr;  // {x1, x2, y1, y2} per band and channel, band-major
    float m_prevLevel = 1.0f;
    bool m_processLFE = true;
    ISxPluginMemAlloc* m_allocator = nullptr;
};

ISxPlugin* CreateParametricEQFX(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateParametricEQFXParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
