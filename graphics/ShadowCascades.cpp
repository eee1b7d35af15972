// The shadow cascades: three orthographic depth maps from the sun, each around a band of the
// active camera's frustum, nearest band first.
#include <algorithm>
#include <cfloat>
#include <cstring>

#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "graphics/Graphics.h"
#include "graphics/resources/Effect.h"
#include "graphics/resources/Texture.h"
#include "platform/gfx/ViewMath.h"

namespace Aperture {
namespace {

using platform::gfx::Float3;
using platform::gfx::Float4;
using platform::gfx::Matrix;

constexpr float kDegreesToRadians = 0.017453292f;
// The fixed point the sun faces.
const SD::Vec3 kSunTarget{-1000.0f, 0.0f, -2500.0f};

// Each cascade's near and far end as the weight of the far corner on the segment from the eye;
// the eye itself is the near end of the first.
constexpr float kBands[3][2] = {{0.0f, 0.065f}, {0.06175f, 0.1f}, {0.095f, 0.325f}};

SD::Mtx44 FromDevice(const Matrix& m) {
    SD::Mtx44 out;
    std::memcpy(out.m, m.m, sizeof(out.m));
    return out;
}

struct Box {
    float min[3] = {FLT_MAX, FLT_MAX, FLT_MAX};
    float max[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    void Add(const float p[3]) {
        for (int i = 0; i < 3; ++i) {
            min[i] = std::min(min[i], p[i]);
            max[i] = std::max(max[i], p[i]);
        }
    }
};

}  // namespace

bool Graphics_::FitShadowCascades() {
    cascadesFitted = false;
    SD::GameObject* caster = SD::Factory_::GetGameObjectByName(kShadowCasterName);
    Camera* camera = GetActiveCamera();
    if (!shadowCasterLight || !caster || !camera || !camera->GetOwner()) return false;

    // The far corners of the camera's frustum, in view space, then in the world.
    Matrix inverseProjection;
    const Matrix cameraProjection = platform::gfx::MatrixPerspectiveFovLH(camera->GetFov() * kDegreesToRadians,
                                                                          targetAspect, cameraNear, cameraFar);
    if (!platform::gfx::MatrixInverse(cameraProjection, inverseProjection)) return false;
    const SD::Mtx44 inverseView = camera->GetView().GetInverse();
    SD::Vec3 corners[4];
    const float signs[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    for (int i = 0; i < 4; ++i) {
        Float4 v = platform::gfx::Vec4Transform({signs[i][0], signs[i][1], 1.0f, 1.0f}, inverseProjection);
        corners[i] = ViewTransform(inverseView, SD::Vec3(v.x / v.w, v.y / v.w, v.z / v.w), 1.0f);
    }
    const SD::Vec3 eye = camera->GetOwner()->GetTransform().GetPos();

    // The caster stands on the light and faces the sun's target.
    SD::Transform& casterTransform = caster->GetTransform();
    const SD::Vec3 lightPosition = shadowCasterLight->GetTransform().GetPos();
    casterTransform.SetPos(lightPosition);
    casterTransform.SetOrient(
        SD::Mtx33::LookAt((kSunTarget - lightPosition).GetNormalized(), SD::Vec3(0.0f, 1.0f, 0.0f)));
    casterTransform.SetInvalid(true);
    casterTransform.UpdateHierarchy();
    const SD::Vec3 from = casterTransform.GetPos();
    const SD::Vec3 forward = casterTransform.GetOrient().GetColumn(2);
    const SD::Vec3 up = casterTransform.GetOrient().GetColumn(1);
    const Matrix view = platform::gfx::MatrixLookAtLH(
        {from.x, from.y, from.z}, {from.x + forward.x, from.y + forward.y, from.z + forward.z}, {up.x, up.y, up.z});
    shadowView = FromDevice(view);

    // The eye and the corners seen from the sun; the bands are interpolated there, which the
    // affine view keeps exact.
    auto toShadow = [&view](const SD::Vec3& p, float out[3]) {
        const Float4 s = platform::gfx::Vec4Transform({p.x, p.y, p.z, 1.0f}, view);
        out[0] = s.x, out[1] = s.y, out[2] = s.z;
    };
    float eyeShadow[3];
    float cornerShadow[4][3];
    toShadow(eye, eyeShadow);
    for (int i = 0; i < 4; ++i) toShadow(corners[i], cornerShadow[i]);
    Box boxes[kCascadeCount];
    for (int c = 0; c < kCascadeCount; ++c) {
        for (int end = 0; end < 2; ++end) {
            const float t = kBands[c][end];
            if (c == 0 && end == 0) {
                boxes[c].Add(eyeShadow);
                continue;
            }
            for (const auto& corner : cornerShadow) {
                float p[3];
                for (int k = 0; k < 3; ++k) p[k] = (1.0f - t) * eyeShadow[k] + t * corner[k];
                boxes[c].Add(p);
            }
        }
    }
    const float nearPlane = 2.0f * boxes[2].min[2] - boxes[2].max[2];
    for (int c = 0; c < kCascadeCount; ++c) {
        const Box& b = boxes[c];
        cascadeProjections[c] = FromDevice(
            platform::gfx::MatrixOrthoOffCenterLH(b.min[0], b.max[0], b.min[1], b.max[1], nearPlane, b.max[2]));
        cascadeNearFar[c][0] = nearPlane;
        cascadeNearFar[c][1] = b.max[2];
        SetCascadeMatrices(c, shadowView, cascadeProjections[c]);
    }
    cascadesFitted = true;
    return true;
}

// Without a fit this frame (no sun, no caster object or no camera) the maps keep what they hold.
// One clear empties all three squares; each cascade then draws in its own viewport.
void Graphics_::RenderShadowCascades() {
    platform::gfx::Device* d = device.GetDevice();
    if (!cascadesFitted || !sharedEffect || !d || !shadowAtlas || !shadowAtlas->GetTexture()) return;
    sharedEffect->SetMatrix("shadow_view", shadowView);
    BindTarget(shadowAtlas, sharedEffect);
    Clear(true, 1.0f, 1.0f, 1.0f, 1.0f);
    for (int c = 0; c < kCascadeCount; ++c) {
        sharedEffect->SetMatrix("projection", cascadeProjections[c]);
        sharedEffect->SetFloat("ortho_near", cascadeNearFar[c][0]);
        sharedEffect->SetFloat("ortho_far", cascadeNearFar[c][1]);
        d->SetViewport({static_cast<uint32_t>(c) * kShadowMapSize, 0, kShadowMapSize, kShadowMapSize});
        DrawBatches("Shadow", scenes[kCascadeScene1 + c].shadow);
    }
    shadowAtlas->Unbind();
}

}  // namespace Aperture
