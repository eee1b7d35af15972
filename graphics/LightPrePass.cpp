// The light pre-pass: the lighting of a view accumulated into its light buffer from the
// geometry buffer. The directional light is a full-screen quad that also reads the shadow
// cascades; point and spot lights are instanced volumes.
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

void Graphics_::RenderLightPrePass(RenderTarget* lightTarget, Resource::RenderBuffer* geometry, const SD::Mtx44& view,
                                   const std::vector<Light*>& lights, bool shadows) {
    const size_t n = std::min(lights.size(), kMaxPrepassLights);
    if (n == 0 || !lightTarget) return;
    size_t points = 0, spots = 0;
    for (size_t i = 0; i < n; ++i) {
        if (lights[i]->GetType() == Light::kPoint) ++points;
        if (lights[i]->GetType() == Light::kSpot) ++spots;
    }
    platform::gfx::Device* d = device.GetDevice();
    d->SetVertexDeclaration(Resource::MeshVertex::GetDeclaration());
    const uint32_t clipPlanes = d->GetRenderState(platform::gfx::kRsClipPlaneEnable);
    Resource::Effect* pointEffect = GetEffect("light_prepass");
    if (pointEffect)
        pointEffect->SetHalfTexelOffset(0.5f / static_cast<float>(lightTarget->GetWidth()),
                                        0.5f / static_cast<float>(lightTarget->GetHeight()));
    lightTarget->Bind();

    Resource::Effect* sunEffect = GetEffect("light_prepass_directional");
    if (shadowCasterLight && sunEffect) {
        const SD::Vec3 p = shadowCasterLight->GetTransform().GetPos();
        const SD::Vec3 delta = p - kSunTarget;
        SD::Vec3 direction = ViewTransform(view, delta, 0.0f);
        if (direction.LengthSq() > 0.0f) direction.NormalizeThis();
        SD::Vec4 color(1.0f, 1.0f, 1.0f, 1.0f);
        if (auto* light = static_cast<Light*>(shadowCasterLight->GetComponent(SD::CID_Light)))
            color = light->GetColor();
        sunEffect->SetTechnique(shadows ? "RenderLightBuffer" : "RenderLightBufferNoShadows");
        sunEffect->SetTexture("geometry", geometry);
        static const char* const kMaps[3] = {"shadowDepth", "shadowDepth2", "shadowDepth3"};
        static const char* const kProjections[3] = {"shadow_projection", "shadow_projection2", "shadow_projection3"};
        static const char* const kNears[3] = {"ortho_near1", "ortho_near2", "ortho_near3"};
        static const char* const kFars[3] = {"ortho_far1", "ortho_far2", "ortho_far3"};
        for (int c = 0; c < kCascadeCount; ++c) {
            sunEffect->SetTexture(kMaps[c], shadowMaps[c]);
            sunEffect->SetMatrix(kProjections[c], cascadeProjections[c]);
            sunEffect->SetFloat(kNears[c], cascadeNearFar[c][0]);
            sunEffect->SetFloat(kFars[c], cascadeNearFar[c][1]);
        }
        sunEffect->SetMatrix("shadow_view", shadowView);
        sunEffect->SetVector4("dir_light_direction", direction.x, direction.y, direction.z, 0.0f);
        sunEffect->SetVector4("dir_light_color", color.x, color.y, color.z, 0.0f);
        const Camera* camera = GetActiveCamera();
        sunEffect->SetMatrix("view_inv", (camera ? camera->GetView() : view).GetInverse());
        d->SetRenderState(platform::gfx::kRsClipPlaneEnable, 0);
        d->SetVertexDeclaration(meshDeclaration);
        DrawFullScreenQuad(sunEffect);
        d->SetRenderState(platform::gfx::kRsClipPlaneEnable, clipPlanes);
    }

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
