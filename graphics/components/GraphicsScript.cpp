#include "graphics/components/GraphicsScript.h"

#include "engine/ScriptBindings.h"
#include "engine/ScriptValue.h"
#include "graphics/Graphics.h"

namespace Aperture {
namespace {

// The graphics value of the first argument; anything else is reported, never raised.
Graphics_* Self(lua_State* L) {
    const SD::ScriptValue* value = SD::ToScriptValueOf(L, 1, "Graphics_");
    return value ? static_cast<Graphics_*>(value->object) : nullptr;
}

int GetInstance(lua_State* L) {
    SD::PushScriptValue(L, Graphics_::GetInstance(), "Graphics_", false);
    return 1;
}

template <void (Graphics_::*Setter)(bool)>
int SetSwitch(lua_State* L, const char* method) {
    Graphics_* graphics = Self(L);
    if (!graphics) return SD::ReportNullThis(L, "Graphics_", method, false);
    (graphics->*Setter)(lua_toboolean(L, 2) != 0);
    return 0;
}

template <bool (Graphics_::*Getter)() const>
int GetSwitch(lua_State* L, const char* method) {
    Graphics_* graphics = Self(L);
    if (!graphics) return SD::ReportNullThis(L, "Graphics_", method, true);
    lua_pushboolean(L, (graphics->*Getter)() ? 1 : 0);
    return 1;
}

int SetFullscreen(lua_State* L) { return SetSwitch<&Graphics_::SetFullscreen>(L, "SetFullscreen"); }
int GetVsync(lua_State* L) { return GetSwitch<&Graphics_::GetVsync>(L, "GetVsync"); }
int SetVsync(lua_State* L) { return SetSwitch<&Graphics_::SetVsync>(L, "SetVsync"); }
int GetRenderShadows(lua_State* L) { return GetSwitch<&Graphics_::GetRenderShadows>(L, "GetRenderShadows"); }
int SetRenderShadows(lua_State* L) { return SetSwitch<&Graphics_::SetRenderShadows>(L, "SetRenderShadows"); }
int GetRenderBloom(lua_State* L) { return GetSwitch<&Graphics_::GetRenderBloom>(L, "GetRenderBloom"); }
int SetRenderBloom(lua_State* L) { return SetSwitch<&Graphics_::SetRenderBloom>(L, "SetRenderBloom"); }
int GetRenderDOF(lua_State* L) { return GetSwitch<&Graphics_::GetRenderDOF>(L, "GetRenderDOF"); }
int SetRenderDOF(lua_State* L) { return SetSwitch<&Graphics_::SetRenderDOF>(L, "SetRenderDOF"); }

int SetWaterQuality(lua_State* L) {
    Graphics_* graphics = Self(L);
    if (!graphics) return SD::ReportNullThis(L, "Graphics_", "SetWaterQuality", false);
    graphics->SetWaterQuality(SD::ScriptToInteger(L, 2));
    return 0;
}

const SD::ScriptMethod kMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"GetInstance", GetInstance},
    {"SetFullscreen", SetFullscreen},
    {"GetVsync", GetVsync},
    {"SetVsync", SetVsync},
    {"GetRenderShadows", GetRenderShadows},
    {"SetRenderShadows", SetRenderShadows},
    {"SetWaterQuality", SetWaterQuality},
    {"GetRenderBloom", GetRenderBloom},
    {"SetRenderBloom", SetRenderBloom},
    {"GetRenderDOF", GetRenderDOF},
    {"SetRenderDOF", SetRenderDOF},
};

}  // namespace

const SD::ScriptClass& GraphicsScriptClass() {
    static const SD::ScriptClass record{"Graphics_", kMethods, sizeof kMethods / sizeof kMethods[0], false};
    return record;
}

int ScriptPrintText(lua_State* L) {
    const int x = SD::ScriptToInteger(L, 1);
    const int y = SD::ScriptToInteger(L, 2);
    const int type = lua_type(L, 3);
    const char* text = type == LUA_TSTRING || type == LUA_TNUMBER ? lua_tostring(L, 3) : "";
    Graphics_::GetInstance()->DrawDebugString(x, y, text);
    return 0;
}

}  // namespace Aperture
