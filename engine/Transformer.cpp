#include "engine/Transformer.h"

#include "engine/GameObject.h"
#include "engine/Transform.h"

namespace SD {

namespace {
Transformer_* gTransformer = nullptr;
}

Transformer_::Transformer_() { gTransformer = this; }

Transformer_::~Transformer_() {
    if (gTransformer == this) gTransformer = nullptr;
}

Transformer_* Transformer_::GetInstance() { return gTransformer; }

void Transformer_::Update(float) {
    transforms_.ForEach([](Component* c) {
        PrefetchFrameAhead(c);
        GameObject* owner = c->GetOwner();
        // A transform below another object's is reached through its parent's pass.
        if (owner && owner->GetParent() && owner->GetParent()->GetComponent(c->GetID())) return;
        static_cast<Transform*>(c)->UpdateHierarchy();
    });
}

void Transformer_::RegisterTransform(Transform* transform) {
    if (!transform->listLink_.IsLinked()) transforms_.PushBack(transform);
}

void Transformer_::UnregisterTransform(Transform* transform) { transforms_.Remove(transform); }

}  // namespace SD
