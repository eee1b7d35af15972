#include "engine/Group.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "engine/IStream.h"

namespace SD {
namespace {

using Listeners = std::vector<Group::Listener>;

// Entries stay until exit, empty or not.
struct GroupRegistry {
    std::unordered_map<SharedString, Group::Members, NameHash> groups;
    std::unordered_map<SharedString, Listeners, NameHash> joinListeners;
    std::unordered_map<SharedString, Listeners, NameHash> leaveListeners;
};

GroupRegistry& Registry() {
    static GroupRegistry registry;
    return registry;
}

void Call(const Group::Listener& listener, Group* group) {
    std::vector<MFCore::Any> args{MFCore::Any(group)};
    listener->Invoke(args);
}

// A copy is walked, so listeners may subscribe and unsubscribe while being called.
void CallAll(const std::unordered_map<SharedString, Listeners, NameHash>& table, const SharedString& name,
             Group* group) {
    auto found = table.find(name);
    if (found == table.end()) return;
    const Listeners listeners = found->second;
    for (const Group::Listener& listener : listeners) Call(listener, group);
}

bool Erase(Listeners& listeners, const Group::Listener& listener) {
    auto it = std::find(listeners.begin(), listeners.end(), listener);
    if (it == listeners.end()) return false;
    listeners.erase(it);
    return true;
}

}  // namespace

Group::Group() { SetID(CID_Group); }

Group::~Group() {
    if (listLink_.IsLinked()) FindGroup(joinedName_).Remove(this);
}

void Group::VInitialize(bool) { active_ = false; }

void Group::VSerialize(IStream& stream, int) { stream.Serialize(groupName_, "Group Name", "String"); }

void Group::VRegister() {
    if (groupName_.Length() == 0 || listLink_.IsLinked()) return;
    joinedName_ = groupName_;
    FindGroup(joinedName_).PushBack(this);
    CallAll(Registry().joinListeners, joinedName_, this);
}

void Group::VUnregister() {
    if (!listLink_.IsLinked()) return;
    FindGroup(joinedName_).Remove(this);
    CallAll(Registry().leaveListeners, joinedName_, this);
}

void Group::VOnSleep() {
    if (IsAsleep()) Awake();
}

void Group::SetGroupName(const char* name) {
    if (!name) return;
    if (IsRegistered()) {
        VUnregister();
        groupName_ = SharedString(name);
        VRegister();
    } else {
        groupName_ = SharedString(name);
    }
}

Group::Members& Group::FindGroup(const SharedString& name) { return Registry().groups[name]; }

void Group::AddListener(const SharedString& name, const Listener& listener) {
    if (!listener) return;
    Listeners& listeners = Registry().joinListeners[name];
    if (std::find(listeners.begin(), listeners.end(), listener) != listeners.end()) return;
    listeners.push_back(listener);
    auto group = Registry().groups.find(name);
    if (group == Registry().groups.end()) return;
    group->second.ForEach([&listener](Component* member) { Call(listener, AsGroup(member)); });
}

void Group::AddLeaveListener(const SharedString& name, const Listener& listener) {
    if (!listener) return;
    Listeners& listeners = Registry().leaveListeners[name];
    if (std::find(listeners.begin(), listeners.end(), listener) == listeners.end()) listeners.push_back(listener);
}

void Group::RemoveListener(const SharedString& name, const Listener& listener) {
    GroupRegistry& registry = Registry();
    auto join = registry.joinListeners.find(name);
    if (join != registry.joinListeners.end() && Erase(join->second, listener)) return;
    auto leave = registry.leaveListeners.find(name);
    if (leave != registry.leaveListeners.end()) Erase(leave->second, listener);
}

void Group::RemoveListener(const SharedString& name, const void* subscriber) {
    GroupRegistry& registry = Registry();
    for (auto* table : {&registry.joinListeners, &registry.leaveListeners}) {
        auto found = table->find(name);
        if (found == table->end()) continue;
        Listeners& listeners = found->second;
        listeners.erase(std::remove_if(listeners.begin(), listeners.end(),
                                       [subscriber](const Listener& l) { return l->GetObject() == subscriber; }),
                        listeners.end());
    }
}

void Group::RegisterFunctions() {
    RTTI_GETTER(&Group::GetGroupName);
    RTTI_SETTER(&Group::SetGroupName);
}

}  // namespace SD
