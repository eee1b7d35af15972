#include "engine/Transform.h"

#include <algorithm>
#include <vector>

#include "core/EngineCore.h"
#include "engine/GameObject.h"
#include "engine/Transformer.h"

namespace SD {

Transform::Transform() { SetID(CID_Transform); }

Transform::~Transform() {
    if (listLink_.IsLinked()) {
        if (Transformer_* transformer = Transformer_::GetInstance()) transformer->UnregisterTransform(this);
    }
}

void Transform::VInitialize(bool) {
    positionDelta_ = Vec3();
    angularDelta_ = Vec3();
    previousAngularDelta_ = Vec3();
    invalid_ = true;
    Refresh();
}

void Transform::VRegister() {
    if (Transformer_* transformer = Transformer_::GetInstance()) transformer->RegisterTransform(this);
}

void Transform::VUnregister() {
    if (Transformer_* transformer = Transformer_::GetInstance()) transformer->UnregisterTransform(this);
}

void Transform::SetRotateX(float angle) {
    RotateLocalXRad(angle - rotateAngles_.x);
    rotateAngles_.x = angle;
}

void Transform::SetRotateY(float angle) {
    RotateLocalYRad(angle - rotateAngles_.y);
    rotateAngles_.y = angle;
}

void Transform::SetRotateZ(float angle) {
    RotateLocalZRad(angle - rotateAngles_.z);
    rotateAngles_.z = angle;
}

void Transform::TranslateLocal(const Vec3& v) {
    position_ += orientation_ * v;
    invalid_ = true;
}

void Transform::SetPrevPos(const Vec3& p) {
    positionDelta_ = p - previousPosition_;
    previousPosition_ = p;
}

Vec3 Transform::GetFakeVel() const {
    const Core* core = Core::GetInstance();
    const float dt = core ? static_cast<float>(core->GetFrameTime()) : 0.0f;
    if (dt > -0.0001f && dt < 0.0001f) return Vec3();
    return (position_ - previousPosition_) * (1.0f / dt);
}

Transform* Transform::GetParentObjectTransform() const {
    GameObject* owner = GetOwner();
    if (!owner || !owner->GetParent()) return nullptr;
    return static_cast<Transform*>(owner->GetParent()->GetComponent(GetID()));
}

const Vec3& Transform::GetPos() {
    // Walks up the object tree and then computes each world position from the root down,
    // storing every one on the way as the recursive definition does.
    std::vector<Transform*> chain{this};
    for (Transform* t = GetParentObjectTransform(); t; t = t->GetParentObjectTransform()) chain.push_back(t);
    Transform* above = nullptr;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        Transform* t = *it;
        t->worldPosition_ = above ? above->worldPosition_ + above->orientation_ * t->position_ : t->position_;
        above = t;
    }
    return worldPosition_;
}

void Transform::RotateLocal(const Mtx33& rotation, int axis, float angle) {
    orientation_ = orientation_ * rotation;
    angularDelta_ += orientation_.GetColumn(axis) * angle;
    ++changeCount_;
    invalid_ = true;
}

void Transform::RotateGlobal(const Mtx33& rotation, int axis, float angle, const Vec3* pivot) {
    orientation_ = rotation * orientation_;
    if (pivot) position_ = rotation * (position_ - *pivot) + *pivot;
    (axis == 0 ? angularDelta_.x : axis == 1 ? angularDelta_.y : angularDelta_.z) += angle;
    ++changeCount_;
    invalid_ = true;
}

void Transform::RotateLocalXRad(float angle) { RotateLocal(Mtx33::RotationX(angle), 0, angle); }
void Transform::RotateLocalYRad(float angle) { RotateLocal(Mtx33::RotationY(angle), 1, angle); }
void Transform::RotateLocalZRad(float angle) { RotateLocal(Mtx33::RotationZ(angle), 2, angle); }
void Transform::RotateGlobalXRad(float angle) { RotateGlobal(Mtx33::RotationX(angle), 0, angle, nullptr); }
void Transform::RotateGlobalYRad(float angle) { RotateGlobal(Mtx33::RotationY(angle), 1, angle, nullptr); }
void Transform::RotateGlobalZRad(float angle) { RotateGlobal(Mtx33::RotationZ(angle), 2, angle, nullptr); }
void Transform::RotateGlobalXRad(float angle, const Vec3& pivot) {
    RotateGlobal(Mtx33::RotationX(angle), 0, angle, &pivot);
}
void Transform::RotateGlobalYRad(float angle, const Vec3& pivot) {
    RotateGlobal(Mtx33::RotationY(angle), 1, angle, &pivot);
}
void Transform::RotateGlobalZRad(float angle, const Vec3& pivot) {
    RotateGlobal(Mtx33::RotationZ(angle), 2, angle, &pivot);
}

void Transform::Rotate(float angle, const Vec3& axis) {
    orientation_ = Mtx33::RotationAxisAngle(angle, axis) * orientation_;
    changeCount_ += 10;
    angularDelta_ += axis * angle;
    invalid_ = true;
}

void Transform::Rotate(float angle, const Vec3& axis, const Vec3& pivot) {
    const Mtx33 rotation = Mtx33::RotationAxisAngle(angle, axis);
    orientation_ = rotation * orientation_;
    position_ = rotation * (position_ - pivot) + pivot;
    changeCount_ += 10;
    angularDelta_ += axis * angle;
    invalid_ = true;
}

void Transform::LookAt(const Vec3& target) {
    const Vec3 dir = -(target - position_).GetNormalized();
    Vec3 right = Vec3(0.0f, 0.0f, 1.0f).Cross(dir);
    right = right.Length() == 0.0f ? Vec3(1.0f, 0.0f, 0.0f) : right.GetNormalized();
    const Vec3 up = dir.Cross(right).GetNormalized();
    orientation_ = Mtx33::FromColumns(right, up, dir);
    changeCount_ = 0;
    invalid_ = true;
}

void Transform::OrthogonalizeOrient() {
    orientation_.Orthonormalize();
    changeCount_ = 0;
}

void Transform::UpdateGlobalMatrix() {
    previousGlobalMatrix_ = globalMatrix_;
    // Written in place, row by row: each row is the orientation's row scaled per column, then
    // the position.
    const float* o = orientation_.m;
    float* g = globalMatrix_.m;
    for (int row = 0; row < 3; ++row) {
        g[4 * row] = o[3 * row] * scale_.x;
        g[4 * row + 1] = o[3 * row + 1] * scale_.y;
        g[4 * row + 2] = o[3 * row + 2] * scale_.z;
    }
    g[3] = position_.x;
    g[7] = position_.y;
    g[11] = position_.z;
    g[12] = g[13] = g[14] = 0.0f;
    g[15] = 1.0f;
    if (parent_) globalMatrix_ = parent_->globalMatrix_ * globalMatrix_;
    if (const Transform* p = GetParentObjectTransform()) {
        globalMatrix_ = p->globalMatrix_ * globalMatrix_;
        const Mtx33 parentBasis(p->globalMatrix_);
        const Vec3 offset = globalMatrix_.GetColumn3(3) - p->globalMatrix_.GetColumn3(3);
        positionDelta_ = p->positionDelta_ + parentBasis * positionDelta_ + p->angularDelta_.Cross(offset);
        angularDelta_ = p->angularDelta_ + parentBasis * angularDelta_;
    }
    invalid_ = false;
}

void Transform::Refresh() {
    if (changeCount_ > kOrthonormalizeThreshold) {
        orientation_.Orthonormalize();
        changeCount_ = 0;
    }
    UpdateGlobalMatrix();
    previousAngularDelta_ = angularDelta_;
    angularDelta_ = Vec3();
}

void Transform::UpdateHierarchy() {
    // Most objects have no children: they need no walk.
    GameObject* self = GetOwner();
    if (!self || self->GetChildren().Empty()) {
        positionDelta_ = position_ - previousPosition_;
        previousPosition_ = position_;
        Refresh();
        return;
    }
    // Depth first, parents before children, without recursion so deep trees cannot exhaust
    // the stack.
    static thread_local std::vector<Transform*> pending;
    const size_t base = pending.size();
    pending.push_back(this);
    while (pending.size() > base) {
        Transform* t = pending.back();
        pending.pop_back();
        t->positionDelta_ = t->position_ - t->previousPosition_;
        t->previousPosition_ = t->position_;
        t->Refresh();
        GameObject* owner = t->GetOwner();
        if (!owner) continue;
        const size_t first = pending.size();
        for (GameObject* child : owner->GetChildren()) pending.push_back(&child->GetTransform());
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end());
    }
}

}  // namespace SD
