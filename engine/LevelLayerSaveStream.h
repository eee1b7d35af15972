#pragma once
// Writes one component into its element of a level-layer file. Every value the component
// visits is written, whatever its blueprint holds: a level entry read back over a fresh copy
// of the blueprint must give the component as it was saved, header flags included. The
// blueprint element is only followed alongside, for callers that look at it.
#include <vector>

#include "engine/IStream.h"
#include "engine/StreamOverrides.h"
#include "engine/SuperialStreamValues.h"
#include "platform/TestProbe.h"

namespace SD {

class LevelLayerSaveStream : public IStream {
public:
    // output: the element made for the component; blueprint: the component's element in the
    // object's blueprint, or null when the blueprint has none.
    LevelLayerSaveStream(SuperialValue* output, SuperialValue* blueprint)
        : output_(output), counterpart_(blueprint), group_(output) {}

    int GetDirection() const override { return kWrite; }
    bool IsUpdate() const override { return false; }
    SuperialValue* GetCurrentNode() const override { return output_; }
    // The outer group writes into the output element itself; nested groups become children.
    void BeginGroup(const char* label, const char* tag, unsigned typeCode) override;
    void EndGroup(const char* label, const char* tag, unsigned typeCode) override;
    SD_ISTREAM_FORWARD_ALL

private:
    friend struct platform::TestProbe<LevelLayerSaveStream>;

    struct State {
        SuperialValue* output;
        SuperialValue* counterpart;
        SuperialValue* group;
        ValueAdder adder;
    };

    template <class T>
    void Named(T& value, const char* name) {
        if (output_ && name) AddTypedAttribute(output_, name, value);
    }
    template <class T>
    void Value(T& value, const char* label, const char* typeName) {
        if (label) {
            MakeReadyForChildren(output_);
            SuperialValue* node = SuperialValue::AppendChild(output_, kSuperialNull);
            if (!node) return;
            StoreLabelledValue(*node, value, label, typeName);
            return;
        }
        if (adder_ != ValueAdder::InsertAfter) MakeReadyForChildren(output_);
        SuperialValue* node = AddWith(adder_, output_);
        if (!node) return;
        StoreLabelledValue(*node, value, nullptr, typeName);
        output_ = node;
        adder_ = ValueAdder::InsertAfter;
    }
    SuperialValue* output_;
    SuperialValue* counterpart_;
    // The node of the innermost group (output_ moves on along a run of unlabelled values).
    SuperialValue* group_;
    ValueAdder adder_ = ValueAdder::FirstChild;
    std::vector<State> stack_;
};

}  // namespace SD
