#include "game/hud/HudSprites.h"

#include <unordered_map>

#include "engine/GameObject.h"
#include "graphics/components/Sprite.h"

namespace QV {
namespace {

// The opacity last set on each object, sprite or not (read only while it has no sprite), keyed by
// the object's handle slot, so a reused slot starts over with its generation.
struct OpacityRecord {
    uint32_t generation;
    float opacity;
};
std::unordered_map<uint32_t, OpacityRecord>& Opacities() {
    static std::unordered_map<uint32_t, OpacityRecord> opacities;
    return opacities;
}

}  // namespace

Aperture::Sprite* SpriteOf(SD::GameObject& object) {
    if (auto* sprite = static_cast<Aperture::Sprite*>(object.GetComponent(SD::CID_UISprite))) return sprite;
    return static_cast<Aperture::Sprite*>(object.GetComponent(SD::CID_Sprite));
}

void SetSpriteTexture(SD::GameObject* object, const std::string& texture) {
    if (Aperture::Sprite* sprite = object ? SpriteOf(*object) : nullptr) sprite->SetTexture(texture);
}

void SetSpriteOpacity(SD::GameObject* object, float opacity) {
    if (!object) return;
    const SD::GameObjectHandle& h = object->GetHandle();
    Opacities()[h.GetIndex()] = {h.GetGeneration(), opacity};
    if (Aperture::Sprite* sprite = SpriteOf(*object)) sprite->SetOpacity(opacity);
}

void SetSpriteColor(SD::GameObject* object, float red, float green, float blue) {
    if (Aperture::Sprite* sprite = object ? SpriteOf(*object) : nullptr) sprite->SetTint({red, green, blue});
}

float GetSpriteOpacity(SD::GameObject* object) {
    if (!object) return 1.0f;
    if (const Aperture::Sprite* sprite = SpriteOf(*object)) return sprite->GetOpacity();
    const SD::GameObjectHandle& h = object->GetHandle();
    auto found = Opacities().find(h.GetIndex());
    return found != Opacities().end() && found->second.generation == h.GetGeneration() ? found->second.opacity : 1.0f;
}

}  // namespace QV
