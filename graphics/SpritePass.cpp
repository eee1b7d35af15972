// The sprite pass: every UI sprite as a textured quad on the finished scene, placed in screen
// fractions of the render size and sized relative to the render width.
#include <algorithm>
#include <cmath>

#include "core/MathUtil.h"
#include "engine/GameObject.h"
#include "graphics/Graphics.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Texture.h"
#include "graphics/resources/Vertex.h"
#include "platform/gfx/ViewMath.h"

namespace Aperture {

SD::Mtx44 Graphics_::SpriteWorld(const SD::Vec3& position, float rotation, float scaleX, float scaleY,
                                 const SD::Vec2& anchor, float textureWidth, float textureHeight, float width,
                                 float height) {
    if (std::fabs(scaleX) < 0.0001f && std::fabs(scaleY) < 0.0001f) {
        scaleX = textureWidth / UISprite::kReferenceWidth;
        scaleY = textureHeight / UISprite::kReferenceHeight;
    }
    // Both sizes follow the render width; 0.625 keeps the reference screen's 1920:1200.
    const float pixelWidth = width * scaleX;
    const float pixelHeight = width * scaleY * 0.625f;
    const float c = std::cos(rotation), s = std::sin(rotation);
    // Scale, then the turn about the quad's centre, then the anchor shift, the position and
    // the move of the origin to the top-left corner.
    SD::Mtx44 world = SD::Mtx44::Identity();
    world(0, 0) = c * pixelWidth;
    world(0, 1) = -s * pixelHeight;
    world(1, 0) = s * pixelWidth;
    world(1, 1) = c * pixelHeight;
    world(0, 3) = (anchor.x - 0.5f) * pixelWidth + width * position.x - width / 2.0f;
    world(1, 3) = (anchor.y - 0.5f) * pixelHeight - height * position.y + height / 2.0f;
    return world;
}

namespace {

// Whether the quad of the world matrix, unturned, covers the render area centred on the origin.
bool CoversArea(const SD::Mtx44& world, float width, float height) {
    if (world(0, 1) != 0.0f || world(1, 0) != 0.0f) return false;
    const float halfWidth = std::fabs(world(0, 0)) / 2.0f, halfHeight = std::fabs(world(1, 1)) / 2.0f;
    return world(0, 3) - halfWidth <= -width / 2.0f && world(0, 3) + halfWidth >= width / 2.0f &&
           world(1, 3) - halfHeight <= -height / 2.0f && world(1, 3) + halfHeight >= height / 2.0f;
}

SD::Mtx44 WorldOf(const UISprite& sprite, const Resource::iTexture& texture, float width, float height) {
    SD::Transform& transform = sprite.GetOwner()->GetTransform();
    return Graphics_::SpriteWorld(transform.GetPos(), transform.GetRotateZ(), transform.GetScaleX(),
                                  transform.GetScaleY(), sprite.GetAnchor(), static_cast<float>(texture.GetWidth()),
                                  static_cast<float>(texture.GetHeight()), width, height);
}

}  // namespace

std::vector<Graphics_::ShownSprite> Graphics_::ShownSprites() {
    const auto width = static_cast<float>(renderWidth);
    const auto height = static_cast<float>(renderHeight);
    std::vector<UISprite*> ordered;
    ordered.reserve(sceneLists.UISprites().Size());
    for (UISprite* sprite : sceneLists.UISprites()) ordered.push_back(sprite);
    auto z = [](const UISprite* sprite) {
        return sprite->GetOwner() ? sprite->GetOwner()->GetTransform().GetPos().z : 0.0f;
    };
    std::stable_sort(ordered.begin(), ordered.end(), [&z](UISprite* a, UISprite* b) { return z(a) < z(b); });
    std::vector<ShownSprite> shown;
    spritesHideScene = false;
    for (UISprite* sprite : ordered) {
        if (IsEqual(sprite->GetOpacity(), 0.0f) || !sprite->GetOwner()) continue;
        Resource::iTexture* texture = FindTexture(sprite->GetTexture());
        // Blended by its own alpha, an opaque texture at full opacity leaves nothing of what
        // lies under it.
        if (texture && sprite->GetOpacity() == 1.0f && texture->IsOpaque() &&
            CoversArea(WorldOf(*sprite, *texture, width, height), width, height)) {
            shown.clear();
            spritesHideScene = true;
        }
        shown.push_back({sprite, texture});
    }
    return shown;
}

const Graphics_::ShownSprite* Graphics_::FirstSpriteCoversArea(SD::Vec4& place) const {
    if (shownSprites.empty() || !shownSprites.front().texture) return nullptr;
    const auto width = static_cast<float>(renderWidth);
    const auto height = static_cast<float>(renderHeight);
    const SD::Mtx44 world = WorldOf(*shownSprites.front().sprite, *shownSprites.front().texture, width, height);
    if (!CoversArea(world, width, height)) return nullptr;
    place = SpritePlace(world, width, height);
    return &shownSprites.front();
}

SD::Vec4 Graphics_::SpritePlace(const SD::Mtx44& world, float width, float height) {
    // The area's point (u, v) lies at (u - 1/2) width, (1/2 - v) height about the centre, y up;
    // the quad's corner (-1/2, -1/2) takes the texture's bottom-left, whose v is 1.
    return {width / world(0, 0), height / world(1, 1), 0.5f - (width / 2.0f + world(0, 3)) / world(0, 0),
            0.5f - (height / 2.0f - world(1, 3)) / world(1, 1)};
}

void Graphics_::DrawSprites(RenderTarget* target, const platform::gfx::Rect& area, size_t first) {
    const auto width = static_cast<float>(renderWidth);
    const auto height = static_cast<float>(renderHeight);
    // The sprites' space is the render area's pixels about its centre, y up. The viewport keeps
    // them to the area: in the back buffer, text rolling off the screen stays out of the bars.
    platform::gfx::Matrix ortho =
        platform::gfx::MatrixOrthoOffCenterLH(-width / 2.0f, width / 2.0f, -height / 2.0f, height / 2.0f, 0.0f, 1.0f);
    SD::Mtx44 projectionMatrix;
    std::copy(ortho.m, ortho.m + 16, projectionMatrix.m);
    Resource::Effect* effect = GetEffect("sprite");
    if (effect) {
        effect->SetTechnique("SimpleDraw");
        BindTarget(target, effect);
    } else {
        target->Bind();
    }
    device.GetDevice()->SetViewport({static_cast<uint32_t>(area.left), static_cast<uint32_t>(area.top),
                                     static_cast<uint32_t>(area.right - area.left),
                                     static_cast<uint32_t>(area.bottom - area.top)});
    device.GetDevice()->SetVertexDeclaration(Resource::MeshVertex::GetDeclaration());
    if (effect) {
        effect->SetMatrix("view", SD::Mtx44::Identity());
        effect->SetMatrix("projection", projectionMatrix);
    }
    for (size_t i = first; i < shownSprites.size() && effect; ++i) {
        const ShownSprite& shown = shownSprites[i];
        const UISprite& sprite = *shown.sprite;
        if (!shown.texture) {
            ReportMissingOnce("Texture", sprite.GetTexture());
            continue;
        }
        const SD::Mtx44 world = WorldOf(sprite, *shown.texture, width, height);
        const SD::Vec3& tint = sprite.GetTint();
        effect->SetVector4("modColor", tint.x, tint.y, tint.z, sprite.GetOpacity());
        effect->SetMatrix("world", world.GetTransposed());
        effect->SetTexture("txtr", shown.texture);
        const unsigned passes = effect->Begin();
        DrawMesh(spriteQuad, effect, passes);
        effect->End();
    }
    target->Unbind();
}

}  // namespace Aperture
