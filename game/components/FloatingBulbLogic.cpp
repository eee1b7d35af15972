#include "game/components/FloatingBulbLogic.h"

#include <algorithm>
#include <cmath>

#include "core/MessageIds.h"
#include "core/MessageSystem.h"
#include "core/Random.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/Transform.h"
#include "game/components/Wind.h"
#include "game/components/WorldLogic.h"
#include "game/states/World.h"
#include "physics/Body.h"

namespace QV {

FloatingBulbLogic::~FloatingBulbLogic() {
    if (listening_) SD::Message_System::GetInstance()->RemoveHandlersOf28(listenIndex_, this);
}

void FloatingBulbLogic::VSerialize(SD::IStream& stream, int) { SerializeSway(stream, rotationScale_, movementScale_); }

void FloatingBulbLogic::VInitialize(bool) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    SD::Transform& transform = owner->GetTransform();
    transform.SetOrient(SD::Mtx33::Identity());
    transform.SetPosY(-5.0f);
    rest_.Take(transform);
    phase_ = static_cast<float>(SD::RandomRaw());
    workingRotationScale_ = rotationScale_;
    pitch_ = yaw_ = roll_ = 0.0f;
    if (World* world = World::Current()) world->AddSwayingScenery(owner->GetHandle());
    if (listening_) return;
    listenIndex_ = owner->GetHandle().GetIndex();
    SD::Message_System::GetInstance()->RegisterObjectHandler(SD::MessageIds::WindMessage, listenIndex_, this,
                                                             &FloatingBulbLogic::OnWind);
    listening_ = true;
}

void FloatingBulbLogic::VUpdate(float dt) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    SD::Transform& transform = owner->GetTransform();
    if (!rest_.BeginSway(transform, dt)) return;
    const float s = std::sin(CoreSeconds() + phase_);
    const float a = workingRotationScale_ * s;
    pitch_ = std::clamp(pitch_ - a * 0.034906585f, -kTiltLimit, kTiltLimit);
    roll_ = std::clamp(roll_ + a * 0.017453292f, -kTiltLimit, kTiltLimit);
    transform.RotateLocalXRad(pitch_);
    transform.RotateLocalYRad(yaw_);
    transform.RotateLocalZRad(roll_);
    const SD::Vec3& at = transform.GetLocalPos();
    const SD::Vec3 position(at.x, movementScale_ * pitch_ + rest_.position.y, at.z);
    if (auto* body = static_cast<Gedankenexperiment::Body*>(owner->GetComponent(SD::CID_Body)))
        body->SetPosition(position);
    else
        transform.SetPos(position);
}

void FloatingBulbLogic::OnWind(SD::IMessage* message) {
    auto* wind = static_cast<WindMessage*>(message);
    // The message names the object the wind touched; one for another bulb is not ours.
    if (!GetOwner() || wind->GetTarget() != GetOwner()->GetHandle() || !wind->GetWind()) return;
    const SD::Vec3 v = wind->GetWind()->GetVector();
    pitch_ += 0.0008726646f * v.z;
    roll_ -= 0.0008726646f * v.x;
    if (auto* body = static_cast<Gedankenexperiment::Body*>(GetOwner()->GetComponent(SD::CID_Body)))
        body->AddForce(0.3f * v.x, 0.0f, 0.3f * v.z);
}

}  // namespace QV
