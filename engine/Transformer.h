#pragma once
// The system that brings every registered transform up to date once a frame, starting from
// the transforms whose object has no parent and going down the object tree.
#include "core/System.h"
#include "engine/Component.h"

namespace SD {

class Transform;

class Transformer_ : public ISystem {
public:
    // The one transformer, published for the transforms' registration; cleared by the destructor.
    Transformer_();
    ~Transformer_() override;
    static Transformer_* GetInstance();

    const char* GetName() const override { return "Transformer"; }
    void Update(float dt) override;

    void RegisterTransform(Transform* transform);
    void UnregisterTransform(Transform* transform);
    ComponentList& GetTransformList() { return transforms_; }

private:
    ComponentList transforms_;
};

}  // namespace SD
