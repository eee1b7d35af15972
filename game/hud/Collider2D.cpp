#include "game/hud/Collider2D.h"

#include "game/hud/HudSystem.h"

namespace QV {

void Collider2D::VRegister() {
    if (HudSystem* hud = HudSystem::GetInstance()) hud->RegisterCollider2D(this);
}

void Collider2D::VUnregister() {
    if (HudSystem* hud = HudSystem::GetInstance()) hud->UnregisterCollider2D(this);
}

}  // namespace QV
