#include <algorithm>

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "graphics/Graphics.h"
#include "graphics/resources/Effect.h"
#include "platform/gfx/ViewMath.h"

namespace Aperture {
namespace {

constexpr float kPi = 3.14159265358979f;

platform::gfx::Matrix ToDevice(const SD::Mtx44& m) {
    platform::gfx::Matrix out;
    std::copy(m.m, m.m + 16, out.m);
    return out;
}

}  // namespace

// Everything here lands on the shared effect, so every effect of the pool sees it.
void Graphics_::SetFrameConstants() {
    Resource::Effect* e = sharedEffect;
    if (!e) return;
    SetViewMatrix(e);
    e->SetFloat("cNear", cameraNear);
    e->SetFloat("cFar", cameraFar);
    e->SetFloat("time", accumulatedTime);
    seasonLook.SetConstants(*e);
    SD::Vec3 player(0.0f, 0.0f, 0.0f);
    if (SD::GameObject* object = SD::Factory_::GetGameObjectByName("Player")) player = object->GetTransform().GetPos();
    e->SetVector4("playerPos", player.x, player.y, player.z, 1.0f);
    e->SetFloat("glow_intensity", glowIntensity);
    e->SetFloat("glow_spread", glowSpread);
    if (platform::gfx::Device* d = device.GetDevice()) d->SetVertexDeclaration(meshDeclaration);
}

void Graphics_::SetViewMatrix(Resource::Effect* effect) {
    if (!effect) return;
    if (Camera* camera = GetActiveCamera())
        camera->SetViewConstants(effect);
    else
        effect->SetMatrix("view", defaultView);
}

SD::Mtx44 Graphics_::BuildProjection() {
    const Camera* camera = GetActiveCamera();
    const float fov = camera ? camera->GetFov() : static_cast<float>(defaultFov);
    platform::gfx::Matrix p =
        platform::gfx::MatrixPerspectiveFovLH(fov * kPi / 180.0f, targetAspect, cameraNear, cameraFar);
    std::copy(p.m, p.m + 16, projection.m);
    return projection;
}

SD::Mtx44 Graphics_::SetProjection(Resource::Effect* effect) {
    SD::Mtx44 p = BuildProjection();
    if (effect) effect->SetMatrix("projection", p);
    return p;
}

// The water plane just below y = 0, moved into clip space by the inverse transpose of
// view x projection, keeps what lies above the water in the reflection.
void Graphics_::SetWaterClipPlane(const SD::Mtx44& view) {
    using namespace platform::gfx;
    platform::gfx::Plane plane = PlaneNormalize(PlaneFromPointNormal({0.0f, -0.05f, 0.0f}, {0.0f, 1.0f, 0.0f}));
    Matrix viewProjection = MatrixMultiply(ToDevice(view), ToDevice(BuildProjection()));
    Matrix inverse;
    if (!MatrixInverse(viewProjection, inverse)) return;
    plane = PlaneTransform(plane, MatrixTranspose(inverse));
    Device* d = device.GetDevice();
    if (!d) return;
    d->SetRenderState(kRsClipPlaneEnable, 1);
    const float coefficients[4] = {plane.a, plane.b, plane.c, plane.d};
    d->SetClipPlane(0, coefficients);
}

uint32_t Graphics_::PackColor(float red, float green, float blue, float alpha) {
    auto channel = [](float value) { return static_cast<uint32_t>(static_cast<int>(value * 255.0f)) & 0xFFu; };
    return channel(alpha) << 24 | channel(red) << 16 | channel(green) << 8 | channel(blue);
}

void Graphics_::Clear(bool clearDepth, float red, float green, float blue, float alpha) {
    platform::gfx::Device* d = device.GetDevice();
    if (!d) return;
    uint32_t flags = platform::gfx::kClearTarget | (clearDepth ? platform::gfx::kClearZBuffer : 0u);
    d->Clear(flags, PackColor(red, green, blue, alpha), 1.0f, 0);
}

void Graphics_::BindTarget(RenderTarget* target, Resource::Effect* effect) {
    if (!target) return;
    if (effect)
        effect->SetHalfTexelOffset(0.5f / static_cast<float>(target->GetWidth()),
                                   0.5f / static_cast<float>(target->GetHeight()));
    target->Bind();
}

void Graphics_::DrawFullScreenQuad(Resource::Effect* effect, ScreenQuad* quad) {
    if (!quad) quad = screenQuad.get();
    if (!effect || !quad) return;
    const unsigned passes = effect->Begin();
    for (unsigned pass = 0; pass < passes; ++pass) {
        effect->BeginPass(pass);
        quad->Draw();
        effect->EndPass();
    }
    effect->End();
}

}  // namespace Aperture
