#pragma once
// Look-ahead peak limiter: the signal is delayed by the look-ahead time so that the gain
// reduction is in place when a peak leaves the delay. The detector follows the absolute peak
// held for the look-ahead length; the reduction follows a ratio with a release time.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/plugin/ISxPlugin.h"
#include "sound/engine/plugin/SxPluginDsp.h"

namespace SX {

constexpr uint32_t SxPeakLimiterFXParamsBlockSize = 22;

struct SxPeakLimiterFXParams {
    float threshold = -12.0f;  // dB
    float ratio = 10.0f;
    float releaseTime = 0.2f;  // s
    float outputGain = 1.0f;   // linear
    uint8_t settingsChanged = 0;
    float lookAheadTime = 0.01f;  // s
    uint8_t processLFE = 1;
    uint8_t channelLink = 1;
    uint8_t layoutChanged = 0;
};

class CSxPeakLimiterFXParams final : public ISxPluginParam, public SxPeakLimiterFXParams {
public:
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // A block of any other size than 22 bytes is refused and the defaults are kept.
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;
};

class CSxPeakLimiterFX final : public ISxInPlaceEffectPlugin {
public:
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT Reset() override;
    SXRESULT GetPluginInfo(SxPluginInfo& info) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    void Execute(SxAudioBuffer* buffer) override;
    SXRESULT TimeSkip(uint32_t) override { return SX_DataReady; }

    bool IsLinked() const { return m_linked; }

private:
    friend struct platform::TestProbe<CSxPeakLimiterFX>;

    struct Detector {
        float reduction;  // dB
        float heldPeak;
        uint32_t holdLeft;
    };
    SXRESULT SetUpLayout();
    void FreeLayout();
    float Gain(Detector& detector, float peak) const;
    void FirstScan(const SxAudioBuffer& buffer, uint32_t channels);
    void ProcessIndependent(SxAudioBuffer& buffer);
    void ProcessLinked(SxAudioBuffer& buffer);

    bool m_linked = false;
    CSxPeakLimiterFXParams* m_params = nullptr;
    ISxPluginMemAlloc* m_allocator = nullptr;
    float m_prevOutputGain = 1.0f;
    uint32_t m_sampleRate = 0;
    uint32_t m_channelMask = 0;
    uint32_t m_processed = 0;
    uint32_t m_detectorCount = 0;
    uint32_t m_lookAhead = 0;
    Detector* m_detectors = nullptr;
    float* m_line = nullptr;
    uint32_t m_position = 0;
    SxFXTailHandler m_tail;
    float m_releaseCoef = 0.0f;
    float m_attackCoef = 0.0f;
    bool m_firstBuffer = true;
    // Parameters as taken at the last settings change.
    float m_threshold = -12.0f;
    float m_ratio = 10.0f;
};

ISxPlugin* CreatePeakLimiterFX(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreatePeakLimiterFXParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
