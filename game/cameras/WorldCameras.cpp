#include "game/cameras/WorldCameras.h"

#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/cameras/VernholmCameraLogic.h"
#include "graphics/Graphics.h"

namespace QV {
namespace cameras {
namespace {

VernholmCameraLogic* FollowCameraOf(SD::GameObject* camera) {
    return camera ? static_cast<VernholmCameraLogic*>(camera->GetComponent(SD::CID_VernholmCameraLogic)) : nullptr;
}

}  // namespace

bool ActiveCameraPosition(SD::Vec3* position) {
    Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    Aperture::Camera* camera = graphics ? graphics->GetActiveCamera() : nullptr;
    if (!camera || !camera->GetOwner()) return false;
    *position = camera->GetOwner()->GetTransform().GetLocalPos();
    return true;
}

void ScaleFollowDistance(SD::GameObject* camera, double factor) {
    if (VernholmCameraLogic* follow = FollowCameraOf(camera)) follow->GrowMaxRadius(factor);
}

void SetFollowTarget(SD::GameObject* camera, SD::GameObject* target) {
    if (VernholmCameraLogic* follow = FollowCameraOf(camera)) follow->SetTarget(target);
}

}  // namespace cameras
}  // namespace QV
