#include "sound/plugins/studio/CStudioDeviceSimFXParams.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/engine/plugin/SxPluginDsp.h"

namespace SX {

namespace {

// A number truncated toward zero, held to the integer range; not a number gives 0.
int32_t Truncated(float v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0f) return INT32_MAX;
    if (v <= -2147483648.0f) return INT32_MIN;
    return int32_t(v);
}

}  // namespace

SXRESULT CStudioDeviceSimFXParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
    if (!value) return SX_InvalidParameter;
    StudioDeviceSimFXParams& p = values;
    uint8_t* changed = nullptr;
    uint8_t* switchField = nullptr;
    uint32_t* u32Field = nullptr;
    float* f32Field = nullptr;
    int32_t* truncatedField = nullptr;
    float* gainField = nullptr;
    switch (paramID) {
        case DeviceSim_FilterOn:
            switchField = &p.filter.on;
            changed = &p.filter.changed;
            break;
        case DeviceSim_LowPassSlope:
            u32Field = &p.filter.lowPassSlope;
            changed = &p.filter.changed;
            break;
        case DeviceSim_LowPassFreq:
            f32Field = &p.filter.lowPassFreq;
            changed = &p.filter.changed;
            break;
        case DeviceSim_LowPassResonance:
            f32Field = &p.filter.lowPassResonance;
            changed = &p.filter.changed;
            break;
        case DeviceSim_HighPassSlope:
            u32Field = &p.filter.highPassSlope;
            changed = &p.filter.changed;
            break;
        case DeviceSim_HighPassFreq:
            f32Field = &p.filter.highPassFreq;
            changed = &p.filter.changed;
            break;
        case DeviceSim_HighPassResonance:
            f32Field = &p.filter.highPassResonance;
            changed = &p.filter.changed;
            break;
        case DeviceSim_DistortionOn:
            switchField = &p.distortion.on;
            changed = &p.distortion.changed;
            break;
        case DeviceSim_DistortionType:
            u32Field = &p.distortion.type;
            changed = &p.distortion.changed;
            break;
        case DeviceSim_DistortionDrive:
            f32Field = &p.distortion.drive;
            changed = &p.distortion.changed;
            break;
        case DeviceSim_DistortionDetector:
            f32Field = &p.distortion.detector;
            changed = &p.distortion.changed;
            break;
        case DeviceSim_DistortionAsymmetry:
            f32Field = &p.distortion.asymmetry;
            changed = &p.distortion.changed;
            break;
        case DeviceSim_EQOn:
            switchField = &p.eq.on;
            changed = &p.eq.changed;
            break;
        case DeviceSim_EQType:
            u32Field = &p.eq.type;
            changed = &p.eq.changed;
            break;
        case DeviceSim_EQFreq:
            f32Field = &p.eq.freq;
            changed = &p.eq.changed;
            break;
        case DeviceSim_EQResonance:
            f32Field = &p.eq.resonance;
            changed = &p.eq.changed;
            break;
        case DeviceSim_EQGain:
            f32Field = &p.eq.gain;
            changed = &p.eq.changed;
            break;
        case DeviceSim_NoiseOn:
            switchField = &p.noise.on;
            changed = &p.noise.changed;
            break;
        case DeviceSim_NoiseLevel:
            f32Field = &p.noise.level;
            changed = &p.noise.changed;
            break;
        case DeviceSim_NoiseLowPassFreq:
            f32Field = &p.noise.lowPassFreq;
            changed = &p.noise.changed;
            break;
        case DeviceSim_NoiseHighPassFreq:
            f32Field = &p.noise.highPassFreq;
            changed = &p.noise.changed;
            break;
        case DeviceSim_NoiseDuckThreshold:
            f32Field = &p.noise.duckThreshold;
            changed = &p.noise.changed;
            break;
        case DeviceSim_NoiseDuckLevel:
            f32Field = &p.noise.duckLevel;
            changed = &p.noise.changed;
            break;
        case DeviceSim_NoiseRecoveryTime:
            f32Field = &p.noise.recoveryTime;
            changed = &p.noise.changed;
            break;
        case DeviceSim_ModelOn:
            switchField = &p.model.on;
            changed = &p.model.changed;
            break;
        case DeviceSim_ModelIndex:
            u32Field = &p.model.index;
            changed = &p.model.changed;
            break;
        case DeviceSim_ModelFreqScale:
            f32Field = &p.model.freqScale;
            changed = &p.model.changed;
            break;
        case DeviceSim_GateOn:
            switchField = &p.gate.on;
            changed = &p.gate.changed;
            break;
        case DeviceSim_GateThreshold:
            f32Field = &p.gate.threshold;
            changed = &p.gate.changed;
            break;
        case DeviceSim_GateFloor:
            f32Field = &p.gate.floor;
            changed = &p.gate.changed;
            break;
        case DeviceSim_GateAttack:
            f32Field = &p.gate.attack;
            changed = &p.gate.changed;
            break;
        case DeviceSim_GateHold:
            f32Field = &p.gate.hold;
            changed = &p.gate.changed;
            break;
        case DeviceSim_GateRelease:
            f32Field = &p.gate.release;
            changed = &p.gate.changed;
            break;
        case DeviceSim_LoFiOn:
            switchField = &p.lofi.on;
            changed = &p.lofi.changed;
            break;
        case DeviceSim_LoFiBitsIndex:
            truncatedField = &p.lofi.bitsIndex;
            changed = &p.lofi.changed;
            break;
        case DeviceSim_LoFiHold:
            truncatedField = &p.lofi.hold;
            changed = &p.lofi.changed;
            break;
        case DeviceSim_LoFiBandLimit:
            f32Field = &p.lofi.bandLimit;
            changed = &p.lofi.changed;
            break;
        case DeviceSim_InputGain:
            gainField = &p.inputGain;
            changed = &p.gainChanged;
            break;
        case DeviceSim_OutputGain:
            gainField = &p.outputGain;
            changed = &p.gainChanged;
            break;
        case DeviceSim_Mix:
            f32Field = &p.mix;
            changed = &p.gainChanged;
            break;
        default:
            return SX_InvalidParameter;
    }
    if (size < (switchField ? 1u : 4u)) return SX_InvalidParameter;
    if (switchField) {
        *switchField = *static_cast<const uint8_t*>(value) != 0 ? 1 : 0;
    } else if (u32Field) {
        std::memcpy(u32Field, value, 4);
    } else {
        float v;
        std::memcpy(&v, value, 4);
        if (f32Field) *f32Field = v;
        if (truncatedField) *truncatedField = Truncated(v);
        if (gainField) *gainField = SxParamDbToLinear(v);
    }
    *changed = 1;
    return SX_Success;
}

void CStudioDeviceSimFXParams::SetRTPCValue(uint32_t propertyID, float value, CSxRegisteredObj*) {
    const int16_t id = static_cast<int16_t>(propertyID);
    switch (id) {
        case DeviceSim_FilterOn:
        case DeviceSim_DistortionOn:
        case DeviceSim_EQOn:
        case DeviceSim_NoiseOn:
        case DeviceSim_ModelOn:
        case DeviceSim_GateOn:
        case DeviceSim_LoFiOn: {
            const uint8_t on = value != 0.0f && !std::isnan(value) ? 1 : 0;
            SetParam(id, &on, sizeof on);
            return;
        }
        case DeviceSim_LowPassSlope:
        case DeviceSim_HighPassSlope:
        case DeviceSim_DistortionType:
        case DeviceSim_EQType:
        case DeviceSim_ModelIndex: {
            const uint32_t whole = value > 0.0f ? uint32_t(std::min(value, 4294967040.0f)) : 0u;
            SetParam(id, &whole, sizeof whole);
            return;
        }
        default:
            SetParam(id, &value, sizeof value);
    }
}

void CStudioDeviceSimFXParams::SetAllChanged() {
    values.filter.changed = values.distortion.changed = values.eq.changed = values.noise.changed = 1;
    values.gate.changed = values.model.changed = values.lofi.changed = values.gainChanged = 1;
}

void CStudioDeviceSimFXParams::ClearAllChanged() {
    values.filter.changed = values.distortion.changed = values.eq.changed = values.noise.changed = 0;
    values.gate.changed = values.model.changed = values.lofi.changed = values.gainChanged = 0;
}

ISxPluginParam* CStudioDeviceSimFXParams::Clone(ISxPluginMemAlloc* allocator) {
    void* memory = allocator->Malloc(sizeof(CStudioDeviceSimFXParams));
    if (!memory) return nullptr;
    CStudioDeviceSimFXParams* copy = new (memory) CStudioDeviceSimFXParams();
    copy->values = values;
    copy->SetAllChanged();
    return copy;
}

SXRESULT CStudioDeviceSimFXParams::Init(ISxPluginMemAlloc*, const void* block, uint32_t size) {
    if (size == 0) {
        values = StudioDeviceSimFXParams();
        SetAllChanged();
        return SX_Success;
    }
    return SetParamsBlock(block, size);
}

SXRESULT CStudioDeviceSimFXParams::Term(ISxPluginMemAlloc* allocator) {
    this->~CStudioDeviceSimFXParams();
    allocator->Free(this);
    return SX_Success;
}

SXRESULT CStudioDeviceSimFXParams::SetParamsBlock(const void* block, uint32_t size) {
    const StudioDeviceSimFXParams d;
    StudioDeviceSimFXParams& p = values;
    SxParamsBlockReader r(block, size, kStudioDeviceSimBlockSize);
    auto on = [&r]() -> uint8_t { return r.ReadU8(0) != 0 ? 1 : 0; };

    p.filter.on = on();
    p.filter.lowPassSlope = r.ReadU32(d.filter.lowPassSlope);
    p.filter.lowPassFreq = r.ReadF32(d.filter.lowPassFreq);
    p.filter.lowPassResonance = r.ReadF32(d.filter.lowPassResonance);
    p.filter.highPassSlope = r.ReadU32(d.filter.highPassSlope);
    p.filter.highPassFreq = r.ReadF32(d.filter.highPassFreq);
    p.filter.highPassResonance = r.ReadF32(d.filter.highPassResonance);

    p.distortion.on = on();
    p.distortion.type = r.ReadU32(d.distortion.type);
    p.distortion.drive = r.ReadF32(d.distortion.drive);
    p.distortion.detector = r.ReadF32(d.distortion.detector);
    p.distortion.asymmetry = r.ReadF32(d.distortion.asymmetry);

    p.eq.on = on();
    p.eq.type = r.ReadU32(d.eq.type);
    p.eq.freq = r.ReadF32(d.eq.freq);
    p.eq.resonance = r.ReadF32(d.eq.resonance);
    p.eq.gain = r.ReadF32(d.eq.gain);

    p.noise.on = on();
    p.noise.level = r.ReadF32(d.noise.level);
    p.noise.lowPassFreq = r.ReadF32(d.noise.lowPassFreq);
    p.noise.highPassFreq = r.ReadF32(d.noise.highPassFreq);
    p.noise.duckThreshold = r.ReadF32(d.noise.duckThreshold);
    p.noise.duckLevel = r.ReadF32(d.noise.duckLevel);
    p.noise.recoveryTime = r.ReadF32(d.noise.recoveryTime);

    p.model.on = on();
    p.model.index = r.ReadU32(d.model.index);
    p.model.freqScale = r.ReadF32(d.model.freqScale);

    p.gate.on = on();
    p.gate.threshold = r.ReadF32(d.gate.threshold);
    p.gate.floor = r.ReadF32(d.gate.floor);
    p.gate.attack = r.ReadF32(d.gate.attack);
    p.gate.hold = r.ReadF32(d.gate.hold);
    p.gate.release = r.ReadF32(d.gate.release);

    p.lofi.on = on();
    p.lofi.bitsIndex = r.ReadI32(d.lofi.bitsIndex);
    p.lofi.hold = r.ReadI32(d.lofi.hold);
    p.lofi.bandLimit = r.ReadF32(d.lofi.bandLimit);

    p.inputGain = SxParamDbToLinear(r.ReadF32(0.0f));
    p.outputGain = SxParamDbToLinear(r.ReadF32(0.0f));
    p.mix = r.ReadF32(d.mix);
    SetAllChanged();
    return r.Result();
}

}  // namespace SX
