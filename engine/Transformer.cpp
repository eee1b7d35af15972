#include "engine/Transformer.h"

#include <cstddef>

#include "engine/GameObject.h"
#include "engine/Transform.h"

namespace SD {

namespace {
Transformer_* g_transformer = nullptr;
}  // namespace

Transformer_::Transformer_() { g_transformer = this; }

Transformer_::~Transformer_() {
    if (g_transformer == this) g_transformer = nullptr;
}

Transformer_* Transformer_::GetInstance() { return g_transformer; }

void Transformer_::Update(float) {
    walk_.CloseHolesIfMany();
    const std::size_t count = walk_.Size();
    for (std::size_t i = 0; i < count; ++i) {
        const Entry entry = walk_[i];
        if (!entry.transform) continue;
        TransformState& s = *entry.state;
        TransformState::FrameRole role = s.role;
        if (role == TransformState::kRoleUnknown) {
            // A transform below another object's is reached through its parent's pass.
            Transform& t = *entry.transform;
            GameObject* owner = t.GetOwner();
            if (owner && owner->GetParent() && owner->GetParent()->GetComponent(t.GetID()))
                role = TransformState::kRoleChild;
            else if (!owner || owner->GetChildren().Empty())
                role = TransformState::kRoleLeafRoot;
            else
                role = TransformState::kRoleTreeRoot;
            // Only the own transform ID always finds the parent's transform; any other answer
            // may change with the parent's components and is asked again next frame.
            if (t.GetID() == CID_Transform) s.role = role;
        }
        if (role == TransformState::kRoleChild) continue;
        if (role == TransformState::kRoleTreeRoot) {
            entry.transform->UpdateHierarchy();
            continue;
        }
        s.positionDelta = s.position - s.previousPosition;
        s.previousPosition = s.position;
        Transform::RefreshState(s, nullptr);
    }
}

void Transformer_::RegisterTransform(Transform* transform) {
    if (transform->listLink_.IsLinked()) return;
    transforms_.PushBack(transform);
    walk_.Add(Entry{transform, transform->state_});
}

void Transformer_::UnregisterTransform(Transform* transform) {
    if (!transform->listLink_.IsLinked()) return;
    transforms_.Remove(transform);
    walk_.Remove(Entry{transform, transform->state_});
}

uint32_t& Transformer_::WalkIndexOf(const Entry& entry) { return entry.state->walkIndex; }

}  // namespace SD
