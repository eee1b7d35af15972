#include "physics/Body.h"

#include <cmath>

#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/MathSerialize.h"
#include "engine/Transform.h"
#include "physics/Collider.h"
#include "physics/PhysicsSystem.h"

namespace Gedankenexperiment {

const SD::Vec3 Body::kGravity(0.0f, -50.0f, 0.0f);

namespace {

float InverseOf(float mass) { return mass != 0.0f ? 1.0f / mass : 0.0f; }

// Component by component: a whole vector held in registers is otherwise put together on the stack
// in pieces and read back at once, and that read waits for the pieces to be written out.
void Store(SD::Vec3& to, const SD::Vec3& from) {
    to.x = from.x;
    to.y = from.y;
    to.z = from.z;
}

}  // namespace

Body::Body() { SetID(SD::CID_Body); }

Body::~Body() {
    if (Physics_System* system = Physics_System::Peek()) system->RemoveBody(this);
    if (collider_) collider_->DetachBody(this);
}

void Body::VInitialize(bool) {
    inverseMass_ = InverseOf(mass_);
    SD::GameObject* owner = GetOwner();
    transform_ = &owner->GetTransform();
    collider_ = static_cast<Collider*>(owner->GetComponent(SD::CID_Collider));
    // The collider keeps copies of the mass: whichever of the two initialises last, they agree.
    if (collider_) {
        collider_->mass = mass_;
        collider_->inverseMass = inverseMass_;
    }
    position_ = transform_->GetLocalPos();
}

void Body::VSerialize(SD::IStream& stream, int) {
    SD::SerializeVec3(stream, "Applied Gravity", appliedGravity_);
    stream.Serialize(mass_, "Mass", "Float");
}

void Body::VRegister() { Physics_System::GetInstance()->AddBody(this); }

void Body::VUnregister() {
    if (Physics_System* system = Physics_System::Peek()) system->RemoveBody(this);
}

void Body::SetMass(float mass) {
    mass_ = mass;
    inverseMass_ = InverseOf(mass);
    if (collider_) {
        collider_->mass = mass_;
        collider_->inverseMass = inverseMass_;
    }
}

void Body::AddForce(float x, float y, float z) {
    std::lock_guard<std::mutex> guard(ForceLock());
    force_ += SD::Vec3(x, y, z);
}

SD::Vec3 Body::GetForce() {
    std::lock_guard<std::mutex> guard(ForceLock());
    return force_;
}

void Body::SetVelocity(const SD::Vec3& v) {
    velocity_ = v;
    if (collider_) collider_->velocity = v;
}

void Body::SetPosition(const SD::Vec3& p) {
    if (collider_) {
        collider_->position = p;
    } else if (transform_) {
        transform_->SetPos(p);
    }
}

void Body::DetachCollider(const Collider* collider) {
    if (collider_ == collider) collider_ = nullptr;
}

void Body::Integrate(float h) { Integrate(h, std::pow(kDecayPerSecond, h)); }

void Body::Integrate(float h, float decay) {
    std::lock_guard<std::mutex> guard(ForceLock());
    Step(h, decay);
}

void Body::IntegrateAll(const std::vector<Body*>& bodies, float h, float decay) {
    std::lock_guard<std::mutex> guard(ForceLock());
    for (Body* body : bodies) body->Step(h, decay);
}

std::mutex& Body::ForceLock() {
    static std::mutex lock;
    return lock;
}

void Body::Step(float h, float decay) {
    // Worked on in locals and stored once: the members and the collider's copies could alias as
    // far as the compiler knows, so each store would make the next read wait for it.
    SD::Vec3 position = position_, velocity = velocity_;
    if (collider_) {
        position = collider_->position;
        velocity = collider_->velocity;
    } else if (transform_) {
        position = transform_->GetLocalPos();
    }
    position += velocity * h;
    const SD::Vec3 acceleration = kGravity + appliedGravity_;
    // The accumulator keeps the acceleration it becomes: the next substep scales it by the
    // inverse mass again and adds to it. The game's handling is tuned to this.
    const SD::Vec3 force = acceleration + force_ * inverseMass_;
    velocity += force * h;
    velocity *= decay;
    if (velocity.Length() > kSpeedLimit) velocity = velocity.GetNormalized() * kCutSpeed;
    Store(force_, force);
    Store(position_, position);
    Store(velocity_, velocity);
    Store(acceleration_, acceleration);
    if (collider_) {
        Store(collider_->position, position);
        Store(collider_->acceleration, acceleration);
        Store(collider_->velocity, velocity);
    } else if (transform_) {
        transform_->SetPos(position);
    }
}

}  // namespace Gedankenexperiment
