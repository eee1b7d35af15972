#include "game/components/LilyPadLogic.h"

#include <cmath>

#include "core/MathUtil.h"
#include "core/Random.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/components/WorldLogic.h"
#include "game/states/World.h"

namespace QV {

void LilyPadLogic::VSerialize(SD::IStream& stream, int) { SerializeSway(stream, rotationScale_, movementScale_); }

void LilyPadLogic::VInitialize(bool) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    SD::Transform& transform = owner->GetTransform();
    transform.SetOrient(SD::Mtx33::Identity());
    transform.RotateLocalYRad(static_cast<float>(SD::RandomRaw()));
    phase_ = static_cast<float>(SD::RandomRaw());
    transform.SetPosY(transform.GetScale().y * 0.075f);
    rest_.Take(transform);
    if (World* world = World::Current()) world->AddSwayingScenery(owner->GetHandle());
}

void LilyPadLogic::VUpdate(float dt) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    SD::Transform& transform = owner->GetTransform();
    if (!rest_.BeginSway(transform, dt)) return;
    const float s = std::sin(CoreSeconds() + phase_);
    transform.RotateLocalZRad(-(s * rotationScale_) * SD::kDegrees);
    transform.SetPos(rest_.position + rest_.right * (s * movementScale_));
}

}  // namespace QV
