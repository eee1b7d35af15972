#pragma once
// Registers the effect plug-ins of this folder (and the audio input source) with the engine's
// plug-in table, in the engine's start-up order.
#include "sound/engine/SxTypes.h"

namespace SX {

// SX_Success when every plug-in is registered; else the first failure (the others are still
// registered).
SXRESULT RegisterEffectPlugins();

}  // namespace SX
