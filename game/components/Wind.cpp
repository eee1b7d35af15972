#include "game/components/Wind.h"

#include <algorithm>
#include <cmath>

#include "core/Delegate.h"
#include "core/Logger.h"
#include "core/MessageSystem.h"
#include "engine/Factory.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "engine/PlayStateQuery.h"
#include "engine/Transform.h"
#include "game/components/Trigger.h"
#include "game/components/WorldLogic.h"
#include "game/systems/AudioLogic.h"
#include "physics/Collider.h"
#include "physics/PhysicsSystem.h"
#include "physics/Shapes.h"

namespace QV {
namespace {

constexpr const char* kStreamBlueprint = "ObjectTemplates/WindStream";
constexpr const char* kGustBlueprint = "ObjectTemplates/WindSphere";

Gedankenexperiment::Collider* ColliderOf(SD::GameObject* object) {
    return object ? static_cast<Gedankenexperiment::Collider*>(object->GetComponent(SD::CID_Collider)) : nullptr;
}

}  // namespace

float Wind::GetStrength() const {
    if (SD::GetCurrentPlayState() == SD::kPlayStateDevPause) return 0.0f;
    return curveMode_ ? static_cast<float>(curve_.Sample()) : power_;
}

void Wind::SetVelocity(const SD::Vec3& velocity) {
    curveMode_ = false;
    const double length =
        std::sqrt(static_cast<double>(velocity.x) * velocity.x + static_cast<double>(velocity.y) * velocity.y +
                  static_cast<double>(velocity.z) * velocity.z);
    power_ = static_cast<float>(length);
    // A calm keeps its direction: normalising the zero vector would give no number.
    if (length > 0.0) direction_ = velocity * (1.0f / static_cast<float>(length));
}

void Wind::SetStrengthCurve3(float a0, float a1, float d1, float a2, float d2) {
    curveMode_ = true;
    power_ = std::max({a0, a1, a2});
    curve_.Set(a0, a1, d1, a2, d2);
}

void Wind::SetStrengthCurve4(float a0, float a1, float d1, float a2, float d2, float a3, float d3) {
    curveMode_ = true;
    power_ = std::max({a0, a1, a2, a3});
    curve_.Set(a0, a1, d1, a2, d2, a3, d3);
}

void Wind::SetStrengthCurve5(float a0, float a1, float d1, float a2, float d2, float a3, float d3, float a4, float d4) {
    curveMode_ = true;
    power_ = std::max({a0, a1, a2, a3, a4});
    curve_.Set(a0, a1, d1, a2, d2, a3, d3, a4, d4);
}

void Wind::Attach(Gedankenexperiment::Collider* collider) {
    curveMode_ = false;
    if (!collider) return;
    collider->SetCallback(
        new MFCore::Delegate_1Parameters<void, Wind, Gedankenexperiment::Collider*>(this, &Wind::OnContact));
}

void Wind::OnContact(Gedankenexperiment::Collider* other) {
    SD::GameObject* touched = other ? other->GetOwner() : nullptr;
    if (!touched) return;
    WindMessage message(this, touched->GetHandle());
    SD::Message_System::GetInstance()->SendMessageToObject(touched->GetHandle(), message);
}

void Wind::SerializeWind(SD::IStream& stream) {
    SD::SerializeVec3(stream, "Direction", direction_);
    stream.Serialize(power_, "Power", "Float");
    stream.Serialize(duration_, "Duration", "Float");
    stream.Serialize(immortal_, "Imortal", "Boolean");
}

bool Wind::Expire(float dt) {
    duration_ -= dt;
    return duration_ <= 0.0f && !immortal_;
}

WindLogic::~WindLogic() {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    for (const SD::GameObjectHandle& stream : streams_) {
        if (SD::GameObject* object = stream.get(); object && factory) factory->DestroyGameObject(object);
    }
}

void WindLogic::VInitialize(bool) {
    SD::GameObject* owner = GetOwner();
    if (!owner) return;
    Attach(ColliderOf(owner));
    direction_ = owner->GetTransform().GetOrient() * direction_;
    SD::Factory_* factory = SD::Factory_::GetInstance();
    if (!factory) return;
    const SD::Vec3 at = owner->GetTransform().GetLocalPos();
    for (SD::GameObjectHandle& slot : streams_) {
        SD::GameObject* stream = factory->CreateObject(kStreamBlueprint, nullptr);
        if (!stream) continue;
        SD::Transform& transform = stream->GetTransform();
        transform.SetPos(SD::Vec3(at.x - transform.GetScale().x, at.y, at.z));
        slot = stream->GetHandle();
        stream->Initialize(false);
    }
}

void WindLogic::VUpdate(float dt) {
    if (Expire(dt)) {
        if (SD::Factory_* factory = SD::Factory_::GetInstance()) factory->DestroyGameObject(GetOwner());
    }
    // A wind of no power blows no level rather than dividing by zero.
    AudioLogic_::GetInstance().SetWindLevel(power_ != 0.0f ? GetStrength() / power_ : 0.0f);
}

void WindTubeLogic::VSerialize(SD::IStream& stream, int) {
    SerializeWind(stream);
    SD::SerializeVec3(stream, "Point1", point1_);
    SD::SerializeVec3(stream, "Point2", point2_);
}

const SD::Vec3& WindTubeLogic::GetDirection() const {
    const SD::Vec3 span = point2_ - point1_;
    const float length = span.Length();
    along_ = length > 0.0f ? span * (1.0f / length) : SD::Vec3();
    return along_;
}

void WindTubeLogic::VInitialize(bool) {
    Gedankenexperiment::Collider* collider = ColliderOf(GetOwner());
    if (!collider) {
        SD_WARNING(Debug::kLogError, "Wind tube of object %s has no collider; it blows nothing",
                   GetOwner() ? GetOwner()->GetName().c_str() : "?");
        return;
    }
    auto tube = std::make_unique<Gedankenexperiment::Cylinder>();
    tube->point1 = point1_;
    tube->point2 = point2_;
    tube->radius = radius_;
    collider->SetShape(std::move(tube));
    Attach(collider);
}

void WindTubeLogic::VUpdate(float dt) {
    if (!Expire(dt)) return;
    if (SD::Factory_* factory = SD::Factory_::GetInstance()) factory->DestroyGameObject(GetOwner());
}

WindLogic* SpawnGust(const SD::Vec3& position, const SD::Vec3& direction, float radius) {
    SD::Factory_* factory = SD::Factory_::GetInstance();
    SD::GameObject* sphere = factory ? factory->CreateObject(kGustBlueprint, nullptr) : nullptr;
    if (!sphere) return nullptr;
    sphere->GetTransform().SetPos(position);
    sphere->Initialize(false);
    if (Gedankenexperiment::Collider* collider = ColliderOf(sphere)) {
        collider->position = collider->previousPosition = position;
        collider->SetRadius(radius);
        // A sphere without a body is static: the broad phase, built with the level, learns of it
        // only when rebuilt.
        if (!collider->IsDynamic()) Gedankenexperiment::Physics_System::GetInstance()->BuildTree();
    }
    auto* wind = static_cast<WindLogic*>(sphere->GetComponent(SD::CID_WindLogic));
    if (wind) wind->SetDirection(direction);
    return wind;
}

void WindTrigger::VInitialize(bool) {
    auto* trigger = GetOwner() ? static_cast<Trigger*>(GetOwner()->GetComponent(SD::CID_Trigger)) : nullptr;
    if (trigger)
        trigger->AddCallback(new MFCore::Delegate_0Parameters<void, WindTrigger>(this, &WindTrigger::OnTriggered),
                             lifetime_.Token());
}

void WindTrigger::VSerialize(SD::IStream& stream, int) {
    int saveMe = 0;
    stream.Serialize(saveMe, "Save Me", "Integer");
}

void WindTrigger::OnTriggered() {
    SD::GameObject* player = FindPlayer();
    if (!player) return;
    SD::Transform& transform = player->GetTransform();
    WindLogic* wind = SpawnGust(transform.GetLocalPos(), transform.GetDir(), kGustRadius);
    if (!wind) return;
    wind->SetPower(kGustPower);
    wind->SetDuration(kGustSeconds);
    windObject_ = wind->GetOwner()->GetHandle();
    AudioLogic_::PostEvent("Play_Flower", nullptr);
    windAlive_ = true;
}

void WindTrigger::VUpdate(float) {
    if (!windAlive_ || windObject_.get()) return;
    windAlive_ = false;
    if (auto* trigger = GetOwner() ? static_cast<Trigger*>(GetOwner()->GetComponent(SD::CID_Trigger)) : nullptr)
        trigger->SetFired(false);
}

}  // namespace QV
