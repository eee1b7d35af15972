// The post-processing chain on the scene buffer: the glow and its bloom, then the depth of
// field's mix with the bloom added, the sprites, the scene in the back buffer's render area and
// the texts on top. Every full-screen step writes each pixel of its target (the bloom's sums
// blend onto what the step before wrote): none clears its target first. The mix writes the
// finished scene into the back buffer when the render area fills it, so that the sprites blend
// onto 8-bit colour and no copy follows.
#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "graphics/Graphics.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Texture.h"

namespace Aperture {
namespace {

// Five weights and offsets of a Gaussian of sigma 3 at 0, 1 and 2 texels each way, at 0.8 of
// the normalised samples.
struct BlurKernel {
    float weights[5];
    SD::Vec4 offsets[5];
    BlurKernel(uint32_t width, uint32_t height) {
        constexpr float kSigma = 3.0f;
        constexpr float kPi = 3.14159265358979f;
        auto gauss = [](float x) {
            return std::exp(-x * x / (2.0f * kSigma * kSigma)) / std::sqrt(2.0f * kPi * kSigma * kSigma);
        };
        weights[0] = 0.8f * gauss(0.0f);
        weights[1] = weights[3] = 0.8f * gauss(1.0f);
        weights[2] = weights[4] = 0.8f * gauss(2.0f);
        const float w = static_cast<float>(std::max<uint32_t>(width, 1));
        const float h = static_cast<float>(std::max<uint32_t>(height, 1));
        offsets[0] = SD::Vec4(0.0f, 0.0f, 0.0f, 0.0f);
        for (int k = 1; k <= 2; ++k) {
            offsets[k] = SD::Vec4(static_cast<float>(k) / w, static_cast<float>(k) / h, 0.0f, 0.0f);
            offsets[k + 2] = SD::Vec4(-offsets[k].x, -offsets[k].y, 0.0f, 0.0f);
        }
    }
};

}  // namespace

void Graphics_::Blur(Resource::RenderBuffer* source, Resource::RenderBuffer* intermediate,
                     Resource::RenderBuffer* destination) {
    Resource::Effect* blur = GetEffect("blur");
    if (!blur || !source || !intermediate || !destination) {
        if (!blur) ReportMissingOnce("Effect", "blur");
        return;
    }
    const BlurKernel kernel(source->GetWidth(), source->GetHeight());
    auto pass = [&](const char* technique, Resource::RenderBuffer* from, Resource::RenderBuffer* to) {
        blur->SetTechnique(technique);
        blur->SetTexture("image", from);
        blur->SetOffsets(kernel.offsets, 5);
        blur->SetWeights(kernel.weights, 5);
        BindTarget(to, blur);
        DrawFullScreenQuad(blur);
        to->Unbind();
        blur->SetTexture("image", nullptr);
    };
    pass("BlurHorizontal", source, intermediate);
    pass("BlurVertical", intermediate, destination);
}

void Graphics_::DownScale(Resource::RenderBuffer* source, Resource::RenderBuffer* destination) {
    Resource::Effect* copy = GetEffect("copy");
    if (!copy || !source || !destination) {
        if (!copy) ReportMissingOnce("Effect", "copy");
        return;
    }
    copy->SetTechnique("DownScaleQuarter");
    copy->SetFloat("halfPixW", 0.5f / static_cast<float>(destination->GetWidth()));
    copy->SetFloat("halfPixH", 0.5f / static_cast<float>(destination->GetHeight()));
    copy->SetTexture("txtr", source);
    BindTarget(destination, copy);
    DrawFullScreenQuad(copy);
    destination->Unbind();
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
    // Only the bars beside a render area smaller than the back buffer need the clear.
    auto clearBars = [&] {
        if (!bars) return;
        back->Bind();
        Clear(true, 0.0f, 0.0f, 0.0f, 0.0f);
        back->Unbind();
    };
    // Under a sprite that hides the whole scene the chain would work on what never shows.
    if (!noPostProcess && !spritesHideScene) {
        d->SetVertexDeclaration(meshDeclaration);
        if (renderBloom) {
            if (Resource::Effect* blur = GetEffect("blur")) {
                blur->SetTechnique("CaptureGlow");
                blur->SetTexture("image", mainColor);
                BindTarget(glowBuffer, blur);
                DrawFullScreenQuad(blur);
                glowBuffer->Unbind();
                blur->SetTexture("image", nullptr);
            } else {
                ReportMissingOnce("Effect", "blur");
            }
            DownScale(glowBuffer, quarter[0]);
            DownScale(quarter[0], sixteenth[0]);
            Blur(sixteenth[0], sixteenth[1], sixteenth[2]);
            BlendAdditive(sixteenth[2], quarter[0]);
            Blur(quarter[0], quarter[1], quarter[2]);
        }
        Resource::Effect* dof = renderDepthOfField ? GetEffect("DepthOfField") : nullptr;
        if (renderDepthOfField && !dof) ReportMissingOnce("Effect", "DepthOfField");
        if (dof) {
            Blur(mainColor, dofBlurWork, dofBlurred);
            float focal = 0.0f;
            SD::GameObject* player = SD::Factory_::GetGameObjectByName("Player");
            Camera* camera = GetActiveCamera();
            if (player && camera && camera->GetOwner())
                focal = (player->GetTransform().GetPos() - camera->GetOwner()->GetTransform().GetPos()).Length();
            // The mix adds the bloom in the same pass: the scene is written once, finished.
            dof->SetTechnique("LinearInterpolate");
            dof->SetTexture("image1", mainColor);
            dof->SetTexture("image2", dofBlurred);
            dof->SetTexture("image3", renderBloom ? quarter[2] : nullptr);
            dof->SetFloat("bloomAmount", renderBloom ? 1.0f : 0.0f);
            dof->SetTexture("depthImage", geometryBuffer);
            dof->SetFloat("cFocal", focal);
            if (areaHoldsScene) {
                // Straight into the back buffer's render area: no copy follows.
                clearBars();
                BindTarget(back, dof);
                DrawFullScreenQuad(dof, areaQuad.get());
                back->Unbind();
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
            BlendAdditive(quarter[2], mainColor);
        }
    }
    DrawSprites(spriteTarget, spriteArea);
    if (spriteTarget != back) {
        clearBars();
        back->CopyFrom(mainColor, &area);
    }
    DrawQueuedText();
}

}  // namespace Aperture
