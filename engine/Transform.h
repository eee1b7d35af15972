#pragma once
// The transform every game object embeds: local position, scale and orientation, the world
// matrix built from them and the parent's, and the per-frame motion records (position delta,
// accumulated rotation) that movement and effects code read. Those fields live in a record of
// the transform store (see TransformState.h); the transform keeps the rest.
#include <cstdint>
#include <cstring>

#include "core/Matrix.h"
#include "core/RTTI.h"
#include "core/Vector.h"
#include "engine/Component.h"
#include "engine/TransformState.h"
#include "platform/TestProbe.h"

namespace SD {

class Transform : public Component, public RTTIUser<Transform> {
public:
    // Above this much change the orientation is re-orthonormalised at the next refresh.
    static constexpr uint32_t kOrthonormalizeThreshold = 0x2000;

    Transform();
    // Leaves the transformer's list when destroyed while still in it.
    ~Transform() override;

    ComponentID VGetID() const override { return CID_Transform; }
    int VGetVersion() const override { return 0; }
    void VReadData(Data::IDataStream& stream, int mode) override;
    void VWriteData(Data::IDataStream& stream) override;
    void VWriteSuperial(SuperialValue* node, int flags) override;
    void VReadSuperial(SuperialValue* node, bool byName) override;
    void VVisitFields(IFieldVisitor& visitor) override;
    void VInitialize(bool fromScript) override;
    void VSerialize(IStream& stream, int version) override;
    void VRegister() override;
    void VUnregister() override;
    // The reflected position, scale and rotate-angle accessors.
    void RegisterFunctions() override;
    ClassInfo GetBoundClassInfo() override { return BindClassInfo(this); }

    void SetPos(const Vec3& p) {
        state_->position = p;
        state_->invalid = true;
    }
    void SetScale(const Vec3& s) {
        state_->scale = s;
        state_->invalid = true;
    }
    void SetOrient(const Mtx33& m) {
        state_->orientation = m;
        state_->invalid = true;
    }
    const Vec3& GetLocalPos() const { return state_->position; }
    const Vec3& GetScale() const { return state_->scale; }
    const Mtx33& GetOrient() const { return state_->orientation; }
    Vec3 GetRight() const { return state_->orientation.GetColumn(0); }
    Vec3 GetUp() const { return state_->orientation.GetColumn(1); }
    Vec3 GetDir() const { return state_->orientation.GetColumn(2); }

    float GetPosX() const { return state_->position.x; }
    float GetPosY() const { return state_->position.y; }
    float GetPosZ() const { return state_->position.z; }
    void SetPosX(float v) {
        state_->position.x = v;
        state_->invalid = true;
    }
    void SetPosY(float v) {
        state_->position.y = v;
        state_->invalid = true;
    }
    void SetPosZ(float v) {
        state_->position.z = v;
        state_->invalid = true;
    }
    float GetScaleX() const { return state_->scale.x; }
    float GetScaleY() const { return state_->scale.y; }
    float GetScaleZ() const { return state_->scale.z; }
    void SetScaleX(float v) {
        state_->scale.x = v;
        state_->invalid = true;
    }
    void SetScaleY(float v) {
        state_->scale.y = v;
        state_->invalid = true;
    }
    void SetScaleZ(float v) {
        state_->scale.z = v;
        state_->invalid = true;
    }
    float GetRotateX() const { return rotateAngles_.x; }
    float GetRotateY() const { return rotateAngles_.y; }
    float GetRotateZ() const { return rotateAngles_.z; }
    // Rotates about the own axis by the difference to the angle set last, then stores it.
    void SetRotateX(float angle);
    void SetRotateY(float angle);
    void SetRotateZ(float angle);

    void SetInvalid(bool invalid) { state_->invalid = invalid; }
    Transform* GetParent() const { return state_->parent; }
    // A transform-level parent, separate from the object tree.
    void SetParent(Transform* parent) {
        state_->parent = parent;
        state_->invalid = true;
    }

    // Motion.
    void TranslateLocal(const Vec3& v);
    void SetPrevPos(const Vec3& p);
    const Vec3& GetPrevPos() const { return state_->previousPosition; }
    // (position - previous position) / the core's frame time; zero for a frame time near 0.
    Vec3 GetFakeVel() const;
    // The world position: the parent object's world position plus its orientation times the
    // local position (the parent's scale is not applied).
    const Vec3& GetPos();

    // Rotations (radians).
    void RotateLocalXRad(float angle);
    void RotateLocalYRad(float angle);
    void RotateLocalZRad(float angle);
    void RotateGlobalXRad(float angle);
    void RotateGlobalYRad(float angle);
    void RotateGlobalZRad(float angle);
    void RotateGlobalXRad(float angle, const Vec3& pivot);
    void RotateGlobalYRad(float angle, const Vec3& pivot);
    void RotateGlobalZRad(float angle, const Vec3& pivot);
    // About an axis of length 1.
    void Rotate(float angle, const Vec3& axis);
    void Rotate(float angle, const Vec3& axis, const Vec3& pivot);
    void LookAt(const Vec3& target);
    void OrthogonalizeOrient();

    const Mtx44& GetGlobalMatrix() const { return state_->globalMatrix; }
    void UpdateGlobalMatrix();
    // Re-orthonormalises after enough change, rebuilds the world matrix and takes over the
    // rotation accumulated since the last refresh.
    void Refresh();
    // The frame's position delta and refresh, then the same for the children's transforms.
    void UpdateHierarchy();

    // Hides Component::SetOwner: a new owner may give the transform another role in the
    // transformer's pass.
    void SetOwner(GameObject* owner);

private:
    friend class GameObject;
    friend class Transformer_;
    friend struct platform::TestProbe<Transform>;

    // Makes the transformer work out again how to treat this transform; called whenever the
    // owner's place in the object tree may have changed.
    void ForgetFrameRole() { state_->role = TransformState::kRoleUnknown; }
    // Refresh and UpdateGlobalMatrix on a record, with the parent object's transform already
    // found (null for none). Inline: the transformer's pass refreshes most records through them
    // and, for a transform without parents, calls nothing else.
    static void RefreshState(TransformState& s, const Transform* parentObject);
    static void UpdateGlobalMatrixState(TransformState& s, const Transform* parentObject);
    // The part of the world matrix and of the motion records that the transform-level parent and
    // the parent object give.
    static void ApplyParents(TransformState& s, const Transform* parentObject);
    // The transform of the owner's parent object.
    Transform* GetParentObjectTransform() const;
    void RotateGlobal(const Mtx33& rotation, int axis, float angle, const Vec3* pivot);

    TransformState* state_;
    Vec3 worldPosition_;
    Vec3 rotateAngles_;
};

inline void Transform::UpdateGlobalMatrixState(TransformState& s, const Transform* parentObject) {
    s.previousGlobalMatrix = s.globalMatrix;
    // Each row is the orientation's row scaled per column, then the position; built whole and
    // copied in, which compiles to fewer moves than writing it element by element. The constant
    // last row comes from an array of its own: built among the others on the stack it would be
    // written there in pieces and read back whole, and such a read waits for the writes.
    static constexpr float kLastRow[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const float* o = s.orientation.m;
    const Vec3& k = s.scale;
    const Vec3& p = s.position;
    const float g[12] = {o[0] * k.x, o[1] * k.y, o[2] * k.z, p.x,        o[3] * k.x, o[4] * k.y,
                         o[5] * k.z, p.y,        o[6] * k.x, o[7] * k.y, o[8] * k.z, p.z};
    std::memcpy(s.globalMatrix.m, g, sizeof g);
    std::memcpy(s.globalMatrix.m + 12, kLastRow, sizeof kLastRow);
    if (s.parent || parentObject) ApplyParents(s, parentObject);
    s.invalid = false;
}

inline void Transform::RefreshState(TransformState& s, const Transform* parentObject) {
    if (s.changeCount > kOrthonormalizeThreshold) {
        s.orientation.Orthonormalize();
        s.changeCount = 0;
    }
    UpdateGlobalMatrixState(s, parentObject);
    s.previousAngularDelta = s.angularDelta;
    s.angularDelta = Vec3();
}

}  // namespace SD
