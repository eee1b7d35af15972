#pragma once
// Modal synthesis: a mono input excites a bank of two-pole resonators (modes), each with a
// frequency, a bandwidth and a level, mixed with the dry input. The mode list may be
// randomised once per instance; the effect keeps running while its ring-out is audible.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

constexpr uint32_t SxModalSynthParamsHeaderSize = 41;
constexpr uint32_t SxModalModeBlockSize = 12;

struct SxModalMode {
    float frequency;    // Hz
    float secondValue;  // kept with the mode
    float bandwidth;    // Hz
    float levelOffset;  // dB, set by the level spread
};

class CSxModalSynthParams final : public ISxPluginParam {
public:
    ~CSxModalSynthParams() override;
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // 41 bytes and 12 a mode; a block of another size is refused and the defaults (no modes)
    // are kept.
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;

    ISxPluginMemAlloc* allocator = nullptr;
    float dryGain = 1.0f;     // linear
    float outputGain = 1.0f;  // linear
    float freqShift = 0.0f;   // hundredths of an octave
    float freqRange = 0.0f;
    float bandwidthShift = 0.0f;
    float bandwidthRange = 0.0f;
    float levelSpread = 0.0f;  // dB
    float modesUsed = 100.0f;  // percent
    uint8_t randomFrequency = 1;
    uint8_t randomBandwidth = 1;
    uint8_t randomLevel = 1;
    SxModalMode* modes = nullptr;
    uint32_t modeCount = 0;
    float listLevel = 0.0f;  // dB

private:
    void SetDefaults();
    // The list at offset 35 of the block: level, u16 count, the modes; size must cover them.
    SXRESULT ReadModeList(const uint8_t* data, uint32_t size);
    void FreeModes();
};

class CSxModalSynth final : public ISxInPlaceEffectPlugin {
public:
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT Reset() override;
    SXRESULT GetPluginInfo(SxPluginInfo& info) override;
    // SX_UnsupportedChannelConfig for any input but mono (centre).
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    void Execute(SxAudioBuffer* buffer) override;
    SXRESULT TimeSkip(uint32_t) override { return SX_DataReady; }

private:
    friend struct platform::TestProbe<CSxModalSynth>;

    void Randomise();
    void FreeAll();

    CSxModalSynthParams* m_params = nullptr;
    uint32_t m_channels = 0;
    uint32_t m_sampleRate = 0;
    float* m_states = nullptr;   // y1, y2 per mode
    float* m_coefs = nullptr;    // per group of four modes: 4 c, 4 a1, 4 a2
    float* m_scratch = nullptr;  // one frame's resonator sum
    SxModalMode* m_modes = nullptr;
    uint32_t m_modeCount = 0;
    uint32_t m_used = 0;
    float m_dryGain = 1.0f;
    float m_outputGain = 1.0f;
    ISxPluginMemAlloc* m_allocator = nullptr;
    float m_dcX1 = 0.0f, m_dcY1 = 0.0f, m_dcR = 0.0f;
};

ISxPlugin* CreateModalSynth(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateModalSynthParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
