#pragma once
// Registration of the Studio effects (company 256) with the sound engine.
#include <cstdint>

#include "sound/engine/SxTypes.h"

namespace SX {

constexpr uint32_t kStudioCompanyID = 256;
constexpr uint32_t kStudioDeviceSimPluginID = 110;
constexpr uint32_t kStudioLimiterPluginID = 103;

// Registers the DeviceSim, then the limiter; SX_Success when both are registered.
SXRESULT RegisterStudioPlugins();

}  // namespace SX
