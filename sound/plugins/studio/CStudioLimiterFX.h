#pragma once
// The Studio limiter effect: a thin in-place wrapper around LimiterProcess, with the look-ahead
// drained as a tail once the input ends.
#include "platform/TestProbe.h"
#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/plugins/studio/CStudioLimiterFXParams.h"
#include "sound/plugins/studio/LimiterProcess.h"

namespace SX {

class CStudioLimiterFX final : public ISxInPlaceEffectPlugin {
public:
    SXRESULT Init(ISxPluginMemAlloc* allocator, ISxEffectPluginContext* context, ISxPluginParam* params,
                  SxAudioFormat& format) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // Clears the look-ahead lines and envelopes (the host resets an effect whose output went
    // bad); the parameters stay applied.
    SXRESULT Reset() override;
    SXRESULT GetPluginInfo(SxPluginInfo& info) override;
    void Execute(SxAudioBuffer* buffer) override;
    SXRESULT TimeSkip(uint32_t) override { return SX_DataReady; }

    // The meters of the limiter process; the effect itself never reads them.
    void ReadMeters(LimiterMeters& meters);
    uint32_t MeterRecordSize() const;

private:
    friend struct platform::TestProbe<CStudioLimiterFX>;

    CStudioLimiterFXParams* m_params = nullptr;
    LimiterProcess* m_process = nullptr;
    SxFXTailHandler m_tail;
    uint32_t m_latency = 0;
};

ISxPlugin* CreateStudioLimiterFX(ISxPluginMemAlloc* allocator);
ISxPluginParam* CreateStudioLimiterFXParams(ISxPluginMemAlloc* allocator);

}  // namespace SX
