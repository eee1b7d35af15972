#include "sound/plugins/studio/CStudioLimiterFXParams.h"

#include <cmath>
#include <cstring>
#include <new>

#include "sound/engine/plugin/SxParamsBlockReader.h"

namespace SX {

namespace {

// value when it lies in [low, high], else the fallback (not-a-number included).
float InRange(float value, float low, float high, float fallback) {
    return value >= low && value <= high ? value : fallback;
}

float Ceiling(float v) { return InRange(v, -36.0f, 0.0f, 0.0f); }
float Threshold(float v) { return InRange(v, -36.0f, 0.0f, 0.0f); }
float Knee(float v) { return InRange(v, 0.0f, 100.0f, 0.0f); }
float Release(float v) { return InRange(v, 1.0f, 5000.0f, 10.0f); }
int32_t Mode(int32_t v) { return v >= 0 && v <= 5 ? v : 0; }
// A release mode given as a number: truncated toward zero, then range-checked.
int32_t ModeFromFloat(float v) { return v > -1.0f && v < 6.0f ? Mode(int32_t(v)) : 0; }

}  // namespace

SXRESULT CStudioLimiterFXParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
    if (!value || size < sizeof(float)) return SX_InvalidParameter;
    float v;
    std::memcpy(&v, value, sizeof v);
    changed = 1;
    switch (paramID) {
        case StudioLimiter_OutputCeiling:
            values.outputCeiling = Ceiling(v);
            break;
        case StudioLimiter_Threshold:
            values.threshold = Threshold(v);
            break;
        case StudioLimiter_Knee:
            values.knee = Knee(v);
            break;
        case StudioLimiter_Release:
            values.release = Release(v);
            break;
        case StudioLimiter_ReleaseMode:
            values.releaseMode = ModeFromFloat(v);
            break;
        default:
            return SX_InvalidParameter;
    }
    return SX_Success;
}

ISxPluginParam* CStudioLimiterFXParams::Clone(ISxPluginMemAlloc* allocator) {
    void* memory = allocator->Malloc(sizeof(CStudioLimiterFXParams));
    if (!memory) return nullptr;
    CStudioLimiterFXParams* copy = new (memory) CStudioLimiterFXParams();
    copy->values = values;
    copy->changed = changed;
    return copy;
}

SXRESULT CStudioLimiterFXParams::Init(ISxPluginMemAlloc*, const void* block, uint32_t size) {
    if (size == 0) {
        values = StudioLimiterFXParams();
        changed = 1;
        return SX_Success;
    }
    return SetParamsBlock(block, size);
}

SXRESULT CStudioLimiterFXParams::Term(ISxPluginMemAlloc* allocator) {
    this->~CStudioLimiterFXParams();
    allocator->Free(this);
    return SX_Success;
}

SXRESULT CStudioLimiterFXParams::SetParamsBlock(const void* block, uint32_t size) {
    const StudioLimiterFXParams defaults;
    SxParamsBlockReader reader(block, size, kStudioLimiterBlockSize);
    values.outputCeiling = Ceiling(reader.ReadF32(defaults.outputCeiling));
    values.threshold = Threshold(reader.ReadF32(defaults.threshold));
    values.knee = Knee(reader.ReadF32(defaults.knee));
    values.release = Release(reader.ReadF32(defaults.release));
    values.releaseMode = Mode(reader.ReadI32(defaults.releaseMode));
    changed = 1;
    return reader.Result();
}

}  // namespace SX
