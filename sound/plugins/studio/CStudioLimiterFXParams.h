#pragma once
// The Studio limiter's parameters: output ceiling, threshold, knee, release and release
// character. A value outside its range is replaced by its fallback.
#include <cstdint>

#include "sound/engine/plugin/ISxPlugin.h"

namespace SX {

struct StudioLimiterFXParams {
    float outputCeiling = 0.0f;  // dB, -36 .. 0
    float threshold = 0.0f;      // dB, -36 .. 0
    float knee = 0.0f;           // %, 0 .. 100
    float release = 10.0f;       // ms, 1 .. 5000
    int32_t releaseMode = 0;     // 0 .. 5
};

enum StudioLimiterParamID : int16_t {
    StudioLimiter_OutputCeiling = 0,
    StudioLimiter_Threshold = 1,
    StudioLimiter_Knee = 2,
    StudioLimiter_Release = 3,
    StudioLimiter_ReleaseMode = 4,
};

constexpr uint32_t kStudioLimiterBlockSize = 20;

class CStudioLimiterFXParams final : public ISxPluginParam {
public:
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // A block of any other size than 20 bytes is refused: the defaults stay and 31 is returned.
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;

    StudioLimiterFXParams values;
    uint8_t changed = 0;
};

}  // namespace SX
