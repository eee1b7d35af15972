#pragma once
// The component that gives a game object a collision shape. It keeps the physics-side copy of
// the object's motion (its Body pulls and pushes it), is dynamic when the object has a Body and
// static otherwise, and reports every contact to the callback a game component bound to it.
#include <memory>

#include "core/BoundFunction.h"
#include "core/RTTI.h"
#include "core/Vector.h"
#include "engine/Component.h"
#include "physics/Shapes.h"

namespace SD {
class Transform;
}

namespace Gedankenexperiment {

class Body;

class Collider : public SD::Component, public RTTIUser<Collider> {
public:
    static constexpr int kDataVersion = 3;

    Collider();
    ~Collider() override;

    SD::ComponentID VGetID() const override { return SD::CID_Collider; }
    int VGetVersion() const override { return kDataVersion; }
    void VInitialize(bool fromScript) override;
    void VSerialize(SD::IStream& stream, int version) override;
    // Joins the dynamic or the static list; a collider without a shape joins neither (logged).
    void VRegister() override;
    void VUnregister() override;
    void RegisterFunctions() override;

    // Of a sphere; 0 for any other shape, and setting it changes nothing.
    float GetRadius() const;
    void SetRadius(float radius);

    // Takes ownership of the contact callback; a second one replaces the first. The callback is
    // invoked with the other collider as its one argument.
    void SetCallback(MFCore::BoundFunction* callback);
    // Calls the callback with the other collider, when one is bound.
    void NotifyContact(Collider* other);
    // For a static collider: position and previous position from the object's transform.
    void SyncFromTransform();

    // Replaces the shape (null removes it).
    void SetShape(std::unique_ptr<Shape> shape);
    Shape* GetShape() const { return shape_.get(); }
    Body* GetBody() const { return body_; }
    // Called by a Body that goes away before its collider.
    void DetachBody(const Body* body);
    bool IsDynamic() const { return body_ != nullptr; }
    // The owner's transform; null before initialisation.
    SD::Transform* GetTransform() const;
    // The owner's scale, (1, 1, 1) without an owner.
    SD::Vec3 GetScale() const;

    bool ghost = false;
    float mass = 0.0f;
    float inverseMass = 0.0f;
    float restitution = 0.0f;
    SD::Vec3 position;
    SD::Vec3 previousPosition;
    SD::Vec3 acceleration;
    SD::Vec3 velocity;
    SD::Vec3 positionOffset;

private:
    friend class Physics_System;
    enum class Listed { kNone, kDynamic, kStatic };

    Listed listed_ = Listed::kNone;
    Body* body_ = nullptr;
    std::unique_ptr<Shape> shape_;
    std::unique_ptr<MFCore::BoundFunction> callback_;
    bool noCallback_ = true;
};

}  // namespace Gedankenexperiment
