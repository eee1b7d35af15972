// The world hooks the season system and the player camera answer.
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/cameras/VernholmCameraLogic.h"
#include "game/components/GameHooks.h"
#include "game/systems/SowlarSystem.h"
#include "graphics/Graphics.h"

namespace QV {
namespace {

VernholmCameraLogic* FollowCameraOf(SD::GameObject* camera) {
    return camera ? static_cast<VernholmCameraLogic*>(camera->GetComponent(SD::CID_VernholmCameraLogic)) : nullptr;
}

}  // namespace

void GameHooks::SetStormDarkness(float darkness) { SowlarSystem_::GetInstance().SetStormDarkness(darkness); }

void GameHooks::FlashLightning() { SowlarSystem_::GetInstance().StartLightning(); }

const char* GameHooks::GetSeasonName() { return SowlarSystem_::GetInstance().GetSeasonAtPlayer().c_str(); }

// The spring-to-summer weight the renderer keeps (0 without a renderer).
float GameHooks::GetSeasonBlend() {
    const Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    return graphics ? graphics->GetSeasonTransition(0) : 0.0f;
}

void GameHooks::SetSeasonBlend(float blend) {
    if (Aperture::Graphics_* graphics = Aperture::Graphics_::Peek()) graphics->SetSeasonTransition(0, blend);
}

int GameHooks::GetStoryCounter() { return SowlarSystem_::GetInstance().GetStoryCounter(); }

void GameHooks::AdvanceStory() { SowlarSystem_::GetInstance().AdvanceStory(); }

bool GameHooks::GetCameraPosition(SD::Vec3* position) {
    Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    Aperture::Camera* camera = graphics ? graphics->GetActiveCamera() : nullptr;
    if (!camera || !camera->GetOwner()) return false;
    *position = camera->GetOwner()->GetTransform().GetLocalPos();
    return true;
}

void GameHooks::ScaleFollowDistance(SD::GameObject* camera, double factor) {
    if (VernholmCameraLogic* follow = FollowCameraOf(camera)) follow->SetMaxRadius(follow->GetMaxRadius() * factor);
}

void GameHooks::SetCameraTarget(SD::GameObject* camera, SD::GameObject* target) {
    if (VernholmCameraLogic* follow = FollowCameraOf(camera)) follow->SetTarget(target);
}

}  // namespace QV
