#include "engine/SuperialUpdateStream.h"

namespace SD {

namespace {
SuperialValue* FirstChildOf(SuperialValue* node) { return node && node->IsContainer() ? node->FirstChild() : nullptr; }
}  // namespace

SuperialUpdateStream::SuperialUpdateStream(SuperialValue* node)
    : search_(node), group_(node), cursor_(FirstChildOf(node)) {}

void SuperialUpdateStream::BeginGroup(const char* label, const char*, unsigned) {
    SuperialValue* entered;
    if (label) {
        entered = SuperialValue::FindChildByName(group_, label);
    } else if (stack_.empty()) {
        entered = group_;
    } else {
        entered = cursor_;
        if (cursor_) cursor_ = cursor_->Next();
    }
    stack_.push_back({search_, group_, cursor_});
    group_ = entered;
    search_ = cursor_ = FirstChildOf(entered);
}

void SuperialUpdateStream::EndGroup(const char*, const char*, unsigned) {
    if (stack_.empty()) return;
    search_ = stack_.back().search;
    group_ = stack_.back().group;
    cursor_ = stack_.back().cursor;
    stack_.pop_back();
}

}  // namespace SD
