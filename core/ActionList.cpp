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

void ActionList::PopBack() {
    if (!entries_.empty()) entries_.pop_back();
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
            if (finished_)
                finished_ = false;
            else
                ++index_;
            continue;
        }
        if (entry.action) {
            entry.action->Invoke(args);
            args.resize(given);
        }
        // Entries added or removed before it while it ran have moved the running entry.
        const int32_t at = FindRunning(entry);
        if (at < 0) {
            finished_ = false;  // it removed itself; the entries after it have moved up
        } else if (!finished_) {
            index_ = at + 1;
        } else {
            index_ = at;
            entries_.erase(entries_.begin() + at);
            finished_ = false;
        }
    }
}

int32_t ActionList::FindRunning(const Entry& entry) const {
    const size_t at = static_cast<size_t>(index_);
    if (at < entries_.size() && entries_[at].action == entry.action) return index_;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].action == entry.action && entries_[i].group == entry.group) return static_cast<int32_t>(i);
    return -1;
}

}  // namespace SD
