#pragma once
// A sine tone of a set frequency, level and duration, played for the voice's loop count on the
// chosen channel layout: the tone is on the first channel, every other channel is silent.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

constexpr uint32_t kSineParamsSize = 16;

struct SxSineFXParams {
    float frequency = 440.0f;  // Hz
    float gain = 0.25118864f;  // linear (-12 dB)
    float duration = 1.0f;     // seconds of one pass
    uint32_t channelMask = 0x4;
};

class CSxFxSrcSineParams final : public ISxPluginParam {
public:
    enum Change : uint8_t { kFrequency = 1, kGain = 2, kDuration = 4, kChannelMask = 8, kAll = 15 };

    // IDs 0 frequency, 1 gain in dB, 2 duration, 3 channel mask (u32); SX_InvalidParameter
    // for any other ID or a missing value.
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // The 16-byte block: frequency, gain (dB), duration, channel mask.
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;

    SxSineFXParams values;
    uint8_t changes = kAll;
};

class CSxFXSrcSine final : public ISxSourcePlugin {
public:
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    SXRESULT Reset() override;
    SXRESULT GetPluginInfo(SxPluginInfo& info) override;
    // Sets the format's channel mask to the parameters' (the centre alone for a layout the
    // engine does not play).
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxSourcePluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    float GetDuration() const override;
    SXRESULT StopLooping() override;
    SXRESULT Seek() override { return SX_Success; }
    // Counts the frames off without moving the phase.
    SXRESULT TimeSkip(uint32_t& frames) override;
    void Execute(SxAudioBuffer* buffer) override;

private:
    friend struct platform::TestProbe<CSxFXSrcSine>;

    // Frames a request of n may have: 45 with n, or 17 with what is left of the last pass.
    SXRESULT CountFrames(uint32_t& frames);
    void ComputeTotal();
    float Increment() const;
    void Generate(float* out, uint32_t count);

    uint32_t m_total = 0;
    uint32_t m_played = 0;
    uint32_t m_rate = 0;
    uint16_t m_loops = 1;
    float m_phase = 0.0f;
    float m_increment = 0.0f;
    float m_rateF = 0.0f;
    float m_previousGain = 0.0f;
    CSxFxSrcSineParams* m_params = nullptr;
};

ISxPlugin* CreateSineSource(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateSineSourceParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
