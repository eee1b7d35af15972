#pragma once
// Puts its object into a named group. A process-wide registry lists, for every group name, the
// Group components that carry it while they are registered, and tells subscribers as members
// join and leave. A sleeping object stays in its groups; only play-state changes and removal
// take it out.
#include <memory>

#include "core/BoundFunction.h"
#include "core/RTTI.h"
#include "core/SharedString.h"
#include "engine/Component.h"

namespace SD {

class Group : public Component, public RTTIUser<Group> {
public:
    // The members of one group in the order they joined, over the components' list links.
    using Members = ComponentList;
    // A callable taking the Group* that joins or leaves (a delegate of one parameter).
    using Listener = std::shared_ptr<MFCore::BoundFunction>;

    Group();
    // Leaves its group, without telling anyone, when destroyed while still listed.
    ~Group() override;

    ComponentID VGetID() const override { return CID_Group; }
    int VGetVersion() const override { return 0; }
    void VInitialize(bool fromScript) override;
    void VSerialize(IStream& stream, int version) override;
    void VRegister() override;
    void VUnregister() override;
    // Wakes at once: the group keeps its sleeping members.
    void VOnSleep() override;
    void VOnAwake() override {}
    void RegisterFunctions() override;
    ClassInfo GetBoundClassInfo() override { return BindClassInfo(this); }

    // Null is ignored. A registered component leaves its old group and joins the new one; an
    // unregistered one joins at its next registration.
    void SetGroupName(const char* name);
    const char* GetGroupName() const { return groupName_.c_str(); }

    // Set by the code that activates a group's members; cleared at initialisation.
    bool IsActive() const { return active_; }
    void SetActive(bool active) { active_ = active; }

    // The group of that name, made empty when it does not exist yet.
    static Members& FindGroup(const SharedString& name);
    static Group* AsGroup(Component* member) { return static_cast<Group*>(member); }

    // Subscribes to members joining the group (the same listener only once) and calls it at
    // once with every current member, in order.
    static void AddListener(const SharedString& name, const Listener& listener);
    // Subscribes to members leaving the group.
    static void AddLeaveListener(const SharedString& name, const Listener& listener);
    // Drops the listener from the join listeners of the name, or else from its leave
    // listeners; an unknown name or listener is left alone.
    static void RemoveListener(const SharedString& name, const Listener& listener);
    // Drops every listener of the name, join or leave, tied to that subscriber object.
    static void RemoveListener(const SharedString& name, const void* subscriber);

private:
    SharedString groupName_;
    bool active_ = false;
    // The name this component joined under, which stays its group even if the field is read
    // anew while it is listed.
    SharedString joinedName_;
};

}  // namespace SD
