// The post-processing chain on the scene buffer: the glow and its bloom, then the depth of
// field's mix with the bloom added, the sprites, the scene in the back buffer's render area and
// the texts on top. Every full-screen step writes each pixel of its target (the bloom's sums
// blend onto what the step before wrote): none clears its target first. The mix writes the
// finished scene into the back buffer when the render area fills it, so that the sprites blend
// onto 8-bit colour and no copy follows; a first sprite over the whole area is blended in by the
// mix itself.
#include "graphics/PostProcessChain.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/BlurTaps.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "graphics/Graphics.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/ResourceManager.h"
#include "graphics/resources/Texture.h"

namespace Aperture {
namespace {

// The blur's kernel: the engine's five Gaussian taps (sigma 3, at 0, 1 and 2 texels each way),
// read in three filtered taps a direction (one pass reads nine). Within the level (a target of
// the source's size, its pixels on texel centres) the tap at 0 reads its texel and each outer tap
// lies between the texels at 1 and 2, where the filter weighs them as the taps do. From a source
// twice the target's size (its pixels on the corners of 2 x 2 texels, each tap the average of the
// texels round it) the taps at 0, 1 and 2 texels of the corner weigh the six source texels across
// as [t2, t1 + t2, t0 + t1, t0 + t1, t1 + t2, t2] / 2: the middle pair is read at the corner and
// each outer pair by one tap between its texels. The glow keeps the taps' strength (0.8 of the
// Gaussian's samples, about 0.48 a direction), so each blur passes on a measured part of the
// light; the depth of field's blur is normalised to sum one, so a flat picture passes unchanged
// and the far field is not darkened.
struct BlurKernel {
    float weights[3];
    SD::Vec4 offsets[3];
    BlurKernel(uint32_t width, uint32_t height, bool fromTwiceTheSize, bool normalised) {
        const SD::BlurTaps taps = SD::ComputeBlurTaps(width, height);
        const float t0 = taps.weights[0], t1 = taps.weights[1], t2 = taps.weights[2];
        const float total = normalised ? t0 + 2.0f * (t1 + t2) : 1.0f;
        float outer = 0.0f;
        if (fromTwiceTheSize) {
            weights[1] = (t0 + t1) / total;
            weights[0] = weights[2] = 0.5f * (t1 + 2.0f * t2) / total;
            outer = 2.5f - (t1 + t2) / (t1 + 2.0f * t2);
        } else {
            weights[1] = t0 / total;
            weights[0] = weights[2] = (t1 + t2) / total;
            outer = (t1 + 2.0f * t2) / (t1 + t2);
        }
        const float w = static_cast<float>(std::max<uint32_t>(width, 1));
        const float h = static_cast<float>(std::max<uint32_t>(height, 1));
        offsets[0] = SD::Vec4(-outer / w, -outer / h, 0.0f, 0.0f);
        offsets[1] = SD::Vec4(0.0f, 0.0f, 0.0f, 0.0f);
        offsets[2] = SD::Vec4(outer / w, outer / h, 0.0f, 0.0f);
    }
};

}  // namespace

void PostProcessChain::CreateTargets(Resource::ResourceManager& manager) {
    dofWork = manager.CreateScaledRenderBuffer(1.0f, 1.0f);
    // The far field's blur is soft: half the size, filtered up by the mix, shows the same; its
    // share of the mix, by depth, is worked out there too, so the mix reads two textures a pixel
    // (at silhouettes the share is filtered up with the blur). It and the glow's levels are
    // 8-bit (the renderer writes, blends and reads them at a fraction of the float format's cost):
    // they reach the 8-bit back buffer only through the mix, so their step of 1/255 is the shown
    // picture's; where the far field with the bloom passes white, so does the mixed picture.
    const uint32_t shown = platform::gfx::kFormatA8R8G8B8;
    dofBlurred = manager.CreateScaledRenderBuffer(0.5f, 0.5f, shown);
    for (Resource::RenderBuffer*& buffer : quarter) buffer = manager.CreateScaledRenderBuffer(0.25f, 0.25f, shown);
    for (Resource::RenderBuffer*& buffer : sixteenth)
        buffer = manager.CreateScaledRenderBuffer(0.0625f, 0.0625f, shown);
}

void PostProcessChain::BindEffect(const std::string& name, Resource::Effect* effect) {
    if (name == "blur")
        blur = effect;
    else if (name == "copy")
        copy = effect;
    else if (name == "blend")
        blend = effect;
    else if (name == "DepthOfField")
        mix = effect;
}

void PostProcessChain::Blur(Graphics_& graphics, Resource::RenderBuffer* source, Resource::RenderBuffer* destination,
                            BlurKind kind, Resource::RenderBuffer* added, Resource::RenderBuffer* particles) {
    if (!blur || !source || !destination) {
        if (!blur) graphics.ReportMissingOnce("Effect", "blur");
        return;
    }
    blur->SetTexture("added", added);
    blur->SetTexture("particles", particles);
    DrawBlur(graphics, source, destination, kind, !added ? "Blur" : particles ? "BlurAddedAndSprites" : "BlurAdded");
    blur->SetTexture("added", nullptr);
    blur->SetTexture("particles", nullptr);
}

void PostProcessChain::DrawBlur(Graphics_& graphics, Resource::RenderBuffer* source,
                                Resource::RenderBuffer* destination, BlurKind kind, const char* technique) {
    const BlurKernel kernel(source->GetWidth(), source->GetHeight(), source->GetWidth() > destination->GetWidth(),
                            kind == BlurKind::kNormalised);
    blur->SetTechnique(technique);
    blur->SetTexture("image", source);
    blur->SetOffsets(kernel.offsets, 3);
    blur->SetWeights(kernel.weights, 3);
    graphics.BindTarget(destination, blur);
    graphics.DrawFullScreenQuad(blur);
    destination->Unbind();
    blur->SetTexture("image", nullptr);
}

void PostProcessChain::DownScale(Graphics_& graphics, Resource::RenderBuffer* source,
                                 Resource::RenderBuffer* destination, const char* technique) {
    if (!copy || !source || !destination) {
        if (!copy) graphics.ReportMissingOnce("Effect", "copy");
        return;
    }
    copy->SetTechnique(technique);
    copy->SetFloat("halfPixW", 0.5f / static_cast<float>(destination->GetWidth()));
    copy->SetFloat("halfPixH", 0.5f / static_cast<float>(destination->GetHeight()));
    copy->SetTexture("txtr", source);
    graphics.BindTarget(destination, copy);
    graphics.DrawFullScreenQuad(copy);
    destination->Unbind();
    copy->SetTexture("txtr", nullptr);
}

void PostProcessChain::BlendAdditive(Graphics_& graphics, Resource::RenderBuffer* source, RenderTarget* destination) {
    if (!blend || !source || !destination) {
        if (!blend) graphics.ReportMissingOnce("Effect", "blend");
        return;
    }
    blend->SetTechnique("Additive");
    blend->SetTexture("image", source);
    graphics.BindTarget(destination, blend);
    graphics.DrawFullScreenQuad(blend);
    destination->Unbind();
    blend->SetTexture("image", nullptr);
}

platform::gfx::Rect PostProcessChain::FinalRectangle(uint32_t width, uint32_t height, uint32_t areaWidth,
                                                     uint32_t areaHeight) {
    // A render size larger than the area starts at the corner and stops at the area's edge.
    const uint32_t left = areaWidth > width ? (areaWidth - width) / 2 : 0;
    const uint32_t top = areaHeight > height ? (areaHeight - height) / 2 : 0;
    const uint32_t right = left + std::min(width, areaWidth);
    const uint32_t bottom = top + std::min(height, areaHeight);
    return {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
            static_cast<int32_t>(bottom)};
}

void PostProcessChain::ClearBars(Graphics_& graphics, const platform::gfx::Rect& area) {
    DX9Abstract& device = graphics.GetDeviceLayer();
    if (area.right - area.left == static_cast<int32_t>(device.GetBackBufferWidth()) &&
        area.bottom - area.top == static_cast<int32_t>(device.GetBackBufferHeight()))
        return;
    FrameBuffer* back = device.GetBackBufferTarget();
    back->Bind();
    graphics.Clear(false, 0.0f, 0.0f, 0.0f, 0.0f);
    back->Unbind();
}

void PostProcessChain::RunBloom(Graphics_& graphics, const Frame& frame) {
    if (copy && frame.particles) copy->SetTexture("particles", frame.particles);
    DownScale(graphics, frame.scene, quarter[0], frame.particles ? "CaptureGlowAndSprites" : "CaptureGlow");
    if (copy) copy->SetTexture("particles", nullptr);
    DownScale(graphics, quarter[0], sixteenth[0], "DownScaleQuarter");
    Blur(graphics, sixteenth[0], sixteenth[1], BlurKind::kGlow);
    Blur(graphics, quarter[0], quarter[1], BlurKind::kGlow, sixteenth[1], frame.particles);
}

bool PostProcessChain::RunDepthOfField(Graphics_& graphics, const Frame& frame, size_t& firstSprite) {
    DX9Abstract& device = graphics.GetDeviceLayer();
    const SD::Vec2 size = graphics.GetRenderSize();
    const auto renderWidth = static_cast<uint32_t>(size.x), renderHeight = static_cast<uint32_t>(size.y);
    const platform::gfx::Rect area =
        FinalRectangle(renderWidth, renderHeight, device.GetBackBufferWidth(), device.GetBackBufferHeight());
    // A render size larger than the back buffer is cut at its edge by the copy.
    const bool areaHoldsScene = area.right - area.left == static_cast<int32_t>(renderWidth) &&
                                area.bottom - area.top == static_cast<int32_t>(renderHeight);
    BlurFarField(graphics, frame);
    // The mix reads the scene and the far field, which carries the bloom: the scene is written
    // once, finished.
    mix->SetTechnique("LinearInterpolate");
    mix->SetTexture("image1", frame.scene);
    mix->SetTexture("image2", dofBlurred);
    if (areaHoldsScene) {
        // Straight into the back buffer's render area: no copy follows. A first sprite over all
        // of it is blended in here rather than by a pass of its own over the whole back buffer
        // (the bars it also covers are black, as is what it leaves of them).
        SD::Vec4 place;
        if (const Graphics_::ShownSprite* shown = graphics.FirstSpriteCoversArea(place)) {
            const SD::Vec3& tint = shown->sprite->GetTint();
            mix->SetTechnique("LinearInterpolateOverlay");
            mix->SetTexture("overlay", shown->texture);
            mix->SetVector4("overlayColor", tint.x, tint.y, tint.z, shown->sprite->GetOpacity());
            mix->SetVector4("overlayPlace", place.x, place.y, place.z, place.w);
            firstSprite = 1;
        }
        ClearBars(graphics, area);
        FrameBuffer* back = device.GetBackBufferTarget();
        graphics.BindTarget(back, mix);
        graphics.DrawFullScreenQuad(mix, graphics.GetAreaQuad());
        back->Unbind();
        mix->SetTexture("overlay", nullptr);
    } else {
        // Into a buffer that becomes the scene: the two trade places.
        graphics.BindTarget(dofWork, mix);
        graphics.DrawFullScreenQuad(mix);
        dofWork->Unbind();
        std::swap(frame.scene, dofWork);
    }
    mix->SetTexture("image2", nullptr);
    return areaHoldsScene;
}

void PostProcessChain::BlurFarField(Graphics_& graphics, const Frame& frame) {
    if (!blur || !frame.scene || !dofBlurred) {
        if (!blur) graphics.ReportMissingOnce("Effect", "blur");
        return;
    }
    float focal = 0.0f;
    SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
    Camera* camera = graphics.GetActiveCamera();
    if (player && camera && camera->GetOwner())
        focal = (player->GetTransform().GetPos() - camera->GetOwner()->GetTransform().GetPos()).Length();
    blur->SetTexture("depthImage", frame.depth);
    blur->SetFloat("cFocal", focal);
    blur->SetTexture("bloom", bloom ? quarter[1] : nullptr);
    blur->SetFloat("bloomAmount", bloom ? 1.0f : 0.0f);
    DrawBlur(graphics, frame.scene, dofBlurred, BlurKind::kNormalised, "BlurFarField");
    blur->SetTexture("depthImage", nullptr);
    blur->SetTexture("bloom", nullptr);
}

void PostProcessChain::Run(Graphics_& graphics, const Frame& frame) {
    DX9Abstract& device = graphics.GetDeviceLayer();
    FrameBuffer* back = device.GetBackBufferTarget();
    const SD::Vec2 size = graphics.GetRenderSize();
    const auto renderWidth = static_cast<uint32_t>(size.x), renderHeight = static_cast<uint32_t>(size.y);
    const platform::gfx::Rect area =
        FinalRectangle(renderWidth, renderHeight, device.GetBackBufferWidth(), device.GetBackBufferHeight());
    // Where the sprites go: the scene buffer, copied into the back buffer after them, unless the
    // depth of field's mix has written the finished scene into the back buffer itself.
    bool sceneInBackBuffer = false;
    // The sprites from this one on draw in the sprite pass; those before it are drawn already.
    size_t firstSprite = 0;
    // Under a sprite that hides the whole scene the chain would work on what never shows.
    if (!off && !graphics.SpritesHideScene()) {
        device.GetDevice()->SetVertexDeclaration(graphics.GetScreenDeclaration());
        if (bloom) RunBloom(graphics, frame);
        if (depthOfField && !mix) graphics.ReportMissingOnce("Effect", "DepthOfField");
        if (depthOfField && mix)
            sceneInBackBuffer = RunDepthOfField(graphics, frame, firstSprite);
        else if (bloom)
            BlendAdditive(graphics, quarter[1], frame.scene);
    }
    if (sceneInBackBuffer) {
        graphics.DrawSprites(back, area, firstSprite);
    } else {
        graphics.DrawSprites(frame.scene, {0, 0, static_cast<int32_t>(renderWidth), static_cast<int32_t>(renderHeight)},
                             firstSprite);
        ClearBars(graphics, area);
        back->CopyFrom(frame.scene, &area);
    }
    graphics.DrawQueuedText();
}

}  // namespace Aperture
