#include "physics/Collider.h"

#include <string>
#include <vector>

#include "core/Logger.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "engine/Transform.h"
#include "physics/Body.h"
#include "physics/PhysicsSystem.h"

namespace Gedankenexperiment {
namespace {

const char* OwnerName(const SD::Component& c) { return c.GetOwner() ? c.GetOwner()->GetName().c_str() : ""; }

}  // namespace

Collider::Collider() { SetID(SD::CID_Collider); }

Collider::~Collider() {
    if (Physics_System* system = Physics_System::Peek()) system->RemoveCollider(this);
    if (body_) body_->DetachCollider(this);
}

void Collider::VInitialize(bool) {
    SD::GameObject* owner = GetOwner();
    body_ = static_cast<Body*>(owner->GetComponent(SD::CID_Body));
    mass = body_ ? body_->GetMass() : 0.0f;
    inverseMass = body_ ? body_->GetInverseMass() : 0.0f;
    SD::Transform& transform = owner->GetTransform();
    position = previousPosition = transform.GetLocalPos();
    acceleration = velocity = SD::Vec3();
    if (shape_ && shape_->GetType() == kShapeHeightMap) {
        auto& map = static_cast<HeightMap&>(*shape_);
        const SD::Vec3& scale = transform.GetScale();
        map.sizeX = scale.x;
        map.heightScale = scale.y * 0.1f;
        map.sizeZ = scale.z;
    }
}

void Collider::VSerialize(SD::IStream& stream, int version) {
    const bool reading = stream.GetDirection() == SD::IStream::kRead;
    if (version == 3) SD::SerializeVec3(stream, "Position Offset", positionOffset);
    if (version == 2 || version == 3) stream.Serialize(ghost, "Ghost Collision", "Boolean");
    if (version >= 1 && version <= 3) {
        std::string text;
        if (!reading) {
            const char* known = shape_ ? ShapeTypeText(shape_->GetType()) : nullptr;
            text = known ? known : "ERROR KITTY!";
        }
        stream.Serialize(text, "Shape Type", "String");
        if (reading && !text.empty()) {
            ShapeType type;
            if (!ShapeTypeFromText(text, &type)) {
                SD_WARNING(Debug::kLogError, "Collider of object %s: unknown shape type \"%s\"; it has no shape",
                           OwnerName(*this), text.c_str());
                SetShape(nullptr);
            } else if (!shape_ || shape_->GetType() != type) {
                SetShape(CreateShape(type));
            }
        }
        if (shape_) shape_->SerializeFields(stream);
    }
    stream.Serialize(restitution, "Restitution", "Float");
}

void Collider::VRegister() {
    if (!shape_) {
        SD_WARNING(Debug::kLogError, "Collider of object %s has no shape; it takes no part in collisions",
                   OwnerName(*this));
        return;
    }
    Physics_System::GetInstance()->AddCollider(this);
}

void Collider::VUnregister() {
    if (Physics_System* system = Physics_System::Peek()) system->RemoveCollider(this);
}

void Collider::RegisterFunctions() {
    RTTI_GETTER(&Collider::GetRadius);
    RTTI_SETTER(&Collider::SetRadius);
}

float Collider::GetRadius() const {
    return shape_ && shape_->GetType() == kShapeSphere ? static_cast<const Sphere&>(*shape_).radius : 0.0f;
}

void Collider::SetRadius(float radius) {
    if (shape_ && shape_->GetType() == kShapeSphere) static_cast<Sphere&>(*shape_).radius = radius;
}

void Collider::SetCallback(MFCore::BoundFunction* callback) {
    noCallback_ = false;
    callback_.reset(callback);
}

void Collider::NotifyContact(Collider* other) {
    if (noCallback_ || !callback_) return;
    std::vector<MFCore::Any> args{MFCore::Any(other)};
    callback_->Invoke(args);
}

void Collider::SyncFromTransform() {
    if (body_ || !GetOwner()) return;
    position = previousPosition = GetOwner()->GetTransform().GetLocalPos();
}

void Collider::SetShape(std::unique_ptr<Shape> shape) {
    shape_ = std::move(shape);
    if (shape_) shape_->SetCollider(this);
}

void Collider::DetachBody(const Body* body) {
    if (body_ == body) body_ = nullptr;
}

SD::Transform* Collider::GetTransform() const { return GetOwner() ? &GetOwner()->GetTransform() : nullptr; }

SD::Vec3 Collider::GetScale() const {
    return GetOwner() ? GetOwner()->GetTransform().GetScale() : SD::Vec3(1.0f, 1.0f, 1.0f);
}

}  // namespace Gedankenexperiment
