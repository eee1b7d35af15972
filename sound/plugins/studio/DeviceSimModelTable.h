#pragma once
// The DeviceSim's 164 device models: seven filter sections each (a high-pass first, a low-pass
// last, peaks and shelves between) and an output gain per model.
#include <cstdint>

#include "sound/plugins/studio/StudioDsp.h"

namespace SX {

constexpr uint32_t kDeviceSimModelCount = 164;
constexpr uint32_t kDeviceSimModelSections = 7;

enum class DeviceSimSectionKind : uint8_t { HighPass1, HighPass2, LowPass1, LowPass2, Peak, LowShelf, HighShelf };

// One section of a model: its kind, whether the frequency scale applies, the frequency, the
// shape (damping, Q or shelf shape) and the gain in dB.
struct DeviceSimModelSection {
    DeviceSimSectionKind kind;
    uint8_t scaled;
    double frequency;
    double shape;
    double gainDb;
};

// The model's row; an index past the table's end is held at the last model.
const DeviceSimModelSection* DeviceSimModelRow(uint32_t index);
// The seven sections of a model, the marked frequencies multiplied by scale.
void DeviceSimModelTable(const StudioDesignContext& context, uint32_t index, double scale,
                         BiquadDesign (&out)[kDeviceSimModelSections]);
// The model's output gain in dB (negative), or 1.0 meaning a linear gain of one; 1.0 past the end.
double DeviceSimModelGain(uint32_t index);

}  // namespace SX
