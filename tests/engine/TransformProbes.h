#pragma once
// What tests read of a transform's record (its motion records, change count and invalid flag)
// and of the transformer's list of registered transforms.
#include "engine/Component.h"
#include "engine/Transform.h"
#include "engine/TransformState.h"
#include "engine/Transformer.h"
#include "platform/TestProbe.h"

template <>
struct platform::TestProbe<SD::Transform> {
    static const SD::TransformState& State(const SD::Transform& transform) { return *transform.state_; }
};

template <>
struct platform::TestProbe<SD::Transformer_> {
    static const SD::ComponentList& Transforms(const SD::Transformer_& transformer) { return transformer.transforms_; }
};

namespace enginetest {

// The transform's record: its motion records, change count and invalid flag.
inline const SD::TransformState& RecordOf(const SD::Transform& transform) {
    return platform::TestProbe<SD::Transform>::State(transform);
}

}  // namespace enginetest
