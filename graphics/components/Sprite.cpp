#include "graphics/components/Sprite.h"

#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "graphics/Graphics.h"

namespace Aperture {

void Sprite::VRegister() { Graphics_::GetInstance()->GetSceneLists().Sprites().PushBack(this); }

void Sprite::VUnregister() {
    if (Graphics_* graphics = Graphics_::Peek()) graphics->GetSceneLists().Sprites().Remove(this);
}

void Sprite::SetTexture(const std::string& name) { texture = Graphics_::ResolveAssetName(name); }

void UISprite::VRegister() { Graphics_::GetInstance()->GetSceneLists().UISprites().PushBack(this); }

void UISprite::VUnregister() {
    if (Graphics_* graphics = Graphics_::Peek()) graphics->GetSceneLists().UISprites().Remove(this);
}

void UISprite::VInitialize(bool) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    SD::Transform& transform = owner->GetTransform();
    if (convertPixelPosition) {
        const SD::Vec3& p = transform.GetLocalPos();
        transform.SetPos({p.x * (1.0f / kReferenceWidth), p.y * (1.0f / kReferenceHeight), p.z});
        convertPixelPosition = false;
    }
    if (convertPixelScale) {
        const SD::Vec3& s = transform.GetScale();
        transform.SetScale({s.x * (1.0f / kReferenceWidth), s.y * (1.0f / kReferenceHeight), 1.0f});
        convertPixelScale = false;
    }
}

// Version 1 leads with the conversion flags, then reads what version 0 reads.
void UISprite::VSerialize(SD::IStream& stream, int version) {
    switch (version) {
        case 1:
            stream.Serialize(convertPixelPosition, "Convert Pixel Position", "Boolean");
            stream.Serialize(convertPixelScale, "Convert Pixel Scale", "Boolean");
            [[fallthrough]];
        case 0:
            stream.Serialize(texture, "Texture", "String");
            stream.Serialize(opacity, "Opacity", "Float");
            SD::SerializeVec2(stream, "Anchor Point", anchor);
            break;
        default:
            break;
    }
}

}  // namespace Aperture
