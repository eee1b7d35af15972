#pragma once
// The script class "Interpolatorf": float interpolators that game code hands to scripts.
#include "engine/ScriptBindings.h"

namespace SD {

const ScriptClass& InterpolatorScriptClass();

}  // namespace SD
