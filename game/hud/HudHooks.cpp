#include "game/hud/HudHooks.h"

#include <algorithm>
#include <unordered_map>

#include "engine/GameObject.h"

namespace QV {
namespace {

float g_volume = 1.0f;

// Opacities keyed by the object's handle slot, so a reused slot starts over with its generation.
struct OpacityRecord {
    uint32_t generation;
    float opacity;
};
std::unordered_map<uint32_t, OpacityRecord>& Opacities() {
    static std::unordered_map<uint32_t, OpacityRecord> opacities;
    return opacities;
}

}  // namespace

HudHooks& GetHudHooks() {
    static HudHooks hooks;
    return hooks;
}

void SetSpriteTexture(SD::GameObject* object, const std::string& texture) {
    if (object) GetHudHooks().setTexture(*object, texture);
}

void SetSpriteOpacity(SD::GameObject* object, float opacity) {
    if (!object) return;
    const SD::GameObjectHandle& h = object->GetHandle();
    Opacities()[h.GetIndex()] = {h.GetGeneration(), opacity};
    GetHudHooks().setOpacity(*object, opacity);
}

void SetSpriteColor(SD::GameObject* object, float red, float green, float blue) {
    if (object) GetHudHooks().setColor(*object, red, green, blue);
}

float GetSpriteOpacity(SD::GameObject* object) {
    if (!object) return 1.0f;
    if (GetHudHooks().readOpacity)
        if (const std::optional<float> shown = GetHudHooks().readOpacity(*object)) return *shown;
    const SD::GameObjectHandle& h = object->GetHandle();
    auto found = Opacities().find(h.GetIndex());
    return found != Opacities().end() && found->second.generation == h.GetGeneration() ? found->second.opacity : 1.0f;
}

void PostHudSound(const char* event) { GetHudHooks().postSound(event); }

void SetGlobalVolume(float volume) {
    g_volume = std::clamp(volume, 0.0f, 1.0f);
    GetHudHooks().volumeChanged(g_volume);
}

float GetGlobalVolume() { return g_volume; }

}  // namespace QV
