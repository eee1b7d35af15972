// The script class Input_. Apart from VName its methods act on the one input system whatever
// value they are called on, so arguments start at 2. Codes and pad indices go to the input
// system as unsigned values, where anything outside its tables reads as nothing.
#include <lua.hpp>

#include "engine/ScriptBindings.h"
#include "engine/ScriptValue.h"
#include "runtime/Input.h"
#include "runtime/RuntimeScriptBindings.h"

namespace SD {
namespace {

int Null(lua_State* L, const char* method, bool returnsValue) {
    return ReportNullThis(L, "Input_", method, returnsValue);
}

// A code or pad index; negative numbers become codes far outside every table.
uint32_t Code(lua_State* L, int index) { return static_cast<uint32_t>(ScriptToInteger(L, index)); }

int VName(lua_State* L) {
    auto* input = static_cast<Input_*>(CheckScriptValue(L, 1, "Input_")->object);
    if (!input) return Null(L, "VName", true);
    lua_pushstring(L, input->GetName());
    return 1;
}

int GetInstance(lua_State* L) {
    PushScriptValue(L, Input_::GetInstance(), "Input_", false);
    return 1;
}

int GetDevKeysEnabled(lua_State* L) {
    Input_* input = Input_::GetInstance();
    if (!input) return Null(L, "GetDevKeysEnabled", true);
    lua_pushboolean(L, input->GetDevKeysEnabled());
    return 1;
}

int SetDevKeysEnabled(lua_State* L) {
    bool enabled = lua_toboolean(L, 2) != 0;
    Input_* input = Input_::GetInstance();
    if (!input) return Null(L, "SetDevKeysEnabled", false);
    input->SetDevKeysEnabled(enabled);
    return 0;
}

int WipeKeystateBuffers(lua_State*) {
    Input_::WipeKeystateBuffers();
    return 0;
}

template <float (Input_::*Get)(uint32_t) const, const char* Name>
int PadAxis(lua_State* L) {
    uint32_t pad = Code(L, 2);
    Input_* input = Input_::GetInstance();
    if (!input) return Null(L, Name, true);
    lua_pushnumber(L, (input->*Get)(pad));
    return 1;
}

template <void (Input_::*Set)(float, uint32_t), const char* Name>
int Rumble(lua_State* L) {
    auto strength = static_cast<float>(lua_tonumber(L, 2));
    uint32_t pad = Code(L, 3);
    Input_* input = Input_::GetInstance();
    if (!input) return Null(L, Name, false);
    (input->*Set)(strength, pad);
    return 0;
}

int PauseRumble(lua_State* L) {
    bool paused = lua_toboolean(L, 2) != 0;
    uint32_t pad = Code(L, 3);
    Input_* input = Input_::GetInstance();
    if (!input) return Null(L, "PauseRumble", false);
    input->PauseRumble(paused, pad);
    return 0;
}

template <int (Input_::*Get)() const, const char* Name>
int MouseDelta(lua_State* L) {
    Input_* input = Input_::GetInstance();
    if (!input) return Null(L, Name, true);
    lua_pushnumber(L, (input->*Get)());
    return 1;
}

template <bool (Input_::*Get)(uint32_t) const, const char* Name>
int KeyQuery(lua_State* L) {
    uint32_t code = Code(L, 2);
    Input_* input = Input_::GetInstance();
    if (!input) return Null(L, Name, true);
    lua_pushboolean(L, (input->*Get)(code));
    return 1;
}

template <uint32_t (Input_::*Get)() const, const char* Name>
int FirstKey(lua_State* L) {
    Input_* input = Input_::GetInstance();
    if (!input) return Null(L, Name, true);
    lua_pushnumber(L, (input->*Get)());
    return 1;
}

// A name that is no text prints an argument error and binds nothing.
int BindDigital(lua_State* L) {
    const char* name = LuaCheckString(L, 2);
    uint32_t code = Code(L, 3);
    Input_* input = Input_::GetInstance();
    if (!input) return Null(L, "BindDigital", false);
    if (name) input->BindDigital(name, code);
    return 0;
}

// The scale is 1 when left out.
int BindAnalog(lua_State* L) {
    const char* name = LuaCheckString(L, 2);
    uint32_t negative = Code(L, 3);
    uint32_t positive = Code(L, 4);
    float scale = lua_isnoneornil(L, 5) ? 1.0f : static_cast<float>(lua_tonumber(L, 5));
    Input_* input = Input_::GetInstance();
    if (!input) return Null(L, "BindAnalog", false);
    if (name) input->BindAnalog(name, negative, positive, scale);
    return 0;
}

template <void (Input_::*Clear)(const std::string&), const char* Name>
int ClearBinding(lua_State* L) {
    const char* name = LuaCheckString(L, 2);
    Input_* input = Input_::GetInstance();
    if (!input) return Null(L, Name, false);
    if (name) (input->*Clear)(name);
    return 0;
}

template <void (Input_::*Clear)(uint32_t), const char* Name>
int ClearKey(lua_State* L) {
    uint32_t code = Code(L, 2);
    Input_* input = Input_::GetInstance();
    if (!input) return Null(L, Name, false);
    (input->*Clear)(code);
    return 0;
}

// A name that is no text prints an argument error and answers nil.
template <bool (Input_::*Get)(const std::string&), const char* Name>
int DigitalQuery(lua_State* L) {
    const char* name = LuaCheckString(L, 2);
    Input_* input = Input_::GetInstance();
    if (!input) return Null(L, Name, true);
    if (!name) {
        lua_pushnil(L);
        return 1;
    }
    bool value = (input->*Get)(name);
    lua_pushboolean(L, value);
    return 1;
}

int GetAnalog(lua_State* L) {
    const char* name = LuaCheckString(L, 2);
    Input_* input = Input_::GetInstance();
    if (!input) return Null(L, "GetAnalog", true);
    if (!name) {
        lua_pushnil(L);
        return 1;
    }
    float value = input->GetAnalog(name);
    lua_pushnumber(L, value);
    return 1;
}

// The name table needs no input system; a code outside it answers nil.
int GetKeyName(lua_State* L) {
    uint32_t code = Code(L, 2);
    if (code >= static_cast<uint32_t>(INPUT_KEY_BUFFER_SIZE)) {
        lua_pushnil(L);
        return 1;
    }
    const std::string& name = Input_::GetKeyName(code);
    lua_pushlstring(L, name.data(), name.size());
    return 1;
}

constexpr char kLX[] = "GetXPadAxisLX", kLY[] = "GetXPadAxisLY", kRX[] = "GetXPadAxisRX", kRY[] = "GetXPadAxisRY",
               kLTrig[] = "GetXPadAxisLTrig", kRTrig[] = "GetXPadAxisRTrig";
constexpr char kFine[] = "SetXPadRumbleFine", kCoarse[] = "SetXPadRumbleCoarse";
constexpr char kDeltaX[] = "GetMouseDeltaX", kDeltaY[] = "GetMouseDeltaY";
constexpr char kKeyState[] = "GetKeyState", kKeyTriggered[] = "GetKeyStateTriggered",
               kKeyReleased[] = "GetKeyStateReleased";
constexpr char kClearDigital[] = "ClearDigital", kClearDigitalKey[] = "ClearDigitalKey", kClearAnalog[] = "ClearAnalog",
               kClearAnalogKey[] = "ClearAnalogKey";
constexpr char kDigital[] = "GetDigital", kDigitalTriggered[] = "GetDigitalTriggered",
               kDigitalReleased[] = "GetDigitalReleased";
constexpr char kFirstPressed[] = "GetFirstPressedKey", kFirstTriggered[] = "GetFirstTriggeredKey",
               kFirstReleased[] = "GetFirstReleasedKey";

const ScriptMethod kMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"VName", VName},
    {"GetInstance", GetInstance},
    {"GetDevKeysEnabled", GetDevKeysEnabled},
    {"SetDevKeysEnabled", SetDevKeysEnabled},
    {"WipeKeystateBuffers", WipeKeystateBuffers},
    {"GetXPadAxisLX", PadAxis<&Input_::GetXPadAxisLX, kLX>},
    {"GetXPadAxisLY", PadAxis<&Input_::GetXPadAxisLY, kLY>},
    {"GetXPadAxisRX", PadAxis<&Input_::GetXPadAxisRX, kRX>},
    {"GetXPadAxisRY", PadAxis<&Input_::GetXPadAxisRY, kRY>},
    {"GetXPadAxisLTrig", PadAxis<&Input_::GetXPadAxisLTrig, kLTrig>},
    {"GetXPadAxisRTrig", PadAxis<&Input_::GetXPadAxisRTrig, kRTrig>},
    {"SetXPadRumbleFine", Rumble<&Input_::SetXPadRumbleFine, kFine>},
    {"SetXPadRumbleCoarse", Rumble<&Input_::SetXPadRumbleCoarse, kCoarse>},
    {"PauseRumble", PauseRumble},
    {"GetMouseDeltaX", MouseDelta<&Input_::GetMouseDeltaX, kDeltaX>},
    {"GetMouseDeltaY", MouseDelta<&Input_::GetMouseDeltaY, kDeltaY>},
    {"GetKeyState", KeyQuery<&Input_::GetKeyState, kKeyState>},
    {"GetKeyStateTriggered", KeyQuery<&Input_::GetKeyStateTriggered, kKeyTriggered>},
    {"GetKeyStateReleased", KeyQuery<&Input_::GetKeyStateReleased, kKeyReleased>},
    {"BindDigital", BindDigital},
    {"ClearDigital", ClearBinding<&Input_::ClearDigital, kClearDigital>},
    {"ClearDigitalKey", ClearKey<&Input_::ClearDigitalKey, kClearDigitalKey>},
    {"GetDigital", DigitalQuery<&Input_::GetDigital, kDigital>},
    {"GetDigitalTriggered", DigitalQuery<&Input_::GetDigitalTriggered, kDigitalTriggered>},
    {"GetDigitalReleased", DigitalQuery<&Input_::GetDigitalReleased, kDigitalReleased>},
    {"BindAnalog", BindAnalog},
    {"ClearAnalog", ClearBinding<&Input_::ClearAnalog, kClearAnalog>},
    {"ClearAnalogKey", ClearKey<&Input_::ClearAnalogKey, kClearAnalogKey>},
    {"GetAnalog", GetAnalog},
    {"GetFirstPressedKey", FirstKey<&Input_::GetFirstPressedKey, kFirstPressed>},
    {"GetFirstTriggeredKey", FirstKey<&Input_::GetFirstTriggeredKey, kFirstTriggered>},
    {"GetFirstReleasedKey", FirstKey<&Input_::GetFirstReleasedKey, kFirstReleased>},
    {"GetKeyName", GetKeyName},
};

}  // namespace

const ScriptClass& InputScriptClass() {
    static const ScriptClass kClass = {"Input_", kMethods, sizeof kMethods / sizeof kMethods[0], false};
    return kClass;
}

}  // namespace SD
