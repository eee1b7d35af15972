#pragma once
// The system that brings every registered transform up to date once a frame, starting from
// the transforms whose object has no parent and going down the object tree.
#include <cstdint>

#include "core/System.h"
#include "engine/Component.h"
#include "engine/RegistrationArray.h"
#include "platform/TestProbe.h"

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

private:
    friend struct platform::TestProbe<Transformer_>;

    // Each entry carries the transform's record, so that the frame's pass reads the records one
    // after another and leaves the objects alone.
    struct Entry {
        Transform* transform = nullptr;
        TransformState* state = nullptr;
        bool operator==(const Entry& other) const { return transform == other.transform; }
    };
    static uint32_t& WalkIndexOf(const Entry& entry);

    ComponentList transforms_;
    RegistrationArray<Entry, &WalkIndexOf> walk_;
};

}  // namespace SD
