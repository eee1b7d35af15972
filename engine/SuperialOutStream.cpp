#include "engine/SuperialOutStream.h"

namespace SD {

void SuperialOutStream::BeginGroup(const char* label, const char* tag, unsigned typeCode) {
    MakeReadyForChildren(cursor_);
    SuperialValue* node = SuperialValue::AppendChild(cursor_, typeCode);
    stack_.push_back({ValueAdder::Append, cursor_, group_});
    adder_ = ValueAdder::FirstChild;
    cursor_ = group_ = node;
    if (!node) return;
    if (label) node->SetName(label);
    if (tag) node->SetTag(tag);
}

void SuperialOutStream::EndGroup(const char*, const char*, unsigned) {
    if (stack_.empty()) return;
    adder_ = stack_.back().adder;
    cursor_ = stack_.back().cursor;
    group_ = stack_.back().group;
    stack_.pop_back();
}

}  // namespace SD
