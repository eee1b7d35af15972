#include "game/components/GroupSpawner.h"

#include <exception>
#include <map>
#include <vector>

#include "core/Delegate.h"
#include "core/Logger.h"
#include "engine/GameObject.h"
#include "engine/Group.h"
#include "engine/IStream.h"
#include "game/components/Trigger.h"

namespace QV {
namespace {

const char* OwnerName(const SD::Component& c) { return c.GetOwner() ? c.GetOwner()->GetName().c_str() : ""; }

// The actions of every group spawner, by name.
std::map<std::string, std::shared_ptr<MFCore::BoundFunction>>& ActionTable() {
    static std::map<std::string, std::shared_ptr<MFCore::BoundFunction>> table;
    return table;
}

void FillActionTable() {
    ActionTable()["SpawnWithDelay"] =
        std::make_shared<MFCore::MemberFunction_1Parameters<void, GroupSpawner, float>>(&GroupSpawner::SpawnWithDelay);
}

}  // namespace

void GroupSpawner::VSerialize(SD::IStream& stream, int version) {
    if (version == 1) stream.Serialize(delay_, "Delay Time", "Float");
    if (version == 0 || version == 1) {
        stream.Serialize(groupName_, "Group Name", "String");
        stream.Serialize(actionName_, "Action Name", "String");
    }
    if (stream.GetDirection() == SD::IStream::kRead) FillActionTable();
}

void GroupSpawner::VInitialize(bool) {
    for (uint32_t state : {SD::kPlayStatePlay, SD::kPlayStatePause, SD::kPlayStateDevPause}) SetActiveIn(state, false);
    SD::GameObject* owner = GetOwner();
    auto* trigger = owner ? static_cast<Trigger*>(owner->GetComponent(SD::CID_Trigger)) : nullptr;
    if (trigger)
        trigger->AddCallback(new MFCore::Delegate_0Parameters<void, GroupSpawner>(this, &GroupSpawner::OnTriggerFired),
                             lifetime_.Token());
    else
        SD_WARNING(Debug::kLogError, "Group spawner of object %s has no trigger; it never starts", OwnerName(*this));
    SetAction(actionName_);
    countdown_ = delay_;
}

void GroupSpawner::SetAction(const char* name) { SetAction(SD::SharedString(name ? name : "")); }

void GroupSpawner::SetAction(const SD::SharedString& name) {
    if (ActionTable().empty()) FillActionTable();
    auto found = ActionTable().find(name.c_str());
    if (found == ActionTable().end()) {
        if (name != "Invalid Action")
            SD_WARNING(Debug::kLogError, "Group spawner of object %s: unknown action \"%s\"", OwnerName(*this),
                       name.c_str());
        actionName_ = "Invalid Action";
        action_.reset();
        return;
    }
    actionName_ = name;
    action_ = found->second;
}

void GroupSpawner::OnTriggerFired() {
    for (uint32_t state : {SD::kPlayStatePlay, SD::kPlayStatePause, SD::kPlayStateDevPause}) SetActiveIn(state, true);
    ApplyPlayState(GetPlayState());
}

void GroupSpawner::VUpdate(float dt) {
    if (!action_) return;
    std::vector<MFCore::Any> args{MFCore::Any(this), MFCore::Any(dt)};
    try {
        action_->Invoke(args);
    } catch (const std::exception& error) {
        SD_WARNING(Debug::kLogError, "Group spawner of object %s: action failed: %s", OwnerName(*this), error.what());
        action_.reset();
    }
}

void GroupSpawner::SpawnWithDelay(float dt) {
    SD::Group::Members& members = SD::Group::FindGroup(SD::SharedString(groupName_));
    if (woken_ >= members.Size()) return;
    countdown_ -= dt;
    if (countdown_ >= 0.0f) return;
    ++woken_;
    countdown_ = delay_;
    // Waking a member does not change the group: only play-state changes and removal do.
    unsigned index = 0;
    members.ForEach([this, &index](SD::Component* member) {
        if (index++ < woken_ && member->GetOwner()) member->GetOwner()->Awake();
    });
}

void GroupSpawner::RegisterFunctions() {
    RTTI_GETTER(&GroupSpawner::GetGroupName);
    RTTI_SETTER(&GroupSpawner::SetGroupName);
    RTTI_GETTER(&GroupSpawner::GetAction);
    RTTI_SETTER(static_cast<void (GroupSpawner::*)(const char*)>(&GroupSpawner::SetAction));
}

}  // namespace QV
