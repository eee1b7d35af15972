#include "engine/Transform.h"

#include <algorithm>
#include <vector>

#include "core/EngineCore.h"
#include "engine/GameObject.h"
#include "engine/Transformer.h"

namespace SD {

namespace {
// A turn about one of the object's own axes: applied after the orientation, and its angle
// added to the frame's rotation about that axis as it now lies. One copy per axis, so that a
// component turning its object every frame pays for no choice of axis and no further call.
// The turn leaves its own axis where it was, so the axis is read before the new orientation
// is written: read after, it would be loaded across two of the stores just made and wait
// until both are done.
template <int Axis>
void TurnLocal(TransformState& s, const Mtx33& rotation, float angle) {
    s.angularDelta += s.orientation.GetColumn(Axis) * angle;
    s.orientation = s.orientation * rotation;
    ++s.changeCount;
    s.invalid = true;
}
}  // namespace

Transform::Transform() : state_(TransformState::Acquire()) { SetID(CID_Transform); }

Transform::~Transform() {
    if (listLink_.IsLinked()) {
        if (Transformer_* transformer = Transformer_::GetInstance()) transformer->UnregisterTransform(this);
    }
    TransformState::Release(state_);
}

void Transform::SetOwner(GameObject* owner) {
    Component::SetOwner(owner);
    ForgetFrameRole();
}

void Transform::VInitialize(bool) {
    state_->positionDelta = Vec3();
    state_->angularDelta = Vec3();
    state_->previousAngularDelta = Vec3();
    state_->invalid = true;
    ForgetFrameRole();
    Refresh();
}

void Transform::VRegister() {
    ForgetFrameRole();
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
    state_->position += state_->orientation * v;
    state_->invalid = true;
}

void Transform::SetPrevPos(const Vec3& p) {
    state_->positionDelta = p - state_->previousPosition;
    state_->previousPosition = p;
}

Vec3 Transform::GetFakeVel() const {
    const Core* core = Core::GetInstance();
    const float dt = core ? static_cast<float>(core->GetFrameTime()) : 0.0f;
    if (dt > -0.0001f && dt < 0.0001f) return Vec3();
    return (state_->position - state_->previousPosition) * (1.0f / dt);
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
        t->worldPosition_ =
            above ? above->worldPosition_ + above->state_->orientation * t->state_->position : t->state_->position;
        above = t;
    }
    return worldPosition_;
}

void Transform::RotateGlobal(const Mtx33& rotation, int axis, float angle, const Vec3* pivot) {
    TransformState& s = *state_;
    s.orientation = rotation * s.orientation;
    if (pivot) s.position = rotation * (s.position - *pivot) + *pivot;
    (axis == 0 ? s.angularDelta.x : axis == 1 ? s.angularDelta.y : s.angularDelta.z) += angle;
    ++s.changeCount;
    s.invalid = true;
}

void Transform::RotateLocalXRad(float angle) { TurnLocal<0>(*state_, Mtx33::RotationX(angle), angle); }
void Transform::RotateLocalYRad(float angle) { TurnLocal<1>(*state_, Mtx33::RotationY(angle), angle); }
void Transform::RotateLocalZRad(float angle) { TurnLocal<2>(*state_, Mtx33::RotationZ(angle), angle); }
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
    TransformState& s = *state_;
    s.orientation = Mtx33::RotationAxisAngle(angle, axis) * s.orientation;
    s.changeCount += 10;
    s.angularDelta += axis * angle;
    s.invalid = true;
}

void Transform::Rotate(float angle, const Vec3& axis, const Vec3& pivot) {
    TransformState& s = *state_;
    const Mtx33 rotation = Mtx33::RotationAxisAngle(angle, axis);
    s.orientation = rotation * s.orientation;
    s.position = rotation * (s.position - pivot) + pivot;
    s.changeCount += 10;
    s.angularDelta += axis * angle;
    s.invalid = true;
}

void Transform::LookAt(const Vec3& target) {
    TransformState& s = *state_;
    const Vec3 dir = -(target - s.position).GetNormalized();
    Vec3 right = Vec3(0.0f, 0.0f, 1.0f).Cross(dir);
    right = right.Length() == 0.0f ? Vec3(1.0f, 0.0f, 0.0f) : right.GetNormalized();
    const Vec3 up = dir.Cross(right).GetNormalized();
    s.orientation = Mtx33::FromColumns(right, up, dir);
    s.changeCount = 0;
    s.invalid = true;
}

void Transform::OrthogonalizeOrient() {
    state_->orientation.Orthonormalize();
    state_->changeCount = 0;
}

void Transform::UpdateGlobalMatrix() { UpdateGlobalMatrixState(*state_, GetParentObjectTransform()); }

void Transform::ApplyParents(TransformState& s, const Transform* parentObject) {
    if (s.parent) s.globalMatrix = s.parent->state_->globalMatrix * s.globalMatrix;
    if (parentObject) {
        const TransformState& p = *parentObject->state_;
        s.globalMatrix = p.globalMatrix * s.globalMatrix;
        const Mtx33 parentBasis(p.globalMatrix);
        const Vec3 offset = s.globalMatrix.GetColumn3(3) - p.globalMatrix.GetColumn3(3);
        s.positionDelta = p.positionDelta + parentBasis * s.positionDelta + p.angularDelta.Cross(offset);
        s.angularDelta = p.angularDelta + parentBasis * s.angularDelta;
    }
}

void Transform::Refresh() { RefreshState(*state_, GetParentObjectTransform()); }

void Transform::UpdateHierarchy() {
    // Most objects have no children: they need no walk.
    GameObject* self = GetOwner();
    if (!self || self->GetChildren().Empty()) {
        state_->positionDelta = state_->position - state_->previousPosition;
        state_->previousPosition = state_->position;
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
        t->state_->positionDelta = t->state_->position - t->state_->previousPosition;
        t->state_->previousPosition = t->state_->position;
        t->Refresh();
        GameObject* owner = t->GetOwner();
        if (!owner) continue;
        const size_t first = pending.size();
        for (GameObject* child : owner->GetChildren()) pending.push_back(&child->GetTransform());
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(first), pending.end());
    }
}

}  // namespace SD
