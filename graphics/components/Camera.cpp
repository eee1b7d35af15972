#include "graphics/components/Camera.h"

#include <cstring>

#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "graphics/Graphics.h"
#include "graphics/resources/Effect.h"
#include "platform/gfx/ViewMath.h"

namespace Aperture {
namespace {

platform::gfx::Matrix ToDevice(const SD::Mtx44& m) {
    platform::gfx::Matrix out;
    std::memcpy(out.m, m.m, sizeof(out.m));
    return out;
}

SD::Mtx44 FromDevice(const platform::gfx::Matrix& m) {
    SD::Mtx44 out;
    std::memcpy(out.m, m.m, sizeof(out.m));
    return out;
}

}  // namespace

void Camera::SetFov(float degrees) {
    if (!(degrees < kMaxFov)) degrees = kMaxFov;
    if (!(degrees > 0.0f)) degrees = kDefaultFov;
    fov = degrees;
}

void Camera::SerializeFov(SD::IStream& stream) {
    stream.Serialize(fov, "FOV", "Float");
    SetFov(fov);
}

void Camera::VSerialize(SD::IStream& stream, int version) {
    if (version == 1) SerializeFov(stream);
}

void Camera::VRegister() { Graphics_::GetInstance()->GetSceneLists().AddCamera(this); }

void Camera::VUnregister() {
    if (Graphics_* graphics = Graphics_::Peek()) graphics->GetSceneLists().Cameras().Remove(this);
}

void Camera::VUpdate(float) { fov = 0.04f * targetFov + 0.96f * fov; }

void Camera::UpdateViewMatrix() {
    if (!GetOwner()) return;
    SD::Transform& transform = GetOwner()->GetTransform();
    eye = transform.GetPos();
    viewDir = transform.GetDir();
    const SD::Vec3 at = eye + viewDir;
    const SD::Vec3 up = transform.GetUp();
    platform::gfx::Matrix m =
        platform::gfx::MatrixLookAtLH({eye.x, eye.y, eye.z}, {at.x, at.y, at.z}, {up.x, up.y, up.z});
    view = FromDevice(m);
    // Mirroring in y = 0 flips the terms that mix y with the other axes and the translation's y.
    for (int index : {1, 4, 6, 7, 9, 13}) m.m[index] *= -1.0f;
    reflectedView = FromDevice(m);
}

void Camera::UpdateFrusta(const SD::Mtx44& projection) {
    const platform::gfx::Matrix p = ToDevice(projection);
    Frustum::Build(FromDevice(platform::gfx::MatrixMultiply(ToDevice(view), p)), frustum);
    Frustum::Build(FromDevice(platform::gfx::MatrixMultiply(ToDevice(reflectedView), p)), reflectedFrustum);
}

void Camera::SetViewConstants(Resource::Effect* effect) const {
    if (!effect) return;
    effect->SetMatrix("view", view);
    effect->SetVector4("viewPos", eye.x, eye.y, eye.z, 1.0f);
    effect->SetVector4("view_dir", viewDir.x, viewDir.y, viewDir.z, 0.0f);
}

void Camera::SetReflectedViewConstants(Resource::Effect* effect) const {
    if (!effect) return;
    effect->SetMatrix("view", reflectedView);
    effect->SetVector4("viewPos", eye.x, -eye.y, eye.z, 1.0f);
}

void SetActiveCamera(Camera* camera) {
    if (camera) Graphics_::GetInstance()->MoveCameraToFront(camera);
}

}  // namespace Aperture
