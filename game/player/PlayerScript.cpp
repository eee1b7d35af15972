#include "game/player/PlayerScript.h"

#include <lua.hpp>

#include "engine/ObjectBindings.h"
#include "engine/ScriptBindings.h"
#include "engine/ScriptValue.h"
#include "game/cameras/VernholmCameraLogic.h"
#include "game/player/PlayerLogic.h"
#include "game/systems/AudioLogic.h"

namespace QV {
namespace {

constexpr const char* kPlayer = "PlayerLogic";
constexpr const char* kCamera = "VernholmCameraLogic";
constexpr const char* kAudio = "AudioLogic_";

int ResetPlayer(lua_State* L) {
    auto* player = static_cast<PlayerLogic*>(SD::LiveComponent(SD::CheckScriptValue(L, 1, kPlayer)));
    if (!player) return SD::ReportNullThis(L, kPlayer, "ResetPlayer", false);
    player->Reset();
    return 0;
}

int SetTargetName(lua_State* L) {
    auto* camera = static_cast<VernholmCameraLogic*>(SD::LiveComponent(SD::CheckScriptValue(L, 1, kCamera)));
    if (!camera) return SD::ReportNullThis(L, kCamera, "SetTargetName", false);
    const char* name = SD::LuaCheckString(L, 2);
    camera->SetTargetName(name ? name : "");
    return 0;
}

AudioLogic_* Audio(lua_State* L) { return static_cast<AudioLogic_*>(SD::CheckScriptValue(L, 1, kAudio)->object); }

int GetInstance(lua_State* L) {
    SD::PushScriptValue(L, &AudioLogic_::GetInstance(), kAudio, false);
    return 1;
}

int GetGlobalVolume(lua_State* L) {
    AudioLogic_* audio = Audio(L);
    if (!audio) return SD::ReportNullThis(L, kAudio, "GetGlobalVolume", true);
    lua_pushnumber(L, audio->GetGlobalVolume());
    return 1;
}

int SetGlobalVolume(lua_State* L) {
    AudioLogic_* audio = Audio(L);
    if (!audio) return SD::ReportNullThis(L, kAudio, "SetGlobalVolume", false);
    audio->SetGlobalVolume(static_cast<float>(lua_tonumber(L, 2)));
    return 0;
}

int SetInvertY(lua_State* L) {
    AudioLogic_* audio = Audio(L);
    if (!audio) return SD::ReportNullThis(L, kAudio, "SetInvertY", false);
    audio->SetInvertY(lua_toboolean(L, 2) != 0);
    return 0;
}

int GetInvertY(lua_State* L) {
    AudioLogic_* audio = Audio(L);
    if (!audio) return SD::ReportNullThis(L, kAudio, "GetInvertY", true);
    lua_pushboolean(L, audio->GetInvertY());
    return 1;
}

const SD::ScriptMethod kPlayerMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"ResetPlayer", ResetPlayer},
};

const SD::ScriptMethod kCameraMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"SetTargetName", SetTargetName},
};

const SD::ScriptMethod kAudioMethods[] = {
    {"__gc", nullptr},
    {"__call", nullptr},
    {"GetInstance", GetInstance},
    {"GetGlobalVolume", GetGlobalVolume},
    {"SetGlobalVolume", SetGlobalVolume},
    {"SetInvertY", SetInvertY},
    {"GetInvertY", GetInvertY},
};

}  // namespace

const SD::ScriptClass& PlayerScriptClass() {
    static const SD::ScriptClass record{kPlayer, kPlayerMethods, sizeof kPlayerMethods / sizeof kPlayerMethods[0],
                                        true};
    return record;
}

const SD::ScriptClass& VernholmCameraScriptClass() {
    static const SD::ScriptClass record{kCamera, kCameraMethods, sizeof kCameraMethods / sizeof kCameraMethods[0],
                                        true};
    return record;
}

const SD::ScriptClass& AudioLogicScriptClass() {
    static const SD::ScriptClass record{kAudio, kAudioMethods, sizeof kAudioMethods / sizeof kAudioMethods[0], false};
    return record;
}

}  // namespace QV
