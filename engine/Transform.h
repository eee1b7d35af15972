#pragma once
// The transform every game object embeds: local position, scale and orientation, the world
// matrix built from them and the parent's, and the per-frame motion records (position delta,
// accumulated rotation) that movement and effects code read.
#include <cstdint>

#include "core/Matrix.h"
#include "core/RTTI.h"
#include "core/Vector.h"
#include "engine/Component.h"

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

    void SetPos(const Vec3& p) { position_ = p; invalid_ = true; }
    void SetScale(const Vec3& s) { scale_ = s; invalid_ = true; }
    void SetOrient(const Mtx33& m) { orientation_ = m; invalid_ = true; }
    const Vec3& GetLocalPos() const { return position_; }
    const Vec3& GetScale() const { return scale_; }
    const Mtx33& GetOrient() const { return orientation_; }
    Vec3 GetRight() const { return orientation_.GetColumn(0); }
    Vec3 GetUp() const { return orientation_.GetColumn(1); }
    Vec3 GetDir() const { return orientation_.GetColumn(2); }

    float GetPosX() const { return position_.x; }
    float GetPosY() const { return position_.y; }
    float GetPosZ() const { return position_.z; }
    void SetPosX(float v) { position_.x = v; invalid_ = true; }
    void SetPosY(float v) { position_.y = v; invalid_ = true; }
    void SetPosZ(float v) { position_.z = v; invalid_ = true; }
    float GetScaleX() const { return scale_.x; }
    float GetScaleY() const { return scale_.y; }
    float GetScaleZ() const { return scale_.z; }
    void SetScaleX(float v) { scale_.x = v; invalid_ = true; }
    void SetScaleY(float v) { scale_.y = v; invalid_ = true; }
    void SetScaleZ(float v) { scale_.z = v; invalid_ = true; }
    float GetRotateX() const { return rotateAngles_.x; }
    float GetRotateY() const { return rotateAngles_.y; }
    float GetRotateZ() const { return rotateAngles_.z; }
    // Rotates about the own axis by the difference to the angle set last, then stores it.
    void SetRotateX(float angle);
    void SetRotateY(float angle);
    void SetRotateZ(float angle);

    void SetInvalid(bool invalid) { invalid_ = invalid; }
    bool IsInvalid() const { return invalid_; }
    Transform* GetParent() const { return parent_; }
    // A transform-level parent, separate from the object tree.
    void SetParent(Transform* parent) { parent_ = parent; invalid_ = true; }

    // Motion.
    void TranslateLocal(const Vec3& v);
    void SetPrevPos(const Vec3& p);
    const Vec3& GetPrevPos() const { return previousPosition_; }
    const Vec3& GetPosDelta() const { return positionDelta_; }
    const Vec3& GetAngularDelta() const { return angularDelta_; }
    const Vec3& GetPrevAngularDelta() const { return previousAngularDelta_; }
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
    uint32_t GetChangeCount() const { return changeCount_; }

    const Mtx44& GetGlobalMatrix() const { return globalMatrix_; }
    const Mtx44& GetPrevGlobalMatrix() const { return previousGlobalMatrix_; }
    void UpdateGlobalMatrix();
    // Re-orthonormalises after enough change, rebuilds the world matrix and takes over the
    // rotation accumulated since the last refresh.
    void Refresh();
    // The frame's position delta and refresh, then the same for the children's transforms.
    void UpdateHierarchy();

private:
    // The transform of the owner's parent object.
    Transform* GetParentObjectTransform() const;
    void RotateLocal(const Mtx33& rotation, int axis, float angle);
    void RotateGlobal(const Mtx33& rotation, int axis, float angle, const Vec3* pivot);

    Vec3 position_;
    Vec3 worldPosition_;
    Vec3 previousPosition_;
    Vec3 angularDelta_;
    Vec3 previousAngularDelta_;
    Vec3 positionDelta_;
    Vec3 scale_{1.0f, 1.0f, 1.0f};
    Mtx33 orientation_;
    Vec3 rotateAngles_;
    Mtx44 globalMatrix_;
    Mtx44 previousGlobalMatrix_;
    Transform* parent_ = nullptr;
    bool invalid_ = true;
    uint32_t changeCount_ = 0;
};

}  // namespace SD
