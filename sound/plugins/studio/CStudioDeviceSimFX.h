#pragma once
// The DeviceSim effect: per channel an input gain, up to seven optional stages (filters,
// distortion, EQ, noise, device model, gate, lo-fi) and a wet/dry mix with an output gain on
// the wet path. A stage gets its memory at Init when it is on then, or at the first buffer
// after it is switched on, and runs only while its memory exists.
#include <cstdint>

#include "platform/TestProbe.h"
#include "sound/plugins/studio/CStudioDeviceSimFXParams.h"
#include "sound/plugins/studio/DeviceSimStages.h"
#include "sound/plugins/studio/StudioDsp.h"

namespace SX {

enum DeviceSimStageIndex : uint32_t {
    DeviceSimStage_Filter,
    DeviceSimStage_Distortion,
    DeviceSimStage_EQ,
    DeviceSimStage_Noise,
    DeviceSimStage_Model,
    DeviceSimStage_Gate,
    DeviceSimStage_LoFi,
    DeviceSimStage_Count
};

// Sample k becomes sample x (w0 + k (w1 - w0) / F) + dry x (d0 + k (d1 - d0) / F): the new
// gains are reached at the next call.
void DeviceSimMix(float* samples, const float* dry, float w0, float w1, float d0, float d1, uint32_t frames);

class CStudioDeviceSimFX final : public ISxInPlaceEffectPlugin {
public:
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // Clears every stage's history (the host resets an effect whose output went bad); the
    // coefficients are designed again at the next buffer.
    SXRESULT Reset() override;
    SXRESULT GetPluginInfo(SxPluginInfo& info) override;
    void Execute(SxAudioBuffer* buffer) override;
    SXRESULT TimeSkip(uint32_t) override { return SX_DataReady; }

private:
    friend struct platform::TestProbe<CStudioDeviceSimFX>;

    SXRESULT AllocateStage(uint32_t stage);
    template <typename Stage>
    SXRESULT AllocateStageOf(uint32_t stage);
    void SetUpStages(const StudioDeviceSimFXParams& snapshot);
    template <typename Stage>
    typename Stage::Record* ChannelRecord(uint32_t stage, uint32_t channel) const {
        return m_headers[stage].RecordAt<typename Stage::Record>(channel);
    }
    void ProcessChannel(const StudioDeviceSimFXParams& snapshot, uint32_t channel, float* samples, float* noise,
                        uint32_t frames);

    CStudioDeviceSimFXParams* m_params = nullptr;
    ISxPluginMemAlloc* m_allocator = nullptr;
    DeviceSimNoiseGenerator m_noise;
    uint32_t m_sampleRate = 44100;
    uint32_t m_channels = 1;
    float m_previousInputGain = 1.0f;
    float m_previousOutputGain = 1.0f;
    float m_previousMix = 100.0f;
    DSPMemoryArena m_arenas[DeviceSimStage_Count];
    DSPStageHeader m_headers[DeviceSimStage_Count];
    bool m_needsSetUp[DeviceSimStage_Count] = {};
    StudioDesignContext m_design;
    StudioTimeContext m_time;
};

ISxPlugin* CreateStudioDeviceSimFX(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateStudioDeviceSimFXParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
