#include "core/ActionList.h"

#include <algorithm>

namespace SD {

void ActionList::Bind(const Action& action, GroupIDs::GroupID group) {
    if (!action) return;
    const std::vector<int>& params = action->GetSignature().parameterTypeIds;
    size_t n = params.size();
    if (n >= 2 && params[n - 2] == static_cast<int>(MFCore::TypeIdOf<ActionList*>()) &&
        params[n - 1] == static_cast<int>(MFCore::TypeIdOf<GroupIDs::GroupID>())) {
        action->AppendDefault(MFCore::Any(this));
        action->AppendDefault(MFCore::Any(group));
    }
}

void ActionList::PushBack(Action action, GroupIDs::GroupID group) {
    Bind(action, group);
    entries_.push_back({std::move(action), group});
}

void ActionList::PushFront(Action action, GroupIDs::GroupID group) {
    Bind(action, group);
    entries_.push_front({std::move(action), group});
}

void ActionList::RemoveGroup(GroupIDs::GroupID group) {
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [group](const Entry& e) { return e.group == static_cast<uint32_t>(group); }),
                   entries_.end());
}

void ActionList::ReplaceGroupBack(Action action, GroupIDs::GroupID group) {
    RemoveGroup(group);
    PushBack(std::move(action), group);
    finished_ = false;
}

void ActionList::ReplaceGroupFront(Action action, GroupIDs::GroupID group) {
    RemoveGroup(group);
    PushFront(std::move(action), group);
    finished_ = false;
}

void ActionList::Update(std::vector<MFCore::Any>& args) {
    blocked_ = 0;
    index_ = 0;
    // Each action completes the list with its own defaults; the next one gets it as given.
    const size_t given = args.size();
    while (static_cast<size_t>(index_) < entries_.size()) {
        // A copy keeps the action alive while it runs, even if it removes its own group.
        Entry entry = entries_[static_cast<size_t>(index_)];
        if ((entry.group & blocked_ & kBlockingBits) != 0) {
            if (finished_) finished_ = false;
            else ++index_;
            continue;
        }
        if (entry.action) {
            entry.action->Invoke(args);
            args.resize(given);
        }
        if (!finished_) {
            ++index_;
        } else {
            if (static_cast<size_t>(index_) < entries_.size()) entries_.erase(entries_.begin() + index_);
            finished_ = false;
        }
    }
}

}  // namespace SD
