#include "sound/plugins/studio/CStudioDeviceSimFXParams.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <new>

#include "sound/engine/plugin/SxParamsBlockReader.h"
#include "sound/engine/plugin/SxPluginDsp.h"

namespace SX {

namespace {

// How a parameter's value is written: a switch (one byte, any value but 0 is on), a whole number
// (u32), a number, a number truncated toward zero (an i32 in a block), or a gain in decibels held
// as a factor.
enum class Form : uint8_t { kSwitch, kWhole, kNumber, kTruncated, kGain };

// One parameter: where its value and its stage's changed flag lie in StudioDeviceSimFXParams.
struct Field {
    int16_t id;
    Form form;
    size_t value;
    size_t changed;
};

#define SX_DEVICE_SIM_FIELD(id, form, stage, name)                                 \
    Field {                                                                        \
        DeviceSim_##id, Form::form, offsetof(StudioDeviceSimFXParams, stage.name), \
            offsetof(StudioDeviceSimFXParams, stage.changed)                       \
    }
#define SX_DEVICE_SIM_GAIN(id, form, name)                                   \
    Field {                                                                  \
        DeviceSim_##id, Form::form, offsetof(StudioDeviceSimFXParams, name), \
            offsetof(StudioDeviceSimFXParams, gainChanged)                   \
    }

// Every parameter, in the order a parameter block lists them.
constexpr Field kFields[] = {
    SX_DEVICE_SIM_FIELD(FilterOn, kSwitch, filter, on),
    SX_DEVICE_SIM_FIELD(LowPassSlope, kWhole, filter, lowPassSlope),
    SX_DEVICE_SIM_FIELD(LowPassFreq, kNumber, filter, lowPassFreq),
    SX_DEVICE_SIM_FIELD(LowPassResonance, kNumber, filter, lowPassResonance),
    SX_DEVICE_SIM_FIELD(HighPassSlope, kWhole, filter, highPassSlope),
    SX_DEVICE_SIM_FIELD(HighPassFreq, kNumber, filter, highPassFreq),
    SX_DEVICE_SIM_FIELD(HighPassResonance, kNumber, filter, highPassResonance),
    SX_DEVICE_SIM_FIELD(DistortionOn, kSwitch, distortion, on),
    SX_DEVICE_SIM_FIELD(DistortionType, kWhole, distortion, type),
    SX_DEVICE_SIM_FIELD(DistortionDrive, kNumber, distortion, drive),
    SX_DEVICE_SIM_FIELD(DistortionDetector, kNumber, distortion, detector),
    SX_DEVICE_SIM_FIELD(DistortionAsymmetry, kNumber, distortion, asymmetry),
    SX_DEVICE_SIM_FIELD(EQOn, kSwitch, eq, on),
    SX_DEVICE_SIM_FIELD(EQType, kWhole, eq, type),
    SX_DEVICE_SIM_FIELD(EQFreq, kNumber, eq, freq),
    SX_DEVICE_SIM_FIELD(EQResonance, kNumber, eq, resonance),
    SX_DEVICE_SIM_FIELD(EQGain, kNumber, eq, gain),
    SX_DEVICE_SIM_FIELD(NoiseOn, kSwitch, noise, on),
    SX_DEVICE_SIM_FIELD(NoiseLevel, kNumber, noise, level),
    SX_DEVICE_SIM_FIELD(NoiseLowPassFreq, kNumber, noise, lowPassFreq),
    SX_DEVICE_SIM_FIELD(NoiseHighPassFreq, kNumber, noise, highPassFreq),
    SX_DEVICE_SIM_FIELD(NoiseDuckThreshold, kNumber, noise, duckThreshold),
    SX_DEVICE_SIM_FIELD(NoiseDuckLevel, kNumber, noise, duckLevel),
    SX_DEVICE_SIM_FIELD(NoiseRecoveryTime, kNumber, noise, recoveryTime),
    SX_DEVICE_SIM_FIELD(ModelOn, kSwitch, model, on),
    SX_DEVICE_SIM_FIELD(ModelIndex, kWhole, model, index),
    SX_DEVICE_SIM_FIELD(ModelFreqScale, kNumber, model, freqScale),
    SX_DEVICE_SIM_FIELD(GateOn, kSwitch, gate, on),
    SX_DEVICE_SIM_FIELD(GateThreshold, kNumber, gate, threshold),
    SX_DEVICE_SIM_FIELD(GateFloor, kNumber, gate, floor),
    SX_DEVICE_SIM_FIELD(GateAttack, kNumber, gate, attack),
    SX_DEVICE_SIM_FIELD(GateHold, kNumber, gate, hold),
    SX_DEVICE_SIM_FIELD(GateRelease, kNumber, gate, release),
    SX_DEVICE_SIM_FIELD(LoFiOn, kSwitch, lofi, on),
    SX_DEVICE_SIM_FIELD(LoFiBitsIndex, kTruncated, lofi, bitsIndex),
    SX_DEVICE_SIM_FIELD(LoFiHold, kTruncated, lofi, hold),
    SX_DEVICE_SIM_FIELD(LoFiBandLimit, kNumber, lofi, bandLimit),
    SX_DEVICE_SIM_GAIN(InputGain, kGain, inputGain),
    SX_DEVICE_SIM_GAIN(OutputGain, kGain, outputGain),
    SX_DEVICE_SIM_GAIN(Mix, kNumber, mix),
};

#undef SX_DEVICE_SIM_FIELD
#undef SX_DEVICE_SIM_GAIN

const Field* FindField(int16_t id) {
    for (const Field& field : kFields)
        if (field.id == id) return &field;
    return nullptr;
}

template <typename T>
T& At(StudioDeviceSimFXParams& values, size_t offset) {
    return *reinterpret_cast<T*>(reinterpret_cast<uint8_t*>(&values) + offset);
}

template <typename T>
T At(const StudioDeviceSimFXParams& values, size_t offset) {
    T value;
    std::memcpy(&value, reinterpret_cast<const uint8_t*>(&values) + offset, sizeof value);
    return value;
}

// A number truncated toward zero, held to the integer range; not a number gives 0.
int32_t Truncated(float v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0f) return INT32_MAX;
    if (v <= -2147483648.0f) return INT32_MIN;
    return int32_t(v);
}

}  // namespace

SXRESULT CStudioDeviceSimFXParams::SetParam(int16_t paramID, const void* value, uint32_t size) {
    const Field* field = FindField(paramID);
    if (!value || !field) return SX_InvalidParameter;
    if (size < (field->form == Form::kSwitch ? 1u : 4u)) return SX_InvalidParameter;
    float v = 0.0f;
    if (field->form != Form::kSwitch && field->form != Form::kWhole) std::memcpy(&v, value, 4);
    switch (field->form) {
        case Form::kSwitch:
            At<uint8_t>(values, field->value) = *static_cast<const uint8_t*>(value) != 0 ? 1 : 0;
            break;
        case Form::kWhole:
            std::memcpy(&At<uint32_t>(values, field->value), value, 4);
            break;
        case Form::kNumber:
            At<float>(values, field->value) = v;
            break;
        case Form::kTruncated:
            At<int32_t>(values, field->value) = Truncated(v);
            break;
        case Form::kGain:
            At<float>(values, field->value) = SxParamDbToLinear(v);
            break;
    }
    At<uint8_t>(values, field->changed) = 1;
    return SX_Success;
}

void CStudioDeviceSimFXParams::SetRTPCValue(uint32_t propertyID, float value, CSxRegisteredObj*) {
    const int16_t id = static_cast<int16_t>(propertyID);
    const Field* field = FindField(id);
    if (field && field->form == Form::kSwitch) {
        const uint8_t on = value != 0.0f && !std::isnan(value) ? 1 : 0;
        SetParam(id, &on, sizeof on);
    } else if (field && field->form == Form::kWhole) {
        const uint32_t whole = value > 0.0f ? uint32_t(std::min(value, 4294967040.0f)) : 0u;
        SetParam(id, &whole, sizeof whole);
    } else {
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
    const StudioDeviceSimFXParams defaults;
    SxParamsBlockReader r(block, size, kStudioDeviceSimBlockSize);
    for (const Field& field : kFields) {
        switch (field.form) {
            case Form::kSwitch:
                At<uint8_t>(values, field.value) = r.ReadU8(0) != 0 ? 1 : 0;
                break;
            case Form::kWhole:
                At<uint32_t>(values, field.value) = r.ReadU32(At<uint32_t>(defaults, field.value));
                break;
            case Form::kNumber:
                At<float>(values, field.value) = r.ReadF32(At<float>(defaults, field.value));
                break;
            case Form::kTruncated:
                At<int32_t>(values, field.value) = r.ReadI32(At<int32_t>(defaults, field.value));
                break;
            case Form::kGain:
                At<float>(values, field.value) = SxParamDbToLinear(r.ReadF32(0.0f));
                break;
        }
    }
    SetAllChanged();
    return r.Result();
}

}  // namespace SX
