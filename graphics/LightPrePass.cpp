// The light pre-pass: the point and spot lights of a view accumulated into its light buffer
// from the geometry buffer, as instanced volumes. The sun is no part of it: the surfaces it
// lights compute it from the constants set here.
#include <cmath>

#include "engine/GameObject.h"
#include "graphics/Graphics.h"
#include "graphics/resources/Buffers.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Mesh.h"
#include "graphics/resources/Texture.h"
#include "graphics/resources/Vertex.h"

namespace Aperture {
namespace {

// The instance part of a light volume record.
constexpr uint32_t kLightFloats = 30;
const SD::Vec3 kSunTarget{-1000.0f, 0.0f, -2500.0f};

bool IsBlack(const SD::Vec4& c) {
    return std::fabs(c.x) < 0.0001f && std::fabs(c.y) < 0.0001f && std::fabs(c.z) < 0.0001f && std::fabs(c.w) < 0.0001f;
}

void WriteVolume(const Light& light, float* r) {
    SD::Vec3 position(0.0f, 0.0f, 0.0f);
    SD::Mtx33 orient = SD::Mtx33::Identity();
    if (SD::GameObject* owner = light.GetOwner()) {
        position = owner->GetTransform().GetPos();
        orient = owner->GetTransform().GetOrient();
    }
    const float range = light.GetAttenFar();
    const bool spot = light.GetType() == Light::kSpot;
    const float width = 2.0f * std::tan(light.GetOuterAngle() * 0.5f) * range;
    const float scales[3] = {spot ? width : 2.0f * range, spot ? range : 2.0f * range, spot ? width : 2.0f * range};
    for (int axis = 0; axis < 3; ++axis) {
        const SD::Vec3 column = orient.GetColumn(axis) * scales[axis];
        r[axis * 4 + 0] = column.x, r[axis * 4 + 1] = column.y, r[axis * 4 + 2] = column.z, r[axis * 4 + 3] = 0.0f;
    }
    r[12] = position.x, r[13] = position.y, r[14] = position.z, r[15] = 1.0f;
    const SD::Vec4& color = light.GetColor();
    r[16] = color.x, r[17] = color.y, r[18] = color.z, r[19] = color.w;
    const SD::Vec3 at = spot ? light.GetInfo().viewPosition : position;
    r[20] = at.x, r[21] = at.y, r[22] = at.z;
    r[23] = light.GetAttenNear();
    r[24] = range;
    const SD::Vec3 axis = spot ? orient.GetColumn(1) : SD::Vec3(0.0f, 0.0f, 0.0f);
    r[25] = axis.x, r[26] = axis.y, r[27] = axis.z;
    r[28] = spot ? std::cos(light.GetInnerAngle() * 0.5f) : 0.0f;
    r[29] = spot ? std::cos(light.GetOuterAngle() * 0.5f) : 0.0f;
}

}  // namespace

void Graphics_::SetSunConstants(const SD::Mtx44& view, bool lit, bool shadows) {
    SD::Vec3 direction(0.0f, 0.0f, 0.0f);
    SD::Vec4 color(0.0f, 0.0f, 0.0f, 0.0f);
    if (lit && shadowCasterLight) {
        // A sun standing on the point it faces has no direction and lights nothing.
        direction = ViewTransform(view, shadowCasterLight->GetTransform().GetPos() - kSunTarget, 0.0f);
        if (direction.LengthSq() > 0.0f) {
            direction.NormalizeThis();
            color = SD::Vec4(1.0f, 1.0f, 1.0f, 1.0f);
            if (auto* light = static_cast<Light*>(shadowCasterLight->GetComponent(SD::CID_Light)))
                color = light->GetColor();
        }
    }
    sharedEffect->SetVector4("sun_direction", direction.x, direction.y, direction.z, 0.0f);
    sharedEffect->SetVector4("sun_color", color.x, color.y, color.z, 0.0f);
    sharedEffect->SetFloat("sun_shadows", shadows ? 1.0f : 0.0f);
    if (!shadows) return;
    static const char* const kProjections[3] = {"shadow_projection", "shadow_projection2", "shadow_projection3"};
    sharedEffect->SetTexture("shadowDepth", shadowAtlas);
    for (int c = 0; c < kCascadeCount; ++c) sharedEffect->SetMatrix(kProjections[c], cascadeProjections[c]);
    sharedEffect->SetMatrix("shadow_view", shadowView);
}

void Graphics_::RenderLightPrePass(RenderTarget* lightTarget, Resource::RenderBuffer* geometry,
                                   const std::vector<Light*>& lights) {
    const size_t n = std::min(lights.size(), kMaxPrepassLights);
    if (n == 0 || !lightTarget) return;
    size_t points = 0, spots = 0;
    for (size_t i = 0; i < n; ++i) {
        if (lights[i]->GetType() == Light::kPoint) ++points;
        if (lights[i]->GetType() == Light::kSpot) ++spots;
    }
    if (points + spots == 0) return;
    platform::gfx::Device* d = device.GetDevice();
    Resource::Effect* pointEffect = GetEffect("light_prepass");
    if (pointEffect)
        pointEffect->SetHalfTexelOffset(0.5f / static_cast<float>(lightTarget->GetWidth()),
                                        0.5f / static_cast<float>(lightTarget->GetHeight()));
    lightTarget->Bind();

    d->SetVertexDeclaration(Resource::LightVertex::GetDeclaration());
    auto drawVolumes = [&](Resource::Effect* effect, Resource::Mesh* volume, int kind) {
        if (!effect || !volume || !lightInstances) return;
        effect->SetTechnique("RenderLightBuffer");
        effect->SetTexture("geometry", geometry);
        const unsigned passes = effect->Begin();
        auto* records = static_cast<float*>(lightInstances->LockAll());
        uint32_t written = 0;
        if (records) {
            for (size_t i = 0; i < n; ++i) {
                const Light& light = *lights[i];
                if (light.GetType() != kind) continue;
                // Black point lights add nothing.
                if (kind == Light::kPoint && IsBlack(light.GetColor())) continue;
                WriteVolume(light, records + written * kLightFloats);
                ++written;
            }
            lightInstances->Unlock();
        }
        Resource::DrawInstancedBuffers(volume->GetVertexBuffer(), effect, passes, volume->GetIndexBuffer(),
                                       lightInstances->View(0, written), lightInstances->RecordSize());
        effect->End();
    };
    if (points > 0) drawVolumes(pointEffect, lightSphere, Light::kPoint);
    if (spots > 0) drawVolumes(GetEffect("light_prepass_spot"), lightCone, Light::kSpot);
    lightTarget->Unbind();
}

}  // namespace Aperture
