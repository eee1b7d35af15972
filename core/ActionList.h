#pragma once
// A sequence of actions run one call each per update, for behaviours written in code. An
// action stays until it finishes itself, and it may block the groups of the actions after it
// for the rest of the update.
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "core/Any.h"
#include "core/BoundFunction.h"

namespace SD {

class ActionList {
public:
    struct GroupIDs {
        // Groups are bit flags chosen by the code that uses the lists; only the low eight bits
        // take part in blocking.
        enum GroupID : uint32_t { None = 0 };
    };
    using Action = std::shared_ptr<MFCore::BoundFunction>;

    static constexpr uint32_t kBlockAllMask = 0x3FFFFFF;
    static constexpr uint32_t kBlockingBits = 0xFF;

    ActionList() = default;

    // An action whose last two parameters are (ActionList*, GroupID) gets this list and its
    // group as defaults, so it receives the update's arguments first and can Block and Finish.
    void PushBack(Action action, GroupIDs::GroupID group);
    void PushFront(Action action, GroupIDs::GroupID group);
    void RemoveGroup(GroupIDs::GroupID group);
    void ReplaceGroupBack(Action action, GroupIDs::GroupID group);
    void ReplaceGroupFront(Action action, GroupIDs::GroupID group);
    // Drops the last action; an empty list stays empty.
    void PopBack();

    // The names the game code calls the same operations by.
    void Append(Action action, GroupIDs::GroupID group) { PushBack(std::move(action), group); }
    void Replace(Action action, GroupIDs::GroupID group) { ReplaceGroupBack(std::move(action), group); }
    void ReplaceFront(Action action, GroupIDs::GroupID group) { ReplaceGroupFront(std::move(action), group); }
    void Run(std::vector<MFCore::Any>& args) { Update(args); }

    // Runs every unblocked action once; an exception from an action leaves the list as it is,
    // with the index on the failing entry.
    void Update(std::vector<MFCore::Any>& args);

    // Called by the running action.
    void Block(uint32_t groups) { blocked_ |= groups; }
    void BlockAll() { blocked_ = kBlockAllMask; }
    void Finish() { finished_ = true; }

    size_t Size() const { return entries_.size(); }
    uint32_t BlockedGroups() const { return blocked_; }

private:
    struct Entry {
        Action action;
        uint32_t group;
    };
    void Bind(const Action& action, GroupIDs::GroupID group);
    // The position of the entry that just ran, -1 when it is no longer in the list.
    int32_t FindRunning(const Entry& entry) const;

    uint32_t blocked_ = 0;
    std::deque<Entry> entries_;
    int32_t index_ = -1;
    bool finished_ = false;
};

}  // namespace SD
