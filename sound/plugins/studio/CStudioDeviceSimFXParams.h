#pragma once
// The DeviceSim's parameter object: seven stage groups and the gain group, loaded from a
// 139-byte block or one parameter at a time.
#include <cstdint>

#include "sound/engine/plugin/ISxPlugin.h"
#include "sound/plugins/studio/DeviceSimParams.h"

namespace SX {

constexpr uint32_t kStudioDeviceSimBlockSize = 139;

enum DeviceSimParamID : int16_t {
    DeviceSim_DistortionOn = 0,
    DeviceSim_DistortionType = 1,
    DeviceSim_DistortionDrive = 2,
    DeviceSim_DistortionDetector = 3,
    DeviceSim_DistortionAsymmetry = 4,
    DeviceSim_GateOn = 10,
    DeviceSim_GateThreshold = 11,
    DeviceSim_GateFloor = 12,
    DeviceSim_GateAttack = 13,
    DeviceSim_GateHold = 14,
    DeviceSim_GateRelease = 15,
    DeviceSim_ModelOn = 20,
    DeviceSim_ModelIndex = 21,
    DeviceSim_ModelFreqScale = 22,
    DeviceSim_LoFiOn = 30,
    DeviceSim_LoFiBitsIndex = 31,
    DeviceSim_LoFiHold = 32,
    DeviceSim_LoFiBandLimit = 33,
    DeviceSim_InputGain = 40,
    DeviceSim_OutputGain = 41,
    DeviceSim_Mix = 42,
    DeviceSim_FilterOn = 50,
    DeviceSim_LowPassSlope = 51,
    DeviceSim_LowPassFreq = 52,
    DeviceSim_LowPassResonance = 53,
    DeviceSim_HighPassSlope = 54,
    DeviceSim_HighPassFreq = 55,
    DeviceSim_HighPassResonance = 56,
    DeviceSim_EQOn = 60,
    DeviceSim_EQType = 61,
    DeviceSim_EQFreq = 62,
    DeviceSim_EQResonance = 63,
    DeviceSim_EQGain = 64,
    DeviceSim_NoiseOn = 70,
    DeviceSim_NoiseLevel = 71,
    DeviceSim_NoiseLowPassFreq = 72,
    DeviceSim_NoiseHighPassFreq = 73,
    DeviceSim_NoiseDuckThreshold = 74,
    DeviceSim_NoiseDuckLevel = 75,
    DeviceSim_NoiseRecoveryTime = 76,
};

class CStudioDeviceSimFXParams final : public ISxPluginParam {
public:
    // Switches are read as one byte; slopes, types and the model index as u32; the lo-fi bits
    // index and hold as a number truncated toward zero; the gains in dB. A value shorter than
    // its field is refused with 31.
    SXRESULT SetParam(int16_t paramID, const void* value, uint32_t size) override;
    ISxPluginParam* Clone(ISxPluginMemAlloc* allocator) override;
    SXRESULT Init(ISxPluginMemAlloc* allocator, const void* block, uint32_t size) override;
    SXRESULT Term(ISxPluginMemAlloc* allocator) override;
    // A block of any other size than 139 bytes is refused: the defaults stay and 31 is returned.
    SXRESULT SetParamsBlock(const void* block, uint32_t size) override;
    // A game parameter always arrives as a number: it is handed to SetParam in the field's
    // own type (a switch is on when the value is not 0; a slope, type or model index is the
    // value truncated, negative values 0), so that curves can switch stages and pick models.
    void SetRTPCValue(uint32_t propertyID, float value, CSxRegisteredObj* gameObject) override;

    void SetAllChanged();
    void ClearAllChanged();

    StudioDeviceSimFXParams values;
};

}  // namespace SX
