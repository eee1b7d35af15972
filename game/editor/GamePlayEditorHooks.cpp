// The level editor's hooks into the season cycle and the player's vehicle.
#include "engine/GameObject.h"
#include "game/editor/GameEditorHooks.h"
#include "game/player/PlayerLogic.h"
#include "game/systems/SowlarSystem.h"

namespace QV {
namespace {

PlayerLogic* VehicleOf(SD::GameObject* player) {
    return player ? static_cast<PlayerLogic*>(player->GetComponent(SD::CID_Player)) : nullptr;
}

}  // namespace

bool GameEditorHooks::GetFogEnabled() { return SowlarSystem_::GetInstance().IsFogEnabled(); }

void GameEditorHooks::SetFogEnabled(bool enabled) { SowlarSystem_::GetInstance().SetFogEnabled(enabled); }

bool GameEditorHooks::GetPlayerReset(SD::GameObject* player, SD::Vec3* position, SD::Vec3* angles) {
    PlayerLogic* vehicle = VehicleOf(player);
    if (!vehicle) return false;
    *position = vehicle->GetResetPosition();
    *angles = vehicle->GetResetAngles();
    return true;
}

void GameEditorHooks::SetPlayerReset(SD::GameObject* player, const SD::Vec3& position, const SD::Vec3& angles) {
    if (PlayerLogic* vehicle = VehicleOf(player)) vehicle->SetReset(position, angles);
}

bool GameEditorHooks::GetPlayerAngles(SD::GameObject* player, SD::Vec3* angles) {
    PlayerLogic* vehicle = VehicleOf(player);
    if (!vehicle) return false;
    *angles = vehicle->GetFlight().angles;
    return true;
}

}  // namespace QV
