#pragma once
// Registers the motion source and the pad rumble device with the engine.
#include "sound/engine/SxTypes.h"

namespace SX {

constexpr uint32_t kMotionGeneratorPluginID = 405;
constexpr uint16_t kRumbleDeviceID = 406;

// SX_Success when both are registered; else the first failure (the other is still registered).
SXRESULT RegisterMotionPlugins();

}  // namespace SX
