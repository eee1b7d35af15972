#pragma once
// Feedback-delay-network reverb: 4, 8, 12 or 16 delay lines with one-pole absorption filters,
// mixed back through a Householder reflection and a one-step rotation of the lines, tapped for
// each output channel with a fixed pattern of signs. The processed channels' sum passes a DC
// blocker, an optional pre-delay and a tone correction before it enters the network.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/plugin/ISxPlugin.h"
#include "sound/engine/plugin/SxPluginDsp.h"

namespace SX {

constexpr uint32_t SxFDNMaxLines = 16;
constexpr uint32_t SxFDNMaxChannels = 6;
constexpr uint32_t SxFDNReverbFXParamsHeaderSize = 29;

struct SxFDNReverbFXParams {
    float reverbTime = 4.0f;       // s to fall by 60 dB
    float hfRatio = 2.0f;          // low- to high-frequency decay time
    float dryLevel = 0.70794576f;  // linear (-3 dB)
    float wetLevel = 0.31622777f;  // linear (-10 dB)
    uint32_t delayCount = 8;       // 4, 8, 12 or 16
    float preDelay = 0.0f;         // s
    uint32_t processLFE = 1;
    uint32_t delayMode = 0;                // 0 default lengths, 1 lengths from the block
    float delayTimes[SxFDNMaxLines] = {};  // ms
};

class CSxFDNReverbFXParams final : public ISxPluginParam, public SxFDNReverbFXParams {
public:
    // Also refuses (31) a delay-line count other than 4, 8, 12 or 16.
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // The block is 29 bytes, plus 4 a line when it gives the lengths (mode 1). A block of
    // another size, or with a line count other than 4, 8, 12 or 16, is refused and the
    // defaults are kept.
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;

    uint8_t changed = 1;
};

extern const float g_FDNDefaultDelayTimes[SxFDNMaxLines];

// Samples for a time in ms, odd and then raised by 2 until no odd divisor below the bound
// trunc(sqrt(first odd value)) + 1 divides it.
uint32_t SxFDNPrimeLength(float milliseconds, uint32_t sampleRate);

class CSxFDNReverbFX final : public ISxInPlaceEffectPlugin {
public:
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT Reset() override;
    SXRESULT GetPluginInfo(SxPluginInfo& info) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    void Execute(SxAudioBuffer* buffer) override;
    SXRESULT TimeSkip(uint32_t) override { return SX_DataReady; }

private:
    friend struct platform::TestProbe<CSxFDNReverbFX>;

    struct Group {
        float* buffer;    // L frames x 4 lanes
        uint32_t frames;  // L
        uint32_t write;
    };
    SXRESULT SetUp(uint32_t channelMask);
    void FreeBuffers();
    void ComputeCoefficients();
    template <uint32_t N>
    void Process(SxAudioBuffer& buffer);

    CSxFDNReverbFXParams* m_params = nullptr;
    ISxPluginMemAlloc* m_allocator = nullptr;
    float m_cachedTime = 0.0f;
    float m_cachedRatio = 0.0f;
    float* m_preDelay = nullptr;
    uint32_t m_preDelayPos = 0;
    uint32_t m_preDelayLength = 0;
    float m_toneB0 = 1.0f, m_toneB1 = 0.0f, m_toneX1 = 0.0f;
    uint32_t m_lines = 0;  // 0 until a set-up succeeded
    uint32_t m_lengths[SxFDNMaxLines] = {};
    uint32_t m_read[SxFDNMaxLines] = {};
    Group m_groups[SxFDNMaxLines / 4] = {};
    alignas(16) float m_b0[SxFDNMaxLines] = {};
    alignas(16) float m_a1[SxFDNMaxLines] = {};
    alignas(16) float m_state[SxFDNMaxLines] = {};
    float m_dcX1 = 0.0f, m_dcY1 = 0.0f, m_dcR = 0.0f;
    float m_prevDry = 0.0f, m_prevWet = 0.0f;
    SxFXTailHandler m_tail;
    uint32_t m_sampleRate = 0;
    uint32_t m_tailLength = 0;
    uint32_t m_channels = 0;
    float m_signs[SxFDNMaxChannels][SxFDNMaxLines] = {};
    bool m_sendMode = false;
};

ISxPlugin* CreateFDNReverbFX(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateFDNReverbFXParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
