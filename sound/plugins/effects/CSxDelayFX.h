#pragma once
// Delay effect: each channel mixed with a copy of itself delayed by a fixed time, with
// optional feedback. As a send effect its output is fully wet.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/plugin/ISxPlugin.h"
#include "sound/engine/plugin/SxPluginDsp.h"

namespace SX {

constexpr uint32_t SxDelayFXParamsBlockSize = 18;

struct SxDelayFXParams {
    float delayTime = 0.5f;    // s
    float feedback = 0.0f;     // fraction
    float wetDryMix = 0.5f;    // fraction
    float outputLevel = 1.0f;  // linear
    uint8_t feedbackEnabled = 0;
    uint8_t processLFE = 1;
};

class CSxDelayFXParams final : public ISxPluginParam, public SxDelayFXParams {
public:
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // A block of any other size than 18 bytes is refused and the defaults are kept.
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;

    uint8_t feedbackChanged = 0;
    uint8_t delayChanged = 0;
};

class CSxDelayFX final : public ISxInPlaceEffectPlugin {
public:
    static constexpr uint32_t kMaxLines = 6;

    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT Reset() override;
    SXRESULT GetPluginInfo(SxPluginInfo& info) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    void Execute(SxAudioBuffer* buffer) override;
    SXRESULT TimeSkip(uint32_t) override { return SX_DataReady; }

private:
    friend struct platform::TestProbe<CSxDelayFX>;

    SXRESULT AllocateLines(uint32_t channelMask);
    void FreeLines();
    void ComputeTailLength();

    float* m_lines[kMaxLines] = {};
    uint32_t m_lineLength = 0;
    uint32_t m_position = 0;
    uint32_t m_lineCount = 0;
    SxFXTailHandler m_tail;
    float m_prevFeedback = 0.0f;
    float m_prevWet = 0.0f;
    float m_prevLevel = 1.0f;
    uint32_t m_channels = 0;
    uint32_t m_sampleRate = 0;
    uint32_t m_tailLength = 0;
    bool m_sendMode = false;
    bool m_processLFE = true;
    CSxDelayFXParams* m_params = nullptr;
    ISxPluginMemAlloc* m_allocator = nullptr;
};

ISxPlugin* CreateDelayFX(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateDelayFXParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
