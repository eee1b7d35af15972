#include "engine/SuperialInStream.h"

namespace SD {

void SuperialInStream::BeginGroup(const char*, const char*, unsigned) {
    stack_.emplace_back(cursor_, group_);
    group_ = cursor_;
    cursor_ = cursor_ && cursor_->IsContainer() ? cursor_->FirstChild() : nullptr;
}

void SuperialInStream::EndGroup(const char*, const char*, unsigned) {
    if (stack_.empty()) return;
    cursor_ = stack_.back().first;
    group_ = stack_.back().second;
    stack_.pop_back();
    if (cursor_) cursor_ = cursor_->Next();
}

}  // namespace SD
