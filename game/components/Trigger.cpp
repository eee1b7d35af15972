#include "game/components/Trigger.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include <lua.hpp>

#include "core/Delegate.h"
#include "core/Logger.h"
#include "core/MessageSystem.h"
#include "engine/GameObject.h"
#include "engine/IStream.h"
#include "engine/LuaState.h"
#include "engine/ObjectBindings.h"
#include "game/components/TriggerReset.h"
#include "physics/Collider.h"

namespace QV {
namespace {

const char* OwnerName(const SD::Component& c) { return c.GetOwner() ? c.GetOwner()->GetName().c_str() : ""; }

}  // namespace

Trigger::~Trigger() {
    if (listening_) SD::Message_System::GetInstance()->RemoveHandlerOf(SD::MessageIds::TriggerReset, this);
}

void Trigger::VInitialize(bool) {
    fired_ = false;
    SD::GameObject* owner = GetOwner();
    auto* collider =
        owner ? static_cast<Gedankenexperiment::Collider*>(owner->GetComponent(SD::CID_Collider)) : nullptr;
    if (collider) {
        collider->SetCallback(new MFCore::GuardedFunction(
            new MFCore::Delegate_1Parameters<void, Trigger, Gedankenexperiment::Collider*>(this, &Trigger::OnContact),
            lifetime_.Token()));
    } else {
        SD_WARNING(Debug::kLogError, "Trigger of object %s has no collider; it never fires", OwnerName(*this));
    }
    if (!listening_) {
        SD::Message_System::GetInstance()->RegisterHandler(SD::MessageIds::TriggerReset, this, &Trigger::OnReset);
        listening_ = true;
    }
}

void Trigger::VSerialize(SD::IStream& stream, int version) {
    if (stream.IsUpdate()) return;
    const bool reading = stream.GetDirection() == SD::IStream::kRead;
    if (version == 3) stream.Serialize(luaFunction_, "Lua Trigger Function", "String");
    if (version != 2 && version != 3) return;
    if (!reading) {
        unsigned count = static_cast<unsigned>(actionNames_.size());
        stream.Serialize(count, "Num Actions", "Integer");
        for (std::string& name : actionNames_) stream.Serialize(name, nullptr, "String");
        return;
    }
    int count = 0;
    stream.Serialize(count, "Num Actions", "Integer");
    if (count < 0 || count > kMaxActions) {
        SD_WARNING(Debug::kLogError, "Trigger of object %s: \"Num Actions\" %d is outside 0..%d; it has no actions",
                   OwnerName(*this), count, kMaxActions);
        count = 0;
    }
    actionNames_.assign(static_cast<size_t>(count), std::string());
    for (std::string& name : actionNames_) stream.Serialize(name, "MyString", "String");
    // Reading again replaces the actions read before; the callbacks of other components stay.
    std::vector<Callback> kept;
    for (Callback& callback : callbacks_)
        if (!callback.fromData) kept.push_back(std::move(callback));
    callbacks_ = std::move(kept);
    for (const std::string& name : actionNames_) {
        if (Action action = FindAction(name)) {
            callbacks_.push_back(
                Callback{std::make_shared<MFCore::StaticFunction_1Parameters<void, Trigger*>>(action), true});
        } else {
            SD_WARNING(Debug::kLogError, "Trigger of object %s: unknown action \"%s\" is skipped", OwnerName(*this),
                       name.c_str());
        }
    }
}

void Trigger::AddCallback(MFCore::BoundFunction* callback) {
    if (callback) callbacks_.push_back(Callback{std::shared_ptr<MFCore::BoundFunction>(callback), false});
}

void Trigger::AddCallback(MFCore::BoundFunction* callback, std::weak_ptr<const void> lifetime) {
    if (!callback) return;
    DropExpiredCallbacks();
    auto* guard = new MFCore::GuardedFunction(callback, std::move(lifetime));
    callbacks_.push_back(Callback{std::shared_ptr<MFCore::BoundFunction>(guard), false, guard});
}

void Trigger::DropExpiredCallbacks() {
    callbacks_.erase(std::remove_if(callbacks_.begin(), callbacks_.end(),
                                    [](const Callback& c) { return c.guard && c.guard->Expired(); }),
                     callbacks_.end());
}

size_t Trigger::GetCallbackCount() {
    DropExpiredCallbacks();
    return callbacks_.size();
}

bool Trigger::AddCallback(const std::string& actionName) {
    Action action = FindAction(actionName);
    if (!action) {
        SD_WARNING(Debug::kLogError, "Trigger of object %s: unknown action \"%s\"", OwnerName(*this),
                   actionName.c_str());
        return false;
    }
    callbacks_.push_back(Callback{std::make_shared<MFCore::StaticFunction_1Parameters<void, Trigger*>>(action), false});
    return true;
}

void Trigger::OnContact(Gedankenexperiment::Collider* other) {
    if (fired_ || !other) return;
    SD::GameObject* otherObject = other->GetOwner();
    if (!otherObject || otherObject->GetName() != "Player") return;
    fired_ = true;
    if (luaFunction_.Length() > 0) {
        if (SD::LuaState* lua = SD::GetLuaState()) {
            lua_State* L = lua->L;
            SD::PushRawGlobal(L, luaFunction_.c_str());
            SD::PushGameObject(L, GetOwner());
            if (lua_pcall(L, 1, 0, 0) != 0) SD::ReportLuaError(L, luaFunction_.c_str());
        }
    }
    RunCallbacks();
}

void Trigger::RunCallbacks() {
    DropExpiredCallbacks();
    // By index, on shared copies: a callback may add others or read the trigger again.
    for (size_t i = 0; i < callbacks_.size(); ++i) {
        std::shared_ptr<MFCore::BoundFunction> function = callbacks_[i].function;
        std::vector<MFCore::Any> args{MFCore::Any(this)};
        try {
            function->Invoke(args);
        } catch (const std::exception& error) {
            SD_WARNING(Debug::kLogError, "Trigger of object %s: callback %zu failed: %s", OwnerName(*this), i,
                       error.what());
        }
    }
}

void Trigger::OnReset(SD::IMessage* message) {
    auto* reset = static_cast<TriggerReset*>(message);
    if (GetOwner() && reset->object == GetOwner()->GetHandle()) fired_ = false;
}

void Trigger::ScheduleReset(Trigger* trigger, float delay) {
    if (!trigger || !trigger->GetOwner()) return;
    SD::Message_System::GetInstance()->PostMessage(TriggerReset(trigger->GetOwner()->GetHandle()), delay);
}

}  // namespace QV
