#include "game/components/CloudLogic.h"

#include <cmath>

#include "core/MathUtil.h"
#include "core/Random.h"
#include "engine/GameObject.h"
#include "engine/Transform.h"
#include "game/components/ObjectLooks.h"
#include "game/components/WorldLogic.h"

namespace QV {

void CloudLogic::Reset() {
    drift_ =
        SD::Vec3(SD::RandomFloat(-150.0f, 150.0f), SD::RandomFloat(0.0f, 0.001f), SD::RandomFloat(-150.0f, 150.0f));
    offset_ =
        SD::Vec3(SD::RandomFloat(-kReach, kReach), SD::RandomFloat(4000.0f, 7500.0f), SD::RandomFloat(-kReach, kReach));
    turnRate_ = static_cast<float>(std::fmod(SD::RandomRaw(), 0.004)) + 0.001f;
    drifted_ = SD::Vec3();
    if (GetOwner())
        looks::SetGeometryColor(GetOwner(), SD::Vec4(SD::RandomFloat(1.0f, 1.1f), SD::RandomFloat(1.0f, 1.1f),
                                                     SD::RandomFloat(1.0f, 1.1f), 1.0f));
    state_ = kFollow;
}

void CloudLogic::VInitialize(bool) {
    Reset();
    if (GetOwner())
        GetOwner()->GetTransform().RotateLocalYRad(static_cast<float>(std::fmod(SD::RandomRaw(), 360.0)) *
                                                   SD::kDegrees);
}

void CloudLogic::VUpdate(float dt) {
    SD::GameObject* player = FindPlayer();
    SD::GameObject* owner = GetOwner();
    if (!player || !owner) return;
    SD::Transform& transform = owner->GetTransform();
    if (state_ == kFollow) {
        const SD::Vec3 apart = transform.GetLocalPos() - player->GetTransform().GetLocalPos();
        // Left behind on either side, not only one.
        if (std::fabs(apart.x) > kReach || std::fabs(apart.z) > kReach) {
            state_ = kFade;
            return;
        }
        drifted_ += drift_ * dt;
        transform.SetPos(player->GetTransform().GetLocalPos() + offset_ + drifted_);
        transform.RotateLocalZRad(turnRate_ * dt);
        return;
    }
    SD::Vec4 colour;
    looks::GeometryColor(owner, &colour);
    if (colour.w > 0.0f) {
        colour.w -= 0.01f * dt;
        looks::SetGeometryColor(owner, colour);
        return;
    }
    // The new cloud starts about the player; left where it faded it would fade again at once.
    Reset();
    transform.SetPos(player->GetTransform().GetLocalPos() + offset_);
}

}  // namespace QV
