#include "engine/LevelLayerSaveStream.h"

namespace SD {

void LevelLayerSaveStream::BeginGroup(const char* label, const char* tag, unsigned typeCode) {
    stack_.push_back({output_, counterpart_, group_, ValueAdder::Append});
    if (stack_.size() == 1) {
        adder_ = ValueAdder::Append;
        group_ = output_;
        return;
    }
    MakeReadyForChildren(output_);
    SuperialValue* node = SuperialValue::AppendChild(output_, typeCode);
    counterpart_ = label ? SuperialValue::FindChildByName(counterpart_, label) : nullptr;
    output_ = group_ = node;
    adder_ = ValueAdder::FirstChild;
    if (!node) return;
    if (label) node->SetName(label);
    if (tag) node->SetTag(tag);
}

void LevelLayerSaveStream::EndGroup(const char*, const char*, unsigned) {
    if (stack_.empty()) return;
    output_ = stack_.back().output;
    counterpart_ = stack_.back().counterpart;
    group_ = stack_.back().group;
    adder_ = stack_.back().adder;
    stack_.pop_back();
}

}  // namespace SD
