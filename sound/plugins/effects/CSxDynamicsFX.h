#pragma once
// Compressor and expander: an RMS detector in decibels, a gain-reduction envelope with its
// own attack and release, a gain curve set by a ratio, and an output gain. The compressor
// lowers what lies above the threshold, the expander what lies below it. Channels are
// processed independently or linked to one detector.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

enum class SxDynamicsKind { Compressor, Expander };

constexpr uint32_t SxDynamicsFXParamsBlockSize = 22;

struct SxDynamicsFXParams {
    float threshold = -12.0f;  // dB
    float ratio = 4.0f;        // x:1
    float attackTime = 0.01f;  // s
    float releaseTime = 0.1f;  // s
    float outputGain = 1.0f;   // linear
    uint8_t processLFE = 1;
    uint8_t channelLink = 1;

    static SxDynamicsFXParams Defaults(SxDynamicsKind kind);
};

template <SxDynamicsKind Kind>
class CSxDynamicsFXParams final : public ISxPluginParam, public SxDynamicsFXParams {
public:
    CSxDynamicsFXParams() : SxDynamicsFXParams(Defaults(Kind)) {}
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // A block of any other size than 22 bytes is refused and the defaults are kept.
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;
};

using CSxCompressorFXParams = CSxDynamicsFXParams<SxDynamicsKind::Compressor>;
using CSxExpanderFXParams = CSxDynamicsFXParams<SxDynamicsKind::Expander>;

template <SxDynamicsKind Kind>
class CSxDynamicsFX final : public ISxInPlaceEffectPlugin {
public:
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT Reset() override;
    SXRESULT GetPluginInfo(SxPluginInfo& info) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    void Execute(SxAudioBuffer* buffer) override;
    SXRESULT TimeSkip(uint32_t) override { return SX_DataReady; }

private:
    friend struct platform::TestProbe<CSxDynamicsFX>;

    struct Detector {
        float reduction;  // dB
        float power;
    };
    void UpdateCoefficients(const SxDynamicsFXParams& params);
    float Gain(Detector& detector, float power, const SxDynamicsFXParams& params) const;
    void ProcessIndependent(SxAudioBuffer& buffer, uint32_t channels, const SxDynamicsFXParams& params);
    void ProcessLinked(SxAudioBuffer& buffer, uint32_t channels, const SxDynamicsFXParams& params);

    CSxDynamicsFXParams<Kind>* m_params = nullptr;
    bool m_linked = false;
    float m_prevOutputGain = 1.0f;
    uint32_t m_channels = 0;
    uint32_t m_sampleRate = 0;
    uint32_t m_detectorCount = 0;
    float m_rmsCoef = 0.0f;
    Detector* m_detectors = nullptr;
    float m_attackTime = 0.0f;
    float m_attackCoef = 0.0f;
    float m_releaseTime = 0.0f;
    float m_releaseCoef = 0.0f;
    bool m_processLFE = true;
    ISxPluginMemAlloc* m_allocator = nullptr;
};

using CSxCompressorFX = CSxDynamicsFX<SxDynamicsKind::Compressor>;
using CSxExpanderFX = CSxDynamicsFX<SxDynamicsKind::Expander>;

ISxPlugin* CreateCompressorFX(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateCompressorFXParams(ISxPluginMemAlloc* allocator);
ISxPlugin* CreateExpanderFX(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateExpanderFXParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
