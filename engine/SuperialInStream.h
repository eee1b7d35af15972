#pragma once
// Reads a component from a value tree by position: labels and type names are not compared.
#include <utility>
#include <vector>

#include "engine/IStream.h"
#include "engine/StreamOverrides.h"
#include "engine/SuperialStreamValues.h"

namespace SD {

class SuperialInStream : public IStream {
public:
    // node is the component's node: the first group entered.
    explicit SuperialInStream(SuperialValue* node) : cursor_(node) {}

    int GetDirection() const override { return kRead; }
    bool IsUpdate() const override { return false; }
    SuperialValue* GetCurrentNode() const override { return group_; }
    void BeginGroup(const char* label, const char* tag, unsigned typeCode) override;
    void EndGroup(const char* label, const char* tag, unsigned typeCode) override;
    SD_ISTREAM_FORWARD_ALL

private:
    template <class T>
    void Named(T& value, const char* name) {
        if (group_ && name) group_->GetAttribute(name, value);
    }
    template <class T>
    void Value(T& value, const char*, const char*) {
        if (!cursor_) return;
        SuperialValue::CopyValue(*cursor_, value);
        cursor_ = cursor_->Next();
    }

    SuperialValue* cursor_;
    SuperialValue* group_ = nullptr;
    std::vector<std::pair<SuperialValue*, SuperialValue*>> stack_;
};

}  // namespace SD
