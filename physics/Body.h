#pragma once
// The component that gives a game object mass, velocity and forces. The physics system
// integrates every registered Body once per substep; game logic and scripts add forces and read
// the motion back.
#include <mutex>
#include <vector>

#include "core/Vector.h"
#include "engine/Component.h"

namespace SD {
class Transform;
}

namespace Gedankenexperiment {

class Collider;

class Body : public SD::Component {
public:
    static constexpr int kDataVersion = 4;
    // The world's gravity.
    static const SD::Vec3 kGravity;
    // Above this speed a velocity is cut down to kCutSpeed in the same direction.
    static constexpr float kSpeedLimit = 4000.0f;
    static constexpr float kCutSpeed = 200.0f;
    // Velocities fall to this fraction per second of simulated time.
    static constexpr float kDecayPerSecond = 0.1f;

    Body();
    ~Body() override;

    SD::ComponentID VGetID() const override { return SD::CID_Body; }
    int VGetVersion() const override { return kDataVersion; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    void VRegister() override;
    void VUnregister() override;

    // A mass of 0 makes the body immovable by forces and contacts (inverse mass 0); the
    // collider takes both values too.
    void SetMass(float mass);
    void AddForce(float x, float y, float z);
    // Also the collider's copy, which the next integration starts from.
    void SetVelocity(const SD::Vec3& v);
    // Moves the collider when there is one, else the transform.
    void SetPosition(const SD::Vec3& p);
    void SetAppliedGravity(const SD::Vec3& g) { appliedGravity_ = g; }

    // One substep of length h; `decay` is kDecayPerSecond to the power h, which a caller that
    // integrates many bodies computes once.
    void Integrate(float h);
    void Integrate(float h, float decay);
    // Integrates each body of the list, the forces' lock taken once for them all.
    static void IntegrateAll(const std::vector<Body*>& bodies, float h, float decay);

    float GetMass() const { return mass_; }
    float GetInverseMass() const { return inverseMass_; }
    const SD::Vec3& GetPosition() const { return position_; }
    const SD::Vec3& GetVelocity() const { return velocity_; }
    const SD::Vec3& GetAcceleration() const { return acceleration_; }
    SD::Vec3 GetForce();
    const SD::Vec3& GetAppliedGravity() const { return appliedGravity_; }
    Collider* GetCollider() const { return collider_; }
    // Called by a collider that goes away before its Body.
    void DetachCollider(const Collider* collider);

private:
    SD::Transform* transform_ = nullptr;
    Collider* collider_ = nullptr;
    float mass_ = 0.0f;
    float inverseMass_ = 0.0f;
    SD::Vec3 position_;
    SD::Vec3 velocity_;
    SD::Vec3 acceleration_;
    SD::Vec3 force_;
    SD::Vec3 appliedGravity_;

    // Guards every body's force_ alone, which game code adds to (AddForce) while the physics
    // system integrates it; the other fields are touched only by the physics system's update.
    // One lock for all: the system takes it once a substep instead of once a body.
    static std::mutex& ForceLock();
    // One substep with the forces' lock held.
    void Step(float h, float decay);
};

}  // namespace Gedankenexperiment
