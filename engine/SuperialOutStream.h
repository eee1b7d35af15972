#pragma once
// Writes a component into a value tree: groups become child nodes, labelled values named
// children, unlabelled values an ordered run of unnamed children, named values attributes.
#include <vector>

#include "engine/IStream.h"
#include "engine/StreamOverrides.h"
#include "engine/SuperialStreamValues.h"

namespace SD {

class SuperialOutStream : public IStream {
public:
    // The component's group is appended under node (a Null node first becomes an Object).
    explicit SuperialOutStream(SuperialValue* node) : cursor_(node), group_(node) {}

    int GetDirection() const override { return kWrite; }
    bool IsUpdate() const override { return false; }
    SuperialValue* GetCurrentNode() const override { return group_; }
    void BeginGroup(const char* label, const char* tag, unsigned typeCode) override;
    void EndGroup(const char* label, const char* tag, unsigned typeCode) override;
    SD_ISTREAM_FORWARD_ALL

private:
    struct State {
        ValueAdder adder;
        SuperialValue* cursor;
        SuperialValue* group;
    };

    template <class T>
    void Named(T& value, const char* name) {
        if (cursor_ && name) AddTypedAttribute(cursor_, name, value);
    }
    template <class T>
    void Value(T& value, const char* label, const char* typeName) {
        if (label) {
            MakeReadyForChildren(group_);
            if (SuperialValue* node = SuperialValue::AppendChild(group_, kSuperialNull))
                StoreLabelledValue(*node, value, label, typeName);
            return;
        }
        if (adder_ != ValueAdder::InsertAfter) MakeReadyForChildren(cursor_);
        SuperialValue* node = AddWith(adder_, cursor_);
        if (!node) return;
        StoreLabelledValue(*node, value, nullptr, typeName);
        cursor_ = node;
        adder_ = ValueAdder::InsertAfter;
    }

    ValueAdder adder_ = ValueAdder::FirstChild;
    SuperialValue* cursor_;
    SuperialValue* group_;
    std::vector<State> stack_;
};

}  // namespace SD
