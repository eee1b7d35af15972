#pragma once
// The "Graphics_" script class (the render switches of the graphics system) and the global
// script function "PrintText", which queues a debug line.
#include <lua.hpp>

namespace SD {
struct ScriptClass;
}

namespace Aperture {

const SD::ScriptClass& GraphicsScriptClass();
// PrintText(x, y, text): a non-text third argument queues "" (a number its text form).
int ScriptPrintText(lua_State* L);

}  // namespace Aperture
