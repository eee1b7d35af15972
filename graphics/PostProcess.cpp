// The post-processing chain on the scene buffer: the glow and its bloom, then the depth of
// field's mix with the bloom added, the sprites, the scene in the back buffer's render area and
// the texts on top. Every full-screen step writes each pixel of its target (the bloom's sums
// blend onto what the step before wrote): none clears its target first. The mix writes the
// finished scene into the back buffer when the render area fills it, so that the sprites blend
// onto 8-bit colour and no copy follows; a first sprite over the whole area is blended in by the
// mix itself.
#include <algorithm>
#include <cmath>
#include <utility>

#include "core/BlurTaps.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "graphics/Graphics.h"
#include "graphics/resources/Effect.h"
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

void Graphics_::Blur(Resource::RenderBuffer* source, Resource::RenderBuffer* destination, BlurKind kind,
                     Resource::RenderBuffer* added) {
    Resource::Effect* blur = GetEffect("blur");
    if (!blur || !source || !destination) {
        if (!blur) ReportMissingOnce("Effect", "blur");
        return;
    }
    const BlurKernel kernel(source->GetWidth(), source->GetHeight(), source->GetWidth() > destination->GetWidth(),
                            kind == BlurKind::kNormalised);
    blur->SetTechnique(added ? "BlurAdded" : "Blur");
    blur->SetTexture("image", source);
    blur->SetTexture("added", added);
    blur->SetOffsets(kernel.offsets, 3);
    blur->SetWeights(kernel.weights, 3);
    BindTarget(destination, blur);
    DrawFullScreenQuad(blur);
    destination->Unbind();
    blur->SetTexture("image", nullptr);
    blur->SetTexture("added", nullptr);
}

void Graphics_::DownScale(Resource::RenderBuffer* source, Resource::RenderBuffer* destination, const char* technique) {
    Resource::Effect* copy = GetEffect("copy");
    if (!copy || !source || !destination) {
        if (!copy) ReportMissingOnce("Effect", "copy");
        return;
    }
    copy->SetTechnique(technique);
    copy->SetFloat("halfPixW", 0.5f / static_cast<float>(destination->GetWidth()));
    copy->SetFloat("halfPixH", 0.5f / static_cast<float>(destination->GetHeight()));
    copy->SetTexture("txtr", source);
    BindTarget(destination, copy);
    DrawFullScreenQuad(copy);
    destination->Unbind();
    copy->SetTexture("txtr", nullptr);
}

void Graphics_::BlendAdditive(Resource::RenderBuffer* source, RenderTarget* destination) {
    Resource::Effect* blend = GetEffect("blend");
    if (!blend || !source || !destination) {
        if (!blend) ReportMissingOnce("Effect", "blend");
        return;
    }
    blend->SetTechnique("Additive");
    blend->SetTexture("image", source);
    BindTarget(destination, blend);
    DrawFullScreenQuad(blend);
    destination->Unbind();
    blend->SetTexture("image", nullptr);
}

platform::gfx::Rect Graphics_::FinalRectangle(uint32_t width, uint32_t height, uint32_t areaWidth,
                                              uint32_t areaHeight) {
    // A render size larger than the area starts at the corner and stops at the area's edge.
    const uint32_t left = areaWidth > width ? (areaWidth - width) / 2 : 0;
    const uint32_t top = areaHeight > height ? (areaHeight - height) / 2 : 0;
    const uint32_t right = left + std::min(width, areaWidth);
    const uint32_t bottom = top + std::min(height, areaHeight);
    return {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
            static_cast<int32_t>(bottom)};
}

void Graphics_::PostProcess() {
    platform::gfx::Device* d = device.GetDevice();
    FrameBuffer* back = device.GetBackBufferTarget();
    const platform::gfx::Rect area =
        FinalRectangle(renderWidth, renderHeight, device.GetBackBufferWidth(), device.GetBackBufferHeight());
    const bool bars = area.right - area.left < static_cast<int32_t>(device.GetBackBufferWidth()) ||
                      area.bottom - area.top < static_cast<int32_t>(device.GetBackBufferHeight());
    // A render size larger than the back buffer is cut at its edge by the copy.
    const bool areaHoldsScene = area.right - area.left == static_cast<int32_t>(renderWidth) &&
                                area.bottom - area.top == static_cast<int32_t>(renderHeight);
    // Where the sprites go: the scene buffer, copied into the back buffer after them, unless the
    // depth of field's mix has written the finished scene into the back buffer itself.
    RenderTarget* spriteTarget = mainColor;
    platform::gfx::Rect spriteArea{0, 0, static_cast<int32_t>(renderWidth), static_cast<int32_t>(renderHeight)};
    // The sprites from this one on draw in the sprite pass; those before it are drawn already.
    size_t firstSprite = 0;
    // Only the bars beside a render area smaller than the back buffer need the clear; nothing
    // drawn there from here on tests depth.
    auto clearBars = [&] {
        if (!bars) return;
        back->Bind();
        Clear(false, 0.0f, 0.0f, 0.0f, 0.0f);
        back->Unbind();
    };
    // Under a sprite that hides the whole scene the chain would work on what never shows.
    if (!noPostProcess && !spritesHideScene) {
        d->SetVertexDeclaration(meshDeclaration);
        if (renderBloom) {
            // The glow straight at a quarter of the scene's size, its sixteenth from that, each
            // level blurred in one pass; the quarter's blur adds the sixteenth's.
            // The wide sprites waiting in the particle target join the glow's capture and the
            // quarter's blur, which adds them unblurred.
            const float particles = particlesInBloom ? 1.0f : 0.0f;
            for (const char* effect : {"copy", "blur"})
                if (Resource::Effect* e = GetEffect(effect)) {
                    e->SetTexture("particles", particleTarget);
                    e->SetFloat("particleAmount", particles);
                }
            DownScale(mainColor, quarter[0], "CaptureGlow");
            DownScale(quarter[0], sixteenth[0], "DownScaleQuarter");
            Blur(sixteenth[0], sixteenth[1], BlurKind::kGlow);
            Blur(quarter[0], quarter[1], BlurKind::kGlow, sixteenth[1]);
            for (const char* effect : {"copy", "blur"})
                if (Resource::Effect* e = GetEffect(effect)) e->SetTexture("particles", nullptr);
        }
        Resource::Effect* dof = renderDepthOfField ? GetEffect("DepthOfField") : nullptr;
        if (renderDepthOfField && !dof) ReportMissingOnce("Effect", "DepthOfField");
        if (dof) {
            Blur(mainColor, dofBlurred, BlurKind::kNormalised);
            float focal = 0.0f;
            SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
            Camera* camera = GetActiveCamera();
            if (player && camera && camera->GetOwner())
                focal = (player->GetTransform().GetPos() - camera->GetOwner()->GetTransform().GetPos()).Length();
            // The mix adds the bloom in the same pass: the scene is written once, finished.
            dof->SetTechnique("LinearInterpolate");
            dof->SetTexture("image1", mainColor);
            dof->SetTexture("image2", dofBlurred);
            dof->SetTexture("image3", renderBloom ? quarter[1] : nullptr);
            dof->SetFloat("bloomAmount", renderBloom ? 1.0f : 0.0f);
            dof->SetTexture("depthImage", geometryBuffer);
            dof->SetFloat("cFocal", focal);
            if (areaHoldsScene) {
                // Straight into the back buffer's render area: no copy follows. A first sprite
                // over all of it is blended in here rather than by a pass of its own over the
                // whole back buffer (the bars it also covers are black, as is what it leaves of
                // them).
                SD::Vec4 place;
                if (FirstSpriteCoversArea(place)) {
                    const ShownSprite& shown = shownSprites.front();
                    const SD::Vec3& tint = shown.sprite->GetTint();
                    dof->SetTechnique("LinearInterpolateOverlay");
                    dof->SetTexture("overlay", shown.texture);
                    dof->SetVector4("overlayColor", tint.x, tint.y, tint.z, shown.sprite->GetOpacity());
                    dof->SetVector4("overlayPlace", place.x, place.y, place.z, place.w);
                    firstSprite = 1;
                }
                clearBars();
                BindTarget(back, dof);
                DrawFullScreenQuad(dof, areaQuad.get());
                back->Unbind();
                dof->SetTexture("overlay", nullptr);
                spriteTarget = back;
                spriteArea = area;
            } else {
                // Into a buffer that becomes the scene: the two trade places.
                BindTarget(dofWork, dof);
                DrawFullScreenQuad(dof);
                dofWork->Unbind();
                std::swap(mainColor, dofWork);
            }
            dof->SetTexture("image3", nullptr);
        } else if (renderBloom) {
            BlendAdditive(quarter[1], mainColor);
        }
    }
    DrawSprites(spriteTarget, spriteArea, firstSprite);
    if (spriteTarget != back) {
        clearBars();
        back->CopyFrom(mainColor, &area);
    }
    DrawQueuedText();
}

}  // namespace Aperture
