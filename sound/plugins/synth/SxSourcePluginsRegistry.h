#pragma once
// Registers the synthesised sources of this folder with the engine's plug-in table.
#include "sound/engine/SxTypes.h"

namespace SX {

// SX_Success when every source is registered; else the first failure (the others are still
// registered).
SXRESULT RegisterSourcePlugins();

}  // namespace SX
