#pragma once
// The DeviceSim's parameter values: one group per stage, each with its switch and its changed
// flag, and the gain group. The defaults are those of a parameter object initialised without
// a block; every stage is off until switched on.
#include <cstdint>

namespace SX {

struct DeviceSimFilterParams {
    uint32_t lowPassSlope = 0;  // 1: two identical sections
    float lowPassFreq = 18000.0f;
    float lowPassResonance = 0.0f;  // %
    uint32_t highPassSlope = 0;
    float highPassFreq = 40.0f;
    float highPassResonance = 0.0f;
    uint8_t changed = 0;
    uint8_t on = 0;
};

struct DeviceSimDistortionParams {
    uint32_t type = 0;       // 0 .. 9
    float drive = 0.0f;      // %
    float detector = 0.0f;   // %
    float asymmetry = 0.0f;  // %
    uint8_t changed = 0;
    uint8_t on = 0;
};

struct DeviceSimEQParams {
    uint32_t type = 1;  // 0 high-pass, 1 peak, 2 low-pass, other flat
    float freq = 1000.0f;
    float resonance = 0.0f;  // %
    float gain = -96.0f;     // dB
    uint8_t changed = 0;
    uint8_t on = 0;
};

struct DeviceSimNoiseParams {
    float level = -96.0f;  // dB
    float lowPassFreq = 18000.0f;
    float highPassFreq = 40.0f;
    float duckThreshold = 0.0f;  // dB
    float duckLevel = -20.0f;    // dB
    float recoveryTime = 20.0f;  // ms
    uint8_t changed = 0;
    uint8_t on = 0;
};

struct DeviceSimGateParams {
    float threshold = -40.0f;  // dB
    float floor = 0.0f;        // dB
    float attack = 1.0f;       // ms
    float hold = 10.0f;        // ms
    float release = 100.0f;    // ms
    uint8_t changed = 0;
    uint8_t on = 0;
};

struct DeviceSimModelParams {
    uint32_t index = 0;        // 0 .. 163
    float freqScale = 100.0f;  // %
    uint8_t changed = 0;
    uint8_t on = 0;
};

struct DeviceSimLoFiParams {
    int32_t bitsIndex = 0;   // 0 .. 15
    int32_t hold = 0;        // samples
    float bandLimit = 0.0f;  // %
    uint8_t changed = 0;
    uint8_t on = 0;
};

struct StudioDeviceSimFXParams {
    DeviceSimFilterParams filter;
    DeviceSimDistortionParams distortion;
    DeviceSimEQParams eq;
    DeviceSimNoiseParams noise;
    DeviceSimGateParams gate;
    DeviceSimModelParams model;
    DeviceSimLoFiParams lofi;
    float inputGain = 1.0f;   // linear
    float outputGain = 1.0f;  // linear, wet path only
    float mix = 100.0f;       // % wet
    uint8_t gainChanged = 0;
};

}  // namespace SX
