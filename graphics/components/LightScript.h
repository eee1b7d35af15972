#pragma once
// The "Light" script class: the light's setters and getters for level scripts.
namespace SD {
struct ScriptClass;
}

namespace Aperture {

const SD::ScriptClass& LightScriptClass();

}  // namespace Aperture
