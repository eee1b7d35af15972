#pragma once
// The system that brings every registered transform up to date once a frame, starting from
// the transforms whose object has no parent and going down the object tree.
#include <cstddef>
#include <vector>

#include "core/System.h"
#include "engine/Component.h"

namespace SD {

class Transform;
struct TransformState;

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
    // The registration list again, as an array in the same order that carries each transform's
    // record, so that the frame's pass reads the records one after another and leaves the
    // objects alone. A transform leaving the list leaves a hole, closed up once holes are many.
    struct Entry {
        Transform* transform;
        TransformState* state;
    };
    void CloseHoles();

    ComponentList transforms_;
    std::vector<Entry> walk_;
    std::size_t holes_ = 0;
};

}  // namespace SD
