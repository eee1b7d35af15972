#pragma once
// Overlays a value tree on a component that already holds values: labelled fields are found
// by name, in any order, and fields the data does not mention keep their values.
#include <vector>

#include "engine/IStream.h"
#include "engine/StreamOverrides.h"
#include "engine/SuperialStreamValues.h"

namespace SD {

class SuperialUpdateStream : public IStream {
public:
    // node is the component's node; its attributes hold the named values and its children
    // the labelled ones.
    explicit SuperialUpdateStream(SuperialValue* node);

    int GetDirection() const override { return kRead; }
    bool IsUpdate() const override { return true; }
    SuperialValue* GetCurrentNode() const override { return search_; }
    // A labelled group is the child of that name of the current group; an unlabelled one is
    // the component's node at the outer level and the next positional child inside it.
    void BeginGroup(const char* label, const char* tag, unsigned typeCode) override;
    void EndGroup(const char* label, const char* tag, unsigned typeCode) override;
    SD_ISTREAM_FORWARD_ALL

private:
    struct State {
        SuperialValue* search;
        SuperialValue* group;
        SuperialValue* cursor;
    };

    template <class T>
    void Named(T& value, const char* name) {
        if (group_ && name) group_->GetAttribute(name, value);
    }
    template <class T>
    void Value(T& value, const char* label, const char*) {
        if (!search_) return;
        if (label) {
            if (SuperialValue* found = SuperialValue::FindByName(search_, label))
                SuperialValue::CopyValue(*found, value);
        } else if (cursor_) {
            SuperialValue::CopyValue(*cursor_, value);
            cursor_ = cursor_->Next();
        }
    }

    SuperialValue* search_;
    SuperialValue* group_;
    SuperialValue* cursor_;
    std::vector<State> stack_;
};

}  // namespace SD
