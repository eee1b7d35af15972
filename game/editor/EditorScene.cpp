#include "game/editor/EditorScene.h"

#include "core/BoundFunction.h"
#include "core/Logger.h"
#include "engine/GameObject.h"
#include "game/editor/LevelEditor.h"
#include "game/player/PlayerLogic.h"
#include "game/systems/SowlarSystem.h"
#include "graphics/Graphics.h"
#include "graphics/components/SphericalCamera.h"
#include "physics/Collider.h"
#include "physics/PhysicsSystem.h"

namespace QV {
namespace editorscene {
namespace {

Gedankenexperiment::Collider* ColliderOf(SD::GameObject* object) {
    return SD::ComponentOf<Gedankenexperiment::Collider>(object, SD::CID_Collider);
}

PlayerLogic* VehicleOf(SD::GameObject* player) { return SD::ComponentOf<PlayerLogic>(player, SD::CID_Player); }

// The cursor collider's contact callback.
void OnCursorContact(Gedankenexperiment::Collider* other) {
    if (LevelEditor* editor = LevelEditor::Peek()) editor->OnCursorContact(other ? other->GetOwner() : nullptr);
}

}  // namespace

SD::Component* ActiveCamera() {
    Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    return graphics ? graphics->GetActiveCamera() : nullptr;
}

void ActivateCamera(SD::Component* camera) {
    if (auto* lens = dynamic_cast<Aperture::Camera*>(camera)) Aperture::SetActiveCamera(lens);
}

bool CameraRadius(SD::Component* camera, float* radius) {
    auto* orbit = dynamic_cast<Aperture::SphericalCamera*>(camera);
    if (!orbit) return false;
    *radius = orbit->GetRadius();
    return true;
}

void SetCameraRadius(SD::Component* camera, float radius) {
    if (auto* orbit = dynamic_cast<Aperture::SphericalCamera*>(camera)) orbit->SetRadius(radius);
}

SD::Vec3 AmbientColor() {
    const Aperture::Graphics_* graphics = Aperture::Graphics_::Peek();
    return graphics ? graphics->GetSeasonLook().GetAmbientColor() : SD::Vec3();
}

void SetAmbientColor(const SD::Vec3& color) {
    if (Aperture::Graphics_* graphics = Aperture::Graphics_::Peek()) graphics->GetSeasonLook().SetAmbientColor(color);
}

void UseDebugTextStyle() {
    if (Aperture::Graphics_* graphics = Aperture::Graphics_::Peek()) graphics->ResetDebugFont();
}

void DrawDebugText(int x, int y, const std::string& text) {
    if (Aperture::Graphics_* graphics = Aperture::Graphics_::Peek()) graphics->DrawDebugString(x, y, text.c_str());
}

void CheckCollisionsNow() {
    if (Gedankenexperiment::Physics_System* physics = Gedankenexperiment::Physics_System::Peek())
        physics->CheckCollisionsNow();
}

void AttachCursorBody(SD::GameObject* cursor) {
    Gedankenexperiment::Collider* collider = ColliderOf(cursor);
    if (!collider) {
        SD_WARNING(Debug::kLogError, "The level editor's cursor has no collider; it selects nothing by touch");
        return;
    }
    collider->ghost = true;
    collider->SetCallback(
        new MFCore::StaticFunction_1Parameters<void, Gedankenexperiment::Collider*>(&OnCursorContact));
}

bool ColliderPosition(SD::GameObject* object, SD::Vec3* position) {
    Gedankenexperiment::Collider* collider = ColliderOf(object);
    if (!collider || !position) return false;
    *position = collider->position;
    return true;
}

void SetColliderPosition(SD::GameObject* object, const SD::Vec3& position) {
    Gedankenexperiment::Collider* collider = ColliderOf(object);
    if (!collider) return;
    collider->position = position;
    collider->previousPosition = position;
}

bool FogEnabled() { return SowlarSystem_::GetInstance().IsFogEnabled(); }

void SetFogEnabled(bool enabled) { SowlarSystem_::GetInstance().SetFogEnabled(enabled); }

bool PlayerReset(SD::GameObject* player, SD::Vec3* position, SD::Vec3* angles) {
    PlayerLogic* vehicle = VehicleOf(player);
    if (!vehicle) return false;
    *position = vehicle->GetResetPosition();
    *angles = vehicle->GetResetAngles();
    return true;
}

void SetPlayerReset(SD::GameObject* player, const SD::Vec3& position, const SD::Vec3& angles) {
    if (PlayerLogic* vehicle = VehicleOf(player)) vehicle->SetReset(position, angles);
}

bool PlayerAngles(SD::GameObject* player, SD::Vec3* angles) {
    PlayerLogic* vehicle = VehicleOf(player);
    if (!vehicle) return false;
    *angles = vehicle->GetFlight().angles;
    return true;
}

}  // namespace editorscene
}  // namespace QV
