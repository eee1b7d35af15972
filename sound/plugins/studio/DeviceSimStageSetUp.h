#pragma once
// Helpers of the stage set-ups: every channel's record receives the same values, and
// parameters from outside are held to ranges where the designs stay stable and finite.
#include <cmath>

#include "sound/engine/plugin/SxPluginDsp.h"
#include "sound/plugins/studio/DeviceSimStages.h"

namespace SX {

template <typename Record, typename Write>
void ForEachRecord(const DSPStageHeader& header, Write write) {
    for (uint32_t c = 0; c < header.channels; ++c) write(*header.RecordAt<Record>(c));
}

// A percentage held to [0, 100]; not a number gives the fallback.
inline double Percent(float value, float fallback) { return SxSanitizeParam(value, 0.0f, 100.0f, fallback); }
// A level in dB held to [-200, 96].
inline double Decibels(float value, float fallback) { return SxSanitizeParam(value, -200.0f, 96.0f, fallback); }
// A time in milliseconds held to [0, one minute].
inline double Milliseconds(float value, float fallback) { return SxSanitizeParam(value, 0.0f, 60000.0f, fallback); }

}  // namespace SX
